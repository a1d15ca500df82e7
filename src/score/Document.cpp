#include "score/Document.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/CFont.h"
#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/Placeholders.h"
#include "score/Synthe.h"

// ---- Structure records ---------------------------------------------------------------------

// One block holding the two counts and entries 0..capacity, all zero but the capacity; null
// when memory is short.
static short* new_list_record(short capacity) {
    if (capacity < 0) capacity = 0;
    short* block = (short*)std::calloc((size_t)capacity + 3, sizeof(short));
    if (block) block[1] = capacity;
    return block;
}

Portee* nouveau_portee(short capacity) { return (Portee*)new_list_record(capacity); }
Systeme* nouveau_systeme_record(short capacity) { return (Systeme*)new_list_record(capacity); }
Page* nouveau_page(short capacity) { return (Page*)new_list_record(capacity); }

// ---- Creation -----------------------------------------------------------------------------

Document* creer_document(const char* path, const char* nom) {
    Document* d = new Document();
    d->path = new CString;
    d->path->set(path);
    d->nom = new CString;
    d->nom->set(nom);
    d->nom_font = new CFont;
    d->num_font = new CFont;
    d->nol_font = new CFont;
    for (CFont*& f : d->cha_font) f = new CFont;
    d->sans_titre = 1;
    return d;
}

void allouer_document(Document* d, short tot_mes, short tot_por, short tot_sys,
                      short tot_sub_doc, short tot_lib) {
    d->tot_mes = tot_mes;
    d->max_mes = (short)(tot_mes + 256);
    d->mes = new CMeasure*[d->max_mes + 1]();
    d->tot_por = tot_por;
    d->max_por = (short)(tot_por + 50);
    d->por = new Portee*[d->max_por + 1]();
    d->tot_sys = tot_sys;
    d->max_sys = (short)(tot_sys + 50);
    d->sys = new Systeme*[d->max_sys + 1]();
    d->tot_lib = tot_lib;
    d->max_lib = (short)(tot_lib + 32);
    d->lib = new CLibrary*[d->max_lib + 1]();
    d->tot_ins = 0;
    d->tot_sub_doc = tot_sub_doc;
    d->max_sub_doc = tot_sub_doc;
    d->sub_doc = new Sub_document[tot_sub_doc + 1]();
    for (short i = 1; i <= tot_sub_doc; i++) init_sub_document(&d->sub_doc[i], i);
    init_var_doc(d);
}

void init_sub_document(Sub_document* s, short i) {
    s->nom = new CString;
    s->nom->add_int(i);
    s->chprog = new CChordProgression;
    s->undo = new CUndoManager(s);
    s->x = (short)(40 * i + 20);
    s->y = 20;
    s->flag_maj = 0;
    s->zoom_score = 100;
    s->zoom_defil = 100;
    s->actif_just = 1;
    s->adjust_horiz = 1;
    const short analysis[21] = {0, 0, 75, 1, 3, 1, 1, 3, 1, 3, 4, -1, 55, 79, 1, 1, 4, 0, 4, 2, 100};
    short* fields[21] = {&s->acc_por_symboles, &s->acc_por_notes, &s->acc_concordance,
                         &s->acc_choix1, &s->acc_choix2, &s->acc_find_bass, &s->acc_tot_ryt,
                         &s->acc_dur_ryt, &s->acc_por_ryt, &s->acc_min_notes, &s->acc_max_notes,
                         &s->acc_mask, &s->acc_tes_inf, &s->acc_tes_sup, &s->acc_choix_ryt,
                         &s->acc_gen_tot_ryt, &s->acc_gen_dur_ryt, &s->acc_cel_ryt,
                         &s->acc_gen_max, &s->acc_min_dist, &s->acc_gen_leg};
    for (short k = 0; k < 21; k++) *fields[k] = analysis[k];
    s->tab_chord_analyse = new CArrayInt;
    for (short k = 1; chord_library && k <= chord_library->total(); k++)
        s->tab_chord_analyse->add(chord_library->get_id(k));
    s->reduction = 100;
    s->mx = s->rmx = 595;
    s->my = s->rmy = 842;
    s->mmx = 210;
    s->mmy = 297;
    s->mi_g = s->mi_d = s->mi_s = s->mi_i = 0;
    s->mmi_g = s->mmi_d = s->mmi_s = s->mmi_i = 0;
    s->me_g = s->me_d = s->me_s = s->me_i = 42;
    s->mme_g = s->mme_d = s->mme_s = s->mme_i = 15;
    s->mdecx = s->mdecy = s->mmdecx = s->mmdecy = 0;
    s->size_printer_setup = 0;
    s->printer_setup = nullptr;
    s->opti_sys = 0;
    s->mes_par_por = 4;
    s->sys_par_pag = 0;
    s->reserve_titre = 1;
    s->reserve_titre_mm = 20;
    s->dist_syst = 8;
    s->repartir_syst = 0;
    s->s_com = nullptr;
}

