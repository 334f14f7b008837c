#include "platform/virtual/MachineFile.h"

#include "platform/vcl/IniFiles.h"
#include "platform/vcl/SysUtils.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace virt {

namespace {

using vcl::SameText;

// What is wrong with one value; empty when nothing is.
using Problem = std::string;

struct Context {
    MachineSettings& Machine;
    DriveSettings* Drive;
    std::string Directory; // relative paths are taken from the machine file's folder
};

template<class Value>
struct Choice {
    const char* Text;
    Value Meaning;
};

template<class Value, std::size_t Count>
Problem ParseChoice(const std::string& text, const Choice<Value> (&choices)[Count], Value& out)
{
    std::string allowed;
    for (const Choice<Value>& choice : choices) {
        if (SameText(text, choice.Text)) {
            out = choice.Meaning;
            return {};
        }
        allowed += allowed.empty() ? "" : ", ";
        allowed += choice.Text;
    }
    return "\"" + text + "\" is not one of " + allowed;
}

Problem ParseNumber(const std::string& text, std::uint32_t limit, std::uint32_t& out)
{
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value > limit)
        return "\"" + text + "\" is not a whole number from 0 to " + std::to_string(limit);
    out = value;
    return {};
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Hex pairs, with or without blanks between the bytes.
Problem ParseHex(const std::string& text, std::vector<std::uint8_t>& out)
{
    out.clear();
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (high >= 0)
                return "\"" + text + "\" is not hex pairs";
            continue;
        }
        int digit = HexDigit(c);
        if (digit < 0)
            return "\"" + text + "\" is not hex pairs";
        if (high < 0) {
            high = digit;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(high << 4 | digit));
        high = -1;
    }
    if (high >= 0)
        return "\"" + text + "\" is not hex pairs";
    return {};
}

Problem ParseHexBytes(const std::string& text, std::size_t minimum, std::size_t maximum, std::vector<std::uint8_t>& out)
{
    if (Problem problem = ParseHex(text, out); !problem.empty())
        return problem;
    if (out.size() < minimum || out.size() > maximum) {
        std::string count = minimum == maximum ? std::to_string(minimum) : std::to_string(minimum) + " to " + std::to_string(maximum);
        return "\"" + text + "\" is not " + count + " hex byte(s)";
    }
    return {};
}

Problem ParseYesNo(const std::string& text, bool& out)
{
    static const Choice<bool> choices[] = { { "yes", true }, { "no", false } };
    return ParseChoice(text, choices, out);
}

std::string Resolve(const Context& context, const std::string& path)
{
    if (path.empty())
        return path;
    std::filesystem::path given(path);
    if (given.is_absolute() || context.Directory.empty())
        return path;
    return (std::filesystem::path(context.Directory) / given).string();
}

