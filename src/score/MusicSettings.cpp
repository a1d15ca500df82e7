#include "score/MusicSettings.h"

#include "score/MusicGlobals.h"

float staff_scale = 1.0f;
short curve_width = 20;
short voix_visibles = -1;
int32_t highlight_note = 255;
short prendre_midi = 1;
short play_while_moving = 1;
short follow_flags = 23;
short follow_part_mode = 4;
short follow_definition = 5;
short& follow_bar_mode = follow_definition;
short& follow_seq_mode = follow_definition;
int32_t couleur_notes = 0;
CMeasure* cur_mes_draw = nullptr;
short dessiner_liaison_gauche = 0;
short limiter_liaison_droite = 0;
short cur_drawing_page = 0;
short editeur_non_affichable = 0;
short last_ma = 0, last_pa = 0;
short saut_de_mesure = 0;
short last_flags_groupe = 0;
short empecher_carte_percu = 0;
short tot_jeu_deep = 0;
short standard_command[17] = {};
short tot_zoom_table = 15;

const short tab_deg[12] = {0, 0, 1, 2, 2, 3, 3, 4, 4, 5, 6, 6};
const short tab_acc[12] = {0, 1, 0, -1, 0, 0, 1, 0, 1, 0, -1, 0};
const short zoom_table[20] = {0,   34,  50,  67,  84,  100,  117,  133, 150, 167,
                              183, 200, 300, 500, 1000, 2000, 0,   0,   0,   0};
const short vds1[10] = {8, 9, 9, 7, 8, 9, 10, 11, 12, 0};
const short vds2[10] = {1, -1, -1, 0, 0, -1, -2, -1, -1, 0};
const short vds3[10] = {4, -3, -2, -3, -5, -2, -2, -2, 0, 0};
const short vds4[10] = {-8, -8, -8, -21, -20, -18, -25, -28, -35, 0};
const short* const tab_midi_y = &tab_clef_diese[0][0];
