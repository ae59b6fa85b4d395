#pragma once

#include <string>
#include <string_view>

namespace quillshift::testing {

/// `text` as a part of a test's name: each run of bytes other than ASCII letters and digits
/// becomes one "_" ("[Form]\nHeight=0x258\n" gives "_Form_Height_0x258_").
inline std::string wordsOf(std::string_view text) {
    std::string words;
    for (const char c : text) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alnum) {
            words.push_back(c);
        } else if (words.empty() || words.back() != '_') {
            words.push_back('_');
        }
    }
    return words;
}

/// A name for the row `index` of a table whose rows have no name of their own: the index, then
/// wordsOf(text), so that two rows of the same words stay apart.
inline std::string caseName(std::size_t index, std::string_view text) {
    return std::to_string(index) + wordsOf(text);
}

}  // namespace quillshift::testing
