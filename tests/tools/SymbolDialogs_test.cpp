// The parameter dialogs of a placed symbol: a metronome mark shows and takes its tempo in its
// own note value and never stores more than the range allows, each play type has its range and
// title, a controller without a title of its own shows its number, the full dialog stores only
// what changed, the instrument dialog lists the built-in synthesizer's groups and instruments.
// Each dialog is worked by injected clicks and written to a PNG.
#include <gtest/gtest.h>

#include <filesystem>

#include "../midi/DialogScript.h"
#include "../score/ScoreFixture.h"
#include "framework/CButton.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"
#include "framework/MessageBoxes.h"
#include "score/CSymbol.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/SymbolDefinitions.h"
#include "score/Synthe.h"
#include "tools/SymbolDialogs.h"

namespace {

TEST(SymbolValues, AMetronomeMarkShowsTheTempoInItsOwnNoteValue) {
    struct Case {
        const char* mark;
        short id, stored, shown, typed, back;
    } cases[] = {
        {"half note", 2118, 120, 60, 70, 140},
        {"dotted half note", 2119, 120, 40, 40, 120},
        {"dotted quarter", 2130, 120, 80, 81, 121},
        {"eighth", 2131, 60, 120, 100, 50},
        {"dotted eighth", 2132, 90, 120, 120, 90},
        {"sixteenth", 2133, 60, 240, 240, 60},
        {"dotted sixteenth", 2134, 60, 160, 160, 60},
        {"quarter", 2107, 96, 96, 97, 97},
        {"another symbol", 2300, 96, 96, 97, 97},
        {"odd tempo, half note: truncated", 2118, 121, 60, 60, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mark);
        EXPECT_EQ(metronome_shown(c.id, c.stored), c.shown);
        EXPECT_EQ(metronome_stored(c.id, c.typed), c.back);
    }
}

TEST(SymbolValues, EachPlayTypeHasItsRangeAndTitle) {
    struct Case {
        short type;
        bool relative;
        short controller;
        bool known;
        short min, max, title;
        bool controller_field, percent;
    } cases[] = {
        {1, false, 0, true, 10, 480, 185, false, false},   {1, true, 0, true, -240, 240, 185, false, false},
        {2, false, 0, true, 1, 127, 177, false, false},    {2, true, 0, true, -127, 127, 177, false, false},
        {3, false, 7, true, 0, 127, 186, false, false},    {3, false, 91, true, 0, 127, 178, false, false},
        {3, false, 10, true, 0, 127, 187, false, false},   {3, false, 1, true, 0, 127, 188, false, false},
        {3, false, 64, true, 0, 127, 179, true, false},    {4, false, 0, true, 0, 127, 181, false, false},
        {5, true, 0, true, -127, 127, 189, false, false},  {6, false, 0, true, 0, 127, 190, false, false},
        {7, false, 0, true, -8192, 8191, 191, false, false}, {7, true, 0, true, -8192, 8191, 191, false, false},
        {8, false, 0, true, -24, 24, 192, false, false},   {9, false, 0, true, 5, 200, 180, false, true},
        {9, true, 0, true, -100, 100, 180, false, true},   {10, false, 0, true, -480, 480, 182, false, false},
        {0, false, 0, false, 0, 0, 0, false, false},       {11, false, 0, false, 0, 0, 0, false, false},
        {12, false, 0, false, 0, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        const ValueDialogSetup s = value_dialog_setup(c.type, c.relative, c.controller);
        SCOPED_TRACE(testing::Message() << "type " << c.type << " relative " << c.relative << " controller "
                                        << c.controller);
        EXPECT_EQ(s.known, c.known);
        EXPECT_EQ(s.min, c.min);
        EXPECT_EQ(s.max, c.max);
        EXPECT_EQ(s.title, c.title);
        EXPECT_EQ(s.controller_field, c.controller_field);
        EXPECT_EQ(s.percent_label, c.percent);
    }
}

TEST(SymbolValues, OnlyChangedParametersAreStored) {
    short before[36] = {}, after[36] = {};
    for (short n = 1; n <= 35; n++) before[n] = after[n] = (short)(n * 3);
    EXPECT_TRUE(changed_parameters(before, after).empty());
    after[2] = -4, after[35] = 0;
    const std::vector<std::pair<short, short>> want{{2, -4}, {35, 0}};
    EXPECT_EQ(changed_parameters(before, after), want);
}

// A definition with one play rule of type `type`: its value, second value and options.
struct RuleDefinition {
    RuleDefinition(short id, short type, short value, short second = 0, short options = 0) {
        def.id = id;
        def.type = 2;
        def.dw = def.dh = 100;
        def.options = 0x2000;
        def.jeu = &jeu;
        jeu.type = type;
        jeu.param1 = value;
        jeu.param2 = second;
        jeu.options = options;
    }
    Definition def;
    Jeu jeu;
};

class SymbolDialogs : public DialogScript {
public:
    std::string folder_prefix() const override { return "symbol-dialogs"; }
    void SetUp() override {
        DialogScript::SetUp();
        saved_strings = strings;
        strings = new CArrayString;
        strings->load_strings((std::string(BRINDLECOT_BUILD_DATA) + "/misc").c_str(), "MUSIC.RES", 78);
        set_message_box_responder([this](const MessageBoxRequest& r) -> short {
            told.push_back(r.text);
            return 1;
        });
    }
    void TearDown() override {
        set_message_box_responder({});
        delete strings;
        strings = saved_strings;
        DialogScript::TearDown();
    }
    // The dialog holding these items.
    CDialog* value_dialog() { return find_dialog(3, 9, 10); }
    CDialog* full_dialog() { return find_dialog(11, 45, 2); }
    CDialog* instrument_dialog() { return find_dialog(1, 2, 6); }
    CSymbol* run(std::vector<Steps> groups, std::function<CDialog*()> dialog, std::function<CSymbol*()> body) {
        CSymbol* result = reinterpret_cast<CSymbol*>(-1);
        DialogScript::run(std::move(groups), [dialog] { return dialog() != nullptr; }, [&] { result = body(); });
        return result;
    }
    Steps clicks(std::function<CPanel*()> target, int times) {
        Steps s;
        for (int i = 0; i < times; i++) s.push_back([this, target] { click(target()); });
        return s;
    }

    CArrayString* saved_strings = nullptr;
    std::vector<std::string> told;
    CSymbol sym;
};

}  // namespace

TEST_F(SymbolDialogs, AHalfNoteMarkShowsSixtyForOneHundredTwentyAndStoresTwiceWhatIsTyped) {
    RuleDefinition mark(2118, 1, 120);
    sym.tool_id = 2118;
    short shown = 0;
    std::string title;
    CSymbol* result = run({{[&] {
                                shown = value_dialog()->slider(3)->get_value();
                                title = wm->title(value_dialog()->hwnd);
                                snapshot(value_dialog(), "symbol_value_half_note.png");
                            }},
                           clicks([this] { return value_dialog()->button(10); }, 10),
                           {[&] { click(value_dialog()->button(1)); }}},
                          [this] { return value_dialog(); }, [&] { return edit_local_param(&sym, &mark.def, 1, 0); });
    EXPECT_EQ(shown, 60);
    EXPECT_EQ(title, "Tempo");
    EXPECT_EQ(result, &sym);
    EXPECT_EQ(sym.get_local_param(&mark.def, 21), 140);
}

TEST_F(SymbolDialogs, AConvertedTempoIsKeptInItsRange) {
    RuleDefinition mark(2118, 1, 120);
    sym.tool_id = 2118;
    CSymbol* result = run({{[&] { value_dialog()->slider(3)->set_value(480); },
                            [&] { click(value_dialog()->button(1)); }}},
                          [this] { return value_dialog(); }, [&] { return edit_valeur(&sym, &mark.def); });
    EXPECT_EQ(result, &sym);
    EXPECT_EQ(sym.get_local_param(&mark.def, 21), 480) << "480 in half notes is not stored as 960";
}

TEST_F(SymbolDialogs, AControllerWithoutATitleShowsItsNumberAndTakesANewOne) {
    RuleDefinition pedal(2600, 3, 127, 64);
    bool field_shown = false;
    short shown = 0;
    CSymbol* result = run({{[&] {
                                CTextedit* t = value_dialog()->te(6);
                                field_shown = t->visible() != 0;
                                shown = t->get_integer();
                                snapshot(value_dialog(), "symbol_value_controller.png");
                                t->set_text("11");
                            },
                            [&] { click(value_dialog()->button(9)); },
                            [&] { click(value_dialog()->button(1)); }}},
                          [this] { return value_dialog(); }, [&] { return edit_valeur(&sym, &pedal.def); });
    EXPECT_TRUE(field_shown);
    EXPECT_EQ(shown, 64);
    EXPECT_EQ(result, &sym);
    EXPECT_EQ(sym.get_local_param(&pedal.def, 22), 11);
    EXPECT_EQ(sym.get_local_param(&pedal.def, 21), 126);
    // A controller with a title of its own hides the field.
    RuleDefinition volume(2601, 3, 100, 7);
    CSymbol other;
    run({{[&] {
        field_shown = value_dialog()->te(6)->visible() != 0;
        click(value_dialog()->button(2));
    }}},
        [this] { return value_dialog(); }, [&] { return edit_valeur(&other, &volume.def); });
    EXPECT_FALSE(field_shown);
    EXPECT_EQ(other.param.total(), 0) << "cancelled: nothing stored";
}

TEST_F(SymbolDialogs, TheFullDialogStoresOnlyWhatChanged) {
    RuleDefinition velocity(2602, 2, 80);
    velocity.def.dx = 5;
    short shown_x = 0, shown_value = 0;
    CSymbol* result = run({{[&] {
                                shown_x = full_dialog()->te(11)->get_integer();
                                shown_value = full_dialog()->te(31)->get_integer();
                                snapshot(full_dialog(), "symbol_all_parameters.png");
                            },
                            [&] { click(full_dialog()->button(1)); }}},
                          [this] { return full_dialog(); }, [&] { return edit_local_param(&sym, &velocity.def, 1, 1); });
    EXPECT_EQ(shown_x, 5);
    EXPECT_EQ(shown_value, 80);
    EXPECT_EQ(result, &sym);
    EXPECT_EQ(sym.param.total(), 0) << "confirmed without a change: no local value";

    result = run({{[&] { full_dialog()->te(12)->set_text("-7"); }, [&] { click(full_dialog()->button(1)); }}},
                 [this] { return full_dialog(); }, [&] { return edit_all_parameters(&sym, &velocity.def); });
    EXPECT_EQ(result, &sym);
    ASSERT_EQ(sym.param.total(), 1);
    EXPECT_EQ(sym.param.get(1), 2);
    EXPECT_EQ(sym.value.get(1), -7);

    result = run({{[&] { full_dialog()->te(13)->set_text("300"); }, [&] { click(full_dialog()->button(2)); }}},
                 [this] { return full_dialog(); }, [&] { return edit_all_parameters(&sym, &velocity.def); });
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(sym.param.total(), 1) << "cancelled: the width stays the definition's";
}

TEST_F(SymbolDialogs, AnUnknownPlayTypeOpensTheFullDialog) {
    RuleDefinition odd(2603, 12, 0);
    CSymbol* result = run({{[&] { click(full_dialog()->button(2)); }}}, [this] { return full_dialog(); },
                          [&] { return edit_local_param(&sym, &odd.def, 1, 0); });
    EXPECT_EQ(result, nullptr);
}

TEST_F(SymbolDialogs, TheInstrumentDialogListsTheSynthesizersGroupsAndInstruments) {
    std::filesystem::create_directories(folder + "/MISC/SYN");
    std::filesystem::copy_file(std::string(BRINDLECOT_BUILD_DATA) + "/misc/syn/GM-1.SYN", folder + "/MISC/SYN/GM-1.SYN");
    // Loading a synthesizer works in the program folder: the dialogs are read from there then.
    std::filesystem::copy_file(std::string(BRINDLECOT_BUILD_DATA) + "/misc/MUSIC.RES", folder + "/MISC/MUSIC.RES");
    ScoreFixture score(1, 1);
    Document* saved_doc = doc;
    doc = score.d;
    std::snprintf(doc->ins[1].synthe, sizeof doc->ins[1].synthe, "%s", "GM-1");
    doc->ins[1].port = 2;
    Synthe* syn = get_synthe("GM-1");
    ASSERT_NE(syn, nullptr);
    ASSERT_GT(syn->tot_groupe, 1);
    RuleDefinition instrument(kInstrumentSymbol, 4, syn->instr[1].num);
    short groups = 0, group = 0, instrument_row = 0;
    std::string first_name;
    CSymbol* result = nullptr;
    short second_group_first = 0;
    for (short k = 1; k <= syn->tot_instr && !second_group_first; k++)
        if (syn->instr[k].groupe == syn->groupe[2].num) second_group_first = k;
    ASSERT_NE(second_group_first, 0);
    auto row = [this](CList* l, short n) {
        auto* lc = static_cast<platform::ListControl*>(platform::Control::of(l->hwnd));
        return std::pair<int32_t, int32_t>{10, 2 + lc->row_height() * (n - 1) + 3};
    };
    result = run({{[&] {
                       CDialog* d = instrument_dialog();
                       groups = d->list(1)->total();
                       group = d->list(1)->get_cur();
                       instrument_row = d->list(2)->get_cur();
                       CString name;
                       d->list(2)->get_item(instrument_row, &name);
                       first_name = name.get();
                       snapshot(d, "symbol_instrument.png");
                       auto [x, y] = row(d->list(1), 2);
                       click(d->list(1), x, y);
                   },
                   [&] {
                       auto [x, y] = row(instrument_dialog()->list(2), 1);
                       click(instrument_dialog()->list(2), x, y);
                       click(instrument_dialog()->list(2), x, y);
                   }}},
                 [this] { return instrument_dialog(); },
                 [&] { return edit_local_param(&sym, &instrument.def, 1, 0); });
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(groups, syn->tot_groupe);
    EXPECT_EQ(group, 1);
    EXPECT_EQ(instrument_row, 1);
    EXPECT_EQ(first_name, syn->instr[1].nom);
    EXPECT_EQ(result, &sym) << "a double click confirms";
    EXPECT_EQ(sym.get_local_param(&instrument.def, 21), syn->instr[second_group_first].num);
    EXPECT_EQ(sym.get_local_param(&instrument.def, 22), 2) << "the staff's port";
    doc = saved_doc;
}

TEST_F(SymbolDialogs, WithoutADocumentTheInstrumentDialogSaysSoAndCancels) {
    Document* saved_doc = doc;
    doc = nullptr;
    RuleDefinition instrument(kInstrumentSymbol, 4, 1);
    EXPECT_EQ(edit_instrument_symbol(&sym, &instrument.def, 1), nullptr);
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(sym.param.total(), 0);
    doc = saved_doc;
}
