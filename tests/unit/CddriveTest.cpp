#include "drive/Cddrive.h"
#include "tests/unit/DriveTestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

const char* const NtMachine = R"([Machine]
Platform=NT
Clock=virtual
CommandLog=log
[Drive0]
Letter=E
Vendor=QSI
Product=DVD-ROM QKA-270
Revision=1A05
Medium=present
)";

const char* const NineXMachine = R"([Machine]
Platform=9x
Clock=virtual
CommandLog=log
[Drive0]
HostAdapter=1
Target=0
Vendor=QSI
Product=DVD-ROM QKA-270
Revision=1A05
)";

std::string WithDrive(const std::string& machine, const std::string& keys)
{
    return machine + keys;
}

// The 9x machine with more [Machine] keys.
std::string NineXWith(const std::string& machineKeys)
{
    return "[Machine]\n" + machineKeys + std::string(NineXMachine).substr(std::string("[Machine]\n").size());
}

TEST(CddriveUnit, InitialValues)
{
    ResetCddriveUnit();
    EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
    EXPECT_EQ(CddriveState().TimeoutSeconds, 60);
    EXPECT_EQ(CddriveState().OpenDriveCount, 0);
    EXPECT_FALSE(CddriveState().ShowSenseReports);
    EXPECT_EQ(CDDrive::DataBuffer(), nullptr);
    EXPECT_EQ(CddriveState().DataBufferLength, 0u);
}

TEST(CddriveUnit, SetDataBufferWithNullRestoresTheDefaultBuffer)
{
    test::MachineSession session(NtMachine);
    CDDrive drive('E', 0, 0, 0);
    std::uint8_t* defaultBuffer = CDDrive::DataBuffer();
    ASSERT_NE(defaultBuffer, nullptr);
    EXPECT_EQ(CddriveState().DataBufferLength, 2352u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(defaultBuffer) % 4096, 0u);
    std::uint8_t mine[100];
    CDDrive::SetDataBuffer(mine, 100);
    EXPECT_EQ(CDDrive::DataBuffer(), mine);
    EXPECT_EQ(CddriveState().DataBufferLength, 100u);
    CDDrive::SetDataBuffer(nullptr, 100);
    EXPECT_EQ(CDDrive::DataBuffer(), defaultBuffer);
    EXPECT_EQ(CddriveState().DataBufferLength, 2352u);
}

TEST(CddriveUnit, ABufferSetStaysWhileADriveIsOpenAndGoesWhenNoneIs)
{
    test::MachineSession session(NtMachine);
    std::uint8_t mine[16384];
    {
        auto first = std::make_unique<CDDrive>('E', 0, 0, 0);
        CDDrive::SetDataBuffer(mine, sizeof mine);
        CDDrive second('E', 0, 0, 0);
        EXPECT_EQ(CDDrive::DataBuffer(), mine);
    }
    CDDrive third('E', 0, 0, 0);
    EXPECT_NE(CDDrive::DataBuffer(), mine);
    EXPECT_EQ(CddriveState().DataBufferLength, 2352u);
}

struct RecordCase {
    const char* Name;
    std::uint8_t Direction;
    std::uint32_t Length;
    std::uint16_t Timeout;
    std::uint8_t DataIn;
    std::uint8_t AspiFlags;
};

class RecordContents : public testing::TestWithParam<RecordCase> { };

TEST_P(RecordContents, PassThroughRecordFollowsTheArguments)
{
    const RecordCase& c = GetParam();
    test::MachineSession session(NtMachine);
    CDDrive drive('E', 0, 0, 0);
    CDDrive::SetTimeout(c.Timeout);
    drive.ExecCommand(0x3C, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0xAB, c.Direction, c.Length);
    const ScsiPassThroughDirect& sptd = drive.PassThroughRecord.Sptd;
    EXPECT_EQ(sptd.Length, sizeof(ScsiPassThroughDirect));
    EXPECT_EQ(sptd.CdbLength, 12);
    EXPECT_EQ(sptd.SenseInfoLength, 24);
    EXPECT_EQ(sptd.SenseInfoOffset, offsetof(PassThroughRecord, SenseArea));
    EXPECT_EQ(sptd.DataIn, c.DataIn);
    EXPECT_EQ(sptd.DataTransferLength, c.Length);
    EXPECT_EQ(sptd.TimeOutValue, c.Timeout);
    EXPECT_EQ(sptd.DataBuffer, CDDrive::DataBuffer());
    const std::uint8_t cdb[16] = { 0x3C, 0x01, 0x01, 0, 0, 0, 0, 0, 0x80, 0, 0, 0xAB, 0, 0, 0, 0 };
    EXPECT_EQ(std::memcmp(sptd.Cdb, cdb, 16), 0);
    CDDrive::SetTimeout(60);
}

