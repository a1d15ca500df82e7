#include "midi/MidiComposition.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CTextedit.h"
#include "framework/CUserPanel.h"
#include "framework/ControlHandlers.h"
#include "framework/Startup.h"
#include "editor/Editeur.h"
#include "framework/CList.h"
#include "layout/PageSetup.h"
#include "midi/CMidi.h"
#include "midi/MidiImport.h"
#include "midi/PlayRecordManager.h"
#include "score/MusicClasses.h"
#include "midi/BlockCommands.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentReader.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/StructureSlots.h"
#include "score/CTextBloc.h"
#include "score/Synthe.h"

short file_opening = 0;

namespace {

short close_nothing() { return 1; }
void no_view(Document*) {}
// The imported tracks are played by the play and record manager, when there is one.
void start_manager() {
    if (mpr) mpr->start_playing(1);
}
void stop_manager() {
    if (mpr) mpr->stop_playing();
}
short manager_playing() { return mpr ? mpr->get_play_but() : 0; }

// Items of the choice dialog.
constexpr short kBoxes = 16, kAccept = 17, kPlay = 18, kPages = 20, kCancel = 22, kStop = 23, kTitle = 24,
                kComposer = 25, kVariations = 30;
constexpr short kResultAccept = 1000;
const char kTooMany[] = "Maximum trois port\xE9""es (solistes + variations) !";

// Staff n of the master system.
Portee* staff(Document* d, short n) { return d->por[d->sys[1]->por[n]]; }

// Staves of the master system, as many boxes as the dialog has at most.
short boxed_staves(Document* d) { return d->sys[1]->tot_por < kBoxes ? d->sys[1]->tot_por : kBoxes; }

// The volume every staff is heard at while the user chooses: its own with no box checked,
// else full for the checked ones and a third of its own for the others.
void listening_volumes(Document* d, CDialog* dialog) {
    CMidi* midi = application ? application->midi : nullptr;
    if (!midi) return;
    short boxes = boxed_staves(d);
    bool any = false;
    for (short n = 1; n <= boxes; n++) any = any || (dialog->check(n) && dialog->check(n)->get_value());
    for (short n = 1; n <= d->sys[1]->tot_por; n++) {
        const Ins& ins = d->ins[n];
        if (ins.canal < 1 || ins.canal > 16) continue;
        short own = ins.effet[7];
        bool checked = n <= boxes && dialog->check(n) && dialog->check(n)->get_value();
        char msg[4] = {(char)(0xB0 + ins.canal - 1), 7, (char)(!any ? own : checked ? 127 : own / 3), 0};
        midi->send(1, 0, 3, msg, 1);
    }
}

// Checked boxes among the staves' and the variations box.
short checked_boxes(Document* d, CDialog* dialog) {
    short count = 0;
    for (short n = 1; n <= boxed_staves(d); n++) count += dialog->check(n) && dialog->check(n)->get_value() ? 1 : 0;
    return (short)(count + (dialog->check(kVariations) && dialog->check(kVariations)->get_value() ? 1 : 0));
}

std::string text_of(CDialog* dialog, short item) {
    CString s;
    if (CTextedit* t = dialog->te(item)) t->get_text(&s);
    return s.get() ? s.get() : "";
}

void set_block_text(CTextBloc* b, const std::string& text) {
    b->text.set(text.c_str());
    b->ajuster_cadre_texte();
}

// The page settings of a composition opened from a file: half size, systems optimised, no
// forced measures a line nor title reserve and, when the program sets the margins, a page whose
// printed area is the drawing panel's size, with room for the title above the first system.
void page_settings(Document* d, const MidiCompositionChoice& choice) {
    Sub_document& s = d->sub_doc[1];
    s.opti_sys = 1;
    s.reduction = 50;
    s.mes_par_por = 0;
    s.reserve_titre = s.reserve_titre_mm = 0;
    s.mise_en_page_ok = d->mise_en_page_ok = 0;
    short panel_w = 0, panel_h = 0;
    if (choice.preset_pages && midi_composition_hooks.drawing_panel_size)
        midi_composition_hooks.drawing_panel_size(&panel_w, &panel_h);
    if (panel_w <= 0 || panel_h <= 0) return;  // the template's margins stay
    s.me_g = 16;
    s.mi_g = 0;
    s.me_d = (short)(2 * s.mx - panel_w);
    s.mi_d = 0;
    s.me_s = 18;
    s.mi_s = 50;
    s.me_i = (short)(2 * s.my - panel_h);
    s.mi_i = 0;
    auto mm = [&](short v) { return (short)((int32_t)v * 127 * s.reduction / 36000); };
    s.mmi_g = mm(s.mi_g);
    s.mmi_d = mm(s.mi_d);
    s.mme_g = mm(s.me_g);
    s.mme_d = mm(s.me_d);
    s.mmi_s = mm(s.mi_s);
    s.mmi_i = mm(s.mi_i);
    s.mme_s = mm(s.me_s);
    s.mme_i = mm(s.me_i);
}

// The title, page-number and composer blocks of a composition laid out in pages: the title
// centred at the top margin, the page number on the left and the composer on the right, both
// resting on the inner top margin.
void title_blocks(Document* d, const MidiCompositionChoice& choice) {
    Sub_document& s = d->sub_doc[1];
    if (!choice.title.empty()) d->nom->set(choice.title.c_str());
    if (d->tot_ptx < 3) return;
    CTextBloc* title = d->ptx[1];
    CTextBloc* number = d->ptx[2];
    CTextBloc* composer = d->ptx[3];
    if (!title || !number || !composer) return;
    set_block_text(title, d->nom->get() ? d->nom->get() : "");
    char pages[32] = "";
    if (d->tot_pag > 1) std::snprintf(pages, sizeof pages, "- $1 / %d -", d->tot_pag);
    set_block_text(number, pages);
    set_block_text(composer, choice.composer);
    title->x = (short)((s.mx - title->w) / 2);
    title->y = s.me_s;
    number->x = s.me_g;
    number->y = (short)(s.me_s + s.mi_s - number->h);
    composer->x = (short)(s.mx - s.me_d - composer->w);
    composer->y = (short)(s.me_s + s.mi_s - composer->h);
}

// Lays the composition out in pages with the settings as they stand, without asking: the page
// setup applied without its dialog, on the drawing panel of the composition's view (a measuring
// panel without one). The composition then shows its first page with its title blocks. The
// template's printer settings are dropped: the composition is printed on the user's printer.
void lay_out_pages(Document* d, const MidiCompositionChoice& choice) {
    View* v = d->vue[1];
    float sx = 1.0f, sy = 1.0f;
    Editeur* editor = v && v->shows_score() ? static_cast<Editeur*>(v) : nullptr;
    if (editor) sx = editor->scalex, sy = editor->scaley;
    CUserPanel* panel = v ? v->up : nullptr;
    std::unique_ptr<CUserPanel> measuring;
    if (!panel) {
        measuring = std::make_unique<CUserPanel>(nullptr);
        panel = measuring.get();
    }
    Sub_document& s = d->sub_doc[1];
    const short laid_out = dialogue_mise_en_page(1, sx, sy, panel, 0);
    std::free(s.printer_setup);
    s.printer_setup = nullptr;
    s.size_printer_setup = 0;
    if (!laid_out) return;
    d->cur_pag = 1;
    const short reduction = s.reduction > 0 ? s.reduction : (short)50;
    s.rmx = (short)((int32_t)s.mmx * 36000 / ((int32_t)reduction * 127));
    s.rmy = (short)((int32_t)s.mmy * 36000 / ((int32_t)reduction * 127));
    title_blocks(d, choice);
    if (editor && editor->lin_pag_pop) editor->lin_pag_pop->set_cur(2);
    if (editor) editor->dirty_page_lin();
}

// Every measure of the composition justified again, as one selection of the whole score.
void justify_all(Document* d) {
    View all;
    all.init_vue();
    all.id = 1;
    all.sub_id = d->cur_sub_doc;
    all.selectionner(1, staff(d, 1)->tot_mes, 1, d->sys[1]->tot_por);
    justifier_proc(&all, nullptr);
}

}  // namespace

