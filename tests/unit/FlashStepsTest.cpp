#include "app/Main.h"
#include "flash/CommandSet.h"
#include "flash/Eligibility.h"
#include "flash/FlashProfile.h"
#include "platform/vcl/Forms.h"
#include "tests/unit/DriveTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// A flasher for QKA-270 whose start-up has accepted the warning and selected drive E.
struct Flasher {
    explicit Flasher(const std::string& driveKeys, const std::string& input = "yes\n")
        : Session("[Machine]\nClock=virtual\nCommandLog=log\n[Drive0]\nLetter=E\nVendor=QSI\nProduct=DVD-ROM QKA-270\n"
                  "Revision=1A05\n"
                + driveKeys,
            input)
    {
        Package.Field(HeaderField::Model, "QKA-270")
            .Field(HeaderField::Inquiry, "QSI     DVD-ROM QKA-270 ")
            .Field(HeaderField::FWRange, "1A00-1AZZ")
            .Field(HeaderField::Vendor, "QSI")
            .Field(HeaderField::BinName, "1A07")
            .Size(16384);
        Package.Area(0, { 0x02, 0x00, 0x00, 0x00 });
        Form = std::make_unique<TFlashForm>(Package.View());
        Form->FormCreate(nullptr);
    }
    // The commands sent since the start-up inquiries.
    std::string Commands() const
    {
        std::string log = Session.Log();
        for (int skip = 0; skip < 2; ++skip)
            log = log.substr(log.find('\n') + 1);
        return log;
    }
    test::PackageBytes Package;
    test::MachineSession Session;
    std::unique_ptr<TFlashForm> Form;
};

struct ProfileCase {
    const char* Name;
    const char* FlashId;
    bool Critical;
    std::vector<std::uint8_t> Header;
    std::int32_t SegmentOffset;
    std::int32_t Length;
    bool Found;
    const char* WriteCommand;
};

class ProfileSearch : public testing::TestWithParam<ProfileCase> { };

TEST_P(ProfileSearch, FindsTheRowAndUploadsItsRecord)
{
    const ProfileCase& c = GetParam();
    Flasher flasher(std::string("FlashId=") + c.FlashId + "\n");
    TFlashForm& form = *flasher.Form;
    ASSERT_NE(form.SelectedDrive, nullptr);
    form.CriticalEntryImage = c.Critical ? 1 : 0;
    form.ModelTaggedImage = c.Critical ? 0 : 1;
    std::vector<std::uint8_t> work(16384, 0xEE);
    ASSERT_TRUE(form.SetupFlashProfile(work.data()));
    EXPECT_EQ(form.ProfileFound, c.Found ? 1 : 0);
    EXPECT_EQ(form.ProfileLength, c.Length);
    EXPECT_EQ(form.ProfileSegmentOffset, c.SegmentOffset);
    EXPECT_EQ(std::vector<std::uint8_t>(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(c.Header.size())), c.Header);
    if (c.Found) {
        EXPECT_EQ(std::memcmp(work.data() + c.Header.size(), FlashProfile.ProfileData + c.SegmentOffset, c.Length - c.Header.size()), 0);
    }
    EXPECT_EQ(flasher.Commands(),
        "E: DF 11 00 00 00 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00\n" + std::string(c.WriteCommand) + " t=60 -> 00 00 00\n");
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileSearch,
    testing::Values(
        // Two-byte match stops at row 3; the record goes to 512 KB.
        ProfileCase { "CriticalBfB6", "BF B6 00 02", true, { 0xBF, 0xB6, 0x05, 0x00 }, 766, 1284, true,
            "E: 3B 05 01 08 00 00 00 05 04 7F 00 00 out 1284" },
        // Row 3 fails on bytes 2 and 3, row 7 matches: six-byte header, at offset 0.
        ProfileCase { "TaggedBfB6", "BF B6 00 02", false, { 0xBF, 0xB6, 0x00, 0x02, 0x02, 0xB4 }, 5120, 698, true,
            "E: 3B 05 01 00 00 00 00 02 BA 7F 00 00 out 698" },
        // Row 2 matches, never row 8: the segment at 766.
        ProfileCase { "CriticalBfD6", "BF D6 00 02", true, { 0xBF, 0xD6, 0x05, 0x00 }, 766, 1284, true,
            "E: 3B 05 01 08 00 00 00 05 04 7F 00 00 out 1284" },
        // Row 6 has 00 02 in bytes 2 and 3: no row matches.
        ProfileCase { "Tagged370D0001", "37 0D 00 01", false, { 0xFF, 0xFF, 0x00, 0x00 }, 5812, 4, false,
            "E: 3B 05 01 00 00 00 00 00 04 7F 00 00 out 4" },
        ProfileCase { "TaggedFirstRow", "DA C8 00 00", false, { 0xDA, 0xC8, 0x00, 0x00, 0x01, 0x3A }, 0, 320, true,
            "E: 3B 05 01 00 00 00 00 01 40 7F 00 00 out 320" },
        ProfileCase { "CriticalLastSegment", "37 0D 99 99", true, { 0x37, 0x0D, 0x03, 0x1C }, 4324, 800, true,
            "E: 3B 05 01 08 00 00 00 03 20 7F 00 00 out 800" }),
    [](const testing::TestParamInfo<ProfileCase>& info) { return info.param.Name; });

