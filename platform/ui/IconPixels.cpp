#include "platform/ui/IconPixels.h"

#include <cstddef>

namespace ui {

namespace {

const std::uint8_t IconFile[] = {
#include "krvflash-ico.inc"
};

std::uint32_t Little(const std::uint8_t* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

} // namespace

std::vector<std::uint8_t> MainIconPixels()
{
    std::vector<std::uint8_t> pixels(IconSize * IconSize * 4, 0);
    // The icon directory's one entry names where its bitmap lies.
    std::size_t image = Little(IconFile + 6 + 12, 4);
    if (image + 40 + 64 + 512 + 128 > sizeof IconFile)
        return pixels;
    const std::uint8_t* palette = IconFile + image + 40;
    const std::uint8_t* colours = palette + 64;
    const std::uint8_t* mask = colours + IconSize * IconSize / 2;
    for (int row = 0; row < IconSize; ++row) {
        int source = IconSize - 1 - row; // bitmaps run from the bottom row up
        for (int x = 0; x < IconSize; ++x) {
            std::uint8_t pair = colours[source * IconSize / 2 + x / 2];
            int index = x % 2 ? pair & 0x0F : pair >> 4;
            bool clear = (mask[source * 4 + x / 8] >> (7 - x % 8)) & 1;
            std::uint8_t* pixel = &pixels[static_cast<std::size_t>((row * IconSize + x) * 4)];
            pixel[0] = palette[index * 4 + 2];
            pixel[1] = palette[index * 4 + 1];
            pixel[2] = palette[index * 4 + 0];
            pixel[3] = clear ? 0 : 255;
        }
    }
    return pixels;
}

} // namespace ui
