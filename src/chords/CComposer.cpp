#include "chords/CComposer.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>

#include "chords/CKeyboardPanel.h"
#include "chords/ChordProposals.h"
#include "framework/CApplication.h"
#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CSlider.h"
#include "framework/CUserPanel.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/EventDispatch.h"
#include "framework/MessageBoxes.h"
#include "framework/ProgramFiles.h"
#include "framework/UserInput.h"
#include "midi/CMidi.h"
#include "midi/CStyleFile.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/ToolNumbers.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"
#include "score/ScoreItems.h"

ComposerHooks default_composer_hooks()
{
    ComposerHooks h;
    h.view_open = [] { return true; };
    h.focus_view = [] {};
    h.current_tool = []() -> short { return 0; };
    h.accomp_volume = []() -> short { return 50; };
    h.solo_volume = []() -> short { return 100; };
    h.show_tempo = [](short tempo) {
        if (application && application->midi && tempo > 0) application->midi->tempo = tempo;
    };
    h.set_key_mode = [](short) {};
    h.close_assistant = [] {
        if (composer) composer->show_assistant(false);
    };
    h.arrange = [](short, short) -> short { return 1; };
    h.redraw_view = [] {};
    h.drop_chord = [](short, const char*) -> short { return 0; };
    h.drop_style = [](short, CStyleFile*, const std::vector<short>&) -> short { return 0; };
    h.view_key = [](short) {};
    return h;
}
ComposerHooks composer_hooks = default_composer_hooks();

CComposer* composer = nullptr;

const char* const kFreeDefaultStyle = "Styles Vari\xe9t\xe9s";
const char* const kCanvasDefaultStyle = "Chansons Rock (Slow-ballads) Canevas (1)";
const char* const kFirstHarmony = "Accords de base";
const char* const kHarmonyNames[10] = {
    "Accord Blues", "Accords combin\xe9s", "Accords de base - Mineur", "Accords de base",
    "Accords de Do Majeur", "Accords de La Mineur harmonique",
    "Accords de La Mineur M\xe9lodique descendant", "Accords de neuvi\xe8me",
    "Accords de septi\xe8me", "Accords divers"};

namespace {

// The two canvas styles without a number, never listed.
const char* const kUnlistedStyles[] = {"Chansons Rock (Slow-ballads) Canevas",
                                       "Chansons Rock (Slow-ballads) Canevas - Suite"};
constexpr int32_t kWhite = 0xFFFFFF;
// The progressions' file in "Misc", their dialog, and its items.
const char* const kProgressionsFile = "Progressions.dat";
constexpr short kProgressionDialog = 17;
enum ProgressionItem : short { kProgressionOk = 1, kProgressionCancel = 2, kProgressionList = 3, kProgressionListen = 5 };
// The style's restart waits this long after a progression is written.
constexpr int32_t kRestartWaitMs = 250;
// The colours of a measure's chord block and style block.
constexpr int32_t kChordBlock = 0x0000FF;
// The rhythm code of a note played into the draft.
constexpr short kDraftQuarter = 3;
// The mixers' dialogs and items.
constexpr short kMixerDialog = 14, kPercussionDialog = 20;
constexpr short kMixerControllerPopup = 31, kMixerRuler = 32, kMixerRulerScroll = 33;
constexpr short kRulerHeader = 24, kRulerColumn = 20, kRulerRow = 16;
constexpr short kRulerShownWithoutScroll = 20;
// The key that makes the score's step cursor enter a note (the quarter's digit); the cursor
// takes the prepared note instead of its own.
constexpr short kCursorNoteKey = 0x33;
constexpr short kBackspace = 8, kLeftArrow = 0x1C, kRightArrow = 0x1D;
constexpr int32_t kStyleBlock = 0xFFFFFF;
constexpr int32_t kBlack = 0x000000;
constexpr int32_t kBlue = 0xFF0000;
constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kPaleBlue = 0xFFC0C0;
constexpr int32_t kPaleRed = 0xC0C0FF;
// The scale staff's measure in its panel, and the note labels' base line.
constexpr short kScaleX = 5, kScaleY = 37, kScaleWidth = 540;
constexpr short kLabelY = 65;
constexpr short kScaleVelocityTop = 127, kScaleVelocityBottom = 64;
// The on-screen piano's place in the window.
constexpr short kPianoX = 486, kPianoY = 124, kPianoW = 505, kPianoH = 80;
constexpr short kPianoHiddenX = 2486;
constexpr short kPianoLeftKey = 53, kPianoKeyUnit = 8;

// What the other threads reach: the preview of the assistant (timer thread) and its MIDI
// inbox (input thread); set while the window exists.
std::atomic<StylePreview*> timer_preview{nullptr};
std::atomic<MelodyInbox*> input_inbox{nullptr};

bool equal_ignoring_case(const char* a, const char* b)
{
    for (; *a && *b; a++, b++)
        if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b)) return false;
    return *a == *b;
}

short input_filter(Midi_union* data, short tot) { return bc_melody_filter((char*)data->byte, tot); }

void preview_timer_task()
{
    StylePreview* p = timer_preview.load(std::memory_order_acquire);
    if (!p || !application || !application->midi) return;
    p->step(application->midi->time_unit.load());
}

short composer_window_handler(CPanel* panel, Event* e)
{
    // The dialog's own construction sends events before the assistant around it exists.
    if (!composer || panel != static_cast<CPanel*>(composer)) return default_event_handler(panel, e);
    return composer->handle(e);
}

short upstyle_handler(CPanel*, Event* e)
{
    if (!composer) return 0;
    if (e->type == EvPaint) {
        composer->draw_style();
        return 1;
    }
    return composer->dispatch_style(e);
}

short upchords_handler(CPanel*, Event* e)
{
    if (!composer) return 0;
    if (e->type == EvPaint) {
        composer->draw_chords();
        return 1;
    }
    return composer->dispatch_chords(e);
}

short upscale_handler(CPanel*, Event* e)
{
    if (!composer) return 0;
    if (e->type == EvPaint) {
        composer->draw_scale();
        return 1;
    }
    return composer->dispatch_scale(e);
}

short upbrou_handler(CPanel*, Event* e)
{
    if (!composer) return 0;
    if (e->type == EvPaint) {
        composer->draw_brou();
        return 1;
    }
    return composer->dispatch_brou(e);
}

short accomp_handler(CPanel* panel, Event* e)
{
    if (!composer || panel != composer->accomp) return default_event_handler(panel, e);
    return composer->accomp_event(e);
}

short percu_handler(CPanel* panel, Event* e)
{
    if (!composer || panel != composer->percu) return default_event_handler(panel, e);
    return composer->percu_event(e);
}

short accomp_up_handler(CPanel*, Event* e)
{
    if (!composer) return 0;
    if (e->type == EvPaint) {
        composer->draw_accomp_up();
        return 1;
    }
    return composer->dispatch_accomp_up(e);
}

void paint_pad(CUserPanel* pad, int32_t colour)
{
    pad->set_color(colour);
    pad->fill_rect(0, 0, pad->get_width(), pad->get_height(), 0);
    pad->set_color(kBlack);
    pad->draw_rect(0, 0, pad->get_width(), pad->get_height(), 0);
}

