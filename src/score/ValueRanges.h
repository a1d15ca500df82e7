#pragma once
// The ranges that the values of the score model keep: a note's pitch and velocities are MIDI
// values, a note or rest value code names a duration from the breve to the 256th, a clef is one
// of nine, a key signature's accidental one of five; an instrument plays on a MIDI channel from
// 1 to 16, on a port from 1, and its percussion map gives MIDI pitches. A value read from a file
// outside its range is brought to the nearest value inside it (a percussion entry to itself),
// so that nothing out of range is drawn or played.

#include <cstdint>

struct Ins;
class CDataObject;

// The kinds of values brought into range, as bits.
enum RangeKind : unsigned {
    RANGE_PITCH = 1u << 0,
    RANGE_VELOCITY = 1u << 1,
    RANGE_VALUE_CODE = 1u << 2,
    RANGE_CLEF = 1u << 3,
    RANGE_ACCIDENTAL = 1u << 4,
    RANGE_CHANNEL = 1u << 5,
    RANGE_PORT = 1u << 6,
    RANGE_PERCUSSION = 1u << 7,
    RANGE_MEASURE_LENGTH = 1u << 8,
};
constexpr short range_kinds = 9;

// The longest measure kept, in ticks: the lengths of a staff's measures, up to 32767 of them,
// add up without overflowing 32 bits.
constexpr int32_t longest_measure = 65535;

// Brings the values of a measure, or of an item of a measure, into range; returns how many were changed and adds
// the kinds changed to `kinds`.
short bring_into_range(CDataObject* item, unsigned* kinds);
// The same for an instrument's channel and port (its percussion map is tested as it is read,
// since its entries are kept as bytes).
short bring_into_range(Ins& ins, unsigned* kinds);
