#include "ProgressBarView.h"

#include <QEvent>
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

ProgressBarView::ProgressBarView(QProgressBar& bar)
    : bar_(bar), watch_(*this), painted_(bar.value()), wanted_(bar.value()) {
    bar_.installEventFilter(&watch_);
    openEverything();
}

bool ProgressBarView::PaintWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == &view_.bar_) {
        view_.painted_ = view_.bar_.value();
        view_.sawPaint_ = true;
        view_.findQuietValues();
    }
    return QObject::eventFilter(watched, event);
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
    openEverything();
}

void ProgressBarView::setMin(float value) {
    catchUp();
    bar_.setMinimum(toInt(value));
    openEverything();
}

// The values inside the quiet stretch are passed over in one step: none of
// them would make the bar paint, and only the last one needs remembering.
void ProgressBarView::setValues(std::int32_t first, std::int32_t last) {
    for (qint64 v = first; v <= last;) {
        if (v > quietFrom_ && v < quietTo_) {
            const qint64 quietEnd = std::min<qint64>(last, quietTo_ - 1);
            wanted_ = static_cast<int>(quietEnd);
            v = quietEnd + 1;
        } else {
            wanted_ = static_cast<int>(v);
            pass(wanted_);
            ++v;
        }
    }
}

void ProgressBarView::pass(int value) {
    const bool shouldPaint = value != bar_.value() && value >= bar_.minimum() &&
                             value <= bar_.maximum() && !(value > quietFrom_ && value < quietTo_);
    sawPaint_ = false;
    bar_.setValue(value);
    // A bar that does not paint when it should is hidden or its window is not
    // exposed; until the event loop runs again it cannot paint for any value,
    // so the loop may go on quietly from here.
    if (shouldPaint && !sawPaint_)
        painted_ = value;
    findQuietValues();
    // Values that follow quietly reach the bar when the event loop runs, so
    // that between commands it holds the last value set, as it would have
    // been given every one. The call is queued before, and at a higher
    // priority than, the repaints the command asks for.
    if (!catchUpQueued_) {
        catchUpQueued_ = true;
        QMetaObject::invokeMethod(
            &watch_,
            [this] {
                catchUpQueued_ = false;
                catchUp();
            },
            Qt::QueuedConnection);
    }
}

// Gives the bar the last value set, which it would hold had it been given
// every one: a range change works on the bar's current value, and so does
// anything that paints the bar between commands.
void ProgressBarView::catchUp() {
    if (bar_.value() != wanted_)
        bar_.setValue(wanted_);
}

void ProgressBarView::openEverything() {
    quietFrom_ = 0;
    quietTo_ = 0;
}

void ProgressBarView::findQuietValues() {
    const qint64 distance = repaintDistance();
    quietFrom_ = std::max<qint64>(qint64(painted_) - distance, bar_.minimum());
    quietTo_ = std::min<qint64>(qint64(painted_) + distance, bar_.maximum());
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
