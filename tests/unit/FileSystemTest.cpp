#include "platform/vcl/FileSystem.h"
#include "platform/vcl/SysUtils.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

struct MaskCase {
    const char* Name;
    const char* Mask;
    bool Matches;
};

TEST(MatchesMask, WildcardsSeveralMasksAndLetterCase)
{
    const MaskCase cases[] = {
        { "1A05.BIN", "*.BIN", true },
        { "1a05.bin", "*.BIN", true },
        { "1A05.BIN", "1A??.BIN", true },
        { "1A5.BIN", "1A??.BIN", false },
        { "1A05.BIN", "*.HEX", false },
        { "1A05.HEX", "*.BIN;*.HEX", true },
        { "1A05.HEX", "*.BIN; *.HEX", true },
        { "README", "*.*", true },
        { "a.b.c", "*.c", true },
        { "abc", "a*b*c*", true },
        { "abx", "a*b*c", false },
        { "", "*", true },
        { "x", "", false },
        { "x", ";;", false },
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " against " << c.Mask;
}

TEST(FileNames, NamePartAndExtension)
{
    EXPECT_EQ(ExtractFileName("C:\\TOOLS\\FW\\1A05.BIN"), "1A05.BIN");
    EXPECT_EQ(ExtractFileName("/home/x/1A05.BIN"), "1A05.BIN");
    EXPECT_EQ(ExtractFileName("D:1A05.BIN"), "1A05.BIN");
    EXPECT_EQ(ExtractFileName("plain"), "plain");
    EXPECT_EQ(ChangeFileExt("X:\\TOOLS\\MAKER.EXE", ".INI"), "X:\\TOOLS\\MAKER.INI");
    EXPECT_EQ(ChangeFileExt("/opt/krv/krvflash", ".INI"), "/opt/krv/krvflash.INI");
    EXPECT_EQ(ChangeFileExt("/opt/krv.d/krvflash", ".INI"), "/opt/krv.d/krvflash.INI");
}

TEST(SortFileNames, IgnoresLetterCase)
{
    std::vector<std::string> names { "b.bin", "A.BIN", "a.bin", "C.bin" };
    SortFileNames(names);
    EXPECT_EQ(names, (std::vector<std::string> { "A.BIN", "a.bin", "b.bin", "C.bin" }));
}

TEST(AnsiUpperCase, FoldsCodePage1252Letters)
{
    EXPECT_EQ(AnsiUpperCase("qsi dvd-rom"), "QSI DVD-ROM");
    EXPECT_EQ(AnsiUpperCase("\xE9\xFF\xF7"), "\xC9\x9F\xF7");
    EXPECT_EQ(UpperCase("\xE9z"), "\xE9Z");
}

TEST(Format, PrintfStyle)
{
    EXPECT_EQ(Format("%4.4s.EXE", "A.B"), " A.B.EXE");
    EXPECT_EQ(Format("%-24.24s|", "QSI"), "QSI                     |");
    EXPECT_EQ(Format("%02X %04X", 5, 1117), "05 045D");
}

} // namespace
