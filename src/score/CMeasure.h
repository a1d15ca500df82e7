#pragma once
// One measure of one staff: its layout and timing values and the ordered list of its items,
// which it owns.

#include <cstdint>

#include "score/CBeams.h"
#include "score/CDataObject.h"
#include "score/CKeySig.h"
#include "score/CLibUse.h"
#include "score/CLyrics.h"
#include "score/CNote.h"
#include "score/CSymbol.h"
#include "score/CTextBloc.h"
#include "score/CTimeSig.h"
#include "score/ScoreItems.h"

class CMeasure : public CDataObject {
public:
    static constexpr short KIND = KIND_MEASURE;
    CMeasure() { uid = KIND; }
    ~CMeasure() override;
    CMeasure(const CMeasure&) = delete;
    CMeasure& operator=(const CMeasure&) = delete;

    // A measure with the same layout and timing values and no items.
    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;

    // The item list (1-based).
    short total() { return tab.total(); }
    CDataObject* get_item(short i);
    void set_item(short i, CDataObject* o);
    void add(CDataObject* o);
    void insert(CDataObject* o, short i);
    void remove(short i);

    CSymbol* get_symbol_item(short i) { return object_as<CSymbol>(get_item(i)); }
    CNote* get_note_item(short i) { return object_as<CNote>(get_item(i)); }
    CTimeSig* get_timesig_item(short i) { return object_as<CTimeSig>(get_item(i)); }
    CBeams* get_beams_item(short i) { return object_as<CBeams>(get_item(i)); }
    CRest* get_rest_item(short i) { return object_as<CRest>(get_item(i)); }
    CClef* get_clef_item(short i) { return object_as<CClef>(get_item(i)); }
    CKeySig* get_keysig_item(short i) { return object_as<CKeySig>(get_item(i)); }
    CNolet* get_nolet_item(short i) { return object_as<CNolet>(get_item(i)); }
    CRepeat* get_repeat_item(short i) { return object_as<CRepeat>(get_item(i)); }
    CLyrics* get_lyrics_item(short i) { return object_as<CLyrics>(get_item(i)); }
    CTextBloc* get_textbloc_item(short i) { return object_as<CTextBloc>(get_item(i)); }
    CLibUse* get_libuse_item(short i) { return object_as<CLibUse>(get_item(i)); }
    CChordUse* get_chorduse_item(short i) { return object_as<CChordUse>(get_item(i)); }

    // flags = (flags OR set) AND NOT clear.
    void change_mes_flags(short set, short clear);
    // The first beam group with that id, or null.
    CBeams* get_groupe(short gid);
    // 1 when the measure holds no note and at most one rest, a whole rest.
    short one_pause_measure();
    // A lyrics id not used by the measure's lyrics and notes.
    short nouvel_id_paroles();
    // Hold the recorded starts relative to the notes' starts (start_edit) and back (stop_edit).
    void start_edit();
    void stop_edit();
    // 1 when `duration` still fits into `voice`; else 0, with a beep when `signal` is set.
    short permettre_ajout_voix(short voice, short duration, short signal);
    // The x of a time in the measure, from the notes of the measure or of its column.
    short position_from_time(int32_t time, short column);
    // Moves the measure's content horizontally.
    void shift_entry(short dx);
    // Orders the symbols, and the notes and rests, by x (at most 100 of each).
    void sort_symbols();
    void sort_notes_rests();

    // Tuplet bits.
    short next_nolet_mask();
    void remove_nolet_mask(short bits);
    short find_nolet_voice(CNolet* t);
    void analyse_nolet_item(CDataObject* item);
    void analyse_nolet_mask(CNolet* t, short voice);
    void adjust_nolet(CNolet* t, short place);

    CArrayPtr tab;  // the items, owned
    short width = 150;
    short start_bar = 1, end_bar = 1;
    short x = 0, y = 0;
    short ext_start_bar = 0, ext_end_bar = 0;
    short px = 0, py = 0;
    int32_t length = 1920;
    short front = 0;  // x at which the notes begin
    short flags = 0;
    short tot_beat = 4;
    short length_beat = 480;
    short first_event = 0, tot_event = 0;
    short lines = 0x7C0;  // staff lines drawn
    short pw = 150;
    short number = 1;
    short meas = 0, extended = 0;
    int32_t id = 0;
    int32_t start_time = 0;
    CArrayInt effect, value;
    CArrayPtr tabtu;  // not owned
    short bcot_mode = 0, jump_next = 0, pa = 0, ma = 0;
    int32_t start = 0;

private:
    // Slots of the notes and rests (or symbols) to sort, with their keys.
    void sort_slots(short* slots, short* keys, short n);
    // The x of the first note or rest, in list order, that symbols attach to by `sid`, or null.
    short* attached_x(short sid);
};