TEST_P(RecordContents, AspiRequestFollowsTheArgumentsWithLunZero)
{
    const RecordCase& c = GetParam();
    test::MachineSession session(NineXMachine);
    // Logical unit 1 is not passed in this mode.
    CDDrive drive(' ', 1, 0, 1);
    ASSERT_EQ(CDDrive::OpenStatus(), 0);
    CDDrive::SetTimeout(c.Timeout);
    drive.ExecCommand(0x3C, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0xAB, c.Direction, c.Length);
    const SrbExecScsiCmd& srb = drive.AspiRecord;
    EXPECT_EQ(srb.SRB_Cmd, 2);
    EXPECT_EQ(srb.SRB_HaId, 1);
    EXPECT_EQ(srb.SRB_Target, 0);
    EXPECT_EQ(srb.SRB_Lun, 0);
    EXPECT_EQ(srb.SRB_Flags, c.AspiFlags);
    EXPECT_EQ(srb.SRB_BufLen, c.Length);
    EXPECT_EQ(srb.SRB_SenseLen, 14);
    EXPECT_EQ(srb.SRB_CDBLen, 12);
    EXPECT_EQ(srb.SRB_BufPointer, CDDrive::DataBuffer());
    EXPECT_NE(srb.SRB_PostProc, nullptr);
    EXPECT_EQ(srb.CDBByte[0], 0x3C);
    EXPECT_EQ(srb.CDBByte[11], 0xAB);
    EXPECT_EQ(srb.CDBByte[12], 0);
    EXPECT_EQ(test::Occurrences(session.Log(), "1:0:0 3C 01 01 00 00 00 00 00 80 00 00 AB"), 1u);
    CDDrive::SetTimeout(60);
}

INSTANTIATE_TEST_SUITE_P(Table, RecordContents,
    testing::Values(RecordCase { "InWith128", 1, 128, 60, 1, 0x48 },
        RecordCase { "OutWith16", 0, 16, 180, 0, 0x50 },
        RecordCase { "AnyOtherDirectionIsOut", 7, 0, 5, 0, 0x50 }),
    [](const testing::TestParamInfo<RecordCase>& info) { return info.param.Name; });

TEST(Inquire, UsesTheInquiryBufferOnlyWhileItRuns)
{
    test::MachineSession session(NtMachine);
    CDDrive drive('E', 0, 0, 0);
    std::uint8_t* shared = CDDrive::DataBuffer();
    std::memset(shared, 0xEE, 64);
    ASSERT_TRUE(drive.Inquire());
    EXPECT_NE(drive.PassThroughRecord.Sptd.DataBuffer, shared);
    EXPECT_EQ(drive.PassThroughRecord.Sptd.DataTransferLength, 128u);
    EXPECT_EQ(shared[8], 0xEE);
    EXPECT_FALSE(CddriveState().InquiryBufferInUse);
    EXPECT_EQ(drive.DescriptionText, "0-0-0 E: QSI     DVD-ROM QKA-270 1A05");
    drive.ExecCommand(0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0);
    EXPECT_EQ(drive.PassThroughRecord.Sptd.DataBuffer, shared);
}

struct SenseCase {
    const char* Name;
    const char* Fault;
    bool Result;
    bool SenseZero;
    const char* ErrorText;
};

class SuccessRules : public testing::TestWithParam<SenseCase> { };

TEST_P(SuccessRules, PassThrough)
{
    const SenseCase& c = GetParam();
    test::MachineSession session(WithDrive(NtMachine, std::string("Fail=00@1=") + c.Fault + "\n"));
    CDDrive drive('E', 0, 0, 0);
    bool result = drive.ExecCommand(0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0);
    EXPECT_EQ(result, c.Result);
    EXPECT_EQ(drive.SenseIs(0, 0, 0), c.SenseZero);
    EXPECT_EQ(drive.ErrorText(), c.ErrorText);
}

