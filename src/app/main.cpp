#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <string_view>

#include "generated/Version.h"
#include "ui/TApplication.h"
#include "ui/TMainForm.h"

namespace {

/// The exit status of a command line the program does not understand, as quillshift-convert's.
constexpr int kUsageError = 2;

void defineCommandLine(QCommandLineParser& parser) {
    QCoreApplication::setApplicationName(QStringLiteral("Quillshift for RVLT"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(
        quillshift::kVersion.data(), static_cast<qsizetype>(quillshift::kVersion.size())));
    parser.setApplicationDescription(
        QStringLiteral("Converts Reelvault 3.4.x importation scripts to the 3.5.0 format in a "
                       "window.\nA script beginning with '-' is opened as: quillshift -- SCRIPT"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("script"),
                                 QStringLiteral("The script to open at start-up (.ifs)."),
                                 QStringLiteral("[script]"));
}

/// Help and version are answered before the window's application exists, so that they need no
/// display. (--help-all is not: Qt's own options are known only to the window's application.)
bool asksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return false;
        }
        if (argument == "-h" || argument == "--help" || argument == "-?" || argument == "-v" ||
            argument == "--version") {
            return true;
        }
    }
    return false;
}

/// Parses `arguments` (the program's name first). Prints help or the version and ends the program
/// when asked to; returns false after telling on standard error what is wrong with them.
bool parseCommandLine(QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "quillshift: %s\nTry 'quillshift --help' for more information.\n",
                     qPrintable(parser.errorText()));
        return false;
    }
    parser.process(arguments);  // ends the program after --help or --version
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCommandLineParser parser;
    defineCommandLine(parser);
    if (asksOnlyForText(argc, argv)) {
        const QCoreApplication application(argc, argv);
        return parseCommandLine(parser, QCoreApplication::arguments()) ? 0 : kUsageError;
    }
    // The application takes Qt's own options, such as -style, out of the arguments first.
    TApplication application(argc, argv);
    TApplication::setDesktopFileName(QStringLiteral("org.reelvault.Quillshift"));
    if (!parseCommandLine(parser, TApplication::arguments())) {
        return kUsageError;
    }
    TMainForm mainForm;
    application.setErrorGuard(&mainForm.errorGuard());
    mainForm.show();
    mainForm.openStartupArguments(parser.positionalArguments());
    return TApplication::exec();
}
