#pragma once

// The drive commands of the firmware update, each as one row: its fixed CDB bytes, the
// fields filled in per call, and the direction of its data phase. Multi-byte numbers
// are big-endian; offsets and lengths travel as their low 24 bits.

#include "drive/Cddrive.h"

#include <array>
#include <cstdint>

enum class DriveCommand {
    WriteE2Byte,
    ReadFlashId,
    WriteBufferData, // WRITE BUFFER with data out: image chunk, profile
    WriteBufferControl, // WRITE BUFFER without data out: entry critical, flash
    ReadBuffer, // image chunk, profile
    StartStopUnit,
    TestUnitReady,
    StopPlayScan,
    ReadCd,
};

// Fields a row fills in from the call's arguments.
enum CommandField : unsigned {
    NoFields = 0,
    Offset24 = 1 << 0, // bytes 3-5
    Length24 = 1 << 1, // bytes 6-8
    VendorCode = 1 << 2, // byte 9
    E2Address = 1 << 3, // bytes 7-8
    E2Data = 1 << 4, // byte 9
    StartStop = 1 << 5, // byte 4: 03 load and start, 00 stop
};

struct CommandRow {
    DriveCommand Command;
    CommandBytes Fixed;
    unsigned Fields;
    std::uint8_t Direction;
};

inline constexpr std::array<CommandRow, 9> CommandSet = { {
    { DriveCommand::WriteE2Byte, { 0xDF, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, E2Address | E2Data, DirectionIn },
    { DriveCommand::ReadFlashId, { 0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, NoFields, DirectionIn },
    { DriveCommand::WriteBufferData, { 0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, Offset24 | Length24 | VendorCode, DirectionOut },
    { DriveCommand::WriteBufferControl, { 0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, Offset24 | Length24 | VendorCode, DirectionIn },
    { DriveCommand::ReadBuffer, { 0x3C, 0x01, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, Offset24 | Length24, DirectionIn },
    { DriveCommand::StartStopUnit, { 0x1B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, StartStop, DirectionIn },
    { DriveCommand::TestUnitReady, { 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, NoFields, DirectionIn },
    { DriveCommand::StopPlayScan, { 0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, NoFields, DirectionIn },
    { DriveCommand::ReadCd, { 0xBE, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x01, 0x10, 0x00, 0x00 }, NoFields, DirectionIn },
} };

// WRITE BUFFER vendor codes.
inline constexpr std::uint8_t CodeImageData = 0x00;
inline constexpr std::uint8_t CodeProfile = 0x7F; // entry critical with offset and length 0
inline constexpr std::uint8_t CodeFlash = 0x80;
inline constexpr std::uint8_t CodeFlashAll = 0xA0;

// START STOP UNIT byte 4.
inline constexpr std::uint8_t LoadAndStart = 0x03;
inline constexpr std::uint8_t Stop = 0x00;

struct CommandArguments {
    std::uint32_t Offset = 0;
    std::uint32_t Length = 0;
    std::uint8_t Code = 0;
    std::uint16_t Address = 0;
    std::uint8_t Data = 0;
};

constexpr const CommandRow& RowOf(DriveCommand command)
{
    return CommandSet[static_cast<std::size_t>(command)];
}

// The command block of one command.
constexpr CommandBytes BuildCommand(DriveCommand command, const CommandArguments& arguments = {})
{
    const CommandRow& row = RowOf(command);
    CommandBytes block = row.Fixed;
    auto put24 = [&block](std::size_t at, std::uint32_t value) {
        block[at] = static_cast<std::uint8_t>(value >> 16);
        block[at + 1] = static_cast<std::uint8_t>(value >> 8);
        block[at + 2] = static_cast<std::uint8_t>(value);
    };
    if (row.Fields & Offset24)
        put24(3, arguments.Offset);
    if (row.Fields & Length24)
        put24(6, arguments.Length);
    if (row.Fields & VendorCode)
        block[9] = arguments.Code;
    if (row.Fields & E2Address) {
        block[7] = static_cast<std::uint8_t>(arguments.Address >> 8);
        block[8] = static_cast<std::uint8_t>(arguments.Address);
    }
    if (row.Fields & E2Data)
        block[9] = arguments.Data;
    if (row.Fields & StartStop)
        block[4] = arguments.Code;
    return block;
}
