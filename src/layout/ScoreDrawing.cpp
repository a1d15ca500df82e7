#include "layout/ScoreDrawing.h"

#include "score/CMeasure.h"

namespace {

void draw_score_object(CDataObject* o, CUserPanel* p, short mode, float sx, float sy) {
    switch (o->uid) {
    case KIND_MEASURE: draw_measure(static_cast<CMeasure*>(o), p, mode, sx, sy); break;
    case KIND_NOTE: draw_note(static_cast<CNote*>(o), p, mode, sx, sy); break;
    case KIND_REST: draw_rest(static_cast<CRest*>(o), p, mode, sx, sy); break;
    case KIND_BEAMS: draw_beams(static_cast<CBeams*>(o), p, mode, sx, sy); break;
    case KIND_NOLET: draw_nolet(static_cast<CNolet*>(o), p, mode, sx, sy); break;
    case KIND_SYMBOL: draw_symbol(static_cast<CSymbol*>(o), p, mode, sx, sy); break;
    case KIND_CLEF: draw_clef(static_cast<CClef*>(o), p, mode, sx, sy); break;
    case KIND_KEYSIG: draw_keysig(static_cast<CKeySig*>(o), p, mode, sx, sy); break;
    case KIND_TIMESIG: draw_timesig(static_cast<CTimeSig*>(o), p, mode, sx, sy); break;
    case KIND_TEXTBLOC: draw_textbloc(static_cast<CTextBloc*>(o), p, mode, sx, sy); break;
    case KIND_LYRICS: draw_lyrics(static_cast<CLyrics*>(o), p, mode, sx, sy); break;
    case KIND_CHORDUSE: draw_chorduse(static_cast<CChordUse*>(o), p, mode, sx, sy); break;
    default: break;
    }
}

}  // namespace

void install_score_drawing() { score_drawing = draw_score_object; }
