#include "midi/PlayRecordManager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/Editeur.h"
#include "editor/NoteRestMenus.h"
#include "framework/CApplication.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Event.h"
#include "framework/UserFiles.h"
#include "framework/UserInput.h"
#include "framework/WindowLookup.h"
#include "layout/Justification.h"
#include "layout/ScoreDrawing.h"
#include "layout/StructureEditing.h"
#include "layout/UtilitairesPartition.h"
#include "midi/BlockCommands.h"
#include "midi/CMidi.h"
#include "midi/ClickPlayback.h"
#include "midi/Transcription.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MidiAutoConfig.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"
#include "score/ScoreItems.h"

std::atomic<int32_t> pending_start{0};
std::atomic<int32_t> pending_stop{0};

namespace {

constexpr short kRecordOperation = 0x58;
constexpr short kUndoTrack = 6;
constexpr short kPlayPeriod = 5;    // ms of the timer while a play runs
constexpr short kIdlePeriod = 250;  // ms once it has ended, unless a task needs it faster

CMidi* port_layer() { return application ? application->midi : nullptr; }

int32_t clock_now() {
    CMidi* midi = port_layer();
    return midi ? midi->time_unit.load() : 0;
}

// The played document: one document is open at a time, whatever its number.
Document* played_document(short) { return doc; }

short column_count() { return doc && doc->sys && doc->sys[1] && doc->sys[1]->tot_por ? nombre_colonnes() : 0; }

CMeasure* first_staff_measure(short column) {
    return column >= 1 && column <= column_count() ? mesure_maitre(doc, column, 1) : nullptr;
}

// The page `p` of the current extract when it holds a system, else null.
Page* page_with_system(Document* d, short p) {
    if (!d->pag || p < 0 || p > d->max_pag || !d->pag[p] || d->pag[p]->tot_sys < 1) return nullptr;
    return d->pag[p];
}

// The first staff of system s.
Portee* first_staff_of(Document* d, short s) {
    Systeme* sys = s >= 1 && s <= d->tot_sys ? d->sys[s] : nullptr;
    return sys && sys->tot_por >= 1 ? d->por[sys->por[1]] : nullptr;
}

// The column of the page's first measure and the number of columns on the page.
bool page_columns(Document* d, Page* page, short* first, short* count) {
    Portee* staff = first_staff_of(d, page->sys[1]);
    if (!staff || staff->tot_mes < 1) return false;
    short ma = 1, pa = 1;
    localiser_mesure(staff->mes[1], &ma, &pa);
    *first = ma;
    short n = 0;
    for (short k = 1; k <= page->tot_sys; k++)
        if (Portee* s = first_staff_of(d, page->sys[k])) n = (short)(n + s->tot_mes);
    *count = n;
    return true;
}

// The views of document `id` and extract `sub_id` of type `type` (1: every view that shows the
// score, the play-along view too), in slot order.
template <class F>
void for_views(Document* d, short id, short sub_id, short type, F f) {
    for (short i = 1; i <= 10; i++) {
        View* v = d->vue[i];
        if (v && v->id == id && v->sub_id == sub_id && (v->typ == type || (type == 1 && v->shows_score()))) f(v);
    }
}

// The period the timer's tasks need once a play has ended: the scheduler alone is content with
// a slow timer; any other task (the play-along view, the styles) keeps what it had.
short period_after_play(short before) {
    if (!application) return kIdlePeriod;
    const CTimer& timer = application->timer;
    for (short i = 1; i <= timer.total_timer.load() && i <= CTimer::kMaxTasks; i++)
        if (timer.timer_task[i].load() != run_midi) return before > 0 ? before : kPlayPeriod;
    return std::max<short>(before, kIdlePeriod);
}

CPlayRecordManager* make_manager() { return new CPlayRecordManager; }
void delete_manager(CPlayRecordManager* m) { delete m; }
void pump() {
    if (mpr) mpr->play_temps_reel();
}

}  // namespace

// ---- Object and settings -------------------------------------------------------------------

CPlayRecordManager::CPlayRecordManager() {
    uid = 503;
    metro_port = 1;
    metro_midi = 10;
    metro_pitch_mes = 33;
    metro_pitch_bat = 34;
    metro_velo_mes = 80;
    metro_velo_bat = 64;
    metronome = 0;
    sync_output = 0;
    if (CMidi* midi = port_layer()) {
        midi->tempo = 60;
        midi->midi_special_treatment = ::midi_special_treatment;
    }
    old_tempo = 60;
    read_prefs();
    if (sync_output < 0 || sync_output > 4) sync_output = 0;
    if (sync_input < 0 || sync_input > 4) sync_input = 0;
    if (CMidi* midi = port_layer()) midi->external_sync = sync_input;
}

