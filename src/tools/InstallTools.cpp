#include "tools/InstallTools.h"

#include "editor/ToolDispatch.h"
#include "tools/ScoreDispatchKeySignatures.h"
#include "tools/ScoreDispatchLength.h"
#include "tools/ScoreDispatchLibrary.h"
#include "tools/ScoreDispatchMeasures.h"
#include "tools/ScoreDispatchAccidentals.h"
#include "tools/ScoreDispatchChordUse.h"
#include "tools/ScoreDispatchChords.h"
#include "tools/ScoreDispatchClefs.h"
#include "tools/ScoreDispatchDisposition.h"
#include "tools/ScoreDispatchEnharmonies.h"
#include "tools/ScoreDispatchMidiCursor.h"
#include "tools/ScoreDispatchMiscellaneous.h"
#include "tools/ScoreDispatchNoteHeads.h"
#include "tools/ScoreDispatchNolets.h"
#include "tools/ScoreDispatchNotes.h"
#include "tools/ScoreDispatchRests.h"
#include "tools/ScoreDispatchSelection.h"
#include "tools/ScoreDispatchSymbols.h"
#include "tools/ScoreDispatchText.h"
#include "tools/ScoreDispatchTimeSignatures.h"
#include "score/SymbolPlacement.h"

void install_tool_handlers() {
    tool_handlers.notes = dispatch_editeur_notes;
    tool_handlers.silences = dispatch_editeur_silences;
    tool_handlers.curseur = dispatch_editeur_curseur;
    tool_handlers.point = dispatch_editeur_point;
    tool_handlers.liaison_tenue = dispatch_editeur_liaison_tenue;
    tool_handlers.voix = dispatch_editeur_voix;
    tool_handlers.inverser = dispatch_editeur_inverser;
    tool_handlers.selection = dispatch_editeur_selection;
    tool_handlers.temps = dispatch_editeur_temps;
    tool_handlers.armures = dispatch_editeur_armures;
    tool_handlers.mesure = dispatch_editeur_mesure;
    tool_handlers.hauteurs = dispatch_editeur_hauteurs;
    tool_handlers.symbole = dispatch_editeur_symbole;
    tool_handlers.texte = dispatch_editeur_texte;
    tool_handlers.librairies = dispatch_editeur_librairies;
    symbol_editor_scale = editor_symbol_scale;
    tool_handlers.nolet = dispatch_editeur_nolet;
    tool_handlers.tetes = dispatch_editeur_tetes;
    tool_handlers.reprises = dispatch_editeur_reprises;
    tool_handlers.alterations = dispatch_editeur_alterations;
    tool_handlers.bouger_alterations = dispatch_editeur_bouger_alterations;
    tool_handlers.enharmonie = dispatch_editeur_enharmonie;
    tool_handlers.accord = dispatch_editeur_accord;
    tool_handlers.clefs = dispatch_editeur_clefs;
    tool_handlers.chord_use = dispatch_editeur_chord_use;
    tool_handlers.disposition = dispatch_editeur_disposition;
}
