// The port layer's object, its timed queues and the immediate output operations.
#include "midi/CMidi.h"

#include "framework/CApplication.h"

#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "platform/MidiDevices.h"

#include <cstring>

std::atomic<short> wait_keyboard_flag{0};

namespace {

// A Note Off, or a Note On with velocity 0: the end of a sounding note.
bool ends_note(short tot, const unsigned char* b)
{
    return tot == 3 && ((b[0] & 0xF0) == 0x80 || ((b[0] & 0xF0) == 0x90 && b[2] == 0));
}

// A queue of 1,990 messages takes no more; what follows waits in the backlog.
bool queue_full(const Midi_node& n)
{
    return n.tot_msg + 10 > MIDI_NODE_SLOTS - 1;
}

// How many times an output operation offers a message that a device keeps refusing.
const int max_offers = 100;

}  // namespace

CMidi::CMidi()
    : buf(nullptr), time_unit(0), time_unit_status(0), var_tempo(0), old_time_pos(0), last_time_unit(0), tempo(100),
      tab_tot(0), tempo_type(0), tempo_count(0), tempo_plus(0), tempo_limite(1), tempo_sens(1), tempo_step(0),
      external_sync(0), midi_special_treatment(nullptr), midi_input_filter(nullptr)
{
    uid = 29;
    std::memset(&filtre, 0, sizeof filtre);
    std::memset(&midi_prefs, 0, sizeof midi_prefs);
    std::memset(tab_tempo, 0, sizeof tab_tempo);
    std::memset(tab_unit, 0, sizeof tab_unit);
    for (short p = 0; p < 5; p++) {
        midi_in_handle[p] = nullptr;
        midi_out_handle[p] = nullptr;
        midi_echo_handle[p] = nullptr;
    }
    for (auto& channel : lastctrl)
        for (auto& c : channel)
            c = -1;
    for (auto& level : percussion_level) level = 100;
    midi_init(1);
    midi_dispatch_init();
}

CMidi::~CMidi()
{
    midi_dispatch_quit();
    midi_quit(1);
    uid = 0;
}

// ---- Queues --------------------------------------------------------------------------------

bool CMidi::push_backlog(Midi_node& n, const Queued& m)
{
    std::lock_guard<std::mutex> g(n.backlog);
    if (!n.msg_backlog || n.tot_send_backlog + 10 >= MIDI_BACKLOG_SLOTS)
        return false;
    Midi_msg& slot = n.msg_backlog[n.next_in_send_backlog];
    slot.when = m.when;
    slot.tot = m.tot;
    std::memcpy(slot.buf, m.buf, 4);
    if (++n.next_in_send_backlog > MIDI_BACKLOG_SLOTS)
        n.next_in_send_backlog = 1;
    n.tot_send_backlog++;
    return true;
}

bool CMidi::pop_backlog(Midi_node& n, Queued& m)
{
    std::lock_guard<std::mutex> g(n.backlog);
    if (!n.msg_backlog || n.tot_send_backlog == 0)
        return false;
    const Midi_msg& slot = n.msg_backlog[n.next_out_send_backlog];
    m.when = slot.when;
    m.tot = slot.tot;
    std::memcpy(m.buf, slot.buf, 4);
    if (++n.next_out_send_backlog > MIDI_BACKLOG_SLOTS)
        n.next_out_send_backlog = 1;
    n.tot_send_backlog--;
    return true;
}

// Links a message into the time-ordered list, behind every message of the same or an earlier
// time. The caller holds the node's lock and has checked that a slot is free.
void CMidi::insert(Midi_node& n, const Queued& m)
{
    Midi_msg* s = n.msg;
    if (n.tot_msg == 0) {
        s[1] = Midi_msg{0, 0, m.when, m.tot, {m.buf[0], m.buf[1], m.buf[2], m.buf[3]}};
        n.tot_msg = 1;
        n.next_out = 1;
        n.last = 1;
        return;
    }
    short slot = n.last;
    do {
        if (++slot > MIDI_NODE_SLOTS)
            slot = 1;
    } while (s[slot].tot != 0);
    short cur = s[n.last].tot != 0 ? n.last : n.next_out;
    short prev, next;
    if (m.when >= s[cur].when) {
        while (s[cur].next && s[s[cur].next].when <= m.when)
            cur = s[cur].next;
        prev = cur;
        next = s[cur].next;
    } else {
        while (s[cur].prev && s[s[cur].prev].when > m.when)
            cur = s[cur].prev;
        prev = s[cur].prev;
        next = cur;
    }
    s[slot] = Midi_msg{next, prev, m.when, m.tot, {m.buf[0], m.buf[1], m.buf[2], m.buf[3]}};
    if (prev)
        s[prev].next = slot;
    else
        n.next_out = slot;
    if (next)
        s[next].prev = slot;
    n.tot_msg++;
    n.last = slot;
}

