#include "CliOptions.h"
#include "CliRuns.h"
#include "Interruption.h"
#include "Privileges.h"

#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    tarvik::DropCapabilities();
    // Only the port instructions need the launcher; it hands them on to this
    // program and nothing else.
    if (tarvik::asksForPortInstructions(argc, argv))
        tarvik::RestartThroughLauncher(argv, tarvik::LaunchedProgram::Cli);
    // No QCoreApplication: the command needs no event loop, and making one
    // would cost it a third of its start.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const tarvik::ParsedCommandLine parsed = tarvik::parseCommandLine(arguments);
    if (!parsed.options) {
        std::fputs(qUtf8Printable(parsed.text), parsed.exitStatus == 0 ? stdout : stderr);
        return parsed.exitStatus;
    }
    tarvik::catchInterruptions();
    return parsed.options->scan ? tarvik::runScan(*parsed.options)
                                : tarvik::runFile(*parsed.options);
}
