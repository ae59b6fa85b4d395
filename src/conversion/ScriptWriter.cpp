#include "conversion/ScriptWriter.h"

#include "base/AtomicFileWriter.h"
#include "base/TextOps.h"
#include "conversion/ReelvaultSites.h"

namespace quillshift {

namespace {

constexpr std::string_view kClosingFrame = "***************************************************)";
constexpr std::string_view kLicenceLine =
    "License=This program is free software; you can redistribute it and/or modify it under the  "
    "terms of the GNU General Public License as published by the Free Software Foundation;  "
    "either version 2 of the License, or (at your option) any later version. |";

}  // namespace

std::string joinComments(const std::vector<std::string>& comments) {
    std::string joined;
    for (const std::string& comment : comments) {
        joined.append(" ").append(text::trimView(comment));
    }
    return joined;
}

void forEachScriptHeaderLine(const ScriptProperties& properties, std::string_view joinedComments,
                             const HeaderLineSink& sink) {
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

std::vector<std::string> buildScriptHeader(const ScriptProperties& properties) {
    std::vector<std::string> lines;
    lines.reserve(kScriptHeaderLineCount);
    forEachScriptHeaderLine(properties, joinComments(properties.comments),
                            [&](std::string_view key, std::string_view value, bool) {
                                lines.emplace_back(key).append(value);
                            });
    return lines;
}

void appendScriptHeader(const ScriptProperties& properties, std::string& out) {
    forEachScriptHeaderLine(properties, joinComments(properties.comments),
                            [&](std::string_view key, std::string_view value, bool) {
                                out.append(key).append(value).append(kLineEnd);
                            });
}

std::string renderOutputScript(const ScriptProperties& properties,
                               const std::vector<std::string>& body) {
    std::string out;
    appendScriptHeader(properties, out);
    std::size_t size = out.size();
    for (const std::string& line : body) {
        size += line.size() + kLineEnd.size();
    }
    out.reserve(size);
    for (const std::string& line : body) {
        out.append(line).append(kLineEnd);
    }
    return out;
}

void writeOutputScript(const std::string& path, const ScriptProperties& properties,
                       const std::vector<std::string>& body, IfTargetExists ifExists) {
    AtomicFileWriter file(path, ifExists);
    std::string header;
    appendScriptHeader(properties, header);
    file.write(header);
    for (const std::string& line : body) {
        file.write(line);
        file.write(kLineEnd);
    }
    file.commit();
}

}  // namespace quillshift
