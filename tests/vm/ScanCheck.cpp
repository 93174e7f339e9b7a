#include "ScanCheck.h"

#include "ScanCommand.h"
#include "ScriptedDialogs.h"

#include <chrono>
#include <cstdio>

namespace tarvik {

namespace {

// QEMU's port with nothing plugged in: these status lines, and all data lines
// high once they are switched to input (low while the port still drives them).
constexpr std::uint8_t QemuStatus = 0xD8;
constexpr std::uint8_t QemuDataIn = 0xFF;

class NoProgressBar final : public ProgressBar {
  public:
    void setMax(float) override {}
    void setMin(float) override {}
    void setValue(float) override {}
};

} // namespace

ScanResult scan(const PortLibraryFile& file) {
    ScanResult result;
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    NoProgressBar progress;
    ScanCommand command(*result.state, dialog, progress, [&result] { result.redrawn = true; });
    PortLibrary port(file);
    const auto start = std::chrono::steady_clock::now();
    command.scan(port, QStringLiteral("SCAN"));
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.messages = dialogs.messages;
    return result;
}

bool report(bool passed, const char* check, const QString& detail) {
    std::printf("%s %s: %s\n", passed ? "PASS" : "FAIL", check, qPrintable(detail));
    std::fflush(stdout);
    return passed;
}

bool checkCapture(const PortLibraryFile& file, const char* check) {
    const ScanResult result = scan(file);
    if (!result.messages.isEmpty() || !result.redrawn)
        return report(false, check, result.messages.join(QLatin1Char('\n')));
    for (std::int32_t i = 1; i <= SampleCount; ++i) {
        const int status = result.state->statusSamples[i];
        const int data = result.state->dataSamples[i];
        if (status != QemuStatus || data != QemuDataIn)
            return report(false, check,
                          QStringLiteral("sample %1 reads status 0x%2, data 0x%3 "
                                         "(expected 0xD8 and 0xFF)")
                              .arg(i)
                              .arg(status, 2, 16, QLatin1Char('0'))
                              .arg(data, 2, 16, QLatin1Char('0')));
    }
    return report(true, check,
                  QStringLiteral("%1 samples of status 0xD8 and data 0xFF, %2 ns per sample "
                                 "(emulated)")
                      .arg(SampleCount)
                      .arg(result.seconds * 1e9 / SampleCount, 0, 'f', 0));
}

bool unchanged(const ScanResult& result) {
    for (std::int32_t i = 0; i <= SampleCount; ++i) {
        if (result.state->statusSamples[i] != 0 || result.state->dataSamples[i] != 0)
            return false;
    }
    return result.messages.size() == 1 && !result.redrawn;
}

} // namespace tarvik