void allouer_pages(Document* d, short tot_pag) {
    d->tot_pag = tot_pag;
    d->max_pag = (short)(tot_pag + 5);
    d->pag = new Page*[d->max_pag + 1]();
    d->pag[0] = nouveau_page(5);
}

// ---- Defaults -----------------------------------------------------------------------------

void init_var_ins(Ins* ins, short n) {
    std::snprintf(ins->nom, sizeof ins->nom, "%hd", n);
    std::snprintf(ins->abrege, sizeof ins->abrege, "%hd", n);
    std::snprintf(ins->synthe, sizeof ins->synthe, "%s", synthe_port(1));
    ins->groupe = 1;
    ins->patch = 1;
    ins->port = 1;
    ins->canal = 1;
    ins->bank = 0;
    ins->transpo = 0;
    ins->velocity = 64;
    ins->autom = (short)0xFFFF;
    std::memset(ins->effet, 255, sizeof ins->effet);
    if (Synthe* s = get_synthe(ins->synthe)) {
        for (short e = 1; e <= s->tot_effet; e++) {
            const Effet& effect = s->effet[e];
            if (effect.def != -1 && effect.num >= 0 && effect.num < 128)
                ins->effet[effect.num] = (unsigned char)effect.def;
        }
    }
    ins->mode_velo = 3;
    ins->atp = ins->atm = 0;
    ins->pitch_bend = 0;
    ins->duree = 100;
    ins->depart = 0;
    ins->play = 1;
    ins->solo = 0;
    ins->percu = 0;
    for (short k = 0; k < 128; k++) ins->map[k] = (unsigned char)k;
    ins->use_msg = 0;
    ins->tot_msg = 0;
    ins->buf_msg = nullptr;
    ins->relier = 1;
    ins->lignes = 0x07C0;
    ins->accol_type = ins->accol_tot = ins->accol_dx = 0;
    ins->num_dx = 0;
    ins->num_dy = -5;
    ins->num_type = 0;
    ins->dx = 30;
    ins->dy = 30;
    ins->x_nom = 6;
    ins->y_nom = 15;
    ins->color = 255;
    ins->in_roll = 3;
    ins->staff_size = 100;
}

