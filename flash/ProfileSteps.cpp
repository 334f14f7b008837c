// The flash profile of one run: the drive's flash identity looked up in the table, the
// matching record assembled and uploaded, and later verified.

#include "app/Main.h"
#include "flash/FlashProfile.h"

#include "platform/vcl/Dialogs.h"

#include <cstring>

namespace {

constexpr std::uint32_t ProfileOffsetCriticalEntry = 0x80000;

} // namespace

bool TFlashForm::SetupFlashProfile(std::uint8_t* work)
{
    if (!SendCommand(DriveCommand::ReadFlashId, {}, 128, "Read Flash ID> "))
        return false;
    const std::uint8_t* reply = CDDrive::DataBuffer();

    // The first row that matches ends the search; a row that does not adds its segment
    // to the running offset, unless it shares the next row's segment.
    std::int32_t offset = 0;
    bool matched = false;
    FlashIdRow row {};
    for (std::size_t index = 0; index < FlashIdRowCount; ++index) {
        row = FlashIdTableRow(index);
        bool twoBytes = reply[0] == row.Id[0] && reply[1] == row.Id[1];
        if (CriticalEntryImage)
            matched = twoBytes;
        else if (ModelTaggedImage)
            matched = twoBytes && reply[2] == row.Id[2] && reply[3] == row.Id[3];
        if (matched)
            break;
        if (!SharesNextSegment(index))
            offset += row.SegmentLength;
    }
    ProfileSegmentOffset = offset;

    std::int32_t segmentLength = 0;
    if (matched) {
        ProfileFound = 1;
        std::size_t at = 0;
        work[at++] = row.Id[0];
        work[at++] = row.Id[1];
        if (!CriticalEntryImage) {
            work[at++] = row.Id[2];
            work[at++] = row.Id[3];
        }
        work[at++] = static_cast<std::uint8_t>(row.SegmentLength >> 8);
        work[at++] = static_cast<std::uint8_t>(row.SegmentLength);
        ProfileHeaderLength = static_cast<std::int32_t>(at);
        segmentLength = row.SegmentLength;
        // A segment of odd length takes the byte behind it along (no row has one).
        if (segmentLength % 2)
            ++segmentLength;
        for (std::int32_t i = 0; i < segmentLength; ++i) {
            std::size_t source = static_cast<std::size_t>(offset + i);
            work[at + static_cast<std::size_t>(i)] = source < ProfileDataSize ? FlashProfile.ProfileData[source] : 0;
        }
    } else {
        const std::uint8_t unknown[4] = { 0xFF, 0xFF, 0x00, 0x00 };
        std::memcpy(work, unknown, sizeof unknown);
        ProfileHeaderLength = 4;
    }
    ProfileLength = ProfileHeaderLength + segmentLength;
    std::memcpy(CDDrive::DataBuffer(), work, static_cast<std::size_t>(ProfileLength));

    CommandArguments arguments;
    arguments.Offset = CriticalEntryImage ? ProfileOffsetCriticalEntry : 0;
    arguments.Length = static_cast<std::uint32_t>(ProfileLength);
    arguments.Code = CodeProfile;
    return SendCommand(DriveCommand::WriteBufferData, arguments, arguments.Length, "Write Profile> ");
}

bool TFlashForm::ReadVerifyProfile(const std::uint8_t* saved)
{
    if (ModelTaggedImage) {
        // Checked against the compiled-in profile; no command, no message.
        for (std::int32_t i = ProfileHeaderLength; i < ProfileLength; ++i) {
            std::size_t source = static_cast<std::size_t>(ProfileSegmentOffset + i - ProfileHeaderLength);
            std::uint8_t expected = source < ProfileDataSize ? FlashProfile.ProfileData[source] : 0;
            if (saved[i] != expected)
                return false;
        }
        return true;
    }
    CommandArguments arguments { ProfileOffsetCriticalEntry, static_cast<std::uint32_t>(ProfileLength), 0, 0, 0 };
    if (!SendCommand(DriveCommand::ReadBuffer, arguments, arguments.Length, "Read Profile> "))
        return false;
    if (std::memcmp(CDDrive::DataBuffer(), saved, static_cast<std::size_t>(ProfileLength)) != 0) {
        vcl::ShowMessage("Compared profile error!");
        return false;
    }
    return true;
}
