#include "CliOptions.h"
#include "CliReport.h"
#include "CliRuns.h"
#include "Interruption.h"
#include "Privileges.h"

#include <QFile>
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
    QStringList undecodable;
    for (int i = 0; i < argc; ++i) {
        arguments << QFile::decodeName(argv[i]);
        if (QFile::encodeName(arguments.last()) != argv[i])
            undecodable << arguments.last();
    }
    const tarvik::ParsedCommandLine parsed = tarvik::parseCommandLine(arguments);
    if (!parsed.options) {
        std::fputs(qUtf8Printable(parsed.text), parsed.exitStatus == 0 ? stdout : stderr);
        return parsed.exitStatus;
    }
    // Qt turns bytes that are no UTF-8 into a stand-in character, so such a
    // name would be read or written as another file.
    for (const QString& name : {parsed.options->inputFile, parsed.options->outputFile}) {
        for (const QString& argument : undecodable)
            if (!name.isEmpty() && argument.contains(name))
                return tarvik::fail(
                    QStringLiteral("the file name %1 is not UTF-8, which this program cannot "
                                   "keep byte for byte; rename the file or name another.")
                        .arg(name));
    }
    tarvik::catchInterruptions();
    return parsed.options->scan ? tarvik::runScan(*parsed.options)
                                : tarvik::runFile(*parsed.options);
}
