#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "ui/TPropertiesPage.h"

class TConversionReview;
struct TMainFormUi;
class TLineMarks;
class TScriptEditor;

/// Shows a conversion's review in the window and keeps it true while the user edits: the marks in
/// both panes' margins, where each property came from (the fields' tooltips) and the run's
/// summary (the Output tab's tooltip). When input lines move or go, the texts that name them
/// follow; once either pane is edited, the summary says so.
class TReviewDisplay : public QObject {
    Q_OBJECT

public:
    /// Shows reviews in the panes of `ui`, on its properties page and its Output tab.
    TReviewDisplay(const TMainFormUi& ui, QObject* parent);

    /// Shows `review`, the conversion of what the panes hold now; takes its marks.
    void show(std::shared_ptr<TConversionReview> review);
    /// Shows nothing: no marks, no origins, no summary.
    void clear();

    TLineMarks& inputMarks() const { return *inputMarks_; }
    TLineMarks& outputMarks() const { return *outputMarks_; }

private:
    void showOrigins(const TPropertiesPage::Origins& origins);
    void showSummary(const QString& summary);
    int inputLineNow(std::size_t inputMark) const;
    void refreshOrigins();
    void paneEdited(bool input);

    const TMainFormUi& ui_;
    TScriptEditor& input_;
    TLineMarks* inputMarks_;
    TLineMarks* outputMarks_;
    std::shared_ptr<const TConversionReview> review_;
    bool inputEdited_ = false;
    bool outputEdited_ = false;
};
