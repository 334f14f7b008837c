#include "platform/virtual/VirtualDrive.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace virt {

namespace {

constexpr std::array<std::uint8_t, 3> NoSense { 0x00, 0x00, 0x00 };
constexpr std::array<std::uint8_t, 3> MediumNotPresent { 0x02, 0x3A, 0x00 };
constexpr std::array<std::uint8_t, 3> BecomingReady { 0x02, 0x04, 0x01 };
constexpr std::array<std::uint8_t, 3> UnrecoveredReadError { 0x03, 0x11, 0x00 };
constexpr std::array<std::uint8_t, 3> InvalidFieldInCdb { 0x05, 0x24, 0x00 };
constexpr std::array<std::uint8_t, 3> InvalidCommand { 0x05, 0x20, 0x00 };

CommandResult Done(std::array<std::uint8_t, 3> sense = NoSense)
{
    return { CommandResult::Kind::Done, sense, 0 };
}

std::uint32_t Field24(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 16 | static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[2];
}

void CopyOut(std::uint8_t* data, std::uint32_t length, const std::uint8_t* source, std::uint32_t count)
{
    if (!data)
        return;
    std::memset(data, 0, length);
    std::memcpy(data, source, std::min(length, count));
}

} // namespace

VirtualDrive::VirtualDrive(DriveSettings settings)
    : m_settings(std::move(settings))
    , m_memory(BufferMemorySize, 0)
    , m_e2(0x10000, 0xFF)
    , m_ruleCounts(m_settings.Faults.size(), 0)
    , m_becomingReady(m_settings.BecomingReady)
{
}

const FaultRule* VirtualDrive::FiringRule(const std::uint8_t* cdb)
{
    const FaultRule* firing = nullptr;
    for (std::size_t i = 0; i < m_settings.Faults.size(); ++i) {
        const FaultRule& rule = m_settings.Faults[i];
        if (!std::equal(rule.Prefix.begin(), rule.Prefix.end(), cdb))
            continue;
        if (rule.Code && cdb[9] != *rule.Code)
            continue;
        // Every rule counts its own matches; the first one due fires.
        if (++m_ruleCounts[i] == rule.Occurrence && !firing)
            firing = &rule;
    }
    return firing;
}

CommandResult VirtualDrive::Execute(const std::uint8_t* cdb, bool dataIn, std::uint8_t* data, std::uint32_t length)
{
    if (m_flashed && m_settings.Vanish)
        return { CommandResult::Kind::Transport, NoSense, 1117 };
    const FaultRule* rule = FiringRule(cdb);
    if (!rule)
        return Answer(cdb, dataIn, data, length, true);
    switch (rule->Outcome) {
    case FaultOutcome::Sense: return Done(rule->Sense);
    case FaultOutcome::Transport: return { CommandResult::Kind::Transport, NoSense, 1117 };
    case FaultOutcome::Timeout: return { CommandResult::Kind::Timeout, NoSense, 121 };
    case FaultOutcome::Lie: return Answer(cdb, dataIn, data, length, false);
    case FaultOutcome::Corrupt: {
        CommandResult result = Answer(cdb, dataIn, data, length, true);
        if (cdb[0] == 0x3C && dataIn && data && length > 0)
            data[0] ^= 0xFF;
        return result;
    }
    }
    return Done(InvalidCommand);
}

// A lying drive reports success for everything but keeps nothing.
CommandResult VirtualDrive::Answer(const std::uint8_t* cdb, bool, std::uint8_t* data, std::uint32_t length, bool store)
{
    switch (cdb[0]) {
    case 0x12: return store ? Inquiry(data, length) : Done();
    case 0x00: return ReadyState(false);
    case 0x4E: return ReadyState(true);
    case 0x1B: {
        bool start = (cdb[4] & 0x01) != 0;
        if (start && m_settings.DriveMedium == Medium::None)
            return Done(MediumNotPresent);
        return Done();
    }
    case 0xBE: return ReadCd(data, length);
    case 0x3B: return WriteBuffer(cdb, data, length, store);
    case 0x3C: return ReadBuffer(cdb, data, length);
    case 0xDF:
        if (cdb[1] == 0x11) {
            CopyOut(data, length, m_settings.FlashId.data(), 4);
            return Done();
        }
        if (cdb[1] == 0x0A) {
            if (store)
                m_e2[static_cast<std::size_t>(cdb[7]) << 8 | cdb[8]] = cdb[9];
            return Done();
        }
        return Done(InvalidFieldInCdb);
    default: return Done(InvalidCommand);
    }
}

