#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

class QIODevice;
class QSaveFile;

namespace tarvik {

// How openForWriting left the file.
enum class WriteMode {
    // The name stands for something other than a regular file: nothing was
    // opened and nothing changes.
    NotARegularFile,
    // The file could not be opened; its errorString() says why.
    Failed,
    // A new file is written beside the old one and replaces it on commit(),
    // so that a failure leaves the old file as it was.
    Replacing,
    // The folder takes no new files, so the existing file is written in
    // place: a failure part-way leaves it incomplete.
    InPlace,
};

// Opens the file for writing by its name, a link followed to what it names.
// Only a regular file, or a name that is free, is ever written or replaced: a
// named pipe would hold the window until a reader came, and a device, a
// socket or a folder must never be swapped for a file. Where the folder is
// closed to new files but the file itself is open to writing, it is written
// in place.
WriteMode openForWriting(QSaveFile& file);

inline bool isOpen(WriteMode mode) {
    return mode == WriteMode::Replacing || mode == WriteMode::InPlace;
}

// Writes every one of the bytes: false as soon as the device takes no more.
bool writeAll(QIODevice& device, const char* bytes, qint64 size);

// What went wrong with a write to the device, as a clause: the device's own
// words, except that a full disk (or a full quota) is said to be full in
// plain words, with the advice to free room, rather than in the system's
// "No space left on device".
QString writeFailureText(const QIODevice& device);

// That the disk is full, as a clause with what to do; with how much room the
// capture needs when that is known (bytesNeeded > 0).
QString diskFullText(qint64 bytesNeeded);

// A number of bytes as a person reads it: "4.1 MB", "289 kB", "12 bytes".
QString byteSizeText(qint64 bytes);

// Ends a write to a file that openForWriting opened, `written` saying whether
// every byte was taken. Returns an empty text once the whole file stands under
// its name, and otherwise why not. A new file that failed is thrown away and
// the old one kept; a file written in place is closed with what reached it,
// never removed.
QString finishWriting(QSaveFile& file, WriteMode mode, bool written);

// Writes the bytes to a file that openForWriting opened and finishes it.
QString writeWhole(QSaveFile& file, WriteMode mode, QByteArrayView bytes);

} // namespace tarvik
