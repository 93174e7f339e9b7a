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
constexpr std::int32_t PairsPerBlock = 16 * 1024;
static_assert(SampleCount % PairsPerBlock == 0);

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
    std::uint8_t* status = state.statusSamples.data();
    std::uint8_t* data = state.dataSamples.data();
    const std::uint8_t* pair = scratch.data();
    for (std::int32_t first = 1; first <= SampleCount; first += PairsPerBlock) {
        const std::int32_t last = first + PairsPerBlock - 1;
        for (std::int32_t i = first; i <= last; ++i, pair += 2) {
            status[i] = pair[0];
            data[i] = pair[1];
        }
        progress.setValues(first, last);
    }
    return true;
}

bool WriteCapture(const ProgramState& state, QIODevice& device, ProgressBar& progress) {
    startProgress(progress);
    const std::uint8_t* status = state.statusSamples.data();
    const std::uint8_t* data = state.dataSamples.data();
    std::array<char, 2 * PairsPerBlock> block;
    for (std::int32_t first = 1; first <= SampleCount; first += PairsPerBlock) {
        char* pair = block.data();
        const std::int32_t last = first + PairsPerBlock - 1;
        for (std::int32_t i = first; i <= last; ++i, pair += 2) {
            pair[0] = static_cast<char>(status[i]);
            pair[1] = static_cast<char>(data[i]);
        }
        progress.setValues(first, last);
        if (!writeAll(device, block.data(), qint64(block.size())))
            return false;
    }
    return true;
}

} // namespace tarvik
