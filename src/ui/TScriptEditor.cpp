#include "ui/TScriptEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include <algorithm>
#include <optional>

#include "base/TextOps.h"
#include "conversion/ScriptLoader.h"
#include "conversion/Windows1252.h"
#include "ui/Look.h"
#include "ui/TPascalLexer.h"

namespace {

const QColor kEdgeGrey(226, 226, 226);
constexpr int kEdgeColumn = 80;
constexpr int kMinimumLineNumberDigits = 4;
// The parameter hint's box reaches this far left and right of its text.
constexpr int kHintInset = 5;

/// `text` as Windows-1252 bytes with tabs replaced, or nothing (and `problem` set) when a
/// character has no Windows-1252 form.
std::optional<std::string> encodeForPane(const QString& text, std::string* problem) {
    const QByteArray utf8 = text.toUtf8();
    return quillshift::windows1252::fromUtf8(
        quillshift::text::expandTabs(std::string_view(utf8.constData(), utf8.size())), problem);
}

/// Appends `line` to `bytes` with its tabs replaced (copied as it is when it has none).
void appendExpanded(std::string& bytes, std::string_view line) {
    if (line.find('\t') == std::string_view::npos) {
        bytes += line;
    } else {
        bytes += quillshift::text::expandTabs(line);
    }
}

/// True for the C0 and C1 control characters and DEL: never text a user types.
bool isControlCharacter(QChar c) {
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
}

bool hasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(), isControlCharacter);
}

QString withoutControlCharacters(QString text) {
    text.removeIf(isControlCharacter);
    return text;
}

/// True when `text` must be stored by the pane itself: it holds a character outside ASCII, which
/// the editor would otherwise store as Latin-1 or "?".
bool needsOwnInsertion(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x7E; });
}

bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

/// The character a byte without a glyph of its own stands for: its Windows-1252 character, or
/// nothing for control characters and the bytes Windows-1252 leaves undefined (drawn as a box).
QString specialGlyph(unsigned char byte) {
    const char32_t unicode = quillshift::windows1252::toUnicode(byte);
    if (unicode < 0xA0) {
        return {};
    }
    return QString::fromUcs4(&unicode, 1);
}

}  // namespace

TScriptEditor::TScriptEditor(QWidget* parent)
    : QsciScintilla(parent), lexer_(new TPascalLexer(this)) {
    setUtf8(false);
    setLexer(lexer_);
    applyLook();
    applyCharacterRepresentations();
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { refreshLineNumbers(); });
    connect(this, &QsciScintillaBase::SCN_CHARADDED, this, &TScriptEditor::onCharAdded);
}

TScriptEditor::~TScriptEditor() {
    if (firstDocument_ != nullptr) {
        // The editor releases the document it made itself when it goes.
        SendScintilla(SCI_SETDOCPOINTER, 0UL, firstDocument_);
        SendScintilla(SCI_RELEASEDOCUMENT, 0UL, firstDocument_);
    }
}

void TScriptEditor::applyDocumentSettings() {
    setEolMode(EolUnix);
    setTabWidth(4);
    setIndentationsUseTabs(false);
    setTabIndents(false);
    setBackspaceUnindents(false);
}