CPlayRecordManager::~CPlayRecordManager() {
    if (CMidi* midi = port_layer()) {
        // Only its own receiver, which another may have replaced.
        auto own = &::midi_special_treatment;
        midi->midi_special_treatment.compare_exchange_strong(own, nullptr);
    }
    write_prefs();
}

namespace {

std::string prefs_file() {
    return user_system_file("MPR.PFR");
}

// Sets the tick clock going; the scheduler looks at once for what is due first rather than at
// its next period.
void clock_on(CMidi* midi) {
    if (!midi) return;
    midi->time_unit_status = 1;
    if (application) application->timer.wake_in_us(0);
}

}  // namespace

void CPlayRecordManager::read_prefs() {
    const std::string path = prefs_file();
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) return;
    short v[18] = {start_mode, stop_mode, largeur_boucle, metro_port, metro_midi, metro_pitch_mes,
                   metro_pitch_bat, metro_velo_mes, metro_velo_bat, retour_auto, metronome, compter,
                   boucler, pos_x, pos_y, sync_output, reset_type, sync_input};
    if (std::fscanf(f, "mpr(%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd", &v[0], &v[1],
                    &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14],
                    &v[15], &v[16], &v[17]) > 0) {
        short* fields[18] = {&start_mode, &stop_mode, &largeur_boucle, &metro_port, &metro_midi,
                             &metro_pitch_mes, &metro_pitch_bat, &metro_velo_mes, &metro_velo_bat, &retour_auto,
                             &metronome, &compter, &boucler, &pos_x, &pos_y, &sync_output, &reset_type,
                             &sync_input};
        for (int i = 0; i < 18; i++) *fields[i] = v[i];
    }
    std::fclose(f);
}

void CPlayRecordManager::write_prefs() {
    const std::string path = prefs_file();
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "mpr(%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd,%hd)\n", start_mode,
                 stop_mode, largeur_boucle, metro_port, metro_midi, metro_pitch_mes, metro_pitch_bat, metro_velo_mes,
                 metro_velo_bat, retour_auto, metronome, compter, boucler, pos_x, pos_y, sync_output, reset_type,
                 sync_input);
    std::fclose(f);
}

// ---- Transport -----------------------------------------------------------------------------

short CPlayRecordManager::dispatch(Event* e) {
    if (!joue) maj_doc_jeu();
    if (!e || e->type != EvKey || !id) return 0;
    if (get_cur_te()) return 0;
    if (e->value == 0x20) {
        if (!play_but && !rec_but) command_play();
        else command_stop();
        return 1;
    }
    if (e->value == 0x0D) {
        if (joue) return 0;
        command_record();
        return 1;
    }
    return 0;
}

void CPlayRecordManager::queue_sync(unsigned char status) {
    CMidi* midi = port_layer();
    if (!sync_output || !midi) return;
    char b[4] = {(char)status, 0, 0, 0};
    midi->send(sync_output, midi->time_unit + 5, 1, b, 1);
}

void CPlayRecordManager::command_play() {
    if (play_but) return;
    play_but = 1;
    play(0);
    queue_sync(0xFA);
}

void CPlayRecordManager::command_record() {
    if (play_but || !doc || sub_id < 1 || sub_id > doc->tot_sub_doc || doc->sub_doc[sub_id].rec_piste == 0) return;
    play_but = 1;
    rec_but = 1;
    play(0);
    queue_sync(0xFA);
}

void CPlayRecordManager::command_stop() {
    if (!play_but) return;
    play_but = 0;
    play(0);
    queue_sync(0xFC);
    if (rec_but) {
        rec_but = 0;
        if (doc) doc->flag_maj |= 0x6 | (doc->auto_transcrire ? 0x1 : 0);
    }
}

void CPlayRecordManager::start_playing(short) {
    if (play_but || rec_but) return;
    Event e{};
    e.type = EvKey;
    e.value = 0x20;
    dispatch(&e);
}

void CPlayRecordManager::stop_playing() {
    if (!play_but && !rec_but) return;
    Event e{};
    e.type = EvKey;
    e.value = 0x20;
    dispatch(&e);
}