std::string soloist_box_title(Document* d, short n) {
    const Ins& ins = d->ins[n];
    std::string title = ins.nom;
    if (ins.canal == 10) return title + "   ";
    title += " - ( ";
    const char* port_synth = application && application->midi ? application->midi->midi_prefs.synthe[1] : synthe_port(1);
    if (Synthe* syn = get_synthe(port_synth))
        for (short k = 1; k <= syn->tot_instr; k++)
            if (syn->instr[k].num == ins.patch) {
                title += syn->instr[k].nom;
                break;
            }
    return title + " )";
}

short accepter_sans_choix(Document* d, MidiCompositionChoice* choice) {
    d->ins[1].in_roll |= 3;
    d->ins[1].color = 0;
    *choice = MidiCompositionChoice();
    choice->composer = "Compositeur";
    return 1;
}

short choisir_solistes(Document* d, MidiCompositionChoice* choice) {
    CDialog* dialog = new CDialog("MISC", "Brindlecot.res", MIDI_CHOICE_DIALOG, default_dialog_handler, 0);
    const short boxes = boxed_staves(d);
    for (short n = 1; n <= kBoxes; n++) {
        CCheck* box = dialog->check(n);
        if (!box) continue;
        box->set_value(0);
        if (n > boxes) box->hide();
        else {
            const std::string title = soloist_box_title(d, n);
            box->set_title(title.c_str());
            box->set_dimension((short)(control_text_width(title.c_str()) + 22), box->get_height());  // box and gap
        }
    }
    // Centred, low on the screen, so that the score stays in sight above it (with room for the
    // title bar and the desktop's panel below it).
    short top = (short)(SCREEN_HEIGHT - 270);
    if (top + dialog->get_height() + 48 > SCREEN_HEIGHT) top = (short)(SCREEN_HEIGHT - dialog->get_height() - 48);
    dialog->set_position((short)((SCREEN_WIDTH - dialog->get_width()) / 2), top < 0 ? 0 : top);
    listening_volumes(d, dialog);
    if (CRadio* r = dialog->radio(kPages)) r->set_group_value(1);
    if (CTextedit* t = dialog->te(kTitle)) t->set_text(d->nom->get() ? d->nom->get() : "");
    if (CTextedit* t = dialog->te(kComposer)) t->set_text("Compositeur");
    if (CCheck* c = dialog->check(kVariations)) c->set_value(0);

    auto stop = [] {
        if (midi_composition_hooks.playing()) midi_composition_hooks.stop_playing();
    };
    Event ev;
    while (dialog->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        const short item = ev.item;
        if ((item >= 1 && item <= boxes) || item == kVariations) {
            if (checked_boxes(d, dialog) >= 4) {
                application->warning(kTooMany, "", "", "");
                if (CCheck* c = dialog->check(item)) c->set_value(0);
            }
            listening_volumes(d, dialog);
        } else if (item == kPlay) {
            if (!midi_composition_hooks.playing()) midi_composition_hooks.start_playing();
        } else if (item == kStop) {
            stop();
        } else if (item == kCancel) {
            stop();
            dialog->result = 0;
            dialog->close();
        } else if (item == kAccept) {
            dialog->result = kResultAccept;
            dialog->close();
            stop();
        }
    }
    // Closed another way than by its two buttons: as Cancel.
    const bool accepted = dialog->result == kResultAccept;
    if (accepted) {
        short chosen = 0;
        for (short n = 1; n <= boxes; n++)
            if (dialog->check(n) && dialog->check(n)->get_value()) {
                d->ins[n].in_roll |= 3;
                d->ins[n].color = 0;
                chosen++;
            }
        if (!chosen) {
            d->ins[1].in_roll |= 3;
            d->ins[1].color = 0;
        }
        choice->variations = dialog->check(kVariations) && dialog->check(kVariations)->get_value() ? 1 : 0;
        choice->preset_pages = dialog->radio(kPages) && dialog->radio(kPages)->get_group_value() == 1 ? 1 : 0;
        choice->title = text_of(dialog, kTitle);
        choice->composer = text_of(dialog, kComposer);
    }
    delete dialog;
    return accepted ? 1 : 0;
}

