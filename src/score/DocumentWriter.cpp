#include "score/DocumentWriter.h"
#include "score/MusicClasses.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <unistd.h>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/Piste.h"
#include "score/Placeholders.h"
#include "score/Records.h"
#include "score/StructureSlots.h"

namespace {

// The longest names the reader takes back: an extract's name, a font's face name in
// "divers_3", the name of an instrument's message.
constexpr size_t extract_name_max = 35;
constexpr size_t font_name_max = 48;
constexpr size_t message_name_max = 30;

// "keyword(v1,v2,...)" and a line feed.
void setting(FILE* f, const char* keyword, std::initializer_list<int32_t> values) {
    rec::put(f, keyword);
    rec::put(f, '(');
    bool first = true;
    for (int32_t v : values) {
        if (!first) rec::put(f, ',');
        first = false;
        rec::put_int(f, v);
    }
    rec::put(f, ")\n");
}

// "keyword(n,e1,...,en)" and a line feed, for a staff, system or page record.
void list_record(FILE* f, const char* keyword, short n, const short* entries) {
    rec::put(f, keyword);
    rec::put(f, '(');
    rec::put_int(f, n);
    for (short k = 1; k <= n; k++) {
        rec::put(f, ',');
        rec::put_int(f, entries[k]);
    }
    rec::put(f, ")\n");
}

void replace_commas(char* s) {
    for (; *s; s++)
        if (*s == ',') *s = '.';
}

void progress(short percent) { application->do_patience(percent); }

void pump() {
    jouer_temps_reel();
}

void write_settings(FILE* f, Document* d) {
    setting(f, "structure", {d->tot_mes, d->tot_por, d->tot_sys, d->tot_sub_doc, d->tot_lib});
    setting(f, "espacement",
            {d->entete_mesure_automatique, d->dist_entete_1, d->dist_entete_2, d->dist_entete_3,
             d->dist_entete_4});
    setting(f, "transposition",
            {d->valeur_intervalle, d->type_intervalle, d->sens_intervalle, d->octave_intervalle});
    setting(f, "divers_1", {d->offset_mesure, d->position_nom, d->voir_symboles_invisibles});
    setting(f, "transcription",
            {d->auto_erase, d->auto_justi, d->tot_ligature, d->auto_transcrire, d->detect_triolet,
             d->auto_quantification, d->min_quantification, d->split_sup, d->split_inf,
             d->split_freq_sup, d->split_freq_inf});
    setting(
        f, "quantification",
        {d->quantifier_start, d->quantifier_duree, d->quantifier_del, d->quant_val_start,
         d->quant_val_duree, d->quant_val_del, d->quant_point_start, d->quant_point_duree,
         d->quant_point_del, d->quant_triolet_start, d->quant_triolet_duree, d->quant_triolet_del});
    setting(f, "justification",
            {d->fact_just, 1, d->larg_just_fct, d->larg_just_auto, d->local_just,
             d->analyse_voix_incompletes});
    setting(f, "epaisseurs",
            {d->epaisseur_hampes, d->epaisseur_portees, d->epaisseur_barres, d->epaisseur_autres,
             d->epaisseur_ligatures, d->epaisseur_intervalles, d->epaisseur_extensions});
    setting(f, "olib", {d->lib_options});
    setting(f, "oseq",
            {d->mode_vue, d->contenu_vue_mesures, d->contenu_vue_pistes, d->contenu_vue_control,
             d->zoom_m, d->zoom_p});
    setting(f, "opia", {d->clavier_horizontal, d->show_beat, d->zoom_mr, d->zoom_nr});
    std::fprintf(f, "divers_2(%d,%d", d->voix_visibles, d->utiliser_couleurs);
    for (short c = 1; c <= 17; c++) std::fprintf(f, ",%d", d->col[c]);
    rec::put(f, ")\n");
    std::fprintf(f, "divers_3(%d", d->angle_ligatures);
    CFont* fonts[11] = {d->nom_font, d->num_font, d->nol_font};
    for (short k = 0; k < 8; k++) fonts[3 + k] = d->cha_font[k];
    for (CFont* font : fonts) {
        rec::put(f, ',');
        rec::put_clean(f, font->get_name(), ",", font_name_max);
        std::fprintf(f, ",%d,%d", font->get_size(), font->get_style());
    }
    rec::put(f, ")\n");
    setting(f, "divers_4",
            {d->print_color, d->contexte_alt_acc, d->auto_pos_alterations, d->justi_alt_acc,
             d->justi_clef, d->justi_rapport, d->ligatures, d->justi_liga, d->justi_hampes,
             d->justi_dec_voix, d->justi_symboles});
    setting(f, "divers_5",
            {d->tsig_end, d->ksig_end, d->ajuster_nolet_vertical, d->ligature_silence});
    setting(f, "divers_8", {d->permettre_justi_manuelle, d->marge_defil_is, d->auto_clef});
}

void write_instrument(FILE* f, Ins& ins) {
    replace_commas(ins.nom);
    replace_commas(ins.abrege);
    replace_commas(ins.synthe);
    std::fprintf(f,
                 "i(%s,%s,%s,groupe=%d,instr=%d,port=%d,canal=%d,bank=%d,transpo=%d,vel=%d,"
                 "mvel=%d,autom=%04X,relier=%d,lignes=%04X,accol_type=%d,accol_tot=%d,"
                 "accol_dx=%d,num_dx=%d,num_dy=%d,num_type=%d,x_nom=%d,y_nom=%d,dx=%d,dy=%d,"
                 "percu=%d,tot_msg=%d,use_msg=%d,duree=%d,depart=%d,atm=%d,atp=%d,pb=%d,"
                 "play=%d,solo=%d,col=%d,ir=%d,stsi=%d",
                 ins.nom, ins.abrege, ins.synthe, ins.groupe, ins.patch, ins.port, ins.canal,
                 ins.bank, ins.transpo, ins.velocity, ins.mode_velo, (unsigned)(int32_t)ins.autom,
                 ins.relier, (unsigned)(int32_t)ins.lignes, ins.accol_type, ins.accol_tot,
                 ins.accol_dx, ins.num_dx, ins.num_dy, ins.num_type, ins.x_nom, ins.y_nom, ins.dx,
                 ins.dy, ins.percu, ins.tot_msg, ins.use_msg, ins.duree, ins.depart, ins.atm,
                 ins.atp, ins.pitch_bend, ins.play, ins.solo, ins.color, ins.in_roll,
                 ins.staff_size);
    for (short j = 0; j < 128; j++)
        if (ins.effet[j] != 255) std::fprintf(f, ",effet_%d=%d", j, ins.effet[j]);
    rec::put(f, ")\n");
    for (short m = 1; ins.buf_msg && m <= ins.tot_msg; m++) {
        Msg_use& msg = ins.buf_msg[m];
        rec::put_clean(f, msg.nom, "(", message_name_max);
        std::fprintf(f, "(%d,%d,%d,%d)\n", msg.param[0], msg.param[1], msg.param[2], msg.param[3]);
    }
    if (!ins.percu) return;
    rec::put(f, "conversion(");
    for (short k = 0; k < 128; k++) {
        rec::put_int(f, ins.map[k]);
        rec::put(f, k == 127 ? ")\n" : k % 16 == 15 ? ",\n" : ",");
    }
}

// Writes the event bytes up to the last one in use, so that an unused byte between two used
// ones keeps its place on reading.
void write_track(FILE* f, Piste* p) {
    short tot = p ? p->tot : 0;
    rec::put(f, "piste(");
    rec::put_int(f, tot);
    for (short e = 1; e <= tot; e++) {
        const MidiEvent& ev = p->event[e];
        rec::put(f, ",\r");
        rec::put_int(f, ev.time);
        short last = 0;
        for (short b = 1; b < 4; b++)
            if (ev.buf[b] != 0xFF) last = b;
        for (short b = 0; b <= last; b++) {
            rec::put(f, ',');
            rec::put_hex2(f, ev.buf[b]);
        }
        if (e & 16) pump();
    }
    rec::put(f, ")\n");
}

void rect_record(FILE* f, const char* keyword, const CRect& r) {
    setting(f, keyword, {r.x1, r.y1, r.x2, r.y2});
}

void write_extract(FILE* f, Sub_document& s) {
    replace_commas(s.nom->get());
    rec::put(f, "partition(");
    rec::put_clean(f, s.nom->get(), "", extract_name_max);
    std::fprintf(f, ",%d,%d,%d)\n", s.tot_ins, s.tot_pag, s.tempo);
    // The reader makes room for as many text blocks as "statut" counts, and 20 more: the count
    // written is that of the blocks written.
    short blocks = 0;
    for (short b = 1; s.ptx && b <= s.max_ptx; b++)
        if (s.ptx[b]) blocks++;
    setting(f, "statut", {s.mise_en_page_ok, blocks, s.cur_mes, s.cur_pag, s.rec_piste, s.x, s.y});
    setting(f, "dimensions", {s.mmx, s.mmy, s.reduction});
    setting(f, "marges_externes", {s.mme_g, s.mme_d, s.mme_s, s.mme_i});
    setting(f, "marges_internes", {s.mmi_g, s.mmi_d, s.mmi_s, s.mmi_i});
    setting(f, "divers_6",
            {s.opti_sys, s.mes_par_por, s.sys_par_pag, s.reserve_titre, s.reserve_titre_mm,
             s.dist_syst, s.repartir_syst, s.zoom_defil, s.actif_just});
    if (s.printer_setup) {
        std::fprintf(f, "impression(%d", s.size_printer_setup);
        for (short b = 0; b < s.size_printer_setup; b++)
            std::fprintf(f, ",%d", (unsigned char)s.printer_setup[b]);
        rec::put(f, ")\n");
    }
    list_record(f, "sys", s.sys ? s.sys->tot_por : 0, s.sys ? s.sys->por : nullptr);
    for (short p = 1; p <= s.tot_pag; p++) {
        Page* page = p <= s.max_pag ? s.pag[p] : nullptr;
        list_record(f, "page", page ? page->tot_sys : 0, page ? page->sys : nullptr);
    }
    for (short k = 1; k <= s.tot_ins; k++) write_instrument(f, s.ins[k]);
    // The reader takes one track per instrument.
    for (short t = 1; t <= s.tot_ins; t++) {
        write_track(f, t <= s.tot_piste && s.piste ? s.piste[t] : nullptr);
        pump();
    }
    rect_record(f, "rpar", s.rpar);
    rect_record(f, "rseq", s.rseq);
    rect_record(f, "rins", s.rins);
    rect_record(f, "rpia", s.rpia);
    rect_record(f, "rdef", s.rdef);
    rect_record(f, "rmain", s.rmain);
    for (short b = 1; s.ptx && b <= s.max_ptx; b++)
        if (s.ptx[b]) s.ptx[b]->write(f);
    if (s.s_com) {
        size_t n = std::strlen(s.s_com);
        if (n > (size_t)CString::max_length) n = CString::max_length;
        std::fprintf(f, "com(%d,", (int)n);
        std::fwrite(s.s_com, 1, n, f);
        rec::put(f, ")\n");
    }
    setting(f, "cfgi", {s.config_instru});
    setting(f, "divers_7", {s.rmx, s.rmy, s.mdecx, s.mdecy, s.mmdecx, s.mmdecy, s.adjust_horiz});
    setting(f, "zoom_score", {s.zoom_score});
    if (s.chprog) s.chprog->write(f);
    std::fprintf(f, "analyse(%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d",
                 s.acc_por_symboles, s.acc_por_notes, s.acc_concordance, s.acc_choix1, s.acc_choix2,
                 s.acc_find_bass, s.acc_tot_ryt, s.acc_dur_ryt, s.acc_por_ryt, s.acc_min_notes,
                 s.acc_max_notes, s.acc_mask, s.acc_tes_inf, s.acc_tes_sup, s.acc_choix_ryt,
                 s.acc_gen_tot_ryt, s.acc_gen_dur_ryt, s.acc_cel_ryt, s.acc_gen_max, s.acc_min_dist,
                 s.acc_gen_leg, s.tab_chord_analyse ? s.tab_chord_analyse->total() : 0);
    for (short k = 1; s.tab_chord_analyse && k <= s.tab_chord_analyse->total(); k++)
        std::fprintf(f, ",%d", s.tab_chord_analyse->get(k));
    rec::put(f, ")\n");
}

// Writes every record after the header; false when the stream reported a write error.
bool write_records(FILE* f, Document* d) {
    write_settings(f, d);
    progress(20);
    for (short p = 1; p <= d->tot_por; p++) {
        Portee* staff = d->por[p];
        list_record(f, "p", staff ? staff->tot_mes : 0, staff ? staff->mes : nullptr);
        pump();
    }
    progress(25);
    for (short s = 2; s <= d->tot_sys; s++) {
        Systeme* system = d->sys[s];
        list_record(f, "sys", system ? system->tot_por : 0, system ? system->por : nullptr);
        pump();
    }
    progress(30);
    for (short i = 1; i <= d->tot_sub_doc; i++) {
        progress((short)(30 + 10 * i / d->tot_sub_doc));
        write_extract(f, d->sub_doc[i]);
    }
    for (short l = 1; l <= d->tot_lib; l++) d->lib[l]->write(f);
    progress(50);
    for (short m = 1; m <= d->tot_mes; m++) {
        progress((short)(50 + 50 * m / d->tot_mes));
        CMeasure* measure = d->mes[m];
        if (!measure) {
            d->tot_mes = (short)(m - 1);
            break;
        }
        measure->x = measure->px;
        measure->y = measure->py;
        write_text_bloc(measure, f);
        pump();
        if (std::ferror(f)) break;
    }
    return !std::ferror(f);
}

// Puts the check value of the file's length over its first four bytes, and makes sure the
// whole file is on the disk before it takes the old one's place.
bool write_check_value(FILE* f) {
    long length = std::ftell(f);
    if (length < 0 || std::fseek(f, 0, SEEK_SET) != 0) return false;
    std::fprintf(f, "M%03d", (int)(((int32_t)length ^ check_key) % 1000));
    return std::fflush(f) == 0 && !std::ferror(f) && fsync(fileno(f)) == 0;
}

// The path the document is saved to.
void target_path(Document* d, CString* out) {
    if (d->path && d->path->length()) {
        out->set(d->path->get());
        return;
    }
    out->set(d->nom->get());
    char upper[50];
    std::snprintf(upper, sizeof upper, "%s", d->nom->get());
    for (char* c = upper; *c; c++) *c = (char)std::toupper((unsigned char)*c);
    if (!std::strstr(upper, ".MRC")) out->add(".mrc");
}

void text_of(short list, short line, CString* out) {
    gr_string("MISC", "MUSIC.RES", list, line, out);
}

// Tells the user that the document could not be saved to `path`.
void tell_save_failed(const char* path) {
    beep();
    application->warning("Le document n'a pas pu \xEAtre enregistr\xE9.", path,
                        "Le fichier pr\xE9"
                        "c\xE9"
                        "dent est rest\xE9 tel qu'il \xE9tait.");
}

}  // namespace

