#pragma once

// What the native front ends share about the designed window: where a control stands
// in the window, how large the window's client area is, the captions of the boxes, and
// when a progress bar has visibly moved.

#include "platform/vcl/Controls.h"
#include "platform/vcl/FrontEnd.h"

namespace ui {

// The control's place in the window's client area: its bounds plus those of its
// parents below the form.
void WindowPosition(const vcl::TControl& control, int& x, int& y);

// The client area's size: the window fits itself around its panel.
void ClientSize(const vcl::TForm& form, int& width, int& height);

// The caption of a box: the application title for plain boxes and exceptions, the
// class library's word for the dialog types.
const char* DialogCaption(vcl::DialogKind kind);

// A long handler repaints the bar only when its filled part grows or shrinks by a pixel.
class ProgressPainter {
public:
    bool Moved(const vcl::TProgressBar& bar);

private:
    int m_filled = -1;
};

} // namespace ui
