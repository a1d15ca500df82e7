// The play-along view on real documents: a library score opens in it laid out in pages with its
// touch data; a composition gets its accompaniment from a style and chords dropped on its
// measures, refused where it cannot be done, and exported as a MIDI file.
#include "ShellFixture.h"

#include "app/StyleArrangement.h"
#include "app/ViewBrindlecot.h"
#include "framework/CUserPanel.h"
#include "midi/CStyleFile.h"
#include "midi/MidiExport.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/Piste.h"

namespace {

class PlayAlongView : public ShellFixture {
protected:
    // The composition model of a 1024-pixel screen, opened as a new composition is.
    Brindlecot* open_composition()
    {
        EXPECT_EQ(load_document((program + "/misc/Compo-1024x768.bcc").c_str(), DocumentShown::PlayAlong), 1);
        return play_along_view();
    }
    static std::vector<CTextBloc*> blocks(short measure, int32_t color)
    {
        std::vector<CTextBloc*> found;
        CMeasure* m = mesure_maitre(doc, measure, 1);
        for (short i = 1; m && i <= m->total(); i++)
            if (CTextBloc* b = m->get_textbloc_item(i))
                if (b->color == color) found.push_back(b);
        return found;
    }
    static short events(short track) { return doc->piste[track] ? doc->piste[track]->tot : 0; }
    static int32_t measure_start(short m)
    {
        int32_t t = 0;
        for (short c = 1; c < m; c++) t += mesure_maitre(doc, c, 1)->length;
        return t;
    }
};

TEST_F(PlayAlongView, ALibraryScoreOpensInPagesWithItsTouchData)
{
    // The program names its files in Windows-1252.
    const std::string path = std::string(std::getenv("BRINDLECOT_DATA")) + "/Biblioth\xE8que d'origine/Au clair de la lune.bcc";
    ASSERT_TRUE(std::filesystem::exists(std::string(std::getenv("BRINDLECOT_DATA")) +
                                         "/Biblioth\xC3\xA8que d'origine/Au clair de la lune.bcc"));
    ASSERT_EQ(load_document(path.c_str(), DocumentShown::PlayAlong), 1);
    Brindlecot* v = play_along_view();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->get_type(), kPlayAlongViewType);
    EXPECT_TRUE(v->shows_score());
    EXPECT_GE(doc->cur_pag, 1) << "shown in pages";
    EXPECT_FALSE(v->uptools->vis) << "no editing strip";
    EXPECT_FALSE(v->composition_document);
    EXPECT_EQ(doc->modif, 0) << "fitting the page is no change";
    ASSERT_GE(v->jump.size(), 3u);
    EXPECT_EQ(v->jump.back().pg, kJumpEnd);
    EXPECT_EQ(v->jump[1].pg, 1);
    EXPECT_EQ(v->jump[1].y1, 0);
    // Every measure knows its staff, column and start; the first one's x-to-tick table is
    // filled and rises.
    int32_t start = 0;
    for (short m = 1; m <= 4; m++) {
        CMeasure* M = mesure_maitre(doc, m, 1);
        ASSERT_NE(M, nullptr);
        EXPECT_EQ(M->pa, 1);
        EXPECT_EQ(M->ma, m);
        EXPECT_EQ(M->start_time, start);
        EXPECT_EQ(M->bcot_mode, kModeDefault);
        ASSERT_EQ(M->tabtu.total(), M->width - M->front);
        EXPECT_LE((int32_t)M->tabtu.get(2), (int32_t)M->tabtu.get(M->tabtu.total()));
        start += M->length;
    }
    EXPECT_EQ(v->play.accomp_actif, 1);
    EXPECT_GT(events(1), 0) << "the melody's track is rebuilt from its notes";
    // No style can be dropped on a score without the sixteen instruments: nothing changes.
    CStyleFile* pop = find_style("pop");
    ASSERT_NE(pop, nullptr);
    EXPECT_EQ(v->drop_style(1, pop, {2}, false), 0);
    EXPECT_TRUE(blocks(1, annotation::StyleBlock).empty());
}

