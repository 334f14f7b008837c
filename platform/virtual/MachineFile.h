#pragma once

// The machine file: a virtual machine's platform, its ASPI layer, its clock and log,
// and up to forty virtual drives with their identity, behaviour and injected faults.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace virt {

enum class Platform { NT, Win9x };
enum class AspiState { Present, Missing, NoEntry, NotReady };
enum class AspiCompletion { Immediate, Deferred, Never };
enum class Clock { Real, Virtual };
enum class Medium { None, Present, Unreadable };

struct Root {
    char Letter;
    unsigned Type; // GetDriveTypeA value
};

enum class FaultOutcome { Sense, Transport, Timeout, Lie, Corrupt };

// PREFIX[/CODE]@N=OUTCOME: the N-th command of the drive that begins with PREFIX (and
// has CODE in CDB byte 9) gets OUTCOME instead of its own answer.
struct FaultRule {
    std::vector<std::uint8_t> Prefix;
    std::optional<std::uint8_t> Code;
    unsigned Occurrence = 1;
    FaultOutcome Outcome = FaultOutcome::Sense;
    std::array<std::uint8_t, 3> Sense {};
};

inline constexpr int UnboundedBecomingReady = -1;

struct DriveSettings {
    std::string Section;
    std::optional<char> Letter;
    std::uint8_t HostAdapter = 0;
    std::uint8_t Target = 0;
    std::uint8_t Lun = 0;
    std::array<std::uint8_t, 28> Identity {}; // inquiry bytes 8..35
    bool Opens = true;
    std::uint32_t OpenError = 5;
    bool AnswersInquiry = true;
    std::array<std::uint8_t, 4> FlashId {};
    Medium DriveMedium = Medium::None;
    int BecomingReady = 0; // UnboundedBecomingReady: for ever
    std::uint32_t LatencyMilliseconds = 0;
    std::optional<std::string> RevisionAfterFlash;
    std::string FlashFile;
    bool Vanish = false;
    std::vector<FaultRule> Faults;
};

struct MachineSettings {
    std::string File;
    Platform MachinePlatform = Platform::NT;
    AspiState Aspi = AspiState::Present;
    AspiCompletion Completion = AspiCompletion::Immediate;
    Clock MachineClock = Clock::Real;
    std::string CommandLog;
    std::vector<Root> Roots;
    std::vector<DriveSettings> Drives;
};

// Reads and checks a machine file. On failure the problem names the file, the section,
// the key and what is wrong with it.
std::optional<MachineSettings> ReadMachineFile(const std::string& path, std::string& problem);

// The same, from the file's text (the path only names it in messages and anchors
// relative paths).
std::optional<MachineSettings> ParseMachineFile(const std::string& path, const std::string& text, std::string& problem);

} // namespace virt
