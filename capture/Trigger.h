#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace tarvik {

// Conditions on the lines that must all hold at one sample for a capture to
// start storing, in sigrok-cli's syntax: "S6=f,D0=1". Per line: 0 or 1 (its
// level), r (rising: 0 in the sample before, 1 in this one), f (falling) or
// e (either edge). Samples are compared as 16-bit units (Channels.h).
class Trigger {
  public:
    // Nothing and a sentence saying why, for text that names no line or no
    // condition; an empty text is no trigger.
    static std::optional<Trigger> parse(const QString& text, QString* whyNot);

    bool isEmpty() const { return text_.isEmpty(); }
    // Whether the conditions need a sample before the current one.
    bool needsEdge() const { return (rising_ | falling_ | either_) != 0; }
    bool holds(std::uint16_t before, std::uint16_t now) const {
        return (now & levelMask_) == levelValue_ && (~before & now & rising_) == rising_ &&
               (before & ~now & falling_) == falling_ && ((before ^ now) & either_) == either_;
    }
    // The bits (in a 16-bit unit) of the lines it has conditions on.
    std::uint16_t lines() const { return levelMask_ | rising_ | falling_ | either_; }
    // The conditions as written, for the file's notes and the summary.
    const QString& text() const { return text_; }

  private:
    QString text_;
    std::uint16_t levelMask_ = 0;
    std::uint16_t levelValue_ = 0;
    std::uint16_t rising_ = 0;
    std::uint16_t falling_ = 0;
    std::uint16_t either_ = 0;
};

} // namespace tarvik
