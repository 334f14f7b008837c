#pragma once

// The texts FormatMessageA gives for the Win32 error numbers the ports produce, as
// Windows words them and ends them ("\r\n"), shared by the Linux port and the virtual
// machine.

#include <cstdint>

namespace os {

// The system's text of an error number; nullptr when there is none.
const char* SystemMessageText(std::uint32_t code);

// FormatMessageA's answer for a text: its length, copied with its zero into the buffer;
// 0 (and lastError 122) when it does not fit, 0 (and 317) when there is no text.
std::uint32_t CopySystemMessage(const char* text, char* buffer, std::uint32_t size, std::uint32_t& lastError);

} // namespace os
