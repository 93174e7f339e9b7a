#include "CaptureTransfer.h"

#include "WritableFile.h"

#include <QIODevice>

#include <algorithm>
#include <array>

namespace tarvik {

namespace {

// Pairs moved between the file and the buffers before the progress bar is
// given their values. A save hands each block to the device at once: going
// through QIODevice a byte at a time would cost a call per byte, and a block
// this size stays on the stack.
constexpr std::int32_t SamplesPerProgressStep = 16 * 1024;
static_assert(SampleCount % SamplesPerProgressStep == 0);

void startProgress(ProgressBar& progress) {
    progress.setMax(static_cast<float>(SampleCount));
    progress.setMin(1.0F);
    progress.setValue(1.0F);
}

} // namespace

bool ReadCapture(QIODevice& device, CaptureImage& scratch, ProgramState& state,
                 ProgressBar& progress) {
    auto* bytes = reinterpret_cast<char*>(scratch.data());
    qint64 filled = 0;
    while (filled < CaptureFileSize) {
        const qint64 got = device.read(bytes + filled, CaptureFileSize - filled);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        filled += got;
    }
    std::fill(scratch.begin() + filled, scratch.end(), std::uint8_t{0});

    startProgress(progress);
    const std::uint8_t* pairs = scratch.data();
    for (std::int32_t first = 1; first <= SampleCount; first += SamplesPerProgressStep) {
        splitLgcPairs(pairs, SamplesPerProgressStep, state.statusSamples.data() + first,
                      state.dataSamples.data() + first);
        pairs += SamplesPerProgressStep * BytesPerSample;
        progress.setValues(first, first + SamplesPerProgressStep - 1);
    }
    return true;
}

bool WriteCapture(const ProgramState& state, QIODevice& device, ProgressBar& progress) {
    startProgress(progress);
    std::array<std::uint8_t, SamplesPerProgressStep * BytesPerSample> block;
    for (std::int32_t first = 1; first <= SampleCount; first += SamplesPerProgressStep) {
        joinLgcPairs(state.statusSamples.data() + first, state.dataSamples.data() + first,
                     SamplesPerProgressStep, block.data());
        progress.setValues(first, first + SamplesPerProgressStep - 1);
        if (!writeAll(device, reinterpret_cast<const char*>(block.data()), qint64(block.size())))
            return false;
    }
    return true;
}

} // namespace tarvik
