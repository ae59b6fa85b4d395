#include "conversion/ScriptWriter.h"

#include "base/TextOps.h"
#include "conversion/ReelvaultSites.h"

namespace quillshift {

namespace {

constexpr std::string_view kClosingFrame = "***************************************************)";
constexpr std::string_view kLicenceLine =
    "License=This program is free software; you can redistribute it and/or modify it under the  "
    "terms of the GNU General Public License as published by the Free Software Foundation;  "
    "either version 2 of the License, or (at your option) any later version. |";

// The header line by line, each as a key and a value that together make the line.
using HeaderLine = std::function<void(std::string_view key, std::string_view value, bool property)>;

void forEachHeaderPart(const ScriptProperties& properties, std::string_view joinedComments,
                       const HeaderLine& sink) {
    using text::trimView;
    const auto fixed = [&](std::string_view line) { sink(line, {}, false); };
    const auto property = [&](std::string_view key, std::string_view value) {
        sink(key, value, true);
    };
    fixed(kScriptHeaderOpening);
    fixed("");
    fixed(kScriptHeaderName);
    fixed(sites::kScriptsWebAddress);
    fixed("");
    fixed("[Infos]");
    property("Authors=", trimView(properties.authors));
    property("Title=", trimView(properties.title));
    property("Description=", trimView(properties.description));
    property("Site=", trimView(properties.site));
    property("Language=", properties.languageCode());
    property("Version=", trimView(properties.version));
    fixed("Requires=3.5.0 BETA-2");
    property("Comments=", joinedComments);
    fixed(kLicenceLine);
    fixed("GetInfo=1");
    fixed("");
    fixed("[Options]");
    fixed("");
    fixed(kClosingFrame);
    fixed("");
}

void writeHeader(const ScriptProperties& properties, std::string_view joinedComments,
                 const ScriptSink& out) {
    forEachHeaderPart(properties, joinedComments,
                      [&](std::string_view key, std::string_view value, bool) {
                          out.write(key);
                          out.write(value);
                          out.write(kLineEnd);
                      });
}

}  // namespace

std::string joinComments(const std::vector<std::string>& comments) {
    std::string joined;
    for (const std::string& comment : comments) {
        joined.append(" ").append(text::trimView(comment));
    }
    return joined;
}

void forEachPropertyLine(
    const ScriptProperties& properties, std::string_view joinedComments,
    const std::function<void(std::string_view key, std::string_view value)>& line) {
    forEachHeaderPart(properties, joinedComments,
                      [&](std::string_view key, std::string_view value, bool property) {
                          if (property) {
                              line(key, value);
                          }
                      });
}

void forEachHeaderLine(
    const ScriptProperties& properties, std::string_view joinedComments,
    const std::function<void(std::string_view key, std::string_view value)>& line) {
    forEachHeaderPart(
        properties, joinedComments,
        [&](std::string_view key, std::string_view value, bool) { line(key, value); });
}

void writeConvertedScript(const ScriptProperties& properties, const std::vector<std::string>& body,
                          const ScriptSink& out) {
    writeConvertedScript(
        properties,
        [&body](const std::function<void(std::string_view)>& line) {
            for (const std::string& each : body) {
                line(each);
            }
        },
        out);
}

void writeConvertedScript(const ScriptProperties& properties, const BodyLines& body,
                          const ScriptSink& out) {
    writeHeader(properties, joinComments(properties.comments), out);
    body([&out](std::string_view line) {
        out.write(line);
        out.write(kLineEnd);
    });
}

BodyCounts writeConvertedScript(
    StreamingConversion& conversion, const ScriptSink& out,
    const std::function<void(const StreamingConversion::BodyLine&)>& onRewrite) {
    writeHeader(conversion.properties(), conversion.joinedComments(), out);
    BodyCounts counts;
    StreamingConversion::BodyLine line{};
    while (conversion.nextBodyLine(line)) {
        ++counts.lines;
        if (line.rule != BodyRule::None && line.after != line.before) {
            ++counts.rewritten;
            ++counts.byRule[static_cast<std::size_t>(line.rule)];
            if (onRewrite) {
                onRewrite(line);
            }
        }
        if (line.tabs) {
            text::expandTabsInPieces(line.after, [&](std::string_view piece) { out.write(piece); });
        } else {
            out.write(line.after);
        }
        out.write(kLineEnd);
    }
    return counts;
}

std::string renderOutputScript(const ScriptProperties& properties,
                               const std::vector<std::string>& body) {
    std::string out;
    std::size_t size = 0;
    for (const std::string& line : body) {
        size += line.size() + kLineEnd.size();
    }
    out.reserve(size + 1024);
    writeConvertedScript(properties, body, ScriptSink::into(out));
    return out;
}

void writeOutputScript(const std::string& path, const ScriptProperties& properties,
                       const std::vector<std::string>& body, IfTargetExists ifExists) {
    AtomicFileWriter file(path, ifExists);
    writeConvertedScript(properties, body, ScriptSink::into(file));
    file.commit();
}

void writeOutputScript(const std::string& path, const ScriptProperties& properties,
                       const BodyLines& body, IfTargetExists ifExists) {
    AtomicFileWriter file(path, ifExists);
    writeConvertedScript(properties, body, ScriptSink::into(file));
    file.commit();
}

}  // namespace quillshift
