#include "platform/virtual/VirtualMachine.h"

#include "platform/os/DriveRoots.h"
#include "platform/os/SystemMessages.h"
#include "platform/vcl/IniFiles.h"
#include "platform/vcl/SysUtils.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

namespace virt {

namespace {

constexpr os::Module AspiModule = 0x10000000;

// The errors the machine produces: FormatMessageA knows their texts and no others.
constexpr std::uint32_t ProducedErrors[] = { 2, 5, 21, 87, 121, 1117 };

// The machine of the ASPI entry points: the one that loaded the library last.
VirtualMachine* s_aspiMachine = nullptr;

std::uint32_t VirtualGetAspi32SupportInfo()
{
    return s_aspiMachine ? s_aspiMachine->AspiSupportInfo() : 0;
}

std::uint32_t VirtualSendAspi32Command(void* request)
{
    return s_aspiMachine ? s_aspiMachine->AspiSendCommand(request) : SsNoAdapters;
}

// Fixed-format sense data: response code 70, key in byte 2, ASC in 12, ASCQ in 13.
void WriteSense(std::uint8_t* sense, std::size_t room, const std::array<std::uint8_t, 3>& triple)
{
    std::uint8_t data[18] = {};
    data[0] = 0x70;
    data[2] = triple[0];
    data[7] = 10;
    data[12] = triple[1];
    data[13] = triple[2];
    std::memcpy(sense, data, std::min(room, sizeof data));
}

bool HasSense(const std::array<std::uint8_t, 3>& triple)
{
    return triple[0] || triple[1] || triple[2];
}

std::string SenseText(const std::array<std::uint8_t, 3>& triple)
{
    return vcl::Format("%02X %02X %02X", triple[0], triple[1], triple[2]);
}

} // namespace

std::unique_ptr<VirtualMachine> VirtualMachine::Load(const std::string& machineFile, std::string& problem)
{
    std::optional<MachineSettings> settings = ReadMachineFile(machineFile, problem);
    if (!settings)
        return nullptr;
    return std::make_unique<VirtualMachine>(std::move(*settings));
}

VirtualMachine::VirtualMachine(MachineSettings settings)
    : m_settings(std::move(settings))
{
    for (const DriveSettings& drive : m_settings.Drives)
        m_drives.push_back(std::make_unique<VirtualDrive>(drive));
}

VirtualMachine::~VirtualMachine()
{
    if (s_aspiMachine == this)
        s_aspiMachine = nullptr;
}

void VirtualMachine::Wait(std::uint32_t milliseconds)
{
    if (m_settings.MachineClock == Clock::Real && milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

os::Bool VirtualMachine::GetVersionExA(os::OsVersionInfo* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(os::OsVersionInfo)) {
        m_lastError = 122;
        return 0;
    }
    bool nt = m_settings.MachinePlatform == Platform::NT;
    info->dwMajorVersion = nt ? 5 : 4;
    info->dwMinorVersion = nt ? 1 : 10;
    info->dwBuildNumber = nt ? 2600 : 2222;
    info->dwPlatformId = nt ? os::VerPlatformWin32Nt : os::VerPlatformWin32Windows;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return 1;
}

VirtualDrive* VirtualMachine::DriveAtLetter(char letter)
{
    for (auto& drive : m_drives) {
        if (drive->Settings().Letter == letter)
            return drive.get();
    }
    return nullptr;
}

VirtualDrive* VirtualMachine::DriveAtAddress(std::uint8_t hostAdapter, std::uint8_t target)
{
    for (auto& drive : m_drives) {
        if (drive->Settings().HostAdapter == hostAdapter && drive->Settings().Target == target)
            return drive.get();
    }
    return nullptr;
}

os::Handle VirtualMachine::CreateFileA(const char* fileName, std::uint32_t, std::uint32_t, void*, std::uint32_t,
    std::uint32_t, os::Handle)
{
    std::string name = fileName ? fileName : "";
    VirtualDrive* drive = nullptr;
    if (name.size() == 6 && name.compare(0, 4, "\\\\.\\") == 0 && name[5] == ':')
        drive = DriveAtLetter(vcl::UpperChar(name[4]));
    if (!drive || m_settings.MachinePlatform != Platform::NT) {
        m_lastError = os::ErrorFileNotFound;
        return os::InvalidHandleValue;
    }
    if (!drive->Settings().Opens) {
        m_lastError = drive->Settings().OpenError;
        return os::InvalidHandleValue;
    }
    os::Handle handle = m_nextHandle++;
    m_devices[handle] = drive;
    m_lastError = 0;
    return handle;
}

os::Bool VirtualMachine::CloseHandle(os::Handle object)
{
    if (m_devices.erase(object) || m_events.erase(object))
        return 1;
    m_lastError = os::ErrorInvalidHandle;
    return 0;
}

void VirtualMachine::Log(const std::string& drive, const std::uint8_t* cdb, bool dataIn, std::uint32_t length,
    const std::string& timeout, const std::string& outcome)
{
    if (m_settings.CommandLog.empty())
        return;
    std::string line = drive;
    for (int i = 0; i < 12; ++i)
        line += vcl::Format(" %02X", cdb[i]);
    line += vcl::Format(" %s %u t=%s -> %s\n", dataIn ? "in" : "out", length, timeout.c_str(), outcome.c_str());
    std::ofstream log(m_settings.CommandLog, std::ios::binary | std::ios::app);
    log << line;
}

os::Bool VirtualMachine::DeviceIoControl(os::Handle device, std::uint32_t ioControlCode, void* inBuffer,
    std::uint32_t inBufferSize, void* outBuffer, std::uint32_t outBufferSize, std::uint32_t* bytesReturned, void*)
{
    auto found = m_devices.find(device);
    if (found == m_devices.end()) {
        m_lastError = os::ErrorInvalidHandle;
        return 0;
    }
    if (ioControlCode != os::IoctlScsiPassThroughDirect || !inBuffer || inBufferSize < sizeof(ScsiPassThroughDirect)
        || outBuffer != inBuffer || outBufferSize < inBufferSize) {
        m_lastError = os::ErrorInvalidParameter;
        return 0;
    }
    VirtualDrive& drive = *found->second;
    auto& record = *static_cast<ScsiPassThroughDirect*>(inBuffer);
    bool dataIn = record.DataIn == ScsiIoctlDataIn;
    Wait(drive.Settings().LatencyMilliseconds);
    CommandResult result = drive.Execute(record.Cdb, dataIn, static_cast<std::uint8_t*>(record.DataBuffer),
        record.DataTransferLength);
    std::string letter = std::string(1, *drive.Settings().Letter) + ":";
    std::string timeout = std::to_string(record.TimeOutValue);
    if (result.Result != CommandResult::Kind::Done) {
        if (result.Result == CommandResult::Kind::Timeout)
            Wait(record.TimeOutValue * 1000);
        Log(letter, record.Cdb, dataIn, record.DataTransferLength, timeout, "transport " + std::to_string(result.Error));
        m_lastError = result.Error;
        return 0;
    }
    if (HasSense(result.Sense)) {
        record.ScsiStatus = 0x02;
        std::size_t offset = record.SenseInfoOffset;
        if (offset < outBufferSize)
            WriteSense(static_cast<std::uint8_t*>(outBuffer) + offset,
                std::min<std::size_t>(record.SenseInfoLength, outBufferSize - offset), result.Sense);
    } else {
        record.ScsiStatus = 0x00;
    }
    Log(letter, record.Cdb, dataIn, record.DataTransferLength, timeout, SenseText(result.Sense));
    if (bytesReturned)
        *bytesReturned = inBufferSize;
    m_lastError = 0;
    return 1;
}

os::Module VirtualMachine::LoadLibraryA(const char* fileName)
{
    if (!fileName || !vcl::SameText(fileName, "WNASPI32.DLL") || m_settings.Aspi == AspiState::Missing) {
        m_lastError = os::ErrorFileNotFound;
        return os::ErrorFileNotFound; // below 32: the load failed
    }
    m_libraryLoaded = true;
    ++m_libraryLoads;
    s_aspiMachine = this;
    return AspiModule;
}

os::FarProc VirtualMachine::GetProcAddress(os::Module module, const char* procName)
{
    if (module != AspiModule || !m_libraryLoaded || !procName)
        return nullptr;
    if (std::strcmp(procName, "GetASPI32SupportInfo") == 0)
        return reinterpret_cast<os::FarProc>(&VirtualGetAspi32SupportInfo);
    // A library without its command entry, as Aspi=no-entry asks.
    if (std::strcmp(procName, "SendASPI32Command") == 0 && m_settings.Aspi != AspiState::NoEntry)
        return reinterpret_cast<os::FarProc>(&VirtualSendAspi32Command);
    m_lastError = 127;
    return nullptr;
}

os::Bool VirtualMachine::FreeLibrary(os::Module module)
{
    if (module != AspiModule || !m_libraryLoaded) {
        m_lastError = os::ErrorInvalidHandle;
        return 0;
    }
    m_libraryLoaded = false;
    ++m_libraryFrees;
    return 1;
}

std::uint32_t VirtualMachine::AspiSupportInfo()
{
    if (m_settings.Aspi == AspiState::NotReady)
        return static_cast<std::uint32_t>(SsNoAdapters) << 8;
    unsigned adapters = 0;
    for (const auto& drive : m_drives)
        adapters = std::max<unsigned>(adapters, drive->Settings().HostAdapter + 1u);
    return static_cast<std::uint32_t>(SsComp) << 8 | (adapters & 0xFF);
}

void VirtualMachine::Signal(os::Handle event)
{
    auto found = m_events.find(event);
    if (found != m_events.end())
        found->second.Signalled = true;
}

void VirtualMachine::CompleteAspi(SrbExecScsiCmd& request, VirtualDrive& drive)
{
    bool dataIn = (request.SRB_Flags & SrbDirIn) != 0;
    std::string address = vcl::Format("%u:%u:%u", request.SRB_HaId, request.SRB_Target, request.SRB_Lun);
    Wait(drive.Settings().LatencyMilliseconds);
    CommandResult result = drive.Execute(request.CDBByte, dataIn, request.SRB_BufPointer, request.SRB_BufLen);
    if (result.Result == CommandResult::Kind::Timeout) {
        // No answer ever: the request stays pending until it is aborted.
        m_pending.push_back({ &request, &drive, false });
        Log(address, request.CDBByte, dataIn, request.SRB_BufLen, "-", "pending");
        return;
    }
    if (result.Result == CommandResult::Kind::Transport) {
        request.SRB_Status = SsErr;
        m_lastError = result.Error;
        Log(address, request.CDBByte, dataIn, request.SRB_BufLen, "-", "transport " + std::to_string(result.Error));
    } else {
        bool sense = HasSense(result.Sense);
        if (sense)
            WriteSense(request.SenseArea, std::min<std::size_t>(request.SRB_SenseLen, sizeof request.SenseArea), result.Sense);
        request.SRB_TargStat = sense ? 0x02 : 0x00;
        request.SRB_Status = sense ? SsErr : SsComp;
        Log(address, request.CDBByte, dataIn, request.SRB_BufLen, "-", SenseText(result.Sense));
    }
    if (request.SRB_Flags & SrbEventNotify)
        Signal(reinterpret_cast<os::Handle>(request.SRB_PostProc));
}

std::uint32_t VirtualMachine::AspiSendCommand(void* request)
{
    auto* header = static_cast<SrbHeader*>(request);
    if (header->SRB_Cmd == ScAbortSrb) {
        auto* abort = static_cast<SrbAbort*>(request);
        auto pending = std::find_if(m_pending.begin(), m_pending.end(),
            [abort](const PendingRequest& p) { return p.Request == abort->SRB_ToAbort; });
        if (pending != m_pending.end()) {
            pending->Request->SRB_Status = SsAborted;
            m_pending.erase(pending);
        }
        abort->SRB_Status = SsComp;
        return SsComp;
    }
    if (header->SRB_Cmd != ScExecScsiCmd) {
        header->SRB_Status = 0x80; // invalid request
        return header->SRB_Status;
    }
    auto& command = *static_cast<SrbExecScsiCmd*>(request);
    VirtualDrive* drive = DriveAtAddress(command.SRB_HaId, command.SRB_Target);
    if (!drive) {
        command.SRB_Status = SsNoDevice;
        return command.SRB_Status;
    }
    command.SRB_Status = SsPending;
    if (m_settings.Completion == AspiCompletion::Immediate) {
        CompleteAspi(command, *drive);
        return command.SRB_Status;
    }
    if (m_settings.Completion == AspiCompletion::Deferred) {
        m_pending.push_back({ &command, drive, true });
        return SsPending;
    }
    bool dataIn = (command.SRB_Flags & SrbDirIn) != 0;
    m_pending.push_back({ &command, drive, false });
    Log(vcl::Format("%u:%u:%u", command.SRB_HaId, command.SRB_Target, command.SRB_Lun), command.CDBByte, dataIn,
        command.SRB_BufLen, "-", "pending");
    return SsPending;
}

os::Handle VirtualMachine::CreateEventA(void*, os::Bool manualReset, os::Bool initialState, const char*)
{
    os::Handle handle = m_nextHandle++;
    m_events[handle] = { initialState != 0, manualReset != 0 };
    return handle;
}

std::uint32_t VirtualMachine::WaitForSingleObject(os::Handle object, std::uint32_t milliseconds)
{
    auto event = m_events.find(object);
    if (event == m_events.end()) {
        m_lastError = os::ErrorInvalidHandle;
        return 0xFFFFFFFF; // WAIT_FAILED
    }
    // A deferred request completes while its event is waited for.
    for (auto pending = m_pending.begin(); pending != m_pending.end(); ++pending) {
        if (pending->CompletesAtWait && reinterpret_cast<os::Handle>(pending->Request->SRB_PostProc) == object) {
            PendingRequest request = *pending;
            m_pending.erase(pending);
            CompleteAspi(*request.Request, *request.Drive);
            break;
        }
    }
    if (event->second.Signalled) {
        if (!event->second.ManualReset)
            event->second.Signalled = false;
        return os::WaitObject0;
    }
    Wait(milliseconds);
    return os::WaitTimeout;
}

os::Bool VirtualMachine::ResetEvent(os::Handle event)
{
    auto found = m_events.find(event);
    if (found == m_events.end()) {
        m_lastError = os::ErrorInvalidHandle;
        return 0;
    }
    found->second.Signalled = false;
    return 1;
}

std::uint32_t VirtualMachine::FormatMessageA(std::uint32_t, const void*, std::uint32_t messageId, std::uint32_t,
    char* buffer, std::uint32_t size, void*)
{
    bool produced = std::find(std::begin(ProducedErrors), std::end(ProducedErrors), messageId) != std::end(ProducedErrors);
    return os::CopySystemMessage(produced ? os::SystemMessageText(messageId) : nullptr, buffer, size, m_lastError);
}

std::uint32_t VirtualMachine::GetLogicalDriveStringsA(std::uint32_t bufferLength, char* buffer)
{
    std::vector<char> letters;
    for (const Root& root : m_settings.Roots)
        letters.push_back(root.Letter);
    if (m_settings.MachinePlatform == Platform::NT) {
        for (const auto& drive : m_drives)
            letters.push_back(*drive->Settings().Letter);
    }
    std::sort(letters.begin(), letters.end());
    return os::CopyDriveRoots(letters, bufferLength, buffer);
}

unsigned VirtualMachine::GetDriveTypeA(const char* rootPathName)
{
    if (!rootPathName || !*rootPathName)
        return os::DriveNoRootDir;
    char letter = vcl::UpperChar(rootPathName[0]);
    for (const Root& root : m_settings.Roots) {
        if (root.Letter == letter)
            return root.Type;
    }
    if (m_settings.MachinePlatform == Platform::NT && DriveAtLetter(letter))
        return os::DriveCdrom;
    return os::DriveNoRootDir;
}

void VirtualMachine::Sleep(std::uint32_t milliseconds)
{
    Wait(milliseconds);
}

} // namespace virt
