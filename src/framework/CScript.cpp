#include "framework/CScript.h"

#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CWindow.h"
#include "framework/ControlHandlers.h"
#include "framework/EventDispatch.h"
#include "framework/FileDialog.h"
#include "framework/LocalTime.h"
#include "framework/ProgramFiles.h"
#include "framework/Resedit.h"
#include "framework/UserInput.h"
#include "platform/FileSystem.h"
#include "platform/WindowManager.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct KindInfo {
    const char* keyword;
    short params;  // numeric parameters
};

// Kinds 1 to 26, in kind order.
const KindInfo kinds[ScriptKindCount + 1] = {
    {nullptr, 0},       {"menu", 1},     {"null", 0},        {"open", 0},       {"closeall", 0},
    {"mdl", 5},         {"mul", 5},      {"mdr", 5},         {"mur", 5},        {"dcl", 5},
    {"move", 4},        {"tool", 2},     {"key", 6},         {"com", 2},        {"ctrl", 5},
    {"setpos", 3},      {"setsize", 3},  {"redraw", 0},      {"cfgi", 1},       {"close", 1},
    {"razwn", 0},       {"dnd", 4},      {"contextmenu", 1}, {"abs", 1},        {"startscale", 0},
    {"stopscale", 0},   {"scoreadjust", 0},
};

// The order in which a record's keyword is looked for.
const short lookup_order[ScriptKindCount] = {1,  22, 2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                             13, 14, 15, 16, 17, 18, 19, 20, 21, 23, 24, 25, 26};

const char magic[] = "D899-TW001FR";
const char magic_mac[] = "D899-TM001FR";

void nothing() {}
short closed() { return 1; }
short not_opened(const char*) { return 0; }
void no_tool(short, short) {}

// Line n of the program's string table (list 78 of "MUSIC.RES" in "MISC").
std::string program_string(short n)
{
    CArrayString strings;
    if (!strings.load_strings("MISC", "MUSIC.RES", 78)) return {};
    CString* s = strings.get(n);
    return s && s->get() ? s->get() : "";
}

}  // namespace

ScriptHooks default_script_hooks()
{
    ScriptHooks h{};
    h.stop_application = nothing;
    h.close_document = closed;
    h.open_document = not_opened;
    h.close_panels = nothing;
    h.choose_tool = no_tool;
    h.start_scale = nothing;
    h.stop_scale = nothing;
    h.score_adjust = nothing;
    h.clear_modified = nothing;
    return h;
}
ScriptHooks script_hooks = default_script_hooks();

const char* script_keyword(short kind) { return kind >= 1 && kind <= ScriptKindCount ? kinds[kind].keyword : nullptr; }

short script_param_count(short kind) { return kind >= 1 && kind <= ScriptKindCount ? kinds[kind].params : 0; }

short next_script_window_number()
{
    if (!application) return 0;
    CScript& s = application->script;
    if (!s.recording && !s.playing) return 0;
    return s.next_window_script_number++;
}

CScript::CScript() { uid = 56; }

CScript::~CScript() { clear(); }

void CScript::delete_bubble()
{
    delete wincom;
    wincom = nullptr;
}

short CScript::record()
{
    recording = 1;
    delay = get_time_pos();
    delete_bubble();
    last_te_id = 0;
    return 1;
}

ScriptEvent* CScript::append(short kind, int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6)
{
    const int32_t now = get_time_pos();
    auto* ev = new ScriptEvent;
    ev->type = kind;
    ev->delay = now - delay;
    const int32_t p[6] = {p1, p2, p3, p4, p5, p6};
    for (int i = 0; i < 6; i++) ev->param[i + 1] = p[i];
    events.add((intptr_t)ev);
    delay = now;
    return ev;
}

