#include "app/Main.h"
#include "platform/vcl/FileSystem.h"
#include "platform/vcl/Forms.h"
#include "tests/unit/DriveTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct ModeCase {
    const char* Name;
    std::vector<std::uint8_t> AreaStart;
    std::uint8_t BuilderMode;
};

class ModeDecision : public testing::TestWithParam<ModeCase> { };

TEST_P(ModeDecision, FirstFourAreaBytesChooseTheMode)
{
    const ModeCase& c = GetParam();
    test::PackageBytes package;
    // Header and the rest of the area hold a flasher's content in every case: only the
    // first four area bytes may decide.
    package.Field(HeaderField::Model, "QKA-270").Field(HeaderField::Inquiry, "QSI     DVD-ROM QKA-270 ").Size(16384);
    package.Area(0x1100, { 0x05, 0x80 });
    for (std::size_t i = 0; i < c.AreaStart.size(); ++i)
        package.Area(i, { c.AreaStart[i] });

    test::ConsoleSession session;
    TFlashForm form(package.View());
    form.FormCreate(nullptr);
    EXPECT_EQ(form.BuilderMode, c.BuilderMode);
}

INSTANTIATE_TEST_SUITE_P(Table, ModeDecision,
    testing::Values(
        ModeCase { "TemplateSign", { 'Z', 'U', 'N', 'O' }, 1 },
        ModeCase { "TemplateSignBeforeAnImage", { 'Z', 'U', 'N', 'O', 0x05, 0x80, 0xFF }, 1 },
        ModeCase { "LowerCase", { 'z', 'u', 'n', 'o' }, 0 },
        ModeCase { "LastLetterLowerCase", { 'Z', 'U', 'N', 'o' }, 0 },
        ModeCase { "ZunThenZero", { 'Z', 'U', 'N', 0x00 }, 0 },
        ModeCase { "ZunThenHighByte", { 'Z', 'U', 'N', 0xCF }, 0 },
        ModeCase { "ShiftedByOne", { ' ', 'Z', 'U', 'N', 'O' }, 0 },
        ModeCase { "ImageBytes", { 0x02, 0x00, 0x05, 0x80 }, 0 },
        ModeCase { "AllZero", { 0, 0, 0, 0 }, 0 }),
    [](const testing::TestParamInfo<ModeCase>& info) { return info.param.Name; });

TEST(FormCreate, ClearsFlagsAndBuffersAndSetsTheVersionCaption)
{
    test::ConsoleSession session;
    test::PackageBytes package;
    TFlashForm form(package.View());
    form.CriticalEntryImage = form.ModelTaggedImage = form.FlashAll = 1;
    form.ProfileFound = form.ProfileLengthWithoutHeader = 1;
    form.TransferBuffer.Allocate(16);
    form.ChunkBuffer.Allocate(16);
    form.SavedProfile.Allocate(16);

    form.FormCreate(nullptr);

    EXPECT_EQ(form.CriticalEntryImage, 0);
    EXPECT_EQ(form.ModelTaggedImage, 0);
    EXPECT_EQ(form.FlashAll, 0);
    EXPECT_EQ(form.ProfileFound, 0);
    EXPECT_EQ(form.ProfileLengthWithoutHeader, 0);
    EXPECT_FALSE(form.TransferBuffer);
    EXPECT_FALSE(form.ChunkBuffer);
    EXPECT_FALSE(form.SavedProfile);
    EXPECT_EQ(form.Caption(), " Flash Utility V1.049 ");
}

TEST(FormCreate, CreatingTheWindowFillsTheReferenceAndShowsTheVersionCaption)
{
    test::ScratchFolder folder;
    test::InDirectory inFolder(folder.Path());
    test::ConsoleSession session;
    test::PackageBytes package;
    vcl::Application->CreateForm(FlashForm, package.View());
    ASSERT_NE(FlashForm, nullptr);
    EXPECT_EQ(FlashForm->BuilderMode, 1);
    // The template goes on to read its catalogue, which the test program does not have.
    std::string catalogue = vcl::ChangeFileExt(vcl::Application->ExeName(), ".INI");
    EXPECT_EQ(session.Output(), "caption:  Flash Utility V1.049 \nfiles:\n[message: OK]\n|Can't load " + catalogue + "\n[end]\n? <end>\n");
    EXPECT_TRUE(vcl::Application->QuitPosted());
    vcl::Application->DestroyForms();
    EXPECT_EQ(FlashForm, nullptr);
}

TEST(FormCreate, TheControlsComeFromTheFormDescription)
{
    test::ConsoleSession session;
    test::PackageBytes package;
    TFlashForm form(package.View());
    ASSERT_NE(form.FlashButton, nullptr);
    EXPECT_EQ(form.FlashButton->Caption(), "FLASH");
    EXPECT_TRUE(form.FlashButton->Enabled());
    EXPECT_EQ(form.FlashButton->Parent(), form.GroupBox2);
    EXPECT_EQ(form.ProgressBar->Parent(), form.GroupBox2);
    EXPECT_EQ(form.GroupBox2->Parent(), form.Panel1);
    EXPECT_EQ(form.Panel1->Parent(), &form);
    EXPECT_EQ(form.ComboBox->Bounds().Left, 16);
    EXPECT_EQ(form.ComboBox->Bounds().Top, 40);
    EXPECT_EQ(form.ComboBox->Bounds().Width, 385);
    EXPECT_EQ(form.ComboBox->Items.Count(), 0);
    EXPECT_TRUE(form.FileListBox1->Visible());
    EXPECT_EQ(form.ProgressBar->Min(), 0);
    EXPECT_EQ(form.ProgressBar->Max(), 100);
    EXPECT_EQ(form.Font.Name, "System");
    EXPECT_EQ(form.Font.Height, -16);
    EXPECT_TRUE(form.Font.Bold);
    EXPECT_EQ(form.Font.Charset, 136);
    EXPECT_EQ(form.Caption(), "");
    EXPECT_EQ(form.SelectDriveLabel->Caption(), "");
}

TEST(FormDestroy, ReleasesListsAndBuffers)
{
    test::ConsoleSession session;
    test::PackageBytes package;
    TFlashForm form(package.View());
    form.ModelList = std::make_unique<vcl::TStringList>();
    form.NoteList = std::make_unique<vcl::TStringList>();
    form.TransferBuffer.Allocate(0x4000);
    form.SavedProfile.Allocate(10);

    form.FormDestroy(nullptr);

    EXPECT_FALSE(form.ModelList);
    EXPECT_FALSE(form.NoteList);
    EXPECT_FALSE(form.TransferBuffer);
    EXPECT_FALSE(form.SavedProfile);
}

} // namespace
