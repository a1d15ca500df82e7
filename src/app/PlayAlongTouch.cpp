// The play-along view's touch input and its player: events of the score panel become touches
// (app/TouchLocator.h), the player (app/TouchPlayer.h) runs on the timer, and what it asks of
// the screen is done here on the program's thread.
#include "app/ViewBrindlecot.h"

#include "app/Application.h"
#include "app/DocumentLifeCycle.h"
#include "app/OptionFiles.h"
#include "app/Parametres.h"
#include "app/StyleArrangement.h"
#include "chords/CComposer.h"
#include "editor/EditorServices.h"
#include "editor/ItemHitTest.h"
#include "framework/CApplication.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Event.h"
#include "framework/EventDispatch.h"
#include "framework/LocalTime.h"
#include "framework/TabletManager.h"
#include "framework/UserInput.h"
#include "layout/UtilitairesPartition.h"
#include "midi/CMidi.h"
#include "midi/PlayRecordManager.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"
#include "score/ToolsManager.h"
#include "score/ToolNumbers.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr short kTouchPeriodMs = 5;
constexpr short kScorePanel = 1;
constexpr short kUserPanelKind = 7;
constexpr int32_t kOffPage = -200;
// The live sliders' places while their panels are not shown.
constexpr short kSoloistSlider = 100, kAccompanimentSlider = 50, kEffectSlider = 0, kTranspositionSlider = 0;

// The play-along's output: the program's MIDI layer and clocks.
class ProgramIo : public PlayerIo {
public:
    explicit ProgramIo(Brindlecot* v) : view_(v) {}
    int32_t clock() override { return midi() ? midi()->time_unit.load() : 0; }
    void set_clock(int32_t tick) override
    {
        if (midi()) midi()->time_unit = tick;
    }
    int32_t now_ms() override { return get_time_pos(); }
    void midi_out(short port, const unsigned char* bytes, short tot) override
    {
        if (midi()) midi()->midi_out(tot, (char*)bytes, port);
    }
    void send(int32_t when, const unsigned char* bytes, short tot) override
    {
        if (midi()) midi()->send(1, when, tot, (char*)bytes, tot == 4 ? 0 : 1);
    }
    void highlight(bool on, short id, short third) override
    {
        char marker[4] = {(char)(on ? 2 : 3), (char)(id >> 8), (char)(id & 0xFF), (char)third};
        queue_midi_color(marker, 0);
    }
    void controls() override { maj_controls(view_->controls, view_->play.psol, view_->portee_metronome); }
    bool playback_running() override { return mpr && mpr->get_cur_play_mes() != 0; }
    // The assistant's preview has a timer task of its own.
    void assistant_play() override {}

private:
    static CMidi* midi() { return application ? application->midi : nullptr; }
    Brindlecot* view_;
};

short current_tool() { return pal ? pal->get_tool() : 0; }

// Touch mode: the touch-play tool, or no editing tool at work. The palettes float over the view
// with the pointer chosen until the user takes an editing tool from them.
bool touch_mode()
{
    const short t = current_tool();
    if (t == (short)tool::TouchPlay) return true;
    return !tools_active && (t == (short)tool::None || t == (short)tool::Pointer);
}

// Acts on the source that drives a live value (parameters 15 and 16): 2 soloist volume, 3
// accompaniment, 4 vibrato, 5 pitch bend, 6 transposition, 7 portamento.
void drive(Brindlecot* v, short target, short bend)
{
    switch (target) {
    case drives::SoloistVolume: maj_volume_soliste(&v->controls, kSoloistSlider, false); break;
    case drives::AccompanimentLevel: maj_volume_accomp(&v->controls, kAccompanimentSlider); break;
    case drives::Vibrato: maj_vibrato(&v->controls, kEffectSlider); break;
    case drives::PitchBend: v->controls.next_pitchbend = bend; break;
    case drives::Transposition: maj_transpo(kTranspositionSlider); break;
    case drives::Portamento: maj_porta(&v->controls, kEffectSlider); break;
    default: break;
    }
}

// The first chord block of a measure, or null.
CTextBloc* chord_block(CMeasure* m)
{
    for (short i = 1; m && i <= m->total(); i++)
        if (CTextBloc* b = m->get_textbloc_item(i))
            if (b->color == annotation::Chord) return b;
    return nullptr;
}

}  // namespace

// ---- Pausing the player ----

namespace {
short pause_depth = 0;  // the program's thread only
}

PlayerPause::PlayerPause()
{
    ok_interrupt = false;
    if (pause_depth++ == 0)
        if (Brindlecot* v = play_along_view())
            if (v->player_registered && application) application->timer.remove_timer_task(brindle_cot_task);
}

