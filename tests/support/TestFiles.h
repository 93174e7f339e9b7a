#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <initializer_list>

namespace tarvik {

// Each byte its offset modulo 256.
inline QByteArray countingBytes(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 k = 0; k < size; ++k)
        bytes[k] = static_cast<char>(k & 0xFF);
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Text lines, each ended by CR LF as the settings file ends them.
inline QByteArray crlfLines(std::initializer_list<const char*> lines) {
    QByteArray text;
    for (const char* line : lines)
        text += QByteArray(line) + "\r\n";
    return text;
}

} // namespace tarvik
