#include "flash/Eligibility.h"

#include "app/Main.h"
#include "platform/vcl/SysUtils.h"

int OrdinalCompare(const std::string& a, const std::string& b)
{
    std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        auto left = static_cast<unsigned char>(a[i]);
        auto right = static_cast<unsigned char>(b[i]);
        if (left != right)
            return left < right ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameRevisionFamily(const std::string& driveRevision, const std::string& targetRevision)
{
    char drive = driveRevision.empty() ? '\0' : driveRevision[0];
    char target = targetRevision.empty() ? '\0' : targetRevision[0];
    return vcl::UpperChar(drive) == vcl::UpperChar(target);
}

bool TFlashForm::CheckCondition()
{
    std::string product = Drives->Current->ProductText();
    std::string revision = Drives->Current->RevisionText();
    // The '-' tests look at the header's raw bytes, not at the texts made from them.
    if (m_package.FieldByte(HeaderField::Inquiry, 0) == '-' && m_package.FieldByte(HeaderField::Inquiry, 1) == '-')
        return true;
    if (OrdinalCompare(product, InquiryText) != 0)
        return false;
    if (OpenRange())
        return true;
    if (OrdinalCompare(revision, LowRevision) < 0)
        return false;
    if (OrdinalCompare(revision, HighRevision) > 0)
        return false;
    return true;
}

bool TFlashForm::CheckDisc()
{
    CommandBlock = BuildCommand(DriveCommand::ReadCd);
    SelectedDrive->ExecCommand(CommandBlock, RowOf(DriveCommand::ReadCd).Direction, 8);
    return SelectedDrive->SenseIs(0x02, 0x3A, 0x00);
}
