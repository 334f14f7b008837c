#include "platform/vcl/IniFiles.h"

#include <windows.h>

// The system's own profile-string service.

namespace vcl {

TIniFile::TIniFile(std::string fileName)
    : m_fileName(std::move(fileName))
{
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
    const std::string& defaultValue) const
{
    char value[ProfileValueLimit + 1];
    DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), value,
        sizeof value, m_fileName.c_str());
    return std::string(value, length);
}

} // namespace vcl
