#include "framework/Supervis.h"

#include "framework/Bitmap.h"
#include "framework/CApplication.h"
#include "framework/CFont.h"
#include "framework/CRect.h"
#include "framework/CResFile.h"
#include "framework/CStructFile.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Colors.h"
#include "framework/DefaultHandlers.h"
#include "framework/Event.h"
#include "framework/MouseTracking.h"
#include "framework/ProgramFiles.h"
#include "framework/Startup.h"
#include "framework/SupervisorLanguage.h"
#include "framework/UserInput.h"
#include "framework/Vector.h"
#include "framework/VectorDrawing.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

CString sup_file;
short last_call_sup = 0;

namespace sup {
std::vector<std::unique_ptr<Run_data>> run;
short run_max = 0, run_tot = 0, from_run_index = 0;
}  // namespace sup

using namespace sup;

namespace {

constexpr int32_t kAreaLimit = 32767;  // offsets inside a screen's area are 16-bit
constexpr int32_t kIndexEntry = 40;
constexpr int32_t kLineLimit = 499, kSpreadLimit = 399;
const char kMisc[] = "MISC", kClasses[] = "CLASSES.RES";

short wait_depth = 0;               // waits of call_sup in progress
CUserPanel* tracking = nullptr;     // the panel whose button follows a press

// Reads little-endian fields from an area, never past its end; any shortfall marks it bad.
struct AreaReader {
    const unsigned char* p;
    int32_t n, pos = 0;
    bool ok = true;