void init_var_doc(Document* d) {
    d->next_meas_id = 1;
    d->mise_en_page_ok = 0;
    d->tempo = 100;
    d->lib_options = 6;
    d->valeur_intervalle = 1;
    d->type_intervalle = 1;
    d->sens_intervalle = 1;
    d->octave_intervalle = 0;
    d->auto_erase = 1;
    d->auto_justi = 1;
    d->auto_transcrire = 1;
    d->detect_triolet = 1;
    d->auto_quantification = 0;
    d->min_quantification = 5;
    d->split_sup = d->split_inf = 0;
    d->split_freq_sup = 84;
    d->split_freq_inf = 60;
    d->quantifier_start = 1;
    d->quantifier_duree = 0;
    d->quant_val_start = d->quant_val_duree = 5;
    d->quant_point_start = d->quant_point_duree = 0;
    d->quant_triolet_start = d->quant_triolet_duree = 0;
    d->quantifier_del = d->quant_point_del = d->quant_triolet_del = 0;
    d->quant_val_del = 6;
    d->mes_width = 100;
    d->mes_espace = 50;
    d->entete_mesure_automatique = 1;
    d->dist_entete_1 = d->dist_entete_2 = d->dist_entete_3 = d->dist_entete_4 = 3;
    d->offset_mesure = 1;
    d->position_nom = 1;
    d->voir_symboles_invisibles = 0;
    d->voix_visibles = -1;
    d->utiliser_couleurs = 1;
    for (int32_t& c : d->col) c = 0;
    d->epaisseur_hampes = d->epaisseur_portees = d->epaisseur_barres = d->epaisseur_autres = 2;
    d->epaisseur_ligatures = 8;
    d->epaisseur_intervalles = 3;
    d->epaisseur_extensions = 2;
    d->fact_just = 125;
    d->larg_just_fct = 1;
    d->larg_just_auto = 0;
    d->local_just = 0;
    d->analyse_voix_incompletes = 0;
    d->permettre_justi_manuelle = 1;
    d->modif = 0;
    d->curseur_ma = d->curseur_pa = 1;
    d->curseur_x = -10;
    d->curseur = 0;
    d->cur_mes = 1;
    d->cur_por = d->cur_sys = d->cur_pag = 0;
    d->joue = 0;
    d->cmd = 0;
    d->flag_maj = 0;
    d->rec_piste = 0;
    std::memset(d->midi_tab_notes, 0, sizeof d->midi_tab_notes);
    d->config = 1;
    d->tete_courante = 0;
    d->next_pos_gid = d->next_pos_acid = d->next_lib_id = 1;
    d->next_neg_gid = d->next_neg_acid = -1;
    for (View*& v : d->vue) v = nullptr;
    d->libid = 0;
    d->par_mes = d->par_por = 1;
    d->par_id = 0;
    d->par_h = 1;
    d->par_cur = 0;
    d->par_time = 0;
    std::free(d->tab_lyric);
    d->tab_lyric = nullptr;
    d->tot_lyric = 0;
    d->mode_vue = 3;
    d->contenu_vue_mesures = d->contenu_vue_pistes = d->contenu_vue_control = 1;
    d->zoom_m = 4;
    d->zoom_p = 2;
    d->clavier_horizontal = 2;
    d->show_beat = 1;
    d->zoom_mr = 128;
    d->zoom_nr = 8;
    d->angle_ligatures = 25;
    d->nom_police_old = d->num_police_old = d->nol_police_old = d->cha_police_old = 3;
    d->nom_taille_old = d->num_taille_old = d->nol_taille_old = d->cha_taille_old = 12;
    d->nom_style_old = d->num_style_old = d->nol_style_old = d->cha_style_old = 0;
    d->print_color = 1;
    d->contexte_alt_acc = 0x4339;
    d->auto_pos_alterations = 1;
    d->justi_alt_acc = 75;
    d->justi_clef = 50;
    d->justi_rapport = 120;
    d->ligatures = 0;
    d->justi_liga = 1;
    d->justi_hampes = 5;
    d->justi_dec_voix = 8;
    d->justi_symboles = 50;
    d->tsig_end = d->ksig_end = 1;
    d->ajuster_nolet_vertical = 0;
    d->ligature_silence = 1;
    d->marge_defil_is = 24;
    d->auto_clef = 0;
    for (short i = 1; d->ins && i <= d->tot_ins; i++) init_var_ins(&d->ins[i], i);
}

// ---- Destruction --------------------------------------------------------------------------

