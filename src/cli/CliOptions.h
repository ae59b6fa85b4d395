#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/ScriptProperties.h"

namespace quillshift::cli {

/// A command line that cannot be carried out; what() says what is wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A property given with --set, already in the script's 8-bit encoding.
struct PropertyOverride {
    enum class Field { Authors, Title, Description, Site, Version, Comments, Language };
    Field field;
    std::string value;            ///< Windows-1252 bytes (not used for Language)
    std::size_t languageIndex{};  ///< for Language
};

struct CliOptions {
    bool help = false;
    bool version = false;
    bool dryRun = false;
    bool force = false;
    bool quiet = false;
    std::optional<std::string> outputDir;
    std::vector<std::string> inputs;
    std::string output;  ///< the OUTPUT of the two-argument form
    std::vector<PropertyOverride> overrides;
};

/// Parses the arguments after the program name. Throws UsageError.
CliOptions parseCommandLine(const std::vector<std::string>& arguments);

/// Applies the overrides to `properties` in the order they were given. With `joinedComments`, the
/// comments are held there, joined as the header writes them, and a Comments override sets that.
void applyOverrides(const std::vector<PropertyOverride>& overrides, ScriptProperties& properties,
                    std::string* joinedComments = nullptr);

/// The text printed by --help.
std::string helpText();

}  // namespace quillshift::cli
