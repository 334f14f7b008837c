#pragma once

// The Linux port: optical drives from sysfs lettered from D, each opened through its
// SCSI generic node, one SG_IO per pass-through record, errno mapped to Win32 error
// numbers. Its sysfs and /dev roots are parameters, so tests run it on a fake tree.

#include "platform/os/Os.h"
#include "platform/os/ScsiRecords.h"

#include <map>
#include <scsi/sg.h>
#include <string>
#include <vector>

namespace os {

struct OpticalDrive {
    char Letter; // 'D' for sr0, 'E' for sr1, ...
    std::string Name; // "sr0"
};

class LinuxOs final : public Os {
public:
    LinuxOs(std::string sysfsRoot, std::string devRoot);
    ~LinuxOs() override;

    Bool GetVersionExA(OsVersionInfo* info) override;
    Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess, std::uint32_t shareMode,
        void* securityAttributes, std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes,
        Handle templateFile) override;
    Bool CloseHandle(Handle object) override;
    Bool DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer, std::uint32_t inBufferSize,
        void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned, void* overlapped) override;
    Module LoadLibraryA(const char* fileName) override;
    FarProc GetProcAddress(Module module, const char* procName) override;
    Bool FreeLibrary(Module module) override;
    Handle CreateEventA(void* securityAttributes, Bool manualReset, Bool initialState, const char* name) override;
    std::uint32_t WaitForSingleObject(Handle object, std::uint32_t milliseconds) override;
    Bool ResetEvent(Handle event) override;
    std::uint32_t GetLastError() override { return m_lastError; }
    std::uint32_t FormatMessageA(std::uint32_t flags, const void* source, std::uint32_t messageId,
        std::uint32_t languageId, char* buffer, std::uint32_t size, void* arguments) override;
    std::uint32_t GetLogicalDriveStringsA(std::uint32_t bufferLength, char* buffer) override;
    unsigned GetDriveTypeA(const char* rootPathName) override;
    void Sleep(std::uint32_t milliseconds) override;

    // The drives found under sysfs, in numeric order.
    std::vector<OpticalDrive> Drives() const;
    // The node a drive is opened through: its SCSI generic node when sysfs names one.
    std::vector<std::string> DeviceNodes(const std::string& driveName) const;

private:
    std::string m_sysfsRoot;
    std::string m_devRoot;
    std::map<Handle, int> m_devices;
    std::map<Handle, bool> m_events;
    Handle m_nextHandle = 0x100;
    std::uint32_t m_lastError = 0;
};

// errno as a Win32 error number.
std::uint32_t Win32ErrorFromErrno(int error);

// One pass-through record as an SG_IO request. The sense goes to `sense`, at most
// `senseRoom` bytes. False (with a Win32 error) for a record that cannot be sent.
bool PassThroughToSgIo(ScsiPassThroughDirect& record, std::uint8_t* sense, std::uint8_t senseRoom,
    sg_io_hdr_t& header, std::uint32_t& error);

// The reply of SG_IO back into the record: status, sense length and transferred
// length. 0 when the command reached the drive, else the Win32 error of the failure.
std::uint32_t SgIoToPassThrough(const sg_io_hdr_t& header, ScsiPassThroughDirect& record);

} // namespace os
