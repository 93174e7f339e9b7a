#pragma once

#include "PortDevice.h"

namespace tarvik {

// A port that is always there and reads 0, for windows whose "SCAN" buttons
// are not under test.
class FakePort final : public PortDevice {
  public:
    QString open() override { return {}; }
    void out(std::int16_t, std::int16_t) override {}
    std::int16_t inp(std::int16_t) override { return 0; }
    void close() override {}
};

} // namespace tarvik
