#include "package/ImageCheck.h"

static bool HasSignature(const PackageView& package, std::size_t offset)
{
    return package.AreaByte(offset) == ImageSignature[0] && package.AreaByte(offset + 1) == ImageSignature[1];
}

static std::uint8_t Upper(std::uint8_t byte)
{
    return (byte >= 'a' && byte <= 'z') ? static_cast<std::uint8_t>(byte - 0x20) : byte;
}

// Exactly the text's length is compared, letter case ignored; zero bytes count.
static bool HasText(const PackageView& package, std::size_t offset, std::string_view text)
{
    if (text.empty())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Upper(package.AreaByte(offset + i)) != Upper(static_cast<std::uint8_t>(text[i])))
            return false;
    }
    return true;
}

ImageCheckResult ClassifyImage(const PackageView& package)
{
    ImageCheckResult result;
    result.BinSize = package.BinSize();
    for (const ImageSignatureTest& test : ImageSignatureTests) {
        if (!HasSignature(package, test.SignatureOffset))
            continue;
        if (!test.TextOffset) {
            result.Outcome = test.OnMatch;
            return result;
        }
        for (std::string_view text : test.KnownTexts) {
            if (HasText(package, *test.TextOffset, text)) {
                result.Outcome = test.OnMatch;
                result.ProfileLengthWithoutHeader = test.ProfileLengthWithoutHeader;
                return result;
            }
        }
        result.Outcome = ImageCheckOutcome::UnknownModelText;
        return result;
    }
    return result;
}
