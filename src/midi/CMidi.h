#pragma once
// The MIDI port layer: four output and four input ports, eight timed queues of messages
// stamped in ticks (480 per quarter note), the scheduler that sends them when due, the tick
// clock with its tempo progressions, the input filter and thru, and the port settings.
//
// Queues: node n (1 to 4) is the output queue of port n; node n + 4 receives what input port n
// delivers. Three threads send (the GUI, the timer and the MIDI input); each queue is guarded
// by a lock that senders only try: a sender that finds it taken writes to the queue's backlog
// ring, which the next sender or the scheduler moves into the queue, so no sender ever waits.
//
// Fields and threads: the scheduler (`run`, on the timer thread) and the input callback (on the
// MIDI-input thread) read the fields below while the program's thread may change them. A field
// changed while they run is atomic; the others (the ports, the input filter, the settings) are
// set by `midi_init` and `midi_dispatch_init` before the timer task and the input start, and
// changed only between `midi_dispatch_quit` and `midi_dispatch_init`, while neither runs.

#include "framework/CObject.h"
#include "platform/PiMutex.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace platform {
class MidiOutDevice;
class MidiInDevice;
}  // namespace platform

// A short MIDI message as the drivers take and deliver it: status in the lowest byte.
union Midi_union {
    uint32_t dword;
    unsigned char byte[4];
};

// One queued message. A length of 4 marks an internal message, which never reaches a port.
struct Midi_msg {
    short next;   // slot of the next message in time order; 0 = none
    short prev;   // slot of the previous one; 0 = none
    int32_t when; // due time in ticks
    short tot;    // 1 to 3 for MIDI, 4 internal; 0 marks a free slot
    unsigned char buf[4];
};

constexpr short MIDI_NODE_SLOTS = 2000;
constexpr short MIDI_BACKLOG_SLOTS = 1000;

struct Midi_node {
    Midi_msg* msg = nullptr;     // slots 1 to 2,000; null outside the queues' life
    short tot_msg = 0;
    platform::PiMutex ready;     // held for the span of an insertion or removal (the busy flag);
                                 // the timer waits for it, lending the holder its priority
    short last = 1;              // slot filled most recently
    short next_out = 0;          // head of the time-ordered list; 0 = empty
    // Nodes that receive echoed copies; read by senders without the lock.
    std::atomic<short> echo_1{0}, echo_2{0}, echo_3{0}, echo_4{0};
    std::mutex backlog;          // guards the ring below for its few instructions
    std::atomic<short> tot_send_backlog{0};
    short next_in_send_backlog = 1;
    short next_out_send_backlog = 1;
    Midi_msg* msg_backlog = nullptr;  // slots 1 to 1,000; only when, tot and buf are used
    unsigned char buf_wait[4] = {0};  // a message the driver refused, to offer again
    short tot_wait = 0;
};

// Which kinds of input pass (non-zero = passes).
struct Filtre_midi {
    short canal[16];
    short notes;
    short after_touch_poly;
    short after_touch_channel;
    short control;   // controllers 0 to 121
    short patch;
    short pitch_bend;
    short sys_com;
    short sys_real;
    short sys_ex;    // kept with the settings only
    short chan_mode; // controllers 122 to 127
};

// The port settings, entries 1 to 4 for the ports.
struct Midi_prefs {
    short cur_port;
    short port[5];     // output device number + 1; 0 = no output
    short adresse[5];
    short par1[5];     // input device number + 1; 0 = no input
    short echo[5];     // output port the input is echoed to; 0 = none
    short par3[5], par4[5], par5[5];
    char synthe[5][10];
};

using MidiOutHandle = platform::MidiOutDevice*;
using MidiInHandle = platform::MidiInDevice*;

class CMidi : public CObject {
public:
    CMidi();
    ~CMidi() override;

    // Queues.
    void send(short node, int32_t when, short tot, char* buf, short echo);
    void receive(short node, int32_t* when, short* tot, char* buf);
    void flush_midi_node(short node, int32_t time);
    // Immediate output.
    short midi_out(short tot, char* buf, short port);
    void midi_exclusif_out(short len, char* data, short port, int32_t time);
    void reset_midi_out(short port, short mode);

