#include "platform/vcl/FrontEnd.h"

#include "platform/ui/console/ConsoleFrontEnd.h"
#include "platform/ui/console/ConsoleStreams.h"

#if defined(KRVFLASH_WITH_FLTK)
#include "platform/ui/fltk/FltkFrontEnd.h"
#endif
#if defined(KRVFLASH_WITH_WIN32)
#include "platform/ui/win32/Win32FrontEnd.h"
#endif

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace vcl {

namespace {

std::unique_ptr<FrontEnd> Console()
{
    bool terminal = ui::PrepareStandardStreams();
    return std::make_unique<ui::ConsoleFrontEnd>(std::cin, std::cout, terminal ? ui::Terminal::Yes : ui::Terminal::No);
}

[[maybe_unused]] bool HasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// The front end this build would start without KRVFLASH_UI.
std::string DefaultFrontEnd()
{
#if defined(KRVFLASH_WITH_WIN32)
    return "win32";
#elif defined(KRVFLASH_WITH_FLTK)
    return HasDisplay() ? "fltk" : "console";
#else
    return "console";
#endif
}

} // namespace

// KRVFLASH_UI=console|fltk|win32 picks the front end; unset, Windows runs win32 and
// Linux runs fltk when there is a display, else console. A front end this build does
// not have falls back to the console, with a word on standard error.
std::unique_ptr<FrontEnd> CreateFrontEnd()
{
    const char* asked = std::getenv("KRVFLASH_UI");
    std::string choice = asked && *asked ? asked : DefaultFrontEnd();
#if defined(KRVFLASH_WITH_FLTK)
    if (choice == "fltk")
        return std::make_unique<ui::FltkFrontEnd>();
#endif
#if defined(KRVFLASH_WITH_WIN32)
    if (choice == "win32")
        return ui::CreateWin32FrontEnd();
#endif
    if (choice != "console")
        std::cerr << "krvflash: the " << choice << " front end is not built; using console\n";
    return Console();
}

} // namespace vcl