    bool has(int32_t k) { return ok && (ok = k >= 0 && pos + k <= n); }
    short w16()
    {
        if (!has(2)) return 0;
        const short v = (short)(p[pos] | (p[pos + 1] << 8));
        pos += 2;
        return v;
    }
    int32_t w32()
    {
        const uint16_t lo = (uint16_t)w16(), hi = (uint16_t)w16();
        return (int32_t)((uint32_t)lo | ((uint32_t)hi << 16));
    }
    // A record of six 16-bit fields and a word that is not used (an item, a text page).
    void six_and_word(short& a, short& b, short& c, short& d, short& e, short& f)
    {
        for (short* field : {&a, &b, &c, &d, &e, &f}) *field = w16();
        w32();
    }
    void bytes(void* to, int32_t k)
    {
        if (!has(k)) return;
        std::memcpy(to, p + pos, (size_t)k);
        pos += k;
    }
    // A 16-bit length and that many bytes, returned zero-terminated; null for a length of 0.
    char* text()
    {
        const short len = w16();
        if (!ok || len == 0 || !has(len)) {
            if (len < 0) ok = false;
            return nullptr;
        }
        char* s = (char*)std::calloc((size_t)len + 1, 1);
        bytes(s, len);
        return s;
    }
    char* bitmap()
    {
        if (!has(6)) return nullptr;
        int32_t w = (short)(p[pos + 2] | (p[pos + 3] << 8)), h = (short)(p[pos + 4] | (p[pos + 5] << 8));
        w = std::max<int32_t>(w, 8);
        h = std::max<int32_t>(h, 8);
        w = (w + 7) / 8 * 8;
        const int64_t size = BITMAP_HEADER + (int64_t)w * h / 2;
        if (!has((int32_t)std::min<int64_t>(size, INT32_MAX))) return nullptr;
        char* block = (char*)std::calloc((size_t)size, 1);
        bytes(block, (int32_t)size);
        // The header's own width and height decide the drawing; they must fit the bytes read.
        if (bitmap_colors(block) != 16 || bitmap_width(block) > w || bitmap_height(block) > h) {
            block[0] = block[1] = 0;  // not a 16-colour block: drawn as nothing
        }
        return block;
    }
    Vect_dessin* drawing()
    {
        if (!ok) return nullptr;
        short size = (short)std::min<int32_t>(n - pos, kAreaLimit);
        if (size <= 0) {
            ok = false;
            return nullptr;
        }
        Vect_dessin* d = unflat_ptr_to_vect_dessin(p + pos, &size);
        if (!d || size <= 0) {
            delete_vect_dessin(d);
            ok = false;
            return nullptr;
        }
        pos += size;
        return d;
    }
};

void delete_item_data(Item_sup& it)
{
    switch (it.type) {
    case 1: delete_vect_dessin((Vect_dessin*)it.data); break;
    case 2: delete_bitmap((char*)it.data); break;
    case 3: {
        Button_sup* b = (Button_sup*)it.data;
        if (b) {
            delete_bitmap(b->bitmap);
            delete_vect_dessin(b->dessin);
            std::free(b->fonction);
        }
        delete b;
        break;
    }
    case 4: {
        Texte_sup* t = (Texte_sup*)it.data;
        if (t && t->t)
            for (short k = 1; k <= t->tot; k++) std::free(t->t[k].s);
        if (t) delete[] t->t;
        delete t;
        break;
    }
    default: break;
    }
    it.data = nullptr;
}

bool read_item_data(AreaReader& r, Item_sup& it)
{
    switch (it.type) {
    case 1: it.data = r.drawing(); break;
    case 2: it.data = r.bitmap(); break;
    case 3: {
        Button_sup* b = new Button_sup;
        it.data = b;
        r.bytes(b->nom, 32);
        b->nom[31] = 0;
        b->id = r.w16();
        const int32_t has_bitmap = r.w32(), has_drawing = r.w32();
        b->act = r.w16();
        b->ref = r.w16();
        const int32_t has_function = r.w32();
        r.bytes(b->fichier, 10);
        b->fichier[9] = 0;
        if (has_bitmap) b->bitmap = r.bitmap();
        if (has_drawing) b->dessin = r.drawing();
        if (has_function) b->fonction = r.text();
        break;
    }
    case 4: {
        Texte_sup* t = new Texte_sup;
        it.data = t;
        const short tot = r.w16();
        t->cur = r.w16();
        t->back_color = r.w16();
        t->bord = r.w16();
        r.w32();
        // Each page takes at least 18 bytes: a count the area cannot hold is refused before
        // anything is reserved for it.
        if (!r.ok || tot < 0 || (int64_t)tot * 18 > r.n - r.pos) return false;
        t->tot = tot;
        t->t = new Texte_bloc[(size_t)tot + 1];
        for (short k = 1; k <= tot && r.ok; k++) {
            Texte_bloc& b = t->t[k];
            r.six_and_word(b.color, b.size, b.font, b.style, b.justi, b.maxi);
            b.s = r.text();
        }
        break;
    }
    default: break;
    }
    return r.ok;
}

Run_data* slot_of(CUserPanel* up)
{
    for (short i = 1; i <= run_max && i < (short)run.size(); i++)
        if (run[i] && run[i]->in_use && run[i]->up == up) return run[i].get();
    return nullptr;
}

bool text_on(const Interaction& in, bool last)
{
    for (short i = 1; i <= in.tot_item; i++) {
        const Item_sup& it = in.item[i];
        const Texte_sup* t = it.type == 4 ? (const Texte_sup*)it.data : nullptr;
        if (t && t->tot > 1 && (last ? t->cur >= t->tot : t->cur <= 1)) return true;
    }
    return false;
}

// A paging button is unavailable while some text of several pages shows the page it cannot
// leave; an unavailable button is neither drawn nor chosen.
bool available(const Interaction& in, const Button_sup& b)
{
    if (b.act == 5) return !text_on(in, true);
    if (b.act == 6) return !text_on(in, false);
    return true;
}

const char* standard_picture(short id, short* w, short* h)
{
    const short number = (short)(id + 81);
    const char* block = (const char*)read_res(kMisc, kClasses, 3, number);
    if (block && size_res(kMisc, kClasses, 3, number) >= 6) {
        *w = bitmap_width(block);
        *h = bitmap_height(block);
    }
    return block;
}

// Whether key `key` chooses the button.
bool key_chooses(const Button_sup& b, short key)
{
    switch (b.id) {
    case 1: {
        CString line;
        if ((key == 13 || key == 27) && gr_string(kMisc, kClasses, 65, key == 13 ? 2 : 3, &line) && line.get() &&
            std::strcmp(line.get(), b.nom) == 0)
            return true;
        return b.nom[0] && key > 0 && key < 256 &&
               std::tolower((unsigned char)b.nom[0]) == std::tolower((unsigned char)key);
    }
    case 4:
    case 8: return key == 13;
    case 5: return key == 27;
    case 6: return key == 29 || key == 31 || key == 2;
    case 7: return key == 28 || key == 30 || key == 1;
    default: return false;
    }
}

void mark(CUserPanel* up, short x1, short y1, short x2, short y2)
{
    if (!up) return;
    CRect r;
    r.init(x1, y1, x2, y2);
    up->dirty_rect(&r);
}

void mark_button(Run_data& rd, short act)
{
    for (short i = 1; i <= rd.inter.tot_item; i++) {
        const Item_sup& it = rd.inter.item[i];
        if (it.type == 3 && it.data && ((Button_sup*)it.data)->act == act) {
            mark(rd.up, it.x, it.y, (short)(it.x + it.w + 1), (short)(it.y + it.h + 1));
            return;
        }
    }
}

void turn_page(Run_data& rd, bool forward)
{
    rd.return_value = 0;
    for (short i = 1; i <= rd.inter.tot_item; i++) {
        Item_sup& it = rd.inter.item[i];
        Texte_sup* t = it.type == 4 ? (Texte_sup*)it.data : nullptr;
        if (!t || (forward ? t->cur >= t->tot : t->cur <= 1)) continue;
        t->cur = (short)(t->cur + (forward ? 1 : -1));
        const short x1 = (short)(it.x - 1), y1 = (short)(it.y - 1), x2 = (short)(it.x + it.w + 1);
        mark(rd.up, x1, y1, x2, (short)(it.y + it.h + 1));
        mark(rd.up, (short)(x2 - 50), (short)(y1 - 22), x2, y1);
        if (forward) {
            if (t->cur == t->tot) mark_button(rd, 5);
            if (t->cur == 2) mark_button(rd, 6);
        } else {
            if (t->cur == 1) mark_button(rd, 6);
            if (t->cur == t->tot - 1) mark_button(rd, 5);
        }
        return;
    }
}

const Button_sup* chosen(const Run_data& rd)
{
    const short n = rd.return_value;
    if (n < 1 || n > rd.inter.tot_item || rd.inter.item[n].type != 3) return nullptr;
    return (const Button_sup*)rd.inter.item[n].data;
}

// Closes slot `k`; true when the screen that opened it is still open and modal.
bool close_slot(short k)
{
    Run_data& rd = *run[k];
    const short previous = rd.previous;
    CWindow* win = rd.win;
    rd.win = nullptr;
    rd.up = nullptr;
    delete win;
    delete_interaction(&rd.inter);
    rd.in_use = 0;
    rd.return_value = 0;
    rd.previous = 0;
    run_tot--;
    for (short i = 1; i <= run_max; i++)
        if (run[i]->in_use && run[i]->previous == k) run[i]->previous = 0;
    return previous >= 1 && previous <= run_max && run[previous]->in_use && (run[previous]->inter.flag & kSupModal);
}

short close_with(short k, short result) { return close_slot(k) ? -1 : result; }

// Steps 2 to 10 of showing a screen: the slot it opened in, or 0.
short open_interaction(short id)
{
    if (sup_file.length() == 0) return 0;
    for (short i = 1; i <= run_max; i++)
        if (run[i]->in_use && run[i]->id == id) return 0;
    set_main_dir();
    CStructFile f;
    File_info info{};
    if (!f.open(sup_file.get()) || !f.get_info(&info) || info.type != kSupFileType || info.version != 1) return 0;
    if (run_tot >= run_max) {
        run_max = (short)(run_max + 10);
        while ((short)run.size() <= run_max) run.push_back(std::make_unique<Run_data>());
    }
    const int32_t entries = std::min<int32_t>(f.get_tot_area() - 5, f.area_length(1) / kIndexEntry);
    short zone = 0;
    for (int32_t e = 0; e < entries && !zone; e++) {
        unsigned char entry[kIndexEntry];
        if (!f.read_area(1, e * kIndexEntry, kIndexEntry, entry)) break;
        if ((short)(entry[0] | (entry[1] << 8)) == id) zone = (short)(entry[6] | (entry[7] << 8));
    }
    if (!zone) return 0;
    short k = 1;
    while (run[k]->in_use) k++;
    Run_data& rd = *run[k];
    rd = Run_data();
    if (!read_interaction(&f, zone, &rd.inter)) return 0;
    rd.in_use = 1;
    rd.id = id;
    rd.zone = zone;
    std::snprintf(rd.fichier, 99, "%s", sup_file.get());
    run_tot++;

    Interaction& in = rd.inter;
    CWindow* win = new CWindow(WinTopmost);
    in.h = (short)(in.h + 20);
    if (in.pos_mode == 2 || in.pos_mode == 3) {
        in.x = (short)((SCREEN_WIDTH - in.w) / 2);
        in.y = (short)((SCREEN_HEIGHT - in.h) / 2);
    }
    win->set_position(in.x, in.y);
    win->set_dimension(in.w, in.h);
    win->event_handler = supervisor_proc;
    win->data = &in;
    CUserPanel* up = new CUserPanel(win);
    up->item_id = 1;
    up->data = &in;
    up->event_handler = supervisor_proc;
    up->set_left_side(0, SidePixels, nullptr);
    up->set_top_side(0, SidePixels, nullptr);
    up->set_right_side(100, SidePercent, nullptr);
    up->set_bottom_side(100, SidePercent, nullptr);
    rd.win = win;
    rd.up = up;
    rd.return_value = 0;
    rd.previous = from_run_index;
    for (short i = 1; i <= in.tot_item; i++)
        if (in.item[i].type == 4 && in.item[i].data) ((Texte_sup*)in.item[i].data)->cur = 1;
    from_run_index = 0;
    if (wait_depth) in.flag |= kSupModal;
    up->show();
    win->show();
    win->set_focus(1);
    return k;
}

bool quitting() { return !application || application->want_quit; }

}  // namespace

