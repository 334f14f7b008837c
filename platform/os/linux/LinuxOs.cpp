#include "platform/os/linux/LinuxOs.h"

#include "platform/os/DriveRoots.h"
#include "platform/os/SystemMessages.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <chrono>
#include <thread>
#include <unistd.h>

namespace os {

namespace {

// Access denied says how to get access; it fits the 80 characters the drive unit offers.
const char* const AccessDeniedText = "Access is denied. Run as root, or join the group that owns /dev/sgN.\r\n";

constexpr int DidTimeOut = 0x03; // host status
constexpr int DriverSense = 0x08; // driver status: sense data is valid
constexpr int DriverTimeout = 0x06;

bool IsOpticalName(const std::string& name)
{
    return name.size() > 2 && name.compare(0, 2, "sr") == 0
        && std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> DirectoryEntries(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

} // namespace

std::uint32_t Win32ErrorFromErrno(int error)
{
    switch (error) {
    case 0: return ErrorSuccess;
    case EACCES:
    case EPERM: return ErrorAccessDenied;
    case ENOENT:
    case ENXIO:
    case ENODEV: return ErrorFileNotFound;
    case ENOTDIR: return ErrorPathNotFound;
    case EBADF: return ErrorInvalidHandle;
    case ENOMEM: return ErrorNotEnoughMemory;
    case EROFS: return 19;
    case ENOMEDIUM: return ErrorNotReady;
    case EBUSY: return ErrorBusy;
    case EINVAL: return ErrorInvalidParameter;
    case ENOTTY:
    case EOPNOTSUPP: return ErrorNotSupported;
    case ETIMEDOUT: return ErrorSemTimeout;
    case EIO: return ErrorIoDevice;
    default: return ErrorGenFailure;
    }
}

bool PassThroughToSgIo(ScsiPassThroughDirect& record, std::uint8_t* sense, std::uint8_t senseRoom,
    sg_io_hdr_t& header, std::uint32_t& error)
{
    std::memset(&header, 0, sizeof header);
    if (record.CdbLength == 0 || record.CdbLength > sizeof record.Cdb
        || (record.DataTransferLength && !record.DataBuffer)) {
        error = ErrorInvalidParameter;
        return false;
    }
    header.interface_id = 'S';
    if (record.DataTransferLength == 0)
        header.dxfer_direction = SG_DXFER_NONE;
    else
        header.dxfer_direction = record.DataIn == ScsiIoctlDataIn ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
    header.cmd_len = record.CdbLength;
    header.cmdp = record.Cdb;
    header.dxfer_len = record.DataTransferLength;
    header.dxferp = record.DataBuffer;
    header.mx_sb_len = std::min(record.SenseInfoLength, senseRoom);
    header.sbp = sense;
    header.timeout = record.TimeOutValue > 0xFFFFFFFFu / 1000 ? 0xFFFFFFFFu : record.TimeOutValue * 1000;
    error = 0;
    return true;
}

std::uint32_t SgIoToPassThrough(const sg_io_hdr_t& header, ScsiPassThroughDirect& record)
{
    if (header.host_status == DidTimeOut || (header.driver_status & 0x0F) == DriverTimeout)
        return ErrorSemTimeout;
    if (header.host_status != 0 || ((header.driver_status & 0x0F) != 0 && (header.driver_status & 0x0F) != DriverSense))
        return ErrorIoDevice;
    record.ScsiStatus = header.status;
    record.SenseInfoLength = header.sb_len_wr;
    if (header.resid > 0 && static_cast<std::uint32_t>(header.resid) <= record.DataTransferLength)
        record.DataTransferLength -= static_cast<std::uint32_t>(header.resid);
    return 0;
}

LinuxOs::LinuxOs(std::string sysfsRoot, std::string devRoot)
    : m_sysfsRoot(std::move(sysfsRoot))
    , m_devRoot(std::move(devRoot))
{
}

LinuxOs::~LinuxOs()
{
    for (const auto& device : m_devices)
        close(device.second);
}

std::vector<OpticalDrive> LinuxOs::Drives() const
{
    std::vector<std::string> names = DirectoryEntries(m_sysfsRoot + "/class/block");
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return !IsOpticalName(n); }),
        names.end());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return std::strtoul(a.c_str() + 2, nullptr, 10) < std::strtoul(b.c_str() + 2, nullptr, 10);
    });
    std::vector<OpticalDrive> drives;
    char letter = 'D';
    for (const std::string& name : names) {
        if (letter > 'Z')
            break;
        drives.push_back({ letter++, name });
    }
    return drives;
}

std::vector<std::string> LinuxOs::DeviceNodes(const std::string& driveName) const
{
    std::vector<std::string> nodes;
    for (const std::string& generic : DirectoryEntries(m_sysfsRoot + "/class/block/" + driveName + "/device/scsi_generic"))
        nodes.push_back(m_devRoot + "/" + generic);
    nodes.push_back(m_devRoot + "/" + driveName);
    return nodes;
}

Bool LinuxOs::GetVersionExA(OsVersionInfo* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OsVersionInfo)) {
        m_lastError = 122;
        return 0;
    }
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 0;
    info->dwPlatformId = VerPlatformWin32Nt;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return 1;
}