TEST_F(PlayAlongView, AStyleDroppedOnACompositionFillsItsAccompanimentTracks)
{
    Brindlecot* v = open_composition();
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(doc->tot_ins, 16) << "the composition model holds the instruments the styles need";
    EXPECT_TRUE(v->composition_document);
    CStyleFile* pop = find_style("Pop");
    ASSERT_NE(pop, nullptr);
    ASSERT_EQ(pop->get_variation(2)->tot_mes, 4);
    ASSERT_EQ(v->drop_style(1, pop, {2}, false), 1);  // "Couplet", four measures
    ASSERT_EQ(blocks(1, annotation::StyleBlock).size(), 1u);
    EXPECT_STREQ(blocks(1, annotation::StyleBlock)[0]->text.get(), "Pop@Couplet");
    EXPECT_STREQ(blocks(1, annotation::StyleLabel)[0]->text.get(), "Pop\r\nCouplet");
    EXPECT_EQ(events(1), 0) << "the melody is never touched";
    EXPECT_GT(events(10), 0) << "the drums on channel 10";
    short filled = 0;
    for (short c = 2; c <= 16; c++) filled = (short)(filled + (events(c) > 0));
    EXPECT_GE(filled, 3);
    // Every event lies inside the sixteen measures and no data byte is above 127.
    const int32_t end = measure_start(17);
    for (short c = 2; c <= 16; c++)
        for (short i = 1; i <= events(c); i++) {
            const MidiEvent& e = doc->piste[c]->event[i];
            EXPECT_GE(e.time, 0);
            EXPECT_LT(e.time, end);
            EXPECT_EQ(e.buf[0] & 0x0F, c - 1) << "track " << c << " plays on its own channel";
            EXPECT_LE(e.buf[1], 127);
            if (e.buf[2] != 0xFF) {
                EXPECT_LE(e.buf[2], 127);
            }
        }
    // The variation runs on: measure 5 plays what measure 1 played (the chord is the same).
    const auto notes_in = [](short track, int32_t from, int32_t to) {
        std::vector<std::vector<int>> found;
        for (short i = 1; i <= events(track); i++) {
            const MidiEvent& e = doc->piste[track]->event[i];
            if (e.time >= from && e.time < to && (e.buf[0] & 0xF0) == 0x90)
                found.push_back({(int)(e.time - from), e.buf[1], e.buf[2]});
        }
        return found;
    };
    EXPECT_EQ(notes_in(10, measure_start(1), measure_start(2)), notes_in(10, measure_start(5), measure_start(6)));
    EXPECT_FALSE(notes_in(10, measure_start(1), measure_start(2)).empty());

    // A chord that does not parse is refused: no block shows it, the progression keeps its own.
    const auto chord_texts = [](short m) {
        std::vector<std::string> texts;
        for (CTextBloc* b : blocks(m, annotation::Chord)) texts.push_back(b->text.get() ? b->text.get() : "");
        return texts;
    };
    const std::vector<std::string> chords_before = chord_texts(3);
    const short chords_in_progression = doc->sub_doc[1].chprog ? doc->sub_doc[1].chprog->total() : 0;
    EXPECT_EQ(v->drop_chord(3, "Xyz"), 0);
    EXPECT_EQ(chord_texts(3), chords_before);
    EXPECT_EQ(doc->sub_doc[1].chprog ? doc->sub_doc[1].chprog->total() : 0, chords_in_progression);
    EXPECT_EQ(boxes.size(), 1u) << "the user is told";
    // A chord dropped on measure 3 moves the accompaniment of measure 3 on, not before.
    const auto before = notes_in(2, measure_start(1), measure_start(3));
    const auto bass_before = notes_in(2, measure_start(3), measure_start(4));
    ASSERT_EQ(v->drop_chord(3, "F"), 1);
    ASSERT_EQ(blocks(3, annotation::Chord).size(), 1u);
    EXPECT_STREQ(blocks(3, annotation::Chord)[0]->text.get(), "F");
    CChordProgression* prog = doc->sub_doc[1].chprog;
    ASSERT_NE(prog, nullptr);
    EXPECT_GT(prog->get_chord_index(3, 0, 1), 0);
    EXPECT_EQ(notes_in(2, measure_start(1), measure_start(3)), before);
    if (!bass_before.empty()) {
        EXPECT_NE(notes_in(2, measure_start(3), measure_start(4)), bass_before);
    }

    // Ctrl layers a second variation over the first.
    ASSERT_EQ(v->drop_style(1, pop, {3}, true), 1);
    EXPECT_STREQ(blocks(1, annotation::StyleBlock)[0]->text.get(), "Pop@Couplet\rPop@Refrain");
    EXPECT_STREQ(blocks(1, annotation::StyleLabel)[0]->text.get(), "Pop\r\nCouplet +...");
    // Dropping no variation clears the style there.
    ASSERT_EQ(v->drop_style(1, pop, {}, false), 1);
    EXPECT_STREQ(blocks(1, annotation::StyleBlock)[0]->text.get(), "");
    EXPECT_STREQ(blocks(1, annotation::StyleLabel)[0]->text.get(), "");
    for (short c = 2; c <= 16; c++) EXPECT_EQ(events(c), 0) << "track " << c;
}

TEST_F(PlayAlongView, AnArrangedCompositionIsExportedAsAMidiFile)
{
    Brindlecot* v = open_composition();
    ASSERT_NE(v, nullptr);
    CStyleFile* swing = find_style("Swing");
    ASSERT_NE(swing, nullptr);
    ASSERT_EQ(v->drop_chord(1, "C"), 1);
    ASSERT_EQ(v->drop_chord(3, "G7"), 1);
    ASSERT_EQ(v->drop_style(1, swing, {2}, false), 1);
    // The chords written after the style are kept in force.
    EXPECT_EQ(blocks(3, annotation::Chord).size(), 1u);
    const std::string out = std::string(BRINDLECOT_TEST_OUTPUT) + "/arranged_composition.mid";
    const char* why = nullptr;
    ASSERT_EQ(exporter_midi_document(doc, out.c_str(), 3, &why), 1) << (why ? why : "");
    EXPECT_GT(std::filesystem::file_size(out), 200u);
    // A copy of the composition to open in the program by hand (or on X).
    const std::string folder = std::string(BRINDLECOT_TEST_OUTPUT) + "/Mes compositions";
    std::filesystem::create_directories(folder);
    EXPECT_EQ(save_to(doc, folder + "/Arrangement.bcc"), 1);
}

}  // namespace
