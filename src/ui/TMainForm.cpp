#include "ui/TMainForm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QToolBox>
#include <QVBoxLayout>

#include "settings/SettingsWriteError.h"
#include "ui/TAboutPage.h"
#include "ui/TPageControl.h"
#include "ui/TQtDialogs.h"
#include "ui/TScriptEditor.h"
#include "ui/TTabImages.h"

namespace {

constexpr int kCommandBarWidth = 123;
constexpr int kTabWidth = 111;
constexpr QSize kMarkerSize(75, 17);
constexpr int kMarkerInset = 3;

const QColor kSilver(192, 192, 192);
const QColor kGroupGrey(128, 128, 128);

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
    runGuarded(tr("Window creation"), [this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

QString TMainForm::captionText() {
    return QStringLiteral("Quillshift for RVLT - Rel. 1.0.0.0 - by the Quillshift team");
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
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kSilver);
    setPalette(palette);
    resize(800, 600);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildCommandBar());
    layout->addWidget(buildPages(), 1);
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
        palette.setColor(QPalette::Window, kGroupGrey);
        palette.setColor(QPalette::Button, kGroupGrey);
        palette.setColor(QPalette::WindowText, Qt::white);
        palette.setColor(QPalette::ButtonText, Qt::white);
        page->setPalette(palette);
        auto* items = new QVBoxLayout(page);
        items->setContentsMargins(0, 0, 0, 0);
        items->setSpacing(0);
        items->addStretch(1);
        InspectorBar1->addItem(page, captions[group]);
    }
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

    // The properties fields are placed on this page with the properties page.
    TS_Options = new QWidget(PageControl);
    TS_Options->setObjectName(QStringLiteral("TS_Options"));

    TS_About = new TAboutPage(PageControl);
    TS_About->setObjectName(QStringLiteral("TS_About"));

    for (QWidget* page : {static_cast<QWidget*>(TS_Options), static_cast<QWidget*>(TS_About)}) {
        page->setAutoFillBackground(true);
        QPalette pagePalette = page->palette();
        pagePalette.setColor(QPalette::Window, kSilver);
        page->setPalette(pagePalette);
    }

    PageControl->addTab(TS_Input, images[0], QStringLiteral("Input"));
    PageControl->addTab(TS_Output, images[0], QStringLiteral("Output"));
    PageControl->addTab(TS_Options, images[1], QStringLiteral("Properties"));
    PageControl->addTab(TS_About, images[2], QStringLiteral("About / note..."));
    layout->addWidget(PageControl);
    connect(PageControl, &QTabWidget::currentChanged, this, &TMainForm::PageControlChange);

    L_ReadOnly = new QLabel(QStringLiteral("READ ONLY"), Panel1);
    L_ReadOnly->setObjectName(QStringLiteral("L_ReadOnly"));
    L_ReadOnly->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont markerFont = L_ReadOnly->font();
    markerFont.setBold(true);
    L_ReadOnly->setFont(markerFont);
    QPalette markerPalette = L_ReadOnly->palette();
    markerPalette.setColor(QPalette::WindowText, Qt::red);
    L_ReadOnly->setPalette(markerPalette);
    L_ReadOnly->hide();
    Panel1->installEventFilter(this);
    placeReadOnlyMarker();
    return Panel1;
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
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowStateChange) {
        TFormSettings::correctForFrame(*this);
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
    // WIZARD items 1 to 3 are hidden here once the command bar has its items.
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
    // The properties fields come with the properties page; until then there is nothing to lock.
    Q_UNUSED(enabled);
}

void TMainForm::InspectorBar1ItemClick(int group, int item) {
    // The command items and what they do come with the wizard workflow.
    Q_UNUSED(group);
    Q_UNUSED(item);
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
