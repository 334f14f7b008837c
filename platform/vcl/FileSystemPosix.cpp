#include "platform/vcl/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>

namespace vcl {

const char PathDelimiter = '/';

std::vector<std::string> ListFiles(const std::string& directory)
{
    std::vector<std::string> names;
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (!dir)
        return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        // Dot files are the hidden files of this platform.
        if (name.empty() || name[0] == '.')
            continue;
        struct stat info {};
        if (stat(JoinPath(directory, name).c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        names.push_back(std::move(name));
    }
    closedir(dir);
    return names;
}

} // namespace vcl
