#pragma once

#include "PortDevice.h"

#include <functional>

namespace tarvik {

// A port whose reads come from a function of the register and the number of
// reads so far; open() answers with openError.
class FakePort final : public PortDevice {
  public:
    QString openError;
    std::function<std::int16_t(std::int16_t address, long long readIndex)> reader =
        [](std::int16_t, long long) -> std::int16_t { return 0; };
    long long opens = 0;
    long long writes = 0;
    long long reads = 0;

    QString open() override {
        ++opens;
        return openError;
    }
    void out(std::int16_t, std::int16_t) override { ++writes; }
    std::int16_t inp(std::int16_t address) override { return reader(address, reads++); }
};

} // namespace tarvik
