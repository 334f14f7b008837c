#include "package/Package.h"

namespace {

struct FirmwarePackageObject {
    unsigned char Marker[PackageMarkerSize];
    unsigned char Header[PackageHeaderSize];
    unsigned char Area[FirmwareAreaSize];
};
static_assert(sizeof(FirmwarePackageObject) == FirmwarePackageSize);

// The one copy of the package, in initialised data so that the executable file holds
// it byte for byte: a built flasher is this program's file with the header and the
// start of the area rewritten. The marker's 14 characters and its zero byte appear
// nowhere else in the program. The alignment keeps the byte in front of the marker a
// padding byte rather than the tail of some other text.
alignas(64) FirmwarePackageObject FirmwarePackage = {
    { "K519-0-2043617" },
    {},
    { 'Z', 'U', 'N', 'O' },
};

} // namespace

PackageView EmbeddedPackage()
{
    return PackageView(reinterpret_cast<const volatile std::uint8_t*>(&FirmwarePackage));
}
