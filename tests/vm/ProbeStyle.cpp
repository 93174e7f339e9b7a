// A style plugin that Qt loads into the program when QT_PLUGIN_PATH names its
// folder and QT_STYLE_OVERRIDE names "tarvikprobe": code any user could put
// into the window's process. It reports what that code would be allowed, then
// ends the process before the window opens.
//   TARVIK_PROBE          prefix of the check names it prints
//   TARVIK_PROBE_CAPTURE  when set, also captures through the upper SCAN's library
//   TARVIK_PROBE_REFUSED  when set, instead expects that library to refuse with a
//                         message saying each of these texts, separated by "|"
//   TARVIK_PROBE_PORT     the port both of these use (parportN); parport0 without it
//   TARVIK_PROBE_GRANTED  when set, also checks which printer-port registers the
//                         launcher opened: exactly the three from this base on
//                         (0x278, say), or none at all ("none"), among the
//                         addresses around 0x278 and 0x378

#include "Launcher.h"
#include "ScanCheck.h"

#include "ScopedSignalHandler.h"

#include <QStylePlugin>

#include <unistd.h>

#include <csetjmp>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

namespace tarvik {

namespace {

// The capability sets of this process, which must all be empty, and in a
// program the launcher started no_new_privs, which must be set: an
// administrator's capability on a program it runs must stay unused. For the
// report, as "CapInh 0000000000000000, CapPrm ..., NoNewPrivs 1".
bool privilegesDropped(std::string& sets) {
    std::ifstream status("/proc/self/status");
    bool dropped = true;
    int found = 0;
    for (std::string line; std::getline(status, line);) {
        for (const std::string name : {"CapInh", "CapPrm", "CapEff", "CapAmb", "NoNewPrivs"}) {
            if (line.starts_with(name + ':')) {
                const std::string value = line.substr(line.find_first_not_of(":\t ", name.size()));
                sets += (found++ ? ", " : "") + name + ' ' + value;
                if (name != "NoNewPrivs")
                    dropped = dropped && value.find_first_not_of('0') == std::string::npos;
                else if (std::getenv(TARVIK_LAUNCHED_MARKER))
                    dropped = dropped && value == "1";
            }
        }
    }
    return dropped && found == 5;
}

sigjmp_buf portFault;

void onPortFault(int) {
    siglongjmp(portFault, 1);
}

// Whether this process may use the I/O port: one read, under a handler for
// the fault it raises otherwise.
bool portOpen(unsigned short port) {
#if defined(__x86_64__) || defined(__i386__)
    const ScopedSignalHandler onFault(SIGSEGV, onPortFault);
    volatile bool open = false;
    if (sigsetjmp(portFault, 1) == 0) {
        inb(port);
        open = true;
    }
    return open;
#else
    (void)port;
    return false;
#endif
}

// Whether the open addresses around the two standard bases are exactly the
// three registers from base on (none at all for base 0).
bool checkGranted(unsigned base, const char* check) {
    QStringList open;
    bool exact = true;
    for (const unsigned standard : {0x278U, 0x378U}) {
        for (unsigned port = standard - 1; port <= standard + 3; ++port) {
            const bool expected = base != 0 && port >= base && port < base + 3;
            const bool isOpen = portOpen(static_cast<unsigned short>(port));
            exact = exact && isOpen == expected;
            if (isOpen)
                open << QStringLiteral("0x") + QString::number(port, 16).toUpper();
        }
    }
    return report(
        exact, check,
        QStringLiteral("open among 0x277-0x27B and 0x377-0x37B: %1")
            .arg(open.isEmpty() ? QStringLiteral("none") : open.join(QLatin1String(", "))));
}

} // namespace

class ProbeStyle final : public QStylePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "ProbeStyle.json")

  public:
    QStyle* create(const QString&) override {
        const char* probe = std::getenv("TARVIK_PROBE");
        const std::string prefix = probe ? probe : "probe";
        std::string sets;
        const bool dropped = privilegesDropped(sets);
        bool passed = report(dropped, (prefix + "-caps").c_str(), QString::fromStdString(sets));
        const char* chosen = std::getenv("TARVIK_PROBE_PORT");
        const QString port = QString::fromLocal8Bit(chosen ? chosen : TARVIK_DEFAULT_PORT);
        if (const char* granted = std::getenv("TARVIK_PROBE_GRANTED"))
            passed =
                checkGranted(std::strtoul(granted, nullptr, 16), (prefix + "-granted").c_str()) &&
                passed;
        if (std::getenv("TARVIK_PROBE_CAPTURE"))
            passed =
                checkCapture(Win95IoLibrary, port, (prefix + "-win95io-capture").c_str()) && passed;
        if (const char* texts = std::getenv("TARVIK_PROBE_REFUSED"))
            passed = checkRefused(Win95IoLibrary, port, (prefix + "-win95io-refused").c_str(),
                                  QString::fromLocal8Bit(texts).split(QLatin1Char('|'))) &&
                     passed;
        _exit(passed ? 0 : 1);
    }
};

} // namespace tarvik

#include "ProbeStyle.moc"
