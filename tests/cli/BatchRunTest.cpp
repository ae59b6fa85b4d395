// The batch converter run in this process, on string streams: what --help and --version print,
// and what depends on the streams themselves (colour on a terminal, a report that cannot be
// written).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <sstream>

#include "base/ProcessEnvironment.h"
#include "cli/BatchRun.h"
#include "cli/OptionTable.h"
#include "generated/Version.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace quillshift::cli {
namespace {

using quillshift::testing::readBytes;

struct Ran {
    int status;
    std::string out;
    std::string err;
};

// Runs the converter; with `outFails`, every write to standard output fails.
Ran run(const std::vector<std::string>& arguments, bool terminal = false, bool outFails = false) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    std::ostream failing(nullptr);
    ProgramStreams streams{in, outFails ? failing : out, err};
    if (terminal) {
        streams.outIsTerminal = true;  // and left at its default otherwise
    }
    const int status = runBatch(arguments, streams);
    return {status, out.str(), err.str()};
}

TEST(BatchRun, HelpFitsATerminalAndNamesEveryOptionAndWhereToReportBugs) {
    const Ran help = run({"-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79U) << line;
        EXPECT_TRUE(line.empty() || line.back() != ' ') << line;
    }
    EXPECT_EQ(help.out, readBytes(QUILLSHIFT_CLI_GOLDEN_DIR "/help.txt"));
    for (const OptionSpec& option : kOptionTable) {
        const std::string name = "--" + std::string(option.longName);
        const std::regex entry(option.shortName != '\0'
                                   ? std::string("\n  -") + option.shortName + ", " + name
                                   : "\n      " + name);
        EXPECT_TRUE(std::regex_search(help.out, entry)) << name;
    }
    // The addresses the AppStream data gives.
    const std::string metainfo =
        readBytes(QUILLSHIFT_SOURCE_DIR "/data/org.reelvault.Quillshift.metainfo.xml");
    std::smatch tracker;
    std::smatch home;
    ASSERT_TRUE(
        std::regex_search(metainfo, tracker, std::regex("<url type=\"bugtracker\">(.*)</url>")));
    ASSERT_TRUE(std::regex_search(metainfo, home, std::regex("<url type=\"homepage\">(.*)</url>")));
    EXPECT_TRUE(help.out.ends_with("\n\nReport bugs to: <" + tracker[1].str() +
                                   ">\nQuillshift home page: <" + home[1].str() + ">\n"))
        << help.out;
    EXPECT_EQ(run({"--he", "--frobnicate"}).status, 2) << "an error stands even with --help";
}

TEST(BatchRun, VersionGivesCopyrightAndLicence) {
    const Ran version = run({"--version", "ignored.ifs"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(
        version.out,
        "quillshift-convert " + std::string(kVersion) +
            "\nCopyright (C) 2026 The Quillshift team\n"
            "License GPLv2+: GNU GPL version 2 or later <https://gnu.org/licenses/gpl.html>.\n"
            "This is free software: you are free to change and redistribute it.\n"
            "There is NO WARRANTY, to the extent permitted by law.\n");
}

TEST(BatchRun, UsageErrorSaysWhatAndWhereToLook) {
    const Ran refused = run({"--frobnicate", "a.ifs", "b.ifs"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err,
              "quillshift-convert: unknown option --frobnicate\n"
              "Try 'quillshift-convert --help' for more information.\n");
}

TEST(BatchRun, HelpThatCannotBeWrittenFails) {
    for (const char* option : {"--help", "--version"}) {
        const Ran lost = run({option}, false, true);
        EXPECT_EQ(lost.status, 1) << option;
        EXPECT_EQ(lost.err.rfind("quillshift-convert: cannot write to standard output: ", 0), 0U)
            << option;
    }
}

// Standard output, and standard error when it carries the report, must not be an input: the run
// is refused before anything is written. Standard error that only has failures and warnings is
// let be.
TEST(BatchRun, RefusesAStandardStreamThatIsAnInput) {
    const quillshift::testing::TempDir dir;
    const std::string script = dir.file("a.ifs");
    quillshift::testing::writeBytes(script, "program A;\r\nbegin\r\nend.\r\n");
    const int descriptor = ::open(script.c_str(), O_RDONLY);
    ASSERT_GE(descriptor, 0);
    struct Row {
        std::vector<std::string> arguments;
        bool outIsInput;
        bool refused;
    };
    const Row rows[] = {
        {{script, "-"}, true, true},
        {{script, "-"}, false, true},
        {{"-n", "-q", script, dir.file("b.ifs")}, true, true},
        {{"-n", "-q", script, dir.file("b.ifs")}, false, false},
    };
    for (const Row& row : rows) {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        ProgramStreams streams{in, out, err};
        (row.outIsInput ? streams.outDescriptor : streams.errDescriptor) = descriptor;
        const int status = runBatch(row.arguments, streams);
        const std::string refusal =
            "quillshift-convert: " + script + ": input file is output file\n";
        EXPECT_EQ(status, row.refused ? 1 : 0) << row.outIsInput << " " << err.str();
        EXPECT_EQ(err.str() == refusal, row.refused) << row.outIsInput << " " << err.str();
    }
    ::close(descriptor);
}

// The diff is coloured on a terminal unless NO_COLOR is set (to anything but nothing), or when
// asked.
TEST(BatchRun, ColoursTheDiffOnlyWhereItShould) {
    const quillshift::testing::TempDir dir;
    const std::string script = dir.file("a.ifs");
    quillshift::testing::writeBytes(script, "program A;\r\nbegin\r\n  DisplayResults;\r\nend.\r\n");
    struct Row {
        std::vector<std::string> options;
        bool terminal;
        const char* noColor;
        bool coloured;
    };
    const Row rows[] = {
        {{}, true, nullptr, true},
        {{}, true, "", true},
        {{}, true, "1", false},
        {{}, false, nullptr, false},
        {{"--color=auto"}, true, nullptr, true},
        {{"--color"}, false, "1", true},
        {{"--color=never"}, true, nullptr, false},
    };
    for (const Row& row : rows) {
        if (row.noColor) {
            ::setenv("NO_COLOR", row.noColor, 1);
        } else {
            ::unsetenv("NO_COLOR");
        }
        std::vector<std::string> arguments{"--diff", "-q"};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        arguments.push_back(script);
        const Ran diff = run(arguments, row.terminal);
        EXPECT_EQ(diff.status, 1);
        EXPECT_EQ(diff.out.find("\x1b[") != std::string::npos, row.coloured)
            << ::testing::PrintToString(row.options) << " " << row.terminal << " "
            << (row.noColor ? row.noColor : "unset");
    }
    ::unsetenv("NO_COLOR");
}

// What the program tells the run about its standard output: a terminal, or a file.
TEST(BatchRun, OnlyATerminalTakesColour) {
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal) | ::unlockpt(terminal), 0);
    const std::string terminalName = ::ptsname(terminal);
    const quillshift::testing::TempDir dir;
    for (const auto& [path, colour] : {std::pair{terminalName, true}, {dir.file("out"), false}}) {
        EXPECT_TRUE(quillshift::testing::runInChild(
            [&path = path, colour = colour] {
                const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOCTTY, 0600);
                return fd >= 0 && ::dup2(fd, STDOUT_FILENO) >= 0 &&
                       process::standardOutputTakesColor() == colour;
            },
            false))
            << path;
    }
    ::close(terminal);
}

}  // namespace
}  // namespace quillshift::cli