MidiCompositionHooks default_midi_composition_hooks() {
    MidiCompositionHooks h{};
    h.close_document = close_nothing;
    h.choose_soloists = choisir_solistes;
    h.open_view = no_view;
    h.start_playing = start_manager;
    h.stop_playing = stop_manager;
    h.playing = manager_playing;
    h.drawing_panel_size = nullptr;
    return h;
}
MidiCompositionHooks midi_composition_hooks = default_midi_composition_hooks();

short load_midi_document(const char* path) {
    if (file_opening) return 0;
    file_opening = 1;
    working_mode = 2;
    Document* previous = doc;
    std::string template_path = format_file_name("MISC", "Template.dat");
    Document* d = creer_document(template_path.c_str(), "Template.dat");
    const char* why = nullptr;
    if (template_path.empty() || !ouvrir_document_texte(d))
        why = "Le mod\xE8le \"Template.dat\" du dossier \"Misc\" ne peut pas \xEAtre lu.";
    else if (!importer_midi(d, path))
        why = midi_import_error();
    if (why) {
        // Nothing half built is kept; the document that was open stays so.
        destroy_document(d);
        doc = previous;
        file_opening = 0;
        application->warning("Ce fichier MIDI ne peut pas \xEAtre ouvert.", path, why);
        return 0;
    }
    doc = previous;
    if (!midi_composition_hooks.close_document()) {
        destroy_document(d);
        file_opening = 0;
        return 0;
    }
    doc = d;
    d->bcot_format = 1;
    d->sub_doc[1].piste = d->piste;
    d->sub_doc[1].tot_piste = d->tot_piste;
    d->sub_doc[1].max_piste = d->max_piste;
    for (short n = 1; n <= d->sys[1]->tot_por; n++) {
        int32_t start = 0;
        for (short c = 1; c <= staff(d, n)->tot_mes; c++) {
            CMeasure* m = mesure_maitre(d, c, n);
            m->change_mes_flags(0x4, 0);
            m->pa = n;
            m->start = start;
            start += m->length;
        }
    }
    d->sub_doc[1].tempo = d->tempo;
    if (application->midi) application->midi->tempo = d->tempo;
    for (short n = 1; n <= d->tot_ins; n++) d->ins[n].in_roll &= ~3;

    MidiCompositionChoice choice;
    if (!midi_composition_hooks.choose_soloists(d, &choice)) {
        destroy_document(d);
        doc = nullptr;
        file_opening = 0;
        return 0;
    }
    short first_soloist = 0;
    short columns = staff(d, 1)->tot_mes;
    for (short n = 1; n <= d->tot_piste; n++) {
        Ins& ins = d->ins[n];
        if (ins.in_roll & 1) {
            transcrire_proc(d, 1, columns, n);
            if (!first_soloist) first_soloist = n;
            ins.effet[1] = ins.effet[93] = 0;
            ins.effet[91] = 100;
        } else if (ins.effet[7] == 0) {
            ins.effet[7] = 64;
        }
    }
    if (choice.variations && first_soloist) {
        short count = 0;
        if (ajouter_piste_portee_midi(&count, columns)) {
            Ins copy = d->ins[first_soloist];
            copy.buf_msg = nullptr;  // the message list stays with its owner
            copy.tot_msg = 0;
            d->ins[d->tot_piste] = copy;
            d->ins[d->tot_piste].color = 0xFF0000;
        }
    }
    for (short n = 1; n <= d->sys[1]->tot_por; n++) {
        short last = staff(d, n)->tot_mes;
        for (short c = 1; c <= last; c++) mesure_maitre(d, c, n)->change_mes_flags(0, 0x4);
        if (last) mesure_maitre(d, last, n)->end_bar = 4;
        Ins& ins = d->ins[n];
        ins.nom[0] = ins.abrege[0] = 0;
        ins.num_type = 2;
        ins.num_dx = -4;
    }
    d->sub_doc[1].sys = d->sys[1];
    justify_all(d);
    copier_champs_extrait(*d, d->sub_doc[1]);
    midi_composition_hooks.open_view(d);
    page_settings(d, choice);
    lay_out_pages(d, choice);
    copier_champs_extrait(*d, d->sub_doc[1]);
    d->sub_doc[1].actif_just = 1;
    working_mode = 8;
    d->modif = 1;
    d->sans_titre = 1;
    file_opening = 0;
    return 1;
}

void midifile_captured(const char* path) {
    application->set_cursor_arrow();
    load_midi_document(path);
}
