#pragma once
// The composition assistant's window: a dialog at the top of the main window holding the style
// panel with its preview, the chord grid, the scale staff with its pad, the on-screen piano and
// the chord audition. Built in free mode (dialog 13 of "Brindlecot.res") or canvas mode
// (dialog 30), hidden until the assistant's menu command shows it.
//
// Threads: everything here runs on the GUI thread except `jeu` (the timer thread: the style
// preview's step, behind the preview's own lock) and `bc_melody_filter` (the MIDI input thread:
// it only queues the notes it takes, in `melody`). The GUI takes what those threads hand over in
// `periodic`, called by the application's periodic task, and draws only there and in the
// handlers.

#include <memory>
#include <string>
#include <vector>

#include "chords/ChordAudition.h"
#include "chords/Progressions.h"
#include "chords/HarmonyGrid.h"
#include "chords/MelodyStaff.h"
#include "chords/Mixers.h"
#include "chords/ScaleStaff.h"
#include "chords/StylePreview.h"
#include "framework/Arrays.h"
#include "framework/CDialog.h"
#include "layout/DrawingServices.h"
#include "score/CChord.h"

class CKeyboardPanel;
class CMeasure;
class CNote;
class CPopup;
class CScroll;
class CStyleFile;
class CUserPanel;

// What the assistant asks of the program above it; the shell fills it.
struct ComposerHooks {
    // A play-along view (for now the score's view) is open.
    bool (*view_open)();
    // Gives the keyboard focus back to that view.
    void (*focus_view)();
    // The tool palettes' current tool.
    short (*current_tool)();
    // The volume panel's accompaniment (slider 5) and soloist (slider 4) volumes, in percent.
    short (*accomp_volume)();
    short (*solo_volume)();
    // Shows a tempo that a style variation brings (the effects panel's slider and the clock).
    void (*show_tempo)(short tempo);
    // The mode of the computer keyboard's note equivalents (a new chord grid chosen).
    void (*set_key_mode)(short mode);
    // Runs the assistant's close command (its close box).
    void (*close_assistant)();
    // Rebuilds the composition's accompaniment of measures first..last from its chords and
    // styles; 0 when refused (the user was told).
    short (*arrange)(short first, short last);
    // Asks for the play-along view's drawing panel to be drawn again.
    void (*redraw_view)();
    // Writes a chord, and a style with its variations (numbers in the style), into a measure
    // of the composition and re-arranges from there.
    short (*drop_chord)(short measure, const char* name);
    short (*drop_style)(short measure, CStyleFile* style, const std::vector<short>& variations);
    // Hands a key (a key event of that code) to the score editor of the play-along view.
    void (*view_key)(short key);
};
extern ComposerHooks composer_hooks;
ComposerHooks default_composer_hooks();

// The dialog numbers of the two modes.
constexpr short kComposerFreeDialog = 13;
constexpr short kComposerCanvasDialog = 30;
// The touch-play tool, under which the audition and the preview stay silent.
constexpr short kTouchPlayTool = 4514;
// The default styles of the two modes, and the grid loaded first.
extern const char* const kFreeDefaultStyle;
extern const char* const kCanvasDefaultStyle;
extern const char* const kFirstHarmony;
// The entries of the grid popup, in order.
extern const char* const kHarmonyNames[10];

// The style names of the folder's ".mid" files that the style popup lists in a mode: the two
// canvas styles without a number never, and only names with "Canevas" in canvas mode.
std::vector<std::string> listed_style_names(const std::vector<std::string>& files, bool canvas);

class CComposer : public CDialog, public ComposerMarks {
public:
    // Item numbers of the dialog.
    enum Item : short {
        kStylePanel = 1,
        kChordPanel = 2,
        kStylePopup = 3,
        kHarmonyPopup = 4,
        kStyleScroll = 5,
        kChordScroll = 6,
        kPreviewCheck = 7,
        kPaletteButton = 9,
        kProposalButton = 10,
        kWriteButton = 27,
        kScalePanel = 18,
        kDraftClearButton = 14,
        kDraftPanel = 16,
        kRestButton = 28,
        kMixerButton = 32,
        kPercussionButton = 42,
        kPadPanel = 31,
        kFilterPopup = 37,
        kDestinationPopup = 38,
        kDraftScroll = 39,
        kAuditionCheck = 41,
        kTempoFixedCheck = 46,
        kKeyboardItem = 100,
        kLogoItem = 500,
    };

    explicit CComposer(short dialog);
    ~CComposer() override;
    CComposer(const CComposer&) = delete;
    CComposer& operator=(const CComposer&) = delete;

    // Style panel and preview.
    CStyleFile* FindStyle(const char* name);
    short activer_variations(CString* text);
    void draw_style();
    short dispatch_style(Event* e);
    // The preview's step (timer thread).
    void jeu();
    // Chord grid.
    short load_harmony(const char* name);
    void draw_chords();
    short dispatch_chords(Event* e);
    short activer_accord(const char* name);
    // Scale staff, pad and keyboard.
    short construire_gamme(short index);
    void draw_scale();
    short dispatch_scale(Event* e);
    void scale_note_on(short mid, short brou);
    void scale_note_off(short mid, short brou);
    short melody_filter(char* buf, short tot);
    void modification_pedale();
    // Chord audition.
    void EcouterAccord(const char* name, short prog);
    void CycleJeuAccord();
    // The current measure of the score (along the first staff of the master system; 0 none):
    // its frame in the view, and the chord and style its blocks hold made current.
    void set_cur_mes(short m);
    short current_measure() const { return cur_mes; }
    // Marks every cell of the grid by how well its chord fits the current measure's melody.
    void proposer_accords();
    // The progressions dialog: a progression auditioned, and written into the score with OK.
    void proposer_progression();
    // Writes progression `p` (from 1) from the current measure on (measure 1 when none) and
    // re-arranges the accompaniment; with no progression file the user is told and nothing
    // changes. 1 when written.
    short appliquer_progression(short p);
    const std::vector<ChordProgressionEntry>& progressions() const { return prog; }

