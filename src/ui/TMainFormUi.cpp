#include "ui/TMainFormUi.h"

#include <QHBoxLayout>
#include <QMainWindow>
#include <QVBoxLayout>

#include "ui/Look.h"
#include "ui/TAboutPage.h"
#include "ui/TPageControl.h"
#include "ui/TPropertiesPage.h"
#include "ui/TReadOnlyMarker.h"
#include "ui/TScriptEditor.h"
#include "ui/TTabImages.h"

namespace {

constexpr int kCommandBarWidth = 123;
constexpr int kTabWidth = 111;

// A page holding a script pane that fills it.
QWidget* paneHolder(TPageControl& pages, const QString& name, TScriptEditor*& pane,
                    const QString& paneName) {
    auto* page = new QWidget(&pages);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    pane = new TScriptEditor(page);
    pane->setObjectName(paneName);
    layout->addWidget(pane);
    return page;
}

}  // namespace

const QList<TCommandBar::Group>& TMainFormUi::commands() {
    static const QList<TCommandBar::Group> groups = {
        {QStringLiteral("WIZARD"),
         QStringLiteral("InspectorBar1Wizard"),
         {{QStringLiteral("1 - Open Script...    "), QStyle::SP_DialogOpenButton},
          {QStringLiteral("2 - Convert !            "), QStyle::SP_BrowserReload},
          {QStringLiteral("3 - Adjust Properties"), QStyle::SP_FileDialogDetailedView},
          {QStringLiteral("4 - Save Script As..."), QStyle::SP_DialogSaveButton}}},
        {QStringLiteral("EDIT"),
         QStringLiteral("InspectorBar1Edit"),
         {{QStringLiteral("Edit Input"), QStyle::SP_FileIcon},
          {QStringLiteral("Edit output"), QStyle::SP_FileDialogContentsView}}},
        {QStringLiteral("ABOUT"),
         QStringLiteral("InspectorBar1About"),
         {{QStringLiteral("About..."), QStyle::SP_MessageBoxInformation}}},
    };
    return groups;
}

QString TMainFormUi::commandCaption(int group, int item) {
    const QList<TCommandBar::Group>& groups = commands();
    if (group < 0 || group >= groups.size() || item < 0 || item >= groups[group].items.size()) {
        return {};
    }
    return groups[group].items[item].caption;
}

void TMainFormUi::setupUi(QMainWindow& window, quillshift::ScriptProperties& record) {
    window.setFont(look::windowFont());
    window.setPalette(look::classicPalette());
    window.resize(800, 600);

    auto* central = new QWidget(&window);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    Panel2 = new QWidget(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(kCommandBarWidth);
    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    columns->addWidget(Panel2);
    columns->addWidget(Panel1, 1);
    window.setCentralWidget(central);

    PageControl = new TPageControl(kTabWidth, Panel1);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    auto* pages = new QVBoxLayout(Panel1);
    pages->setContentsMargins(0, 0, 0, 0);
    pages->addWidget(PageControl);
    TS_Input =
        paneHolder(*PageControl, QStringLiteral("TS_Input"), AdvMemo1, QStringLiteral("AdvMemo1"));
    TS_Output =
        paneHolder(*PageControl, QStringLiteral("TS_Output"), AdvMemo2, QStringLiteral("AdvMemo2"));
    AdvMemo2->setReadOnly(true);
    TS_Options = new TPropertiesPage(record, PageControl);
    TS_Options->setObjectName(QStringLiteral("TS_Options"));
    TS_About = new TAboutPage(PageControl);
    TS_About->setObjectName(QStringLiteral("TS_About"));
    const QIcon script = TTabImages::icon(TTabImages::Script);
    PageControl->addTab(TS_Input, script, QStringLiteral("Input"));
    PageControl->addTab(TS_Output, script, QStringLiteral("Output"));
    PageControl->addTab(TS_Options, TTabImages::icon(TTabImages::Properties),
                        QStringLiteral("Properties"));
    PageControl->addTab(TS_About, TTabImages::icon(TTabImages::About),
                        QStringLiteral("About / note..."));
    L_ReadOnly = new TReadOnlyMarker(*Panel1);
    L_ReadOnly->setObjectName(QStringLiteral("L_ReadOnly"));

    // Tab from the right panel, which holds the focus when the window opens, reaches the bar.
    InspectorBar1 = new TCommandBar(commands(), Panel1, Panel2);
    InspectorBar1->setObjectName(QStringLiteral("InspectorBar1"));
    auto* bar = new QVBoxLayout(Panel2);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(InspectorBar1);
}