void CScript::record_event(short kind, int32_t p1, int32_t p2, int32_t p3, int32_t p4, int32_t p5, int32_t p6)
{
    if (kind == ScriptMenu && p1 == 207) return;
    if (total() > 0 && p1 == -1) {
        const ScriptEvent* last = get(total());
        p1 = last->param[1];
        p2 = last->param[2];
        for (short i = 1; win_array && i <= win_array->total(); i++) {
            CWindow* w = (CWindow*)win_array->get(i);
            if (w->script_number != p1) continue;
            if (CPanel* item = w->find_child((short)p2)) {
                short x = (short)p3, y = (short)p4;
                item->global_to_local(&x, &y);
                p3 = x;
                p4 = y;
            }
            break;
        }
    }
    if (total() > 0 && kind == ScriptTool) delete (ScriptEvent*)events.remove(total());
    switch (kind) {
    case ScriptLeftDown: left_button = 1; break;
    case ScriptLeftUp: left_button = 0; break;
    case ScriptRightDown: right_button = 1; break;
    case ScriptRightUp: right_button = 0; break;
    default: break;
    }
    if (kind == ScriptMove) {
        next_mouse_move = next_mouse_move ? 0 : 1;
        if (next_mouse_move || (!left_button && !right_button)) return;
    }
    append(kind, p1, p2, p3, p4, p5, p6);
    if (kind == ScriptMenu) append(ScriptNull, 0, 0, 0, 0, 0, 0);
}

short CScript::stop()
{
    recording = 0;
    last_te_id = 0;
    script_hooks.stop_application();
    playing = 0;
    delete_bubble();
    return 1;
}

void CScript::skip() { delay = get_time_pos(); }

short CScript::play()
{
    if (total() == 0) return 0;
    delete_bubble();
    left_button = right_button = 0;
    next_window_script_number = 1;
    TerminerAutoDemo = 0;
    cur = 1;
    const int32_t now = get_time_pos();
    delay = time_position = now + get(1)->delay;
    depart = now;
    start_x = get_mouse_x();
    start_y = get_mouse_y();
    playing = 1;
    step = 2;
    done = 0;
    last_te_id = 0;
    absolu = false;
    return 1;
}

void CScript::next()
{
    cur++;
    if (cur > total()) {
        stop();
        return;
    }
    const int32_t now = get_time_pos();
    const int32_t d = get(cur)->delay;
    delay = now + d;
    if (absolu) {
        depart = time_position;
        time_position += d;
    } else {
        time_position = now + d;
        depart = now;
    }
    start_x = get_mouse_x();
    start_y = get_mouse_y();
    done = 0;
}

void CScript::clear()
{
    for (short i = 1; i <= total(); i++) delete get(i);
    events.clear();
    playing = recording = cur = 0;
    delay = 0;
    next_window_script_number = 1;
    delete_bubble();
    absolu = false;
}

std::string quoted_script_text(const char* text)
{
    // The reader takes the byte after a backslash as it is; line ends stay as they are.
    std::string out = "\"";
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '"' || *p == '\\') out += '\\';
        out += *p;
    }
    return out + "\"";
}

bool write_script_record(FILE* f, const ScriptEvent* ev)
{
    const char* keyword = script_keyword(ev->type);
    if (!keyword) return true;
    std::string line = keyword;
    line += "(" + std::to_string(ev->delay) + "," + quoted_script_text(ev->comment.get());
    if (ev->type == ScriptOpen) {
        line += "," + quoted_script_text(ev->cs.get());
    } else {
        for (short i = 1; i <= script_param_count(ev->type); i++) line += "," + std::to_string(ev->param[i]);
        if (ev->type == ScriptComment) line += "," + quoted_script_text(ev->cs.get());
    }
    line += ")\n";
    return fwrite(line.data(), 1, line.size(), f) == line.size();
}

