#include "drive/Cddrive.h"
#include "platform/virtual/MachineFile.h"
#include "platform/virtual/VirtualMachine.h"
#include "tests/unit/DriveTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct BadFileCase {
    const char* Name;
    const char* Text;
    const char* Problem; // after "Machine file m.ini, "
};

class BadMachineFiles : public testing::TestWithParam<BadFileCase> { };

TEST_P(BadMachineFiles, GiveOneMessageNamingSectionKeyAndProblem)
{
    const BadFileCase& c = GetParam();
    std::string problem;
    EXPECT_FALSE(virt::ParseMachineFile("m.ini", c.Text, problem));
    EXPECT_EQ(problem, std::string("Machine file m.ini, ") + c.Problem);
}

INSTANTIATE_TEST_SUITE_P(Table, BadMachineFiles,
    testing::Values(
        BadFileCase { "UnknownPlatform", "[Machine]\nPlatform=XP\n", "section [Machine], key Platform: \"XP\" is not one of NT, 9x" },
        BadFileCase { "UnknownAspi", "[Machine]\naspi=gone\n", "section [Machine], key Aspi: \"gone\" is not one of present, missing, no-entry, not-ready" },
        BadFileCase { "UnknownClock", "[Machine]\nClock=fast ; comment\n", "section [Machine], key Clock: \"fast\" is not one of real, virtual" },
        BadFileCase { "UnknownKey", "[Machine]\nPlatfrom=NT\n", "section [Machine], key Platfrom: unknown key" },
        BadFileCase { "UnknownSection", "[Drive40]\nLetter=E\n", "section [Drive40]: unknown section (Machine or Drive0 to Drive39 expected)" },
        BadFileCase { "BadRootType", "[Machine]\nRoots=C:floppy\n", "section [Machine], key Roots: \"floppy\" is not one of fixed, remote, cdrom, removable, ramdisk" },
        BadFileCase { "BadHex", "[Drive0]\nLetter=E\nFlashId=BF B6 0 02\n", "section [Drive0], key FlashId: \"BF B6 0 02\" is not hex pairs" },
        BadFileCase { "ShortFlashId", "[Drive0]\nLetter=E\nFlashId=BF B6\n", "section [Drive0], key FlashId: \"BF B6\" is not 4 hex byte(s)" },
        BadFileCase { "NotHexAtAll", "[Drive0]\nLetter=E\nInquiryHex=QSI\n", "section [Drive0], key InquiryHex: \"QSI\" is not hex pairs" },
        BadFileCase { "LongVendor", "[Drive0]\nLetter=E\nVendor=QSI-LONGNAME\n", "section [Drive0], key Vendor: \"QSI-LONGNAME\" is longer than 8 characters" },
        BadFileCase { "BadFaultOutcome", "[Drive0]\nLetter=E\nFail=3B@1=explode\n",
            "section [Drive0], key Fail: fault rule \"3B@1=explode\" is not PREFIX[/CODE]@N=OUTCOME (OUTCOME: \"SK ASC ASCQ\", transport, timeout, lie or corrupt)" },
        BadFileCase { "FaultCountZero", "[Drive0]\nLetter=E\nFail=3B@0=transport\n",
            "section [Drive0], key Fail: fault rule \"3B@0=transport\" is not PREFIX[/CODE]@N=OUTCOME (N: a count from 1)" },
        BadFileCase { "FaultWithoutCount", "[Drive0]\nLetter=E\nFail=3B=transport\n",
            "section [Drive0], key Fail: fault rule \"3B=transport\" is not PREFIX[/CODE]@N=OUTCOME" },
        BadFileCase { "FaultBadCode", "[Drive0]\nLetter=E\nFail=3B/7@1=lie\n",
            "section [Drive0], key Fail: fault rule \"3B/7@1=lie\" is not PREFIX[/CODE]@N=OUTCOME (CODE: one hex byte)" },
        BadFileCase { "DuplicateLetter", "[Drive0]\nLetter=E\n[Drive1]\nLetter=e\n", "section [Drive1], key Letter: duplicate address: the same as [Drive0]" },
        BadFileCase { "LetterAlsoARoot", "[Machine]\nRoots=E:fixed\n[Drive0]\nLetter=E\n", "section [Drive0], key Letter: duplicate address: E is also in Roots" },
        BadFileCase { "DuplicateAspiAddress", "[Machine]\nPlatform=9x\n[Drive0]\nHostAdapter=1\n[Drive1]\nHostAdapter=1\nLun=1\n",
            "section [Drive1], key HostAdapter: duplicate address: the same as [Drive0]" },
        BadFileCase { "NtDriveWithoutLetter", "[Drive3]\nVendor=QSI\n", "section [Drive3], key Letter: missing (an NT drive needs its letter)" },
        BadFileCase { "NotAYesNo", "[Drive0]\nLetter=E\nOpens=maybe\n", "section [Drive0], key Opens: \"maybe\" is not one of yes, no" },
        BadFileCase { "BadBecomingReady", "[Drive0]\nLetter=E\nBecomingReady=always\n",
            "section [Drive0], key BecomingReady: \"always\" is not a whole number from 0 to 1000000 or forever" },
        BadFileCase { "SectionTwice", "[Drive0]\nLetter=E\n[drive0]\nLetter=F\n", "section [drive0]: the section is given twice" },
        BadFileCase { "KeyTwice", "[Drive0]\nLetter=E\nletter=F\n", "section [Drive0], key Letter: given twice" }),
    [](const testing::TestParamInfo<BadFileCase>& info) { return info.param.Name; });

