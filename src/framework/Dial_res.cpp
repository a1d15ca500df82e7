#include "framework/Dial_res.h"

#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CResFile.h"
#include "framework/CScroll.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/Startup.h"
#include "platform/WindowManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

Dial_res* gdr = nullptr;
Tab_str_16 tab_str_16[kBoundNumberFields + 1];

namespace {

constexpr short kNumberBuffer = 16;

// A dialog record read safely: words outside the record read as 0.
struct Record {
    const unsigned char* bytes;
    int32_t size;

    short word(int32_t at) const
    {
        if (at < 0 || at + 2 > size) return 0;
        return (short)(bytes[at] | (bytes[at + 1] << 8));
    }
    // A text of at most `room` bytes from `at`, stopping at its zero or the record's end.
    std::string text(int32_t at, int32_t room) const
    {
        std::string s;
        for (int32_t i = at; i >= 0 && i < size && i < at + room && bytes[i]; i++) s += (char)bytes[i];
        return s;
    }
};

// Where an item's pairs begin (bytes from the item's start) for its kind.
int32_t pairs_offset(const Record& r, int32_t item, short kind)
{
    auto area = [&](int32_t at) { return at + r.word(item + at) / 2 * 2; };
    switch (kind) {
    case 1: case 2: case 3: case 9: return area(18);
    case 4: case 5: case 6: case 7: case 13: case 14: return area(26);
    case 8: return area(24);
    case 12: return 20;
    default: return 16;
    }
}

// The value of the item's first pair with that code; false when there is none.
bool get_item_par(const Record& r, int32_t item, short code, short* out)
{
    const short kind = r.word(item + 2);
    const int32_t at = item + pairs_offset(r, item, kind);
    const short count = r.word(item + 14);
    for (short k = 0; k < count && at + 4 * k + 4 <= r.size; k++)
        if (r.word(at + 4 * k) == code) {
            *out = r.word(at + 4 * k + 2);
            return true;
        }
    return false;
}

// The byte offsets of the record's items, as far as they lie inside it.
std::vector<int32_t> item_offsets(const Record& r)
{
    std::vector<int32_t> items;
    int32_t at = 20 + r.word(20) + 4 * r.word(16);
    for (short k = 0; k < r.word(14); k++) {
        const short size = r.word(at);
        if (at < 20 || at + 18 > r.size || size < 16) break;
        items.push_back(at);
        at += size;
    }
    return items;
}

struct HelpTopic {
    short dialog, page, anchor;
};
constexpr HelpTopic kHelpTopics[] = {
    {44, 350, 1},  {47, 70, 1},   {56, 80, 3},   {57, 80, 4},   {58, 630, 1},  {60, 630, 2},
    {61, 630, 3},  {96, 300, 1},  {98, 430, 1},  {99, 430, 2},  {101, 430, 3}, {104, 440, 2},
    {105, 460, 1}, {106, 560, 1}, {109, 80, 2},  {118, 320, 2}, {119, 520, 1}, {123, 680, 2},
    {125, 690, 1}, {126, 690, 3}, {127, 690, 4}, {128, 640, 1}, {129, 700, 2}, {130, 630, 4},
    {131, 630, 5}, {132, 410, 3}, {133, 410, 2}, {134, 380, 2}, {138, 550, 1}, {141, 570, 1},
    {142, 580, 1}, {143, 600, 3}, {144, 580, 2}, {145, 590, 1}, {146, 590, 2}, {147, 610, 1},
    {148, 620, 1}, {155, 250, 2}, {156, 220, 3}, {160, 630, 6}, {162, 600, 2},
};

// Writes a bound numeric field back into its variable: empty text 0, a number its value,
// anything else leaves the variable alone.
void write_back(Tab_str_16& e)
{
    if (e.te) e.te->copy_to_buffer();
    if (!e.p || !e.pi) return;
    short v;
    if (!e.p[0]) *e.pi = 0;
    else if (std::sscanf(e.p, "%hd", &v) == 1) *e.pi = v;
}

void add_strings(CListBase* list, short count, short number)
{
    for (short i = 1; i <= count; i++) {
        CString s;
        if (!gr_string("MISC", "MUSIC.RES", number, i, &s)) return;
        list->add(s.get());
    }
}

// The dialog's slot and its record, found from one of its controls.
short slot_of_control(CPanel* control)
{
    if (!gdr || !control) return 0;
    for (short s = 1; s <= Dial_res::kSlots; s++)
        if (gdr->res[s] && gdr->dial[s] == control->parent) return s;
    return 0;
}

int32_t item_of(const Record& r, short id)
{
    for (int32_t at : item_offsets(r))
        if (r.word(at + 12) == id) return at;
    return -1;
}

// Doomed dialogs: closed from inside one of their own actions, deleted when the step ends.
std::vector<CDialog*>& doomed()
{
    static std::vector<CDialog*> list;
    return list;
}

}  // namespace

