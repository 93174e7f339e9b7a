#include "Settings.h"

#include "ReadableFile.h"
#include "SettingsContent.h"
#include "WritableFile.h"

#include <QFile>
#include <QSaveFile>
#include <QtGlobal>

namespace tarvik {

QString settingsFilePath(const QString& appDir) {
    return appDir + QStringLiteral("/Tarvik.INI");
}

void LoadSettings(ProgramState& state, SettingsWindow& window, const QString& currentDir) {
    state.appDir = currentDir;
    QFile file(settingsFilePath(state.appDir));
    openForReading(file, ReadableKinds::RegularFile);
    loadSettingsFrom(file, state.settingsHeader, window);
}

void SaveSettings(const ProgramState& state, const SettingsWindow& window) {
    const QByteArray text = settingsText(state.settingsHeader, window);
    QSaveFile file(settingsFilePath(state.appDir));
    const WriteMode mode = openForWriting(file);
    QString failure;
    if (mode == WriteMode::NotARegularFile)
        failure = QStringLiteral("not a regular file");
    else if (!isOpen(mode))
        failure = file.errorString();
    else
        failure = writeWhole(file, mode, text);
    if (!failure.isEmpty())
        qWarning("Tarvik: could not write the settings file %s: %s",
                 qUtf8Printable(file.fileName()), qUtf8Printable(failure));
}

} // namespace tarvik