// Identity text field of the inquiry data: blank-padded to its width.
Problem SetIdentity(const std::string& text, std::size_t offset, std::size_t width, Context& context)
{
    if (text.size() > width)
        return "\"" + text + "\" is longer than " + std::to_string(width) + " characters";
    for (std::size_t i = 0; i < width; ++i)
        context.Drive->Identity[offset + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
    return {};
}

Problem ParseFaultRule(const std::string& text, FaultRule& rule)
{
    std::string bad = "fault rule \"" + text + "\" is not PREFIX[/CODE]@N=OUTCOME";
    std::size_t at = text.find('@');
    std::size_t equals = text.find('=', at == std::string::npos ? 0 : at);
    if (at == std::string::npos || equals == std::string::npos)
        return bad;
    std::string match = vcl::Trim(text.substr(0, at));
    std::string count = vcl::Trim(text.substr(at + 1, equals - at - 1));
    std::string outcome = vcl::Trim(text.substr(equals + 1));
    std::size_t slash = match.find('/');
    std::vector<std::uint8_t> bytes;
    if (!ParseHexBytes(match.substr(0, slash), 1, 12, rule.Prefix).empty())
        return bad + " (PREFIX: 1 to 12 CDB bytes in hex)";
    if (slash != std::string::npos) {
        if (!ParseHexBytes(match.substr(slash + 1), 1, 1, bytes).empty())
            return bad + " (CODE: one hex byte)";
        rule.Code = bytes[0];
    }
    std::uint32_t occurrence = 0;
    if (!ParseNumber(count, 0xFFFFFFFF, occurrence).empty() || occurrence == 0)
        return bad + " (N: a count from 1)";
    rule.Occurrence = occurrence;
    static const Choice<FaultOutcome> words[] = {
        { "transport", FaultOutcome::Transport },
        { "timeout", FaultOutcome::Timeout },
        { "lie", FaultOutcome::Lie },
        { "corrupt", FaultOutcome::Corrupt },
    };
    if (ParseChoice(outcome, words, rule.Outcome).empty())
        return {};
    if (!ParseHexBytes(outcome, 3, 3, bytes).empty() || outcome.find(' ') == std::string::npos)
        return bad + " (OUTCOME: \"SK ASC ASCQ\", transport, timeout, lie or corrupt)";
    rule.Outcome = FaultOutcome::Sense;
    rule.Sense = { bytes[0], bytes[1], bytes[2] };
    return {};
}

// --- [Machine] ---------------------------------------------------------------------------

Problem MachinePlatform(const std::string& text, Context& context)
{
    static const Choice<Platform> choices[] = { { "NT", Platform::NT }, { "9x", Platform::Win9x } };
    return ParseChoice(text, choices, context.Machine.MachinePlatform);
}

Problem MachineAspi(const std::string& text, Context& context)
{
    static const Choice<AspiState> choices[] = {
        { "present", AspiState::Present },
        { "missing", AspiState::Missing },
        { "no-entry", AspiState::NoEntry },
        { "not-ready", AspiState::NotReady },
    };
    return ParseChoice(text, choices, context.Machine.Aspi);
}

Problem MachineCompletion(const std::string& text, Context& context)
{
    static const Choice<AspiCompletion> choices[] = {
        { "immediate", AspiCompletion::Immediate },
        { "deferred", AspiCompletion::Deferred },
        { "never", AspiCompletion::Never },
    };
    return ParseChoice(text, choices, context.Machine.Completion);
}

Problem MachineClock(const std::string& text, Context& context)
{
    static const Choice<Clock> choices[] = { { "real", Clock::Real }, { "virtual", Clock::Virtual } };
    return ParseChoice(text, choices, context.Machine.MachineClock);
}

Problem MachineCommandLog(const std::string& text, Context& context)
{
    context.Machine.CommandLog = Resolve(context, text);
    return {};
}

Problem MachineRoots(const std::string& text, Context& context)
{
    static const Choice<unsigned> types[] = {
        { "fixed", 3 }, { "remote", 4 }, { "cdrom", 5 }, { "removable", 2 }, { "ramdisk", 6 },
    };
    context.Machine.Roots.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        std::string item = vcl::Trim(text.substr(start, end - start));
        start = end + 1;
        if (item.empty())
            continue;
        char letter = vcl::UpperChar(item[0]);
        if (item.size() < 3 || item[1] != ':' || letter < 'A' || letter > 'Z')
            return "\"" + item + "\" is not LETTER:TYPE";
        Root root { letter, 0 };
        if (Problem problem = ParseChoice(item.substr(2), types, root.Type); !problem.empty())
            return problem;
        for (const Root& other : context.Machine.Roots) {
            if (other.Letter == letter)
                return std::string("the letter ") + letter + " is given twice";
        }
        context.Machine.Roots.push_back(root);
    }
    return {};
}

// --- [DriveN] ----------------------------------------------------------------------------

Problem DriveLetter(const std::string& text, Context& context)
{
    char letter = text.size() == 1 ? vcl::UpperChar(text[0]) : 0;
    if (letter < 'A' || letter > 'Z')
        return "\"" + text + "\" is not a drive letter";
    context.Drive->Letter = letter;
    return {};
}

Problem DriveByte(const std::string& text, std::uint8_t& out)
{
    std::uint32_t value = 0;
    Problem problem = ParseNumber(text, 255, value);
    out = static_cast<std::uint8_t>(value);
    return problem;
}

Problem DriveHostAdapter(const std::string& text, Context& context) { return DriveByte(text, context.Drive->HostAdapter); }
Problem DriveTarget(const std::string& text, Context& context) { return DriveByte(text, context.Drive->Target); }
Problem DriveLun(const std::string& text, Context& context) { return DriveByte(text, context.Drive->Lun); }
Problem DriveVendor(const std::string& text, Context& context) { return SetIdentity(text, 0, 8, context); }
Problem DriveProduct(const std::string& text, Context& context) { return SetIdentity(text, 8, 16, context); }
Problem DriveRevision(const std::string& text, Context& context) { return SetIdentity(text, 24, 4, context); }

