#pragma once
// Undo recording switched on, with the hooks that really copy what the commands record, for
// the life of one test; the program's settings are given back afterwards.

#include "framework/CUndoManager.h"
#include "layout/ScoreUndo.h"

struct UndoRecording {
    UndoRecording() : active(undo_active), hooks(undo_hooks) {
        undo_active = 1;
        install_score_undo();
    }
    ~UndoRecording() {
        undo_active = active;
        undo_hooks = hooks;
    }
    UndoRecording(const UndoRecording&) = delete;
    UndoRecording& operator=(const UndoRecording&) = delete;

    short active;
    UndoHooks hooks;
};
