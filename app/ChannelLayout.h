#pragma once

#include "Channels.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tarvik {

// One line of a capture as its files show it: which of the thirteen, the
// name it goes by, and the bit of a packed sample unit that holds it (bit 0
// of the unit's first byte is 0, as sigrok numbers a session's channels).
struct LayoutLine {
    int line; // index into Channels
    QString name;
    int bit;

    bool operator==(const LayoutLine&) const = default;
};

// Which lines a capture holds, in the order its files list them. Samples
// between capture and files stay status and data pairs; only a format that
// packs them (a sigrok session) uses the bits.
class ChannelLayout {
  public:
    // All thirteen lines under their own names, S7 first and D0 last, on
    // bits 0 ... 12.
    static ChannelLayout all();
    // The lines of sigrok-cli's -C text, in its order, each on the bit of its
    // place: "S7,S6,D0" or with new names "D0=RX,D1=TX". Nothing and a
    // sentence saying why for a line that is none, a line named twice or a
    // name sigrok would not take.
    static std::optional<ChannelLayout> parse(const QString& text, QString* whyNot);
    // Why sigrok's tools would not take the name for a channel: empty when
    // they would.
    static QString whyNotName(const QString& name);

    explicit ChannelLayout(std::vector<LayoutLine> lines = {}) : lines_(std::move(lines)) {}

    const std::vector<LayoutLine>& lines() const { return lines_; }
    // The same lines and names on bits 0, 1, 2 ... in their order.
    ChannelLayout packed() const;
    // Bytes of a unit that holds every bit: 1 for up to 8, 2 for more.
    int unitSize() const;
    // The lines' bits in a sample as a 16-bit unit (sampleUnit), whatever
    // bits they are packed on.
    std::uint16_t sampleBits() const;
    // The place of the line (index into Channels) in the layout; nothing
    // when the layout lacks it.
    std::optional<std::size_t> find(int line) const;

    bool operator==(const ChannelLayout&) const = default;

  private:
    std::vector<LayoutLine> lines_;
};

} // namespace tarvik
