#include "ProgressBarView.h"

#include "ClassicLook.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tarvik {

namespace {

// initStyleOption() is protected. A pointer to it, taken through a using-
// declaration in a subclass, calls the bar's own, so the option below is the
// very one QProgressBar decides with.
struct StyleOptionAccess : QProgressBar {
    using QProgressBar::initStyleOption;
};
constexpr auto styleOptionOf = &StyleOptionAccess::initStyleOption;

// Farther apart than any two int values.
constexpr qint64 NeverRepaints = qint64(1) << 33;

} // namespace

ProgressBarView::ProgressBarView(QProgressBar& bar, const MonotonicClock& clock)
    : bar_(bar), clock_(clock), watch_(*this), last_(static_cast<float>(bar.value())),
      onX11_(QGuiApplication::platformName() == QLatin1String("xcb")) {
    bar_.installEventFilter(&watch_);
    notePainted();
    endRun();
}

bool ProgressBarView::PaintWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == &view_.bar_) {
        view_.notePainted();
        view_.sawPaint_ = true;
    }
    return QObject::eventFilter(watched, event);
}

void ProgressBarView::notePainted() {
    painted_ = bar_.value();
    paintedMin_ = bar_.minimum();
    paintedMax_ = bar_.maximum();
}

int ProgressBarView::roundedSlowly(float value) {
    constexpr float IntRange = 2147483648.0F;
    if (std::isnan(value))
        return 0;
    if (value <= -IntRange)
        return std::numeric_limits<int>::min();
    if (value >= IntRange)
        return std::numeric_limits<int>::max();
    return static_cast<int>(std::lrint(value));
}

void ProgressBarView::setMax(float value) {
    catchUp();
    bar_.setMaximum(toInt(value));
    endRun();
    rangeChanged_ = true;
}

void ProgressBarView::setMin(float value) {
    catchUp();
    bar_.setMinimum(toInt(value));
    endRun();
    rangeChanged_ = true;
}

// The values of a quiet stretch are passed over in one step: only the last
// one needs remembering. The others go as setValue() takes them.
void ProgressBarView::setValues(std::int32_t first, std::int32_t last) {
    for (qint64 v = first; v <= last;) {
        const auto value = static_cast<float>(v);
        if (value - last_ == 1.0F && value < quietTo_) {
            const qint64 end = std::min<qint64>(last, qint64(quietTo_) - 1);
            last_ = static_cast<float>(end);
            v = end + 1;
        } else {
            settle(value);
            ++v;
        }
    }
}

// A value that follows the one before ends a quiet stretch: it reaches the
// bar when the interval since the last value that did is over, or when it is
// the maximum. Any other value starts a run of its own and reaches the bar at
// once.
void ProgressBarView::settle(float value) {
    const bool follows = value - last_ == 1.0F && quietTo_ != NoRun;
    last_ = value;
    const int v = toInt(value);
    const std::chrono::nanoseconds now = clock_.now();
    if (follows && v < runEnd_ && now - passedAt_ < PaintInterval) {
        keepQuietAfter(v);
        return;
    }
    passedAt_ = now;
    pass(v);
}

void ProgressBarView::pass(int value) {
    const qint64 distance = repaintDistance();
    const bool shouldPaint = value != bar_.value() && value >= bar_.minimum() &&
                             value <= bar_.maximum() && value != painted_ &&
                             (value == bar_.minimum() || value == bar_.maximum() ||
                              std::abs(qint64(value) - painted_) >= distance);
    sawPaint_ = false;
    const std::optional<QRect> added = shouldPaint ? addedBlocks(value) : std::nullopt;
    if (added) {
        // The bar would repaint all of itself for the new value; it takes
        // the value with its updates off, then only the new blocks are
        // repainted. The attribute is set directly: setUpdatesEnabled(true)
        // would mark the whole bar dirty again, and the next repaint of the
        // blocks would paint and send all of it.
        bar_.setAttribute(Qt::WA_UpdatesDisabled);
        bar_.setValue(value);
        bar_.setAttribute(Qt::WA_UpdatesDisabled, false);
        bar_.repaint(*added);
    } else {
        bar_.setValue(value);
    }
    // A bar that does not paint when it should is hidden or its window is not
    // exposed; until the event loop runs again it cannot paint for any value,
    // so the loop may go on quietly from here.
    if (shouldPaint && !sawPaint_)
        notePainted();
    if (rangeChanged_) {
        rangeChanged_ = false;
        if (value == bar_.minimum())
            prepareRun();
    }
    visibleFrom_ = qint64(painted_) + distance;
    runEnd_ = bar_.maximum();
    keepQuietAfter(value);
    // Values that follow quietly reach the bar when the event loop runs, so
    // that between commands it holds the last value set, as it would have
    // been given every one, and the run ends there. The call is queued
    // before, and at a higher priority than, the repaints the command asks
    // for.
    if (!catchUpQueued_) {
        catchUpQueued_ = true;
        QMetaObject::invokeMethod(
            &watch_,
            [this] {
                catchUpQueued_ = false;
                catchUp();
                endRun();
            },
            Qt::QueuedConnection);
    }
}

