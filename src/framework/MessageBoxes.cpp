// The application object's message boxes, progress box and help.
#include "framework/MessageBoxes.h"

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CLabel.h"
#include "framework/CResFile.h"
#include "framework/CSlider.h"
#include "framework/ControlHandlers.h"
#include "framework/ProgramFiles.h"
#include "framework/Startup.h"
#include "framework/WindowLookup.h"
#include "platform/Clock.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/Process.h"
#include "platform/WindowManager.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <vector>

using namespace platform;

namespace {

MessageBoxResponder& responder()
{
    static MessageBoxResponder r;
    return r;
}

HelpViewer& viewer()
{
    static HelpViewer v;
    return v;
}

constexpr int32_t kPatienceTimer = 12563;

// Line `n` of the library's common texts (string list 65 of "CLASSES.RES"), empty when missing.
std::string common_text(short n)
{
    CString line;
    gr_string("MISC", "CLASSES.RES", 65, n, &line);
    return line.get();
}

std::string join(std::initializer_list<const char*> lines)
{
    std::string text;
    bool first = true;
    for (const char* s : lines) {
        if (!first) text += '\r';
        text += s ? s : "";
        first = false;
    }
    return text;
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, '\r');) lines.push_back(line);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();  // the absent texts
    return lines;
}

bool headless_display(WindowManager* wm)
{
    return !wm || dynamic_cast<HeadlessBackend*>(&wm->backend()) != nullptr;
}

// On a terminal each line of the box ends with a line feed: a bare carriage return would
// send the next line over it.
short print_to_standard_error(const MessageBoxRequest& request)
{
    const std::string title = request.title.empty() ? "" : cp1252_to_utf8(request.title) + " ";
    std::string text;
    for (std::string line : split_lines(request.text)) {
        if (!line.empty() && line[0] == '\n') line.erase(0, 1);  // a line end of two bytes
        text += line + "\n";
    }
    if (text.empty()) text = "\n";
    std::fprintf(stderr, "Brindlecot : %s%s", title.c_str(), cp1252_to_utf8(text).c_str());
    return 0;
}

// A local file as a URL: the bytes other than letters, digits, "-._~" and "/" are written
// %XX, so that blanks and accented names reach the browser whole.
std::string file_url(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("-._~/", c)) {
            url += (char)c;
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

// The program's desktop browser, when one is installed.
bool open_in_browser(const std::string& address)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string program;
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && ::access((dir + "/xdg-open").c_str(), X_OK) == 0) {
            program = dir + "/xdg-open";
            break;
        }
    if (program.empty()) return false;
    const size_t hash = address.find('#');
    std::string file;
    if (!resolve_path(address.substr(0, hash), &file) || !file_exists(address.substr(0, hash)))
        return false;
    const std::string url = file_url(file) + (hash == std::string::npos ? "" : address.substr(hash));
    return run_and_wait(program, {url}) == 0;
}

}  // namespace

void set_message_box_responder(MessageBoxResponder r) { responder() = std::move(r); }

short tell_user(const MessageBoxRequest& request)
{
    if (application) {
        ShownMessages& shown = application->shown;
        (request.question ? shown.questions : shown.warnings)++;
        shown.last_warning.set(request.text.c_str());
    }
    if (responder()) return responder()(request);
    if (!headless_display(WindowManager::current())) return show_message_box(request);
    return print_to_standard_error(request);
}

void set_help_viewer(HelpViewer v) { viewer() = std::move(v); }

short show_message_box(const MessageBoxRequest& request)
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !application) return 0;
    const std::vector<std::string> lines = split_lines(request.text);
    short text_width = 0;
    for (const std::string& line : lines) text_width = std::max(text_width, control_text_width(line.c_str()));
    const short line_height = kDialogFontSize + 4;
    const short w = std::max<short>(260, (short)(text_width + 90));
    const short text_height = (short)(std::max<size_t>(1, lines.size()) * line_height + 4);
    const short h = (short)(text_height + 90);
    CDialog* d = new CDialog(nullptr, nullptr, 0, default_dialog_handler, WinSysMenu);
    if (!d->hwnd) {  // the window classes are not registered yet
        delete d;
        return print_to_standard_error(request);
    }
    d->set_title(request.title.c_str());
    d->set_dimension(w, h);
    const Point screen = wm->screen_size();
    d->set_position((short)((screen.x - w) / 2), (short)((screen.y - h) / 2));
    CLabel* icon = new CLabel(d, 0, 0);
    icon->set_font("Arial", 28, 1);
    icon->set_text_color(request.question ? 0x800000 : 0x0080C0);
    icon->set_text(request.question ? "?" : "!");
    icon->set_rect(12, 14, 52, 54);
    icon->show();
    CLabel* text = new CLabel(d, 0, 1);
    std::string shown_text;
    for (const std::string& line : lines) shown_text += (shown_text.empty() ? "" : "\r") + line;
    text->set_text(shown_text.c_str());
    text->set_rect(64, 18, (short)(w - 12), (short)(18 + text_height));
    text->show();
    const short client_w = d->get_client_width(), client_h = d->get_client_height();
    const short y = (short)(client_h - 38);
    auto add_button = [&](short id, short x, short text_number, const char* fallback) {
        CButton* b = new CButton(d, id);
        const std::string title = common_text(text_number);
        b->set_title(title.empty() ? fallback : title.c_str());
        b->set_rect(x, y, (short)(x + 90), (short)(y + 26));
        b->show();
    };
    if (request.question) {
        add_button(1, (short)(client_w / 2 - 96), 4, "Oui");
        add_button(2, (short)(client_w / 2 + 6), 5, "Non");
    } else {
        add_button(1, (short)(client_w / 2 - 45), 2, "OK");
    }
    d->button(1)->set_default(1);
    d->enter_item = 1;
    d->esc_item = request.question ? 2 : 1;
    d->first_focus = 1;
    for (short i = 1; i <= d->children.total(); i++) {
        CPanel* c = (CPanel*)d->children.get(i);
        if (!c->next_item) c->next_item = find_next_control_tab(d, c);
    }
    short answer = 0;
    Event ev;
    while (d->run_modal(&ev))
        if (ev.type == EvControl && (ev.item == 1 || ev.item == 2)) {
            answer = ev.item == 1 ? 1 : 0;
            break;
        }
    delete d;
    return answer;
}

