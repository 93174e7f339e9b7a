#include "ProgressBarView.h"

#include <QStyle>
#include <QStyleOptionProgressBar>

#include <cmath>

namespace {

int toInt(float value)
{
    return static_cast<int>(std::lrint(value));
}

} // namespace

void ProgressBarView::setMax(float value)
{
    bar_.setMaximum(toInt(value));
    rangeChanged();
}

void ProgressBarView::setMin(float value)
{
    bar_.setMinimum(toInt(value));
    rangeChanged();
}

// QProgressBar repaints at once only when the value has moved by more than a
// chunk of its groove since it last painted; smaller moves just schedule a
// repaint for the event loop, which the long loops never return to. Passing
// on exactly the values that cross that line, and the ends of the range,
// shows what passing every value would show.
void ProgressBarView::rangeChanged()
{
    QStyleOptionProgressBar option;
    option.initFrom(&bar_);
    option.minimum = bar_.minimum();
    option.maximum = bar_.maximum();
    const QRect groove = bar_.style()->subElementRect(QStyle::SE_ProgressBarGroove, &option, &bar_);
    const int chunk = bar_.style()->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &option, &bar_);
    const qint64 steps = qint64(bar_.maximum()) - bar_.minimum();
    const qint64 width = std::max(groove.width(), 1);
    repaintStep_ = static_cast<int>(std::max<qint64>(chunk * steps / width + 1, 1));
    mustPass_ = true;
}

void ProgressBarView::setValue(float value)
{
    const int v = toInt(value);
    if (v == shown_ && !mustPass_)
        return;
    const bool atEnd = v <= bar_.minimum() || v >= bar_.maximum();
    if (!mustPass_ && !atEnd && std::abs(qint64(v) - lastPainted_) < repaintStep_)
        return;
    bar_.setValue(v);
    shown_ = v;
    lastPainted_ = v;
    mustPass_ = false;
}
