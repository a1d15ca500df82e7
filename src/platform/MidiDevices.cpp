#include "platform/MidiDevices.h"

#include "platform/MidiAlsa.h"
#include "platform/MidiSynth.h"

namespace platform {

bool MidiOutDevice::open()
{
    if (opened || !do_open())
        return false;
    opened = true;
    return true;
}

void MidiOutDevice::close()
{
    if (!opened)
        return;
    do_close();
    opened = false;
}

bool MidiInDevice::open(MidiInCallback cb, uintptr_t inst)
{
    {
        std::lock_guard<std::mutex> g(lock);
        if (callback || !cb)
            return false;
        callback = cb;
        instance = inst;
        started = false;
    }
    if (do_open())
        return true;
    std::lock_guard<std::mutex> g(lock);
    callback = nullptr;
    return false;
}

void MidiInDevice::close()
{
    if (!is_open())
        return;
    do_close();
    std::lock_guard<std::mutex> g(lock);
    callback = nullptr;
    started = false;
}

void MidiInDevice::start()
{
    std::lock_guard<std::mutex> g(lock);
    started = callback != nullptr;
}

void MidiInDevice::stop()
{
    std::lock_guard<std::mutex> g(lock);
    started = false;
}

void MidiInDevice::deliver(uint32_t data, uint32_t time)
{
    std::lock_guard<std::mutex> g(lock);
    if (started && callback)
        callback(this, MIDI_IN_DATA, instance, data, time);
}

namespace {

std::unique_ptr<MidiDeviceList>& device_list()
{
    static std::unique_ptr<MidiDeviceList> list;
    return list;
}

}  // namespace

MidiDeviceList midi_default_devices()
{
    MidiDeviceList list;
    list.outputs.push_back(std::make_unique<MidiSynthDevice>());
    alsa_add_devices(list);
    return list;
}

MidiDeviceList& midi_devices()
{
    auto& list = device_list();
    if (!list)
        list = std::make_unique<MidiDeviceList>(midi_default_devices());
    return *list;
}

void set_midi_devices(MidiDeviceList list)
{
    device_list() = std::make_unique<MidiDeviceList>(std::move(list));
}

short midi_out_count()
{
    return static_cast<short>(midi_devices().outputs.size());
}

MidiOutDevice* midi_out_device(short n)
{
    auto& outs = midi_devices().outputs;
    return n >= 0 && n < static_cast<short>(outs.size()) ? outs[n].get() : nullptr;
}

MidiInDevice* midi_in_device(short n)
{
    auto& ins = midi_devices().inputs;
    return n >= 0 && n < static_cast<short>(ins.size()) ? ins[n].get() : nullptr;
}

}  // namespace platform
