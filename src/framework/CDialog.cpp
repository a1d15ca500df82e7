#include "framework/CDialog.h"

#include "framework/CApplication.h"
#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CResFile.h"
#include "framework/CScroll.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"
#include "framework/Resedit.h"
#include "framework/Startup.h"
#include "platform/WindowManager.h"

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace platform;

bool is_focusable_kind(short uid)
{
    return uid == 8 || uid == 9 || uid == 10 || uid == 11 || uid == 12 || uid == 14;
}

CDialog::CDialog(const char* folder, const char* file, short number, EventHandler handler,
                 short window_style)
    : CWindow((short)(WinDialog | window_style)), id_dial(number)
{
    uid = 16;
    if (WindowManager* wm = WindowManager::current()) wm->release_capture();
    if (application) application->set_cursor_wait();
    event_handler = handler;
    tabevt = new CArrayElem((short)sizeof(Event));
    if (!file) return;
    dsp = (char*)read_res(folder, file, 11, number);
    if (!dsp) {
        id_dial = 0;
        return;
    }
    if (std::strncmp(dsp, "dialog", 6) != 0) return;
    build(dsp);
}

CDialog::~CDialog()
{
    std::free(dsp);
    dsp = nullptr;
    delete tabevt;
    tabevt = nullptr;
}

