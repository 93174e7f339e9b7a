#pragma once

#include "PortDevice.h"

#include <cstdint>

namespace tarvik {

// Which port library a "SCAN" button uses: its file name and the names of its
// write and read functions.
struct PortLibraryFile {
    const char* fileName;
    const char* writeFunction;
    const char* readFunction;
};

inline constexpr PortLibraryFile Win95IoLibrary{"libWIN95IO.so", "vbOut", "vbInp"};
inline constexpr PortLibraryFile Inpout32Library{"libinpout32.so", "Out32", "Inp32"};

// The port libraries built with this program also export this function,
// `const char* TarvikPortStatus(void)`: null once the library has reached the
// port, otherwise why not and what to do about it. A library without it is
// taken to have reached the port.
inline constexpr const char* PortStatusFunction = "TarvikPortStatus";

// A port reached through a shared library, opened by its bare file name the
// first time the port is opened, so that LD_LIBRARY_PATH and then the
// program's RUNPATH are searched. Nothing is loaded before that.
class PortLibrary final : public PortDevice {
  public:
    explicit PortLibrary(const PortLibraryFile& file) : file_(file) {}
    ~PortLibrary() override;
    PortLibrary(const PortLibrary&) = delete;
    PortLibrary& operator=(const PortLibrary&) = delete;

    // Loads the library and looks up its functions on the first call. A
    // library that cannot be loaded, lacks a function or cannot reach the port
    // is released again, so that the next call tries afresh.
    QString open() override;
    void out(std::int16_t address, std::int16_t value) override { write_(address, value); }
    std::int16_t inp(std::int16_t address) override { return read_(address); }

  private:
    using WriteFunction = void (*)(std::int16_t address, std::int16_t value);
    using ReadFunction = std::int16_t (*)(std::int16_t address);

    PortLibraryFile file_;
    void* handle_ = nullptr;
    WriteFunction write_ = nullptr;
    ReadFunction read_ = nullptr;
};

} // namespace tarvik
