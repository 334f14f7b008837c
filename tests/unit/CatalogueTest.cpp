#include "package/Builder.h"
#include "platform/vcl/IniFiles.h"

#include <cstring>
#include <gtest/gtest.h>

using vcl::IniDocument;

namespace {

TEST(ProfileStrings, NamesMatchWithoutCaseAndTheFirstWins)
{
    IniDocument ini = IniDocument::Parse("Model=before any section\n[model00]\nMODEL=first\nmodel=second\n[MODEL00]\nModel=third\n");
    EXPECT_EQ(ini.Read("MODEL00", "Model"), "first");
    EXPECT_EQ(ini.Read("Model00", "mOdEl"), "first");
    EXPECT_EQ(ini.Read("MODEL01", "Model"), std::nullopt);
    EXPECT_EQ(ini.Read("MODEL00", "Inquiry"), std::nullopt);
}

TEST(ProfileStrings, ValuesLoseBlanksAndOnePairOfQuotes)
{
    const std::pair<const char*, const char*> cases[] = {
        { "  plain value  ", "plain value" },
        { "\"quoted\"", "quoted" },
        { " 'single' ", "single" },
        { "\"\"inner\"\"", "\"inner\"" },
        { "\"unbalanced", "\"unbalanced" },
        { "'mixed\"", "'mixed\"" },
        { "", "" },
        { "a ; not a comment", "a ; not a comment" },
        { "x=y", "x=y" },
    };
    for (auto [raw, expected] : cases) {
        IniDocument ini = IniDocument::Parse(std::string("[S]\r\nKey=") + raw + "\r\n");
        EXPECT_EQ(ini.Read("s", "key"), expected) << raw;
    }
}

TEST(ProfileStrings, LongValuesAreCutTo2047Characters)
{
    IniDocument ini = IniDocument::Parse("[S]\nKey=" + std::string(3000, 'v') + "\n");
    EXPECT_EQ(ini.Read("S", "Key")->size(), 2047u);
}

TEST(ProfileStrings, CommentsOnlyWhereAsked)
{
    const char* text = "; a comment line\n[S]\nKey=value ; note\nOther=a;b\n";
    EXPECT_EQ(IniDocument::Parse(text).Read("S", "Key"), "value ; note");
    EXPECT_EQ(IniDocument::Parse(text, vcl::InlineComments::Strip).Read("S", "Key"), "value");
    EXPECT_EQ(IniDocument::Parse(text, vcl::InlineComments::Strip).Read("S", "Other"), "a;b");
    EXPECT_EQ(IniDocument::Parse(text).Read("S", "; a comment line"), std::nullopt);
}

TEST(ProfileStrings, AMissingFileGivesTheDefault)
{
    vcl::TIniFile file("/nonexistent/krvflash/KRVFLASH.INI");
    EXPECT_EQ(file.ReadString("MODEL00", "Model", "FAIL"), "FAIL");
}

std::array<std::uint8_t, PackageMarkerSize> Marker()
{
    std::array<std::uint8_t, PackageMarkerSize> marker {};
    std::memcpy(marker.data(), "K519-0-2043617", 15);
    return marker;
}

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(MarkerSearch, FindsTheZeroByteOfTheMarker)
{
    std::string marker("K519-0-2043617\0", 15);
    EXPECT_EQ(FindPackageMarker(Bytes("abc" + marker + "header"), Marker()), 17u);
    EXPECT_EQ(FindPackageMarker(Bytes(marker), Marker()), 14u);
    EXPECT_EQ(FindPackageMarker(Bytes("K519-0-2043617 no zero"), Marker()), 22u);
    // The byte that breaks a partial match is not compared with the first byte again.
    EXPECT_EQ(FindPackageMarker(Bytes("K" + marker), Marker()), 16u);
    EXPECT_EQ(FindPackageMarker(Bytes("K519-0-" + marker), Marker()), 22u);
    EXPECT_EQ(FindPackageMarker(Bytes("K519-0-x" + marker), Marker()), 22u);
    EXPECT_EQ(FindPackageMarker({}, Marker()), 0u);
}

TEST(PackageHeader, FieldsZeroPaddedNameUpperCasedSizeLittleEndian)
{
    PackageHeaderTexts texts { "QKA-270", "QSI     DVD-ROM QKA-270 ", "1A00-1AZZ", "qsi", "FLASH-ALL", "ab12.bin" };
    auto header = MakePackageHeader(texts, 0x00080000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data()), 8), std::string("QKA-270\0", 8));
    EXPECT_EQ(std::count(header.begin() + 7, header.begin() + 25, 0), 18);
    // A text of 24 characters keeps one zero byte at the end of its field.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data() + 25), 24), "QSI     DVD-ROM QKA-270 ");
    EXPECT_EQ(header[49], 0);
    EXPECT_EQ(header[75], 'q');
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data() + 125), 5), "AB12.");
    EXPECT_EQ(header[130], 0);
    EXPECT_EQ(header[131], 0);
    EXPECT_EQ(header[132], 0);
    EXPECT_EQ((std::vector<std::uint8_t>(header.begin() + 133, header.end())), (std::vector<std::uint8_t> { 0x00, 0x00, 0x08, 0x00 }));

    texts.BinName = "A.B";
    header = MakePackageHeader(texts, 16384);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data() + 125), 5), std::string("A.B\0\0", 5));
    EXPECT_EQ(header[134], 0x40);
}

} // namespace

