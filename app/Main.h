#pragma once

// Unit Main: the one window of the program, its controls, the state it keeps for the
// flasher and the builder, and the choice between the two modes.

#include "app/OwnedBuffer.h"
#include "drive/Cddrives.h"
#include "flash/CommandSet.h"
#include "package/Package.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Controls.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// " Flash Utility V1.049 ": the first caption of the window and the middle of the
// mode captions.
extern const std::string VersionCaption;

// The application title: task-bar title and caption of the plain message boxes.
extern const char* const ApplicationTitle;

class TFlashForm : public vcl::TForm {
public:
    explicit TFlashForm(PackageView package);

    // Published controls, in declaration order.
    vcl::TPanel* Panel1 = nullptr;
    vcl::TLabel* SelectDriveLabel = nullptr;
    vcl::TComboBox* ComboBox = nullptr;
    vcl::TFileListBox* FileListBox1 = nullptr;
    vcl::TGroupBox* GroupBox2 = nullptr;
    vcl::TProgressBar* ProgressBar = nullptr;
    vcl::TButton* FlashButton = nullptr;

    // Published methods.
    void FormCreate(vcl::TObject* sender);
    void FormDestroy(vcl::TObject* sender);
    bool WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count);
    bool WriteBuffer(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length, std::uint8_t code);
    bool ReadBuffer(std::uint32_t offset, std::uint8_t* destination, std::uint32_t length);
    bool SetupFlashProfile(std::uint8_t* work);
    bool ReadVerifyProfile(const std::uint8_t* saved);
    bool EntryCritical();
    bool CheckDisc();
    bool RetriveINI();
    bool NewBuildFlashProgram();
    void FileListBox1Click(vcl::TObject* sender);
    void FlashButtonClick(vcl::TObject* sender);
    void ComboBoxChange(vcl::TObject* sender);
    bool CheckNewFormatBIN();
    bool CheckCondition();

    // State kept in the window.
    std::uint8_t BuilderMode = 0;
    std::unique_ptr<vcl::TStringList> ModelList;
    std::unique_ptr<vcl::TStringList> InquiryList;
    std::unique_ptr<vcl::TStringList> FWRangeList;
    std::unique_ptr<vcl::TStringList> BINMaskList;
    std::unique_ptr<vcl::TStringList> VendorList;
    std::unique_ptr<vcl::TStringList> NoteList;
    std::string VendorText;
    std::string ModelText;
    std::string FWRangeText;
    std::string LowRevision;
    std::string HighRevision;
    std::string InquiryText;
    std::string ChosenBinName;
    std::uint8_t CriticalEntryImage = 0;
    std::uint8_t ModelTaggedImage = 0;
    std::uint8_t ProfileLengthWithoutHeader = 0;
    std::uint8_t ProfileFound = 0;
    std::uint8_t FlashAll = 0;
    std::uint32_t BinSize = 0;
    // For each ComboBox row, the position of its drive in the drive set; one entry per
    // row, however many rows there are.
    std::vector<std::int32_t> DriveRows;
    std::string WorkPath;
    CDDrive* SelectedDrive = nullptr;
    std::unique_ptr<CDDrives> Drives;
    OwnedBuffer TransferBuffer;
    OwnedBuffer ChunkBuffer;
    OwnedBuffer SavedProfile;
    std::array<std::uint8_t, 12> CommandBlock {};
    std::int32_t ProfileLength = 0;
    std::int32_t ProfileSegmentOffset = 0;
    std::int32_t ProfileHeaderLength = 0;

    const PackageView& Package() const { return m_package; }

private:
    template<class Control>
    Control* Bind(const char* name);

    // Flasher mode.
    void StartFlasherMode();
    void ChooseDrive();
    bool NoteBeginsWithFlashAll() const;
    std::string WarningText() const;
    std::string StartErrorText() const;
    bool OpenRange() const;
    std::string TargetRevision() const;
    bool SendCommand(DriveCommand command, const CommandArguments& arguments, std::uint32_t length,
        const char* prefix);
    void RunFlashSequence();
    bool PackageCanBeFlashed();
    void PrepareDrive();
    bool UploadImage();
    bool VerifyImage();
    bool ProgramFlash();
    void RefreshRow(int row);
    void SetStatus(const std::string& text);
    void AppendStatus(const std::string& text);

    // Builder mode.
    void StartBuilderMode();
    void ChooseModel();

    PackageView m_package;
};

// The program-wide reference to the one window, filled by the application object.
extern TFlashForm* FlashForm;
