#include "app/StyleArrangement.h"

#include <cstring>

namespace {

constexpr short kStyleDrumChan = 9;  // 0-based
constexpr unsigned char kNoByte = 0xFF;
constexpr unsigned char kNoPitch = 0xFF;

bool is_note_on_event(const MidiEvent& e) { return (e.buf[0] & 0xF0) == 0x90 && e.buf[2] != 0 && e.buf[2] != kNoByte; }
bool is_note_off_event(const MidiEvent& e)
{
    return (e.buf[0] & 0xF0) == 0x80 || ((e.buf[0] & 0xF0) == 0x90 && e.buf[2] == 0);
}
bool is_midi_message(const MidiEvent& e) { return (e.buf[0] & 0x80) != 0 && e.buf[0] != kNoByte; }

}  // namespace

short channel_map(const std::vector<DocumentTrackUse>& document, const std::vector<StyleTrackUse>& style,
                  std::vector<short>* map)
{
    const short tot_ins = (short)(document.empty() ? 0 : document.size() - 1);
    bool free_channel[kMaxChannels + 1];
    bool used[kMaxChannels + 1];
    for (short c = 1; c <= kMaxChannels; c++) {
        used[c] = false;
        // The melody's and the drums' channels are never given to a style track.
        if (c == kMelodyChannel || c == kDrumChannel)
            free_channel[c] = false;
        else
            free_channel[c] = c > tot_ins || document[c].empty;
    }
    map->assign(style.size() + 1, 0);
    for (size_t t = 0; t < style.size(); t++) {
        const StyleTrackUse& s = style[t];
        short chosen = 0;
        if (s.chan == kStyleDrumChan) {
            chosen = kDrumChannel;
        } else if (!s.sounds) {
            chosen = kSilentChannel;
        } else {
            for (short c = 2; c <= kMaxChannels && !chosen; c++) {
                if (c == kDrumChannel || used[c] || free_channel[c] || c > tot_ins) continue;
                if (document[c].patch - 1 == s.pg) chosen = c;
            }
            for (short c = 1; c <= kMaxChannels && !chosen; c++)
                if (free_channel[c]) chosen = c;
            if (!chosen) return 0;
            used[chosen] = true;
            free_channel[chosen] = false;
        }
        (*map)[t + 1] = chosen;
    }
    return 1;
}

void variation_window(int32_t start, int32_t stop, short measures, short k, int32_t* from, int32_t* to)
{
    const int32_t unit = measures > 0 ? (stop - start) / measures : 0;
    *from = start + (k - 1) * unit;
    *to = start + k * unit;
}

bool sounds_between(const MidiEvent* events, int32_t tot, int32_t start, int32_t stop)
{
    for (int32_t i = 1; i <= tot; i++)
        if (events[i].time >= start && events[i].time < stop) return true;
    return false;
}

void variation_measure_events(const MidiEvent* events, int32_t tot, short delay, int32_t from, int32_t to,
                              int32_t t0, short channel, const unsigned char* pitch_map, std::vector<MidiEvent>* out)
{
    for (int32_t i = 1; i <= tot; i++) {
        MidiEvent e = events[i];
        if (is_note_on_event(e)) e.time += delay;
        if (e.time < from) continue;
        if (e.time > to) break;
        if (e.time == to) {
            if (!is_note_off_event(e)) break;
            e.time = to - 1;
        }
        if (!is_midi_message(e)) continue;
        short length = 0;
        while (length < 4 && e.buf[length] != kNoByte) length++;
        MidiEvent copy;
        copy.time = e.time - from + t0;
        std::memset(copy.buf, kNoByte, sizeof copy.buf);
        std::memcpy(copy.buf, e.buf, (size_t)length);
        if (length == 3) {
            copy.buf[0] = (unsigned char)((copy.buf[0] & 0xF0) | ((channel - 1) & 0x0F));
            if ((copy.buf[0] & 0xE0) == 0x80) {
                const unsigned char pitch = pitch_map ? pitch_map[copy.buf[1] & 0x7F] : copy.buf[1];
                if (pitch == kNoPitch || pitch > 127) continue;
                copy.buf[1] = pitch;
            }
        }
        out->push_back(copy);
    }
}

bool split_style_line(const std::string& line, StyleLine* out)
{
    const size_t at = line.find('@');
    if (at == std::string::npos) return false;
    out->style = line.substr(0, at);
    out->variation = line.substr(at + 1);
    return true;
}

std::vector<std::string> style_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    bool any = false;
    for (size_t i = 0; i < text.size(); i++) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            any = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') i++;
        } else {
            line += c;
            any = true;
        }
    }
    if (any) lines.push_back(line);
    return lines;
}

short arrangement_last(const std::vector<MeasureNotes>& measures, short first, short last)
{
    const short count = (short)(measures.empty() ? 0 : measures.size() - 1);
    if (last > count) last = count;
    bool chord = false, label = false;
    for (short m = (short)(first + 1); m <= last; m++) {
        chord = chord || measures[m].chord;
        label = label || measures[m].label;
        if (chord && label) return (short)(m - 1);
    }
    return last;
}

std::vector<PlannedMeasure> arrangement_plan(const std::vector<MeasureNotes>& measures, short first, short last,
                                             const std::function<short(const StyleLine&)>& variation_length,
                                             const std::function<bool(const std::string&)>& parses)
{
    std::vector<PlannedMeasure> plan;
    const short count = (short)(measures.empty() ? 0 : measures.size() - 1);
    if (last > count) last = count;
    std::string chord;
    std::vector<std::string> lines;
    short k = 1;
    for (short m = 1; m <= last; m++) {
        const MeasureNotes& notes = measures[m];
        if (notes.chord && parses(notes.chord_name)) chord = notes.chord_name;
        if (notes.style_block) {
            std::vector<std::string> block = style_lines(notes.style_text);
            if (!block.empty()) {
                lines = std::move(block);
                k = 1;
            }
        }
        if (lines.empty() || m < first) continue;
        short last_length = 0;
        for (size_t l = 0; l < lines.size(); l++) {
            StyleLine what;
            last_length = 0;
            if (!split_style_line(lines[l], &what)) continue;
            last_length = variation_length(what);
            if (last_length <= 0) continue;
            // A layered variation shorter than the last line's wraps within its own measures
            // rather than reading past its end into the next variation.
            plan.push_back(PlannedMeasure{m, (short)(l + 1), chord, what, (short)((k - 1) % last_length + 1)});
        }
        if (last_length > 0 && ++k > last_length) k = 1;
    }
    return plan;
}
