#include "framework/ScriptEditor.h"

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CScript.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr size_t kLine = 1000;

const char* text_of(const CString& s) { return s.get() ? s.get() : ""; }

constexpr short kVersionBits[4] = {8, 4, 2, 1};  // items 21 to 24

}  // namespace

void event_title(char* out, const ScriptEvent* ev, size_t size)
{
    if (!out || size == 0) return;
    const double t = ev->delay / 1000.0;
    std::string suffix;
    if (ev->comment.length() > 0) suffix = std::string("++++++++++++++++ ") + text_of(ev->comment);
    const char* sfx = suffix.c_str();
    const int32_t* p = ev->param;
    switch (ev->type) {
    case 1: snprintf(out, size, "%03.1f - menu(id=%d) %s", t, (int)p[1], sfx); break;
    case 2: snprintf(out, size, "%03.1f - null() %s", t, sfx); break;
    case 3: snprintf(out, size, "%03.1f - open(%s) %s", t, text_of(ev->cs), sfx); break;
    case 4: snprintf(out, size, "%03.1f - closeall() %s", t, sfx); break;
    case 5: case 6: case 7: case 8: case 9:
        snprintf(out, size, "%03.1f - %s(win=%d,item=%d,X=%d,Y=%d,flags=%d) %s", t, script_keyword(ev->type),
                 (int)p[1], (int)p[2], (int)p[3], (int)p[4], (int)p[5], sfx);
        break;
    case 10:
        snprintf(out, size, "%03.1f - move(win=%d,item=%d,X=%d,Y=%d) %s", t, (int)p[1], (int)p[2], (int)p[3], (int)p[4], sfx);
        break;
    case 11: snprintf(out, size, "%03.1f - tool(win=%d,tool=%d)  %s", t, (int)p[1], (int)p[2], sfx); break;
    case 12:
        snprintf(out, size, "%03.1f - key(win=%d,item=%d,char=%d,X=%d,Y=%d,flags=%d)  %s", t, (int)p[1], (int)p[2],
                 (int)p[3], (int)p[4], (int)p[5], (int)p[6], sfx);
        break;
    case 13:
        snprintf(out, size, "%03.1f - com(X=%d,Y=%d,Texte=\"%s\")  %s", t, (int)p[1], (int)p[2], text_of(ev->cs), sfx);
        break;
    case 14:
        snprintf(out, size, "%03.1f - ctrl(win=%d,item=%d,value=%d,X=%d,Y=%d)  %s", t, (int)p[1], (int)p[2],
                 (int)p[3], (int)p[4], (int)p[5], sfx);
        break;
    case 15: case 16:
        snprintf(out, size, "%03.1f - %s(win=%d,X=%d,Y=%d)  %s", t, script_keyword(ev->type), (int)p[1], (int)p[2],
                 (int)p[3], sfx);
        break;
    case 17: case 20: case 24: case 25: case 26:
        snprintf(out, size, "%03.1f - %s()  %s", t, script_keyword(ev->type), sfx);
        break;
    case 18: snprintf(out, size, "%03.1f - cfgi(config=%d)  %s", t, (int)p[1], sfx); break;
    case 19: snprintf(out, size, "%03.1f - close(win=%d)  %s", t, (int)p[1], sfx); break;
    case 21:
        snprintf(out, size, "%03.1f - dnd(win=%d,item=%d,X=%d,Y=%d) %s", t, (int)p[1], (int)p[2], (int)p[3], (int)p[4], sfx);
        break;
    case 22: snprintf(out, size, "%03.1f - contextmenu(id=%d) %s", t, (int)p[1], sfx); break;
    case 23: snprintf(out, size, "%03.1f - abs(mode=%d)  %s", t, (int)p[1], sfx); break;
    default: snprintf(out, size, "%03.1f - ?() %s", t, sfx); break;
    }
}

void event_params(char* out, const ScriptEvent* ev, size_t size)
{
    if (!out || size == 0) return;
    std::string text;
    if (ev->type == ScriptOpen) {
        text = text_of(ev->cs);
    } else {
        const short n = script_param_count(ev->type);
        for (short i = 1; i <= n; i++) {
            if (i > 1) text += ",";
            text += std::to_string(ev->param[i]);
        }
        if (ev->type == ScriptComment) text += std::string("\r\n") + text_of(ev->cs);
    }
    snprintf(out, size, "%s", text.c_str());
}

void params_event(const char* text, ScriptEvent* ev)
{
    for (int i = 1; i <= 8; i++) ev->param[i] = 0;
    ev->cs.set("");
    if (!text) text = "";
    if (ev->type == ScriptOpen) {
        ev->cs.set(text);
        return;
    }
    const char* p = text;
    for (short i = 1; i <= script_param_count(ev->type); i++) {
        char* end = nullptr;
        const long v = strtol(p, &end, 10);
        if (end == p) break;
        ev->param[i] = (int32_t)v;
        p = end;
        if (*p == ',') p++;
    }
    if (ev->type == ScriptComment) {
        const char* lf = strchr(text, '\n');
        ev->cs.set(lf ? lf + 1 : "");
    }
}

int32_t script_delay_longer(int32_t delay)
{
    return delay <= 4000 ? delay / 200 * 200 + 200 : delay / 1000 * 1000 + 1000;
}

int32_t script_delay_shorter(int32_t delay)
{
    return delay > 4000 ? (delay - 1000) / 1000 * 1000 : (delay - 200) / 200 * 200;
}

