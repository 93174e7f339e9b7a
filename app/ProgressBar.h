#pragma once

// The progress bar as the commands see it: they only ever set it.
class ProgressBar {
  public:
    virtual ~ProgressBar() = default;
    virtual void setMax(float value) = 0;
    virtual void setMin(float value) = 0;
    virtual void setValue(float value) = 0;
};
