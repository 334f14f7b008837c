#pragma once

// The window on Windows: the designed form as native controls, MessageBoxA dialogs and
// the Windows message loop.

#include "platform/vcl/FrontEnd.h"

#include <memory>

namespace ui {

std::unique_ptr<vcl::FrontEnd> CreateWin32FrontEnd();

} // namespace ui
