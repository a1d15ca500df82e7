#pragma once
// Stand-ins for what the MIDI layer needs of parts of the program that do not exist yet: the
// application object with its timer, message boxes and program directory, and the few fields
// of the open score that the port layer and the track operations read. Each keeps the name and
// the call form of the real service, inside a namespace of its own, so that the real one
// replaces it without touching the callers.

#include "platform/PeriodicTimer.h"

#include <cstdint>
#include <mutex>
#include <string>

class CMidi;
struct Piste;

namespace midi_standin {

// ---- Score model ---------------------------------------------------------------------------

struct Ins {
    short percu = 0;               // non-zero for a percussion staff
    unsigned char map[128] = {0};  // per-note percentages of a percussion staff
};

struct CMeasure {
    int32_t length = 1920;  // ticks
    short first_event = 0;  // its first event in the staff's track; 0 = none
    short tot_event = 0;
};

struct Portee {
    short tot_mes = 0;
    short* mes = nullptr;  // 1-based measure indices into Document::mes
};

struct Systeme {
    short tot_por = 0;
    short* por = nullptr;  // 1-based staff indices into Document::por
};

struct Document {
    CMeasure** mes = nullptr;  // 1-based
    Portee** por = nullptr;    // 1-based
    Systeme** sys = nullptr;   // 1-based; 1 is the master system
    Ins* ins = nullptr;        // 1-based
    short tot_ins = 0;
    Piste** piste = nullptr;   // 1-based, one per staff of the master system
    short tot_piste = 0;
};

extern Document* doc;
extern short working_mode;

// ---- Application framework -----------------------------------------------------------------

// The periodic timer: up to five tasks run on each tick, on the timer's own thread once started.
class StandInTimer {
public:
    ~StandInTimer();
    void add_timer_task(void (*task)());
    void remove_timer_task(void (*task)());
    // Takes effect at once when the timer runs.
    void set_timer_resolution(short ms);
    short get_timer_resolution() const { return resolution; }
    // Runs every registered task once (the tick itself).
    void tick();
    // Starts or stops the thread that ticks every resolution milliseconds.
    void start();
    void stop();

private:
    std::mutex lock;
    void (*tasks[6])() = {nullptr};
    short total = 0;
    short resolution = 100;
    platform::PeriodicTimer periodic;
};

struct StandInApplication {
    CMidi* midi = nullptr;
    StandInTimer* timer = nullptr;
    // A message box: the non-empty texts joined by line ends; the stand-in prints them.
    void warning(const char* a, const char* b = nullptr, const char* c = nullptr, const char* d = nullptr);
    int warnings = 0;
    std::string last_warning;
};

extern StandInApplication* application;

// The program directory (where "MISC" lies), a UTF-8 path: the platform's program folder.
extern std::string main_dir;
void set_main_dir();
// The UTF-8 path of the parts inside the program directory, each matched without regard to
// case; empty when the parts would lead out of it.
std::string format_file_name(const char* a, const char* b = nullptr, const char* c = nullptr);
// The millisecond clock.
int32_t get_time_pos();
void beep();
short call_sup(short interaction);
// Converts a file in place from the Macintosh character set to the Windows one.
void convertir_fichier_mac_win(const char* path);

}  // namespace midi_standin

using midi_standin::application;
using midi_standin::beep;
using midi_standin::call_sup;
using midi_standin::convertir_fichier_mac_win;
using midi_standin::doc;
using midi_standin::format_file_name;
using midi_standin::get_time_pos;
using midi_standin::main_dir;
using midi_standin::set_main_dir;
using midi_standin::working_mode;
