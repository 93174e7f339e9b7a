#pragma once

#include "ProgressBar.h"

#include <QObject>
#include <QProgressBar>

#include <optional>

namespace tarvik {

// PB1 as the commands drive it. The long loops set its value once per sample,
// and QProgressBar::setValue costs far more than a sample. A QProgressBar
// paints at once when a new value lies far enough from the value it painted
// last, and otherwise paints nothing, not even later. So a value is passed on
// only when the bar would paint for it: the bar paints the same pictures at the
// same moments as when it is given every value. The value before a range
// change, the first value after one, and the last value set when the event
// loop runs again are always passed on, so that the bar holds the same value
// as well whenever that can matter.
//
// Rising values are the exception: every paint stops the loop that sets them,
// so the bar paints at most PaintsPerRange times on its way from the minimum
// to the maximum, evenly spread, and in the classic look it repaints only the
// blocks added since its last paint.
class ProgressBarView final : public ProgressBar {
  public:
    // Takes the bar's value as the one it painted last, as it is for a new bar
    // and for one that painted since its value was last set; from then on it
    // follows the bar's paints.
    explicit ProgressBarView(QProgressBar& bar);

    void setMax(float value) override;
    void setMin(float value) override;

    void setValue(float value) override {
        const int v = toInt(value);
        wanted_ = v;
        if (v > quietFrom_ && v < quietTo_)
            return;
        pass(v);
    }
    void setValues(std::int32_t first, std::int32_t last) override;

    // A rising run's bar paints this many times over its range at most:
    // steps the eye still follows, and, under an X server, each paint stops
    // the capture for tens of microseconds, so fewer paints lose less signal.
    // A capture paints 21 times between its samples.
    static constexpr qint64 PaintsPerRange = 22;

  private:
    // Remembers the value the bar shows whenever it paints.
    class PaintWatch final : public QObject {
      public:
        explicit PaintWatch(ProgressBarView& view) : view_(view) {}
        bool eventFilter(QObject* watched, QEvent* event) override;

      private:
        ProgressBarView& view_;
    };

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

    void pass(int value);
    std::optional<QRect> addedBlocks(int value) const;
    void notePainted();
    void prepareRun();
    void catchUp();
    void openEverything();
    void findQuietValues();
    qint64 repaintDistance() const;

    QProgressBar& bar_;
    PaintWatch watch_;
    int painted_ = 0;    // the value the bar showed when it last painted
    int paintedMin_ = 0; // and its range then
    int paintedMax_ = 0;
    int wanted_ = 0;             // the last value set
    bool sawPaint_ = false;      // the bar painted during the last pass
    bool catchUpQueued_ = false; // catchUp() will run when the event loop does
    bool rangeChanged_ = false;  // no value has been set since the range changed
    bool onX11_ = false;         // Qt shows the window on an X server
    // Values strictly between these would not make the bar paint, or rise too
    // little to be worth a paint.
    qint64 quietFrom_ = 0;
    qint64 quietTo_ = 0;
};

} // namespace tarvik
