#include "chords/ChordProposals.h"

#include <algorithm>

#include "chords/ChordAudition.h"
#include "chords/HarmonyGrid.h"
#include "chords/ScaleStaff.h"
#include "score/CMeasure.h"
#include "score/CNote.h"

namespace {

constexpr short kChordToneGood = 100;
constexpr short kForeignToneBad = 100;
constexpr short kScaleToneGood = 50;
constexpr short kOutsideScaleBad = 200;
constexpr int32_t kWholeValue = 0xF00;

}  // namespace

PitchShares pitch_shares(const std::vector<std::pair<short, short>>& notes)
{
    std::array<int32_t, 128> weight{};
    for (const auto& n : notes) {
        if (n.first < 0 || n.first > 127) continue;
        const short code = std::clamp<short>(n.second, 0, 8);
        weight[(size_t)n.first] += kWholeValue >> code;
    }
    int32_t total = 0;
    for (int32_t w : weight) total += w;
    PitchShares shares{};
    if (total == 0) return shares;
    for (size_t p = 0; p < weight.size(); p++) shares[p] = (short)(weight[p] * 100 / total);
    return shares;
}

PitchShares measure_pitch_shares(CMeasure* m)
{
    std::vector<std::pair<short, short>> notes;
    for (short i = 1; m && i <= m->total(); i++)
        if (CNote* n = m->get_note_item(i)) notes.emplace_back(n->pitch, n->rythm);
    return pitch_shares(notes);
}

short proposal_mark(const PitchShares& shares, uint16_t chord_classes, short key)
{
    const short s = clamp_scale_key(key);
    int32_t good = 0, bad = 0;
    for (short p = 0; p < 128; p++) {
        if (shares[(size_t)p] == 0) continue;
        const short pc = (short)(p % 12);
        if ((chord_classes >> pc) & 1)
            good += kChordToneGood;
        else
            bad += kForeignToneBad;
        if (scale_sign(s, pc) == -1)
            bad += kOutsideScaleBad;
        else
            good += kScaleToneGood;
    }
    if (good + bad == 0) return kNoMark;
    const int32_t q = good * 100 / (good + bad);
    return q < 50 ? kNoMark : (short)((q - 50) * 2);
}

uint16_t chord_name_classes(const std::string& name)
{
    uint16_t classes = 0;
    for (short p : chord_pitches(name)) classes |= (uint16_t)(1 << (p % 12));
    return classes;
}

std::vector<short> proposal_marks(const HarmonyGrid& grid, const PitchShares& shares, const ChordClassesOf& classes_of)
{
    std::vector<short> marks;
    for (short i = 1; i <= grid.cells(); i++)
        marks.push_back(proposal_mark(shares, classes_of(grid.cell_name(i)), grid.cell_key(i)));
    return marks;
}
