#include "platform/vcl/FileSystem.h"

#include "platform/vcl/SysUtils.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vcl {

static bool MatchesOneMask(const char* name, const char* nameEnd, const char* mask,
    const char* maskEnd)
{
    // Classic wildcard matching with back-tracking to the last '*'.
    const char* starMask = nullptr;
    const char* starName = nullptr;
    while (name != nameEnd) {
        if (mask != maskEnd && (*mask == '?' || UpperChar(*mask) == UpperChar(*name))) {
            ++mask;
            ++name;
        } else if (mask != maskEnd && *mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (starMask) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (mask != maskEnd && *mask == '*')
        ++mask;
    return mask == maskEnd;
}

bool MatchesMask(const std::string& name, const std::string& masks)
{
    std::size_t start = 0;
    while (start <= masks.size()) {
        std::size_t end = masks.find(';', start);
        if (end == std::string::npos)
            end = masks.size();
        std::string mask = Trim(masks.substr(start, end - start));
        // "*.*" matches names without a dot too, as on Windows.
        if (mask == "*.*")
            mask = "*";
        if (!mask.empty()
            && MatchesOneMask(name.data(), name.data() + name.size(), mask.data(),
                mask.data() + mask.size()))
            return true;
        start = end + 1;
    }
    return false;
}

void SortFileNames(std::vector<std::string>& names)
{
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string upperA = UpperCase(a);
        std::string upperB = UpperCase(b);
        if (upperA != upperB)
            return upperA < upperB;
        return a < b;
    });
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty())
        return name;
    char last = directory.back();
    if (last == '\\' || last == '/')
        return directory + name;
    return directory + PathDelimiter + name;
}

std::string ExtractFileName(const std::string& path)
{
    std::size_t cut = path.find_last_of("\\/:");
    if (cut == std::string::npos)
        return path;
    return path.substr(cut + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension)
{
    std::size_t nameStart = path.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return path + extension;
    return path.substr(0, dot) + extension;
}

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

std::string GetCurrentDir()
{
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

} // namespace vcl
