#include "app/Main.h"
#include "tests/unit/TestSupport.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

struct Flags {
    std::uint8_t CriticalEntry;
    std::uint8_t ModelTagged;
    std::uint8_t WithoutHeader;
};

struct ImageCase {
    const char* Name;
    std::function<void(test::PackageBytes&)> Shape;
    Flags Expected;
};

void Signature(test::PackageBytes& package, std::size_t offset) { package.Area(offset, { 0x05, 0x80 }); }

class ImageCheck : public testing::TestWithParam<ImageCase> { };

TEST_P(ImageCheck, ClassifiesTheCarriedImage)
{
    const ImageCase& c = GetParam();
    test::PackageBytes package;
    package.Area(0, { 0x02, 0x00, 0x00, 0x00 });
    c.Shape(package);
    TFlashForm form(package.View());

    form.CheckNewFormatBIN();

    EXPECT_EQ(form.CriticalEntryImage, c.Expected.CriticalEntry);
    EXPECT_EQ(form.ModelTaggedImage, c.Expected.ModelTagged);
    EXPECT_EQ(form.ProfileLengthWithoutHeader, c.Expected.WithoutHeader);
}

INSTANTIATE_TEST_SUITE_P(Table, ImageCheck,
    testing::Values(
        ImageCase { "Row1FirstText", [](auto& p) { Signature(p, 0x4000); p.AreaText(0x4010, "DVD-ROM QKA-270"); }, { 0, 1, 1 } },
        ImageCase { "Row1SecondText", [](auto& p) { Signature(p, 0x4000); p.AreaText(0x4010, "DVD-ROM QKB-394 rev 2"); }, { 0, 1, 1 } },
        ImageCase { "Row1LowerCaseText", [](auto& p) { Signature(p, 0x4000); p.AreaText(0x4010, "dvd-rom qka-270"); }, { 0, 1, 1 } },
        ImageCase { "Row1UnknownTextHidesTheCriticalSignature",
            [](auto& p) { Signature(p, 0x4000); p.AreaText(0x4010, "DVD-ROM QKC-100"); Signature(p, 0x1100); }, { 0, 0, 0 } },
        ImageCase { "Row1TextCutByAZeroByte", [](auto& p) { Signature(p, 0x4000); p.AreaText(0x4010, "DVD-ROM QKA-27"); }, { 0, 0, 0 } },
        ImageCase { "ReversedSignatureIsNone",
            [](auto& p) { p.Area(0x4000, { 0x80, 0x05 }); p.AreaText(0x4010, "DVD-ROM QKA-270"); p.Area(0x1100, { 0x80, 0x05 }); }, { 0, 0, 0 } },
        ImageCase { "Row2", [](auto& p) { Signature(p, 0x4008); p.AreaText(0x4018, "DVD-ROM QKB-394"); }, { 0, 1, 1 } },
        ImageCase { "Row2DecidesOverRow3",
            [](auto& p) { Signature(p, 0x4008); Signature(p, 0x14000); p.AreaText(0x14010, "COMBO"); }, { 0, 0, 0 } },
        ImageCase { "Row3Combo", [](auto& p) { Signature(p, 0x14000); p.AreaText(0x14010, "COMBO"); }, { 0, 1, 0 } },
        ImageCase { "Row3ComboOnFiveBytesOnly", [](auto& p) { Signature(p, 0x14000); p.AreaText(0x14010, "combo-xyz 52X"); }, { 0, 1, 0 } },
        ImageCase { "Row3SecondText", [](auto& p) { Signature(p, 0x14000); p.AreaText(0x14010, "DVD-ROM QKB-5127"); }, { 0, 1, 0 } },
        ImageCase { "Row3SecondTextNeedsAllSixteen", [](auto& p) { Signature(p, 0x14000); p.AreaText(0x14010, "DVD-ROM QKB-512"); }, { 0, 0, 0 } },
        ImageCase { "Row3TextOfRow1IsUnknownThere", [](auto& p) { Signature(p, 0x14000); p.AreaText(0x14010, "DVD-ROM QKA-270"); }, { 0, 0, 0 } },
        ImageCase { "CriticalEntry", [](auto& p) { Signature(p, 0x1100); }, { 1, 0, 0 } },
        ImageCase { "TextWithoutSignatureIsIgnored", [](auto& p) { p.AreaText(0x4010, "DVD-ROM QKA-270"); Signature(p, 0x1100); }, { 1, 0, 0 } },
        ImageCase { "SignatureOneByteOff", [](auto& p) { Signature(p, 0x1101); Signature(p, 0x4001); }, { 0, 0, 0 } },
        ImageCase { "NoSignature", [](auto&) {}, { 0, 0, 0 } }),
    [](const testing::TestParamInfo<ImageCase>& info) { return info.param.Name; });

TEST(ImageCheckFlags, ADecidingRowLeavesTheFlagsItDoesNotName)
{
    test::PackageBytes package;
    Signature(package, 0x4000);
    package.AreaText(0x4010, "DVD-ROM QKA-270");
    TFlashForm form(package.View());
    form.CriticalEntryImage = 1;
    form.CheckNewFormatBIN();
    EXPECT_EQ(form.CriticalEntryImage, 1);
    EXPECT_EQ(form.ModelTaggedImage, 1);
}

TEST(ImageCheckFlags, NoSignatureClearsEveryFlag)
{
    test::PackageBytes package;
    package.Area(0, { 0x02 });
    TFlashForm form(package.View());
    form.CriticalEntryImage = form.ModelTaggedImage = form.ProfileLengthWithoutHeader = 1;
    form.CheckNewFormatBIN();
    EXPECT_EQ(form.CriticalEntryImage, 0);
    EXPECT_EQ(form.ModelTaggedImage, 0);
    EXPECT_EQ(form.ProfileLengthWithoutHeader, 0);
}

TEST(ImageCheckBinSize, IsCopiedWhateverTheImageHolds)
{
    for (std::uint32_t size : { 0u, 16384u, 524288u, 0x12345678u, 0xFFFFFFFFu }) {
        test::PackageBytes package;
        package.Size(size);
        TFlashForm form(package.View());
        form.CheckNewFormatBIN();
        EXPECT_EQ(form.BinSize, size);
    }
}

} // namespace
