// Automatic beams: eighths and shorter notes are joined to the previous note of their voice
// when both start in one beat group of the document's grouping pattern, share a tuplet, or the
// user asked for it; each group gets an id in the notes' `gid` and a new beam item.
#include <vector>

#include "layout/ColumnJustifier.h"
#include "layout/UtilitairesGroupesAccords.h"

namespace {

constexpr short GROUPS = 50;

// tab_lig: entry 0 is 0 and entry i the tick at which beat group i ends.
void group_bounds(const Document* d, const CMeasure* mes, int32_t* tab_lig) {
    short pattern[GROUPS + 1] = {};
    for (short i = 1; i <= 8; i++) pattern[i] = (short)((d->ligatures >> (4 * (i - 1))) & 0xF);
    if (d->ligatures == 0)
        pattern[1] = (mes->length_beat < 480 && mes->tot_beat % 3 == 0) ? 3 : 1;
    if (pattern[1] == 0) pattern[1] = 1;
    short used = 1;
    while (used < 8 && pattern[used + 1] != 0) used++;
    for (short i = (short)(used + 1); i <= GROUPS; i++) pattern[i] = pattern[i - used];
    tab_lig[0] = 0;
    for (short i = 1; i <= GROUPS; i++) tab_lig[i] = tab_lig[i - 1] + mes->length_beat * pattern[i];
}

// The first beat group whose end lies after `tick`; GROUPS + 1 when none.
short group_of(const int32_t* tab_lig, int32_t tick) {
    short g = 1;
    while (g <= GROUPS && tab_lig[g] <= tick) g++;
    return g;
}

}  // namespace

void ColumnJustifier::beam_voice(CMeasure* mes, short voice, const std::vector<GridEvent>& events) {
    int32_t tab_lig[GROUPS + 1];
    group_bounds(d, mes, tab_lig);
    size_t n = events.size();
    std::vector<short> group(n, 0), chord(n, 0);
    std::vector<int32_t> start(n, 0);
    auto beamable = [&](size_t i) { return events[i].note && events[i].rythm > 3; };
    for (size_t i = 0; i < n; i++) {
        if (!beamable(i)) continue;
        CNote* note = events[i].note;
        start[i] = events[i].start;
        chord[i] = note->cid;
        if (i == 0) continue;
        // The previous event, or across rests the previous note when beams may span rests.
        long j = (long)i - 1;
        if (events[j].rest) {
            if (!d->ligature_silence) continue;
            while (j >= 0 && !events[j].note) j--;
            if (j < 0) continue;
        }
        if (events[j].rythm < 4) continue;
        short g1 = group_of(tab_lig, start[i]), g2 = group_of(tab_lig, start[j]);
        bool link = g1 <= GROUPS && g1 == g2;
        if (events[j].nmask & note->nmask) link = true;
        if (d->permettre_justi_manuelle) {
            if (note->flags & 0x20) link = true;
            if (note->flags & 0x80) link = false;
        }
        if (!link) continue;
        if (group[j] == 0 && (chord[i] != chord[j] || chord[i] == 0)) group[j] = d->next_pos_gid++;
        group[i] = group[j];
        if (group[j] != 0 && chord[j] != 0)
            for (size_t k = 0; k < i; k++)
                if (chord[k] == chord[j]) group[k] = group[j];
    }
    for (size_t i = 0; i < n; i++)
        if (events[i].note) events[i].note->gid = group[i];
    short last = 0;
    for (size_t i = 0; i < n; i++) {
        if (group[i] == 0 || group[i] == last) continue;
        last = group[i];
        CBeams* beam = new CBeams;
        beam->mode = (short)(voice * 256 + 1);
        beam->gid = group[i];
        mes->insert(beam, 1);
    }
    for (short i = mes->total(); i >= 1; i--)
        if (CBeams* beam = mes->get_beams_item(i)) {
            short gid = beam->gid;
            calcul_groupe(mes, &gid, scalex, scaley, up);
        }
}
