#include "app/Parametres.h"

#include "app/Application.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CResFile.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/Event.h"
#include "framework/UserFiles.h"
#include "midi/CMidi.h"
#include "platform/FileSystem.h"
#include "score/MusicSettings.h"
#include "score/Synthe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

std::atomic<short> param[kParameterCount + 1];
char eqcla[kKeyLayouts + 1][kKeyPositions + 1] = {};
short eqmod = 1;
short playing_note = 0;
KeyEquivalentHooks key_equivalent_hooks = {nullptr, nullptr};
ParameterHooks parameter_hooks = {nullptr};

namespace {

// Score following's flag, set by parameter 24.
constexpr short kFollowParameterFlag = 8;
// The program's texts about the parameters: line 1 and 2 when "Parameters.txt" cannot be
// written.
constexpr short kParameterTexts = 141;

struct ControlOf {
    short number;  // the parameter
    short item;    // the dialog's control
};
// Pop-ups whose entry is the value (1-based).
constexpr ControlOf kPopups[] = {
    {1, 29},  {2, 41},  {3, 30},  {4, 31},  {5, 32},  {6, 33},  {7, 34},  {8, 35},
    {9, 36},  {10, 37}, {11, 38}, {12, 39}, {15, 7},  {16, 11}, {17, 17}, {18, 18},
};
constexpr ControlOf kChecks[] = {{19, 42}, {20, 43}, {23, 49}, {24, 50}, {25, 51}, {26, 52}};
constexpr ControlOf kFields[] = {{13, 5}, {14, 6}};
constexpr ControlOf kPercussionPopups[] = {{21, 47}, {22, 48}};

ParameterValues current_values()
{
    ParameterValues v{};
    for (short i = 1; i <= kParameterCount; i++) v.v[i] = param[i];
    return v;
}

void store_values(const ParameterValues& v)
{
    for (short i = 1; i <= kParameterCount; i++) param[i] = v.v[i];
}

void apply_score_following()
{
    if (param[parameter::ScoreFollowing] != 0)
        follow_flags = (short)(follow_flags | kFollowParameterFlag);
    else
        follow_flags = (short)(follow_flags & ~kFollowParameterFlag);
}

bool read_file(const std::string& path, std::string* out)
{
    FILE* f = platform::open_file(path, "rb");
    if (!f) return false;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) out->append(buffer, n);
    std::fclose(f);
    return true;
}

bool write_file(const std::string& path, const std::string& bytes)
{
    FILE* f = platform::open_file(path, "wb");
    if (!f) return false;
    const bool whole = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && whole;
}

std::string text_line(short line)
{
    CString s;
    gr_string("MISC", "Brindlecot.res", kParameterTexts, line, &s);
    return s.get() ? s.get() : "";
}

// The synthesizer definition of the MIDI output, null when there is none.
Synthe* output_synthesizer()
{
    if (!application || !application->midi) return nullptr;
    return get_synthe(application->midi->midi_prefs.synthe[1]);
}

}  // namespace

// ---- Plain values ----

ParameterValues default_parameter_values()
{
    static constexpr short kDefaults[kParameterCount + 1] = {
        0, keycode::Down, keycode::Up, keycode::Left, keycode::Right, keycode::PageDown, keycode::PageUp,
        keycode::Minus, keycode::Plus, keycode::Divide, keycode::Times, keycode::Space, keycode::None,
        50, 100, drives::Nothing, drives::SoloistVolume, drives::Nothing, 1, 1, 0, 67, 81, 0, 1, 1, 0, 100, 2};
    ParameterValues v{};
    std::copy(std::begin(kDefaults), std::end(kDefaults), v.v);
    return v;
}

std::string parameters_text(const ParameterValues& values)
{
    std::string text = std::to_string(kParameterCount) + "\n";
    for (short i = 1; i <= kParameterCount; i++) text += std::to_string(values.v[i]) + " ";
    return text;
}

short parse_parameters_text(const std::string& text, ParameterValues* values)
{
    const char* p = text.c_str();
    int used = 0;
    short count = 0;
    if (std::sscanf(p, "%hd\n%n", &count, &used) != 1) return 0;
    p += used;
    // The table holds 28: a longer file from a later version gives its first 28.
    const short wanted = std::min<short>(count, kParameterCount);
    short taken = 0;
    for (short i = 1; i <= wanted; i++) {
        short v = 0;
        if (std::sscanf(p, "%hd%n", &v, &used) != 1) break;
        p += used;
        values->v[i] = v;
        taken++;
    }
    return taken;
}

