#pragma once

#include <cstdint>

namespace tarvik {

// Real time for the simulated port. With TARVIK_SIMULATED_RATE set (a rate
// as sigrok-cli writes it: 1000000, 1M, 250k), step n of the signals happens
// n / rate after the first read, as on a real port whose lines change in
// their own time: a read returns the step that has been reached by then, and
// the n-th read of a run never returns before step n, so a fast reader sees
// every step once and a slow one sees the signals at their true speed.
// Without the variable every read is the next step, at once.
class SimulatedClock {
  public:
    SimulatedClock();
    // A new run: its first read is step 0, whenever it comes.
    void restart() { reads_ = -1; }
    // The step a read taken now sees.
    std::int64_t nextRead();

  private:
    double rate_ = 0.0; // steps per second; 0 without the variable
    std::int64_t reads_ = -1;
    std::int64_t startNs_ = 0;
};

// "1M" -> 1e6, "250k" -> 2.5e5, "62.5 kHz" -> 62500; 0 for text that is no rate.
double parseSimulatedRate(const char* text);

} // namespace tarvik
