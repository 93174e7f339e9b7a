// A style plugin that Qt loads into the program when QT_PLUGIN_PATH names its
// folder and QT_STYLE_OVERRIDE names "tarvikprobe": code any user could put
// into the window's process. It reports what that code would be allowed, then
// ends the process before the window opens.
//   TARVIK_PROBE          prefix of the check names it prints
//   TARVIK_PROBE_CAPTURE  when set, also captures through the upper SCAN's library
//   TARVIK_PROBE_REFUSED  when set, instead expects that library to refuse with a
//                         message saying each of these texts, separated by "|"

#include "Launcher.h"
#include "ScanCheck.h"

#include <QStylePlugin>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

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
        if (std::getenv("TARVIK_PROBE_CAPTURE"))
            passed = checkCapture(Win95IoLibrary, (prefix + "-win95io-capture").c_str()) && passed;
        if (const char* texts = std::getenv("TARVIK_PROBE_REFUSED"))
            passed = checkRefused(Win95IoLibrary, (prefix + "-win95io-refused").c_str(),
                                  QString::fromLocal8Bit(texts).split(QLatin1Char('|'))) &&
                     passed;
        _exit(passed ? 0 : 1);
    }
};

} // namespace tarvik

#include "ProbeStyle.moc"
