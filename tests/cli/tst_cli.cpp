#include "SimulatedSignals.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace tarvik {

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// tarvik-cli as a script runs it, with no terminal and no display.
Run cli(const QStringList& arguments, const QStringList& environment = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("TARVIK_SIMULATED_RATE"));
    for (const QString& setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TARVIK_CLI), arguments);
    process.waitForFinished(120'000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QString sigrokCli() {
    return QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
}

QByteArray sigrok(const QStringList& arguments) {
    QProcess process;
    process.start(sigrokCli(), arguments);
    process.waitForFinished(120'000);
    return process.readAllStandardOutput() + process.readAllStandardError();
}

// Data bit 3 of a step of the simulated port: its frame mark.
bool frameMark(std::uint8_t data) {
    return (data & 0x08) != 0;
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT

  private slots:
    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("nothing to work on")
            << QStringList{"-o", "x.sr"} << "--scan or --input-file";
        QTest::newRow("nothing to do") << QStringList{"--scan"} << "--output-file FILE or --show";
        QTest::newRow("two things to work on")
            << QStringList{"--scan", "-i", "a.lgc", "--show"} << "exclude each other";
        QTest::newRow("an unknown library")
            << QStringList{"--scan", "--via", "parport", "--show"} << "--via takes";
        QTest::newRow("no samples")
            << QStringList{"--scan", "--samples", "0", "--show"} << "--samples takes";
        QTest::newRow("a .lgc of another length")
            << QStringList{"--scan", "--samples", "1000", "-o", "x.lgc"} << "write it as sr or vcd";
        QTest::newRow("a trigger on no line")
            << QStringList{"--scan", "-t", "D8=r", "--show"} << "'D8' is not a line";
        QTest::newRow("a wait without a trigger")
            << QStringList{"--scan", "--wait", "1", "--show"} << "--wait is for --trigger";
        QTest::newRow("a time in hours")
            << QStringList{"--scan", "--time", "1h", "--show"} << "--time takes milliseconds";
        QTest::newRow("a time beside a count")
            << QStringList{"--scan", "--time", "1", "--samples", "5", "--show"}
            << "--time is for --scan, in place of --samples";
        QTest::newRow("a count of no prefix")
            << QStringList{"--scan", "--samples", "3x", "--show"} << "--samples takes";
        QTest::newRow("a fraction of a sample")
            << QStringList{"--scan", "--samples", "1.0005k", "--show"} << "--samples takes";
        QTest::newRow("a fraction of a hertz")
            << QStringList{"--scan", "--samplerate", "1.5", "--show"} << "whole number of hertz";
        QTest::newRow("a line twice")
            << QStringList{"--scan", "-C", "S7,D0,s7", "--show"} << "s7 is given twice";
        QTest::newRow("a name twice")
            << QStringList{"--scan", "-C", "D0=RX,D1=rx", "--show"} << "two lines are named rx";
        QTest::newRow("a name with a blank")
            << QStringList{"--scan", "-C", "D0=R X", "--show"} << "only printable ASCII";
        QTest::newRow("an empty name")
            << QStringList{"--scan", "-C", "D0=", "--show"} << "new name is empty";
        QTest::newRow("a trigger on a line not captured")
            << QStringList{"--scan", "-C", "S7,S6", "--triggers", "S6=r,D0=1", "--show"}
            << "D0 is not among the lines captured";
        QTest::newRow("a rate that is none")
            << QStringList{"-i", "a.lgc", "--samplerate", "fast", "--show"} << "--samplerate takes";
        QTest::newRow("an unknown format")
            << QStringList{"-i", "a.lgc", "-O", "csv", "-o", "a.csv"} << "--output-format takes";
        QTest::newRow("an extension of no format")
            << QStringList{"--scan", "--via", "simulated", "-o", "capture.csv"}
            << "'capture.csv' names no format this program writes: give the output one of the "
               "extensions .sr, .vcd, .lgc, .bin, or the format with -O (sr, vcd, lgc or binary)";
        QTest::newRow("an unknown option") << QStringList{"--scna"} << "Unknown option 'scna'";
        QTest::newRow("a wait of no time")
            << QStringList{"--scan", "-t", "D0=r", "--wait", "0", "--show"} << "--wait takes";
        QTest::newRow("a time that makes no sample")
            << QStringList{"--scan", "--samplerate", "10", "--time", "1", "--show"}
            << "--time takes";
        QTest::newRow("a port for a file")
            << QStringList{"-i", "a.lgc", "--port", "parport1", "--show"} << "--port is for --scan";
        QTest::newRow("a session to a pipe")
            << QStringList{"--scan", "-o", "-"} << "standard output takes only";
        QTest::newRow("a .lgc to a pipe")
            << QStringList{"--scan", "-O", "lgc", "-o", "-"} << "standard output takes only";
        QTest::newRow("a dump to a pipe without its time scale")
            << QStringList{"--scan", "-O", "vcd", "-o", "-"} << "needs --samplerate";
        QTest::newRow("a description into the stream")
            << QStringList{"--scan", "-O", "binary", "-o", "-", "--show"}
            << "--show prints to standard output";
        QTest::newRow("a .lgc until stopped")
            << QStringList{"--scan", "--continuous", "-o", "x.lgc"} << "holds exactly 2,048,000";
        QTest::newRow("a count until stopped")
            << QStringList{"--scan", "--continuous", "--samples", "5", "--show"}
            << "--continuous is for --scan, in place of --samples";
        QTest::newRow("samples before no trigger")
            << QStringList{"--scan", "--pretrigger", "10", "--show"} << "is for --trigger";
        QTest::newRow("more before the trigger than in all")
            << QStringList{"--scan", "-t",           "D0=r", "--samples",
                           "10",     "--pretrigger", "10",   "--show"}
            << "--pretrigger takes";
        QTest::newRow("a ratio of everything")
            << QStringList{"--scan", "-t", "D0=r", "-c", "captureratio=100", "--show"}
            << "captureratio takes";
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        const Run run = cli(arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(said.toUtf8()), run.err.constData());
        QVERIFY(run.err.contains("Try 'tarvik-cli --help'"));
        QVERIFY(run.out.isEmpty());
        if (const qsizetype o = arguments.indexOf(QStringLiteral("-o")); o >= 0)
            QVERIFY(!QFile::exists(arguments[o + 1]));
    }

    // sigrok-cli's counts and times: a bare time is milliseconds.
    void countsAndTimesAsSigrokCliReadsThem_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("samples");
        QTest::newRow("100 ms at 100 kHz")
            << QStringList{"--samplerate", "100k", "--time", "100"} << QByteArray("10,000");
        QTest::newRow("1 s at 100 kHz")
            << QStringList{"--samplerate", "100k", "--time", "1s"} << QByteArray("100,000");
        QTest::newRow("20ms at 1 MHz")
            << QStringList{"--samplerate", "1M", "--time", "20ms"} << QByteArray("20,000");
        QTest::newRow("3k samples") << QStringList{"--samples", "3k"} << QByteArray("3,000");
        QTest::newRow("1.5m samples, status only")
            << QStringList{"--samples", "1.5m", "-C", "S7,S6"} << QByteArray("1,500,000");
    }
    void countsAndTimesAsSigrokCliReadsThem() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, samples);
        const Run run = cli(QStringList{"--scan", "--via", "simulated", "--show"} + arguments);
        QVERIFY2(run.status == 0, run.err.constData());
        QVERIFY2(run.out.startsWith("Samples      " + samples + "\n"), run.out.constData());
    }

    void helpAndVersion() {
        const Run help = cli({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("--samplerate"));
        const Run version = cli({"--version"});
        QCOMPARE(version.status, 0);
        QVERIFY(version.out.startsWith("tarvik-cli "));
    }

    // The simulated port answering at once is step k at sample k; sigrok
    // reads the .sr back line by line, by the lines' names (the columns it
    // writes are named by -C, which fails on a name the file lacks).
    void sigrokReadsTheCaptureByName() {
        if (sigrokCli().isEmpty())
            QSKIP("sigrok-cli is not installed");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("instant.sr"));
        const Run run = cli({"--scan", "--via", "simulated", "--samples", "20000", "-o", file});
        QVERIFY2(run.status == 0, run.err.constData());
        QVERIFY(run.err.contains("Captured 20,000 samples"));

        const QByteArray csv = sigrok(
            {"-i", file, "-O", "csv:header=false", "-C", "S7,S6,S5,S4,S3,D7,D6,D5,D4,D3,D2,D1,D0"});
        QList<QByteArray> rows = csv.trimmed().split('\n');
        rows.removeIf([](const QByteArray& row) { return row.startsWith("logic"); }); // types
        QCOMPARE(rows.size(), 20000);
        int wrong = 0;
        // The columns in the order of -C, which is the window's.
        for (int k = 0; k < rows.size(); ++k) {
            const unsigned status = simulated::statusAt(k);
            const unsigned data = simulated::dataAt(k);
            QByteArray expected;
            for (int bit = 7; bit >= 3; --bit)
                expected += (status >> bit & 1) ? "1," : "0,";
            for (int bit = 7; bit >= 0; --bit)
                expected += (data >> bit & 1) ? "1," : "0,";
            expected.chop(1);
            wrong += rows[k].trimmed() != expected;
        }
        QCOMPARE(wrong, 0);

        // Two status lines: exactly those channels, one byte a sample.
        const QString two = dir.filePath(QStringLiteral("two.sr"));
        QCOMPARE(
            cli({"--scan", "--via", "simulated", "--samples", "1000", "-C", "S3,S4", "-o", two})
                .status,
            0);
        const QByteArray shown = sigrok({"-i", two, "--show"});
        QVERIFY2(shown.contains("Channels: 2\n- S3: logic\n- S4: logic\nLogic unitsize: 1\n"),
                 shown.constData());
    }

    // The simulated port answering at once is step k at sample k: given the
    // simulated clock's 1 MHz, sigrok decodes its UART at 62,500 baud, and
    // the rate measured on the real-time port is the one the file carries.
    void sigrokDecodesAtTheFilesRate() {
        if (sigrokCli().isEmpty())
            QSKIP("sigrok-cli is not installed");
        QTemporaryDir dir;
        const QString instant = dir.filePath(QStringLiteral("instant.sr"));
        const QString timed = dir.filePath(QStringLiteral("timed.sr"));
        QCOMPARE(cli({"--scan", "--via", "simulated", "--samples", "100000", "-o", instant}).status,
                 0);
        QCOMPARE(cli({"-i", instant, "--samplerate", "1M", "-o", timed}).status, 0);
        QVERIFY(sigrok({"-i", timed, "--show"}).contains("Samplerate: 1000000\n"));
        const QByteArray text =
            sigrok({"-i", timed, "-P", "uart:rx=D0:baudrate=62500", "-B", "uart=rx"});
        QVERIFY2(text.contains("Tarvik simulated port"), text.constData());

        // On the real-time port no faster than its 1 MHz, whatever else the
        // machine does.
        const QString measured = dir.filePath(QStringLiteral("measured.sr"));
        const Run run = cli({"--scan", "--via", "simulated", "--samples", "20000", "-o", measured},
                            {"TARVIK_SIMULATED_RATE=1M"});
        QVERIFY2(run.status == 0, run.err.constData());
        const QByteArray shown = sigrok({"-i", measured, "--show"});
        const QByteArray rateLine = shown.mid(shown.indexOf("Samplerate: ")).split('\n').first();
        const double rate = rateLine.mid(12).toDouble();
        QVERIFY2(rate > 0 && rate < 1010e3, rateLine.constData());

        // The data register alone, its line under the name the decoder takes,
        // which travels through a conversion that gives the rate.
        const QString renamed = dir.filePath(QStringLiteral("rx.sr"));
        const QString renamedTimed = dir.filePath(QStringLiteral("rx-1M.sr"));
        const Run rx = cli(
            {"--scan", "--via", "simulated", "--samples", "100k", "-C", "D0=RX", "-o", renamed});
        QVERIFY2(rx.status == 0, rx.err.constData());
        QCOMPARE(cli({"-i", renamed, "--samplerate", "1M", "-o", renamedTimed}).status, 0);
        const QByteArray decoded =
            sigrok({"-i", renamedTimed, "-P", "uart:rx=RX:baudrate=62500", "-B", "uart=rx"});
        QVERIFY2(decoded.contains("Tarvik simulated port"), decoded.constData());
    }

    // A schedule is reported and carried into the file as its rate; one
    // above what the port gives is told of at once. (How well a schedule is
    // kept is a matter for the clock the capture is given, tested there.)
    void samplesOnSchedule() {
        if (sigrokCli().isEmpty())
            QSKIP("sigrok-cli is not installed");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("250k.sr"));
        const Run run = cli({"--scan", "--via", "simulated", "--samplerate", "250k", "--samples",
                             "25000", "-o", file},
                            {"TARVIK_SIMULATED_RATE=1M"});
        QVERIFY2(run.status == 0, run.err.constData());
        QVERIFY2(run.err.contains("Captured 25,000 samples at 250 kS/s on schedule"),
                 run.err.constData());
        QVERIFY(sigrok({"-i", file, "--show"}).contains("Samplerate: 250000\n"));

        const Run tooFast = cli(
            {"--scan", "--via", "simulated", "--samplerate", "2M", "--samples", "20000", "--show"},
            {"TARVIK_SIMULATED_RATE=1M"});
        QCOMPARE(tooFast.status, 0);
        QVERIFY2(tooFast.err.contains("the port cannot keep up with 2 MHz"),
                 tooFast.err.constData());
        QVERIFY(tooFast.out.contains("late by more than one interval"));
    }

    // The simulated port keeps time at a rate written as --samplerate takes
    // one, and refuses to capture at all with a rate it cannot read: a port
    // left answering at once would give samples at a rate nobody asked for.
    // A schedule faster than the port shows the rate it took.
    void simulatedRateIsReadAsSampleRates_data() {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("lower-case m") << "1m" << 0 << "the port cannot keep up with 2 MHz";
        QTest::newRow("capital K") << "250K" << 0 << "the port cannot keep up with 2 MHz";
        QTest::newRow("kHz") << "250 kHz" << 0 << "the port cannot keep up with 2 MHz";
        QTest::newRow("no rate") << "fast" << 1
                                 << "TARVIK_SIMULATED_RATE is \"fast\", which is no sample rate";
        QTest::newRow("exponent") << "1e6" << 1
                                  << "TARVIK_SIMULATED_RATE is \"1e6\", which is no sample rate";
        QTest::newRow("zero") << "0" << 1 << "TARVIK_SIMULATED_RATE is \"0\"";
    }
    void simulatedRateIsReadAsSampleRates() {
        QFETCH(QString, rate);
        QFETCH(int, status);
        QFETCH(QString, said);
        const Run run = cli(
            {"--scan", "--via", "simulated", "--samplerate", "2M", "--samples", "2000", "--show"},
            {"TARVIK_SIMULATED_RATE=" + rate});
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(said.toUtf8()), run.err.constData());
    }

    // tarvik-cli names its own options in a port library's advice, never the
    // window's buttons: for a library that advises the kernel's driver, and
    // for the real libWIN95IO.so, however it answers on this machine.
    void adviceNamesOptionsNotButtons() {
        QTemporaryDir folder;
        QVERIFY(QFile::link(QStringLiteral(UNREACHABLE_LIBRARY),
                            folder.filePath(QStringLiteral("libWIN95IO.so"))));
        const Run advised =
            cli({"--scan", "--via", "win95io", "--show"}, {"LD_LIBRARY_PATH=" + folder.path()});
        QCOMPARE(advised.status, 1);
        QVERIFY2(advised.err.contains("the test port is switched off. Switch it on. Use --via "
                                      "inpout32, which reaches the port through the kernel's "
                                      "parallel-port driver."),
                 advised.err.constData());
        const Run real = cli({"--scan", "--via", "win95io", "--samples", "10", "--show"});
        for (const Run& run : {advised, real}) {
            QVERIFY2(!run.err.contains("SCAN") && !run.err.contains("button"), run.err.constData());
        }
    }

    // Storing starts at the frame mark's first rising edge, step 256: high
    // for 8 steps from there, low in the step before.
    void triggerStartsAtTheEdge() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("triggered.lgc"));
        const Run run = cli({"--scan", "--via", "simulated", "-t", "D3=r", "-o", file});
        QVERIFY2(run.status == 0, run.err.constData());
        QFile capture(file);
        QVERIFY(capture.open(QIODevice::ReadOnly));
        const QByteArray bytes = capture.read(64);
        for (int k = 0; k < 8; ++k)
            QVERIFY(frameMark(quint8(bytes[2 * k + 1])));
        QVERIFY(!frameMark(quint8(bytes[2 * 8 + 1])));
        QCOMPARE(quint8(bytes[0]), simulated::statusAt(256));
        QCOMPARE(quint8(bytes[1]), simulated::dataAt(256));

        // The frame mark rises while the clock on D1 is low, never high.
        const QString never = dir.filePath(QStringLiteral("never.sr"));
        const Run waited =
            cli({"--scan", "--via", "simulated", "-t", "D3=r,D1=1", "--wait", "0.3", "-o", never});
        QCOMPARE(waited.status, 1);
        QVERIFY2(waited.err.contains("did not hold within 0.3 s"), waited.err.constData());
        QVERIFY(!QFile::exists(never));
    }

    // Ctrl-C, SIGTERM and SIGHUP end a capture at once and leave no file
    // behind, neither the output nor the samples waiting for it, however slow
    // the schedule; a capture until stopped keeps what it took instead.
    void signalsEndACapture_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        const QStringList fast{"--samples", "100000000"};
        const QStringList slow{"--samplerate", "100", "--samples", "6000", "-O", "vcd"};
        QTest::newRow("Ctrl-C") << SIGINT << fast << 130;
        QTest::newRow("SIGTERM") << SIGTERM << fast << 128 + SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP << fast << 128 + SIGHUP;
        QTest::newRow("Ctrl-C between samples at 100 Hz") << SIGINT << slow << 130;
        QTest::newRow("Ctrl-C awaiting a trigger")
            << SIGINT << QStringList{"-t", "D3=r,D1=1"} << 130;
        QTest::newRow("Ctrl-C until stopped") << SIGINT << QStringList{"--continuous"} << 0;
        QTest::newRow("SIGHUP until stopped") << SIGHUP << QStringList{"--continuous"} << 0;
    }
    void signalsEndACapture() {
        QFETCH(int, signal);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QTemporaryDir dir;
        QTemporaryDir temporary;
        const QString file = dir.filePath(QStringLiteral("long.sr"));
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARVIK_SIMULATED_RATE"), QStringLiteral("1M"));
        env.insert(QStringLiteral("TMPDIR"), temporary.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TARVIK_CLI),
                      QStringList{"--scan", "--via", "simulated", "-o", file} + arguments);
        QVERIFY(process.waitForStarted());
        QTest::qWait(500);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(10'000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const auto files = QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden;
        QCOMPARE(QDir(temporary.path()).entryList(files), QStringList());
        if (status != 0) {
            QCOMPARE(QDir(dir.path()).entryList(files), QStringList());
            return;
        }
        QCOMPARE(QDir(dir.path()).entryList(files), QStringList{"long.sr"});
        const Run shown = cli({"-i", file, "--show"});
        QVERIFY2(shown.status == 0 && shown.out.startsWith("Samples      "), shown.out.constData());
    }

    // An output that cannot be written is refused before the port is
    // touched: the trigger here would never hold, and no wait is given.
    void outputIsCheckedBeforeThePort() {
        QTemporaryDir dir;
        const Run run = cli({"--scan", "--via", "simulated", "-t", "D3=r,D1=1", "-o",
                             dir.filePath(QStringLiteral("typo/c.sr"))});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("does not exist"), run.err.constData());
        QVERIFY(!run.err.contains("trigger"));
    }

    // The samples before the trigger: sample 100 of the file is the first at
    // which it holds (the frame mark's first rising edge, step 256), and
    // the file says so; the progress line stays off a stream that is no
    // terminal.
    void samplesBeforeTheTrigger() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("before.bin"));
        const Run run = cli({"--scan", "--via", "simulated", "-t", "D3=r", "--pretrigger", "100",
                             "--samples", "1000", "-o", file});
        QVERIFY2(run.status == 0, run.err.constData());
        QVERIFY(!run.err.contains("\033["));
        QVERIFY2(run.err.contains("held at sample 100"), run.err.constData());
        QFile capture(file);
        QVERIFY(capture.open(QIODevice::ReadOnly));
        const QByteArray bytes = capture.readAll();
        QCOMPARE(bytes.size(), 2000);
        for (int k = 0; k < 1000; ++k) {
            QCOMPARE(quint8(bytes[2 * k]), simulated::statusAt(156 + k));
            QCOMPARE(quint8(bytes[2 * k + 1]), simulated::dataAt(156 + k));
        }
        const QString session = dir.filePath(QStringLiteral("before.sr"));
        QCOMPARE(cli({"--scan", "--via", "simulated", "-t", "D3=r", "-c", "captureratio=10",
                      "--samples", "1000", "-o", session})
                     .status,
                 0);
        QVERIFY(cli({"-i", session, "--show"}).out.contains("Held at      sample 100\n"));
    }

    // A stream to standard output: the same samples as a file gets, and a
    // reader that goes away ends the capture at once, without a word.
    void streamsToStandardOutput() {
        const Run binary =
            cli({"--scan", "--via", "simulated", "--samples", "3000", "-O", "binary", "-o", "-"});
        QCOMPARE(binary.status, 0);
        QCOMPARE(binary.out.size(), 6000);
        for (int k = 0; k < 3000; ++k)
            QCOMPARE(quint8(binary.out[2 * k + 1]), simulated::dataAt(k));
        const Run vcd = cli({"--scan", "--via", "simulated", "--samples", "3000", "--samplerate",
                             "1M", "-O", "vcd", "-o", "-"},
                            {"TARVIK_SIMULATED_RATE=1M"});
        QCOMPARE(vcd.status, 0);
        QVERIFY(vcd.out.startsWith("$version Tarvik"));

        QProcess capture;
        QProcess head;
        capture.setStandardOutputProcess(&head);
        capture.start(QStringLiteral(TARVIK_CLI),
                      {"--scan", "--via", "simulated", "--continuous", "-O", "binary", "-o", "-"});
        head.start(QStringLiteral("head"), {"-c", "1000"});
        QVERIFY(head.waitForFinished(10'000));
        QCOMPARE(head.readAllStandardOutput().size(), 1000);
        QVERIFY(capture.waitForFinished(10'000));
        QCOMPARE(capture.readAllStandardError(), QByteArray());
    }
};

} // namespace tarvik

QTEST_GUILESS_MAIN(tarvik::CliTest)
#include "tst_cli.moc"