void init_sup()
{
    sup_file.set("");
    run.clear();
    run_max = 10;
    run_tot = 0;
    run.resize((size_t)run_max + 1);
    for (auto& r : run) r = std::make_unique<Run_data>();
    from_run_index = 0;
    wait_depth = 0;
}

void quit_sup()
{
    for (short i = 1; i <= run_max && i < (short)run.size(); i++)
        if (run[i] && run[i]->in_use) close_slot(i);
    run.clear();
    run_max = run_tot = 0;
}

short call_sup(short id)
{
    last_call_sup = id;
    for (;;) {
        const short k = open_interaction(id);
        if (!k) return 0;
        if (!(run[k]->inter.flag & kSupModal)) return -1;
        wait_depth++;
        short next = 0;  // a screen that replaces this one
        short result = 0;
        for (;;) {
            if (application) application->idle();
            Run_data& rd = *run[k];
            if (!rd.in_use) break;  // closed under us (the supervisor quit)
            if (quitting()) {
                result = close_with(k, 0);
                break;
            }
            if (rd.inter.fonction) {
                const short r = executer_fonction(rd.inter.fonction);
                if (r) {
                    result = close_with(k, r);
                    break;
                }
            }
            const Button_sup* b = chosen(rd);
            if (!rd.return_value) continue;
            if (!b) {
                rd.return_value = 0;
                continue;
            }
            if (b->act == 2) {
                result = close_with(k, b->ref);
                break;
            }
            if (b->act == 3) {
                next = b->ref;
                close_slot(k);
                break;
            }
            if (b->act == 4) {
                const short ref = b->ref;
                rd.return_value = 0;
                from_run_index = k;
                call_sup(ref);  // modal, as every screen opened during a wait
                continue;
            }
            if (b->act == 5 || b->act == 6) {
                turn_page(rd, b->act == 5);
                continue;
            }
            if (b->act == 7) {
                const short r = b->fonction ? executer_fonction(b->fonction) : 0;
                if (r) {
                    result = close_with(k, r);
                    break;
                }
            }
            rd.return_value = 0;
        }
        wait_depth--;
        if (!next) return result;
        id = next;  // at the first level the new screen is modal only when it says so
    }
}

