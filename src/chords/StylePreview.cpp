#include "chords/StylePreview.h"

#include <algorithm>

#include "midi/CStyleFile.h"

namespace {

void to_array(const std::vector<short>& vars, CArrayInt* out)
{
    out->clear();
    for (short v : vars) out->add(v);
}

}  // namespace

void CStylePreviewPlayer::set_up(short volume_percent) { style->send_config(volume_percent); }

short CStylePreviewPlayer::start(const std::vector<short>& vars)
{
    CArrayInt a;
    to_array(vars, &a);
    return style->start(&a);
}

void CStylePreviewPlayer::play_upto(const std::vector<short>& vars, int32_t when)
{
    CArrayInt a;
    to_array(vars, &a);
    style->play_upto(&a, when);
}

void CStylePreviewPlayer::stop() { style->stop(); }

int32_t CStylePreviewPlayer::length(short var) { return style->get_length(var); }

short CStylePreviewPlayer::measures(short var)
{
    CStyleVariation* v = style->get_variation(var);
    return v ? v->tot_mes : 0;
}

void CStylePreviewPlayer::fit(const std::string& chord_name)
{
    std::string text = chord_name;
    if (text.empty() || !chord.set_chord_name(&text[0])) return;
    style->arranger(&chord);
}

std::vector<short> variations_named(const std::string& text, const std::string& style_name,
                                    const std::vector<std::string>& variation_names)
{
    std::vector<short> found;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t mark = line.find('@');
        if (mark == std::string::npos || line.compare(0, mark, style_name) != 0) continue;
        const std::string variation = line.substr(mark + 1);
        for (size_t i = 0; i < variation_names.size(); i++)
            if (variation_names[i] == variation) {
                found.push_back((short)(i + 1));
                break;
            }
    }
    return found;
}

int32_t preview_change_limit(int32_t length, short measures, int32_t start_unit,
                             int32_t change_unit, bool changed)
{
    if (!changed || change_unit <= 0 || measures <= 0) return length;
    const int32_t bar = length / measures;
    if (bar <= 0) return length;
    return std::min(length, ((change_unit - start_unit) / bar + 1) * bar);
}

void StylePreview::set_player(std::unique_ptr<PreviewPlayer> p)
{
    std::lock_guard<std::mutex> g(lock);
    if (player && !cur_var.empty()) player->stop();
    player = std::move(p);
    cur_var.clear();
    next_var.clear();
    change_unit = -1;
    redraw.store(true, std::memory_order_release);
}

StylePreview::State StylePreview::state() const
{
    std::lock_guard<std::mutex> g(lock);
    State s;
    s.cur_var = cur_var;
    s.next_var = next_var;
    s.cur_chord = cur_chord;
    s.next_chord = next_chord;
    s.preview_on = preview_on;
    s.has_style = player != nullptr;
    return s;
}

bool StylePreview::playing() const
{
    std::lock_guard<std::mutex> g(lock);
    return preview_on && !cur_var.empty();
}

void StylePreview::start_locked(int32_t now, short volume_percent, int32_t lead)
{
    player->set_up(volume_percent);
    player->start(cur_var);
    start_unit = now + lead;
}

void StylePreview::switch_preview(bool on, int32_t now, short volume_percent,
                                  const std::string& chord_name)
{
    std::lock_guard<std::mutex> g(lock);
    preview_on = on;
    if (!player) return;
    if (on) {
        player->fit(chord_name);
        start_locked(now, volume_percent, kStartLead);
    } else {
        player->stop();
    }
}

void StylePreview::set_tempo_fixed(bool fixed)
{
    std::lock_guard<std::mutex> g(lock);
    tempo_fixe = fixed;
}

