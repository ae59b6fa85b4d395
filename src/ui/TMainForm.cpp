#include "ui/TMainForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QStyle>
#include <QToolBox>
#include <QVBoxLayout>

#include <algorithm>

#include "conversion/LegacyConverter.h"
#include "conversion/ScriptWriter.h"
#include "generated/Version.h"
#include "settings/SettingsWriteError.h"
#include "ui/Look.h"
#include "ui/TAboutPage.h"
#include "ui/TCommentsMemo.h"
#include "ui/TConversionReview.h"
#include "ui/TInspectorBarKeys.h"
#include "ui/TInspectorBarStyle.h"
#include "ui/TInspectorItem.h"
#include "ui/TLanguageCombo.h"
#include "ui/TPageControl.h"
#include "ui/TPropertiesPage.h"
#include "ui/TPropertyEdit.h"
#include "ui/TQtDialogs.h"
#include "ui/TReviewDisplay.h"
#include "ui/TScriptDropTarget.h"
#include "ui/TScriptEditor.h"
#include "ui/TTabImages.h"

namespace {

constexpr int kCommandBarWidth = 123;
constexpr int kTabWidth = 111;
constexpr QSize kMarkerSize(75, 17);
constexpr int kMarkerInset = 3;
constexpr int kGroupCaptionHeight = 22;

const QString kOpenTitle = QStringLiteral("Open Reelvault Script File");
const QString kSaveTitle = QStringLiteral("Save Reelvault Script File As...");
const QString kScriptSuffix = QStringLiteral("ifs");

struct CommandItemInfo {
    const char* caption;
    QStyle::StandardPixmap icon;
};

const QList<QList<CommandItemInfo>>& commandItemInfos() {
    static const QList<QList<CommandItemInfo>> infos = {
        {{"1 - Open Script...    ", QStyle::SP_DialogOpenButton},
         {"2 - Convert !            ", QStyle::SP_BrowserReload},
         {"3 - Adjust Properties", QStyle::SP_FileDialogDetailedView},
         {"4 - Save Script As...", QStyle::SP_DialogSaveButton}},
        {{"Edit Input", QStyle::SP_FileIcon}, {"Edit output", QStyle::SP_FileDialogContentsView}},
        {{"About...", QStyle::SP_MessageBoxInformation}},
    };
    return infos;
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

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

std::unique_ptr<TDialogs> orQtDialogs(std::unique_ptr<TDialogs> dialogs) {
    return dialogs ? std::move(dialogs) : std::make_unique<TQtDialogs>();
}

}  // namespace

TMainForm::TMainForm(std::unique_ptr<TDialogs> dialogs, QWidget* parent,
                     std::optional<TFormSettings> settings)
    : QMainWindow(parent),
      dialogs_(orQtDialogs(std::move(dialogs))),
      guard_(*dialogs_),
      settings_(settings ? std::move(*settings) : TFormSettings::forApplication()) {
    if (auto* qtDialogs = dynamic_cast<TQtDialogs*>(dialogs_.get())) {
        qtDialogs->setParent(this);
    }
    setObjectName(QStringLiteral("MainForm"));
    buildWindow();
    new TScriptDropTarget(*this, *dialogs_, [this](const QString& path) {
        return runGuarded(tr("Opening a dropped file"),
                          [this, path] { openFileWithoutDialog(path); });
    });
    runGuarded(tr("Window creation"), [this] { FormCreate(); });
}

void TMainForm::openStartupArguments(const QStringList& arguments) {
    if (arguments.isEmpty() || arguments.first().isEmpty()) {
        return;
    }
    const QString path = QFileInfo(arguments.first()).absoluteFilePath();
    runGuarded(tr("Opening the script given at start-up"),
               [this, path] { openFileWithoutDialog(path); });
}

void TMainForm::openFileWithoutDialog(const QString& path) {
    openScriptFile(path);
    dialogs_->fileTakenFrom(QFileInfo(path).absolutePath());
}

TMainForm::~TMainForm() = default;

TMainForm::View TMainForm::view() const {
    return {{TS_Options->fields()},
            Panel1,
            Panel2,
            InspectorBar1,
            PageControl,
            TS_Input,
            TS_Output,
            TS_Options,
            TS_About,
            AdvMemo1,
            AdvMemo2,
            L_ReadOnly};
}

QString TMainForm::captionText() {
    return QStringLiteral("Quillshift for RVLT - Rel. %1 - by %2")
        .arg(QLatin1StringView(quillshift::kVersion), QLatin1StringView(quillshift::kMaker));
}

bool TMainForm::runGuarded(const QString& commandName, const std::function<void()>& command) {
    return guard_.run(commandName, command);
}

void TMainForm::buildWindow() {
    setWindowTitle(captionText());
    // Without the Windows font, fontconfig falls back to a wide sans serif that does not fit the
    // tab captions; Liberation Sans has the metrics of the fonts the layout was made for.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setPalette(look::classicPalette());
    resize(800, 600);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildCommandBar());
    layout->addWidget(buildPages(), 1);
    new TInspectorBarKeys(*InspectorBar1, Panel1);
    setCentralWidget(central);
}

