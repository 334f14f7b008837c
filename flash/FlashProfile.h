#pragma once

// The flash profile compiled into every executable: the profile segments of nine flash
// identities back to back, and the table that indexes them.

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t ProfileDataSize = 5812;
inline constexpr std::size_t FlashIdRowSize = 6;
inline constexpr std::size_t FlashIdRowCount = 9;

struct FlashProfileBlock {
    std::uint8_t ProfileData[ProfileDataSize];
    // Rows of six bytes: flash ID bytes 0 and 1, segment length (big-endian), flash ID
    // bytes 2 and 3.
    std::uint8_t FlashIdTable[FlashIdRowCount * FlashIdRowSize];
};
static_assert(sizeof(FlashProfileBlock) == 5866);

extern const FlashProfileBlock FlashProfile;

// Rows that share the segment of the row after them add nothing to the running offset.
constexpr bool SharesNextSegment(std::size_t row)
{
    return row == 2 || row == 7;
}

struct FlashIdRow {
    std::uint8_t Id[4];
    std::uint16_t SegmentLength;
};

FlashIdRow FlashIdTableRow(std::size_t row);
