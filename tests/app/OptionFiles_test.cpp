// The settings files of the program folder: "Options.txt" byte for byte, with its defaults and
// read back from a short file; "LastDoc.txt" reopened at start; the played note's highlight.
#include "ShellFixture.h"

#include "app/OptionFiles.h"
#include "editor/Editeur.h"
#include "midi/CMidi.h"
#include "score/CNote.h"

#include <thread>

namespace {

class OptionFiles : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        reset();
    }
    void TearDown() override
    {
        reset();
        ShellFixture::TearDown();
    }
    static void reset()
    {
        for (short& p : patch_favoris) p = 0;
        pressure_effect = 1, metro_velo = 100, transpo = 0;
        panvol_x = 200, panvol_y = 200, paneffect_x = 300, paneffect_y = 150, paninstru_x = 400, paninstru_y = 100;
        panvol_open = paneffect_open = paninstru_open = 0;
    }
    std::string options() const { return program + "/misc/Options.txt"; }
    // Opens a score and gives its first note, item 2 (after the clef) of the measure `number`
    // (measure 1 of staff 1); null when it does not open.
    CNote* open_first_note(short* number)
    {
        if (!load_document(write_score(home / "h.bcc").c_str())) return nullptr;
        *number = doc->por[doc->sys[1]->por[1]]->mes[1];
        return object_as<CNote>(doc->mes[*number]->get_item(2));
    }
};

constexpr const char* kDefaults =
    "1\n1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 \n1 100 0\n200 200 300 150 400 100\n0 0 0\n";

TEST_F(OptionFiles, AFirstStartWritesTheDefaultsByteForByte)
{
    ASSERT_FALSE(std::filesystem::exists(options()));
    read_settings();
    write_options();
    EXPECT_EQ(bytes(options()), kDefaults);
}

TEST_F(OptionFiles, ValuesComeBackAndAShortFileKeepsTheValuesItLacks)
{
    struct Case {
        const char* file;
        short favourite_16, metro, paninstru_y, paninstru_open;
    };
    const Case cases[] = {
        // Every value read back, negative ones too.
        {"1\n5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 -20 \n0 90 -3\n1 2 3 4 5 -6\n1 0 1\n", -20, 90, -6, 1},
        // The last line is missing: the panels keep their visibility.
        {"1\n5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 \n0 90 -3\n1 2 3 4 5 6\n", 20, 90, 6, 0},
        // A value that cannot be read stops the reading there.
        {"1\n5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 \n0 x 2\n1 2 3 4 5 6\n1 1 1\n", 20, 100, 100, 0},
        {"", 1, 100, 100, 0},
    };
    for (const Case& c : cases) {
        reset();
        write(options(), c.file);
        read_settings();
        EXPECT_EQ(patch_favoris[16], c.favourite_16) << c.file;
        EXPECT_EQ(metro_velo, c.metro) << c.file;
        EXPECT_EQ(paninstru_y, c.paninstru_y) << c.file;
        EXPECT_EQ(paninstru_open, c.paninstru_open) << c.file;
    }
    // What was read is written back as it was read.
    write(options(), "1\n5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 -20 \n0 90 -3\n1 2 3 4 5 -6\n1 0 1\n");
    read_settings();
    write_options();
    EXPECT_EQ(bytes(options()), "1\n5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 -20 \n0 90 -3\n1 2 3 4 5 -6\n1 0 1\n");
}

