#pragma once
// The display settings and drawing state shared by the music code, and its constant tables
// (those of the clefs and scales are in MusicGlobals.h).

#include <cstdint>

class CMeasure;

// ---- Settings and drawing state, with their values before start-up ----

extern float staff_scale;          // size of the staff being drawn: its instrument's size / 100
extern short curve_width;          // thickness parameter of ties, slurs and tuplet arcs
extern short voix_visibles;        // bit mask of the voices drawn; -1 all
extern int32_t highlight_note;     // colour of the note being played
extern short prendre_midi;         // take incoming MIDI notes while playing
extern short play_while_moving;    // sound a note while it is dragged
extern short follow_flags;         // how the views follow the play position
extern short follow_part_mode;     // mode of the editor's play indicator
extern short follow_definition;    // setting of the editor's play indicator, also known as:
extern short& follow_bar_mode;
extern short& follow_seq_mode;
extern int32_t couleur_notes;      // colour of notes, rests, beams and symbols; -1 by voice
extern CMeasure* cur_mes_draw;     // the measure being drawn
extern short dessiner_liaison_gauche;  // draw the ties entering a system's first measure
extern short limiter_liaison_droite;   // width at which ties leaving a system's last measure stop
extern short cur_drawing_page;
extern short editeur_non_affichable;   // the editor must not be redrawn
extern short last_ma, last_pa;         // measure and staff last located
extern short saut_de_mesure;           // measure-jump request for playback
extern short last_flags_groupe;
extern short empecher_carte_percu;     // skip the percussion map
extern short tot_jeu_deep;             // nesting depth while reading playing rules
extern short standard_command[17];     // menu commands the editor forwards
extern short tot_zoom_table;           // entries of zoom_table

// ---- Constant tables ----

// Diatonic step and alteration of each of the 12 pitch classes in the default spelling.
extern const short tab_deg[12];
extern const short tab_acc[12];
// Zoom percentages offered, entries 1 to tot_zoom_table.
extern const short zoom_table[20];
// The box of a rest of value r at (x, y): x + vds2[r] .. x + vds1[r] across and
// y + vds4[r] .. y + vds3[r] down, each scaled by the view and the staff's size.
extern const short vds1[10];
extern const short vds2[10];
extern const short vds3[10];
extern const short vds4[10];
// The first 12 values of tab_clef_diese, row after row.
extern const short* const tab_midi_y;
