#pragma once

// GetLogicalDriveStringsA's answer, shared by the ports that make their own list of
// drive roots: "D:\", "E:\", ... each ended by a zero, and a zero after the last.

#include <cstdint>
#include <vector>

namespace os {

// Writes the roots of the letters, in their order, when the list fits the buffer, and
// gives its length without the final zero; otherwise writes nothing and gives the
// buffer length the list needs.
std::uint32_t CopyDriveRoots(const std::vector<char>& letters, std::uint32_t bufferLength, char* buffer);

} // namespace os