short uppad_handler(CPanel* panel, Event* e)
{
    CUserPanel* pad = static_cast<CUserPanel*>(panel);
    switch (e->type) {
    case EvPaint:
    case EvRelease: paint_pad(pad, kWhite); return 1;
    case EvPress:
        // The pad plays the draft's notes while rhythm dictation runs, which this window does not
        // offer yet: a press only shows.
        paint_pad(pad, kRed);
        return 1;
    default: return 0;
    }
}

void send_now(const unsigned char* bytes, short n)
{
    if (application && application->midi)
        application->midi->midi_out(n, (char*)const_cast<unsigned char*>(bytes), 1);
}

}  // namespace

std::vector<std::string> listed_style_names(const std::vector<std::string>& files, bool canvas)
{
    std::vector<std::string> names;
    for (const std::string& f : files) {
        bool unlisted = false;
        for (const char* u : kUnlistedStyles) unlisted |= equal_ignoring_case(f.c_str(), u);
        if (unlisted) continue;
        if (canvas && f.find("Canevas") == std::string::npos) continue;
        names.push_back(f);
    }
    return names;
}

short bc_melody_filter(char* buf, short tot)
{
    MelodyInbox* inbox = input_inbox.load(std::memory_order_acquire);
    return inbox ? inbox->filter((const unsigned char*)buf, tot) : 1;
}

CComposer::CComposer(short dialog)
    : CDialog("MISC", "Brindlecot.res", dialog, composer_window_handler, WinSysMenu),
      canvas(dialog == kComposerCanvasDialog),
      chord_audition(send_now, chord_pitches)
{
    if (canvas) {
        CBitmap* logo = new CBitmap(this, kLogoItem, "logo2.bmp");
        logo->set_position(64, 2);
        logo->show();
    }
    scrollstyle = scroll(kStyleScroll);
    scrollchords = scroll(kChordScroll);
    if (CCheck* c = check(kPreviewCheck)) c->set_value(1);
    composer = this;
    script_number = 100;
    if (CCheck* c = check(kTempoFixedCheck)) c->set_value(0);
    load_styles();
    load_harmony(kFirstHarmony);
    take_chord(harmony.first_chord);
    upstyle = up(kStylePanel);
    if (upstyle) {
        upstyle->offscreen_redraw(1);
        upstyle->event_handler = upstyle_handler;
    }
    set_style_scroll();
    upchords = up(kChordPanel);
    if (upchords) {
        upchords->offscreen_redraw(1);
        upchords->event_handler = upchords_handler;
    }
    popharmo = popup(kHarmonyPopup);
    if (popharmo) {
        popharmo->clear();
        for (const char* n : kHarmonyNames) popharmo->add(n);
        for (short i = 1; i <= popharmo->total(); i++)
            if (equal_ignoring_case(kHarmonyNames[i - 1], harmony.name.c_str())) popharmo->set_cur(i);
    }
    set_chord_scroll(false);
    upscale = up(kScalePanel);
    if (upscale) {
        upscale->offscreen_redraw(1);
        upscale->event_handler = upscale_handler;
    }
    keyboard = new CKeyboardPanel(this);
    keyboard->item_id = kKeyboardItem;
    keyboard->set_dimension(kPianoW, kPianoH);
    keyboard->set_position(canvas ? kPianoHiddenX : kPianoX, kPianoY);
    keyboard->set_left_note(kPianoLeftKey);
    keyboard->set_note_width(kPianoKeyUnit);
    if (!canvas) keyboard->show();
    measscale = new CMeasure;
    measscale->x = kScaleX;
    measscale->y = kScaleY;
    measscale->width = kScaleWidth;
    CClef* clef = new CClef;
    clef->x = 4;
    measscale->add(clef);
    construire_gamme(cur_chord);
    uppad = up(kPadPanel);
    if (uppad) uppad->event_handler = uppad_handler;
    upbrou = up(kDraftPanel);
    if (upbrou) {
        upbrou->offscreen_redraw(1);
        upbrou->event_handler = upbrou_handler;
    }
    accomp = new CDialog("MISC", "Brindlecot.res", kMixerDialog, accomp_handler, WinSysMenu);
    accomp->set_level(1);
    if (CPopup* c = accomp->popup(kMixerControllerPopup)) c->set_cur(1);
    if (CUserPanel* r = accomp->up(kMixerRuler)) {
        r->offscreen_redraw(1);
        r->event_handler = accomp_up_handler;
    }
    percu = new CDialog("MISC", "Brindlecot.res", kPercussionDialog, percu_handler, WinSysMenu);
    percu->set_level(1);
    if (CPopup* c = percu->popup(kMixerControllerPopup)) c->set_cur(1);
    measbrou = new CMeasure;
    measbrou->x = kScaleX;
    measbrou->y = kScaleY;
    measbrou->width = kScaleWidth;
    CClef* draft_clef = new CClef;
    draft_clef->x = 4;
    measbrou->add(draft_clef);
    mise_a_jour_brouillon();
    input_inbox.store(&melody, std::memory_order_release);
    if (application && application->midi) application->midi->midi_input_filter = input_filter;
    ComposerMarks::visible = false;
    composer_marks = this;
    prog = read_progressions_file(format_file_name("MISC", kProgressionsFile), &progressions_found);
    chord_audition.set_progressions(progression_lines(prog));
    if (canvas) {
        for (short item : {kPreviewCheck, kTempoFixedCheck})
            if (CCheck* c = check(item)) c->disable();
        if (upchords) upchords->hide();
        if (scrollchords) scrollchords->hide();
        if (popharmo) popharmo->hide();
    }
}

CComposer::~CComposer()
{
    show_assistant(false);
    if (application && application->midi && application->midi->midi_input_filter == input_filter)
        application->midi->midi_input_filter = nullptr;
    input_inbox.store(nullptr, std::memory_order_release);
    chord_audition.stop();
    style_preview.stop_all();
    style_preview.set_player(nullptr);
    for (CStyleFile* s : TabStyles) delete s;
    TabStyles.clear();
    delete measscale;
    measscale = nullptr;
    delete measbrou;
    measbrou = nullptr;
    delete accomp;
    accomp = nullptr;
    delete percu;
    percu = nullptr;
    delete note_a_inserer;
    note_a_inserer = nullptr;
    if (composer_marks == this) composer_marks = nullptr;
    if (composer == this) composer = nullptr;
}

// ---- Styles ----

void CComposer::load_styles()
{
    popstyle = popup(kStylePopup);
    const std::string folder = format_file_name("MISC", "Styles");
    CArrayString files;
    list_files_with_extension(folder.c_str(), ".mid", true, &files);
    std::vector<std::string> found;
    for (short i = 1; i <= files.total(); i++) found.push_back(files.get(i)->get());
    const std::vector<std::string> names = listed_style_names(found, canvas);
    if (popstyle) popstyle->clear();
    for (const std::string& n : names) {
        if (popstyle) popstyle->add(n.c_str());
        CStyleFile* s = new CStyleFile;
        s->load_from_file(n.c_str());
        if (!s->name.length()) s->name.set(n.c_str());
        TabStyles.push_back(s);
    }
    const char* wanted = canvas ? kCanvasDefaultStyle : kFreeDefaultStyle;
    CStyleFile* found_style = FindStyle(wanted);
    if (!found_style) {
        // The assistant works without a style: grid, scale and audition stay.
        missing_style_name = wanted;
        MessageBoxRequest r;
        r.text = std::string("Le style d'accompagnement \"") + wanted +
                 "\" est introuvable : l'assistant travaille sans style.";
        tell_user(r);
    }
    choose_style(found_style);
}

