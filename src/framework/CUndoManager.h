#pragma once
// CUndoManager: the multi-level undo recorder of a document or extract. Before an editing
// operation changes an object, the caller hands the manager the address of the pointer variable
// that holds it (a slot of the document's measure array, say) with three numbers of its own
// vocabulary (kind, specifier, size); the manager keeps that address with a copy of the object
// made by the application's hook. Recordings are grouped into levels, one per user operation,
// each named by an operation number and an action number; at most `undo_levels` are kept.
//
// The manager only records: nothing here restores a level. Recording is governed by the
// application's switch `undo_active`; while it is 0 every recording call only discards the
// levels held. The program never turns it on, and its copy hook makes no copy.

#include "framework/Arrays.h"
#include "framework/CObject.h"

// The application's settings: recording is on while `undo_active` is non-zero (0 at start);
// `undo_levels` is the largest number of levels kept (5).
extern short undo_active;
extern short undo_levels;

// The application's copy hooks. `duplicate_obj` returns a new copy of `object` that the level
// then owns (the program's returns null); `clean_obj` frees such a copy (the program's does
// nothing). Both get back the kind, specifier and size that the caller recorded.
struct UndoHooks {
    void* (*duplicate_obj)(void* object, short typ, short spec, short size);
    void (*clean_obj)(void* copy, short typ, short spec, short size);
};
extern UndoHooks undo_hooks;
// The program's hooks: no copy, nothing to free.
UndoHooks default_undo_hooks();

// One level: the locations recorded during one operation, with their copies and numbers; the
// five arrays run in parallel and hold each location at most once.
class CUndoOperation : public CObject {
public:
    CUndoOperation(short opid, short actid, void* owner);
    // Frees every copy through clean_obj.
    ~CUndoOperation() override;
    CUndoOperation(const CUndoOperation&) = delete;
    CUndoOperation& operator=(const CUndoOperation&) = delete;

    void* duplicate_obj(void* object, short typ, short spec, short size);
    void clean_obj(void* copy, short typ, short spec, short size);
    // The index of `location` in loc_obj, 0 when not recorded.
    short find(void** location) const;

    short opid;
    short actid;
    void* owner;
    CArrayPtr loc_obj;  // void** each
    CArrayPtr old_obj;  // the copy made for each location
    CArrayInt typ_obj, spec_obj, size_obj;
};

class CUndoManager : public CObject {
public:
    explicit CUndoManager(void* owner);
    ~CUndoManager() override;
    CUndoManager(const CUndoManager&) = delete;
    CUndoManager& operator=(const CUndoManager&) = delete;

    // Asks for a new level; the next add_obj opens it. A second call before any add_obj only
    // replaces the pending numbers.
    void new_level(short opid, short actid);
    // Renames the pending level, else the current one.
    void set_operation(short opid, short actid);
    void set_operation_action(short actid);
    // Records the object held at `location` in the current level (opening the pending one);
    // a location already recorded in that level keeps its first copy.
    void add_obj(void** location, short typ, short spec, short size);
    // Deletes the current level.
    void remove_level();
    // In every level, the recorded location `old_slot` becomes `new_slot` (an array of object
    // pointers moved to a new block). Works whatever the switch.
    void replace_object_location(void** old_slot, void** new_slot);
    // The owner of the manager and of every level. Works whatever the switch.
    void set_owner(void* o);

    short total() const { return top.total(); }
    CUndoOperation* get(short i) const { return (CUndoOperation*)top.get(i); }

    CArrayPtr top;  // CUndoOperation*, oldest at 1, owned
    short level = 0;
    void* owner;
    char scratch[300] = {};
    short next_level = 0;
    short next_actid = 0;
    short next_opid = 0;

private:
    // With the switch off: discards every level; true when the call must stop there.
    bool switched_off();
    void delete_level(short i);
    bool has_current() const { return level >= 1 && level <= top.total(); }
};
