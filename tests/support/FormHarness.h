#pragma once

#include "FakePort.h"
#include "Form1.h"
#include "ProgramState.h"
#include "ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The real main window with scripted dialogs and ports, started in a fresh
// temporary directory so that its settings file never touches a real one.
struct FormHarness {
    QTemporaryDir dir;
    bool inDir = QDir::setCurrent(dir.path());
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ScriptedDialogs dialogs;
    FakePort win95io;
    FakePort inpout32;
    Form1 form{*state, dialogs, win95io, inpout32};

    template <typename T = QWidget> T* control(const char* name) const {
        auto* found = form.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    void click(const char* name) const { QTest::mouseClick(control(name), Qt::LeftButton); }
};
