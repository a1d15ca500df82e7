#include "score/Document.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "ProgramFolder.h"
#include "score/ScoreFixture.h"
#include "score/CLibrary.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/StructureSlots.h"
#include "score/Synthe.h"

namespace {

TEST(Document, SettingDefaults) {
    Document* d = creer_document("a.bcc", "a");
    allouer_document(d, 3, 2, 1, 2, 1);
    EXPECT_EQ(d->max_mes, 3 + 256);
    EXPECT_EQ(d->max_por, 2 + 50);
    EXPECT_EQ(d->max_sys, 1 + 50);
    EXPECT_EQ(d->max_lib, 1 + 32);
    EXPECT_EQ(d->tot_sub_doc, 2);
    EXPECT_EQ(d->tempo, 100);
    EXPECT_EQ(d->lib_options, 6);
    EXPECT_EQ(d->next_meas_id, 1);
    EXPECT_EQ(d->fact_just, 125);
    EXPECT_EQ(d->contexte_alt_acc, 17209);
    EXPECT_EQ(d->voix_visibles, -1);
    EXPECT_EQ(d->epaisseur_ligatures, 8);
    EXPECT_EQ(d->quant_val_del, 6);
    EXPECT_EQ(d->split_freq_sup, 84);
    EXPECT_EQ(d->curseur_x, -10);
    EXPECT_EQ(d->cur_mes, 1);
    EXPECT_EQ(d->zoom_mr, 128);
    EXPECT_EQ(d->nom_taille_old, 12);
    EXPECT_EQ(d->cha_police_old, 3);
    EXPECT_EQ(d->config, 1);
    EXPECT_EQ(d->next_neg_acid, -1);
    EXPECT_EQ(d->marge_defil_is, 24);
    EXPECT_STREQ(d->nom->get(), "a");
    Sub_document& s2 = d->sub_doc[2];
    EXPECT_STREQ(s2.nom->get(), "2");
    EXPECT_EQ(s2.x, 100);
    EXPECT_EQ(s2.y, 20);
    EXPECT_EQ(s2.mx, 595);
    EXPECT_EQ(s2.my, 842);
    EXPECT_EQ(s2.mmx, 210);
    EXPECT_EQ(s2.me_g, 42);
    EXPECT_EQ(s2.mme_i, 15);
    EXPECT_EQ(s2.acc_concordance, 75);
    EXPECT_EQ(s2.acc_mask, -1);
    EXPECT_EQ(s2.acc_gen_leg, 100);
    EXPECT_EQ(s2.mes_par_por, 4);
    EXPECT_EQ(s2.reserve_titre_mm, 20);
    EXPECT_EQ(s2.undo->owner, &s2);
    EXPECT_EQ(s2.tab_chord_analyse->total(), 0);
    destroy_document(d);
}

TEST(Document, NewExtractTakesTheDictionaryChords) {
    CChordLibrary library;
    library.add_chord(4, "m");
    library.add_chord(9, "7");
    chord_library = &library;
    Document* d = creer_document("", "");
    allouer_document(d, 0, 0, 0, 1, 0);
    EXPECT_EQ(d->sub_doc[1].tab_chord_analyse->total(), 2);
    EXPECT_EQ(d->sub_doc[1].tab_chord_analyse->get(2), 9);
    chord_library = nullptr;
    destroy_document(d);
}

TEST(Document, InstrumentDefaults) {
    ProgramFolder folder;  // no synthesizer definition
    Ins ins;
    std::memset(&ins, 0x5A, sizeof ins);
    init_var_ins(&ins, 7);
    EXPECT_STREQ(ins.nom, "7");
    EXPECT_STREQ(ins.abrege, "7");
    EXPECT_STREQ(ins.synthe, "GM-1");
    EXPECT_EQ(ins.autom, (short)0xFFFF);
    EXPECT_EQ(ins.lignes, 0x07C0);
    EXPECT_EQ(ins.num_dy, -5);
    EXPECT_EQ(ins.color, 255);
    EXPECT_EQ(ins.buf_msg, nullptr);
    for (short k = 0; k < 128; k++) {
        EXPECT_EQ(ins.effet[k], 255);  // no synthesizer definition: no effect defaults
        EXPECT_EQ(ins.map[k], k);
    }
}

TEST(Document, InstrumentTakesTheSynthesizerEffectDefaults) {
    ProgramFolder folder;
    folder.use_shipped();
    Ins ins;
    init_var_ins(&ins, 1);
    std::map<short, short> shipped = {{7, 100}, {10, 64}, {11, 127}, {1, 0}, {91, 40}, {93, 0}};
    for (short k = 0; k < 128; k++) {
        auto it = shipped.find(k);
        EXPECT_EQ(ins.effet[k], it == shipped.end() ? 255 : it->second) << k;
    }
}

TEST(Document, InstrumentTakesThePortOneSynthesizer) {
    ProgramFolder folder;
    folder.write_syn("MINE", "effet(Reverb,num=91,def=12)\n"
                             "effet(Hors table,num=300,def=7)\n"
                             "effet(Sans,num=93,def=-1)\n");
    set_synthe_port([](short port) { return port == 1 ? "MINE" : "GM-1"; });
    Ins ins;
    init_var_ins(&ins, 1);
    set_synthe_port(nullptr);
    EXPECT_STREQ(ins.synthe, "MINE");
    for (short k = 0; k < 128; k++)
        EXPECT_EQ(ins.effet[k], k == 91 ? 12 : 255) << k;  // 300 lies outside the table
}

TEST(Document, InitVarDocResetsInstruments) {
    ScoreFixture score(2, 1);
    score.d->ins[2].patch = 40;
    score.d->tempo = 60;
    init_var_doc(score.d);
    EXPECT_EQ(score.d->ins[2].patch, 1);
    EXPECT_STREQ(score.d->ins[2].nom, "2");
    EXPECT_EQ(score.d->tempo, 100);
}

TEST(Document, FixtureBuildsTheScore) {
    ScoreFixture score(2, 3);
    Document* d = score.d;
    EXPECT_EQ(doc, d);
    EXPECT_EQ(d->tot_mes, 6);
    EXPECT_EQ(d->tot_por, 2);
    EXPECT_EQ(d->sys[1]->tot_por, 2);
    EXPECT_EQ(d->tot_ins, 2);
    EXPECT_EQ(d->tot_piste, 2);
    ASSERT_NE(d->pag[0], nullptr);
    EXPECT_EQ(d->pag[0]->max_sys, 5);
    EXPECT_EQ(score.measure(3, 2)->number, 3);
    EXPECT_EQ(score.measure(4, 1), nullptr);

    score.clef(1, 2, 2);
    score.key(1, 1, -1);
    score.time(2, 1, 3, 4);
    CNote* c5 = score.note(1, 1, 11);        // C5 in treble clef
    CNote* b4 = score.note(1, 1, 14, 2);     // B flat from the key signature
    CRest* r = score.rest(1, 1, 3);
    CNote* voice2 = score.note(1, 1, 32, 1, 2);
    auto chord = score.chord(1, 2, {26, 20, 14});  // G2, B2, D3 in bass clef
    EXPECT_EQ(c5->pitch, 72);
    EXPECT_EQ(b4->pitch, 70);
    EXPECT_EQ(b4->start, 480);
    EXPECT_EQ(r->start, 1440);
    EXPECT_EQ(voice2->start, 0);
    EXPECT_EQ(voice2->length, 1920);
    EXPECT_LT(c5->x, b4->x);
    EXPECT_LT(b4->x, r->x);
    ASSERT_EQ(chord.size(), 3u);
    EXPECT_EQ(chord[0]->pitch, 43);
    EXPECT_EQ(chord[1]->pitch, 47);
    EXPECT_EQ(chord[2]->pitch, 50);
    EXPECT_NE(chord[0]->cid, 0);
    EXPECT_EQ(chord[0]->cid, chord[2]->cid);
    EXPECT_EQ(score.measure(1, 1)->length, 1920);
    EXPECT_EQ(score.measure(2, 1)->length, 1440);
    EXPECT_EQ(score.measure(3, 1)->tot_beat, 3);
    EXPECT_EQ(score.measure(1, 1)->permettre_ajout_voix(1, 1, 0), 0);  // voice 1 is full

    auto three = score.triplet(1, 2, {14, 11, 8});
    EXPECT_EQ(three[0]->start, 480);
    EXPECT_EQ(three[1]->start, 640);
    EXPECT_EQ(three[2]->length, 160);
    CNolet* bracket = score.measure(1, 2)->get_nolet_item(score.measure(1, 2)->total());
    ASSERT_NE(bracket, nullptr);
    EXPECT_EQ(three[2]->nmask, bracket->mask);
    EXPECT_EQ(bracket->x, three[0]->x + 2);
    CLyrics* la = score.lyric(1, 1, c5, "la");
    EXPECT_EQ(c5->lid, la->lid);
    EXPECT_STREQ(la->text[0].get(), "la");
}

// Snapshot of every exchanged field of the document, to compare before and after switches.
struct ExtractFields {
    Systeme* sys;
    Page** pag;
    short tot_pag, max_pag, mise_en_page_ok;
    Ins* ins;
    short tot_ins, max_ins, tempo;
    Piste** piste;
    short tot_piste, max_piste;
    CTextBloc** ptx;
    short tot_ptx, max_ptx, cur_mes, cur_por, cur_sys, cur_pag, flag_maj, rec_piste;

