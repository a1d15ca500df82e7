#pragma once
// The "Édition" menu of the score editor: the commands on blocks of measures, carried out on
// the editor's selection. Copy, paste and erase go through the measure block clipboard; adding
// and erasing measures or staves asks in its dialog; transposing asks for the interval; the
// transcription, the regeneration of the tracks and the justification run over the selection,
// or over the whole score when nothing is selected. Each command that changes the score is one
// undo level of the editor's extract.

#include <cstdint>

class Editeur;

constexpr int32_t CMD_COPIER_MESURES = 601;
constexpr int32_t CMD_COLLER_MESURES = 602;
constexpr int32_t CMD_EFFACER_MESURES = 603;
constexpr int32_t CMD_AJOUTER_EFFACER = 604;
constexpr int32_t CMD_TRANSPOSER = 605;
constexpr int32_t CMD_TRANSCRIRE = 606;
constexpr int32_t CMD_REGENERER_PISTES = 607;
constexpr int32_t CMD_JUSTIFIER = 608;

// Undo operation numbers of the commands that open their own level here.
constexpr short UNDO_OP_TRANSPOSER = 0x4B;
constexpr short UNDO_OP_TRANSCRIRE = 0x4C;
constexpr short UNDO_OP_REGENERER = 0x4D;
constexpr short UNDO_OP_JUSTIFIER = 0x4E;

// Carries out menu command `id` on editor `e`: 1 when `id` is one of the commands above (done,
// or nothing to do without an editor or a document), 0 otherwise.
short commande_edition(Editeur* e, int32_t id);
