#pragma once

#include <QWidget>

class QLabel;

/// The "About / note..." page: program name, the application it serves, its web address, the
/// credit line, a picture and the note about what the tool does. Laid out for a page 793 pixels
/// wide; the text boxes stretch with the page and the picture keeps its centre at the same
/// fraction of the page's width. The contents are built when the page is first shown, so that they
/// cost nothing at start-up.
class TAboutPage : public QWidget {
    Q_OBJECT

public:
    explicit TAboutPage(QWidget* parent = nullptr);

    /// The page's widgets (built on first use).
    QLabel* titleLabel() { return built().L_Title; }
    QLabel* forLabel() { return built().L_For; }
    QLabel* webAddressLabel() { return built().L_WebAddress; }
    QLabel* creditLabel() { return built().L_Credit; }
    QLabel* noteLabel() { return built().L_Note; }
    QLabel* picture() { return built().Image1; }

    /// The credit line shown on the page.
    static QString creditText();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TAboutPage& built();
    QLabel* makeLabel(const QString& objectName, const QString& text, const QColor& colour,
                      int pixelHeight, bool bold, bool italic);
    void layOut();

    QLabel* L_Title = nullptr;
    QLabel* L_For = nullptr;
    QLabel* L_WebAddress = nullptr;
    QLabel* L_Credit = nullptr;
    QLabel* L_Note = nullptr;
    QLabel* Image1 = nullptr;
};
