#include "CliOptions.h"
#include "CliRuns.h"
#include "Interruption.h"
#include "Privileges.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    tarvik::DropCapabilities();
    // Only the port instructions need the launcher; it hands them on to this
    // program and nothing else.
    if (tarvik::asksForPortInstructions(argc, argv))
        tarvik::RestartThroughLauncher(argv, tarvik::LaunchedProgram::Cli);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvik-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION));

    const tarvik::ParsedCommandLine parsed = tarvik::parseCommandLine(app.arguments());
    if (!parsed.options) {
        std::fputs(qUtf8Printable(parsed.text), parsed.exitStatus == 0 ? stdout : stderr);
        return parsed.exitStatus;
    }
    tarvik::catchInterruptions();
    return parsed.options->scan ? tarvik::runScan(*parsed.options)
                                : tarvik::runFile(*parsed.options);
}
