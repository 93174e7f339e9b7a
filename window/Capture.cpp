#include "Capture.h"

#include "SampleLoop.h"

namespace tarvik {

void CaptureSamples(ProgramState& state, PortDevice& port, ProgressBar& progress) {
    SwitchDataLinesIn(port);
    progress.setMax(static_cast<float>(SampleCount));
    progress.setMin(1.0F);
    progress.setValue(1.0F);
    ReadSamples(port, {state.statusSamples.data(), state.dataSamples.data(), 1}, 1, SampleCount,
                progress);
}

} // namespace tarvik
