#include "SessionUnits.h"

namespace tarvik {

SessionUnits::SessionUnits(const ChannelLayout& layout, int unitSize) : unitSize_(unitSize) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        for (const LayoutLine& line : layout.lines()) {
            const Channel& channel = Channels[static_cast<std::size_t>(line.line)];
            const auto unitBit = static_cast<std::uint16_t>(1U << line.bit);
            if (byte >> channel.bit & 1)
                (channel.byte == 0 ? fromStatus_ : fromData_)[byte] |= unitBit;
            if (byte >> (line.bit % 8) & 1)
                (line.bit < 8 ? fromLow_ : fromHigh_)[byte] |= channelBit(channel);
        }
    }
}

std::int64_t SessionUnits::pack(std::uint8_t* bytes, std::int64_t samples) const {
    if (unitSize_ == 1) {
        for (std::int64_t k = 0; k < samples; ++k)
            bytes[k] =
                static_cast<std::uint8_t>(fromStatus_[bytes[2 * k]] | fromData_[bytes[2 * k + 1]]);
        return samples;
    }
    for (std::int64_t k = 0; k < samples; ++k) {
        const std::uint16_t unit = fromStatus_[bytes[2 * k]] | fromData_[bytes[2 * k + 1]];
        bytes[2 * k] = static_cast<std::uint8_t>(unit & 0xFF);
        bytes[2 * k + 1] = static_cast<std::uint8_t>(unit >> 8);
    }
    return 2 * samples;
}

void SessionUnits::unpack(std::uint8_t* bytes, std::int64_t samples) const {
    for (std::int64_t k = samples - 1; k >= 0; --k) {
        const std::uint16_t pair = unitSize_ == 1
                                       ? fromLow_[bytes[k]]
                                       : fromLow_[bytes[2 * k]] | fromHigh_[bytes[2 * k + 1]];
        bytes[2 * k] = static_cast<std::uint8_t>(pair & 0xFF);
        bytes[2 * k + 1] = static_cast<std::uint8_t>(pair >> 8);
    }
}

} // namespace tarvik
