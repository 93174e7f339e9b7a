#pragma once

#include "ProgramState.h"

namespace tarvik {

// The four view moves. Each keeps zoomFactor within 1/512 ... 64 and viewStart
// within the limits that apply to its own direction; the caller redraws after
// every one of them, also when nothing moved.
void ZoomIn(ProgramState& state);
void ZoomOut(ProgramState& state);
void PreviousPage(ProgramState& state);
void NextPage(ProgramState& state);

// Highest viewStart at which the last drawn sample is still within the capture.
float ViewStartLimit(float zoomFactor);

} // namespace tarvik
