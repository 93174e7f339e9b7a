#pragma once

#include "ProgressBar.h"

#include <QList>
#include <QString>

namespace tarvik {

// A progress bar that remembers every setting, as "max 2048000", "min 1",
// "value 5"; loops of millions of values keep only the count and the last.
class RecordingProgressBar final : public ProgressBar {
  public:
    QList<QString> calls;
    float max = 0.0F;
    float min = 0.0F;
    float value = 0.0F;
    long long valueCount = 0;
    // Values after this many are counted but not listed.
    long long listLimit = 16;

    void setMax(float v) override {
        max = v;
        calls << QStringLiteral("max %1").arg(double(v), 0, 'g', 9);
    }
    void setMin(float v) override {
        min = v;
        calls << QStringLiteral("min %1").arg(double(v), 0, 'g', 9);
    }
    void setValue(float v) override {
        value = v;
        if (++valueCount <= listLimit)
            calls << QStringLiteral("value %1").arg(double(v), 0, 'g', 9);
    }
};

} // namespace tarvik
