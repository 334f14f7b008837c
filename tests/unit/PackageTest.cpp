#include "package/Package.h"
#include "tests/unit/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(PackageLayout, FieldsLieBackToBackAndFillTheHeader)
{
    std::size_t next = 0;
    for (const HeaderFieldLayout& field : PackageHeaderLayout) {
        EXPECT_EQ(field.Offset, next);
        next = field.Offset + field.Size;
    }
    EXPECT_EQ(next, PackageHeaderSize);
    EXPECT_EQ(LayoutOf(HeaderField::BinSize).Offset, 133u);
}

TEST(PackageView, TextFieldsStopAtTheirZeroByteOrTheFieldsEnd)
{
    test::PackageBytes package;
    package.Field(HeaderField::Model, "QKA-270");
    // 25 characters and no zero byte: the reader stays inside its field.
    package.Field(HeaderField::Vendor, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    package.Field(HeaderField::Note, "NOTE");
    EXPECT_EQ(package.View().FieldText(HeaderField::Model), "QKA-270");
    EXPECT_EQ(package.View().FieldText(HeaderField::Vendor), "ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(package.View().FieldText(HeaderField::BinName), "");
}

TEST(PackageView, BinSizeIsLittleEndian)
{
    test::PackageBytes package;
    package.Size(0x00080000);
    EXPECT_EQ(package.View().BinSize(), 524288u);
    EXPECT_EQ(package.View().FieldByte(HeaderField::BinSize, 2), 0x08);
}

TEST(PackageView, TheAreaStartsBehindTheHeader)
{
    test::PackageBytes package;
    package.Area(FirmwareAreaSize - 1, { 0xAB });
    std::uint8_t last = 0;
    package.View().CopyArea(FirmwareAreaSize - 1, &last, 1);
    EXPECT_EQ(last, 0xAB);
    EXPECT_EQ(package.Bytes()[FirmwarePackageSize - 1], 0xAB);
    EXPECT_TRUE(package.View().AreaBeginsWithTemplateSign());
}

} // namespace
