#include "ui/TAboutPage.h"

#include <cmath>

#include <QLabel>
#include <QPixmap>
#include <QResizeEvent>
#include <QShowEvent>

#include "conversion/ReelvaultSites.h"
#include "generated/Version.h"
#include "ui/Look.h"

namespace {

constexpr int kDesignWidth = 793;
constexpr int kTextWidth = 777;
constexpr int kTextLeft = 8;
constexpr int kPictureLeft = 288;
constexpr int kPictureTop = 280;
constexpr QSize kPictureSize(200, 91);
constexpr int kNoteHeight = 57;

}  // namespace

TAboutPage::TAboutPage(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, look::kSilver);
    setPalette(silver);
}

TAboutPage& TAboutPage::built() {
    if (L_Title != nullptr) {
        return *this;
    }
    L_Title =
        makeLabel(QStringLiteral("L_Title"),
                  QStringLiteral("Quillshift %1 ").arg(QLatin1StringView(quillshift::kVersion)),
                  look::kNavy, 32, true, true);
    L_For = makeLabel(QStringLiteral("L_For"), QStringLiteral("for Reelvault"), look::kNavy, 24,
                      true, false);
    L_WebAddress = makeLabel(QStringLiteral("L_WebAddress"),
                             QString::fromUtf8(quillshift::sites::kScriptsWebAddress.data(),
                                               quillshift::sites::kScriptsWebAddress.size()),
                             look::kBlack, 19, false, false);
    L_Credit = makeLabel(QStringLiteral("L_Credit"), creditText(), look::kBlack, 19, false, false);
    L_Note = makeLabel(QStringLiteral("L_Note"),
                       QStringLiteral("Note: Tool for conversion from RVLT 3.4.x script to RVLT "
                                      "3.5.0 script format"),
                       look::kMaroon, 19, false, false);
    L_Note->setWordWrap(true);
    L_Note->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/about.jpg")));
    Image1->setFixedSize(kPictureSize);
    layOut();
    for (QLabel* label : {L_Title, L_For, L_WebAddress, L_Credit, L_Note, Image1}) {
        label->show();
    }
    return *this;
}

QString TAboutPage::creditText() {
    return QStringLiteral("Written by %1").arg(QLatin1StringView(quillshift::kMaker));
}

QLabel* TAboutPage::makeLabel(const QString& objectName, const QString& text, const QColor& colour,
                              int pixelHeight, bool bold, bool italic) {
    auto* label = new QLabel(text, this);
    label->setObjectName(objectName);
    QFont font = label->font();
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setItalic(italic);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return label;
}

void TAboutPage::layOut() {
    if (L_Title == nullptr) {
        return;
    }
    const int stretch = width() - kDesignWidth;
    const int textWidth = std::max(0, kTextWidth + stretch);
    auto place = [textWidth](QLabel* label, int left, int top) {
        label->setGeometry(left, top, textWidth, label->sizeHint().height());
    };
    place(L_Title, kTextLeft, 56);
    place(L_For, kTextLeft, 128);
    place(L_WebAddress, kTextLeft, 160);
    place(L_Credit, 0, 240);
    L_Note->setGeometry(kTextLeft, 392, textWidth, kNoteHeight);

    const double centreFraction =
        (kPictureLeft + kPictureSize.width() / 2.0) / static_cast<double>(kDesignWidth);
    const int pictureLeft =
        static_cast<int>(std::lround(centreFraction * width() - kPictureSize.width() / 2.0));
    Image1->move(pictureLeft, kPictureTop);
}

void TAboutPage::showEvent(QShowEvent* event) {
    built();
    QWidget::showEvent(event);
}

void TAboutPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}
