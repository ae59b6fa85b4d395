#pragma once

#include <QColor>
#include <QLineEdit>

#include <string>

/// A single-line properties field: "Courier New" 8 point in a flat one-pixel border, pale yellow
/// (info-tip) while enabled, the window colour while it has the keyboard focus and silver while
/// disabled. Its text is Windows-1252: a typed, pasted or dropped entry holding a character that
/// Windows-1252 cannot hold, or a line break, is refused as a whole with a visible notice.
class TPropertyEdit : public QLineEdit {
    Q_OBJECT

public:
    /// Gives `palette`'s disabled colours the grey text and the frame shades of the enabled
    /// state, so that a locked field stays readable and outlined on the silver page.
    static void keepLockedFieldReadable(QPalette& palette);

    explicit TPropertyEdit(QWidget* parent = nullptr);

    /// True when losing the focus by `event` leaves the field its focused look: the focus goes to
    /// another window or a popup menu and comes back to it.
    static bool keepsFocusLook(const QFocusEvent& event);

    /// The text as Windows-1252 bytes.
    std::string bytes() const;

    /// Shows `bytes` (Windows-1252), whatever their length.
    void setBytes(const std::string& bytes);

signals:
    /// An entry was refused; `notice` says why.
    void textRefused(const QString& notice);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setBackground(const QColor& colour);
    void refuse(const QString& problem);
};
