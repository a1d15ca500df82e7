#include "framework/Placeholders.h"

#include "framework/CApplication.h"


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
