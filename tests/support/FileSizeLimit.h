#pragma once

#include <sys/resource.h>

#include <csignal>

namespace tarvik {

// While it lives, no file grows beyond `bytes`: a write past it is cut short,
// as on a full disk, and fails with an error rather than a signal.
struct FileSizeLimit {
    rlimit saved{};

    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit lowered{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};

} // namespace tarvik