#include "app/Main.h"
#include "tests/unit/DriveTestSupport.h"

#include <fstream>

namespace {

// A template's window with one catalogue row, in a scratch directory, without the
// catalogue file: the rows are filled in as the catalogue would fill them.
struct BuilderWindow {
    BuilderWindow()
        : InFolder(Folder.Path())
        , Session("\n\n\n")
    {
        Form = std::make_unique<TFlashForm>(Package.View());
        Form->BuilderMode = 1;
        for (auto* list : { &Form->ModelList, &Form->InquiryList, &Form->FWRangeList, &Form->BINMaskList, &Form->VendorList, &Form->NoteList }) {
            *list = std::make_unique<vcl::TStringList>();
            (*list)->Add("x");
        }
        Form->ComboBox->Items.Add("1A00-1AZZ x");
        Form->ComboBox->SetItemIndex(0);
    }
    void Choose(const std::string& name)
    {
        Form->FileListBox1->SetDirectory(Folder.Path().string());
        const auto& items = Form->FileListBox1->Items();
        Form->FileListBox1->SetItemIndex(static_cast<int>(std::find(items.begin(), items.end(), name) - items.begin()));
        Form->FileListBox1Click(nullptr);
    }
    test::ScratchFolder Folder;
    test::InDirectory InFolder;
    test::ConsoleSession Session;
    test::PackageBytes Package;
    std::unique_ptr<TFlashForm> Form;
};

TEST(Builder, AFirmwareFileThatCannotBeReadWritesNothing)
{
    BuilderWindow window;
    std::ofstream(window.Folder.File("1A07.BIN")) << std::string(16384, 'x');
    window.Choose("1A07.BIN");
    EXPECT_TRUE(window.Form->FlashButton->Enabled());
    std::filesystem::remove(window.Folder.File("1A07.BIN"));
    EXPECT_FALSE(window.Form->NewBuildFlashProgram());
    EXPECT_NE(window.Session.Output().find("|Open 1A07.BIN fail!\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(window.Folder.File("1A07.EXE")));
    EXPECT_FALSE(std::filesystem::exists(window.Folder.File("1A07.EXE.part")));
}

TEST(Builder, TheBinSizeIsKeptEvenWhenTheFileIsRefused)
{
    BuilderWindow window;
    std::ofstream(window.Folder.File("1A07.BIN")) << std::string(20000, 'x');
    window.Choose("1A07.BIN");
    EXPECT_FALSE(window.Form->NewBuildFlashProgram());
    EXPECT_EQ(window.Form->BinSize, 20000u);
    EXPECT_NE(window.Session.Output().find("|Building fail: 1A07.BIN is not a whole number of 16 KB blocks up to 512 KB!\n"), std::string::npos);
}

} // namespace
