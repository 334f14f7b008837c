#pragma once

// A text report of the window a native front end has on screen, for the tests that
// look at real windows: KRVFLASH_UI_REPORT=PATH makes the front end write it when the
// window is shown and after every event handler. One line for the window, one per
// control: NAME KIND X Y WIDTH HEIGHT visible|hidden enabled|disabled TEXT.

#include <string>
#include <vector>

namespace ui {

struct ReportedControl {
    std::string Name;
    std::string Kind; // the toolkit's own class of the control
    int X, Y, Width, Height;
    bool Visible;
    bool Enabled;
    std::string Text;
};

// Writes the report to the file KRVFLASH_UI_REPORT names; nothing when it names none.
void WriteLayoutReport(const std::string& title, int width, int height, const std::vector<ReportedControl>& controls);

} // namespace ui
