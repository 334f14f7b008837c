#pragma once

// The pass-through record of a drive: SCSI_PASS_THROUGH_DIRECT followed by a filler and
// a 32-byte sense area, handed to DeviceIoControl as both input and output. On 32-bit
// Windows it is exactly 80 bytes with the sense area at 48.

#include "platform/os/ScsiRecords.h"

#include <cstddef>
#include <cstdint>

struct PassThroughRecord {
    ScsiPassThroughDirect Sptd;
    std::uint32_t Filler;
    std::uint8_t SenseArea[32];
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PassThroughRecord) == 80);
static_assert(offsetof(PassThroughRecord, Filler) == 44);
static_assert(offsetof(PassThroughRecord, SenseArea) == 48);
#endif
