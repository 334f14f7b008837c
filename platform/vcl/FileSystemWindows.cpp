#include "platform/vcl/FileSystem.h"

#include <cstdlib>
#include <windows.h>

namespace vcl {

const char PathDelimiter = '\\';

std::vector<std::string> ListFiles(const std::string& directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found {};
    HANDLE search = FindFirstFileA(JoinPath(directory, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    const DWORD excluded = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if ((found.dwFileAttributes & excluded) == 0)
            names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

} // namespace vcl

namespace vcl {

std::string ExecutablePath()
{
    std::vector<char> path(MAX_PATH);
    while (true) {
        DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size())
            return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::string ParamStr(int index)
{
    if (index < 0 || index >= __argc || !__argv)
        return {};
    return __argv[index];
}

} // namespace vcl
