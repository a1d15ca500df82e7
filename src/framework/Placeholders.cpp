#include "framework/Placeholders.h"

#include "framework/CApplication.h"

#include <map>

Dial_res* gdr = nullptr;

short next_script_window_number()
{
    if (!application) return 0;
    CScript& s = application->script;
    if (!s.recording && !s.playing) return 0;
    return s.next_window_script_number++;
}

void init_sup() {}
void run_sup() {}
void quit_sup() {}

namespace {
std::map<CPanel*, ScrollState>& scroll_states()
{
    static std::map<CPanel*, ScrollState> states;
    return states;
}
}  // namespace

ScrollState* scroll_state(CPanel* scroll_bar) { return &scroll_states()[scroll_bar]; }
void forget_scroll_state(CPanel* scroll_bar) { scroll_states().erase(scroll_bar); }