QWidget* TMainForm::buildCommandBar() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(kCommandBarWidth);
    auto* layout = new QVBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    InspectorBar1 = new QToolBox(Panel2);
    InspectorBar1->setObjectName(QStringLiteral("InspectorBar1"));
    // Owned by the window, so that it outlives the caption buttons that draw with it.
    auto* captionStyle = new TInspectorBarStyle();
    captionStyle->setParent(this);
    const QList<QList<CommandItemInfo>>& infos = commandItemInfos();
    const QString captions[] = {QStringLiteral("WIZARD"), QStringLiteral("EDIT"),
                                QStringLiteral("ABOUT")};
    const QString names[] = {QStringLiteral("InspectorBar1Wizard"),
                             QStringLiteral("InspectorBar1Edit"),
                             QStringLiteral("InspectorBar1About")};
    for (int group = 0; group < 3; ++group) {
        auto* page = new QWidget(InspectorBar1);
        page->setObjectName(names[group]);
        page->setAutoFillBackground(true);
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, look::kGrey);
        palette.setColor(QPalette::Button, look::kGrey);
        palette.setColor(QPalette::WindowText, Qt::white);
        palette.setColor(QPalette::ButtonText, Qt::white);
        page->setPalette(palette);
        auto* items = new QVBoxLayout(page);
        items->setContentsMargins(0, 0, 0, 0);
        items->setSpacing(0);
        QList<TInspectorItem*> groupItems;
        for (int item = 0; item < infos[group].size(); ++item) {
            const CommandItemInfo& info = infos[group][item];
            auto* button = new TInspectorItem(info.icon, QString::fromLatin1(info.caption), page);
            button->setObjectName(QStringLiteral("%1Item%2").arg(names[group]).arg(item));
            connect(button, &QAbstractButton::clicked, this,
                    [this, group, item] { InspectorBar1ItemClick(group, item); });
            items->addWidget(button);
            groupItems.append(button);
        }
        items->addStretch(1);
        items_.append(groupItems);
        InspectorBar1->addItem(page, captions[group]);
    }
    for (QAbstractButton* caption : InspectorBar1->findChildren<QAbstractButton*>(
             QStringLiteral("qt_toolbox_toolboxbutton"), Qt::FindDirectChildrenOnly)) {
        caption->setStyle(captionStyle);
        caption->setFixedHeight(kGroupCaptionHeight);
    }
    // A click in the bar must not take the keyboard focus from the field being edited.
    for (QScrollArea* area : InspectorBar1->findChildren<QScrollArea*>()) {
        area->setFocusPolicy(Qt::NoFocus);
    }
    InspectorBar1->layout()->setSpacing(0);
    InspectorBar1->setCurrentIndex(WizardGroup);
    layout->addWidget(InspectorBar1);
    return Panel2;
}

