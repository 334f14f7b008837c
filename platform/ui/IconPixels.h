#pragma once

// The main icon (resources/krvflash.ico, 32 x 32, 16 colours) as RGBA pixels, for the
// front ends that set a window icon from pixels.

#include <cstdint>
#include <vector>

namespace ui {

inline constexpr int IconSize = 32;

// Rows from the top, four bytes a pixel; transparent where the icon's mask is set.
std::vector<std::uint8_t> MainIconPixels();

} // namespace ui
