#include "ui/TScriptEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <optional>

#include "base/TextOps.h"
#include "conversion/ScriptLoader.h"
#include "conversion/Windows1252.h"
#include "ui/Look.h"
#include "ui/TFieldText.h"
#include "ui/TLineNumberGutter.h"
#include "ui/TPascalLexer.h"
#include "ui/TSpecialBytePainter.h"
#include "ui/TTypingHelp.h"

namespace {

/// `text` as Windows-1252 bytes with tabs replaced, or nothing (and `problem` set) when a
/// character has no Windows-1252 form.
std::optional<std::string> encodeForPane(const QString& text, std::string* problem) {
    const QByteArray utf8 = text.toUtf8();
    return quillshift::windows1252::fromUtf8(
        quillshift::text::expandTabs(
            std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))),
        problem);
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

}  // namespace

TScriptEditor::TScriptEditor(QWidget* parent)
    : QsciScintilla(parent),
      lexer_(new TPascalLexer(this)),
      lineNumbers_(new TLineNumberGutter(*this)),
      specialBytes_(std::make_unique<TSpecialBytePainter>(*this, *lexer_)) {
    setUtf8(false);
    setLexer(lexer_);
    typingHelp_ = new TTypingHelp(*this, *lexer_);
    applyLook();
    applyCharacterRepresentations();
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
    setCaretForegroundColor(look::kBlack);
    setSelectionForegroundColor(look::kWhite);
    setSelectionBackgroundColor(look::kNavy);
    setEdgeMode(EdgeLine);
    setEdgeColumn(TSpecialBytePainter::kEdgeColumn);
    setEdgeColor(look::kEdgeGrey);
    setBraceMatching(NoBraceMatch);
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);

    for (int margin = 1; margin < 3; ++margin) {
        setMarginWidth(margin, 0);
    }

    // Bytes without a glyph are measured as one blank of the text font; paintEvent draws them.
    QFont text = lexer_->font(TPascalLexer::Default);
    SendScintilla(SCI_STYLESETFONT, STYLE_CONTROLCHAR, text.family().toLatin1().constData());
    SendScintilla(SCI_STYLESETSIZE, STYLE_CONTROLCHAR, static_cast<long>(text.pointSize()));
    SendScintilla(SCI_SETCONTROLCHARSYMBOL, static_cast<unsigned long>(' '));

    SendScintilla(SCI_CALLTIPSETBACK, look::kInfoTip);
    SendScintilla(SCI_CALLTIPSETFORE, look::kBlack);
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
    const auto* chars = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return {chars, static_cast<std::size_t>(length)};
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
        // Scintilla hands the new document back as a number.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
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
    lineNumbers_->refresh();
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
    lineNumbers_->refresh();
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

void TScriptEditor::suspendRepaint() {
    if (suspendCount_++ == 0) {
        setUpdatesEnabled(false);
    }
}

void TScriptEditor::resumeRepaint() {
    if (suspendCount_ > 0 && --suspendCount_ == 0) {
        setUpdatesEnabled(true);
        lineNumbers_->refresh();
    }
}

void TScriptEditor::refuse(const QString& problem) {
    const QString notice = TFieldText::refusalNotice(problem);
    const long position = SendScintilla(SCI_GETCURRENTPOS);
    const QPoint caret(static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, position)),
                       static_cast<int>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, position) +
                                        SendScintilla(SCI_TEXTHEIGHT, 0UL)));
    TFieldText::showRefusal(viewport(), caret, notice);
    emit textRefused(notice);
}

void TScriptEditor::setLineNumbersVisible(bool visible) {
    lineNumbers_->setVisible(visible);
}

bool TScriptEditor::lineNumbersVisible() const {
    return lineNumbers_->isVisible();
}

void TScriptEditor::showCompletions() {
    typingHelp_->showCompletions();
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
            SendScintilla(SCI_GETLINEENDPOSITION,
                          SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(start)));
        const long replaced = std::min(lineEnd, start + static_cast<long>(bytes.size()));
        SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), replaced);
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
        handleKey(&command);
        event->setAccepted(command.isAccepted());
        return;
    }
    handleKey(event);
}

void TScriptEditor::handleKey(QKeyEvent* event) {
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
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!isReadOnly() && mime != nullptr && mime->hasText()) {
        std::string problem;
        if (!encodeForPane(mime->text(), &problem)) {
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
    QMimeData* mime = QsciScintilla::toMimeData(text, rectangular);
    const std::string utf8 = quillshift::windows1252::toUtf8(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    mime->setText(QString::fromStdString(utf8));
    return mime;
}

void TScriptEditor::paintEvent(QPaintEvent* event) {
    QsciScintilla::paintEvent(event);
    QPainter painter(viewport());
    specialBytes_->paint(painter);
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
