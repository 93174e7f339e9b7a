// A capture as the user meets it: the real window on a real X server. The
// benchmark starts its own Xvfb, shows Form1 there through Qt's xcb platform
// and clicks the lower "SCAN" button. The port answers every read at once and
// notes the processor's time-stamp counter at every status read, so the gaps
// between two samples show every pause the capture makes: the progress bar
// reaching the screen, and anything else that stops the loop.
//
// The same click on a port as slow as a real one, about a microsecond a read:
// how often PB1 visibly moves on during the four seconds a user watches it.
//
// Beside it, the same loop with no progress display, for the pauses the
// machine makes by itself, and the cost of one PB1 repaint taken apart: the
// whole repaint as a capture makes it, the painting alone, and the flush to
// the X server alone. What the whole costs beyond the two parts is the
// progress display's own work, the window's background under the bar, and
// any waiting for the server.

#include "Capture.h"
#include "ClassicLook.h"
#include "FormHarness.h"
#include "ProgressBarView.h"
#include "TicksPerMicrosecond.h"
#include "XvfbServer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QProgressBar>

#include <sys/resource.h>
#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace tarvik {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int16_t StatusRegister = 0x379;

// Every register reads 0x55 at once. Every status read is time-stamped, and
// a gap of over a microsecond since the read before is kept: keeping every
// stamp would stream 16 MB through the caches beside the capture's own 4 MB,
// and slow down whatever runs between two samples.
class TimedPort final : public PortDevice {
  public:
    struct Gap {
        std::uint64_t from;
        std::uint64_t to;
    };
    const double ticksPerUs = measureTicksPerUs();

    TimedPort() { gaps_.reserve(1 << 16); }
    QString open() override { return {}; }
    void close() override {}
    // The control write opens each capture.
    void out(std::int16_t, std::int16_t) override {
        next_ = 1;
        gaps_.clear();
    }
    std::int16_t inp(std::int16_t address) override {
        if (address != StatusRegister)
            return 0x55;
        if (next_ == 1)
            getrusage(RUSAGE_THREAD, &atStart_);
        const std::uint64_t now = __rdtsc();
        if (next_ > 1 && now - last_ > minGap_)
            gaps_.push_back({last_, now});
        last_ = now;
        if (next_++ == SampleCount)
            getrusage(RUSAGE_THREAD, &atEnd_);
        return 0x55;
    }

    // Between the first and the last status read of a capture.
    bool betweenSamples() const { return next_ > 1 && next_ <= SampleCount; }
    // The gaps of over a microsecond between two samples of the last capture.
    const std::vector<Gap>& gaps() const { return gaps_; }
    // How often the loop's thread waited for something between the first
    // and the last sample of the last capture, and how often the system gave
    // its processor to another thread meanwhile.
    long waits() const { return atEnd_.ru_nvcsw - atStart_.ru_nvcsw; }
    long preemptions() const { return atEnd_.ru_nivcsw - atStart_.ru_nivcsw; }

  private:
    const std::uint64_t minGap_ = std::uint64_t(ticksPerUs);
    std::vector<Gap> gaps_;
    std::int32_t next_ = 0;
    std::uint64_t last_ = 0;
    rusage atStart_{};
    rusage atEnd_{};
};

// Time-stamps the bar's paints between two samples.
class PaintStamps final : public QObject {
  public:
    explicit PaintStamps(const TimedPort& port) : port_(port) { stamps.reserve(4096); }
    std::vector<std::uint64_t> stamps;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && port_.betweenSamples())
            stamps.push_back(__rdtsc());
        return QObject::eventFilter(watched, event);
    }

  private:
    const TimedPort& port_;
};

struct Shown : BasicFormHarness<TimedPort> {
    QProgressBar* bar = control<QProgressBar>("PB1");
    Shown() {
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("the window was never exposed");
        QTest::qWait(50);
    }
};

struct CaptureFigures {
    double longestUs = 0;
    int over5 = 0;
    int over20 = 0;
    double pausedMs = 0; // in pauses over 5 µs
    int paints = 0;
    double longestPaintUs = 0; // the longest pause with a paint of the bar in it
    double otherMs = 0;        // in pauses over 5 µs without one
    long waits = 0;
    long preemptions = 0;
};

