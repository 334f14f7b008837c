#pragma once

// The published records of SCSI pass-through: SCSI_PASS_THROUGH_DIRECT, which
// DeviceIoControl takes on the NT family, and the ASPI for Win32 requests of the 9x
// family. On 32-bit Windows they are exactly the published layouts; on 64-bit targets
// their pointer fields are 8 bytes wide, as the 64-bit layouts have them.

#include <cstddef>
#include <cstdint>

// SCSI_PASS_THROUGH_DIRECT
struct ScsiPassThroughDirect {
    std::uint16_t Length;
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;
    void* DataBuffer;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[16];
};

inline constexpr std::uint8_t ScsiIoctlDataOut = 0;
inline constexpr std::uint8_t ScsiIoctlDataIn = 1;

#pragma pack(push, 1)
// SRB_ExecSCSICmd of ASPI for Win32.
struct SrbExecScsiCmd {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
    std::uint32_t SRB_Hdr_Rsvd;
    std::uint8_t SRB_Target;
    std::uint8_t SRB_Lun;
    std::uint16_t SRB_Rsvd1;
    std::uint32_t SRB_BufLen;
    std::uint8_t* SRB_BufPointer;
    std::uint8_t SRB_SenseLen;
    std::uint8_t SRB_CDBLen;
    std::uint8_t SRB_HaStat;
    std::uint8_t SRB_TargStat;
    void* SRB_PostProc;
    std::uint8_t SRB_Rsvd2[20];
    std::uint8_t CDBByte[16];
    std::uint8_t SenseArea[16];
};

// SRB_Abort: asks ASPI to drop a request that is still pending.
struct SrbAbort {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
    std::uint32_t SRB_Hdr_Rsvd;
    void* SRB_ToAbort;
};
#pragma pack(pop)

// The common header every ASPI request begins with.
struct SrbHeader {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
};

inline constexpr std::uint8_t ScExecScsiCmd = 0x02;
inline constexpr std::uint8_t ScAbortSrb = 0x03;
inline constexpr std::uint8_t SsPending = 0x00;
inline constexpr std::uint8_t SsComp = 0x01;
inline constexpr std::uint8_t SsAborted = 0x02;
inline constexpr std::uint8_t SsErr = 0x04;
inline constexpr std::uint8_t SsNoDevice = 0x82;
inline constexpr std::uint8_t SsNoAdapters = 0xE8;
inline constexpr std::uint8_t SrbDirIn = 0x08;
inline constexpr std::uint8_t SrbDirOut = 0x10;
inline constexpr std::uint8_t SrbEventNotify = 0x40;

// The ASPI entry points, as GetProcAddress gives them.
using GetAspi32SupportInfoEntry = std::uint32_t (*)();
using SendAspi32CommandEntry = std::uint32_t (*)(void* request);

#if defined(_WIN32) && !defined(_WIN64)
// The published 32-bit layouts, offset by offset.
static_assert(sizeof(ScsiPassThroughDirect) == 44);
static_assert(offsetof(ScsiPassThroughDirect, Length) == 0);
static_assert(offsetof(ScsiPassThroughDirect, ScsiStatus) == 2);
static_assert(offsetof(ScsiPassThroughDirect, PathId) == 3);
static_assert(offsetof(ScsiPassThroughDirect, TargetId) == 4);
static_assert(offsetof(ScsiPassThroughDirect, Lun) == 5);
static_assert(offsetof(ScsiPassThroughDirect, CdbLength) == 6);
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoLength) == 7);
static_assert(offsetof(ScsiPassThroughDirect, DataIn) == 8);
static_assert(offsetof(ScsiPassThroughDirect, DataTransferLength) == 12);
static_assert(offsetof(ScsiPassThroughDirect, TimeOutValue) == 16);
static_assert(offsetof(ScsiPassThroughDirect, DataBuffer) == 20);
static_assert(offsetof(ScsiPassThroughDirect, SenseInfoOffset) == 24);
static_assert(offsetof(ScsiPassThroughDirect, Cdb) == 28);

static_assert(sizeof(SrbExecScsiCmd) == 80);
static_assert(offsetof(SrbExecScsiCmd, SRB_Cmd) == 0);
static_assert(offsetof(SrbExecScsiCmd, SRB_Status) == 1);
static_assert(offsetof(SrbExecScsiCmd, SRB_HaId) == 2);
static_assert(offsetof(SrbExecScsiCmd, SRB_Flags) == 3);
static_assert(offsetof(SrbExecScsiCmd, SRB_Hdr_Rsvd) == 4);
static_assert(offsetof(SrbExecScsiCmd, SRB_Target) == 8);
static_assert(offsetof(SrbExecScsiCmd, SRB_Lun) == 9);
static_assert(offsetof(SrbExecScsiCmd, SRB_Rsvd1) == 10);
static_assert(offsetof(SrbExecScsiCmd, SRB_BufLen) == 12);
static_assert(offsetof(SrbExecScsiCmd, SRB_BufPointer) == 16);
static_assert(offsetof(SrbExecScsiCmd, SRB_SenseLen) == 20);
static_assert(offsetof(SrbExecScsiCmd, SRB_CDBLen) == 21);
static_assert(offsetof(SrbExecScsiCmd, SRB_HaStat) == 22);
static_assert(offsetof(SrbExecScsiCmd, SRB_TargStat) == 23);
static_assert(offsetof(SrbExecScsiCmd, SRB_PostProc) == 24);
static_assert(offsetof(SrbExecScsiCmd, SRB_Rsvd2) == 28);
static_assert(offsetof(SrbExecScsiCmd, CDBByte) == 48);
static_assert(offsetof(SrbExecScsiCmd, SenseArea) == 64);
#endif
