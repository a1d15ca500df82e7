#include "midi/MidiComposition.h"

#include <gtest/gtest.h>

#include <string>

#include "SmfBuilder.h"
#include "framework/CApplication.h"
#include "platform/TempFolder.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

// The program folder of the build (with its "Misc/Template.dat") and an open score standing
// for the document the user had before.
class MidiComposition : public ::testing::Test {
protected:
    void SetUp() override {
        saved_dir = main_dir;
        main_dir = program.data();
        before = creer_document("before.mrc", "before");
        doc = before;
        midi_composition_hooks = default_midi_composition_hooks();
        midi_composition_hooks.choose_soloists = accepter_sans_choix;
        file_opening = 0;
    }
    void TearDown() override {
        if (doc && doc != before) destroy_document(doc);
        destroy_document(before);
        doc = nullptr;
        main_dir = saved_dir;
        midi_composition_hooks = default_midi_composition_hooks();
        working_mode = 2;
    }
    std::string file(const Bytes& b) {
        write_bytes(folder / "Nocturne.MID", b);
        return folder / "Nocturne.MID";
    }
    static Bytes song() {
        SmfTrack tempo, melody, bass;
        tempo.tempo(0, 750000).time_sig(0, 3, 2).end();
        melody.text(0, 0x03, "Piano").cc(0, 0, 91, 40);
        for (int i = 0; i < 6; i++) melody.note(0, 0, 72 + i, 480);
        bass.text(0, 0x03, "Basse").cc(0, 1, 7, 0);
        for (int i = 0; i < 3; i++) bass.note(0, 1, 40, 960);
        return smf(1, 480, {tempo, melody.end(), bass.end()});
    }
    short staves() { return doc->sys[1]->tot_por; }
    short columns(short s) { return doc->por[doc->sys[1]->por[s]]->tot_mes; }

    std::string program = BRINDLECOT_BUILD_DATA;
    char* saved_dir = nullptr;
    Document* before = nullptr;
    TempFolder folder;
};

TEST_F(MidiComposition, OpensTheFileFromTheTemplateWithStaffOneAsSoloist) {
    ASSERT_EQ(load_midi_document(file(song()).c_str()), 1);
    ASSERT_NE(doc, before);
    EXPECT_STREQ(doc->nom->get(), "Nocturne");
    EXPECT_EQ(doc->tempo, 80);
    ASSERT_EQ(staves(), 2);
    EXPECT_EQ(doc->ins[1].in_roll & 3, 3);
    EXPECT_EQ(doc->ins[2].in_roll & 3, 0);
    EXPECT_EQ(doc->ins[1].effet[91], 100);  // the soloist's effects are set for playing along
    EXPECT_EQ(doc->ins[1].effet[93], 0);
    EXPECT_EQ(doc->ins[2].effet[7], 64);    // a silent accompaniment is made audible
    for (short s = 1; s <= 2; s++) {
        EXPECT_STREQ(doc->ins[s].nom, "");
        EXPECT_EQ(doc->ins[s].num_type, 2);
        EXPECT_EQ(doc->ins[s].num_dx, -4);
        ASSERT_EQ(columns(s), 2);
        int32_t start = 0;
        for (short c = 1; c <= 2; c++) {
            CMeasure* m = mesure_maitre(doc, c, s);
            EXPECT_EQ(m->flags & 0x4, 0);
            EXPECT_EQ(m->pa, s);
            EXPECT_EQ(m->start, start);
            start += m->length;
        }
        EXPECT_EQ(mesure_maitre(doc, 2, s)->end_bar, 4);
    }
    EXPECT_EQ(doc->sub_doc[1].tot_piste, 2);
    EXPECT_EQ(working_mode, 8);
    EXPECT_EQ(doc->modif, 1);
    EXPECT_EQ(doc->sans_titre, 1);
    EXPECT_EQ(file_opening, 0);
}

TEST_F(MidiComposition, ADamagedFileIsSaidAndTheOpenScoreStays) {
    short warnings = application->shown.warnings;
    Bytes damaged = song();
    damaged.resize(damaged.size() - 10);
    EXPECT_EQ(load_midi_document(file(damaged).c_str()), 0);
    EXPECT_EQ(doc, before);
    EXPECT_EQ(application->shown.warnings, warnings + 1);
    EXPECT_NE(std::string(application->shown.last_warning.get()).find("fin du fichier"), std::string::npos)
        << application->shown.last_warning.get();
    EXPECT_EQ(file_opening, 0);
}

TEST_F(MidiComposition, RefusalsLeaveTheOpenScore) {
    file_opening = 1;  // another load runs
    EXPECT_EQ(load_midi_document(file(song()).c_str()), 0);
    file_opening = 0;
    midi_composition_hooks.close_document = [] { return (short)0; };  // the user keeps it
    EXPECT_EQ(load_midi_document(file(song()).c_str()), 0);
    EXPECT_EQ(doc, before);
    midi_composition_hooks = default_midi_composition_hooks();
    midi_composition_hooks.choose_soloists = [](Document*, MidiCompositionChoice*) { return (short)0; };  // cancel
    EXPECT_EQ(load_midi_document(file(song()).c_str()), 0);
    EXPECT_EQ(file_opening, 0);
    doc = before;
}

