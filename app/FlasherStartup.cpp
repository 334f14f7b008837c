// Flasher mode: the texts of the carried package, the warning, the drive list and the
// choice of the drive the FLASH button works on.

#include "app/Main.h"

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/SysUtils.h"

using namespace vcl;

// Bytes 0 and 5 of the FW-Range field both '-': any firmware revision is accepted.
bool TFlashForm::OpenRange() const
{
    return m_package.FieldByte(HeaderField::FWRange, 0) == '-' && m_package.FieldByte(HeaderField::FWRange, 5) == '-';
}

// The FW-Range field's text from byte 5 on, up to its zero byte.
static std::string HighBoundText(const PackageView& package)
{
    std::string text;
    for (std::size_t i = 5; i < LayoutOf(HeaderField::FWRange).Size; ++i) {
        std::uint8_t byte = package.FieldByte(HeaderField::FWRange, i);
        if (byte == 0)
            break;
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

std::string TFlashForm::WarningText() const
{
    std::string text = "\nWARNING:\n";
    text += "\nThis flash utility only supports " + VendorText + " " + ModelText;
    if (OpenRange()) {
        text += " drive. ";
        text += "\nPlease REMOVE disc and close all applications before run this utility!";
        text += "\nDon't turn off the system while flash is in progress! ";
    } else {
        text += " drive with firmware:" + FWRangeText;
        text += "\nPlease REMOVE disc and close all applications before run this utility! ";
        text += "\nDon't turn off the system while the flash is in progress!";
    }
    text += "\n\nDo you wish to continue?\n";
    return text;
}

std::string TFlashForm::StartErrorText() const
{
    std::string firmware = OpenRange() ? "" : " firmware: " + FWRangeText;
    std::string text = "\nERROR:\n";
    text += "\nCan't found " + ModelText + firmware + " drive !\n";
    text += "\nThis flash utility only supports " + ModelText + firmware + "\n";
    return text;
}

void TFlashForm::StartFlasherMode()
{
    VendorText = AnsiUpperCase(m_package.FieldText(HeaderField::Vendor));
    ModelText = m_package.FieldText(HeaderField::Model);
    InquiryText = Format("%-24.24s", m_package.FieldText(HeaderField::Inquiry).c_str());
    std::string range = m_package.FieldText(HeaderField::FWRange);
    FWRangeText = Format("%9.9s", range.c_str());
    LowRevision = Format("%4.4s", range.c_str());
    HighRevision = Format("%4.4s", HighBoundText(m_package).c_str());

    SelectDriveLabel->SetCaption("Select the " + VendorText + " drive you want to update:");

    // Nothing touches a drive before the user has accepted the warning.
    if (MessageDlg(WarningText(), TMsgDlgType::Warning, TMsgDlgButtons::YesNo, 0) != TModalResult::Yes) {
        PostQuitMessage(0);
        Close();
        return;
    }
    FileListBox1->SetVisible(false);
    SetCaption(VendorText + VersionCaption + ModelText);

    std::string errorText = StartErrorText();
    Drives = std::make_unique<CDDrives>();
    if (Drives->Count() == 0) {
        errorText += "\nCan't find ATAPI Drive !\n";
        MessageDlg(errorText, TMsgDlgType::Error, TMsgDlgButtons::OK, 0);
        PostQuitMessage(0);
        Close();
        return;
    }
    errorText += "\nDetected drives:\n-----------------------------------------------------------\n";
    for (int position = 0; position < Drives->Count(); ++position) {
        Drives->Select(static_cast<std::int16_t>(position));
        if (CheckCondition()) {
            ComboBox->Items.Add(Drives->Current->Description());
            DriveRows.push_back(position);
        } else {
            errorText += Drives->Current->Description() + "\n";
        }
    }
    if (ComboBox->Items.Count() == 0) {
        MessageDlg(errorText, TMsgDlgType::Error, TMsgDlgButtons::OK, 0);
        PostQuitMessage(0);
        Close();
        return;
    }
    ComboBox->SetItemIndex(0);
    Drives->Select(static_cast<std::int16_t>(DriveRows[0]));
    TransferBuffer.Allocate(0x4000);
    CDDrive::SetDataBuffer(TransferBuffer.Data(), 0x4000);
    CheckNewFormatBIN();
    ComboBoxChange(this);
}

void TFlashForm::ChooseDrive()
{
    // Text typed into the field selects no row: the drive chosen before stays chosen.
    int row = ComboBox->ItemIndex();
    if (row < 0 || row >= static_cast<int>(DriveRows.size()))
        return;
    Drives->Select(static_cast<std::int16_t>(DriveRows[static_cast<std::size_t>(row)]));
    SelectedDrive = Drives->Current;
}
