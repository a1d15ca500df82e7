#pragma once
// TextBlocks: the arithmetic and the bookkeeping of text blocks as plain functions, shared by
// the text-block tool (tools/ScoreDispatchText.cpp) and its dialog (tools/TextBlockDialog.cpp).
//
// Two sorts of block: a page block (kinds 1 and 3, or any kind but 2) lives in the document's
// page list `ptx`, whose slots are sparse (an erased block leaves a null slot, a new block takes
// the first null slot, the list grows by ten slots when it is full); a measure block (kind 2)
// is an item of its measure. A block never moves from one sort to the other.
//
// Threads: GUI thread; none of these keeps state.

#include <cstdint>

#include "framework/CRect.h"

class CTextBloc;
struct Document;
struct Sub_document;

namespace text_block {

// Kinds (`CTextBloc::type`).
enum Kind : short { PageOnly = 1, InMeasure = 2, FromPage = 3 };
// Flags (`CTextBloc::flags`).
enum Flag : short { CentreAcross = 0x1, TopMargin = 0x2, BottomMargin = 0x4, Fixed = 0x8 };
// Alignments (`CTextBloc::align`).
enum Align : short { Left = 1, Right = 2, Centred = 3, Justified = 4 };

// Colours of the composition's marker blocks in measures (a chord name, a style label).
constexpr int32_t kChordMarker = 0x0000FF;
constexpr int32_t kStyleMarker = 0xFF0000;
constexpr int32_t kStyleData = 0xFFFFFF;
inline bool is_marker(int32_t colour) { return colour == kChordMarker || colour == kStyleMarker; }

constexpr short kMinLineSpacing = 20;  // percent
constexpr short kPtxGrowth = 10;
constexpr short kMinFrame = 6;         // units: the smallest frame a press can hit

inline bool is_page_kind(short kind) { return kind != InMeasure; }

// Whether a page block shows on page `page`.
bool shown_on_page(const CTextBloc* t, short page);

// Stores a page block in the first null slot of the document's list, growing the list by ten
// slots when it is full; the slot number.
short store_page_block(Document* d, CTextBloc* t);

// Puts a page block's frame where its flags say, between the margins of the extract: centred
// across, then on the bottom margin, then on the top margin (the top wins).
void apply_page_placement(CTextBloc* t, const Sub_document& s);

// A frame on screen (x1, x2, y1, y2), grown to the left and upward to at least `min_w` by
// `min_h` pixels.
CRect at_least(CRect r, short min_w, short min_h);

// The line spacing a dialog stores: raised to 20 % when below.
inline short stored_line_spacing(short typed) { return typed < kMinLineSpacing ? kMinLineSpacing : typed; }

// What the dialog enables for a kind: the placement controls (radios 7 to 9 and check 5), the
// measure and staff fields, the page field, the first-page field.
struct KindControls {
    bool placement, measure_fields, page_field, first_page_field;
};
KindControls controls_for_kind(short kind);

// Which kinds an edited block may take: a measure block only the measure kind, a page block the
// two page kinds; a new block every kind.
struct KindChoices {
    bool page_only, in_measure, from_page;
};
KindChoices kind_choices(short kind, bool creating);

}  // namespace text_block
