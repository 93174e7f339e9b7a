#include "ColourSwatch.h"

#include "ColourMapping.h"

#include <QMouseEvent>
#include <QPainter>

namespace tarvik {

ColourSwatch::ColourSwatch(ColourValue colour, QWidget* parent) : QFrame(parent), colour_(colour) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

bool ColourSwatch::setBackColor(ColourValue colour) {
    if (!isValidColour(colour))
        return false;
    colour_ = colour;
    update();
    return true;
}

void ColourSwatch::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), toQColor(colour_, palette()));
    }
    QFrame::paintEvent(event);
}

void ColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

} // namespace tarvik
