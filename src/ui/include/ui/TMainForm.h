#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "base/AtomicFileWriter.h"
#include "conversion/ScriptProperties.h"
#include "conversion/WarningCodeSet.h"
#include "ui/TDialogs.h"
#include "ui/TErrorGuard.h"
#include "ui/TFormSettings.h"
#include "ui/TMainFormUi.h"
#include "ui/TPropertiesPage.h"

class QLabel;
class TAboutPage;
class TCommandBar;
class TInspectorItem;
class TPageControl;
class TReviewDisplay;
class TScriptEditor;

/// The program's one window: the command bar on the left, the page control with the script
/// panes, the properties page and the about page on the right, and the "READ ONLY" marker over
/// the right end of the tab row. It owns all of the program's state.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    /// Builds the window and runs FormCreate. `dialogs` is used for every platform dialog; without
    /// one the window uses Qt's dialogs. `settings` names the window settings file; without it the
    /// program's own settings file is used.
    explicit TMainForm(std::unique_ptr<TDialogs> dialogs = nullptr, QWidget* parent = nullptr,
                       std::optional<TFormSettings> settings = std::nullopt);
    ~TMainForm() override;

    /// The caption: "Quillshift for RVLT - Rel. " with the version, and the maker's credit.
    static QString captionText();

    /// Runs a command handler inside the error guard; false when it failed (and was reported).
    bool runGuarded(const QString& commandName, const std::function<void()>& command);

    TErrorGuard& errorGuard() { return guard_; }
    TDialogs& dialogs() { return *dialogs_; }

    /// Makes `page` the shown page and applies the read-only marker rule for it, also when it was
    /// already shown.
    void selectPage(QWidget* page);

    /// Locks the properties fields (false): disables them, clears the record and with it the
    /// fields, and paints the comments box silver. Unlocks them (true) keeping their values.
    void SetPropertiesEnabled(bool enabled);

    /// Loads the script at `path` into the input pane and makes it the script being worked on:
    /// the input pane becomes read-only with line numbers, the output pane is cleared, page
    /// "Input" is shown, only "2 - Convert !" of the later steps is offered, the properties are
    /// locked and cleared, and the save name and the open dialog's folder follow the file.
    /// Throws quillshift::FileError when the file cannot be read; then only the input pane's
    /// caret, selection and undo history have changed.
    void openScriptFile(const QString& path);

    /// Opens the script named by the first of the program's `arguments` (the file the desktop
    /// passes when the user opens a script with Quillshift), as the open command would open it;
    /// a file that cannot be read is reported and leaves the window as it was. Nothing happens
    /// without arguments.
    void openStartupArguments(const QStringList& arguments);

    /// Converts the input pane's lines: the output pane receives the converted body and the
    /// properties record (cleared beforehand by the caller) the values harvested from the legacy
    /// header, which the fields then show.
    void ConvertInput();

    /// Writes the converted script to `fileName`: the header built from the properties record,
    /// then the output pane's lines as they are now. An existing file is replaced only when
    /// `ifExists` says so (the user answered Yes). Throws quillshift::FileError.
    void WriteOutputScript(const QString& fileName,
                           quillshift::IfTargetExists ifExists = quillshift::IfTargetExists::Fail);

    /// The properties record that the fields show and edit.
    const quillshift::ScriptProperties& scriptProperties() const { return properties_; }

    /// The command item `item` of group `group` (see Group), or null.
    TInspectorItem* commandItem(int group, int item) const;

    /// The folder of the last opened input script, with a trailing separator: where the open
    /// dialog starts.
    const QString& InputPath() const { return inputPath_; }
    void setInputPath(const QString& path) { inputPath_ = path; }
    /// The name offered when saving: "New " and the name of the last opened input script.
    const QString& DefaultSaveName() const { return defaultSaveName_; }
    void setDefaultSaveName(const QString& name) { defaultSaveName_ = name; }

    /// The wizard's steps: what the command bar offers, which panes are read-only and whether the
    /// properties can be edited.
    enum class WizardState { Started, Opened, Converted, Adjusting };

    /// The window's widgets by name, for tests and tools that look into the window, which owns
    /// them; the window's own pointers cannot be changed through it. Asking for the view makes
    /// the properties page's fields if they were not yet made.
    struct View : TPropertiesPage::Fields, TMainFormUi {};
    View view() const;

    /// Group indexes of the command bar.
    enum Group { WizardGroup = 0, EditGroup = 1, AboutGroup = 2 };
    /// Item indexes within the groups.
    enum WizardItem { OpenItem = 0, ConvertItem = 1, AdjustItem = 2, SaveItem = 3 };
    enum EditItem { EditInputItem = 0, EditOutputItem = 1 };
    enum AboutItem { AboutNoteItem = 0 };

    /// A command item of the command bar was clicked: carries out its command. A hidden item
    /// cannot be clicked, so nothing happens for one. A failure is reported and leaves the window
    /// usable.
    void InspectorBar1ItemClick(int group, int item);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectWidgets();
    void enterState(WizardState state);

    void openScript();
    void openFileWithoutDialog(const QString& path);
    /// Convert, with the repairs of `fixes` (the program line's) applied.
    void convertScript(quillshift::WarningCodeSet fixes = {});
    void convertInput(quillshift::WarningCodeSet fixes);
    void adjustProperties();
    void saveScriptAs();
    void editPane(QWidget* page, TScriptEditor* pane);
    void M_CommentsEnter();
    void M_CommentsExit();

    void FormCreate();
    void FormActivate();
    void FormClose();
    void PageControlChange(int index);
    void TS_InputShow();
    void TS_OutputShow();
    void TS_OptionsShow();
    void TS_AboutShow();

    TMainFormUi ui_;
    std::unique_ptr<TDialogs> dialogs_;
    TErrorGuard guard_;
    TFormSettings settings_;
    quillshift::ScriptProperties properties_;
    TReviewDisplay* review_ = nullptr;
    QString inputPath_;
    QString defaultSaveName_;
    bool activated_ = false;
};
