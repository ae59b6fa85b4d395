#pragma once

#include <QValidator>

#include <functional>

/// Accepts the text of a single-line properties field only when Windows-1252 can hold every
/// character and it has no line break, so that an entry that would be stored as "?" or would
/// split a header line is refused as a whole. The refusal hook receives the reason.
class TWindows1252Validator : public QValidator {
    Q_OBJECT

public:
    using RefusalHook = std::function<void(const QString& problem)>;

    explicit TWindows1252Validator(RefusalHook onRefused, QObject* parent = nullptr);

    State validate(QString& input, int& position) const override;

private:
    RefusalHook onRefused_;
};