CommandResult VirtualDrive::Inquiry(std::uint8_t* data, std::uint32_t length)
{
    if (!m_settings.AnswersInquiry)
        return Done(InvalidFieldInCdb);
    std::array<std::uint8_t, 36> standard {};
    standard[0] = 0x05; // CD/DVD device
    standard[1] = 0x80; // removable medium
    standard[2] = 0x00;
    standard[3] = 0x21; // response data format 1, ATAPI
    standard[4] = 31; // additional length
    std::copy(m_settings.Identity.begin(), m_settings.Identity.end(), standard.begin() + 8);
    CopyOut(data, length, standard.data(), static_cast<std::uint32_t>(standard.size()));
    return Done();
}

// TEST UNIT READY, STOP PLAY/SCAN: becoming ready first, then the medium decides.
// Only STOP PLAY/SCAN counts the becoming-ready answers down.
CommandResult VirtualDrive::ReadyState(bool countsDown)
{
    if (m_becomingReady != 0) {
        if (countsDown && m_becomingReady > 0)
            --m_becomingReady;
        return Done(BecomingReady);
    }
    if (m_settings.DriveMedium == Medium::None)
        return Done(MediumNotPresent);
    return Done();
}

CommandResult VirtualDrive::ReadCd(std::uint8_t* data, std::uint32_t length)
{
    if (m_settings.DriveMedium == Medium::None)
        return Done(MediumNotPresent);
    if (m_settings.DriveMedium == Medium::Unreadable)
        return Done(UnrecoveredReadError);
    const std::uint8_t sector[8] = { 'C', 'D', '0', '0', '1', 0x01, 0x00, 0x00 };
    CopyOut(data, length, sector, sizeof sector);
    return Done();
}

CommandResult VirtualDrive::WriteBuffer(const std::uint8_t* cdb, std::uint8_t* data, std::uint32_t length, bool store)
{
    if (cdb[1] != 0x05 || cdb[2] != 0x01)
        return Done(InvalidFieldInCdb);
    std::uint32_t offset = Field24(cdb + 3);
    std::uint32_t count = Field24(cdb + 6);
    std::uint8_t code = cdb[9];
    if (code == 0x80 || code == 0xA0)
        return store ? ProgramFlash(data, length) : Done();
    if (code == 0x7F && offset == 0 && count == 0)
        return Done(); // entry critical
    if (code != 0x00 && code != 0x7F)
        return Done(InvalidFieldInCdb);
    if (offset > BufferMemorySize || count > BufferMemorySize - offset || count > length || !data)
        return Done(InvalidFieldInCdb);
    if (!store)
        return Done();
    std::memcpy(m_memory.data() + offset, data, count);
    if (code == 0x00)
        m_imageEnd = std::max(m_imageEnd, std::min<std::uint32_t>(offset + count, 0x80000));
    return Done();
}

CommandResult VirtualDrive::ReadBuffer(const std::uint8_t* cdb, std::uint8_t* data, std::uint32_t length)
{
    if (cdb[1] != 0x01 || cdb[2] != 0x01)
        return Done(InvalidFieldInCdb);
    std::uint32_t offset = Field24(cdb + 3);
    std::uint32_t count = Field24(cdb + 6);
    if (offset > BufferMemorySize || count > BufferMemorySize - offset || count > length || !data)
        return Done(InvalidFieldInCdb);
    std::memcpy(data, m_memory.data() + offset, count);
    return Done();
}

// The flash is programmed from the image bytes written into the buffer memory.
CommandResult VirtualDrive::ProgramFlash(std::uint8_t* data, std::uint32_t length)
{
    std::uint8_t reply[16] = {};
    CopyOut(data, length, reply, sizeof reply);
    m_flashed = true;
    if (m_settings.RevisionAfterFlash) {
        const std::string& revision = *m_settings.RevisionAfterFlash;
        for (std::size_t i = 0; i < 4; ++i)
            m_settings.Identity[24 + i] = static_cast<std::uint8_t>(i < revision.size() ? revision[i] : ' ');
    }
    if (!m_settings.FlashFile.empty()) {
        std::ofstream file(m_settings.FlashFile, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(m_memory.data()), m_imageEnd);
    }
    return Done();
}

} // namespace virt