    explicit ExtractFields(Document* d) {
        std::memset(this, 0, sizeof *this);  // padding too, for the byte comparison
        copier_champs_extrait(*d, *this);
        sys = d->sys[1];
    }
    bool operator==(const ExtractFields& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};

TEST(Extracts, SwitchAwayAndBackKeepsEveryField) {
    ScoreFixture score(2, 2);
    score.add_extract(1, 3);
    Document* d = score.d;
    EXPECT_EQ(d->tot_sub_doc, 2);
    EXPECT_EQ(d->cur_sub_doc, 1);
    d->tempo = 88;
    d->cur_mes = 2;
    d->flag_maj = 5;
    d->rec_piste = 2;
    d->mise_en_page_ok = 1;
    ExtractFields first(d);

    ASSERT_EQ(permuter_contexte(d, 2), 1);
    EXPECT_EQ(d->cur_sub_doc, 2);
    EXPECT_EQ(d->sys[1]->tot_por, 1);
    EXPECT_EQ(d->tot_ins, 1);
    EXPECT_EQ(d->tempo, 100);
    EXPECT_EQ(score.measure(3, 1)->number, 3);
    d->tempo = 120;
    ExtractFields second(d);

    ASSERT_EQ(permuter_contexte(d, 1), 1);
    EXPECT_TRUE(ExtractFields(d) == first);
    EXPECT_EQ(d->sys[1]->tot_por, 2);
    ASSERT_EQ(permuter_contexte(d, 2), 1);
    EXPECT_TRUE(ExtractFields(d) == second);
    ASSERT_EQ(permuter_contexte(d, 1), 1);
}

TEST(Extracts, RefusedSwitchChangesNothing) {
    ScoreFixture score(1, 1);
    score.add_extract(1, 1);
    Document* d = score.d;
    ExtractFields before(d);
    for (short n : {0, 3, -1}) {
        EXPECT_EQ(permuter_contexte(d, n), 0);
        EXPECT_TRUE(ExtractFields(d) == before);
        EXPECT_EQ(d->cur_sub_doc, 1);
    }
    EXPECT_EQ(permuter_contexte(nullptr, 1), 0);
}

TEST(Extracts, SwitchingToTheCurrentExtractSynchronisesItsRecord) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    d->tempo = 77;
    EXPECT_EQ(d->sub_doc[1].tempo, 100);
    EXPECT_EQ(permuter_contexte(d, 1), 1);
    EXPECT_EQ(d->sub_doc[1].tempo, 77);
    EXPECT_EQ(d->tempo, 77);
}

TEST(Extracts, NewPagesSurviveASwitch) {
    ScoreFixture score(1, 1);
    score.add_extract(1, 1);
    Document* d = score.d;
    // Page layout replaces the current extract's page array in the document only.
    for (short p = 0; p <= d->max_pag; p++) std::free(d->pag[p]);
    delete[] d->pag;
    allouer_pages(d, 2);
    d->pag[1] = nouveau_page(3);
    d->pag[2] = nouveau_page(3);
    Page** pages = d->pag;
    permuter_contexte(d, 2);
    permuter_contexte(d, 1);
    EXPECT_EQ(d->pag, pages);
    EXPECT_EQ(d->tot_pag, 2);
}

// A document whose records are stale (blocks replaced since the last switch) and a document
// left half-built by a failed read are both freed without double frees or leaks; the
// sanitizer build checks it.
TEST(Extracts, DestroyAfterBlocksWereReplaced) {
    ScoreFixture score(2, 2);
    score.add_extract(1, 1);
    Document* d = score.take();
    permuter_contexte(d, 2);
    Ins* bigger = new Ins[10]();
    for (short i = 1; i <= d->tot_ins; i++) bigger[i] = d->ins[i];
    bigger[1].buf_msg = (Msg_use*)std::calloc(2, sizeof(Msg_use));
    bigger[1].tot_msg = 1;
    delete[] d->ins;
    d->ins = bigger;
    d->max_ins = 9;
    d->ptx[++d->tot_ptx] = new CTextBloc;
    d->lib[++d->tot_lib] = new CLibTheme;
    d->tab_lyric = (char*)std::malloc(32000);
    d->sub_doc[1].s_com = (char*)std::malloc(10);
    destroy_document(d);
    doc = nullptr;
}

TEST(Extracts, DestroyHalfBuiltDocument) {
    // As a reader leaves it when the file fails in the middle of extract 2: extract 1 stored,
    // extract 2 current with its master system, pages and instruments read, no tracks yet.
    ScoreFixture score(1, 2);
    Document* d = score.take();
    Sub_document* records = new Sub_document[3]();
    records[1] = d->sub_doc[1];
    records[1].undo->set_owner(&records[1]);
    delete[] d->sub_doc;
    d->sub_doc = records;
    d->tot_sub_doc = d->max_sub_doc = 2;
    init_sub_document(&d->sub_doc[2], 2);
    d->cur_sub_doc = 2;
    d->sys[1] = nouveau_systeme_record(4);
    allouer_pages(d, 1);
    d->pag[1] = nouveau_page(6);
    d->ins = new Ins[4]();
    d->tot_ins = 1;
    d->max_ins = 3;
    destroy_document(d);  // tracks and text blocks are still those of extract 1: freed once
    doc = nullptr;
}

TEST(Extracts, DestroyEmptyAndBarelyStartedDocuments) {
    destroy_document(nullptr);
    destroy_document(creer_document("", ""));
    Document* d = creer_document("", "");
    d->tot_mes = 12;  // counts read, arrays not allocated yet
    d->tot_sub_doc = 3;
    destroy_document(d);
    d = creer_document("", "");
    allouer_document(d, 5, 2, 2, 2, 0);
    destroy_document(d);
}

TEST(Extracts, ClipboardReset) {
    cancel_internal_clipboard();
    cancel_internal_clipboard();
    EXPECT_EQ(sm.mes, nullptr);
    sm.w = 2;
    sm.h = 1;
    sm.max = sm.tot = 2;
    sm.mes = new CMeasure*[3]();
    sm.mes[1] = new CMeasure;
    sm.mes[1]->add(new CNote);
    sm.piste = new Piste*[2]();
    sm.piste[1] = creer_piste(10);
    sm.chprog = new CChordProgression;
    sm.docid = 4;
    cancel_internal_clipboard();
    EXPECT_EQ(sm.mes, nullptr);
    EXPECT_EQ(sm.piste, nullptr);
    EXPECT_EQ(sm.chprog, nullptr);
    EXPECT_EQ(sm.w, 0);
    EXPECT_EQ(sm.tot, 0);
    EXPECT_EQ(sm.docid, 0);
}

TEST(StructureSlots, SlotsAreReusedAndArraysGrow) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    short max = d->max_sys;
    short first = nouveau_systeme(d, 3);
    EXPECT_EQ(first, 2);
    while (d->tot_sys < d->max_sys) nouveau_systeme(d, 1);
    EXPECT_EQ(nouveau_systeme(d, 1), max + 1);
    EXPECT_EQ(d->max_sys, max + 20);
    EXPECT_EQ(d->sys[max + 2], nullptr);
    std::free(d->sys[first]);
    d->sys[first] = nullptr;
    d->tot_sys--;
    EXPECT_EQ(nouveau_systeme(d, 1), first);

    short m = nouvelle_mesure(d);
    EXPECT_EQ(d->mes[m], nullptr);
    EXPECT_EQ(nouvelle_mesure(d), m);  // a slot left empty is handed out again
    d->tot_mes -= 2;
    short measures = d->max_mes;
    while (d->tot_mes <= measures) {
        short slot = nouvelle_mesure(d);  // may move the array: index it afterwards
        d->mes[slot] = new CMeasure;
    }
    EXPECT_EQ(d->max_mes, measures + 250);
    EXPECT_EQ(nouvelle_portee(d, 0) > 0, true);
}

}  // namespace
