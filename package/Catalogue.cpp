// Builder mode: the model catalogue beside the executable, the file list of the current
// directory, and the choice of model and firmware file.

#include "app/Main.h"

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FileSystem.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/IniFiles.h"
#include "platform/vcl/SysUtils.h"

using namespace vcl;

namespace {

const char* const FailValue = "FAIL";

} // namespace

void TFlashForm::StartBuilderMode()
{
    // The current directory at start, however long it is.
    WorkPath = GetCurrentDir();
    FileListBox1->SetDirectory(WorkPath);
    if (!RetriveINI())
        return;
    FileListBox1->SetVisible(true);
    SelectDriveLabel->SetCaption("Select Model: ");
    FlashButton->SetCaption("Build");
    FlashButton->SetEnabled(false);
}

bool TFlashForm::RetriveINI()
{
    ModelList = std::make_unique<TStringList>();
    InquiryList = std::make_unique<TStringList>();
    FWRangeList = std::make_unique<TStringList>();
    BINMaskList = std::make_unique<TStringList>();
    VendorList = std::make_unique<TStringList>();
    NoteList = std::make_unique<TStringList>();

    std::string catalogue = ChangeFileExt(Application->ExeName(), ".INI");
    if (!FileExists(catalogue)) {
        ShowMessage("Can't load " + catalogue);
        PostQuitMessage(0);
        return false;
    }
    TIniFile file(catalogue);
    std::string section;
    for (int number = 0; number <= 99; ++number) {
        section = Format("%5.5s%02d", "MODEL", number);
        std::string model = file.ReadString(section, "Model", FailValue);
        std::string inquiry = file.ReadString(section, "Inquiry", FailValue);
        std::string range = file.ReadString(section, "FW-Range", FailValue);
        std::string mask = file.ReadString(section, "BINMask", FailValue);
        std::string vendor = file.ReadString(section, "Vendor", FailValue);
        std::string note = file.ReadString(section, "Note", FailValue);
        ModelList->Add(model);
        InquiryList->Add(inquiry);
        FWRangeList->Add(range);
        BINMaskList->Add(mask);
        VendorList->Add(vendor);
        NoteList->Add(note);
        if (model == FailValue)
            break;
        ComboBox->SetItemIndex(-1);
        if (inquiry == FailValue || range == FailValue || mask == FailValue || vendor == FailValue || note == FailValue)
            break;
        ComboBox->Items.Add(range + " " + inquiry);
        ComboBox->SetItemIndex(0);
        ModelList->Put(number, Format("%.24s", model.c_str()));
        FWRangeList->Put(number, Format("%.24s", range.c_str()));
        VendorList->Put(number, Format("%.24s", vendor.c_str()));
        NoteList->Put(number, Format("%.24s", note.c_str()));
        InquiryList->Put(number, Format("%-24.24s", inquiry.c_str()));
    }
    if (ComboBox->ItemIndex() < 0) {
        ShowMessage(catalogue + " > Session " + section + " error!");
        PostQuitMessage(0);
        return false;
    }
    ComboBoxChange(this);
    return true;
}

void TFlashForm::ChooseModel()
{
    // With no row selected the list raises its index error, shown by the message loop.
    int row = ComboBox->ItemIndex();
    FileListBox1->SetMask((*BINMaskList)[row]);
    SetCaption(VersionCaption + (*FWRangeList)[row] + " [Buiding]");
    FlashButton->SetEnabled(false);
}

void TFlashForm::FileListBox1Click(TObject*)
{
    ChosenBinName = ExtractFileName(FileListBox1->FileName());
    FlashButton->SetEnabled(true);
}
