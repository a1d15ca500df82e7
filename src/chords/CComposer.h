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
#include "chords/HarmonyGrid.h"
#include "chords/ScaleStaff.h"
#include "chords/StylePreview.h"
#include "framework/Arrays.h"
#include "framework/CDialog.h"
#include "layout/DrawingServices.h"
#include "score/CChord.h"

class CKeyboardPanel;
class CMeasure;
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
        kScalePanel = 18,
        kPadPanel = 31,
        kFilterPopup = 37,
        kDestinationPopup = 38,
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
};

// The one assistant window, null before it is built.
extern CComposer* composer;
// The MIDI input filter that the assistant installs while it exists (input thread).
short bc_melody_filter(char* buf, short tot);
