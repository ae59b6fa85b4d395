#include "conversion/LanguageTable.h"

#include "base/TextOps.h"

namespace quillshift {

namespace {
constexpr std::array<LanguageRow, LanguageTable::kSize> kRows{{
    {"?", "Unknown", ""},
    {"BR", "Brazilian", "(BR)"},
    {"DE", "German", "(DE)"},
    {"EN", "English", "(EN)"},
    {"EN,FR", "English, French", "(EN,FR)"},
    {"ES", "Spanish", "(ES)"},
    {"FR", "French", "(FR)"},
    {"IT", "Italian", "(IT)"},
    {"PT", "Portuguese", "(PT)"},
}};
}  // namespace

const std::array<LanguageRow, LanguageTable::kSize>& LanguageTable::rows() {
    return kRows;
}

const LanguageRow& LanguageTable::row(std::size_t index) {
    return index < kRows.size() ? kRows[index] : kRows[kUnknown];
}

std::optional<std::size_t> LanguageTable::find(std::string_view text) {
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (text::equalsIgnoringAsciiCase(text, kRows[i].code) ||
            text::equalsIgnoringAsciiCase(text, kRows[i].name)) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace quillshift