PlayerPause::~PlayerPause()
{
    if (--pause_depth > 0) return;
    if (Brindlecot* v = play_along_view()) {
        v->prepare_player();
        if (v->player_registered && application) application->timer.add_timer_task(brindle_cot_task);
    }
    ok_interrupt = true;
}

void brindle_cot_task()
{
    if (!ok_interrupt) return;
    if (Brindlecot* v = play_along_view()) v->work();
}

// ---- The player ----

void Brindlecot::prepare_player()
{
    if (!player_io) player_io = std::make_unique<ProgramIo>(this);
    if (!player) player = std::make_unique<TouchPlayer>(play, *player_io);
    player_score = PlayerScore{};
    Document* d = doc;
    if (d && set_cur_doc(id, sub_id)) {
        const short n = std::min<short>(nombre_portees(d), std::min(d->tot_ins, d->tot_piste));
        const short N = (short)std::max<size_t>(touch_columns.size(), 1) - 1;
        player_score.tracks.resize((size_t)std::max<short>(n, 0) + 1);
        for (short s = 1; s <= n; s++) {
            PlayerTrack& t = player_score.tracks[(size_t)s];
            const Ins& ins = d->ins[s];
            t.piste = d->piste[s];
            t.channel = std::clamp<short>(ins.canal, 1, 16);
            t.port = std::clamp<short>(ins.port, 1, 4);
            t.soloist = ins.in_roll & 1;
            t.group_trigger = ins.accol_type == 1 && ins.accol_tot == 1;
        }
        player_score.columns.resize((size_t)N + 1);
        for (short m = 1; m <= N; m++) {
            PlayerColumn& c = player_score.columns[(size_t)m];
            c.start_time = touch_columns[(size_t)m].start_time;
            c.length = touch_columns[(size_t)m].length;
            c.bcot_mode = touch_columns[(size_t)m].bcot_mode;
            c.first_event.assign((size_t)n + 1, 0);
            for (short s = 1; s <= n; s++)
                if (CMeasure* M = mesure_maitre(d, m, s)) c.first_event[(size_t)s] = M->first_event;
            if (CTextBloc* b = chord_block(mesure_maitre(d, m, 1))) {
                const char* text = b->text.get();
                c.chord.assign(text, text + std::strlen(text) + 1);
            }
        }
        player_score.portee_metronome = portee_metronome;
        player_score.composition = composition != 0;
    }
    player->set_score(&player_score);
    player->reset_tracks();
}

void Brindlecot::start_player()
{
    if (player_registered || !application) return;
    prepare_player();
    timer_period_before = application->timer.get_timer_resolution();
    if (timer_period_before != kTouchPeriodMs) application->timer.set_timer_resolution(kTouchPeriodMs);
    player_registered = true;
    application->timer.add_timer_task(brindle_cot_task);
    activer_jeu_bcot(1);
}

void Brindlecot::stop_player()
{
    if (!player_registered || !application) return;
    application->timer.remove_timer_task(brindle_cot_task);
    player_registered = false;
    play.jeu_bcot_actif = 0;
    if (timer_period_before > 0 && timer_period_before != kTouchPeriodMs && !(mpr && mpr->get_cur_play_mes()))
        application->timer.set_timer_resolution(timer_period_before);
}

void Brindlecot::activer_jeu_bcot(short on) { play.jeu_bcot_actif = on; }

void Brindlecot::work()
{
    if (player) player->work();
}

void Brindlecot::jeu()
{
    if (player) player->jeu();
}

