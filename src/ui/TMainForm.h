#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "base/AtomicFileWriter.h"
#include "conversion/ScriptProperties.h"
#include "ui/TDialogs.h"
#include "ui/TErrorGuard.h"
#include "ui/TFormSettings.h"
#include "ui/TPropertiesPage.h"

class QAbstractButton;
class QLabel;
class QToolBox;
class TAboutPage;
class TCommentsMemo;
class TInspectorItem;
class TLanguageCombo;
class TReviewDisplay;
class TPageControl;
class TPropertyEdit;
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

    /// The caption of a command item, trailing blanks included; empty for an unknown item.
    static QString commandCaption(int group, int item);

    /// The filter of the open and save dialogs, in Qt's syntax.
    static QString scriptFileFilter();

    // The folder of the last opened input script (with a trailing separator) and the name offered
    // when saving ("New " and the input file's name).
    QString InputPath;
    QString DefaultSaveName;

    /// The window's widgets by name, for tests and tools that look into the window, which owns
    /// them; the window's own pointers cannot be changed through it. Asking for the view makes
    /// the properties page's fields if they were not yet made.
    struct View : TPropertiesPage::Fields {
        QWidget* Panel1;
        QWidget* Panel2;
        QToolBox* InspectorBar1;
        TPageControl* PageControl;
        QWidget* TS_Input;
        QWidget* TS_Output;
        TPropertiesPage* TS_Options;
        TAboutPage* TS_About;
        TScriptEditor* AdvMemo1;
        TScriptEditor* AdvMemo2;
        QLabel* L_ReadOnly;
    };
    View view() const;

    /// Group indexes of the command bar.
    enum Group { WizardGroup = 0, EditGroup = 1, AboutGroup = 2 };
    /// Item indexes within the groups.
    enum WizardItem { OpenItem = 0, ConvertItem = 1, AdjustItem = 2, SaveItem = 3 };
    enum EditItem { EditInputItem = 0, EditOutputItem = 1 };
    enum AboutItem { AboutNoteItem = 0 };

public slots:
    /// A command item of the command bar was clicked: carries out its command. A hidden item
    /// cannot be clicked, so nothing happens for one. A failure is reported and leaves the window
    /// usable.
    void InspectorBar1ItemClick(int group, int item);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // openScriptFile() for a file that came from the desktop or a drop rather than the open
    // dialog; the save dialog then starts in its folder.
    void openFileWithoutDialog(const QString& path);
    void buildWindow();
    QWidget* buildCommandBar();
    QWidget* buildPages();
    void buildPropertiesPage();
    void buildReadOnlyMarker();
    void placeReadOnlyMarker();
    void setItemVisible(int item, bool visible);

    void openScript();
    void convertScript();
    bool inputHasConvertedHeader() const;
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

    void loadSettings();
    void saveSettings();

    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QToolBox* InspectorBar1 = nullptr;
    TPageControl* PageControl = nullptr;
    QWidget* TS_Input = nullptr;
    QWidget* TS_Output = nullptr;
    TPropertiesPage* TS_Options = nullptr;
    TAboutPage* TS_About = nullptr;
    TScriptEditor* AdvMemo1 = nullptr;
    TScriptEditor* AdvMemo2 = nullptr;
    QLabel* L_ReadOnly = nullptr;
    std::unique_ptr<TDialogs> dialogs_;
    TErrorGuard guard_;
    TFormSettings settings_;
    quillshift::ScriptProperties properties_;
    QList<QList<TInspectorItem*>> items_;
    TReviewDisplay* review_ = nullptr;
    bool activated_ = false;
};
