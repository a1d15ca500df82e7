#include "framework/FontChooser.h"

#include "framework/Colors.h"
#include "framework/ModalWindow.h"

#include "platform/Font.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

FontChooserResponder g_responder;

constexpr int32_t kMargin = 10;
constexpr int32_t kRow = 16;                // height of a line of the face and size lists
constexpr int32_t kRows = 14;               // lines shown in each list
constexpr int32_t kListTop = 28;
constexpr int32_t kListBottom = kListTop + kRows * kRow;
constexpr int32_t kFaceRight = 230;
constexpr int32_t kSizeLeft = 240, kSizeRight = 290;
constexpr int32_t kStyleLeft = 302;
constexpr int32_t kColourTop = 130;
constexpr int32_t kSquare = 16;
constexpr int32_t kPreviewTop = kListBottom + 10;
constexpr int32_t kClientWidth = kStyleLeft + 8 * kSquare + kMargin;
constexpr int32_t kClientHeight = kPreviewTop + 44;
constexpr int32_t kLargestSample = 32;  // the sample is drawn at most this high
const char kChooserClass[] = "#FontChooser";

const int32_t kSizes[kRows] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48, 72};
const char* const kStyleNames[4] = {"Gras", "Italique", "Soulign\xE9", "Barr\xE9"};

int32_t row_at(int32_t y) { return y >= kListTop && y < kListBottom ? (y - kListTop) / kRow : -1; }

struct Chooser : ChooserWindow {
    FontChoice choice;
    std::vector<std::string> faces;
    int32_t first_face = 0;  // the face shown on the first line

    int32_t face_index() const
    {
        const auto it = std::find(faces.begin(), faces.end(), choice.face);
        return it == faces.end() ? -1 : static_cast<int32_t>(it - faces.begin());
    }

    void pick_face(int32_t i)
    {
        if (faces.empty()) return;
        i = std::max(0, std::min(i, static_cast<int32_t>(faces.size()) - 1));
        choice.face = faces[static_cast<size_t>(i)];
        if (i < first_face) first_face = i;
        if (i >= first_face + kRows) first_face = i - kRows + 1;
    }

    bool style(int32_t n) const
    {
        switch (n) {
        case 0: return choice.weight > FontChoice::normal_weight;
        case 1: return choice.italic;
        case 2: return choice.underline;
        default: return choice.strike_out;
        }
    }

    void toggle_style(int32_t n)
    {
        switch (n) {
        case 0:
            choice.weight = style(0) ? FontChoice::normal_weight : FontChoice::bold_weight;
            break;
        case 1: choice.italic = !choice.italic; break;
        case 2: choice.underline = !choice.underline; break;
        default: choice.strike_out = !choice.strike_out; break;
        }
    }

    // A click at the client point; true when it lands on a face.
    bool click(int32_t x, int32_t y, int32_t) override
    {
        const int32_t row = row_at(y);
        if (x >= kMargin && x < kFaceRight && row >= 0 && first_face + row < static_cast<int32_t>(faces.size())) {
            pick_face(first_face + row);
            return true;
        }
        if (x >= kSizeLeft && x < kSizeRight && row >= 0) choice.height = -kSizes[row];
        if (x >= kStyleLeft && row >= 0 && row < 4) toggle_style(row);
        const int32_t column = (x - kStyleLeft) / kSquare, line = (y - kColourTop) / kSquare;
        if (x >= kStyleLeft && column < 8 && y >= kColourTop && line < 2)
            choice.color = translate_color(static_cast<short>(line * 8 + column));
        return false;
    }

    // Up and Down walk the faces.
    void key(int32_t key) override
    {
        if (key == platform::KeyUp) pick_face(face_index() - 1);
        if (key == platform::KeyDown) pick_face(face_index() + 1);
    }

    void draw_list_line(platform::Surface* s, int32_t left, int32_t right, int32_t row, const std::string& text,
                        bool current) const
    {
        const int32_t top = kListTop + row * kRow;
        if (current) s->fill({left, top, right, top + kRow}, 0xC07830);
        s->set_text_color(current ? 0xFFFFFF : 0);
        s->draw_text(left + 3, top + 12, text);
    }

