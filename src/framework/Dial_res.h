#pragma once
// Dialogs stored in binary form (resource type 2), opened and closed by number, whose controls
// are bound through the caller's table of pointers: `short` variables that the controls show
// and write back, text buffers, action functions, and cells that receive the controls. One
// manager, `gdr`, serves the whole run; at most 20 dialogs are open at once.
//
// The caller's protocol: fill the table; ouvrir("MISC", "MUSIC.RES", n, table, 0); call
// work(n) until one of its button flags is set; update_var() for the numbers typed; fermer(n).

#include "framework/CObject.h"

#include <string>

class CDialog;
class CPanel;
class CTextedit;

// A numeric text field bound to a `short`: the field edits the 16-byte buffer `p`, which is
// read back into `*pi`.
struct Tab_str_16 {
    short id = 0;  // the dialog's number; 0 = free
    char* p = nullptr;
    short* pi = nullptr;
    CTextedit* te = nullptr;
};
constexpr short kBoundNumberFields = 50;
extern Tab_str_16 tab_str_16[kBoundNumberFields + 1];  // entries 1 to 50

class Dial_res : public CObject {
public:
    static constexpr short kSlots = 20;

    Dial_res() { uid = 57; }
    ~Dial_res() override { destroy(); }
    void create();
    // Closes every dialog.
    void destroy();
    // Opens dialog `number` of file `file` in `section`: 1, or 0 (20 open, not found, an item
    // of unknown kind, or that number already open).
    short ouvrir(const char* section, const char* file, short number, void** table, short close_box);
    void work(short number);
    void update_var();
    short fermer(short number);

    short tot = 0;
    unsigned char* res[kSlots + 1] = {};
    int32_t res_size[kSlots + 1] = {};
    void** ppp[kSlots + 1] = {};
    CDialog* dial[kSlots + 1] = {};
    // Where each dialog came from (no section: the file name is a path); its pictures are read
    // from the same file.
    std::string section_of[kSlots + 1];
    std::string file_of[kSlots + 1];

private:
    short slot_of(short number) const;
    bool build(short slot);
    void release(short slot);
    short working = 0;  // the slot whose step is running
};

extern Dial_res* gdr;

// The action of buttons that carry the dialog action (pair codes 2, 3, 6 to 10); always 0.
short autre_dial_proc(CPanel* button);
// The action of grouped radio buttons; always 0.
short group_choice(CPanel* radio);