void CPlayRecordManager::start_recording(short m) {
    if (play_but || rec_but) return;
    if (doc) doc->cur_mes = m;
    Event e{};
    e.type = EvKey;
    e.value = 0x0D;
    dispatch(&e);
}

void CPlayRecordManager::maj_doc_jeu() {
    if (joue) {
        if (!played_document(id)) {
            id = sub_id = 0;
            if (play_but) {
                play_but = 0;
                play(0);
            }
            rec_but = 0;
        }
        return;
    }
    View* v = find_view(0, 0, 0, 0, 4);
    if (!v || !doc) {
        id = sub_id = 0;
        return;
    }
    id = v->id;
    sub_id = v->sub_id;
    if (sub_id >= 1 && sub_id <= doc->tot_sub_doc) {
        old_tempo = doc->sub_doc[sub_id].tempo;
        if (CMidi* midi = port_layer()) midi->tempo = old_tempo;
    }
}

void CPlayRecordManager::afficher_mesure_jeu() {
    if (!doc) return;
    cur_play_mes = mes_jeu;
    if (in_visu) return;
    for_views(doc, id, sub_id, 1, [](View* v) { static_cast<Editeur*>(v)->do_indic(); });
}

void calculer_mesures_start(Document* d) {
    if (!d || !d->sys || !d->sys[1] || d->sys[1]->tot_por < 1) return;
    Systeme* master = d->sys[1];
    Portee* first = d->por[master->por[1]];
    int32_t t = 0;
    for (short c = 1; first && c <= first->tot_mes; c++) {
        for (short p = 1; p <= master->tot_por; p++) {
            Portee* staff = d->por[master->por[p]];
            if (!staff || c > staff->tot_mes) continue;
            if (CMeasure* m = d->mes[staff->mes[c]]) m->start_time = m->start = t;
        }
        if (CMeasure* m = d->mes[first->mes[c]]) t += m->length;
    }
}

// ---- Starting and ending a play ------------------------------------------------------------

void CPlayRecordManager::play(short) {
    if (joue == 0) start();
    else end();
}

void CPlayRecordManager::default_range(short* s, short* n) {
    Document* d = doc;
    const short columns = column_count();
    *s = d->cur_mes;
    if (mes_jeu >= 1 && mes_jeu <= columns) *s = mes_jeu;
    Page* linear = page_with_system(d, 0);
    Portee* staff = linear ? first_staff_of(d, linear->sys[1]) : nullptr;
    *n = staff ? staff->tot_mes : (short)(columns - d->cur_mes + 1);
}

CWindow* CPlayRecordManager::view_range(short* s, short* n, bool with_selection) {
    Document* d = doc;
    for (CWindow* w = get_front_window(); w; w = get_next_window(w)) {
        for (short i = 1; i <= 10; i++) {
            View* v = d->vue[i];
            if (!v || v->win != w || v->id != id || v->sub_id != sub_id || !v->shows_score()) continue;
            if (with_selection && v->sel_first_m) {
                *s = v->sel_first_m;
                *n = (short)(v->sel_last_m - v->sel_first_m + 1);
                return w;
            }
            Page* page = d->cur_pag != 0 ? page_with_system(d, d->cur_pag) : nullptr;
            if (!page || !page_columns(d, page, s, n)) *s = d->cur_mes;
            if (d->curseur && d->curseur_ma >= *s && d->curseur_ma <= *s + *n - 1) *s = d->curseur_ma;
            return w;
        }
    }
    return nullptr;
}

short CPlayRecordManager::loop_width() {
    const short columns = column_count();
    short width = std::max<short>(largeur_boucle, 1);
    if (sta + width - 1 > columns) width = (short)std::max(1, columns + 1 - sta);
    return width;
}