Handle LinuxOs::CreateFileA(const char* fileName, std::uint32_t, std::uint32_t, void*, std::uint32_t, std::uint32_t,
    Handle)
{
    std::string name = fileName ? fileName : "";
    if (name.size() != 6 || name.compare(0, 4, "\\\\.\\") != 0 || name[5] != ':') {
        m_lastError = ErrorFileNotFound;
        return InvalidHandleValue;
    }
    char letter = static_cast<char>(name[4] >= 'a' && name[4] <= 'z' ? name[4] - 0x20 : name[4]);
    for (const OpticalDrive& drive : Drives()) {
        if (drive.Letter != letter)
            continue;
        int error = ENOENT;
        // The generic node lets WRITE BUFFER through when opened read-write; the block
        // node only with CAP_SYS_RAWIO.
        for (const std::string& node : DeviceNodes(drive.Name)) {
            int fd = open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                Handle handle = m_nextHandle++;
                m_devices[handle] = fd;
                m_lastError = 0;
                return handle;
            }
            // The first failure is the telling one (access to the generic node).
            if (error == ENOENT)
                error = errno;
        }
        m_lastError = Win32ErrorFromErrno(error);
        return InvalidHandleValue;
    }
    m_lastError = ErrorFileNotFound;
    return InvalidHandleValue;
}

Bool LinuxOs::CloseHandle(Handle object)
{
    if (auto device = m_devices.find(object); device != m_devices.end()) {
        close(device->second);
        m_devices.erase(device);
        return 1;
    }
    if (m_events.erase(object))
        return 1;
    m_lastError = ErrorInvalidHandle;
    return 0;
}

Bool LinuxOs::DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer, std::uint32_t inBufferSize,
    void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned, void*)
{
    auto found = m_devices.find(device);
    if (found == m_devices.end()) {
        m_lastError = ErrorInvalidHandle;
        return 0;
    }
    if (ioControlCode != IoctlScsiPassThroughDirect || !inBuffer || inBufferSize < sizeof(ScsiPassThroughDirect)
        || outBuffer != inBuffer || outBufferSize < inBufferSize) {
        m_lastError = ErrorInvalidParameter;
        return 0;
    }
    auto& record = *static_cast<ScsiPassThroughDirect*>(inBuffer);
    std::uint8_t* sense = nullptr;
    std::uint8_t senseRoom = 0;
    if (record.SenseInfoOffset >= sizeof(ScsiPassThroughDirect) && record.SenseInfoOffset < outBufferSize) {
        sense = static_cast<std::uint8_t*>(outBuffer) + record.SenseInfoOffset;
        senseRoom = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, outBufferSize - record.SenseInfoOffset));
    }
    sg_io_hdr_t header;
    std::uint32_t error = 0;
    if (!PassThroughToSgIo(record, sense, senseRoom, header, error)) {
        m_lastError = error;
        return 0;
    }
    if (ioctl(found->second, SG_IO, &header) < 0) {
        m_lastError = Win32ErrorFromErrno(errno);
        return 0;
    }
    if ((error = SgIoToPassThrough(header, record)) != 0) {
        m_lastError = error;
        return 0;
    }
    if (bytesReturned)
        *bytesReturned = inBufferSize;
    m_lastError = 0;
    return 1;
}

Module LinuxOs::LoadLibraryA(const char*)
{
    // There is no ASPI layer on Linux; the drive unit never asks for it on the NT family.
    m_lastError = 126;
    return 0;
}

FarProc LinuxOs::GetProcAddress(Module, const char*)
{
    m_lastError = 127;
    return nullptr;
}

Bool LinuxOs::FreeLibrary(Module)
{
    m_lastError = ErrorInvalidHandle;
    return 0;
}

Handle LinuxOs::CreateEventA(void*, Bool, Bool initialState, const char*)
{
    Handle handle = m_nextHandle++;
    m_events[handle] = initialState != 0;
    return handle;
}

std::uint32_t LinuxOs::WaitForSingleObject(Handle object, std::uint32_t milliseconds)
{
    auto event = m_events.find(object);
    if (event == m_events.end()) {
        m_lastError = ErrorInvalidHandle;
        return 0xFFFFFFFF;
    }
    if (event->second) {
        event->second = false;
        return WaitObject0;
    }
    Sleep(milliseconds);
    return WaitTimeout;
}

Bool LinuxOs::ResetEvent(Handle event)
{
    auto found = m_events.find(event);
    if (found == m_events.end()) {
        m_lastError = ErrorInvalidHandle;
        return 0;
    }
    found->second = false;
    return 1;
}

std::uint32_t LinuxOs::FormatMessageA(std::uint32_t, const void*, std::uint32_t messageId, std::uint32_t, char* buffer,
    std::uint32_t size, void*)
{
    const char* text = messageId == ErrorAccessDenied ? AccessDeniedText : SystemMessageText(messageId);
    return CopySystemMessage(text, buffer, size, m_lastError);
}

std::uint32_t LinuxOs::GetLogicalDriveStringsA(std::uint32_t bufferLength, char* buffer)
{
    std::vector<char> letters;
    for (const OpticalDrive& drive : Drives())
        letters.push_back(drive.Letter);
    return CopyDriveRoots(letters, bufferLength, buffer);
}

unsigned LinuxOs::GetDriveTypeA(const char* rootPathName)
{
    if (!rootPathName || !*rootPathName)
        return DriveNoRootDir;
    char letter = static_cast<char>(rootPathName[0] >= 'a' && rootPathName[0] <= 'z' ? rootPathName[0] - 0x20 : rootPathName[0]);
    for (const OpticalDrive& drive : Drives()) {
        if (drive.Letter == letter)
            return DriveCdrom;
    }
    return DriveNoRootDir;
}

void LinuxOs::Sleep(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::unique_ptr<Os> CreateNativeOs()
{
    return std::make_unique<LinuxOs>("/sys", "/dev");
}

} // namespace os
