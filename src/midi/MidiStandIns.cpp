#include "midi/MidiStandIns.h"

#include "platform/MidiClock.h"

int32_t get_time_pos()
{
    return platform::midi_clock()->now_ms();
}
