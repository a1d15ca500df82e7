// Every handler the program installs in the router's table obeys the editing-tool conventions,
// whatever its tool does: a refused measure answers 0 and leaves no undo level; a press that is
// not a left press, or lies outside the score panel, is not its event; the erase mode lasts one
// event and erases nothing on empty space; empty space under the pointer is handed on, so that
// a press nobody took drags the page. A handler that joins the table joins this matrix.
#include "ToolBench.h"

#include <algorithm>
#include <string>

#include "score/CMeasure.h"

namespace {

constexpr short kForte = 2105;  // a symbol of the palettes

// One installed handler: its field of the table, and a tool that the router gives it.
struct Installed {
    const char* name;
    ToolHandler ToolHandlers::*field;
    short tool;
};
const Installed kMatrix[] = {
    {"notes", &ToolHandlers::notes, tool::Quarter},
    {"notes (beam break)", &ToolHandlers::notes, tool::BeamBreak},
    {"silences", &ToolHandlers::silences, tool::RestQuarter},
    {"point", &ToolHandlers::point, tool::Dot},
    {"liaison_tenue", &ToolHandlers::liaison_tenue, tool::Tie},
    {"voix", &ToolHandlers::voix, (short)(tool::VoiceNone + 2)},
    {"inverser", &ToolHandlers::inverser, tool::StemFlip},
    {"selection", &ToolHandlers::selection, tool::Selection},
    {"temps", &ToolHandlers::temps, tool::TimeSignature},
    {"armures", &ToolHandlers::armures, tool::KeySignature},
    {"symbole", &ToolHandlers::symbole, kForte},
    {"texte", &ToolHandlers::texte, tool::Text},
    {"librairies", &ToolHandlers::librairies, tool::LibraryMarker},
    {"mesure", &ToolHandlers::mesure, tool::Measure},
    {"hauteurs", &ToolHandlers::hauteurs, tool::StemLength},
    {"nolet", &ToolHandlers::nolet, tool::Tuplet},
    {"tetes", &ToolHandlers::tetes, tool::NoteHead},
    {"reprises", &ToolHandlers::reprises, tool::Repeat},
    {"alterations", &ToolHandlers::alterations, tool::AccidentalRaise},
    {"bouger_alterations", &ToolHandlers::bouger_alterations, tool::AccidentalMove},
    {"enharmonie", &ToolHandlers::enharmonie, tool::Enharmony},
    {"accord", &ToolHandlers::accord, tool::ChordNote},
    {"clefs", &ToolHandlers::clefs, tool::Clef},
    {"chord_use", &ToolHandlers::chord_use, tool::ChordSymbol},
    {"disposition", &ToolHandlers::disposition, tool::Layout},
};

// The handler under test, spied on: its answers for the event just routed.
ToolHandler spied_real = nullptr;
std::vector<short> spied_answers;
short spied(Editeur* v, Event* e) {
    const short r = spied_real(v, e);
    spied_answers.push_back(r);
    return r;
}

class ToolContract : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        note = score->note(1, 1, 14);
        note->x = 40;
        rest = score->rest(1, 1, 3);
        rest->x = 90;
    }
    // Puts the spy on row r's field (the bench's own spies stay underneath).
    void spy_on(const Installed& r) {
        spied_real = tool_handlers.*r.field;
        tool_handlers.*r.field = spied;
        spied_answers.clear();
    }
    // The items of measure (1, 1) and their places, to see that nothing changed.
    std::string picture() {
        std::string s;
        CMeasure* m = at_measure(1, 1);
        for (short i = 1; i <= m->total(); i++) {
            CDataObject* o = m->get_item(i);
            if (CNote* n = object_as<CNote>(o)) s += "n" + std::to_string(n->x) + "," + std::to_string(n->y) + ";";
            else if (CRest* r = object_as<CRest>(o)) s += "r" + std::to_string(r->x) + "," + std::to_string(r->y) + ";";
            else s += "o;";
        }
        return s;
    }
    CNote* note = nullptr;
    CRest* rest = nullptr;
};

}  // namespace

TEST_F(ToolContract, EveryInstalledHandlerIsInTheMatrix) {
    ToolHandlers empty{};
    const ToolHandlers kept = tool_handlers;
    tool_handlers = empty;
    install_tool_handlers();
    const ToolHandlers installed = tool_handlers;
    tool_handlers = kept;
    std::vector<ToolHandler ToolHandlers::*> in_matrix;
    for (const Installed& r : kMatrix) in_matrix.push_back(r.field);
    ToolHandler ToolHandlers::*const fields[] = {
        &ToolHandlers::tetes,      &ToolHandlers::enharmonie, &ToolHandlers::voix,        &ToolHandlers::librairies,
        &ToolHandlers::texte,      &ToolHandlers::chord_use,  &ToolHandlers::disposition, &ToolHandlers::selection,
        &ToolHandlers::paroles,    &ToolHandlers::symbole,    &ToolHandlers::mesure,      &ToolHandlers::clefs,
        &ToolHandlers::liaison_tenue, &ToolHandlers::temps,   &ToolHandlers::notes,       &ToolHandlers::inverser,
        &ToolHandlers::silences,   &ToolHandlers::accord,     &ToolHandlers::point,       &ToolHandlers::hauteurs,
        &ToolHandlers::alterations, &ToolHandlers::bouger_alterations, &ToolHandlers::armures, &ToolHandlers::reprises,
        &ToolHandlers::nolet,      &ToolHandlers::curseur};
    int count = 0;
    for (auto f : fields)
        // The step cursor is no tool of the chain: it has tests of its own (StepCursor_test).
        if (installed.*f && f != &ToolHandlers::curseur) {
            count++;
            EXPECT_TRUE(std::find(in_matrix.begin(), in_matrix.end(), f) != in_matrix.end())
                << "an installed handler has no row in the contract matrix";
        }
    EXPECT_GE(count, 2);
}

