#include "CliOptions.h"

#include "CaptureFile.h"
#include "CommandLineOption.h"
#include "PortOption.h"
#include "SampleRate.h"

#include <QCommandLineParser>

#include <cmath>
#include <cstring>

namespace tarvik {

namespace {

constexpr int UsageError = 2;
// Enough for a capture of hours at the fastest rate a port gives.
constexpr std::int64_t MostSamples = 1'000'000'000'000;

ParsedCommandLine usageError(const QString& problem) {
    return {std::nullopt, UsageError,
            QStringLiteral("tarvik-cli: %1\nTry 'tarvik-cli --help' for more information.\n")
                .arg(problem)};
}

std::optional<PortVia> parseVia(const QString& text) {
    if (text == QLatin1String("inpout32"))
        return PortVia::Inpout32;
    if (text == QLatin1String("win95io"))
        return PortVia::Win95Io;
    if (text == QLatin1String("simulated"))
        return PortVia::Simulated;
    return std::nullopt;
}

const char* Description =
    "Captures the printer port's status and data lines without a display, converts captures\n"
    "between Tarvik's .lgc, sigrok's session format (.sr) and VCD, and describes them.\n"
    "\n"
    "  tarvik-cli --scan -o capture.sr            capture 2,048,000 samples to a file\n"
    "  tarvik-cli --scan --show                   capture and describe the lines\n"
    "  tarvik-cli -i capture.lgc --samplerate 1M -o capture.vcd\n"
    "                                             convert, giving the rate a .lgc lacks\n"
    "  tarvik-cli -i capture.sr --show            describe a file\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 usage error, 130 stopped by Ctrl-C.";

} // namespace

bool asksForPortInstructions(int argc, char* argv[]) {
    const char* via = nullptr;
    return argc > 1 && tarvikOptionValue(argc - 1, argv + 1, "via", &via) == TarvikOptionGiven &&
           std::strcmp(via, "win95io") == 0;
}

ParsedCommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Description));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({"V", "version"},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption scan(QStringLiteral("scan"),
                                  QStringLiteral("Capture from the printer port (see --via)."));
    const QCommandLineOption via(
        QStringLiteral("via"),
        QStringLiteral("The port library: inpout32 (the kernel's parallel-port driver, the "
                       "default), win95io (the processor's port instructions) or simulated."),
        QStringLiteral("library"), QStringLiteral("inpout32"));
    const QCommandLineOption port = PortOption();
    const QCommandLineOption samples(
        QStringLiteral("samples"),
        QStringLiteral("Samples to capture; default %L1. Only %L1 fit in a .lgc.").arg(SampleCount),
        QStringLiteral("count"));
    const QCommandLineOption time(
        QStringLiteral("time"),
        QStringLiteral("With --samplerate: capture for this long instead of --samples."),
        QStringLiteral("seconds"));
    const QCommandLineOption trigger(
        {"t", "trigger"},
        QStringLiteral("Start storing at the first sample where every condition holds, as in "
                       "S6=f,D0=1: a line (S7 ... S3, D7 ... D0) and 0, 1, r (rising), f "
                       "(falling) or e (either edge)."),
        QStringLiteral("conditions"));
    const QCommandLineOption wait(
        QStringLiteral("wait"),
        QStringLiteral("Give up when the trigger has not held within this many seconds; "
                       "without it, wait until Ctrl-C."),
        QStringLiteral("seconds"));
    const QCommandLineOption input({"i", "input-file"},
                                   QStringLiteral("Read a capture (.lgc or .sr) from the file."),
                                   QStringLiteral("file"));
    const QCommandLineOption output({"o", "output-file"},
                                    QStringLiteral("Write the capture to the file."),
                                    QStringLiteral("file"));
    const QCommandLineOption format(
        {"O", "output-format"},
        QStringLiteral("lgc, sr or vcd; default from the output file's extension, else sr."),
        QStringLiteral("format"));
    const QCommandLineOption rate(
        QStringLiteral("samplerate"),
        QStringLiteral("With --scan: take samples on a schedule at this rate, rather than as "
                       "fast as the port answers. With --input-file: the rate of the samples, "
                       "which a .lgc does not record. 1000000, 1M, 250k."),
        QStringLiteral("rate"));
    const QCommandLineOption show(QStringLiteral("show"),
                                  QStringLiteral("Describe the capture: sample count, rate, and "
                                                 "each line's first level, edges and pulses."));
    const QCommandLineOption quiet({"q", "quiet"},
                                   QStringLiteral("No progress line while capturing."));
    parser.addOptions({help, version, scan, via, port, samples, time, rate, trigger, wait, input,
                       output, format, show, quiet});

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        // Without a QCoreApplication, which the command does without to start
        // faster, Qt names no program in its usage line.
        return {std::nullopt, 0,
                parser.helpText().replace(QLatin1String("<executable_name>"),
                                          QLatin1String("tarvik-cli"))};
    if (parser.isSet(version))
        return {std::nullopt, 0, QStringLiteral("tarvik-cli " TARVIK_VERSION "\n")};
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    CliOptions options;
    options.scan = parser.isSet(scan);
    options.inputFile = parser.value(input);
    options.outputFile = parser.value(output);
    options.show = parser.isSet(show);
    options.quiet = parser.isSet(quiet);
    if (options.scan == !options.inputFile.isEmpty())
        return usageError(options.scan
                              ? QStringLiteral("--scan and --input-file exclude each other")
                              : QStringLiteral("say what to work on: --scan or --input-file FILE"));
    if (options.outputFile.isEmpty() && !options.show)
        return usageError(QStringLiteral("say what to do with the capture: --output-file FILE "
                                         "or --show"));

    const auto chosenVia = parseVia(parser.value(via));
    if (!chosenVia)
        return usageError(QStringLiteral("--via takes inpout32, win95io or simulated, not '%1'")
                              .arg(parser.value(via)));
    options.via = *chosenVia;

    options.samples = SampleCount;
    if (parser.isSet(samples)) {
        if (!options.scan)
            return usageError(QStringLiteral("--samples is for --scan; a file has its own"));
        bool ok = false;
        options.samples = parser.value(samples).toLongLong(&ok);
        if (!ok || options.samples < 1 || options.samples > MostSamples)
            return usageError(QStringLiteral("--samples takes a whole number from 1 to %L1, not "
                                             "'%2'")
                                  .arg(MostSamples)
                                  .arg(parser.value(samples)));
    }
    if (parser.isSet(rate)) {
        const auto parsed = parseSampleRate(parser.value(rate));
        if (!parsed)
            return usageError(QStringLiteral("--samplerate takes a rate such as 1000000, 1M or "
                                             "250k, not '%1'")
                                  .arg(parser.value(rate)));
        options.sampleRate = *parsed;
    }
    if (parser.isSet(time)) {
        if (!options.scan || options.sampleRate <= 0.0 || parser.isSet(samples))
            return usageError(QStringLiteral("--time is for --scan with --samplerate, in place "
                                             "of --samples"));
        bool ok = false;
        const double seconds = parser.value(time).toDouble(&ok);
        const double count = std::round(seconds * options.sampleRate);
        if (!ok || !(count >= 1.0) || count > double(MostSamples))
            return usageError(QStringLiteral("--time takes a number of seconds that makes 1 to "
                                             "%L1 samples, not '%2'")
                                  .arg(MostSamples)
                                  .arg(parser.value(time)));
        options.samples = static_cast<std::int64_t>(count);
    }
    options.port = parser.value(port);
    if (parser.isSet(port)) {
        if (!options.scan)
            return usageError(QStringLiteral("--port is for --scan"));
        if (const QString error = PortOptionError(options.port); !error.isEmpty())
            return usageError(error);
    }
    if (parser.isSet(trigger)) {
        if (!options.scan)
            return usageError(QStringLiteral("--trigger is for --scan"));
        QString why;
        const auto parsed = Trigger::parse(parser.value(trigger), &why);
        if (!parsed || parsed->isEmpty())
            return usageError(QStringLiteral("--trigger: %1")
                                  .arg(parsed ? QStringLiteral("no condition given") : why));
        options.trigger = *parsed;
    }
    if (parser.isSet(wait)) {
        bool ok = false;
        options.waitSeconds = parser.value(wait).toDouble(&ok);
        if (!ok || !(options.waitSeconds > 0.0) || !std::isfinite(options.waitSeconds))
            return usageError(QStringLiteral("--wait takes a number of seconds, not '%1'")
                                  .arg(parser.value(wait)));
        if (options.trigger.isEmpty())
            return usageError(QStringLiteral("--wait is for --trigger"));
    }
    if (parser.isSet(format)) {
        options.outputFormat = parseCaptureFormat(parser.value(format));
        if (!options.outputFormat)
            return usageError(QStringLiteral("--output-format takes lgc, sr or vcd, not '%1'")
                                  .arg(parser.value(format)));
    }
    return {options, 0, {}};
}

} // namespace tarvik