TEST_F(MidiComposition, VariationsStaffCopiesTheSoloist) {
    midi_composition_hooks.choose_soloists = [](Document* d, MidiCompositionChoice* choice) {
        d->ins[2].in_roll |= 3;
        choice->variations = 1;
        return (short)1;
    };
    ASSERT_EQ(load_midi_document(file(song()).c_str()), 1);
    ASSERT_EQ(staves(), 3);
    EXPECT_EQ(columns(3), 2);
    EXPECT_EQ(doc->ins[3].color, 0xFF0000);
    EXPECT_EQ(doc->ins[3].canal, doc->ins[2].canal);
    EXPECT_EQ(doc->ins[3].effet[91], 100);
    EXPECT_EQ(doc->ins[1].in_roll & 1, 0);
}

// The composition is laid out in pages as it opens. When the program sets the margins, the
// printed area of a page is the drawing panel's size (the template's paper at 100 %, shown at
// 50 %), with room for the title, page number and composer above the first system; else the
// template's margins stay. The pages are numbered when there are several.
TEST_F(MidiComposition, LaysThePagesOutFittedToTheDrawingPanel) {
    static short panel_w, panel_h;
    struct Case {
        const char* name;
        short preset, width, height, measures;
        short mm_left, mm_right, mm_top, mm_bottom, mm_inner_top;
        bool several_pages;
    } cases[] = {
        // 1190 - 1000 = 190 units at 50 % are 33 mm; 1682 - 600 = 1082 units are 190 mm.
        {"preset", 1, 1000, 600, 6, 2, 33, 3, 190, 8, false},
        {"template's margins", 0, 1000, 600, 6, 15, 15, 15, 15, 0, false},
        {"a low panel and a long piece", 1, 1000, 300, 96, 2, 33, 3, 243, 8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        panel_w = c.width, panel_h = c.height;
        midi_composition_hooks.drawing_panel_size = [](short* w, short* h) { *w = panel_w, *h = panel_h; };
        const short preset = c.preset;
        static short preset_choice;
        preset_choice = preset;
        midi_composition_hooks.choose_soloists = [](Document* d, MidiCompositionChoice* choice) {
            accepter_sans_choix(d, choice);
            choice->preset_pages = preset_choice;
            choice->title = "Nocturne en mi";
            choice->composer = "F. C.";
            return (short)1;
        };
        SmfTrack tempo, melody;
        tempo.tempo(0, 500000).time_sig(0, 4, 2).end();
        melody.text(0, 0x03, "Piano");
        for (int i = 0; i < 4 * c.measures; i++) melody.note(0, 0, 60 + i % 12, 480);
        if (doc != before) destroy_document(doc);
        doc = before;
        ASSERT_EQ(load_midi_document(file(smf(1, 480, {tempo, melody.end()})).c_str()), 1);
        const Sub_document& s = doc->sub_doc[1];
        EXPECT_EQ(s.reduction, 50);
        EXPECT_EQ(s.opti_sys, 1);
        EXPECT_EQ(s.mme_g, c.mm_left);
        EXPECT_EQ(s.mme_d, c.mm_right);
        EXPECT_EQ(s.mme_s, c.mm_top);
        EXPECT_EQ(s.mme_i, c.mm_bottom);
        EXPECT_EQ(s.mmi_s, c.mm_inner_top);
        EXPECT_EQ(s.mx, 1190) << "210 mm at 50 %";
        EXPECT_EQ(s.rmx, 1190);
        EXPECT_EQ(s.rmy, 1683);
        EXPECT_EQ(s.printer_setup, nullptr) << "printed on the user's own printer";
        EXPECT_EQ(doc->mise_en_page_ok, 1);
        EXPECT_EQ(doc->cur_pag, 1) << "the first page is shown";
        ASSERT_GE(doc->tot_pag, 1);
        EXPECT_EQ(doc->tot_pag > 1, c.several_pages) << doc->tot_pag << " pages, " << columns(1) << " measures";
        ASSERT_GE(doc->tot_ptx, 3);
        EXPECT_STREQ(doc->nom->get(), "Nocturne en mi");
        EXPECT_STREQ(doc->ptx[1]->text.get(), "Nocturne en mi");
        EXPECT_STREQ(doc->ptx[3]->text.get(), "F. C.");
        const std::string number = c.several_pages ? "- $1 / " + std::to_string(doc->tot_pag) + " -" : "";
        EXPECT_EQ(doc->ptx[2]->text.get(), number);
        // The title centred at the top margin, the number and the composer on either side.
        EXPECT_EQ(doc->ptx[1]->x, (s.mx - doc->ptx[1]->w) / 2);
        EXPECT_EQ(doc->ptx[1]->y, s.me_s);
        EXPECT_EQ(doc->ptx[2]->x, s.me_g);
        EXPECT_EQ(doc->ptx[3]->x + doc->ptx[3]->w, s.mx - s.me_d);
        EXPECT_EQ(doc->ptx[3]->y + doc->ptx[3]->h, s.me_s + s.mi_s);
    }
}

}  // namespace
