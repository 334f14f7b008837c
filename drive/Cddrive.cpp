#include "drive/Cddrive.h"

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/SysUtils.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace {

// The unit's own buffers: page-aligned, since direct pass-through needs the adapter's
// alignment, and zeroed.
template<std::size_t Size>
struct alignas(4096) AlignedBytes {
    std::uint8_t Bytes[Size];
};

AlignedBytes<DefaultDataBufferLength> s_defaultDataBuffer {};
AlignedBytes<InquiryBufferLength> s_inquiryBuffer {};

CddriveUnitState s_unit;

// Scratch text in which the unit builds its messages.
std::string s_messageText;

const char* const AspiMissingMessage = "Unable to load WNASPI32.DLL !\n"
                                       "You can down the DLL from https://www.example.com/aspi/wnaspi32\n"
                                       " and copy the DLL to system directory.\n"
                                       "\n";

const char DevicePathTemplate[] = "\\\\.\\?:";

} // namespace

const CddriveUnitState& CddriveState()
{
    return s_unit;
}

void ResetCddriveUnit()
{
    s_unit = CddriveUnitState {};
    std::memset(s_defaultDataBuffer.Bytes, 0, sizeof s_defaultDataBuffer.Bytes);
    std::memset(s_inquiryBuffer.Bytes, 0, sizeof s_inquiryBuffer.Bytes);
    s_messageText.clear();
}

CDDrive::CDDrive(char letter, std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun)
{
    DescriptionText.clear();
    if (s_unit.OpenDriveCount == 0 && !ChooseTransport())
        return;
    DesiredAccess = os::GenericRead | os::GenericWrite;
    ShareMode = os::FileShareRead;
    DeviceHandle = 0;
    Letter = letter;
    HostAdapter = hostAdapter;
    Target = target;
    Lun = lun;
    if (Open()) {
        s_unit.LastOpenStatus = OpenStatusOpened;
        ++s_unit.OpenDriveCount;
        m_counted = true;
        return;
    }
    s_unit.LastOpenStatus = OpenStatusNotOpened;
}

// The transport and the buffer, chosen by a construction that finds no drive open.
// False when the ASPI layer cannot be used; LastOpenStatus then says why.
bool CDDrive::ChooseTransport()
{
    os::Os& system = os::System();
    os::OsVersionInfo version {};
    version.dwOSVersionInfoSize = sizeof version;
    system.GetVersionExA(&version);
    s_unit.PassThroughMode = version.dwPlatformId == os::VerPlatformWin32Nt;
    if (!s_unit.PassThroughMode) {
        s_unit.AspiLibrary = system.LoadLibraryA("WNASPI32.DLL");
        if (s_unit.AspiLibrary < 32) {
            s_messageText = AspiMissingMessage;
            vcl::MessageDlg(s_messageText, vcl::TMsgDlgType::Error, vcl::TMsgDlgButtons::OK, 0);
            s_unit.LastOpenStatus = OpenStatusAspiNotLoaded;
            s_unit.AspiLibrary = 0;
            return false;
        }
        auto supportInfo = reinterpret_cast<GetAspi32SupportInfoEntry>(
            system.GetProcAddress(s_unit.AspiLibrary, "GetASPI32SupportInfo"));
        if (!supportInfo)
            return FailAspi(OpenStatusAspiEntryMissing);
        if (((supportInfo() >> 8) & 0xFF) != SsComp)
            return FailAspi(OpenStatusAspiNotReady);
        s_unit.SendASPI32Command = reinterpret_cast<SendAspi32CommandEntry>(
            system.GetProcAddress(s_unit.AspiLibrary, "SendASPI32Command"));
        if (!s_unit.SendASPI32Command)
            return FailAspi(OpenStatusAspiEntryMissing);
    }
    s_unit.DataBuffer = s_defaultDataBuffer.Bytes;
    s_unit.DataBufferLength = DefaultDataBufferLength;
    return true;
}

bool CDDrive::FailAspi(std::uint8_t status)
{
    s_unit.LastOpenStatus = status;
    os::System().FreeLibrary(s_unit.AspiLibrary);
    s_unit.AspiLibrary = 0;
    s_unit.SendASPI32Command = nullptr;
    return false;
}

CDDrive::~CDDrive()
{
    os::Os& system = os::System();
    if (s_unit.PassThroughMode) {
        if (DeviceHandle != 0) {
            system.CloseHandle(DeviceHandle);
            DeviceHandle = 0;
        }
    }
    // A drive that was built but not kept was never counted: it lowers nothing.
    if (!m_counted)
        return;
    if (s_unit.OpenDriveCount > 0)
        --s_unit.OpenDriveCount;
    if (!s_unit.PassThroughMode && s_unit.OpenDriveCount == 0 && s_unit.AspiLibrary >= 32) {
        system.FreeLibrary(s_unit.AspiLibrary);
        s_unit.AspiLibrary = 0;
        s_unit.SendASPI32Command = nullptr;
    }
}

