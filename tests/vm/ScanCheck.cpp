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

// The view a scan starts from, as the program starts.
constexpr float ZoomFactor = 1.0F / 16.0F;
constexpr float ViewStart = 1.0F;

class ProgressBarTouched final : public ProgressBar {
  public:
    explicit ProgressBarTouched(bool& touched) : touched_(touched) {}
    void setMax(float) override { touched_ = true; }
    void setMin(float) override { touched_ = true; }
    void setValue(float) override { touched_ = true; }

  private:
    bool& touched_;
};

// Whether the scan was turned away with one message and nothing changed.
bool unchanged(const ScanResult& result) {
    const ProgramState& state = *result.state;
    for (std::int32_t i = 0; i <= SampleCount; ++i) {
        if (state.statusSamples[i] != 0 || state.dataSamples[i] != 0)
            return false;
    }
    return state.zoomFactor == ZoomFactor && state.viewStart == ViewStart &&
           result.messages.size() == 1 && !result.progressSet && !result.redrawn;
}

} // namespace

ScanResult scan(const PortLibraryFile& file, const QString& port) {
    ScanResult result;
    ScriptedDialogs dialogs;
    CommonDialog dialog(dialogs);
    ProgressBarTouched progress(result.progressSet);
    result.state->zoomFactor = ZoomFactor;
    result.state->viewStart = ViewStart;
    ScanCommand command(*result.state, dialog, progress, [&result] { result.redrawn = true; });
    PortLibrary library(file, port);
    const auto start = std::chrono::steady_clock::now();
    command.scan(library, QStringLiteral("SCAN"));
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

bool checkCapture(const PortLibraryFile& file, const QString& port, const char* check) {
    const ScanResult result = scan(file, port);
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

bool checkRefused(const PortLibraryFile& file, const QString& port, const char* check,
                  const QStringList& texts) {
    const ScanResult result = scan(file, port);
    bool passed = unchanged(result) && result.seconds < 1.0;
    for (const QString& text : texts)
        passed = passed && result.messages.first().contains(text);
    return report(passed, check,
                  QStringLiteral("%1 s: %2")
                      .arg(result.seconds, 0, 'f', 3)
                      .arg(result.messages.join(QLatin1Char('\n'))));
}

} // namespace tarvik
