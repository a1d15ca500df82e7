#include "layout/DrawingRules.h"

#include <algorithm>

#include "framework/CUserPanel.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"

bool on_screen(CUserPanel* panel) { return panel->uid == 7; }

bool document_colors_apply(CUserPanel* panel) {
    return doc && (on_screen(panel) || doc->print_color != 0);
}

int32_t document_color(CUserPanel* panel, short entry) {
    return document_colors_apply(panel) ? doc->col[entry] : BLACK;
}

bool print_in_black(CUserPanel* panel) { return doc && !on_screen(panel) && doc->print_color == 0; }

short thickness(short Document::*setting, float scale) {
    if (!doc) return 1;
    return T(std::max(1.0, doc->*setting * 2.8346f * scale / 10.0));
}

int32_t voice_color(short voice) {
    static const int32_t colors[9] = {BLACK,           RED,
                                      BLUE,            rgb(0, 255, 0),
                                      rgb(255, 255, 0), rgb(128, 0, 128),
                                      rgb(0, 255, 255), rgb(128, 128, 0),
                                      SILVER};
    return voice >= 0 && voice <= 8 ? colors[voice] : BLACK;
}

int32_t note_color(short voice) {
    if (couleur_notes == -1) return voice_color(voice);
    if (couleur_notes >= -9 && couleur_notes <= -2)
        return voice == -1 - couleur_notes ? BLACK : SILVER;
    return couleur_notes;
}

static bool invisible_symbols_shown(CUserPanel* panel) {
    return on_screen(panel) && doc && doc->voir_symboles_invisibles != 0;
}

bool voice_drawn(CUserPanel* panel, short voice) {
    if (voice < 1 || voice > 16 || (voix_visibles & (1 << (voice - 1)))) return true;
    return invisible_symbols_shown(panel);
}

bool invisible_drawn(CUserPanel* panel, short mode) {
    return mode == 1 || invisible_symbols_shown(panel);
}

bool marks_shown(CUserPanel* panel) {
    return on_screen(panel) && pal && pal->get_reperes_tool() != 0;
}
