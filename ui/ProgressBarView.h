#pragma once

#include "ProgressBar.h"

#include <QProgressBar>

// PB1 as the commands drive it. The long loops set its value once per sample;
// QProgressBar::setValue costs far more than a sample, so a value is passed on
// only when the bar would show it differently.
class ProgressBarView final : public ProgressBar {
public:
    explicit ProgressBarView(QProgressBar& bar) : bar_(bar) {}

    void setMax(float value) override;
    void setMin(float value) override;
    void setValue(float value) override;

private:
    void rangeChanged();

    QProgressBar& bar_;
    int shown_ = 0;        // last value handed to the bar
    int repaintStep_ = 1;  // value change that moves the painted bar
    int lastPainted_ = 0;  // value the bar last repainted for
    bool mustPass_ = true; // the next value is passed whatever it is
};
