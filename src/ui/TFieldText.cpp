#include "ui/TFieldText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QToolTip>
#include <QWidget>

#include "conversion/Windows1252.h"

QString TFieldText::toText(const std::string& bytes) {
    return QString::fromStdString(quillshift::windows1252::toUtf8(bytes));
}

std::optional<std::string> TFieldText::toBytes(const QString& text, QString* problem) {
    const QByteArray utf8 = text.toUtf8();
    std::string why;
    std::optional<std::string> bytes = quillshift::windows1252::fromUtf8(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), &why);
    if (!bytes && problem != nullptr) {
        *problem = QString::fromStdString(why);
    }
    return bytes;
}

QString TFieldText::refusalNotice(const QString& problem) {
    return QCoreApplication::translate("TFieldText",
                                       "Not inserted: %1. Script texts are stored as Windows-1252.")
        .arg(problem);
}

void TFieldText::showRefusal(QWidget* widget, const QPoint& where, const QString& notice) {
    QToolTip::showText(widget->mapToGlobal(where), notice, widget, QRect(), 5000);
    QApplication::beep();
}
