#include "platform/ui/console/ConsoleStreams.h"

#include <unistd.h>

namespace ui {

bool PrepareStandardStreams()
{
    return isatty(STDIN_FILENO) != 0;
}

} // namespace ui