CStyleFile* CComposer::FindStyle(const char* name)
{
    for (CStyleFile* s : TabStyles)
        if (name && equal_ignoring_case(s->name.get(), name)) return s;
    return nullptr;
}

void CComposer::choose_style(CStyleFile* s)
{
    style = s;
    style_preview.set_player(s ? std::make_unique<CStylePreviewPlayer>(s) : nullptr);
    style_preview.reset_chords(cur_chord, harmony.cell_name(cur_chord));
    if (popstyle && s)
        for (short i = 1; i <= popstyle->total(); i++) {
            CString text;
            popstyle->get_item(i, &text);
            if (equal_ignoring_case(text.get(), s->name.get())) popstyle->set_cur(i);
        }
}

void CComposer::set_style_scroll()
{
    if (!scrollstyle) return;
    const ScrollRange r = style_scroll_range(style ? style->total_variations() : 0);
    scrollstyle->set_min_max(0, r.max);
    if (r.enabled)
        scrollstyle->enable();
    else
        scrollstyle->disable();
    scrollstyle->set_steps(1, 10);
    scrollstyle->set_value(0);
}

short CComposer::style_scroll_value() const { return scrollstyle ? scrollstyle->get_value() : 0; }

short CComposer::volume_percent() const { return (short)(2 * composer_hooks.accomp_volume()); }

int32_t CComposer::now() const
{
    return application && application->midi ? application->midi->time_unit.load() : 0;
}

void CComposer::apply_tempo(short tempo)
{
    if (tempo > 0) composer_hooks.show_tempo(tempo);
}

void CComposer::draw_style()
{
    if (!upstyle) return;
    CUserPanel* p = upstyle;
    p->set_color(kWhite);
    p->fill_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_color(kBlack);
    p->draw_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_font("Arial", 10, 0);
    const StylePreview::State st = style_preview.state();
    if (popstyle) {
        if (st.cur_var.empty())
            popstyle->enable();
        else
            popstyle->disable();
    }
    if (!style) return;
    auto has = [](const std::vector<short>& v, short n) {
        return std::find(v.begin(), v.end(), n) != v.end();
    };
    short x = 0, y = 0;
    for (short n = (short)(kStyleColumns * style_scroll_value()); n <= style->total_variations(); n++) {
        const bool playing = has(st.cur_var, n) || (n == 0 && st.cur_var.empty());
        const bool chosen = has(st.next_var, n) || (n == 0 && st.next_var.empty());
        const char* label = n ? style->get_variation(n)->name.get() : "Rien";
        if (playing || chosen) {
            p->set_color(playing ? kBlue : kRed);
            p->fill_rect(x, y, (short)(x + wste + 1), (short)(y + hste + 1), 0);
        }
        p->set_color(kBlack);
        p->draw_rect(x, y, (short)(x + wste + 1), (short)(y + hste + 1), 0);
        p->set_color(playing || chosen ? kWhite : kBlue);
        p->go_to((short)(x + 4), (short)(y + 11));
        p->draw_string(label, 0);
        x = (short)(x + wste);
        if (x >= p->get_width() - wste / 2) {
            x = 0;
            y = (short)(y + hste);
        }
    }
}

short CComposer::dispatch_style(Event* e)
{
    composer_hooks.focus_view();
    if (e->type != EvPress || !(e->flags & EvfLeft)) return default_event_handler(upstyle, e);
    if (!style) return 1;
    short x = 0, y = 0;
    for (short n = (short)(kStyleColumns * style_scroll_value()); n <= style->total_variations(); n++) {
        if (e->x > x && e->x < x + wste - 1 && e->y > y && e->y < y + hste) {
            EcouterAccord("", 0);
            if (CCheck* c = check(kAuditionCheck)) c->set_value(0);
            const StyleClickResult r = style_preview.click(n, (e->flags & EvfCtrl) != 0, now(), volume_percent());
            apply_tempo(r.tempo);
            if (r.redraw && upstyle) upstyle->dirty();
            return 1;
        }
        x = (short)(x + wste);
        if (x >= upstyle->get_width() - wste / 2) {
            x = 0;
            y = (short)(y + hste);
        }
    }
    return 1;
}

short CComposer::activer_variations(CString* text)
{
    if (style) {
        std::vector<std::string> names;
        for (short v = 1; v <= style->total_variations(); v++)
            names.push_back(style->get_variation(v)->name.get());
        style_preview.take_variations(variations_named(text->get(), style->name.get(), names), now(),
                                      volume_percent());
    }
    if (upstyle) upstyle->dirty();
    return 1;
}

void CComposer::jeu() { style_preview.step(now()); }

// ---- Chord grid ----

short CComposer::load_harmony(const char* name)
{
    const std::string path = format_file_name("MISC", "Harmony", (std::string(name) + ".dat").c_str());
    HarmonyGrid g;
    const HarmonyRead r = read_harmony_file(path, name, &g);
    if (r != HarmonyRead::ok) {
        MessageBoxRequest box;
        box.text = harmony_error_text(r, name);
        tell_user(box);
        return 0;
    }
    harmony = std::move(g);
    cur_chord = next_chord = harmony.first_chord;
    style_preview.reset_chords(cur_chord, harmony.cell_name(cur_chord));
    return 1;
}

short CComposer::chord_scroll_value() const
{
    return scrollchords && scrollchords->enabled() ? scrollchords->get_value() : 0;
}

void CComposer::set_chord_scroll(bool follow_current)
{
    if (!scrollchords) return;
    const short width = grid_row_width(harmony.nwch);
    const ScrollRange r = chord_scroll_range(harmony.cells(), width);
    scrollchords->set_min_max(0, r.max);
    scrollchords->set_steps(1, 10);
    if (!r.enabled) {
        scrollchords->disable();
        scrollchords->set_value(0);
        return;
    }
    scrollchords->enable();
    scrollchords->set_value(follow_current ? chord_scroll_value_for(cur_chord, width) : 0);
}

bool CComposer::minor_grid() const
{
    CString text;
    if (popharmo && popharmo->get_cur()) popharmo->get_item(popharmo->get_cur(), &text);
    return std::strstr(text.get(), "Mineur") != nullptr;
}

void CComposer::take_chord(short cell)
{
    std::string name = harmony.cell_name(cell);
    if (cell && !name.empty()) chord.set_chord_name(&name[0]);
}