// Empties the queue and the backlog. With keep_note_offs, the ends of notes survive: a note
// that already sounds must still be stopped however full the node was. The caller holds the
// node's lock.
void CMidi::empty_node(Midi_node& n, bool keep_note_offs)
{
    Queued kept[MIDI_NODE_SLOTS - 10];
    int tot_kept = 0;
    if (keep_note_offs) {
        for (short i = n.next_out; i && tot_kept < MIDI_NODE_SLOTS - 10; i = n.msg[i].next) {
            const Midi_msg& m = n.msg[i];
            if (ends_note(m.tot, m.buf))
                kept[tot_kept++] = Queued{m.when, m.tot, {m.buf[0], m.buf[1], m.buf[2], m.buf[3]}};
        }
        Queued m;
        while (pop_backlog(n, m)) {
            if (ends_note(m.tot, m.buf) && tot_kept < MIDI_NODE_SLOTS - 10)
                kept[tot_kept++] = m;
        }
    }
    n.tot_msg = 0;
    n.next_out = 0;
    n.last = 1;
    for (short i = 0; i <= MIDI_NODE_SLOTS; i++)
        n.msg[i].tot = 0;
    {
        std::lock_guard<std::mutex> g(n.backlog);
        n.tot_send_backlog = 0;
        n.next_in_send_backlog = 1;
        n.next_out_send_backlog = 1;
    }
    for (int i = 0; i < tot_kept; i++)
        insert(n, kept[i]);
}

void CMidi::send_echoes(Midi_node& n, int32_t when, short tot, char* bytes)
{
    for (short e : {n.echo_1.load(), n.echo_2.load(), n.echo_3.load(), n.echo_4.load()}) {
        if (e)
            send(e, when, tot, bytes, 0);
    }
}

void CMidi::send(short node, int32_t when, short tot, char* bytes, short echo_flag)
{
    // Whether the node has its slots is read under its locks only: another thread may be
    // starting or stopping the queues.
    if (node < 1 || node > 8)
        return;
    queue_message(midi_node[node], when, tot, bytes, echo_flag);
    if (node > 4)
        return;
    // Only once the message is in: a pass asked for earlier might not find it. The scheduler
    // plans again when a message came in while it planned (queued_count).
    queued_count.fetch_add(1);
    int32_t planned = next_pass_tick.load();
    while (when < planned && !next_pass_tick.compare_exchange_weak(planned, when)) {
    }
    if (when < planned && application)
        application->timer.wake_in_us(0);
}

void CMidi::queue_message(Midi_node& n, int32_t when, short tot, char* bytes, short echo_flag)
{
    Queued m{when, tot, {}};
    std::memcpy(m.buf, bytes, 4);
    std::unique_lock<platform::PiMutex> lock(n.ready, std::try_to_lock);
    if (lock.owns_lock() && !n.msg)
        return;
    if (!lock.owns_lock() || n.tot_send_backlog > 0) {
        // The end of a note is never lost to a full backlog: it waits the few instructions the
        // queue is held for and goes into the queue directly.
        const bool pushed = push_backlog(n, m);
        const bool end_lost = !pushed && ends_note(m.tot, m.buf);
        if (!lock.owns_lock()) {
            if (echo_flag)
                send_echoes(n, when, tot, bytes);
            if (!end_lost)
                return;
            echo_flag = 0;
            lock.lock();
            if (!n.msg)
                return;
        } else if (!end_lost && !queue_full(n)) {
            // The queue is ours: the oldest waiting message goes in first and this one waits its
            // turn, taking the room the oldest leaves when the backlog was full.
            Queued oldest;
            if (pop_backlog(n, oldest)) {
                if (!pushed)
                    push_backlog(n, m);
                m = oldest;
            }
        } else if (pushed) {
            // A full queue takes nothing now: the message waits behind the older ones, so that
            // messages of one tick keep their order.
            lock.unlock();
            if (echo_flag)
                send_echoes(n, when, tot, bytes);
            return;
        }
    }
    if (queue_full(n)) {
        if (!push_backlog(n, m)) {
            // Queue and backlog are full: the node starts again, keeping the ends of notes.
            empty_node(n, true);
            if (ends_note(m.tot, m.buf))
                insert(n, m);
        }
    } else {
        insert(n, m);
    }
    lock.unlock();
    if (echo_flag)
        send_echoes(n, when, tot, bytes);
}

void CMidi::receive(short node, int32_t* when, short* tot, char* out)
{
    *tot = 0;
    if (node < 1 || node > 8)
        return;
    Midi_node& n = midi_node[node];
    // A sender holds the queue for a few instructions only; the wait lends it this thread's
    // priority, so that a sender preempted on a busy machine does not hold the notes up.
    std::unique_lock<platform::PiMutex> lock(n.ready);
    if (!n.msg || n.tot_msg == 0)
        return;
    Midi_msg& head = n.msg[n.next_out];
    if (head.when > *when)
        return;
    *when = head.when;
    *tot = head.tot;
    std::memcpy(out, head.buf, 4);
    n.tot_msg--;
    n.next_out = head.next;
    if (n.next_out)
        n.msg[n.next_out].prev = 0;
    head.tot = 0;
}