void TScriptEditor::applyLook() {
    setFrameStyle(QFrame::NoFrame);
    applyDocumentSettings();
    setAutoIndent(false);
    setWrapMode(WrapNone);
    setFolding(NoFoldStyle);
    setCaretLineVisible(false);
    setCaretForegroundColor(Qt::black);
    setSelectionForegroundColor(Qt::white);
    setSelectionBackgroundColor(look::kNavy);
    setEdgeMode(EdgeLine);
    setEdgeColumn(kEdgeColumn);
    setEdgeColor(kEdgeGrey);
    setAutoCompletionSource(AcsNone);
    setCallTipsStyle(CallTipsNone);
    setBraceMatching(NoBraceMatch);
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);

    for (int margin = 0; margin < 3; ++margin) {
        setMarginWidth(margin, 0);
    }
    setMarginType(0, TextMarginRightJustified);
    setMarginsFont(look::marginFont());
    setMarginsBackgroundColor(look::kMarginGrey);
    setMarginsForegroundColor(Qt::black);

    // Bytes without a glyph are measured as one blank of the text font; paintEvent draws them.
    QFont text = lexer_->font(TPascalLexer::Default);
    SendScintilla(SCI_STYLESETFONT, STYLE_CONTROLCHAR, text.family().toLatin1().constData());
    SendScintilla(SCI_STYLESETSIZE, STYLE_CONTROLCHAR, static_cast<long>(text.pointSize()));
    SendScintilla(SCI_SETCONTROLCHARSYMBOL, static_cast<unsigned long>(' '));

    SendScintilla(SCI_AUTOCSETIGNORECASE, 1UL);
    SendScintilla(SCI_AUTOCSETAUTOHIDE, 1UL);
    SendScintilla(SCI_AUTOCSETSEPARATOR, static_cast<unsigned long>(' '));
    SendScintilla(SCI_CALLTIPSETBACK, look::kInfoTip);
    SendScintilla(SCI_CALLTIPSETFORE, QColor(Qt::black));
    SendScintilla(SCI_CALLTIPSETPOSITION, 0UL);
}

void TScriptEditor::applyCharacterRepresentations() {
    for (int byte = 0x7F; byte <= 0x9F; ++byte) {
        const char encoded[2] = {static_cast<char>(byte), '\0'};
        SendScintilla(SCI_SETREPRESENTATION, encoded, "?");
    }
}

std::string_view TScriptEditor::documentView() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    if (length <= 0) {
        return {};
    }
    const auto* data = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return {data, static_cast<std::size_t>(length)};
}

std::vector<std::string> TScriptEditor::lines() const {
    std::vector<std::string> result;
    forEachLine([&result](std::string_view line) { result.emplace_back(line); });
    return result;
}

void TScriptEditor::forEachLine(const std::function<void(std::string_view)>& line) const {
    const std::string_view text = documentView();
    if (text.empty()) {
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            line(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    line(text.substr(start));
}

std::size_t TScriptEditor::textLength() const {
    return static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
}

std::size_t TScriptEditor::lineCount() const {
    if (SendScintilla(SCI_GETLENGTH) == 0) {
        return 0;
    }
    return static_cast<std::size_t>(SendScintilla(SCI_GETLINECOUNT));
}

std::string TScriptEditor::line(std::size_t index) const {
    if (index >= lineCount()) {
        return {};
    }
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(index));
    std::string text(static_cast<std::size_t>(end - start) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, start, end, text.data());
    text.resize(static_cast<std::size_t>(end - start));
    return text;
}

void TScriptEditor::useDocumentFor(std::size_t bytes) {
    const bool large = bytes > kLargeText;
    const long current = SendScintilla(SCI_GETDOCUMENTOPTIONS);
    if (large == ((current & SC_DOCUMENTOPTION_STYLES_NONE) != 0)) {
        return;
    }
    // A large text goes into a document without colours, which takes half the memory. The
    // editor's first document is kept alive, so that it can be given back before the editor
    // goes.
    if (firstDocument_ == nullptr) {
        firstDocument_ = SendScintillaPtrResult(SCI_GETDOCPOINTER);
        SendScintilla(SCI_ADDREFDOCUMENT, 0UL, firstDocument_);
    }
    if (large) {
        void* document = reinterpret_cast<void*>(SendScintilla(
            SCI_CREATEDOCUMENT, 0UL, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE)));
        SendScintilla(SCI_SETDOCPOINTER, 0UL, document);
        SendScintilla(SCI_RELEASEDOCUMENT, 0UL, document);
    } else {
        SendScintilla(SCI_SETDOCPOINTER, 0UL, firstDocument_);
    }
    applyDocumentSettings();
}

