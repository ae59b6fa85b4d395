#pragma once

#include <QComboBox>

/// The site-language list of the properties page: the nine rows of LanguageTable in index order,
/// each shown in two columns, the code (50 wide, pale yellow) and the name (300 wide, pale yellow
/// on grey). The closed box shows both columns of the selected row; the drop-down is 200 high.
class TLanguageCombo : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kCodeWidth = 50;
    static constexpr int kNameWidth = 300;
    static constexpr int kDropDownHeight = 200;

    explicit TLanguageCombo(QWidget* parent = nullptr);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
