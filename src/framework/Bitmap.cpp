#include "framework/Bitmap.h"

#include "framework/CResFile.h"
#include "framework/CUserPanel.h"
#include "framework/RawImage.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

short word(const char* block, int at)
{
    short v;
    std::memcpy(&v, block + at, 2);
    return v;
}

void set_word(char* block, int at, short v) { std::memcpy(block + at, &v, 2); }

// Bytes left in the file from the current position; -1 when it cannot be told.
long bytes_left(FILE* f)
{
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return end < 0 ? -1 : end - here;
}

}  // namespace

short bitmap_colors(const char* block) { return word(block, 0); }
short bitmap_width(const char* block) { return word(block, 2); }
short bitmap_height(const char* block) { return word(block, 4); }
const char* bitmap_name(const char* block) { return block + 6; }

int32_t bitmap_row_bytes(short width) { return (width + 7) / 8 * 4; }

int32_t bitmap_size(const char* block)
{
    return BITMAP_HEADER + bitmap_height(block) * bitmap_row_bytes(bitmap_width(block));
}

short get_bitmap_pixel(const char* block, short column, short row)
{
    unsigned char pair = static_cast<unsigned char>(
        block[BITMAP_HEADER + row * bitmap_row_bytes(bitmap_width(block)) + column / 2]);
    return static_cast<short>(column % 2 ? pair & 0x0F : pair >> 4);
}

void set_bitmap_pixel(char* block, short column, short row, short value)
{
    char* at = block + BITMAP_HEADER + row * bitmap_row_bytes(bitmap_width(block)) + column / 2;
    unsigned char pair = static_cast<unsigned char>(*at);
    if (column % 2) pair = static_cast<unsigned char>((pair & 0xF0) | (value & 0x0F));
    else pair = static_cast<unsigned char>((pair & 0x0F) | ((value & 0x0F) << 4));
    *at = static_cast<char>(pair);
}

char* create_bitmap(short width, short height)
{
    if (width < 8) width = 8;
    if (height < 8) height = 8;
    const size_t size = BITMAP_HEADER + static_cast<size_t>(height) * bitmap_row_bytes(width);
    char* block = static_cast<char*>(std::malloc(size));
    if (!block) return nullptr;
    std::memset(block, 0, BITMAP_HEADER);
    set_word(block, 0, 16);
    set_word(block, 2, width);
    set_word(block, 4, height);
    std::strcpy(block + 6, "bitmap");
    std::memset(block + BITMAP_HEADER, 0xFF, size - BITMAP_HEADER);
    return block;
}

char* dupliquer_bitmap(char* block)
{
    if (!block) return nullptr;
    const size_t size = static_cast<size_t>(bitmap_size(block));
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy) std::memcpy(copy, block, size);
    return copy;
}

void delete_bitmap(char* block) { std::free(block); }

void convertir_lignes_bitmap(char* block)
{
    const short h = bitmap_height(block);
    const int32_t row = bitmap_row_bytes(bitmap_width(block));
    std::string keep(static_cast<size_t>(row), '\0');
    for (short i = 0; i < h / 2; i++) {
        char* a = block + BITMAP_HEADER + i * row;
        char* b = block + BITMAP_HEADER + (h - 1 - i) * row;
        std::memcpy(&keep[0], a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, keep.data(), row);
    }
}

short write_texte_bitmap(char* block, FILE* f)
{
    const short w = bitmap_width(block), h = bitmap_height(block);
    char name[BITMAP_NAME_SIZE];
    std::memcpy(name, bitmap_name(block), BITMAP_NAME_SIZE - 1);
    name[BITMAP_NAME_SIZE - 1] = 0;
    std::fprintf(f, "bitmap(%hd,%hd,%s", w, h, name);
    for (short r = 0; r < h; r++) {
        if (r) std::fputs("\r\t", f);
        for (short c = 0; c < w; c++) std::fprintf(f, ",%hd", get_bitmap_pixel(block, c, r));
    }
    std::fputs(")\r", f);
    return 0;
}

char* read_texte_bitmap(FILE* f)
{
    short w = 0, h = 0;
    if (std::fscanf(f, "bitmap(%hd,%hd,", &w, &h) != 2 || w < 1 || h < 1) return nullptr;
    // Every value takes two characters at least (",v"): a header announcing more values than
    // the file can hold is refused before anything is made for it.
    long left = bytes_left(f);
    if (left >= 0 && static_cast<long>(w) * h * 2 > left) return nullptr;
    char name[BITMAP_NAME_SIZE] = {};
    int length = 0;
    for (;;) {
        int c = std::fgetc(f);
        if (c == EOF || c == 0) return nullptr;
        if (c == ',') {
            std::ungetc(c, f);
            break;
        }
        if (length < BITMAP_NAME_SIZE - 1) name[length++] = static_cast<char>(c);
    }
    char* block = create_bitmap(w, h);
    if (!block) return nullptr;
    set_word(block, 0, 16);
    set_word(block, 2, w);
    set_word(block, 4, h);
    std::memcpy(block + 6, name, BITMAP_NAME_SIZE);
    for (short r = 0; r < h; r++) {
        if (r && std::fscanf(f, " ") < 0) break;
        for (short c = 0; c < w; c++) {
            short v;
            if (std::fscanf(f, ",%hd", &v) != 1) {
                delete_bitmap(block);
                return nullptr;
            }
            set_bitmap_pixel(block, c, r, v);
        }
    }
    if (std::fgetc(f) != ')') {
        delete_bitmap(block);
        return nullptr;
    }
    std::fscanf(f, "\r");
    return block;
}

void draw_image_ptr(CUserPanel* panel, const char* block, short x, short y)
{
    if (!panel || !block) return;
    const short colours = bitmap_colors(block);
    if (colours != 16 && colours != 256) return;
    short ox, oy;
    panel->get_origin(&ox, &oy);
    const short left = static_cast<short>(x + ox), top = static_cast<short>(y + oy);
    draw_raw_image(panel->get_dc(), left, static_cast<short>(left + bitmap_width(block)), top,
                   static_cast<short>(top + bitmap_height(block)), block + BITMAP_HEADER, colours);
}

void draw_image_res(CUserPanel* panel, const char* section, const char* file, short number, short x, short y)
{
    if (!number) return;
    char* block = static_cast<char*>(read_res(section, file, 3, number));
    if (!block) return;
    const int32_t size = size_res(section, file, 3, number);
    const short colours = size >= BITMAP_HEADER ? bitmap_colors(block) : 0;
    const int32_t w = colours ? bitmap_width(block) : 0, h = colours ? bitmap_height(block) : 0;
    // A picture too short for the pixels its header announces is not drawn.
    if (w > 0 && h > 0 && (colours == 16 || colours == 256) &&
        BITMAP_HEADER + raw_image_size(w, h, colours) <= size)
        draw_image_ptr(panel, block, x, y);
    std::free(block);
}