void TScriptEditor::setLinesFrom(std::size_t sizeHint,
                                 const std::function<void(const LineSink&)>& produce) {
    const bool readOnly = isReadOnly();
    // Nobody is told of each piece: the editor's own bookkeeping of a change costs as much as the
    // text before it, so that telling it of every piece would take time growing with the square
    // of the text. Listeners hear of the new content as a whole.
    const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
    SendScintilla(SCI_SETMODEVENTMASK, 0UL);
    // The old text is not kept for undoing: it goes for good.
    SendScintilla(SCI_SETREADONLY, 0UL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_CLEARALL);
    useDocumentFor(sizeHint);
    SendScintilla(SCI_SETREADONLY, 0UL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    // The text goes in in pieces, into a buffer allocated once, so that it is never held twice.
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(sizeHint));
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::string piece;
    piece.reserve(kPiece + 1024);
    const auto flush = [this, &piece] {
        if (!piece.empty()) {
            SendScintilla(SCI_APPENDTEXT, piece.size(), piece.data());
            piece.clear();
        }
    };
    bool first = true;
    produce([&](std::string_view line) {
        if (!first) {
            piece += '\n';
        }
        first = false;
        appendExpanded(piece, line);
        if (piece.size() >= kPiece) {
            flush();
        }
    });
    flush();
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETSAVEPOINT);
    SendScintilla(SCI_GOTOPOS, 0UL);
    SendScintilla(SCI_SETREADONLY, readOnly ? 1UL : 0UL);
    // The scroll width only grows with the widest line drawn; new content starts it afresh.
    SendScintilla(SCI_SETXOFFSET, 0UL);
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    refreshLineNumbers();
    emit contentReplaced();
}

void TScriptEditor::setLines(const std::vector<std::string>& lines) {
    std::size_t size = lines.size();
    for (const std::string& line : lines) {
        size += line.size();
    }
    setLinesFrom(size, [&lines](const LineSink& add) {
        for (const std::string& line : lines) {
            add(line);
        }
    });
}

void TScriptEditor::appendLine(std::string_view line) {
    std::string bytes = SendScintilla(SCI_GETLENGTH) > 0 ? "\n" : "";
    appendExpanded(bytes, line);
    if (bytes.empty()) {
        return;
    }
    const bool readOnly = isReadOnly();
    SendScintilla(SCI_SETREADONLY, 0UL);
    SendScintilla(SCI_APPENDTEXT, bytes.size(), bytes.data());
    SendScintilla(SCI_SETREADONLY, readOnly ? 1UL : 0UL);
    refreshLineNumbers();
}

void TScriptEditor::clearLines() {
    setLinesFrom(0, [](const LineSink&) {});
}

