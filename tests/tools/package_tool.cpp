// Test helper over built executables:
//   package_tool check-marker FILE      the package marker occurs exactly once, and the
//                                       byte in front of it is none of its characters
//   package_tool check-resources EXE ICO the version resource and the main icon are in
//                                       the Windows executable

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

static const std::string_view MarkerText = "K519-0-2043617";

static bool ReadFile(const char* path, Bytes& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

static std::vector<std::size_t> FindAll(const Bytes& haystack, const Bytes& needle)
{
    std::vector<std::size_t> found;
    auto at = haystack.begin();
    while ((at = std::search(at, haystack.end(), needle.begin(), needle.end())) != haystack.end()) {
        found.push_back(static_cast<std::size_t>(at - haystack.begin()));
        ++at;
    }
    return found;
}

static Bytes Marker()
{
    Bytes marker(MarkerText.begin(), MarkerText.end());
    marker.push_back(0);
    return marker;
}

static Bytes Utf16(std::string_view text)
{
    Bytes bytes;
    for (char c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(0);
    }
    return bytes;
}

static int CheckMarker(const char* path)
{
    Bytes file;
    if (!ReadFile(path, file)) {
        std::printf("cannot read %s\n", path);
        return 1;
    }
    std::vector<std::size_t> found = FindAll(file, Marker());
    std::printf("%s: marker found %zu time(s)\n", path, found.size());
    if (found.size() != 1)
        return 1;
    if (found[0] > 0 && MarkerText.find(static_cast<char>(file[found[0] - 1])) != std::string_view::npos) {
        std::printf("the byte in front of the marker is one of its characters\n");
        return 1;
    }
    return 0;
}

static bool Expect(bool condition, const char* what)
{
    std::printf("%s: %s\n", what, condition ? "yes" : "NO");
    return condition;
}

static int CheckResources(const char* exePath, const char* iconPath)
{
    Bytes exe;
    Bytes icon;
    if (!ReadFile(exePath, exe) || !ReadFile(iconPath, icon) || icon.size() <= 22) {
        std::printf("cannot read %s or %s\n", exePath, iconPath);
        return 1;
    }
    // VS_FIXEDFILEINFO: signature, structure version, then file and product versions.
    Bytes fixed = { 0xBD, 0x04, 0xEF, 0xFE, 0x00, 0x00, 0x01, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x04, 0x00, // file version 1.0.4.8
        0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x04, 0x00 }; // product version 1.0.4.8
    Bytes translation = Utf16("Translation");
    // The key's zero, one padding character, then language 0409 and code page 1252.
    translation.insert(translation.end(), { 0, 0, 0, 0, 0x09, 0x04, 0xE4, 0x04 });
    Bytes iconImage(icon.begin() + 22, icon.end());
    bool ok = true;
    ok &= Expect(FindAll(exe, fixed).size() == 1, "fixed version 1.0.4.8");
    ok &= Expect(!FindAll(exe, Utf16("FileDescription")).empty(), "FileDescription entry");
    ok &= Expect(!FindAll(exe, Utf16("InternalName")).empty(), "InternalName entry");
    ok &= Expect(FindAll(exe, Utf16("KRV Windows Flash utility")).size() == 2, "title text twice");
    ok &= Expect(FindAll(exe, Utf16("1.0.4.8")).size() == 2, "version text twice");
    ok &= Expect(!FindAll(exe, Utf16("040904E4")).empty(), "string table U.S. English, 1252");
    ok &= Expect(!FindAll(exe, translation).empty(), "translation 0409, 1252");
    ok &= Expect(FindAll(exe, iconImage).size() == 1, "main icon image");
    return ok ? 0 : 1;
}

int main(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "check-marker" && argc == 3)
        return CheckMarker(argv[2]);
    if (command == "check-resources" && argc == 4)
        return CheckResources(argv[2], argv[3]);
    std::fprintf(stderr, "usage: package_tool check-marker FILE | check-resources EXE ICO\n");
    return 2;
}