bool CDDrive::Open()
{
    os::Os& system = os::System();
    if (s_unit.PassThroughMode) {
        char path[sizeof DevicePathTemplate];
        std::memcpy(path, DevicePathTemplate, sizeof path);
        path[4] = Letter;
        os::Handle handle = system.CreateFileA(path, DesiredAccess, ShareMode, nullptr, os::OpenExisting, 0, 0);
        if (handle == os::InvalidHandleValue) {
            std::uint32_t error = system.GetLastError();
            DeviceHandle = 0;
            s_messageText = vcl::Format("Error opening: %d, Drive: %s", static_cast<int>(error), path);
            vcl::ShowMessage(s_messageText);
            s_unit.ShowSenseReports = true;
            ReportSense();
            return false;
        }
        DeviceHandle = handle;
    }
    if (Inquire())
        return true;
    if (s_unit.PassThroughMode) {
        system.CloseHandle(DeviceHandle);
        DeviceHandle = 0;
    }
    return false;
}

std::size_t CDDrive::PrefixLength() const
{
    return vcl::Format("%d-%d-%d %c: ", HostAdapter, Target, Lun, Letter).size();
}

bool CDDrive::Inquire()
{
    s_unit.InquiryBufferInUse = true;
    bool ok = ExecCommand(0x12, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, DirectionIn, 128);
    s_unit.InquiryBufferInUse = false;
    if (!ok) {
        DescriptionText.assign(1, '0');
        return false;
    }
    // The 28 characters of vendor, product and revision identification back to back,
    // fewer when a zero byte comes first.
    const std::uint8_t* identity = s_inquiryBuffer.Bytes + 8;
    const std::uint8_t* end = std::find(identity, identity + 28, 0);
    DescriptionText = vcl::Format("%d-%d-%d %c: ", HostAdapter, Target, Lun, Letter);
    for (const std::uint8_t* at = identity; at != end; ++at)
        DescriptionText.push_back(static_cast<char>(*at));
    return true;
}

bool CDDrive::ExecCommand(std::uint8_t cdb0, std::uint8_t cdb1, std::uint8_t cdb2, std::uint8_t cdb3,
    std::uint8_t cdb4, std::uint8_t cdb5, std::uint8_t cdb6, std::uint8_t cdb7, std::uint8_t cdb8, std::uint8_t cdb9,
    std::uint8_t cdb10, std::uint8_t cdb11, std::uint8_t direction, std::uint32_t length)
{
    return ExecCommand(CommandBytes { cdb0, cdb1, cdb2, cdb3, cdb4, cdb5, cdb6, cdb7, cdb8, cdb9, cdb10, cdb11 },
        direction, length);
}

bool CDDrive::ExecCommand(const CommandBytes& cdb, std::uint8_t direction, std::uint32_t length)
{
    std::uint8_t* buffer = s_unit.InquiryBufferInUse ? s_inquiryBuffer.Bytes : s_unit.DataBuffer;
    std::uint32_t limit = s_unit.InquiryBufferInUse ? InquiryBufferLength : s_unit.DataBufferLength;
    // A transfer longer than the buffer in use is never sent.
    if (length > limit || (length > 0 && !buffer))
        return RefuseOversizedTransfer();
    if (s_unit.PassThroughMode)
        return ExecPassThrough(cdb, direction, length, buffer);
    return ExecAspi(cdb, direction, length, buffer);
}

bool CDDrive::RefuseOversizedTransfer()
{
    PassThroughOk = false;
    SenseKey = Asc = Ascq = 0;
    CommandStatus = 0;
    ReportSenseWith(os::ErrorInvalidParameter);
    return false;
}

bool CDDrive::ExecPassThrough(const CommandBytes& cdb, std::uint8_t direction, std::uint32_t length,
    std::uint8_t* buffer)
{
    std::memset(&PassThroughRecord, 0, sizeof PassThroughRecord);
    ScsiPassThroughDirect& sptd = PassThroughRecord.Sptd;
    sptd.Length = sizeof(ScsiPassThroughDirect);
    sptd.CdbLength = 12;
    sptd.SenseInfoLength = 24;
    sptd.DataBuffer = buffer;
    sptd.SenseInfoOffset = offsetof(::PassThroughRecord, SenseArea);
    sptd.PathId = HostAdapter;
    sptd.TargetId = Target;
    sptd.Lun = Lun;
    sptd.DataIn = direction == DirectionIn ? ScsiIoctlDataIn : ScsiIoctlDataOut;
    sptd.DataTransferLength = length;
    sptd.TimeOutValue = s_unit.TimeoutSeconds;
    std::memcpy(sptd.Cdb, cdb.data(), cdb.size());

    PassThroughOk = os::System().DeviceIoControl(DeviceHandle, os::IoctlScsiPassThroughDirect, &PassThroughRecord,
                        sizeof PassThroughRecord, &PassThroughRecord, sizeof PassThroughRecord, &BytesReturned, nullptr)
        != 0;
    SystemError = 0;
    CommandStatus = sptd.ScsiStatus;
    SenseKey = PassThroughRecord.SenseArea[2];
    Asc = PassThroughRecord.SenseArea[12];
    Ascq = PassThroughRecord.SenseArea[13];
    // ScsiStatus is not consulted: a zero sense key is success.
    if (PassThroughOk && SenseKey == 0)
        return true;
    ReportSense();
    return false;
}

