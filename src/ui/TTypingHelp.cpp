#include "ui/TTypingHelp.h"

#include <Qsci/qsciscintilla.h>

#include <QScreen>

#include <algorithm>

#include "ui/TPascalLexer.h"

namespace {

// The parameter hint's box reaches this far left and right of its text.
constexpr int kHintInset = 5;
// Letters of a function's name typed before the completion list is offered.
constexpr int kTypedBeforeList = 3;

bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

}  // namespace

TTypingHelp::TTypingHelp(QsciScintilla& pane, QsciLexer& lexer)
    : QsciAbstractAPIs(&lexer), pane_(pane) {
    pane_.setAutoCompletionSource(QsciScintilla::AcsAPIs);
    pane_.setAutoCompletionThreshold(kTypedBeforeList);
    pane_.setAutoCompletionCaseSensitivity(false);
    pane_.setAutoCompletionUseSingle(QsciScintilla::AcusNever);
    // The hints are this class's own, placed where they fit.
    pane_.setCallTipsStyle(QsciScintilla::CallTipsNone);
    pane_.SendScintilla(QsciScintillaBase::SCI_CALLTIPSETPOSITION, 0UL);
    connect(&pane_, &QsciScintillaBase::SCN_CHARADDED, this, &TTypingHelp::onCharAdded);
}

void TTypingHelp::showCompletions() {
    pane_.autoCompleteFromAPIs();
}

void TTypingHelp::updateAutoCompletionList(const QStringList& context, QStringList& list) {
    const QString typed = context.isEmpty() ? QString() : context.last();
    for (const QString& word : TPascalLexer::completionWords()) {
        // The whole name typed needs no list.
        if (word.startsWith(typed, Qt::CaseInsensitive) && word.size() > typed.size()) {
            list << word;
        }
    }
}

QStringList TTypingHelp::callTips(const QStringList& /*context*/, int /*commas*/,
                                  QsciScintilla::CallTipsStyle /*style*/, QList<int>& /*shifts*/) {
    return {};
}

void TTypingHelp::onCharAdded(int character) {
    const long position = pane_.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    if (character == '(') {
        const std::string word = wordBeforePosition(position - 1);
        const QString hint = TPascalLexer::parameterHint(QString::fromLatin1(word));
        if (!hint.isEmpty()) {
            showParameterHint(position - 1 - static_cast<long>(word.size()), hint);
        }
    } else if (character == ')') {
        pane_.SendScintilla(QsciScintillaBase::SCI_CALLTIPCANCEL);
    }
}

std::string TTypingHelp::wordBeforePosition(long position) const {
    long start = position;
    while (start > 0 && isWordByte(static_cast<char>(
                            pane_.SendScintilla(QsciScintillaBase::SCI_GETCHARAT, start - 1)))) {
        --start;
    }
    std::string word(static_cast<std::size_t>(position - start) + 1, '\0');
    pane_.SendScintilla(QsciScintillaBase::SCI_GETTEXTRANGE, start, position, word.data());
    word.resize(static_cast<std::size_t>(position - start));
    return word;
}

QString TTypingHelp::brokenHint(const QString& hint, int maxWidth,
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

void TTypingHelp::showParameterHint(long functionStart, const QString& hint) {
    const auto measure = [this](const QString& text) {
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            widest = std::max(widest,
                              static_cast<int>(pane_.SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
                                                                   QsciScintillaBase::STYLE_DEFAULT,
                                                                   line.toLatin1().constData())));
        }
        return widest;
    };
    // The room the hint may take, in the pane's coordinates: the window, within the screen.
    QRect room(pane_.viewport()->mapFrom(pane_.window(), QPoint(0, 0)), pane_.window()->size());
    if (const QScreen* shown = pane_.screen()) {
        const QRect available = shown->availableGeometry();
        room &= QRect(pane_.viewport()->mapFromGlobal(available.topLeft()), available.size());
    }
    int textLeft = 0;
    for (int margin = 0; margin < 3; ++margin) {
        textLeft += pane_.marginWidth(margin);
    }
    const int leftmost = std::max(room.left() + kHintInset, textLeft);
    const int rightEnd = room.right() + 1 - kHintInset;
    const long lineStart = pane_.SendScintilla(
        QsciScintillaBase::SCI_POSITIONFROMLINE,
        pane_.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, functionStart));
    const auto xOf = [this](long position) {
        return static_cast<int>(
            pane_.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position));
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
    pane_.SendScintilla(QsciScintillaBase::SCI_CALLTIPSHOW, static_cast<unsigned long>(anchor),
                        text.toLatin1().constData());
}
