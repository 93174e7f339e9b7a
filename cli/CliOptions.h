#pragma once

#include "CaptureFormat.h"
#include "ChannelLayout.h"
#include "Trigger.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace tarvik {

// The output name that stands for standard output.
inline constexpr char StandardOutputName[] = "-";

// Which port library a capture goes through.
enum class PortVia { Inpout32, Win95Io, Simulated };

// What one run of the command is asked to do, as its command line says it.
struct CliOptions {
    bool scan = false;
    QString inputFile;
    QString outputFile;
    std::optional<CaptureFormat> outputFormat; // -O; otherwise from the output's name
    PortVia via = PortVia::Inpout32;
    QString port; // --port parportN; empty for the default
    // -C: the lines captured, in the order and under the names the files show.
    ChannelLayout channels = ChannelLayout::all();
    std::int64_t samples = 0;
    // --time without --samplerate: the capture ends after this long; 0 for
    // after its samples.
    std::int64_t durationNs = 0;
    // --samplerate with --scan: samples taken on this schedule, a whole number
    // of hertz; 0 for as fast as the port answers.
    double scheduleRate = 0.0;
    // --samplerate with --input-file: the rate the file lacks or replaces; 0
    // for the file's own.
    double rateOverride = 0.0;
    bool continuous = false; // --continuous: until stopped
    Trigger trigger;
    std::int64_t pretrigger = 0; // samples kept from before the trigger
    double waitSeconds = 0.0;    // --wait; 0 for as long as it takes
    bool show = false;
    bool quiet = false;
};

// The outcome of reading the command line: options to run with, or an exit
// status with the text to print (help and version on stdout, a usage error
// on stderr).
struct ParsedCommandLine {
    std::optional<CliOptions> options;
    int exitStatus = 0;
    QString text;
};

ParsedCommandLine parseCommandLine(const QStringList& arguments);

// Whether the command line asks for the processor's port instructions
// (--via win95io), read before anything else starts, so that the program can
// restart through the launcher that grants them: by the rule the launcher
// reads --port with (CommandLineOption.h), which is the parser's.
bool asksForPortInstructions(int argc, char* argv[]);

} // namespace tarvik
