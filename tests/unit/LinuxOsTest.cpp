#include "platform/os/linux/LinuxOs.h"
#include "tests/unit/DriveTestSupport.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// A fake sysfs and /dev: sr0 with its generic node sg1, sr1 without one, sr10, a disk.
struct FakeTree {
    FakeTree()
    {
        namespace fs = std::filesystem;
        fs::path sys = Scratch.Path() / "sys";
        fs::path dev = Scratch.Path() / "dev";
        fs::create_directories(sys / "class/block/sr0/device/scsi_generic/sg1");
        fs::create_directories(sys / "class/block/sr1/device");
        fs::create_directories(sys / "class/block/sr10/device/scsi_generic/sg4");
        fs::create_directories(sys / "class/block/sda/device/scsi_generic/sg0");
        fs::create_directories(dev);
        std::ofstream(dev / "sg1") << "not a device";
        std::ofstream(dev / "sr10") << "not a device";
        Port = std::make_unique<os::LinuxOs>(sys.string(), dev.string());
    }
    test::ScratchFolder Scratch;
    std::unique_ptr<os::LinuxOs> Port;
};

TEST(LinuxPort, DrivesInNumericOrderLetteredFromD)
{
    FakeTree tree;
    std::vector<os::OpticalDrive> drives = tree.Port->Drives();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].Letter, 'D');
    EXPECT_EQ(drives[0].Name, "sr0");
    EXPECT_EQ(drives[1].Name, "sr1");
    EXPECT_EQ(drives[2].Letter, 'F');
    EXPECT_EQ(drives[2].Name, "sr10");
    char list[80];
    std::uint32_t length = tree.Port->GetLogicalDriveStringsA(sizeof list, list);
    EXPECT_EQ(std::string(list, length), std::string("D:\\\0E:\\\0F:\\\0", 12));
    EXPECT_EQ(tree.Port->GetDriveTypeA("E:\\"), os::DriveCdrom);
    EXPECT_EQ(tree.Port->GetDriveTypeA("C:\\"), os::DriveNoRootDir);
    os::OsVersionInfo version {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(tree.Port->GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId, os::VerPlatformWin32Nt);
}

TEST(LinuxPort, OpensTheGenericNodeElseTheBlockNode)
{
    FakeTree tree;
    EXPECT_EQ(tree.Port->DeviceNodes("sr0"),
        (std::vector<std::string> { (tree.Scratch.Path() / "dev/sg1").string(), (tree.Scratch.Path() / "dev/sr0").string() }));
    os::Handle d = tree.Port->CreateFileA("\\\\.\\D:", os::GenericRead | os::GenericWrite, os::FileShareRead, nullptr, os::OpenExisting, 0, 0);
    EXPECT_NE(d, os::InvalidHandleValue);
    // sr1 has neither node: file not found.
    EXPECT_EQ(tree.Port->CreateFileA("\\\\.\\E:", 0, 0, nullptr, os::OpenExisting, 0, 0), os::InvalidHandleValue);
    EXPECT_EQ(tree.Port->GetLastError(), os::ErrorFileNotFound);
    // sr10 falls back to its block node.
    os::Handle f = tree.Port->CreateFileA("\\\\.\\f:", 0, 0, nullptr, os::OpenExisting, 0, 0);
    EXPECT_NE(f, os::InvalidHandleValue);
    EXPECT_EQ(tree.Port->CreateFileA("\\\\.\\Q:", 0, 0, nullptr, os::OpenExisting, 0, 0), os::InvalidHandleValue);
    // A plain file takes no SG_IO.
    struct {
        ScsiPassThroughDirect Sptd;
        std::uint32_t Filler;
        std::uint8_t Sense[32];
    } record {};
    record.Sptd.Length = sizeof record.Sptd;
    record.Sptd.CdbLength = 12;
    record.Sptd.SenseInfoOffset = offsetof(decltype(record), Sense);
    EXPECT_FALSE(tree.Port->DeviceIoControl(d, os::IoctlScsiPassThroughDirect, &record, sizeof record, &record, sizeof record, nullptr, nullptr));
    EXPECT_EQ(tree.Port->GetLastError(), os::ErrorNotSupported);
    EXPECT_TRUE(tree.Port->CloseHandle(d));
    EXPECT_FALSE(tree.Port->CloseHandle(d));
    EXPECT_TRUE(tree.Port->CloseHandle(f));
}

TEST(LinuxPort, ErrnoBecomesAWin32Error)
{
    const std::pair<int, std::uint32_t> cases[] = {
        { EACCES, 5 }, { EPERM, 5 }, { ENOENT, 2 }, { ENXIO, 2 }, { ENOMEDIUM, 21 }, { EBUSY, 170 },
        { EINVAL, 87 }, { ETIMEDOUT, 121 }, { EIO, 1117 }, { ENOTTY, 50 }, { ENOSPC, 31 },
    };
    for (auto [error, win32] : cases)
        EXPECT_EQ(os::Win32ErrorFromErrno(error), win32) << std::strerror(error);
}

