#pragma once

#include <string>
#include <string_view>

namespace quillshift::cli {

/// The unified diff that turns `before` into `after`, as diff -u writes it and patch reads it:
/// the lines "--- beforeName" and "+++ afterName", then hunks with 3 lines of context. A line is
/// the bytes up to and including a line feed, so a CR stays part of its line; a last line without
/// one is marked "\ No newline at end of file". Empty when the two are equal.
/// With `color`, deleted lines are red, added ones green and hunk heads cyan (ANSI sequences).
/// The diff is minimal for the usual conversion; where the two differ in more than a few thousand
/// lines it may not be, but it always turns `before` into exactly `after`.
std::string unifiedDiff(std::string_view before, std::string_view after,
                        std::string_view beforeName, std::string_view afterName, bool color);

}  // namespace quillshift::cli