TEST(ProfileSearchFailures, AFailedFlashIdReadUploadsNothing)
{
    Flasher flasher("FlashId=BF B6 00 02\nFail=DF11@1=05 24 00\n", "yes\n\n");
    TFlashForm& form = *flasher.Form;
    form.CriticalEntryImage = 1;
    std::vector<std::uint8_t> work(16384);
    EXPECT_FALSE(form.SetupFlashProfile(work.data()));
    EXPECT_EQ(form.ProfileFound, 0);
    EXPECT_EQ(form.ProfileLength, 0);
    EXPECT_EQ(flasher.Commands(), "E: DF 11 00 00 00 00 00 00 00 00 00 00 in 128 t=60 -> 05 24 00\n");
    EXPECT_NE(flasher.Session.Output().find("|Read Flash ID> 05 24 00. 02, 0000\n"), std::string::npos);
}

TEST(ProfileVerification, ModelTaggedIsCheckedLocally)
{
    Flasher flasher("FlashId=BF B6 00 02\n");
    TFlashForm& form = *flasher.Form;
    form.ModelTaggedImage = 1;
    std::vector<std::uint8_t> work(16384);
    ASSERT_TRUE(form.SetupFlashProfile(work.data()));
    std::string before = flasher.Session.Log();
    EXPECT_TRUE(form.ReadVerifyProfile(work.data()));
    work[100] ^= 1;
    EXPECT_FALSE(form.ReadVerifyProfile(work.data()));
    // Neither result sends a command or shows a message.
    EXPECT_EQ(flasher.Session.Log(), before);
    EXPECT_EQ(flasher.Session.Output().find("Compared profile error!"), std::string::npos);
}

TEST(ProfileVerification, CriticalEntryIsReadBackFromTheDrive)
{
    Flasher flasher("FlashId=BF B6 00 02\nFail=3C@2=corrupt\n", "yes\n\n");
    TFlashForm& form = *flasher.Form;
    form.CriticalEntryImage = 1;
    std::vector<std::uint8_t> work(16384);
    ASSERT_TRUE(form.SetupFlashProfile(work.data()));
    EXPECT_TRUE(form.ReadVerifyProfile(work.data()));
    EXPECT_FALSE(form.ReadVerifyProfile(work.data()));
    EXPECT_NE(flasher.Session.Output().find("|Compared profile error!\n"), std::string::npos);
    EXPECT_NE(flasher.Session.Log().find("E: 3C 01 01 08 00 00 00 05 04 00 00 00 in 1284 t=60 -> 00 00 00\n"), std::string::npos);
}

TEST(FlashIdTable, SegmentsFillTheProfileDataExactly)
{
    std::size_t total = 0;
    for (std::size_t row = 0; row < FlashIdRowCount; ++row) {
        if (!SharesNextSegment(row))
            total += FlashIdTableRow(row).SegmentLength;
        EXPECT_EQ(FlashIdTableRow(row).SegmentLength % 2, 0);
    }
    EXPECT_EQ(total, ProfileDataSize);
    EXPECT_EQ(FlashIdTableRow(6).Id[0], 0x37);
    EXPECT_EQ(FlashIdTableRow(6).Id[3], 0x02);
}

