#pragma once

// How much of a progress bar is filled, in pixels: a long handler repaints the bar
// only when this changes, not at every step.

#include "platform/vcl/Controls.h"

namespace ui {

inline int FilledPixels(const vcl::TProgressBar& bar)
{
    long long span = static_cast<long long>(bar.Max()) - bar.Min();
    if (span <= 0)
        return 0;
    return static_cast<int>((static_cast<long long>(bar.Position()) - bar.Min()) * bar.Bounds().Width / span);
}

} // namespace ui
