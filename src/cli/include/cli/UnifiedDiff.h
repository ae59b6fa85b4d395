#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "conversion/ScriptWriter.h"
#include "conversion/StreamingConversion.h"

namespace quillshift::cli {

/// Where text goes piece by piece.
using TextSink = std::function<void(std::string_view)>;

/// The names and dates of a diff's two files, as the lines "--- NAME\tDATE" and "+++ NAME\tDATE"
/// give them (GNU diff's form, which patch reads: the tab ends the name, so a name with blanks is
/// found). A name with blanks, quotes, backslashes, control characters or bytes beyond ASCII is
/// written in double quotes with C escapes ("a b.ifs", "caf\303\251.ifs"), as GNU diff does.
struct DiffNames {
    std::string before;
    std::string beforeDate;  ///< "2024-03-01 12:00:00.000000000 +0100"
    std::string after;
    std::string afterDate;
};

/// `seconds` and `nanoseconds` since the epoch in local time, as GNU diff dates its files.
std::string diffDate(long long seconds, long nanoseconds);

/// The unified diff that turns `before` into `after`, as diff -u writes it and patch reads it:
/// the head lines of `names`, then hunks with 3 lines of context. A line is the bytes up to and
/// including a line feed, so a CR stays part of its line; a last line without one is marked
/// "\ No newline at end of file". Empty when the two are equal.
/// With `color`, deleted lines are red, added ones green and hunk heads cyan (ANSI sequences).
/// The diff is minimal for the usual conversion; where the two differ in more than a few thousand
/// lines it may not be, but it always turns `before` into exactly `after`.
std::string unifiedDiff(std::string_view before, std::string_view after, const DiffNames& names,
                        bool color);

/// Writes to `out` the unified diff from the legacy script `legacy` to its conversion, without
/// holding the converted script: `convert` makes a fresh conversion of `legacy` (with any
/// properties set by the user), which is run twice, once to find the hunks and once to write them.
/// Body lines are compared one by one with what the conversion made of them; the header lines are
/// diffed as unifiedDiff does where they are few. Writes nothing when the two are equal. Returns
/// what the conversion's body held.
BodyCounts writeConversionDiff(std::string_view legacy,
                               const std::function<std::unique_ptr<StreamingConversion>()>& convert,
                               const DiffNames& names, bool color, const TextSink& out);

}  // namespace quillshift::cli