void Brindlecot::take_player_requests()
{
    if (!doc || !up) return;
    // The settings the player reads.
    play.transpo = transpo;
    play.metro_velo = metro_velo;
    play.cur_volsol = controls.cur_volsol >= 0 ? controls.cur_volsol.load() : (short)100;
    play.cur_volacc = controls.cur_volacc.load();
    play.param19 = param[parameter::LastVolumeAsVelocity].load();
    play.param21 = param[parameter::MetronomeLow].load();
    play.param22 = param[parameter::MetronomeHigh].load();
    play.assistant_open = compo_active != 0;
    play.assistant_preview = compo_active && current_tool() != (short)tool::TouchPlay;

    if (play.automatic_ended.exchange(false, std::memory_order_acquire)) {
        calculer_mesures_start(doc);
        posx = -32000;
        up->dirty();
    }
    if (play.mise_a_jour_accords_gamme.load(std::memory_order_acquire)) {
        if (composer) composer->activer_accord(play.accord_a_activer);
        play.mise_a_jour_accords_gamme.store(false, std::memory_order_release);
    }
    if (const short column = play.syscur_column.exchange(0)) {
        if (Page* page = doc->cur_pag > 0 ? doc->pag[doc->cur_pag] : nullptr)
            for (short k = 1; k <= page->tot_sys; k++) {
                Systeme* sys = doc->sys[page->sys[k]];
                Portee* first = sys && sys->tot_por ? doc->por[sys->por[1]] : nullptr;
                for (short t = 1; first && t <= first->tot_mes; t++)
                    if (doc->mes[first->mes[t]] && doc->mes[first->mes[t]]->ma == column) play.syscur = page->sys[k];
            }
    }
    if (play.page_turn.exchange(false, std::memory_order_acquire) && doc->cur_pag > 0 && doc->cur_pag < doc->tot_pag) {
        effacer_indic(true);
        doc->cur_pag++;
        doc->sub_doc[sub_id].cur_pag = doc->cur_pag;
        pag_ok = 0;
        indic_edit = 0;
        up->dirty();
        // The first measure of the new page is touched, as the finger would.
        Page* page = doc->pag[doc->cur_pag];
        Systeme* sys = page && page->tot_sys ? doc->sys[page->sys[1]] : nullptr;
        Portee* first = sys && sys->tot_por ? doc->por[sys->por[1]] : nullptr;
        if (CMeasure* m = first && first->tot_mes ? doc->mes[first->mes[1]] : nullptr)
            localiser(m->front + m->x + 6, m->y + 6);
    }
    if (play.indic_erase.exchange(false)) effacer_indic(true);
    if (play.redraw.exchange(false)) up->dirty();
    const uint32_t seq = play.indic_seq.load(std::memory_order_acquire);
    if (seq != indicator_seen && !inside_draw && !indic_wait_next_redraw) {
        indicator_seen = seq;
        effacer_indic(true);
        const short ma = play.indic_ma, sys = play.indic_sys;
        if (ma > 0 && doc->cur_pag > 0) {
            invert_indic(1, ma, sys, play.indic_unit);
            indic_edit = 1;
        }
    }
}

// ---- Touches ----

// The page point under panel point x (y): the scroll origin added, the zoom taken away.
int32_t Brindlecot::page_x(short x) const { return scalex > 0 ? (int32_t)((ox + x) / scalex) : ox + x; }
int32_t Brindlecot::page_y(short y) const { return scaley > 0 ? (int32_t)((oy + y) / scaley) : oy + y; }

TouchScore Brindlecot::touch_page() const
{
    TouchScore s;
    Document* d = doc;
    if (!d || d->cur_pag < 1 || d->cur_pag > d->tot_pag || !d->pag[d->cur_pag]) return s;
    const Sub_document& first = d->sub_doc[1];
    s.area = {first.me_g + first.mi_g, first.mx - first.me_d - first.mi_d, first.me_s + first.mi_s,
              first.my - first.me_i - first.mi_i};
    auto system_of = [&](short id) {
        TouchSystem ts;
        ts.id = id;
        const Systeme* sys = d->sys[id];
        for (short j = 1; sys && j <= sys->tot_por; j++) {
            const Portee* staff = d->por[sys->por[j]];
            TouchStaffLine line;
            for (short t = 1; staff && t <= staff->tot_mes; t++) {
                const CMeasure* m = d->mes[staff->mes[t]];
                if (!m) continue;
                TouchMeasure tm;
                tm.x = m->x;
                tm.y = m->y;
                tm.width = m->width;
                tm.front = m->front;
                tm.jump_next = m->jump_next;
                tm.ma = m->ma;
                tm.pa = m->pa;
                tm.start_time = m->start_time;
                tm.length = m->length;
                line.measures.push_back(tm);
            }
            if (!line.measures.empty()) ts.staves.push_back(std::move(line));
        }
        return ts;
    };
    const Page* page = d->pag[d->cur_pag];
    for (short k = 1; k <= page->tot_sys; k++) s.systems.push_back(system_of(page->sys[k]));
    if (d->cur_pag < d->tot_pag && d->pag[d->cur_pag + 1] && d->pag[d->cur_pag + 1]->tot_sys)
        s.next_page_system = d->pag[d->cur_pag + 1]->sys[1];
    s.columns = touch_columns;
    return s;
}

void Brindlecot::localiser(int32_t x, int32_t y)
{
    if (play.jeu_auto) return;
    TouchContext ctx;
    ctx.macc = play.macc;
    ctx.accomp_actif = play.accomp_actif != 0;
    ctx.relative_tablet = param[parameter::RelativeTablet] != 0;
    ctx.page_turn = param[parameter::TabletPageJump] != 0;
    const TouchPlace p = ::localiser(touch_page(), ctx, x, y);
    if (!p.found) {
        publish_touch(play, p);
        if (indic_edit) {
            effacer_indic(true);
            indic_edit = 0;
            if (up) up->dirty();
            if (application && application->midi) application->midi->reset_midi_out(1, 1);
        }
        return;
    }
    if (p.hpor != hpor) {
        hpor = p.hpor;
        drive(this, param[parameter::HeightDrives], height_pitch_bend(p.hpor));
        maj_controls(controls, p.psol, portee_metronome);
    }
    publish_touch(play, p);
}

