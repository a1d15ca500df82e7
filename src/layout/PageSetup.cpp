#include "layout/PageSetup.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CPrinter.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/Event.h"
#include "layout/PageLayout.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"

namespace {

constexpr short smallest_reduction = 5;
constexpr short largest_reduction = 2500;

// The dialog's items.
enum : short {
    kCancel = 1, kAccept = 2, kPrinter = 3, kReductionBefore = 4, kReduction = 5, kReductionAfter = 6,
    kOuterTop = 8, kOuterLeft = 9, kOuterRight = 10, kOuterBottom = 11,
    kInnerLeft = 13, kInnerRight = 14, kInnerTop = 15, kInnerBottom = 16,
    kPaperWidth = 18, kPaperHeight = 19,
    kOptimise = 25, kPerLineOn = 26, kPerPageOn = 27, kPerLine = 28, kPerPage = 29,
    kTitleOn = 30, kTitle = 31, kSpacing = 34, kSpread = 36, kRelayout = 37, kFitWidth = 38,
    kOffsetX = 39, kOffsetY = 40, kOffsetFirst = 41, kOffsetLast = 44,
};

// The number fields that hold an extract's setting as it stands, and the check boxes.
struct Bound {
    short item;
    short Sub_document::*field;
};
const Bound kNumbers[] = {
    {kOuterTop, &Sub_document::mme_s},   {kOuterLeft, &Sub_document::mme_g},
    {kOuterRight, &Sub_document::mme_d}, {kOuterBottom, &Sub_document::mme_i},
    {kInnerLeft, &Sub_document::mmi_g},  {kInnerRight, &Sub_document::mmi_d},
    {kInnerTop, &Sub_document::mmi_s},   {kInnerBottom, &Sub_document::mmi_i},
    {kPaperWidth, &Sub_document::mmx},   {kPaperHeight, &Sub_document::mmy},
    {kSpacing, &Sub_document::dist_syst}, {kOffsetX, &Sub_document::mmdecx},
    {kOffsetY, &Sub_document::mmdecy},   {kReduction, &Sub_document::reduction},
};
const Bound kChecks[] = {
    {kSpread, &Sub_document::repartir_syst},
    {kOptimise, &Sub_document::opti_sys},
    {kFitWidth, &Sub_document::adjust_horiz},
};

short in_range(short reduction) {
    if (reduction < smallest_reduction) return smallest_reduction;
    if (reduction > largest_reduction) return largest_reduction;
    return reduction;
}

// x * old / new in 32 bits: the ratio itself would be 0 when the reduction grows.
short rescaled(short x, short old_reduction, short new_reduction) {
    return (short)((int32_t)x * old_reduction / new_reduction);
}

// The views of the document lay out both their views again at their next drawing.
void dirty_views() {
    for (short i = 1; i <= 10; i++) {
        View* v = doc->vue[i];
        if (!v) continue;
        const short type = document_view_hooks.get_type(v);
        if (type == 1 || type == 8) document_view_hooks.dirty_page_lin(v);
    }
}

// The page-setup dialog at work on a copy of the extract's settings.
class PageSetupDialog {
public:
    PageSetupDialog(const Sub_document& extract, short laid_out, short show)
        : edited(extract), extract_settings(extract.printer_setup) {
        if (!show) {
            relayout = !laid_out;
            return;
        }
        d = new CDialog("MISC", "MUSIC.RES", 14, default_dialog_handler, 0);
        fill(laid_out);
    }
    ~PageSetupDialog() {
        delete d;
        // Printer settings taken while the dialog ran and not accepted are dropped.
        if (edited.printer_setup != extract_settings) std::free(edited.printer_setup);
    }
    PageSetupDialog(const PageSetupDialog&) = delete;
    PageSetupDialog& operator=(const PageSetupDialog&) = delete;

    // Works the dialog until OK (1) or Annuler, its close box or the end of the program (0).
    short run() {
        if (!d) return 1;
        Event ev;
        while (d->run_modal(&ev)) {
            if (ev.type != EvControl) continue;
            if (ev.item == kAccept) {
                read();
                return 1;
            }
            if (ev.item == kCancel) return 0;
            item(ev.item);
        }
        return 0;
    }

    // Accepts the settings, handing the printer settings over to the extract.
    short accept(float sx, float sy, CUserPanel* panel) {
        const short ok = accepter_mise_en_page(edited, sx, sy, panel, relayout);
        extract_settings = edited.printer_setup;  // the extract owns them now
        return ok;
    }

private:
    void set(short id, short value) {
        if (CTextedit* t = d->te(id)) t->set_integer(value);
    }
    short get(short id) {
        CTextedit* t = d->te(id);
        return t ? (short)t->get_integer() : (short)0;
    }
    void tick(short id, short on) {
        if (CCheck* c = d->check(id)) c->set_value(on ? 1 : 0);
    }
    short ticked(short id) {
        CCheck* c = d->check(id);
        return c ? c->get_value() : (short)0;
    }
    void enable(short id, bool on) {
        if (CPanel* p = d->find_child_all(id)) on ? p->enable() : p->disable();
    }
    void hide(short id) {
        if (CPanel* p = d->find_child_all(id)) p->hide();
    }
    // A check that enables its number: off, the number is disabled and empty.
    void optional(short check, short number, short value) {
        tick(check, value != 0);
        enable(number, value != 0);
        if (value) set(number, value);
        else if (CTextedit* t = d->te(number)) t->set_text("");
    }
    // The paper size in score units at `reduction`, from the paper items.
    void printable_size(short reduction) {
        edited.rmx = mm_en_unites(get(kPaperWidth), reduction);
        edited.rmy = mm_en_unites(get(kPaperHeight), reduction);
    }

