#include "midi/Progression.h"

#include <cstdio>

#include "framework/CApplication.h"
#include "framework/CResFile.h"

namespace {

CString texte(short group, short line) {
    CString s;
    gr_string("MISC", "MUSIC.RES", group, line, &s);
    return s;
}

}  // namespace

Progression::Progression(short count, short cancellable, short title_group, short title_line, short box_from) {
    box = count >= box_from && application;
    if (box) {
        CString title = texte(title_group, title_line);
        application->open_patience(0, cancellable, title.get(), "", "");
    } else if (application) {
        application->set_cursor_wait();
    }
}

Progression::~Progression() { fin(); }

void Progression::ligne(short which, short group, short line, short current, short last) {
    if (!box) return;
    CString text = texte(group, line);
    char buffer[300];
    std::snprintf(buffer, sizeof buffer, "%s %hd / %hd", text.get(), current, last);
    if (which == 1) application->patience_string_1(buffer);
    else application->patience_string_2(buffer);
}

void Progression::ligne_seule(short group, short line) {
    if (box) application->patience_string_1(texte(group, line).get());
}

short Progression::avance(short percent) { return box ? application->do_patience(percent) : 0; }

void Progression::fin() {
    if (done) return;
    done = true;
    if (box) application->close_patience();
    else if (application) application->set_cursor_arrow();
}