void CMidi::flush_midi_node(short node, int32_t)
{
    if (node < 1 || node > 8)
        return;
    Midi_node& n = midi_node[node];
    // Internal messages other than tempo changes are shown once to their receiver, so that it
    // can undo what their earlier partner started (a highlighted note, for one). It sees them
    // once the node is empty and free again, so that what it sends in answer is queued.
    unsigned char shown[MIDI_NODE_SLOTS][4];
    int tot_shown = 0;
    {
        std::lock_guard<platform::PiMutex> lock(n.ready);
        if (!n.msg || (n.tot_msg == 0 && n.tot_send_backlog == 0))
            return;
        for (short i = n.next_out; i && tot_shown < MIDI_NODE_SLOTS; i = n.msg[i].next) {
            const Midi_msg& m = n.msg[i];
            if (m.tot == 4 && m.buf[0] != 1)
                std::memcpy(shown[tot_shown++], m.buf, 4);
        }
        empty_node(n, false);
    }
    if (auto* receiver = midi_special_treatment.load())
        for (int i = 0; i < tot_shown; i++) receiver(reinterpret_cast<char*>(shown[i]), 0);
}

void CMidi::drain_backlog(Midi_node& n, int max)
{
    std::unique_lock<platform::PiMutex> lock(n.ready, std::try_to_lock);
    if (!lock.owns_lock() || !n.msg)
        return;
    Queued m;
    // A full queue takes nothing more; the rest waits for a later pass.
    for (int i = 0; i < max && !queue_full(n) && pop_backlog(n, m); i++)
        insert(n, m);
}

// ---- Immediate output ----------------------------------------------------------------------

short CMidi::midi_out(short, char* bytes, short port)
{
    unsigned char b[3] = {static_cast<unsigned char>(bytes[0]), static_cast<unsigned char>(bytes[1]),
                          static_cast<unsigned char>(bytes[2])};
    std::atomic<short>* cache = nullptr;
    if ((b[0] & 0xF0) == 0xB0) {
        cache = &lastctrl[b[0] & 0x0F][b[1] & 0x7F];
        if (cache->load(std::memory_order_relaxed) == b[2])
            return 1;
    }
    if (b[0] == 0x99 && b[2] > 0 && doc && doc->tot_ins == 16 && doc->ins && doc->ins[10].percu) {
        // The level of the key, not the key map: the map says which note a key plays.
        int v = percussion_level[b[1] & 0x7F].load(std::memory_order_relaxed) * b[2] / 100;
        b[2] = static_cast<unsigned char>(v < 1 ? 1 : v > 127 ? 127 : v);
    }
    MidiOutHandle h = port >= 1 && port <= 4 ? midi_out_handle[port] : nullptr;
    if (h && h->short_msg(b[0] | (b[1] << 8) | (b[2] << 16)) != 0)
        return 0;
    // The value counts as sent only once it went out: a refused controller is offered again.
    if (cache)
        cache->store(b[2], std::memory_order_relaxed);
    return 1;
}

void CMidi::midi_exclusif_out(short len, char* data, short port, int32_t)
{
    MidiOutHandle h = port >= 1 && port <= 4 ? midi_out_handle[port] : nullptr;
    if (!h || len <= 0)
        return;
    for (int attempt = 0; attempt < 30; attempt++) {
        if (h->long_msg(reinterpret_cast<unsigned char*>(data), len) == 0)
            return;
    }
}

void CMidi::reset_midi_out(short port, short mode)
{
    for (auto& channel : lastctrl)
        for (auto& c : channel)
            c = -1;
    MidiOutHandle h = port >= 1 && port <= 4 ? midi_out_handle[port] : nullptr;
    if (!h)
        return;
    auto offer = [&](unsigned char s, unsigned char d1, unsigned char d2) {
        char m[3] = {static_cast<char>(s), static_cast<char>(d1), static_cast<char>(d2)};
        for (int i = 0; i < max_offers && !midi_out(3, m, port); i++) {
        }
    };
    if (h->technology() == platform::MIDI_TECH_PORT) {
        if (mode != 0) {
            h->reset();
            return;
        }
        for (unsigned char ch = 0; ch < 16; ch++) {
            offer(0xB0 | ch, 123, 0);
            offer(0xB0 | ch, 64, 0);
        }
        return;
    }
    h->reset();
    if (mode == 0)
        return;
    for (unsigned char ch = 0; ch < 16; ch++) {
        for (unsigned char note = 0; note < 128; note++)
            offer(0x80 | ch, note, 0);
        offer(0xB0 | ch, 64, 0);
    }
}