short run_sup()
{
    if (!run_tot) return 1;
    for (short k = 1; k <= run_max && k < (short)run.size(); k++) {
        Run_data& rd = *run[k];
        // A modal screen is stepped by the call that waits on it; a screen whose button
        // follows a press stays open until the press ends.
        if (!rd.in_use || (rd.inter.flag & kSupModal) || rd.up == tracking) continue;
        if (rd.inter.fonction) {
            const short r = executer_fonction(rd.inter.fonction);
            if (r) {
                close_slot(k);
                break;
            }
        }
        if (!rd.return_value) continue;
        const Button_sup* b = chosen(rd);
        if (!b) {
            rd.return_value = 0;
            continue;
        }
        const short act = b->act, ref = b->ref;
        if (act == 2) {
            close_slot(k);
            break;
        }
        if (act == 3) {
            close_slot(k);
            from_run_index = 0;
            call_sup(ref);
            break;
        }
        if (act == 4) {
            rd.return_value = 0;
            from_run_index = k;
            call_sup(ref);
            break;
        }
        if (act == 5 || act == 6) {
            turn_page(rd, act == 5);
            continue;
        }
        if (act == 7) {
            const short r = b->fonction ? executer_fonction(b->fonction) : 0;
            if (r) {
                close_slot(k);
                break;
            }
        }
        rd.return_value = 0;
    }
    return 1;
}

