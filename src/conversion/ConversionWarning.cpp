#include "conversion/ConversionWarning.h"

namespace quillshift {

namespace {

constexpr std::array<std::string_view, kWarningCodeCount> kNames{
    "no-program-line",
    "program-line-not-recognised",
    "wrong-argument-split",
    "call-continues",
    "second-call-not-rewritten",
    "keyword-in-identifier",
    "rewrite-in-string",
    "rule-overridden",
    "code-commented-out",
    "dangling-statement",
    "line-replaced",
};

constexpr std::array<WarningCode, kWarningCodeCount> kCodes = [] {
    std::array<WarningCode, kWarningCodeCount> codes{};
    for (std::size_t i = 0; i < kWarningCodeCount; ++i) {
        codes[i] = static_cast<WarningCode>(i);
    }
    return codes;
}();

}  // namespace

std::string_view warningCodeName(WarningCode code) {
    const auto index = static_cast<std::size_t>(code);
    return index < kNames.size() ? kNames[index] : std::string_view();
}

std::optional<WarningCode> warningCodeFromName(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) {
            return static_cast<WarningCode>(i);
        }
    }
    return std::nullopt;
}

const std::array<WarningCode, kWarningCodeCount>& allWarningCodes() {
    return kCodes;
}

}  // namespace quillshift