// The medians the summary at the end compares.
struct Summary {
    double scanLongestUs = -1;
    double scanPausedMs = -1;
    double floorLongestUs = -1;
    double overFloorUs = 0;
    double slowLongestStretchMs = -1;
    double slowUpdatesPerSecond = -1;
    double slowCaptureS = -1;
} summary;

CaptureFigures figuresOf(const TimedPort& port, const std::vector<std::uint64_t>& paints) {
    CaptureFigures f;
    f.paints = int(paints.size());
    f.waits = port.waits();
    f.preemptions = port.preemptions();
    auto paint = paints.begin();
    for (const TimedPort::Gap& g : port.gaps()) {
        const double gap = double(g.to - g.from) / port.ticksPerUs;
        while (paint != paints.end() && *paint < g.from)
            ++paint;
        const bool painted = paint != paints.end() && *paint < g.to;
        f.longestUs = std::max(f.longestUs, gap);
        if (painted)
            f.longestPaintUs = std::max(f.longestPaintUs, gap);
        if (gap > 5.0) {
            ++f.over5;
            f.pausedMs += gap / 1000.0;
            if (!painted)
                f.otherMs += gap / 1000.0;
        }
        if (gap > 20.0)
            ++f.over20;
    }
    return f;
}

template <typename T> double median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return double(values[values.size() / 2]);
}

// The counters are per capture: the median over the captures, and for the
// longest pause and the paused time also the worst.
void report(benchmark::State& state, const std::vector<CaptureFigures>& captures) {
    const auto each = [&captures](auto field) {
        std::vector<double> v;
        for (const CaptureFigures& c : captures)
            v.push_back(double(c.*field));
        return v;
    };
    const auto worst = [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    };
    state.counters["paints"] = median(each(&CaptureFigures::paints));
    state.counters["longest_us"] = median(each(&CaptureFigures::longestUs));
    state.counters["longest_us_worst"] = worst(each(&CaptureFigures::longestUs));
    state.counters["over_5us"] = median(each(&CaptureFigures::over5));
    state.counters["over_20us"] = median(each(&CaptureFigures::over20));
    state.counters["paused_ms"] = median(each(&CaptureFigures::pausedMs));
    state.counters["paused_ms_worst"] = worst(each(&CaptureFigures::pausedMs));
    state.counters["longest_paint_us"] = median(each(&CaptureFigures::longestPaintUs));
    state.counters["other_ms"] = median(each(&CaptureFigures::otherMs));
    state.counters["waits"] = median(each(&CaptureFigures::waits));
    state.counters["preemptions"] = median(each(&CaptureFigures::preemptions));
}

class NoDisplay final : public ProgressBar {
  public:
    void setMax(float) override {}
    void setMin(float) override {}
    void setValue(float) override {}
};

// One "SCAN" click per iteration: the capture and the closing redraw. Between
// clicks the event loop runs for a while, as between a user's clicks. Beside
// each click the same loop runs once with no progress display: the floor the
// click's pauses are set against, measured as close to it as can be, so that
// what else the machine does meanwhile touches both alike. The first capture
// after the wait pauses longer than the second, so the two take turns at
// going first.
void BM_ScanUnderX(benchmark::State& state) {
    Shown shown;
    PaintStamps paints(shown.inpout32);
    shown.bar->installEventFilter(&paints);
    auto program = std::make_unique<ProgramState>();
    TimedPort bare;
    NoDisplay none;
    std::vector<CaptureFigures> captures;
    std::vector<double> floors;
    std::vector<double> overFloor;
    bool bareFirst = false;
    for (auto _ : state) {
        state.PauseTiming();
        if (bareFirst)
            CaptureSamples(*program, bare, none);
        paints.stamps.clear();
        state.ResumeTiming();
        shown.click("btAll");
        state.PauseTiming();
        captures.push_back(figuresOf(shown.inpout32, paints.stamps));
        if (!bareFirst)
            CaptureSamples(*program, bare, none);
        floors.push_back(figuresOf(bare, {}).longestUs);
        overFloor.push_back(captures.back().longestUs - floors.back());
        bareFirst = !bareFirst;
        QTest::qWait(20);
        state.ResumeTiming();
    }
    report(state, captures);
    state.counters["floor_longest_us"] = median(floors);
    state.counters["over_floor_us"] = median(overFloor);
    summary.scanLongestUs = state.counters["longest_us"];
    summary.scanPausedMs = state.counters["paused_ms"];
    summary.floorLongestUs = state.counters["floor_longest_us"];
    summary.overFloorUs = state.counters["over_floor_us"];
}
BENCHMARK(BM_ScanUnderX)->Unit(benchmark::kMillisecond)->Iterations(100);

