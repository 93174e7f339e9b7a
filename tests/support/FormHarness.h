#pragma once

#include "FakePort.h"
#include "Form1.h"
#include "ProgramState.h"
#include "ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace tarvik {

// The real main window with scripted dialogs and ports of the given kind,
// started in a fresh temporary directory so that its settings file never
// touches a real one. The directory that was current before is current again
// when the harness is gone.
template <typename Port> struct BasicFormHarness {
    QString previousDir = QDir::currentPath();
    QTemporaryDir dir;
    bool inDir = QDir::setCurrent(dir.path());
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ScriptedDialogs dialogs;
    Port win95io;
    Port inpout32;
    Form1 form{*state, dialogs, win95io, inpout32};

    BasicFormHarness() = default;
    // Ports made from what the upper and the lower "SCAN" button use.
    template <typename Source>
    BasicFormHarness(const Source& upper, const Source& lower) : win95io(upper), inpout32(lower) {}
    ~BasicFormHarness() { QDir::setCurrent(previousDir); }

    template <typename T = QWidget> T* control(const char* name) const {
        auto* found = form.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    void click(const char* name) const { QTest::mouseClick(control(name), Qt::LeftButton); }
};

using FormHarness = BasicFormHarness<FakePort>;

} // namespace tarvik
