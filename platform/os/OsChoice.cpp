#include "platform/os/Os.h"

#include "platform/virtual/VirtualMachine.h"

#include <cstdlib>

namespace os {

static std::unique_ptr<Os> s_chosen;
static Os* s_current = nullptr;

Os& System()
{
    if (!s_current) {
        if (!s_chosen)
            s_chosen = CreateNativeOs();
        s_current = s_chosen.get();
    }
    return *s_current;
}

void UseSystem(Os* port)
{
    s_current = port;
}

bool ChooseSystem(std::string& problem)
{
    const char* machineFile = std::getenv("KRVFLASH_VIRTUAL_DRIVES");
    if (!machineFile || !*machineFile) {
        s_chosen = CreateNativeOs();
        s_current = s_chosen.get();
        return true;
    }
    auto machine = virt::VirtualMachine::Load(machineFile, problem);
    if (!machine)
        return false;
    s_chosen = std::move(machine);
    s_current = s_chosen.get();
    return true;
}

} // namespace os
