#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace tarvik {

// Number of samples in a capture; every loop over samples runs over 1 ... SampleCount.
inline constexpr std::int32_t SampleCount = 2'048'000;

// One sample channel: indices 0 ... SampleCount, index 0 never used. The bytes
// live in one allocation made when the state is created and kept for the run.
class SampleBuffer {
  public:
    SampleBuffer() : bytes_(std::make_unique<std::uint8_t[]>(SampleCount + 1)) {}

    std::uint8_t& operator[](std::int32_t i) { return bytes_[i]; }
    std::uint8_t operator[](std::int32_t i) const { return bytes_[i]; }
    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }

  private:
    std::unique_ptr<std::uint8_t[]> bytes_;
};

// The state every command shares. main() creates exactly one and hands it to
// the window, which passes it on to the commands.
struct ProgramState {
    SampleBuffer statusSamples;
    SampleBuffer dataSamples;
    float zoomFactor = 0.0F; // samples per horizontal unit of the trace area
    float viewStart = 0.0F;  // sample index drawn at the left edge
    QString appDir;          // directory current at start-up; holds the settings file
    QString settingsHeader;  // first field of the settings file, kept unchanged
};

// Fills both buffers with 255, 255, 0, 0 repeating from index 1.
void FillTestPattern(ProgramState& state);

// The view at start-up: zoom 1/16 from sample 1.
void ResetView(ProgramState& state);

} // namespace tarvik