void Dial_res::create()
{
    for (short s = 1; s <= kSlots; s++) {
        res[s] = nullptr;
        ppp[s] = nullptr;
        dial[s] = nullptr;
    }
    for (Tab_str_16& e : tab_str_16) e = Tab_str_16{};
    tot = 0;
}

void Dial_res::destroy()
{
    for (short s = 1; s <= kSlots; s++)
        if (res[s]) release(s);
    tot = 0;
}

short Dial_res::slot_of(short number) const
{
    for (short s = 1; s <= kSlots; s++)
        if (res[s] && Record{res[s], res_size[s]}.word(12) == number) return s;
    return 0;
}

short Dial_res::ouvrir(const char* section, const char* file, short number, void** table, short close_box)
{
    if (platform::WindowManager* wm = platform::WindowManager::current()) wm->release_capture();
    if (tot >= kSlots || slot_of(number)) return 0;
    short slot = 1;
    while (slot <= kSlots && res[slot]) slot++;
    if (slot > kSlots) return 0;
    unsigned char* record = (unsigned char*)read_res(section, file, 2, number);
    if (!record) return 0;
    update_var();
    res[slot] = record;
    res_size[slot] = size_res(section, file, 2, number);
    ppp[slot] = table;
    section_of[slot] = section ? section : "";
    file_of[slot] = file ? file : "";
    if (res_size[slot] >= 14) {
        record[12] = (unsigned char)(number & 0xFF);
        record[13] = (unsigned char)((number >> 8) & 0xFF);
    }
    dial[slot] = new CDialog(nullptr, nullptr, number, default_dialog_handler,
                             close_box ? (short)WinSysMenu : (short)0);
    if (!build(slot)) {
        release(slot);  // an item of unknown kind: nothing half-built stays
        return 0;
    }
    tot++;
    return 1;
}

