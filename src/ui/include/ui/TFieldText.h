#pragma once

#include <QPoint>
#include <QString>

#include <optional>
#include <string>

class QWidget;

/// Text of the properties fields is stored as Windows-1252 bytes. These helpers convert between the
/// bytes and the text shown, and tell the user when an entry is refused because Windows-1252
/// cannot hold one of its characters.
class TFieldText {
public:
    /// `bytes` (Windows-1252) as text.
    static QString toText(const std::string& bytes);

    /// `text` as Windows-1252 bytes, or nothing when a character has no Windows-1252 form;
    /// `problem` then says which one.
    static std::optional<std::string> toBytes(const QString& text, QString* problem = nullptr);

    /// The notice for a refused entry, e.g. `Not inserted: the character "✓" (U+2713) has no
    /// Windows-1252 form. Script texts are stored as Windows-1252.`
    static QString refusalNotice(const QString& problem);

    /// Shows `notice` as a tool tip at `where` (in `widget`'s coordinates) and beeps.
    static void showRefusal(QWidget* widget, const QPoint& where, const QString& notice);
};
