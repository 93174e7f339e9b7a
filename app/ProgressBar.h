#pragma once

#include <cstdint>

namespace tarvik {

// The progress bar as the commands see it: they only ever set it.
class ProgressBar {
  public:
    virtual ~ProgressBar() = default;
    virtual void setMax(float value) = 0;
    virtual void setMin(float value) = 0;
    virtual void setValue(float value) = 0;

    // Sets the value to first, first + 1, ... last in turn, as a loop that
    // has done a block of its steps at once would. A bar that knows which of
    // those values it would show differently may skip the others.
    virtual void setValues(std::int32_t first, std::int32_t last) {
        for (std::int32_t v = first; v <= last; ++v)
            setValue(static_cast<float>(v));
    }
};

} // namespace tarvik
