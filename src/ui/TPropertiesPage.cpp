#include "ui/TPropertiesPage.h"

#include <QFocusEvent>
#include <QLabel>

#include <algorithm>
#include <utility>

#include "ui/Look.h"
#include "ui/TCommentsMemo.h"
#include "ui/TLanguageCombo.h"
#include "ui/TPropertyEdit.h"

namespace {

// Laid out for a page 793 wide: captions at the left, fields from 96.
constexpr int kDesignWidth = 793;
constexpr int kCaptionLeft = 8;
constexpr int kCaptionWidth = 86;
constexpr int kCaptionHeight = 22;
constexpr int kCaptionDrop = 4;
constexpr int kFieldLeft = 96;
constexpr int kEditWidth = 681;
constexpr int kEditHeight = 21;
constexpr int kEditRightGap = kDesignWidth - kFieldLeft - kEditWidth;
constexpr int kMinimumEditWidth = 40;
constexpr int kLanguageWidth = 193;
constexpr QSize kCommentsSize(681, 337);
constexpr int kAuthorsTop = 16;
constexpr int kTitleTop = 48;
constexpr int kDescrTop = 80;
constexpr int kAddressTop = 112;
constexpr int kLangTop = 144;
constexpr int kVersionTop = 176;
constexpr int kCommentsTop = 216;

}  // namespace

TPropertiesPage::TPropertiesPage(quillshift::ScriptProperties& record, QWidget* parent)
    : QWidget(parent), record_(record) {
    setAutoFillBackground(true);
    QPalette pagePalette = palette();
    pagePalette.setColor(QPalette::Window, look::kSilver);
    setPalette(pagePalette);
}

const TPropertiesPage::Fields& TPropertiesPage::fields() {
    build();
    return fields_;
}

void TPropertiesPage::setVisible(bool visible) {
    if (visible) {
        build();
    }
    QWidget::setVisible(visible);
}

void TPropertiesPage::build() {
    if (built()) {
        return;
    }
    auto caption = [this](const QString& name, const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setBuddy(field);
        return label;
    };
    auto edit = [this](const QString& name) {
        auto* field = new TPropertyEdit(this);
        field->setObjectName(name);
        return field;
    };
    Fields& f = fields_;
    f.E_Authors = edit(QStringLiteral("E_Authors"));
    f.E_Title = edit(QStringLiteral("E_Title"));
    f.E_Descr = edit(QStringLiteral("E_Descr"));
    f.E_Address = edit(QStringLiteral("E_Address"));
    f.CB_Lang = new TLanguageCombo(this);
    f.CB_Lang->setObjectName(QStringLiteral("CB_Lang"));
    f.E_Version = edit(QStringLiteral("E_Version"));
    f.M_Comments = new TCommentsMemo(this);
    f.M_Comments->setObjectName(QStringLiteral("M_Comments"));
    f.M_Comments->setBackground(look::kInfoTip);
    f.M_Comments->installEventFilter(this);

    f.L_Authors =
        caption(QStringLiteral("L_Authors"), QStringLiteral("Script Authors"), f.E_Authors);
    f.L_Title = caption(QStringLiteral("L_Title"), QStringLiteral("Script Title"), f.E_Title);
    f.L_Descr = caption(QStringLiteral("L_Descr"), QStringLiteral("Description"), f.E_Descr);
    f.L_Address = caption(QStringLiteral("L_Address"), QStringLiteral("Site Address"), f.E_Address);
    f.L_Lang = caption(QStringLiteral("L_Lang"), QStringLiteral("Site Language"), f.CB_Lang);
    f.L_Version =
        caption(QStringLiteral("L_Version"), QStringLiteral("Script Version"), f.E_Version);
    f.L_Comments = caption(QStringLiteral("L_Comments"), QStringLiteral("Comments"), f.M_Comments);

    f.CB_Lang->setGeometry(kFieldLeft, kLangTop, kLanguageWidth, kEditHeight);
    f.M_Comments->setGeometry(QRect(QPoint(kFieldLeft, kCommentsTop), kCommentsSize));
    const std::pair<QLabel*, int> captions[] = {
        {f.L_Authors, kAuthorsTop},  {f.L_Title, kTitleTop}, {f.L_Descr, kDescrTop},
        {f.L_Address, kAddressTop},  {f.L_Lang, kLangTop},   {f.L_Version, kVersionTop},
        {f.L_Comments, kCommentsTop}};
    for (const auto& [label, top] : captions) {
        label->setGeometry(kCaptionLeft, top + kCaptionDrop, kCaptionWidth, kCaptionHeight);
    }

    // The version field comes before the language list, although it stands below it.
    QWidget::setTabOrder(f.E_Authors, f.E_Title);
    QWidget::setTabOrder(f.E_Title, f.E_Descr);
    QWidget::setTabOrder(f.E_Descr, f.E_Address);
    QWidget::setTabOrder(f.E_Address, f.E_Version);
    QWidget::setTabOrder(f.E_Version, f.CB_Lang);
    QWidget::setTabOrder(f.CB_Lang, f.M_Comments);

    layOut();
    bindToRecord();
    // What was asked of the page before it was made.
    setOrigins(origins_);
    setFieldsEnabled(enabled_);  // a disabled page shows the record already
    if (enabled_) {
        showRecord();
    }
}

