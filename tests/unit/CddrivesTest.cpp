#include "drive/Cddrives.h"
#include "tests/unit/DriveTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(DriveLetters, CdromRootsInLetterOrderWithTheFirstSelected)
{
    test::MachineSession session(R"([Machine]
Clock=virtual
Roots=C:fixed,Z:remote
[Drive1]
Letter=G
Vendor=QSI
Product=CDRW QCW-5216
Revision=2B10
[Drive0]
Letter=E
Vendor=QSI
Product=DVD-ROM QKA-270
Revision=1A05
)");
    CDDrives drives;
    ASSERT_EQ(drives.Count(), 2);
    EXPECT_EQ(drives.Items[0]->Letter, 'E');
    EXPECT_EQ(drives.Items[1]->Letter, 'G');
    EXPECT_EQ(drives.Current, drives.Items[0].get());
    EXPECT_EQ(drives.Items[0]->DescriptionText, "0-0-0 E: QSI     DVD-ROM QKA-270 1A05");
    EXPECT_EQ(drives.Items[1]->DescriptionText, "0-0-0 G: QSI     CDRW QCW-5216   2B10");
    EXPECT_EQ(drives.Items[1]->ProductText(), "QSI     CDRW QCW-5216   ");
    EXPECT_EQ(drives.Items[1]->RevisionText(), "2B10");
    EXPECT_EQ(CddriveState().OpenDriveCount, 2);
}

TEST(DriveLetters, ADeviceThatDoesNotOpenIsLeftOut)
{
    test::MachineSession session(R"([Machine]
Clock=virtual
[Drive0]
Letter=D
Opens=no
OpenError=21
[Drive1]
Letter=E
AnswersInquiry=no
[Drive2]
Letter=F
Product=KEPT
)");
    CDDrives drives;
    ASSERT_EQ(drives.Count(), 1);
    EXPECT_EQ(drives.Items[0]->Letter, 'F');
    EXPECT_EQ(drives.Items[1], nullptr);
    EXPECT_EQ(CddriveState().OpenDriveCount, 1);
    // The open error and, from then on, the sense report of the failed inquiry.
    EXPECT_NE(session.Output().find("|Error opening: 21, Drive: \\\\.\\D:\n"), std::string::npos);
    EXPECT_NE(session.Output().find("|SenseCode: 05 24 00, 02, Error: 0, Format message failed.\n"), std::string::npos);
    // Every device handle that was opened is closed again, the kept one at the end.
    EXPECT_EQ(session.Machine().OpenHandles(), 1u);
}

TEST(DriveLetters, ARootListThatDoesNotFitFindsNothing)
{
    std::string machine = "[Machine]\nClock=virtual\nRoots=";
    for (char letter = 'A'; letter <= 'T'; ++letter)
        machine += std::string(letter == 'A' ? "" : ",") + letter + ":fixed";
    machine += "\n[Drive0]\nLetter=U\n";
    test::MachineSession session(machine);
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(drives.Current, nullptr);
}

TEST(AspiAddresses, FortyProbesFindHostAdapterOneAndTwelve)
{
    test::MachineSession session(R"([Machine]
Platform=9x
Clock=virtual
CommandLog=log
[Drive0]
HostAdapter=12
Target=1
Vendor=QSI
Product=COMBO QCB-5240
Revision=3C01
[Drive1]
HostAdapter=1
Target=0
Vendor=QSI
Product=DVD-ROM QKA-270
Revision=1A05
)");
    CDDrives drives;
    ASSERT_EQ(drives.Count(), 2);
    EXPECT_EQ(drives.Items[0]->DescriptionText, "1-0-0  : QSI     DVD-ROM QKA-270 1A05");
    EXPECT_EQ(drives.Items[1]->DescriptionText, "12-1-0  : QSI     COMBO QCB-5240  3C01");
    EXPECT_EQ(drives.Items[1]->ProductText(), "QSI     COMBO QCB-5240  ");
    EXPECT_EQ(drives.Items[1]->RevisionText(), "3C01");
    // Only the two drives received a command; the other 38 addresses had none.
    EXPECT_EQ(session.Log(),
        "1:0:0 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=- -> 00 00 00\n"
        "12:1:0 12 00 00 00 80 00 00 00 00 00 00 00 in 128 t=- -> 00 00 00\n");
}

