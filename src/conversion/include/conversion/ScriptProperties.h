#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillshift {

/// The descriptive fields of a converted script. All texts are 8-bit (Windows-1252) bytes exactly
/// as read from the legacy script or typed by the user; nothing here trims them (the writer does).
struct ScriptProperties {
    std::string authors;
    std::string title;
    std::string description;
    std::string site;
    std::size_t language = 0;  ///< index into LanguageTable
    std::string version;
    std::vector<std::string> comments;

    /// Puts the record into its cleared state: every text empty, no comments, language 0.
    void clear();

    /// The LanguageTable code of `language` ("?" for row 0 and for an index outside the table).
    std::string_view languageCode() const;

    bool operator==(const ScriptProperties&) const = default;
};

}  // namespace quillshift
