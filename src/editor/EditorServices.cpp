#include "editor/EditorServices.h"

EditeurHooks default_editeur_hooks() {
    EditeurHooks h{};
    h.get_play_but = []() -> short { return 0; };
    h.get_rec_but = []() -> short { return 0; };
    h.get_cur_play_mes = []() -> short { return 0; };
    h.get_play_doc = [](short* id, short* sub_id) { *id = 0, *sub_id = 0; };
    h.midi_time = []() -> int32_t { return 0; };
    h.set_midi_thru = [](short, unsigned char) {};
    h.midi_special_treatment = nullptr;
    h.transport_key = [](Event*) -> short { return 0; };
    h.close_window = [](CPanel*, short, short) -> short { return 1; };
    h.curseur_paroles = nullptr;
    h.measure_pressed = [](Editeur*, short) {};
    h.view_menu = [](Editeur*, Event*) -> short { return 0; };
    h.view_command = [](Editeur*, short) -> short { return 0; };
    return h;
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
