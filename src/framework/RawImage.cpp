#include "framework/RawImage.h"

#include "framework/Colors.h"
#include "framework/CUserPanel.h"

namespace {

constexpr int32_t kPaletteBytes = 256 * 4;

int32_t row_bytes(int32_t width, short colours)
{
    const int32_t bits = width * (colours == 16 ? 4 : 8);
    return (bits + 31) / 32 * 4;
}

}  // namespace

int32_t raw_image_size(int32_t width, int32_t height, short colours)
{
    return (colours == 16 ? 0 : kPaletteBytes) + row_bytes(width, colours) * height;
}

std::vector<int32_t> raw_image_pixels(const unsigned char* bits, int32_t width, int32_t height, short colours)
{
    std::vector<int32_t> rgb;
    if (!bits || width <= 0 || height <= 0) return rgb;
    rgb.resize(static_cast<size_t>(width) * height);
    const bool sixteen = colours == 16;
    const unsigned char* pixels = sixteen ? bits : bits + kPaletteBytes;
    const int32_t stride = row_bytes(width, colours);
    for (int32_t y = 0; y < height; ++y) {
        const unsigned char* row = pixels + static_cast<size_t>(height - 1 - y) * stride;  // bottom row first
        for (int32_t x = 0; x < width; ++x) {
            int32_t colour;
            if (sixteen) {
                const unsigned char pair = row[x / 2];
                colour = translate_color(static_cast<short>(x % 2 ? pair & 0x0F : pair >> 4));
            } else {
                const unsigned char* entry = bits + 4 * row[x];
                colour = entry[2] | (entry[1] << 8) | (entry[0] << 16);
            }
            rgb[static_cast<size_t>(y) * width + x] = colour;
        }
    }
    return rgb;
}

void draw_raw_image(platform::Surface* surface, short x1, short x2, short y1, short y2, const char* bits,
                    short colours)
{
    const int32_t width = x2 - x1, height = y2 - y1;
    const std::vector<int32_t> rgb =
        raw_image_pixels(reinterpret_cast<const unsigned char*>(bits), width, height, colours);
    if (surface && !rgb.empty()) surface->draw_pixels(x1, y1, rgb.data(), width, height);
}

void draw_image_rect(CUserPanel* p, short x1, short x2, short y1, short y2, short, const char* bits, short colours)
{
    if (p) draw_raw_image(p->get_dc(), x1, x2, y1, y2, bits, colours);
}
