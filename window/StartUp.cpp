#include "StartUp.h"

namespace tarvik {

void StartUp(ProgramState& state, SettingsStore& settings) {
    settings.load(state);
    ResetView(state);
    FillTestPattern(state);
}

void ShutDown(const ProgramState& state, SettingsStore& settings) {
    settings.save(state);
}

} // namespace tarvik
