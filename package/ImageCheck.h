#pragma once

// The classification of the carried image: a two-byte signature looked for at four
// fixed positions of the firmware area, and behind three of them a model text.

#include "package/Package.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr std::array<std::uint8_t, 2> ImageSignature = { 0x05, 0x80 };

enum class ImageCheckOutcome {
    ModelTagged, // a signature with one of its known model texts behind it
    UnknownModelText, // a signature decided, but its text is none of the known ones
    CriticalEntry, // the signature at 0x1100 only
    NoSignature,
};

struct ImageSignatureTest {
    std::size_t SignatureOffset;
    std::optional<std::size_t> TextOffset; // none: no text is compared
    std::array<std::string_view, 2> KnownTexts; // compared over each text's own length
    ImageCheckOutcome OnMatch;
    bool ProfileLengthWithoutHeader; // raised with a matching text
};

// The tests in the order they are made; the first whose signature is present decides.
inline constexpr std::array<ImageSignatureTest, 4> ImageSignatureTests = { {
    { 0x4000, 0x4010, { "DVD-ROM QKA-270", "DVD-ROM QKB-394" }, ImageCheckOutcome::ModelTagged, true },
    { 0x4008, 0x4018, { "DVD-ROM QKA-270", "DVD-ROM QKB-394" }, ImageCheckOutcome::ModelTagged, true },
    { 0x14000, 0x14010, { "COMBO", "DVD-ROM QKB-5127" }, ImageCheckOutcome::ModelTagged, false },
    { 0x1100, std::nullopt, {}, ImageCheckOutcome::CriticalEntry, false },
} };

struct ImageCheckResult {
    std::uint32_t BinSize = 0;
    ImageCheckOutcome Outcome = ImageCheckOutcome::NoSignature;
    bool ProfileLengthWithoutHeader = false;
};

ImageCheckResult ClassifyImage(const PackageView& package);
