#include "ui/TReviewDisplay.h"

#include <QMenu>

#include <algorithm>

#include "ui/TConversionReview.h"
#include "ui/TFieldText.h"
#include "ui/TLineMarks.h"
#include "ui/TMainFormUi.h"
#include "ui/TPageControl.h"
#include "ui/TScriptEditor.h"
#include "ui/TWarningBadge.h"

TReviewDisplay::TReviewDisplay(const TMainFormUi& ui, QObject* parent)
    : QObject(parent),
      ui_(ui),
      input_(*ui.AdvMemo1),
      inputMarks_(new TLineMarks(*ui.AdvMemo1)),
      outputMarks_(new TLineMarks(*ui.AdvMemo2)) {
    TScriptEditor& input = *ui.AdvMemo1;
    TScriptEditor& output = *ui.AdvMemo2;
    inputMarks_->setLegend(TConversionReview::inputLegend());
    outputMarks_->setLegend(TConversionReview::outputLegend());
    inputMarks_->setMenuExtension(
        [this](QMenu& menu, int line) { addInputFixActions(menu, line); });
    outputMarks_->setMenuExtension(
        [this](QMenu& menu, int line) { addOutputFixActions(menu, line); });
    badge_ = new TWarningBadge(output);
    connect(badge_, &TWarningBadge::clicked, this, [this] {
        ui_.AdvMemo2->setFocus();
        outputMarks_->goToNext(true);
    });
    connect(&output, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
                outputModified(position, type, length);
            });
    connect(inputMarks_, &TLineMarks::linesMoved, this, &TReviewDisplay::refreshOrigins);
    connect(&input, &QsciScintilla::textChanged, this, [this] { paneEdited(true); });
    connect(&output, &QsciScintilla::textChanged, this, [this] { paneEdited(false); });
}

void TReviewDisplay::show(std::shared_ptr<TConversionReview> review) {
    TLineMarks::Marks inputMarks = review->takeInputMarks();
    TLineMarks::Marks outputMarks = review->takeOutputMarks();
    review_ = std::move(review);
    inputEdited_ = false;
    outputEdited_ = false;
    const auto now = [this](std::size_t mark) { return inputLineNow(mark); };
    inputMarks_->set(std::move(inputMarks), [shown = review_, now](std::size_t index) {
        return shown->inputTip(index, now);
    });
    outputMarks_->set(std::move(outputMarks), [this, shown = review_, now](std::size_t index) {
        return shown->outputTip(
            index, now, [this](int line) { return input_.line(static_cast<std::size_t>(line)); },
            inputEdited_);
    });
    refreshOrigins();
    showSummary(review_->summary(false, false));
    badge_->setCount(review_->warnings().open());
}

void TReviewDisplay::clear() {
    review_.reset();
    badge_->setCount(0);
    inputMarks_->clear();
    outputMarks_->clear();
    showOrigins({});
    showSummary({});
}

int TReviewDisplay::inputLineNow(std::size_t inputMark) const {
    return inputMarks_->lineOf(inputMark);
}

void TReviewDisplay::refreshOrigins() {
    if (review_) {
        showOrigins(review_->origins([this](std::size_t mark) { return inputLineNow(mark); }));
    }
}

void TReviewDisplay::paneEdited(bool input) {
    bool& edited = input ? inputEdited_ : outputEdited_;
    if (!review_ || edited) {
        return;
    }
    edited = true;
    showSummary(review_->summary(inputEdited_, outputEdited_));
}

void TReviewDisplay::showOrigins(const TPropertiesPage::Origins& origins) {
    ui_.TS_Options->setOrigins(origins);
}

void TReviewDisplay::showSummary(const QString& summary) {
    ui_.PageControl->setTabToolTip(ui_.PageControl->indexOf(ui_.TS_Output), summary);
}

int TReviewDisplay::warnedAtOutputLine(int line) const {
    if (!review_) {
        return -1;
    }
    for (std::size_t mark : outputMarks_->marksOn(line)) {
        if (const int warned = review_->warnedLineOfOutputMark(mark); warned >= 0) {
            return warned;
        }
    }
    return -1;
}

void TReviewDisplay::addOutputFixActions(QMenu& menu, int line) {
    addFixActions(menu, warnedAtOutputLine(line));
}

void TReviewDisplay::addInputFixActions(QMenu& menu, int line) {
    if (!review_) {
        return;
    }
    int warned = -1;
    for (std::size_t mark : inputMarks_->marksOn(line)) {
        warned = std::max(warned, review_->warnedLineOfInputMark(mark));
    }
    addFixActions(menu, warned);
}

