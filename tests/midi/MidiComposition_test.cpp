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

}  // namespace