Problem DriveInquiryHex(const std::string& text, Context& context)
{
    if (text.empty())
        return {};
    std::vector<std::uint8_t> bytes;
    if (Problem problem = ParseHexBytes(text, 1, 28, bytes); !problem.empty())
        return problem;
    context.Drive->Identity.fill(0);
    std::copy(bytes.begin(), bytes.end(), context.Drive->Identity.begin());
    return {};
}

Problem DriveOpens(const std::string& text, Context& context) { return ParseYesNo(text, context.Drive->Opens); }
Problem DriveOpenError(const std::string& text, Context& context) { return ParseNumber(text, 0xFFFFFFFF, context.Drive->OpenError); }
Problem DriveAnswersInquiry(const std::string& text, Context& context) { return ParseYesNo(text, context.Drive->AnswersInquiry); }

Problem DriveFlashId(const std::string& text, Context& context)
{
    std::vector<std::uint8_t> bytes;
    if (Problem problem = ParseHexBytes(text, 4, 4, bytes); !problem.empty())
        return problem;
    std::copy(bytes.begin(), bytes.end(), context.Drive->FlashId.begin());
    return {};
}

Problem DriveMedium(const std::string& text, Context& context)
{
    static const Choice<Medium> choices[] = {
        { "none", Medium::None }, { "present", Medium::Present }, { "unreadable", Medium::Unreadable },
    };
    return ParseChoice(text, choices, context.Drive->DriveMedium);
}

Problem DriveBecomingReady(const std::string& text, Context& context)
{
    if (SameText(text, "forever")) {
        context.Drive->BecomingReady = UnboundedBecomingReady;
        return {};
    }
    std::uint32_t count = 0;
    Problem problem = ParseNumber(text, 1000000, count);
    if (!problem.empty())
        return problem + " or forever";
    context.Drive->BecomingReady = static_cast<int>(count);
    return {};
}

Problem DriveLatency(const std::string& text, Context& context) { return ParseNumber(text, 600000, context.Drive->LatencyMilliseconds); }

Problem DriveRevisionAfterFlash(const std::string& text, Context& context)
{
    if (text.empty())
        return {};
    if (text.size() > 4)
        return "\"" + text + "\" is longer than 4 characters";
    context.Drive->RevisionAfterFlash = text;
    return {};
}

Problem DriveFlashFile(const std::string& text, Context& context)
{
    context.Drive->FlashFile = Resolve(context, text);
    return {};
}

Problem DriveVanish(const std::string& text, Context& context) { return ParseYesNo(text, context.Drive->Vanish); }

Problem DriveFail(const std::string& text, Context& context)
{
    context.Drive->Faults.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        std::string item = vcl::Trim(text.substr(start, end - start));
        start = end + 1;
        if (item.empty())
            continue;
        FaultRule rule;
        if (Problem problem = ParseFaultRule(item, rule); !problem.empty())
            return problem;
        context.Drive->Faults.push_back(rule);
    }
    return {};
}

using KeyHandler = Problem (*)(const std::string& text, Context& context);

struct KeyRule {
    const char* Name;
    KeyHandler Handle;
};

const KeyRule MachineKeys[] = {
    { "Platform", MachinePlatform },
    { "Aspi", MachineAspi },
    { "AspiCompletion", MachineCompletion },
    { "Clock", MachineClock },
    { "CommandLog", MachineCommandLog },
    { "Roots", MachineRoots },
};

// InquiryHex comes after Vendor, Product and Revision whatever the file's order, so it
// overrides them.
const KeyRule DriveKeys[] = {
    { "Letter", DriveLetter },
    { "HostAdapter", DriveHostAdapter },
    { "Target", DriveTarget },
    { "Lun", DriveLun },
    { "Vendor", DriveVendor },
    { "Product", DriveProduct },
    { "Revision", DriveRevision },
    { "InquiryHex", DriveInquiryHex },
    { "Opens", DriveOpens },
    { "OpenError", DriveOpenError },
    { "AnswersInquiry", DriveAnswersInquiry },
    { "FlashId", DriveFlashId },
    { "Medium", DriveMedium },
    { "BecomingReady", DriveBecomingReady },
    { "Latency", DriveLatency },
    { "RevisionAfterFlash", DriveRevisionAfterFlash },
    { "FlashFile", DriveFlashFile },
    { "Vanish", DriveVanish },
    { "Fail", DriveFail },
};

std::string Where(const std::string& path, const std::string& section, const std::string& key)
{
    std::string where = "Machine file " + path + ", section [" + section + "]";
    if (!key.empty())
        where += ", key " + key;
    return where + ": ";
}