short read_interaction(CStructFile* file, short zone, Interaction* inter)
{
    *inter = Interaction();
    const int32_t length = file ? file->area_length(zone) : 0;
    if (length < 38 || length > kAreaLimit) return 0;
    std::vector<unsigned char> area((size_t)length);
    if (!file->read_area(zone, 0, length, area.data())) return 0;
    AreaReader r{area.data(), length};
    short* fields[] = {&inter->version, &inter->x,       &inter->y,          &inter->w,           &inter->h,
                       &inter->min_w,   &inter->min_h,   &inter->max_w,      &inter->max_h,       &inter->pos_mode,
                       &inter->back_color, &inter->bord_color, &inter->titre_color, &inter->flag, &inter->tot_item};
    for (short* f : fields) *f = r.w16();
    const int32_t has_function = r.w32();
    r.w32();
    if (has_function) inter->fonction = r.text();
    const short tot = inter->tot_item;
    inter->tot_item = 0;
    // Each item record takes 16 bytes: a count the area cannot hold is refused at once.
    if (!r.ok || tot < 0 || (int64_t)tot * 16 > length - r.pos) {
        delete_interaction(inter);
        return 0;
    }
    inter->item = new Item_sup[(size_t)tot + 1];
    inter->tot_item = tot;
    for (short i = 1; i <= tot; i++) {
        Item_sup& it = inter->item[i];
        r.six_and_word(it.version, it.type, it.x, it.y, it.w, it.h);
    }
    for (short i = 1; i <= tot && r.ok; i++) read_item_data(r, inter->item[i]);
    if (!r.ok) {
        delete_interaction(inter);
        return 0;
    }
    return 1;
}

void delete_interaction(Interaction* inter)
{
    if (!inter) return;
    if (inter->item)
        for (short i = 1; i <= inter->tot_item; i++) delete_item_data(inter->item[i]);
    delete[] inter->item;
    std::free(inter->fonction);
    inter->item = nullptr;
    inter->fonction = nullptr;
    inter->tot_item = 0;
}

std::vector<SupLine> lay_out_texte_bloc_sup(CUserPanel* up, const char* text, int32_t length, short justi, short x,
                                            short y, short size, short width)
{
    std::vector<SupLine> lines;
    short baseline = (short)(y + size);
    const short space = up->string_width(" ");
    std::string line, word;
    auto emit = [&](bool at_end) {
        std::string s = line;
        if ((int32_t)s.size() > kLineLimit) s.resize(kLineLimit);
        std::replace(s.begin(), s.end(), '$', '@');
        if (justi == 4) {
            if (!s.empty() && s.back() == ' ') s.pop_back();
            const int32_t free_space = width - up->string_width(s.c_str());
            if (!at_end && space > 0 && free_space <= width / 3 && free_space >= space) {
                int32_t n = free_space / space;
                const bool has_space = s.find(' ') != std::string::npos;
                while (n > 0 && has_space && (int32_t)s.size() < kSpreadLimit) {
                    for (size_t i = 0; i < s.size() && n > 0 && (int32_t)s.size() < kSpreadLimit; i++) {
                        if (s[i] != ' ') continue;
                        s.insert(i, 1, ' ');
                        n--;
                        while (i < s.size() && s[i] == ' ') i++;  // past this run of spaces
                    }
                }
            }
        }
        const short w = up->string_width(s.c_str());
        short at = x;
        if (justi == 2) at = (short)(x + width - w);
        else if (justi == 3) at = (short)(x + (width - w) / 2);
        lines.push_back({s, at, baseline});
        baseline = (short)(baseline + (short)(size * 1.2));
        line.clear();
    };
    for (int32_t i = 0; i < length && text[i]; i++) {
        char c = text[i];
        if (c == '\n') continue;
        if (c == '\r' && justi == 4) c = ' ';
        if (c == '\r' || c == '@') {
            line += word;
            word.clear();
            emit(c == '@');
            continue;
        }
        if (up->string_width((line + word + c).c_str()) > width && !line.empty()) {
            emit(false);
            if (word.empty() && c == ' ') continue;  // the break takes the space
        }
        word += c;
        if (c == ' ') {
            line += word;
            word.clear();
        }
    }
    line += word;
    if (!line.empty()) emit(false);
    return lines;
}

