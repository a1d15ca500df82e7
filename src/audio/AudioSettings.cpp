#include "audio/AudioSettings.h"

#include <algorithm>
#include <memory>

#include "audio/CAudioManager.h"
#include "audio/CFile.h"
#include "audio/WaveDevices.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/UserFiles.h"
#include "platform/FileSystem.h"

using namespace audio_settings;

namespace {

constexpr short kSettingsDialog = 35;
constexpr short kNoDeviceEntry = 1, kStandardEntry = 2;
constexpr short kDefaultRingEntry = 2, kDefaultFlightEntry = 2;  // 3 buffers, 2 in flight
constexpr short kStereoGroup = 2;
constexpr uint32_t kDefaultRate = 44100;
constexpr uint16_t kDefaultBits = 16;

// The format bits of each choice: the three rate groups, then the channel counts and sample
// sizes across the 11.025, 22.05, 44.1 and 96 kHz groups.
constexpr uint32_t k11kFormats = 0x00F, k22kFormats = 0x0F0, k44kFormats = 0xF00;
constexpr uint32_t kMonoFormats = 0x50555, kStereoFormats = 0xA0AAA;
constexpr uint32_t k8BitFormats = 0x30333, k16BitFormats = 0xC0CCC;

struct RateChoice {
    uint32_t mask, rate;
    const char* text;
};
constexpr RateChoice kRates[] = {{k11kFormats, 11025, "11025 Hz"}, {k22kFormats, 22050, "22050 Hz"},
                                 {k44kFormats, 44100, "44100 Hz"}};
struct BitsChoice {
    uint32_t mask;
    uint16_t bits;
    const char* text;
};
constexpr BitsChoice kSizes[] = {{k8BitFormats, 8, "8 bits"}, {k16BitFormats, 16, "16 bits"}};

const char kNoDevice[] = "----";
const char kStandardOutput[] = "Sortie audio standard";
const char kStandardInput[] = "Entr\xE9" "e audio standard";

// The dialog of one run of `CAudioManager::edit`.
class SettingsDialog {
public:
    explicit SettingsDialog(CAudioManager& m) : man(m) {}
    // True when the user chose OK; the manager's settings are then the dialog's.
    bool run();

private:
    void fill_devices();
    void show_settings();
    void refresh();
    void defaults();
    void take();
    void keep_flight_below_ring(short ring, short flight);
    short entry(short id);
    std::string entry_text(short id);
    void select(short id, short n);
    void select_text(short id, const char* text);