namespace {
// Remembers the blocks already freed, so that a block shared by two records (a record left
// over from before a switch, a half-read extract) is freed once.
class FreeOnce {
public:
    bool first(const void* p) {
        if (!p) return false;
        for (const void* s : seen)
            if (s == p) return false;
        seen.push_back(p);
        return true;
    }

private:
    std::vector<const void*> seen;
};

// Frees the blocks of an extract that the context switch exchanges.
void free_exchanged_blocks(Sub_document& s, FreeOnce& once) {
    if (once.first(s.ptx)) {
        for (short i = 1; i <= s.max_ptx; i++) delete s.ptx[i];
        delete[] s.ptx;
    }
    if (once.first(s.sys)) std::free(s.sys);
    if (once.first(s.ins)) {
        for (short k = 1; k <= s.tot_ins; k++) std::free(s.ins[k].buf_msg);
        delete[] s.ins;
    }
    if (once.first(s.pag)) {
        for (short p = 0; p <= s.max_pag; p++) std::free(s.pag[p]);
        delete[] s.pag;
    }
    if (once.first(s.piste)) {
        for (short t = 1; t <= s.tot_piste; t++) detruire_piste(s.piste[t]);
        delete[] s.piste;
    }
}

// Frees what an extract record owns outside the exchanged blocks.
void free_record_blocks(Sub_document& s) {
    delete s.nom;
    delete s.chprog;
    delete s.tab_chord_analyse;
    std::free(s.s_com);
    std::free(s.printer_setup);
}
}  // namespace

void destroy_document(Document* d) {
    if (!d) return;
    Systeme* master = d->sys ? d->sys[1] : nullptr;
    short extracts = d->sub_doc ? d->tot_sub_doc : 0;
    // The current record takes the live values, so that each block is freed from one place.
    if (d->cur_sub_doc >= 1 && d->cur_sub_doc <= extracts) {
        Sub_document& current = d->sub_doc[d->cur_sub_doc];
        copier_champs_extrait(*d, current);
        current.sys = master;
    }
    for (short i = 1; i <= extracts; i++) delete d->sub_doc[i].undo;
    for (short m = 1; d->mes && m <= d->max_mes; m++) delete d->mes[m];
    delete[] d->mes;
    for (short p = 1; d->por && p <= d->max_por; p++) std::free(d->por[p]);
    delete[] d->por;
    for (short s = 2; d->sys && s <= d->max_sys; s++) std::free(d->sys[s]);
    delete[] d->sys;
    FreeOnce once;
    for (short i = 1; i <= extracts; i++) {
        free_exchanged_blocks(d->sub_doc[i], once);
        free_record_blocks(d->sub_doc[i]);
    }
    // Blocks of a half-read extract that no record holds yet.
    Sub_document live{};
    copier_champs_extrait(*d, live);
    live.sys = master;
    free_exchanged_blocks(live, once);
    delete[] d->sub_doc;
    for (short l = 1; d->lib && l <= d->max_lib; l++) delete d->lib[l];
    delete[] d->lib;
    std::free(d->tab_lyric);
    delete d->nom;
    delete d->path;
    delete d->nom_font;
    delete d->num_font;
    delete d->nol_font;
    for (CFont* f : d->cha_font) delete f;
    delete d;
}

CMeasure* mesure_maitre(Document* d, short ma, short pa) {
    Systeme* master = (d && d->sys) ? d->sys[1] : nullptr;
    if (!master || pa < 1 || pa > master->tot_por) return nullptr;
    short staff = master->por[pa];
    if (!d->por || staff < 1 || staff > d->max_por || !d->por[staff]) return nullptr;
    Portee* p = d->por[staff];
    if (ma < 1 || ma > p->tot_mes) return nullptr;
    short m = p->mes[ma];
    return (d->mes && m >= 1 && m <= d->max_mes) ? d->mes[m] : nullptr;
}
