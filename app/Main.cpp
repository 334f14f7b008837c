#include "app/Main.h"

#include "package/ImageCheck.h"
#include "resources/FormDescription.h"

using namespace vcl;

const std::string VersionCaption = " Flash Utility V1.049 ";
const char* const ApplicationTitle = "KRV Windows Flash utility";

TFlashForm* FlashForm = nullptr;

template<class Control>
Control* TFlashForm::Bind(const char* name)
{
    return static_cast<Control*>(FindComponent(name));
}

TFlashForm::TFlashForm(PackageView package)
    : TForm("FlashForm")
    , m_package(package)
{
    LoadFlashFormDescription(*this);
    Panel1 = Bind<TPanel>("Panel1");
    SelectDriveLabel = Bind<TLabel>("SelectDriveLabel");
    ComboBox = Bind<TComboBox>("ComboBox");
    FileListBox1 = Bind<TFileListBox>("FileListBox1");
    GroupBox2 = Bind<TGroupBox>("GroupBox2");
    ProgressBar = Bind<TProgressBar>("ProgressBar");
    FlashButton = Bind<TButton>("FlashButton");

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
    ComboBox->OnChange = [this](TObject* sender) { ComboBoxChange(sender); };
    FlashButton->OnClick = [this](TObject* sender) { FlashButtonClick(sender); };
    FileListBox1->OnClick = [this](TObject* sender) { FileListBox1Click(sender); };
}

void TFlashForm::FormCreate(TObject*)
{
    CriticalEntryImage = 0;
    ModelTaggedImage = 0;
    FlashAll = 0;
    ProfileFound = 0;
    ProfileLengthWithoutHeader = 0;
    TransferBuffer.Release();
    ChunkBuffer.Release();
    SavedProfile.Release();

    SetCaption(VersionCaption);

    // Only the first four bytes of the area choose the mode, compared with letter case.
    BuilderMode = m_package.AreaBeginsWithTemplateSign() ? 1 : 0;
    if (BuilderMode)
        StartBuilderMode();
    else
        StartFlasherMode();
}

void TFlashForm::ComboBoxChange(TObject*)
{
    if (BuilderMode)
        ChooseModel();
    else
        ChooseDrive();
}

void TFlashForm::FormDestroy(TObject*)
{
    for (auto* list : { &ModelList, &InquiryList, &FWRangeList, &BINMaskList, &VendorList, &NoteList })
        list->reset();
    SelectedDrive = nullptr;
    Drives.reset();
    TransferBuffer.Release();
    ChunkBuffer.Release();
    SavedProfile.Release();
}

bool TFlashForm::CheckNewFormatBIN()
{
    ImageCheckResult result = ClassifyImage(m_package);
    BinSize = result.BinSize;
    switch (result.Outcome) {
    case ImageCheckOutcome::ModelTagged:
        ModelTaggedImage = 1;
        ProfileLengthWithoutHeader = result.ProfileLengthWithoutHeader ? 1 : 0;
        break;
    case ImageCheckOutcome::CriticalEntry:
        CriticalEntryImage = 1;
        break;
    case ImageCheckOutcome::UnknownModelText:
        break;
    case ImageCheckOutcome::NoSignature:
        CriticalEntryImage = 0;
        ModelTaggedImage = 0;
        ProfileLengthWithoutHeader = 0;
        break;
    }
    return CriticalEntryImage || ModelTaggedImage;
}