template<std::size_t Count>
bool ApplySection(const vcl::IniDocument::Section& section, const KeyRule (&rules)[Count], Context& context,
    std::string& problem)
{
    // Unknown keys first, so that a misspelt key is named rather than ignored.
    for (const auto& entry : section.Entries) {
        bool known = false;
        for (const KeyRule& rule : rules)
            known = known || SameText(entry.Key, rule.Name);
        if (!known) {
            problem = Where(context.Machine.File, section.Name, entry.Key) + "unknown key";
            return false;
        }
    }
    for (const KeyRule& rule : rules) {
        const vcl::IniDocument::Entry* found = nullptr;
        for (const auto& entry : section.Entries) {
            if (SameText(entry.Key, rule.Name)) {
                if (found) {
                    problem = Where(context.Machine.File, section.Name, rule.Name) + "given twice";
                    return false;
                }
                found = &entry;
            }
        }
        if (!found)
            continue;
        if (Problem wrong = rule.Handle(found->Value, context); !wrong.empty()) {
            problem = Where(context.Machine.File, section.Name, rule.Name) + wrong;
            return false;
        }
    }
    return true;
}

std::optional<int> DriveNumber(const std::string& name)
{
    if (name.size() < 6 || name.size() > 7 || !SameText(name.substr(0, 5), "Drive"))
        return std::nullopt;
    std::uint32_t number = 0;
    if (!ParseNumber(name.substr(5), 39, number).empty() || (name.size() == 7 && name[5] == '0'))
        return std::nullopt;
    return static_cast<int>(number);
}

bool CheckAddresses(MachineSettings& machine, std::string& problem)
{
    for (std::size_t i = 0; i < machine.Drives.size(); ++i) {
        const DriveSettings& drive = machine.Drives[i];
        if (machine.MachinePlatform == Platform::NT) {
            if (!drive.Letter) {
                problem = Where(machine.File, drive.Section, "Letter") + "missing (an NT drive needs its letter)";
                return false;
            }
            for (const Root& root : machine.Roots) {
                if (root.Letter == *drive.Letter) {
                    problem = Where(machine.File, drive.Section, "Letter") + "duplicate address: " + *drive.Letter
                        + " is also in Roots";
                    return false;
                }
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            const DriveSettings& other = machine.Drives[j];
            bool same = machine.MachinePlatform == Platform::NT
                ? other.Letter == drive.Letter
                : other.HostAdapter == drive.HostAdapter && other.Target == drive.Target;
            if (same) {
                const char* key = machine.MachinePlatform == Platform::NT ? "Letter" : "HostAdapter";
                problem = Where(machine.File, drive.Section, key) + "duplicate address: the same as [" + other.Section + "]";
                return false;
            }
        }
    }
    return true;
}

} // namespace

std::optional<MachineSettings> ParseMachineFile(const std::string& path, const std::string& text, std::string& problem)
{
    MachineSettings machine;
    machine.File = path;
    Context context { machine, nullptr, std::filesystem::path(path).parent_path().string() };
    vcl::IniDocument document = vcl::IniDocument::Parse(text, vcl::InlineComments::Strip);
    std::vector<std::string> seen;
    for (const auto& section : document.Sections()) {
        for (const std::string& name : seen) {
            if (SameText(name, section.Name)) {
                problem = Where(path, section.Name, "") + "the section is given twice";
                return std::nullopt;
            }
        }
        seen.push_back(section.Name);
        if (SameText(section.Name, "Machine")) {
            context.Drive = nullptr;
            if (!ApplySection(section, MachineKeys, context, problem))
                return std::nullopt;
            continue;
        }
        if (!DriveNumber(section.Name)) {
            problem = Where(path, section.Name, "") + "unknown section (Machine or Drive0 to Drive39 expected)";
            return std::nullopt;
        }
        DriveSettings drive;
        drive.Section = section.Name;
        drive.Identity.fill(' ');
        context.Drive = &drive;
        if (!ApplySection(section, DriveKeys, context, problem))
            return std::nullopt;
        machine.Drives.push_back(std::move(drive));
    }
    if (!CheckAddresses(machine, problem))
        return std::nullopt;
    return machine;
}

std::optional<MachineSettings> ReadMachineFile(const std::string& path, std::string& problem)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        problem = "Machine file " + path + ": cannot be read";
        return std::nullopt;
    }
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return ParseMachineFile(path, text, problem);
}

} // namespace virt
