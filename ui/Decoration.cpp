#include "Decoration.h"

#include <QPainter>
#include <QPolygon>

namespace tarvik {

QPixmap decorationPicture() {
    QPixmap picture(60, 25);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(0, 192, 0), 2));
    // A clock above a data line, as the traces draw them.
    const QPolygon clock{{2, 10}, {8, 10},  {8, 3},   {16, 3}, {16, 10}, {24, 10}, {24, 3},
                         {32, 3}, {32, 10}, {40, 10}, {40, 3}, {48, 3},  {48, 10}, {58, 10}};
    const QPolygon data{{2, 22},  {12, 22}, {12, 15}, {28, 15},
                        {28, 22}, {44, 22}, {44, 15}, {58, 15}};
    painter.drawPolyline(clock);
    painter.setPen(QPen(QColor(0, 0, 255), 2));
    painter.drawPolyline(data);
    return picture;
}

} // namespace tarvik
