#include "editor/EditorServices.h"

EditeurHooks default_editeur_hooks() {
    return {
        []() -> short { return 0; },
        []() -> short { return 0; },
        [](short* id, short* sub_id) { *id = 0, *sub_id = 0; },
        []() -> int32_t { return 0; },
        [](short, unsigned char) {},
        nullptr,
        [](Event*) -> short { return 0; },
        [](CPanel*, short, short) -> short { return 1; },
        nullptr,
    };
}

EditeurHooks editeur_hooks = default_editeur_hooks();

bool ColorNoteQueue::push(int32_t message) {
    std::lock_guard<std::mutex> hold(lock_);
    if (messages_.size() >= capacity_) return false;
    messages_.push_back(message);
    return true;
}

std::vector<int32_t> ColorNoteQueue::take_all() {
    std::vector<int32_t> taken;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (messages_.empty()) return taken;
    }
    taken.reserve(capacity_);  // the queue's room for the next messages, made outside the lock
    std::lock_guard<std::mutex> hold(lock_);
    taken.swap(messages_);
    return taken;
}