void draw_texte_bloc_sup(CUserPanel* up, short font, short size, short style, const char* text, int32_t length,
                         short justi, short color, short x, short y, short width)
{
    if (!up || !text) return;
    up->set_font(translate_font(font), size, style);
    up->set_color(translate_color(color));
    for (const SupLine& l : lay_out_texte_bloc_sup(up, text, length, justi, x, y, size, width)) {
        up->go_to(l.x, l.baseline);
        up->draw_string(l.text.c_str(), 0);
    }
}

void draw_supervisor(CUserPanel* up)
{
    const Interaction* in = up ? (const Interaction*)up->data : nullptr;
    if (!in) return;
    up->set_color(translate_color(in->back_color));
    up->fill_rect(0, 0, up->get_width(), up->get_height(), 0);
    for (short i = 1; i <= in->tot_item; i++) {
        Item_sup& it = in->item[i];
        const short x1 = it.x, y1 = it.y, x2 = (short)(it.x + it.w), y2 = (short)(it.y + it.h);
        if (!it.data) continue;
        if (it.type == 1) draw_dessin(up, (Vect_dessin*)it.data, it.x, it.y, 0, 1, 1);
        if (it.type == 2) draw_image_ptr(up, (const char*)it.data, it.x, it.y);
        if (it.type == 3) {
            const Button_sup& b = *(const Button_sup*)it.data;
            if (!available(*in, b)) continue;
            if (b.id == 1) {
                up->set_color(0xC0C0C0);
                up->fill_rect(x1, y1, x2, y2, 0);
                up->set_color(0);
                up->draw_rect(x1, y1, x2, y2, 0);
                up->set_color(0xFFFFFF);
                up->draw_line(x1 + 1, y1 + 1, x2 - 2, y1 + 1, 0);
                up->draw_line(x1 + 2, y1 + 2, x2 - 3, y1 + 2, 0);
                up->draw_line(x1 + 1, y1 + 1, x1 + 1, y2 - 2, 0);
                up->draw_line(x1 + 2, y1 + 2, x1 + 2, y2 - 3, 0);
                up->set_color(0x808080);
                up->draw_line(x1 + 2, y2 - 3, x2 - 3, y2 - 3, 0);
                up->draw_line(x1 + 1, y2 - 2, x2 - 2, y2 - 2, 0);
                up->draw_line(x2 - 2, y1 + 1, x2 - 2, y2 - 2, 0);
                up->draw_line(x2 - 3, y1 + 2, x2 - 3, y2 - 3, 0);
                up->set_font("Arial", 12, 1);
                up->set_color(translate_color(5));
                up->go_to((short)((x1 + x2 - up->string_width(b.nom)) / 2), (short)((y1 + y2 + 8) / 2));
                up->draw_string(b.nom, 0);
            } else if (b.id == 2) {
                if (b.dessin) draw_dessin(up, b.dessin, it.x, it.y, 0, 1, 1);
            } else if (b.id == 3) {
                draw_image_ptr(up, b.bitmap, it.x, it.y);
            } else if (b.id >= 4) {
                if (standard_picture(b.id, &it.w, &it.h))
                    draw_image_res(up, kMisc, kClasses, (short)(b.id + 81), it.x, it.y);
            }
        }
        if (it.type == 4) {
            const Texte_sup& t = *(const Texte_sup*)it.data;
            if (t.cur < 1 || t.cur > t.tot || !t.t) continue;
            if (t.back_color != in->back_color) {
                up->set_color(translate_color(t.back_color));
                up->fill_rect(x1, y1, x2, y2, 0);
            }
            if (t.bord == -1 && t.tot > 1) {
                char counter[32];
                std::snprintf(counter, sizeof counter, "%hd / %hd", t.cur, t.tot);
                up->set_font("Times New Roman", 12, 0);
                up->set_color(0);
                up->go_to((short)(x2 - up->string_width(counter)), (short)(y1 - 5));
                up->draw_string(counter, 0);
            }
            if (t.bord == -1) {
                up->set_color(0x808080);
                up->draw_line(x1, y1, x2, y1, 0);
                up->draw_line(x1, y1, x1, y2, 0);
                up->set_color(0xFFFFFF);
                up->draw_line(x1, y2, x2, y2, 0);
                up->draw_line(x2, y1, x2, y2, 0);
            } else if (t.bord) {
                up->set_color(translate_color(t.bord));
                up->draw_rect(x1, y1, x2, y2, 0);
            }
            const Texte_bloc& page = t.t[t.cur];
            if (page.s)
                draw_texte_bloc_sup(up, page.font, page.size, page.style, page.s, (int32_t)std::strlen(page.s),
                                    page.justi, page.color, (short)(x1 + 10), (short)(y1 + 6), (short)(x2 - x1 - 16));
        }
    }
}

