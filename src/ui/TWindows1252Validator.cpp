#include "ui/TWindows1252Validator.h"

#include "ui/TFieldText.h"

TWindows1252Validator::TWindows1252Validator(RefusalHook onRefused, QObject* parent)
    : QValidator(parent), onRefused_(std::move(onRefused)) {}

QValidator::State TWindows1252Validator::validate(QString& input, int& /*position*/) const {
    QString problem;
    if (input.contains(QLatin1Char('\n')) || input.contains(QLatin1Char('\r'))) {
        problem = tr("a line break cannot be part of this field");
    } else if (TFieldText::toBytes(input, &problem)) {
        return Acceptable;
    }
    if (onRefused_) {
        onRefused_(problem);
    }
    return Invalid;
}
