// The scheduler of the port layer: the tick clock, the tempo progressions and the pass that
// sends the messages that have fallen due.
#include "midi/CMidi.h"

#include "framework/CApplication.h"
#include "platform/MidiClock.h"
#include "score/Placeholders.h"
#include "platform/MidiDevices.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The scheduler's millisecond clock: the system's, or the one a test installs.
int32_t scheduler_time() { return platform::midi_clock()->now_ms(); }

}  // namespace

void run_midi()
{
    if (application->midi)
        application->midi->run();
}

void CMidi::midi_dispatch_init()
{
    std::memset(&filtre, 0, sizeof filtre);
    for (short& c : filtre.canal)
        c = 1;
    filtre.notes = filtre.after_touch_poly = filtre.after_touch_channel = filtre.control = 1;
    filtre.patch = filtre.pitch_bend = filtre.sys_com = filtre.sys_real = filtre.chan_mode = 1;
    filtre.sys_ex = 0;

    for (short i = 1; i <= 8; i++) {
        Midi_node& n = midi_node[i];
        std::scoped_lock lock(n.ready, n.backlog);
        n.msg = new Midi_msg[MIDI_NODE_SLOTS + 1]();
        n.msg_backlog = new Midi_msg[MIDI_BACKLOG_SLOTS + 1]();
        n.tot_msg = 0;
        n.next_out = 0;
        n.last = 1;
        n.echo_1 = n.echo_2 = n.echo_3 = n.echo_4 = 0;
        n.tot_send_backlog = 0;
        n.next_in_send_backlog = 1;
        n.next_out_send_backlog = 1;
        n.tot_wait = 0;
    }
    midi_node[1].echo_1 = 7;
    midi_node[5].echo_1 = 6;
    midi_node[5].echo_2 = 7;
    midi_node[8].echo_1 = 1;
    midi_node[8].echo_2 = 6;

    buf = new char[1000]();
    last_time_unit = 0;
    time_unit = 0;
    old_time_pos = scheduler_time();
    tempo = 100;
    var_tempo = 0;
    tempo_type = 0;
    tempo_count = 0;
    tempo_plus = 0;
    tempo_limite = 1;
    tempo_sens = 1;
    tempo_step = 0;
    tab_tot = 0;
    time_unit_status = 1;

    application->timer.add_timer_task(run_midi);
    for (short p = 1; p <= 4; p++) {
        if (midi_in_handle[p])
            midi_in_handle[p]->start();
    }
}

void CMidi::midi_dispatch_quit()
{
    for (short p = 1; p <= 4; p++) {
        if (midi_in_handle[p])
            midi_in_handle[p]->stop();
    }
    application->timer.remove_timer_task(run_midi);
    for (short i = 1; i <= 8; i++) {
        Midi_node& n = midi_node[i];
        // Senders on other threads (the play-along task) find the node without slots.
        std::scoped_lock lock(n.ready, n.backlog);
        delete[] n.msg;
        delete[] n.msg_backlog;
        n.msg = nullptr;
        n.msg_backlog = nullptr;
        n.tot_msg = 0;
        n.next_out = 0;
        n.tot_send_backlog = 0;
    }
    delete[] buf;
    buf = nullptr;
}

void CMidi::run()
{
    if (!buf)
        return;
    int32_t now = scheduler_time();
    // The difference of two readings of a wrapping millisecond counter.
    int32_t steps = static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(old_time_pos.load())) / 5;
    if (steps < 0) {
        // The millisecond clock went back: start counting again from here.
        old_time_pos = now;
        steps = 0;
    }
    old_time_pos = static_cast<int32_t>(static_cast<uint32_t>(old_time_pos.load()) + 5u * static_cast<uint32_t>(steps));

    if (time_unit_status && !external_sync) {
        std::unique_lock<std::mutex> lock(progression, std::try_to_lock);
        // While a progression is being changed its steps wait for the next pass.
        while (lock.owns_lock() && last_time_unit + 60 < time_unit) {
            last_time_unit += 60;
            if (tempo_type)
                progression_step();
        }
        int64_t acc = var_tempo + static_cast<int64_t>(tempo) * steps;  // a long gap stays exact
        if (acc > 25) {
            time_unit += static_cast<int32_t>(acc / 25);
            acc %= 25;
        }
        var_tempo = static_cast<int32_t>(acc);
    }

    // Between two 5 ms steps the clock has moved on by a share of a step: what falls due
    // inside it goes out now rather than at the next step.
    int64_t step_units = 0;  // the clock's position in the step, in 1/125,000 tick
    const bool running = time_unit_status && !external_sync && tempo > 0;
    const int32_t due = tick_in_step(now, &step_units);

    for (short i = 1; i <= 8; i++) {
        if (midi_node[i].tot_send_backlog > 0)
            drain_backlog(midi_node[i], 50);
    }

    for (short port = 1; port <= 4; port++) {
        Midi_node& n = midi_node[port];
        for (int k = 0; k < 50; k++) {
            if (n.tot_wait) {
                if (!midi_out(n.tot_wait, reinterpret_cast<char*>(n.buf_wait), port))
                    break;
                n.tot_wait = 0;
            }
            int32_t when = due;
            short tot;
            receive(port, &when, &tot, buf);
            if (tot == 0)
                break;
            if (tot == 4) {
                auto* b = reinterpret_cast<unsigned char*>(buf);
                int value = b[1] * 256 + b[2];
                if (b[0] == 1) {
                    // A tempo of 0 or one past 16 bits would stop the clock or run it backwards.
                    if (value > 0 && value < 0x8000)
                        tempo = static_cast<short>(value);
                } else if (auto* receiver = midi_special_treatment.load(); port <= 2 && receiver) {
                    receiver(buf, 0);
                }
            } else if (!midi_out(tot, buf, port)) {
                std::memcpy(n.buf_wait, buf, 4);
                n.tot_wait = tot;
                break;
            }
        }
    }    if (running)
        plan_next_pass(due, step_units, now);
}

