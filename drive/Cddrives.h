#pragma once

// Unit Cddrives: the set of optical drives the system can talk to, found by drive
// letter on the NT family and by ASPI address on the 9x family, kept in the order
// found, one of them selected.

#include "drive/Cddrive.h"

#include <array>
#include <cstdint>
#include <memory>

inline constexpr std::size_t DriveSetCapacity = 24;

class CDDrives {
public:
    // Finds the drives and selects the first one found, if any.
    CDDrives();
    // Destroys the drives from the last to the first.
    ~CDDrives();
    CDDrives(const CDDrives&) = delete;
    CDDrives& operator=(const CDDrives&) = delete;

    std::uint8_t Count() const { return DriveCount; }
    bool Select(std::int16_t position);

    std::uint8_t DriveCount = 0;
    std::int32_t Position = 0;
    std::array<std::unique_ptr<CDDrive>, DriveSetCapacity> Items;
    CDDrive* Current = nullptr;

private:
    void ScanDriveLetters();
    void ScanAspiAddresses();
    void Probe(char letter, std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
};
