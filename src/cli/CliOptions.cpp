#include "cli/CliOptions.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/Paths.h"
#include "base/TextOps.h"
#include "conversion/LanguageTable.h"
#include "conversion/ScriptWriter.h"
#include "conversion/Windows1252.h"

namespace quillshift::cli {

namespace {

using Field = PropertyOverride::Field;

constexpr std::array<std::pair<std::string_view, Field>, 7> kFields{{
    {"Authors", Field::Authors},
    {"Title", Field::Title},
    {"Description", Field::Description},
    {"Site", Field::Site},
    {"Version", Field::Version},
    {"Comments", Field::Comments},
    {"Language", Field::Language},
}};

PropertyOverride parseOverride(const std::string& assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
        throw UsageError("--set needs FIELD=VALUE, got \"" + assignment + "\"");
    }
    const std::string_view name = std::string_view(assignment).substr(0, equals);
    const std::string value = assignment.substr(equals + 1);
    for (const auto& [fieldName, field] : kFields) {
        if (!text::equalsIgnoringAsciiCase(name, fieldName)) {
            continue;
        }
        PropertyOverride result{field, {}, 0};
        if (field == Field::Language) {
            const auto index = LanguageTable::find(value);
            if (!index) {
                throw UsageError("unknown language \"" + value +
                                 "\" for --set Language (use a code such as EN,FR or a name "
                                 "such as French)");
            }
            result.languageIndex = *index;
            return result;
        }
        std::string problem;
        auto bytes = windows1252::fromUtf8(value, &problem);
        if (!bytes) {
            throw UsageError("cannot use the value of --set " + std::string(fieldName) + ": " +
                             problem);
        }
        if (bytes->find_first_of("\r\n") != std::string::npos) {
            throw UsageError("the value of --set " + std::string(fieldName) +
                             " must be a single line");
        }
        result.value = std::move(*bytes);
        return result;
    }
    throw UsageError("unknown field \"" + std::string(name) +
                     "\" for --set (use Authors, Title, Description, Site, Version, Comments or "
                     "Language)");
}

}  // namespace

namespace {

ColorChoice parseColor(const std::string& when) {
    if (when == "auto") {
        return ColorChoice::Auto;
    }
    if (when == "always") {
        return ColorChoice::Always;
    }
    if (when == "never") {
        return ColorChoice::Never;
    }
    throw UsageError("--color takes auto, always or never, not \"" + when + "\"");
}

void setMode(CliOptions& options, RunMode mode) {
    if (options.mode != RunMode::Write && options.mode != mode) {
        throw UsageError("give only one of --dry-run, --check and --diff");
    }
    options.mode = mode;
}

void checkNameTemplate(const std::string& nameTemplate) {
    for (std::size_t open = nameTemplate.find('{'); open != std::string::npos;
         open = nameTemplate.find('{', open + 1)) {
        const std::size_t close = nameTemplate.find('}', open);
        const std::string field =
            nameTemplate.substr(open, close == std::string::npos ? close : close - open + 1);
        if (field != "{name}" && field != "{stem}" && field != "{ext}") {
            throw UsageError("unknown field " + field +
                             " in --name-template (use {name}, {stem} and {ext})");
        }
    }
    const std::string sample = applyNameTemplate(nameTemplate, "x.ifs");
    if (nameTemplate.find_first_of(paths::kSeparators) != std::string::npos || sample.empty() ||
        sample == "." || sample == "..") {
        std::string separators;  // "/", on Windows "\" or "/"
        for (const char separator : paths::kSeparators) {
            separators.append(separators.empty() ? "\"" : " or \"").push_back(separator);
            separators.push_back('"');
        }
        throw UsageError("--name-template must give a file name, without " + separators);
    }
    if (const std::size_t bad = nameTemplate.find_first_of(paths::kNotInNames);
        bad != std::string::npos) {
        throw UsageError("--name-template holds \"" + nameTemplate.substr(bad, 1) +
                         "\", which Windows does not allow in file names");
    }
}

// What the positional arguments mean once every option is known.
void assignPositional(CliOptions& options, std::vector<std::string> positional) {
    const bool inPlace = options.inPlaceSuffix.has_value();
    if (options.outputDir && inPlace) {
        throw UsageError("give either -o DIR or --in-place, not both");
    }
    if (options.outputDir && options.outputDir->empty()) {
        throw UsageError("the output folder given with -o is empty");
    }
    if (inPlace && options.inPlaceSuffix->empty()) {
        throw UsageError("--in-place needs a suffix for the backups, such as .bak");
    }
    const bool pairForm = !options.outputDir && !inPlace && !options.recursive &&
                          !options.filesFrom &&
                          (options.mode == RunMode::Write || options.mode == RunMode::DryRun);
    if (pairForm) {
        if (positional.size() != 2) {
            throw UsageError(positional.size() < 2
                                 ? "give an INPUT and an OUTPUT script, or -o DIR and inputs"
                                 : "too many scripts; to convert several, give -o DIR");
        }
        options.output = positional[1];
        positional.pop_back();
    } else if (!options.outputDir && !inPlace && options.writesFiles()) {
        throw UsageError("say where the scripts go: give -o DIR or --in-place");
    }
    if (positional.empty() && !options.filesFrom) {
        throw UsageError("no input script given");
    }
    const auto stdinCount = std::count(positional.begin(), positional.end(), "-");
    if (stdinCount > 1 || (stdinCount == 1 && options.filesFrom == "-")) {
        throw UsageError("standard input can be read only once");
    }
    if (stdinCount == 1 && !pairForm && options.mode != RunMode::Check &&
        options.mode != RunMode::Diff) {
        throw UsageError(
            "standard input (-) can only be converted to a named OUTPUT or to "
            "standard output (-)");
    }
    options.inputs = std::move(positional);
}

}  // namespace

