#include "platform/ui/console/ConsoleStreams.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace ui {

bool PrepareStandardStreams()
{
    // A program of the windows subsystem started from a console has no standard
    // handles of its own: borrow the parent's console when there is one.
    if (GetStdHandle(STD_OUTPUT_HANDLE) == nullptr && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONIN$", "r", stdin);
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    // Transcripts are the same bytes on every platform: "\n", never "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    return _isatty(_fileno(stdin)) != 0;
}

} // namespace ui