void TScriptEditor::loadFromFile(const std::string& path) {
    SendScintilla(SCI_GOTOPOS, 0UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    const std::string bytes = quillshift::readFileBytes(path);
    quillshift::requireNoNulByte(path, bytes);
    const auto tabs = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\t'));
    setLinesFrom(bytes.size() + tabs * (quillshift::text::kTabReplacement.size() - 1),
                 [&bytes](const LineSink& add) {
                     quillshift::ScriptLineReader reader(bytes);
                     std::string_view line;
                     std::string scratch;
                     while (reader.next(line, scratch)) {
                         add(line);
                     }
                 });
}

void TScriptEditor::setLineNumbersVisible(bool visible) {
    lineNumbersVisible_ = visible;
    if (!visible) {
        lineNumberDigits_ = 0;
        setMarginWidth(0, 0);
        return;
    }
    refreshLineNumbers();
}

int TScriptEditor::lineNumberWidth() const {
    const std::string digits(static_cast<std::size_t>(lineNumberDigits_), '0');
    return static_cast<int>(SendScintilla(SCI_TEXTWIDTH, STYLE_LINENUMBER, digits.c_str())) + 8;
}

void TScriptEditor::refreshLineNumbers() {
    if (!lineNumbersVisible_) {
        return;
    }
    const long total = SendScintilla(SCI_GETLINECOUNT);
    const int digits =
        std::max(kMinimumLineNumberDigits, static_cast<int>(QString::number(total).size()));
    if (digits != lineNumberDigits_) {
        lineNumberDigits_ = digits;
        setMarginWidth(0, lineNumberWidth());
    }
    // Only the lines on screen are numbered, so that editing a long script stays fast.
    const long firstVisible = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    const long first = SendScintilla(SCI_DOCLINEFROMVISIBLE, firstVisible);
    const long last = std::min(total - 1, first + SendScintilla(SCI_LINESONSCREEN) + 1);
    char current[32];
    for (long line = first; line <= last; ++line) {
        const QByteArray wanted =
            QStringLiteral("%1").arg(line + 1, digits, 10, QLatin1Char('0')).toLatin1();
        const long length = SendScintilla(SCI_MARGINGETTEXT, line, static_cast<void*>(nullptr));
        if (length == wanted.size()) {
            SendScintilla(SCI_MARGINGETTEXT, line, static_cast<void*>(current));
            if (std::string_view(current, static_cast<std::size_t>(length)) ==
                std::string_view(wanted.constData(), static_cast<std::size_t>(wanted.size()))) {
                continue;
            }
        }
        SendScintilla(SCI_MARGINSETTEXT, line, wanted.constData());
        SendScintilla(SCI_MARGINSETSTYLE, line, static_cast<long>(STYLE_LINENUMBER));
    }
}

void TScriptEditor::suspendRepaint() {
    if (suspendCount_++ == 0) {
        setUpdatesEnabled(false);
    }
}

void TScriptEditor::resumeRepaint() {
    if (suspendCount_ > 0 && --suspendCount_ == 0) {
        setUpdatesEnabled(true);
        refreshLineNumbers();
    }
}

void TScriptEditor::refuse(const QString& problem) {
    const QString notice =
        tr("Not inserted: %1. Scripts are stored as Windows-1252 text.").arg(problem);
    const long position = SendScintilla(SCI_GETCURRENTPOS);
    const QPoint caret(static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, position)),
                       static_cast<int>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, position) +
                                        SendScintilla(SCI_TEXTHEIGHT, 0UL)));
    QToolTip::showText(viewport()->mapToGlobal(caret), notice, this, QRect(), 5000);
    QApplication::beep();
    emit textRefused(notice);
}

void TScriptEditor::insertTypedBytes(const std::string& bytes) {
    if (isReadOnly() || bytes.empty()) {
        return;
    }
    SendScintilla(SCI_BEGINUNDOACTION);
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const long end = SendScintilla(SCI_GETSELECTIONEND);
    if (start == end && SendScintilla(SCI_GETOVERTYPE) != 0) {
        const long lineEnd =
            SendScintilla(SCI_GETLINEENDPOSITION, SendScintilla(SCI_LINEFROMPOSITION, start));
        const long replaced = std::min(lineEnd, start + static_cast<long>(bytes.size()));
        SendScintilla(SCI_SETSEL, start, replaced);
    }
    SendScintilla(SCI_REPLACESEL, 0UL, bytes.c_str());
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_SCROLLCARET);
}

bool TScriptEditor::selectionSpansLines() const {
    return SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONSTART)) !=
           SendScintilla(SCI_LINEFROMPOSITION, SendScintilla(SCI_GETSELECTIONEND));
}

void TScriptEditor::typeText(const QString& text) {
    std::string problem;
    std::optional<std::string> bytes = encodeForPane(text, &problem);
    if (!bytes) {
        refuse(QString::fromStdString(problem));
        return;
    }
    insertTypedBytes(*bytes);
}