short dispatch_supervisor(Event* e, CUserPanel* up)
{
    Run_data* rd = slot_of(up);
    if (!rd || !e) return 0;
    Interaction& in = rd->inter;
    auto button = [&](short i) -> Button_sup* {
        Item_sup& it = in.item[i];
        Button_sup* b = it.type == 3 ? (Button_sup*)it.data : nullptr;
        return b && available(in, *b) ? b : nullptr;
    };
    if (e->type == EvKey) {
        for (short i = 1; i <= in.tot_item; i++) {
            Button_sup* b = button(i);
            if (!b || !key_chooses(*b, e->value)) continue;
            if (b->act != 1) rd->return_value = i;
            return 1;
        }
        return 0;
    }
    if (e->type != EvPress || !(e->flags & EvfLeft)) return 0;
    for (short i = 1; i <= in.tot_item; i++) {
        Button_sup* b = button(i);
        const Item_sup& it = in.item[i];
        CRect r;
        r.init(it.x, it.y, (short)(it.x + it.w), (short)(it.y + it.h));
        if (!b || !r.point_inside(e->x, e->y)) continue;
        // The button shows inverted while the pointer is over it, until the button is let go.
        up->fill_rect(r.x1, r.y1, r.x2, r.y2, 2);
        bool inside = true;
        tracking = up;
        while (get_mouse_left() && !quitting()) {
            application->idle();
            short x = get_mouse_x(), y = get_mouse_y();
            up->global_to_local(&x, &y);
            if ((r.point_inside(x, y) != 0) != inside) {
                inside = !inside;
                up->fill_rect(r.x1, r.y1, r.x2, r.y2, 2);
            }
        }
        tracking = nullptr;
        if (!inside) return 1;
        up->fill_rect(r.x1, r.y1, r.x2, r.y2, 2);
        if (b->act != 1) rd->return_value = i;
        return 1;
    }
    // Elsewhere the press moves the window.
    if (rd->win) {
        CRect w;
        w.init(rd->win->get_x(), rd->win->get_y(), (short)(rd->win->get_x() + rd->win->get_width()),
               (short)(rd->win->get_y() + rd->win->get_height()));
        short mx = e->x, my = e->y;
        up->local_to_global(&mx, &my);
        resize_rect(&w, 1, 1, 1, 1, 0, 10000, 0, 10000, mx, my, 1);
        rd->win->set_position(w.x1, w.y1);
    }
    return 1;
}

short supervisor_proc(CPanel* panel, Event* e)
{
    if (panel && e && panel->uid == 7) {
        CUserPanel* up = (CUserPanel*)panel;
        if (e->type == EvPaint) {
            draw_supervisor(up);
            return 1;
        }
        if ((e->type == EvPress || e->type == EvKey) && dispatch_supervisor(e, up)) return 1;
    }
    return default_event_handler(panel, e);
}
