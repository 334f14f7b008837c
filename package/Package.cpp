#include "package/Package.h"

std::string PackageView::FieldText(HeaderField field) const
{
    const HeaderFieldLayout& layout = LayoutOf(field);
    std::string text;
    for (std::size_t i = 0; i < layout.Size; ++i) {
        std::uint8_t byte = HeaderByte(layout.Offset + i);
        if (byte == 0)
            break;
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

std::uint32_t PackageView::BinSize() const
{
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < 4; ++i)
        size |= static_cast<std::uint32_t>(FieldByte(HeaderField::BinSize, i)) << (8 * i);
    return size;
}

void PackageView::CopyArea(std::size_t offset, std::uint8_t* destination, std::size_t count) const
{
    for (std::size_t i = 0; i < count; ++i)
        destination[i] = AreaByte(offset + i);
}

bool PackageView::AreaBeginsWithTemplateSign() const
{
    for (std::size_t i = 0; i < TemplateSign.size(); ++i) {
        if (AreaByte(i) != TemplateSign[i])
            return false;
    }
    return true;
}
