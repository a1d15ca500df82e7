#pragma once
// The open score and its extracts. The document holds every measure, staff and system of the
// piece in 1-based arrays (a pointer with a count of objects `tot_` and of slots `max_`),
// the library elements, and the settings; each extract (`Sub_document`) has its own master
// system, pages, instruments, tracks, text blocks and layout settings. The `Document`'s own
// extract fields always hold those of the current extract (see Extracts.h).

#include <cstdint>

#include "framework/Arrays.h"
#include "framework/CRect.h"
#include "framework/CString.h"

class CMeasure;
class CLibrary;
class CTextBloc;
class CFont;
class CChordProgression;
class CUndoManager;
class View;
struct Piste;

// Memory: the pointer arrays and the blocks of `Ins` and `Sub_document` records are made with
// new[] and freed with delete[]; the staff, system and page records, the instruments' message
// lists and the byte buffers (comment, printer set-up, lyrics) with malloc and free.

// Staff, system and page records: two counts, then a 1-based list of numbers (entry 0 unused),
// in one block of capacity n made by `nouveau_portee` and friends.
struct Portee {
    short tot_mes;
    short max_mes;
    short mes[];  // measure numbers, left to right
};
struct Systeme {
    short tot_por;
    short max_por;
    short por[];  // staff numbers, top to bottom
};
struct Page {
    short tot_sys;
    short max_sys;
    short sys[];  // system numbers, top to bottom
};

Portee* nouveau_portee(short capacity);
Systeme* nouveau_systeme_record(short capacity);
Page* nouveau_page(short capacity);

// A MIDI message sent with an instrument.
struct Msg_use {
    char nom[32];
    short param[4];
};

// An instrument of an extract.
struct Ins {
    char nom[32];
    char abrege[10];
    char synthe[10];
    short groupe, patch, port, canal, bank, transpo, velocity;
    short autom;  // bit 0: port set automatically, bit 1: channel
    unsigned char effet[128];  // controller value by controller number; 255 none
    short mode_velo, atp, atm, pitch_bend, duree, depart, play, solo;
    short percu;  // notes go through `map`
    unsigned char map[128];
    short use_msg, tot_msg;
    Msg_use* buf_msg;  // 1..tot_msg, owned
    short relier;
    short lignes;  // staff lines drawn
    short accol_type, accol_tot, accol_dx;
    short num_dx, num_dy, num_type;
    short dx, dy;
    short x_nom, y_nom;
    int32_t color;
    short in_roll;
    short staff_size;  // percent
};

// One extract. The first group is exchanged with the document by the context switch.
struct Sub_document {
    Systeme* sys;  // master system
    Page** pag;    // 0..max_pag
    short tot_pag, max_pag;
    short mise_en_page_ok;
    CString* nom;
    Ins* ins;  // 1..max_ins
    short tot_ins, max_ins;
    short tempo;
    Piste** piste;  // 1..max_piste
    short tot_piste, max_piste;
    CTextBloc** ptx;  // 1..max_ptx
    short tot_ptx, max_ptx;
    short cur_mes, cur_por, cur_sys, cur_pag;
    short flag_maj;
    short rec_piste;

    short x, y;
    CRect rpar, rseq, rins, rpia, rdef, rmain;
    short config_instru;
    short zoom_score;
    char* s_com;  // owned, malloc'd
    CChordProgression* chprog;
    CUndoManager* undo;
    short acc_por_symboles, acc_por_notes, acc_concordance, acc_choix1, acc_choix2, acc_find_bass,
        acc_tot_ryt, acc_dur_ryt, acc_por_ryt, acc_min_notes, acc_max_notes, acc_mask, acc_tes_inf,
        acc_tes_sup, acc_choix_ryt, acc_gen_tot_ryt, acc_gen_dur_ryt, acc_cel_ryt, acc_gen_max,
        acc_min_dist, acc_gen_leg;
    CArrayInt* tab_chord_analyse;
    short reduction;
    short mx, my, rmx, rmy;
    short mi_g, mi_d, mi_s, mi_i;
    short me_g, me_d, me_s, me_i;
    short mdecx, mdecy;
    short mmx, mmy;
    short mmi_g, mmi_d, mmi_s, mmi_i;
    short mme_g, mme_d, mme_s, mme_i;
    short mmdecx, mmdecy;
    short size_printer_setup;
    char* printer_setup;  // owned, malloc'd
    short opti_sys, mes_par_por, sys_par_pag;
    short reserve_titre, reserve_titre_mm;
    short dist_syst, repartir_syst;
    short zoom_defil;
    short actif_just, adjust_horiz;
};

struct Document {
    short busy;
    int32_t next_meas_id;
    CMeasure** mes;  // 1..max_mes
    short tot_mes, max_mes;
    Portee** por;  // 1..max_por
    short tot_por, max_por;
    Systeme** sys;  // 1..max_sys; 1 is the current extract's master system
    short tot_sys, max_sys;
    Page** pag;  // 0..max_pag, of the current extract
    short tot_pag, max_pag;
    short mise_en_page_ok;
    CString* nom;
    Ins* ins;
    short tot_ins, max_ins;
    short tempo;
    Piste** piste;
    short tot_piste, max_piste;
    CLibrary** lib;  // 1..max_lib
    short tot_lib, max_lib;
    short lib_options;
    CTextBloc** ptx;
    short tot_ptx, max_ptx;