struct BlockCase {
    const char* Name;
    CommandBytes Built;
    CommandBytes Expected;
};

TEST(CommandBlocks, FromTheOneTable)
{
    const BlockCase cases[] = {
        { "flash all at 0, length 0", BuildCommand(DriveCommand::WriteBufferControl, { 0, 0, CodeFlashAll, 0, 0 }),
            { 0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0xA0, 0, 0 } },
        { "16 KB at 0x7C000", BuildCommand(DriveCommand::WriteBufferData, { 0x7C000, 16384, CodeImageData, 0, 0 }),
            { 0x3B, 0x05, 0x01, 0x07, 0xC0, 0x00, 0x00, 0x40, 0x00, 0x00, 0, 0 } },
        { "offsets keep their low 24 bits", BuildCommand(DriveCommand::ReadBuffer, { 0x1080000, 0x1000004, 0, 0, 0 }),
            { 0x3C, 0x01, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x04, 0, 0, 0 } },
        { "E2 byte", BuildCommand(DriveCommand::WriteE2Byte, { 0, 0, 0, 0xFFFF, 0x5A }),
            { 0xDF, 0x0A, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x5A, 0, 0 } },
        { "load and start", BuildCommand(DriveCommand::StartStopUnit, { 0, 0, LoadAndStart, 0, 0 }),
            { 0x1B, 0, 0, 0, 0x03, 0, 0, 0, 0, 0, 0, 0 } },
        { "READ CD", BuildCommand(DriveCommand::ReadCd), { 0xBE, 0, 0, 0, 0, 0x10, 0, 0, 0x01, 0x10, 0, 0 } },
    };
    for (const BlockCase& c : cases)
        EXPECT_EQ(c.Built, c.Expected) << c.Name;
    EXPECT_EQ(RowOf(DriveCommand::WriteBufferData).Direction, DirectionOut);
    EXPECT_EQ(RowOf(DriveCommand::WriteBufferControl).Direction, DirectionIn);
}

TEST(VendorCommands, WriteE2OneCommandPerByteWrappingTheAddress)
{
    Flasher flasher("");
    TFlashForm& form = *flasher.Form;
    const std::uint8_t bytes[] = { 0x11, 0x22 };
    EXPECT_TRUE(form.WriteE2(bytes, 0xFFFF, 0));
    EXPECT_EQ(flasher.Commands(), "");
    EXPECT_TRUE(form.WriteE2(bytes, 0xFFFF, 2));
    EXPECT_EQ(flasher.Commands(),
        "E: DF 0A 00 00 00 00 00 FF FF 11 00 00 in 0 t=60 -> 00 00 00\n"
        "E: DF 0A 00 00 00 00 00 00 00 22 00 00 in 0 t=60 -> 00 00 00\n");
}

TEST(VendorCommands, WriteE2StopsAtTheFirstFailure)
{
    Flasher flasher("Fail=DF0A@3=03 0C 00\n", "yes\n\n");
    TFlashForm& form = *flasher.Form;
    const std::uint8_t bytes[5] = { 1, 2, 3, 4, 5 };
    EXPECT_FALSE(form.WriteE2(bytes, 0x100, 5));
    EXPECT_EQ(test::Occurrences(flasher.Commands(), "E: DF 0A"), 3u);
    EXPECT_EQ(test::Occurrences(flasher.Session.Output(), "|Write E2> 03 0C 00. 02, 0000\n"), 1u);
}

TEST(VendorCommands, FlashCodeReadsNothingFromItsDataPointer)
{
    Flasher flasher("");
    TFlashForm& form = *flasher.Form;
    EXPECT_TRUE(form.WriteBuffer(0, nullptr, 0, CodeFlashAll));
    EXPECT_EQ(flasher.Commands(), "E: 3B 05 01 00 00 00 00 00 00 A0 00 00 in 16 t=60 -> 00 00 00\n");
}

TEST(VendorCommands, AFailedReadLeavesTheDestination)
{
    Flasher flasher("Fail=3C@1=03 11 00\n", "yes\n\n");
    TFlashForm& form = *flasher.Form;
    std::vector<std::uint8_t> destination(16384, 0x77);
    EXPECT_FALSE(form.ReadBuffer(0, destination.data(), 16384));
    EXPECT_EQ(std::count(destination.begin(), destination.end(), 0x77), 16384);
    EXPECT_NE(flasher.Session.Output().find("|Read Buffer> 03 11 00. 02, 0000\n"), std::string::npos);
}

