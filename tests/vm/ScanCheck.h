#pragma once

#include "PortLibrary.h"
#include "ProgramState.h"

#include <QStringList>

#include <memory>

namespace tarvik {

// One press of a SCAN button through the given port library on the given
// port (parportN), as the window runs it: what the capture left in the buffers and the view, the
// messages it showed, whether it set the progress bar or redrew, and how long it took.
struct ScanResult {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    QStringList messages;
    bool progressSet = false;
    bool redrawn = false;
    double seconds = 0.0;
};
ScanResult scan(const PortLibraryFile& file, const QString& port);

// Whether the scan captured what QEMU's emulated printer port answers in
// every sample; prints one line, "PASS <check>: ..." with the time per sample
// or "FAIL <check>: ...".
bool checkCapture(const PortLibraryFile& file, const QString& port, const char* check);

// Whether the scan was turned away within a second with one message that
// says every one of the texts, and changed nothing; prints one line, "PASS
// <check>: <seconds> s: <message>" or "FAIL ...".
bool checkRefused(const PortLibraryFile& file, const QString& port, const char* check,
                  const QStringList& texts);

// Prints "PASS <check>: <detail>" or "FAIL <check>: <detail>"; returns passed.
bool report(bool passed, const char* check, const QString& detail);

} // namespace tarvik