    short valeur_intervalle, type_intervalle, sens_intervalle, octave_intervalle;

    short auto_erase, auto_justi, tot_ligature, auto_transcrire, detect_triolet,
        auto_quantification, min_quantification, split_sup, split_inf, split_freq_sup,
        split_freq_inf;

    short quantifier_start, quantifier_duree, quant_val_start, quant_val_duree, quant_point_start,
        quant_point_duree, quant_triolet_start, quant_triolet_duree, quantifier_del,
        quant_point_del, quant_triolet_del, quant_val_del;

    short mes_width, mes_espace, entete_mesure_automatique;
    short dist_entete_1, dist_entete_2, dist_entete_3, dist_entete_4;
    short offset_mesure, position_nom;

    short voir_symboles_invisibles, voix_visibles, utiliser_couleurs;
    int32_t col[18];  // entries 1..17

    short epaisseur_hampes, epaisseur_portees, epaisseur_barres, epaisseur_autres,
        epaisseur_ligatures, epaisseur_intervalles, epaisseur_extensions;

    short fact_just, larg_just_fct, larg_just_auto, local_just, analyse_voix_incompletes,
        permettre_justi_manuelle;

    CString* path;
    short modif, sans_titre;
    short curseur_ma, curseur_pa, curseur_x, curseur;
    short cur_mes, cur_por, cur_sys, cur_pag;
    short joue, cmd, flag_maj, rec_piste;
    unsigned char midi_tab_notes[128];
    short config, tete_courante;

    short next_pos_gid, next_neg_gid, next_pos_acid, next_neg_acid, next_lib_id;

    View* vue[11];  // entries 1..10
    short libid, lib_docid;
    short par_mes, par_por, par_id, par_h, par_cur;
    int32_t par_time;
    char* tab_lyric;  // owned, malloc'd
    short tot_lyric;

    Sub_document* sub_doc;  // 1..max_sub_doc
    short tot_sub_doc, max_sub_doc, cur_sub_doc;

    short mode_vue, contenu_vue_mesures, contenu_vue_pistes, contenu_vue_control, zoom_m, zoom_p,
        clavier_horizontal, show_beat, zoom_mr, zoom_nr;

    short angle_ligatures;
    CFont* nom_font;
    CFont* num_font;
    CFont* nol_font;
    CFont* cha_font[8];
    short nom_police_old, nom_taille_old, nom_style_old, num_police_old, num_taille_old,
        num_style_old, nol_police_old, nol_taille_old, nol_style_old, cha_police_old,
        cha_taille_old, cha_style_old;

    short print_color, contexte_alt_acc, auto_pos_alterations, justi_alt_acc, justi_clef,
        justi_rapport;
    int32_t ligatures;
    short justi_liga, justi_hampes, justi_dec_voix, justi_symboles, tsig_end, ksig_end,
        ajuster_nolet_vertical, ligature_silence, marge_defil_is, auto_clef, bcot_format;
};

// Copies the fields that the context switch exchanges (all but the master system) from an
// extract record or the document to the other.
template <class From, class To>
void copier_champs_extrait(const From& f, To& t) {
    t.pag = f.pag;
    t.tot_pag = f.tot_pag;
    t.max_pag = f.max_pag;
    t.mise_en_page_ok = f.mise_en_page_ok;
    t.ins = f.ins;
    t.tot_ins = f.tot_ins;
    t.max_ins = f.max_ins;
    t.tempo = f.tempo;
    t.piste = f.piste;
    t.tot_piste = f.tot_piste;
    t.max_piste = f.max_piste;
    t.ptx = f.ptx;
    t.tot_ptx = f.tot_ptx;
    t.max_ptx = f.max_ptx;
    t.cur_mes = f.cur_mes;
    t.cur_por = f.cur_por;
    t.cur_sys = f.cur_sys;
    t.cur_pag = f.cur_pag;
    t.flag_maj = f.flag_maj;
    t.rec_piste = f.rec_piste;
}

// A new, empty document with its name, path and fonts and no arrays; free it with
// `destroy_document`.
Document* creer_document(const char* path, const char* nom);
// Allocates the arrays of a document for the given counts, with room to grow, creates the
// extracts 1..tot_sub_doc with their defaults and gives the settings their defaults.
void allouer_document(Document* d, short tot_mes, short tot_por, short tot_sys,
                      short tot_sub_doc, short tot_lib);
// Gives extract number i its defaults.
void init_sub_document(Sub_document* s, short i);
// Allocates the current extract's page array for `tot_pag` pages with room to grow, with its
// empty page record 0.
void allouer_pages(Document* d, short tot_pag);

// Sets every document setting to its default and resets the instruments 1..tot_ins.
void init_var_doc(Document* d);
// Sets every field of an instrument to its default for instrument number n.
void init_var_ins(Ins* ins, short n);
// Frees the document and all it owns. A reader that fills extract i sets `cur_sub_doc` to i
// before it replaces the first of that extract's blocks, so that a half-built document is
// freed whole.
void destroy_document(Document* d);

// The measure at column `ma` of staff `pa` of the master system, or null.
CMeasure* mesure_maitre(Document* d, short ma, short pa);
