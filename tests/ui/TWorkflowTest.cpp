#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolBox>

#include <algorithm>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TTestWindow.h"
#include "conversion/LanguageTable.h"
#include "support/Unprivileged.h"
#include "ui/TCommentsMemo.h"
#include "ui/TLanguageCombo.h"
#include "ui/TLineMarks.h"
#include "ui/TPageControl.h"
#include "ui/TPropertyEdit.h"
#include "ui/TScriptEditor.h"
#include "ui/TWarningBadge.h"

namespace {

using Answer = TDialogs::Answer;
using quillshift::testing::ActingAsNobody;

const QByteArray kLegacyScript =
    "(**********\r\n"
    "{ Demo importer\r\n"
    " * (c) 2005 Ann Author\r\n"
    " * Source: http://www.demo.example/movies/ main\r\n"
    " * Imports the title. (EN)\r\n"
    "**********)\r\n"
    "program Demo;\r\n"
    "begin\r\n"
    "  GetPicture(PicURL, False);\r\n"
    "  DisplayResults;\r\n"
    "end.\r\n";

const QByteArray kOtherScript = "{ header\r\n{ Other script\r\nprogram Other;\r\nbegin\r\nend.\r\n";

enum class State { Started, Opened, Converted, Adjusting };

const char* stateName(State state) {
    switch (state) {
        case State::Started:
            return "Started";
        case State::Opened:
            return "Opened";
        case State::Converted:
            return "Converted";
        case State::Adjusting:
            return "Adjusting";
    }
    return "?";
}

bool hidden(const TMainForm& form, int item) {
    return form.commandItem(TMainForm::WizardGroup, item)->isHidden();
}

bool propertiesEnabled(const TMainForm& form) {
    const QList<QWidget*> fields = {
        form.view().E_Authors, form.view().E_Title,   form.view().E_Descr,   form.view().E_Address,
        form.view().CB_Lang,   form.view().E_Version, form.view().M_Comments};
    const bool first = fields.first()->isEnabled();
    for (QWidget* field : fields) {
        if (field->isEnabled() != first) {
            qWarning("the properties fields are partly enabled");
        }
    }
    return first;
}

// A flag as the digit the observed texts show.
int bit(bool flag) {
    return flag ? 1 : 0;
}

/// The workflow state the window is in, by the state table; "inconsistent" when it matches no row.
QString stateOf(const TMainForm& form) {
    const bool convert = !hidden(form, TMainForm::ConvertItem);
    const bool adjust = !hidden(form, TMainForm::AdjustItem);
    const bool save = !hidden(form, TMainForm::SaveItem);
    const bool enabled = propertiesEnabled(form);
    const bool cleared = form.scriptProperties() == quillshift::ScriptProperties{};
    if (hidden(form, TMainForm::OpenItem)) {
        return QStringLiteral("inconsistent: Open hidden");
    }
    if (!convert && !adjust && !save && !enabled && cleared) {
        return stateName(State::Started);
    }
    if (convert && !adjust && !save && !enabled && cleared) {
        return stateName(State::Opened);
    }
    if (convert && adjust && !save && !enabled) {
        return stateName(State::Converted);
    }
    if (convert && adjust && save && enabled) {
        return stateName(State::Adjusting);
    }
    return QStringLiteral("inconsistent: %1%2%3 enabled=%4 cleared=%5")
        .arg(bit(convert))
        .arg(bit(adjust))
        .arg(bit(save))
        .arg(bit(enabled))
        .arg(bit(cleared));
}

/// Everything of the window a user can observe, as one text.
QString observed(const TMainForm& form) {
    const quillshift::ScriptProperties& p = form.scriptProperties();
    QStringList parts;
    parts << QStringLiteral("state=%1").arg(stateOf(form))
          << QStringLiteral("page=%1").arg(form.view().PageControl->currentWidget()->objectName())
          << QStringLiteral("marker=%1").arg(bit(!form.view().L_ReadOnly->isHidden()))
          << QStringLiteral("input ro=%1 numbers=%2 [%3]")
                 .arg(bit(form.view().AdvMemo1->isReadOnly()))
                 .arg(bit(form.view().AdvMemo1->lineNumbersVisible()))
                 .arg(TTestWindow::joined(form.view().AdvMemo1->lines()))
          << QStringLiteral("output ro=%1 numbers=%2 [%3]")
                 .arg(bit(form.view().AdvMemo2->isReadOnly()))
                 .arg(bit(form.view().AdvMemo2->lineNumbersVisible()))
                 .arg(TTestWindow::joined(form.view().AdvMemo2->lines()))
          << QStringLiteral("record=%1/%2/%3/%4/%5/%6/[%7]")
                 .arg(TTestWindow::joined({p.authors, p.title, p.description, p.site}))
                 .arg(p.language)
                 .arg(TTestWindow::joined({p.version}))
                 .arg(form.view().E_Authors->text(), form.view().E_Version->text())
                 .arg(form.view().CB_Lang->currentIndex())
                 .arg(TTestWindow::joined(p.comments))
          << QStringLiteral("saveName=%1").arg(form.DefaultSaveName())
          << QStringLiteral("inputPath=%1").arg(form.InputPath());
    return parts.join(QLatin1Char('\n'));
}

std::vector<std::string> linesOf(const QByteArray& crlfText) {
    std::vector<std::string> lines;
    for (const QByteArray& line : crlfText.split('\n')) {
        lines.push_back(line.chopped(line.endsWith('\r') ? 1 : 0).toStdString());
    }
    if (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

/// What the batch converter writes for `input` with the given extra arguments.
QByteArray batchConverted(const QString& input, const QString& output,
                          const QStringList& extra = {}) {
    QProcess process;
    process.start(QStringLiteral(QUILLSHIFT_CONVERT_EXE),
                  QStringList(extra) << QStringLiteral("--quiet") << input << output);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("quillshift-convert failed: %s", process.readAllStandardError().constData());
        return "<quillshift-convert failed>";
    }
    return TTestWindow::readFile(output);
}

// Opens the context menu of `pane`'s text on `line` with the mouse; returns its items and
// triggers the one called `trigger`, if any.
QStringList contextMenuAt(TScriptEditor& pane, int line, const QString& trigger = {}) {
    pane.ensureLineVisible(line);
    const long start = pane.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const QPoint at(pane.viewport()->width() / 2,
                    static_cast<int>(
                        pane.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, start)) +
                        2);
    QStringList seen;
    QTimer::singleShot(0, [&seen, &trigger] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        QAction* chosen = nullptr;
        for (QAction* action : menu->actions()) {
            seen << action->text();
            chosen = action->text() == trigger ? action : chosen;
        }
        if (chosen != nullptr) {
            chosen->trigger();
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, pane.viewport()->mapToGlobal(at));
    QApplication::sendEvent(pane.viewport(), &event);
    QCoreApplication::processEvents();
    return seen;
}

}  // namespace

class TWorkflowTest : public QObject {
    Q_OBJECT

