#include "chords/CComposer.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>

#include "chords/CKeyboardPanel.h"
#include "framework/CApplication.h"
#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CUserPanel.h"
#include "framework/DefaultHandlers.h"
#include "framework/EventDispatch.h"
#include "framework/MessageBoxes.h"
#include "framework/ProgramFiles.h"
#include "midi/CMidi.h"
#include "midi/CStyleFile.h"
#include "score/CMeasure.h"
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
    input_inbox.store(&melody, std::memory_order_release);
    if (application && application->midi) application->midi->midi_input_filter = input_filter;
    ComposerMarks::visible = false;
    composer_marks = this;
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

void CComposer::scale_note_on(short mid, short)
{
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
    case kTempoFixedCheck:
        if (CCheck* c = check(kTempoFixedCheck)) style_preview.set_tempo_fixed(c->get_value() != 0);
        break;
    default: break;
    }
    after_control(e);
    return default_event_handler(this, e);
}