void validate_parameters(ParameterValues* values)
{
    short& low = values->v[parameter::PressureMin];
    short& high = values->v[parameter::PressureMax];
    if (low < 0) low = 0;
    if (high > 100) high = 100;
    if (low > high) high = low;
}

// ---- The parameters of the program ----

std::string parameters_file() { return user_file("Parameters.txt"); }

void init_param() { store_values(default_parameter_values()); }

void read_parameters()
{
    init_param();
    std::string text;
    if (read_file(parameters_file(), &text)) {
        ParameterValues v = current_values();
        parse_parameters_text(text, &v);
        store_values(v);
    }
    apply_score_following();
}

short write_parameters()
{
    const bool written = write_file(parameters_file(), parameters_text(current_values()));
    apply_score_following();
    return written ? 1 : 0;
}

void set_param(CDialog* d)
{
    for (const ControlOf& c : kPopups)
        if (CPopup* p = d->popup(c.item)) p->set_cur(param[c.number]);
    for (const ControlOf& c : kChecks)
        if (CCheck* k = d->check(c.item)) k->set_value(param[c.number] ? 1 : 0);
    for (const ControlOf& c : kFields)
        if (CTextedit* t = d->te(c.item)) t->set_integer(param[c.number]);
    if (CSlider* s = d->slider(parameters_dialog::DelaySlider)) s->set_value(param[parameter::StyleDelayPercent]);
    Synthe* synth = output_synthesizer();
    for (const ControlOf& c : kPercussionPopups) {
        CPopup* p = d->popup(c.item);
        if (!p) continue;
        short chosen = 0;  // the last sound of that note
        for (short k = 1; synth && k <= synth->tot_percu && k <= p->total(); k++)
            if (synth->percu[k].note == param[c.number]) chosen = k;
        p->set_cur(chosen);
    }
}

void get_param(CDialog* d)
{
    ParameterValues v = current_values();
    for (const ControlOf& c : kPopups)
        if (CPopup* p = d->popup(c.item); p && p->get_cur() > 0) v.v[c.number] = p->get_cur();
    for (const ControlOf& c : kChecks)
        if (CCheck* k = d->check(c.item)) v.v[c.number] = k->get_value() ? 1 : 0;
    for (const ControlOf& c : kFields)
        if (CTextedit* t = d->te(c.item)) v.v[c.number] = t->get_integer();
    if (CSlider* s = d->slider(parameters_dialog::DelaySlider)) v.v[parameter::StyleDelayPercent] = s->get_value();
    // No sound chosen, or no synthesizer: the parameter keeps its note.
    Synthe* synth = output_synthesizer();
    for (const ControlOf& c : kPercussionPopups) {
        CPopup* p = d->popup(c.item);
        const short k = p ? p->get_cur() : 0;
        if (synth && k >= 1 && k <= synth->tot_percu) v.v[c.number] = synth->percu[k].note;
    }
    validate_parameters(&v);
    store_values(v);
}

short parameters_dialog_item(CDialog* d, short item)
{
    switch (item) {
    case parameters_dialog::Ok:
        get_param(d);
        if (!write_parameters()) {
            // What was entered stays in force for this run.
            const std::string l1 = text_line(1), l2 = text_line(2);
            application->warning(l1.c_str(), parameters_file().c_str(), l2.c_str());
            return 1;
        }
        if (parameter_hooks.style_delays_changed) parameter_hooks.style_delays_changed();
        read_parameters();
        return 1;
    case parameters_dialog::Cancel:
        read_parameters();
        return 1;
    case parameters_dialog::Defaults:
        init_param();
        set_param(d);
        return 0;
    default:
        return 0;
    }
}

void parametres()
{
    CDialog* d = new CDialog("MISC", "Brindlecot.res", parameters_dialog::Number, default_dialog_handler, 0);
    if (Synthe* synth = output_synthesizer()) {
        for (const ControlOf& c : kPercussionPopups)
            if (CPopup* p = d->popup(c.item)) {
                p->clear();
                for (short k = 1; k <= synth->tot_percu; k++) p->add(synth->percu[k].nom);
            }
    }
    set_param(d);
    Event ev;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (parameters_dialog_item(d, ev.item)) break;
    }
    delete d;
}

