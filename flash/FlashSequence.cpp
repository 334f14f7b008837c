// The FLASH button in flasher mode: the whole update of the selected drive. Every
// failing step has shown its own message when the status line is marked, and every
// later step is skipped: the flash command is never sent after a failed upload or
// verification.

#include "app/Main.h"
#include "flash/Eligibility.h"

#include "platform/os/Os.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/SysUtils.h"

#include <cstring>

using namespace vcl;

namespace {

constexpr std::uint32_t ChunkSize = 0x4000;
constexpr int BecomingReadyPasses = 500;
constexpr std::uint32_t PollMilliseconds = 30;
constexpr std::uint16_t FlashTimeoutSeconds = 180;
constexpr std::uint16_t CommandTimeoutSeconds = 60;

} // namespace

void TFlashForm::SetStatus(const std::string& text)
{
    GroupBox2->SetCaption(text);
    GroupBox2->Repaint();
}

void TFlashForm::AppendStatus(const std::string& text)
{
    SetStatus(GroupBox2->Caption() + text);
}

// The Note field's first nine bytes are "FLASH-ALL", letter case counting.
bool TFlashForm::NoteBeginsWithFlashAll() const
{
    static const char FlashAllNote[] = "FLASH-ALL";
    for (std::size_t i = 0; i < sizeof FlashAllNote - 1; ++i) {
        if (m_package.FieldByte(HeaderField::Note, i) != static_cast<std::uint8_t>(FlashAllNote[i]))
            return false;
    }
    return true;
}

std::string TFlashForm::TargetRevision() const
{
    return Format("%4.4s", m_package.FieldText(HeaderField::BinName).c_str());
}

void TFlashForm::FlashButtonClick(TObject*)
{
    if (BuilderMode) {
        Screen->SetCursor(TCursor::HourGlass);
        NewBuildFlashProgram();
        Screen->SetCursor(TCursor::Default);
        return;
    }
    RunFlashSequence();
}

// A package is flashed only when its image is a whole number of 16 KB chunks that fits
// the firmware area: the loops below move and compare whole chunks.
bool TFlashForm::PackageCanBeFlashed()
{
    if (BinSize != 0 && BinSize <= FirmwareAreaSize && BinSize % ChunkSize == 0)
        return true;
    ShowMessage(Format("Damaged firmware package: BIN size %u is not a whole number of 16 KB blocks up to 512 KB.", BinSize));
    return false;
}

void TFlashForm::PrepareDrive()
{
    // Outcomes are not checked here, except the becoming-ready sense of the loop.
    auto send = [this](DriveCommand command, std::uint8_t code) {
        CommandArguments arguments;
        arguments.Code = code;
        CommandBlock = BuildCommand(command, arguments);
        SelectedDrive->ExecCommand(CommandBlock, RowOf(command).Direction, 0);
    };
    send(DriveCommand::StartStopUnit, LoadAndStart);
    for (int pass = 0; pass < BecomingReadyPasses; ++pass) {
        os::System().Sleep(PollMilliseconds);
        send(DriveCommand::TestUnitReady, 0);
        send(DriveCommand::StopPlayScan, 0);
        if (!SelectedDrive->SenseIs(0x02, 0x04, 0x01))
            break;
    }
    send(DriveCommand::StopPlayScan, 0);
    send(DriveCommand::StartStopUnit, Stop);
}

bool TFlashForm::UploadImage()
{
    if (CriticalEntryImage || ModelTaggedImage) {
        SetStatus("Write profile to drive's DRAM... ");
        if (!SetupFlashProfile(ChunkBuffer.Data())) {
            AppendStatus(", Fail! ");
            return false;
        }
        if (SavedProfile.Size() < static_cast<std::size_t>(ProfileLength))
            SavedProfile.Allocate(static_cast<std::size_t>(ProfileLength));
        std::memcpy(SavedProfile.Data(), ChunkBuffer.Data(), static_cast<std::size_t>(ProfileLength));
    }
    SetStatus("Write BIN to drive's DRAM... ");
    ProgressBar->SetPosition(0);
    while (ProgressBar->Position() < ProgressBar->Max()) {
        auto offset = static_cast<std::uint32_t>(ProgressBar->Position());
        m_package.CopyArea(offset, ChunkBuffer.Data(), ChunkSize);
        if (!WriteBuffer(offset, ChunkBuffer.Data(), ChunkSize, CodeImageData)) {
            AppendStatus(", Fail! ");
            return false;
        }
        ProgressBar->StepIt();
    }
    if (CriticalEntryImage) {
        SetStatus("Drive entry critical... ");
        if (!EntryCritical()) {
            AppendStatus(", Fail! ");
            return false;
        }
    }
    return true;
}