void TScriptEditor::keyPressEvent(QKeyEvent* event) {
    if (hasControlCharacter(event->text())) {
        // X11 gives command keys a control character as their text (Delete gives DEL, Ctrl with a
        // letter a C0 code): the editor gets such a key without it, so that it can only run the
        // key's command and never store the character.
        QKeyEvent command(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                          event->nativeVirtualKey(), event->nativeModifiers(), QString(),
                          event->isAutoRepeat(), static_cast<quint16>(event->count()));
        keyPressEvent(&command);
        event->setAccepted(command.isAccepted());
        return;
    }
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        (modifiers & ~Qt::ShiftModifier) == Qt::ControlModifier) {
        // Tab indents, so Ctrl+Tab and Ctrl+Shift+Tab move the focus on to the next or previous
        // control. The editor's own focusNextPrevChild keeps the focus, hence QWidget's.
        // NOLINTNEXTLINE(bugprone-parent-virtual-call)
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab &&
                                    modifiers == Qt::ControlModifier);
        event->accept();
        return;
    }
    if (!isReadOnly()) {
        if (event->key() == Qt::Key_Tab && modifiers == Qt::NoModifier && !isListActive()) {
            if (selectionSpansLines()) {
                SendScintilla(SCI_TAB);  // indents the selected lines with blanks
            } else {
                insertTypedBytes(std::string(quillshift::text::kTabReplacement));
            }
            event->accept();
            return;
        }
        if (event->matches(QKeySequence::Paste)) {
            paste();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Space && modifiers == Qt::ControlModifier) {
            showCompletions();
            event->accept();
            return;
        }
        if (needsOwnInsertion(event->text())) {
            typeText(event->text());
            event->accept();
            return;
        }
    }
    QsciScintilla::keyPressEvent(event);
}

void TScriptEditor::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = withoutControlCharacters(event->commitString());
    if (isReadOnly() ||
        (commit.size() == event->commitString().size() && !needsOwnInsertion(commit))) {
        QsciScintilla::inputMethodEvent(event);
        return;
    }
    if (!commit.isEmpty()) {
        typeText(commit);
    }
    QInputMethodEvent preeditOnly(event->preeditString(), event->attributes());
    QsciScintilla::inputMethodEvent(&preeditOnly);
    event->accept();
}

void TScriptEditor::paste() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!isReadOnly() && data != nullptr && data->hasText()) {
        std::string problem;
        if (!encodeForPane(data->text(), &problem)) {
            refuse(QString::fromStdString(problem));
            return;
        }
    }
    QsciScintilla::paste();
}

bool TScriptEditor::canInsertFromMimeData(const QMimeData* source) const {
    return QsciScintilla::canInsertFromMimeData(source) && source->hasText() &&
           encodeForPane(source->text(), nullptr).has_value();
}

