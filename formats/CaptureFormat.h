#pragma once

#include "SampleSource.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

class QFile;
class QIODevice;

namespace tarvik {

// The file formats a capture can be written in; the table below says what
// each one is.
enum class CaptureFormat { Sr, Vcd, Lgc, Binary };

// One format, as the command offers it and the files show it.
struct CaptureFormatRow {
    CaptureFormat format;
    // The name -O takes and --help lists, and another spelling -O takes
    // (sigrok-cli's own), or nullptr.
    const char* name;
    const char* alias;
    // The extension, without its dot, by which an output's name chooses it.
    const char* extension;
    // The samples every file of the format holds; 0 for any number.
    std::int64_t fixedSampleCount;
    // Whether it cannot be written without the sample rate.
    bool needsRate;
    // Whether it can go to a pipe. (Every format is written as the samples
    // come, without knowing their number.)
    bool streams;
    // Whether an opened file is of this format, from its content; nullptr for
    // a format that is only written.
    bool (*recognises)(QFile& file);
    // The samples of a file that recognises() took, or nothing and why not as
    // a clause; the source keeps the file.
    std::unique_ptr<SampleSource> (*read)(std::unique_ptr<QFile> file, const QString& path,
                                          QString& whatIsWrong);
    // Writes the capture to the device; empty on success, otherwise what went
    // wrong as a clause.
    QString (*write)(QIODevice& device, SampleSource& source);
};

// Every format, each once; the first is the default for an output whose name
// names none.
std::span<const CaptureFormatRow> captureFormats();
const CaptureFormatRow& captureFormat(CaptureFormat format);

// The format a -O text names; nothing for any other text.
std::optional<CaptureFormat> parseCaptureFormat(QStringView text);

// The format an output file's extension names, in any case; the default for
// a name without an extension; nothing for an extension of no format, so that
// a file is never written in a format its name belies.
std::optional<CaptureFormat> captureFormatForName(const QString& path);

// The formats' extensions as a list: ".sr, .vcd, .lgc".
QString captureFormatExtensions();

// The formats' names as a sentence lists them: "sr, vcd, lgc or binary";
// those that can be written to a pipe.
QString captureFormatNames();
QString streamingFormatNames();

// Why a capture of that many samples, with or without a known rate, cannot be
// written in the format, as a clause; empty when it can.
QString whyNotInFormat(CaptureFormat format, const CaptureFacts& facts);

} // namespace tarvik
