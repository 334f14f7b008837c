// The Windows port: each call forwards to the real Win32 call.

#include "platform/os/Os.h"

#include <windows.h>

namespace os {

namespace {

HANDLE ToHandle(Handle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

Handle FromHandle(HANDLE handle)
{
    return reinterpret_cast<Handle>(handle);
}

class WindowsOs final : public Os {
public:
    Bool GetVersionExA(OsVersionInfo* info) override
    {
        static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfo));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info));
#pragma GCC diagnostic pop
    }

    Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess, std::uint32_t shareMode,
        void* securityAttributes, std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes,
        Handle templateFile) override
    {
        return FromHandle(::CreateFileA(fileName, desiredAccess, shareMode,
            static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes), creationDisposition, flagsAndAttributes,
            ToHandle(templateFile)));
    }

    Bool CloseHandle(Handle object) override { return ::CloseHandle(ToHandle(object)); }

    Bool DeviceIoControl(Handle device, std::uint32_t ioControlCode, void* inBuffer, std::uint32_t inBufferSize,
        void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned, void* overlapped) override
    {
        DWORD returned = 0;
        BOOL ok = ::DeviceIoControl(ToHandle(device), ioControlCode, inBuffer, inBufferSize, outBuffer,
            outBufferSize, &returned, static_cast<LPOVERLAPPED>(overlapped));
        if (bytesReturned)
            *bytesReturned = returned;
        return ok;
    }

    Module LoadLibraryA(const char* fileName) override
    {
        return reinterpret_cast<Module>(::LoadLibraryA(fileName));
    }

    FarProc GetProcAddress(Module module, const char* procName) override
    {
        return reinterpret_cast<FarProc>(::GetProcAddress(reinterpret_cast<HMODULE>(module), procName));
    }

    Bool FreeLibrary(Module module) override { return ::FreeLibrary(reinterpret_cast<HMODULE>(module)); }

    Handle CreateEventA(void* securityAttributes, Bool manualReset, Bool initialState, const char* name) override
    {
        return FromHandle(::CreateEventA(static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes), manualReset,
            initialState, name));
    }

    std::uint32_t WaitForSingleObject(Handle object, std::uint32_t milliseconds) override
    {
        return ::WaitForSingleObject(ToHandle(object), milliseconds);
    }

    Bool ResetEvent(Handle event) override { return ::ResetEvent(ToHandle(event)); }

    std::uint32_t GetLastError() override { return ::GetLastError(); }

    std::uint32_t FormatMessageA(std::uint32_t flags, const void* source, std::uint32_t messageId,
        std::uint32_t languageId, char* buffer, std::uint32_t size, void* arguments) override
    {
        return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
            static_cast<va_list*>(arguments));
    }

    std::uint32_t GetLogicalDriveStringsA(std::uint32_t bufferLength, char* buffer) override
    {
        return ::GetLogicalDriveStringsA(bufferLength, buffer);
    }

    unsigned GetDriveTypeA(const char* rootPathName) override { return ::GetDriveTypeA(rootPathName); }

    void Sleep(std::uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

} // namespace

std::unique_ptr<Os> CreateNativeOs()
{
    return std::make_unique<WindowsOs>();
}

} // namespace os