void CComposer::draw_chords()
{
    if (!upchords) return;
    CUserPanel* p = upchords;
    p->set_color(kWhite);
    p->fill_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_color(kBlack);
    p->draw_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_font("Arial", 9, 0);
    if (!harmony.nwch || !harmony.nhch) return;
    const std::string cur_name = harmony.cell_name(cur_chord), next_name = harmony.cell_name(next_chord);
    const bool proposals = std::any_of(harmony.marks.begin(), harmony.marks.end(),
                                       [](short m) { return m != kNoMark; });
    const short first = first_shown_cell(chord_scroll_value(), grid_row_width(harmony.nwch));
    const bool margins = !(harmony.nwch == 1 && harmony.nhch == 1);
    const bool minor = minor_grid();
    for (short c = first; c <= harmony.cells(); c++) {
        const CellBox b = chord_cell_box(c, first, harmony.nwch, wche, hche);
        if (b.y > p->get_height()) break;
        const std::string& name = harmony.cell_name(c);
        int32_t fill = -1, text = kBlue;
        if (proposals) {
            const short m = harmony.marks[c - 1];
            if (m >= 0) {
                const int32_t k = (100 - m) * 255 / 100;
                fill = kBlue + k * 0x100 + k;
                text = kBlack;
            }
        } else if (c == cur_chord) {
            fill = kBlue, text = kWhite;
        } else if (c == next_chord) {
            fill = kRed, text = kWhite;
        } else if (cur_chord && name == cur_name) {
            fill = kPaleBlue, text = kWhite;
        } else if (next_chord && name == next_name) {
            fill = kPaleRed, text = kWhite;
        }
        if (fill >= 0) {
            p->set_color(fill);
            p->fill_rect(b.x, b.y, (short)(b.x + wche + 1), (short)(b.y + hche + 1), 0);
        }
        p->set_color(kBlack);
        p->draw_rect(b.x, b.y, (short)(b.x + wche + 1), (short)(b.y + hche + 1), 0);
        p->set_color(text);
        p->go_to((short)(b.x + (wche - p->string_width(name.c_str())) / 2), (short)(b.y + hche / 2 + 4));
        p->draw_string(name.c_str(), 0);
        if (!margins) continue;
        p->set_font("Arial", 10, 0);
        p->set_color(kRed);
        const short column = (short)((c - first) % harmony.nwch + 1);
        if (column == 1) {
            p->go_to(2, (short)(b.y + 10));
            p->draw_string(grid_key_name(harmony.cell_key(c), minor), 0);
        }
        if (c - first < harmony.nwch) {
            p->go_to((short)(kGridLeft + column * wche - wche / 2 - 4), 15);
            p->draw_string(grid_degree_numeral(column), 0);
        }
        p->set_font("Arial", 9, 0);
    }
}

short CComposer::dispatch_chords(Event* e)
{
    if (!indnd && application) application->set_cursor_arrow();
    composer_hooks.focus_view();
    if (e->type != EvPress || !(e->flags & EvfLeft)) return default_event_handler(upchords, e);
    if (!harmony.cells()) return 1;
    for (short& m : harmony.marks) m = kNoMark;
    const short cell = chord_cell_at(harmony, chord_scroll_value(), e->x, e->y, wche, hche);
    if (cell) {
        const std::string& name = harmony.cell_name(cell);
        const ChordTake take = style_preview.choose_chord(cell, name, (e->flags & EvfDouble) != 0);
        const StylePreview::State st = style_preview.state();
        cur_chord = st.cur_chord;
        next_chord = st.next_chord;
        if (take == ChordTake::at_once) {
            take_chord(cell);
            CCheck* audition_check = check(kAuditionCheck);
            if (audition_check && audition_check->get_value()) {
                CString n;
                chord.get_chord_name(&n);
                EcouterAccord(n.get(), 0);
            }
            construire_gamme(cur_chord);
        }
    }
    if (upchords) upchords->dirty();
    return 1;
}

short CComposer::activer_accord(const char* name)
{
    const short cell = find_chord_cell(harmony, name ? name : "", cur_chord);
    if (!cell) return 0;
    if (cell == cur_chord && harmony.cell_name(cur_chord) == name) return 1;
    const ChordTake take = style_preview.choose_chord(cell, harmony.cell_name(cell), false);
    const StylePreview::State st = style_preview.state();
    cur_chord = st.cur_chord;
    next_chord = st.next_chord;
    if (take == ChordTake::at_once) take_chord(cell);
    if (upchords) upchords->dirty();
    return 1;
}

// ---- Scale staff, pad and keyboard ----

short CComposer::construire_gamme(short index)
{
    for (short i = measscale->total(); i >= 1; i--) {
        CDataObject* o = measscale->get_item(i);
        if (object_as<CNote>(o) || object_as<CTextBloc>(o)) {
            measscale->remove(i);
            delete o;
        }
    }
    scale_labels.clear();
    if (upscale) upscale->dirty();
    if (!index || index > harmony.cells()) return 0;
    CChord c;
    std::string name = harmony.cell_name(index);
    uint16_t chord_classes = 0;
    if (!name.empty() && c.set_chord_name(&name[0]))
        for (short i = 1; i <= c.get_chord_total(); i++)
            chord_classes |= (uint16_t)(1 << ((c.get_chord_note(i) & 0x7F) % 12));
    ScaleContext ctx;
    ctx.key = clamp_scale_key(harmony.cell_key(index));
    ctx.chord_classes = chord_classes;
    CPopup* filter = popup(kFilterPopup);
    ctx.filter = filter && filter->get_cur() ? filter->get_cur() : (short)kFilterChromatic;
    ctx.canvas = canvas;
    ctx.grid_name = harmony.name;
    ctx.one_cell = harmony.nwch == 1 && harmony.nhch == 1;
    classes = scale_classes(ctx);
    const bool minor = minor_grid();
    for (short k = kScaleLowKey; k <= kScaleHighKey; k++) {
        const short cls = classes[k % 12];
        keyboard->set_note_color(k, scale_key_colour(cls));
        melody.set_colour(k, scale_key_colour(cls));
        if (cls == kNotOffered) continue;
        const ScaleSpelling s = spell_scale_key(k, ctx.key, ctx.one_cell);
        const ScaleNotePlace place = place_scale_note(k, s);
        CNote* n = new CNote;
        n->x = place.x;
        n->y = place.y;
        n->alt = s.alt;
        n->dir = place.dir;
        n->dax = place.dax;
        n->day = place.day;
        n->pitch = k;
        n->voice = scale_note_voice(cls);
        n->adjust();
        n->ajuster_hampe();
        if (k == notepitch) n->flags |= 0x100;
        measscale->add(n);
        if (cls == kScaleNote || cls == kChordNote) {
            const std::string label = scale_label(k, ctx.key, canvas, minor, ctx.one_cell);
            if (!label.empty()) scale_labels.emplace_back(place.x, label);
        }
    }
    if (keyboard) keyboard->dirty();
    return 1;
}

void CComposer::draw_scale()
{
    if (!upscale) return;
    CUserPanel* p = upscale;
    p->set_color(kWhite);
    p->fill_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_color(kBlack);
    p->draw_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_font("Arial", 10, 0);
    static const char* const kFilterTitles[] = {"Gamme chromatique compl\xe8te",
                                                "Notes de la gamme s\xe9lectionn\xe9" "e",
                                                "Notes de l'accord s\xe9lectionn\xe9"};
    if (!canvas) {
        CPopup* filter = popup(kFilterPopup);
        const short f = filter && filter->get_cur() ? filter->get_cur() : (short)kFilterChromatic;
        p->go_to(4, 12);
        p->draw_string(kFilterTitles[(f >= 1 && f <= 3 ? f : 1) - 1], 0);
    }
    const int32_t saved_colour = couleur_notes;
    CMeasure* saved_measure = cur_mes_draw;
    couleur_notes = -1;
    cur_mes_draw = measscale;
    short ox, oy;
    p->get_origin(&ox, &oy);
    measscale->draw_object(p, 1, nullptr, 0, 1.0f, 1.0f);
    p->set_origin(ox, oy);
    couleur_notes = saved_colour;
    cur_mes_draw = saved_measure;
    p->set_color(kBlack);
    p->set_font("Arial", 10, 0);
    for (const auto& l : scale_labels) {
        const std::string& text = l.second;
        const size_t cut = text.find("\r\n");
        const std::string first = text.substr(0, cut);
        p->go_to((short)(kScaleX + l.first + 4 - p->string_width(first.c_str()) / 2), (short)(kScaleY + kLabelY));
        p->draw_string(first.c_str(), 0);
        if (cut != std::string::npos) {
            const std::string second = text.substr(cut + 2);
            p->go_to((short)(kScaleX + l.first + 4 - p->string_width(second.c_str()) / 2),
                     (short)(kScaleY + kLabelY + 12));
            p->draw_string(second.c_str(), 0);
        }
    }
}

