#pragma once

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "ui/TDialogs.h"
#include "ui/TErrorGuard.h"
#include "ui/TFormSettings.h"

class QLabel;
class QToolBox;
class TAboutPage;
class TPageControl;
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

    /// The caption: "Quillshift for RVLT - Rel. 1.0.0.0" and the credit.
    static QString captionText();

    /// Runs a command handler inside the error guard; false when it failed (and was reported).
    bool runGuarded(const QString& commandName, const std::function<void()>& command);

    TErrorGuard& errorGuard() { return guard_; }
    TDialogs& dialogs() { return *dialogs_; }

    /// Makes `page` the shown page and applies the read-only marker rule for it, also when it was
    /// already shown.
    void selectPage(QWidget* page);

    /// Locks (false, clearing them) or unlocks (true) the properties fields.
    void SetPropertiesEnabled(bool enabled);

    // The folder of the last opened input script (with a trailing separator) and the name offered
    // when saving ("New " and the input file's name).
    QString InputPath;
    QString DefaultSaveName;

    QWidget* Panel1;
    QWidget* Panel2;
    QToolBox* InspectorBar1;
    TPageControl* PageControl;
    QWidget* TS_Input;
    QWidget* TS_Output;
    QWidget* TS_Options;
    TAboutPage* TS_About;
    TScriptEditor* AdvMemo1;
    TScriptEditor* AdvMemo2;
    QLabel* L_ReadOnly;

    /// Group indexes of the command bar.
    enum Group { WizardGroup = 0, EditGroup = 1, AboutGroup = 2 };

public slots:
    /// A command item of the command bar was clicked.
    void InspectorBar1ItemClick(int group, int item);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildCommandBar();
    QWidget* buildPages();
    void placeReadOnlyMarker();

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

    std::unique_ptr<TDialogs> dialogs_;
    TErrorGuard guard_;
    TFormSettings settings_;
    bool activated_ = false;
};