short CScript::save(const char* path)
{
    if (path) filename.set(path);
    const std::string target = filename.get() ? filename.get() : "";
    if (target.empty()) return 0;
    // A script is written whole into a file beside the target, which then takes its place:
    // a failure on the way leaves the old file as it was.
    const std::string temporary = target + ".tmp";
    FILE* f = platform::open_file(temporary, "wb");
    if (!f) return 0;
    short written = 0;
    for (short i = 1; i <= total(); i++)
        if (script_keyword(get(i)->type)) written++;
    bool ok = fprintf(f, "%s\n%d %d\n", magic, written, versions) > 0;
    for (short i = 1; ok && i <= total(); i++) ok = write_script_record(f, get(i));
    ok = fclose(f) == 0 && ok;
    if (!ok || !platform::rename_file(temporary, target)) {
        platform::remove_file(temporary);
        return 0;
    }
    return 1;
}

void parse_script_record(const char* record, ScriptEvent* ev)
{
    char* comment = extract_string_param(record, 2);
    ev->comment.set(comment);
    free(comment);
    ev->delay = extract_long_param(record, 1);
    for (int i = 1; i <= 8; i++) ev->param[i] = 0;
    ev->cs.set("");
    ev->type = ScriptUnknown;
    for (short kind : lookup_order) {
        const size_t n = strlen(kinds[kind].keyword);
        if (strncmp(record, kinds[kind].keyword, n) == 0 && record[n] == '(') {
            ev->type = kind;
            break;
        }
    }
    if (ev->type == ScriptOpen) {
        char* file = extract_string_param(record, 3);
        ev->cs.set(file);
        free(file);
        return;
    }
    for (short i = 1; i <= script_param_count(ev->type); i++) ev->param[i] = extract_long_param(record, (short)(i + 2));
    if (ev->type == ScriptComment) {
        char* text = extract_string_param(record, 5);
        ev->cs.set(text);
        free(text);
    }
}

short CScript::open(const char* path)
{
    const std::string source = path ? path : (filename.get() ? filename.get() : "");
    FILE* f = source.empty() ? nullptr : platform::open_file(source, "rb");
    if (!f) return 0;
    char head[13] = {};
    const size_t got = fread(head, 1, 13, f);
    head[12] = 0;
    if (got < 12 || (strcmp(head, magic) != 0 && strcmp(head, magic_mac) != 0)) {
        fclose(f);
        return 0;
    }
    clear();
    versions = 0;
    int count = 0, bits = 0;
    if (fscanf(f, "%d %d", &count, &bits) < 1) count = 0;
    versions = (short)bits;
    // The rest of the count line.
    int c;
    while ((c = fgetc(f)) != EOF && c != '\n') {}
    count = count < 0 ? 0 : (count > 32767 ? 32767 : count);
    for (int i = 0; i < count; i++) {
        auto* ev = new ScriptEvent;
        events.add((intptr_t)ev);
        CString text;
        text.read_line(f);
        std::string record = text.get() ? text.get() : "";
        while ((record.empty() || record.back() != ')') && (c = fgetc(f)) != EOF) {
            // The comment text of a `com` record may hold line breaks: its next line follows.
            if (c != '\n') ungetc(c, f);
            text.read_line(f);
            record += "\r\n";
            record += text.get() ? text.get() : "";
        }
        parse_script_record(record.c_str(), ev);
    }
    fclose(f);
    return 1;
}

short CScript::save_user()
{
    File_dialog_struct fd;
    fd.prompt.set(program_string(157).c_str());
    fd.ext[1].set(".DEM");
    if (!save_file_dialog(&fd, data_dir)) return 0;
    // A name typed without an extension gets ".DEM", so that the script is offered again.
    std::string path = fd.path.get() ? fd.path.get() : "";
    const size_t slash = path.find_last_of("/\\");
    if (path.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos) path += ".DEM";
    filename.set(path.c_str());
    return save();
}

