#include "DisplayPlatform.h"
#include "Form1.h"
#include "PortLibrary.h"
#include "ProgramState.h"
#include "QtDialogs.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char* argv[]) {
    if (const QByteArray platform = preferredPlatform(QProcessEnvironment::systemEnvironment());
        !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);

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