void Brindlecot::cancel_play()
{
    posx = kOffPage;
    posy = 0;
    cposx = (int32_t)(offsetx + posx * factx + 3.0);
    cposy = (int32_t)(offsety + posy * facty);
    play.touch = 1;
    localiser(cposx, cposy);
    play.touch = 0;
    effacer_indic(true);
    if (application && application->midi) play.stop_acc = application->midi->time_unit.load();
}

void Brindlecot::verifier_pedale()
{
    if (!param[parameter::ButtonMode]) return;
    const bool shift = get_shift() != 0;
    if (shift && !play.pedale) {
        play.pedale = 1;
        if (composer) composer->modification_pedale();
    } else if (!shift && play.pedale) {
        if (!play.touch) play.relever = 1;
        play.pedale = 0;
        if (composer) composer->modification_pedale();
    }
}

// ---- Events ----

namespace {

// The mouse's touch: only with the left button and while the mouse stands in for the tablet.
bool mouse_plays(const Event* e) { return (e->flags & EvfLeft) && param[parameter::MouseInsteadOfTablet]; }

}  // namespace

short Brindlecot::dispatch(Event* e)
{
    if (!touch_mode()) return 0;  // editing mode: the score editor has the events
    const bool button_mode = param[parameter::ButtonMode] != 0;
    switch (e->type) {
    case EvPress:
        // The program's own pop-up menu (the assistant's progressions); the measure touched
        // becomes the assistant's current one.
        if (e->flags & EvfRight) return editeur_hooks.view_menu(this, e);
        if (e->flags & EvfLeft) {
            const short column = measure_column_at(this, e->x, e->y);
            if (column) editeur_hooks.measure_pressed(this, column);
        }
        if (mouse_plays(e)) {
            play.touch = 1;
            localiser(page_x(e->x), page_y(e->y));
            if (button_mode) play.appuyer = 1;
        }
        return 1;
    case EvRelease:
        if (param[parameter::MouseInsteadOfTablet]) {
            play.touch = 0;
            if (button_mode && !play.pedale) play.relever = 1;
        }
        return 1;
    case EvMove:
        if (param[parameter::MouseInsteadOfTablet]) {
            if (play.touch) localiser(page_x(e->x), page_y(e->y));
            if (!indnd && application) {
                if (play.touch) application->set_cursor_staff();
                else application->set_cursor_finger();
            }
        }
        return 1;
    case 21:  // pen pressure
        drive(this, param[parameter::PressureDrives], echelle_pression(e->pressure));
        return 1;
    case 18:  // pen tip up
        play.touch = 0;
        if (button_mode && !play.pedale) play.relever = 1;
        return 1;
    case 13:
        proxi = 1;
        return 1;
    case 14:
        proxi = 0;
        if (param[parameter::RelativeTablet]) posx = -32000;
        return 1;
    case 15:  // pen tip down
        play.touch = 1;
        if (button_mode) play.appuyer = 1;
        [[fallthrough]];
    case 12:  // pen move
        if (!param[parameter::RelativeTablet]) {
            posx = e->tabletx;
            posy = e->tablety;
            cposx = (int32_t)(offsetx + posx * factx + 3.0);
            cposy = (int32_t)(offsety + posy * facty);
            if (play.touch) localiser(cposx, cposy);
            short sx = (short)((short)(cposx * scalex) - ox), sy = (short)((short)(cposy * scaley) - oy);
            if (up && sx >= 0 && sx < up->get_width() && sy >= 0 && sy < up->get_height()) {
                up->local_to_global(&sx, &sy);
                move_mouse((short)(sx - get_mouse_x()), (short)(sy - get_mouse_y()));
            }
        }
        return 1;
    default:
        if (e->type >= EvJoystickFirst && e->type <= EvJoystickLast) return 1;
        return 0;
    }
}

short bcot_proc(CPanel* panel, Event* event)
{
    Brindlecot* v = static_cast<Brindlecot*>(panel->data);
    if (!v) return score_proc(panel, event);
    if (event->type == EvPaint && panel->uid == kUserPanelKind && panel->item_id == 6) return 1;
    // The score panel's input in touch mode; everything else (the keys and the transport among
    // them) as the score editor takes it.
    const bool input = event->type != EvPaint && event->type != EvSize && event->type != EvClose &&
                       event->type != EvControl && !(event->type >= EvScrollLineDown && event->type <= EvScrollEnd);
    if (input && touch_mode() && panel->uid == kUserPanelKind && panel->item_id == kScorePanel && v->dispatch(event))
        return 1;
    return score_proc(panel, event);
}
