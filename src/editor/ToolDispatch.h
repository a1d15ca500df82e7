#pragma once
// How a click or key on the score panel reaches the editing tool of the moment: the handler of
// each tool, by tool id. A handler answers 0 when the event is not for it; the note and rest
// handlers answer 1 when they acted and -1 for "try the other one"; the symbol handler answers
// 2 when the measure needs re-spacing. The note and notation tools fill the table; until they
// do, each entry is a stand-in that takes nothing.

class Editeur;
struct Event;

using ToolHandler = short (*)(Editeur* editor, Event* e);

struct ToolHandlers {
    ToolHandler tetes, enharmonie, voix, librairies, texte, chord_use, disposition, selection, paroles,
        symbole, mesure, clefs, liaison_tenue, temps, notes, inverser, silences, accord, point, hauteurs,
        alterations, bouger_alterations, armures, reprises, nolet;
    // Step entry at the insertion cursor.
    ToolHandler curseur;
};
extern ToolHandlers tool_handlers;

// The table of the routing: which handler takes tool id t (order of the tests), null for none;
// for tools with a rule of their own (note values, rests, pointer and eraser) the table's entry
// is the first handler they try.
ToolHandler handler_of_tool(short t);
