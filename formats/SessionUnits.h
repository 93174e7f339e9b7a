#pragma once

#include "ChannelLayout.h"

#include <array>
#include <cstdint>

namespace tarvik {

// Turns status and data pairs into a session's units, each line on its
// layout's bit, and back, through tables: two look-ups a sample, so that a
// conversion costs next to nothing beside the compression.
class SessionUnits {
  public:
    // unitSize: at least layout.unitSize(); a session may hold wider units
    // than its lines need.
    SessionUnits(const ChannelLayout& layout, int unitSize);
    // As a session is written: the lines on bits 0, 1, ... in their order,
    // in units just long enough.
    static SessionUnits forWriting(const ChannelLayout& layout) {
        return SessionUnits(layout.packed(), layout.packed().unitSize());
    }

    int unitSize() const { return unitSize_; }
    // Packs samples pairs in place into units, front to back (a unit is never
    // longer than a pair); returns the bytes the units take.
    std::int64_t pack(std::uint8_t* bytes, std::int64_t samples) const;
    // Unpacks samples units in place into pairs, back to front (a pair may be
    // longer than a unit); the lines the layout lacks read 0.
    void unpack(std::uint8_t* bytes, std::int64_t samples) const;

  private:
    int unitSize_;
    // Indexed by a status, a data byte: their lines' bits in a unit.
    std::array<std::uint16_t, 256> fromStatus_{};
    std::array<std::uint16_t, 256> fromData_{};
    // Indexed by a unit's first, second byte: their lines as a sample unit
    // (status low, data high).
    std::array<std::uint16_t, 256> fromLow_{};
    std::array<std::uint16_t, 256> fromHigh_{};
};

} // namespace tarvik