// ---- Key equivalents ----

short equivalent_note(short layout, char c)
{
    if (layout < 1 || layout > kKeyLayouts) return 0;
    for (short k = 1; k <= kKeyPositions; k++)
        if (eqcla[layout][k] == c) return (short)(k + kFirstKeyNote - 1);
    return 0;
}

std::string keyboard_bytes()
{
    std::string bytes = std::to_string(eqmod) + "\n";
    for (short l = 1; l <= kKeyLayouts; l++) {
        eqcla[l][0] = 0;
        bytes.append(eqcla[l], kKeyPositions + 1);
    }
    return bytes;
}

void parse_keyboard_bytes(const std::string& bytes)
{
    short layout = 1;
    int used = 0;
    if (std::sscanf(bytes.c_str(), "%hd\n%n", &layout, &used) != 1) return;
    // The line ends at its first line feed; "%hd\n" also took the blanks after it.
    eqmod = std::clamp<short>(layout, 1, kKeyLayouts);
    size_t at = (size_t)used;
    for (short l = 1; l <= kKeyLayouts && at + kKeyPositions + 1 <= bytes.size(); l++) {
        std::memcpy(eqcla[l], bytes.data() + at, kKeyPositions + 1);
        eqcla[l][0] = 0;
        at += kKeyPositions + 1;
    }
}

std::string keyboard_file() { return user_file("Keyboard.dat"); }

void load_equivalents_clavier()
{
    eqmod = 1;
    playing_note = 0;
    std::memset(eqcla, 0, sizeof eqcla);
    std::string bytes;
    if (read_file(keyboard_file(), &bytes)) parse_keyboard_bytes(bytes);
}

short write_equivalents_clavier() { return write_file(keyboard_file(), keyboard_bytes()) ? 1 : 0; }

void show_equivalents(CDialog* d)
{
    if (CPopup* p = d->popup(equivalents_dialog::Layout)) p->set_cur(eqmod);
    for (short k = 1; k <= kKeyPositions; k++)
        if (CTextedit* t = d->te((short)(equivalents_dialog::FirstField + k - 1))) {
            const char text[2] = {eqcla[eqmod][k], 0};
            t->set_text(text);
        }
}

void store_equivalents(CDialog* d)
{
    for (short k = 1; k <= kKeyPositions; k++)
        if (CTextedit* t = d->te((short)(equivalents_dialog::FirstField + k - 1))) {
            CString s;
            t->get_text(&s);
            eqcla[eqmod][k] = s.get() ? s.get()[0] : 0;
        }
}

short equivalents_dialog_item(CDialog* d, short item)
{
    switch (item) {
    case equivalents_dialog::Layout:
        store_equivalents(d);
        if (CPopup* p = d->popup(equivalents_dialog::Layout))
            eqmod = std::clamp<short>(p->get_cur(), 1, kKeyLayouts);
        show_equivalents(d);
        return 0;
    case equivalents_dialog::Ok:
        store_equivalents(d);
        write_equivalents_clavier();
        return 1;
    case equivalents_dialog::Cancel:
        load_equivalents_clavier();
        return 1;
    default:
        return 0;
    }
}

void edit_equivalents_clavier()
{
    CDialog* d = new CDialog("MISC", "Brindlecot.res", equivalents_dialog::Number, default_dialog_handler, 0);
    show_equivalents(d);
    Event ev;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (equivalents_dialog_item(d, ev.item)) break;
    }
    delete d;
}

void joue_equivalent_clavier(short c)
{
    const bool release = c >= 1000;
    const short note = equivalent_note(eqmod, (char)(release ? c - 1000 : c));
    if (release) {
        if (note != 0 && note == playing_note) {
            if (key_equivalent_hooks.note_off) key_equivalent_hooks.note_off(note);
            playing_note = 0;
        }
        return;
    }
    if (note == playing_note) return;
    if (playing_note && key_equivalent_hooks.note_off) key_equivalent_hooks.note_off(playing_note);
    playing_note = note;
    if (note && key_equivalent_hooks.note_on) key_equivalent_hooks.note_on(note);
}
