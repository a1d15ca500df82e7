#include <gtest/gtest.h>

#include <string>

#include "score/DocumentFileSupport.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

// Saves the document, then loads and saves twice more; the two last files must be equal.
// Returns the first reloaded document for inspection.
Document* round_trip(Document* d, const std::string& name) {
    std::string a = scratch_path(name + "-a.mrc"), b = scratch_path(name + "-b.mrc"),
                c = scratch_path(name + "-c.mrc");
    EXPECT_EQ(save_to(d, a), 1);
    Document* first = load_from(a);
    EXPECT_NE(first, nullptr);
    if (!first) return nullptr;
    EXPECT_EQ(save_to(first, b), 1);
    Document* second = load_from(b);
    EXPECT_NE(second, nullptr);
    if (second) {
        EXPECT_EQ(save_to(second, c), 1);
        free_loaded(second);
    }
    EXPECT_EQ(file_bytes(b), file_bytes(c)) << name;
    free_loaded(first);
    return load_from(b);
}

TEST(DocumentFile, MinimalDocumentRoundTrip) {
    ScoreFixture score(1, 1);
    Document* back = round_trip(score.d, "minimal");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tot_mes, 1);
    EXPECT_EQ(back->tot_sub_doc, 1);
    EXPECT_EQ(back->tot_ins, 1);
    free_loaded(back);
}

TEST(DocumentFile, RichDocumentRoundTrip) {
    ScoreFixture score(2, 4);
    fill_rich_document(score);
    Document* back = round_trip(score.d, "rich");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tot_sub_doc, 2);
    EXPECT_STREQ(back->sub_doc[1].nom->get(), "Extrait. premier");
    EXPECT_STREQ(back->sub_doc[1].s_com, "Note: (draft)\nsecond, line");
    EXPECT_EQ(back->sub_doc[1].chprog->total(), 2);
    // Track bytes come back in their places, 0xFF between two used ones included.
    Piste* p = back->piste[1];
    ASSERT_EQ(p->tot, 3);
    EXPECT_EQ(p->event[2].buf[1], 0x40);
    EXPECT_EQ(p->event[2].buf[2], 0xFF);
    EXPECT_EQ(p->event[2].buf[3], 0x12);
    EXPECT_EQ(p->event[3].buf[0], 0xB0);
    EXPECT_EQ(p->event[3].buf[1], 0xFF);
    EXPECT_EQ(back->ins[1].autom, (short)0x8001);
    EXPECT_STREQ(back->ins[1].nom, "Piano (main droite)");
    EXPECT_EQ(back->ins[1].tot_msg, 2);
    EXPECT_STREQ(back->ins[1].buf_msg[2].nom, "chorus");
    EXPECT_EQ(back->ins[2].map[36], 35);
    EXPECT_STREQ(back->ins[2].nom, "Basse. pizz");
    CMeasure* m = mesure_maitre(back, 1, 1);
    ASSERT_NE(m, nullptr);
    CNote* n = m->get_note_item(3);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->height, 20);  // a stem of 20 keeps its height
    CLyrics* l = m->get_lyrics_item(5);
    ASSERT_NE(l, nullptr);
    EXPECT_STREQ(l->text[0].get(), "la, (tra).la");
    l = m->get_lyrics_item(6);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(std::strlen(l->text[2].get()), 29u);  // a verse keeps its first 29 bytes
    EXPECT_EQ(back->ptx[1]->text.length(), 5);
    free_loaded(back);
}

TEST(DocumentFile, LibraryDocumentRoundTrip) {
    ScoreFixture score(1, 2);
    fill_library_document(score);
    Document* back = round_trip(score.d, "library");
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->tot_lib, 4);
    CLibTheme* theme = object_as<CLibTheme>(back->lib[1]);
    ASSERT_NE(theme, nullptr);
    EXPECT_STREQ(theme->name.get(), "Th\xE8me. A");
    EXPECT_EQ(theme->limit, 0);
    EXPECT_EQ(theme->repeat, 1);
    EXPECT_EQ(theme->repeat_note, 3);
    EXPECT_EQ(theme->par.get(2), 60 + 0x4000);
    EXPECT_EQ(theme->par.get(5), 0x4100);
    EXPECT_EQ(object_as<CLibChord>(back->lib[2])->rythm, 0);
    EXPECT_EQ(object_as<CLibRythm>(back->lib[3])->repeat, 1);
    EXPECT_NE(object_as<CLibMelody>(back->lib[4]), nullptr);
    CLibUse* use = mesure_maitre(back, 1, 1)->get_libuse_item(1);
    ASSERT_NE(use, nullptr);
    EXPECT_EQ(use->libid.get(2), 4);
    EXPECT_EQ(use->libid.get(3), 3);  // the rhythm moved from slot 5 into the hole at 3
    EXPECT_EQ(use->tres[3].get(3), 53);
    free_loaded(back);
}

}  // namespace
