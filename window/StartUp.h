#pragma once

#include "ProgramState.h"

namespace tarvik {

// The settings file as start-up and shutdown use it.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Takes the run's appDir and applies the file to the window and to
    // settingsHeader; a missing or damaged file is dealt with quietly.
    virtual void load(ProgramState& state) = 0;
    virtual void save(const ProgramState& state) = 0;
};

// The main window's load event, run before the window is first shown: the
// settings file, then the start-up view and the test pattern. Nothing is
// drawn; the trace area stays blank until the first command that redraws.
void StartUp(ProgramState& state, SettingsStore& settings);

// The main window's unload event: the settings file is written. Closing always
// goes ahead, and a capture that was not saved is gone.
void ShutDown(const ProgramState& state, SettingsStore& settings);

} // namespace tarvik
