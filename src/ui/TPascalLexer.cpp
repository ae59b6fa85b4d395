#include "ui/TPascalLexer.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <array>
#include <string>

#include "base/TextOps.h"
#include "ui/Look.h"

namespace {

constexpr std::string_view kSymbols = " ,;:.()[]=-*/^%<>#";
constexpr std::array<std::string_view, 4> kUrlStarts = {"http://", "https://", "ftp://", "www."};

bool isLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(unsigned char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isWordChar(unsigned char c) {
    return isLetter(c) || isDigit(c);
}

bool isLineEnd(unsigned char c) {
    return c == '\r' || c == '\n';
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
    if (text.size() - at < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (quillshift::text::lowerAscii(text[at + i]) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool endsUrl(unsigned char c) {
    static constexpr std::string_view kStops = "'\"<>()[]{}*`|\\";
    return c <= ' ' || kStops.find(static_cast<char>(c)) != std::string_view::npos;
}

/// Length of the web address starting at `at`, or 0 when none starts there.
std::size_t urlLengthAt(std::string_view text, std::size_t at) {
    if (at > 0 && isWordChar(static_cast<unsigned char>(text[at - 1]))) {
        return 0;
    }
    for (std::string_view start : kUrlStarts) {
        if (!startsWithNoCase(text, at, start)) {
            continue;
        }
        std::size_t end = at + start.size();
        while (end < text.size() && !endsUrl(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
        // Punctuation that ends a sentence is not part of the address.
        while (end > at + start.size() &&
               std::string_view(".,;:!?").find(text[end - 1]) != std::string_view::npos) {
            --end;
        }
        return end > at + start.size() ? end - at : 0;
    }
    return 0;
}

}  // namespace

TPascalLexer::TPascalLexer(QObject* parent) : QsciLexerCustom(parent) {}

const char* TPascalLexer::language() const {
    return "Pascal";
}

bool TPascalLexer::isSpecialByte(unsigned char byte) {
    return (byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') ||
           (byte >= 0x7F && byte <= 0x9F);
}

QString TPascalLexer::description(int style) const {
    if (style >= kSpecialOffset) {
        if (style > kSpecialOffset + Url) {
            return {};
        }
        const QString context = styleName(style - kSpecialOffset);
        return context.isEmpty() ? context : tr("%1 (character drawn by the pane)").arg(context);
    }
    return styleName(style);
}

QString TPascalLexer::styleName(int style) {
    switch (style) {
        case Default:
            return tr("Default");
        case Keyword:
            return tr("Keyword");
        case String:
            return tr("String");
        case Number:
            return tr("Number");
        case Symbol:
            return tr("Symbol");
        case Comment:
            return tr("Comment");
        case Url:
            return tr("Web address");
        default:
            return {};
    }
}

QColor TPascalLexer::defaultColor(int style) const {
    if (style >= kSpecialOffset) {
        return look::kWhite;
    }
    switch (style) {
        case String:
        case Number:
            return look::kNavy;
        case Symbol:
            return look::kMaroon;
        case Comment:
            return look::kCommentGreen;
        case Url:
            return look::kLinkBlue;
        default:
            return look::kBlack;
    }
}

QFont TPascalLexer::defaultFont(int style) const {
    style = baseStyle(style);
    QFont font = look::fixedPitch(style == Keyword ? 8 : 10);
    font.setBold(style == Keyword);
    font.setItalic(style == Comment);
    font.setUnderline(style == Url);
    return font;
}

QColor TPascalLexer::defaultPaper(int /*style*/) const {
    return look::kWhite;
}

const char* TPascalLexer::wordCharacters() const {
    return "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
}

const std::vector<std::string_view>& TPascalLexer::keywordList() {
    static const std::vector<std::string_view> kKeywords = {
        "begin",       "break",          "cdecl",     "class",      "class",     "const",
        "constructor", "continue",       "default",   "destructor", "do",        "else",
        "end",         "except",         "finalise",  "finally",    "for",       "function",
        "if",          "implementation", "inherited", "initialise", "interface", "nil",
        "not",         "override",       "pascal",    "private",    "procedure", "program",
        "program",     "property",       "protected", "public",     "published", "raise",
        "repeat",      "stdcall",        "stored",    "string",     "then",      "to",
        "try",         "type",           "unit",      "until",      "uses",      "var",
        "virtual",     "while",          "with"};
    return kKeywords;
}

bool TPascalLexer::isKeyword(std::string_view word) {
    if (word.empty() || word.size() > 16) {
        return false;
    }
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return quillshift::text::lowerAscii(c); });
    const auto& keywords = keywordList();
    return std::find(keywords.begin(), keywords.end(), lower) != keywords.end();
}

namespace {

// One token of a line outside comments that run on: where it ends, its style, whether web
// addresses inside it are marked, and the comment it opens (Normal for none).
struct Token {
    std::size_t end;
    TPascalLexer::Style style;
    bool withUrls = false;
    TPascalLexer::LineState opens = TPascalLexer::Normal;
};

template <typename Predicate>
std::size_t endOfRun(std::string_view text, std::size_t from, Predicate&& in) {
    while (from < text.size() && in(static_cast<unsigned char>(text[from]))) {
        ++from;
    }
    return from;
}

Token scanToken(std::string_view text, std::size_t i) {
    using L = TPascalLexer;
    const std::size_t n = text.size();
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = [&](char wanted) { return i + 1 < n && text[i + 1] == wanted; };
    if (c == '/' && next('/')) {
        return {endOfRun(text, i, [](unsigned char b) { return !isLineEnd(b); }), L::Comment, true};
    }
    if (c == '(' && next('*')) {
        return {i + 2, L::Comment, false, L::InParenComment};
    }
    if (c == '{') {
        return {i + 1, L::Comment, false, L::InBraceComment};
    }
    if (c == '\'' || c == '"') {
        std::size_t end =
            endOfRun(text, i + 1, [c](unsigned char b) { return b != c && !isLineEnd(b); });
        if (end < n && static_cast<unsigned char>(text[end]) == c) {
            ++end;
        }
        return {end, L::String, true};
    }
    if (isDigit(c)) {
        return {endOfRun(text, i, [](unsigned char b) { return isDigit(b); }), L::Number};
    }
    if (c == '$' && i + 1 < n && isHexDigit(static_cast<unsigned char>(text[i + 1]))) {
        return {endOfRun(text, i + 1, [](unsigned char b) { return isHexDigit(b); }), L::Number};
    }
    if (isLetter(c)) {
        const std::size_t end = endOfRun(text, i, [](unsigned char b) { return isWordChar(b); });
        return {end, L::isKeyword(text.substr(i, end - i)) ? L::Keyword : L::Default};
    }
    if (isLineEnd(c) || kSymbols.find(static_cast<char>(c)) != std::string_view::npos) {
        return {i + 1, L::Symbol};
    }
    return {i + 1, L::Default};
}

}  // namespace

TPascalLexer::LineState TPascalLexer::styleLine(std::string_view text, LineState state,
                                                std::vector<char>& styles) {
    styles.assign(text.size(), static_cast<char>(Default));
    auto paint = [&styles](std::size_t from, std::size_t to, Style style) {
        std::fill(styles.begin() + static_cast<std::ptrdiff_t>(from),
                  styles.begin() + static_cast<std::ptrdiff_t>(to), static_cast<char>(style));
    };
    // Styles the comment or string body from `from` up to `to`, marking web addresses inside it.
    auto paintWithUrls = [&](std::size_t from, std::size_t to, Style style) {
        std::size_t i = from;
        while (i < to) {
            const std::size_t url = urlLengthAt(text.substr(0, to), i);
            if (url > 0) {
                paint(i, i + url, Url);
                i += url;
            } else {
                styles[i] = static_cast<char>(style);
                ++i;
            }
        }
    };

    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (state == InBraceComment || state == InParenComment) {
            const std::string_view closer = state == InBraceComment ? "}" : "*)";
            const std::size_t close = text.find(closer, i);
            if (close == std::string_view::npos) {
                paintWithUrls(i, n, Comment);
                return state;
            }
            paintWithUrls(i, close + closer.size(), Comment);
            i = close + closer.size();
            state = Normal;
            continue;
        }
        if (const std::size_t url = urlLengthAt(text, i); url > 0) {
            paint(i, i + url, Url);
            i += url;
            continue;
        }
        const Token token = scanToken(text, i);
        if (token.withUrls && token.style == String) {
            styles[i] = static_cast<char>(String);  // the opening quote
            paintWithUrls(i + 1, token.end, String);
        } else if (token.withUrls) {
            paintWithUrls(i, token.end, token.style);
        } else {
            paint(i, token.end, token.style);
        }
        if (token.opens != Normal) {
            state = token.opens;
        }
        i = token.end;
    }
    return state;
}

void TPascalLexer::styleText(int start, int end) {
    QsciScintilla* pane = editor();
    if (pane == nullptr || end <= start) {
        return;
    }
    // A document without colours (a large one) takes none: styling it would be asked for again
    // and again from its start.
    if ((pane->SendScintilla(QsciScintillaBase::SCI_GETDOCUMENTOPTIONS) &
         QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE) != 0) {
        return;
    }
    const long firstLine = pane->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start);
    const long lastLine = pane->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, end - 1);
    const long length = pane->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);

    auto state = static_cast<LineState>(
        firstLine > 0 ? pane->SendScintilla(QsciScintillaBase::SCI_GETLINESTATE, firstLine - 1)
                      : 0);
    std::string text;
    std::vector<char> styles;
    const long from = pane->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, firstLine);
    pane->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, from);
    for (long line = firstLine; line <= lastLine; ++line) {
        const long lineStart = pane->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
        long lineEnd = pane->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line + 1);
        if (lineEnd < lineStart) {
            lineEnd = length;
        }
        text.assign(static_cast<std::size_t>(lineEnd - lineStart) + 1, '\0');
        pane->SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, lineStart, lineEnd, text.data());
        text.resize(static_cast<std::size_t>(lineEnd - lineStart));
        state = styleLine(text, state, styles);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (isSpecialByte(static_cast<unsigned char>(text[i]))) {
                styles[i] = static_cast<char>(styles[i] + kSpecialOffset);
            }
        }
        if (!styles.empty()) {
            pane->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX,
                                static_cast<unsigned long>(styles.size()), styles.data());
        }
        pane->SendScintilla(QsciScintillaBase::SCI_SETLINESTATE, static_cast<unsigned long>(line),
                            static_cast<long>(state));
    }
}

QStringList TPascalLexer::completionWords() {
    return {QStringLiteral("MessageDlg"), QStringLiteral("ShowMessage")};
}

QString TPascalLexer::parameterHint(const QString& function) {
    if (function.compare(QLatin1String("ShowMessage"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("ShowMessage(const Msg: string);");
    }
    if (function.compare(QLatin1String("MessageDlg"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral(
            "MessageDlg(const Msg: string; DlgType: TMsgDlgType; Buttons: TMsgDlgButtons; "
            "HelpCtx: Longint): Integer);");
    }
    return {};
}
