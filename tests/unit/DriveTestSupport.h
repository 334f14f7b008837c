#pragma once

// A virtual machine from a machine file's text, installed as the operating system for
// one test, with a console session for the messages the drive unit shows and a
// scratch folder for the command log.

#include "platform/virtual/VirtualMachine.h"
#include "tests/unit/TestSupport.h"

#include <filesystem>
#include <memory>
#include <string>

namespace test {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::string Read(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

// Makes a folder the current directory for as long as it lives.
class InDirectory {
public:
    explicit InDirectory(const std::filesystem::path& path)
        : m_previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(m_previous); }

private:
    std::filesystem::path m_previous;
};

class MachineSession {
public:
    // The text is a machine file; "CommandLog=log" in it puts the log in the scratch folder.
    explicit MachineSession(const std::string& machineText, const std::string& input = "");
    ~MachineSession();

    virt::VirtualMachine& Machine() { return *m_machine; }
    std::string Output() const { return m_console.Output(); }
    std::string Log() const { return m_scratch.Read("log"); }
    const ScratchFolder& Scratch() const { return m_scratch; }

private:
    ScratchFolder m_scratch;
    ConsoleSession m_console;
    std::unique_ptr<virt::VirtualMachine> m_machine;
};

// Counts the non-overlapping occurrences of a text.
std::size_t Occurrences(const std::string& text, const std::string& part);

} // namespace test
