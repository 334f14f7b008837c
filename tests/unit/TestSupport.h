#pragma once

// Shared pieces of the unit tests: package bytes to shape at will, and a console
// session that drives the application object on strings.

#include "package/Package.h"

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace test {

// A template's package: the marker, a zero header and "ZUNO" at the start of the area.
class PackageBytes {
public:
    PackageBytes();

    PackageBytes& Area(std::size_t offset, std::initializer_list<std::uint8_t> bytes);
    PackageBytes& AreaText(std::size_t offset, const std::string& text);
    PackageBytes& Field(HeaderField field, const std::string& text);
    PackageBytes& Size(std::uint32_t binSize);

    PackageView View() const { return PackageView(m_bytes.data()); }
    std::vector<std::uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Installs a console front end on string streams as the application's front end, and
// puts the application object back as it was when it ends.
class ConsoleSession {
public:
    explicit ConsoleSession(const std::string& input = "");
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

    std::string Output() const { return m_output.str(); }

private:
    std::istringstream m_input;
    std::ostringstream m_output;
};

} // namespace test