short CScript::open_user()
{
    CDialog* dialog = new CDialog("Misc", "CLASSES.RES", 11, default_dialog_handler, 0);
    CList* list = dialog->list(1);
    if (list) {
        CString folder;
        format_file_name(&folder, "MISC", "DEMOS", nullptr, nullptr);
        fill_list_with_files(list, folder.get(), ".DEM");
        if (list->total() > 0) list->set_cur(1);
    }
    dialog->show();
    Event ev;
    short chosen = -1;  // -1 running, 0 cancelled, 1 confirmed
    while (chosen < 0 && dialog->run_modal(&ev)) {
        if ((ev.type == EvListDouble && ev.item == 1) || (ev.type == EvControl && ev.item == 2)) chosen = 1;
        else if (ev.type == EvControl && ev.item == 3) chosen = 0;
    }
    if (chosen < 0) {
        // Closed by other means than its buttons: nothing was chosen, and nothing loaded.
        delete dialog;
        return 0;
    }
    CString name;
    const short entry = list ? list->get_cur() : 0;
    if (chosen == 0 || entry < 1 || !list->get_item(entry, &name)) {
        delete dialog;
        return 0;
    }
    delete dialog;
    name.add(".dem");
    CString path;
    format_file_name(&path, "MISC", "DEMOS", name.get(), nullptr);
    filename.set(path.get());
    if (!open()) return 0;
    platform::WindowManager* wm = platform::WindowManager::current();
    const platform::Point screen = wm ? wm->screen_size() : platform::Point{800, 600};
    if (screen.x < 799 || screen.y < 599) {
        const std::string s1 = program_string(141), s2 = program_string(142), s3 = program_string(143),
                          s4 = program_string(144);
        if (application) application->warning(s1.c_str(), s2.c_str(), s3.c_str(), s4.c_str());
    }
    return 1;
}

void CScript::commentaire(short x, short y, const char* text)
{
    const std::string t = text ? text : "";
    if (t == "top") {
        if (wincom) wincom->show();
        return;
    }
    if (wincom) {
        delete_bubble();
        wait_ms(1000);
    }
    if (t.empty()) return;
    wincom = new CWindow(WinTool);
    if (wincom->script_number) {
        wincom->script_number = 0;
        next_window_script_number--;
    }
    constexpr int32_t yellow = 0x0000FFFF, blue = 0x00FF0000;
    auto* back = new CLabel(wincom, 0, 1);
    back->set_left_side(0, SidePixels, nullptr);
    back->set_top_side(0, SidePixels, nullptr);
    back->set_right_side(100, SidePercent, nullptr);
    back->set_bottom_side(100, SidePercent, nullptr);
    back->set_back_color(yellow);
    back->set_text_color(blue);
    back->set_font("Comic Sans MS", 22, 0);
    short w = 0, h = 0;
    back->size_text_bloc(t.c_str(), 1, &w, &h);
    const short width = (short)(w + 30), height = (short)(h + 35);
    platform::WindowManager* wm = platform::WindowManager::current();
    const platform::Point screen = wm ? wm->screen_size() : platform::Point{800, 600};
    auto place = [](short v, int32_t room) -> short {
        switch (v) {
        case -1: return 0;
        case -2: return (short)(room / 4);
        case -3: return (short)(room / 2);
        case -4: return (short)(3 * room / 4);
        case -5: return (short)room;
        default: return v;
        }
    };
    wincom->set_rect(place(x, screen.x - width), place(y, screen.y - 30 - height),
                     (short)(place(x, screen.x - width) + width), (short)(place(y, screen.y - 30 - height) + height));
    wincom->update_size();
    wincom->show();
    auto* label = new CLabel(wincom, 0, 1);
    label->set_left_side(10, SidePixels, nullptr);
    label->set_top_side(10, SidePixels, nullptr);
    label->set_right_side(-10, SidePixels, nullptr);
    label->set_bottom_side(-10, SidePixels, nullptr);
    label->set_back_color(yellow);
    label->set_text_color(blue);
    label->set_font("Comic Sans MS", 22, 0);
    label->set_text(t.c_str());
    label->update_size();
    label->show();
    wincom->show();
}