ScriptEditor::ScriptEditor(CScript* s, CDialog* d) : script(s), dialog(d) { fill(); }

short ScriptEditor::selected()
{
    CList* list = dialog->list(3);
    const short n = list ? list->get_cur() : 0;
    return n >= 1 && n <= script->total() ? n : 0;
}

void ScriptEditor::fill()
{
    if (CList* list = dialog->list(3)) {
        list->clear();
        char line[kLine];
        for (short i = 1; i <= script->total(); i++) {
            event_title(line, script->get(i), sizeof line);
            list->add(line);
        }
    }
    for (short k = 0; k < 4; k++)
        if (CCheck* box = dialog->check((short)(21 + k))) box->set_value((script->versions & kVersionBits[k]) ? 1 : 0);
}

void ScriptEditor::show_selected()
{
    const short i = selected();
    if (!i) return;
    const ScriptEvent* ev = script->get(i);
    if (CPopup* kind = dialog->popup(5)) kind->set_cur(ev->type);
    if (CTextedit* comment = dialog->te(16)) comment->set_text(text_of(ev->comment));
    char params[kLine];
    event_params(params, ev, sizeof params);
    if (CTextedit* te = dialog->te(13)) te->set_text(params);
}

void ScriptEditor::rewrite(short i)
{
    CList* list = dialog->list(3);
    if (!list || i < 1) return;
    char line[kLine];
    event_title(line, script->get(i), sizeof line);
    list->set_item(line, i);
}

void ScriptEditor::insert_event(ScriptEvent* ev, short at)
{
    script->events.insert((intptr_t)ev, at);
    char line[kLine];
    event_title(line, ev, sizeof line);
    if (CList* list = dialog->list(3)) list->insert(line, at);
}

void ScriptEditor::exchange(short a, short b)
{
    const intptr_t ea = script->events.get(a);
    script->events.set(script->events.get(b), a);
    script->events.set(ea, b);
    rewrite(a);
    rewrite(b);
    dialog->list(3)->set_cur(b);
}

void ScriptEditor::save_as()
{
    script->save_user();
}

short ScriptEditor::act(const Event& ev)
{
    const short i = selected();
    CList* list = dialog->list(3);
    switch (ev.item) {
    case 3:
        if (ev.type == EvControl) show_selected();
        break;
    case 5:
        if (i) {
            script->get(i)->type = dialog->popup(5)->get_cur();
            rewrite(i);
        }
        break;
    case 6: case 7:
        if (i) {
            ScriptEvent* e = script->get(i);
            e->delay = ev.item == 6 ? script_delay_longer(e->delay) : script_delay_shorter(e->delay);
            rewrite(i);
        }
        break;
    case 8:
        if (i > 1) exchange(i, (short)(i - 1));
        break;
    case 9:
        if (i && i < script->total()) exchange(i, (short)(i + 1));
        break;
    case 10: {
        CScript* other = new CScript;
        if (other->open_user()) {
            short at = i;
            for (short k = 1; k <= other->total(); k++) insert_event(other->get(k), ++at);
            other->events.clear();  // the events now belong to this script
            if (list && at > 0) list->set_cur(at);
            show_selected();
        }
        delete other;
        break;
    }
    case 11: {
        auto* e = new ScriptEvent;
        e->type = ScriptComment;
        e->delay = 200;
        e->param[1] = -3;
        e->param[2] = -5;
        insert_event(e, (short)(i + 1));
        if (list) list->set_cur((short)(i + 1));
        show_selected();
        break;
    }
    case 12:
        if (i) {
            delete (ScriptEvent*)script->events.remove(i);
            list->remove(i);
            const short now = i <= script->total() ? i : script->total();
            list->set_cur(now);
            show_selected();
        }
        break;
    case 13:
        if (i) {
            CString text;
            dialog->te(13)->get_text(&text);
            params_event(text_of(text), script->get(i));
            rewrite(i);
        }
        break;
    case 16:
        if (i) {
            CString text;
            dialog->te(16)->get_text(&text);
            script->get(i)->comment.set(text_of(text));
            rewrite(i);
        }
        break;
    case 17: save_as(); break;
    case 18: case 1:
        if (script->filename.length() > 0) script->save();
        else save_as();
        if (ev.item == 1) return 1;
        break;
    case 19:
        if (script->open_user()) fill();
        break;
    case 20:
        script->clear();
        // The script is empty now whether the template is read or not: so is the list.
        script->open("Misc\\Demos\\modele.med");
        fill();
        break;
    case 21: case 22: case 23: case 24: {
        const short bit = kVersionBits[ev.item - 21];
        CCheck* box = dialog->check(ev.item);
        if (box && box->get_value()) script->versions = (short)(script->versions | bit);
        else script->versions = (short)(script->versions & ~bit);
        break;
    }
    case 2: return 0;
    default: break;
    }
    return -1;
}

short CScript::edit()
{
    CDialog* dialog = new CDialog("MISC", "CLASSES.RES", 10, default_dialog_handler, 0);
    ScriptEditor editor(this, dialog);
    dialog->show();
    Event ev;
    short result = 1;
    while (dialog->run_modal(&ev)) {
        if (ev.type != EvControl && ev.type != EvListDouble && ev.type != EvTextChanged) continue;
        const short r = editor.act(ev);
        if (r >= 0) {
            result = r;
            break;
        }
    }
    delete dialog;
    return result;
}
