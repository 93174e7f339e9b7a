#pragma once

#include <dlfcn.h>

namespace tarvik {

// Whether the process has the shared library of that file name loaded.
inline bool isLoaded(const char* fileName) {
    void* handle = dlopen(fileName, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

} // namespace tarvik