void CApplication::warning(const char* s1, const char* s2, const char* s3, const char* s4)
{
    MessageBoxRequest r;
    r.text = join({s1, s2, s3, s4});
    tell_user(r);
}

short CApplication::question(const char* s1, const char* s2, const char* s3, const char* s4)
{
    MessageBoxRequest r;
    r.question = true;
    r.text = join({s1, s2, s3, s4});
    return tell_user(r) ? 1 : 0;
}

short patience_handler(CPanel* panel, Event* e)
{
    if (e->item == 4) {
        if (application) application->cancel_patience = 1;
        return 1;
    }
    return default_dialog_handler(panel, e);
}

namespace {
short clamp_percent(short p) { return std::max<short>(0, std::min<short>(100, p)); }

void show_percent(CDialog* d, short percent)
{
    if (CProgress* bar = d->progress(3)) bar->set_value(percent);
    char text[16];
    std::snprintf(text, sizeof text, "%hd %%", percent);
    if (CLabel* l = d->label(5)) l->set_text(text);
}
}  // namespace

void CApplication::open_patience(short percent, short with_cancel, const char* title,
                                 const char* line1, const char* line2)
{
    if (dial_patience) return;
    CDialog* d = new CDialog("MISC", "CLASSES.RES", 3, patience_handler, 0);
    dial_patience = d;
    shown.patience_opened++;
    if (d->script_number) {
        d->script_number = 0;
        script.next_window_script_number--;
    }
    d->set_title(title);
    if (CLabel* l = d->label(1)) l->set_text(line1);
    if (CLabel* l = d->label(2)) l->set_text(line2);
    if (!with_cancel)
        if (CButton* b = d->button(4)) b->hide();
    show_percent(d, clamp_percent(percent));
    last_patience_time = 0;
    cancel_patience = 0;
    d->show();
    d->dirty();
    d->update();
    for (short i = 1; i <= d->children.total(); i++) ((CPanel*)d->children.get(i))->update();
    set_cursor_wait();
    WindowManager* wm = WindowManager::current();
    if (wm && hwnd) {
        wm->set_timer(hwnd, kPatienceTimer, 20);
        timer_id = kPatienceTimer;
    }
}

short CApplication::do_patience(short percent)
{
    if (!dial_patience) return 0;
    if (percent == -1) return cancel_patience ? 1 : 0;
    percent = clamp_percent(percent);
    const int32_t now = (int32_t)milliseconds();
    if (percent == 100 || now - last_patience_time >= 100) {
        CProgress* bar = dial_patience->progress(3);
        if (bar && bar->get_value() != percent) show_percent(dial_patience, percent);
        last_patience_time = now;
        // The timer makes sure a message comes soon: the pump never waits long.
        if (timer_id && WindowManager::current()) idle();
    }
    return cancel_patience ? 1 : 0;
}

void CApplication::close_patience()
{
    if (dial_patience) {
        if (CProgress* bar = dial_patience->progress(3)) bar->set_value(100);
        delete dial_patience;
        dial_patience = nullptr;
        if (timer_id) {
            if (WindowManager* wm = WindowManager::current(); wm && hwnd) wm->kill_timer(hwnd, kPatienceTimer);
            timer_id = 0;
        }
    }
    cursor = 0;
    set_cursor_arrow();
}

void CApplication::patience_string_1(const char* s)
{
    if (!dial_patience) return;
    if (CLabel* l = dial_patience->label(1)) l->set_text(s);
}

void CApplication::patience_string_2(const char* s)
{
    if (!dial_patience) return;
    if (CLabel* l = dial_patience->label(2)) l->set_text(s);
}

void CApplication::help(int32_t reference)
{
    if (reference == 0) {
        WindowManager* wm = WindowManager::current();
        CPanel* p = wm ? get_cpan_from_handle(wm->window_at(wm->cursor_position())) : nullptr;
        while (p && !p->help_reference) p = p->parent;
        reference = p ? p->help_reference : default_help_reference;
    }
    if (reference == 0) return;
    const short page = (short)((uint32_t)reference >> 16), anchor = (short)(reference & 0xFFFF);
    const std::string code = language_code.get();
    char name[32];
    std::snprintf(name, sizeof name, "%03d.HTM", page);
    std::string address = std::string(main_dir ? main_dir : ".") + "\\Misc\\Help" + code + "\\" +
                          code + name;
    if (anchor) {
        std::snprintf(name, sizeof name, "#L%03d", anchor);
        address += name;
    }
    const bool shown_page = viewer() ? viewer()(address) : open_in_browser(address);
    if (!shown_page) warning((common_text(15) + " " + common_text(16)).c_str());
}