    /// Brings a fresh window into `state` with kLegacyScript as "old.ifs".
    static void reach(TTestWindow& w, State state) {
        if (state == State::Started) {
            return;
        }
        w.open(w.writeFile(QStringLiteral("old.ifs"), kLegacyScript));
        if (state == State::Opened) {
            return;
        }
        w.convert();
        if (state == State::Converted) {
            return;
        }
        w.adjust();
    }

private slots:
    void stateTable_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("offered");
        struct Command {
            const char* name;
            int group;
            int item;
        };
        const Command commands[] = {
            {"Open", TMainForm::WizardGroup, TMainForm::OpenItem},
            {"Convert", TMainForm::WizardGroup, TMainForm::ConvertItem},
            {"Adjust", TMainForm::WizardGroup, TMainForm::AdjustItem},
            {"Save", TMainForm::WizardGroup, TMainForm::SaveItem},
            {"Edit Input", TMainForm::EditGroup, TMainForm::EditInputItem},
            {"Edit output", TMainForm::EditGroup, TMainForm::EditOutputItem},
            {"About", TMainForm::AboutGroup, TMainForm::AboutNoteItem},
        };
        for (State from : {State::Started, State::Opened, State::Converted, State::Adjusting}) {
            for (const Command& command : commands) {
                State to = from;
                bool offered = true;
                if (command.group == TMainForm::WizardGroup) {
                    switch (command.item) {
                        case TMainForm::OpenItem:
                            to = State::Opened;
                            break;
                        case TMainForm::ConvertItem:
                            offered = from != State::Started;
                            to = offered ? State::Converted : from;
                            break;
                        case TMainForm::AdjustItem:
                            offered = from == State::Converted || from == State::Adjusting;
                            to = offered ? State::Adjusting : from;
                            break;
                        default:
                            offered = from == State::Adjusting;
                            break;
                    }
                }
                QTest::addRow("%s, %s", stateName(from), command.name)
                    << static_cast<int>(from) << command.group << command.item
                    << static_cast<int>(to) << offered;
            }
        }
    }

    void stateTable() {
        QFETCH(int, from);
        QFETCH(int, group);
        QFETCH(int, item);
        QFETCH(int, to);
        QFETCH(bool, offered);
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, static_cast<State>(from));
        QCOMPARE(stateOf(*w.form), QString::fromLatin1(stateName(static_cast<State>(from))));
        const QString before = observed(*w.form);
        const QStringList callsBefore = w.dialogs->calls;

        w.dialogs->openAnswers.push_back(w.writeFile(QStringLiteral("other.ifs"), kOtherScript));
        w.dialogs->saveAnswers.push_back(w.path(QStringLiteral("saved.ifs")));
        QCOMPARE(w.click(group, item), offered);
        if (!offered) {
            // A hidden item is not there to be clicked; its handler does nothing for it either.
            w.form->InspectorBar1ItemClick(group, item);
        }