TEST(VendorCommands, ATransferLongerThanTheBufferIsRefused)
{
    Flasher flasher("", "yes\n\n");
    TFlashForm& form = *flasher.Form;
    std::vector<std::uint8_t> data(20000, 1);
    EXPECT_FALSE(form.WriteBuffer(0, data.data(), 20000, CodeImageData));
    EXPECT_EQ(flasher.Commands(), "");
    EXPECT_NE(flasher.Session.Output().find("|Write Buffer> 00 00 00. 00, 0057\n"), std::string::npos);
}

struct DiscCase {
    const char* Name;
    const char* Keys;
    bool NoMedium;
};

TEST(CheckDisc, TrueOnlyForNotReadyMediumNotPresent)
{
    const DiscCase cases[] = {
        { "readable disc", "Medium=present\n", false },
        { "unreadable disc", "Medium=unreadable\n", false },
        { "becoming ready", "Medium=present\nFail=BE@1=02 04 01\n", false },
        { "transport failure", "Medium=present\nFail=BE@1=transport\n", false },
        { "no medium", "Medium=none\n", true },
    };
    for (const DiscCase& c : cases) {
        Flasher flasher(c.Keys);
        EXPECT_EQ(flasher.Form->CheckDisc(), c.NoMedium) << c.Name;
        EXPECT_NE(flasher.Commands().find("E: BE 00 00 00 00 10 00 00 01 10 00 00 in 8"), std::string::npos) << c.Name;
    }
}

TEST(Comparisons, OrdinalAndFamily)
{
    EXPECT_LT(OrdinalCompare("1A00", "1A05"), 0);
    EXPECT_GT(OrdinalCompare("1a05", "1AZZ"), 0); // lower case sorts above upper case
    EXPECT_LT(OrdinalCompare("-   ", "0000"), 0); // '-' sorts below the digits
    EXPECT_LT(OrdinalCompare("1A0", "1A00"), 0); // a prefix is the smaller
    EXPECT_EQ(OrdinalCompare("1AZZ", "1AZZ"), 0);
    EXPECT_GT(OrdinalCompare("\xE9", "z"), 0); // bytes compare unsigned
    EXPECT_TRUE(SameRevisionFamily("a105", "A107"));
    EXPECT_FALSE(SameRevisionFamily("1A05", "2A07"));
    EXPECT_FALSE(SameRevisionFamily("\xE9" "105", "\xC9" "107")); // only a to z fold
    EXPECT_TRUE(SameRevisionFamily("    ", " 1A"));
}

} // namespace

namespace {

TEST(FlasherWindow, DestroyingItClosesTheDrivesAndFreesTheBuffers)
{
    Flasher flasher("");
    TFlashForm& form = *flasher.Form;
    ASSERT_TRUE(form.Drives);
    EXPECT_TRUE(form.TransferBuffer);
    EXPECT_EQ(CDDrive::DataBuffer(), form.TransferBuffer.Data());
    EXPECT_EQ(CddriveState().DataBufferLength, 0x4000u);
    EXPECT_EQ(CddriveState().OpenDriveCount, 1);
    EXPECT_EQ(flasher.Session.Machine().OpenHandles(), 1u);
    form.FormDestroy(nullptr);
    EXPECT_FALSE(form.Drives);
    EXPECT_FALSE(form.TransferBuffer);
    EXPECT_EQ(CddriveState().OpenDriveCount, 0);
    EXPECT_EQ(flasher.Session.Machine().OpenHandles(), 0u);
}

TEST(FlasherWindow, DecliningTheWarningOpensNoDrive)
{
    Flasher flasher("", "no\n");
    TFlashForm& form = *flasher.Form;
    EXPECT_FALSE(form.Drives);
    EXPECT_FALSE(form.TransferBuffer);
    EXPECT_TRUE(form.CloseRequested());
    EXPECT_TRUE(vcl::Application->QuitPosted());
    EXPECT_EQ(flasher.Session.Log(), "");
}

} // namespace
