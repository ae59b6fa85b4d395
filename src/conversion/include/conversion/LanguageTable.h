#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quillshift {

/// One site language: the code written to a converted header, the name shown to the user and the
/// tag that marks the language in a legacy header line (empty for the "unknown" row).
struct LanguageRow {
    std::string_view code;
    std::string_view name;
    std::string_view legacyTag;
};

/// The nine fixed site languages. A script's language is stored as an index into this table.
namespace LanguageTable {

inline constexpr std::size_t kSize = 9;
inline constexpr std::size_t kUnknown = 0;

/// All rows in index order.
const std::array<LanguageRow, kSize>& rows();

/// The row at `index`; an index outside the table gives the "unknown" row.
const LanguageRow& row(std::size_t index);

/// Index of the row whose code or name equals `text`, ignoring the letter case of a to z
/// ("EN,FR", "french"); nothing when no row matches.
std::optional<std::size_t> find(std::string_view text);

}  // namespace LanguageTable

}  // namespace quillshift
