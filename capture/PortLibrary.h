#pragma once

#include "PortDevice.h"
#include "PortExports.h"
#include "PortName.h"

#include <QString>

#include <cstdint>
#include <utility>

namespace tarvik {

// Which port library a "SCAN" button uses: its file name, the names of its
// write and read functions, and how it reaches the port, for advice that
// names it.
struct PortLibraryFile {
    const char* fileName;
    const char* writeFunction;
    const char* readFunction;
    const char* way = "";
};

inline constexpr PortLibraryFile Win95IoLibrary{TARVIK_WIN95IO_FILE, TARVIK_WIN95IO_WRITE_NAME,
                                                TARVIK_WIN95IO_READ_NAME,
                                                "through the processor's port instructions"};
inline constexpr PortLibraryFile Inpout32Library{TARVIK_INPOUT32_FILE, TARVIK_INPOUT32_WRITE_NAME,
                                                 TARVIK_INPOUT32_READ_NAME,
                                                 "through the kernel's parallel-port driver"};

// How a program lets its user choose a port library, in the advice that ends
// a library's failure when another one may reach the port: the window names
// the button, tarvik-cli its --via.
using PortChoiceName = QString (*)(const PortLibraryFile& library);

// The folder of the simulated port's libraries, found from the program's own
// folder: "simulated" below the real ones (lib/tarvik/simulated beside the
// installed program; the build tree has the same folders).
QString SimulatedPortFolder();

// A port reached through a shared library, opened the first time the port is
// opened: by its bare file name, so that LD_LIBRARY_PATH and then the
// program's RUNPATH are searched, or from the folder given. Nothing is loaded
// before that. The port libraries built with this program also export
// TarvikPortSelect, told the port right after loading, TarvikPortStatus,
// called by every open(), TarvikPortInstead, asked after a failed status,
// and TarvikPortRelease, called by close() (PortExports.h); a library without
// them is taken to be fine for any port, to reach it, to advise nothing and
// to hold nothing.
class PortLibrary final : public PortDevice {
  public:
    // port: which of the kernel's parallel ports, parportN. choiceName: the
    // program's words for choosing another library; without them the advice
    // names the library's file.
    explicit PortLibrary(const PortLibraryFile& file,
                         QString port = QStringLiteral(TARVIK_DEFAULT_PORT), QString folder = {},
                         PortChoiceName choiceName = nullptr)
        : file_(file), port_(std::move(port)), folder_(std::move(folder)), choiceName_(choiceName) {
    }
    ~PortLibrary() override;
    PortLibrary(const PortLibrary&) = delete;
    PortLibrary& operator=(const PortLibrary&) = delete;

    // Loads the library, looks up its functions and tells it the port on the
    // first call, then asks the library to reach the port. A library that
    // cannot be loaded, lacks a function, does not take the port or cannot
    // reach it is unloaded again, so that the next call tries afresh.
    QString open() override;
    void out(std::int16_t address, std::int16_t value) override { write_(address, value); }
    std::int16_t inp(std::int16_t address) override { return read_(address); }
    void close() override;

  private:
    using WriteFunction = void (*)(std::int16_t address, std::int16_t value);
    using ReadFunction = std::int16_t (*)(std::int16_t address);
    using SelectFunction = const char* (*)(const char* name);
    using StatusFunction = const char* (*)();
    using InsteadFunction = const char* (*)();
    using ReleaseFunction = void (*)();

    QString load();
    void unload();
    QString advice() const;

    PortLibraryFile file_;
    QString port_;
    QString folder_;
    PortChoiceName choiceName_;
    void* handle_ = nullptr;
    WriteFunction write_ = nullptr;
    ReadFunction read_ = nullptr;
    StatusFunction status_ = nullptr;
    InsteadFunction instead_ = nullptr;
    ReleaseFunction release_ = nullptr;
};

} // namespace tarvik
