#include "platform/os/DriveRoots.h"

#include <cstring>
#include <string>

namespace os {

std::uint32_t CopyDriveRoots(const std::vector<char>& letters, std::uint32_t bufferLength, char* buffer)
{
    std::string list;
    for (char letter : letters) {
        list += letter;
        list += ":\\";
        list += '\0';
    }
    if (!buffer || list.size() + 1 > bufferLength)
        return static_cast<std::uint32_t>(list.size() + 1);
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<std::uint32_t>(list.size());
}

} // namespace os