TEST(AspiAddresses, WithoutTheLibraryEveryProbeShowsTheMissingMessage)
{
    test::MachineSession session("[Machine]\nPlatform=9x\nAspi=missing\nClock=virtual\n[Drive0]\nHostAdapter=0\n");
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(test::Occurrences(session.Output(), "|Unable to load WNASPI32.DLL !\n"), 40u);
}

TEST(AspiAddresses, TheSetHoldsTwentyFourDrivesAtMost)
{
    std::string machine = "[Machine]\nPlatform=9x\nClock=virtual\n";
    for (int i = 0; i < 30; ++i)
        machine += "[Drive" + std::to_string(i) + "]\nHostAdapter=" + std::to_string(i / 2) + "\nTarget="
            + std::to_string(i % 2) + "\n";
    test::MachineSession session(machine);
    {
        CDDrives drives;
        EXPECT_EQ(drives.Count(), 24);
        EXPECT_EQ(CddriveState().OpenDriveCount, 24);
        EXPECT_EQ(drives.Items[23]->HostAdapter, 11);
        EXPECT_EQ(drives.Items[23]->Target, 1);
    }
    EXPECT_EQ(CddriveState().OpenDriveCount, 0);
    EXPECT_EQ(session.Machine().LibraryFrees(), 1);
}

TEST(Identification, AZeroByteInTheProductGivesAShorterDescription)
{
    // QSI, then "DVD" and a zero byte in the product identification.
    test::MachineSession session("[Machine]\nClock=virtual\n[Drive0]\nLetter=E\n"
                                 "InquiryHex=51 53 49 20 20 20 20 20 44 56 44 00 41 41 41 41 41 41 41 41 41 41 41 41 31 41 30 35\n");
    CDDrives drives;
    ASSERT_EQ(drives.Count(), 1);
    CDDrive& drive = *drives.Current;
    EXPECT_EQ(drive.DescriptionText, "0-0-0 E: QSI     DVD");
    EXPECT_EQ(drive.ProductText(), "             QSI     DVD");
    EXPECT_EQ(drive.RevisionText(), "    ");
}

TEST(Identification, DescriptionOfADriveThatNoLongerAnswersIsZero)
{
    test::MachineSession session("[Machine]\nClock=virtual\n[Drive0]\nLetter=E\nRevision=1A05\nFail=12@2=transport\n");
    CDDrives drives;
    CDDrive& drive = *drives.Current;
    EXPECT_EQ(drive.RevisionText(), "1A05");
    EXPECT_EQ(drive.Description(), "0");
    EXPECT_EQ(drive.DescriptionText, "0");
    // A failed inquiry leaves texts of blanks, not characters of the "0".
    EXPECT_EQ(drive.ProductText(), std::string(24, ' '));
    EXPECT_EQ(drive.RevisionText(), "    ");
    EXPECT_EQ(drive.Description().substr(0, 9), "0-0-0 E: ");
}

TEST(Select, RefusesPositionsOutsideTheSet)
{
    test::MachineSession session("[Machine]\nClock=virtual\n[Drive0]\nLetter=E\n[Drive1]\nLetter=F\n");
    CDDrives drives;
    ASSERT_EQ(drives.Count(), 2);
    EXPECT_TRUE(drives.Select(1));
    EXPECT_EQ(drives.Current, drives.Items[1].get());
    EXPECT_FALSE(drives.Select(2));
    EXPECT_FALSE(drives.Select(-1));
    EXPECT_EQ(drives.Current, drives.Items[1].get());
    EXPECT_EQ(drives.Position, 1);
    EXPECT_TRUE(drives.Select(0));
}

