#include <gtest/gtest.h>

#include "base/FileError.h"
#include "conversion/ScriptWriter.h"
#include "support/ErrorText.h"
#include "support/SystemTexts.h"
#include "support/TempDir.h"

namespace quillshift {
namespace {

using Lines = std::vector<std::string>;

const std::string kLicence =
    "License=This program is free software; you can redistribute it and/or modify it under the  "
    "terms of the GNU General Public License as published by the Free Software Foundation;  "
    "either version 2 of the License, or (at your option) any later version. |";

const std::string kClearedScript =
    "(***************************************************\r\n"
    "\r\n"
    "Reelvault importation script\r\n"
    "www.reelvault.org/scripts/\r\n"
    "\r\n"
    "[Infos]\r\n"
    "Authors=\r\n"
    "Title=\r\n"
    "Description=\r\n"
    "Site=\r\n"
    "Language=?\r\n"
    "Version=\r\n"
    "Requires=3.5.0 BETA-2\r\n"
    "Comments=\r\n" +
    kLicence +
    "\r\n"
    "GetInfo=1\r\n"
    "\r\n"
    "[Options]\r\n"
    "\r\n"
    "***************************************************)\r\n"
    "\r\n";

// The header's lines as the writer writes them.
Lines headerLines(const ScriptProperties& properties) {
    const std::string bytes = renderOutputScript(properties, {});
    Lines lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find(kLineEnd, at);
        lines.push_back(bytes.substr(at, end - at));
        at = end + kLineEnd.size();
    }
    return lines;
}

TEST(ScriptWriter, ClearedRecordWithEmptyBodyGivesTheBareHeader) {
    EXPECT_EQ(renderOutputScript(ScriptProperties{}, {}), kClearedScript);
    EXPECT_EQ(kLicence.size(), 251U);
    EXPECT_EQ(headerLines(ScriptProperties{}).size(), kScriptHeaderLineCount);
}

TEST(ScriptWriter, TrimsTextFieldsButNotTheLanguageCode) {
    ScriptProperties p;
    p.authors = " (c) me\t";
    p.title = "\x01Title ";
    p.description = "  d  ";
    p.site = "http://site.example/ ";
    p.language = 4;
    p.version = " 1.2 ";
    const Lines header = headerLines(p);
    EXPECT_EQ(Lines(header.begin() + 6, header.begin() + 12),
              (Lines{"Authors=(c) me", "Title=Title", "Description=d", "Site=http://site.example/",
                     "Language=EN,FR", "Version=1.2"}));
}

TEST(ScriptWriter, JoinsCommentsWithALeadingBlankEach) {
    const std::pair<Lines, std::string> cases[] = {
        {{}, ""},
        {{"first", "second"}, " first second"},
        {{"  padded  ", "", "x"}, " padded  x"},
        {{""}, " "},
    };
    for (const auto& [comments, joined] : cases) {
        EXPECT_EQ(joinComments(comments), joined);
        ScriptProperties p;
        p.comments = comments;
        EXPECT_EQ(headerLines(p)[13], "Comments=" + joined);
    }
}

TEST(ScriptWriter, AppendsTheBodyUnchangedWithCrLfEach) {
    const Lines body{"program X;", "  trailing  ", "", "\xE9\x80"};
    EXPECT_EQ(renderOutputScript(ScriptProperties{}, body),
              kClearedScript + "program X;\r\n  trailing  \r\n\r\n\xE9\x80\r\n");
}

TEST(ScriptWriter, WritesTheRenderedBytesToTheFile) {
    testing::TempDir dir;
    ScriptProperties p;
    p.title = "T";
    p.comments = {"c"};
    const Lines body(3000, std::string(500, 'x'));  // larger than the write buffer
    writeOutputScript(dir.file("out.ifs"), p, body, IfTargetExists::Fail);
    EXPECT_EQ(testing::readBytes(dir.file("out.ifs")), renderOutputScript(p, body));
}

TEST(ScriptWriter, FailureNamesTheFileAndLeavesNothing) {
    testing::TempDir dir;
    const std::string path = dir.file("missing/out.ifs");
    EXPECT_EQ(testing::errorText([&] { writeOutputScript(path, {}, {"x"}, IfTargetExists::Fail); }),
              "Cannot create file \"" + path + "\". " + testing::kMissingFolder);
    EXPECT_EQ(testing::listFolder(dir.path()), "");
}

}  // namespace
}  // namespace quillshift
