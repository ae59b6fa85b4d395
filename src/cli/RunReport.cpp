#include "cli/RunReport.h"

#include <nlohmann/json.hpp>

#include "cli/ShownText.h"
#include "conversion/LegacyConverter.h"
#include "conversion/Windows1252.h"

namespace quillshift::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kJsonPiece = 1 << 16;

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

// A value as JSON text; what is not UTF-8 is shown with replacement characters.
std::string dumped(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// `text` with every line indented by `depth` blanks.
std::string indented(const std::string& text, std::size_t depth) {
    std::string out(depth, ' ');
    for (const char c : text) {
        out.push_back(c);
        if (c == '\n') {
            out.append(depth, ' ');
        }
    }
    return out;
}

// Writes one file's object of the JSON document, its lines indented to stand in the "files"
// array. Script text (values, the diff) is written in pieces, never held whole.
class JsonFileWriter {
public:
    explicit JsonFileWriter(std::ostream& out) : out_(out) { out_ << "    {"; }
    ~JsonFileWriter() { out_ << "\n    }"; }
    JsonFileWriter(const JsonFileWriter&) = delete;
    JsonFileWriter& operator=(const JsonFileWriter&) = delete;

    void key(std::string_view name, int depth = 3) {
        out_ << (first_ ? "\n" : ",\n") << std::string(2 * static_cast<std::size_t>(depth), ' ')
             << dumped(Json(std::string(name))) << ": ";
        first_ = false;
    }
    void value(const Json& value) { out_ << dumped(value); }
    void open() {
        out_ << "{";
        first_ = true;
    }
    void close(int depth) {
        if (!first_) {
            out_ << '\n' << std::string(2 * static_cast<std::size_t>(depth), ' ');
        }
        out_ << '}';
        first_ = false;
    }
    // Script text (Windows-1252) as a JSON string, written piece by piece.
    void scriptText(std::string_view bytes) {
        out_ << '"';
        scriptPiece(bytes);
        out_ << '"';
    }
    void scriptPiece(std::string_view bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += kJsonPiece) {
            const std::string escaped =
                dumped(Json(windows1252::toUtf8(bytes.substr(at, kJsonPiece))));
            out_.write(escaped.data() + 1, static_cast<std::streamsize>(escaped.size() - 2));
        }
    }

private:
    std::ostream& out_;
    bool first_ = true;
};

}  // namespace

void RunReport::warning(std::string_view input, const ConversionWarning& w) {
    ++(w.fixed ? fileFixed_ : fileWarnings_);
    // Warnings are part of the report, but under --strict those left fail the run as failures do.
    if (options_.json || (options_.quiet && (w.fixed || !options_.strict))) {
        return;
    }
    errors_ << shownName(input) << ':' << w.line << ':' << w.column
            << (w.fixed ? ": fixed: " : ": warning: ") << w.message << " ["
            << warningCodeName(w.code) << "]\n";
}

