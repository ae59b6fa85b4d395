#include "ui/TReviewDisplay.h"

#include "ui/TConversionReview.h"
#include "ui/TLineMarks.h"
#include "ui/TScriptEditor.h"

TReviewDisplay::TReviewDisplay(TScriptEditor& input, TScriptEditor& output, QObject* parent)
    : QObject(parent),
      input_(input),
      inputMarks_(new TLineMarks(input)),
      outputMarks_(new TLineMarks(output)) {
    inputMarks_->setLegend(TConversionReview::inputLegend());
    outputMarks_->setLegend(TConversionReview::outputLegend());
    connect(inputMarks_, &TLineMarks::linesMoved, this, &TReviewDisplay::refreshOrigins);
    connect(&input, &QsciScintilla::textChanged, this, [this] { paneEdited(true); });
    connect(&output, &QsciScintilla::textChanged, this, [this] { paneEdited(false); });
}

void TReviewDisplay::show(std::shared_ptr<TConversionReview> review) {
    std::vector<TLineMarks::Mark> inputMarks = review->takeInputMarks();
    std::vector<TLineMarks::Mark> outputMarks = review->takeOutputMarks();
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
    emit summaryChanged(review_->summary(false, false));
}

void TReviewDisplay::clear() {
    review_.reset();
    inputMarks_->clear();
    outputMarks_->clear();
    emit originsChanged({});
    emit summaryChanged({});
}

int TReviewDisplay::inputLineNow(std::size_t inputMark) const {
    return inputMarks_->lineOf(inputMark);
}

void TReviewDisplay::refreshOrigins() {
    if (review_) {
        emit originsChanged(
            review_->origins([this](std::size_t mark) { return inputLineNow(mark); }));
    }
}

void TReviewDisplay::paneEdited(bool input) {
    bool& edited = input ? inputEdited_ : outputEdited_;
    if (!review_ || edited) {
        return;
    }
    edited = true;
    emit summaryChanged(review_->summary(inputEdited_, outputEdited_));
}
