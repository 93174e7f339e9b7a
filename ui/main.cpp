#include "Form1.h"
#include "PortLibrary.h"
#include "ProgramState.h"
#include "QtDialogs.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char* argv[]) {
    // A window cannot place itself on Wayland; run through XWayland where it
    // is there, so that the remembered position holds.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    ProgramState state;
    QtDialogs dialogs;
    PortLibrary win95io(Win95IoLibrary);
    PortLibrary inpout32(Inpout32Library);
    Form1 window(state, dialogs, win95io, inpout32);
    dialogs.setParent(&window);
    window.show();
    return app.exec();
}