void TPropertiesPage::layOut() {
    const int width = std::max(kMinimumEditWidth, this->width() - kFieldLeft - kEditRightGap);
    const std::pair<TPropertyEdit*, int> edits[] = {{fields_.E_Authors, kAuthorsTop},
                                                    {fields_.E_Title, kTitleTop},
                                                    {fields_.E_Descr, kDescrTop},
                                                    {fields_.E_Address, kAddressTop},
                                                    {fields_.E_Version, kVersionTop}};
    for (const auto& [field, top] : edits) {
        field->setGeometry(kFieldLeft, top, width, kEditHeight);
    }
}

void TPropertiesPage::bindToRecord() {
    using quillshift::ScriptProperties;
    const std::pair<TPropertyEdit*, std::string ScriptProperties::*> edits[] = {
        {fields_.E_Authors, &ScriptProperties::authors},
        {fields_.E_Title, &ScriptProperties::title},
        {fields_.E_Descr, &ScriptProperties::description},
        {fields_.E_Address, &ScriptProperties::site},
        {fields_.E_Version, &ScriptProperties::version}};
    for (const auto& [field, member] : edits) {
        connect(field, &QLineEdit::textChanged, this, [this, field = field, member = member] {
            if (!showingRecord_) {
                record_.*member = field->bytes();
            }
        });
    }
    connect(fields_.CB_Lang, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showingRecord_ && index >= 0) {
            record_.language = static_cast<std::size_t>(index);
        }
    });
    connect(fields_.M_Comments, &QPlainTextEdit::textChanged, this, [this] {
        if (!showingRecord_) {
            record_.comments = fields_.M_Comments->lines();
        }
    });
}

void TPropertiesPage::showRecord() {
    if (!built()) {
        return;
    }
    showingRecord_ = true;
    fields_.E_Authors->setBytes(record_.authors);
    fields_.E_Title->setBytes(record_.title);
    fields_.E_Descr->setBytes(record_.description);
    fields_.E_Address->setBytes(record_.site);
    fields_.CB_Lang->setCurrentIndex(static_cast<int>(
        std::min(record_.language, static_cast<std::size_t>(fields_.CB_Lang->count() - 1))));
    fields_.E_Version->setBytes(record_.version);
    fields_.M_Comments->setLines(record_.comments);
    showingRecord_ = false;
}

void TPropertiesPage::setFieldsEnabled(bool enabled) {
    enabled_ = enabled;
    if (!built()) {
        return;
    }
    for (QWidget* field :
         {static_cast<QWidget*>(fields_.E_Authors), static_cast<QWidget*>(fields_.E_Title),
          static_cast<QWidget*>(fields_.E_Descr), static_cast<QWidget*>(fields_.E_Address),
          static_cast<QWidget*>(fields_.CB_Lang), static_cast<QWidget*>(fields_.E_Version),
          static_cast<QWidget*>(fields_.M_Comments)}) {
        field->setEnabled(enabled);
    }
    if (!enabled) {
        showRecord();
    }
    fields_.M_Comments->setBackground(enabled ? look::kInfoTip : look::kSilver);
}

void TPropertiesPage::setOrigins(const Origins& origins) {
    origins_ = origins;
    if (!built()) {
        return;
    }
    fields_.E_Authors->setToolTip(origins.authors);
    fields_.E_Title->setToolTip(origins.title);
    fields_.E_Descr->setToolTip(origins.description);
    fields_.E_Address->setToolTip(origins.site);
    fields_.CB_Lang->setToolTip(origins.language);
    fields_.M_Comments->setToolTip(origins.comments);
}

void TPropertiesPage::showCommentsFocused() {
    build();
    fields_.M_Comments->setBackground(look::kWhite);
}

void TPropertiesPage::showCommentsUnfocused() {
    build();
    fields_.M_Comments->setBackground(look::kInfoTip);
}

void TPropertiesPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (built()) {
        layOut();
    }
}

bool TPropertiesPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == fields_.M_Comments && event->type() == QEvent::FocusIn) {
        emit commentsFocusChanged(true);
    } else if (watched == fields_.M_Comments && event->type() == QEvent::FocusOut &&
               !TPropertyEdit::keepsFocusLook(*static_cast<QFocusEvent*>(event))) {
        emit commentsFocusChanged(false);
    }
    return QWidget::eventFilter(watched, event);
}
