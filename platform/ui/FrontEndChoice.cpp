#include "platform/vcl/FrontEnd.h"

#include "platform/ui/console/ConsoleFrontEnd.h"
#include "platform/ui/console/ConsoleStreams.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace vcl {

// KRVFLASH_UI=console|fltk|win32 picks the front end; only the console front end is
// built so far, so every choice ends there, with a word when another was asked for.
std::unique_ptr<FrontEnd> CreateFrontEnd()
{
    const char* asked = std::getenv("KRVFLASH_UI");
    if (asked && *asked && std::strcmp(asked, "console") != 0)
        std::cerr << "krvflash: the " << asked << " front end is not built; using console\n";
    bool terminal = ui::PrepareStandardStreams();
    return std::make_unique<ui::ConsoleFrontEnd>(std::cin, std::cout,
        terminal ? ui::Terminal::Yes : ui::Terminal::No);
}

} // namespace vcl
