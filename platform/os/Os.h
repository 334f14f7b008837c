#pragma once

// The operating-system services the drive unit calls, named after the Win32 calls they
// stand for and with their argument meanings, so the drive unit reads like its
// description. The Windows port forwards to the real calls, the Linux port translates
// them, the virtual machine emulates them. The program picks one port at start.

#include <cstdint>
#include <memory>
#include <string>

namespace os {

using Handle = std::uintptr_t; // HANDLE; 0 is no handle
inline constexpr Handle InvalidHandleValue = ~Handle(0); // INVALID_HANDLE_VALUE
using Module = std::uintptr_t; // HMODULE; a value below 32 is a failed load
using FarProc = void (*)(); // what GetProcAddress gives, cast to the entry's own type
using Bool = int;

// OSVERSIONINFOA: 148 bytes.
struct OsVersionInfo {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OsVersionInfo) == 148);

inline constexpr std::uint32_t VerPlatformWin32Windows = 1;
inline constexpr std::uint32_t VerPlatformWin32Nt = 2;

inline constexpr std::uint32_t GenericRead = 0x80000000;
inline constexpr std::uint32_t GenericWrite = 0x40000000;
inline constexpr std::uint32_t FileShareRead = 0x00000001;
inline constexpr std::uint32_t FileShareWrite = 0x00000002;
inline constexpr std::uint32_t OpenExisting = 3;

inline constexpr std::uint32_t IoctlScsiPassThroughDirect = 0x4D014;

inline constexpr std::uint32_t WaitObject0 = 0;
inline constexpr std::uint32_t WaitTimeout = 0x102;
inline constexpr std::uint32_t Infinite = 0xFFFFFFFF;

inline constexpr std::uint32_t FormatMessageFromSystem = 0x00001000;

// GetDriveTypeA results.
inline constexpr unsigned DriveUnknown = 0;
inline constexpr unsigned DriveNoRootDir = 1;
inline constexpr unsigned DriveRemovable = 2;
inline constexpr unsigned DriveFixed = 3;
inline constexpr unsigned DriveRemote = 4;
inline constexpr unsigned DriveCdrom = 5;
inline constexpr unsigned DriveRamdisk = 6;

// Win32 error numbers the ports produce.
inline constexpr std::uint32_t ErrorSuccess = 0;
inline constexpr std::uint32_t ErrorInvalidFunction = 1;
inline constexpr std::uint32_t ErrorFileNotFound = 2;
inline constexpr std::uint32_t ErrorPathNotFound = 3;
inline constexpr std::uint32_t ErrorAccessDenied = 5;
inline constexpr std::uint32_t ErrorInvalidHandle = 6;
inline constexpr std::uint32_t ErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t ErrorNotReady = 21;
inline constexpr std::uint32_t ErrorGenFailure = 31;
inline constexpr std::uint32_t ErrorSharingViolation = 32;
inline constexpr std::uint32_t ErrorNotSupported = 50;
inline constexpr std::uint32_t ErrorInvalidParameter = 87;
inline constexpr std::uint32_t ErrorBusy = 170;
inline constexpr std::uint32_t ErrorSemTimeout = 121;
inline constexpr std::uint32_t ErrorIoDevice = 1117;

class Os {
public:
    virtual ~Os() = default;

    virtual Bool GetVersionExA(OsVersionInfo* info) = 0;
    virtual Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess, std::uint32_t shareMode,
        void* securityAttributes, std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes,
        Handle templateFile)
        = 0;
    virtual Bool CloseHandle(Handle object) = 0;
    virtual Bool DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer,
        std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned,
        void* overlapped)
        = 0;
    virtual Module LoadLibraryA(const char* fileName) = 0;
    virtual FarProc GetProcAddress(Module module, const char* procName) = 0;
    virtual Bool FreeLibrary(Module module) = 0;
    virtual Handle CreateEventA(void* securityAttributes, Bool manualReset, Bool initialState, const char* name) = 0;
    virtual std::uint32_t WaitForSingleObject(Handle object, std::uint32_t milliseconds) = 0;
    virtual Bool ResetEvent(Handle event) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual std::uint32_t FormatMessageA(std::uint32_t flags, const void* source, std::uint32_t messageId,
        std::uint32_t languageId, char* buffer, std::uint32_t size, void* arguments)
        = 0;
    virtual std::uint32_t GetLogicalDriveStringsA(std::uint32_t bufferLength, char* buffer) = 0;
    virtual unsigned GetDriveTypeA(const char* rootPathName) = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

// The port the program talks to: the one chosen at start, or the native port.
Os& System();

// Makes the given port the one System() gives, for the rest of the run (or until the
// next call); nullptr goes back to the native port.
void UseSystem(Os* port);

// Picks the port at start: the virtual machine when KRVFLASH_VIRTUAL_DRIVES names a
// machine file, otherwise the native port. False, with a message naming the file,
// section, key and problem, when the machine file cannot be used.
bool ChooseSystem(std::string& problem);

// The native port of this build.
std::unique_ptr<Os> CreateNativeOs();

} // namespace os
