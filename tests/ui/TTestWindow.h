#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBox>

#include <memory>
#include <string>
#include <vector>

#include "TFakeDialogs.h"
#include "ui/TAboutPage.h"
#include "ui/TInspectorItem.h"
#include "ui/TMainForm.h"
#include "ui/TPageControl.h"

/// A main window with scripted dialogs and its own settings file and scratch folder, plus the
/// user's ways of working it: clicking command items, typing, answering dialogs.
class TTestWindow {
public:
    TTestWindow() {
        auto fake = std::make_unique<TFakeDialogs>();
        dialogs = fake.get();
        form = std::make_unique<TMainForm>(
            std::move(fake), nullptr,
            TFormSettings(
                QFile::encodeName(folder.filePath(QStringLiteral("Quillshift.INI"))).toStdString(),
                QFile::encodeName(folder.path() + QLatin1Char('/')).toStdString()));
    }

    /// Shows the window and makes it the active one, so that focus and painting work.
    bool showActive() {
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }

    /// A path in the window's scratch folder.
    QString path(const QString& name) const { return folder.filePath(name); }

    /// Writes `bytes` to the scratch file `name` and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            qFatal("cannot write the test file %s", qPrintable(path(name)));
        }
        return path(name);
    }

    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    /// Clicks a command item as a user does: opens its group and clicks the item with the mouse.
    /// Returns false (clicking nothing) when the item is hidden.
    bool click(int group, int item) {
        TInspectorItem* target = form->commandItem(group, item);
        if (target == nullptr || target->isHidden()) {
            return false;
        }
        form->view().InspectorBar1->setCurrentIndex(group);
        if (form->isVisible()) {
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->rect().center());
        } else {
            target->click();
        }
        return true;
    }

    /// Open with the open dialog answering `file`.
    void open(const QString& file) {
        dialogs->openAnswers.push_back(file);
        click(TMainForm::WizardGroup, TMainForm::OpenItem);
    }
    void convert() { click(TMainForm::WizardGroup, TMainForm::ConvertItem); }
    void adjust() { click(TMainForm::WizardGroup, TMainForm::AdjustItem); }
    /// Save with the save dialog answering `file` and, when asked, the overwrite question
    /// answering `answer`.
    void save(const QString& file, TDialogs::Answer answer = TDialogs::Answer::Yes) {
        dialogs->saveAnswers.push_back(file);
        dialogs->yesNoAnswers.push_back(answer);
        click(TMainForm::WizardGroup, TMainForm::SaveItem);
        dialogs->yesNoAnswers.clear();
    }

    /// Sends `text` to `widget` as typed keys; works for any characters.
    static void type(QWidget* widget, const QString& text) {
        for (QChar c : text) {
            if (c == QLatin1Char('\n')) {
                QTest::keyClick(widget, Qt::Key_Return);
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &release);
        }
    }

    /// The lines of a pane or a list as one text, for readable comparisons.
    static QString joined(const std::vector<std::string>& lines) {
        QStringList texts;
        for (const std::string& line : lines) {
            texts << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
        }
        return texts.join(QLatin1Char('|'));
    }

    QTemporaryDir folder;
    TFakeDialogs* dialogs;
    std::unique_ptr<TMainForm> form;
};