bool Dial_res::build(short slot)
{
    const Record r{res[slot], res_size[slot]};
    CDialog* d = dial[slot];
    void** table = ppp[slot];
    const short number = r.word(12);
    for (const HelpTopic& t : kHelpTopics)
        if (t.dialog == number) d->help_reference = t.page * 65536 + t.anchor;
    short left = r.word(4), top = r.word(6), right = r.word(8), bottom = r.word(10);
    const short flags = r.word(2);
    if (flags & 0x20) {
        const short w = (short)(right - left);
        left = (short)((SCREEN_WIDTH - w) / 2);
        right = (short)(left + w);
    }
    if (flags & 0x40) {
        const short h = (short)(bottom - top);
        top = (short)((SCREEN_HEIGHT - h) / 2);
        bottom = (short)(top + h);
    }
    d->set_title(r.text(22, r.word(20) - 2).c_str());
    d->set_position(left, top);
    d->set_dimension((short)(right - left), (short)(bottom - top));
    // The table's cell `v` (a null table or index gives null).
    auto cell = [&](short v) -> void* { return table && v >= 0 ? table[v] : nullptr; };
    {
        const int32_t pairs = 20 + r.word(20);
        for (short k = 0; k < r.word(16); k++)
            if (r.word(pairs + 4 * k) == 1) {
                if (table) table[r.word(pairs + 4 * k + 2)] = d;
                break;
            }
    }
    CString cancel_title;
    gr_string("MISC", "MUSIC.RES", 65, 13, &cancel_title);
    short focus_field = 0, first_field = 0;
    for (int32_t at : item_offsets(r)) {
        const short kind = r.word(at + 2);
        const short x1 = r.word(at + 4), y1 = r.word(at + 6), x2 = r.word(at + 8), y2 = r.word(at + 10);
        const short id = r.word(at + 12), f = r.word(at + 16);
        short v = 0;
        auto par = [&](short code) { return get_item_par(r, at, code, &v); };
        auto receive = [&](CPanel* c) {
            if (par(1) && table) table[v] = c;
        };
        auto by_flags = [&](CPanel* c) {
            if (f & 2) c->show();
            if (!(f & 4)) c->disable();
        };
        auto action = [&](CPanel* c) {
            if (par(2) && cell(v)) c->set_execute_proc((ExecuteProc)cell(v));
        };
        const std::string title = r.text(at + 20, r.word(at + 18) - 2);
        switch (kind) {
        case 1: {
            CButton* b = new CButton(d, id);
            b->set_rect(x1, (short)(y1 - 20), x2, (short)(y2 - 20));
            if (f & 1) {
                b->set_default(1);
                d->enter_item = id;
            }
            if (cancel_title.length() && strcasecmp(title.c_str(), cancel_title.get()) == 0) {
                b->set_escape(1);
                d->esc_item = id;
            }
            b->set_title(title.c_str());
            by_flags(b);
            for (short code : {6, 7, 8, 9, 10, 2})
                if (par(code)) b->set_execute_proc(autre_dial_proc);
            receive(b);
            if (par(4)) b->set_var_ptr((short*)cell(v));
            break;
        }
        case 2: {
            CCheck* c = new CCheck(d, id);
            c->set_title(title.c_str());
            c->set_rect(x1, (short)(y1 - 20), x2, y1);
            c->set_value(f & 8 ? 1 : 0);
            by_flags(c);
            action(c);
            receive(c);
            if (par(3)) c->set_var_ptr((short*)cell(v));
            break;
        }
        case 3: {
            CRadio* b = new CRadio(d, id, 1);
            b->set_title(title.c_str());
            b->set_rect(x1, (short)(y1 - 20), x2, y1);
            by_flags(b);
            b->set_value(f & 8 ? 1 : 0);
            action(b);
            if (par(4) && v) b->set_execute_proc(group_choice);
            receive(b);
            if (par(3)) {
                short* variable = (short*)cell(v);
                b->set_var_ptr(variable);
                if (variable && par(5)) b->set_value(*variable == v ? 1 : 0);
            }
            break;
        }
        case 4: {
            CLabel* caption = new CLabel(d, 0, 0);
            caption->set_rect(x1, (short)(y1 - 20), x2, y1);
            caption->set_text(r.text(at + 28, r.word(at + 26) - 2).c_str());
            CList* l = new CList(d, id);
            l->set_rect(x1, y1, x2, (short)(y2 - 20));
            if (f & 2) caption->show(), l->show();
            if (!(f & 4)) l->disable();
            if (par(2) && cell(v)) l->set_c_proc((ClickProc)cell(v));
            if (par(3) && cell(v)) l->set_dc_proc((ClickProc)cell(v));
            receive(l);
            add_strings(l, r.word(at + 18), r.word(at + 22));
            l->set_cur(r.word(at + 24));
            break;
        }
        case 5: {
            CPopup* p = new CPopup(d, id);
            p->set_position(x1, (short)(y1 - 23));
            p->set_dimension((short)(x2 - x1), (short)(SCREEN_HEIGHT / 2));
            if (r.word(at + 22)) {
                p->clear();
                add_strings(p, r.word(at + 18), r.word(at + 22));
                p->set_cur(r.word(at + 24));
            }
            if (par(3)) p->set_var_ptr((short*)cell(v));
            by_flags(p);
            action(p);
            receive(p);
            break;
        }
        case 6: case 7: case 13: case 14: {
            const bool slider = kind == 6 || kind == 7;
            const short horizontal = kind == 6 || kind == 13;
            CPanel* c = slider ? (CPanel*)new CSlider(d, id, horizontal) : new CScroll(d, id, horizontal);
            c->set_rect(x1, (short)(y1 - 20), x2, (short)(y2 - 20));
            by_flags(c);
            if (slider) {
                CSlider* s = (CSlider*)c;
                s->set_min_max(r.word(at + 18), r.word(at + 20));
                s->set_value(r.word(at + 24));
            } else {
                CScroll* s = (CScroll*)c;
                s->set_min_max(r.word(at + 18), r.word(at + 20));
                s->set_value(r.word(at + 24));
            }
            action(c);
            receive(c);
            if (par(3)) {
                short* variable = (short*)cell(v);
                if (slider) ((CSlider*)c)->set_var_ptr(variable);
                else ((CScroll*)c)->set_var_ptr(variable);
            }
            break;
        }
        case 8: {
            const short lines = r.word(at + 18), max = r.word(at + 20);
            CTextedit* t = new CTextedit(d, id, lines >= 2 ? 1 : 0, 0, 0);
            t->set_rect(x1, (short)(y1 - 20), x2, lines >= 2 ? (short)(y2 - 20) : y1);
            t->set_max_char(max);
            std::string text = "          ";
            if (par(3) && cell(v)) {
                char* buffer = (char*)cell(v);
                t->set_string_ptr(buffer);
                text = buffer;
            }
            if (par(5)) {
                short entry = 1;
                while (entry <= kBoundNumberFields && tab_str_16[entry].id) entry++;
                if (entry <= kBoundNumberFields && cell(v)) {
                    Tab_str_16& e = tab_str_16[entry];
                    e.id = number;
                    e.p = (char*)std::calloc(kNumberBuffer, 1);
                    e.pi = (short*)cell(v);
                    e.te = t;
                    std::snprintf(e.p, kNumberBuffer, "%hd", *e.pi);
                    // The buffer holds 15 characters and its terminator.
                    if (max <= 0 || max >= kNumberBuffer) t->set_max_char(kNumberBuffer - 1);
                    t->set_string_ptr(e.p, kNumberBuffer);
                    text = e.p;
                }
            }
            t->set_text(text.c_str());
            by_flags(t);
            action(t);
            receive(t);
            t->set_selection(0, 0);
            if (!first_field) first_field = id;
            if (par(4)) focus_field = id;
            break;
        }
        case 9: {
            CLabel* l = new CLabel(d, 0, (f & 2) ? 0 : 1);
            l->set_rect(x1, (short)(y1 - 20), x2, (short)(y2 - 20));
            l->set_text(title.c_str());
            l->auto_resize();
            l->show();
            break;
        }
        case 10: {
            CFrame* line = new CFrame(d, id, 7);
            line->set_position(x1, (short)(y1 - 20));
            if (x1 == x2) line->set_dimension(1, (short)(y2 - y1));
            else line->set_dimension((short)(x2 - x1), 1);
            line->show();
            break;
        }
        case 11: break;
        case 12: {
            CBitmap* b = new CBitmap(d, 0, r.word(at + 18), file_of[slot].c_str(),
                                     section_of[slot].empty() ? nullptr : section_of[slot].c_str());
            b->set_position(x1, (short)(y1 - 20));
            b->show();
            break;
        }
        default: return false;
        }
    }
    d->first_focus = focus_field ? focus_field : first_field;
    for (short i = 1; i <= d->children.total() && !d->first_focus; i++) {
        CPanel* c = (CPanel*)d->children.get(i);
        if (c->item_id) d->first_focus = c->item_id;
    }
    for (short i = 1; i <= d->children.total(); i++) {
        CPanel* c = (CPanel*)d->children.get(i);
        if (!c->next_item) c->next_item = find_next_control_tab(d, c);
    }
    return true;
}

