#pragma once

#include <string>
#include <string_view>

// What the batch converter prints goes to a terminal, one line per file. File names and script
// text may hold line breaks, escape sequences and other control characters; these functions make
// sure none of them reaches the terminal as such.
namespace quillshift::cli {

/// `path` as it is, or, when it holds a control character or bytes that are not UTF-8, quoted for
/// the shell as GNU coreutils do: 'a'$'\n''b.ifs'. The quoted form can be pasted into a shell.
std::string shownName(std::string_view path);

/// `path` in double quotes, or shownName's quoted form when it needs one.
std::string quotedName(std::string_view path);

/// UTF-8 text with each control character (C0, DEL and C1) written as \xHH.
std::string printableText(std::string_view utf8);

}  // namespace quillshift::cli
