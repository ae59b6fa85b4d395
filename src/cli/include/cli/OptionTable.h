#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quillshift::cli {

/// Every option of the batch converter, once: the parser, --help, and the checks that keep the
/// manual page and the shell completions in step all read this table.
enum class OptionId {
    OutputDir,
    InPlace,
    NameTemplate,
    Force,
    Reconvert,
    Recursive,
    Hidden,
    FollowSymlinks,
    FilesFrom,
    Null,
    Set,
    DryRun,
    Check,
    Diff,
    Color,
    Fix,
    Strict,
    Quiet,
    Json,
    Help,
    Version,
};

/// Whether an option takes a value: always (as the next argument or after "="), never, or only
/// when attached ("--color=never", "-i.orig").
enum class OptionValue { None, Required, Optional };

struct OptionSpec {
    OptionId id;
    char shortName;             ///< '\0' for none
    std::string_view longName;  ///< without the "--"
    OptionValue value;
    std::string_view valueName;  ///< as --help shows it: "DIR", "FIELD=VALUE"
    std::string_view group;      ///< the --help heading the option opens, or ""
    std::string_view help;       ///< one paragraph, wrapped by --help
};

inline constexpr std::array<OptionSpec, 21> kOptionTable{{
    {OptionId::OutputDir, 'o', "output-dir", OptionValue::Required, "DIR", "Where the scripts go",
     "write each converted script into the folder DIR, named by --name-template; with -r, below "
     "DIR as below the folder given"},
    {OptionId::InPlace, 'i', "in-place", OptionValue::Optional, "SUFFIX", "",
     "replace each INPUT by its conversion, keeping the original as INPUT+SUFFIX (default .bak; "
     "with -i the suffix is attached: -i.orig)"},
    {OptionId::NameTemplate, '\0', "name-template", OptionValue::Required, "TEMPLATE", "",
     "the file name of each output in DIR: {name} is the input's file name, {stem} that name "
     "without its extension and {ext} the extension with its dot (default \"New {name}\")"},
    {OptionId::Force, 'f', "force", OptionValue::None, "", "",
     "replace existing output files and backups"},
    {OptionId::Reconvert, '\0', "reconvert", OptionValue::None, "", "",
     "convert scripts that already have a converted header too (converting twice changes the "
     "body again)"},
    {OptionId::Recursive, 'r', "recursive", OptionValue::None, "", "What is converted",
     "convert the scripts (*.ifs, in any letter case) in each folder given, and in the folders "
     "within it"},
    {OptionId::Hidden, '\0', "hidden", OptionValue::None, "", "",
     "with -r, enter hidden folders too"},
    {OptionId::FollowSymlinks, '\0', "follow-symlinks", OptionValue::None, "", "",
     "with -r, enter symbolic links to folders too"},
    {OptionId::FilesFrom, '\0', "files-from", OptionValue::Required, "FILE", "",
     "also convert the scripts named in FILE, one per line (\"-\": standard input)"},
    {OptionId::Null, '0', "null", OptionValue::None, "", "",
     "the names in the --files-from list end with a NUL byte, not a line end"},
    {OptionId::Set, '\0', "set", OptionValue::Required, "FIELD=VALUE", "",
     "set a property of the converted header (repeatable). FIELD is one of Authors, Title, "
     "Description, Site, Version, Comments (one line) and Language (a code such as EN,FR or a "
     "name such as French)"},
    {OptionId::DryRun, 'n', "dry-run", OptionValue::None, "", "Writing nothing",
     "print the properties that would be written and each rewritten body line as \"LINE: RULE: "
     "before -> after\""},
    {OptionId::Check, '\0', "check", OptionValue::None, "", "",
     "list each input that would be converted (with --diff, on standard error)"},
    {OptionId::Diff, '\0', "diff", OptionValue::None, "", "",
     "print a unified diff (patch reads it) from each input to its conversion"},
    {OptionId::Color, '\0', "color", OptionValue::Optional, "WHEN", "",
     "colour the diff: auto (on a terminal, unless NO_COLOR is set), always or never"},
    {OptionId::Fix, '\0', "fix", OptionValue::Optional, "CODE,...", "Warnings and fixes",
     "repair the lines that a warning found broken, for every code or only for the codes given; "
     "without it the conversion is exactly the rules'"},
    {OptionId::Strict, '\0', "strict", OptionValue::None, "", "",
     "fail the run (exit status 1) when any warning is left"},
    {OptionId::Quiet, 'q', "quiet", OptionValue::None, "", "Reporting",
     "print nothing for scripts that convert or are skipped, no warnings (but with --strict) and "
     "no totals"},
    {OptionId::Json, '\0', "json", OptionValue::None, "", "",
     "print one JSON document for the run instead of the report lines"},
    {OptionId::Help, 'h', "help", OptionValue::None, "", "", "show this help and exit"},
    {OptionId::Version, '\0', "version", OptionValue::None, "", "", "show the version and exit"},
}};

/// The options part of --help: each group's heading, then each option with its value, and its
/// help wrapped to `width` columns.
std::string optionHelp(std::size_t width);

/// `text` broken at blanks into lines of at most `width` columns, each but the first starting with
/// `indent` blanks (the first is taken to start there already); a word longer than a line stands
/// alone on its line. Ends with a line feed.
std::string wrapText(std::string_view text, std::size_t indent, std::size_t width);

}  // namespace quillshift::cli
