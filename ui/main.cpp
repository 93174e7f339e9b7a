#include "DisplayPlatform.h"
#include "Form1.h"
#include "PortLibrary.h"
#include "Privileges.h"
#include "ProgramState.h"
#include "QtDialogs.h"
#include "WindowCommandLine.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char* argv[]) {
    tarvik::DropCapabilities();
    tarvik::WindowCommandLine commandLine;
    if (const auto status = commandLine.readEarly(argc, argv))
        return *status;
    // The simulated port needs no port permission, and its libraries come
    // from their own folder.
    if (!commandLine.simulatedPort())
        tarvik::RestartThroughLauncher(argv, tarvik::LaunchedProgram::Window);
    if (const QByteArray platform =
            tarvik::preferredPlatform(QProcessEnvironment::systemEnvironment());
        !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);

    QApplication app(argc, argv);
    if (const auto status = commandLine.checkRest(QCoreApplication::arguments()))
        return *status;
    tarvik::ProgramState state;
    tarvik::QtDialogs dialogs;
    const QString folder = commandLine.simulatedPort() ? tarvik::SimulatedPortFolder() : QString();
    tarvik::PortLibrary win95io(tarvik::Win95IoLibrary, commandLine.port(), folder,
                                tarvik::scanButtonFor);
    tarvik::PortLibrary inpout32(tarvik::Inpout32Library, commandLine.port(), folder,
                                 tarvik::scanButtonFor);
    tarvik::Form1 window(state, dialogs, win95io, inpout32);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
