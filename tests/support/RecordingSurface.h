#pragma once

#include "DrawingSurface.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <vector>

namespace tarvik {

// A drawing surface that keeps a log of what it was asked to do: every
// operation but the strokes as text, each point as "point" with its place and
// colour kept apart, the strokes as their end points.
class RecordingSurface final : public DrawingSurface {
  public:
    struct Point {
        float x;
        float y;
        ColourValue colour;
    };
    struct Stroke {
        float x1, y1, x2, y2;
        ColourValue pen;
    };

    QList<QString> operations;   // every call but lineTo, in order
    std::vector<Point> points;   // every point, in order
    std::vector<Stroke> strokes; // every line and lineTo, in order

    void setBackColor(ColourValue c) override { operations << QStringLiteral("back %1").arg(c); }
    void clear() override { operations << QStringLiteral("clear"); }
    void setForeColor(ColourValue c) override {
        pen_ = c;
        operations << QStringLiteral("pen %1").arg(c);
    }
    void setPoint(float x, float y, ColourValue c) override {
        operations << QStringLiteral("point");
        points.push_back({x, y, c});
    }
    void line(float x1, float y1, float x2, float y2) override {
        operations << QStringLiteral("line %1,%2 %3,%4").arg(x1).arg(y1).arg(x2).arg(y2);
        stroke(x1, y1, x2, y2);
    }
    void lineTo(float x2, float y2) override { stroke(x_, y_, x2, y2); }

  private:
    void stroke(float x1, float y1, float x2, float y2) {
        strokes.push_back({x1, y1, x2, y2, pen_});
        x_ = x2;
        y_ = y2;
    }

    ColourValue pen_ = 0;
    float x_ = 0.0F;
    float y_ = 0.0F;
};

} // namespace tarvik
