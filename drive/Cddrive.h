#pragma once

// Unit Cddrive: one optical drive and the transport of every SCSI command to it, by
// pass-through on the NT family and by ASPI on the 9x family. The transport choice,
// the ASPI library, the data buffer, the time-out, the count of open drives and the
// switch for sense reports are unit-wide, shared by all drives.

#include "drive/PassThroughRecord.h"
#include "platform/os/Os.h"
#include "platform/os/ScsiRecords.h"

#include <array>
#include <cstdint>
#include <string>

// Direction argument of ExecCommand: 1 is data from the drive into the buffer; any other
// value is data from the buffer to the drive.
inline constexpr std::uint8_t DirectionIn = 1;
inline constexpr std::uint8_t DirectionOut = 0;

using CommandBytes = std::array<std::uint8_t, 12>;

// LastOpenStatus values.
inline constexpr std::uint8_t OpenStatusOpened = 0x00;
inline constexpr std::uint8_t OpenStatusAspiNotReady = 0x60;
inline constexpr std::uint8_t OpenStatusAspiEntryMissing = 0x61;
inline constexpr std::uint8_t OpenStatusAspiNotLoaded = 0x62;
inline constexpr std::uint8_t OpenStatusNotOpened = 0x63;

inline constexpr std::uint32_t DefaultDataBufferLength = 2352;
inline constexpr std::uint32_t InquiryBufferLength = 256;

// The unit-wide state, as the tests and the drive set look at it.
struct CddriveUnitState {
    bool PassThroughMode = false;
    os::Module AspiLibrary = 0;
    SendAspi32CommandEntry SendASPI32Command = nullptr;
    std::uint16_t OpenDriveCount = 0;
    std::uint8_t LastOpenStatus = OpenStatusNotOpened;
    std::uint16_t TimeoutSeconds = 60;
    bool ShowSenseReports = false;
    std::uint8_t* DataBuffer = nullptr;
    std::uint32_t DataBufferLength = 0;
    bool InquiryBufferInUse = false;
};

const CddriveUnitState& CddriveState();
// Puts the unit-wide state back to its initial values, as at the start of a process.
void ResetCddriveUnit();

class CDDrive {
public:
    // letter, host adapter, target, logical unit: (letter, 0, 0, 0) on the NT family,
    // (blank, host, target, lun) on the 9x family. The outcome is left in OpenStatus().
    CDDrive(char letter, std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
    ~CDDrive();
    CDDrive(const CDDrive&) = delete;
    CDDrive& operator=(const CDDrive&) = delete;

    bool Open();
    bool Inquire();
    bool ExecCommand(std::uint8_t cdb0, std::uint8_t cdb1, std::uint8_t cdb2, std::uint8_t cdb3, std::uint8_t cdb4,
        std::uint8_t cdb5, std::uint8_t cdb6, std::uint8_t cdb7, std::uint8_t cdb8, std::uint8_t cdb9,
        std::uint8_t cdb10, std::uint8_t cdb11, std::uint8_t direction, std::uint32_t length);
    bool ExecCommand(const CommandBytes& cdb, std::uint8_t direction, std::uint32_t length);
    bool SenseIs(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) const;
    std::string ErrorText() const;
    void ReportSense();

    // Identification: the description after a fresh INQUIRY, and two fixed parts of it.
    std::string Description();
    std::string ProductText() const;
    std::string RevisionText() const;

    // Unit-wide operations; the same for every drive.
    static void SetTimeout(std::uint16_t seconds);
    static void SetDataBuffer(std::uint8_t* buffer, std::uint32_t length);
    static std::uint8_t* DataBuffer();
    static std::uint8_t OpenStatus();

    // Fields, in the order of the drive's record.
    char Letter = ' ';
    std::uint8_t HostAdapter = 0;
    std::uint8_t Target = 0;
    std::uint8_t Lun = 0;
    std::uint8_t SenseKey = 0;
    std::uint8_t Asc = 0;
    std::uint8_t Ascq = 0;
    std::uint8_t CommandStatus = 0;
    bool PassThroughOk = false;
    os::Handle DeviceHandle = 0;
    ::PassThroughRecord PassThroughRecord {};
    std::uint32_t DesiredAccess = 0;
    std::uint32_t ShareMode = 0;
    std::uint32_t BytesReturned = 0;
    std::uint32_t SystemError = 0;
    SrbExecScsiCmd AspiRecord {};
    std::string DescriptionText;

private:
    bool ChooseTransport();
    bool FailAspi(std::uint8_t status);
    bool ExecPassThrough(const CommandBytes& cdb, std::uint8_t direction, std::uint32_t length, std::uint8_t* buffer);
    bool ExecAspi(const CommandBytes& cdb, std::uint8_t direction, std::uint32_t length, std::uint8_t* buffer);
    bool RefuseOversizedTransfer();
    void ReportSenseWith(std::uint32_t systemError);
    std::size_t PrefixLength() const;

    // Counted in OpenDriveCount: only a drive whose construction succeeded.
    bool m_counted = false;
};