QWidget* TMainForm::buildPages() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PageControl = new TPageControl(kTabWidth, Panel1);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    const QIcon images[] = {TTabImages::icon(TTabImages::Script),
                            TTabImages::icon(TTabImages::Properties),
                            TTabImages::icon(TTabImages::About)};

    auto paneHolder = [this](const QString& name, TScriptEditor*& pane, const QString& paneName) {
        auto* page = new QWidget(PageControl);
        page->setObjectName(name);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pane = new TScriptEditor(page);
        pane->setObjectName(paneName);
        pageLayout->addWidget(pane);
        return page;
    };
    TS_Input = paneHolder(QStringLiteral("TS_Input"), AdvMemo1, QStringLiteral("AdvMemo1"));
    TS_Output = paneHolder(QStringLiteral("TS_Output"), AdvMemo2, QStringLiteral("AdvMemo2"));
    AdvMemo1->setReadOnly(false);
    AdvMemo2->setReadOnly(true);
    review_ = new TReviewDisplay(*AdvMemo1, *AdvMemo2, this);

    buildPropertiesPage();

    TS_About = new TAboutPage(PageControl);
    TS_About->setObjectName(QStringLiteral("TS_About"));
    TS_About->setAutoFillBackground(true);
    QPalette aboutPalette = TS_About->palette();
    aboutPalette.setColor(QPalette::Window, look::kSilver);
    TS_About->setPalette(aboutPalette);

    PageControl->addTab(TS_Input, images[0], QStringLiteral("Input"));
    PageControl->addTab(TS_Output, images[0], QStringLiteral("Output"));
    PageControl->addTab(TS_Options, images[1], QStringLiteral("Properties"));
    PageControl->addTab(TS_About, images[2], QStringLiteral("About / note..."));
    layout->addWidget(PageControl);
    connect(PageControl, &QTabWidget::currentChanged, this, &TMainForm::PageControlChange);
    connect(review_, &TReviewDisplay::originsChanged, TS_Options, &TPropertiesPage::setOrigins);
    connect(review_, &TReviewDisplay::summaryChanged, this, [this](const QString& summary) {
        PageControl->setTabToolTip(PageControl->indexOf(TS_Output), summary);
    });

    buildReadOnlyMarker();
    Panel1->installEventFilter(this);
    placeReadOnlyMarker();
    return Panel1;
}

void TMainForm::buildPropertiesPage() {
    TS_Options = new TPropertiesPage(properties_, PageControl);
    TS_Options->setObjectName(QStringLiteral("TS_Options"));
    connect(TS_Options, &TPropertiesPage::commentsFocusChanged, this, [this](bool focused) {
        if (focused) {
            runGuarded(tr("Entering the comments"), [this] { M_CommentsEnter(); });
        } else {
            runGuarded(tr("Leaving the comments"), [this] { M_CommentsExit(); });
        }
    });
}

void TMainForm::buildReadOnlyMarker() {
    L_ReadOnly = new QLabel(QStringLiteral("READ ONLY"), Panel1);
    L_ReadOnly->setObjectName(QStringLiteral("L_ReadOnly"));
    L_ReadOnly->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont markerFont = L_ReadOnly->font();
    markerFont.setBold(true);
    L_ReadOnly->setFont(markerFont);
    QPalette markerPalette = L_ReadOnly->palette();
    markerPalette.setColor(QPalette::WindowText, look::kMarkerRed);
    L_ReadOnly->setPalette(markerPalette);
    L_ReadOnly->hide();
}