short save_document(Document* d) {
    CString path, temporary, title, line2;
    target_path(d, &path);
    temporary.set(path.get());
    temporary.add(".tmp");
    FILE* f = std::fopen(temporary.get(), "wb+");
    text_of(67, 3, &title);
    text_of(67, 4, &line2);
    application->open_patience(0, 0, title.get(), d->nom->get(), line2.get());
    permuter_contexte(d, d->cur_sub_doc);
    mise_en_ordre(d);
    progress(10);
    if (!f) {
        call_sup(70);
        tell_save_failed(path.get());
        application->close_patience();
        return 0;
    }
    std::vector<char> buffer(1 << 16);  // outlives the stream, closed below
    std::setvbuf(f, buffer.data(), _IOFBF, buffer.size());
    d->modif = 0;
    rec::put(f, "D927-TW005FR\n");
    bool written = write_records(f, d) && write_check_value(f);
    written = std::fclose(f) == 0 && written;
    if (written) written = std::rename(temporary.get(), path.get()) == 0;
    if (!written) {
        std::remove(temporary.get());
        call_sup(48);
        d->modif = 1;
        tell_save_failed(path.get());
    }
    for (View* v : d->vue)
        if (v && document_view_hooks.get_type(v) == 1) document_view_hooks.calculer_page_0(v);
    application->close_patience();
    return written ? 1 : 0;
}

