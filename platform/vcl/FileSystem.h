#pragma once

// File-system services of the class-library stand-in: directory listing for the file
// list box, wildcard masks, file names and paths.

#include <string>
#include <vector>

namespace vcl {

// '\\' on Windows, '/' elsewhere: the delimiter of the paths the platform gives out.
extern const char PathDelimiter;

// Names of the plain files of a directory: no directories, no hidden or system files.
std::vector<std::string> ListFiles(const std::string& directory);

// Name against a mask of '*' and '?' wildcards; several masks separated by ';' match
// when any does. Letter case is ignored.
bool MatchesMask(const std::string& name, const std::string& masks);

// Sorted by name without regard to letter case.
void SortFileNames(std::vector<std::string>& names);

std::string JoinPath(const std::string& directory, const std::string& name);

// The part of a path after its last '\\', '/' or ':'.
std::string ExtractFileName(const std::string& path);

// The path with its extension (from the last '.' of the name part) replaced.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

bool FileExists(const std::string& path);

// The current directory as a full path.
std::string GetCurrentDir();

// The full path of the running program's own file.
std::string ExecutablePath();

// The program's command-line argument of that index, 0 being the program as started.
std::string ParamStr(int index);

} // namespace vcl