TEST(MachineFile, ReadsEveryKeyWithItsDefaults)
{
    std::string problem;
    auto settings = virt::ParseMachineFile("dir/m.ini", R"([Machine]
Platform=9x            ; what GetVersionExA reports
Aspi=not-ready
AspiCompletion=deferred
Clock=virtual
CommandLog=commands.log
Roots=C:fixed, D:cdrom
[Drive7]
HostAdapter=2
Target=1
Lun=1
Vendor=QSI
Product="DVD-ROM QKA-270"
Revision=1A05
FlashId=bfb60002
Medium=present
BecomingReady=forever
Latency=5
RevisionAfterFlash=1A06
FlashFile=/tmp/flashed.bin
Vanish=yes
Fail=3B/00@3=03 0C 00;3C@1=corrupt
)",
        problem);
    ASSERT_TRUE(settings) << problem;
    EXPECT_EQ(settings->MachinePlatform, virt::Platform::Win9x);
    EXPECT_EQ(settings->Aspi, virt::AspiState::NotReady);
    EXPECT_EQ(settings->Completion, virt::AspiCompletion::Deferred);
    EXPECT_EQ(settings->MachineClock, virt::Clock::Virtual);
    EXPECT_EQ(settings->CommandLog, (std::filesystem::path("dir") / "commands.log").string());
    ASSERT_EQ(settings->Roots.size(), 2u);
    EXPECT_EQ(settings->Roots[1].Letter, 'D');
    EXPECT_EQ(settings->Roots[1].Type, 5u);
    ASSERT_EQ(settings->Drives.size(), 1u);
    const virt::DriveSettings& drive = settings->Drives[0];
    EXPECT_FALSE(drive.Letter);
    EXPECT_EQ(drive.HostAdapter, 2);
    EXPECT_EQ(std::string(drive.Identity.begin(), drive.Identity.end()), "QSI     DVD-ROM QKA-270 1A05");
    EXPECT_EQ(drive.FlashId, (std::array<std::uint8_t, 4> { 0xBF, 0xB6, 0x00, 0x02 }));
    EXPECT_EQ(drive.BecomingReady, virt::UnboundedBecomingReady);
    EXPECT_EQ(drive.LatencyMilliseconds, 5u);
    EXPECT_EQ(drive.RevisionAfterFlash, "1A06");
    EXPECT_EQ(drive.FlashFile, "/tmp/flashed.bin");
    EXPECT_TRUE(drive.Vanish);
    ASSERT_EQ(drive.Faults.size(), 2u);
    EXPECT_EQ(drive.Faults[0].Prefix, (std::vector<std::uint8_t> { 0x3B }));
    EXPECT_EQ(drive.Faults[0].Code, 0x00);
    EXPECT_EQ(drive.Faults[0].Occurrence, 3u);
    EXPECT_EQ(drive.Faults[0].Sense, (std::array<std::uint8_t, 3> { 0x03, 0x0C, 0x00 }));
    EXPECT_EQ(drive.Faults[1].Outcome, virt::FaultOutcome::Corrupt);

    settings = virt::ParseMachineFile("m.ini", "[Drive0]\nLetter=E\n", problem);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->MachinePlatform, virt::Platform::NT);
    EXPECT_EQ(settings->MachineClock, virt::Clock::Real);
    EXPECT_TRUE(settings->Drives[0].Opens);
    EXPECT_EQ(settings->Drives[0].OpenError, 5u);
    EXPECT_EQ(settings->Drives[0].DriveMedium, virt::Medium::None);
    EXPECT_EQ(std::string(settings->Drives[0].Identity.begin(), settings->Drives[0].Identity.end()), std::string(28, ' '));
}

