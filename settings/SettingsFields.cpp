#include "SettingsFields.h"

#include <QIODevice>

namespace tarvik {

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isSeparator(char c) {
    return c == ',' || isLineEnd(c);
}

} // namespace

bool SettingsFieldReader::getChar(char& c) {
    if (budget_ == 0) {
        overran_ = !file_.atEnd();
        return false;
    }
    --budget_;
    return file_.getChar(&c);
}

std::optional<QByteArray> SettingsFieldReader::next() {
    char c = 0;
    do {
        if (!getChar(c))
            return std::nullopt;
    } while (c == ' ' || isLineEnd(c));

    QByteArray field;
    if (c == '"') {
        while (getChar(c) && c != '"')
            field += c;
        skipPastSeparator();
    } else {
        do {
            if (isSeparator(c))
                break;
            if (c == '"') {
                skipPastSeparator();
                break;
            }
            field += c;
        } while (getChar(c));
    }
    if (overran_)
        return std::nullopt;
    return field;
}

void SettingsFieldReader::skipPastSeparator() {
    char c = 0;
    while (getChar(c) && !isSeparator(c)) {
    }
}

} // namespace tarvik
