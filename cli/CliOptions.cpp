#include "CliOptions.h"

#include "CommandLineOption.h"
#include "ExitStatus.h"
#include "PortOption.h"
#include "ProgramState.h"
#include "SampleRate.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarvik {

namespace {

// Enough for a capture of hours at the fastest rate a port gives.
constexpr std::int64_t MostSamples = 1'000'000'000'000;
// The samples before the trigger wait in memory, 2 bytes each: 32 MiB.
constexpr std::int64_t MostPretrigger = 16 * 1024 * 1024;

const char* Description =
    "Captures the printer port's status and data lines without a display, converts captures\n"
    "between Tarvik's .lgc, sigrok's session format (.sr) and VCD, and describes them.\n"
    "\n"
    "  tarvik-cli --scan -o capture.sr            capture 2,048,000 samples to a file\n"
    "  tarvik-cli --scan --show                   capture and describe the lines\n"
    "  tarvik-cli --scan -C S7,S6,S5,S4,S3 --time 2s -o status.sr\n"
    "                                             the status lines only, twice as often\n"
    "  tarvik-cli -i capture.lgc --samplerate 1M -o capture.vcd\n"
    "                                             convert, giving the rate a .lgc lacks\n"
    "  tarvik-cli -i capture.sr --show            describe a file\n"
    "  tarvik-cli --scan -t S6=f -c captureratio=10 -o glitch.sr\n"
    "                                             keep 10% from before the trigger\n"
    "\n"
    "Live, decoded while the capture runs, until Ctrl-C:\n"
    "  tarvik-cli --scan --continuous --samplerate 100k -O vcd -o - |\n"
    "    sigrok-cli -I vcd -i - -P uart:rx=D0:baudrate=9600 -A uart\n"
    "  tarvik-cli --scan --continuous --samplerate 100k -O binary -o - |\n"
    "    sigrok-cli -I binary:numchannels=16:samplerate=100000 -i - -C 8=D0,9=D1 \\\n"
    "      -P uart:rx=D0:baudrate=9600 -A uart\n"
    "(in the binary stream S7 ... S3 are sigrok's channels 7 ... 3, D7 ... D0 its 15 ... 8)\n"
    "\n"
    "Exit status: 0 done (also when --continuous is stopped), 1 failed, 2 usage error,\n"
    "130 stopped by Ctrl-C (143 SIGTERM, 129 SIGHUP).";

// A reason the command line cannot be run, thrown from the step that finds it.
struct UsageProblem {
    QString text;
};

// Every option the command takes, as its help lists them.
struct Options {
    QCommandLineOption help{{"h", "help"}, QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{"V", "version"}, QStringLiteral("Show the version and exit.")};
    QCommandLineOption scan{QStringLiteral("scan"),
                            QStringLiteral("Capture from the printer port (see --via).")};
    QCommandLineOption via{
        QStringLiteral("via"),
        QStringLiteral("The port library: inpout32 (the kernel's parallel-port driver, the "
                       "default), win95io (the processor's port instructions) or simulated."),
        QStringLiteral("library"), QStringLiteral("inpout32")};
    QCommandLineOption port = PortOption();
    QCommandLineOption channels{
        {"C", "channels"},
        QStringLiteral("Capture only these lines, in this order, as in S7,S6,D0; LINE=NAME "
                       "renames a line in the files, as in D0=RX,D1=TX. Lines of one register "
                       "only (S7 ... S3 or D7 ... D0) are read twice as often."),
        QStringLiteral("lines")};
    QCommandLineOption samples{
        QStringLiteral("samples"),
        QStringLiteral("Samples to capture, as in 3000 or 3k (k, m, g: thousands, millions, "
                       "billions); default %L1. Only %L1 fit in a .lgc.")
            .arg(SampleCount),
        QStringLiteral("count")};
    QCommandLineOption time{
        QStringLiteral("time"),
        QStringLiteral("Capture for this long instead of --samples: milliseconds, or with ms "
                       "or s as in 100ms or 2s. Without --samplerate, as many samples as the "
                       "port gives in that time."),
        QStringLiteral("time")};
    QCommandLineOption rate{
        QStringLiteral("samplerate"),
        QStringLiteral("With --scan: take samples on a schedule at this rate, rather than as "
                       "fast as the port answers. With --input-file: the rate of the samples, "
                       "which a .lgc does not record. Whole hertz: 1000000, 1M, 62.5k."),
        QStringLiteral("rate")};
    QCommandLineOption continuous{
        QStringLiteral("continuous"),
        QStringLiteral("Capture until Ctrl-C (or SIGTERM, SIGHUP), then write every sample "
                       "taken.")};
    QCommandLineOption pretrigger{
        QStringLiteral("pretrigger"),
        QStringLiteral("With --trigger: keep up to this many samples from before the sample at "
                       "which it held (fewer when it held sooner), within --samples."),
        QStringLiteral("count")};
    QCommandLineOption config{
        {"c", "config"},
        QStringLiteral("sigrok's spelling of --pretrigger: captureratio=P keeps P percent of "
                       "--samples from before the trigger."),
        QStringLiteral("captureratio=P")};
    QCommandLineOption trigger{
        {"t", "trigger", "triggers"},
        QStringLiteral("Start storing at the first sample where every condition holds, as in "
                       "S6=f,D0=1: a line (S7 ... S3, D7 ... D0) and 0, 1, r (rising), f "
                       "(falling) or e (either edge)."),
        QStringLiteral("conditions")};
    QCommandLineOption wait{
        QStringLiteral("wait"),
        QStringLiteral("Give up when the trigger has not held within this many seconds; "
                       "without it, wait until Ctrl-C."),
        QStringLiteral("seconds")};
    QCommandLineOption input{{"i", "input-file"},
                             QStringLiteral("Read a capture (.lgc or .sr) from the file."),
                             QStringLiteral("file")};
    QCommandLineOption output{
        {"o", "output-file"},
        QStringLiteral("Write the capture to the file; - for standard output, as it is taken "
                       "(%1).")
            .arg(streamingFormatNames()),
        QStringLiteral("file")};
    QCommandLineOption format{
        {"O", "output-format"},
        QStringLiteral("%1; default from the output file's extension, else %2.")
            .arg(captureFormatNames(), QLatin1String(captureFormats().front().name)),
        QStringLiteral("format")};
    QCommandLineOption show{QStringLiteral("show"),
                            QStringLiteral("Describe the capture: sample count, rate, and "
                                           "each line's first level, edges and pulses.")};
    QCommandLineOption quiet{{"q", "quiet"}, QStringLiteral("No progress line while capturing.")};