TEST_F(OptionFiles, TheLastDocumentOpensAgainWithTheFlagsOfItsFolder)
{
    struct Case {
        std::string path;
        bool opens;
        short composition, variation, named;
    };
    const Case cases[] = {
        {write_score(data + "/Mes compositions/Suite.bcc"), true, 1, 0, 0},
        {write_score(data + "/Mes variations/Air.bcc"), true, 0, 1, 0},
        // The word in a name is not the folder.
        {write_score(data + "/Mes variations/Mes compositions.bcc"), true, 0, 1, 0},
        {data + "/Mes variations/Gone.bcc", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        discard_document();
        variation = composition = named = modification = 0;
        write_last_document(c.path.c_str());
        EXPECT_EQ(bytes(program + "/misc/LastDoc.txt"), c.path) << "no line end";
        EXPECT_EQ(read_last_document(), c.path);
        reopen_last_document();
        EXPECT_EQ(doc != nullptr, c.opens) << c.path;
        if (!c.opens) continue;
        EXPECT_EQ(doc_path(), c.path);
        EXPECT_EQ(composition, c.composition) << c.path;
        EXPECT_EQ(variation, c.variation) << c.path;
        EXPECT_EQ(named, c.named) << "the next save asks for a name";
    }
    // A path followed by a line end is read up to it; no file opens nothing.
    write(program + "/misc/LastDoc.txt", cases[0].path + "\r\nrest");
    EXPECT_EQ(read_last_document(), cases[0].path);
    std::filesystem::remove(program + "/misc/LastDoc.txt");
    discard_document();
    reopen_last_document();
    EXPECT_EQ(doc, nullptr);
}

TEST_F(OptionFiles, TheHighlightMarksTheNoteAndOnlyKinds2And3Count)
{
    short number = 0;
    CNote* note = open_first_note(&number);
    ASSERT_NE(note, nullptr);
    struct Case {
        unsigned char kind, measure_high, measure_low, item;
        bool highlighted;
    };
    const Case cases[] = {
        {2, 0, (unsigned char)number, 2, true},
        {3, 0, (unsigned char)number, 2, false},
        {0x0A, 0x80, (unsigned char)number, 2, true},  // low 3 bits; bit 7 of the measure ignored
        {4, 0, (unsigned char)number, 2, true},        // an external start: nothing changes
        {3, 0, (unsigned char)number, 1, true},        // the clef is not a note
        {3, 0x7F, 0xFF, 2, true},                      // no such measure
        {3, 0, (unsigned char)number, 200, true},      // no such item
        {3, 0, (unsigned char)number, 2, false},
    };
    for (const Case& c : cases) {
        char marker[4] = {(char)c.kind, (char)c.measure_high, (char)c.measure_low, (char)c.item};
        midi_color(marker, 0);
        EXPECT_EQ(marker[0], c.kind & 7);
        EXPECT_EQ((note->flags & 0x0100) != 0, c.highlighted) << (int)c.kind << " item " << (int)c.item;
    }
    // From the MIDI threads a marker waits for the program's thread.
    char marker[4] = {2, 0, (char)number, 2};
    queue_midi_color(marker, 0);
    EXPECT_EQ(note->flags & 0x0100, 0) << "not drawn on the MIDI thread";
    app_periodic_task();
    EXPECT_NE(note->flags & 0x0100, 0);
    // A marker that arrives after its document closed is dropped.
    char late[4] = {3, 0, (char)number, 2};
    queue_midi_color(late, 0);
    discard_document();
    app_periodic_task();
}

// The MIDI layer's markers reach the shell from start-up to the close request: a marker given
// on another thread (as the MIDI threads give them) is not drawn there, but by the program's
// periodic task; an external start or stop is not taken for a note.
TEST_F(OptionFiles, TheMidiLayersMarkersAreDrawnByTheShellOnTheProgramsThread)
{
    short number = 0;
    CNote* note = open_first_note(&number);
    ASSERT_NE(note, nullptr);
    auto midi = std::make_unique<CMidi>();
    application->midi = midi.get();
    const auto nothing = [] {};
    shell_steps = {nothing, nothing, nothing, nothing, nothing, nothing,
                   nothing, nothing, nothing, nothing, nothing, nothing};
    app_start();
    ASSERT_EQ(midi->midi_special_treatment, &queue_midi_color);
    std::thread([&] {
        char start[4] = {1 * 8 + 2, 0, (char)number, 2};  // staff 1, the note starts
        midi->midi_special_treatment(start, 0);
        char external[4] = {4, 0, 0, 0};
        midi->midi_special_treatment(external, 0);
    }).join();
    EXPECT_EQ(note->flags & 0x0100, 0) << "not drawn on the MIDI thread";
    app_periodic_task();
    EXPECT_NE(note->flags & 0x0100, 0) << "drawn by the periodic task";
    EXPECT_EQ(app_stop(), 1);
    EXPECT_EQ(midi->midi_special_treatment, nullptr) << "no marker reaches the shell after the close";
    application->midi = nullptr;
}

}  // namespace
