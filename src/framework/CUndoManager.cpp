#include "framework/CUndoManager.h"

short undo_active = 0;
short undo_levels = 5;

namespace {
void* no_copy(void*, short, short, short) { return nullptr; }
void nothing_to_free(void*, short, short, short) {}
}  // namespace

UndoHooks default_undo_hooks() {
    UndoHooks h{};
    h.duplicate_obj = no_copy;
    h.clean_obj = nothing_to_free;
    return h;
}
UndoHooks undo_hooks = default_undo_hooks();

CUndoOperation::CUndoOperation(short opid_, short actid_, void* owner_)
    : opid(opid_), actid(actid_), owner(owner_)
{
    uid = 33;
}

CUndoOperation::~CUndoOperation()
{
    for (short i = 1; i <= loc_obj.total(); i++)
        clean_obj((void*)old_obj.get(i), typ_obj.get(i), spec_obj.get(i), size_obj.get(i));
    loc_obj.clear();
    old_obj.clear();
    typ_obj.clear();
    spec_obj.clear();
    size_obj.clear();
}

void* CUndoOperation::duplicate_obj(void* object, short typ, short spec, short size)
{
    return undo_hooks.duplicate_obj ? undo_hooks.duplicate_obj(object, typ, spec, size) : nullptr;
}

void CUndoOperation::clean_obj(void* copy, short typ, short spec, short size)
{
    if (undo_hooks.clean_obj) undo_hooks.clean_obj(copy, typ, spec, size);
}

short CUndoOperation::find(void** location) const
{
    for (short i = 1; i <= loc_obj.total(); i++)
        if ((void**)loc_obj.get(i) == location) return i;
    return 0;
}

CUndoManager::CUndoManager(void* owner_) : owner(owner_) { uid = 34; }

CUndoManager::~CUndoManager()
{
    while (top.total() > 0) delete_level(1);
    level = 0;
    next_level = 0;
}

void CUndoManager::delete_level(short i)
{
    delete (CUndoOperation*)top.remove(i);
}

bool CUndoManager::switched_off()
{
    if (undo_active) return false;
    if (top.total() > 0) {
        while (top.total() > 0) delete_level(1);
        level = 0;
        next_level = 0;
    }
    return true;
}

void CUndoManager::new_level(short opid, short actid)
{
    if (switched_off()) return;
    next_level = 1;
    next_opid = opid;
    next_actid = actid;
}

void CUndoManager::set_operation(short opid, short actid)
{
    if (switched_off()) return;
    if (next_level) {
        next_opid = opid;
        next_actid = actid;
    } else if (has_current()) {
        get(level)->opid = opid;
        get(level)->actid = actid;
    }
}

void CUndoManager::set_operation_action(short actid)
{
    if (switched_off()) return;
    if (next_level)
        next_actid = actid;
    else if (has_current())
        get(level)->actid = actid;
}

void CUndoManager::add_obj(void** location, short typ, short spec, short size)
{
    if (switched_off()) return;
    // Levels above the current one are given up by the new recording.
    while (level >= 0 && top.total() > level) delete_level((short)(level + 1));
    if (next_level) {
        top.add((intptr_t) new CUndoOperation(next_opid, next_actid, owner));
        level++;
        while (level > undo_levels && top.total() > 0) {
            delete_level(1);
            level--;
        }
        next_level = 0;
    }
    if (!has_current()) return;
    CUndoOperation* op = get(level);
    if (op->find(location)) return;
    op->loc_obj.add((intptr_t)location);
    op->old_obj.add((intptr_t)op->duplicate_obj(location ? *location : nullptr, typ, spec, size));
    op->typ_obj.add(typ);
    op->spec_obj.add(spec);
    op->size_obj.add(size);
}

void CUndoManager::remove_level()
{
    if (switched_off()) return;
    if (level < 1) return;
    if (level <= top.total()) delete_level(level);
    level--;
}

void CUndoManager::replace_object_location(void** old_slot, void** new_slot)
{
    for (short i = 1; i <= top.total(); i++) {
        CUndoOperation* op = get(i);
        for (short k = 1; k <= op->loc_obj.total(); k++)
            if ((void**)op->loc_obj.get(k) == old_slot) op->loc_obj.set((intptr_t)new_slot, k);
    }
}

void CUndoManager::set_owner(void* o)
{
    owner = o;
    for (short i = 1; i <= top.total(); i++) get(i)->owner = o;
}