void TMainForm::placeReadOnlyMarker() {
    L_ReadOnly->setGeometry(Panel1->width() - kMarkerInset - kMarkerSize.width(), kMarkerInset,
                            kMarkerSize.width(), kMarkerSize.height());
    L_ReadOnly->raise();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel1 && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        placeReadOnlyMarker();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
            settings_.correctForFrame(*this, event->type());
            break;
        default:
            break;
    }
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        runGuarded(tr("Window activation"), [this] { FormActivate(); });
    }
    return QMainWindow::event(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (runGuarded(tr("Closing the window"), [this] { FormClose(); })) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TMainForm::FormCreate() {
    loadSettings();
    selectPage(TS_Input);
    AdvMemo1->setLineNumbersVisible(false);
    AdvMemo2->setLineNumbersVisible(false);
    setItemVisible(ConvertItem, false);
    setItemVisible(AdjustItem, false);
    setItemVisible(SaveItem, false);
    SetPropertiesEnabled(false);
}

void TMainForm::FormActivate() {
    Panel1->setFocus(Qt::ActiveWindowFocusReason);
}

void TMainForm::FormClose() {
    saveSettings();
}

void TMainForm::selectPage(QWidget* page) {
    if (PageControl->currentWidget() == page) {
        PageControlChange(PageControl->currentIndex());
    } else {
        PageControl->setCurrentWidget(page);
    }
}

void TMainForm::PageControlChange(int index) {
    runGuarded(tr("Showing a page"), [this, index] {
        QWidget* page = PageControl->widget(index);
        if (page == TS_Input) {
            TS_InputShow();
        } else if (page == TS_Output) {
            TS_OutputShow();
        } else if (page == TS_Options) {
            TS_OptionsShow();
        } else if (page == TS_About) {
            TS_AboutShow();
        }
    });
}

void TMainForm::TS_InputShow() {
    L_ReadOnly->setVisible(AdvMemo1->isReadOnly());
}

void TMainForm::TS_OutputShow() {
    L_ReadOnly->setVisible(AdvMemo2->isReadOnly());
}

void TMainForm::TS_OptionsShow() {
    L_ReadOnly->setVisible(false);
}

void TMainForm::TS_AboutShow() {
    L_ReadOnly->setVisible(false);
}

void TMainForm::SetPropertiesEnabled(bool enabled) {
    if (!enabled) {
        properties_.clear();
        TS_Options->setOrigins({});
    }
    TS_Options->setFieldsEnabled(enabled);
}

void TMainForm::M_CommentsEnter() {
    TS_Options->showCommentsFocused();
}

void TMainForm::M_CommentsExit() {
    TS_Options->showCommentsUnfocused();
}

QString TMainForm::commandCaption(int group, int item) {
    const QList<QList<CommandItemInfo>>& infos = commandItemInfos();
    if (group < 0 || group >= infos.size() || item < 0 || item >= infos[group].size()) {
        return {};
    }
    return QString::fromLatin1(infos[group][item].caption);
}

QString TMainForm::scriptFileFilter() {
    return QStringLiteral("RVLT Script files (*.ifs);;All files (*)");
}

TInspectorItem* TMainForm::commandItem(int group, int item) const {
    if (group < 0 || group >= items_.size() || item < 0 || item >= items_[group].size()) {
        return nullptr;
    }
    return items_[group][item];
}

void TMainForm::setItemVisible(int item, bool visible) {
    commandItem(WizardGroup, item)->setVisible(visible);
}

void TMainForm::InspectorBar1ItemClick(int group, int item) {
    TInspectorItem* clicked = commandItem(group, item);
    if (clicked == nullptr || clicked->isHidden()) {
        return;
    }
    runGuarded(commandCaption(group, item), [this, group, item] {
        switch (group) {
            case WizardGroup:
                if (item == OpenItem) {
                    openScript();
                } else if (item == ConvertItem) {
                    convertScript();
                } else if (item == AdjustItem) {
                    adjustProperties();
                } else if (item == SaveItem) {
                    saveScriptAs();
                }
                break;
            case EditGroup:
                if (item == EditInputItem) {
                    editPane(TS_Input, AdvMemo1);
                } else {
                    editPane(TS_Output, AdvMemo2);
                }
                break;
            case AboutGroup:
                selectPage(TS_About);
                break;
            default:
                break;
        }
    });
}

void TMainForm::openScript() {
    const QString path =
        dialogs_->getOpenFileName(kOpenTitle, InputPath, scriptFileFilter(), kScriptSuffix);
    if (path.isEmpty()) {
        return;
    }
    openScriptFile(path);
}

void TMainForm::openScriptFile(const QString& path) {
    // The save name follows the file only once it has loaded, so that it always names the script
    // that is in the input pane.
    AdvMemo1->loadFromFile(localPath(path));
    const QFileInfo file(path);
    DefaultSaveName = QStringLiteral("New ") + file.fileName();

    AdvMemo1->setReadOnly(true);
    AdvMemo1->setLineNumbersVisible(true);
    review_->clear();
    AdvMemo2->clearLines();
    AdvMemo2->setLineNumbersVisible(false);
    L_ReadOnly->show();
    selectPage(TS_Input);

    setItemVisible(ConvertItem, true);
    setItemVisible(AdjustItem, false);
    setItemVisible(SaveItem, false);

    SetPropertiesEnabled(false);

    QString folder = file.absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    InputPath = QDir::toNativeSeparators(folder);
}

void TMainForm::convertScript() {
    // Converting a converted script again comments its lines twice and drops its header's
    // values: only an explicit Yes does it.
    if (inputHasConvertedHeader() &&
        dialogs_->askYesNo(tr("Warning"),
                           tr("This script already has a Reelvault 3.5.0 header. Converting it "
                              "again will damage it. Convert anyway?"),
                           TDialogs::Answer::No) != TDialogs::Answer::Yes) {
        return;
    }
    SetPropertiesEnabled(false);
    {
        const RepaintSuspension suspension(PageControl->currentWidget() == TS_Output ? AdvMemo2
                                                                                     : nullptr);
        ConvertInput();
    }
    AdvMemo2->setReadOnly(true);
    AdvMemo2->setLineNumbersVisible(true);
    L_ReadOnly->show();
    selectPage(TS_Output);

    setItemVisible(ConvertItem, true);
    setItemVisible(AdjustItem, true);
    setItemVisible(SaveItem, false);
}

bool TMainForm::inputHasConvertedHeader() const {
    // Only the header is read, line by line: the body may be long.
    quillshift::ScriptProperties scratch;
    quillshift::LegacyConverter converter(scratch);
    std::string converted;
    const std::size_t count = AdvMemo1->lineCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (converter.convertLine(AdvMemo1->line(i), converted)) {
            break;
        }
    }
    return converter.convertedMarkLine() != 0;
}

