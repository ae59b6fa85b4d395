#include "ui/TMainForm.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include "conversion/ScriptWriter.h"
#include "generated/Version.h"
#include "settings/SettingsWriteError.h"
#include "ui/PaneConversion.h"
#include "ui/TAboutPage.h"
#include "ui/TCommandBar.h"
#include "ui/TConversionReview.h"
#include "ui/TInspectorItem.h"
#include "ui/TPageControl.h"
#include "ui/TQtDialogs.h"
#include "ui/TReviewDisplay.h"
#include "ui/TScriptDropTarget.h"
#include "ui/TScriptEditor.h"

namespace {

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::unique_ptr<TDialogs> orQtDialogs(std::unique_ptr<TDialogs> dialogs) {
    return dialogs ? std::move(dialogs) : std::make_unique<TQtDialogs>();
}

}  // namespace

// The window ------------------------------------------------------------------------------------

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
    setWindowTitle(captionText());
    ui_.setupUi(*this, properties_);
    connectWidgets();
    new TScriptDropTarget(*this, *dialogs_, [this](const QString& path) {
        return runGuarded(tr("Opening a dropped file"),
                          [this, path] { openFileWithoutDialog(path); });
    });
    runGuarded(tr("Window creation"), [this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

QString TMainForm::captionText() {
    return QStringLiteral("Quillshift for RVLT - Rel. %1 - by %2")
        .arg(QLatin1StringView(quillshift::kVersion), QLatin1StringView(quillshift::kMaker));
}

void TMainForm::connectWidgets() {
    review_ = new TReviewDisplay(ui_, this);
    // Queued: the conversion replaces the marks whose menu asked for it.
    connect(
        review_, &TReviewDisplay::convertAgainRequested, this,
        [this](quillshift::WarningCodeSet fixes) {
            runGuarded(tr("Applying a suggested fix"), [this, fixes] { convertScript(fixes); });
        },
        Qt::QueuedConnection);
    connect(ui_.InspectorBar1, &TCommandBar::itemClicked, this, &TMainForm::InspectorBar1ItemClick);
    connect(ui_.PageControl, &QTabWidget::currentChanged, this, &TMainForm::PageControlChange);
    connect(ui_.TS_Options, &TPropertiesPage::commentsFocusChanged, this, [this](bool focused) {
        runGuarded(focused ? tr("Entering the comments") : tr("Leaving the comments"),
                   [this, focused] { focused ? M_CommentsEnter() : M_CommentsExit(); });
    });
}

TMainForm::View TMainForm::view() const {
    return {{ui_.TS_Options->fields()}, ui_};
}

// The wizard ------------------------------------------------------------------------------------

void TMainForm::enterState(WizardState state) {
    ui_.InspectorBar1->setItemVisible(WizardGroup, ConvertItem, state != WizardState::Started);
    ui_.InspectorBar1->setItemVisible(
        WizardGroup, AdjustItem,
        state == WizardState::Converted || state == WizardState::Adjusting);
    ui_.InspectorBar1->setItemVisible(WizardGroup, SaveItem, state == WizardState::Adjusting);
    switch (state) {
        case WizardState::Started:
            ui_.AdvMemo1->setLineNumbersVisible(false);
            ui_.AdvMemo2->setLineNumbersVisible(false);
            SetPropertiesEnabled(false);
            selectPage(ui_.TS_Input);
            break;
        case WizardState::Opened:
            ui_.AdvMemo1->setReadOnly(true);
            ui_.AdvMemo1->setLineNumbersVisible(true);
            ui_.AdvMemo2->clearLines();
            ui_.AdvMemo2->setLineNumbersVisible(false);
            review_->clear();
            SetPropertiesEnabled(false);
            selectPage(ui_.TS_Input);
            break;
        case WizardState::Converted:
            // The fields show what the conversion harvested, still locked.
            ui_.AdvMemo2->setReadOnly(true);
            ui_.AdvMemo2->setLineNumbersVisible(true);
            selectPage(ui_.TS_Output);
            break;
        case WizardState::Adjusting:
            selectPage(ui_.TS_Options);
            SetPropertiesEnabled(true);
            break;
    }
}

void TMainForm::InspectorBar1ItemClick(int group, int item) {
    TInspectorItem* clicked = ui_.InspectorBar1->item(group, item);
    if (clicked == nullptr || clicked->isHidden()) {
        return;
    }
    runGuarded(TMainFormUi::commandCaption(group, item), [this, group, item] {
        if (group == WizardGroup) {
            const std::function<void()> steps[] = {
                [this] { openScript(); }, [this] { convertScript(); },
                [this] { adjustProperties(); }, [this] { saveScriptAs(); }};
            steps[item]();
        } else if (group == EditGroup) {
            item == EditInputItem ? editPane(ui_.TS_Input, ui_.AdvMemo1)
                                  : editPane(ui_.TS_Output, ui_.AdvMemo2);
        } else {
            selectPage(ui_.TS_About);
        }
    });
}

void TMainForm::openScript() {
    const QString path = dialogs_->chooseScriptToOpen(InputPath());
    if (!path.isEmpty()) {
        openScriptFile(path);
    }
}

void TMainForm::openScriptFile(const QString& path) {
    // The save name follows the file only once it has loaded, so that it always names the script
    // that is in the input pane.
    ui_.AdvMemo1->loadFromFile(localPath(path));
    const QFileInfo file(path);
    setDefaultSaveName(QStringLiteral("New ") + file.fileName());
    enterState(WizardState::Opened);
    const QString folder = file.absolutePath();
    setInputPath(QDir::toNativeSeparators(folder.endsWith('/') ? folder : folder + '/'));
}

void TMainForm::openFileWithoutDialog(const QString& path) {
    // From the desktop or a drop rather than the open dialog: the save dialog starts beside it.
    openScriptFile(path);
    dialogs_->fileTakenFrom(QFileInfo(path).absolutePath());
}

void TMainForm::openStartupArguments(const QStringList& arguments) {
    if (arguments.isEmpty() || arguments.first().isEmpty()) {
        return;
    }
    const QString path = QFileInfo(arguments.first()).absoluteFilePath();
    runGuarded(tr("Opening the script given at start-up"),
               [this, path] { openFileWithoutDialog(path); });
}

void TMainForm::convertScript(quillshift::WarningCodeSet fixes) {
    // Converting a converted script again comments its lines twice and drops its header's
    // values: only an explicit Yes does it.
    if (paneHasConvertedHeader(*ui_.AdvMemo1) &&
        dialogs_->askYesNo(tr("Warning"),
                           tr("This script already has a Reelvault 3.5.0 header. Converting it "
                              "again will damage it. Convert anyway?"),
                           TDialogs::Answer::No) != TDialogs::Answer::Yes) {
        return;
    }
    SetPropertiesEnabled(false);
    {
        const TScriptEditor::RepaintSuspension suspension(
            ui_.PageControl->currentWidget() == ui_.TS_Output ? ui_.AdvMemo2 : nullptr);
        convertInput(fixes);
    }
    enterState(WizardState::Converted);
}

void TMainForm::ConvertInput() {
    convertInput({});
}

void TMainForm::convertInput(quillshift::WarningCodeSet fixes) {
    // Harvested into a copy first, so that a failure leaves the record and the fields as they were.
    quillshift::ScriptProperties harvested = properties_;
    std::shared_ptr<TConversionReview> review =
        convertPane(*ui_.AdvMemo1, *ui_.AdvMemo2, harvested, fixes);
    properties_ = std::move(harvested);
    ui_.TS_Options->showRecord();
    review_->show(std::move(review));
}

void TMainForm::adjustProperties() {
    enterState(WizardState::Adjusting);
}

void TMainForm::saveScriptAs() {
    const QString path = dialogs_->chooseScriptToSave(DefaultSaveName());
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
        [this](const std::function<void(std::string_view)>& line) {
            ui_.AdvMemo2->forEachLine(line);
        },
        ifExists);
}

void TMainForm::editPane(QWidget* page, TScriptEditor* pane) {
    selectPage(page);
    pane->setReadOnly(false);
    ui_.L_ReadOnly->hide();
    pane->setFocus(Qt::OtherFocusReason);
}

// The properties --------------------------------------------------------------------------------

void TMainForm::SetPropertiesEnabled(bool enabled) {
    if (!enabled) {
        properties_.clear();
        ui_.TS_Options->setOrigins({});
    }
    ui_.TS_Options->setFieldsEnabled(enabled);
}

void TMainForm::M_CommentsEnter() {
    ui_.TS_Options->showCommentsFocused();
}

void TMainForm::M_CommentsExit() {
    ui_.TS_Options->showCommentsUnfocused();
}

// The pages and the read-only marker ------------------------------------------------------------

void TMainForm::selectPage(QWidget* page) {
    if (ui_.PageControl->currentWidget() == page) {
        PageControlChange(ui_.PageControl->currentIndex());
    } else {
        ui_.PageControl->setCurrentWidget(page);
    }
}

void TMainForm::PageControlChange(int index) {
    runGuarded(tr("Showing a page"), [this, index] {
        const std::pair<QWidget*, void (TMainForm::*)()> handlers[] = {
            {ui_.TS_Input, &TMainForm::TS_InputShow},
            {ui_.TS_Output, &TMainForm::TS_OutputShow},
            {ui_.TS_Options, &TMainForm::TS_OptionsShow},
            {ui_.TS_About, &TMainForm::TS_AboutShow}};
        for (const auto& [page, handler] : handlers) {
            if (page == ui_.PageControl->widget(index)) {
                (this->*handler)();
            }
        }
    });
}

void TMainForm::TS_InputShow() {
    ui_.L_ReadOnly->setVisible(ui_.AdvMemo1->isReadOnly());
}

void TMainForm::TS_OutputShow() {
    ui_.L_ReadOnly->setVisible(ui_.AdvMemo2->isReadOnly());
}

void TMainForm::TS_OptionsShow() {
    ui_.L_ReadOnly->setVisible(false);
}

void TMainForm::TS_AboutShow() {
    ui_.L_ReadOnly->setVisible(false);
}

// The window's life -----------------------------------------------------------------------------

void TMainForm::FormCreate() {
    setInputPath(settings_.load(*this));
    enterState(WizardState::Started);
}

void TMainForm::FormActivate() {
    ui_.Panel1->setFocus(Qt::ActiveWindowFocusReason);
}

void TMainForm::FormClose() {
    try {
        settings_.save(*this, InputPath());
    } catch (const quillshift::SettingsWriteError&) {
        // Reported, and the window closes all the same: a settings file that cannot be written
        // must never keep the user from closing the program.
        guard_.reportCurrentException(tr("Closing the window"));
    }
}

bool TMainForm::event(QEvent* event) {
    settings_.correctForFrame(*this, event->type());
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        runGuarded(tr("Window activation"), [this] { FormActivate(); });
    }
    return QMainWindow::event(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    event->setAccepted(runGuarded(tr("Closing the window"), [this] { FormClose(); }));
}

bool TMainForm::runGuarded(const QString& commandName, const std::function<void()>& command) {
    return guard_.run(commandName, command);
}

TInspectorItem* TMainForm::commandItem(int group, int item) const {
    return ui_.InspectorBar1->item(group, item);
}