void CPlayRecordManager::start() {
    if (!id || !doc || !set_cur_doc(id, sub_id)) return;
    Document* d = doc;
    CMidi* midi = port_layer();
    midi_auto_config();
    joue = 1;
    d->joue = 1;
    if (application) {
        period_before_play = application->timer.get_timer_resolution();
        application->timer.set_timer_resolution(kPlayPeriod);
    }
    saut_de_mesure = 0;
    const short columns = column_count();
    // Drawing during the waits below turns the pump, which has nothing to do before the first
    // measure is rendered.
    starting = true;
    short s = 1, n = 1;
    default_range(&s, &n);
    CWindow* shown = view_range(&s, &n, true);
    sta = start_mode == 1 ? 1 : s;
    sto = stop_mode == 1 ? columns : (short)(s + n - 1);
    if (rec_but && d->rec_piste) {
        piste_record.clear();
        recording_take = true;
        take_dropped = 0;
        start_record = sta;
        total_record = 0;
    }
    // The instruments' set-up goes out while the clock runs; the user's keys wait their turn.
    clock_on(midi);
    jouer_mesures(1, 1, clock_now(), 1, 0, nullptr, 0);
    wait_ms_keeping_input(500);
    if (midi) midi->time_unit_status = 0;
    for (short t = 1; t <= d->tot_piste; t++)
        if (d->piste[t]) d->piste[t]->next = 1;
    int32_t count_in = 0;
    const int32_t origin = clock_now() + 1;
    CMeasure* first = first_staff_measure(sta);
    if (first && midi && (compter == 1 || (compter == 2 && rec_but))) {
        count_in = first->length;
        const char ch = (char)(std::clamp<short>(metro_midi, 1, 16) - 1);
        for (int32_t k = 0; k < std::max<short>(first->tot_beat, 1); k++) {
            const short pitch = k == 0 ? metro_pitch_mes : metro_pitch_bat;
            const short velo = k == 0 ? metro_velo_mes : metro_velo_bat;
            const int32_t at = origin + k * first->length_beat;
            char on[4] = {(char)(0x90 + ch), (char)(pitch & 0x7F), (char)(velo & 0x7F), 0};
            char off[4] = {(char)(0x80 + ch), (char)(pitch & 0x7F), 0, 0};
            midi->send(metro_port, at, 3, on, 1);
            midi->send(metro_port, at + 60, 3, off, 1);
        }
    }
    const int32_t sync_start = pending_start.exchange(0);
    calcul_jeu = sync_start ? sync_start : clock_now() + count_in + 1;
    fin_jeu = offset_time_unit = calcul_jeu;
    saut_de_mesure = sta != 1;
    jouer_mesures(sta, sta, calcul_jeu, 0, 0, nullptr, 0);
    if (shown)
        for (short i = 1; i <= 10; i++) {
            View* v = d->vue[i];
            if (!v || v->win != shown || v->sub_id != sub_id || !v->shows_score()) continue;
            static_cast<Editeur*>(v)->indic_edit_next_time = clock_now() + count_in + 1;
        }
    total_record++;
    mes_jeu = sta;
    afficher_mesure_jeu();
    cur_play_mes = sta;
    starting = false;
    clock_on(midi);
}

void CPlayRecordManager::end() {
    if (id) set_cur_doc(id, sub_id);
    joue = 0;
    if (doc) doc->joue = 0;
    stop_play();
    fin_jeu = 0;
    if (application) {
        // Back to what the running tasks need rather than a fixed slow period.
        application->timer.set_timer_resolution(kPlayPeriod);
        application->timer.set_timer_resolution(period_after_play(period_before_play));
    }
    if (!id || !doc) return;
    Document* d = doc;
    if (retour_auto) {
        short s = d->cur_mes, n = 0;
        Page* page = d->cur_pag != 0 ? page_with_system(d, d->cur_pag) : nullptr;
        if (start_mode == 1) s = 1;
        else if (page && page_columns(d, page, &s, &n)) {
            if (d->curseur) s = d->curseur_ma;
        } else {
            s = d->cur_mes;
        }
        sta = s;
        mes_jeu = sta;
    }
    afficher_mesure_jeu();
    for (short i = 1; i <= 10; i++) {
        View* v = d->vue[i];
        if (!v || v->id != id || !v->shows_score()) continue;
        Editeur* e = static_cast<Editeur*>(v);
        if (!e->indic_edit) continue;
        e->invert_indic(0, 0, 0, 0);
        e->indic_edit = 0;
    }
    calculer_mesures_start(d);
}

// ---- The pump ------------------------------------------------------------------------------

void CPlayRecordManager::forward_markers() {
    std::vector<int32_t> due = markers.take_all();
    if (due.empty() || !doc) return;
    bool taken = false;
    for_views(doc, id, sub_id, 1, [&](View* v) {
        Editeur* e = static_cast<Editeur*>(v);
        if (!e->color_note_buffer || taken) return;
        for (int32_t m : due) e->color_note_buffer->push(m);
        taken = true;
    });
}