void TMainForm::ConvertInput() {
    // Harvested into a copy first, so that a failure leaves the record and the fields as they
    // were. The lines go from pane to pane as they are converted, never held as a list.
    quillshift::ScriptProperties harvested = properties_;
    auto review = std::make_shared<TConversionReview>();
    quillshift::LegacyConverter converter(harvested);
    quillshift::ConversionNotes notes;
    converter.keepNotes(notes);
    std::string scratch;
    const std::size_t inputSize = AdvMemo1->textLength();
    // The rules add at most a few bytes to a line, or make it the version message.
    AdvMemo2->setLinesFrom(inputSize + inputSize / 32 + 4096,
                           [&](const TScriptEditor::LineSink& add) {
                               AdvMemo1->forEachLine([&](std::string_view line) {
                                   std::string_view converted;
                                   auto rule = quillshift::BodyRule::None;
                                   if (converter.convertLine(line, scratch, converted, &rule)) {
                                       review->addBodyLine(line, converted, rule);
                                       add(converted);
                                   } else {
                                       review->addHeaderLine(line, notes.header.back());
                                   }
                                   notes = {};
                               });
                           });
    review->finish(harvested);
    properties_ = std::move(harvested);
    TS_Options->showRecord();
    review_->show(std::move(review));
}

void TMainForm::adjustProperties() {
    selectPage(TS_Options);
    setItemVisible(AdjustItem, true);
    setItemVisible(SaveItem, true);
    SetPropertiesEnabled(true);
}

void TMainForm::saveScriptAs() {
    const QString path =
        dialogs_->getSaveFileName(kSaveTitle, DefaultSaveName, scriptFileFilter(), kScriptSuffix);
    if (path.isEmpty()) {
        return;
    }
    const QFileInfo target(path);
    auto ifExists = quillshift::IfTargetExists::Fail;
    if (target.exists() || target.isSymLink()) {
        // Only an explicit Yes replaces the file; No, Escape and closing the box keep it.
        if (dialogs_->askYesNo(tr("Warning"), tr("Overwrite existing file?")) !=
            TDialogs::Answer::Yes) {
            return;
        }
        ifExists = quillshift::IfTargetExists::Replace;
    }
    WriteOutputScript(path, ifExists);
}

void TMainForm::WriteOutputScript(const QString& fileName, quillshift::IfTargetExists ifExists) {
    quillshift::writeOutputScript(
        localPath(fileName), properties_,
        [this](const std::function<void(std::string_view)>& line) { AdvMemo2->forEachLine(line); },
        ifExists);
}

void TMainForm::editPane(QWidget* page, TScriptEditor* pane) {
    selectPage(page);
    pane->setReadOnly(false);
    L_ReadOnly->hide();
    pane->setFocus(Qt::OtherFocusReason);
}

void TMainForm::loadSettings() {
    InputPath = settings_.load(*this);
}

void TMainForm::saveSettings() {
    try {
        settings_.save(*this, InputPath);
    } catch (const quillshift::SettingsWriteError&) {
        // Reported, and the window closes all the same: a settings file that cannot be written
        // must never keep the user from closing the program.
        guard_.reportCurrentException(tr("Closing the window"));
    }
}