    // Scheduler, clock and tempo.
    void run();
    // The tick of this moment, between the clock's 5 ms steps (input is stamped with it).
    int32_t current_tick();
    // The same with its fraction of a tick.
    double exact_tick();
    void midi_dispatch_init();
    void midi_dispatch_quit();
    void reset_progression_tempo(int32_t time);
    short get_valeur_tempo(int32_t time);
    void ajouter_progression_tempo(int32_t start, int32_t end, short ts, short te);

    // Input.
    short echo(Midi_union data, short tot, short port);

    // Ports and settings.
    void midi_init(short read);
    void midi_quit(short write);
    void auto_config();

    // Set while the scheduler and the input are stopped (see above).
    Filtre_midi filtre;
    MidiInHandle midi_in_handle[5];
    MidiOutHandle midi_out_handle[5];
    MidiOutHandle midi_echo_handle[5];
    Midi_prefs midi_prefs;
    // The channel each input channel is passed on with; the editor changes it while input comes.
    std::atomic<unsigned char> tab_midi_thru[16];
    Midi_node midi_node[11];
    char* buf;
    std::atomic<int32_t> time_unit;
    std::atomic<short> time_unit_status;
    std::atomic<int32_t> var_tempo;  // also read by the timer thread to plan its next pass
    std::atomic<int32_t> old_time_pos;  // also read by the input thread to stamp its messages
    int32_t last_time_unit;
    std::atomic<short> tempo;
    short tab_tot;
    short tab_tempo[11];
    int32_t tab_unit[11];
    std::atomic<short> tempo_type;
    short tempo_count, tempo_plus, tempo_limite, tempo_sens, tempo_step;
    std::atomic<short> external_sync;
    // The receiver of the internal messages that come due (markers, sync notices) and a filter
    // of the input, called on the timer and input threads; changed while they run. A caller
    // loads one once and calls what it loaded.
    std::atomic<void (*)(char* msg, short arg)> midi_special_treatment;
    std::atomic<short (*)(Midi_union* data, short tot)> midi_input_filter;
    std::atomic<short> lastctrl[16][128];
    // The tick at which the scheduler plans its next pass; a message queued for an earlier tick
    // asks for a pass at once. `queued_count` counts the messages queued for the outputs, so
    // that a plan made while one was being queued is made again.
    std::atomic<int32_t> next_pass_tick{0};
    std::atomic<uint32_t> queued_count{0};
    // The level of each key of the percussion channel (10), in percent of its velocity; read by
    // the scheduler as it sends.
    std::atomic<unsigned char> percussion_level[128];

private:
    struct Queued {
        int32_t when;
        short tot;
        unsigned char buf[4];
    };
    void send_echoes(Midi_node& n, int32_t when, short tot, char* bytes);
    void queue_message(Midi_node& n, int32_t when, short tot, char* bytes, short echo);
    bool push_backlog(Midi_node& n, const Queued& m);
    bool pop_backlog(Midi_node& n, Queued& m);
    void insert(Midi_node& n, const Queued& m);
    void empty_node(Midi_node& n, bool keep_note_offs);
    void drain_backlog(Midi_node& n, int max);
    void progression_step();
    // The tick of the clock at `now` (ms), inside the current 5 ms step; `units` its share of
    // the step in 1/125,000 tick.
    int32_t tick_in_step(int32_t now, int64_t* units);
    // Asks the timer for a pass when the next queued output message falls due.
    void plan_next_pass(int32_t due, int64_t step_units, int32_t now);
    short curve_tempo(int32_t time);
    void start_segment();
    void remove_breakpoint(short i);
    void insert_breakpoint(short i, int32_t tick, short tempo);
    void append_breakpoint(int32_t tick, short tempo);
    void read_prefs();
    void write_prefs();
    void open_ports();

    std::mutex progression;  // held while the breakpoint list changes; the scheduler only tries it
};

// The timer task: one scheduler pass of the application's MIDI layer.
void run_midi();
// The input callback that every open input port delivers to.
void midiInCallback(MidiInHandle handle, unsigned message, uintptr_t instance, uint32_t data, uint32_t time);
// Set when a message longer than one byte arrives (playback waiting for the first key polls it).
extern std::atomic<short> wait_keyboard_flag;
