#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "conversion/BodyKeywords.h"
#include "conversion/LegacyConverter.h"

namespace quillshift {

/// Where the body rules matched one line, as the rules find things: each rule looks at the first
/// occurrence of its keyword in the line upper-cased, wherever it stands (in code, a string, a
/// comment or a longer name), and at the first "," or parenthesis after it. Positions are 0-based
/// byte offsets into the line; npos where the rule found nothing.
struct BodyRuleMatches {
    static constexpr std::size_t npos = std::string_view::npos;

    BodyKeywordPositions keywords{};       ///< first occurrence of each keyword (findBodyKeywords)
    std::size_t getPictureComma = npos;    ///< the first "," at or after GETPICTURE
    std::size_t getPictureClose = npos;    ///< the first ")" at or after that comma
    std::size_t checkVersionOpen = npos;   ///< the first "(" at or after CHECKVERSION
    std::size_t checkVersionClose = npos;  ///< the first ")" at or after that "("
    std::size_t requiresANewer = npos;     ///< REQUIRES A NEWER, looked for after SHOWMESSAGE
    bool versionMessage = false;           ///< SHOWMESSAGE and REQUIRES A NEWER both occur
    /// "{" or "*" occurs in the line, so that it may open a comment (see mayOpenComment);
    /// true unless looked for.
    bool commentOpener = true;

    /// True when `rule` matched (None never does). A rule that matched produced a result, even if
    /// a later rule's result then replaced it.
    bool matched(BodyRule rule) const;

    /// The last rule that matched: the one whose result stands; None when none matched.
    BodyRule standing() const;

    /// True when GetPicture, DisplayResults or CheckVersion occurs or the version message rule
    /// matched: a line for which none of that holds has nothing the rules could have broken.
    bool anyToCheck() const {
        return keywords[kGetPicture] != npos || keywords[kDisplayResults] != npos ||
               keywords[kCheckVersion] != npos || versionMessage;
    }
};

/// Finds where each rule matches `line`; with `findCommentOpener`, also sets commentOpener, in
/// the same pass over the line.
BodyRuleMatches matchBodyRules(std::string_view line, bool findCommentOpener = false);

/// The converted line: `line` with the standing rule's result. Returns `line` itself when no rule
/// matched, else a view of `scratch`, which receives the result (valid until `scratch` changes).
std::string_view applyStandingRule(std::string_view line, const BodyRuleMatches& matches,
                                   std::string& scratch);

/// The fixed line of the version message rule, with its two leading blanks.
inline constexpr std::string_view kVersionMessageLine =
    "  ShowMessage('This script requires a newer version of Reelvault (at least the version "
    "3.5.0)');";

/// The arguments the CheckVersion rule writes.
inline constexpr std::string_view kCheckVersionArguments = "3,5,0";

}  // namespace quillshift
