#pragma once
// The supervisor: numbered screens ("interactions"), each in a topmost window of its own whose
// drawing panel holds vector drawings, bitmaps, buttons and paged texts, with an optional
// function in the supervisor language that runs on every step while the screen is open. Every
// screen lives in one screen file, a structured file of type 0x7DA, version 1, whose path is
// `sup_file`. The program starts the supervisor with no screen file: then every request
// returns 0 at once and shows nothing.
//
// A modal screen (flag bit 0x20, or any screen asked for while another is waited on) is waited
// on inside call_sup, which returns its result; the others run on their own and are stepped by
// run_sup once per turn of the message loop. run_sup leaves alone the screens that a call_sup
// waits on: that call sees their chosen button and their function's result and closes them.
// A button that opens a screen above its own (action 4) waits for the new screen inside the
// waiting call and then goes on waiting for its own.

#include "framework/CString.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CPanel;
class CStructFile;
class CUserPanel;
class CWindow;
struct Event;
struct Vect_dessin;

constexpr uint16_t kSupFileType = 0x7DA;
constexpr short kSupModal = 0x20;  // bit of Interaction::flag

struct Button_sup {
    char nom[32] = {};
    short id = 0;                   // the look: 1 text, 2 drawing, 3 bitmap, 4 and up a standard picture
    char* bitmap = nullptr;         // owned bitmap block
    Vect_dessin* dessin = nullptr;  // owned drawing
    short act = 0;                  // 1 nothing, 2 close, 3 replace, 4 open above, 5/6 page, 7 function
    short ref = 0;
    char* fonction = nullptr;  // owned function text
    char fichier[10] = {};
};

struct Texte_bloc {
    short color = 0, size = 12, font = 1, style = 0, justi = 1, maxi = 0;
    char* s = nullptr;  // owned
};

struct Texte_sup {
    short tot = 0, cur = 1, back_color = 0, bord = 0;
    Texte_bloc* t = nullptr;  // pages 1 to tot (slot 0 unused)
};

struct Item_sup {
    short version = 0, type = 0, x = 0, y = 0, w = 0, h = 0;
    void* data = nullptr;  // by type: 1 Vect_dessin, 2 bitmap block, 3 Button_sup, 4 Texte_sup
};

struct Interaction {
    short version = 0, x = 0, y = 0, w = 0, h = 0, min_w = 0, min_h = 0, max_w = 0, max_h = 0, pos_mode = 0,
          back_color = 0, bord_color = 0, titre_color = 0, flag = 0, tot_item = 0;
    char* fonction = nullptr;  // owned
    Item_sup* item = nullptr;  // items 1 to tot_item (slot 0 unused)
};

struct Run_data {
    char fichier[100] = {};
    short in_use = 0, id = 0;
    Interaction inter;
    CWindow* win = nullptr;
    CUserPanel* up = nullptr;
    short zone = 0, previous = 0, return_value = 0;
};

extern CString sup_file;
namespace sup {
// The open screens, slots 1 to run_max (slot 0 unused).
extern std::vector<std::unique_ptr<Run_data>> run;
extern short run_max, run_tot, from_run_index;
}  // namespace sup
// The last screen asked for, shown or not.
extern short last_call_sup;

void init_sup();
void quit_sup();
// 0 when nothing was shown or a modal screen closed with 0; a modal screen's result; -1 when
// the screen stays open and runs on its own.
short call_sup(short id);
short run_sup();
short supervisor_proc(CPanel* panel, Event* e);

// Reads the screen of area `zone`; 0 (nothing kept) when the area is short of what it
// announces.
short read_interaction(CStructFile* file, short zone, Interaction* inter);
void delete_interaction(Interaction* inter);
void draw_supervisor(CUserPanel* up);
short dispatch_supervisor(Event* e, CUserPanel* up);
void draw_texte_bloc_sup(CUserPanel* up, short font, short size, short style, const char* text, int32_t length,
                         short justi, short color, short x, short y, short width);

// The lines draw_texte_bloc_sup draws, with the x each starts at (for tests and drawing alike).
struct SupLine {
    std::string text;
    short x, baseline;
};
std::vector<SupLine> lay_out_texte_bloc_sup(CUserPanel* up, const char* text, int32_t length, short justi, short x,
                                            short y, short size, short width);
