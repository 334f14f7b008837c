#include "platform/vcl/IniFiles.h"

// Our own reader with the results of the profile-string service.

namespace vcl {

TIniFile::TIniFile(std::string fileName)
    : m_fileName(std::move(fileName))
    , m_document(IniDocument::Load(m_fileName))
{
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
    const std::string& defaultValue) const
{
    if (!m_document)
        return defaultValue;
    return m_document->Read(section, key).value_or(defaultValue);
}

} // namespace vcl