void CComposer::note_on_scale_staff(short mid, bool on)
{
    for (short i = 1; i <= measscale->total(); i++)
        if (CNote* n = measscale->get_note_item(i))
            if (n->pitch == mid) {
                if (on)
                    n->flags |= 0x100;
                else
                    n->flags &= ~0x100;
                if (upscale) upscale->dirty();
                return;
            }
}

void CComposer::scale_note_on(short mid, short brou)
{
    if (!brou && destination() == kToDraft && !get_ctrl()) {
        brouillon.insert(mid, kDraftQuarter);
        mise_a_jour_brouillon();
    } else if (!brou && destination() == kToScore) {
        inserer_note_partition(mid);
    }
    const unsigned char on[3] = {0x90, (unsigned char)(mid & 0x7F), (unsigned char)scalevolsol};
    send_now(on, 3);
    if (keyboard) keyboard->note_on(mid);
    note_on_scale_staff(mid, true);
}

void CComposer::scale_note_off(short mid, short)
{
    const unsigned char off[3] = {0x90, (unsigned char)(mid & 0x7F), 0};
    send_now(off, 3);
    if (keyboard) keyboard->note_off(mid);
    note_on_scale_staff(mid, false);
}

short CComposer::dispatch_scale(Event* e)
{
    composer_hooks.focus_view();
    const bool shift = (e->flags & EvfShift) != 0;
    switch (e->type) {
    case EvPress: mdown = 1; break;
    case EvMove: break;
    case EvRelease:
        mdown = 0;
        if (notepitch && !shift) {
            scale_note_off(notepitch, 0);
            notepitch = 0;
        }
        return 1;
    case CKeyboardPanel::kKeyPressed:
        if (e->item == CKeyboardPanel::kItem && e->value != notepitch) {
            if (notepitch) scale_note_off(notepitch, 0);
            notepitch = e->value;
            if (notepitch) scale_note_on(notepitch, 0);
        }
        return 1;
    case CKeyboardPanel::kKeyReleased:
        if (e->item == CKeyboardPanel::kItem && notepitch && !shift) {
            scale_note_off(notepitch, 0);
            notepitch = 0;
        }
        return 1;
    default: return 1;
    }
    if (application) application->set_cursor_finger();
    if (!mdown) return 1;
    short velocity = kScaleVelocityTop;
    if (e->y > measscale->y + 24)
        velocity = kScaleVelocityBottom;
    else if (e->y >= measscale->y)
        velocity = (short)(kScaleVelocityTop + (measscale->y - e->y) * 63 / 24);
    // The soloist's volume of the volume panel scales the velocity.
    scalevolsol = (short)(composer_hooks.solo_volume() * velocity / 100);
    short pitch = 0;
    for (short i = 1; i <= measscale->total() && e->x <= measscale->x + measscale->width; i++)
        if (CNote* n = measscale->get_note_item(i)) {
            if (e->x < n->x + measscale->x) break;
            pitch = n->pitch;
        }
    const unsigned char volume[3] = {0xB0, 7, (unsigned char)std::min<short>(127, std::max<short>(0, scalevolsol))};
    send_now(volume, 3);
    if (pitch == notepitch) return 1;
    if (notepitch) scale_note_off(notepitch, 0);
    notepitch = pitch;
    if (pitch) scale_note_on(pitch, 0);
    return 1;
}

short CComposer::melody_filter(char* buf, short tot) { return melody.filter((const unsigned char*)buf, tot); }

void CComposer::modification_pedale()
{
    if (notepitch && !mdown) {
        scale_note_off(notepitch, 0);
        notepitch = 0;
    }
}

// ---- Audition ----

bool CComposer::touch_tool() const { return composer_hooks.current_tool() == kTouchPlayTool; }

void CComposer::EcouterAccord(const char* name, short prog)
{
    chord_audition.listen(name ? name : "", prog, now(), touch_tool());
}

void CComposer::CycleJeuAccord() { chord_audition.step(now(), touch_tool()); }

// ---- The window ----

void CComposer::periodic()
{
    CycleJeuAccord();
    if (touch_tool()) style_preview.stop_all();
    const short switched = style_preview.take_switched_chord();
    if (switched > 0) {
        cur_chord = switched;
        take_chord(switched);
        construire_gamme(cur_chord);
        CCheck* audition_check = check(kAuditionCheck);
        if (audition_check && audition_check->get_value()) {
            CString n;
            chord.get_chord_name(&n);
            EcouterAccord(n.get(), 0);
        }
        if (upchords) upchords->dirty();
    }
    apply_tempo(style_preview.take_tempo());
    if (style_preview.take_redraw() && upstyle) upstyle->dirty();
    for (const MelodyMessage& m : melody.take()) {
        const MelodyAction a = melody_key(&midi_keys, m.note, m.note_on);
        if (a.release) scale_note_off(a.release, 0);
        if (a.sound) scale_note_on(a.sound, 0);
        notepitch = midi_keys.notepitch;
    }
}

void CComposer::show_assistant(bool on)
{
    if (on) {
        set_position(0, 0);
        show();
        melody.set_active(true);
        timer_preview.store(&style_preview, std::memory_order_release);
        if (application) application->timer.add_timer_task(preview_timer_task);
    } else {
        melody.set_active(false);
        if (application && timer_preview.load() == &style_preview)
            application->timer.remove_timer_task(preview_timer_task);
        timer_preview.store(nullptr, std::memory_order_release);
        chord_audition.stop();
        style_preview.stop_all();
        if (notepitch) scale_note_off(notepitch, 0);
        notepitch = 0;
        midi_keys = MelodyKeys{};
        if (vis) hide();
    }
    ComposerMarks::visible = on;
}

void CComposer::after_control(Event*)
{
    composer_hooks.focus_view();
}

