#pragma once

// Writing a new flasher: a copy of the program's own file with a new package header and
// firmware image behind the package marker.

#include "package/Package.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What goes into the header, as the catalogue row and the chosen file give it.
struct PackageHeaderTexts {
    std::string Model;
    std::string Inquiry;
    std::string FWRange;
    std::string Vendor;
    std::string Note;
    std::string BinName; // the chosen file's name, without directory
};

// The 137 header bytes: five texts zero-padded to 25 bytes, the BIN name upper-cased and
// cut to 5, three zero bytes, the BIN size little-endian.
std::array<std::uint8_t, PackageHeaderSize> MakePackageHeader(const PackageHeaderTexts& texts, std::uint32_t binSize);

// The position of the marker's zero byte in a program file, found as the builder has
// always found it: a byte that breaks a partial match is not compared with the marker's
// first byte again. The file's size when there is no marker.
std::size_t FindPackageMarker(const std::vector<std::uint8_t>& file, const std::array<std::uint8_t, PackageMarkerSize>& marker);
