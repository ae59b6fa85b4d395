#include "conversion/ScriptWriter.h"

#include "conversion/AtomicFileWriter.h"
#include "conversion/ReelvaultSites.h"
#include "conversion/TextOps.h"

namespace quillshift {

namespace {

constexpr std::string_view kOpeningFrame = "(***************************************************";
constexpr std::string_view kClosingFrame = "***************************************************)";
constexpr std::string_view kLicenceLine =
    "License=This program is free software; you can redistribute it and/or modify it under the  "
    "terms of the GNU General Public License as published by the Free Software Foundation;  "
    "either version 2 of the License, or (at your option) any later version. |";

std::string keyValue(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size());
    line.append(key).append(value);
    return line;
}

}  // namespace

std::string joinComments(const std::vector<std::string>& comments) {
    std::string joined;
    for (const std::string& comment : comments) {
        joined.append(" ").append(text::trimView(comment));
    }
    return joined;
}

std::vector<std::string> buildScriptHeader(const ScriptProperties& properties) {
    using text::trimView;
    return {
        std::string(kOpeningFrame),
        "",
        "Reelvault importation script",
        std::string(sites::kScriptsWebAddress),
        "",
        "[Infos]",
        keyValue("Authors=", trimView(properties.authors)),
        keyValue("Title=", trimView(properties.title)),
        keyValue("Description=", trimView(properties.description)),
        keyValue("Site=", trimView(properties.site)),
        keyValue("Language=", properties.languageCode()),
        keyValue("Version=", trimView(properties.version)),
        "Requires=3.5.0 BETA-2",
        keyValue("Comments=", joinComments(properties.comments)),
        std::string(kLicenceLine),
        "GetInfo=1",
        "",
        "[Options]",
        "",
        std::string(kClosingFrame),
        "",
    };
}

void appendScriptHeader(const ScriptProperties& properties, std::string& out) {
    for (const std::string& line : buildScriptHeader(properties)) {
        out.append(line).append(kLineEnd);
    }
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
                       const std::vector<std::string>& body) {
    AtomicFileWriter file(path);
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
