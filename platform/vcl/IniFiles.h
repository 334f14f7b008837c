#pragma once

// Initialisation files read with the semantics of the Windows profile-string service:
// section and key names match without regard to case, values come back without
// surrounding blanks and without one pair of enclosing quotation marks, at most 2,047
// characters, the first matching section and key win, and anything missing gives the
// default.

#include <optional>
#include <string>
#include <vector>

namespace vcl {

inline constexpr std::size_t ProfileValueLimit = 2047;

enum class InlineComments { Keep, Strip };

// An initialisation file's text, parsed once.
class IniDocument {
public:
    // With InlineComments::Strip, a ';' after a blank ends the value (machine files
    // carry such comments; the profile-string service keeps them).
    static IniDocument Parse(const std::string& text, InlineComments comments = InlineComments::Keep);
    static std::optional<IniDocument> Load(const std::string& path, InlineComments comments = InlineComments::Keep);

    std::optional<std::string> Read(const std::string& section, const std::string& key) const;

    struct Entry {
        std::string Key;
        std::string Value;
    };
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;
    };
    const std::vector<Section>& Sections() const { return m_sections; }

private:
    std::vector<Section> m_sections;
};

bool SameText(const std::string& a, const std::string& b);

// The class library's INI file reader over the system's profile-string service.
class TIniFile {
public:
    explicit TIniFile(std::string fileName);
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    const std::string& FileName() const { return m_fileName; }

private:
    std::string m_fileName;
    std::optional<IniDocument> m_document;
};

} // namespace vcl
