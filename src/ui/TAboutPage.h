#pragma once

#include <QWidget>

class QLabel;

/// The "About / note..." page: program name, the application it serves, its web address, the
/// credit line, a picture and the note about what the tool does. Laid out for a page 793 pixels
/// wide; the text boxes stretch with the page and the picture keeps its centre at the same
/// fraction of the page's width.
class TAboutPage : public QWidget {
    Q_OBJECT

public:
    explicit TAboutPage(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return L_Title; }
    QLabel* forLabel() const { return L_For; }
    QLabel* webAddressLabel() const { return L_WebAddress; }
    QLabel* creditLabel() const { return L_Credit; }
    QLabel* noteLabel() const { return L_Note; }
    QLabel* picture() const { return Image1; }

    /// The credit line shown on the page (also used in the window caption).
    static QString creditText();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* makeLabel(const QString& objectName, const QString& text, const QColor& colour,
                      int pixelHeight, bool bold, bool italic);
    void layOut();

    QLabel* L_Title;
    QLabel* L_For;
    QLabel* L_WebAddress;
    QLabel* L_Credit;
    QLabel* L_Note;
    QLabel* Image1;
};
