// The vendor commands of the firmware update: each fills CommandBlock, sends it to the
// selected drive, and on failure shows its prefix with the drive's error text.

#include "app/Main.h"

#include "platform/vcl/Dialogs.h"

#include <algorithm>
#include <cstring>

// A command succeeds when the drive took it and recorded no sense. A transport failure
// leaves no sense behind, so the transport's own result is asked too: a failed call is
// never taken for success.
bool TFlashForm::SendCommand(DriveCommand command, const CommandArguments& arguments, std::uint32_t length,
    const char* prefix)
{
    CommandBlock = BuildCommand(command, arguments);
    bool sent = SelectedDrive->ExecCommand(CommandBlock, RowOf(command).Direction, length);
    if (sent && SelectedDrive->SenseIs(0, 0, 0))
        return true;
    vcl::ShowMessage(prefix + SelectedDrive->ErrorText());
    return false;
}

bool TFlashForm::WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count)
{
    for (unsigned i = 0; i < count; ++i) {
        CommandArguments arguments;
        arguments.Address = static_cast<std::uint16_t>(address + i);
        arguments.Data = data[i];
        if (!SendCommand(DriveCommand::WriteE2Byte, arguments, 0, "Write E2> "))
            return false;
    }
    return true;
}

bool TFlashForm::WriteBuffer(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length, std::uint8_t code)
{
    CommandArguments arguments { offset, length, code, 0, 0 };
    // Programming the flash: the drive answers with 16 bytes; the data pointer is unused.
    if (code == CodeFlash || code == CodeFlashAll)
        return SendCommand(DriveCommand::WriteBufferControl, arguments, 16, "Write Buffer> ");
    // Never more than the shared buffer holds; a longer transfer is refused by the
    // transport.
    std::uint32_t room = std::min(length, CddriveState().DataBufferLength);
    if (room > 0 && data)
        std::memcpy(CDDrive::DataBuffer(), data, room);
    return SendCommand(DriveCommand::WriteBufferData, arguments, length, "Write Buffer> ");
}

bool TFlashForm::ReadBuffer(std::uint32_t offset, std::uint8_t* destination, std::uint32_t length)
{
    if (!SendCommand(DriveCommand::ReadBuffer, { offset, length, 0, 0, 0 }, length, "Read Buffer> "))
        return false;
    std::memcpy(destination, CDDrive::DataBuffer(), length);
    return true;
}

bool TFlashForm::EntryCritical()
{
    return SendCommand(DriveCommand::WriteBufferControl, { 0, 0, CodeProfile, 0, 0 }, 0, "Entry critical> ");
}
