#pragma once

#include <cstdint>

namespace tarvik {

// Real time for the simulated port. With TARVIK_SIMULATED_RATE set (a rate
// as --samplerate takes it: 1000000, 1M, 250k), step n of the signals happens
// n / rate after the first read, as on a real port whose lines change in
// their own time: a read returns the step that has been reached by then, and
// the n-th read of a run never returns before step n, so a fast reader sees
// every step once and a slow one sees the signals at their true speed.
// Without the variable, or with it empty, every read is the next step, at
// once.
class SimulatedClock {
  public:
    SimulatedClock();
    // Null when the rate is one; otherwise the sentence saying that it is
    // not, which names the variable and its text, for the port to refuse
    // every capture with rather than run at a speed the user did not ask for.
    const char* problem() const { return problem_[0] != '\0' ? problem_ : nullptr; }
    // A new run: its first read is step 0, whenever it comes.
    void restart() { reads_ = -1; }
    // The step a read taken now sees.
    std::int64_t nextRead();

  private:
    double rate_ = 0.0; // steps per second; 0 without the variable
    std::int64_t reads_ = -1;
    std::int64_t startNs_ = 0;
    char problem_[256] = {};
};

} // namespace tarvik
