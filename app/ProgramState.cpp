#include "ProgramState.h"

namespace tarvik {

void FillTestPattern(ProgramState& state) {
    for (std::int32_t base = 1; base <= SampleCount; base += 4) {
        for (std::int32_t k = 0; k < 2; ++k) {
            state.statusSamples[base + k] = 255;
            state.dataSamples[base + k] = 255;
        }
        for (std::int32_t k = 2; k < 4; ++k) {
            state.statusSamples[base + k] = 0;
            state.dataSamples[base + k] = 0;
        }
    }
}

void ResetView(ProgramState& state) {
    state.zoomFactor = 0.0625F;
    state.viewStart = 1.0F;
}

} // namespace tarvik