TEST(MachineFile, AFileThatCannotBeReadIsNamed)
{
    std::string problem;
    EXPECT_FALSE(virt::ReadMachineFile("/nonexistent/krv/machine.ini", problem));
    EXPECT_EQ(problem, "Machine file /nonexistent/krv/machine.ini: cannot be read");
}

// One drive of a session, sent commands directly through the drive unit.
struct DriveUnderTest {
    explicit DriveUnderTest(const std::string& driveKeys)
        : Session("[Machine]\nClock=virtual\nCommandLog=log\n[Drive0]\nLetter=E\n" + driveKeys)
        , Drive('E', 0, 0, 0)
    {
        CDDrive::SetDataBuffer(Buffer.data(), static_cast<std::uint32_t>(Buffer.size()));
    }
    bool Send(const CommandBytes& cdb, std::uint8_t direction, std::uint32_t length)
    {
        Drive.ExecCommand(cdb, direction, length);
        return Drive.SenseIs(0, 0, 0);
    }
    test::MachineSession Session;
    CDDrive Drive;
    std::vector<std::uint8_t> Buffer = std::vector<std::uint8_t>(16384, 0);
};

const CommandBytes WriteImage { 0x3B, 0x05, 0x01, 0, 0, 0, 0, 0x40, 0, 0x00, 0, 0 };
const CommandBytes WriteProfile { 0x3B, 0x05, 0x01, 0x08, 0, 0, 0, 0x04, 0, 0x7F, 0, 0 };
const CommandBytes ReadImage { 0x3C, 0x01, 0x01, 0, 0, 0, 0, 0x40, 0, 0, 0, 0 };

TEST(FaultRules, FireOnTheNthMatchingCommandOnly)
{
    DriveUnderTest drive("Fail=3B/00@2=03 0C 00\n");
    EXPECT_TRUE(drive.Send(WriteImage, DirectionOut, 16384));
    // A profile write is a WRITE BUFFER too, but not of code 00: it does not count.
    EXPECT_TRUE(drive.Send(WriteProfile, DirectionOut, 1024));
    EXPECT_FALSE(drive.Send(WriteImage, DirectionOut, 16384));
    EXPECT_TRUE(drive.Drive.SenseIs(0x03, 0x0C, 0x00));
    EXPECT_TRUE(drive.Send(WriteImage, DirectionOut, 16384));
    EXPECT_EQ(test::Occurrences(drive.Session.Log(), "-> 03 0C 00\n"), 1u);
}

TEST(FaultRules, LieReportsSuccessAndKeepsNothing)
{
    DriveUnderTest drive("Fail=3B@1=lie\n");
    std::fill(drive.Buffer.begin(), drive.Buffer.end(), 0x5A);
    EXPECT_TRUE(drive.Send(WriteImage, DirectionOut, 16384));
    std::fill(drive.Buffer.begin(), drive.Buffer.end(), 0x00);
    EXPECT_TRUE(drive.Send(ReadImage, DirectionIn, 16384));
    EXPECT_EQ(drive.Buffer[0], 0x00);
    EXPECT_EQ(drive.Buffer[16383], 0x00);
}

TEST(FaultRules, CorruptFlipsOneByteOfTheReadBack)
{
    DriveUnderTest drive("Fail=3C@1=corrupt\n");
    std::fill(drive.Buffer.begin(), drive.Buffer.end(), 0x5A);
    ASSERT_TRUE(drive.Send(WriteImage, DirectionOut, 16384));
    ASSERT_TRUE(drive.Send(ReadImage, DirectionIn, 16384));
    EXPECT_EQ(std::count(drive.Buffer.begin(), drive.Buffer.end(), 0x5A), 16383);
    ASSERT_TRUE(drive.Send(ReadImage, DirectionIn, 16384));
    EXPECT_EQ(std::count(drive.Buffer.begin(), drive.Buffer.end(), 0x5A), 16384);
}

