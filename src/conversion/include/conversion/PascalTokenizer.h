#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillshift {

/// Splits script lines into code, string literals and comments, the way the script language reads
/// them, one line at a time.
///
/// - A string is '…' or "…"; a doubled quote inside it ('It''s') is part of it. A string ends at
///   the end of its line at the latest: the language has no strings that span lines, and a stray
///   quote must not change how the following lines are read.
/// - A comment is // up to the end of the line, or {…} or (*…*), which may span lines. Inside a
///   comment only its own closer counts: "(*" means nothing inside {…}, nor "}" inside (*…*).
/// Only the two bracketed comments carry over from one line to the next, so the state between
/// lines is one of three values.
class PascalTokenizer {
public:
    /// Where a line starts or ends.
    enum class State : std::uint8_t {
        Code,          ///< outside comments
        BraceComment,  ///< inside a { comment
        ParenComment,  ///< inside a (* comment
    };

    enum class Kind : std::uint8_t { Code, String, Comment };

    /// A run of bytes of one kind: [begin, end) of the line. A comment's or string's delimiters
    /// belong to it.
    struct Span {
        std::size_t begin;
        std::size_t end;
        Kind kind;
    };

    /// Replaces `spans` with the spans of `line`, which starts in `state`, in order and covering
    /// the whole line (none for an empty line); two code spans never touch. Returns the state at
    /// the end of the line.
    static State split(std::string_view line, State state, std::vector<Span>& spans);

    /// The state at the end of `line`, which starts in `state`: what split returns, found without
    /// recording spans and, for the common line that opens no comment, without looking at each
    /// byte.
    static State endState(std::string_view line, State state);
};

}  // namespace quillshift
