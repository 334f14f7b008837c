#pragma once

// The virtual machine: a port of Os whose drives are virtual. It emulates the NT
// family (drive letters, device handles, DeviceIoControl pass-through) or the 9x family
// (a virtual WNASPI32.DLL reached by host adapter and target), logs every command a
// drive receives, and injects the faults its machine file names.

#include "platform/os/Os.h"
#include "platform/os/ScsiRecords.h"
#include "platform/virtual/MachineFile.h"
#include "platform/virtual/VirtualDrive.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace virt {

class VirtualMachine final : public os::Os {
public:
    static std::unique_ptr<VirtualMachine> Load(const std::string& machineFile, std::string& problem);
    explicit VirtualMachine(MachineSettings settings);
    ~VirtualMachine() override;

    os::Bool GetVersionExA(os::OsVersionInfo* info) override;
    os::Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess, std::uint32_t shareMode,
        void* securityAttributes, std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes,
        os::Handle templateFile) override;
    os::Bool CloseHandle(os::Handle object) override;
    os::Bool DeviceIoControl(os::Handle device, std::uint32_t ioControlCode, void* inBuffer, std::uint32_t inBufferSize,
        void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned, void* overlapped) override;
    os::Module LoadLibraryA(const char* fileName) override;
    os::FarProc GetProcAddress(os::Module module, const char* procName) override;
    os::Bool FreeLibrary(os::Module module) override;
    os::Handle CreateEventA(void* securityAttributes, os::Bool manualReset, os::Bool initialState,
        const char* name) override;
    std::uint32_t WaitForSingleObject(os::Handle object, std::uint32_t milliseconds) override;
    os::Bool ResetEvent(os::Handle event) override;
    std::uint32_t GetLastError() override { return m_lastError; }
    std::uint32_t FormatMessageA(std::uint32_t flags, const void* source, std::uint32_t messageId,
        std::uint32_t languageId, char* buffer, std::uint32_t size, void* arguments) override;
    std::uint32_t GetLogicalDriveStringsA(std::uint32_t bufferLength, char* buffer) override;
    unsigned GetDriveTypeA(const char* rootPathName) override;
    void Sleep(std::uint32_t milliseconds) override;

    // The virtual WNASPI32.DLL.
    std::uint32_t AspiSupportInfo();
    std::uint32_t AspiSendCommand(void* request);

    // For the tests: what the machine holds now.
    const MachineSettings& Settings() const { return m_settings; }
    VirtualDrive& Drive(std::size_t index) { return *m_drives[index]; }
    std::size_t PendingRequests() const { return m_pending.size(); }
    std::size_t OpenHandles() const { return m_devices.size() + m_events.size(); }
    int LibraryLoads() const { return m_libraryLoads; }
    int LibraryFrees() const { return m_libraryFrees; }

private:
    struct Event {
        bool Signalled = false;
        bool ManualReset = false;
    };
    struct PendingRequest {
        SrbExecScsiCmd* Request;
        VirtualDrive* Drive;
        bool CompletesAtWait; // deferred; otherwise it never completes
    };

    VirtualDrive* DriveAtLetter(char letter);
    VirtualDrive* DriveAtAddress(std::uint8_t hostAdapter, std::uint8_t target);
    void CompleteAspi(SrbExecScsiCmd& request, VirtualDrive& drive);
    void Signal(os::Handle event);
    void Log(const std::string& drive, const std::uint8_t* cdb, bool dataIn, std::uint32_t length,
        const std::string& timeout, const std::string& outcome);
    void Wait(std::uint32_t milliseconds);

    MachineSettings m_settings;
    std::vector<std::unique_ptr<VirtualDrive>> m_drives;
    std::map<os::Handle, VirtualDrive*> m_devices;
    std::map<os::Handle, Event> m_events;
    std::vector<PendingRequest> m_pending;
    os::Handle m_nextHandle = 0x100;
    std::uint32_t m_lastError = 0;
    bool m_libraryLoaded = false;
    int m_libraryLoads = 0;
    int m_libraryFrees = 0;
};

} // namespace virt
