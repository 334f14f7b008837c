#include "package/Builder.h"

#include "app/Main.h"

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/FileSystem.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace vcl;

namespace {

constexpr std::uint32_t ProgressStep = 1024;
constexpr std::uint32_t ImageChunk = 16384;

bool ReadWholeFile(std::ifstream& stream, std::vector<std::uint8_t>& bytes)
{
    stream.seekg(0, std::ios::end);
    std::streamoff size = stream.tellg();
    stream.seekg(0, std::ios::beg);
    if (size < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0)
        stream.read(reinterpret_cast<char*>(bytes.data()), size);
    return static_cast<bool>(stream);
}

void PutText(std::uint8_t* field, std::size_t size, const std::string& text)
{
    for (std::size_t i = 0; i < size; ++i)
        field[i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

// The output is written beside its final name and takes that name only when the build
// succeeded: a failed build never leaves a damaged file under the output name.
std::string TemporaryName(const std::string& outputName)
{
    return outputName + ".part";
}

} // namespace

std::array<std::uint8_t, PackageHeaderSize> MakePackageHeader(const PackageHeaderTexts& texts, std::uint32_t binSize)
{
    std::array<std::uint8_t, PackageHeaderSize> header {};
    auto field = [&header](HeaderField which, const std::string& text) {
        const HeaderFieldLayout& layout = LayoutOf(which);
        PutText(header.data() + layout.Offset, layout.Size, text);
    };
    // The catalogue holds the texts at 24 characters or fewer; the field keeps its zero.
    field(HeaderField::Model, texts.Model.substr(0, 24));
    field(HeaderField::Inquiry, texts.Inquiry.substr(0, 24));
    field(HeaderField::FWRange, texts.FWRange.substr(0, 24));
    field(HeaderField::Vendor, texts.Vendor.substr(0, 24));
    field(HeaderField::Note, texts.Note.substr(0, 24));
    field(HeaderField::BinName, AnsiUpperCase(texts.BinName).substr(0, 5));
    field(HeaderField::Reserved, "");
    std::size_t at = LayoutOf(HeaderField::BinSize).Offset;
    for (int i = 0; i < 4; ++i)
        header[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(binSize >> (8 * i));
    return header;
}

std::size_t FindPackageMarker(const std::vector<std::uint8_t>& file, const std::array<std::uint8_t, PackageMarkerSize>& marker)
{
    std::size_t matched = 0;
    for (std::size_t j = 0; j < file.size(); ++j) {
        if (file[j] == marker[matched]) {
            if (++matched == marker.size())
                return j;
        } else {
            matched = 0;
        }
    }
    return file.size();
}

bool TFlashForm::NewBuildFlashProgram()
{
    GroupBox2->SetCaption("Building " + ChosenBinName + "  Please wait... ");
    GroupBox2->Repaint();
    // The catalogue row first: with none selected the list raises its index error here,
    // before any file is opened.
    int row = ComboBox->ItemIndex();
    PackageHeaderTexts texts { (*ModelList)[row], (*InquiryList)[row], (*FWRangeList)[row], (*VendorList)[row],
        (*NoteList)[row], ChosenBinName };

    std::ifstream firmware(FileListBox1->FileName(), std::ios::binary);
    if (FileListBox1->FileName().empty() || !firmware) {
        ShowMessage("Open " + ChosenBinName + " fail!");
        return false;
    }
    firmware.seekg(0, std::ios::end);
    std::streamoff firmwareSize = firmware.tellg();
    firmware.seekg(0, std::ios::beg);
    BinSize = firmwareSize < 0 ? 0 : static_cast<std::uint32_t>(std::min<std::streamoff>(firmwareSize, 0xFFFFFFFF));
    // Only whole 16 KB chunks that fit the firmware area can be flashed; an empty file
    // gives a flasher that starts as a builder again.
    if (firmwareSize < 0 || BinSize > FirmwareAreaSize || BinSize % ImageChunk != 0) {
        firmware.close();
        ShowMessage("Building fail: " + ChosenBinName + " is not a whole number of 16 KB blocks up to 512 KB!");
        return false;
    }

    std::string exePath = Application->ExeName();
    std::string programName = ExtractFileName(ParamStr(0));
    std::ifstream program(exePath, std::ios::binary);
    std::vector<std::uint8_t> programBytes;
    if (!program || !ReadWholeFile(program, programBytes)) {
        firmware.close();
        ShowMessage("Open " + exePath + " fail!");
        return false;
    }
    auto exeSize = static_cast<std::uint32_t>(programBytes.size());
    ProgressBar->SetMin(0);
    ProgressBar->SetMax(static_cast<int>(exeSize));
    ProgressBar->SetPosition(0);
    ProgressBar->SetStep(static_cast<int>(ProgressStep));

    std::string outputName = Format("%4.4s.EXE", ChosenBinName.c_str());
    std::string temporary = TemporaryName(outputName);
    std::ofstream output(temporary, std::ios::binary | std::ios::trunc);
    if (!output) {
        firmware.close();
        program.close();
        ShowMessage(Format("Create %4.4s.EXE Fail", ChosenBinName.c_str()));
        return false;
    }
    auto fail = [&](const std::string& message) {
        firmware.close();
        program.close();
        output.close();
        std::remove(temporary.c_str());
        ShowMessage(message);
        return false;
    };

    // Up to and including the marker's zero byte, one progress step per 1024 bytes.
    std::array<std::uint8_t, PackageMarkerSize> marker {};
    for (std::size_t i = 0; i < marker.size(); ++i)
        marker[i] = m_package.MarkerByte(i);
    std::uint32_t j = static_cast<std::uint32_t>(FindPackageMarker(programBytes, marker));
    for (std::uint32_t position = 0; position <= j && position < exeSize; position += ProgressStep)
        ProgressBar->StepIt();
    if (j == exeSize)
        return fail("Building fail: not found key-word in " + programName);
    output.write(reinterpret_cast<const char*>(programBytes.data()), j + 1);

    // The new header over the template's, then the image over the area's first bytes.
    std::array<std::uint8_t, PackageHeaderSize> header = MakePackageHeader(texts, BinSize);
    output.write(reinterpret_cast<const char*>(header.data()), header.size());
    j += PackageHeaderSize;
    if (SavedProfile.Size() < BinSize)
        SavedProfile.Allocate(BinSize);
    if (BinSize > 0 && !firmware.read(reinterpret_cast<char*>(SavedProfile.Data()), BinSize)) {
        return fail("Open " + ChosenBinName + " fail!");
    }
    output.write(reinterpret_cast<const char*>(SavedProfile.Data()), BinSize);
    for (std::uint32_t step = 0; step < BinSize / ProgressStep; ++step)
        ProgressBar->StepIt();
    j += BinSize;

    // The rest of the program's file, unchanged.
    if (j < exeSize - 1) {
        for (std::uint32_t position = j; position < exeSize - 1; ++position) {
            if (position % ProgressStep == 0)
                ProgressBar->StepIt();
        }
        output.write(reinterpret_cast<const char*>(programBytes.data()) + j + 1, exeSize - 1 - j);
        j = exeSize - 1;
    }
    firmware.close();
    program.close();
    output.close();
    if (j != exeSize - 1 || !output)
        return fail("Building fail: some problem in " + programName);

    std::error_code error;
    std::filesystem::permissions(temporary, std::filesystem::status(exePath, error).permissions(), error);
    std::filesystem::rename(temporary, outputName, error);
    if (error)
        return fail(Format("Create %4.4s.EXE Fail", ChosenBinName.c_str()));
    GroupBox2->SetCaption(Format("Build %4.4s.EXE complete!", ChosenBinName.c_str()));
    GroupBox2->Repaint();
    ProgressBar->SetPosition(0);
    return true;
}
