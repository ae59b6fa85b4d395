#include "cli/CliOptions.h"

#include <array>
#include <utility>

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

CliOptions parseCommandLine(const std::vector<std::string>& arguments) {
    CliOptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto takeValue = [&](const std::string& option) -> std::string {
            if (i + 1 >= arguments.size()) {
                throw UsageError("option " + option + " needs a value");
            }
            return arguments[++i];
        };
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--dry-run") {
            options.dryRun = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--output-dir" || argument == "-o") {
            options.outputDir = takeValue(argument);
        } else if (argument.starts_with("--output-dir=")) {
            options.outputDir = argument.substr(13);
        } else if (argument == "--set") {
            options.overrides.push_back(parseOverride(takeValue(argument)));
        } else if (argument.starts_with("--set=")) {
            options.overrides.push_back(parseOverride(argument.substr(6)));
        } else if (argument.starts_with("--")) {
            throw UsageError("unknown option " + argument);
        } else {
            // Bundled single-letter flags such as -nf; -o may come last with its value next.
            for (std::size_t k = 1; k < argument.size(); ++k) {
                const char letter = argument[k];
                if (letter == 'n') {
                    options.dryRun = true;
                } else if (letter == 'f') {
                    options.force = true;
                } else if (letter == 'q') {
                    options.quiet = true;
                } else if (letter == 'h') {
                    options.help = true;
                } else if (letter == 'o' && k + 1 == argument.size()) {
                    options.outputDir = takeValue("-o");
                } else if (letter == 'o') {
                    options.outputDir = argument.substr(k + 1);
                    break;
                } else {
                    throw UsageError("unknown option -" + std::string(1, letter));
                }
            }
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.outputDir) {
        if (options.outputDir->empty()) {
            throw UsageError("the output folder given with -o is empty");
        }
        if (positional.empty()) {
            throw UsageError("no input script given");
        }
        options.inputs = std::move(positional);
    } else {
        if (positional.size() != 2) {
            throw UsageError(positional.size() < 2
                                 ? "give an INPUT and an OUTPUT script, or -o DIR and inputs"
                                 : "too many scripts; to convert several, give -o DIR");
        }
        options.inputs = {positional[0]};
        options.output = positional[1];
    }
    return options;
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

std::string helpText() {
    return R"HELP(Usage: quillshift-convert [OPTIONS] INPUT OUTPUT
       quillshift-convert [OPTIONS] -o DIR INPUT...

Converts Reelvault 3.4.x importation scripts (.ifs) to the 3.5.0 script format. The result is
exactly what Quillshift writes after Open, Convert, Adjust Properties and Save with no edits.
With -o, each INPUT is written into DIR as "New <input file name>".

Every file is written completely or not at all, and an existing file is replaced only with
--force. Only regular files are read and replaced: devices, pipes and sockets are refused, and so
is a file with other names (hard links). An output is never one of the run's inputs.

Options:
  -o, --output-dir DIR   write each converted script into the folder DIR
      --set FIELD=VALUE  set a property of the converted header (repeatable). FIELD is one of
                         Authors, Title, Description, Site, Version, Comments (one line) and
                         Language (a code such as EN,FR or a name such as French)
  -n, --dry-run          write nothing; print the properties that would be written and each
                         rewritten body line as "LINE: RULE: before -> after"
  -f, --force            replace existing output files, and convert scripts that already have a
                         converted header (converting twice changes the body again)
  -q, --quiet            print nothing for scripts that convert
  -h, --help             show this help and exit
      --version          show the version and exit

For each converted script one line is printed: "INPUT -> OUTPUT (N lines, K rewritten)", where N
counts the body lines written after the header and K those a conversion rule changed. A file name
holding control characters is shown quoted for the shell, as in 'a'$'\n''b.ifs'.

Exit status: 0 when every script converted, 1 when any failed (each failure is reported on one
line of standard error; the other scripts still convert) or the report could not be written,
2 for a usage error (among them a DIR that is missing or not a folder; nothing is converted then).
)HELP";
}

}  // namespace quillshift::cli
