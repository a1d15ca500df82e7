#include "tools/TextBlockDialog.h"

#include <cstring>

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CFont.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/CUserPanel.h"
#include "framework/ColorChooser.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/Event.h"
#include "score/CTextBloc.h"
#include "tools/TextBlocks.h"

namespace tb = text_block;

namespace {

constexpr short kDialog = 13;
constexpr size_t kFontNameChars = 49;
constexpr const char* kSample = "abc ABC 123...";

namespace item {
enum : short {
    Ok = 1, Cancel = 2, Colour = 3, Font = 4, Centre = 5, Fixed = 6, Placement = 7, PlacementTop = 8,
    PlacementBottom = 9, KindPage = 11, KindMeasure = 12, KindFromPage = 13, Measure = 15, Staff = 17,
    Page = 18, FirstPage = 19, Align = 21, Text = 22, Preview = 23, Copy = 24, Paste = 25, Spacing = 27,
};
}

// The preview's data: the working colour and font.
struct Preview {
    int32_t colour = 0;
    CFont font;
};

// The controls of the dialog, looked up once.
struct Controls {
    CDialog* d;
    explicit Controls(CDialog* dialog) : d(dialog) {}
    void enable(short id, bool on) {
        if (CPanel* p = d->find_child(id)) on ? p->enable() : p->disable();
    }
    short check(short id) { return d->check(id) ? d->check(id)->get_value() : 0; }
    void set_check(short id, short v) {
        if (d->check(id)) d->check(id)->set_value(v);
    }
    short radio(short first) { return d->radio(first) ? d->radio(first)->get_group_value() : 1; }
    void set_radio(short first, short n) {
        if (d->radio(first)) d->radio(first)->set_group_value(n);
    }
    short number(short id) { return d->te(id) ? (short)d->te(id)->get_integer() : 0; }
    void set_number(short id, short v) {
        if (d->te(id)) d->te(id)->set_integer(v);
    }
    void show_kind(short kind) {
        const tb::KindControls k = tb::controls_for_kind(kind);
        for (short id : {item::Placement, item::PlacementTop, item::PlacementBottom, item::Centre})
            enable(id, k.placement);
        enable(item::Measure, k.measure_fields);
        enable(item::Staff, k.measure_fields);
        enable(item::Page, k.page_field);
        enable(item::FirstPage, k.first_page_field);
    }
};

// The settings shown, as OK writes them into a block.
void fill_block(Controls& c, const Preview& p, CTextBloc* t, bool raise_spacing) {
    short flags = 0;
    if (c.check(item::Centre)) flags |= tb::CentreAcross;
    if (c.check(item::Fixed)) flags |= tb::Fixed;
    const short placement = c.radio(item::Placement);
    if (placement == 2) flags |= tb::TopMargin;
    else if (placement == 3) flags |= tb::BottomMargin;
    t->flags = flags;
    if (CPopup* a = c.d->popup(item::Align)) t->align = a->get_cur();
    CString text;
    if (CTextedit* te = c.d->te(item::Text)) te->get_text(&text);
    t->text.set(text.get());
    t->type = c.radio(item::KindPage);
    t->meas = c.number(item::Measure);
    t->staff = c.number(item::Staff);
    t->page = t->type == tb::FromPage ? c.number(item::FirstPage) : c.number(item::Page);
    t->font.set(&p.font);
    t->color = p.colour;
    const short spacing = c.number(item::Spacing);
    t->interligne = raise_spacing ? tb::stored_line_spacing(spacing) : spacing;
}

void paste_block(Controls& c, Preview& p, const CTextBloc* copy) {
    if (copy->flags & tb::CentreAcross) c.set_check(item::Centre, 1);
    if (copy->flags & tb::Fixed) c.set_check(item::Fixed, 1);
    if (copy->flags & tb::TopMargin) c.set_radio(item::Placement, 2);
    else if (copy->flags & tb::BottomMargin) c.set_radio(item::Placement, 3);
    if (CPopup* a = c.d->popup(item::Align)) a->set_cur(copy->align);
    if (CTextedit* te = c.d->te(item::Text)) te->set_text(copy->text.get());
    c.set_number(item::Spacing, copy->interligne);
    p.font.set(&copy->font);
    p.colour = copy->color;
}

}  // namespace

TextBlockMemory& text_block_memory() {
    static TextBlockMemory memory;
    return memory;
}