// ---- Compaction ---------------------------------------------------------------------------

namespace {

void renumber_staff(Portee* p, short k, short i) {
    for (short e = 1; p && e <= p->tot_mes; e++)
        if (p->mes[e] == k) p->mes[e] = i;
}
void renumber_system(Systeme* s, short k, short i) {
    for (short e = 1; s && e <= s->tot_por; e++)
        if (s->por[e] == k) s->por[e] = i;
}
void renumber_page(Page* p, short k, short i) {
    for (short e = 1; p && e <= p->tot_sys; e++)
        if (p->sys[e] == k) p->sys[e] = i;
}

void free_linear_views(Document* d) {
    for (short x = 1; x <= d->tot_sub_doc; x++) {
        Page* lin = d->sub_doc[x].pag ? d->sub_doc[x].pag[0] : nullptr;
        if (!lin) continue;
        for (short e = 1; e <= lin->tot_sys; e++) {
            short s = lin->sys[e];
            if (s < 2 || s > d->max_sys || !d->sys[s]) continue;
            Systeme* system = d->sys[s];
            for (short t = 1; t <= system->tot_por; t++) {
                short p = system->por[t];
                if (p < 1 || p > d->max_por || !d->por[p]) continue;
                std::free(d->por[p]);
                d->por[p] = nullptr;
                d->tot_por--;
            }
            std::free(system);
            d->sys[s] = nullptr;
            d->tot_sys--;
            lin->sys[e] = 0;
        }
        lin->tot_sys = 0;
    }
}

void close_up_measures(Document* d) {
    for (short i = 1; i <= d->tot_mes && i <= d->max_mes; i++) {
        if (d->mes[i]) continue;
        short k = d->max_mes;
        while (k > i && !d->mes[k]) k--;
        if (k == i) continue;
        replace_object_location(d, (void**)&d->mes[k], (void**)&d->mes[i]);
        d->mes[i] = d->mes[k];
        d->mes[k] = nullptr;
        for (short p = 1; p <= d->max_por; p++) renumber_staff(d->por[p], k, i);
    }
}

void close_up_staves(Document* d) {
    for (short i = 1; i <= d->tot_por && i <= d->max_por; i++) {
        if (d->por[i]) continue;
        short k = (short)(i + 1);
        while (k <= d->max_por && !d->por[k]) k++;
        if (k > d->max_por) continue;
        d->por[i] = d->por[k];
        d->por[k] = nullptr;
        for (short s = 2; s <= d->max_sys; s++) renumber_system(d->sys[s], k, i);
        for (short x = 1; x <= d->tot_sub_doc; x++) renumber_system(d->sub_doc[x].sys, k, i);
    }
}

void close_up_systems(Document* d) {
    for (short i = 2; i <= d->tot_sys && i <= d->max_sys; i++) {
        if (d->sys[i]) continue;
        short k = (short)(i + 1);
        while (k <= d->max_sys && !d->sys[k]) k++;
        if (k > d->max_sys) continue;
        d->sys[i] = d->sys[k];
        d->sys[k] = nullptr;
        for (short x = 1; x <= d->tot_sub_doc; x++) {
            Sub_document& s = d->sub_doc[x];
            for (short p = 1; s.pag && p <= s.max_pag; p++) renumber_page(s.pag[p], k, i);
        }
    }
}

void renumber_library(Document* d, short k, short i) {
    for (short l = 1; l <= d->max_lib; l++) {
        CLibrary* lib = d->lib[l];
        if (!lib || lib->type == 1) continue;
        for (short j = 1; j <= lib->tot_par; j++)
            if (lib->par.get((short)(2 * j - 1)) == k) lib->par.set(i, (short)(2 * j - 1));
    }
    for (short m = 1; m <= d->max_mes; m++) {
        CMeasure* measure = d->mes[m];
        for (short t = 1; measure && t <= measure->total(); t++) {
            CLibUse* use = measure->get_libuse_item(t);
            for (short e = 1; use && e <= use->libid.total(); e++)
                if (use->libid.get(e) == k) use->libid.set(i, e);
        }
    }
}

void close_up_libraries(Document* d) {
    for (short i = 1; i <= d->tot_lib && i <= d->max_lib; i++) {
        if (d->lib[i]) continue;
        short k = d->max_lib;
        while (k > d->tot_lib && !d->lib[k]) k--;
        if (k <= d->tot_lib) break;
        d->lib[i] = d->lib[k];
        d->lib[k] = nullptr;
        renumber_library(d, k, i);
    }
    // A count that does not match the libraries present leaves holes: the file must hold
    // exactly `tot_lib` libraries, so the rest close up in order too.
    short count = 0;
    for (short k = 1; k <= d->max_lib; k++) {
        if (!d->lib[k]) continue;
        if (++count == k) continue;
        d->lib[count] = d->lib[k];
        d->lib[k] = nullptr;
        renumber_library(d, k, count);
    }
    d->tot_lib = count;
}

// The number of objects in slots `first` to `last` of an array.
template <class T>
short filled_slots(T** slots, short first, short last) {
    short count = 0;
    for (short k = first; slots && k <= last; k++)
        if (slots[k]) count++;
    return count;
}

}  // namespace

void mise_en_ordre(Document* d) {
    free_linear_views(d);
    // The counts become those of the objects present, whatever an edit left in them, so that
    // the compaction fills slots 1 to each count and the file holds every object.
    d->tot_mes = filled_slots(d->mes, 1, d->max_mes);
    d->tot_por = filled_slots(d->por, 1, d->max_por);
    d->tot_sys = (short)(1 + filled_slots(d->sys, 2, d->max_sys));
    for (View* v : d->vue)
        if (v && document_view_hooks.get_type(v) == 1) document_view_hooks.invalider_lineaire(v);
    close_up_measures(d);
    close_up_staves(d);
    close_up_systems(d);
    for (short x = 1; x <= d->tot_sub_doc; x++) d->sub_doc[x].flag_maj |= 0x10;
    d->flag_maj |= 0x10;
    close_up_libraries(d);
}