    void addTo(QCommandLineParser& parser) const {
        parser.addOptions({help, version, scan, via, port, channels, samples, time, rate,
                           continuous, trigger, pretrigger, config, wait, input, output, format,
                           show, quiet});
    }
};

ParsedCommandLine usageError(const QString& problem) {
    return {std::nullopt, ExitUsageError,
            QStringLiteral("tarvik-cli: %1\nTry 'tarvik-cli --help' for more information.\n")
                .arg(problem)};
}

void require(bool holds, const QString& problem) {
    if (!holds)
        throw UsageProblem{problem};
}

PortVia parseVia(const QString& text) {
    if (text == QLatin1String("inpout32"))
        return PortVia::Inpout32;
    if (text == QLatin1String("win95io"))
        return PortVia::Win95Io;
    require(text == QLatin1String("simulated"),
            QStringLiteral("--via takes inpout32, win95io or simulated, not '%1'").arg(text));
    return PortVia::Simulated;
}

// What to work on and what to do with it.
void readWork(const QCommandLineParser& parser, const Options& o, CliOptions& options) {
    options.scan = parser.isSet(o.scan);
    options.inputFile = parser.value(o.input);
    options.outputFile = parser.value(o.output);
    options.show = parser.isSet(o.show);
    options.quiet = parser.isSet(o.quiet);
    require(options.scan != !options.inputFile.isEmpty(),
            options.scan ? QStringLiteral("--scan and --input-file exclude each other")
                         : QStringLiteral("say what to work on: --scan or --input-file FILE"));
    require(!options.outputFile.isEmpty() || options.show,
            QStringLiteral("say what to do with the capture: --output-file FILE or --show"));
    if (parser.isSet(o.format)) {
        options.outputFormat = parseCaptureFormat(parser.value(o.format));
        require(options.outputFormat.has_value(),
                QStringLiteral("--output-format takes %1, not '%2'")
                    .arg(captureFormatNames(), parser.value(o.format)));
    } else if (!options.outputFile.isEmpty()) {
        options.outputFormat = captureFormatForName(options.outputFile);
        require(options.outputFormat.has_value(),
                QStringLiteral("'%1' names no format this program writes: give the output one "
                               "of the extensions %2, or the format with -O (%3)")
                    .arg(options.outputFile, captureFormatExtensions(), captureFormatNames()));
    }
}

// Where the capture goes, now that it is known how it is taken.
void readOutput(const CliOptions& options) {
    const CaptureFormatRow& format =
        captureFormat(options.outputFormat.value_or(captureFormats().front().format));
    if (options.continuous)
        require(format.fixedSampleCount == 0,
                QStringLiteral("a .%1 holds exactly %L2 samples, and this capture any number; "
                               "write another format (%3)")
                    .arg(QLatin1String(format.extension))
                    .arg(format.fixedSampleCount)
                    .arg(captureFormatNames()));
    if (options.outputFile != QLatin1String(StandardOutputName))
        return;
    require(options.scan, QStringLiteral("-o - is for --scan"));
    require(!options.show, QStringLiteral("--show prints to standard output, which -o - takes"));
    require(format.streams, QStringLiteral("standard output takes only a format written as the "
                                           "samples come: -O %1")
                                .arg(streamingFormatNames()));
    require(!format.needsRate || options.scheduleRate > 0.0,
            QStringLiteral("-O %1 on standard output needs --samplerate: its time scale comes "
                           "before the first sample")
                .arg(QLatin1String(format.name)));
}

// A count as sigrok-cli reads --samples: "3000", "3k", "1.5m" (thousands,
// millions, billions), which must come to a whole number.
std::optional<std::int64_t> parseCount(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,15})(\\.\\d{1,9})?([kmg]?)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const QString prefix = match.captured(3).toLower();
    const long double multiplier = prefix == u"k"   ? 1e3L
                                   : prefix == u"m" ? 1e6L
                                   : prefix == u"g" ? 1e9L
                                                    : 1.0L;
    const QString digits = match.captured(1) + match.captured(2).mid(1);
    const long double count =
        digits.toLongLong() * multiplier /
        std::pow(10.0L, match.captured(2).isEmpty() ? 0 : match.captured(2).size() - 1);
    if (std::floor(count) != count)
        return std::nullopt;
    return static_cast<std::int64_t>(count);
}