        QCOMPARE(stateOf(*w.form), QString::fromLatin1(stateName(static_cast<State>(to))));
        QVERIFY(w.dialogs->errors.isEmpty());
        if (!offered) {
            QCOMPARE(observed(*w.form), before);
            QCOMPARE(w.dialogs->calls, callsBefore);
            QVERIFY(!QFile::exists(w.path(QStringLiteral("saved.ifs"))));
        }
    }

    void openShowsTheScriptReadOnlyAndOffersConvert() {
        TTestWindow w;
        QVERIFY(w.showActive());
        // Start from a window where everything the Open command sets is the other way round.
        reach(w, State::Adjusting);
        w.click(TMainForm::EditGroup, TMainForm::EditInputItem);
        w.click(TMainForm::EditGroup, TMainForm::EditOutputItem);
        w.form->view().AdvMemo2->setLineNumbersVisible(true);
        w.click(TMainForm::AboutGroup, TMainForm::AboutNoteItem);

        const QString file = w.writeFile(QStringLiteral("Second Script.ifs"), kOtherScript);
        w.open(file);
        TMainForm& form = *w.form;
        QCOMPARE(form.view().PageControl->currentWidget(), form.view().TS_Input);
        QVERIFY(!form.view().L_ReadOnly->isHidden());
        QVERIFY(form.view().AdvMemo1->isReadOnly());
        QVERIFY(form.view().AdvMemo1->lineNumbersVisible());
        QCOMPARE(TTestWindow::joined(form.view().AdvMemo1->lines()),
                 TTestWindow::joined(linesOf(kOtherScript)));
        QCOMPARE(form.view().AdvMemo2->lineCount(), std::size_t{0});
        QVERIFY(!form.view().AdvMemo2->lineNumbersVisible());
        QCOMPARE(stateOf(form), QStringLiteral("Opened"));
        QCOMPARE(form.DefaultSaveName(), QStringLiteral("New Second Script.ifs"));
        QCOMPARE(form.InputPath(), w.folderPath() + QLatin1Char('/'));
        QVERIFY(w.dialogs->errors.isEmpty());
    }

    void openDialogStartsInTheLastFolderAndSaveSuggestsTheNewName() {
        TTestWindow w;
        QVERIFY(QDir(w.folderPath()).mkdir(QStringLiteral("scripts")));
        const QString file = w.writeFile(QStringLiteral("scripts/old.ifs"), kLegacyScript);
        const QString startFolder = w.form->InputPath();
        w.open(file);
        w.convert();
        w.adjust();
        w.save(QString());  // cancelled
        w.dialogs->openAnswers.emplace_back();
        w.click(TMainForm::WizardGroup, TMainForm::OpenItem);  // cancelled

        const auto& dialogs = w.dialogs->fileDialogs;
        QCOMPARE(dialogs.size(), 3);
        const QString filter = QStringLiteral("RVLT Script files (*.ifs);;All files (*)");
        QCOMPARE(dialogs[0].title, QStringLiteral("Open Reelvault Script File"));
        QCOMPARE(dialogs[0].place, startFolder);
        QCOMPARE(dialogs[0].filter, filter);
        QCOMPARE(dialogs[0].defaultSuffix, QStringLiteral("ifs"));
        QCOMPARE(dialogs[1].title, QStringLiteral("Save Reelvault Script File As..."));
        QCOMPARE(dialogs[1].place, QStringLiteral("New old.ifs"));
        QCOMPARE(dialogs[1].filter, filter);
        QCOMPARE(dialogs[1].defaultSuffix, QStringLiteral("ifs"));
        QCOMPARE(dialogs[2].place, w.folderPath() + QStringLiteral("/scripts/"));
    }

    void convertShowsTheOutputReadOnlyAndFillsTheProperties() {
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, State::Opened);
        // The output pane was made editable and its page shown: Convert locks it again.
        w.click(TMainForm::EditGroup, TMainForm::EditOutputItem);
        QVERIFY(!w.form->view().AdvMemo2->isReadOnly());
        w.convert();
        TMainForm& form = *w.form;
        QCOMPARE(form.view().PageControl->currentWidget(), form.view().TS_Output);
        QVERIFY(!form.view().L_ReadOnly->isHidden());
        QVERIFY(form.view().AdvMemo2->isReadOnly());
        QVERIFY(form.view().AdvMemo2->lineNumbersVisible());
        QCOMPARE(
            TTestWindow::joined(form.view().AdvMemo2->lines()),
            QStringLiteral("program Demo;|begin|  GetPicture(PicURL);|  //DisplayResults;|end."));
        QCOMPARE(stateOf(form), QStringLiteral("Converted"));

        const quillshift::ScriptProperties& p = form.scriptProperties();
        QCOMPARE(p.title, std::string("Demo importer"));
        QCOMPARE(p.authors, std::string("(c) 2005 Ann Author"));
        QCOMPARE(p.site, std::string("http://www.demo.example/movies/ "));
        QCOMPARE(p.language, std::size_t{3});
        QCOMPARE(p.comments, std::vector<std::string>{"Imports the title. (EN)"});
        // The fields show the record, the address with its trailing blank.
        QCOMPARE(form.view().E_Title->text(), QStringLiteral("Demo importer"));
        QCOMPARE(form.view().E_Descr->text(),
                 QStringLiteral("Movie importation script for Demo importer"));
        QCOMPARE(form.view().E_Authors->text(), QStringLiteral("(c) 2005 Ann Author"));
        QCOMPARE(form.view().E_Address->text(), QStringLiteral("http://www.demo.example/movies/ "));
        QCOMPARE(form.view().CB_Lang->currentIndex(), 3);
        QCOMPARE(form.view().M_Comments->toPlainText(), QStringLiteral("Imports the title. (EN)"));
        QVERIFY(!form.view().E_Title->isEnabled());
    }

    void convertSuspendsRepaintingOnlyWhileTheOutputIsShown() {
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, State::Opened);
        QList<bool> updatesDuringConvert;
        QObject::connect(
            w.form->view().AdvMemo2, &TScriptEditor::contentReplaced, w.form.get(),
            [&] { updatesDuringConvert << w.form->view().AdvMemo2->updatesEnabled(); });

        // From the input page: the output pane is not on screen, nothing to suspend.
        w.convert();
        QVERIFY(!updatesDuringConvert.isEmpty());
        QVERIFY(!updatesDuringConvert.contains(false));

        // From the output page: suspended throughout, and resumed afterwards.
        QCOMPARE(w.form->view().PageControl->currentWidget(), w.form->view().TS_Output);
        updatesDuringConvert.clear();
        w.convert();
        QVERIFY(!updatesDuringConvert.isEmpty());
        QVERIFY(!updatesDuringConvert.contains(true));
        QVERIFY(w.form->view().AdvMemo2->updatesEnabled());
    }

    void adjustUnlocksThePropertiesAndOffersSave() {
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, State::Converted);
        const quillshift::ScriptProperties harvested = w.form->scriptProperties();
        w.adjust();
        TMainForm& form = *w.form;
        QCOMPARE(form.view().PageControl->currentWidget(), form.view().TS_Options);
        QVERIFY(form.view().L_ReadOnly->isHidden());
        QCOMPARE(stateOf(form), QStringLiteral("Adjusting"));
        QVERIFY(form.scriptProperties() == harvested);
        QCOMPARE(form.view().E_Title->text(), QStringLiteral("Demo importer"));
        // The panes keep their flags.
        QVERIFY(form.view().AdvMemo1->isReadOnly());
        QVERIFY(form.view().AdvMemo2->isReadOnly());
    }

    void editAndAboutItems_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("inputReadOnly");
        QTest::addColumn<bool>("outputReadOnly");
        QTest::newRow("Edit Input") << int(TMainForm::EditGroup) << int(TMainForm::EditInputItem)
                                    << QStringLiteral("TS_Input") << false << true;
        QTest::newRow("Edit output") << int(TMainForm::EditGroup) << int(TMainForm::EditOutputItem)
                                     << QStringLiteral("TS_Output") << true << false;
        QTest::newRow("About") << int(TMainForm::AboutGroup) << int(TMainForm::AboutNoteItem)
                               << QStringLiteral("TS_About") << true << true;
    }

    void editAndAboutItems() {
        QFETCH(int, group);
        QFETCH(int, item);
        QFETCH(QString, page);
        QFETCH(bool, inputReadOnly);
        QFETCH(bool, outputReadOnly);
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, State::Converted);
        w.form->selectPage(w.form->view().TS_Options);
        QVERIFY(w.click(group, item));
        TMainForm& form = *w.form;
        QCOMPARE(form.view().PageControl->currentWidget()->objectName(), page);
        QCOMPARE(form.view().AdvMemo1->isReadOnly(), inputReadOnly);
        QCOMPARE(form.view().AdvMemo2->isReadOnly(), outputReadOnly);
        QVERIFY(form.view().L_ReadOnly->isHidden());
        QCOMPARE(stateOf(form), QStringLiteral("Converted"));
        if (group == TMainForm::EditGroup) {
            TScriptEditor* pane = item == 0 ? form.view().AdvMemo1 : form.view().AdvMemo2;
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pane));
        }
    }

    void cancelledDialogsChangeNothing_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("item");
        for (State from : {State::Started, State::Opened, State::Converted, State::Adjusting}) {
            QTest::addRow("Open from %s", stateName(from))
                << static_cast<int>(from) << int(TMainForm::OpenItem);
        }
        QTest::addRow("Save") << static_cast<int>(State::Adjusting) << int(TMainForm::SaveItem);
    }

    void cancelledDialogsChangeNothing() {
        QFETCH(int, from);
        QFETCH(int, item);
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, static_cast<State>(from));
        const QString before = observed(*w.form);
        const QStringList folderBefore = QDir(w.folderPath()).entryList(QDir::Files);
        const qsizetype callsBefore = w.dialogs->calls.size();

        w.dialogs->openAnswers.emplace_back();
        w.dialogs->saveAnswers.emplace_back();
        QVERIFY(w.click(TMainForm::WizardGroup, item));
        QCOMPARE(w.dialogs->calls.size(), callsBefore + 1);
        QCOMPARE(observed(*w.form), before);
        QCOMPARE(QDir(w.folderPath()).entryList(QDir::Files), folderBefore);
        QVERIFY(w.dialogs->errors.isEmpty());
    }

    void failedOpenLeavesEverythingAsItWas_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("why");
        for (State from : {State::Started, State::Opened, State::Converted, State::Adjusting}) {
            for (const char* why :
                 {"missing", "folder", "NUL byte", "unreadable", "no permission", "pipe"}) {
                QTest::addRow("%s, %s", stateName(from), why)
                    << static_cast<int>(from) << QString::fromLatin1(why);
            }
        }
    }

    void failedOpenLeavesEverythingAsItWas() {
        QFETCH(int, from);
        QFETCH(QString, why);
        TTestWindow w;
        QVERIFY(w.showActive());
        QString bad;
        if (why == QLatin1String("missing")) {
            bad = w.path(QStringLiteral("gone.ifs"));
        } else if (why == QLatin1String("folder")) {
            bad = w.path(QStringLiteral("folder.ifs"));
            QVERIFY(QDir(w.folderPath()).mkdir(QStringLiteral("folder.ifs")));
        } else if (why == QLatin1String("NUL byte")) {
            bad = w.writeFile(QStringLiteral("binary.ifs"),
                              QByteArray("program X;\r\nab\0cd\r\n", 18));
        } else if (why == QLatin1String("pipe")) {
            bad = w.path(QStringLiteral("pipe.ifs"));  // no writer: opening it would wait for ever
            QVERIFY(::mkfifo(QFile::encodeName(bad).constData(), 0644) == 0);
        } else if (why == QLatin1String("unreadable")) {
            bad = QStringLiteral("/proc/self/mem");  // opens, but reading it fails for everyone
        } else {
            bad = w.writeFile(QStringLiteral("locked.ifs"), kOtherScript);
            QVERIFY(QFile::setPermissions(bad, QFileDevice::Permissions()));
            // Others may look into the folder, so that only the file's own permissions stop them.
            QVERIFY(QFile::setPermissions(w.folderPath(),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ExeOther));
        }
        reach(w, static_cast<State>(from));
        // Give the input pane an undo history and a caret away from the start.
        w.click(TMainForm::EditGroup, TMainForm::EditInputItem);
        w.form->view().AdvMemo1->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
        TTestWindow::type(w.form->view().AdvMemo1, QStringLiteral("typed"));
        QVERIFY(w.form->view().AdvMemo1->isUndoAvailable());
        w.click(TMainForm::AboutGroup, TMainForm::AboutNoteItem);
        const QString before = observed(*w.form);

        {
            const ActingAsNobody nobody(why == QLatin1String("no permission"));
            w.open(bad);
        }
        QCOMPARE(w.dialogs->errors.size(), 1);
        const QString message = w.dialogs->errors[0].message;
        QVERIFY2(message.startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(bad)),
                 qPrintable(message));
        QVERIFY(w.dialogs->errors[0].details.startsWith(
            QStringLiteral("Command: 1 - Open Script...\n")));
        QCOMPARE(observed(*w.form), before);
        // Only the pane's caret and undo history were reset.
        QCOMPARE(w.form->view().AdvMemo1->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), 0L);
        QVERIFY(!w.form->view().AdvMemo1->isUndoAvailable());

        // The window goes on working: the next Open succeeds.
        w.open(w.writeFile(QStringLiteral("good.ifs"), kOtherScript));
        QCOMPARE(w.dialogs->errors.size(), 1);
        QCOMPARE(w.form->DefaultSaveName(), QStringLiteral("New good.ifs"));
    }

    void saveWritesTheEditedOutputAndTheRecord() {
        TTestWindow w;
        QVERIFY(w.showActive());
        const QString input = w.writeFile(QStringLiteral("old.ifs"), kLegacyScript);
        reach(w, State::Converted);
        w.click(TMainForm::EditGroup, TMainForm::EditOutputItem);
        w.form->view().AdvMemo2->SendScintilla(QsciScintillaBase::SCI_DOCUMENTSTART);
        TTestWindow::type(w.form->view().AdvMemo2, QStringLiteral("// Edited by hand\n"));
        w.adjust();
        w.form->view().E_Version->setFocus();
        TTestWindow::type(w.form->view().E_Version, QStringLiteral("1.1"));
        const QString saved = w.path(QStringLiteral("New old.ifs"));
        w.save(saved);
        QVERIFY(w.dialogs->errors.isEmpty());

        QByteArray expected =
            batchConverted(input, w.path(QStringLiteral("batch.ifs")),
                           {QStringLiteral("--set"), QStringLiteral("Version=1.1")});
        expected.replace("program Demo;\r\n", "// Edited by hand\r\nprogram Demo;\r\n");
        QCOMPARE(TTestWindow::readFile(saved), expected);
        QCOMPARE(stateOf(*w.form), QStringLiteral("Adjusting"));
    }

    void convertAfterAdjustDiscardsThePropertyEdits() {
        TTestWindow w;
        QVERIFY(w.showActive());
        const QString input = w.writeFile(QStringLiteral("old.ifs"), kLegacyScript);
        reach(w, State::Adjusting);
        w.form->view().E_Version->setFocus();
        TTestWindow::type(w.form->view().E_Version, QStringLiteral("2.0"));
        w.form->view().E_Title->selectAll();
        TTestWindow::type(w.form->view().E_Title, QStringLiteral("Changed"));
        QCOMPARE(w.form->scriptProperties().version, std::string("2.0"));

        w.convert();
        QCOMPARE(stateOf(*w.form), QStringLiteral("Converted"));
        QVERIFY(hidden(*w.form, TMainForm::SaveItem));
        QCOMPARE(w.form->scriptProperties().version, std::string());
        QCOMPARE(w.form->view().E_Version->text(), QString());
        QCOMPARE(w.form->view().E_Title->text(), QStringLiteral("Demo importer"));

        w.adjust();
        const QString saved = w.path(QStringLiteral("saved.ifs"));
        w.save(saved);
        QCOMPARE(TTestWindow::readFile(saved),
                 batchConverted(input, w.path(QStringLiteral("batch.ifs"))));
    }

    void overwriteNeedsAnExplicitYes_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("Yes") << static_cast<int>(Answer::Yes) << true;
        QTest::newRow("No or Escape") << static_cast<int>(Answer::No) << false;
        QTest::newRow("close button") << static_cast<int>(Answer::Closed) << false;
    }

    void overwriteNeedsAnExplicitYes() {
        QFETCH(int, answer);
        QFETCH(bool, written);
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, State::Adjusting);
        const QString target = w.writeFile(QStringLiteral("existing.ifs"), "keep me\r\n");
        const QString before = observed(*w.form);
        w.save(target, static_cast<Answer>(answer));
        QCOMPARE(w.dialogs->calls.last(), QStringLiteral("ask:Warning:Overwrite existing file?"));
        QCOMPARE(TTestWindow::readFile(target) != QByteArray("keep me\r\n"), written);
        if (written) {
            QVERIFY(TTestWindow::readFile(target).startsWith("(*****"));
        }
        QCOMPARE(observed(*w.form), before);
        QVERIFY(w.dialogs->errors.isEmpty());
    }

    void saveToANewFileAsksNothing() {
        TTestWindow w;
        reach(w, State::Adjusting);
        w.save(w.path(QStringLiteral("fresh.ifs")), Answer::No);
        QVERIFY(!w.dialogs->calls.last().startsWith(QStringLiteral("ask:")));
        QVERIFY(QFile::exists(w.path(QStringLiteral("fresh.ifs"))));
    }

    void failedSaveIsReportedAndChangesNothing_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder")
            << QStringLiteral("missing") << QStringLiteral("No such file or directory");
        QTest::newRow("onto a folder")
            << QStringLiteral("folder") << QStringLiteral("Is a directory");
        QTest::newRow("full disk") << QStringLiteral("full") << QStringLiteral("File too large");
        QTest::newRow("place nobody may write") << QStringLiteral("system") << QString();
    }

    void failedSaveIsReportedAndChangesNothing() {
        QFETCH(QString, where);
        QFETCH(QString, reason);
        TTestWindow w;
        QVERIFY(w.showActive());
        reach(w, State::Adjusting);
        QString target = w.path(QStringLiteral("no such folder/new.ifs"));
        const QByteArray existing = "an existing script that must survive";
        if (where == QLatin1String("folder")) {
            target = w.path(QStringLiteral("folder.ifs"));
            QVERIFY(QDir(w.folderPath()).mkdir(QStringLiteral("folder.ifs")));
        } else if (where == QLatin1String("full")) {
            target = w.writeFile(QStringLiteral("existing.ifs"), existing);
            // A full disk: the file system takes no more than a few bytes of the new file.
            w.form->view().AdvMemo2->setLines(
                std::vector<std::string>(5000, std::string(100, 'x')));
        } else if (where == QLatin1String("system")) {
            target = QStringLiteral("/sys/quillshift-new.ifs");
        }
        const QString before = observed(*w.form);
        const QStringList filesBefore = QDir(w.folderPath()).entryList(QDir::AllEntries);
        {
            rlimit previous{};
            ::getrlimit(RLIMIT_FSIZE, &previous);
            const auto previousSignal = ::signal(SIGXFSZ, SIG_IGN);
            if (where == QLatin1String("full")) {
                const rlimit small{4096, previous.rlim_max};
                ::setrlimit(RLIMIT_FSIZE, &small);
            }
            w.save(target);
            ::setrlimit(RLIMIT_FSIZE, &previous);
            ::signal(SIGXFSZ, previousSignal);
        }
        QCOMPARE(w.dialogs->errors.size(), 1);
        const QString message = w.dialogs->errors[0].message;
        QVERIFY2(
            message.startsWith(QStringLiteral("Cannot create file \"%1\". %2").arg(target, reason)),
            qPrintable(message));
        QCOMPARE(observed(*w.form), before);
        QCOMPARE(QDir(w.folderPath()).entryList(QDir::AllEntries), filesBefore);
        if (where == QLatin1String("full")) {
            QCOMPARE(TTestWindow::readFile(target), existing);
        } else if (where != QLatin1String("folder")) {
            QVERIFY(!QFileInfo::exists(target));
        }
    }

    void fullRunWritesWhatTheBatchConverterWrites_data() {
        QTest::addColumn<QString>("input");
        const QDir golden(QStringLiteral(QUILLSHIFT_GOLDEN_DIR));
        const QStringList inputs = golden.entryList({QStringLiteral("*.ifs")}, QDir::Files);
        QVERIFY(inputs.size() >= 5);
        for (const QString& name : inputs) {
            QTest::newRow(qPrintable(name)) << golden.filePath(name);
        }
    }

    void fullRunWritesWhatTheBatchConverterWrites() {
        QFETCH(QString, input);
        TTestWindow w;
        QVERIFY(w.showActive());
        w.open(input);
        w.convert();
        w.adjust();
        const QString saved = w.path(QStringLiteral("saved.ifs"));
        w.save(saved);
        QVERIFY(w.dialogs->errors.isEmpty());
        const QByteArray written = TTestWindow::readFile(saved);
        QCOMPARE(written, batchConverted(input, w.path(QStringLiteral("batch.ifs"))));
        QVERIFY(written.startsWith("(****"));
    }

    void fullRunWithAdjustedPropertiesWritesThem() {
        TTestWindow w;
        QVERIFY(w.showActive());
        const QString input =
            QStringLiteral(QUILLSHIFT_GOLDEN_DIR) + QStringLiteral("/typical.ifs");
        w.open(input);
        w.convert();
        w.adjust();
        TMainForm& form = *w.form;
        form.view().E_Authors->setFocus();
        form.view().E_Authors->selectAll();
        TTestWindow::type(form.view().E_Authors, QStringLiteral("Zoë Ünal"));
        form.view().E_Version->setFocus();
        TTestWindow::type(form.view().E_Version, QStringLiteral("3.0 €"));
        form.view().CB_Lang->setCurrentIndex(4);
        form.view().M_Comments->setFocus();
        form.view().M_Comments->selectAll();
        TTestWindow::type(form.view().M_Comments, QStringLiteral("Adjusted by hand"));
        const QString saved = w.path(QStringLiteral("saved.ifs"));
        w.save(saved);

        const QByteArray expected =
            batchConverted(input, w.path(QStringLiteral("batch.ifs")),
                           {QStringLiteral("--set"), QStringLiteral("Authors=Zoë Ünal"),
                            QStringLiteral("--set"), QStringLiteral("Version=3.0 €"),
                            QStringLiteral("--set"), QStringLiteral("Language=EN,FR"),
                            QStringLiteral("--set"), QStringLiteral("Comments=Adjusted by hand")});
        QCOMPARE(TTestWindow::readFile(saved), expected);
        QVERIFY(expected.contains("Authors=Zo\xEB \xDCnal\r\n"));
        QVERIFY(expected.contains("Version=3.0 \x80\r\n"));
    }

    // After Convert each header line says what became of it, each rewritten body line what it
    // was, each field where it came from, and the Output tab sums the run up.
    void convertShowsWhatBecameOfEachLine() {
        TTestWindow w;
        w.open(w.writeFile(QStringLiteral("review.ifs"),
                           "{ first\r\n{ Importer\r\n * (c) 2005 Ann (FR)\r\n"
                           " * http://site.example/films/ index\r\n"
                           " * This program is free software\r\n * a comment\r\n"
                           "program X;\r\n  DisplayResults;\r\n  x := 1;\r\n"));
        w.convert();
        TMainForm& form = *w.form;
        auto* inputMarks = form.view().AdvMemo1->findChild<TLineMarks*>();
        auto* outputMarks = form.view().AdvMemo2->findChild<TLineMarks*>();
        const std::pair<TLineMarks*, QStringList> panes[] = {
            {inputMarks,
             {QStringLiteral("ignored: the first line"),
              QStringLiteral("Title: Importer\nDescription: Movie importation script for Importer"),
              QStringLiteral("Authors: (c) 2005 Ann (FR)\nLanguage: FR (French)"),
              QStringLiteral("Site: http://site.example/films/"),
              QStringLiteral("dropped: licence or site text that the new header replaces (it "
                             "holds \"This program is free\")"),
              QStringLiteral("went into Comments"),
              QStringLiteral("the program line: the body starts here"), QString(), QString()}},
            {outputMarks,
             {QString(),
              QStringLiteral("DisplayResults call: it was made a comment.\nInput line 8 was:\n"
                             "  DisplayResults;"),
              QString()}},
        };
        for (const auto& [marks, tips] : panes) {
            for (int line = 0; line < tips.size(); ++line) {
                QCOMPARE(marks->tipAt(line), tips[line]);
            }
        }
        QCOMPARE(form.view().E_Authors->toolTip(), QStringLiteral("from input line 3"));
        QCOMPARE(form.view().M_Comments->toolTip(), QStringLiteral("from input line 6"));
        const QString summary = QStringLiteral(
            "3 body lines, 6 header lines\nRewritten: 0 GetPicture calls, 1 DisplayResults call, "
            "0 CheckVersion calls, 0 version messages\nProperties found: Title, Authors, Site, "
            "Language, Comments\nF8 and Shift+F8 go from mark to mark in the margins.");
        QCOMPARE(form.view().PageControl->tabToolTip(1), summary);
        QCOMPARE(outputMarks->nextMarkedLine(2, true), 1);

        // The mark follows its line when a line is typed above it, and the summary says that the
        // output is no longer what the conversion made.
        w.click(TMainForm::EditGroup, TMainForm::EditOutputItem);
        form.view().AdvMemo2->insertAt(QStringLiteral("// added\n"), 0, 0);
        QVERIFY(outputMarks->tipAt(2).startsWith(QStringLiteral("DisplayResults call")));
        QCOMPARE(outputMarks->tipAt(1), QString());
        QCOMPARE(form.view().PageControl->tabToolTip(1),
                 summary + QStringLiteral("\nThe output has been edited since this conversion."));

        // Texts that name input lines follow the input's edits.
        w.click(TMainForm::EditGroup, TMainForm::EditInputItem);
        form.view().AdvMemo1->insertAt(QStringLiteral("{ new }\n"), 1, 0);
        QCOMPARE(form.view().E_Authors->toolTip(), QStringLiteral("from input line 4"));
        QVERIFY(
            outputMarks->tipAt(2).endsWith(QStringLiteral("Input line 9 now reads:\n"
                                                          "  DisplayResults;")));
        form.view().AdvMemo1->setSelection(3, 0, 4, 0);  // the Authors line
        form.view().AdvMemo1->removeSelectedText();
        QCOMPARE(form.view().E_Authors->toolTip(),
                 QStringLiteral("from an input line since deleted"));
        QCOMPARE(inputMarks->tipAt(3), QStringLiteral("Site: http://site.example/films/"));

        w.open(w.path(QStringLiteral("review.ifs")));
        QVERIFY(inputMarks->isEmpty() && outputMarks->isEmpty());
    }

    // Warned lines are marked in both panes and counted; their fixes are applied only on request,
    // one undo step each, and the marks say which lines are fixed, also after an undo.
    void warningsAreMarkedAndFixedOnRequest() {
        TTestWindow w;
        QVERIFY(w.showActive());
        w.open(w.writeFile(QStringLiteral("warned.ifs"),
                           "{ Warned\r\nprogram W;\r\nbegin\r\n"
                           "  GetPicture(TextBetween(Page, '<a>', 'b'), False);\r\n"
                           "  begin DisplayResults; end;\r\n  x := 1;\r\nend.\r\n"));
        w.convert();
        TMainForm& form = *w.form;
        TScriptEditor& output = *form.view().AdvMemo2;
        auto* outputMarks = output.findChild<TLineMarks*>();
        auto* inputMarks = form.view().AdvMemo1->findChild<TLineMarks*>();
        auto* badge = output.findChild<TWarningBadge*>();
        const std::vector<std::string> converted = output.lines();
        const std::string fixedCall = "  GetPicture(TextBetween(Page, '<a>', 'b'));";
        const std::string fixedBlock = "  begin {DisplayResults}; end;";
        // The body follows the new header: its line 3 is output line `call`.
        const auto call = static_cast<int>(std::find(converted.begin(), converted.end(),
                                                     "  GetPicture(TextBetween(Page), False);") -
                                           converted.begin());
        QVERIFY(call < static_cast<int>(converted.size()));
        QVERIFY(outputMarks->tipAt(call).contains(QStringLiteral("\nWarning (column 3): ")));
        QVERIFY(outputMarks->tipAt(call).endsWith(
            QStringLiteral("[wrong-argument-split]\nSuggested fix, which right-clicking the mark "
                           "applies:\n") +
            QString::fromStdString(fixedCall)));
        QVERIFY(inputMarks->tipAt(3).contains(QStringLiteral("[wrong-argument-split]\nSuggested")));
        QCOMPARE(badge->text(), QStringLiteral("2 lines need a look: F8 goes to each"));
        QVERIFY(badge->isVisible());
        QVERIFY(form.view().PageControl->tabToolTip(1).contains(
            QStringLiteral("\nWarnings: 2 lines need a look (F8 goes to each)")));

        // The menu of a line without a warning offers only the fixes of all lines.
        QStringList items = contextMenuAt(output, call + 2);
        QVERIFY2(items.contains(QStringLiteral("Apply all suggested fixes")),
                 qPrintable(items.join('|')));
        QVERIFY(!items.contains(QStringLiteral("Apply the suggested fix")));
        items = contextMenuAt(output, call, QStringLiteral("Apply the suggested fix"));
        QVERIFY(items.contains(QStringLiteral("    ") + QString::fromStdString(fixedCall)));
        std::vector<std::string> expected = converted;
        expected[static_cast<std::size_t>(call)] = fixedCall;
        QCOMPARE(output.lines(), expected);
        QVERIFY(outputMarks->tipAt(call).contains(QStringLiteral("\nFixed (column 3): ")));
        QVERIFY(inputMarks->tipAt(3).startsWith(QStringLiteral("Fixed (column 3): ")));
        QCOMPARE(badge->text(), QStringLiteral("1 line needs a look: F8 goes to it"));
        QVERIFY(form.view().PageControl->tabToolTip(1).contains(
            QStringLiteral("\nWarnings: 1 line needs a look (F8 goes to it); 1 fixed\n")));
        items = contextMenuAt(output, call);
        QVERIFY(!items.contains(QStringLiteral("Apply the suggested fix")));

        w.click(TMainForm::EditGroup, TMainForm::EditOutputItem);
        output.undo();
        QCOMPARE(output.lines(), converted);
        QVERIFY(outputMarks->tipAt(call).contains(QStringLiteral("\nWarning (column ")));
        QCOMPARE(badge->text(), QStringLiteral("2 lines need a look: F8 goes to each"));

        // All fixes from the input's mark, as one undo step.
        form.view().PageControl->setCurrentIndex(0);
        contextMenuAt(*form.view().AdvMemo1, 4, QStringLiteral("Apply all suggested fixes"));
        expected[static_cast<std::size_t>(call) + 1] = fixedBlock;
        QCOMPARE(output.lines(), expected);
        QVERIFY(badge->isHidden());
        output.undo();
        QCOMPARE(output.lines(), converted);
        output.redo();
        QCOMPARE(output.lines(), expected);

        // A fixed line edited by hand is open again, and the fix is not offered over the edit.
        output.insertAt(QStringLiteral("x"), call + 1, 0);
        QVERIFY(outputMarks->tipAt(call + 1).contains(QStringLiteral("\nWarning (column ")));
        QVERIFY(
            !contextMenuAt(output, call + 1).contains(QStringLiteral("Apply the suggested fix")));
    }

    // Every suggested fix applied in the window, then saved, gives what the batch converter
    // writes with --fix; a program line that was missed is fixed by converting again.
    void windowFixesAsTheBatchConverterDoes_data() {
        QTest::addColumn<QString>("input");
        const QDir golden(QStringLiteral(QUILLSHIFT_GOLDEN_DIR));
        for (const QString& name : golden.entryList({QStringLiteral("*.fixed")}, QDir::Files)) {
            QTest::newRow(qPrintable(name)) << golden.filePath(name.chopped(6) + ".ifs");
        }
    }

    void windowFixesAsTheBatchConverterDoes() {
        QFETCH(QString, input);
        TTestWindow w;
        QVERIFY(w.showActive());
        w.open(input);
        w.convert();
        TMainForm& form = *w.form;
        const QByteArray warnings = TTestWindow::readFile(input.chopped(4) + ".warnings");
        for (const QByteArray& warning : warnings.split('\n')) {
            if (warning.endsWith(" program-line-not-recognised")) {
                form.view().PageControl->setCurrentIndex(0);
                const QStringList items =
                    contextMenuAt(*form.view().AdvMemo1, warning.split(':')[0].toInt() - 1,
                                  QStringLiteral("Apply the suggested fix"));
                QVERIFY2(items.contains(QStringLiteral("Apply the suggested fix")),
                         qPrintable(items.join('|')));
                QCoreApplication::processEvents();
            }
        }
        form.view().PageControl->setCurrentIndex(1);
        contextMenuAt(*form.view().AdvMemo2, 0, QStringLiteral("Apply all suggested fixes"));
        w.adjust();
        const QString saved = w.path(QStringLiteral("saved.ifs"));
        w.save(saved);
        QCOMPARE(
            TTestWindow::readFile(saved),
            batchConverted(input, w.path(QStringLiteral("batch.ifs")), {QStringLiteral("--fix")}));
    }

    void convertingAConvertedScriptNeedsAnExplicitYes_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("converted");
        QTest::newRow("Yes") << static_cast<int>(Answer::Yes) << true;
        QTest::newRow("No") << static_cast<int>(Answer::No) << false;
        QTest::newRow("close button") << static_cast<int>(Answer::Closed) << false;
    }

    void convertingAConvertedScriptNeedsAnExplicitYes() {
        QFETCH(int, answer);
        QFETCH(bool, converted);
        TTestWindow w;
        w.open(QStringLiteral(QUILLSHIFT_GOLDEN_DIR) + QStringLiteral("/typical.expected"));
        const QString before = observed(*w.form);
        w.dialogs->yesNoAnswers.push_back(static_cast<Answer>(answer));
        w.convert();
        QCOMPARE(w.dialogs->calls.last(),
                 QStringLiteral("ask:Warning:This script already has a Reelvault 3.5.0 header. "
                                "Converting it again will damage it. Convert anyway?:No"));
        QCOMPARE(observed(*w.form) != before, converted);
        QCOMPARE(w.form->view().AdvMemo2->lineCount() > 0, converted);
    }
};

QTEST_MAIN(TWorkflowTest)
#include "TWorkflowTest.moc"
