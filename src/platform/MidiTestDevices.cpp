#include "platform/MidiTestDevices.h"

#include "platform/MidiClock.h"

namespace platform {

MidiRecordingDevice::MidiRecordingDevice(std::string name, short t) : label(std::move(name)), tech(t) {}

int MidiRecordingDevice::short_msg(uint32_t msg)
{
    if (refusals > 0) {
        refusals--;
        return 1;
    }
    std::lock_guard<std::mutex> g(lock);
    messages.push_back({midi_clock()->now_ms(),
                        {static_cast<unsigned char>(msg), static_cast<unsigned char>(msg >> 8),
                         static_cast<unsigned char>(msg >> 16)},
                        false});
    total++;
    return 0;
}

int MidiRecordingDevice::long_msg(const unsigned char* data, int len)
{
    std::lock_guard<std::mutex> g(lock);
    messages.push_back({midi_clock()->now_ms(), std::vector<unsigned char>(data, data + len), true});
    total++;
    return 0;
}

std::vector<MidiLoggedMessage> MidiRecordingDevice::log() const
{
    std::lock_guard<std::mutex> g(lock);
    return messages;
}

void MidiRecordingDevice::clear()
{
    std::lock_guard<std::mutex> g(lock);
    messages.clear();
    total = 0;
}

}  // namespace platform
