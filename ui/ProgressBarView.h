#pragma once

#include "MonotonicClock.h"
#include "ProgressBar.h"

#include <QObject>
#include <QProgressBar>

#include <chrono>
#include <limits>
#include <optional>

namespace tarvik {

// PB1 as the commands drive it. The long loops set its value once per sample,
// and QProgressBar::setValue costs far more than a sample; every paint, too,
// stops the loop, and under an X server for tens of microseconds. So a loop's
// values, those that rise one by one from the value set before, reach the bar
// paced by time: at most one every PaintInterval, and only where the bar would
// show a change; the clock is read once every ClockStride values. A run that
// ends within one interval paints nothing before its last value. The maximum,
// and every value that does not follow the one before, are passed on at once,
// so that outside loops the bar paints the same pictures at the same moments as
// when it is given every value. Values that follow quietly reach the bar when
// the event loop runs again, and before a range change, so that the bar holds
// the same value as well whenever that can matter. In the classic look a paint
// during a rising run repaints only the blocks added since the paint before.
class ProgressBarView final : public ProgressBar {
  public:
    // Takes the bar's value as the one it painted last, as it is for a new bar
    // and for one that painted since its value was last set; from then on it
    // follows the bar's paints.
    explicit ProgressBarView(QProgressBar& bar, const MonotonicClock& clock = steadyClock());

    void setMax(float value) override;
    void setMin(float value) override;

    // The values are compared as they come, as floats: a conversion would
    // cost more than all the rest, and a quiet stretch ends before the values
    // that a float cannot hold exactly.
    void setValue(float value) override {
        if (value - last_ == 1.0F && value < quietTo_) {
            last_ = value;
            return;
        }
        settle(value);
    }
    void setValues(std::int32_t first, std::int32_t last) override;

    // 25 updates a second: a bar that moves on smoothly to the eye, and a
    // capture on a fast port, over in about 20 ms, that never stops for one.
    static constexpr std::chrono::nanoseconds PaintInterval = std::chrono::milliseconds(40);
    // Reading the clock costs about as much as a few samples; once in this
    // many values it adds nothing that can be measured, and on a port slow
    // enough for the bar to be watched it is still read every few milliseconds.
    static constexpr qint64 ClockStride = 4096;

  private:
    // Remembers the value the bar shows whenever it paints.
    class PaintWatch final : public QObject {
      public:
        explicit PaintWatch(ProgressBarView& view) : view_(view) {}
        bool eventFilter(QObject* watched, QEvent* event) override;

      private:
        ProgressBarView& view_;
    };

    // Below every value: no value is quiet.
    static constexpr float NoRun = -std::numeric_limits<float>::infinity();
    // Quiet stretches end here at the latest: up to it a float holds every
    // whole number exactly.
    static constexpr qint64 ExactFloats = qint64(1) << 24;

    // Rounds to the nearest integer, ties to even, as QProgressBar's int
    // values need; the loops' whole numbers cost no library call.
    static int toInt(float value) {
        if (value > -2147483648.0F && value < 2147483648.0F) {
            const auto whole = static_cast<int>(value);
            if (static_cast<float>(whole) == value)
                return whole;
        }
        return roundedSlowly(value);
    }
    static int roundedSlowly(float value);

    void settle(float value);
    void pass(int value);
    void keepQuietAfter(int value);
    std::optional<QRect> addedBlocks(int value) const;
    void notePainted();
    void prepareRun();
    void catchUp();
    void endRun();
    qint64 repaintDistance() const;

    QProgressBar& bar_;
    const MonotonicClock& clock_;
    PaintWatch watch_;
    int painted_ = 0;    // the value the bar showed when it last painted
    int paintedMin_ = 0; // and its range then
    int paintedMax_ = 0;
    float last_ = 0;                      // the last value set
    std::chrono::nanoseconds passedAt_{}; // when a value last reached the bar
    bool sawPaint_ = false;               // the bar painted during the last pass
    bool catchUpQueued_ = false;          // catchUp() will run when the event loop does
    bool rangeChanged_ = true;            // no value has been set since the range changed
    bool onX11_ = false;                  // Qt shows the window on an X server
    // Following values below this do not reach the bar; the next one is
    // where the clock is read again.
    float quietTo_ = NoRun;
    // From the last value passed on: the first value the bar would paint for,
    // and the bar's maximum.
    qint64 visibleFrom_ = 0;
    qint64 runEnd_ = 0;
};

} // namespace tarvik
