#pragma once

// One virtual drive: answers the commands the system sends with the behaviour its
// machine-file section describes, and with the faults injected there.

#include "platform/virtual/MachineFile.h"

#include <array>
#include <cstdint>
#include <vector>

namespace virt {

// Buffer memory: 512 KB of image and 64 KB behind it for the profile.
inline constexpr std::uint32_t BufferMemorySize = 0x80000 + 0x10000;

struct CommandResult {
    enum class Kind { Done, Transport, Timeout };
    Kind Result = Kind::Done;
    std::array<std::uint8_t, 3> Sense {}; // Done: the sense triple, zero for success
    std::uint32_t Error = 0; // Transport: the system error
};

class VirtualDrive {
public:
    explicit VirtualDrive(DriveSettings settings);

    const DriveSettings& Settings() const { return m_settings; }
    // One command: CDB, direction of the data phase, and the data buffer.
    CommandResult Execute(const std::uint8_t* cdb, bool dataIn, std::uint8_t* data, std::uint32_t length);

    const std::vector<std::uint8_t>& BufferMemory() const { return m_memory; }
    bool Flashed() const { return m_flashed; }

private:
    CommandResult Answer(const std::uint8_t* cdb, bool dataIn, std::uint8_t* data, std::uint32_t length, bool store);
    CommandResult Inquiry(std::uint8_t* data, std::uint32_t length);
    CommandResult ReadyState(bool countsDown);
    CommandResult ReadCd(std::uint8_t* data, std::uint32_t length);
    CommandResult WriteBuffer(const std::uint8_t* cdb, std::uint8_t* data, std::uint32_t length, bool store);
    CommandResult ReadBuffer(const std::uint8_t* cdb, std::uint8_t* data, std::uint32_t length);
    CommandResult ProgramFlash(std::uint8_t* data, std::uint32_t length);
    const FaultRule* FiringRule(const std::uint8_t* cdb);

    DriveSettings m_settings;
    std::vector<std::uint8_t> m_memory;
    std::vector<std::uint8_t> m_e2;
    std::vector<unsigned> m_ruleCounts;
    int m_becomingReady;
    std::uint32_t m_imageEnd = 0;
    bool m_flashed = false;
};

} // namespace virt
