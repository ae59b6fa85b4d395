#pragma once

#include <QObject>

class QsciScintilla;

/// The line-number gutter of a script pane: the pane's first margin, numbering the lines with
/// leading zeros to four digits at least ("0001"). Only the lines on screen are numbered, as they
/// come into view, so that a long script costs nothing more to edit.
class TLineNumberGutter : public QObject {
    Q_OBJECT

public:
    /// The gutter of `pane`, which owns it; hidden at first.
    explicit TLineNumberGutter(QsciScintilla& pane);

    void setVisible(bool visible);
    bool isVisible() const { return visible_; }

    /// Numbers the lines now on screen (and widens the gutter for more digits).
    void refresh();

private:
    int width() const;

    QsciScintilla& pane_;
    bool visible_ = false;
    int digits_ = 0;
};