void CPlayRecordManager::play_temps_reel() {
    CMidi* midi = port_layer();
    if (!midi || starting) return;
    if (pending_start.load()) {
        if (!joue) {
            Event e{};
            e.type = EvKey;
            e.value = 0x20;
            dispatch(&e);
        } else {
            pending_start = 0;
        }
    }
    if (pending_stop.load()) {
        if (joue) {
            Event e{};
            e.type = EvKey;
            e.value = 0x20;
            dispatch(&e);
        }
        pending_stop = 0;
    }
    midi->flush_midi_node(7, 0);
    midi->flush_midi_node(8, 0);
    forward_markers();
    Document* d = doc;
    short remembered = d ? d->cur_sub_doc : 0;
    if (d && !set_cur_doc(id ? id : 1, sub_id ? sub_id : remembered)) {
        permuter_contexte(d, remembered);
        return;
    }
    midi->flush_midi_node(5, 0);
    if (!joue || !d || !played_document(id)) {
        if (d && d->cur_sub_doc != remembered) permuter_contexte(d, remembered);
        return;
    }
    if (clock_now() >= calcul_jeu) {
        if (boucler && !rec_but) render_next_loop();
        else render_next_normal();
    }
    if (rec_but && d->rec_piste) do_record_piste();
    if (clock_now() > fin_jeu && joue && play_but) {
        play_but = 0;
        play(0);
        if (rec_but) {
            rec_but = 0;
            d->flag_maj |= 0x2;
        }
    }
    for_views(d, id, sub_id, 1, [](View* v) { static_cast<Editeur*>(v)->do_indic(); });
    forward_markers();
    if (d->cur_sub_doc != remembered) permuter_contexte(d, remembered);
}

void CPlayRecordManager::render_next_loop() {
    const short width = loop_width();
    afficher_mesure_jeu();
    if (CMeasure* m = first_staff_measure(mes_jeu)) {
        if (m->meas & 0x2000) {
            const short n = std::max<short>(m->meas & 0x3FF, 1);
            if (n < 2) {
                measure_count = 0;
            } else if (++measure_count < n) {
                mes_jeu--;
            } else {
                measure_count = 0;
            }
        } else {
            measure_count = 0;
        }
    }
    mes_jeu++;
    if (mes_jeu > sta + width - 1) {
        mes_jeu = sta;
        saut_de_mesure = 1;
        measure_count = 0;
    }
    calcul_jeu = fin_jeu;
    jouer_mesures(mes_jeu, mes_jeu, fin_jeu, 0, 0, nullptr, 0);
    total_record++;
}

void CPlayRecordManager::render_next_normal() {
    Document* d = doc;
    short s = d->cur_mes, n = 1;
    default_range(&s, &n);
    s = d->cur_mes;
    view_range(&s, &n, false);
    sta = start_mode == 1 ? 1 : s;
    sto = stop_mode == 1 ? column_count() : (short)(s + n - 1);
    if (mes_jeu > sto) return;
    afficher_mesure_jeu();
    CMeasure* m = first_staff_measure(mes_jeu);
    CRepeat* repeat = nullptr;
    for (short i = 1; m && i <= m->total() && !repeat; i++) repeat = m->get_repeat_item(i);
    bool again = false;
    if (m && (m->meas & 0x2000) && !rec_but) {
        const short times = std::max<short>(m->meas & 0x3FF, 1);
        if (times >= 2 && ++measure_count < times) again = true;
    }
    if (!again) {
        if (!repeat || rec_but) {
            mes_jeu++;
        } else {
            if (repeat->cur < 10) repeat->cur++;
            const short target = repeat->next[repeat->cur];
            if (target < 1 || target > sto) {
                mes_jeu++;
            } else {
                mes_jeu = target;
                saut_de_mesure = 1;
            }
        }
        measure_count = 0;
    }
    if (mes_jeu <= sto) {
        calcul_jeu = fin_jeu;
        jouer_mesures(mes_jeu, mes_jeu, fin_jeu, 0, 0, nullptr, 0);
        total_record++;
    }
}

// ---- Recording and the end of a play ------------------------------------------------------

