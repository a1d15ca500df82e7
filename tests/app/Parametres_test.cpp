// The program parameters and the key equivalents: "Parameters.txt" and "Keyboard.dat" byte for
// byte, the reading of short, long and damaged files, the dialog's rules and buttons, and the
// notes that the character keys sound.
#include "ShellFixture.h"

#include "app/Parametres.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "score/MusicSettings.h"

namespace {

class Parametres : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        init_param();
        load_equivalents_clavier();
        key_equivalent_hooks = {[](short n) { sounded().push_back(n); }, [](short n) { sounded().push_back(-n); }};
        sounded().clear();
    }
    void TearDown() override
    {
        key_equivalent_hooks = {nullptr, nullptr};
        init_param();
        std::memset(eqcla, 0, sizeof eqcla);
        eqmod = 1;
        playing_note = 0;
        ShellFixture::TearDown();
    }
    // Notes sounded (positive) and released (negative), in order.
    static std::vector<short>& sounded()
    {
        static std::vector<short> notes;
        return notes;
    }
    std::string parameters() const { return program + "/misc/Parameters.txt"; }
    std::string keyboard() const { return program + "/misc/Keyboard.dat"; }
    static std::vector<short> values()
    {
        std::vector<short> v;
        for (short i = 1; i <= kParameterCount; i++) v.push_back(param[i]);
        return v;
    }
    static std::vector<short> defaults()
    {
        const ParameterValues d = default_parameter_values();
        return std::vector<short>(d.v + 1, d.v + kParameterCount + 1);
    }
    CDialog* open_dialog()
    {
        auto* d = new CDialog("MISC", "Brindlecot.res", parameters_dialog::Number, default_dialog_handler, 0);
        set_param(d);
        return d;
    }
};

constexpr const char* kDefaultFile = "28\n6 5 3 4 8 7 10 9 12 11 2 1 50 100 1 2 1 1 1 0 67 81 0 1 1 0 100 2 ";

TEST_F(Parametres, TheDefaultsAreWrittenByteForByteAndReadBack)
{
    ASSERT_EQ(write_parameters(), 1);
    EXPECT_EQ(bytes(parameters()), kDefaultFile);
    param[7] = 99;
    read_parameters();
    EXPECT_EQ(values(), defaults());
}

TEST_F(Parametres, FilesOfEveryLengthFillTheTableAndNoMore)
{
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::pair<short, short>> expected;  // parameter, value; the rest default
    };
    std::string thirty = "30\n";
    for (int i = 1; i <= 30; i++) thirty += std::to_string(200 + i) + " ";
    std::vector<std::pair<short, short>> first_28;
    for (short i = 1; i <= 28; i++) first_28.push_back({i, (short)(200 + i)});
    const Case cases[] = {
        {"count 5", "5\n21 22 23 24 25 ", {{1, 21}, {2, 22}, {3, 23}, {4, 24}, {5, 25}}},
        {"count above 28: 28 values, the rest ignored", thirty, first_28},
        {"count above what the file holds", "28\n7 8 ", {{1, 7}, {2, 8}}},
        {"a damaged value ends the reading", "28\n7 x 9 ", {{1, 7}}},
        {"no count", "abc", {}},
        {"a negative count", "-4\n1 2 3 4 ", {}},
        {"an empty file", "", {}},
    };
    for (const Case& c : cases) {
        write(parameters(), c.file);
        read_parameters();
        std::vector<short> want = defaults();
        for (auto [number, value] : c.expected) want[number - 1] = value;
        EXPECT_EQ(values(), want) << c.name;
    }
}

TEST_F(Parametres, AMissingFileGivesTheDefaultsAndScoreFollowingFollowsParameter24)
{
    follow_flags = 0;
    read_parameters();
    EXPECT_EQ(values(), defaults());
    EXPECT_EQ(follow_flags & 8, 8);
    write(parameters(), "24\n1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 0 ");
    read_parameters();
    EXPECT_EQ(follow_flags & 8, 0);
}

TEST_F(Parametres, ThePressureWindowIsKeptInsideZeroToHundredAndNeverReversed)
{
    struct Case {
        short low, high, want_low, want_high;
    } const cases[] = {
        {-10, 150, 0, 100}, {80, 60, 80, 80}, {20, 70, 20, 70}, {0, 0, 0, 0}, {120, 130, 120, 120},
    };
    for (const Case& c : cases) {
        ParameterValues v = default_parameter_values();
        v.v[parameter::PressureMin] = c.low;
        v.v[parameter::PressureMax] = c.high;
        validate_parameters(&v);
        EXPECT_EQ(v.v[parameter::PressureMin], c.want_low) << c.low << " " << c.high;
        EXPECT_EQ(v.v[parameter::PressureMax], c.want_high) << c.low << " " << c.high;
    }
}

TEST_F(Parametres, TheDialogShowsTheValuesAndOkSavesWhatWasEnteredWithItsRules)
{
    CDialog* d = open_dialog();
    ASSERT_NE(d->popup(29), nullptr);
    EXPECT_EQ(d->popup(29)->get_cur(), keycode::Down);
    EXPECT_EQ(d->popup(11)->get_cur(), drives::SoloistVolume);
    EXPECT_EQ(d->check(50)->get_value(), 1);
    EXPECT_EQ(d->te(5)->get_integer(), 50);
    d->te(5)->set_integer(-10);
    d->te(6)->set_integer(150);
    d->popup(38)->set_cur(keycode::Enter);
    d->check(51)->set_value(0);
    EXPECT_EQ(parameters_dialog_item(d, parameters_dialog::Ok), 1);
    delete d;
    read_parameters();  // what the file holds
    EXPECT_EQ(param[13], 0);
    EXPECT_EQ(param[14], 100);
    EXPECT_EQ(param[11], keycode::Enter);
    EXPECT_EQ(param[25], 0);
}

