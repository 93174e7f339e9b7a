#include "WindowCommandLine.h"

#include "ExitStatus.h"
#include "PortOption.h"

#include <QCoreApplication>

#include <cstdio>

namespace tarvik {

namespace {

int usageError(const QString& error) {
    std::fprintf(stderr, "tarvik: %s\nSee tarvik --help.\n", qPrintable(error));
    return ExitUsageError;
}

} // namespace

WindowCommandLine::WindowCommandLine()
    : help_({QStringLiteral("h"), QStringLiteral("help")},
            QStringLiteral("Shows this help and ends.")),
      version_({QStringLiteral("v"), QStringLiteral("version")},
               QStringLiteral("Shows the program's version and ends.")),
      port_(PortOption()),
      simulatedPort_(
          QStringLiteral("simulated-port"),
          QStringLiteral("Captures from the simulated port, whose libraries are "
                         "installed beside the real ones, rather than a printer port.")) {
    parser_.setApplicationDescription(QStringLiteral(
        "Logic analyser for the PC parallel (printer) port: each SCAN reads the port's status and "
        "data registers 2,048,000 times, and the window shows them as thirteen traces.\n\n"
        "Qt's own options are taken as well, among them -platform NAME, -display DISPLAY, "
        "-geometry WxH+X+Y, -style NAME and -reverse."));
    // Qt's options are single words after one dash, which must not be read
    // as clusters of one-letter options (-reverse as -v, say).
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOptions({help_, version_, port_, simulatedPort_});
}

std::optional<int> WindowCommandLine::readEarly(int& argc, char* argv[]) {
    // For the program's name in the help's usage line and in --version; gone
    // again before QApplication is created.
    const QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));
    // Qt's options are still among the arguments, unknown here: only an
    // error that names none is the user's.
    if (!parser_.parse(QCoreApplication::arguments()) && parser_.unknownOptionNames().isEmpty())
        return usageError(parser_.errorText());
    if (parser_.isSet(help_)) {
        std::fputs(qPrintable(parser_.helpText()), stdout);
        return 0;
    }
    if (parser_.isSet(version_)) {
        std::printf("tarvik %s\n", TARVIK_VERSION);
        return 0;
    }
    if (const QString error = PortOptionError(port()); !error.isEmpty())
        return usageError(error);
    return std::nullopt;
}

std::optional<int> WindowCommandLine::checkRest(const QStringList& arguments) {
    if (!parser_.parse(arguments))
        return usageError(parser_.errorText());
    if (const QStringList rest = parser_.positionalArguments(); !rest.isEmpty())
        return usageError(
            QStringLiteral("the window takes options only, not \"%1\".").arg(rest.first()));
    return std::nullopt;
}

} // namespace tarvik