namespace {

// The options that take no value.
struct Flag {
    std::string_view name;
    void (*apply)(CliOptions&);
};
constexpr Flag kFlags[] = {
    {"--help", [](CliOptions& o) { o.help = true; }},
    {"--version", [](CliOptions& o) { o.version = true; }},
    {"--dry-run", [](CliOptions& o) { setMode(o, RunMode::DryRun); }},
    {"--check", [](CliOptions& o) { setMode(o, RunMode::Check); }},
    {"--diff", [](CliOptions& o) { setMode(o, RunMode::Diff); }},
    {"--color", [](CliOptions& o) { o.color = ColorChoice::Always; }},
    {"--force", [](CliOptions& o) { o.force = true; }},
    {"--reconvert", [](CliOptions& o) { o.reconvert = true; }},
    {"--quiet", [](CliOptions& o) { o.quiet = true; }},
    {"--json", [](CliOptions& o) { o.json = true; }},
    {"--strict", [](CliOptions& o) { o.strict = true; }},
    {"--fix",
     [](CliOptions& o) {
         o.fix = true;
         o.fixes = WarningCodeSet::all();
     }},
    {"--recursive", [](CliOptions& o) { o.recursive = true; }},
    {"--follow-symlinks", [](CliOptions& o) { o.followSymlinks = true; }},
    {"--hidden", [](CliOptions& o) { o.hidden = true; }},
    {"--null", [](CliOptions& o) { o.nulSeparated = true; }},
    {"--in-place", [](CliOptions& o) { o.inPlaceSuffix = ".bak"; }},
};

class ArgumentParser {
public:
    explicit ArgumentParser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    CliOptions parse() {
        bool optionsEnded = false;
        for (next_ = 0; next_ < arguments_.size();) {
            const std::string& argument = arguments_[next_++];
            if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
                positional_.push_back(argument);
            } else if (argument == "--") {
                optionsEnded = true;
            } else if (argument.starts_with("--")) {
                parseLong(argument);
            } else {
                parseShort(argument);
            }
        }
        if (!options_.help && !options_.version) {
            checkNameTemplate(options_.nameTemplate);
            assignPositional(options_, std::move(positional_));
        }
        return std::move(options_);
    }

private:
    std::string takeValue(const std::string& option) {
        if (next_ >= arguments_.size()) {
            throw UsageError("option " + option + " needs a value");
        }
        return arguments_[next_++];
    }

    // --name VALUE or --name=VALUE
    std::optional<std::string> value(const std::string& argument, std::string_view name) {
        if (argument == name) {
            return takeValue(argument);
        }
        if (argument.size() > name.size() && argument.starts_with(name) &&
            argument[name.size()] == '=') {
            return argument.substr(name.size() + 1);
        }
        return std::nullopt;
    }

    void parseLong(const std::string& argument) {
        for (const Flag& flag : kFlags) {
            if (argument == flag.name) {
                flag.apply(options_);
                return;
            }
        }
        if (argument.starts_with("--color=")) {
            options_.color = parseColor(argument.substr(8));
        } else if (argument.starts_with("--fix=")) {
            options_.fix = true;
            options_.fixes.insert(parseWarningCodes(std::string_view(argument).substr(6)));
        } else if (argument.starts_with("--in-place=")) {
            options_.inPlaceSuffix = argument.substr(11);
        } else if (auto dir = value(argument, "--output-dir")) {
            options_.outputDir = *dir;
        } else if (auto list = value(argument, "--files-from")) {
            options_.filesFrom = *list;
        } else if (auto nameTemplate = value(argument, "--name-template")) {
            options_.nameTemplate = *nameTemplate;
        } else if (auto assignment = value(argument, "--set")) {
            options_.overrides.push_back(parseOverride(*assignment));
        } else {
            throw UsageError("unknown option " + argument);
        }
    }

