#include "ui/TReviewDisplay.h"

#include "ui/TConversionReview.h"
#include "ui/TLineMarks.h"
#include "ui/TMainFormUi.h"
#include "ui/TPageControl.h"
#include "ui/TScriptEditor.h"

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
}

void TReviewDisplay::clear() {
    review_.reset();
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
