#include "chords/MelodyStaff.h"

#include <algorithm>

#include "chords/ScaleStaff.h"
#include "score/MusicSettings.h"
#include "score/ToolNumbers.h"

void DraftZone::clear()
{
    pitches.clear();
    rhythms.clear();
    offset = indicx = 0;
}

void DraftZone::clamp() { indicx = std::clamp<short>(indicx, 0, kDraftSlots); }

void DraftZone::insert(short pitch, short rhythm)
{
    const size_t at = std::min<size_t>((size_t)std::max<short>(position(), 0), pitches.size());
    pitches.insert(pitches.begin() + (long)at, pitch);
    rhythms.insert(rhythms.begin() + (long)at, rhythm);
    if (indicx < kDraftSlots)
        indicx++;
    else
        offset++;
}

bool DraftZone::backspace()
{
    const short p = position();
    if (p <= 0 || p > size()) return false;
    pitches.erase(pitches.begin() + (p - 1));
    rhythms.erase(rhythms.begin() + (p - 1));
    if (indicx > 0)
        indicx--;
    else
        offset--;
    return true;
}

bool DraftZone::left()
{
    if (indicx > 0) {
        indicx--;
        return true;
    }
    if (offset > 0) {
        offset--;
        return true;
    }
    return false;
}

bool DraftZone::right()
{
    if (position() >= size()) return false;
    if (indicx < kDraftSlots)
        indicx++;
    else
        offset++;
    return true;
}

void DraftZone::scroll_to(short value)
{
    indicx = (short)(indicx - value + offset);
    offset = value;
}

namespace {

// The classes of a grid of one row or one column, whatever the chord.
constexpr std::array<short, 12> kFixedClasses = {2, 0, 0, 2, 1, 2, 2, 2, 0, 1, 2, 1};
constexpr short kStemDown = 1;

short step_of(short pitch) { return (short)(7 * (pitch / 12) + tab_deg[pitch % 12]); }

}  // namespace

std::array<short, 12> melody_classes(short key, unsigned short chord_classes, short filter, bool one_row_or_column)
{
    if (one_row_or_column) return kFixedClasses;
    ScaleContext c;
    c.key = clamp_scale_key(key);
    c.chord_classes = chord_classes;
    c.filter = filter;
    return scale_classes(c);
}

MelodyNote melody_note(short pitch, short code, short key, const std::array<short, 12>& classes)
{
    MelodyNote n;
    pitch = std::clamp<short>(pitch, 1, 126);
    const short pc = (short)(pitch % 12);
    const short k = clamp_scale_key(key);
    short step_pitch = pitch;
    switch (scale_sign(k, pc)) {
    case 1: n.alt = 4, step_pitch = (short)(pitch - 1); break;
    case 2: n.alt = 2, step_pitch = (short)(pitch + 1); break;
    case 0: break;
    default:
        if (tab_acc[pc] != 0) {
            if (k < 0)
                n.alt = 2, step_pitch = (short)(pitch + 1);
            else
                n.alt = 4, step_pitch = (short)(pitch - 1);
        }
        break;
    }
    n.rythm = code;
    if (code > 100) {
        n.rythm = (short)(code - 100);
        n.point = 1;
    }
    static constexpr short kStem[9] = {0, 0, 0, 0, 0, 25, 30, 35, 40};
    n.height = n.rythm >= 0 && n.rythm <= 8 ? kStem[n.rythm] : 0;
    n.y = (short)(3 * (45 - step_of(step_pitch)));
    n.dir = n.y < 12 ? kStemDown : 0;
    n.dax = 9;
    if (n.dir == kStemDown)
        n.day = n.alt == 4 ? -13 : -10;
    else
        n.day = n.alt == 2 ? 15 : 13;
    const short cls = classes[(size_t)pc];
    n.voice = cls == kChordNote ? 2 : cls == kOutsideScale ? 8 : 3;
    return n;
}

bool note_tool_value(short tool, ToolValue* out)
{
    struct Row {
        short tool, rythm, height;
    };
    static constexpr Row kTools[] = {{tool::SixtyFourth, 7, 35}, {tool::ThirtySecond, 6, 30},
                                     {tool::Sixteenth, 5, 25},   {tool::Eighth, 4, 0},
                                     {tool::Quarter, 3, 0},      {tool::Half, 2, 0},
                                     {tool::Whole, 1, 0},        {tool::Breve, 0, 0},
                                     {tool::HundredTwentyEighth, 8, 40}};
    for (const Row& r : kTools)
        if (r.tool == tool) {
            out->rythm = r.rythm;
            out->height = r.height;
            return true;
        }
    return false;
}