QByteArray TScriptEditor::fromMimeData(const QMimeData* source, bool& rectangular) const {
    QsciScintilla::fromMimeData(source, rectangular);
    std::optional<std::string> bytes = encodeForPane(source->text(), nullptr);
    if (!bytes) {
        return {};
    }
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

QMimeData* TScriptEditor::toMimeData(const QByteArray& text, bool rectangular) const {
    QMimeData* data = QsciScintilla::toMimeData(text, rectangular);
    const std::string utf8 = quillshift::windows1252::toUtf8(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    data->setText(QString::fromStdString(utf8));
    return data;
}

std::string TScriptEditor::wordBeforePosition(long position) const {
    long start = position;
    while (start > 0 && isWordByte(static_cast<char>(SendScintilla(SCI_GETCHARAT, start - 1)))) {
        --start;
    }
    std::string word(static_cast<std::size_t>(position - start) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, start, position, word.data());
    word.resize(static_cast<std::size_t>(position - start));
    return word;
}

void TScriptEditor::showCompletions() {
    const std::string word = wordBeforePosition(SendScintilla(SCI_GETCURRENTPOS));
    const QByteArray list = TPascalLexer::completionWords().join(QLatin1Char(' ')).toLatin1();
    SendScintilla(SCI_AUTOCSHOW, word.size(), list.constData());
}

void TScriptEditor::onCharAdded(int character) {
    const long position = SendScintilla(SCI_GETCURRENTPOS);
    if (character == '(') {
        const std::string word = wordBeforePosition(position - 1);
        const QString hint = TPascalLexer::parameterHint(QString::fromLatin1(word));
        if (!hint.isEmpty()) {
            showParameterHint(position - 1 - static_cast<long>(word.size()), hint);
        }
    } else if (character == ')') {
        SendScintilla(SCI_CALLTIPCANCEL);
    } else if (isWordByte(static_cast<char>(character)) && !isListActive()) {
        const QString word = QString::fromLatin1(wordBeforePosition(position));
        constexpr int kTypedBeforeList = 3;
        if (word.size() >= kTypedBeforeList) {
            const QStringList words = TPascalLexer::completionWords();
            const bool matches = std::any_of(words.begin(), words.end(), [&word](const QString& w) {
                return w.startsWith(word, Qt::CaseInsensitive) && w.size() > word.size();
            });
            if (matches) {
                showCompletions();
            }
        }
    }
}

QString TScriptEditor::brokenHint(const QString& hint, int maxWidth,
                                  const std::function<int(const QString&)>& width) {
    QStringList pieces = hint.split(QStringLiteral("; "));
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        pieces[i] += QLatin1Char(';');
    }
    const auto pack = [&](const QString& indent) {
        QStringList lines{pieces.first()};
        for (qsizetype i = 1; i < pieces.size(); ++i) {
            const QString longer = lines.last() + QLatin1Char(' ') + pieces[i];
            if (width(longer) <= maxWidth) {
                lines.last() = longer;
            } else {
                lines.append(indent + pieces[i]);
            }
        }
        return lines;
    };
    const QStringList aligned = pack(QString(hint.indexOf(QLatin1Char('(')) + 1, QLatin1Char(' ')));
    const bool alignedFits = std::all_of(aligned.begin(), aligned.end(), [&](const QString& line) {
        return width(line) <= maxWidth;
    });
    return (alignedFits ? aligned : pack(QString())).join(QLatin1Char('\n'));
}

void TScriptEditor::showParameterHint(long functionStart, const QString& hint) {
    const auto measure = [this](const QString& text) {
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            widest = std::max(widest, static_cast<int>(SendScintilla(SCI_TEXTWIDTH, STYLE_DEFAULT,
                                                                     line.toLatin1().constData())));
        }
        return widest;
    };
    // The room the hint may take, in the pane's coordinates: the window, within the screen.
    QRect room(viewport()->mapFrom(window(), QPoint(0, 0)), window()->size());
    if (const QScreen* shown = screen()) {
        const QRect available = shown->availableGeometry();
        room &= QRect(viewport()->mapFromGlobal(available.topLeft()), available.size());
    }
    int textLeft = 0;
    for (int margin = 0; margin < 3; ++margin) {
        textLeft += marginWidth(margin);
    }
    const int leftmost = std::max(room.left() + kHintInset, textLeft);
    const int rightEnd = room.right() + 1 - kHintInset;
    const long lineStart =
        SendScintilla(SCI_POSITIONFROMLINE, SendScintilla(SCI_LINEFROMPOSITION, functionStart));
    const auto xOf = [this](long position) {
        return static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, position));
    };
    // The position nearest to the function, on its line and on screen, where a hint `width`
    // wide fits; -1 when there is none.
    const auto anchorFor = [&](int width) -> long {
        for (long position = functionStart; position >= lineStart; --position) {
            const int x = xOf(position);
            if (x < leftmost) {
                break;
            }
            if (x + width <= rightEnd) {
                return position;
            }
        }
        return -1;
    };
    QString text = hint;
    long anchor = anchorFor(measure(text));
    if (anchor < 0) {
        long first = functionStart;
        while (first > lineStart && xOf(first - 1) >= leftmost) {
            --first;
        }
        text = brokenHint(hint, rightEnd - xOf(first), measure);
        anchor = anchorFor(measure(text));
        if (anchor < 0) {
            anchor = first;
        }
    }
    SendScintilla(SCI_CALLTIPSHOW, static_cast<unsigned long>(anchor), text.toLatin1().constData());
}