// The same capture loop with a progress display that does nothing: the pauses
// the machine makes by itself, which no progress display can go below.
void BM_CaptureWithoutDisplay(benchmark::State& state) {
    auto program = std::make_unique<ProgramState>();
    TimedPort port;
    NoDisplay none;
    std::vector<CaptureFigures> captures;
    for (auto _ : state) {
        CaptureSamples(*program, port, none);
        state.PauseTiming();
        captures.push_back(figuresOf(port, {}));
        state.ResumeTiming();
    }
    report(state, captures);
}
BENCHMARK(BM_CaptureWithoutDisplay)->Unit(benchmark::kMillisecond)->Iterations(20);

// Every read takes about a microsecond, as on a printer port on the ISA or LPC
// bus: it spins on the steady clock. The first and the last status read of a
// capture are time-stamped.
class SlowPort final : public PortDevice {
  public:
    std::uint64_t firstSample = 0;
    std::uint64_t lastSample = 0;

    QString open() override { return {}; }
    void close() override {}
    void out(std::int16_t, std::int16_t) override { next_ = 1; }
    std::int16_t inp(std::int16_t address) override {
        const auto until = Clock::now() + std::chrono::microseconds(1);
        while (Clock::now() < until) {
        }
        if (address == StatusRegister) {
            if (next_ == 1)
                firstSample = __rdtsc();
            if (next_++ == SampleCount)
                lastSample = __rdtsc();
        }
        return 0x55;
    }

  private:
    std::int32_t next_ = 0;
};

// Time-stamps the bar's paints, with the value shown and whether it shows
// more blocks than the paint before: what the user sees move.
class PaintLog final : public QObject {
  public:
    struct Paint {
        std::uint64_t at;
        int value;
        bool moved;
    };
    std::vector<Paint> paints;