    void draw(platform::Surface& surface, int32_t w, int32_t h) const override
    {
        platform::Surface* s = &surface;
        s->fill({0, 0, w, h}, 0xF0F0F0);
        s->set_text_color(0x404040);
        s->draw_text(kMargin, 20, "Police");
        s->draw_text(kSizeLeft, 20, "Taille");
        s->draw_text(kStyleLeft, 20, "Style");
        s->draw_text(kStyleLeft, kColourTop - 6, "Couleur");
        s->fill({kMargin, kListTop, kFaceRight, kListBottom}, 0xFFFFFF);
        s->fill({kSizeLeft, kListTop, kSizeRight, kListBottom}, 0xFFFFFF);
        for (int32_t row = 0; row < kRows && first_face + row < static_cast<int32_t>(faces.size()); ++row) {
            const std::string& face = faces[static_cast<size_t>(first_face + row)];
            draw_list_line(s, kMargin, kFaceRight, row, face, face == choice.face);
        }
        for (int32_t row = 0; row < kRows; ++row)
            draw_list_line(s, kSizeLeft, kSizeRight, row, std::to_string(kSizes[row]), -choice.height == kSizes[row]);
        for (int32_t n = 0; n < 4; ++n) {
            const int32_t top = kListTop + n * kRow;
            s->fill({kStyleLeft, top + 2, kStyleLeft + 12, top + 14}, 0x808080);
            s->fill({kStyleLeft + 1, top + 3, kStyleLeft + 11, top + 13}, style(n) ? 0x404040 : 0xFFFFFF);
            s->set_text_color(0);
            s->draw_text(kStyleLeft + 18, top + 12, kStyleNames[n]);
        }
        for (short n = 0; n < 16; ++n) {
            const int32_t left = kStyleLeft + n % 8 * kSquare, top = kColourTop + n / 8 * kSquare;
            const int32_t colour = translate_color(n);
            s->fill({left, top, left + kSquare - 2, top + kSquare - 2}, colour == choice.color ? 0 : 0x808080);
            s->fill({left + 1, top + 1, left + kSquare - 3, top + kSquare - 3}, colour);
        }
        draw_sample(s, w);
    }

    void draw_sample(platform::Surface* s, int32_t w) const
    {
        const platform::Box box{kMargin, kPreviewTop, w - kMargin, kPreviewTop + 40};
        s->fill(box, 0x808080);
        s->fill({box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, 0xFFFFFF);
        platform::FontSpec sample;
        sample.name = choice.face;
        sample.size = std::min(std::abs(choice.height), kLargestSample);
        sample.style = (style(0) ? platform::kFontBold : 0) | (choice.italic ? platform::kFontItalic : 0) |
                     (choice.underline ? platform::kFontUnderline : 0) |
                     (choice.strike_out ? platform::kFontStrikeOut : 0);
        s->set_font(platform::Font::create(sample));
        s->set_text_color(choice.color);
        s->draw_text_in(box, box.left + 8, box.bottom - 10, "AaBbYyZz \xC9\xE9\xE8", platform::TextAlign::left_baseline);
    }
};

}  // namespace

void set_font_chooser_responder(FontChooserResponder responder) { g_responder = std::move(responder); }

bool choose_font(FontChoice* choice)
{
    if (g_responder) return g_responder(choice);
    platform::WindowManager* wm = platform::WindowManager::current();
    return wm && !wm->backend().virtual_clock() && run_font_chooser(choice);
}

bool run_font_chooser(FontChoice* choice)
{
    Chooser chooser;
    chooser.choice = *choice;
    chooser.faces = platform::font_families();
    if (chooser.face_index() >= 0) chooser.pick_face(chooser.face_index());  // scrolled into sight
    if (!chooser.run(kChooserClass, "Police", kClientWidth, kClientHeight)) return false;
    *choice = chooser.choice;
    return true;
}