    // The draft zone and the notes sent into the score.
    void effacer_brouillon();
    void inserer_note_brouillon(short mid, short rythme);
    void mise_a_jour_brouillon();
    void draw_brou();
    short dispatch_brou(Event* e);
    void inserer_note_partition(short mid);
    // The assistant's keys (Backspace and the arrows for the draft or the score's cursor); 1
    // when the key was used.
    short raccourcis(short value);
    // The note waiting for the score's step cursor, handed over (null when none waits).
    CNote* take_note_a_inserer();
    const DraftZone& draft() const { return brouillon; }

    // The accompaniment mixer (dialog 14) and the percussion mixer (dialog 20).
    void data_to_window();
    void change_pot(short k);
    void draw_accomp_up();
    short dispatch_accomp_up(Event* e);
    short accomp_event(Event* e);
    short percu_event(Event* e);
    CDialog* accomp = nullptr;  // owned
    CDialog* percu = nullptr;   // owned
    RulerSelection ruler;
    short first_vis_accomp = 1;
    short accomp_mouse_down = 0;
    CMeasure* draft_measure() const { return measbrou; }
    // Where played notes go: 1 nowhere, 2 the draft, 3 the score.
    short destination() const;
    enum Destination : short { kPlayOnly = 1, kToDraft = 2, kToScore = 3 };

    // The GUI thread's turn of the periodic task: the audition's step, the chord and tempo a
    // preview switch handed over, the MIDI-keyboard notes received, the redraws asked for.
    void periodic();
    // Shows the window at the top of the frame (or hides it).
    void show_assistant(bool on);
    // The window's handling of one event.
    short handle(Event* e);

    // The state, for the program and its tests.
    const HarmonyGrid& grid() const { return harmony; }
    const std::vector<CStyleFile*>& styles() const { return TabStyles; }
    CStyleFile* current_style() const { return style; }
    StylePreview& preview() { return style_preview; }
    ChordAudition& audition() { return chord_audition; }
    CKeyboardPanel* piano() const { return keyboard; }
    CMeasure* scale_measure() const { return measscale; }
    const std::array<short, 12>& scale_classes_now() const { return classes; }
    short current_chord() const { return cur_chord; }
    short chosen_chord() const { return next_chord; }
    short sounding_note() const { return notepitch; }
    short scale_velocity() const { return scalevolsol; }
    const std::string& missing_style() const { return missing_style_name; }
    bool canvas_mode() const { return canvas; }

    CUserPanel* upstyle = nullptr;
    CUserPanel* upchords = nullptr;
    CPopup* popstyle = nullptr;
    CPopup* popharmo = nullptr;
    CScroll* scrollstyle = nullptr;
    CScroll* scrollchords = nullptr;
    CUserPanel* upscale = nullptr;
    CUserPanel* uppad = nullptr;
    CKeyboardPanel* keyboard = nullptr;
    CUserPanel* upbrou = nullptr;
    CChord chord;
    short wche = 58, hche = 13, wste = 106, hste = 15;

private:
    void load_styles();
    void choose_style(CStyleFile* s);
    void set_style_scroll();
    void set_chord_scroll(bool follow_current);
    void take_chord(short cell);
    void after_control(Event* e);
    void apply_tempo(short tempo);
    short volume_percent() const;
    short style_scroll_value() const;
    short chord_scroll_value() const;
    bool minor_grid() const;
    bool touch_tool() const;
    void note_on_scale_staff(short mid, bool on);
    int32_t now() const;

    bool canvas;
    std::vector<CStyleFile*> TabStyles;  // owned
    CStyleFile* style = nullptr;         // one of TabStyles
    std::string missing_style_name;
    StylePreview style_preview;
    HarmonyGrid harmony;
    short cur_chord = 0, next_chord = 0;
    ChordAudition chord_audition;
    MelodyInbox melody;
    MelodyKeys midi_keys;
    CMeasure* measscale = nullptr;
    std::array<short, 12> classes{};
    std::vector<std::pair<short, std::string>> scale_labels;  // x of the note, label
    short mdown = 0, notepitch = 0, scalevolsol = 100;
    bool pad_down = false;
    short cur_mes = 0, last_cur_mes = 0;
    std::array<short, 12> melody_classes_now() const;
    short cell_key() const;
    DraftZone brouillon;
    CMeasure* measbrou = nullptr;
    CNote* note_a_inserer = nullptr;  // owned until the step cursor takes it
    std::vector<ChordProgressionEntry> prog;
    bool progressions_found = false;
};

// The one assistant window, null before it is built.
extern CComposer* composer;
// The MIDI input filter that the assistant installs while it exists (input thread).
short bc_melody_filter(char* buf, short tot);
