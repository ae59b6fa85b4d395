#pragma once

#include <QList>

#include "conversion/ScriptProperties.h"
#include "ui/TCommandBar.h"

class QLabel;
class QMainWindow;
class QWidget;
class TAboutPage;
class TPageControl;
class TPropertiesPage;
class TScriptEditor;

/// The main window's widgets, made and laid out at once: the command bar on the left (`Panel2`,
/// 123 wide), the page control with the two script panes, the properties page and the about page
/// on the right (`Panel1`), and the "READ ONLY" marker over the right end of the tab row. The
/// window owns them; the pointers are for the window's code and for tests that look into it.
struct TMainFormUi {
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    TCommandBar* InspectorBar1 = nullptr;
    TPageControl* PageControl = nullptr;
    QWidget* TS_Input = nullptr;
    QWidget* TS_Output = nullptr;
    TPropertiesPage* TS_Options = nullptr;
    TAboutPage* TS_About = nullptr;
    TScriptEditor* AdvMemo1 = nullptr;
    TScriptEditor* AdvMemo2 = nullptr;
    QLabel* L_ReadOnly = nullptr;

    /// Makes the widgets in `window`, with a properties page showing `record`.
    void setupUi(QMainWindow& window, quillshift::ScriptProperties& record);

    /// The command bar's groups and items.
    static const QList<TCommandBar::Group>& commands();
    /// The caption of a command item, trailing blanks included; empty for an unknown item.
    static QString commandCaption(int group, int item);
};
