#include "drive/Cddrives.h"

#include "platform/os/Os.h"

CDDrives::CDDrives()
{
    os::OsVersionInfo version {};
    version.dwOSVersionInfoSize = sizeof version;
    os::System().GetVersionExA(&version);
    if (version.dwPlatformId == os::VerPlatformWin32Nt)
        ScanDriveLetters();
    else
        ScanAspiAddresses();
    if (DriveCount != 0)
        Select(0);
}

CDDrives::~CDDrives()
{
    for (Position = DriveCount; Position > 0; --Position)
        Items[static_cast<std::size_t>(Position - 1)].reset();
}

// Builds one drive into the next slot and keeps it when it opened. A drive that is not
// kept is disposed of at once; it was never counted open. Once the set is full nothing
// more is built.
void CDDrives::Probe(char letter, std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun)
{
    if (DriveCount >= DriveSetCapacity)
        return;
    auto drive = std::make_unique<CDDrive>(letter, hostAdapter, target, lun);
    if (CDDrive::OpenStatus() != OpenStatusOpened)
        return;
    Items[static_cast<std::size_t>(Position)] = std::move(drive);
    ++Position;
    ++DriveCount;
}

void CDDrives::ScanDriveLetters()
{
    // 80 characters: at most 19 roots of four characters and the list's closing zero.
    // A list that does not fit is not filled, and the scan finds nothing.
    char roots[80] = {};
    std::uint32_t length = os::System().GetLogicalDriveStringsA(sizeof roots, roots);
    if (length == 0 || length > sizeof roots)
        return;
    for (std::uint16_t at = 0; at < sizeof roots && roots[at] != 0; at += 4) {
        if (os::System().GetDriveTypeA(&roots[at]) == os::DriveCdrom)
            Probe(roots[at], 0, 0, 0);
    }
}

// 40 probes: host adapters 0 to 19, targets 0 and 1, logical unit 0, whatever number of
// host adapters the ASPI layer reports.
void CDDrives::ScanAspiAddresses()
{
    for (std::uint8_t hostAdapter = 0; hostAdapter < 20; ++hostAdapter) {
        for (std::uint8_t target = 0; target < 2; ++target)
            Probe(' ', hostAdapter, target, 0);
    }
}

bool CDDrives::Select(std::int16_t position)
{
    if (position < 0 || position >= DriveCount)
        return false;
    Position = position;
    Current = Items[static_cast<std::size_t>(position)].get();
    return true;
}