bool TFlashForm::VerifyImage()
{
    SetStatus("Read back and Verify drive's DRAM... ");
    if (ProfileFound && !ReadVerifyProfile(SavedProfile.Data())) {
        AppendStatus(", Valid Profile Fail!");
        return false;
    }
    ProgressBar->SetPosition(0);
    std::uint8_t expected[ChunkSize];
    while (ProgressBar->Position() < ProgressBar->Max()) {
        auto offset = static_cast<std::uint32_t>(ProgressBar->Position());
        if (!ReadBuffer(offset, ChunkBuffer.Data(), ChunkSize)) {
            AppendStatus(", Read Fail! ");
            return false;
        }
        m_package.CopyArea(offset, expected, ChunkSize);
        if (std::memcmp(ChunkBuffer.Data(), expected, ChunkSize) != 0) {
            AppendStatus(", Compare BIN and DRAM Fail! ");
            ShowMessage("Compare BIN and DRAM fail!");
            return false;
        }
        ProgressBar->StepIt();
    }
    return true;
}

bool TFlashForm::ProgramFlash()
{
    SetStatus("Don't turn off the system, Flash is in progress...");
    ProgressBar->SetMax(200);
    ProgressBar->SetPosition(198);
    ProgressBar->SetStep(0);
    CDDrive::SetTimeout(FlashTimeoutSeconds);
    if (!WriteBuffer(0, SavedProfile.Data(), 0, FlashAll ? CodeFlashAll : CodeFlash)) {
        SetStatus("Flash Fail.");
        return false;
    }
    CDDrive::SetTimeout(CommandTimeoutSeconds);
    ProgressBar->SetPosition(ProgressBar->Max());
    SetStatus("Flash Completed.");
    return true;
}

// The flashed drive's row shows its new description, at the same place and selected.
void TFlashForm::RefreshRow(int row)
{
    std::string description = SelectedDrive->Description();
    ComboBox->Items.Insert(row, description);
    ComboBox->Items.Delete(row + 1);
    ComboBox->SetItemIndex(row);
    ComboBox->Repaint();
}

void TFlashForm::RunFlashSequence()
{
    ProfileFound = 0;
    ProfileLengthWithoutHeader = 0;
    ProfileLength = 0;
    // With text typed into the field no row is selected; the row to refresh is then the
    // one of the drive that stayed selected.
    int row = ComboBox->ItemIndex();
    for (std::size_t r = 0; row < 0 && r < DriveRows.size(); ++r) {
        if (DriveRows[r] == Drives->Position)
            row = static_cast<int>(r);
    }
    if (!PackageCanBeFlashed())
        return;

    std::string current = SelectedDrive->RevisionText();
    std::string target = TargetRevision();
    if (!SameRevisionFamily(current, target)) {
        ShowMessage("NOT support this drive !!!");
        return;
    }
    std::string question = "\nUpdate Firmware " + current + " to " + target + " ?\n";
    if (!OpenRange() && OrdinalCompare(current, target) >= 0)
        question = "\nWARNING !!!" + ("\n\nYour drive Firmware " + current + " is aready the most updated !")
            + ("\n\nUpdate Firmware " + current + " to " + target + " ?\n");
    TMsgDlgType type = OrdinalCompare(current, target) > 0 ? TMsgDlgType::Warning : TMsgDlgType::Confirmation;
    if (MessageDlg(question, type, TMsgDlgButtons::YesNo, 0) != TModalResult::Yes)
        return;

    FlashAll = NoteBeginsWithFlashAll() ? 1 : 0;
    PrepareDrive();

    ProgressBar->SetMin(0);
    ProgressBar->SetMax(static_cast<int>(BinSize));
    ProgressBar->SetStep(static_cast<int>(ChunkSize));
    if (!ChunkBuffer)
        ChunkBuffer.Allocate(ChunkSize);
    Screen->SetCursor(TCursor::HourGlass);

    if (UploadImage() && VerifyImage() && ProgramFlash() && row >= 0)
        RefreshRow(row);

    Screen->SetCursor(TCursor::Default);
    ProgressBar->SetPosition(0);
}
