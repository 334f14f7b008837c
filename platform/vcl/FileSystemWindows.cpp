#include "platform/vcl/FileSystem.h"

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
