#pragma once

#include "PortDevice.h"

// Which port library a "SCAN" button uses: its file name and the names of its
// write and read functions.
struct PortLibrarySpec {
    const char* fileName;
    const char* outSymbol;
    const char* inpSymbol;
};

inline constexpr PortLibrarySpec Win95IoLibrary{"libWIN95IO.so", "vbOut", "vbInp"};
inline constexpr PortLibrarySpec Inpout32Library{"libinpout32.so", "Out32", "Inp32"};

// A port reached through a shared library opened by file name the first time
// the port is opened; nothing is loaded before that.
class PortLibrary final : public PortDevice {
public:
    explicit PortLibrary(const PortLibrarySpec& spec);
    ~PortLibrary() override;
    PortLibrary(const PortLibrary&) = delete;
    PortLibrary& operator=(const PortLibrary&) = delete;

    QString open() override;
    void out(std::int16_t address, std::int16_t value) override;
    std::int16_t inp(std::int16_t address) override;

    // Whether the library file has been opened.
    bool isLoaded() const;

private:
    struct Binding;
    const PortLibrarySpec& spec_;
    Binding* binding_ = nullptr;
};