void TReviewDisplay::addFixActions(QMenu& menu, int warnedLine) {
    if (!review_) {
        return;
    }
    const TConversionWarnings& warnings = review_->warnings();
    std::size_t fixable = 0;
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        fixable += fixApplies(i) ? 1U : 0U;
    }
    const auto warned = static_cast<std::size_t>(warnedLine);
    const bool fixesLine = warnedLine >= 0 && fixApplies(warned);
    const bool convertsAgain = warnedLine >= 0 && warnings.canFixByConvertingAgain(warned);
    if (fixable == 0 && !convertsAgain) {
        return;
    }
    menu.addSeparator();
    const auto addPreview = [&menu](const QString& text) {
        QAction* preview = menu.addAction(
            QStringLiteral("    %1").arg(menu.fontMetrics().elidedText(text, Qt::ElideRight, 480)));
        preview->setEnabled(false);
        preview->setToolTip(text);
    };
    if (fixesLine) {
        connect(menu.addAction(tr("Apply the suggested fix")), &QAction::triggered, this,
                [this, warned] { applyFixOf(warned); });
        addPreview(TFieldText::toText(warnings.repaired(warned)));
    } else if (convertsAgain) {
        connect(menu.addAction(tr("Apply the suggested fix")), &QAction::triggered, this, [this] {
            quillshift::WarningCodeSet fixes;
            fixes.insert(quillshift::WarningCode::ProgramLineNotRecognised);
            emit convertAgainRequested(fixes);
        });
        addPreview(tr("the body starts at this line: the script is converted again"));
    }
    if (fixable != 0) {
        connect(menu.addAction(tr("Apply all suggested fixes")), &QAction::triggered, this,
                [this] { applyAllFixes(); });
    }
}

bool TReviewDisplay::fixApplies(std::size_t warned) const {
    const TConversionWarnings& warnings = review_->warnings();
    if (!warnings.canFixLine(warned)) {
        return false;
    }
    const int line = outputMarks_->lineOf(review_->outputMarkOf(warned));
    return line >= 0 &&
           ui_.AdvMemo2->line(static_cast<std::size_t>(line)) == warnings.converted(warned);
}

bool TReviewDisplay::replaceOutputLine(std::size_t warned) {
    if (!fixApplies(warned)) {
        return false;
    }
    const TConversionWarnings& warnings = review_->warnings();
    const int line = outputMarks_->lineOf(review_->outputMarkOf(warned));
    TScriptEditor& output = *ui_.AdvMemo2;
    const std::string& repaired = warnings.repaired(warned);
    const long start = output.SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
    const long end = output.SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
    output.SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(start),
                         end);
    output.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, repaired.size(), repaired.data());
    return true;
}

bool TReviewDisplay::applyFix(int line) {
    const int warned = warnedAtOutputLine(line);
    return warned >= 0 && applyFixOf(static_cast<std::size_t>(warned));
}

bool TReviewDisplay::applyFixOf(std::size_t warned) {
    return applyFixes(warned, warned + 1) != 0;
}

std::size_t TReviewDisplay::applyAllFixes() {
    return review_ ? applyFixes(0, review_->warnings().size()) : 0;
}

std::size_t TReviewDisplay::applyFixes(std::size_t first, std::size_t end) {
    // One undo step, also in a pane the user may not edit yet.
    TScriptEditor& output = *ui_.AdvMemo2;
    const bool readOnly = output.isReadOnly();
    output.setReadOnly(false);
    output.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
    std::size_t applied = 0;
    for (std::size_t warned = first; warned < end; ++warned) {
        applied += replaceOutputLine(warned) ? 1U : 0U;
    }
    output.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    output.setReadOnly(readOnly);
    return applied;
}

void TReviewDisplay::outputModified(int position, int type, int length) {
    if (!review_ || (type & (QsciScintillaBase::SC_MOD_INSERTTEXT |
                             QsciScintillaBase::SC_MOD_DELETETEXT)) == 0) {
        return;
    }
    // A line is fixed while its text is its repair: an undo, or an edit, can make it so or not.
    TScriptEditor& output = *ui_.AdvMemo2;
    const auto lineAt = [&output](long at) {
        return static_cast<int>(output.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, at));
    };
    const int first = lineAt(position);
    const int last =
        (type & QsciScintillaBase::SC_MOD_INSERTTEXT) != 0 ? lineAt(position + length) : first;
    for (int line = first; line <= last; ++line) {
        if (const int warned = warnedAtOutputLine(line); warned >= 0) {
            refreshWarned(static_cast<std::size_t>(warned));
        }
    }
}

void TReviewDisplay::refreshWarned(std::size_t warned) {
    TConversionWarnings& warnings = review_->warnings();
    const int line = outputMarks_->lineOf(review_->outputMarkOf(warned));
    if (line < 0 || !warnings.hasFix(warned)) {
        return;
    }
    const bool fixed =
        ui_.AdvMemo2->line(static_cast<std::size_t>(line)) == warnings.repaired(warned);
    if (fixed == warnings.isFixed(warned)) {
        return;
    }
    warnings.setFixed(warned, fixed);
    outputMarks_->restyle(review_->outputMarkOf(warned), warnings.mark(warned, true));
    inputMarks_->restyle(review_->inputMarkOf(warned), warnings.mark(warned, false));
    badge_->setCount(warnings.open());
    showSummary(review_->summary(inputEdited_, outputEdited_));
}
