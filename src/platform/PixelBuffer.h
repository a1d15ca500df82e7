#pragma once
// A window's backing store as the drawing code sees it: 32-bit pixels, 0xAARRGGBB in native
// byte order (the layout of Cairo's ARGB32 and RGB24 formats), rows `stride` bytes apart.
// The window owns the memory; the view stays valid until the window is resized or destroyed.

#include <cstdint>

namespace platform {

struct PixelBuffer {
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;  // bytes from one row to the next
    uint32_t* pixels = nullptr;

    uint32_t* row(int32_t y) const
    {
        return reinterpret_cast<uint32_t*>(reinterpret_cast<unsigned char*>(pixels) + y * stride);
    }
};

// Colours are given as 0xRRGGBB; the backing store keeps them opaque.
inline uint32_t opaque(uint32_t rgb) { return 0xFF000000u | (rgb & 0xFFFFFFu); }

}  // namespace platform