    // Bundled single-letter flags such as -nf; -o may come last with its value next, and -i
    // takes the rest of the bundle as its suffix (-i.orig).
    void parseShort(const std::string& argument) {
        for (std::size_t k = 1; k < argument.size(); ++k) {
            const char letter = argument[k];
            const std::string rest = argument.substr(k + 1);
            if (letter == 'i') {
                options_.inPlaceSuffix = rest.empty() ? ".bak" : rest;
                return;
            }
            if (letter == 'o') {
                options_.outputDir = rest.empty() ? takeValue("-o") : rest;
                return;
            }
            switch (letter) {
                case 'n':
                    setMode(options_, RunMode::DryRun);
                    break;
                case 'f':
                    options_.force = true;
                    break;
                case 'q':
                    options_.quiet = true;
                    break;
                case 'h':
                    options_.help = true;
                    break;
                case 'r':
                    options_.recursive = true;
                    break;
                case '0':
                    options_.nulSeparated = true;
                    break;
                default:
                    throw UsageError("unknown option -" + std::string(1, letter));
            }
        }
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    CliOptions options_;
    std::vector<std::string> positional_;
};

}  // namespace

CliOptions parseCommandLine(const std::vector<std::string>& arguments) {
    return ArgumentParser(arguments).parse();
}

WarningCodeSet parseWarningCodes(std::string_view list) {
    WarningCodeSet codes;
    for (std::size_t at = 0; at <= list.size();) {
        std::size_t comma = list.find(',', at);
        if (comma == std::string_view::npos) {
            comma = list.size();
        }
        const std::string_view name = list.substr(at, comma - at);
        const auto code = warningCodeFromName(name);
        if (!code) {
            std::string known;
            for (const WarningCode each : allWarningCodes()) {
                known.append(known.empty() ? "" : ", ").append(warningCodeName(each));
            }
            throw UsageError(
                (name.empty() ? std::string("--fix= needs warning codes separated by commas")
                              : "unknown warning code \"" + std::string(name) + "\" for --fix") +
                " (the codes are " + known + ")");
        }
        codes.insert(*code);
        at = comma + 1;
    }
    return codes;
}

std::string applyNameTemplate(const std::string& nameTemplate, std::string_view name) {
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > 0;
    const std::string_view stem = hasExtension ? name.substr(0, dot) : name;
    const std::string_view extension = hasExtension ? name.substr(dot) : std::string_view();
    std::string result;
    for (std::size_t at = 0; at < nameTemplate.size();) {
        const std::string_view rest = std::string_view(nameTemplate).substr(at);
        if (rest.starts_with("{name}")) {
            result.append(name);
            at += 6;
        } else if (rest.starts_with("{stem}")) {
            result.append(stem);
            at += 6;
        } else if (rest.starts_with("{ext}")) {
            result.append(extension);
            at += 5;
        } else {
            result.push_back(nameTemplate[at++]);
        }
    }
    return result;
}

void applyOverrides(const std::vector<PropertyOverride>& overrides, ScriptProperties& properties,
                    std::string* joinedComments) {
    for (const PropertyOverride& o : overrides) {
        switch (o.field) {
            case Field::Authors:
                properties.authors = o.value;
                break;
            case Field::Title:
                properties.title = o.value;
                break;
            case Field::Description:
                properties.description = o.value;
                break;
            case Field::Site:
                properties.site = o.value;
                break;
            case Field::Version:
                properties.version = o.value;
                break;
            case Field::Comments:
                properties.comments.clear();
                if (!o.value.empty()) {
                    properties.comments.push_back(o.value);
                }
                if (joinedComments) {
                    *joinedComments = joinComments(properties.comments);
                    properties.comments.clear();
                }
                break;
            case Field::Language:
                properties.language = o.languageIndex;
                break;
        }
    }
}