TEST(LinuxPort, FormatMessageTellsHowToGetAccess)
{
    os::LinuxOs port("/nonexistent", "/nonexistent");
    char text[80];
    std::uint32_t length = port.FormatMessageA(os::FormatMessageFromSystem, nullptr, 5, 0, text, 80, nullptr);
    ASSERT_GT(length, 0u);
    std::string message(text, length);
    EXPECT_NE(message.find("root"), std::string::npos);
    EXPECT_NE(message.find("group"), std::string::npos);
    EXPECT_EQ(message.substr(message.size() - 2), "\r\n");
    // Every text fits the 80 characters the drive unit offers.
    for (std::uint32_t code : { 1u, 2u, 3u, 5u, 6u, 8u, 19u, 21u, 31u, 50u, 87u, 121u, 126u, 170u, 1117u })
        EXPECT_GT(port.FormatMessageA(os::FormatMessageFromSystem, nullptr, code, 0, text, 80, nullptr), 0u) << code;
    EXPECT_EQ(port.FormatMessageA(os::FormatMessageFromSystem, nullptr, 4242, 0, text, 80, nullptr), 0u);
}

struct TranslationCase {
    const char* Name;
    std::uint8_t DataIn;
    std::uint32_t Length;
    int Direction;
};

class SgIoTranslation : public testing::TestWithParam<TranslationCase> { };

TEST_P(SgIoTranslation, RecordBecomesAnSgIoRequest)
{
    const TranslationCase& c = GetParam();
    std::uint8_t data[64];
    std::uint8_t sense[32];
    ScsiPassThroughDirect record {};
    record.Length = sizeof record;
    record.CdbLength = 12;
    record.SenseInfoLength = 24;
    record.DataIn = c.DataIn;
    record.DataTransferLength = c.Length;
    record.TimeOutValue = 180;
    record.DataBuffer = data;
    record.Cdb[0] = 0x3B;
    record.Cdb[11] = 0x77;
    sg_io_hdr_t header;
    std::uint32_t error = 99;
    ASSERT_TRUE(os::PassThroughToSgIo(record, sense, sizeof sense, header, error));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(header.interface_id, 'S');
    EXPECT_EQ(header.dxfer_direction, c.Direction);
    EXPECT_EQ(header.dxfer_len, c.Length);
    EXPECT_EQ(header.dxferp, data);
    EXPECT_EQ(header.cmd_len, 12);
    EXPECT_EQ(header.cmdp, record.Cdb);
    EXPECT_EQ(header.cmdp[11], 0x77);
    EXPECT_EQ(header.sbp, sense);
    EXPECT_EQ(header.mx_sb_len, 24);
    EXPECT_EQ(header.timeout, 180000u);
}

INSTANTIATE_TEST_SUITE_P(Table, SgIoTranslation,
    testing::Values(TranslationCase { "In", 1, 64, SG_DXFER_FROM_DEV },
        TranslationCase { "Out", 0, 16, SG_DXFER_TO_DEV },
        TranslationCase { "NoDataIn", 1, 0, SG_DXFER_NONE },
        TranslationCase { "NoDataOut", 0, 0, SG_DXFER_NONE }),
    [](const testing::TestParamInfo<TranslationCase>& info) { return info.param.Name; });

TEST(SgIoTranslationLimits, SenseRoomAndBadRecords)
{
    ScsiPassThroughDirect record {};
    record.CdbLength = 12;
    record.SenseInfoLength = 24;
    std::uint8_t sense[8];
    sg_io_hdr_t header;
    std::uint32_t error = 0;
    ASSERT_TRUE(os::PassThroughToSgIo(record, sense, sizeof sense, header, error));
    EXPECT_EQ(header.mx_sb_len, 8);
    record.CdbLength = 17;
    EXPECT_FALSE(os::PassThroughToSgIo(record, sense, sizeof sense, header, error));
    EXPECT_EQ(error, 87u);
    record.CdbLength = 12;
    record.DataTransferLength = 10; // with no buffer
    EXPECT_FALSE(os::PassThroughToSgIo(record, sense, sizeof sense, header, error));
}

struct ReplyCase {
    const char* Name;
    int HostStatus;
    int DriverStatus;
    std::uint32_t Error;
};

class SgIoReplies : public testing::TestWithParam<ReplyCase> { };

TEST_P(SgIoReplies, BackIntoTheRecord)
{
    const ReplyCase& c = GetParam();
    ScsiPassThroughDirect record {};
    record.DataTransferLength = 128;
    record.SenseInfoLength = 24;
    sg_io_hdr_t header {};
    header.status = 0x02;
    header.sb_len_wr = 18;
    header.resid = 92;
    header.host_status = static_cast<unsigned short>(c.HostStatus);
    header.driver_status = static_cast<unsigned short>(c.DriverStatus);
    EXPECT_EQ(os::SgIoToPassThrough(header, record), c.Error);
    if (c.Error != 0)
        return;
    EXPECT_EQ(record.ScsiStatus, 0x02);
    EXPECT_EQ(record.SenseInfoLength, 18);
    EXPECT_EQ(record.DataTransferLength, 36u);
}

INSTANTIATE_TEST_SUITE_P(Table, SgIoReplies,
    testing::Values(ReplyCase { "Reached", 0, 0, 0 },
        ReplyCase { "DriverSenseIsAReply", 0, 0x08, 0 },
        ReplyCase { "HostTimeout", 0x03, 0, 121 },
        ReplyCase { "DriverTimeout", 0, 0x06, 121 },
        ReplyCase { "HostError", 0x01, 0, 1117 },
        ReplyCase { "DriverError", 0, 0x04, 1117 }),
    [](const testing::TestParamInfo<ReplyCase>& info) { return info.param.Name; });

} // namespace
