#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "conversion/WarningCodeSet.h"
#include "ui/TPropertiesPage.h"

class QMenu;
class TConversionReview;
class TWarningBadge;
struct TMainFormUi;
class TLineMarks;
class TScriptEditor;

/// Shows a conversion's review in the window and keeps it true while the user edits: the marks in
/// both panes' margins, where each property came from (the fields' tooltips) and the run's
/// summary (the Output tab's tooltip). When input lines move or go, the texts that name them
/// follow; once either pane is edited, the summary says so.
///
/// Warned lines have amber marks in both panes, and the output pane counts them in a badge. A
/// warned output line's context menu offers "Apply the suggested fix" (the repaired line shown)
/// and "Apply all suggested fixes", each one undo step in the output pane; a line whose text is
/// its repair shows as fixed, also after an undo or an edit brings it there.
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

    /// Applies the suggested fix of the warned output line `line` (0-based, as it stands now);
    /// false when it has none, or its text is no longer what the conversion made of it.
    bool applyFix(int line);
    /// Applies every suggested fix of an output line, as one undo step; the number applied.
    std::size_t applyAllFixes();

signals:
    /// The user asked for a fix that converts the script again with the repairs of `fixes`.
    void convertAgainRequested(quillshift::WarningCodeSet fixes);

private:
    void showOrigins(const TPropertiesPage::Origins& origins);
    void showSummary(const QString& summary);
    int inputLineNow(std::size_t inputMark) const;
    void refreshOrigins();
    void paneEdited(bool input);
    void addOutputFixActions(QMenu& menu, int line);
    void addInputFixActions(QMenu& menu, int line);
    void addFixActions(QMenu& menu, int warnedLine);
    bool applyFixOf(std::size_t warned);
    std::size_t applyFixes(std::size_t first, std::size_t end);
    int warnedAtOutputLine(int line) const;
    bool fixApplies(std::size_t warned) const;
    bool replaceOutputLine(std::size_t warned);
    void outputModified(int position, int type, int length);
    void refreshWarned(std::size_t warned);

    const TMainFormUi& ui_;
    TScriptEditor& input_;
    TLineMarks* inputMarks_;
    TLineMarks* outputMarks_;
    TWarningBadge* badge_;
    std::shared_ptr<TConversionReview> review_;
    bool inputEdited_ = false;
    bool outputEdited_ = false;
};