namespace {

constexpr std::string_view kHelpUsageAndOptions =
    R"HELP(Usage: quillshift-convert [OPTIONS] INPUT OUTPUT
       quillshift-convert [OPTIONS] -o DIR INPUT...
       quillshift-convert [OPTIONS] --in-place INPUT...
       quillshift-convert --check|--diff [OPTIONS] INPUT...

Converts Reelvault 3.4.x importation scripts (.ifs) to the 3.5.0 script format. The result is
exactly what Quillshift writes after Open, Convert, Adjust Properties and Save with no edits.
An INPUT may be "-" for standard input, and OUTPUT "-" for standard output (the report then
goes to standard error).

Every file is written completely or not at all, and an existing file is replaced only with
--force. Only regular files are read and replaced: devices, pipes and sockets are refused, and so
is a file with other names (hard links). An output is never one of the run's inputs. A script
that already has a converted header is skipped.

Where the scripts go:
  -o, --output-dir DIR   write each converted script into the folder DIR, named by
                         --name-template; with -r, below DIR as below the folder given
  -i, --in-place[=SUFFIX]
                         replace each INPUT by its conversion, keeping the original as
                         INPUT+SUFFIX (default .bak; with -i the suffix is attached: -i.orig)
      --name-template TEMPLATE
                         the file name of each output in DIR: {name} is the input's file name,
                         {stem} that name without its extension and {ext} the extension with
                         its dot (default "New {name}")
  -f, --force            replace existing output files and backups
      --reconvert        convert scripts that already have a converted header too (converting
                         twice changes the body again)

What is converted:
  -r, --recursive        convert the scripts (*.ifs, in any letter case) in each folder given,
                         and in the folders within it
      --hidden           with -r, enter hidden folders too
      --follow-symlinks  with -r, enter symbolic links to folders too
      --files-from FILE  also convert the scripts named in FILE, one per line ("-": standard
                         input)
  -0, --null             the names in the --files-from list end with a NUL byte, not a line end
      --set FIELD=VALUE  set a property of the converted header (repeatable). FIELD is one of
                         Authors, Title, Description, Site, Version, Comments (one line) and
                         Language (a code such as EN,FR or a name such as French)

Writing nothing:
  -n, --dry-run          print the properties that would be written and each rewritten body line
                         as "LINE: RULE: before -> after"
      --check            list each input that would be converted
      --diff             print a unified diff (patch reads it) from each input to its conversion
      --color[=WHEN]     colour the diff: auto (on a terminal, unless NO_COLOR is set), always
                         or never

)HELP";

constexpr std::string_view kHelpReporting = R"HELP(Warnings and fixes:
      --fix[=CODE,...]   repair the lines that a warning found broken, for every code or only
                         for the codes given; without it the conversion is exactly the rules'
      --strict           fail the run (exit status 1) when any warning is left

Reporting:
  -q, --quiet            print nothing for scripts that convert or are skipped, no warnings (but
                         with --strict) and no totals
      --json             print one JSON document for the run instead of the report lines
  -h, --help             show this help and exit
      --version          show the version and exit

)HELP";

constexpr std::string_view kHelpOutput =
    R"HELP(For each converted script one line is printed: "INPUT -> OUTPUT (N lines, K rewritten)", where N
counts the body lines written after the header and K those a conversion rule changed; the report
ends with the totals ("12 converted, 2 skipped, 1 failed"). A file name holding control
characters is shown quoted for the shell, as in 'a'$'\n''b.ifs'.

The conversion rules are textual, so they can break a script: each place where they may have is
reported on standard error as "FILE:LINE:COLUMN: warning: MESSAGE [CODE]", and the totals count
the warnings ("3 converted, 0 skipped, 0 failed, 5 warnings in 2 files"). The codes:
  no-program-line              no line starts the body; the script has no body
  program-line-not-recognised  something stands before the word "program"
  wrong-argument-split         GetPicture or CheckVersion cut at a comma or parenthesis that is
                               not the call's own
  call-continues               a call's arguments go on over the next line
  second-call-not-rewritten    a later call of the same function on the line was left as it was
  keyword-in-identifier        the function's name was part of a longer name
  rewrite-in-string            the function's name stood in a string, whose text changed
  rule-overridden              several rules matched the line and only the last one's stands
  code-commented-out           code after DisplayResults went into the // comment
  dangling-statement           DisplayResults was the statement of then, else, do or a case label
  line-replaced                the version message replaced more than one ShowMessage statement
With --fix each repaired line is reported as "FILE:LINE:COLUMN: fixed: MESSAGE [CODE]"; a line is
repaired only when every code its repair needs is asked for, and no-program-line, call-continues
and a message that goes on over the next line have no repair.

Exit status:
  0  every input converted or skipped as already converted; with --check, nothing to convert
  1  any input failed (each failure is reported on one line of standard error; the other scripts
     still convert), the report could not be written, with --check something would convert, or
     with --strict a warning is left
  2  usage error (among them a DIR that is missing or not a folder); no file was touched
)HELP";

}  // namespace

std::string helpText() {
    return std::string(kHelpUsageAndOptions).append(kHelpReporting).append(kHelpOutput);
}

}  // namespace quillshift::cli
