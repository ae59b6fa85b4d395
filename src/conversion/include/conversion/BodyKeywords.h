#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quillshift {

/// The keywords that the body rules look for, in rule order.
enum BodyKeyword { kGetPicture, kDisplayResults, kCheckVersion, kShowMessage, kBodyKeywordCount };

inline constexpr std::array<std::string_view, kBodyKeywordCount> kBodyKeywords{
    "GETPICTURE", "DISPLAYRESULTS", "CHECKVERSION", "SHOWMESSAGE"};

/// Position of the first occurrence of each body keyword in the line upper-cased (only the
/// letters a to z), or npos when it does not occur.
using BodyKeywordPositions = std::array<std::size_t, kBodyKeywordCount>;

/// Finds all body keywords in one pass over `line`. Every body line of a script goes through
/// this, so it looks at 16 bytes at a time and copies nothing but the line's last bytes.
BodyKeywordPositions findBodyKeywords(std::string_view line);

/// As findBodyKeywords, and in the same pass sets `commentOpener` to mayOpenComment(line).
BodyKeywordPositions findBodyKeywords(std::string_view line, bool& commentOpener);

/// True when "{" or "*" occurs anywhere in `line` (in a string or not): only such a line can
/// open a comment ("{" or "(*") that goes on over the next lines. Looks at 16 bytes at a time, as
/// findBodyKeywords does, for the many lines that hold neither.
bool mayOpenComment(std::string_view line);

}  // namespace quillshift
