#include "framework/Placeholders.h"

#include "framework/CApplication.h"
#include "platform/Cp1252.h"

#include <cstdio>
#include <initializer_list>
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

void CApplication::warning(const char* s1, const char* s2, const char* s3, const char* s4)
{
    CString& text = shown.last_warning;
    text.set("");
    for (const char* s : {s1, s2, s3, s4}) {
        if (!s || !*s) continue;
        if (text.length()) text.add("\r");
        text.add(s);
    }
    shown.warnings++;
    std::fprintf(stderr, "Brindlecot : %s\n", platform::cp1252_to_utf8(text.get()).c_str());
}

void CApplication::open_patience(short percent, short, const char*, const char*, const char*)
{
    if (shown.patience_open) return;
    shown.patience_open = 1;
    shown.patience_opened++;
    shown.patience_percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    last_patience_time = 0;
    cancel_patience = 0;
    set_cursor_wait();
}

short CApplication::do_patience(short percent)
{
    if (!shown.patience_open) return 0;
    if (percent != -1) shown.patience_percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    return cancel_patience ? 1 : 0;
}

void CApplication::close_patience()
{
    if (shown.patience_open) shown.patience_percent = 100;
    shown.patience_open = 0;
    set_cursor_arrow();
}
