#pragma once

#include "ProgramState.h"
#include "SettingsWindow.h"
#include "StartUp.h"

#include <QString>

namespace tarvik {

// The settings file in a directory: the name is always joined with a
// separator, also to a directory that ends in one.
QString settingsFilePath(const QString& appDir);

// Takes currentDir as the run's appDir and applies the settings file there to
// the window and to settingsHeader. A missing or unreadable file, or one that
// is not a regular file (a named pipe, a device, a directory), places the
// window at the fallback position at once and is not reported.
void LoadSettings(ProgramState& state, SettingsWindow& window, const QString& currentDir);

// Writes the settings file in appDir from settingsHeader, the window position
// and the swatch colours. The new file replaces the old one only once it is
// complete, except in a folder closed to new files, where a file open to
// writing is written in place. A name that is no regular file (a named pipe,
// a device) is left as it is. When it cannot be written one warning names the
// file and the reason.
void SaveSettings(const ProgramState& state, const SettingsWindow& window);

// The settings file of a run started in currentDir, for the window's load and
// unload events.
class SettingsFile final : public SettingsStore {
  public:
    SettingsFile(SettingsWindow& window, QString currentDir)
        : window_(window), currentDir_(std::move(currentDir)) {}

    void load(ProgramState& state) override { LoadSettings(state, window_, currentDir_); }
    void save(const ProgramState& state) override { SaveSettings(state, window_); }

  private:
    SettingsWindow& window_;
    QString currentDir_;
};

} // namespace tarvik
