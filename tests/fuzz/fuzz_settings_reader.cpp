// Feeds arbitrary bytes to the settings reader as a settings file, then checks
// that what the program would write at exit reads back to the same values:
// the header, the position and the three colours, and the same file again.

#include "FakeSettingsWindow.h"
#include "SettingsContent.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tarvik {

namespace {

struct Loaded {
    QString header;
    FakeSettingsWindow window;
};

Loaded load(const QByteArray& content) {
    Loaded loaded;
    QBuffer file;
    file.setData(content);
    file.open(QIODevice::ReadOnly);
    loadSettingsFrom(file, loaded.header, loaded.window);
    return loaded;
}

bool sameValues(const Loaded& a, const Loaded& b) {
    return a.header == b.header && a.window.topTwips == b.window.topTwips &&
           a.window.leftTwips == b.window.leftTwips && a.window.colours == b.window.colours;
}

[[noreturn]] void mismatch(const char* what, const QByteArray& written) {
    std::fprintf(stderr, "settings round trip: %s\nwritten file:\n%s\n", what,
                 written.toPercentEncoding(" \"-.,").constData());
    std::abort();
}

} // namespace

// C linkage: libFuzzer finds the entry by its plain name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Loaded first =
        load(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const QByteArray written = settingsText(first.header, first.window);
    const Loaded second = load(written);
    if (!sameValues(first, second))
        mismatch("the written file reads back to other values", written);
    if (settingsText(second.header, second.window) != written)
        mismatch("the written file is written differently the second time", written);
    return 0;
}

} // namespace tarvik