TEST_F(ToolContract, ARefusedMeasureAnswersNothingAndLeavesNoLevel) {
    struct Place {
        const char* what;
        double ux, uy;
    };
    const Place places[] = {{"on the note", note->x + 2.0, note->y - 2.0},
                            {"on the rest", rest->x + 3.0, rest->y - 5.0},
                            {"on empty space", 120, 8}};
    for (const Installed& r : kMatrix)
        for (short flag : {measure_flag::PlayAlong, measure_flag::LibraryMarkers})
            for (const Place& p : places) {
                SCOPED_TRACE(std::string(r.name) + " " + p.what + " flag " + std::to_string(flag));
                at_measure(1, 1)->flags = flag;
                const std::string before = picture();
                const ToolHandler kept = tool_handlers.*r.field;
                spy_on(r);
                pal->set_tool(r.tool, 0);
                click(1, 1, p.ux, p.uy);
                tool_handlers.*r.field = kept;
                ASSERT_FALSE(spied_answers.empty());
                // On an item the handler declines; on empty space it may take the press (the
                // dot tool does), but changes nothing.
                if (p.uy != 8) {
                    for (short a : spied_answers) EXPECT_TRUE(a == tool_result::NotMine || a == tool_result::HandOn) << a;
                }
                EXPECT_EQ(picture(), before);
                EXPECT_TRUE(levels().empty());
                EXPECT_EQ(score->d->modif, 0);
            }
}

TEST_F(ToolContract, OnlyALeftPressInsideThePanelIsAHandlersEvent) {
    for (const Installed& r : kMatrix) {
        SCOPED_TRACE(r.name);
        pal->set_tool(r.tool, 0);
        const platform::Point on_note = panel_point(1, 1, note->x + 2, note->y - 2);
        struct Case {
            short type, flags, x, y;
        } cases[] = {
            {EvRelease, EvfLeft, (short)on_note.x, (short)on_note.y},
            {EvMove, EvfLeft, (short)on_note.x, (short)on_note.y},
            {EvPress, EvfMiddle, (short)on_note.x, (short)on_note.y},
            {EvPress, EvfLeft, -5, (short)on_note.y},
            {EvPress, EvfLeft, (short)on_note.x, (short)(editor->up->get_height() + 3)},
        };
        for (const Case& c : cases) {
            Event e;
            e.type = c.type, e.flags = c.flags, e.x = c.x, e.y = c.y;
            EXPECT_EQ((tool_handlers.*r.field)(editor, &e), tool_result::NotMine) << c.type << " " << c.flags;
        }
        EXPECT_TRUE(levels().empty());
    }
}

TEST_F(ToolContract, TheEraseModeLastsOneEventAndErasesNothingOnEmptySpace) {
    for (const Installed& r : kMatrix) {
        SCOPED_TRACE(r.name);
        pal->set_tool(r.tool, 0);
        const std::string before = picture();
        key_over(1, 1, 120, 8, 8);  // Backspace over an empty place
        EXPECT_EQ(picture(), before);
        EXPECT_TRUE(levels().empty());
        EXPECT_EQ(pal->get_erase_tool(), 0);
        EXPECT_EQ(pal->get_tool(), r.tool);
    }
}

TEST_F(ToolContract, EmptySpaceUnderThePointerIsHandedOnAndThePageIsDragged) {
    build_pages(score->d, 3, 2);
    score->d->cur_pag = 1;
    editor->draw();
    for (const Installed& r : kMatrix) {
        SCOPED_TRACE(r.name);
        const ToolHandler kept = tool_handlers.*r.field;
        spy_on(r);
        pal->set_tool(tool::Pointer, 0);
        editor->moving = 0;
        // Far right of the page, where no measure spans the press.
        const platform::Point far{editor->up->get_width() - 20, editor->up->get_height() - 20};
        short gx = (short)far.x, gy = (short)far.y;
        editor->up->local_to_global(&gx, &gy);
        wm->inject_mouse_move({gx, gy});
        wm->inject_mouse_button(platform::ButtonLeft, true, {gx, gy});
        pump();
        tool_handlers.*r.field = kept;
        for (short a : spied_answers) EXPECT_NE(a, tool_result::Handled);
        EXPECT_EQ(editor->moving, 1) << "nothing took the press: the page follows the hand";
        wm->inject_mouse_button(platform::ButtonLeft, false, {gx, gy});
        pump();
        EXPECT_EQ(editor->moving, 0);
        EXPECT_TRUE(levels().empty());
    }
}