void Dial_res::work(short number)
{
    const short slot = slot_of(number);
    if (!slot) return;
    CDialog* d = dial[slot];
    const short outer = working;
    working = slot;
    Event ev;
    if (d->run_modal(&ev)) default_event_handler(d, &ev);
    working = outer;
    if (working) return;  // an outer step still uses its dialog
    for (CDialog* gone : doomed()) delete gone;
    doomed().clear();
}

void Dial_res::update_var()
{
    for (short i = 1; i <= kBoundNumberFields; i++)
        if (tab_str_16[i].id) write_back(tab_str_16[i]);
}

short Dial_res::fermer(short number)
{
    const short slot = slot_of(number);
    if (!slot) return 0;
    release(slot);
    tot--;
    return 1;
}

void Dial_res::release(short slot)
{
    const short number = Record{res[slot], res_size[slot]}.word(12);
    for (short i = 1; i <= kBoundNumberFields; i++) {
        Tab_str_16& e = tab_str_16[i];
        if (e.id != number || !e.id) continue;
        write_back(e);
        std::free(e.p);
        e = Tab_str_16{};
    }
    std::free(res[slot]);
    res[slot] = nullptr;
    res_size[slot] = 0;
    ppp[slot] = nullptr;
    CDialog* d = dial[slot];
    dial[slot] = nullptr;
    if (!d) return;
    if (working) {
        d->hide();
        doomed().push_back(d);
    } else {
        delete d;
    }
}

