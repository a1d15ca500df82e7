#pragma once
// Pictures on a drawing surface (CBitmap) and the colour swatch that opens the colour chooser
// when clicked (CColorChoice).

#include "framework/CUserPanel.h"

#include <cstdint>
#include <memory>
#include <vector>

class CBitmap : public CUserPanel {
public:
    // From the bitmap file `name` of the folder "MISC\\BITMAPS" of the program directory.
    CBitmap(CPanel* parent, short id, const char* name);
    // From picture `number` of the resource file `file` of `dir`.
    CBitmap(CPanel* parent, short id, short number, const char* file, const char* dir);
    // From the program's own picture `number` (those of "Brindlecot.res" in "MISC").
    CBitmap(CPanel* parent, short id, short number);
    // An off-screen drawing surface of w x h pixels, without window.
    CBitmap(short w, short h);
    ~CBitmap() override;

    void set_bitmap(const char* name);
    void set_bitmap(short number, const char* file, const char* dir);
    // Copies the picture at its own size onto `target` at (x, y), or onto this panel at (0, 0)
    // when target is null; x or y -32000 stand for this panel's position in its parent.
    void draw(CUserPanel* target, short x, short y, short invert);
    void free_picture();

    // The picture as program colours, rows from the top (the system bitmap of the original).
    std::unique_ptr<platform::Surface> hbm;
    unsigned char* ptr = nullptr;  // a picture block read from a resource file
    int32_t ptr_size = 0;          // its length in bytes
    short mosaic = 0;
    short stretch = 0;
    short bmp_id = 0;
};

class CColorChoice : public CUserPanel {
public:
    CColorChoice(CPanel* parent, short id);
    void draw();
    void execute();  // the colour chooser on `value`, then a redraw

    int32_t value = 0;
};

short bitmap_proc(CPanel* panel, Event* e);
short color_choice_proc(CPanel* panel, Event* e);

// A picture block (type 3 resource): its width and height, and its pixels as program colours
// (rows from the top); false when the block is not a picture.
bool picture_pixels(const unsigned char* block, int32_t size, int32_t* width, int32_t* height,
                    std::vector<int32_t>* rgb);
