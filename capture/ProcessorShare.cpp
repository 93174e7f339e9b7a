#include "ProcessorShare.h"

namespace tarvik {

ProcessorShare::ProcessorShare() {
    if (sched_getaffinity(0, sizeof before_, &before_) != 0 || CPU_COUNT(&before_) < 2)
        return;
    const int cpu = sched_getcpu();
    cpu_set_t one;
    CPU_ZERO(&one);
    if (cpu >= 0)
        CPU_SET(cpu, &one);
    if (cpu >= 0 && sched_setaffinity(0, sizeof one, &one) == 0)
        sampler_ = cpu;
}

void ProcessorShare::release() {
    if (sampler_ >= 0)
        sched_setaffinity(0, sizeof before_, &before_);
    sampler_ = -1;
}

void ProcessorShare::keepWriterOff() const {
    if (sampler_ < 0)
        return;
    cpu_set_t others = before_;
    CPU_CLR(sampler_, &others);
    sched_setaffinity(0, sizeof others, &others);
}

} // namespace tarvik
