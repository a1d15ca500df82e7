// The play-along view's arranging members: a composition's chords and styles turned into its
// accompaniment tracks, and the chords and styles dropped onto its measures.
#include "app/Application.h"
#include "app/StyleArrangement.h"
#include "app/ViewBrindlecot.h"
#include "framework/CApplication.h"
#include "framework/CUserPanel.h"
#include "layout/UtilitairesPartition.h"
#include "midi/CMidi.h"
#include "midi/CStyleFile.h"
#include "platform/FileSystem.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/CTimeSig.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/Piste.h"
#include "score/StructureSlots.h"
#include "score/Synthe.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr short kMaxInstruments = 16;
constexpr short kAutomaticChannel = 0x0002;  // `autom` bit: the channel is chosen by the program
constexpr short kAnnotationFontSize = 10;
constexpr short kInstrumentNameMax = 30;
constexpr unsigned char kVolume = 7, kBalance = 10, kReverb = 91, kChorus = 93;

const char* const kNoChannelLine1 = "Impossible d'int\xE9grer le style";
const char* const kNoChannelLine2 = "dans ce document.";
const char* const kNoChannelLine3 = "Il n'y a plus assez de canaux MIDI disponibles.";
const char* const kFullLine3 = "Le document a d\xE9j\xE0 16 instruments.";
const char* const kUnknownChord = "Cet accord n'est pas reconnu :";

