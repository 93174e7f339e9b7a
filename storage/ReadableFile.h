#pragma once

class QFile;

namespace tarvik {

// The kinds of file a command reads. Settings come only from a regular file;
// a capture may also come from a device, such as the endless /dev/zero.
enum class ReadableKinds { RegularFile, RegularFileOrDevice };

// Opens the file by its name for reading when it is of one of the given kinds,
// so that no command ever waits for data: a named pipe without a writer, a
// socket or a terminal would otherwise hold the window. Other kinds, and
// directories, are refused before they are opened; a device that has nothing
// to give at once fails its read instead of waiting. The kind is checked again
// on what was opened, in case the name has changed in between.
bool openForReading(QFile& file, ReadableKinds kinds);

} // namespace tarvik