// The blocks a rising value adds to the picture the bar shows, when it adds
// some, the bar is in the classic look, shows nothing else that changes with
// the value, and has kept its range since it painted.
std::optional<QRect> ProgressBarView::addedBlocks(int value) const {
    if (value <= painted_ || bar_.minimum() != paintedMin_ || bar_.maximum() != paintedMax_ ||
        !bar_.updatesEnabled())
        return std::nullopt;
    const std::optional<QRect> added = classicBlocksAdded(bar_, painted_, value);
    if (!added || added->isEmpty())
        return std::nullopt;
    return added;
}

// Qt's X11 backing store hands the window's pixels to the X server in shared
// memory. Before it paints over a part it has handed over since it last heard
// from the server, it asks the server for an answer and waits for it: a round
// trip that would stop the loop for as long as the server takes to be
// scheduled. A run, which starts at the minimum, repaints each block once, so
// only its first paint could wait: for the picture the bar showed before. The
// waiting is done here, as the run starts and before its values rise, by
// repainting the whole bar and then the part above its blocks, which is then
// all of the bar left to answer for.
void ProgressBarView::prepareRun() {
    if (!onX11_ || !bar_.updatesEnabled())
        return;
    const std::optional<QRect> blocks = classicBlocksAdded(bar_, bar_.minimum(), bar_.maximum());
    if (!blocks || blocks->top() <= 0)
        return;
    bar_.repaint();
    bar_.repaint(QRect(0, 0, bar_.width(), blocks->top()));
}

// Gives the bar the last value set, which it would hold had it been given
// every one: a range change works on the bar's current value, and so does
// anything that paints the bar between commands.
void ProgressBarView::catchUp() {
    if (static_cast<float>(bar_.value()) != last_)
        bar_.setValue(toInt(last_));
}

void ProgressBarView::endRun() {
    quietTo_ = NoRun;
}

// Following values stay away from the bar up to the next reading of the
// clock, and up to the first value the bar would paint for; the maximum
// always reaches it.
void ProgressBarView::keepQuietAfter(int value) {
    quietTo_ = static_cast<float>(
        std::min({std::max(qint64(value) + ClockStride, visibleFrom_), runEnd_, ExactFloats}));
}

// How far a value must lie from the painted one for the bar to paint it: the
// same test as QProgressBar makes, solved for the distance. Values equal to
// the minimum or the maximum always paint.
qint64 ProgressBarView::repaintDistance() const {
    const qint64 steps = qint64(bar_.maximum()) - bar_.minimum();
    qint64 distance = NeverRepaints;
    if (bar_.isTextVisible()) {
        const QString format = bar_.format();
        if (format.contains(QLatin1String("%v")))
            return 1;
        if (format.contains(QLatin1String("%p")))
            distance = std::max<qint64>(std::abs(steps / 100), 1);
    }
    QStyleOptionProgressBar option;
    (bar_.*styleOptionOf)(&option);
    const QStyle* style = bar_.style();
    const qint64 chunk = style->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &option, &bar_);
    const QRect groove = style->subElementRect(QStyle::SE_ProgressBarGroove, &option, &bar_);
    const qint64 block = bar_.orientation() == Qt::Horizontal ? groove.width() : groove.height();
    // It paints when distance * block > chunk * steps.
    const qint64 threshold = chunk * steps;
    if (threshold < 0)
        return 1;
    if (block > 0)
        distance = std::min(distance, threshold / block + 1);
    return distance;
}

} // namespace tarvik
