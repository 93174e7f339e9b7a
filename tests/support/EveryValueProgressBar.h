#pragma once

#include "ProgressBar.h"

#include <QProgressBar>

namespace tarvik {

// The bar handed every value as it comes: what the window's progress display
// is measured and compared against.
class EveryValueProgressBar final : public ProgressBar {
  public:
    explicit EveryValueProgressBar(QProgressBar& bar) : bar_(bar) {}
    void setMax(float value) override { bar_.setMaximum(static_cast<int>(value)); }
    void setMin(float value) override { bar_.setMinimum(static_cast<int>(value)); }
    void setValue(float value) override { bar_.setValue(static_cast<int>(value)); }

  private:
    QProgressBar& bar_;
};

} // namespace tarvik
