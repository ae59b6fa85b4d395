#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTest>
#include <QToolBox>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TFakeDialogs.h"
#include "support/TempDir.h"
#include "ui/TAboutPage.h"
#include "ui/TCommandBar.h"
#include "ui/TInspectorItem.h"
#include "ui/TMainForm.h"
#include "ui/TPageControl.h"

/// A main window with scripted dialogs and its own scratch folder, plus the user's ways of
/// working it: clicking command items, typing, answering dialogs. Its settings file is
/// Quillshift.INI in the scratch folder, which stands for the program's folder, unless `settings`
/// says otherwise.
class TTestWindow {
public:
    explicit TTestWindow(std::optional<TFormSettings> settings = std::nullopt) {
        auto fake = std::make_unique<TFakeDialogs>();
        dialogs = fake.get();
        form = std::make_unique<TMainForm>(
            std::move(fake), nullptr,
            settings ? std::move(*settings)
                     : settingsAt(path(QStringLiteral("Quillshift.INI")), folderPath() + '/'));
    }

    /// Settings in the file `file` for a program in the folder `programFolder`.
    static TFormSettings settingsAt(const QString& file, const QString& programFolder) {
        return TFormSettings(QFile::encodeName(file).toStdString(),
                             QFile::encodeName(programFolder).toStdString());
    }

    /// Shows the window and makes it the active one, so that focus and painting work.
    bool showActive() {
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }

    /// The scratch folder, and a path in it.
    QString folderPath() const {
        return QFile::decodeName(QByteArray::fromStdString(folder.path()));
    }
    QString path(const QString& name) const { return folderPath() + '/' + name; }

    /// Writes `bytes` to the scratch file `name` and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const {
        writeFileAt(path(name), bytes);
        return path(name);
    }

    static void writeFileAt(const QString& path, const QByteArray& bytes) {
        quillshift::testing::writeBytes(
            QFile::encodeName(path).toStdString(),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }

    /// The file's bytes, or "<missing>".
    static QByteArray readFile(const QString& path) {
        if (!QFile::exists(path)) {
            return "<missing>";
        }
        return QByteArray::fromStdString(
            quillshift::testing::readBytes(QFile::encodeName(path).toStdString()));
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

    quillshift::testing::TempDir folder;
    TFakeDialogs* dialogs;
    std::unique_ptr<TMainForm> form;
};
