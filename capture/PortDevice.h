#pragma once

#include <QString>

#include <cstdint>

namespace tarvik {

// The printer port as the capture sees it: one write, one read, and a way to
// find out before the first write whether the port can be reached at all.
// A capture opens the port, uses it and closes it again, so that the port is
// held only while a capture runs.
class PortDevice {
  public:
    virtual ~PortDevice() = default;
    // Empty when the port can be used; otherwise why not and what to do about it.
    virtual QString open() = 0;
    virtual void out(std::int16_t address, std::int16_t value) = 0;
    virtual std::int16_t inp(std::int16_t address) = 0;
    // Releases the port that open() reached.
    virtual void close() = 0;
};

} // namespace tarvik