    void fill(short laid_out) {
        for (const Bound& b : kNumbers) set(b.item, edited.*b.field);
        for (const Bound& b : kChecks) tick(b.item, edited.*b.field);
        optional(kPerLineOn, kPerLine, edited.mes_par_por);
        optional(kPerPageOn, kPerPage, edited.sys_par_pag);
        optional(kTitleOn, kTitle, edited.reserve_titre_mm);
        // Without pages the dialog lays them out, whatever the user wants.
        tick(kRelayout, !laid_out);
        enable(kRelayout, laid_out);
        if (!(working_mode & 2)) {
            enable(kPaperWidth, false);
            enable(kPaperHeight, false);
            for (short i = kOffsetX; i <= kOffsetLast; i++) hide(i);
        }
        if (working_mode == 4)
            for (short i : {kOptimise, kReductionBefore, kReductionAfter, kReduction}) hide(i);
        // An extract never printed takes the default printer's paper and margins.
        if ((!application || !application->script.playing) && !edited.printer_setup) {
            CPrinter printer;
            if (printer.setup_printer(0)) take_printer(printer, edited.reduction);
        }
    }

    // The paper and margins of the printer's settings, and the settings themselves.
    void take_printer(CPrinter& printer, short reduction) {
        auto mm = [](short v) { return v < 0 ? (short)0 : v; };
        set(kPaperWidth, printer.get_paper_width_mm());
        set(kPaperHeight, printer.get_paper_height_mm());
        const short left = mm(printer.get_left_margin_mm()), right = mm(printer.get_right_margin_mm());
        const short top = mm(printer.get_top_margin_mm()), bottom = mm(printer.get_bottom_margin_mm());
        set(kOuterLeft, left);
        set(kOuterRight, right);
        set(kOuterTop, top);
        set(kOuterBottom, bottom);
        auto inner = [](short margin) { return margin > 10 ? (short)0 : (short)(10 - margin); };
        edited.mmi_s = inner(top);
        edited.mmi_i = inner(bottom);
        edited.mmi_g = inner(left);
        edited.mmi_d = inner(right);
        set(kInnerTop, edited.mmi_s);
        set(kInnerBottom, edited.mmi_i);
        set(kInnerLeft, edited.mmi_g);
        set(kInnerRight, edited.mmi_d);
        short size = 0;
        void* record = printer.get_param(&size);
        if (record && size > 0) {
            char* copy = (char*)std::malloc((size_t)size);
            if (copy) {
                std::memcpy(copy, record, (size_t)size);
                if (edited.printer_setup != extract_settings) std::free(edited.printer_setup);
                edited.printer_setup = copy;
                edited.size_printer_setup = size;
            }
        }
        if (reduction) printable_size(reduction);
    }

    void item(short id) {
        switch (id) {
        case kPrinter: {
            CPrinter printer;
            if (edited.printer_setup) printer.set_param(edited.printer_setup, edited.size_printer_setup);
            if (printer.setup_printer(1)) take_printer(printer, get(kReduction));
            break;
        }
        case kReduction:
            if (get(kReduction)) printable_size(get(kReduction));
            break;
        case kPerLineOn:
            optional(kPerLineOn, kPerLine, ticked(kPerLineOn) ? 4 : 0);
            break;
        case kPerPageOn:
            optional(kPerPageOn, kPerPage, ticked(kPerPageOn) ? 5 : 0);
            break;
        case kTitleOn:
            optional(kTitleOn, kTitle, ticked(kTitleOn) ? 20 : 0);
            break;
        default:
            break;
        }
    }

    void read() {
        for (const Bound& b : kNumbers) edited.*b.field = get(b.item);
        for (const Bound& b : kChecks) edited.*b.field = ticked(b.item);
        edited.mes_par_por = ticked(kPerLineOn) ? get(kPerLine) : (short)0;
        edited.sys_par_pag = ticked(kPerPageOn) ? get(kPerPage) : (short)0;
        edited.reserve_titre_mm = ticked(kTitleOn) ? get(kTitle) : (short)0;
        relayout = ticked(kRelayout);
    }

    Sub_document edited;
    char* extract_settings;  // the extract's printer settings, not owned by the dialog
    CDialog* d = nullptr;
    short relayout = 0;
};

}  // namespace

short mm_en_unites(short mm, short reduction) {
    return (short)((int32_t)mm * 36000 / ((int32_t)in_range(reduction) * 127));
}

