#pragma once

#include <sched.h>

namespace tarvik {

// The processors of a capture: the sampling thread keeps the one it runs on
// to itself, and the threads that write and compress run on the others, so
// that a moment of theirs is never a pause in the samples. On a machine of
// one processor nothing changes.
class ProcessorShare {
  public:
    // Called on the sampling thread: pins it to the processor it runs on.
    ProcessorShare();
    // Gives the sampling thread back every processor it had.
    void release();

    // Called on a writing thread before it starts others, which take its
    // processors: keeps it off the sampler's processor.
    void keepWriterOff() const;

  private:
    cpu_set_t before_{};
    int sampler_ = -1;
};

} // namespace tarvik
