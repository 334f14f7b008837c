// Test helper over built executables:
//   package_tool check-marker FILE      the package marker occurs exactly once, and the
//                                       byte in front of it is none of its characters
//   package_tool check-resources EXE ICO the version resource and the main icon are in
//                                       the Windows executable
//   package_tool make-image KIND SIZE OUT
//                                       a firmware image of SIZE bytes: KIND is plain,
//                                       critical (signature at 0x1100) or tagged
//                                       (signature at 0x4000, "DVD-ROM QKA-270" behind it)
//   package_tool make-flasher TEMPLATE OUT [FIELD=VALUE...] [IMAGE=FILE] [SIZE=N]
//                                       a flasher written into a copy of the template at
//                                       its marker, independently of the program's own
//                                       builder; FIELD is Model, Inquiry, FWRange, Vendor,
//                                       Note or BinName; SIZE overrides the BIN size field

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

static bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

static int MakeImage(const std::string& kind, const std::string& sizeText, const std::string& out)
{
    std::size_t size = std::stoul(sizeText);
    Bytes image(size);
    // A pattern that differs from chunk to chunk and from byte to byte.
    std::uint32_t state = 0x12345678;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        image[i] = static_cast<std::uint8_t>(state >> 16);
    }
    auto put = [&image](std::size_t at, std::string_view bytes) {
        for (std::size_t i = 0; i < bytes.size() && at + i < image.size(); ++i)
            image[at + i] = static_cast<std::uint8_t>(bytes[i]);
    };
    // No signature where a plain image must not have one.
    for (std::size_t at : { 0x1100u, 0x4000u, 0x4008u, 0x14000u })
        put(at, std::string_view("\x00\x00", 2));
    if (kind == "critical")
        put(0x1100, "\x05\x80");
    else if (kind == "tagged") {
        put(0x4000, "\x05\x80");
        put(0x4010, "DVD-ROM QKA-270");
    } else if (kind != "plain") {
        std::fprintf(stderr, "unknown image kind %s\n", kind.c_str());
        return 2;
    }
    return WriteFile(out, image) ? 0 : 1;
}

struct HeaderField {
    const char* Name;
    std::size_t Offset;
    std::size_t Size;
};

static const HeaderField HeaderFields[] = {
    { "Model", 0, 25 }, { "Inquiry", 25, 25 }, { "FWRange", 50, 25 }, { "Vendor", 75, 25 }, { "Note", 100, 25 }, { "BinName", 125, 5 },
};

static int MakeFlasher(int argc, char** argv)
{
    Bytes program;
    if (!ReadFile(argv[2], program)) {
        std::printf("cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<std::size_t> found = FindAll(program, Marker());
    if (found.size() != 1) {
        std::printf("%s: marker found %zu time(s)\n", argv[2], found.size());
        return 1;
    }
    std::size_t header = found[0] + Marker().size();
    std::size_t area = header + 137;
    Bytes image;
    bool sizeGiven = false;
    std::uint32_t size = 0;
    for (int i = 4; i < argc; ++i) {
        std::string argument = argv[i];
        std::size_t equals = argument.find('=');
        std::string key = argument.substr(0, equals);
        std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
        if (key == "IMAGE") {
            if (!ReadFile(value.c_str(), image)) {
                std::printf("cannot read %s\n", value.c_str());
                return 1;
            }
            continue;
        }
        if (key == "SIZE") {
            size = static_cast<std::uint32_t>(std::stoul(value));
            sizeGiven = true;
            continue;
        }
        const HeaderField* field = nullptr;
        for (const HeaderField& candidate : HeaderFields)
            field = key == candidate.Name ? &candidate : field;
        if (!field) {
            std::printf("unknown field %s\n", key.c_str());
            return 2;
        }
        // Raw bytes: a value of the field's full size keeps no zero byte.
        for (std::size_t b = 0; b < field->Size; ++b)
            program[header + field->Offset + b] = b < value.size() ? static_cast<std::uint8_t>(value[b]) : 0;
    }
    if (image.size() > 524288) {
        std::printf("image larger than the area\n");
        return 1;
    }
    std::copy(image.begin(), image.end(), program.begin() + static_cast<std::ptrdiff_t>(area));
    if (!sizeGiven)
        size = static_cast<std::uint32_t>(image.size());
    for (int b = 0; b < 4; ++b)
        program[header + 133 + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(size >> (8 * b));
    return WriteFile(argv[3], program) ? 0 : 1;
}

int main(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "check-marker" && argc == 3)
        return CheckMarker(argv[2]);
    if (command == "check-resources" && argc == 4)
        return CheckResources(argv[2], argv[3]);
    if (command == "make-image" && argc == 5)
        return MakeImage(argv[2], argv[3], argv[4]);
    if (command == "make-flasher" && argc >= 4)
        return MakeFlasher(argc, argv);
    std::fprintf(stderr, "usage: package_tool check-marker FILE | check-resources EXE ICO | make-image KIND SIZE OUT"
                         " | make-flasher TEMPLATE OUT [FIELD=VALUE...]\n");
    return 2;
}