INSTANTIATE_TEST_SUITE_P(Table, SuccessRules,
    testing::Values(SenseCase { "Success", "lie", true, true, "00 00 00. 00, 0000" },
        // ScsiStatus 02 with a zero sense key is success; ASC and ASCQ do not decide.
        SenseCase { "StatusTwoZeroKey", "00 3A 00", true, false, "00 3A 00. 02, 0000" },
        SenseCase { "FlagBitInKeyByte", "20 00 00", false, false, "20 00 00. 02, 0000" },
        SenseCase { "NotReady", "02 3A 00", false, false, "02 3A 00. 02, 0000" },
        // A transport failure leaves no sense: only the result and the error show it.
        SenseCase { "Transport", "transport", false, true, "00 00 00. 00, 045D" },
        SenseCase { "Timeout", "timeout", false, true, "00 00 00. 00, 0079" }),
    [](const testing::TestParamInfo<SenseCase>& info) { return info.param.Name; });

TEST(SuccessRulesAspi, ATimedOutRequestFailsWithStatusZeroAndIsAborted)
{
    test::MachineSession session(NineXWith("AspiCompletion=never\n"));
    // The inquiry of the construction never completes either.
    CDDrive drive(' ', 1, 0, 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
    EXPECT_EQ(drive.CommandStatus, 0);
    EXPECT_TRUE(drive.SenseIs(0, 0, 0));
    EXPECT_EQ(session.Machine().PendingRequests(), 0u);
    EXPECT_EQ(session.Log(), "1:0:0 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=- -> pending\n");
    EXPECT_EQ(session.Machine().OpenHandles(), 0u);
}

TEST(SuccessRulesAspi, ADeferredRequestCompletesDuringTheWait)
{
    test::MachineSession session(NineXWith("AspiCompletion=deferred\n"));
    CDDrive drive(' ', 1, 0, 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0);
    EXPECT_EQ(drive.CommandStatus, 1);
    EXPECT_EQ(drive.DescriptionText, "1-0-0  : QSI     DVD-ROM QKA-270 1A05");
    EXPECT_EQ(session.Machine().OpenHandles(), 0u);
}

TEST(SuccessRulesAspi, SenseFailsTheCommandAndShowsNoReport)
{
    test::MachineSession session(WithDrive(NineXMachine, "Fail=00@1=02 3A 00;4E@1=transport\n"));
    CDDrive drive(' ', 1, 0, 0);
    EXPECT_FALSE(drive.ExecCommand(0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0));
    EXPECT_TRUE(drive.SenseIs(0x02, 0x3A, 0x00));
    EXPECT_EQ(drive.ErrorText(), "02 3A 00. 04, 0000");
    EXPECT_FALSE(drive.ExecCommand(0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0));
    EXPECT_TRUE(drive.SenseIs(0, 0, 0));
    EXPECT_EQ(drive.ErrorText(), "00 00 00. 04, 045D");
    EXPECT_EQ(session.Output(), "");
}

TEST(Transfers, LongerThanTheBufferInUseAreNeverSent)
{
    test::MachineSession session(NtMachine);
    CDDrive drive('E', 0, 0, 0);
    std::string before = session.Log();
    EXPECT_FALSE(drive.ExecCommand(0x3C, 0x01, 0x01, 0, 0, 0, 0x00, 0x09, 0x31, 0, 0, 0, DirectionIn, 2353));
    EXPECT_EQ(drive.SystemError, 87u);
    EXPECT_EQ(drive.ErrorText(), "00 00 00. 00, 0057");
    EXPECT_EQ(session.Log(), before);
    // The whole buffer is still allowed.
    drive.ExecCommand(0x3C, 0x01, 0x01, 0, 0, 0, 0x00, 0x09, 0x30, 0, 0, 0, DirectionIn, 2352);
    EXPECT_EQ(session.Log(), before + "E: 3C 01 01 00 00 00 00 09 30 00 00 00 in 2352 t=60 -> 00 00 00\n");
}

TEST(SenseReports, AppearOnlyAfterAFailedDeviceOpen)
{
    test::MachineSession session(R"([Machine]
Clock=virtual
[Drive0]
Letter=E
Fail=00@1=02 3A 00;00@2=02 04 01
[Drive1]
Letter=F
Opens=no
)");
    CDDrive good('E', 0, 0, 0);
    good.ExecCommand(0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0);
    EXPECT_EQ(session.Output(), "");
    CDDrive bad('F', 0, 0, 0);
    EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
    EXPECT_EQ(bad.DeviceHandle, 0u);
    EXPECT_TRUE(CddriveState().ShowSenseReports);
    good.ExecCommand(0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0);
    EXPECT_EQ(session.Output(),
        "[message: OK]\n|Error opening: 5, Drive: \\\\.\\F:\n[end]\n? <end>\n"
        "[message: OK]\n|SenseCode: 00 00 00, 00, Error: 5, Access is denied.\r\n|\n[end]\n? <end>\n"
        "[message: OK]\n|SenseCode: 02 04 01, 02, Error: 0, Format message failed.\n[end]\n? <end>\n");
}

TEST(SenseReports, TheSystemErrorIsRecordedAfterAFailure)
{
    test::MachineSession session(WithDrive(NtMachine, "Fail=00@1=transport\n"));
    CDDrive drive('E', 0, 0, 0);
    EXPECT_EQ(drive.ErrorText(), "00 00 00. 00, 0000");
    drive.ExecCommand(0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0);
    EXPECT_EQ(drive.SystemError, 1117u);
    drive.ExecCommand(0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DirectionIn, 0);
    EXPECT_EQ(drive.SystemError, 0u);
}

struct AspiStateCase {
    const char* Name;
    const char* Aspi;
    std::uint8_t Status;
};

class AspiOpenStatus : public testing::TestWithParam<AspiStateCase> { };

TEST_P(AspiOpenStatus, FollowsTheAspiLayer)
{
    const AspiStateCase& c = GetParam();
    test::MachineSession session(std::string("[Machine]\nPlatform=9x\nClock=virtual\nAspi=") + c.Aspi
        + "\n[Drive0]\nHostAdapter=0\n");
    {
        CDDrive drive(' ', 0, 0, 0);
        EXPECT_EQ(CDDrive::OpenStatus(), c.Status);
        EXPECT_EQ(CddriveState().OpenDriveCount, c.Status == 0 ? 1 : 0);
    }
    EXPECT_EQ(CddriveState().AspiLibrary, 0u);
    EXPECT_EQ(session.Machine().LibraryLoads(), c.Status == 0x62 ? 0 : 1);
    EXPECT_EQ(session.Machine().LibraryFrees(), c.Status == 0x62 ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Table, AspiOpenStatus,
    testing::Values(AspiStateCase { "Present", "present", 0x00 },
        AspiStateCase { "NotReady", "not-ready", 0x60 },
        AspiStateCase { "NoEntry", "no-entry", 0x61 },
        AspiStateCase { "Missing", "missing", 0x62 }),
    [](const testing::TestParamInfo<AspiStateCase>& info) { return info.param.Name; });

TEST(AspiLibrary, IsFreedWhenTheLastCountedDriveGoes)
{
    test::MachineSession session("[Machine]\nPlatform=9x\nClock=virtual\n[Drive0]\nHostAdapter=0\n[Drive1]\nHostAdapter=1\n");
    auto first = std::make_unique<CDDrive>(' ', 0, 0, 0);
    auto second = std::make_unique<CDDrive>(' ', 1, 0, 0);
    {
        // Built, not kept: it must not count down or free the library.
        CDDrive absent(' ', 5, 0, 0);
        EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
    }
    EXPECT_EQ(CddriveState().OpenDriveCount, 2);
    first.reset();
    EXPECT_EQ(session.Machine().LibraryFrees(), 0);
    second.reset();
    EXPECT_EQ(CddriveState().OpenDriveCount, 0);
    EXPECT_EQ(session.Machine().LibraryFrees(), 1);
    EXPECT_EQ(session.Machine().LibraryLoads(), 1);
}

TEST(AspiLibrary, TheMissingMessageHasItsFourLines)
{
    test::MachineSession session("[Machine]\nPlatform=9x\nAspi=missing\nClock=virtual\n");
    CDDrive drive(' ', 0, 0, 0);
    EXPECT_EQ(session.Output(),
        "[error: OK]\n|Unable to load WNASPI32.DLL !\n|You can down the DLL from https://www.example.com/aspi/wnaspi32\n"
        "| and copy the DLL to system directory.\n|\n|\n[end]\n? <end>\n");
}

} // namespace