void CPlayRecordManager::do_record_piste() {
    CMidi* midi = port_layer();
    if (!midi || !recording_take) return;
    for (int k = 0; k < 50; k++) {
        int32_t when = midi->time_unit;
        short tot = 0;
        char b[4] = {0, 0, 0, 0};
        midi->receive(6, &when, &tot, b);
        if (tot == 0) return;
        const unsigned char status = (unsigned char)b[0];
        if (tot == 1 && (status == 0xFE || status == 0xF8)) continue;
        if ((int32_t)piste_record.size() >= RECORD_TAKE_MAX_EVENTS) {
            take_dropped++;
            continue;
        }
        MidiEvent e{};
        e.time = std::max<int32_t>(when - offset_time_unit, 0);
        for (int i = 0; i < 4; i++) e.buf[i] = i < tot ? (unsigned char)b[i] : 0xFF;
        piste_record.push_back(e);
    }
}

void CPlayRecordManager::stop_play() {
    CMidi* midi = port_layer();
    if (!doc) return;
    Document* d = doc;
    time_stop_record = clock_now() - offset_time_unit;
    if (midi) {
        for (short node = 1; node <= 4; node++) midi->flush_midi_node(node, 0);
        // What the record input still holds joins the take before the input is emptied.
        if (rec_but && recording_take)
            for (int turn = 0; turn < 1000 && midi->midi_node[6].tot_msg > 0; turn++) do_record_piste();
        midi->flush_midi_node(6, 0);
        midi->flush_midi_node(7, 0);
    }
    if (midi)
        for (short port = 1; port <= 4; port++) {
            const char* synth = midi->midi_prefs.synthe[port];
            if (synth[0] && std::strcmp(synth, "---") != 0) midi->reset_midi_out(port, 1);
        }
    if (midi) midi->ajouter_progression_tempo(0, 0, 60, 60);
    reset_effets();
    last_unit_effet = 0;
    last_tempo_effet = d->tempo;
    if (id) set_cur_doc(id, sub_id);
    if (id)
        for (short c = 1; c <= column_count(); c++)
            if (CMeasure* m = first_staff_measure(c))
                for (short i = 1; i <= m->total(); i++)
                    if (CRepeat* r = m->get_repeat_item(i)) r->cur = 0;
    measure_count = 0;
    afficher_mesure_jeu();
    forward_markers();
    if (id && rec_but && recording_take) merge_take();
    recording_take = false;
}

void CPlayRecordManager::merge_take() {
    Document* d = doc;
    const short staff = d->rec_piste;
    const short columns = column_count();
    if (staff < 1 || staff > d->tot_piste) {
        piste_record.clear();
        return;
    }
    int32_t origin = 0;
    for (short c = 1; c < start_record; c++)
        if (CMeasure* m = first_staff_measure(c)) origin += m->length;
    total_record = std::min<short>(total_record, (short)(columns + 1 - start_record));
    int32_t end = 0;
    for (short c = start_record; c <= columns; c++) {
        CMeasure* m = first_staff_measure(c);
        end += m ? m->length : 0;
        if (end > time_stop_record) {
            total_record = (short)(c + 1 - start_record);
            break;
        }
    }
    total_record = std::max<short>(total_record, 1);
    CUndoManager* undo = d->cur_sub_doc >= 1 && d->cur_sub_doc <= d->tot_sub_doc ? d->sub_doc[d->cur_sub_doc].undo : nullptr;
    if (undo) {
        undo->new_level(kRecordOperation, 3);
        undo->add_obj((void**)&d->piste[staff], kUndoTrack, 0, 0);
    }
    const short last = (short)(start_record + total_record - 1);
    if (d->auto_erase) effacer_piste_entre(staff, start_record, last, 1, 1);
    if (!d->piste[staff]) d->piste[staff] = creer_piste(PISTE_NEW_ROOM);
    int32_t refused = take_dropped;
    for (MidiEvent& e : piste_record) {
        Piste* t = d->piste[staff];
        const short before = t->tot;
        d->piste[staff] = inserer_dans_piste(origin + e.time, 4, (char*)e.buf, t);
        if (d->piste[staff]->tot == before) refused++;
    }
    piste_record.clear();
    piste_record.shrink_to_fit();
    maj_rel_piste_mesures(staff);
    if (refused > 0 && application) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "La piste %d est pleine : %d \xE9v\xE9nements de l'enregistrement n'y sont pas entr\xE9s.", staff,
                      (int)refused);
        application->warning(text);
    }
    if (d->auto_transcrire) transcrire_enregistrement(staff, start_record, std::min(last, columns), undo);
    d->modif = 1;
}

// ---- Score following and sync notices ------------------------------------------------------

