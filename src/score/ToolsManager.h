#pragma once
// CToolsManager: the one owner of everything about editing tools, reached through the global
// `pal`: the palettes of tools ("TOOL.PAL") and the places of their windows ("PAL.PFR"), the
// current tool with its erase and marks modes and the tools' shortcut keys, and the user symbol
// definitions ("TOOL.DEF"). The palette windows themselves live with the editor, which fills
// `palette_window_hooks`; without it the highlights and window operations do nothing.
//
// "TOOL.PAL" (folder "MISC"; records end with a carriage return): the 13-byte header
// "D921-TW002FR" and a line feed (byte 6 'M': written on a Macintosh; bytes 7-9 the version,
// "001" or "002"), then per palette
//   palette(name,id,x1,y1,x2,y2,tot,h,w,flag)
// followed by its `tot` tools
//   outil(name,id,rc1,rc2,type_icone,mode)
// each followed by its bitmap (type_icone 2) or vector drawing (3) in text form.
// "PAL.PFR": 32 lines "x1 y1 x2 y2", line n the window rectangle of palette n.
// "TOOL.DEF": the header "D920-TW002FR" and a line feed, then the definitions' records
// (score/SymbolDefinitions.h).

#include <cstdint>
#include <cstdio>

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "score/SymbolDefinitions.h"

class CPanel;
class CWindow;
struct Event;
struct Vect_dessin;

constexpr int TOOL_NAME_SIZE = 21;
// A palette or tool name ends at a comma in the palette file, and its record at a carriage
// return: a name holding one of these bytes is refused where it is typed, and written with each
// replaced by a space, so that the file always reads back.
constexpr const char* PALETTE_NAME_DELIMITERS = ",\r\n";
// True when `name` can be written in the palette file as it is.
bool palette_name_fits(const char* name);
constexpr short PALETTE_WINDOW_SLOTS = 10;
constexpr short PALETTE_POSITION_LINES = 32;

// One tool of a palette.
struct Outil {
    char nom[TOOL_NAME_SIZE] = {};
    short id = 0;             // what the editor dispatches on; 2000..5999 user symbols
    short rc1 = 0, rc2 = 0;   // shortcut key codes, 0 none
    short type_icone = 1;     // 1 built-in image, 2 own bitmap, 3 own vector drawing
    short mode = 1;           // shortcut: 1 none, 2 select, 3 spring-loaded, 4 both
    char* bitmap = nullptr;         // owned; type 2 only
    Vect_dessin* dessin = nullptr;  // owned; type 3 only
};

// One palette: its tools 1..tot in display order (the block holds tot + 2 slots).
struct Palette_outil {
    short x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // carried through the file
    short id = 0;                          // also its line of "PAL.PFR"
    short h = 20, w = 20;                  // cell size in pixels
    short tot = 0;
    char nom[TOOL_NAME_SIZE] = {};
    short flag = 0;
    Outil** outil = nullptr;
};

// A palette block for `tot` tools (all null) with the header of `model` (may be null).
Palette_outil* create_palette(short tot, const Palette_outil* model);
// Frees the block only (not its tools).
void free_palette_block(Palette_outil* p);
// Frees a tool with its icons; null does nothing.
void delete_outil(Outil* t);
// A copy of a tool with its own icons.
Outil* dupliquer_outil(const Outil* t);

class CToolsManager;
// What the tools manager asks of the palette windows and of the program around it. Each entry
// may be null (nothing happens).
struct PaletteWindowHooks {
    void (*inverser_tool)(CToolsManager* m, short id);     // flips the cells of a tool
    void (*fermer_palette)(CToolsManager* m, short id);    // closes its windows, saving places
    void (*dirty_all_windows)();                           // marks every window for redrawing
    void (*dirty_all_scores)();                            // redraws the scores (marks shown)
    void (*empty_all_score_selections)();
    void (*cleanup_all_doc_curseur)();
};
extern PaletteWindowHooks palette_window_hooks;

class CToolsManager : public CObject {
public:
    // Reads the palettes, then the definitions, and prunes the definitions.
    CToolsManager();
    // Closes the palette windows (saving their places), frees palettes and definitions.
    ~CToolsManager() override;
    CToolsManager(const CToolsManager&) = delete;
    CToolsManager& operator=(const CToolsManager&) = delete;

    // ---- Palettes and their file ----
    void init_palettes_fichier();
    void quit_palettes_fichier();
    // 1 when the list was read to its end; 0 on a bad header (with a beep) or a damaged record
    // (the palettes completed before it stay).
    short read_palettes(FILE* f);
    short write_palettes(FILE* f);
    // Puts a palette into the first free slot (the array grows when full); a palette of no
    // tools is freed instead.
    void add_palette(Palette_outil* p);
    // The palette of that id among slots 1..tot_pal, or null.
    Palette_outil* find_palette(short id);