void apply_remembered_font(CTextBloc* t) {
    const TextBlockMemory& m = text_block_memory();
    if (!m.font_size) return;
    t->font.set_name(m.font_name.c_str());
    t->font.set_size(m.font_size);
    t->font.set_style(m.font_style);
    t->font.set_color(m.font_color);
    t->color = m.font_color;
}

short up_color_font_text(CPanel* panel, Event* e) {
    if (e->type != EvPaint || !panel->data) return default_event_handler(panel, e);
    CUserPanel* up = static_cast<CUserPanel*>(panel);
    const Preview* p = static_cast<const Preview*>(panel->data);
    up->set_color(0);
    up->draw_rect(0, 0, (short)(up->get_width() - 1), (short)(up->get_height() - 1), 0);
    up->go_to(4, (short)(up->get_height() - 10));
    up->set_font(&p->font, 1.0f);
    up->set_color(p->colour);
    up->draw_string(kSample, 0);
    return 1;
}

CTextBloc* edit_bloc_texte(CTextBloc* t, short creating) {
    if (!t) return nullptr;
    TextBlockMemory& memory = text_block_memory();
    Preview preview;
    preview.font.set(&t->font);
    preview.colour = t->color;
    CDialog* d = new CDialog("MISC", "MUSIC.RES", kDialog, default_dialog_handler, 0);
    Controls c(d);
    if (!d->te(item::Text) || !d->radio(item::KindPage)) {
        delete d;
        return nullptr;
    }
    c.set_check(item::Centre, (t->flags & tb::CentreAcross) ? 1 : 0);
    c.set_check(item::Fixed, (t->flags & tb::Fixed) ? 1 : 0);
    if (t->flags & tb::TopMargin) c.set_radio(item::Placement, 2);
    else if (t->flags & tb::BottomMargin) c.set_radio(item::Placement, 3);
    if (CPopup* a = d->popup(item::Align)) a->set_cur(t->align);
    d->te(item::Text)->set_text(t->text.get());
    c.set_radio(item::KindPage, t->type >= 1 && t->type <= 3 ? t->type : (short)tb::PageOnly);
    c.set_number(item::Spacing, t->interligne);
    c.set_number(item::Measure, t->meas);
    c.set_number(item::Staff, t->staff);
    c.set_number(item::Page, t->page);
    c.set_number(item::FirstPage, t->type == tb::FromPage ? t->page : 1);
    c.show_kind(t->type);
    const tb::KindChoices choices = tb::kind_choices(t->type, creating != 0);
    c.enable(item::KindPage, choices.page_only);
    c.enable(item::KindMeasure, choices.in_measure);
    c.enable(item::KindFromPage, choices.from_page);
    CUserPanel* sample = d->up(item::Preview);
    if (sample) {
        sample->data = &preview;
        sample->event_handler = up_color_font_text;
    }
    c.enable(item::Paste, memory.copy != nullptr);

    short result = 0;
    Event ev;
    while (!result && d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        switch (ev.item) {
        case item::Ok: result = 1000; break;
        case item::Cancel: result = 1001; break;
        case item::Colour:
            edit_color(&preview.colour);
            memory.font_color = preview.colour;
            if (sample) sample->dirty();
            break;
        case item::Font:
            preview.font.set_color(0);
            if (edit_font(&preview.font)) {
                memory.font_name = std::string(preview.font.get_name()).substr(0, kFontNameChars);
                memory.font_size = preview.font.get_size();
                memory.font_style = preview.font.get_style();
            }
            if (sample) sample->dirty();
            break;
        case item::KindPage:
        case item::KindMeasure:
        case item::KindFromPage:
            c.show_kind((short)(ev.item - item::KindPage + 1));
            if (ev.item == item::KindMeasure) c.set_radio(item::Placement, 1);
            break;
        case item::Copy: {
            auto copy = std::make_unique<CTextBloc>();
            fill_block(c, preview, copy.get(), false);
            memory.copy = std::move(copy);
            c.enable(item::Paste, true);
            break;
        }
        case item::Paste:
            if (memory.copy) paste_block(c, preview, memory.copy.get());
            if (sample) sample->dirty();
            break;
        default: break;
        }
    }
    CTextBloc* answer = nullptr;
    if (result == 1000) {
        const short sort_before = t->type;
        fill_block(c, preview, t, true);
        // The block stays in its list: a page block is never made a measure block, nor the
        // reverse, when it is edited.
        if (!creating && tb::is_page_kind(sort_before) != tb::is_page_kind(t->type)) t->type = sort_before;
        answer = t;
    }
    if (sample) sample->data = nullptr;
    delete d;
    return answer;
}