short accepter_mise_en_page(const Sub_document& edited, float sx, float sy, CUserPanel* panel,
                            short relayout) {
    if (!doc || !doc->sub_doc) return 0;
    Sub_document& sd = doc->sub_doc[doc->cur_sub_doc];
    const short old_reduction = in_range(sd.reduction);

    sd.mme_g = edited.mme_g;
    sd.mme_d = edited.mme_d;
    sd.mme_s = edited.mme_s;
    sd.mme_i = edited.mme_i;
    sd.mmi_g = edited.mmi_g;
    sd.mmi_d = edited.mmi_d;
    sd.mmi_s = edited.mmi_s;
    sd.mmi_i = edited.mmi_i;
    sd.mmx = edited.mmx;
    sd.mmy = edited.mmy;
    sd.mmdecx = edited.mmdecx;
    sd.mmdecy = edited.mmdecy;
    sd.rmx = edited.rmx;
    sd.rmy = edited.rmy;
    if (edited.printer_setup != sd.printer_setup) {
        std::free(sd.printer_setup);
        sd.printer_setup = edited.printer_setup;
        sd.size_printer_setup = edited.printer_setup ? edited.size_printer_setup : (short)0;
    }
    sd.opti_sys = edited.opti_sys;
    sd.mes_par_por = edited.mes_par_por < 0 ? (short)0 : edited.mes_par_por;
    sd.sys_par_pag = edited.sys_par_pag < 0 ? (short)0 : edited.sys_par_pag;
    sd.reserve_titre_mm = edited.reserve_titre_mm;
    sd.reduction = in_range(edited.reduction);
    const short r = sd.reduction;
    sd.reserve_titre = mm_en_unites(sd.reserve_titre_mm, r);
    sd.mx = mm_en_unites(sd.mmx, r);
    sd.my = mm_en_unites(sd.mmy, r);
    sd.mdecx = mm_en_unites(sd.mmdecx, r);
    sd.mdecy = mm_en_unites(sd.mmdecy, r);
    sd.me_g = mm_en_unites(sd.mme_g, r);
    sd.me_d = mm_en_unites(sd.mme_d, r);
    sd.me_s = mm_en_unites(sd.mme_s, r);
    sd.me_i = mm_en_unites(sd.mme_i, r);
    sd.mi_g = mm_en_unites(sd.mmi_g, r);
    sd.mi_d = mm_en_unites(sd.mmi_d, r);
    sd.mi_s = mm_en_unites(sd.mmi_s, r);
    sd.mi_i = mm_en_unites(sd.mmi_i, r);
    sd.dist_syst = edited.dist_syst;
    sd.repartir_syst = edited.repartir_syst;
    sd.adjust_horiz = edited.adjust_horiz;
    doc->modif = 1;

    if (relayout && panel) mise_en_page(sx, sy, panel);
    doc->flag_maj |= 0x21;
    if (doc->cur_pag > doc->tot_pag) doc->cur_pag = doc->tot_pag;
    dirty_views();

    if (r != old_reduction)
        for (short i = 1; doc->ptx && i <= doc->max_ptx; i++) {
            CTextBloc* t = doc->ptx[i];
            if (!t) continue;
            t->x = rescaled(t->x, old_reduction, r);
            t->y = rescaled(t->y, old_reduction, r);
            t->font.set_size(rescaled(t->font.get_size(), old_reduction, r));
            t->ajuster_cadre_texte();
        }
    return doc->mise_en_page_ok;
}

short dialogue_mise_en_page(short, float sx, float sy, CUserPanel* panel, short show) {
    if (!doc || !doc->sub_doc) return 0;
    PageSetupDialog dialog(doc->sub_doc[doc->cur_sub_doc], doc->mise_en_page_ok, show);
    if (!dialog.run()) return doc->mise_en_page_ok;
    return dialog.accept(sx, sy, panel);
}

short prendre_papier_imprimante(CPrinter& printer, float sx, float sy, CUserPanel* panel) {
    if (!doc || !doc->sub_doc) return 0;
    short size = 0;
    void* record = printer.get_param(&size);
    if (!record || size <= 0 || printer.get_paper_width_mm() <= 0 || printer.get_paper_height_mm() <= 0) return 0;
    Sub_document edited = doc->sub_doc[doc->cur_sub_doc];
    char* copy = (char*)std::malloc((size_t)size);
    if (!copy) return 0;
    std::memcpy(copy, record, (size_t)size);
    edited.printer_setup = copy;  // taken by the extract, which frees its former settings
    edited.size_printer_setup = size;
    auto margin = [](short v) { return v < 0 ? (short)0 : v; };
    edited.mmx = printer.get_paper_width_mm();
    edited.mmy = printer.get_paper_height_mm();
    edited.mme_g = margin(printer.get_left_margin_mm());
    edited.mme_d = margin(printer.get_right_margin_mm());
    edited.mme_s = margin(printer.get_top_margin_mm());
    edited.mme_i = margin(printer.get_bottom_margin_mm());
    const short reduction = in_range(edited.reduction);
    edited.rmx = mm_en_unites(edited.mmx, reduction);
    edited.rmy = mm_en_unites(edited.mmy, reduction);
    return accepter_mise_en_page(edited, sx, sy, panel, panel ? 1 : 0);
}