TEST(Select, AnEmptySetSelectsNothing)
{
    test::MachineSession session("[Machine]\nClock=virtual\nRoots=C:fixed\n");
    CDDrives drives;
    EXPECT_EQ(drives.Count(), 0);
    EXPECT_EQ(drives.Current, nullptr);
    EXPECT_FALSE(drives.Select(0));
}

// Forwards every call to the machine and records the order in which handles close.
class CloseRecorder final : public os::Os {
public:
    explicit CloseRecorder(os::Os& inner)
        : m_inner(inner)
    {
    }
    std::vector<os::Handle> Closed;
    std::vector<os::Handle> Opened;

    os::Bool GetVersionExA(os::OsVersionInfo* info) override { return m_inner.GetVersionExA(info); }
    os::Handle CreateFileA(const char* a, std::uint32_t b, std::uint32_t c, void* d, std::uint32_t e, std::uint32_t f,
        os::Handle g) override
    {
        os::Handle handle = m_inner.CreateFileA(a, b, c, d, e, f, g);
        Opened.push_back(handle);
        return handle;
    }
    os::Bool CloseHandle(os::Handle object) override
    {
        Closed.push_back(object);
        return m_inner.CloseHandle(object);
    }
    os::Bool DeviceIoControl(os::Handle a, std::uint32_t b, void* c, std::uint32_t d, void* e, std::uint32_t f,
        std::uint32_t* g, void* h) override
    {
        return m_inner.DeviceIoControl(a, b, c, d, e, f, g, h);
    }
    os::Module LoadLibraryA(const char* a) override { return m_inner.LoadLibraryA(a); }
    os::FarProc GetProcAddress(os::Module a, const char* b) override { return m_inner.GetProcAddress(a, b); }
    os::Bool FreeLibrary(os::Module a) override { return m_inner.FreeLibrary(a); }
    os::Handle CreateEventA(void* a, os::Bool b, os::Bool c, const char* d) override { return m_inner.CreateEventA(a, b, c, d); }
    std::uint32_t WaitForSingleObject(os::Handle a, std::uint32_t b) override { return m_inner.WaitForSingleObject(a, b); }
    os::Bool ResetEvent(os::Handle a) override { return m_inner.ResetEvent(a); }
    std::uint32_t GetLastError() override { return m_inner.GetLastError(); }
    std::uint32_t FormatMessageA(std::uint32_t a, const void* b, std::uint32_t c, std::uint32_t d, char* e, std::uint32_t f,
        void* g) override
    {
        return m_inner.FormatMessageA(a, b, c, d, e, f, g);
    }
    std::uint32_t GetLogicalDriveStringsA(std::uint32_t a, char* b) override { return m_inner.GetLogicalDriveStringsA(a, b); }
    unsigned GetDriveTypeA(const char* a) override { return m_inner.GetDriveTypeA(a); }
    void Sleep(std::uint32_t a) override { m_inner.Sleep(a); }

private:
    os::Os& m_inner;
};

TEST(Destruction, GoesFromTheLastDriveToTheFirst)
{
    test::MachineSession session("[Machine]\nClock=virtual\n[Drive0]\nLetter=E\n[Drive1]\nLetter=F\n[Drive2]\nLetter=G\n");
    CloseRecorder recorder(session.Machine());
    os::UseSystem(&recorder);
    {
        CDDrives drives;
        ASSERT_EQ(drives.Count(), 3);
        ASSERT_EQ(recorder.Opened.size(), 3u);
    }
    EXPECT_EQ(recorder.Closed, (std::vector<os::Handle> { recorder.Opened[2], recorder.Opened[1], recorder.Opened[0] }));
    EXPECT_EQ(CddriveState().OpenDriveCount, 0);
    os::UseSystem(&session.Machine());
}

} // namespace