int32_t CMidi::tick_in_step(int32_t now, int64_t* units)
{
    *units = 0;
    const short t = tempo;
    if (!time_unit_status || external_sync || t <= 0)
        return time_unit;
    const int64_t into_step_us =
        static_cast<int64_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(old_time_pos.load())) * 1000 +
        platform::midi_clock()->now_us() % 1000;
    *units = static_cast<int64_t>(var_tempo) * 5000 + static_cast<int64_t>(t) * std::max<int64_t>(into_step_us, 0);
    return time_unit + static_cast<int32_t>(*units / 125000);
}

int32_t CMidi::current_tick()
{
    int64_t units;
    return tick_in_step(platform::midi_clock()->now_ms(), &units);
}

double CMidi::exact_tick()
{
    int64_t units;
    const int32_t whole = tick_in_step(platform::midi_clock()->now_ms(), &units);
    return whole + static_cast<double>(units % 125000) / 125000.0;
}

void CMidi::plan_next_pass(int32_t due, int64_t step_units, int32_t now)
{
    // The earliest message still queued for an output, and when the clock reaches it. A message
    // queued meanwhile may have missed both the look and the plan's tick: then look again.
    int32_t first = INT32_MAX;
    for (int round = 0;; round++) {
        const uint32_t seen = queued_count.load();
        first = INT32_MAX;
        bool waiting = false;
        for (short port = 1; port <= 4; port++) {
            Midi_node& n = midi_node[port];
            waiting = waiting || n.tot_wait || n.tot_send_backlog > 0;
            std::unique_lock<platform::PiMutex> lock(n.ready, std::try_to_lock);
            if (!lock.owns_lock()) {
                waiting = true;
                continue;
            }
            if (n.msg && n.tot_msg > 0)
                first = std::min(first, n.msg[n.next_out].when);
        }
        if (waiting || first <= due || round == 3) {
            // Busy queues, or messages still coming in: another pass shortly.
            next_pass_tick = due;
            if (application) application->timer.wake_in_us(200);
            return;
        }
        next_pass_tick = first;
        if (queued_count.load() == seen)
            break;
    }
    if (first == INT32_MAX || !application)
        return;
    // Units still to run from the start of this step until the clock reaches `first`.
    const int64_t needed = static_cast<int64_t>(first - time_unit) * 125000 - static_cast<int64_t>(var_tempo) * 5000;
    const int64_t from_step_us = (needed + tempo - 1) / tempo;
    const int64_t into_step_us = (step_units - static_cast<int64_t>(var_tempo) * 5000) / tempo;
    (void)now;
    const int64_t wait_us = from_step_us - into_step_us;
    if (wait_us < 200000)
        application->timer.wake_in_us(wait_us);
}


// ---- Tempo progressions --------------------------------------------------------------------

void CMidi::remove_breakpoint(short i)
{
    for (short k = i; k < tab_tot; k++) {
        tab_unit[k] = tab_unit[k + 1];
        tab_tempo[k] = tab_tempo[k + 1];
    }
    tab_tot--;
}

void CMidi::insert_breakpoint(short i, int32_t tick, short t)
{
    if (tab_tot >= 10 || i < 1)
        return;  // the list holds ten breakpoints at most
    for (short k = tab_tot; k >= i && k < 10; k--) {
        tab_unit[k + 1] = tab_unit[k];
        tab_tempo[k + 1] = tab_tempo[k];
    }
    tab_unit[i] = tick;
    tab_tempo[i] = t;
    tab_tot++;
}

void CMidi::append_breakpoint(int32_t tick, short t)
{
    insert_breakpoint(tab_tot + 1, tick, t);
}

// A segment from the current point toward breakpoint 1, in steps of 60 ticks.
void CMidi::start_segment()
{
    tempo_count = 0;
    tempo_step = static_cast<short>((tab_unit[1] - time_unit) / 60);
    tempo_plus = static_cast<short>(std::abs(tab_tempo[1] - tempo));
    tempo_limite = tempo_step < 1 ? 1 : tempo_step;
    tempo_sens = tab_tempo[1] >= tempo ? 1 : 0;
}

