#include "framework/ColorChooser.h"

#include "framework/ModalWindow.h"
#include "framework/Startup.h"

#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <memory>

namespace {

ColorChooserResponder g_responder;

constexpr int32_t kCell = 24;       // a colour square and its gap
constexpr int32_t kColumns = 8;
constexpr int32_t kBasicRows = 6;
constexpr int32_t kMargin = 10;
constexpr int32_t kCustomTop = kMargin + kBasicRows * kCell + 24;
constexpr int32_t kPreviewTop = kCustomTop + 2 * kCell + 12;
constexpr int32_t kClientWidth = 2 * kMargin + kColumns * kCell;
constexpr int32_t kClientHeight = kPreviewTop + 40;
const char kChooserClass[] = "#ColorChooser";

constexpr int32_t rgb(int32_t r, int32_t g, int32_t b) { return r | (g << 8) | (b << 16); }

// The basic colours: six rows of eight, from light to dark.
int32_t basic_colour(int32_t i)
{
    static const int32_t levels[] = {255, 192, 128, 64};
    // Red, green and blue shares of each column, in halves.
    static const int32_t hues[kColumns][3] = {{2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0, 2, 2},
                                              {0, 0, 2}, {2, 0, 2}, {2, 1, 0}, {1, 0, 2}};
    const int32_t row = i / kColumns, column = i % kColumns;
    const int32_t* h = hues[column];
    if (row == 0) return rgb(255 - 36 * column, 255 - 36 * column, 255 - 36 * column);  // greys
    if (row == 1) return rgb(160 + 95 * h[0] / 2, 160 + 95 * h[1] / 2, 160 + 95 * h[2] / 2);  // pale
    const int32_t level = levels[row - 2];
    return rgb(h[0] * level / 2, h[1] * level / 2, h[2] * level / 2);
}

struct Chooser : ChooserWindow {
    int32_t* custom_colours = nullptr;
    int32_t picked = 0;

    // The colour square under a client point: 0 to 47 basic, 48 to 63 custom, -1 none.
    static int32_t square_at(int32_t x, int32_t y)
    {
        const int32_t column = (x - kMargin) / kCell;
        if (x < kMargin || column >= kColumns) return -1;
        if (y >= kMargin && y < kMargin + kBasicRows * kCell) return (y - kMargin) / kCell * kColumns + column;
        if (y >= kCustomTop && y < kCustomTop + 2 * kCell) return 48 + (y - kCustomTop) / kCell * kColumns + column;
        return -1;
    }

    int32_t colour_of(int32_t square) const
    {
        return square < 48 ? basic_colour(square) : custom_colours[square - 48];
    }

    // A click on a square picks its colour; with Shift, on a custom square, it keeps the picked
    // colour there instead.
    bool click(int32_t x, int32_t y, int32_t modifiers) override
    {
        const int32_t square = square_at(x, y);
        if (square < 0) return false;
        if (square >= 48 && (modifiers & platform::ModShift)) custom_colours[square - 48] = picked;
        else picked = colour_of(square);
        return true;
    }

    void draw(platform::Surface& surface, int32_t width, int32_t height) const override
    {
        platform::Surface* s = &surface;
        s->fill({0, 0, width, height}, 0xF0F0F0);
        for (int32_t i = 0; i < 64; ++i) {
            const int32_t top = i < 48 ? kMargin + i / kColumns * kCell : kCustomTop + (i - 48) / kColumns * kCell;
            const int32_t left = kMargin + i % kColumns * kCell;
            const bool current = colour_of(i) == picked;
            s->fill({left, top, left + kCell - 4, top + kCell - 4}, current ? 0 : 0x808080);
            s->fill({left + 1, top + 1, left + kCell - 5, top + kCell - 5}, colour_of(i));
        }
        s->set_text_color(0x404040);
        s->draw_text(kMargin, kCustomTop - 8, "Couleurs personnalis\xE9""es");
        s->fill({kMargin, kPreviewTop, kClientWidth - kMargin, kPreviewTop + 28}, 0);
        s->fill({kMargin + 1, kPreviewTop + 1, kClientWidth - kMargin - 1, kPreviewTop + 27}, picked);
    }
};

}  // namespace

void set_color_chooser_responder(ColorChooserResponder responder) { g_responder = std::move(responder); }

short edit_color(int32_t* color)
{
    if (!color) return 0;
    int32_t chosen = *color;
    bool confirmed = false;
    if (g_responder) {
        confirmed = g_responder(&chosen, custom);
    } else {
        platform::WindowManager* wm = platform::WindowManager::current();
        confirmed = wm && !wm->backend().virtual_clock() && run_color_chooser(&chosen, custom);
    }
    if (!confirmed) return 0;
    *color = chosen;
    return 1;
}

bool run_color_chooser(int32_t* colour, int32_t* custom_colours)
{
    Chooser chooser;
    chooser.custom_colours = custom_colours;
    chooser.picked = *colour;
    if (!chooser.run(kChooserClass, "Couleur", kClientWidth, kClientHeight)) return false;
    *colour = chooser.picked;
    return true;
}
