#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "conversion/ScriptProperties.h"
#include "conversion/WarningCodeSet.h"

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

/// What a run does with each input.
enum class RunMode {
    Write,   ///< write each converted script
    DryRun,  ///< -n: print what would be written
    Check,   ///< --check: list the inputs that would be converted
    Diff,    ///< --diff: print a unified diff from each input to its conversion (with --check, the
             ///< list goes to standard error)
};

enum class ColorChoice { Auto, Always, Never };

struct CliOptions {
    bool help = false;
    bool version = false;
    RunMode mode = RunMode::Write;
    bool check = false;      ///< --check, also with --diff: would-convert is a failure
    bool force = false;      ///< replace existing outputs (and backups)
    bool reconvert = false;  ///< convert scripts that already have a converted header
    bool quiet = false;
    bool json = false;
    bool strict = false;  ///< a warning fails the run
    bool fix = false;     ///< --fix: apply the repairs of `fixes`
    WarningCodeSet fixes;
    ColorChoice color = ColorChoice::Auto;
    bool recursive = false;
    bool followSymlinks = false;
    bool hidden = false;  ///< enter hidden folders with -r
    std::optional<std::string> outputDir;
    std::optional<std::string> inPlaceSuffix;  ///< set with -i/--in-place
    std::optional<std::string> filesFrom;      ///< --files-from FILE ("-" for standard input)
    bool nulSeparated = false;                 ///< -0: --files-from entries end with NUL
    std::string nameTemplate = "New {name}";
    std::vector<std::string> inputs;  ///< as given; "-" is standard input
    std::string output;               ///< the OUTPUT of the two-argument form ("-": stdout)
    std::vector<PropertyOverride> overrides;

    bool writesFiles() const { return mode == RunMode::Write; }
};

/// Parses the arguments after the program name. Throws UsageError.
CliOptions parseCommandLine(const std::vector<std::string>& arguments);

/// The file name --name-template gives for an input named `name`: {name} is the whole name,
/// {stem} the name without its extension, {ext} the extension with its dot (".ifs").
std::string applyNameTemplate(const std::string& nameTemplate, std::string_view name);

/// Applies the overrides to `properties` in the order they were given. With `joinedComments`, the
/// comments are held there, joined as the header writes them, and a Comments override sets that.
void applyOverrides(const std::vector<PropertyOverride>& overrides, ScriptProperties& properties,
                    std::string* joinedComments = nullptr);

/// The codes named in `list` ("CODE[,CODE...]", as given to --fix=). Throws UsageError for an
/// empty list, an empty entry or a name that is no warning code.
WarningCodeSet parseWarningCodes(std::string_view list);

/// The text printed by --help.
std::string helpText();

}  // namespace quillshift::cli