void CMidi::progression_step()
{
    if (tempo_limite < 1)
        tempo_limite = 1;
    tempo_count += tempo_plus;
    while (tempo_count >= tempo_limite) {
        tempo_count -= tempo_limite;
        tempo += tempo_sens ? 1 : -1;
    }
    if (--tempo_step >= 1)
        return;
    if (tab_tot > 0) {
        tempo = tab_tempo[1];
        remove_breakpoint(1);
    }
    while (tab_tot > 0) {
        if (time_unit + 60 <= tab_unit[1]) {
            start_segment();
            return;
        }
        tempo = tab_tempo[1];
        remove_breakpoint(1);
    }
    tempo_type = 0;
}

short CMidi::curve_tempo(int32_t time)
{
    if (time < time_unit || tab_tot == 0)
        return tempo;
    tab_unit[0] = time_unit;
    tab_tempo[0] = tempo;
    short i = 1;
    while (i <= tab_tot && tab_unit[i] <= time)
        i++;
    if (i > tab_tot)
        return tab_tempo[tab_tot];
    if (tab_unit[i] == tab_unit[i - 1])
        return tab_tempo[i];
    int64_t span = tab_unit[i] - tab_unit[i - 1];
    return static_cast<short>(tab_tempo[i - 1] +
                              static_cast<int64_t>(time - tab_unit[i - 1]) * (tab_tempo[i] - tab_tempo[i - 1]) / span);
}

short CMidi::get_valeur_tempo(int32_t time)
{
    std::lock_guard<std::mutex> g(progression);
    return curve_tempo(time);
}

void CMidi::reset_progression_tempo(int32_t time)
{
    std::lock_guard<std::mutex> g(progression);
    if (time == 0) {
        // A running progression ends with its list rather than follow a stale breakpoint.
        tab_tot = 0;
        tempo_type = 0;
        return;
    }
    while (tab_tot >= 2 && tab_unit[1] <= time && tab_unit[2] <= time)
        remove_breakpoint(1);
}

void CMidi::ajouter_progression_tempo(int32_t start, int32_t end, short ts, short te)
{
    std::lock_guard<std::mutex> g(progression);
    if (start == 0) {
        tab_tot = 0;
        tempo_type = 0;
        return;
    }
    if (start < time_unit - 60 || tab_tot > 9 || end < start)
        return;
    if (tab_tot == 0) {
        tempo_type = 0;
        if (start > time_unit + 120) {
            append_breakpoint(start, tempo);
            append_breakpoint(start, ts);
            append_breakpoint(std::max(start, end), te);
            tempo_count = 0;
            tempo_step = static_cast<short>((start - time_unit) / 60);
            tempo_plus = 0;
            tempo_limite = 1;
            tempo_sens = 1;
        } else {
            tempo = ts;
            append_breakpoint(end, te);
            start_segment();
        }
        tempo_type = 1;
        return;
    }
    tempo_type = 0;
    struct Resume {
        std::atomic<short>& type;
        ~Resume() { type = 1; }
    } resume{tempo_type};
    int32_t tl = tab_unit[tab_tot];
    short last = tab_tempo[tab_tot];
    if (tab_tot == 1 && start < tab_unit[1])
        return;
    if (start > tl) {
        if (tab_tot > 7)
            return;
        if (start == end) {
            if (te != last) {
                append_breakpoint(end, last);
                append_breakpoint(end, te);
            }
        } else if (ts == te) {
            if (te != last) {
                append_breakpoint(start, last);
                append_breakpoint(start, te);
            }
        } else {
            append_breakpoint(start, last);
            if (ts != last)
                append_breakpoint(start, ts);
            append_breakpoint(end, te);
        }
    } else if (start < tl) {
        if (start == end || tab_tot > 6)
            return;
        short os = curve_tempo(start), oe = curve_tempo(end);
        tab_unit[0] = std::min(tab_unit[1], start) - 1;
        short i = tab_tot;
        while (i > 0 && tab_unit[i] >= start)
            i--;
        insert_breakpoint(i + 1, start, os);
        insert_breakpoint(i + 2, start, ts);
        short k = i + 3;
        while (k <= tab_tot && tab_unit[k] <= end)
            remove_breakpoint(k);
        if (k <= tab_tot) {
            insert_breakpoint(k, end, te);
            insert_breakpoint(k + 1, end, oe);
        } else {
            append_breakpoint(end, te);
        }
    } else {
        if (tab_tot > 8)
            return;
        if (ts != last) {
            append_breakpoint(start, ts);
            if (start == end) {
                tab_tempo[tab_tot] = te;
                return;
            }
            if (ts == te)
                return;
        }
        if (end != start && ts != te)
            append_breakpoint(end, te);
    }
}