void RunReport::add(const FileResult& result) {
    ++counts_[static_cast<std::size_t>(result.status)];
    warnings_.add(fileWarnings_);
    fixed_.add(fileFixed_);
    fileWarnings_ = fileFixed_ = 0;
    const bool human = !options_.json;
    if (result.status == FileStatus::Failed) {
        errors_ << result.message << '\n';
    } else if (human && !options_.quiet) {
        const BodyCounts& c = result.counts;
        const std::string counts = " (" + std::to_string(c.lines) + " lines, " +
                                   std::to_string(c.rewritten) + " rewritten";
        if (result.status == FileStatus::Skipped) {
            // A skip for a link is news in every mode; one for a converted header only where the
            // run writes.
            const bool writes = options_.mode == RunMode::Write || options_.mode == RunMode::DryRun;
            if (writes || result.shownInEveryMode) {
                (writes ? out_ : errors_)
                    << "Skipped " << quotedName(result.input) << ": " << result.message << '\n';
            }
        } else if (options_.check) {
            // Beside a diff, on the error stream, so that the diff stays a clean patch.
            (options_.mode == RunMode::Diff ? errors_ : out_)
                << "would convert " << shownName(result.input) << '\n';
        } else if (options_.mode == RunMode::DryRun) {
            out_ << shownName(result.input) << " -> " << shownName(result.output) << counts
                 << "; dry run, nothing written)\n";
        } else if (options_.mode == RunMode::Write) {
            out_ << shownName(result.input) << " -> " << shownName(result.output) << counts
                 << ")\n";
        }
    }
    if (!options_.quiet) {
        for (const std::string& note : result.notes) {
            errors_ << shownName(result.output.empty() ? result.input : result.output)
                    << ": note: " << note << '\n';
        }
    }
    if (human && options_.mode == RunMode::Diff && result.writeDiff) {
        result.writeDiff([&](std::string_view piece) {
            out_.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
    }
    if (options_.json) {
        printJson(result);
    }
    out_.flush();
}

void RunReport::printJson(const FileResult& result) {
    const std::size_t files = counts_[0] + counts_[1] + counts_[2] + counts_[3];
    out_ << (files == 1 ? "{\n  \"files\": [\n" : ",\n");
    JsonFileWriter file(out_);
    file.key("input");
    file.value(result.input);
    file.key("output");
    file.value(result.output.empty() ? Json() : Json(result.output));
    file.key("status");
    file.value(statusName(result.status));
    if (result.status == FileStatus::Skipped) {
        file.key("reason");
        file.value(result.message);
    } else if (result.status == FileStatus::Failed) {
        file.key("message");
        file.value(result.message);
    }
    if (result.properties) {
        file.key("bodyLines");
        file.value(result.counts.lines);
        file.key("rewrites");
        file.open();
        for (std::size_t rule = 1; rule < kBodyRuleCount; ++rule) {
            file.key(bodyRuleName(static_cast<BodyRule>(rule)), 4);
            file.value(result.counts.byRule[rule]);
        }
        file.close(3);
        file.key("properties");
        file.open();
        forEachPropertyLine(*result.properties, result.joinedComments,
                            [&](std::string_view key, std::string_view value) {
                                key.remove_suffix(1);  // the "="
                                file.key(key, 4);
                                file.scriptText(value);
                            });
        file.close(3);
    }
    file.key("warnings");
    if (!result.warnings || result.warnings->empty()) {
        out_ << "[]";
    } else {
        out_ << '[';
        for (std::size_t i = 0; i < result.warnings->size(); ++i) {
            const ConversionWarning w = (*result.warnings)[i];
            Json warning = {{"line", w.line},
                            {"column", w.column},
                            {"code", warningCodeName(w.code)},
                            {"message", w.message}};
            if (options_.fix) {
                warning["fixed"] = w.fixed;
            }
            out_ << (i == 0 ? "\n" : ",\n") << indented(warning.dump(2), 8);
        }
        out_ << "\n      ]";
    }
    if (options_.mode == RunMode::Diff && result.status == FileStatus::WouldConvert &&
        result.writeDiff) {
        // Script text, like the properties; file names in it too.
        file.key("diff");
        out_ << '"';
        result.writeDiff([&](std::string_view piece) { file.scriptPiece(piece); });
        out_ << '"';
    }
    if (!result.notes.empty()) {
        file.key("notes");
        file.value(result.notes);
    }
}

void RunReport::finish() {
    if (options_.json) {
        const std::size_t files = counts_[0] + counts_[1] + counts_[2] + counts_[3];
        out_ << (files == 0 ? "{\n  \"files\": [],\n" : "\n  ],\n");
        Json totals = {{"converted", count(FileStatus::Converted)},
                       {"wouldConvert", count(FileStatus::WouldConvert)},
                       {"skipped", count(FileStatus::Skipped)},
                       {"failed", count(FileStatus::Failed)},
                       {"warnings", warnings_.count}};
        if (options_.fix) {
            totals["fixed"] = fixed_.count;
        }
        const std::string text = indented(totals.dump(2), 2);
        out_ << "  \"totals\": " << text.substr(2) << "\n}\n";
        out_.flush();
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
           << " skipped, " << count(FileStatus::Failed) << " failed";
    const auto files = [](std::size_t n) {
        return n == 1 ? " in 1 file" : " in " + std::to_string(n) + " files";
    };
    if (warnings_.count > 0) {
        totals << ", " << warnings_.count << (warnings_.count == 1 ? " warning" : " warnings")
               << files(warnings_.files);
    }
    if (fixed_.count > 0) {
        totals << ", " << fixed_.count << " fixed" << files(fixed_.files);
    }
    totals << '\n';
    totals.flush();
}

}  // namespace quillshift::cli
