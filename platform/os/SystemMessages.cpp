#include "platform/os/SystemMessages.h"

#include <cstring>

namespace os {

namespace {

struct SystemMessage {
    std::uint32_t Code;
    const char* Text;
};

constexpr SystemMessage SystemMessages[] = {
    { 1, "Incorrect function.\r\n" },
    { 2, "The system cannot find the file specified.\r\n" },
    { 3, "The system cannot find the path specified.\r\n" },
    { 5, "Access is denied.\r\n" },
    { 6, "The handle is invalid.\r\n" },
    { 8, "Not enough memory resources are available to process this command.\r\n" },
    { 19, "The media is write protected.\r\n" },
    { 21, "The device is not ready.\r\n" },
    { 31, "A device attached to the system is not functioning.\r\n" },
    { 50, "The request is not supported.\r\n" },
    { 87, "The parameter is incorrect.\r\n" },
    { 121, "The semaphore timeout period has expired.\r\n" },
    { 126, "The specified module could not be found.\r\n" },
    { 170, "The requested resource is in use.\r\n" },
    { 1117, "The request could not be performed because of an I/O device error.\r\n" },
};

} // namespace

const char* SystemMessageText(std::uint32_t code)
{
    for (const SystemMessage& message : SystemMessages) {
        if (message.Code == code)
            return message.Text;
    }
    return nullptr;
}

std::uint32_t CopySystemMessage(const char* text, char* buffer, std::uint32_t size, std::uint32_t& lastError)
{
    if (!text) {
        lastError = 317; // ERROR_MR_MID_NOT_FOUND
        return 0;
    }
    std::size_t length = std::strlen(text);
    if (!buffer || length + 1 > size) {
        lastError = 122; // ERROR_INSUFFICIENT_BUFFER
        return 0;
    }
    std::memcpy(buffer, text, length + 1);
    return static_cast<std::uint32_t>(length);
}

} // namespace os
