#include "SettingsFields.h"

#include <QIODevice>

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isSeparator(char c) {
    return c == ',' || isLineEnd(c);
}

} // namespace

std::optional<QByteArray> SettingsFieldReader::next() {
    char c = 0;
    do {
        if (!file_.getChar(&c))
            return std::nullopt;
    } while (c == ' ' || isLineEnd(c));

    QByteArray field;
    if (c == '"') {
        while (file_.getChar(&c) && c != '"')
            field += c;
        skipPastSeparator();
        return field;
    }
    do {
        if (isSeparator(c))
            return field;
        if (c == '"') {
            skipPastSeparator();
            return field;
        }
        field += c;
    } while (file_.getChar(&c));
    return field;
}

void SettingsFieldReader::skipPastSeparator() {
    char c = 0;
    while (file_.getChar(&c) && !isSeparator(c)) {
    }
}