bool CDDrive::ExecAspi(const CommandBytes& cdb, std::uint8_t direction, std::uint32_t length, std::uint8_t* buffer)
{
    os::Os& system = os::System();
    os::Handle event = system.CreateEventA(nullptr, 0, 0, nullptr);
    std::memset(&AspiRecord, 0, sizeof AspiRecord);
    AspiRecord.SRB_Cmd = ScExecScsiCmd;
    AspiRecord.SRB_BufPointer = buffer;
    AspiRecord.SRB_SenseLen = 14;
    AspiRecord.SRB_CDBLen = 12;
    AspiRecord.SRB_HaId = HostAdapter;
    AspiRecord.SRB_Target = Target;
    AspiRecord.SRB_Lun = 0; // the drive's Lun is not passed in this mode
    AspiRecord.SRB_Flags = direction == DirectionIn ? SrbDirIn : SrbDirOut;
    AspiRecord.SRB_BufLen = length;
    std::memcpy(AspiRecord.CDBByte, cdb.data(), cdb.size());
    AspiRecord.SRB_Flags |= SrbEventNotify;
    AspiRecord.SRB_PostProc = reinterpret_cast<void*>(event);

    s_unit.SendASPI32Command(&AspiRecord);
    if (AspiRecord.SRB_Status == SsPending) {
        if (system.WaitForSingleObject(event, static_cast<std::uint32_t>(s_unit.TimeoutSeconds) * 1000) == os::WaitObject0)
            system.ResetEvent(event);
    }
    std::uint8_t status = AspiRecord.SRB_Status;
    // A request still pending when the wait ends is aborted before its record is reused.
    if (status == SsPending) {
        SrbAbort abort {};
        abort.SRB_Cmd = ScAbortSrb;
        abort.SRB_HaId = HostAdapter;
        abort.SRB_ToAbort = &AspiRecord;
        s_unit.SendASPI32Command(&abort);
    }
    system.CloseHandle(event);
    SystemError = 0;
    CommandStatus = status;
    SenseKey = AspiRecord.SenseArea[2];
    Asc = AspiRecord.SenseArea[12];
    Ascq = AspiRecord.SenseArea[13];
    if (status == SsComp && SenseKey == 0)
        return true;
    ReportSense();
    return false;
}

bool CDDrive::SenseIs(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) const
{
    return SenseKey == key && Asc == asc && Ascq == ascq;
}

std::string CDDrive::ErrorText() const
{
    return vcl::Format("%02X %02X %02X. %02X, %04X", SenseKey, Asc, Ascq, CommandStatus, SystemError);
}

void CDDrive::ReportSense()
{
    ReportSenseWith(os::System().GetLastError());
}

void CDDrive::ReportSenseWith(std::uint32_t systemError)
{
    SystemError = systemError;
    if (!s_unit.ShowSenseReports)
        return;
    char text[80] = {};
    std::uint32_t length = os::System().FormatMessageA(os::FormatMessageFromSystem, nullptr, SystemError, 0, text, 80, nullptr);
    if (length != 0) {
        s_messageText = vcl::Format("SenseCode: %02X %02X %02X, %02X, Error: %d, %s", SenseKey, Asc, Ascq, CommandStatus,
            static_cast<int>(SystemError), text);
    } else {
        s_messageText = vcl::Format("SenseCode: %02X %02X %02X, %02X, Error: %d, Format message failed.", SenseKey, Asc,
            Ascq, CommandStatus, static_cast<int>(SystemError));
    }
    vcl::ShowMessage(s_messageText);
}

std::string CDDrive::Description()
{
    if (!Inquire())
        return "0";
    return DescriptionText;
}

// The 24 characters behind the prefix; all blanks when the description is shorter than
// its prefix (a failed inquiry leaves "0").
std::string CDDrive::ProductText() const
{
    std::size_t prefix = PrefixLength();
    std::string part = DescriptionText.size() > prefix ? DescriptionText.substr(prefix, 24) : std::string();
    return vcl::Format("%24.24s", part.c_str());
}

std::string CDDrive::RevisionText() const
{
    std::size_t start = PrefixLength() + 24;
    std::string part = DescriptionText.size() > start ? DescriptionText.substr(start, 4) : std::string();
    return vcl::Format("%4.4s", part.c_str());
}

void CDDrive::SetTimeout(std::uint16_t seconds)
{
    s_unit.TimeoutSeconds = seconds;
}

void CDDrive::SetDataBuffer(std::uint8_t* buffer, std::uint32_t length)
{
    if (buffer) {
        s_unit.DataBuffer = buffer;
        s_unit.DataBufferLength = length;
        return;
    }
    s_unit.DataBuffer = s_defaultDataBuffer.Bytes;
    s_unit.DataBufferLength = DefaultDataBufferLength;
}

std::uint8_t* CDDrive::DataBuffer()
{
    return s_unit.DataBuffer;
}

std::uint8_t CDDrive::OpenStatus()
{
    return s_unit.LastOpenStatus;
}