// A time as sigrok-cli reads --time, in milliseconds: "100" and "100ms" are
// the same, "2s" is 2000.
std::optional<std::int64_t> parseMilliseconds(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,12})\\s*(ms|s)?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong() * (match.captured(2) == u"s" ? 1000 : 1);
}

// The port, and how many samples on what schedule.
void readCapture(const QCommandLineParser& parser, const Options& o, CliOptions& options) {
    options.via = parseVia(parser.value(o.via));
    options.samples = SampleCount;
    options.continuous = parser.isSet(o.continuous);
    if (options.continuous)
        require(options.scan && !parser.isSet(o.samples) && !parser.isSet(o.time),
                QStringLiteral("--continuous is for --scan, in place of --samples or --time"));
    if (parser.isSet(o.samples)) {
        require(options.scan, QStringLiteral("--samples is for --scan; a file has its own"));
        options.samples = parseCount(parser.value(o.samples)).value_or(0);
        require(options.samples >= 1 && options.samples <= MostSamples,
                QStringLiteral("--samples takes a whole number from 1 to %L1, as in 3000 or 3k, "
                               "not '%2'")
                    .arg(MostSamples)
                    .arg(parser.value(o.samples)));
    }
    double rate = 0.0;
    if (parser.isSet(o.rate)) {
        const auto parsed = parseSampleRate(parser.value(o.rate));
        require(parsed.has_value(),
                QStringLiteral("--samplerate takes a whole number of hertz such as 1000000, 1M "
                               "or 62.5k, not '%1'")
                    .arg(parser.value(o.rate)));
        rate = *parsed;
    }
    (options.scan ? options.scheduleRate : options.rateOverride) = rate;
    if (parser.isSet(o.time)) {
        require(options.scan && !parser.isSet(o.samples),
                QStringLiteral("--time is for --scan, in place of --samples"));
        const std::int64_t ms = parseMilliseconds(parser.value(o.time)).value_or(0);
        // On a schedule the time makes a count; as fast as the port answers,
        // the capture is stopped by the clock.
        const long double count = std::round(static_cast<long double>(ms) * rate / 1000.0L);
        require(ms >= 1 && (rate <= 0.0 || (count >= 1.0L && count <= MostSamples)),
                QStringLiteral("--time takes milliseconds, or a time with ms or s as in 100ms "
                               "or 2s, that makes 1 to %L1 samples, not '%2'")
                    .arg(MostSamples)
                    .arg(parser.value(o.time)));
        if (rate > 0.0) {
            options.samples = static_cast<std::int64_t>(count);
        } else {
            // As many as the port gives in that time, kept as a capture until
            // stopped keeps them.
            options.continuous = true;
            options.durationNs = ms * 1'000'000;
        }
    }
    options.port = parser.value(o.port);
    if (parser.isSet(o.port)) {
        require(options.scan, QStringLiteral("--port is for --scan"));
        const QString error = PortOptionError(options.port);
        require(error.isEmpty(), error);
    }
}

