#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillshift {

/// An INI profile file held in memory: read values by section and key, change them, and write the
/// file back with every other line untouched.
///
/// Reading rules:
/// - "[name]" starts a section (blanks around the name and any text after "]" are ignored);
///   "name=value" is a key inside the last section started. Blanks (every byte with a code up to
///   32) around names and values are ignored. Section and key names match regardless of the letter
///   case of a to z.
/// - Lines whose first non-blank character is ';' or '#' are comments. Lines without '=', with an
///   empty name, and keys before the first section are kept but never read.
/// - When a section name or a key occurs more than once, the sections of one name count as one and
///   the first occurrence of a key in them wins, both for reading and for writing.
/// - A value ends before its first NUL byte. A value enclosed in a matching pair of '"' or '\''
///   is read without the pair.
/// - Lines may end in LF or CR LF; each line keeps its own ending when the file is written, and
///   added lines take the ending of the file's first line (LF for a new file). A UTF-8 byte order
///   mark at the start is kept. The written file always ends with a line break.
///
/// Values are bytes; nothing is converted. The class itself does no file input or output except in
/// load() and save(), so parse() and text() can be fed any bytes.
class IniFile {
public:
    /// Longest text readString() returns, in bytes.
    static constexpr std::size_t kMaxTextLength = 2047;
    /// Largest file load() reads. A settings file is a few hundred bytes; anything bigger than
    /// this is not one.
    static constexpr std::size_t kMaxFileSize = std::size_t{1024} * 1024;

    /// An empty file with no path (save() then fails).
    IniFile() = default;

    /// The file held in `text`, with no path. Never fails: every byte sequence is some INI file.
    static IniFile parse(std::string_view text);

    /// Reads the file at `path`. Never throws for the file's sake:
    /// - a missing file (or a missing folder on the way) gives an empty file that save() creates;
    /// - a file that exists but cannot be used (not a regular file, unreadable, larger than
    ///   kMaxFileSize) gives an empty file whose problem() says why; save() then refuses to
    ///   replace it, so a file this class could not read is never overwritten.
    static IniFile load(const std::string& path);

    /// The path given to load(), empty for a parsed file.
    const std::string& path() const { return path_; }

    /// Why the file at path() could not be read, in words for the user; empty when it could
    /// (or did not exist).
    const std::string& problem() const { return problem_; }

    /// The text of the key, or `defaultValue` when the section or key is missing. A key that is
    /// present with nothing after '=' gives "", not the default. The text is cut to its first
    /// kMaxTextLength bytes, moving the cut back to the start of a UTF-8 character that the limit
    /// would split.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    /// The key read as an integer (parseInteger), or `defaultValue` when the section or key is
    /// missing or the value is not a number.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;

    /// True when the key reads as an integer other than 0; `defaultValue` when the section or key
    /// is missing or the value is not a number ("true" is not a number).
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    /// Sets the key to `value`: its line is changed in place (keeping the line's indentation, its
    /// spelling of the key and the blanks around '='); a missing key is added after the last
    /// non-blank line of its section; a missing section is added at the end of the file, after a
    /// blank line. A value with blanks at either end or enclosed in a pair of quotes is written
    /// inside '"' so that readString() gives it back unchanged.
    /// Throws std::invalid_argument, changing nothing, when `value` holds a line break or NUL
    /// byte, or when a name could not be read back: empty, blank at either end, holding a line
    /// break, NUL byte or '=' (key) or ']' (section), or starting with ';', '#' or '['.
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    /// Sets the key to `value` in decimal. Throws like writeString() for a bad name.
    void writeInteger(std::string_view section, std::string_view key, int value);

    /// Sets the key to "1" or "0". Throws like writeString() for a bad name.
    void writeBool(std::string_view section, std::string_view key, bool value);

    /// The whole file as it would be written.
    std::string text() const;

    /// Writes text() to path() atomically: the file is replaced as a whole or not at all.
    /// Throws SettingsWriteError "Unable to write to PATH" when there is no path, when problem()
    /// is set, or when the file cannot be written; the error's reason() says why.
    void save() const;

    /// The integer `value` stands for, or nothing when it is not a number. After blanks are
    /// removed from both ends, `value` must be wholly one of: an optional sign and decimal digits;
    /// an optional sign, "0x" or "0X" and hexadecimal digits; an optional sign, "$" and
    /// hexadecimal digits. A value outside the range of int (for hexadecimal too, so "$FFFFFFFF"
    /// is not -1) is not a number.
    static std::optional<int> parseInteger(std::string_view value);

private:
    struct Line {
        std::string text;  // without its line break
        bool crlf = false;
    };

    std::optional<std::size_t> findKey(std::string_view section, std::string_view key) const;
    std::optional<std::string_view> findValue(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
    bool crlf_ = false;  // line ending of added lines
    std::string path_;
    std::string problem_;
};

}  // namespace quillshift