short autre_dial_proc(CPanel* button)
{
    const short slot = slot_of_control(button);
    if (!slot) return 0;
    const Record r{gdr->res[slot], gdr->res_size[slot]};
    const int32_t item = item_of(r, button->item_id);
    if (item < 0) return 0;
    void** table = gdr->ppp[slot];
    short v;
    if (get_item_par(r, item, 2, &v) && table && table[v]) ((short (*)(CPanel*))table[v])(nullptr);
    const short number = r.word(12);
    const bool closes = get_item_par(r, item, 3, &v);
    short other = 0;
    const bool opens = get_item_par(r, item, 6, &other);
    if (closes) gdr->fermer(number);  // the record is gone from here on
    if (opens && gdr->ouvrir("MISC", "MARCAWIN.RES", other, table, 0)) gdr->work(other);
    return 0;
}

short group_choice(CPanel* radio)
{
    const short slot = slot_of_control(radio);
    if (!slot) return 0;
    const Record r{gdr->res[slot], gdr->res_size[slot]};
    const int32_t item = item_of(r, radio->item_id);
    short group, value, variable;
    if (item < 0 || !get_item_par(r, item, 4, &group) || !get_item_par(r, item, 5, &value) ||
        !get_item_par(r, item, 3, &variable))
        return 0;
    CDialog* d = gdr->dial[slot];
    void** table = gdr->ppp[slot];
    for (int32_t other : item_offsets(r)) {
        short g;
        CRadio* b = d->radio(r.word(other + 12));
        if (b && b != radio && get_item_par(r, other, 4, &g) && g == group) b->set_value(0);
    }
    if (table && table[variable]) *(short*)table[variable] = value;
    short action;
    if (get_item_par(r, item, 2, &action) && table && table[action])
        ((short (*)(CPanel*))table[action])(radio);
    return 0;
}
