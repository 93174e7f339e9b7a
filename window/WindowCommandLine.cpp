#include "WindowCommandLine.h"

#include "ExitStatus.h"
#include "PortOption.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarvik {

namespace {

// The options that Qt 6 takes out of the arguments as its own, "--name" as
// well as "-name": those of its core, GUI and widget parts and of its X11
// platform, which alone takes the last four and -geometry, -icon and -title.
constexpr std::array QtOptionsWithValue{"platform",        "platformpluginpath",
                                        "platformtheme",   "plugin",
                                        "qwindowgeometry", "geometry",
                                        "qwindowicon",     "icon",
                                        "qwindowtitle",    "title",
                                        "session",         "style",
                                        "stylesheet",      "qmljsdebugger",
                                        "display",         "name",
                                        "visual"};
// Of those, the ones that also take "-name=VALUE".
constexpr std::array QtOptionsJoined{"style", "stylesheet", "qmljsdebugger"};
constexpr std::array QtFlags{"reverse", "testability", "widgetcount", "qdevel",
                             "qdebug",  "dograb",      "nograb"};

template <std::size_t N> bool among(const std::array<const char*, N>& names, QStringView word) {
    return std::any_of(names.begin(), names.end(),
                       [word](const char* name) { return word == QLatin1String(name); });
}

// Whether Qt takes the word after the dashes without the next argument.
bool qtTakesAlone(QStringView word) {
    const qsizetype equals = word.indexOf(u'=');
    return among(QtFlags, word) || (equals > 0 && among(QtOptionsJoined, word.first(equals)));
}

// The arguments less those that Qt would take as its own on some platform, so
// that whatever is left is the program's before Qt has looked at them; a value
// follows its option as Qt takes it, whatever it looks like.
QStringList withoutQtOptions(const QStringList& arguments) {
    QStringList rest = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QStringView word = QStringView(argument).mid(argument.startsWith(u"--") ? 2 : 1);
        if (!argument.startsWith(u'-'))
            rest << argument;
        else if (among(QtOptionsWithValue, word))
            ++i;
        else if (!qtTakesAlone(word))
            rest << argument;
    }
    return rest;
}

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
    // Whatever Qt may not take is answered here, where no display is needed
    // yet: Qt ends the program when it finds none.
    if (const auto status = checkRest(withoutQtOptions(QCoreApplication::arguments())))
        return status;
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
