#include "tests/unit/TestSupport.h"

#include "platform/ui/console/ConsoleFrontEnd.h"
#include "platform/vcl/Forms.h"

#include <cstring>

namespace test {

PackageBytes::PackageBytes()
    : m_bytes(FirmwarePackageSize, 0)
{
    std::memcpy(m_bytes.data(), "K519-0-2043617", 14);
    Area(0, { 'Z', 'U', 'N', 'O' });
}

PackageBytes& PackageBytes::Area(std::size_t offset, std::initializer_list<std::uint8_t> bytes)
{
    std::size_t at = PackageMarkerSize + PackageHeaderSize + offset;
    for (std::uint8_t byte : bytes)
        m_bytes.at(at++) = byte;
    return *this;
}

PackageBytes& PackageBytes::AreaText(std::size_t offset, const std::string& text)
{
    std::size_t at = PackageMarkerSize + PackageHeaderSize + offset;
    for (char c : text)
        m_bytes.at(at++) = static_cast<std::uint8_t>(c);
    return *this;
}

PackageBytes& PackageBytes::Field(HeaderField field, const std::string& text)
{
    const HeaderFieldLayout& layout = LayoutOf(field);
    std::size_t at = PackageMarkerSize + layout.Offset;
    for (std::size_t i = 0; i < layout.Size; ++i)
        m_bytes.at(at + i) = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    return *this;
}

PackageBytes& PackageBytes::Size(std::uint32_t binSize)
{
    std::size_t at = PackageMarkerSize + LayoutOf(HeaderField::BinSize).Offset;
    for (int i = 0; i < 4; ++i)
        m_bytes.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(binSize >> (8 * i));
    return *this;
}

ConsoleSession::ConsoleSession(const std::string& input)
    : m_input(input)
{
    vcl::Application->Reset();
    vcl::Application->SetFrontEnd(std::make_unique<ui::ConsoleFrontEnd>(m_input, m_output, ui::Terminal::No));
}

ConsoleSession::~ConsoleSession()
{
    vcl::Application->Reset();
}

} // namespace test