short CComposer::handle(Event* e)
{
    switch (e->type) {
    case EvClose: composer_hooks.close_assistant(); return 1;
    case CKeyboardPanel::kKeyPressed:
    case CKeyboardPanel::kKeyReleased:
        dispatch_scale(e);
        return default_event_handler(this, e);
    case EvControl: break;
    default: return default_event_handler(this, e);
    }
    if (!composer_hooks.view_open()) return 1;
    switch (e->item) {
    case kStylePopup: {
        CString text;
        if (popstyle && popstyle->get_cur()) popstyle->get_item(popstyle->get_cur(), &text);
        choose_style(FindStyle(text.get()));
        if (upstyle) upstyle->dirty();
        set_style_scroll();
        break;
    }
    case kHarmonyPopup: {
        const short entry = popharmo ? popharmo->get_cur() : 0;
        if (entry >= 1 && entry <= 10 && load_harmony(kHarmonyNames[entry - 1])) take_chord(cur_chord);
        if (upchords) upchords->dirty();
        composer_hooks.set_key_mode(entry == 1 ? 3 : 1);
        set_chord_scroll(true);
        construire_gamme(cur_chord);
        break;
    }
    case kStyleScroll:
        if (upstyle) upstyle->dirty();
        break;
    case kChordScroll:
        if (upchords) upchords->dirty();
        break;
    case kPreviewCheck: {
        CCheck* c = check(kPreviewCheck);
        const bool on = c && c->get_value();
        if (on) {
            EcouterAccord("", 0);
            if (CCheck* a = check(kAuditionCheck)) a->set_value(0);
            take_chord(next_chord);
        }
        style_preview.switch_preview(on, now(), volume_percent(), harmony.cell_name(next_chord));
        if (upstyle) upstyle->dirty();
        break;
    }
    case kFilterPopup: {
        const short r = default_event_handler(this, e);
        construire_gamme(cur_chord);
        return r ? r : 1;
    }
    case kAuditionCheck: {
        composer_hooks.focus_view();
        CCheck* c = check(kAuditionCheck);
        if (!c) break;
        if (style_preview.playing()) {
            c->set_value(0);
        } else if (c->get_value()) {
            CString n;
            chord.get_chord_name(&n);
            EcouterAccord(n.get(), 0);
        } else {
            EcouterAccord("", 0);
        }
        break;
    }
    case kProposalButton: proposer_accords(); break;
    case kDraftClearButton: effacer_brouillon(); break;
    case kMixerButton:
    case kPercussionButton:
        if (!composer_hooks.view_open()) break;
        data_to_window();
        if (CDialog* w = e->item == kMixerButton ? accomp : percu) w->show();
        break;
    case kRestButton:
        if (destination() == kToDraft) inserer_note_brouillon(kDraftRest, kDraftQuarter);
        break;
    case kDestinationPopup: {
        const short r = default_event_handler(this, e);
        if (upbrou) upbrou->dirty();
        if (doc) doc->curseur = destination() == kToScore ? 1 : 0;
        after_control(e);
        return r ? r : 1;
    }
    case kDraftScroll:
        if (CScroll* bar = scroll(kDraftScroll)) brouillon.scroll_to(bar->get_value());
        mise_a_jour_brouillon();
        break;
    case kWriteButton:
        if (cur_chord && last_cur_mes) composer_hooks.drop_chord(last_cur_mes, harmony.cell_name(cur_chord).c_str());
        if (last_cur_mes) composer_hooks.drop_style(last_cur_mes, style, style_preview.state().cur_var);
        break;
    case kTempoFixedCheck:
        if (CCheck* c = check(kTempoFixedCheck)) style_preview.set_tempo_fixed(c->get_value() != 0);
        break;
    default: break;
    }
    after_control(e);
    return default_event_handler(this, e);
}

// ---- Current measure, proposals and progressions ----

namespace {

// The first block of `colour` of measures k = from down to 1, with its text.
bool last_block_text(Document* d, short from, int32_t colour, CString* out)
{
    for (short k = from; k >= 1; k--) {
        CMeasure* m = mesure_maitre(d, k, 1);
        for (short i = 1; m && i <= m->total(); i++)
            if (CTextBloc* b = m->get_textbloc_item(i))
                if (b->color == colour) {
                    out->set(b->text.get() ? b->text.get() : "");
                    return true;
                }
    }
    return false;
}

}  // namespace

void CComposer::set_cur_mes(short m)
{
    Document* d = doc;
    if (!d) return;
    const bool had = cur_mes != 0;
    cur_mes = m;
    cur_meas = m ? mesure_maitre(d, m, 1) : nullptr;
    if (!cur_meas) cur_mes = 0;
    composer_hooks.redraw_view();
    if (last_cur_mes == cur_mes) return;
    last_cur_mes = cur_mes;
    if (!last_cur_mes || !had || composer_hooks.current_tool() != tool::Pointer) return;
    CString text;
    if (last_block_text(d, last_cur_mes, kChordBlock, &text)) {
        activer_accord(text.get());
        if (cur_chord) construire_gamme(cur_chord);
    }
    CPopup* destination = popup(kDestinationPopup);
    if (destination && destination->get_cur() == 3) return;
    if (last_block_text(d, last_cur_mes, kStyleBlock, &text)) {
        EcouterAccord("", 0);
        if (CCheck* c = check(kAuditionCheck)) c->set_value(0);
        activer_variations(&text);
    }
}

void CComposer::proposer_accords()
{
    if (!cur_mes || !doc) return;
    CMeasure* m = mesure_maitre(doc, cur_mes, 1);
    if (!m) return;
    harmony.marks = proposal_marks(harmony, measure_pitch_shares(m));
    if (upchords) upchords->dirty();
}

short CComposer::appliquer_progression(short p)
{
    Document* d = doc;
    if (!d) return 0;
    if (!progressions_found || p < 1 || p > (short)prog.size()) {
        // Nothing to write: the document stays as it is.
        MessageBoxRequest box;
        box.text = progressions_found ? "Aucune progression d'accords n'est choisie."
                                      : "Le fichier des progressions d'accords \"Progressions.dat\" est introuvable.";
        tell_user(box);
        return 0;
    }
    CCheck* play = check(kPreviewCheck);
    const bool was_playing = play && play->get_value() && style_preview.playing();
    auto send_play_check = [&](short value) {
        if (!play) return;
        play->set_value(value);
        Event e;
        e.type = EvControl;
        e.item = kPreviewCheck;
        handle(&e);
    };
    if (was_playing) send_play_check(0);
    const short first = cur_mes > 0 ? cur_mes : 1;
    write_progression(d, first, prog[(size_t)p - 1].chords);
    d->modif = 1;
    composer_hooks.arrange(first, 1000);
    composer_hooks.redraw_view();
    if (was_playing) {
        wait_ms(kRestartWaitMs);
        send_play_check(1);
    }
    return 1;
}

void CComposer::proposer_progression()
{
    CDialog* d = new CDialog("MISC", "Brindlecot.res", kProgressionDialog, default_dialog_handler, 0);
    CList* list = d->list(kProgressionList);
    if (list) {
        list->clear();
        for (const ChordProgressionEntry& e : prog) list->add(e.name.c_str());
        if (!prog.empty()) list->set_cur(1);
    }
    auto selected = [&]() -> short { return list ? list->get_cur() : 0; };
    auto listening = [&]() { return d->check(kProgressionListen) && d->check(kProgressionListen)->get_value(); };
    short apply = 0;
    Event ev;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl && ev.type != EvListDouble) continue;
        if (ev.item == kProgressionOk && ev.type == EvControl) {
            apply = 1;
            break;
        }
        if (ev.item == kProgressionCancel) break;
        if (ev.item == kProgressionList) {
            if (ev.type == EvListDouble) {
                apply = 1;
                break;
            }
            if (listening() && selected()) EcouterAccord("", selected());
        } else if (ev.item == kProgressionListen) {
            if (listening() && selected())
                EcouterAccord("", selected());
            else
                EcouterAccord("", 0);
        }
    }
    const short chosen = selected();
    EcouterAccord("", 0);
    delete d;
    if (apply) appliquer_progression(chosen);
}

// ---- Draft zone and notes sent into the score ----

short CComposer::destination() const
{
    CPopup* p = const_cast<CComposer*>(this)->popup(kDestinationPopup);
    return p && p->get_cur() ? p->get_cur() : (short)kPlayOnly;
}

short CComposer::cell_key() const { return clamp_scale_key(harmony.cell_key(cur_chord)); }

std::array<short, 12> CComposer::melody_classes_now() const
{
    CPopup* filter = const_cast<CComposer*>(this)->popup(kFilterPopup);
    const short f = filter && filter->get_cur() ? filter->get_cur() : (short)kFilterChromatic;
    return melody_classes(cell_key(), chord_name_classes(harmony.cell_name(cur_chord)), f,
                          harmony.nwch == 1 || harmony.nhch == 1);
}