// How many samples from before the trigger are kept.
void readPretrigger(const QCommandLineParser& parser, const Options& o, CliOptions& options) {
    const bool count = parser.isSet(o.pretrigger);
    const bool ratio = parser.isSet(o.config);
    if (!count && !ratio)
        return;
    require(!(count && ratio), QStringLiteral("--pretrigger and -c captureratio say the same; "
                                              "give one"));
    require(!options.trigger.isEmpty(),
            QStringLiteral("%1 is for --trigger").arg(count ? "--pretrigger" : "captureratio"));
    bool ok = false;
    if (count) {
        options.pretrigger = parser.value(o.pretrigger).toLongLong(&ok);
        require(ok && options.pretrigger >= 0 && options.pretrigger <= MostPretrigger &&
                    (options.continuous || options.pretrigger < options.samples),
                QStringLiteral("--pretrigger takes a count from 0 to %L1 below --samples, not "
                               "'%2'")
                    .arg(MostPretrigger)
                    .arg(parser.value(o.pretrigger)));
        return;
    }
    const QString setting = parser.value(o.config);
    require(setting.startsWith(QLatin1String("captureratio=")),
            QStringLiteral("-c takes captureratio=P, not '%1'").arg(setting));
    require(!options.continuous,
            QStringLiteral("captureratio is a share of --samples, which --continuous has not"));
    const int percent = setting.mid(13).toInt(&ok);
    require(ok && percent >= 0 && percent <= 99,
            QStringLiteral("captureratio takes a whole percentage from 0 to 99, not '%1'")
                .arg(setting.mid(13)));
    options.pretrigger = std::min(options.samples * percent / 100, MostPretrigger);
}

// Which lines, under what names.
void readChannels(const QCommandLineParser& parser, const Options& o, CliOptions& options) {
    if (!parser.isSet(o.channels))
        return;
    require(options.scan, QStringLiteral("--channels is for --scan"));
    QString why;
    const auto parsed = ChannelLayout::parse(parser.value(o.channels), &why);
    require(parsed.has_value(), QStringLiteral("--channels: %1").arg(why));
    options.channels = *parsed;
}

// When storing starts.
void readTrigger(const QCommandLineParser& parser, const Options& o, CliOptions& options) {
    if (parser.isSet(o.trigger)) {
        require(options.scan, QStringLiteral("--trigger is for --scan"));
        QString why;
        const auto parsed = Trigger::parse(parser.value(o.trigger), &why);
        require(parsed && !parsed->isEmpty(),
                QStringLiteral("--trigger: %1")
                    .arg(parsed ? QStringLiteral("no condition given") : why));
        options.trigger = *parsed;
        // The trigger watches only what is read: a line of the other register
        // would never change.
        for (const Channel& channel : Channels)
            require((options.trigger.lines() & channelBit(channel) &
                     ~options.channels.sampleBits()) == 0,
                    QStringLiteral("--trigger: %1 is not among the lines captured (--channels)")
                        .arg(QLatin1String(channel.name)));
    }
    if (parser.isSet(o.wait)) {
        bool ok = false;
        options.waitSeconds = parser.value(o.wait).toDouble(&ok);
        require(
            ok && options.waitSeconds > 0.0 && std::isfinite(options.waitSeconds),
            QStringLiteral("--wait takes a number of seconds, not '%1'").arg(parser.value(o.wait)));
        require(!options.trigger.isEmpty(), QStringLiteral("--wait is for --trigger"));
    }
}

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
    const Options o;
    o.addTo(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(o.help))
        // Without a QCoreApplication, which the command does without to start
        // faster, Qt names no program in its usage line.
        return {std::nullopt, ExitDone,
                parser.helpText().replace(QLatin1String("<executable_name>"),
                                          QLatin1String("tarvik-cli"))};
    if (parser.isSet(o.version))
        return {std::nullopt, ExitDone, QStringLiteral("tarvik-cli " TARVIK_VERSION "\n")};
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    CliOptions options;
    try {
        readWork(parser, o, options);
        readCapture(parser, o, options);
        readChannels(parser, o, options);
        readTrigger(parser, o, options);
        readPretrigger(parser, o, options);
        readOutput(options);
    } catch (const UsageProblem& problem) {
        return usageError(problem.text);
    }
    return {options, ExitDone, {}};
}

} // namespace tarvik
