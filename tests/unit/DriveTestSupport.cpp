#include "tests/unit/DriveTestSupport.h"

#include "drive/Cddrive.h"
#include "platform/os/Os.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace test {

ScratchFolder::ScratchFolder()
{
    static std::atomic<int> counter { 0 };
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        auto candidate = base / ("krvflash-test-" + std::to_string(std::rand()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("no scratch folder");
}

ScratchFolder::~ScratchFolder()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::string ScratchFolder::Read(const std::string& name) const
{
    std::ifstream file(File(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

MachineSession::MachineSession(const std::string& machineText, const std::string& input)
    : m_console(input)
{
    ResetCddriveUnit();
    std::string problem;
    auto settings = virt::ParseMachineFile(m_scratch.File("machine.ini"), machineText, problem);
    if (!settings)
        throw std::runtime_error(problem);
    m_machine = std::make_unique<virt::VirtualMachine>(std::move(*settings));
    os::UseSystem(m_machine.get());
}

MachineSession::~MachineSession()
{
    ResetCddriveUnit();
    os::UseSystem(nullptr);
}

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

} // namespace test