namespace {

CNote* new_melody_note(short pitch, short code, short key, const std::array<short, 12>& classes)
{
    const MelodyNote m = melody_note(pitch, code, key, classes);
    CNote* n = new CNote;
    n->rythm = m.rythm;
    n->point = m.point;
    if (m.height) n->height = m.height;
    n->y = m.y;
    n->alt = m.alt;
    n->pitch = pitch;
    n->dir = m.dir;
    n->dax = m.dax;
    n->day = m.day;
    n->voice = m.voice;
    return n;
}

}  // namespace

void CComposer::effacer_brouillon()
{
    brouillon.clear();
    mise_a_jour_brouillon();
}

void CComposer::inserer_note_brouillon(short mid, short rythme)
{
    if (get_ctrl()) return;
    brouillon.insert(mid, rythme);
    mise_a_jour_brouillon();
}

void CComposer::mise_a_jour_brouillon()
{
    if (CScroll* bar = scroll(kDraftScroll)) {
        bar->set_min_max(0, brouillon.size());
        bar->set_value(brouillon.offset);
    }
    brouillon.clamp();
    if (!measbrou) return;
    for (short i = measbrou->total(); i >= 1; i--) {
        CDataObject* o = measbrou->get_item(i);
        if (object_as<CNote>(o) || object_as<CRest>(o)) {
            measbrou->remove(i);
            delete o;
        }
    }
    const std::array<short, 12> cls = melody_classes_now();
    const short key = cell_key();
    for (short j = 1; j <= kDraftSlots && brouillon.offset + j <= brouillon.size(); j++) {
        const size_t e = (size_t)(brouillon.offset + j - 1);
        const short pitch = brouillon.pitches[e], code = brouillon.rhythms[e];
        if (pitch == kDraftRest) {
            CRest* r = new CRest;
            r->x = melody_rest_x(j);
            r->y = kMelodyRestY;
            r->rythm = code > 100 ? (short)(code - 100) : code;
            if (code > 100) r->point = 1;
            measbrou->insert(r, (short)(j + 1));
        } else {
            CNote* n = new_melody_note(pitch, code, key, cls);
            n->x = melody_note_x(j);
            n->adjust();
            n->ajuster_hampe();
            measbrou->insert(n, (short)(j + 1));
        }
    }
    if (upbrou) upbrou->dirty();
}

void CComposer::draw_brou()
{
    if (!upbrou || !measbrou) return;
    CUserPanel* p = upbrou;
    p->set_color(kWhite);
    p->fill_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_color(kBlack);
    p->draw_rect(0, 0, p->get_width(), p->get_height(), 0);
    p->set_font("Arial", 10, 0);
    p->go_to(4, 12);
    p->draw_string("Zone brouillon", 0);
    if (destination() == kToDraft) {
        const short x = (short)(14 * brouillon.indicx + 26);
        p->set_color(kBlue);
        p->draw_line(x, 11, x, 33, 0);
        p->draw_line((short)(x - 3), 11, (short)(x + 4), 11, 0);
        p->draw_line((short)(x - 3), 33, (short)(x + 4), 33, 0);
    }
    const int32_t saved_colour = couleur_notes;
    CMeasure* saved_measure = cur_mes_draw;
    couleur_notes = -1;
    cur_mes_draw = measbrou;
    short ox, oy;
    p->get_origin(&ox, &oy);
    measbrou->draw_object(p, 1, nullptr, 0, 1.0f, 1.0f);
    p->set_origin(ox, oy);
    couleur_notes = saved_colour;
    cur_mes_draw = saved_measure;
}

short CComposer::dispatch_brou(Event* e)
{
    composer_hooks.focus_view();
    if (e->type == EvRelease && (e->flags & EvfLeft)) {
        mdown = 0;
        if (notepitch && !(e->flags & EvfShift)) {
            scale_note_off(notepitch, 1);
            notepitch = 0;
        }
        return 1;
    }
    if (e->type == EvPress && (e->flags & EvfLeft)) mdown = 1;
    else if (e->type != EvMove) return 1;
    if (application) application->set_cursor_finger();
    if (!mdown || !measbrou) return 1;
    const short old = brouillon.indicx;
    short pitch = -1;
    for (short i = 1; i <= measbrou->total() && e->x <= measbrou->x + measbrou->width; i++) {
        CDataObject* o = measbrou->get_item(i);
        CNote* n = object_as<CNote>(o);
        CRest* r = object_as<CRest>(o);
        if (!n && !r) continue;
        const short x = n ? n->x : r->x;
        if (x + measbrou->x > e->x) break;
        pitch = n ? n->pitch : 0;
        brouillon.indicx = draft_cursor_after(n ? x : (short)(x - 2));
    }
    if (brouillon.indicx != old && upbrou) upbrou->dirty();
    if (pitch < 0) return 1;
    if (pitch == 0) {
        if (notepitch) scale_note_off(notepitch, 1);
        notepitch = 0;
    } else if (pitch == notepitch) {
        if (brouillon.indicx != old) {
            scale_note_off(notepitch, 1);
            scale_note_on(notepitch, 1);
        }
    } else {
        if (notepitch) scale_note_off(notepitch, 1);
        notepitch = pitch;
        scale_note_on(pitch, 1);
    }
    return 1;
}

short CComposer::raccourcis(short value)
{
    if (value != kBackspace && value != kLeftArrow && value != kRightArrow) return 0;
    switch (destination()) {
    case kToDraft: {
        const bool moved = value == kBackspace ? brouillon.backspace()
                           : value == kLeftArrow ? brouillon.left()
                                                 : brouillon.right();
        if (moved) mise_a_jour_brouillon();
        return 1;
    }
    case kToScore: composer_hooks.view_key(value); return 1;
    default: return 0;
    }
}

void CComposer::inserer_note_partition(short mid)
{
    ToolValue value;
    if (get_ctrl() || !note_tool_value(composer_hooks.current_tool(), &value)) return;
    CNote* n = new_melody_note(mid, value.rythm, cell_key(), melody_classes_now());
    if (value.height) n->height = value.height;
    n->adjust();
    n->ajuster_hampe();
    delete note_a_inserer;
    note_a_inserer = n;
    composer_hooks.view_key(kCursorNoteKey);
    // A note that the cursor did not take (no cursor shown) is not kept for a later key.
    delete note_a_inserer;
    note_a_inserer = nullptr;
}

CNote* CComposer::take_note_a_inserer()
{
    CNote* n = note_a_inserer;
    note_a_inserer = nullptr;
    return n;
}

// ---- Mixers ----

namespace {

short first_staff_count(Document* d)
{
    if (!d || d->tot_sys < 1 || !d->sys[1] || d->sys[1]->tot_por < 1) return 0;
    const Portee* p = d->por[d->sys[1]->por[1]];
    return p ? p->tot_mes : 0;
}

}  // namespace