StyleClickResult StylePreview::click(short cell, bool ctrl, int32_t now, short volume_percent)
{
    std::lock_guard<std::mutex> g(lock);
    StyleClickResult r;
    const auto chosen = std::find(next_var.begin(), next_var.end(), cell);
    if (ctrl) {
        // A set of variations changes at the end of the loop.
        if (cur_var.size() == 1 && cur_var[0] == cell) return r;
        if (chosen != next_var.end())
            next_var.erase(chosen);
        else
            next_var.push_back(cell);
        if (!preview_on) cur_var = next_var;
        stylechange = true;
        r.redraw = true;
        return r;
    }
    if (chosen != next_var.end()) return r;
    next_var.clear();
    if (cell) next_var.push_back(cell);
    if (!cur_var.empty()) change_unit = now;  // at the end of this bar
    r.redraw = true;
    if (cur_var.empty() && !next_var.empty() && preview_on && player) {
        cur_var = {next_var[0]};
        player->set_up(volume_percent);
        const short tempo = player->start(cur_var);
        if (tempo && !tempo_fixe) r.tempo = tempo;
        start_unit = now + kStartLead;
        change_unit = -1;
    }
    if (!preview_on) {
        cur_var.clear();
        if (!next_var.empty()) cur_var.push_back(next_var[0]);
    }
    stylechange = true;
    return r;
}

void StylePreview::take_variations(const std::vector<short>& vars, int32_t now,
                                   short volume_percent)
{
    std::lock_guard<std::mutex> g(lock);
    next_var = vars;
    if (preview_on && cur_var.empty()) {
        cur_var = next_var;
        if (player) start_locked(now, volume_percent, kVariationsLead);
    }
    if (!preview_on) cur_var = next_var;
    redraw.store(true, std::memory_order_release);
}

ChordTake StylePreview::choose_chord(short cell, const std::string& name, bool double_click)
{
    std::lock_guard<std::mutex> g(lock);
    ChordChoiceState s{cur_chord, next_chord, !cur_var.empty(), preview_on};
    const ChordTake take = choose_chord_cell(&s, cell, double_click);
    if (take == ChordTake::nothing) return take;
    cur_chord = s.cur_chord;
    next_chord = s.next_chord;
    next_chord_name = name;
    if (take == ChordTake::at_once && player) player->fit(name);
    return take;
}

void StylePreview::stop_all()
{
    std::lock_guard<std::mutex> g(lock);
    if (player) player->stop();
    cur_var.clear();
    next_var.clear();
    change_unit = -1;
    redraw.store(true, std::memory_order_release);
}

void StylePreview::reset_chords(short cell, const std::string& name)
{
    std::lock_guard<std::mutex> g(lock);
    cur_chord = next_chord = cell;
    next_chord_name = name;
    if (player && cell) player->fit(name);
}

void StylePreview::step(int32_t now)
{
    std::lock_guard<std::mutex> g(lock);
    if (cur_var.empty() || !preview_on || !player) return;
    const int32_t length = player->length(cur_var[0]);
    if (length <= 0) return;
    const bool changed = next_var != cur_var;
    int32_t elapsed = now - start_unit;
    const int32_t limit = preview_change_limit(length, player->measures(cur_var[0]), start_unit,
                                               change_unit, changed);
    if (elapsed < limit) {
        player->play_upto(cur_var, elapsed);
        return;
    }
    if (limit < length) {
        player->play_upto(cur_var, limit - 1);
        player->stop();
        change_unit = -1;
        start_unit = now;
    } else {
        player->play_upto(cur_var, length);
        start_unit += length;
    }
    elapsed = now - start_unit;
    cur_var = next_var;
    if (next_chord != cur_chord) {
        cur_chord = next_chord;
        if (cur_chord) {
            player->fit(next_chord_name);
            switched_chord.store(cur_chord, std::memory_order_release);
        }
    }
    redraw.store(true, std::memory_order_release);
    if (cur_var.empty()) return;
    const short tempo = player->start(cur_var);
    if (tempo && stylechange && !tempo_fixe) switched_tempo.store(tempo, std::memory_order_release);
    stylechange = false;
    player->play_upto(cur_var, elapsed);
}