    // ---- Current tool and shortcuts ----
    short get_tool() { return tool; }
    // Stores the tool; with `redraw` the highlights move from the old to the new one.
    void set_tool(short id, short redraw);
    short get_erase_tool() { return erase_tool; }
    void set_erase_tool(short v) { erase_tool = v; }
    short get_reperes_tool() { return reperes_tool; }
    void set_reperes_tool(short v) { reperes_tool = v; }
    short get_groupe_tool() { return 0; }
    // The tool that a spring-loaded shortcut hides, else 0.
    short get_hidden_tool() { return dans_raccourci ? tool_avant : 0; }
    // A shortcut key (`key` > 0 going down, negated going up): 0 no shortcut, -1 handled, else
    // the tool to act with now.
    short get_tool_raccourci(short key);
    // Ends a spring-loaded shortcut, restoring the tool and the erase mode it lent from.
    void annuler_raccourci();
    // Flips the highlight of every cell of that tool in the open palette windows.
    void inverser_tool(short id);
    // The selection rules of a click on a palette cell of tool t (erase, redraw, step cursor,
    // marks, and the ordinary tools); 0 when the click is not taken (the step cursor tool with
    // no document open).
    short choisir_outil(short t);

    // ---- Symbol definitions ----
    void init_outils_fichier();
    void quit_outils_fichier();
    // Keeps the definitions that a palette tool shows or that have a linked definition.
    void clean_definitions();
    // One more than the largest tool or definition id in use, at least 4000.
    short next_tool_id();
    // The first definition of that id, or null.
    Definition* get_definition(short id);
    // Appends a definition that the manager owns (the array grows by 20 when full).
    void append_definition(Definition* d);
    // Lends a definition for lookups only (not owned, not saved): for callers that build
    // their own definitions.
    void add_definition(Definition* d) { lent.add((intptr_t)d); }
    // ---- Palette windows (editor/PaletteWindows.cpp) ----
    // Opens the window of palette id (or shows it again): 1, or 0 when no slot is free or no
    // palette has that id.
    short ouvrir_palette(short id);
    // Closes every window of palette id, saving each place; 1.
    short fermer_palette(short id);
    short is_palette_open(short id);
    // The palette id that a window shows, 0 for any other window.
    short is_window_palette(CWindow* window);
    // The size that the grid of the window's palette needs.
    void get_limits(short* width, short* height, CWindow* window);
    void draw(CWindow* window);
    // Screen position of the centre of the cell of tool_id: 1, or 0 when it is not shown.
    short localize_tool(CWindow* window, short tool_id, short* x, short* y);
    // The input of a palette window: 0 when not handled.
    short dispatch(Event* event, CWindow* window);
    // The supervisor reference of a point of a palette window: ref and sub by the tool under
    // the mouse.
    void ask_ref_sup_proc(CPanel* panel, short* ref, short* sub);

    CWindow* win[PALETTE_WINDOW_SLOTS + 1] = {};
    short tid[PALETTE_WINDOW_SLOTS + 1] = {};
    short tool = 16;
    short erase_tool = 0;
    short groupe_tool = 0;
    short reperes_tool = 0;
    short tool_avant = 0;
    short erase_tool_avant = 0;
    short groupe_tool_avant = 0;
    short dans_raccourci = 0;
    short last_tool = 0;
    int32_t last_tool_time = 0;
    Palette_outil** pal = nullptr;
    short tot_pal = 0;
    short max_pal = 0;
    Definition** def = nullptr;
    short tot_def = 0;
    short max_def = 0;

private:
    CArrayPtr lent;
};

extern CToolsManager* pal;

// Saves the palettes to "TOOL.PAL" of "MISC" in the program directory; nothing when it cannot
// be created.
void ecrire_palettes();
// Prunes the definitions, then (in normal editing, working mode bit 2) saves entries 1..count
// to "TOOL.DEF": written to a temporary file that then replaces it, so that a failed write
// leaves the old file; 1 when written, 0 when not (told to the user).
short ecrire_outils(Definition** defs, short count);
// The window rectangle of palette id (1..32; others clamped) from "PAL.PFR", kept on screen.
void lire_position_palette(short id, short* x1, short* y1, short* x2, short* y2);
void ecrire_position_palette(short id, short x1, short y1, short x2, short y2);
// Reads "TOOL.DEF" from an open file into the manager (after its header check); 1 when the
// header was good.
short read_definitions(CToolsManager* m, FILE* f);
// Writes the header and entries 1..count.
void write_definitions(FILE* f, Definition** defs, short count);
