#include "platform/vcl/IniFiles.h"

#include "platform/vcl/SysUtils.h"

#include <fstream>
#include <iterator>

namespace vcl {

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i]))
            return false;
    }
    return true;
}

static std::string CutInlineComment(const std::string& value)
{
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t'))
            return value.substr(0, i);
    }
    return value;
}

static std::string CleanValue(std::string value, InlineComments comments)
{
    if (comments == InlineComments::Strip)
        value = CutInlineComment(value);
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() > ProfileValueLimit)
        value.resize(ProfileValueLimit);
    return value;
}

IniDocument IniDocument::Parse(const std::string& text, InlineComments comments)
{
    IniDocument document;
    Section* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            std::size_t close = line.find(']');
            std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            document.m_sections.push_back({ name, {} });
            current = &document.m_sections.back();
            continue;
        }
        std::size_t equals = line.find('=');
        if (!current || equals == std::string::npos)
            continue;
        current->Entries.push_back({ Trim(line.substr(0, equals)), CleanValue(line.substr(equals + 1), comments) });
    }
    return document;
}

std::optional<IniDocument> IniDocument::Load(const std::string& path, InlineComments comments)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return Parse(text, comments);
}

std::optional<std::string> IniDocument::Read(const std::string& section, const std::string& key) const
{
    for (const Section& candidate : m_sections) {
        if (!SameText(candidate.Name, section))
            continue;
        // Only the first section of that name is looked at.
        for (const Entry& entry : candidate.Entries) {
            if (SameText(entry.Key, key))
                return entry.Value;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace vcl
