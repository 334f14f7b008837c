#pragma once

// The firmware package that every executable carries in its static data: the marker,
// the header that names the drive model and the image, and the 512 KB firmware area.
// The program reads it in place through a view; the builder finds it in a file by the
// marker.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::size_t PackageMarkerSize = 15;
inline constexpr std::size_t PackageHeaderSize = 137;
inline constexpr std::size_t FirmwareAreaSize = 0x80000;
inline constexpr std::size_t FirmwarePackageSize = PackageMarkerSize + PackageHeaderSize + FirmwareAreaSize;
static_assert(FirmwarePackageSize == 524440);

// The first four bytes of a template's firmware area.
inline constexpr std::array<std::uint8_t, 4> TemplateSign = { 'Z', 'U', 'N', 'O' };

enum class HeaderField { Model, Inquiry, FWRange, Vendor, Note, BinName, Reserved, BinSize };

struct HeaderFieldLayout {
    HeaderField Field;
    std::size_t Offset; // from the first header byte
    std::size_t Size;
};

// The header, field by field, in the order the bytes lie.
inline constexpr std::array<HeaderFieldLayout, 8> PackageHeaderLayout = { {
    { HeaderField::Model, 0, 25 },
    { HeaderField::Inquiry, 25, 25 },
    { HeaderField::FWRange, 50, 25 },
    { HeaderField::Vendor, 75, 25 },
    { HeaderField::Note, 100, 25 },
    { HeaderField::BinName, 125, 5 },
    { HeaderField::Reserved, 130, 3 },
    { HeaderField::BinSize, 133, 4 },
} };

constexpr const HeaderFieldLayout& LayoutOf(HeaderField field)
{
    return PackageHeaderLayout[static_cast<std::size_t>(field)];
}

// Read access to the bytes of one package (marker, header, area) wherever they lie.
// The program's own package is read through volatile access, so that the compiler
// cannot fold the template's bytes into the decisions made on them.
class PackageView {
public:
    explicit PackageView(const volatile std::uint8_t* bytes)
        : m_bytes(bytes)
    {
    }

    std::uint8_t MarkerByte(std::size_t index) const { return m_bytes[index]; }
    std::uint8_t HeaderByte(std::size_t offset) const { return m_bytes[PackageMarkerSize + offset]; }
    std::uint8_t AreaByte(std::size_t offset) const
    {
        return m_bytes[PackageMarkerSize + PackageHeaderSize + offset];
    }
    // The field's bytes up to its first zero byte, never beyond the field.
    std::string FieldText(HeaderField field) const;
    std::uint8_t FieldByte(HeaderField field, std::size_t index) const
    {
        return HeaderByte(LayoutOf(field).Offset + index);
    }
    // BIN size, little-endian.
    std::uint32_t BinSize() const;
    void CopyArea(std::size_t offset, std::uint8_t* destination, std::size_t count) const;
    bool AreaBeginsWithTemplateSign() const;

private:
    const volatile std::uint8_t* m_bytes;
};

// The package of the running program.
PackageView EmbeddedPackage();