std::string lower(std::string s)
{
    for (char& c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

std::string text_of(CTextBloc* b) { return b && b->text.get() ? b->text.get() : ""; }

// Blocks of one kind in a measure, in item order.
std::vector<CTextBloc*> blocks(CMeasure* m, int32_t color)
{
    std::vector<CTextBloc*> found;
    if (!m) return found;
    for (short i = 1; i <= m->total(); i++)
        if (CTextBloc* b = m->get_textbloc_item(i))
            if (b->color == color) found.push_back(b);
    return found;
}

// The first block of a kind in measure `measure` of the first staff, or a new one.
CTextBloc* first_or_new_block(CMeasure* m, short measure, int32_t color)
{
    std::vector<CTextBloc*> found = blocks(m, color);
    if (!found.empty()) return found.front();
    CTextBloc* b = new CTextBloc;
    b->color = color;
    b->meas = measure;
    b->staff = 1;
    m->add(b);
    return b;
}

void place_block(CTextBloc* b, short x, short y, bool sized)
{
    b->x = x;
    b->y = y;
    if (sized) b->font.set_size(kAnnotationFontSize);
}

void remove_blocks(CMeasure* m, int32_t color)
{
    if (!m) return;
    for (short i = m->total(); i >= 1; i--)
        if (CTextBloc* b = m->get_textbloc_item(i))
            if (b->color == color) {
                m->remove(i);
                delete b;
            }
}

short master_measures(Document* d)
{
    if (!d || d->tot_sys < 1 || !d->sys[1] || d->sys[1]->tot_por < 1) return 0;
    const Portee* first = d->por[d->sys[1]->por[1]];
    return first ? first->tot_mes : 0;
}

// Start ticks of measures 1..N + 1 (entry m: the sum of the lengths before measure m).
std::vector<int32_t> measure_starts(Document* d, short N)
{
    std::vector<int32_t> starts((size_t)N + 2, 0);
    for (short m = 1; m <= N; m++) {
        CMeasure* M = mesure_maitre(d, m, 1);
        starts[(size_t)m + 1] = starts[(size_t)m] + (M ? M->length : 0);
    }
    return starts;
}

std::vector<MeasureNotes> read_annotations(Document* d, short N)
{
    std::vector<MeasureNotes> notes((size_t)N + 1);
    for (short m = 1; m <= N; m++) {
        CMeasure* M = mesure_maitre(d, m, 1);
        if (!M) continue;
        MeasureNotes& n = notes[(size_t)m];
        for (short i = 1; i <= M->total(); i++) {
            CTextBloc* b = M->get_textbloc_item(i);
            if (!b) continue;
            if (b->color == annotation::Chord) {
                n.chord = true;
                n.chord_name = text_of(b);
            } else if (b->color == annotation::StyleBlock) {
                n.style_block = true;
                n.style_text = text_of(b);
            } else if (b->color == annotation::StyleLabel) {
                n.label = true;
            }
        }
    }
    return notes;
}

CStyleVariation* find_variation(CStyleFile* style, const std::string& name, short* number)
{
    for (short v = 1; style && v <= style->total_variations(); v++) {
        CStyleVariation* var = style->get_variation(v);
        if (var && var->name.get() && name == var->name.get()) {
            if (number) *number = v;
            return var;
        }
    }
    return nullptr;
}

// The style tracks' channels and programs, and whether each sounds in the spans given.
std::vector<StyleTrackUse> style_track_uses(CStyleFile* style, const std::vector<CStyleVariation*>& spans)
{
    std::vector<StyleTrackUse> uses;
    for (short t = 1; t <= style->total(); t++) {
        const CPiste* p = style->get(t);
        StyleTrackUse u;
        u.chan = p ? p->chan : 0;
        u.pg = p ? p->pg : -1;
        u.sounds = false;
        for (CStyleVariation* v : spans)
            if (p && sounds_between(p->events, p->tot, v->start_time, v->stop_time)) u.sounds = true;
        uses.push_back(u);
    }
    return uses;
}

// What the copy of one variation measure writes into one document track.
struct TrackWrite {
    short channel = 0;
    short patch = 0;
    std::string name;
    std::vector<MidiEvent> events;
    short first_measure = 0, last_measure = 0;  // controllers over these measures
    short controllers[4][2] = {};               // controller, value; value -1 none
};

// The writes of measure `var_measure` of a variation copied at document measure `measure`;
// the document's track state is brought up to date with them. 0 when a channel lies beyond
// the 16 instruments the document can have.
short plan_variation_measure(CStyleFile* style, CStyleVariation* var, short measure, short var_measure,
                             const std::vector<short>& map, int32_t t0, short N,
                             std::vector<DocumentTrackUse>* state, std::vector<TrackWrite>* writes)
{
    int32_t from = 0, to = 0;
    variation_window(var->start_time, var->stop_time, var->tot_mes, var_measure, &from, &to);
    for (short t = 1; t <= style->total() && t < (short)map.size(); t++) {
        const CPiste* p = style->get(t);
        const short c = map[(size_t)t];
        if (!p || c < 1) continue;
        const short tot_ins = (short)(state->size() - 1);
        if (c > tot_ins) {
            // The document grows by one instrument at a time, up to 16.
            if (tot_ins >= kMaxInstruments) return 0;
            state->push_back(DocumentTrackUse{});
            if (c > tot_ins + 1) return 0;
        }
        TrackWrite w;
        w.channel = c;
        w.patch = (short)(p->pg + 1);
        w.name = p->name.get() ? p->name.get() : "";
        if (w.name.size() > (size_t)kInstrumentNameMax) w.name.resize(kInstrumentNameMax);
        variation_measure_events(p->events, p->tot, style->get_delai(t), from, to, t0, c,
                                 style->arrangement[p->chan & 0x0F], &w.events);
        w.first_measure = measure;
        w.last_measure = std::min<short>(N, (short)(measure + var->tot_mes - 1));
        const short values[4][2] = {{kVolume, p->vol}, {kBalance, p->bal}, {kReverb, p->rev}, {kChorus, p->cho}};
        std::memcpy(w.controllers, values, sizeof values);
        DocumentTrackUse& use = (*state)[(size_t)c];
        use.patch = w.patch;
        bool controllers = false;
        for (const auto& cv : w.controllers) controllers = controllers || cv[1] >= 0;
        if (!w.events.empty() || controllers) use.empty = false;
        writes->push_back(std::move(w));
    }
    return 1;
}

// Controller `controller` = value in track c over measures first..last: the first such event
// of each measure takes the value and the later ones go; a measure without one gets one at its
// start.
void set_controller(Document* d, short c, unsigned char controller, short value, short first, short last,
                    const std::vector<int32_t>& starts)
{
    // A track's number is its channel, as for the notes copied into it.
    const unsigned char status = (unsigned char)(0xB0 + ((c - 1) & 0x0F));
    for (short m = first; m <= last; m++) {
        Piste* t = d->piste[c];
        const int32_t a = starts[(size_t)m], b = starts[(size_t)m + 1];
        short found = 0;
        // The events are in time order: the measure's first one is found by halving.
        const MidiEvent* first = std::lower_bound(t->event + 1, t->event + 1 + t->tot, a,
                                                  [](const MidiEvent& e, int32_t time) { return e.time < time; });
        for (short i = (short)(first - t->event); i <= t->tot; i++) {
            MidiEvent& e = t->event[i];
            if (e.time >= b) break;
            if ((e.buf[0] & 0xF0) != 0xB0 || e.buf[1] != controller || e.buf[3] != 0xFF) continue;
            if (!found) {
                found = i;
                e.buf[2] = (unsigned char)std::clamp<short>(value, 0, 127);
            } else {
                std::memmove(&t->event[i], &t->event[i + 1], sizeof(MidiEvent) * (size_t)(t->tot - i));
                t->tot--;
                i--;
            }
        }
        if (!found) {
            char bytes[3] = {(char)status, (char)controller, (char)std::clamp<short>(value, 0, 127)};
            send_piste(c, a, 3, bytes);
        }
    }
}

// Removes the events of track c in t0..t1 (t1 excluded).
void erase_between(Piste* t, int32_t t0, int32_t t1)
{
    short first = 1;
    while (first <= t->tot && t->event[first].time < t0) first++;
    short end = first;
    while (end <= t->tot && t->event[end].time < t1) end++;
    const short removed = (short)(end - first);
    if (removed <= 0) return;
    std::memmove(&t->event[first], &t->event[end], sizeof(MidiEvent) * (size_t)(t->tot - end + 1));
    t->tot = (short)(t->tot - removed);
}

bool track_empty_outside(const Piste* t, int32_t t0, int32_t t1)
{
    for (short i = 1; t && i <= t->tot; i++)
        if (t->event[i].time < t0 || t->event[i].time >= t1) return false;
    return true;
}

void apply_writes(Document* d, const std::vector<TrackWrite>& writes, short N, const std::vector<int32_t>& starts)
{
    for (const TrackWrite& w : writes) {
        if (w.channel > d->tot_ins) {
            short counter = 0;
            if (!ajouter_piste_portee_midi(&counter, N) || w.channel > d->tot_ins) continue;
        }
        Ins& ins = d->ins[w.channel];
        ins.patch = w.patch;
        // The track's number is its channel, kept when the MIDI settings are completed; the
        // program keeps its sound group and bank so that it is not dropped as unknown.
        ins.canal = w.channel;
        ins.autom = (short)(ins.autom & ~kAutomaticChannel);
        ins.groupe = 1;
        if (Synthe* syn = get_synthe(ins.synthe))
            for (short i = 1; i <= syn->tot_instr; i++)
                if (syn->instr[i].num == w.patch) {
                    ins.groupe = syn->instr[i].groupe > 0 ? syn->instr[i].groupe : (short)1;
                    ins.bank = syn->instr[i].bank;
                    break;
                }
        std::snprintf(ins.nom, sizeof ins.nom, "%s", w.name.c_str());
        for (const MidiEvent& e : w.events) {
            char bytes[4];
            std::memcpy(bytes, e.buf, 4);
            short length = 0;
            while (length < 4 && e.buf[length] != 0xFF) length++;
            send_piste(w.channel, e.time, length, bytes);
        }
        for (const auto& cv : w.controllers)
            if (cv[1] >= 0) set_controller(d, w.channel, (unsigned char)cv[0], cv[1], w.first_measure, w.last_measure, starts);
        maj_rel_piste_mesures(w.channel);
    }
}

}  // namespace

namespace {

// The styles of "Misc/Styles", loaded once by the first arrangement of the run.
class StyleShelf {
public:
    CStyleFile* find(const std::string& name)
    {
        if (!loaded) load();
        const std::string wanted = lower(name);
        for (const auto& s : styles)
            if (s->name.get() && lower(s->name.get()) == wanted) return s.get();
        return nullptr;
    }

private:
    void load()
    {
        loaded = true;
        std::string folder = format_file_name("MISC", "Styles");
        std::vector<platform::DirectoryEntry> entries;
        if (folder.empty() || !platform::list_directory(folder + "/*.mid", &entries)) return;
        for (const platform::DirectoryEntry& e : entries) {
            if (e.directory || e.name.size() < 5) continue;
            const std::string ext = lower(e.name.substr(e.name.size() - 4));
            if (ext != ".mid") continue;
            auto style = std::make_unique<CStyleFile>();
            if (style->load_from_folder(folder.c_str(), e.name.substr(0, e.name.size() - 4).c_str()))
                styles.push_back(std::move(style));
        }
    }
    bool loaded = false;
    std::vector<std::unique_ptr<CStyleFile>> styles;
};

StyleShelf& shelf()
{
    static StyleShelf styles;  // read-only files, loaded once for the run
    return styles;
}

}  // namespace

CStyleFile* find_style(const char* name) { return shelf().find(name ? name : ""); }

short Brindlecot::arrange(short first, short last)
{
    if (!set_cur_doc(id, sub_id) || !doc) return 0;
    Document* d = doc;
    const short N = master_measures(d);
    if (N < 1 || first > N) return 1;
    first = std::max<short>(first, 1);
    PlayerPause pause;
    const std::vector<MeasureNotes> notes = read_annotations(d, N);
    last = arrangement_last(notes, first, last);
    const std::vector<int32_t> starts = measure_starts(d, N);
    const int32_t t0 = starts[(size_t)first], t1 = starts[(size_t)last + 1];

    const auto length = [](const StyleLine& l) -> short {
        CStyleVariation* v = find_variation(find_style(l.style.c_str()), l.variation, nullptr);
        return v ? v->tot_mes : 0;
    };
    const auto parses = [](const std::string& name) {
        CChord c;
        std::vector<char> text(name.begin(), name.end());
        text.push_back(0);
        return c.set_chord_name(text.data()) != 0;
    };
    const std::vector<PlannedMeasure> plan = arrangement_plan(notes, first, last, length, parses);

    // Everything is decided before anything is erased: the tracks as the erasure leaves them,
    // then each measure's channels and events.
    std::vector<DocumentTrackUse> state((size_t)d->tot_ins + 1);
    for (short c = 1; c <= d->tot_ins; c++) {
        state[(size_t)c].patch = d->ins[c].patch;
        const Piste* t = c <= d->tot_piste ? d->piste[c] : nullptr;
        state[(size_t)c].empty = c == 1 ? (!t || t->tot == 0) : track_empty_outside(t, t0, t1);
    }
    std::vector<TrackWrite> writes;
    for (const PlannedMeasure& p : plan) {
        CStyleFile* style = find_style(p.what.style.c_str());
        CStyleVariation* var = find_variation(style, p.what.variation, nullptr);
        if (!style || !var) continue;
        CChord chord;
        if (!p.chord.empty()) {
            std::vector<char> text(p.chord.begin(), p.chord.end());
            text.push_back(0);
            chord.set_chord_name(text.data());
        }
        style->arranger(&chord);
        std::vector<short> map;
        const bool mapped = channel_map(state, style_track_uses(style, {var}), &map) != 0;
        if (!mapped || !plan_variation_measure(style, var, p.measure, p.k, map, starts[(size_t)p.measure], N, &state, &writes)) {
            if (application)
                application->warning(kNoChannelLine1, kNoChannelLine2, mapped ? kFullLine3 : kNoChannelLine3);
            return 0;
        }
    }

    for (short c = 2; c <= d->tot_ins && c <= d->tot_piste; c++) {
        if (!d->piste[c]) continue;
        erase_between(d->piste[c], t0, t1);
        maj_rel_piste_mesures(c);
    }
    apply_writes(d, writes, N, starts);
    return 1;
}

short Brindlecot::transferer_style(short measure, CStyleFile* style, short variation, short var_measure,
                                   const std::vector<short>& channel_map)
{
    if (!style || style->total() < 1) return 1;
    if (!set_cur_doc(id, sub_id) || !doc) return 1;
    Document* d = doc;
    CStyleVariation* var = style->get_variation(variation);
    const short N = master_measures(d);
    if (!var || measure < 1 || measure > N) return 1;
    const std::vector<int32_t> starts = measure_starts(d, N);
    std::vector<DocumentTrackUse> state((size_t)d->tot_ins + 1);
    std::vector<TrackWrite> writes;
    PlayerPause pause;
    const short whole = plan_variation_measure(style, var, measure, var_measure, channel_map, starts[(size_t)measure], N,
                                               &state, &writes);
    if (!whole) {
        if (application) application->warning(kNoChannelLine1, kNoChannelLine2, kFullLine3);
        return 0;
    }
    apply_writes(d, writes, N, starts);
    return 1;
}

short Brindlecot::drop_chord(short measure, const char* name)
{
    if (!set_cur_doc(id, sub_id) || !doc || !name) return 0;
    Document* d = doc;
    CMeasure* M = mesure_maitre(d, measure, 1);
    if (!M) return 0;
    CChord chord;
    std::vector<char> text(name, name + std::strlen(name) + 1);
    if (!chord.set_chord_name(text.data())) {
        // No block shows a chord that the progression does not hold.
        if (application) application->warning(kUnknownChord, name);
        return 0;
    }
    CTextBloc* b = first_or_new_block(M, measure, annotation::Chord);
    place_block(b, 4, -30, true);
    b->text.set(name);
    if (CChordProgression* prog = d->sub_doc[1].chprog) prog->set_chord(measure, 0, &chord);
    modification = 1;
    d->modif = 1;
    if (up) up->dirty();
    return arrange(measure, 1000);
}

short Brindlecot::drop_style(short measure, CStyleFile* style, const std::vector<short>& variations, bool layer)
{
    if (!set_cur_doc(id, sub_id) || !doc) return 0;
    Document* d = doc;
    if (d->tot_ins < kMaxInstruments) return 0;
    CMeasure* M = mesure_maitre(d, measure, 1);
    const short N = master_measures(d);
    if (!M) return 0;
    std::vector<CStyleVariation*> chosen;
    if (style)
        for (short v : variations)
            if (CStyleVariation* var = style->get_variation(v)) chosen.push_back(var);
    if (!chosen.empty()) {
        // One map for all the variations dropped: refused before any annotation changes.
        std::vector<DocumentTrackUse> state((size_t)d->tot_ins + 1);
        for (short c = 1; c <= d->tot_ins; c++) {
            state[(size_t)c].patch = d->ins[c].patch;
            state[(size_t)c].empty = c > d->tot_piste || !d->piste[c] || d->piste[c]->tot == 0;
        }
        std::vector<short> map;
        if (!channel_map(state, style_track_uses(style, chosen), &map)) {
            if (application) application->warning(kNoChannelLine1, kNoChannelLine2, kNoChannelLine3);
            return 0;
        }
        // The metre of the first variation.
        const short numer = chosen.front()->numer;
        for (short s = 1; s <= nombre_portees(d); s++) {
            CMeasure* first = mesure_maitre(d, 1, s);
            for (short i = 1; first && i <= first->total(); i++)
                if (CTimeSig* ts = first->get_timesig_item(i)) {
                    if (ts->upper[1] != numer) {
                        ts->upper[1] = numer;
                        maj_duree_mesures();
                        maj_rel_piste_mesures(s);
                    }
                    break;
                }
        }
    }

    CTextBloc* block = first_or_new_block(M, measure, annotation::StyleBlock);
    place_block(block, -20, -10000, false);
    std::string text = layer ? text_of(block) : "";
    for (size_t i = 0; i < chosen.size(); i++) {
        CStyleVariation* var = chosen[i];
        if (i == 0 && var->tempo > 0) {
            d->tempo = var->tempo;
            d->sub_doc[1].tempo = var->tempo;
            if (application && application->midi) application->midi->tempo = var->tempo;
        }
        const std::string line = std::string(style->name.get() ? style->name.get() : "") + "@" +
                                 (var->name.get() ? var->name.get() : "");
        if (text.find(line) != std::string::npos) continue;
        if (!text.empty()) text += "\r";
        text += line;
    }
    block->text.set(text.c_str());

    CTextBloc* label = first_or_new_block(M, measure, annotation::StyleLabel);
    place_block(label, 4, canevas ? -60 : -50, true);
    const std::vector<std::string> lines = style_lines(text);
    StyleLine firstline;
    if (chosen.empty() || lines.empty() || !split_style_line(lines.front(), &firstline)) {
        label->text.set("");
    } else {
        std::string shown = firstline.style + "\r\n" + firstline.variation;
        if (lines.size() > 1) shown += " +...";
        label->text.set(shown.c_str());
    }

    if (!chosen.empty()) {
        CStyleVariation* var = chosen.front();
        for (short m = (short)(measure + 1); m <= std::min<short>(N, (short)(measure + var->tot_mes - 1)); m++) {
            CMeasure* later = mesure_maitre(d, m, 1);
            remove_blocks(later, annotation::StyleLabel);
            remove_blocks(later, annotation::StyleBlock);
        }
        // The chords that the variation suggests, one a measure from the drop on.
        if (var->famaccords != 0) {
            for (short i = 1; i <= var->chords.total(); i++) {
                const short m = (short)(measure + i - 1);
                CMeasure* at = mesure_maitre(d, m, 1);
                if (m > N || !at) break;
                CString* name = var->chords.get(i);
                if (!name || !name->get()) continue;
                CChord chord;
                std::vector<char> buf(name->get(), name->get() + std::strlen(name->get()) + 1);
                if (!chord.set_chord_name(buf.data())) continue;
                CTextBloc* b = first_or_new_block(at, m, annotation::Chord);
                place_block(b, 4, -30, true);
                b->text.set(name->get());
                if (CChordProgression* prog = d->sub_doc[1].chprog) prog->set_chord(m, 0, &chord);
            }
        }
    }
    modification = 1;
    d->modif = 1;
    if (up) up->dirty();
    return arrange(measure, 1000);
}
