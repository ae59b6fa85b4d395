#include "cli/CliOptions.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <utility>

#include "base/Paths.h"
#include "base/TextOps.h"
#include "cli/OptionTable.h"
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

// --check and --diff go together (the diff, and the check's list on standard error); a dry run
// goes with neither.
void setMode(CliOptions& options, RunMode mode) {
    options.check = options.check || mode == RunMode::Check;
    if (options.mode == RunMode::Write || options.mode == mode) {
        options.mode = mode;
    } else if (options.mode == RunMode::DryRun || mode == RunMode::DryRun) {
        throw UsageError("--dry-run goes with neither --check nor --diff");
    } else {
        options.mode = RunMode::Diff;
    }
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
    } else if (!options.outputDir && !inPlace &&
               (options.mode == RunMode::Write || options.mode == RunMode::DryRun)) {
        // A dry run tells where each script would go, so it needs the place as much as a run.
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

// The table's options as getopt_long takes them. A long option's code is its place in the table
// past the byte range, so that it never meets a short option's letter.
constexpr int kLongCode = 256;

class ArgumentParser {
public:
    ArgumentParser() {
        shortOptions_ = "-:";  // positional arguments in order, and ':' for a missing value
        for (const OptionSpec& spec : kOptionTable) {
            if (spec.shortName != '\0') {
                shortOptions_.push_back(spec.shortName);
                shortOptions_.append(spec.value == OptionValue::Required   ? ":"
                                     : spec.value == OptionValue::Optional ? "::"
                                                                           : "");
            }
            // The names are string literals, so their data ends with a NUL.
            longOptions_.push_back({spec.longName.data(),
                                    spec.value == OptionValue::Required   ? required_argument
                                    : spec.value == OptionValue::Optional ? optional_argument
                                                                          : no_argument,
                                    nullptr, kLongCode + static_cast<int>(spec.id)});
        }
        longOptions_.push_back({nullptr, 0, nullptr, 0});
    }

    CliOptions parse(const std::vector<std::string>& arguments) {
        std::vector<std::string> words{"quillshift-convert"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        argv.reserve(words.size() + 1);
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        const int argc = static_cast<int>(words.size());

        optind = 0;  // start afresh, also for a second command line in one process
        opterr = 0;  // the errors are ours to word
        // The argument getopt_long has just read.
        const auto last = [&] {
            return std::string_view(argv[static_cast<std::size_t>(optind - 1)]);
        };
        for (int code = 0; (code = getopt_long(argc, argv.data(), shortOptions_.c_str(),
                                               longOptions_.data(), nullptr)) != -1;) {
            if (code == 1) {
                positional_.emplace_back(optarg);
            } else if (code == ':' &&
                       !(last().starts_with("--") && last().find('=') != std::string_view::npos)) {
                throw UsageError("option " + typed(last(), optopt) + " needs a value");
            } else if (code == '?' || code == ':') {
                // MinGW's getopt_long reports "--force=yes" as a missing value, glibc's as '?'.
                throw UsageError(refusal(last(), optopt));
            } else {
                apply(specFor(code), optarg);
            }
        }
        for (int rest = optind; rest < argc; ++rest) {  // after "--"
            positional_.emplace_back(argv[static_cast<std::size_t>(rest)]);
        }
        if (!options_.help && !options_.version) {
            checkNameTemplate(options_.nameTemplate);
            assignPositional(options_, std::move(positional_));
        }
        return std::move(options_);
    }

private:
    static const OptionSpec& specFor(int code) {
        const auto* const found =
            std::find_if(kOptionTable.begin(), kOptionTable.end(), [&](const auto& spec) {
                return code == (code >= kLongCode ? kLongCode + static_cast<int>(spec.id)
                                                  : static_cast<unsigned char>(spec.shortName));
            });
        return *found;  // getopt_long returns only the codes it was given
    }

    // The option as the user wrote it: "-o", or the long one as typed ("--out").
    static std::string typed(std::string_view argument, int code) {
        if (code < kLongCode) {
            return std::string("-") + static_cast<char>(code);
        }
        return std::string(argument.substr(0, argument.find('=')));
    }

    static std::string refusal(std::string_view argument, int code) {
        if (code >= kLongCode) {
            return "option --" + std::string(specFor(code).longName) + " takes no value";
        }
        if (code != 0) {
            return "unknown option -" + std::string(1, static_cast<char>(code));
        }
        // A long option that is unknown, or the beginning of several.
        const std::string_view name = argument.substr(2, argument.find('=') - 2);
        std::string candidates;
        for (const OptionSpec& spec : kOptionTable) {
            if (!name.empty() && spec.longName.starts_with(name)) {
                candidates.append(candidates.empty() ? "" : ", ")
                    .append("--")
                    .append(spec.longName);
            }
        }
        if (candidates.find(',') != std::string::npos) {
            return "option --" + std::string(name) + " is ambiguous: it could be " + candidates;
        }
        return "unknown option " + std::string(argument);
    }

    void apply(const OptionSpec& spec, const char* value) {
        CliOptions& o = options_;
        switch (spec.id) {
            case OptionId::OutputDir:
                o.outputDir = value;
                break;
            case OptionId::InPlace:
                o.inPlaceSuffix = value ? value : ".bak";
                break;
            case OptionId::NameTemplate:
                o.nameTemplate = value;
                break;
            case OptionId::Force:
                o.force = true;
                break;
            case OptionId::Reconvert:
                o.reconvert = true;
                break;
            case OptionId::Recursive:
                o.recursive = true;
                break;
            case OptionId::Hidden:
                o.hidden = true;
                break;
            case OptionId::FollowSymlinks:
                o.followSymlinks = true;
                break;
            case OptionId::FilesFrom:
                o.filesFrom = value;
                break;
            case OptionId::Null:
                o.nulSeparated = true;
                break;
            case OptionId::Set:
                o.overrides.push_back(parseOverride(value));
                break;
            case OptionId::DryRun:
                setMode(o, RunMode::DryRun);
                break;
            case OptionId::Check:
                setMode(o, RunMode::Check);
                break;
            case OptionId::Diff:
                setMode(o, RunMode::Diff);
                break;
            case OptionId::Color:
                o.color = value ? parseColor(value) : ColorChoice::Always;
                break;
            case OptionId::Fix:
                o.fix = true;
                o.fixes.insert(value ? parseWarningCodes(value) : WarningCodeSet::all());
                break;
            case OptionId::Strict:
                o.strict = true;
                break;
            case OptionId::Quiet:
                o.quiet = true;
                break;
            case OptionId::Json:
                o.json = true;
                break;
            case OptionId::Help:
                o.help = true;
                break;
            case OptionId::Version:
                o.version = true;
                break;
        }
    }

    std::string shortOptions_;
    std::vector<option> longOptions_;
    CliOptions options_;
    std::vector<std::string> positional_;
};

}  // namespace

CliOptions parseCommandLine(const std::vector<std::string>& arguments) {
    return ArgumentParser().parse(arguments);
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

// --help keeps within the 79 columns of a terminal of 80.
constexpr std::size_t kHelpWidth = 79;

constexpr std::string_view kHelpUsage = R"HELP(Usage: quillshift-convert [OPTIONS] INPUT OUTPUT
       quillshift-convert [OPTIONS] -o DIR INPUT...
       quillshift-convert [OPTIONS] --in-place INPUT...
       quillshift-convert --check|--diff [OPTIONS] INPUT...

)HELP";

constexpr std::string_view kHelpParagraphs[] = {
    "Converts Reelvault 3.4.x importation scripts (.ifs) to the 3.5.0 script format. The result "
    "is exactly what Quillshift writes after Open, Convert, Adjust Properties and Save with no "
    "edits. An INPUT may be \"-\" for standard input, and OUTPUT \"-\" for standard output (the "
    "report then goes to standard error).",
    "Every file is written completely or not at all, and an existing file is replaced only with "
    "--force. Only regular files are read and replaced: devices, pipes and sockets are refused, "
    "and so is a file with other names (hard links). An output is never one of the run's inputs. "
    "A script that already has a converted header is skipped.",
};

constexpr std::string_view kHelpOutput[] = {
    "For each converted script one line is printed: \"INPUT -> OUTPUT (N lines, K rewritten)\", "
    "where N counts the body lines written after the header and K those a conversion rule "
    "changed; the report ends with the totals (\"12 converted, 2 skipped, 1 failed\"). A file "
    "name holding control characters is shown quoted for the shell, as in 'a'$'\\n''b.ifs'.",
    "The conversion rules are textual, so they can break a script: each place where they may "
    "have is reported on standard error as \"FILE:LINE:COLUMN: warning: MESSAGE [CODE]\", and the "
    "totals count the warnings (\"3 converted, 0 skipped, 0 failed, 5 warnings in 2 files\"). The "
    "codes:",
};

// Each warning code, as --help explains it.
constexpr std::pair<WarningCode, std::string_view> kCodeHelp[] = {
    {WarningCode::NoProgramLine, "no line starts the body; the script has no body"},
    {WarningCode::ProgramLineNotRecognised, "something stands before the word \"program\""},
    {WarningCode::WrongArgumentSplit,
     "GetPicture or CheckVersion cut at a comma or parenthesis that is not the call's own"},
    {WarningCode::CallContinues, "a call's arguments go on over the next line"},
    {WarningCode::SecondCallNotRewritten,
     "a later call of the same function on the line was left as it was"},
    {WarningCode::KeywordInIdentifier, "the function's name was part of a longer name"},
    {WarningCode::RewriteInString, "the function's name stood in a string, whose text changed"},
    {WarningCode::RuleOverridden, "several rules matched the line and only the last one's stands"},
    {WarningCode::CodeCommentedOut, "code after DisplayResults went into the // comment"},
    {WarningCode::DanglingStatement,
     "DisplayResults was the statement of then, else, do or a case label"},
    {WarningCode::LineReplaced, "the version message replaced more than one ShowMessage statement"},
};
constexpr std::size_t kCodeHelpColumn = 31;

constexpr std::string_view kHelpFixes =
    "With --fix each repaired line is reported as \"FILE:LINE:COLUMN: fixed: MESSAGE [CODE]\"; a "
    "line is repaired only when every code its repair needs is asked for, and no-program-line, "
    "call-continues and a message that goes on over the next line have no repair.";

constexpr std::pair<std::string_view, std::string_view> kExitStatus[] = {
    {"0",
     "every input converted or skipped as already converted; with --check or --diff, "
     "nothing to convert"},
    {"1",
     "any input failed (each failure is reported on one line of standard error; the other "
     "scripts still convert), the report could not be written, with --check or --diff "
     "something would convert, or with --strict a warning is left"},
    {"2", "usage error (among them a DIR that is missing or not a folder); no file was touched"},
};

constexpr std::string_view kHelpBugs =
    "Report bugs to: <https://reelvault.org/quillshift/issues/>\n"
    "Quillshift home page: <https://reelvault.org/quillshift/>\n";

}  // namespace

std::string helpText() {
    std::string text(kHelpUsage);
    for (const std::string_view paragraph : kHelpParagraphs) {
        text.append(wrapText(paragraph, 0, kHelpWidth)).append("\n");
    }
    text.append(optionHelp(kHelpWidth));
    for (const std::string_view paragraph : kHelpOutput) {
        text.append(text.ends_with(":\n") ? "" : "\n").append(wrapText(paragraph, 0, kHelpWidth));
    }
    for (const auto& [code, help] : kCodeHelp) {
        std::string name = "  " + std::string(warningCodeName(code));
        name.append(kCodeHelpColumn - name.size(), ' ');
        text.append(name).append(wrapText(help, kCodeHelpColumn, kHelpWidth));
    }
    text.append(wrapText(kHelpFixes, 0, kHelpWidth)).append("\nExit status:\n");
    for (const auto& [status, meaning] : kExitStatus) {
        text.append("  ").append(status).append("  ").append(wrapText(meaning, 5, kHelpWidth));
    }
    return text.append("\n").append(kHelpBugs);
}

}  // namespace quillshift::cli
