#pragma once
// Small pictures held as image blocks: one allocation with a 22-byte header (number of colours,
// width, height, a 16-byte name) followed by the pixels laid out as a device-independent bitmap
// (rows from the bottom one up, each padded to 4 bytes; 16 colours at 4 bits a pixel, the left
// pixel in the high half of its byte, or 256 colours after a 1,024-byte palette). The program's
// own bitmaps are 16-colour blocks, owned by whoever holds the pointer.
//
// Text form: "bitmap(width,height,name" then one ",v" per pixel, row by row from the first
// stored row, rows separated by a carriage return and a tab, and ")" with a carriage return.

#include <cstdint>
#include <cstdio>

class CUserPanel;

constexpr int32_t BITMAP_HEADER = 22;
constexpr int32_t BITMAP_NAME_SIZE = 16;  // the name field, its terminator included

// Header fields of a block.
short bitmap_colors(const char* block);
short bitmap_width(const char* block);
short bitmap_height(const char* block);
const char* bitmap_name(const char* block);
// Bytes of one stored row of a 16-colour bitmap of that width.
int32_t bitmap_row_bytes(short width);
// The whole size of a 16-colour block.
int32_t bitmap_size(const char* block);
// Pixel (column, stored row) of a 16-colour bitmap; row 0 is the bottom row.
short get_bitmap_pixel(const char* block, short column, short row);
void set_bitmap_pixel(char* block, short column, short row, short value);

// A new white 16-colour bitmap named "bitmap", at least 8 x 8; null when memory runs out.
char* create_bitmap(short width, short height);
char* dupliquer_bitmap(char* block);
void delete_bitmap(char* block);
// Reverses the order of the rows in place (for pictures whose rows run from the top).
void convertir_lignes_bitmap(char* block);

short write_texte_bitmap(char* block, FILE* f);
// Reads one bitmap in text form; null when the header or any value cannot be read, a size is
// below 1, or the file cannot hold as many values as the header announces.
char* read_texte_bitmap(FILE* f);

// Draws the block at actual size with its top-left corner at (x, y); nothing for null or a
// block of another number of colours.
void draw_image_ptr(CUserPanel* panel, const char* block, short x, short y);
// Draws picture `number` (resource type 3) of `file` in `section` the same way; nothing for
// number 0 or a missing picture.
void draw_image_res(CUserPanel* panel, const char* section, const char* file, short number, short x, short y);
