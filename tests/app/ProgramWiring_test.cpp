// The program's wiring: every field of every table that the lower folders call upward through
// is either answered by exactly one step of the wiring, or kept at a default that is the
// program's own answer, or named here as waiting for the part that will answer it. A field
// added to a table, answered twice, or filled again by an editor's creation fails here.
#include "ShellFixture.h"

#include "app/AudioHooks.h"
#include "app/Parametres.h"
#include "app/ProgramWiring.h"
#include "chords/CComposer.h"
#include "editor/Editeur.h"
#include "editor/NoteRestMenus.h"
#include "editor/PaletteWindows.h"
#include "editor/ToolDispatch.h"
#include "framework/CPrinter.h"
#include "framework/CUndoManager.h"
#include "layout/StructureEditing.h"
#include "midi/CStyleFile.h"
#include "midi/ScoreRender.h"
#include "score/CChordLibrary.h"
#include "score/CDataObject.h"
#include "score/DocumentServices.h"
#include "score/SymbolPlacement.h"
#include "score/ToolsManager.h"
#include "tools/ScoreDispatchText.h"
#include "tools/ScoreDispatchMidiCursor.h"

#include <map>
#include <set>

namespace {

// What the program does with a field.
enum class Answer {
    Wired,       // a step of the wiring fills it
    OwnDefault,  // the lower folder's default is the program's own answer: the wiring leaves it
    Waiting,     // called by the program, answered by a part still to come (named below)
    AudioFolder, // filled by the audio folder's installer, which the program's entry runs (the
                 // audio folder lies above this one; its own tests check the installer)
};

struct Field {
    const char* table;
    const char* name;
    Answer answer;
    bool filled;  // differs from the table's default now
};

// The defaults of each table, by its type.
AppHooks defaults(const AppHooks&) { return default_app_hooks(); }
ScriptHooks defaults(const ScriptHooks&) { return default_script_hooks(); }
UndoHooks defaults(const UndoHooks&) { return default_undo_hooks(); }
PrinterDialogs defaults(const PrinterDialogs&) { return default_printer_dialogs(); }
DocumentViewHooks defaults(const DocumentViewHooks&) { return default_document_view_hooks(); }
PlayRecordHooks defaults(const PlayRecordHooks&) { return {}; }
PaletteWindowHooks defaults(const PaletteWindowHooks&) { return {}; }
ChordServices defaults(const ChordServices&) { return {}; }
StructureEditingHooks defaults(const StructureEditingHooks&) { return default_structure_editing_hooks(); }
EditeurHooks defaults(const EditeurHooks&) { return default_editeur_hooks(); }
NoteMenuHooks defaults(const NoteMenuHooks&) { return {}; }
PaletteDialogs defaults(const PaletteDialogs&) { return default_palette_dialogs(); }
RenderHooks defaults(const RenderHooks&) { return default_render_hooks(); }
StyleHooks defaults(const StyleHooks&) { return default_style_hooks(); }
MidiCompositionHooks defaults(const MidiCompositionHooks&) { return default_midi_composition_hooks(); }
ParameterHooks defaults(const ParameterHooks&) { return {}; }
ToolHandlers defaults(const ToolHandlers&) { return default_tool_handlers(); }
KeyEquivalentHooks defaults(const KeyEquivalentHooks&) { return {}; }
ComposerHooks defaults(const ComposerHooks&) { return default_composer_hooks(); }
AudioHooks defaults(const AudioHooks&) { return {}; }
TextToolHooks defaults(const TextToolHooks&) { return {}; }
StepCursorHooks defaults(const StepCursorHooks&) { return default_step_cursor_hooks(); }

#define FIELD(table, field, answer) Field{#table, #field, Answer::answer, table.field != defaults(table).field}

// Every field of every table, as the tables stand now.
std::vector<Field> fields()
{
    return {
        FIELD(app_hooks, get_document_class, Wired),
        FIELD(app_hooks, get_executable_name, Wired),
        FIELD(app_hooks, init, Wired),
        FIELD(app_hooks, start, Wired),
        FIELD(app_hooks, periodic_task, Wired),
        FIELD(app_hooks, run_script, OwnDefault),  // the framework's script player
        FIELD(app_hooks, event_filter, Wired),
        FIELD(app_hooks, menu_handler, Wired),
        FIELD(app_hooks, menu_enabler, Wired),
        FIELD(app_hooks, open_document, Wired),
        FIELD(app_hooks, stop, Wired),
        FIELD(app_hooks, quit, Wired),
        FIELD(app_hooks, create_midi, Wired),
        FIELD(app_hooks, delete_midi, Wired),
        // The demonstration scripts' commands of the palettes, the scale and the assistant.
        FIELD(script_hooks, stop_application, Waiting),
        FIELD(script_hooks, close_document, Wired),
        FIELD(script_hooks, open_document, Wired),
        FIELD(script_hooks, close_panels, Waiting),
        FIELD(script_hooks, choose_tool, Waiting),
        FIELD(script_hooks, start_scale, Waiting),
        FIELD(script_hooks, stop_scale, Waiting),
        FIELD(script_hooks, score_adjust, Waiting),
        FIELD(script_hooks, clear_modified, Wired),
        FIELD(undo_hooks, duplicate_obj, Wired),
        FIELD(undo_hooks, clean_obj, Wired),
        FIELD(printer_dialogs, page_setup, OwnDefault),
        FIELD(printer_dialogs, print, OwnDefault),
        FIELD(document_view_hooks, get_type, Wired),
        FIELD(document_view_hooks, calculer_page_0, Wired),
        FIELD(document_view_hooks, invalider_lineaire, Wired),
        FIELD(document_view_hooks, dirty_page_lin, Wired),
        FIELD(play_record_hooks, create, Wired),
        FIELD(play_record_hooks, destroy, Wired),
        FIELD(play_record_hooks, pump, Wired),
        FIELD(palette_window_hooks, inverser_tool, Wired),
        FIELD(palette_window_hooks, fermer_palette, Wired),
        FIELD(palette_window_hooks, dirty_all_windows, Wired),
        // The score selections and cursors of the note-entry tools.
        FIELD(palette_window_hooks, dirty_all_scores, Waiting),
        FIELD(palette_window_hooks, empty_all_score_selections, Waiting),
        FIELD(palette_window_hooks, cleanup_all_doc_curseur, Waiting),
        FIELD(chord_services, choose_chord, Wired),
        FIELD(chord_services, modify_analyse, Wired),
        FIELD(chord_services, denombrer, Wired),
        FIELD(structure_editing_hooks, get_play_but, Wired),
        FIELD(structure_editing_hooks, stop_play, Wired),
        FIELD(structure_editing_hooks, limit_view_measure, Waiting),  // views with a measure of their own
        FIELD(editeur_hooks, get_play_but, Wired),
        FIELD(editeur_hooks, get_rec_but, Wired),
        FIELD(editeur_hooks, get_cur_play_mes, Wired),
        FIELD(editeur_hooks, get_play_doc, Wired),
        FIELD(editeur_hooks, midi_time, Wired),
        FIELD(editeur_hooks, set_midi_thru, Wired),
        FIELD(editeur_hooks, midi_special_treatment, Wired),
        FIELD(editeur_hooks, transport_key, Wired),
        FIELD(editeur_hooks, close_window, Wired),
        FIELD(editeur_hooks, curseur_paroles, Waiting),  // the lyrics tool
        FIELD(editeur_hooks, measure_pressed, Wired),
        FIELD(editeur_hooks, view_menu, Wired),
        FIELD(editeur_hooks, view_command, Wired),
        FIELD(note_menu_hooks, edit_play_parameters, Wired),
        // The composition assistant's analysis and accompaniment from a note's menu.
        FIELD(note_menu_hooks, modify_analyse, Waiting),
        FIELD(note_menu_hooks, menu_chord_notes, Waiting),
        FIELD(palette_dialogs, palette_properties, OwnDefault),
        FIELD(palette_dialogs, tool_properties, OwnDefault),
        FIELD(palette_dialogs, drop_choice, OwnDefault),
        FIELD(palette_dialogs, question, OwnDefault),
        // The accompaniment styles and the volumes panel of the play-along view.
        FIELD(render_hooks, style_delay, Waiting),
        FIELD(render_hooks, accompaniment_volume, Waiting),
        FIELD(render_hooks, metro_velo, Waiting),
        FIELD(style_hooks, delay_percent, Wired),
        FIELD(midi_composition_hooks, close_document, Wired),
        FIELD(midi_composition_hooks, choose_soloists, OwnDefault),  // the choice dialog
        FIELD(midi_composition_hooks, open_view, Wired),
        FIELD(midi_composition_hooks, start_playing, OwnDefault),    // the play manager
        FIELD(midi_composition_hooks, stop_playing, OwnDefault),
        FIELD(midi_composition_hooks, playing, OwnDefault),
        FIELD(midi_composition_hooks, drawing_panel_size, Wired),
        // The editing tools: the note, rest, cursor, dot, tie, voice, stem, selection, time and
        // key signature, symbol, text, library-marker, tuplet, note-head, repeat, accidental,
        // enharmony, chord-note and clef tools are built, the others keep their stand-ins.
        FIELD(tool_handlers, tetes, Wired),
        FIELD(tool_handlers, enharmonie, Wired),
        FIELD(tool_handlers, voix, Wired),
        FIELD(tool_handlers, librairies, Wired),
        FIELD(tool_handlers, texte, Wired),
        FIELD(tool_handlers, chord_use, Wired),
        FIELD(tool_handlers, disposition, Wired),
        FIELD(tool_handlers, selection, Wired),
        FIELD(tool_handlers, paroles, Waiting),
        FIELD(tool_handlers, symbole, Wired),
        FIELD(tool_handlers, mesure, Wired),
        FIELD(tool_handlers, clefs, Wired),
        FIELD(tool_handlers, liaison_tenue, Wired),
        FIELD(tool_handlers, temps, Wired),
        FIELD(tool_handlers, notes, Wired),
        FIELD(tool_handlers, inverser, Wired),
        FIELD(tool_handlers, silences, Wired),
        FIELD(tool_handlers, accord, Wired),
        FIELD(tool_handlers, point, Wired),
        FIELD(tool_handlers, hauteurs, Wired),
        FIELD(tool_handlers, alterations, Wired),
        FIELD(tool_handlers, bouger_alterations, Wired),
        FIELD(tool_handlers, armures, Wired),
        FIELD(tool_handlers, reprises, Wired),
        FIELD(tool_handlers, nolet, Wired),
        FIELD(tool_handlers, curseur, Wired),
        // The composition assistant's style and scale pad.
        FIELD(parameter_hooks, style_delays_changed, Wired),
        FIELD(key_equivalent_hooks, note_on, Wired),
        FIELD(key_equivalent_hooks, note_off, Wired),
        FIELD(composer_hooks, view_open, Wired),
        FIELD(composer_hooks, focus_view, Wired),
        FIELD(composer_hooks, current_tool, Wired),
        FIELD(composer_hooks, accomp_volume, Waiting),  // the volume panel
        FIELD(composer_hooks, solo_volume, Waiting),    // the volume panel
        FIELD(composer_hooks, show_tempo, Waiting),     // the effects panel
        FIELD(composer_hooks, set_key_mode, Wired),
        FIELD(composer_hooks, close_assistant, Wired),
        FIELD(text_tool_hooks, assistant_open, Wired),
        FIELD(text_tool_hooks, rearrange, Wired),
        FIELD(text_tool_hooks, edit, OwnDefault),  // the text-block dialog
        FIELD(composer_hooks, arrange, Wired),
        FIELD(composer_hooks, redraw_view, Wired),
        FIELD(composer_hooks, drop_chord, Wired),
        FIELD(composer_hooks, drop_style, Wired),
        FIELD(composer_hooks, view_key, Wired),
        FIELD(step_cursor_hooks, take_prepared_note, Wired),
        FIELD(audio_hooks, start, AudioFolder),
        FIELD(audio_hooks, stop, AudioFolder),
        FIELD(audio_hooks, export_audio, AudioFolder),
        FIELD(audio_hooks, edit_settings, AudioFolder),
        Field{"score_drawing", "", Answer::Wired, score_drawing != nullptr},
        Field{"symbol_editor_scale", "", Answer::Wired, symbol_editor_scale != nullptr},
    };
}

#undef FIELD

std::string name_of(const Field& f) { return std::string(f.table) + (*f.name ? "." : "") + f.name; }

// The number of function slots of each table.
std::map<std::string, size_t> table_slots()
{
    constexpr size_t slot = sizeof(void (*)());
    return {
        {"app_hooks", sizeof(AppHooks) / slot},
        {"script_hooks", sizeof(ScriptHooks) / slot},
        {"undo_hooks", sizeof(UndoHooks) / slot},
        {"printer_dialogs", sizeof(PrinterDialogs) / slot},
        {"document_view_hooks", sizeof(DocumentViewHooks) / slot},
        {"play_record_hooks", sizeof(PlayRecordHooks) / slot},
        {"palette_window_hooks", sizeof(PaletteWindowHooks) / slot},
        {"chord_services", sizeof(ChordServices) / slot},
        {"structure_editing_hooks", sizeof(StructureEditingHooks) / slot},
        {"editeur_hooks", sizeof(EditeurHooks) / slot},
        {"note_menu_hooks", sizeof(NoteMenuHooks) / slot},
        {"palette_dialogs", sizeof(PaletteDialogs) / slot},
        {"render_hooks", sizeof(RenderHooks) / slot},
        {"style_hooks", sizeof(StyleHooks) / slot},
        {"midi_composition_hooks", sizeof(MidiCompositionHooks) / slot},
        {"parameter_hooks", sizeof(ParameterHooks) / slot},
        {"key_equivalent_hooks", sizeof(KeyEquivalentHooks) / slot},
        {"composer_hooks", sizeof(ComposerHooks) / slot},
        {"audio_hooks", sizeof(AudioHooks) / slot},
        {"text_tool_hooks", sizeof(TextToolHooks) / slot},
        {"step_cursor_hooks", sizeof(StepCursorHooks) / slot},
        {"tool_handlers", sizeof(ToolHandlers) / slot},
        {"score_drawing", 1},
        {"symbol_editor_scale", 1},
    };
}

// The wiring without the rest of the shell: tables only, put back after each case.
class ProgramWiringTables : public ::testing::Test {
protected:
    void SetUp() override { unwire_program(); }
    void TearDown() override { unwire_program(); }
};

TEST_F(ProgramWiringTables, EveryFieldOfEveryTableIsListed)
{
    std::map<std::string, size_t> listed;
    for (const Field& f : fields()) listed[f.table]++;
    EXPECT_EQ(listed, table_slots()) << "a table has a field that this test does not list";
}

TEST_F(ProgramWiringTables, NoHookTheProgramUsesStaysAtItsDefault)
{
    wire_program();
    for (const Field& f : fields()) {
        const bool wired = f.answer == Answer::Wired;
        EXPECT_EQ(f.filled, wired) << name_of(f)
                                   << (wired ? " is left at its do-nothing default" : " is filled now: list it as wired");
    }
}

TEST_F(ProgramWiringTables, EachFieldIsFilledByOneStepOnly)
{
    short count = 0;
    const WiringStep* steps = wiring_steps(&count);
    ASSERT_GT(count, 0);
    std::map<std::string, std::string> filler;
    for (short i = 0; i < count; i++) {
        unwire_program();
        steps[i].install();
        for (const Field& f : fields()) {
            if (!f.filled) continue;
            const auto [it, first] = filler.emplace(name_of(f), steps[i].name);
            EXPECT_TRUE(first) << name_of(f) << " is filled by both \"" << it->second << "\" and \""
                               << steps[i].name << "\"";
        }
    }
    for (const Field& f : fields()) {
        if (f.answer != Answer::Wired) continue;
        EXPECT_EQ(filler.count(name_of(f)), 1u) << name_of(f);
    }
}

TEST_F(ProgramWiringTables, UnwiringPutsEveryTableBack)
{
    wire_program();
    unwire_program();
    for (const Field& f : fields()) EXPECT_FALSE(f.filled) << name_of(f);
}

// The whole shell: opening a score makes its editor and opens the tool palettes, which fill
// no table again.
using ProgramWiring = ShellFixture;

TEST_F(ProgramWiring, AnEditorAndItsPalettesFillNoTableAgain)
{
    static short asked = 0;
    document_view_hooks.get_type = [](View* v) -> short {
        asked++;
        return v ? v->get_type() : 0;
    };
    palette_window_hooks.dirty_all_windows = [] { asked++; };
    editeur_hooks.midi_time = []() -> int32_t { return 7; };
    const auto get_type = document_view_hooks.get_type;
    const auto dirty_all_windows = palette_window_hooks.dirty_all_windows;
    const auto midi_time = editeur_hooks.midi_time;
    const std::string path = write_score(home / "a.bcc");
    ASSERT_EQ(open_given_file(path.c_str()), 1);
    ASSERT_NE(view, nullptr);
    tools_active = 1;
    ouvrir_palettes_partition();
    EXPECT_EQ(document_view_hooks.get_type, get_type);
    EXPECT_EQ(palette_window_hooks.dirty_all_windows, dirty_all_windows);
    EXPECT_EQ(editeur_hooks.midi_time, midi_time);
    fermer_palettes_partition();
}

}  // namespace
