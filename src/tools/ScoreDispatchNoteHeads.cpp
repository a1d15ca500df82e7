#include "tools/ScoreDispatchNoteHeads.h"

#include "editor/Editeur.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kColumns = 5, kRows = 3;
constexpr short kCellWidth = 50, kCellHeight = 30;
constexpr short kEmptyCell = kColumns * kRows;  // the last cell holds no shape
constexpr short kGridLeft = 25, kGridTop = 55, kGridWidth = 251, kGridHeight = 91;
constexpr short kGlyphSize = 30;
constexpr short kHeadDialog = 0x9C;

// The chooser's state while it is open: the grid's handler reads and moves it.
struct Chooser {
    HeadChoice choice{1, 0, 0};
    CRadio* standard = nullptr;  // the dialog's radio buttons for `choix`
    CRadio* shaped = nullptr;
};
Chooser chooser;

void invert_cell(CPanel* p, short shape) {
    if (shape < 1 || shape > kHeadShapes) return;
    const short r = (short)((shape - 1) / kColumns), c = (short)((shape - 1) % kColumns);
    static_cast<CUserPanel*>(p)->fill_rect((short)(kCellWidth * c + 1), (short)(kCellHeight * r + 1),
                                           (short)(kCellWidth * c + kCellWidth), (short)(kCellHeight * r + kCellHeight),
                                           3);
}

void paint_grid(CUserPanel* p) {
    const short right = kColumns * kCellWidth, bottom = kRows * kCellHeight;
    p->set_color(0);
    p->draw_line(0, 0, (short)(right + 1), 0, 0);
    p->draw_line(0, 0, 0, bottom, 0);
    p->draw_line(right, 0, right, bottom, 0);
    for (short c = 0; c < kColumns; c++) p->draw_line((short)(kCellWidth * c), 0, (short)(kCellWidth * c), bottom, 0);
    for (short r = 0; r < kRows; r++)
        p->draw_line(0, (short)(kCellHeight * r + kCellHeight), right, (short)(kCellHeight * r + kCellHeight), 0);
    p->set_font("Marcatino", kGlyphSize, 0);
    for (short r = 0; r < kRows; r++)
        for (short c = 0; c < kColumns; c++) {
            const short k = (short)(kColumns * r + c);
            if (k + 1 == kEmptyCell) continue;
            p->go_to((short)(kCellWidth * c + 20), (short)(kCellHeight * r + 15));
            p->draw_char((char)('A' + k), 0);
        }
    invert_cell(p, chooser.choice.te);
}

}  // namespace

short head_cell_at(short x, short y) {
    for (short c = 0; c < kColumns; c++)
        for (short r = 0; r < kRows; r++) {
            if (x < kCellWidth * c || x > kCellWidth * c + kCellWidth) continue;
            if (y < kCellHeight * r || y > kCellHeight * r + kCellHeight) continue;
            const short k = (short)(kColumns * r + c + 1);
            return k == kEmptyCell ? 0 : k;  // no head at all is not a head shape
        }
    return 0;
}

HeadChoice head_choice_of(short head) {
    HeadChoice c;
    c.small = (head & kSmallHead) ? 1 : 0;
    c.te = (short)(head & 0x7FFF);
    if (c.te > kHeadShapes) c.te = 0;  // a shape the grid does not offer is shown as none
    c.choix = c.te ? 2 : 1;
    return c;
}

short head_code_of(const HeadChoice& c) {
    short code = c.choix == 1 ? 0 : c.te;
    if (c.small) code = (short)(code | kSmallHead);
    return code;
}

short head_proc(CPanel* panel, Event* e) {
    if (e->type == EvPaint) {
        paint_grid(static_cast<CUserPanel*>(panel));
        return 1;
    }
    if (e->type != EvPress || !(e->flags & EvfLeft)) return 0;
    const short k = head_cell_at(e->x, e->y);
    if (k && k != chooser.choice.te) {
        static_cast<CUserPanel*>(panel)->set_color(0);
        invert_cell(panel, chooser.choice.te);
        invert_cell(panel, k);
        chooser.choice.te = k;
        if (chooser.standard) chooser.standard->set_value(0);
        if (chooser.shaped) chooser.shaped->set_value(1);
        chooser.choice.choix = 2;
    }
    return 1;
}

short choisir_tete_dialog(short head, short* as_default) {
    chooser = Chooser{};
    chooser.choice = head_choice_of(head);
    short accept = 0, cancel = 0, current = 0;
    // Cells 0, 6 and 7 receive the dialog's preview area and its two radio buttons.
    void* table[8] = {nullptr, &accept, &cancel, &chooser.choice.choix, &chooser.choice.small, &current, nullptr,
                      nullptr};
    CUserPanel* grid = nullptr;
    const bool shown = work_tool_dialog(
        kHeadDialog, table, &accept, &cancel,
        [&](CDialog* d) {
            chooser.standard = static_cast<CRadio*>(table[6]);
            chooser.shaped = static_cast<CRadio*>(table[7]);
            CPanel* area = table[0] ? static_cast<CPanel*>(table[0]) : d;
            grid = new CUserPanel(area);
            grid->set_position(kGridLeft, kGridTop);
            grid->set_dimension(kGridWidth, kGridHeight);
            grid->event_handler = head_proc;
            grid->show();
        },
        [] {});
    chooser.standard = chooser.shaped = nullptr;
    const HeadChoice chosen = chooser.choice;
    if (!shown || !accept || cancel) {
        *as_default = 0;
        return -1;
    }
    *as_default = current ? 1 : 0;
    // The grid offers no shape until one is clicked: "a grid shape" with none is the standard.
    HeadChoice c = chosen;
    if (c.choix == 2 && !c.te) c.choix = 1;
    return head_code_of(c);
}

short (*choisir_tete)(short head, short* as_default) = choisir_tete_dialog;

short dispatch_editeur_tetes(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ItemHit hit;
    if (!find_note_at(v, c.x, c.y, &hit) || is_refused(hit.at.m)) return tool_result::NotMine;
    CNote* n = hit.at.m->get_note_item(hit.item);
    if (!n) return tool_result::NotMine;
    c.touch(hit.at);
    c.record(head_undo::Changed);
    v->offset = 0;
    short as_default = 0;
    const short code = choisir_tete(n->head, &as_default);
    if (code == -1) {
        v->offset = 1;
        return tool_result::Handled;
    }
    if (as_default == 1) doc->tete_courante = code;
    doc->modif = 1;
    c.touch(hit.at);
    c.draw_measure(DrawErase);
    n->head = code;
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    v->offset = 1;
    return tool_result::Handled;
}