    CAudioManager& man;
    std::unique_ptr<CDialog> dial;
    bool refresh_needed = true;
};

short SettingsDialog::entry(short id)
{
    CPopup* p = dial->popup(id);
    return p ? p->get_cur() : 0;
}

std::string SettingsDialog::entry_text(short id)
{
    CPopup* p = dial->popup(id);
    if (!p || p->get_cur() < 1) return std::string();
    CString text;
    p->get_item(p->get_cur(), &text);
    return text.get() ? text.get() : "";
}

void SettingsDialog::select(short id, short n)
{
    if (CPopup* p = dial->popup(id)) p->set_cur(n);
}

void SettingsDialog::select_text(short id, const char* text)
{
    CPopup* p = dial->popup(id);
    if (!p) return;
    for (short k = 1; k <= p->total(); k++) {
        CString entry_text;
        p->get_item(k, &entry_text);
        if (entry_text.get() && std::string(entry_text.get()).find(text) != std::string::npos) {
            p->set_cur(k);
            return;
        }
    }
}

void SettingsDialog::fill_devices()
{
    WaveDeviceSystem& devices = wave_devices();
    const struct {
        short id;
        const char* standard;
        bool output;
    } popups[] = {{kOutputDevice, kStandardOutput, true}, {kInputDevice, kStandardInput, false}};
    for (const auto& d : popups) {
        CPopup* p = dial->popup(d.id);
        if (!p) continue;
        p->clear();
        p->add(kNoDevice);
        p->add(d.standard);
        const short count = d.output ? devices.output_count() : devices.input_count();
        for (short k = 0; k < count; k++) {
            WaveDeviceCaps caps;
            const bool known = d.output ? devices.output_caps(k, &caps) : devices.input_caps(k, &caps);
            p->add(known && !caps.name.empty() ? caps.name.c_str() : "?");
        }
    }
}

void SettingsDialog::show_settings()
{
    select(kOutputDevice, entry_of_device(man.outID));
    select(kInputDevice, entry_of_device(man.inID));
    if (CTextedit* t = dial->te(kOutSize)) t->set_long(static_cast<int32_t>(man.outBufferSize));
    if (CTextedit* t = dial->te(kInSize)) t->set_long(static_cast<int32_t>(man.inBufferSize));
    select(kOutRing, static_cast<short>(man.outTotalBuffer - 1));
    select(kInRing, static_cast<short>(man.inTotalBuffer - 1));
    select(kOutFlight, man.outConsecutiveBuffers);
    select(kInFlight, man.inConsecutiveBuffers);
}

void SettingsDialog::refresh()
{
    refresh_needed = false;
    WaveDeviceCaps caps;
    const bool known = wave_devices().output_caps(device_of_entry(entry(kOutputDevice)), &caps);
    const FormatChoices c = format_choices(known, caps.formats, man.sampleFrequency, man.sampleBits, man.sampleMode);
    const struct {
        short id;
        const std::vector<std::string>& texts;
        short selected;
    } lists[] = {{kRate, c.rates, c.rate_entry}, {kBits, c.bits, c.bits_entry}};
    for (const auto& l : lists)
        if (CPopup* p = dial->popup(l.id)) {
            p->clear();
            for (const std::string& t : l.texts) p->add(t.c_str());
            p->set_cur(l.selected ? l.selected : (p->total() ? 1 : 0));
        }
    const struct {
        short id;
        bool enabled;
    } buttons[] = {{kMono, c.mono}, {kStereo, c.stereo}};
    for (const auto& b : buttons)
        if (CRadio* r = dial->radio(b.id)) {
            if (b.enabled)
                r->enable();
            else
                r->disable();
        }
    if (CRadio* r = dial->radio(kMono)) r->set_group_value(c.channels);
}

void SettingsDialog::defaults()
{
    select(kOutputDevice, kStandardEntry);
    select(kInputDevice, kStandardEntry);
    select_text(kRate, "44100 Hz");
    select_text(kBits, "16 bits");
    if (CRadio* r = dial->radio(kMono)) r->set_group_value(kStereoGroup);
    for (short id : {kOutSize, kInSize})
        if (CTextedit* t = dial->te(id)) t->set_long(kDefaultsBufferSize);
    for (short id : {kOutRing, kInRing}) select(id, kDefaultRingEntry);
    for (short id : {kOutFlight, kInFlight}) select(id, kDefaultFlightEntry);
}

void SettingsDialog::keep_flight_below_ring(short ring, short flight)
{
    const short corrected = in_flight_entry(entry(ring), entry(flight));
    if (corrected != entry(flight)) select(flight, corrected);
}

void SettingsDialog::take()
{
    man.outID = device_of_entry(entry(kOutputDevice));
    man.inID = device_of_entry(entry(kInputDevice));
    CTextedit* out_size = dial->te(kOutSize);
    CTextedit* in_size = dial->te(kInSize);
    man.outBufferSize = typed_buffer_size(out_size ? out_size->get_long() : 0);
    man.inBufferSize = typed_buffer_size(in_size ? in_size->get_long() : 0);
    man.outTotalBuffer = static_cast<short>(entry(kOutRing) + 1);
    man.inTotalBuffer = static_cast<short>(entry(kInRing) + 1);
    man.outConsecutiveBuffers = in_flight_entry(entry(kOutRing), entry(kOutFlight));
    man.inConsecutiveBuffers = in_flight_entry(entry(kInRing), entry(kInFlight));
    man.sampleFrequency = rate_of_entry(entry_text(kRate));
    man.sampleBits = bits_of_entry(entry_text(kBits));
    CRadio* mono = dial->radio(kMono);
    man.sampleMode = static_cast<uint16_t>(mono ? mono->get_group_value() : kStereoGroup);
}

bool SettingsDialog::run()
{
    dial = std::make_unique<CDialog>("MISC", "MUSIC.RES", kSettingsDialog, default_dialog_handler, 0);
    fill_devices();
    show_settings();
    refresh();
    dial->first_focus = kOk;
    application->add_to_idle(dial.get());
    bool chosen = false, done = false;
    Event ev;
    while (!done && dial->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        switch (ev.item) {
        case kOk:
            take();
            chosen = done = true;
            break;
        case kCancel: done = true; break;
        case kOutputDevice:
        case kInputDevice: refresh_needed = true; break;
        case kOutRing:
        case kOutFlight: keep_flight_below_ring(kOutRing, kOutFlight); break;
        case kInRing:
        case kInFlight: keep_flight_below_ring(kInRing, kInFlight); break;
        case kDefaults: defaults(); break;
        default: break;
        }
        if (refresh_needed) refresh();
    }
    application->remove_from_idle(dial.get());
    dial.reset();
    return chosen;
}

}  // namespace

