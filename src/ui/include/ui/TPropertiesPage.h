#pragma once

#include <QWidget>

#include "conversion/ScriptProperties.h"

class QLabel;
class TCommentsMemo;
class TLanguageCombo;
class TPropertyEdit;

/// The "Properties" page: the fields of a properties record with their captions, laid out for a
/// page 793 wide (captions at the left, fields from 96; the five single-line fields stretch with
/// the page, the comments box keeps its size). The fields show the record and write each edit
/// into it; they are locked (disabled, silver) until unlocked. The fields are made when the page
/// is first shown or asked for them, so that a page nobody has looked at costs nothing.
class TPropertiesPage : public QWidget {
    Q_OBJECT

public:
    /// The page's widgets, by name.
    struct Fields {
        QLabel* L_Authors;
        QLabel* L_Title;
        QLabel* L_Descr;
        QLabel* L_Address;
        QLabel* L_Lang;
        QLabel* L_Version;
        QLabel* L_Comments;
        TPropertyEdit* E_Authors;
        TPropertyEdit* E_Title;
        TPropertyEdit* E_Descr;
        TPropertyEdit* E_Address;
        TLanguageCombo* CB_Lang;
        TPropertyEdit* E_Version;
        TCommentsMemo* M_Comments;
    };

    /// Where the converter found each property, as each field's tooltip says it ("from line
    /// 0009"); empty for none.
    struct Origins {
        QString authors;
        QString title;
        QString description;
        QString site;
        QString language;
        QString comments;
    };

    /// A page showing and editing `record`, which must outlive it.
    TPropertiesPage(quillshift::ScriptProperties& record, QWidget* parent);

    /// The page's widgets, made now if they were not yet.
    const Fields& fields();

    /// Shows the record's values in the fields, as they are now.
    void showRecord();

    /// Enables or disables the seven fields, in their order; a disabled page shows the record
    /// (the caller has cleared it) with a silver comments box, an enabled one a pale yellow box.
    void setFieldsEnabled(bool enabled);

    /// Shows `origins` as the fields' tooltips.
    void setOrigins(const Origins& origins);

    /// The comments box's colours while it has the keyboard focus and after it has lost it.
    void showCommentsFocused();
    void showCommentsUnfocused();

    /// Makes the fields before the page is first shown, so that they are shown with it.
    void setVisible(bool visible) override;

signals:
    /// The comments box gained the keyboard focus (true) or lost it for good (false: not to
    /// another window or a menu that gives it back).
    void commentsFocusChanged(bool focused);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    bool built() const { return fields_.E_Authors != nullptr; }
    void layOut();
    void bindToRecord();

    quillshift::ScriptProperties& record_;
    Fields fields_{};
    bool showingRecord_ = false;
    bool enabled_ = true;
    Origins origins_;
};