TEST(FaultRules, PrefixOfSeveralBytes)
{
    DriveUnderTest drive("Fail=DF11@1=05 24 00\n");
    EXPECT_TRUE(drive.Send({ 0xDF, 0x0A, 0, 0, 0, 0, 0, 0, 0, 0x12, 0, 0 }, DirectionIn, 0));
    EXPECT_FALSE(drive.Send({ 0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, DirectionIn, 128));
    EXPECT_TRUE(drive.Send({ 0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, DirectionIn, 128));
}

TEST(DriveBehaviour, BufferMemoryBoundsCommandsAndFlash)
{
    test::ScratchFolder flashed;
    DriveUnderTest drive("FlashId=BF B6 00 02\nRevisionAfterFlash=1A07\nFlashFile=" + flashed.File("flash.bin") + "\n");
    // Image data, then the flash command programs from what was written.
    std::fill(drive.Buffer.begin(), drive.Buffer.end(), 0x11);
    EXPECT_TRUE(drive.Send(WriteImage, DirectionOut, 16384));
    CommandBytes second = WriteImage;
    second[4] = 0x40; // offset 0x4000
    std::fill(drive.Buffer.begin(), drive.Buffer.end(), 0x22);
    EXPECT_TRUE(drive.Send(second, DirectionOut, 16384));
    // Outside the 0x90000 bytes of buffer memory.
    EXPECT_FALSE(drive.Send({ 0x3B, 0x05, 0x01, 0x08, 0xFF, 0x00, 0, 0x40, 0, 0x00, 0, 0 }, DirectionOut, 16384));
    EXPECT_TRUE(drive.Drive.SenseIs(0x05, 0x24, 0x00));
    // Another mode, an unknown command.
    EXPECT_FALSE(drive.Send({ 0x3B, 0x02, 0x01, 0, 0, 0, 0, 0, 0x10, 0, 0, 0 }, DirectionOut, 16));
    EXPECT_TRUE(drive.Drive.SenseIs(0x05, 0x24, 0x00));
    EXPECT_FALSE(drive.Send({ 0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, DirectionIn, 0));
    EXPECT_TRUE(drive.Drive.SenseIs(0x05, 0x20, 0x00));
    // Flash ID: the four bytes, then zeros.
    std::fill(drive.Buffer.begin(), drive.Buffer.end(), 0xFF);
    EXPECT_TRUE(drive.Send({ 0xDF, 0x11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, DirectionIn, 128));
    EXPECT_EQ(drive.Buffer[1], 0xB6);
    EXPECT_EQ(drive.Buffer[3], 0x02);
    EXPECT_EQ(drive.Buffer[127], 0x00);
    EXPECT_EQ(drive.Buffer[128], 0xFF);
    EXPECT_TRUE(drive.Send({ 0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0x80, 0, 0 }, DirectionIn, 16));
    std::string image = flashed.Read("flash.bin");
    ASSERT_EQ(image.size(), 32768u);
    EXPECT_EQ(image[0], 0x11);
    EXPECT_EQ(image[32767], 0x22);
    EXPECT_EQ(drive.Drive.Description(), "0-0-0 E: " + std::string(24, ' ') + "1A07");
}

TEST(DriveBehaviour, ReadinessByMediumAndBecomingReady)
{
    DriveUnderTest drive("BecomingReady=2\nMedium=none\n");
    const CommandBytes testUnitReady {};
    const CommandBytes stopPlayScan { 0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 };
    drive.Send(testUnitReady, DirectionIn, 0);
    EXPECT_TRUE(drive.Drive.SenseIs(0x02, 0x04, 0x01));
    drive.Send(stopPlayScan, DirectionIn, 0);
    drive.Send(stopPlayScan, DirectionIn, 0);
    EXPECT_TRUE(drive.Drive.SenseIs(0x02, 0x04, 0x01));
    drive.Send(stopPlayScan, DirectionIn, 0);
    EXPECT_TRUE(drive.Drive.SenseIs(0x02, 0x3A, 0x00));
    drive.Send({ 0xBE, 0, 0, 0, 0, 0x10, 0, 0, 1, 0x10, 0, 0 }, DirectionIn, 8);
    EXPECT_TRUE(drive.Drive.SenseIs(0x02, 0x3A, 0x00));
}

TEST(CommandLog, LinesByteForByte)
{
    DriveUnderTest drive("Fail=00@1=02 3A 00;4E@1=transport\n");
    CDDrive::SetTimeout(180);
    drive.Send(WriteImage, DirectionOut, 16384);
    CDDrive::SetTimeout(60);
    drive.Send({}, DirectionIn, 0);
    drive.Send({ 0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, DirectionIn, 0);
    EXPECT_EQ(drive.Session.Log(),
        "E: 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=60 -> 00 00 00\n"
        "E: 3B 05 01 00 00 00 00 40 00 00 00 00 out 16384 t=180 -> 00 00 00\n"
        "E: 00 00 00 00 00 00 00 00 00 00 00 00 in 0 t=60 -> 02 3A 00\n"
        "E: 4E 00 00 00 00 00 00 00 00 00 00 00 in 0 t=60 -> transport 1117\n");
}

TEST(CommandLog, AfterAFlashAVanishingDriveFailsAtTheTransport)
{
    DriveUnderTest drive("Vanish=yes\n");
    EXPECT_TRUE(drive.Send({ 0x3B, 0x05, 0x01, 0, 0, 0, 0, 0, 0, 0xA0, 0, 0 }, DirectionIn, 16));
    EXPECT_FALSE(drive.Drive.ExecCommand(CommandBytes {}, DirectionIn, 0));
    EXPECT_EQ(drive.Drive.Description(), "0");
    EXPECT_NE(drive.Session.Log().find("E: 00 00 00 00 00 00 00 00 00 00 00 00 in 0 t=60 -> transport 1117\n"), std::string::npos);
}

TEST(VirtualWindows, RootsTypesAndTheDriveList)
{
    test::MachineSession session("[Machine]\nClock=virtual\nRoots=C:fixed,Z:remote,A:removable\n[Drive0]\nLetter=E\n");
    virt::VirtualMachine& machine = session.Machine();
    char list[80];
    std::uint32_t length = machine.GetLogicalDriveStringsA(sizeof list, list);
    EXPECT_EQ(std::string(list, length), std::string("A:\\\0C:\\\0E:\\\0Z:\\\0", 16));
    EXPECT_EQ(machine.GetLogicalDriveStringsA(10, list), 17u);
    EXPECT_EQ(machine.GetDriveTypeA("C:\\"), 3u);
    EXPECT_EQ(machine.GetDriveTypeA("E:\\"), 5u);
    EXPECT_EQ(machine.GetDriveTypeA("Q:\\"), 1u);
    char text[80];
    EXPECT_EQ(machine.FormatMessageA(0x1000, nullptr, 21, 0, text, 80, nullptr), 26u);
    EXPECT_STREQ(text, "The device is not ready.\r\n");
    EXPECT_EQ(machine.FormatMessageA(0x1000, nullptr, 1117, 0, text, 80, nullptr), 68u);
    EXPECT_EQ(machine.FormatMessageA(0x1000, nullptr, 1117, 0, text, 20, nullptr), 0u);
    EXPECT_EQ(machine.FormatMessageA(0x1000, nullptr, 0, 0, text, 80, nullptr), 0u);
    EXPECT_EQ(machine.CreateFileA("\\\\.\\F:", 0, 0, nullptr, 3, 0, 0), os::InvalidHandleValue);
    EXPECT_EQ(machine.GetLastError(), 2u);
}

TEST(VirtualAspi, SupportInfoAndRequestsWithoutADrive)
{
    test::MachineSession session("[Machine]\nPlatform=9x\nClock=virtual\nCommandLog=log\n[Drive0]\nHostAdapter=3\n");
    virt::VirtualMachine& machine = session.Machine();
    os::Module library = machine.LoadLibraryA("wnaspi32.dll");
    ASSERT_GE(library, 32u);
    auto info = reinterpret_cast<GetAspi32SupportInfoEntry>(machine.GetProcAddress(library, "GetASPI32SupportInfo"));
    auto send = reinterpret_cast<SendAspi32CommandEntry>(machine.GetProcAddress(library, "SendASPI32Command"));
    ASSERT_NE(info, nullptr);
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(info(), 0x0104u);
    SrbExecScsiCmd request {};
    request.SRB_Cmd = 2;
    request.SRB_HaId = 2;
    EXPECT_EQ(send(&request), 0x82u);
    EXPECT_EQ(request.SRB_Status, 0x82);
    EXPECT_EQ(session.Log(), "");
    EXPECT_EQ(machine.GetProcAddress(library, "GetASPI32DLLVersion"), nullptr);
}

} // namespace