void CComposer::data_to_window()
{
    Document* d = doc;
    if (!d || d->tot_ins < 16 || !composer_hooks.view_open()) return;
    const short c = mixer_controller(accomp->popup(kMixerControllerPopup) ? accomp->popup(kMixerControllerPopup)->get_cur() : 1);
    for (short k = 1; k <= kMixerRows; k++) {
        CLabel* label = accomp->label(k);
        CSlider* slider = accomp->slider((short)(k + kSliderOffset));
        if (k + 1 > d->tot_ins) {
            if (label) label->set_text("---");
            if (slider) slider->hide();
            continue;
        }
        if (label) label->set_text(d->ins[k + 1].nom);
        if (!slider) continue;
        slider->set_min_max(0, 127);
        if (ruler.first) {
            const short v = controller_in_measure(d, (short)(k + 1), ruler.first, c);
            slider->set_value(v >= 0 ? v : kNoValue);
        }
        slider->show();
    }
    if (CScroll* bar = accomp->scroll(kMixerRulerScroll)) {
        const short n = first_staff_count(d);
        if (n <= kRulerShownWithoutScroll) {
            bar->set_min_max(0, 0);
            bar->disable();
        } else {
            bar->set_min_max(1, n);
            bar->set_value(first_vis_accomp);
            bar->set_steps(1, 20);
            bar->enable();
        }
    }
    const short page = percu->popup(kMixerControllerPopup) ? percu->popup(kMixerControllerPopup)->get_cur() : 1;
    for (short j = 1; j <= kMixerRows; j++) {
        const short n = drum_note(page, j);
        CLabel* label = percu->label(j);
        CSlider* slider = percu->slider((short)(j + kSliderOffset));
        if (n > kLastDrum) {
            if (label) label->set_text("");
            if (slider) slider->hide();
            continue;
        }
        if (label) label->set_text(drum_name(n).c_str());
        if (slider) {
            slider->set_value(drum_level(d, n));
            slider->show();
        }
    }
    if (CUserPanel* r = accomp->up(kMixerRuler)) r->dirty();
}

void CComposer::change_pot(short k)
{
    Document* d = doc;
    if (!d) return;
    const short c = mixer_controller(accomp->popup(kMixerControllerPopup) ? accomp->popup(kMixerControllerPopup)->get_cur() : 1);
    CSlider* slider = accomp->slider((short)(k + kSliderOffset));
    if (!slider) return;
    const short v = std::clamp<short>(slider->get_value(), 0, 127);
    const short staff = (short)(k + 1);
    if (!change_controller_accomp(d, c, v, staff, ruler.first, ruler.last)) return;
    d->modif = 1;
    if (ruler.first == 1 && ruler.last >= first_staff_count(d) && staff <= d->tot_ins)
        d->ins[staff].effet[c] = (unsigned char)v;
    if (CUserPanel* r = accomp->up(kMixerRuler)) r->dirty();
}

short CComposer::accomp_event(Event* e)
{
    if (e->type == EvClose) {
        accomp->hide();
        return 1;
    }
    if (e->type == EvControl || e->type == EvScrollThumb) {
        if (e->item > kSliderOffset && e->item <= kSliderOffset + kMixerRows) {
            change_pot((short)(e->item - kSliderOffset));
        } else if (e->item == kMixerControllerPopup) {
            const short r = default_event_handler(accomp, e);
            data_to_window();
            return r;
        } else if (e->item == kMixerRulerScroll) {
            if (CScroll* bar = accomp->scroll(kMixerRulerScroll)) first_vis_accomp = std::max<short>(1, bar->get_value());
            if (CUserPanel* r = accomp->up(kMixerRuler)) r->dirty();
        }
    }
    return default_event_handler(accomp, e);
}

short CComposer::percu_event(Event* e)
{
    if (e->type == EvClose) {
        percu->hide();
        return 1;
    }
    if (e->type == EvControl) {
        const short page = percu->popup(kMixerControllerPopup) ? percu->popup(kMixerControllerPopup)->get_cur() : 1;
        if (e->item > kSliderOffset && e->item <= kSliderOffset + kMixerRows) {
            CSlider* slider = percu->slider(e->item);
            if (slider && doc && set_drum_level(doc, drum_note(page, (short)(e->item - kSliderOffset)), slider->get_value()))
                doc->modif = 1;
        } else if (e->item == kMixerControllerPopup) {
            const short r = default_event_handler(percu, e);
            data_to_window();
            return r;
        }
    }
    return default_event_handler(percu, e);
}

short CComposer::dispatch_accomp_up(Event* e)
{
    if (!(e->flags & EvfLeft)) return 0;
    const short measures = first_staff_count(doc);
    const short m = ruler_measure(e->x, first_vis_accomp);
    CUserPanel* r = accomp->up(kMixerRuler);
    switch (e->type) {
    case EvPress:
        accomp_mouse_down = 1;
        ruler.press(m, (e->flags & EvfShift) != 0, (e->flags & EvfDouble) != 0, measures);
        if (r) r->dirty();
        data_to_window();
        return 1;
    case EvRelease: accomp_mouse_down = 0; return 1;
    case EvMove:
        ruler.drag(m);
        if (r) r->dirty();
        return 1;
    default: return 0;
    }
}

void CComposer::draw_accomp_up()
{
    CUserPanel* p = accomp ? accomp->up(kMixerRuler) : nullptr;
    if (!p) return;
    const short w = p->get_width(), h = p->get_height();
    p->set_color(kWhite);
    p->fill_rect(0, 0, w, h, 0);
    p->set_color(kBlack);
    p->draw_line(0, 0, w, 0, 0);
    p->draw_line(0, (short)(h - 1), w, (short)(h - 1), 0);
    p->draw_line(0, 0, 0, h, 0);
    Document* d = doc;
    const short measures = first_staff_count(d);
    if (!d) return;
    const short c = mixer_controller(accomp->popup(kMixerControllerPopup) ? accomp->popup(kMixerControllerPopup)->get_cur() : 1);
    p->set_font("Arial", 8, 0);
    for (short j = 0; first_vis_accomp + j <= measures && kRulerColumn * j < w; j++) {
        const short m = (short)(first_vis_accomp + j);
        const short x = (short)(kRulerColumn * j);
        p->set_color(kBlack);
        p->draw_line((short)(x + kRulerColumn), 0, (short)(x + kRulerColumn), h, 0);
        p->draw_line(x, kRulerHeader, (short)(x + kRulerColumn), kRulerHeader, 0);
        const bool selected = m >= ruler.first && m <= ruler.last;
        p->set_color(selected ? kBlack : kWhite);
        p->fill_rect((short)(x + 1), 1, (short)(x + kRulerColumn), kRulerHeader, 0);
        const std::string number = std::to_string(m);
        p->set_color(selected ? kWhite : kBlack);
        p->go_to((short)(x + 10 - p->string_width(number.c_str()) / 2), 17);
        p->draw_string(number.c_str(), 0);
        for (short r = 0; r < kMixerRows; r++) {
            const short top = (short)(kRulerRow * r + kRulerHeader);
            p->set_color(kBlack);
            p->draw_line(x, top, (short)(x + kRulerColumn), top, 0);
            const short v = controller_in_measure(d, (short)(r + 2), m, c);
            if (v < 0) {
                p->draw_line((short)(x + 1), (short)(top + 1), (short)(x + kRulerColumn), (short)(top + kRulerRow), 0);
                p->draw_line((short)(x + kRulerColumn), (short)(top + 1), (short)(x + 1), (short)(top + kRulerRow), 0);
            } else {
                p->set_color(kBlue);
                p->fill_rect((short)(x + 1), (short)(top + kRulerRow - kRulerRow * v / 127 + 1), (short)(x + kRulerColumn),
                             (short)(top + kRulerRow), 0);
            }
        }
    }
}
