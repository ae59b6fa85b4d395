#pragma once

#include <Qsci/qsciscintilla.h>

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TLineNumberGutter;
class TPascalLexer;
class TSpecialBytePainter;
class TTypingHelp;

/// A script pane: a code editor holding the 8-bit bytes of a script, one byte per character, shown
/// as Windows-1252 text with Pascal colouring, an optional zero-padded line-number gutter and a
/// read-only switch.
///
/// The pane never holds a tab: the Tab key inserts four blanks (or, over several lines, indents
/// them with blanks, as Shift+Tab unindents them), and every tab that arrives by
/// loading, setting lines, pasting or dropping becomes four blanks. Typed or pasted characters are
/// stored as their Windows-1252 byte; a character that Windows-1252 cannot hold is refused with a
/// visible notice (and textRefused) instead of being stored as "?".
class TScriptEditor : public QsciScintilla {
    Q_OBJECT

public:
    explicit TScriptEditor(QWidget* parent = nullptr);
    ~TScriptEditor() override;

    /// A pane holding more bytes than this shows them without colours: the colours would take as
    /// much memory again as the text.
    static constexpr std::size_t kLargeText = std::size_t{8} << 20;

    /// The pane's lines as raw bytes, without terminators. CR LF, a lone CR and a lone LF each end
    /// a line, and text that ends with a line end has a final empty line; an empty pane has no
    /// lines.
    std::vector<std::string> lines() const;

    /// Number of lines, counted as lines() counts them.
    std::size_t lineCount() const;

    /// Number of bytes the pane holds, line ends included.
    std::size_t textLength() const;

    /// Line `index` (0-based) as raw bytes; empty when out of range.
    std::string line(std::size_t index) const;

    /// Hands each line, as lines() gives them, to `line`, read in place: the view is valid during
    /// the call only, and `line` must not change this pane.
    void forEachLine(const std::function<void(std::string_view)>& line) const;

    /// Takes one line (without terminator) of a new content.
    using LineSink = std::function<void(std::string_view line)>;

    /// Replaces the content by the lines that `produce` hands to its sink, as setLines does, but
    /// without holding them all: they go into the pane as they come. `sizeHint` is about the
    /// number of bytes they make; above kLargeText the pane shows them without colours.
    void setLinesFrom(std::size_t sizeHint, const std::function<void(const LineSink&)>& produce);

    /// Replaces the content by `lines` joined with LF, each tab replaced by four blanks. Works on a
    /// read-only pane too; the change cannot be undone. Scrolls to the top.
    void setLines(const std::vector<std::string>& lines);

    /// Appends `line` as a new last line (tabs become four blanks), also on a read-only pane.
    void appendLine(std::string_view line);

    /// Removes every line, also on a read-only pane.
    void clearLines();

    /// Replaces the content by the script file at `path`. First collapses the selection, clears
    /// the undo history and puts the caret at the start; then reads the file. When the file cannot
    /// be read or holds a NUL byte, throws quillshift::FileError and keeps the lines.
    void loadFromFile(const std::string& path);

    /// Shows or hides the line-number gutter ("0001" style).
    void setLineNumbersVisible(bool visible);
    bool lineNumbersVisible() const;

    /// Stops repainting until the matching resumeRepaint (calls nest).
    void suspendRepaint();
    void resumeRepaint();

    /// Suspends a pane's repainting for as long as it lives (when given a pane).
    class RepaintSuspension {
    public:
        explicit RepaintSuspension(TScriptEditor* pane) : pane_(pane) {
            if (pane_ != nullptr) {
                pane_->suspendRepaint();
            }
        }
        ~RepaintSuspension() {
            if (pane_ != nullptr) {
                pane_->resumeRepaint();
            }
        }
        RepaintSuspension(const RepaintSuspension&) = delete;
        RepaintSuspension& operator=(const RepaintSuspension&) = delete;

    private:
        TScriptEditor* pane_;
    };

    /// Shows the completion list for the word before the caret.
    void showCompletions();

    /// Refuses a clipboard text that the pane cannot store, as typing does; pastes any other
    /// (a slot, as QsciScintilla declares it).
    void paste() override;

    /// Where a line's text stands on its baseline, from the line's top, in pixels.
    int textBaseline() const;

signals:
    /// A typed, pasted or dropped text was not inserted; `notice` says why.
    void textRefused(const QString& notice);
    /// The pane's viewport was painted; `painter` may draw over it.
    void viewportPainted(QPainter& painter);
    /// The whole content was replaced (setLines, setLinesFrom, clearLines, loadFromFile): unlike
    /// an edit, this is told by no other signal.
    void contentReplaced();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;
    QMimeData* toMimeData(const QByteArray& text, bool rectangular) const override;

private:
    // A key press whose text holds no control character.
    void handleKey(QKeyEvent* event);
    void applyLook();
    void applyCharacterRepresentations();
    void applyDocumentSettings();
    void useDocumentFor(std::size_t bytes);
    std::string_view documentView() const;
    /// Inserts `text` typed by the user at the caret, or refuses it with a notice.
    void typeText(const QString& text);
    void insertTypedBytes(const std::string& bytes);
    bool selectionSpansLines() const;
    void refuse(const QString& problem);

    TPascalLexer* lexer_;
    TLineNumberGutter* lineNumbers_;
    TTypingHelp* typingHelp_ = nullptr;
    std::unique_ptr<TSpecialBytePainter> specialBytes_;
    int suspendCount_ = 0;
    void* firstDocument_ = nullptr;  // the editor's own document, while another is shown
};