    explicit PaintLog(const QProgressBar& bar) : bar_(bar) { paints.reserve(4096); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const std::optional<QRect> filled =
                classicBlocksAdded(bar_, bar_.minimum(), bar_.value());
            const int width = filled ? filled->width() : 0;
            paints.push_back({__rdtsc(), bar_.value(), width > shown_});
            shown_ = width;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    const QProgressBar& bar_;
    int shown_ = 0;
};

// One "SCAN" click per iteration on the slow port. From the first sample to
// the last, and the paint of the last value: the longest stretch without a
// visible change of the bar, the changes a second, and the paints.
void BM_ScanSlowPortUnderX(benchmark::State& state) {
    BasicFormHarness<SlowPort> shown;
    shown.form.show();
    if (!QTest::qWaitForWindowExposed(&shown.form))
        qFatal("the window was never exposed");
    QTest::qWait(50);
    auto* bar = shown.control<QProgressBar>("PB1");
    PaintLog log(*bar);
    bar->installEventFilter(&log);
    const double ticksPerMs = measureTicksPerUs() * 1000.0;
    std::vector<double> longest;
    std::vector<double> perSecond;
    std::vector<double> seconds;
    std::vector<double> paints;
    for (auto _ : state) {
        log.paints.clear();
        shown.click("btAll");
        state.PauseTiming();
        const SlowPort& port = shown.inpout32;
        std::uint64_t before = port.firstSample;
        double stretch = 0;
        int changes = 0;
        int painted = 0;
        for (const PaintLog::Paint& paint : log.paints) {
            if (paint.at < port.firstSample)
                continue;
            ++painted;
            if (paint.moved) {
                stretch = std::max(stretch, double(paint.at - before) / ticksPerMs);
                before = paint.at;
                ++changes;
            }
            if (paint.value == SampleCount)
                break;
        }
        const double runMs = double(port.lastSample - port.firstSample) / ticksPerMs;
        longest.push_back(stretch);
        perSecond.push_back(changes / runMs * 1000.0);
        seconds.push_back(runMs / 1000.0);
        paints.push_back(painted);
        QTest::qWait(20);
        state.ResumeTiming();
    }
    state.counters["longest_stretch_ms"] = median(longest);
    state.counters["longest_stretch_ms_worst"] = *std::max_element(longest.begin(), longest.end());
    state.counters["changes_per_s"] = median(perSecond);
    state.counters["capture_s"] = median(seconds);
    state.counters["paints"] = median(paints);
    summary.slowLongestStretchMs = state.counters["longest_stretch_ms_worst"];
    summary.slowUpdatesPerSecond = state.counters["changes_per_s"];
    summary.slowCaptureS = state.counters["capture_s"];
}
BENCHMARK(BM_ScanSlowPortUnderX)->Unit(benchmark::kSecond)->Iterations(3);

enum class RepaintPart { Whole, Painting, Flush };

// One PB1 repaint as a capture makes it, and its two parts: painting the
// blocks a step adds into the window's backing store, and handing them to the
// X server. The bar runs through its range in the capture's steps; between
// two steps the benchmark spins a while, so each step finds the server idle,
// as a capture, which paints at most every few tens of milliseconds, leaves it.
void BM_PB1Repaint(benchmark::State& state) {
    Shown shown;
    QProgressBar& bar = *shown.bar;
    ProgressBarView view(bar);
    QBackingStore& store = *shown.form.backingStore();
    // Painting alone is timed on an unshown twin of the bar, which paints
    // only when asked to.
    QProgressBar twin;
    twin.setGeometry(bar.geometry());
    twin.setTextVisible(false);
    useClassicLook(twin);
    twin.setRange(1, SampleCount);
    QImage canvas(bar.size(), QImage::Format_ARGB32_Premultiplied);
    const auto part = RepaintPart(state.range(0));
    // A block or two of the bar, as a paint during a capture on a slow port adds.
    const std::int32_t step = SampleCount / 64;
    const auto restart = [&view] {
        view.setMax(float(SampleCount));
        view.setMin(1.0F);
        view.setValue(1.0F);
    };
    restart();
    std::int32_t value = 1;
    std::vector<double> times;
    for (auto _ : state) {
        if (value + step > SampleCount) {
            restart();
            value = 1;
        }
        const QRect added = *classicBlocksAdded(bar, value, value + step);
        value += step;
        twin.setValue(value);
        const auto until = Clock::now() + std::chrono::microseconds(400);
        while (Clock::now() < until) {
        }
        const auto start = Clock::now();
        switch (part) {
        case RepaintPart::Whole:
            view.setValue(float(value));
            break;
        case RepaintPart::Painting:
            twin.render(&canvas, added.topLeft(), QRegion(added));
            break;
        case RepaintPart::Flush:
            store.flush(added.translated(bar.pos()), shown.form.windowHandle());
            break;
        }
        const std::chrono::duration<double> time = Clock::now() - start;
        state.SetIterationTime(time.count());
        times.push_back(time.count() * 1e6);
    }
    state.counters["median_us"] = median(times);
}
BENCHMARK(BM_PB1Repaint)
    ->ArgName("whole_painting_flush")
    ->Arg(int(RepaintPart::Whole))
    ->Arg(int(RepaintPart::Painting))
    ->Arg(int(RepaintPart::Flush))
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(2000);

} // namespace

} // namespace tarvik

int main(int argc, char** argv) {
    tarvik::XvfbServer server;
    if (server.display().isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start (Debian package xvfb)\n");
        return 1;
    }
    qputenv("DISPLAY", server.display());
    qputenv("QT_QPA_PLATFORM", "xcb");
    {
        QApplication app(argc, argv);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    const tarvik::Summary& s = tarvik::summary;
    if (s.scanLongestUs >= 0 && s.floorLongestUs >= 0)
        std::printf("\nfast port: median longest pause %.1f us, %.1f us without a display beside "
                    "each click, median difference %+.1f us; %.3f ms a capture in pauses over "
                    "5 us\n",
                    s.scanLongestUs, s.floorLongestUs, s.overFloorUs, s.scanPausedMs);
    if (s.slowLongestStretchMs >= 0)
        std::printf("slow port: %.2f s a capture, %.1f visible changes of PB1 a second, "
                    "at most %.1f ms without one\n",
                    s.slowCaptureS, s.slowUpdatesPerSecond, s.slowLongestStretchMs);
    return 0;
}