void TScriptEditor::paintEvent(QPaintEvent* event) {
    QsciScintilla::paintEvent(event);
    QPainter painter(viewport());
    painter.save();
    paintSpecialCharacters(painter);
    painter.restore();
    emit viewportPainted(painter);
}

int TScriptEditor::textBaseline() const {
    // As the editor places the text of a line, and the margin's text with it: the tallest
    // ascent of its styles' fonts, in whole pixels.
    qreal ascent = QFontMetricsF(look::marginFont()).ascent();
    for (int style = 0; style < TPascalLexer::kSpecialOffset * 2; ++style) {
        ascent = std::max(ascent, QFontMetricsF(lexer_->font(style)).ascent());
    }
    return static_cast<int>(ascent);
}

void TScriptEditor::paintSpecialCharacters(QPainter& painter) {
    int textLeft = 0;
    for (int margin = 0; margin < 3; ++margin) {
        textLeft += marginWidth(margin);
    }
    painter.setClipRect(QRect(textLeft, 0, viewport()->width() - textLeft, viewport()->height()),
                        Qt::IntersectClip);

    const long total = SendScintilla(SCI_GETLINECOUNT);
    const long first =
        SendScintilla(SCI_DOCLINEFROMVISIBLE, SendScintilla(SCI_GETFIRSTVISIBLELINE));
    const long last = std::min(total - 1, first + SendScintilla(SCI_LINESONSCREEN) + 1);
    const int lineHeight = static_cast<int>(SendScintilla(SCI_TEXTHEIGHT, 0UL));
    const long selectionStart = SendScintilla(SCI_GETSELECTIONSTART);
    const long selectionEnd = SendScintilla(SCI_GETSELECTIONEND);
    const std::string edgeBlanks(kEdgeColumn, ' ');
    const int edgeWidth =
        static_cast<int>(SendScintilla(SCI_TEXTWIDTH, STYLE_DEFAULT, edgeBlanks.c_str()));

    // The right-margin line is two pixels wide and drawn over the text, so that glyphs of long
    // lines do not break it.
    const int edgeX = static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL,
                                                     SendScintilla(SCI_POSITIONFROMLINE, first))) +
                      edgeWidth + 1;

    std::string text;
    for (long line = first; line <= last; ++line) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
        const int y = static_cast<int>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, start));
        text.assign(static_cast<std::size_t>(end - start) + 1, '\0');
        SendScintilla(SCI_GETTEXTRANGE, start, end, text.data());
        for (long i = 0; i < end - start; ++i) {
            const auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
            if (!TPascalLexer::isSpecialByte(byte)) {
                continue;
            }
            const long position = start + i;
            const int x = static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, position));
            const int next =
                static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, position + 1));
            const QRect cell(x, y, std::max(next - x, 1), lineHeight);
            const bool selected = position >= selectionStart && position < selectionEnd;
            const int style =
                TPascalLexer::baseStyle(static_cast<int>(SendScintilla(SCI_GETSTYLEAT, position)));
            const QColor colour = selected ? QColor(Qt::white) : lexer_->color(style);
            if (selected) {
                painter.fillRect(cell, look::kNavy);
            }
            const QString glyph = specialGlyph(byte);
            if (glyph.isEmpty()) {
                painter.setPen(colour);
                painter.drawRect(cell.adjusted(2, 3, -3, -4));
            } else {
                painter.setFont(lexer_->font(style));
                painter.setPen(colour);
                painter.drawText(cell, Qt::AlignCenter, glyph);
            }
        }
    }
    painter.fillRect(QRect(edgeX - 1, 0, 2, viewport()->height()), kEdgeGrey);
}
