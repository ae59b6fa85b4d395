#pragma once

#include <QPlainTextEdit>

#include <string>
#include <vector>

/// The comments box of the properties page: a word-wrapping text box without scroll bars in a
/// sunken border, "Courier New" 8 point, whose Tab key moves the focus on. Its text is
/// Windows-1252: a typed, pasted or dropped text holding a character Windows-1252 cannot hold is
/// refused as a whole with a visible notice.
///
/// Its lines are the lines as typed, split at line breaks (not at the places where the box wraps
/// them for display); a final empty line, left by text that ends in a line break, does not count.
class TCommentsMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TCommentsMemo(QWidget* parent = nullptr);

    /// The lines as Windows-1252 bytes.
    std::vector<std::string> lines() const;

    /// Shows `lines` so that lines() gives them back (a last empty line is followed by a line
    /// break). Cannot be undone.
    void setLines(const std::vector<std::string>& lines);

    /// Paints the box's background.
    void setBackground(const QColor& colour);

signals:
    /// A typed, pasted or dropped text was refused; `notice` says why.
    void textRefused(const QString& notice);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    /// True when `text` can be stored; otherwise tells the user and returns false.
    bool acceptOrRefuse(const QString& text);
};
