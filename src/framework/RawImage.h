#pragma once
// Raw images of 16 or 256 colours, laid out as device-independent bitmaps: rows stored bottom
// row first, each padded to a multiple of 4 bytes. With 16 colours every pixel has 4 bits (the
// left pixel in the high half of its byte) and value i shows colour i of the library's table;
// with 256, a palette of 256 entries (blue, green, red, zero) comes first, then one byte per
// pixel.

#include "platform/Surface.h"

#include <cstdint>
#include <vector>

// Bytes of a raw image of that size: palette and padded rows.
int32_t raw_image_size(int32_t width, int32_t height, short colours);

// The image's colours (0x00BBGGRR), top row first; empty for a size that is not positive.
std::vector<int32_t> raw_image_pixels(const unsigned char* bits, int32_t width, int32_t height, short colours);

// Draws the image with its top-left corner at (x1, y1); it is x2 - x1 wide and y2 - y1 high.
void draw_raw_image(platform::Surface* surface, short x1, short x2, short y1, short y2, const char* bits,
                    short colours);

class CUserPanel;
// The same on the panel's drawing surface; the fifth number is not used.
void draw_image_rect(CUserPanel* p, short x1, short x2, short y1, short y2, short spare, const char* bits,
                     short colours);
