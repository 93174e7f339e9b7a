#pragma once

#include "SimulatedClock.h"

#include <cstdint>

namespace tarvik {

// The registers of a printer port at 0x378 with the signals of
// SimulatedSignals.h on its pins. A control write starts the signals again at
// step 0; each sample moves on one step, or in real time (SimulatedClock.h):
// a status read, and a data read that no status read came before.
class SimulatedPort {
  public:
    // Null when the port can be used; otherwise why not (SimulatedClock.h).
    const char* problem() const { return clock_.problem(); }
    void write(short address, short value);
    short read(short address);

  private:
    SimulatedClock clock_;
    std::int64_t step_ = -1;  // no status read since the last control write
    bool statusRead_ = false; // since the last data read
    bool dataLinesIn_ = false;
    std::uint8_t dataWritten_ = 0;
    std::uint8_t control_ = 0;
};

} // namespace tarvik