std::string audio_settings_path() { return user_file("Prefs\\Audio.dat"); }

std::vector<int32_t> audio_settings_values(const CAudioManager& m)
{
    return {static_cast<int32_t>(m.sampleFrequency), m.sampleBits, m.sampleMode,
            m.outID, m.outTotalBuffer, static_cast<int32_t>(m.outBufferSize), m.outConsecutiveBuffers,
            m.inID, m.inTotalBuffer, static_cast<int32_t>(m.inBufferSize), m.inConsecutiveBuffers};
}

short device_of_entry(short entry) { return static_cast<short>(entry - kFirstDeviceEntry); }
short entry_of_device(short device) { return static_cast<short>(device + kFirstDeviceEntry); }

FormatChoices format_choices(bool known, uint32_t formats, uint32_t rate, uint16_t bits, uint16_t channels)
{
    FormatChoices c;
    if (!known) return c;
    for (const RateChoice& r : kRates)
        if (formats & r.mask) {
            c.rates.push_back(r.text);
            if (rate == r.rate) c.rate_entry = static_cast<short>(c.rates.size());
        }
    for (const BitsChoice& b : kSizes)
        if (formats & b.mask) {
            c.bits.push_back(b.text);
            if (bits == b.bits) c.bits_entry = static_cast<short>(c.bits.size());
        }
    c.mono = (formats & kMonoFormats) != 0;
    c.stereo = (formats & kStereoFormats) != 0;
    if (c.mono && channels == 1) c.channels = 1;
    if (c.stereo && channels == 2) c.channels = 2;
    return c;
}

uint32_t rate_of_entry(const std::string& text)
{
    for (const RateChoice& r : kRates)
        if (text.find(r.text) != std::string::npos) return r.rate;
    return kDefaultRate;
}

uint16_t bits_of_entry(const std::string& text)
{
    for (const BitsChoice& b : kSizes)
        if (text.find(b.text) != std::string::npos) return b.bits;
    return kDefaultBits;
}

uint32_t typed_buffer_size(int32_t typed)
{
    return std::clamp(static_cast<uint32_t>(typed), CAudioManager::kSmallestBuffer, CAudioManager::kLargestBuffer);
}

short in_flight_entry(short ring_entry, short flight_entry)
{
    return std::clamp<short>(flight_entry, 1, std::max<short>(ring_entry, 1));
}

void CAudioManager::edit()
{
    stop();  // the worker closes both devices, frees the buffers and ends
    if (SettingsDialog(*this).run()) save();
    open();
}

bool CAudioManager::save() const
{
    const std::string path = audio_settings_path();
    const size_t folder_end = path.find_last_of('\\');
    if (folder_end != std::string::npos) platform::make_directory(path.substr(0, folder_end));
    CFile file;
    if (!file.open(path.c_str(), "wb")) return false;
    bool written = true;
    for (int32_t v : audio_settings_values(*this)) written = file.write_long(v) && file.write_return() && written;
    return file.close() && written;
}
