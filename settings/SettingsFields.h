#pragma once

#include <QByteArray>

#include <optional>

class QIODevice;

namespace tarvik {

// Hands out the fields of a settings file one at a time. Blanks and line ends
// before a field are skipped. A field in double quotes runs to the closing
// quote and may hold commas and line ends; any other field runs to the next
// comma or line end. After a field, reading goes on past the comma or line
// end that closes it.
//
// A double quote inside an unquoted field ends its text there (the rest, up to
// the comma or line end, is passed over): the file has no way to write a quote
// inside a field, so a text holding one could not be written back as read.
//
// A real settings file is a few dozen bytes. One that runs on past
// MaxSettingsBytes (a huge file put there by mistake, say) is taken as ending
// there, before the field it was in, so that it cannot slow the start-up or
// fill the memory.
class SettingsFieldReader {
  public:
    static constexpr qint64 MaxSettingsBytes = 1 << 20;

    explicit SettingsFieldReader(QIODevice& file) : file_(file) {}

    // Nothing when the file ends before another field is complete.
    std::optional<QByteArray> next();

  private:
    bool getChar(char& c);
    void skipPastSeparator();

    QIODevice& file_;
    qint64 budget_ = MaxSettingsBytes;
    bool overran_ = false;
};

} // namespace tarvik