namespace {

// A text parameter, freed when it goes.
struct Text {
    Text(const char* record, short n) : s(extract_string_param(record, n)) {}
    ~Text() { std::free(s); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    char* s;
};

short centred(short position, short size, short screen)
{
    return position == -1 ? (short)((screen - size) / 2) : position;
}

void place(CPanel* c, short w, short h, short x, short y)
{
    c->set_dimension(w, h);
    c->set_position(x, y);
}

void show_enable(CPanel* c, short visible, short enabled)
{
    if (visible) c->show();
    if (!enabled) c->disable();
}

// The record's keyword, from the table of control kinds; -1 for a line that builds nothing.
int keyword(const char* line)
{
    static const char* const keywords[] = {"button", "list",     "popup", "check",    "radio",
                                           "te",     "scroll",   "slider", "label",   "frame",
                                           "bitmap", "progress", "userpane", "colorchoice"};
    for (int k = 0; k < (int)(sizeof keywords / sizeof *keywords); k++)
        if (std::strncmp(line, keywords[k], std::strlen(keywords[k])) == 0) return k;
    return -1;
}

}  // namespace

void CDialog::build(const char* text)
{
    auto p = [&](const char* r, short n) { return extract_integer_param(r, n); };
    const short w = p(text, 1), h = p(text, 2);
    set_dimension(w, h);
    set_position(centred(p(text, 3), w, SCREEN_WIDTH), centred(p(text, 4), h, SCREEN_HEIGHT));
    {
        Text title(text, 5);
        set_title(title.s);
    }
    help_reference = (int32_t)((uint32_t)p(text, 6) << 16) + (short)p(text, 7);

    const char* r = next_object(text);
    while (r) {
        const char* next = next_object(r);
        const short id = p(r, 5);
        // The entries of a list, pop-up list or radio group are on the line after it, which is
        // taken whatever it holds; on the last line there are none.
        auto items = [&](short n, auto add) {
            if (n == 0) return;
            if (next && std::strncmp(next, "items", 5) == 0)
                for (short k = 1; k <= n; k++) {
                    Text entry(next, k);
                    add(k, entry.s);
                }
            if (next) next = next_object(next);
        };
        switch (keyword(r)) {
        case 0: {
            CButton* b = new CButton(this, id);
            place(b, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            Text title(r, 6);
            b->set_title(title.s);
            b->set_default(p(r, 7));
            if (p(r, 7)) enter_item = id;
            b->set_escape(p(r, 11));
            if (p(r, 11)) esc_item = id;
            show_enable(b, p(r, 8), p(r, 9));
            b->next_item = p(r, 10);
            break;
        }
        case 1: {
            CList* l = new CList(this, id);
            place(l, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            items(p(r, 6), [&](short, const char* s) { l->add(s); });
            show_enable(l, p(r, 7), p(r, 8));
            l->next_item = p(r, 9);
            break;
        }
        case 2: {
            CPopup* l = new CPopup(this, id);
            place(l, p(r, 1), (short)(SCREEN_HEIGHT / 2), p(r, 3), p(r, 4));
            items(p(r, 6), [&](short, const char* s) { l->add(s); });
            show_enable(l, p(r, 7), p(r, 8));
            l->set_cur(p(r, 9));
            l->next_item = p(r, 10);
            break;
        }
        case 3: {
            CCheck* c = new CCheck(this, id);
            Text title(r, 6);
            c->set_title(title.s);
            place(c, (short)(control_text_width(title.s) + 22), p(r, 2), p(r, 3), p(r, 4));
            c->set_value(p(r, 7));
            show_enable(c, p(r, 8), p(r, 9));
            c->next_item = p(r, 10);
            break;
        }
        case 4:
            items(p(r, 6), [&](short k, const char* title) {
                CRadio* b = new CRadio(this, (short)(id + k - 1), k == 1 ? 1 : 0);
                b->set_title(title);
                place(b, (short)(control_text_width(title) + 22), 20, p(r, 3),
                      (short)(p(r, 4) + (k - 1) * p(r, 2)));
                b->set_value(k == p(r, 7) ? 1 : 0);
                show_enable(b, p(r, 8), p(r, 9));
                b->next_item = p(r, 10);
            });
            break;
        case 5: {
            CTextedit* t = new CTextedit(this, id, p(r, 6), p(r, 11), 0);
            place(t, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            t->set_max_char(p(r, 7));
            show_enable(t, p(r, 8), p(r, 9));
            t->next_item = p(r, 10);
            if (!first_focus) {
                first_focus = id;
                t->select_all();
            }
            break;
        }
        case 6: {
            CScroll* s = new CScroll(this, id, p(r, 6));
            place(s, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            s->set_min_max(p(r, 7), p(r, 8));
            s->set_steps(p(r, 10), p(r, 11));
            s->set_value(p(r, 9));
            show_enable(s, p(r, 12), p(r, 13));
            break;
        }
        case 7: {
            CSlider* s = new CSlider(this, id, p(r, 6));
            place(s, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            s->set_min_max(p(r, 7), p(r, 8));
            s->set_value(p(r, 9));
            if (p(r, 10)) s->show();
            if (!p(r, 11)) s->CUserPanel::disable();
            break;
        }
        case 8: {
            CLabel* l = new CLabel(this, id, p(r, 7));
            place(l, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            Text t(r, 6);
            l->set_text(t.s);
            if (p(r, 8)) l->show();
            break;
        }
        case 9: {
            CFrame* f = new CFrame(this, id, p(r, 7));
            place(f, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            Text t(r, 6);
            f->set_text(t.s);
            if (p(r, 8)) f->show();
            break;
        }
        case 10: {
            CBitmap* b = new CBitmap(this, p(r, 3), p(r, 4));
            b->set_position(p(r, 1), p(r, 2));
            if (p(r, 5)) b->show();
            break;
        }
        case 11: {
            CProgress* g = new CProgress(this, id);
            place(g, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            if (p(r, 6)) g->show();
            break;
        }
        case 12: {
            CUserPanel* u = new CUserPanel(this);
            u->item_id = id;
            place(u, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            if (p(r, 6)) u->show();
            break;
        }
        case 13: {
            CColorChoice* c = new CColorChoice(this, id);
            place(c, p(r, 1), p(r, 2), p(r, 3), p(r, 4));
            if (p(r, 6)) c->show();
            break;
        }
        default: break;
        }
        r = next;
    }
    if (!first_focus) {
        first_focus = 1;
        for (short i = 1; i <= children.total(); i++) {
            CPanel* c = (CPanel*)children.get(i);
            if (is_focusable_kind(c->uid)) {
                first_focus = c->item_id;
                break;
            }
        }
    }
    for (short i = 1; i <= children.total(); i++) {
        CPanel* c = (CPanel*)children.get(i);
        if (c->next_item == 0) c->next_item = find_next_control_tab(this, c);
    }
}

CPanel* CDialog::child_of_kind(short id, short kind)
{
    CPanel* c = find_child(id);
    return c && c->uid == kind ? c : nullptr;
}

CUserPanel* CDialog::up(short id) { return (CUserPanel*)child_of_kind(id, 7); }
CButton* CDialog::button(short id) { return (CButton*)child_of_kind(id, 8); }
CList* CDialog::list(short id) { return (CList*)child_of_kind(id, 9); }
CPopup* CDialog::popup(short id) { return (CPopup*)child_of_kind(id, 10); }
CCheck* CDialog::check(short id) { return (CCheck*)child_of_kind(id, 11); }
CRadio* CDialog::radio(short id) { return (CRadio*)child_of_kind(id, 12); }
CScroll* CDialog::scroll(short id) { return (CScroll*)child_of_kind(id, 13); }
CTextedit* CDialog::te(short id) { return (CTextedit*)child_of_kind(id, 14); }
CLabel* CDialog::label(short id) { return (CLabel*)child_of_kind(id, 20); }
CFrame* CDialog::frame(short id) { return (CFrame*)child_of_kind(id, 21); }
CSlider* CDialog::slider(short id) { return (CSlider*)child_of_kind(id, 23); }
CProgress* CDialog::progress(short id) { return (CProgress*)child_of_kind(id, 25); }
