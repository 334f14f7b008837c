#include "platform/vcl/FileSystem.h"

#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

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

namespace vcl {

std::string ExecutablePath()
{
    std::vector<char> path(4096);
    while (true) {
        ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < path.size())
            return std::string(path.data(), static_cast<std::size_t>(length));
        path.resize(path.size() * 2);
    }
}

std::string ParamStr(int index)
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    for (int i = 0; start < all.size(); ++i) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        if (i == index)
            return all.substr(start, end - start);
        start = end + 1;
    }
    return {};
}

} // namespace vcl
