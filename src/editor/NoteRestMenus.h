#pragma once
// The context menus of notes and rests: a right click on a note or rest of the score panel
// opens a small menu (play parameters, change into a rest or a note, change of value, removal
// of a dot); the command chosen comes back as a menu command and is carried out on that object
// as one undo level, the measure redrawn in place. The same path carries out the choices of
// the chord-symbol menu.

class CChord;
class CMenu;
class CMeasure;
class CNote;
class CRest;
class Editeur;
struct Event;

extern CNote* note_to_edit;
extern CRest* rest_to_edit;
extern short measure_to_edit;
extern CChord* chord_to_change;

// A right click: 1 when a menu was shown for the note or rest under the point, 0 when none
// lies there.
short ouvrir_menu_note_silence(Editeur* v, Event* e);
// A menu command (e->value the item id); 1.
short commande_menu_note_silence(Editeur* v, Event* e);

// A new empty pop-up menu for a context menu: it outlives the call that shows it (the choice
// comes back later as a menu command) and is destroyed when the next one is asked for.
CMenu* new_context_menu();

// Services of the layers above: the play-parameters dialog of a note (1 accepted), a chord
// analysis, and the accompaniment staff's notes for a chosen chord. Null: not available
// (the dialog counts as cancelled).
struct NoteMenuHooks {
    short (*edit_play_parameters)(CNote* note);
    void (*modify_analyse)(short ana_id, Editeur* v);
    void (*menu_chord_notes)(Editeur* v);
};
extern NoteMenuHooks note_menu_hooks;
