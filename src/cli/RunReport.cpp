#include "cli/RunReport.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/ShownText.h"
#include "conversion/LegacyConverter.h"
#include "conversion/Windows1252.h"

namespace quillshift::cli {

namespace {

std::string_view statusName(FileStatus status) {
    switch (status) {
        case FileStatus::Converted:
            return "converted";
        case FileStatus::WouldConvert:
            return "would-convert";
        case FileStatus::Skipped:
            return "skipped";
        case FileStatus::Failed:
            break;
    }
    return "failed";
}

nlohmann::ordered_json propertiesJson(const FileResult& result) {
    nlohmann::ordered_json properties = nlohmann::ordered_json::object();
    forEachPropertyLine(result.properties, result.joinedComments,
                        [&](std::string_view key, std::string_view value) {
                            key.remove_suffix(1);  // the "="
                            properties[std::string(key)] = windows1252::toUtf8(value);
                        });
    return properties;
}

}  // namespace

void RunReport::add(FileResult result) {
    const bool human = !options_.json;
    if (result.status == FileStatus::Failed) {
        errors_ << result.message << '\n';
    } else if (human && !options_.quiet) {
        const BodyCounts& c = result.counts;
        const std::string counts = " (" + std::to_string(c.lines) + " lines, " +
                                   std::to_string(c.rewritten) + " rewritten";
        if (result.status == FileStatus::Skipped) {
            if (options_.mode == RunMode::Write || options_.mode == RunMode::DryRun) {
                out_ << "Skipped " << quotedName(result.input) << ": " << result.message << '\n';
            }
        } else if (options_.mode == RunMode::Check) {
            out_ << "would convert " << shownName(result.input) << '\n';
        } else if (options_.mode == RunMode::DryRun) {
            out_ << shownName(result.input) << " -> " << shownName(result.output) << counts
                 << "; dry run, nothing written)\n";
        } else if (options_.mode == RunMode::Write) {
            out_ << shownName(result.input) << " -> " << shownName(result.output) << counts
                 << ")\n";
        }
    }
    if (human && options_.mode == RunMode::Diff) {
        out_ << result.diff;
    }
    out_.flush();
    if (!options_.json) {
        result.diff.clear();  // printed already; only the JSON document needs it again
    }
    results_.push_back(std::move(result));
}

std::size_t RunReport::count(FileStatus status) const {
    return static_cast<std::size_t>(std::count_if(
        results_.begin(), results_.end(), [&](const FileResult& r) { return r.status == status; }));
}

void RunReport::finish() {
    if (options_.json) {
        printJson();
        return;
    }
    if (options_.quiet) {
        return;
    }
    // After a diff the totals go to the error stream, so that the diff stays a clean patch.
    std::ostream& totals = options_.mode == RunMode::Diff ? errors_ : out_;
    const bool writes = options_.mode == RunMode::Write;
    totals << count(writes ? FileStatus::Converted : FileStatus::WouldConvert)
           << (writes ? " converted, " : " would convert, ") << count(FileStatus::Skipped)
           << " skipped, " << count(FileStatus::Failed) << " failed\n";
}

void RunReport::printJson() const {
    using Json = nlohmann::ordered_json;
    Json files = Json::array();
    for (const FileResult& result : results_) {
        Json file = {{"input", result.input}};
        file["output"] = result.output.empty() ? Json() : Json(result.output);
        file["status"] = statusName(result.status);
        if (result.status == FileStatus::Skipped) {
            file["reason"] = result.message;
        } else if (result.status == FileStatus::Failed) {
            file["message"] = result.message;
        }
        if (result.converted) {
            file["bodyLines"] = result.counts.lines;
            Json rewrites = Json::object();
            for (std::size_t rule = 1; rule < kBodyRuleCount; ++rule) {
                rewrites[std::string(bodyRuleName(static_cast<BodyRule>(rule)))] =
                    result.counts.byRule[rule];
            }
            file["rewrites"] = rewrites;
            file["properties"] = propertiesJson(result);
        }
        if (options_.mode == RunMode::Diff && result.status == FileStatus::WouldConvert) {
            file["diff"] = windows1252::toUtf8(result.diff);  // script text, like the properties
        }
        files.push_back(std::move(file));
    }
    const Json totals = {{"converted", count(FileStatus::Converted)},
                         {"wouldConvert", count(FileStatus::WouldConvert)},
                         {"skipped", count(FileStatus::Skipped)},
                         {"failed", count(FileStatus::Failed)}};
    // File names and diffs need not be UTF-8; what is not is shown with replacement characters.
    out_ << Json{{"files", files}, {"totals", totals}}.dump(2, ' ', false,
                                                            Json::error_handler_t::replace)
         << '\n';
}

}  // namespace quillshift::cli
