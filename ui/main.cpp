#include "DisplayPlatform.h"
#include "Form1.h"
#include "PortLibrary.h"
#include "Privileges.h"
#include "ProgramState.h"
#include "QtDialogs.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char* argv[]) {
    tarvik::DropCapabilities();
    tarvik::RestartThroughLauncher(argv);
    if (const QByteArray platform =
            tarvik::preferredPlatform(QProcessEnvironment::systemEnvironment());
        !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);

    QApplication app(argc, argv);
    tarvik::ProgramState state;
    tarvik::QtDialogs dialogs;
    tarvik::PortLibrary win95io(tarvik::Win95IoLibrary);
    tarvik::PortLibrary inpout32(tarvik::Inpout32Library);
    tarvik::Form1 window(state, dialogs, win95io, inpout32);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