TEST_F(Parametres, DefaultsThenCancelLeavesTheSavedValuesInForce)
{
    write(parameters(), "3\n30 31 32 ");
    read_parameters();
    CDialog* d = open_dialog();
    EXPECT_EQ(parameters_dialog_item(d, parameters_dialog::Defaults), 0);  // the dialog stays
    EXPECT_EQ(values(), defaults());
    EXPECT_EQ(d->popup(29)->get_cur(), keycode::Down);
    EXPECT_EQ(parameters_dialog_item(d, parameters_dialog::Cancel), 1);
    delete d;
    EXPECT_EQ(param[1], 30);
    EXPECT_EQ(param[3], 32);
    EXPECT_EQ(bytes(parameters()), "3\n30 31 32 ");
}

TEST_F(Parametres, AFileThatCannotBeWrittenKeepsTheValuesEnteredAndTellsTheUser)
{
    std::filesystem::create_directories(parameters());  // a folder where the file should be
    CDialog* d = open_dialog();
    d->popup(29)->set_cur(keycode::LetterA);
    EXPECT_EQ(parameters_dialog_item(d, parameters_dialog::Ok), 1);
    delete d;
    EXPECT_EQ(param[1], keycode::LetterA);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Parameters.txt"), std::string::npos) << boxes[0];
}

TEST_F(Parametres, KeyboardFileRoundTripsAndItsLayoutIsHeldToOneToFive)
{
    eqmod = 3;
    eqcla[3][1] = 'q';
    eqcla[3][36] = (char)0xE9;  // é
    eqcla[5][10] = '1';
    ASSERT_EQ(write_equivalents_clavier(), 1);
    const std::string b = bytes(keyboard());
    ASSERT_EQ(b.size(), 2u + 5 * 37);
    EXPECT_EQ(b.substr(0, 2), "3\n");
    EXPECT_EQ(b[2 + 2 * 37 + 1], 'q');
    EXPECT_EQ(b[2 + 2 * 37 + 36], (char)0xE9);
    EXPECT_EQ(b[2 + 4 * 37 + 10], '1');
    EXPECT_EQ(b[2], 0);  // byte 0 of layout 1
    load_equivalents_clavier();
    EXPECT_EQ(eqmod, 3);
    EXPECT_EQ(eqcla[3][1], 'q');
    EXPECT_EQ(eqcla[3][36], (char)0xE9);
    EXPECT_EQ(eqcla[5][10], '1');
    EXPECT_EQ(bytes(keyboard()), keyboard_bytes());

    struct Case {
        const char* head;
        short want;
    } const cases[] = {{"9\n", 5}, {"0\n", 1}, {"-3\n", 1}, {"5\n", 5}};
    for (const Case& c : cases) {
        write(keyboard(), c.head + b.substr(2));
        load_equivalents_clavier();
        EXPECT_EQ(eqmod, c.want) << c.head;
        EXPECT_EQ(equivalent_note(eqmod, 'z'), 0);  // no note outside a layout
    }
    std::filesystem::remove(keyboard());
    load_equivalents_clavier();
    EXPECT_EQ(eqmod, 1);
    EXPECT_EQ(eqcla[3][1], 0);
}

TEST_F(Parametres, OneKeyNoteAtATimeFromPosition1AsNote53)
{
    eqmod = 2;
    eqcla[2][1] = 'a';
    eqcla[2][2] = 'z';
    eqcla[2][36] = 'm';
    joue_equivalent_clavier('a');
    EXPECT_EQ(playing_note, 53);
    joue_equivalent_clavier('z');     // releases the first
    joue_equivalent_clavier(1000 + 'a');  // does nothing
    EXPECT_EQ(playing_note, 54);
    joue_equivalent_clavier('q');     // not in the layout: releases
    EXPECT_EQ(playing_note, 0);
    joue_equivalent_clavier('m');
    joue_equivalent_clavier('m');     // a repeated press changes nothing
    joue_equivalent_clavier(1000 + 'm');
    EXPECT_EQ(sounded(), (std::vector<short>{53, -53, 54, -54, 88, -88}));
}

TEST_F(Parametres, TheEquivalentsDialogStoresEachLayoutAndCancelForgetsTheChanges)
{
    auto* d = new CDialog("MISC", "Brindlecot.res", equivalents_dialog::Number, default_dialog_handler, 0);
    show_equivalents(d);
    ASSERT_NE(d->te(8), nullptr);
    ASSERT_NE(d->te(43), nullptr);
    d->te(8)->set_text("w");
    d->popup(2)->set_cur(4);
    EXPECT_EQ(equivalents_dialog_item(d, equivalents_dialog::Layout), 0);
    EXPECT_EQ(eqcla[1][1], 'w');
    EXPECT_EQ(eqmod, 4);
    EXPECT_EQ(d->te(8)->get_integer(), 0);
    d->te(43)->set_text("p");
    EXPECT_EQ(equivalents_dialog_item(d, equivalents_dialog::Ok), 1);
    EXPECT_EQ(eqcla[4][36], 'p');
    EXPECT_TRUE(std::filesystem::exists(keyboard()));

    show_equivalents(d);
    d->te(43)->set_text("");  // a cleared field stores 0
    store_equivalents(d);
    EXPECT_EQ(eqcla[4][36], 0);
    EXPECT_EQ(equivalents_dialog_item(d, equivalents_dialog::Cancel), 1);
    delete d;
    EXPECT_EQ(eqcla[4][36], 'p');  // the file again
    EXPECT_EQ(eqcla[1][1], 'w');
}

}  // namespace
