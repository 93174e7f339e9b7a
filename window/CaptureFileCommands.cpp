#include "CaptureFileCommands.h"

#include "CaptureTransfer.h"
#include "ReadableFile.h"
#include "WritableFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace tarvik {

namespace {

// The file types each dialog offers, the first one preselected. "Analizer" is
// how the save dialog has always spelt it.
constexpr char LoadFilter[] =
    "Analyzer Files(*.lgc)|*.lgc|Binary Files(*.bin)|*.bin|All Files (*.*)|*.*";
constexpr char SaveFilter[] = "Analizer Files(*.lgc)|*.lgc|All Files (*.*)|*.*";
constexpr int FirstFileType = 1;

} // namespace

CaptureFileCommands::CaptureFileCommands(ProgramState& state, CommonDialog& dialog,
                                         ProgressBar& progress, std::function<void()> previousPage)
    : state_(state), dialog_(dialog), progress_(progress), previousPage_(std::move(previousPage)) {}

void CaptureFileCommands::load() {
    if (!dialog_.ShowOpen(QString::fromLatin1(LoadFilter), FirstFileType))
        return;
    QFile file(dialog_.FileName);
    if (!openForReading(file, ReadableKinds::RegularFileOrDevice))
        return;
    if (!image_)
        image_ = std::make_unique<CaptureImage>();
    if (!ReadCapture(file, *image_, state_, progress_))
        return;
    file.close();
    previousPage_();
}

void CaptureFileCommands::save() {
    if (!dialog_.ShowSave(QString::fromLatin1(SaveFilter), FirstFileType))
        return;
    const QString name = dialog_.FileName;
    QSaveFile file(name);
    // A capture that silently failed to save would be lost when the program
    // ends, so every failure is reported, with what became of the file.
    const WriteMode mode = openForWriting(file);
    QString failure;
    QString outcome = QStringLiteral("Any earlier file of that name is unchanged.");
    if (mode == WriteMode::NotARegularFile) {
        failure = QStringLiteral("it is not a regular file");
        outcome = QStringLiteral("It is unchanged.");
    } else if (!isOpen(mode)) {
        failure = file.errorString();
    } else {
        failure = finishWriting(file, mode, WriteCapture(state_, file, progress_));
        if (!failure.isEmpty() && mode == WriteMode::InPlace)
            outcome = QStringLiteral("The file was being written in place and is incomplete.");
    }
    if (failure.isEmpty())
        return;
    dialog_.ShowMessage(QStringLiteral("Tarvik"),
                        QStringLiteral("The capture could not be saved to \"%1\": %2.\n\n%3")
                            .arg(QDir::toNativeSeparators(name), failure, outcome));
}

} // namespace tarvik