void midi_special_treatment(char* msg, short) {
    if (!mpr || !msg) return;
    const unsigned char first = (unsigned char)msg[0];
    const short kind = first & 0x07;
    const bool playing = mpr->play_but && mpr->cur_play_mes;
    if (kind == 4) {
        if (!playing) pending_start = std::max<int32_t>(clock_now(), 1);
        return;
    }
    if (kind == 5) {
        if (playing) pending_stop = std::max<int32_t>(clock_now(), 1);
        return;
    }
    if (kind != 2 && kind != 3) return;
    // Drawn later by the GUI thread: the score may change under this thread.
    int32_t packed = 0;
    std::memcpy(&packed, msg, 4);
    mpr->markers.push(packed);
}

void dessiner_marqueur(char* msg, short) {
    if (!msg) return;
    const short played_extract = mpr ? mpr->sub_id : 0;
    Document* d = played_document(mpr ? mpr->id : 0);
    if (!d) return;
    const unsigned char* b = (const unsigned char*)msg;
    const short kind = b[0] & 0x07, staff = b[0] >> 3;
    if (kind != 2 && kind != 3) return;
    const short m = (short)(((b[1] & 0x7F) << 8) | b[2]);
    if (m < 1 || m > d->max_mes || !d->mes || !d->mes[m]) return;
    CMeasure* measure = d->mes[m];
    if (measure->flags & 0x0C) return;
    bool on_page = false;
    Page* page = d->pag && d->cur_pag >= 0 && d->cur_pag <= d->max_pag ? d->pag[d->cur_pag] : nullptr;
    for (short k = 1; page && k <= page->tot_sys && !on_page; k++) {
        Systeme* sys = d->sys[page->sys[k]];
        for (short p = 1; sys && p <= sys->tot_por && !on_page; p++) {
            Portee* por = d->por[sys->por[p]];
            for (short c = 1; por && c <= por->tot_mes && !on_page; c++) on_page = por->mes[c] == m;
        }
    }
    const short item = b[3];
    if (item == 0 || item > measure->total()) return;
    CNote* note = measure->get_note_item(item);
    if (!note) return;
    Editeur* editor = nullptr;
    for (short i = 1; i <= 10 && !editor; i++) {
        View* v = d->vue[i];
        if (v && v->shows_score() && (!played_extract || v->sub_id == played_extract)) editor = static_cast<Editeur*>(v);
    }
    if (!editor) return;
    CUserPanel* panel = editor->up;
    if (on_page && panel) {
        const float size = staff >= 1 && staff <= d->tot_ins ? d->ins[staff].staff_size / 100.0f : 1.0f;
        const int32_t saved = panel->get_color();
        panel->go_to((short)(measure->x * editor->scalex - editor->ox), (short)(measure->y * editor->scaley - editor->oy));
        draw_note_head(note, panel, editor->scalex, editor->scaley * size, kind == 2 ? highlight_note : note->color);
        panel->set_color(saved);
    }
    if (kind == 2) note->flags |= 0x100;
    else note->flags &= ~0x100;
}

// ---- Installation --------------------------------------------------------------------------

void install_play_record_manager() {
    play_record_hooks.create = make_manager;
    play_record_hooks.destroy = delete_manager;
    play_record_hooks.pump = pump;
    editeur_hooks.get_play_but = []() -> short { return mpr ? mpr->get_play_but() : 0; };
    editeur_hooks.get_rec_but = []() -> short { return mpr ? mpr->get_rec_but() : 0; };
    editeur_hooks.get_cur_play_mes = []() -> short { return mpr ? mpr->get_cur_play_mes() : 0; };
    editeur_hooks.get_play_doc = [](short* id, short* sub_id) {
        *id = mpr ? mpr->id : 0;
        *sub_id = mpr ? mpr->sub_id : 0;
    };
    editeur_hooks.midi_time = []() -> int32_t { return clock_now(); };
    editeur_hooks.midi_special_treatment = dessiner_marqueur;
    editeur_hooks.transport_key = [](Event* e) -> short { return mpr ? mpr->dispatch(e) : 0; };
    structure_editing_hooks.get_play_but = []() -> short { return mpr ? mpr->get_play_but() : 0; };
    note_menu_hooks.edit_play_parameters = edit_play_parameters;
    structure_editing_hooks.stop_play = [] {
        if (mpr) mpr->stop_playing();
    };
}
