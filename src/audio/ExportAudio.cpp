#include "audio/ExportAudio.h"

#include "audio/AudioProgram.h"
#include "audio/CAudioManager.h"
#include "audio/OfflineDrive.h"
#include "audio/SynthLoopback.h"
#include "editor/View.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CSlider.h"
#include "framework/ControlHandlers.h"
#include "framework/DefaultHandlers.h"
#include "framework/FileDialog.h"
#include "framework/ProgramFiles.h"
#include "midi/PlayRecordManager.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

// ---- Decisions ----

std::string wav_file_path(const std::string& chosen)
{
    const size_t slash = chosen.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
    const bool has = name.size() > 4 &&
                     (name.compare(name.size() - 4, 4, ".wav") == 0 || name.compare(name.size() - 4, 4, ".WAV") == 0);
    return has ? chosen : chosen + ".wav";
}

int32_t gained_16(int32_t sample, int32_t percent)
{
    const int64_t v = static_cast<int64_t>(sample) * percent / 100;
    return static_cast<int32_t>(std::clamp<int64_t>(v, -32768, 32767));
}

int32_t gained_8(int32_t sample, int32_t percent)
{
    const int64_t v = static_cast<int64_t>(sample - 128) * percent / 100 + 128;
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, 255));
}

void apply_gains(unsigned char* buffer, int32_t bytes, const PcmFormat& f, int32_t left, int32_t right)
{
    if (left == 100 && right == 100) return;
    const int32_t sample_bytes = f.bits == 16 ? 2 : 1;
    const int32_t samples = bytes / sample_bytes;
    for (int32_t i = 0; i < samples; i++) {
        const int32_t percent = f.channels == 2 && i % 2 ? right : left;
        unsigned char* p = buffer + static_cast<size_t>(i) * sample_bytes;
        if (f.bits == 16) {
            const int32_t s = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
            const int32_t v = gained_16(s, percent);
            p[0] = static_cast<unsigned char>(v & 0xFF);
            p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
        } else {
            p[0] = static_cast<unsigned char>(gained_8(p[0], percent));
        }
    }
}

void measure_peaks(const unsigned char* buffer, int32_t bytes, const PcmFormat& f, int32_t* left, int32_t* right)
{
    *left = *right = 0;
    const int32_t sample_bytes = f.bits == 16 ? 2 : 1;
    const int32_t samples = bytes / sample_bytes;
    for (int32_t i = 0; i < samples; i++) {
        const unsigned char* p = buffer + static_cast<size_t>(i) * sample_bytes;
        int32_t s = f.bits == 16 ? static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))) : (p[0] - 128) * 256;
        s = std::min(std::abs(s), 32767);
        if (f.channels == 2 && i % 2)
            *right = std::max(*right, s);
        else
            *left = std::max(*left, s);
    }
    if (f.channels == 1) *right = *left;
}

short meter_value(int32_t peak) { return static_cast<short>(std::clamp(peak, 0, 32767) * 100 / 32768); }

PcmFormat export_file_format(short rate_entry, short channels_entry, short bits_entry)
{
    PcmFormat f;
    f.rate = rate_entry == 1 ? 11025 : rate_entry == 2 ? 22050 : 44100;
    f.channels = channels_entry == 1 ? 1 : 2;
    f.bits = bits_entry == 1 ? 8 : 16;
    return f;
}

int32_t AudioExport::record(void* self, short* buffer, int32_t bytes)
{
    auto* e = static_cast<AudioExport*>(self);
    unsigned char* samples = reinterpret_cast<unsigned char*>(buffer);
    apply_gains(samples, bytes, e->recording, e->gain_left.load(), e->gain_right.load());
    int32_t l = 0, r = 0;
    measure_peaks(samples, bytes, e->recording, &l, &r);
    e->peak_left.store(l);
    e->peak_right.store(r);
    if (CAudioFile* f = e->file.load(std::memory_order_acquire)) {
        f->write_data(samples, bytes, false, static_cast<int32_t>(e->recording.rate),
                      static_cast<short>(e->recording.channels), static_cast<short>(e->recording.bits));
        e->bytes_recorded.fetch_add(bytes);
    }
    return bytes;
}

// ---- The command ----

namespace {

constexpr short kExportDialog = 34;
constexpr short kExportPrompt = 283;
enum ExportItem : short {
    kRatePopup = 2,
    kChannelsPopup = 3,
    kBitsPopup = 4,
    kLeftMeter = 5,
    kRightMeter = 8,
    kLeftGain = 9,
    kRightGain = 10,
    kCancel = 11,
    kPlay = 12,
    kStop = 13,
    kExport = 14,
    kLinkGains = 15,
};
constexpr int32_t kMeterFill = 0x00FF00;
constexpr int32_t kMeterBack = 0x000000;
constexpr int32_t kTailMs = 1000;
constexpr int32_t kDriveBudgetMs = 60;      // rendering per idle turn, so that the dialog lives
constexpr int32_t kRecordingStopMs = 60000; // a generous limit for the worker to let go

void pump_play() {
    if (mpr && mpr->get_cur_play_mes()) mpr->play_temps_reel();
}

bool playing() { return mpr && mpr->get_play_but(); }

// One run of the command: its dialog, the shared state, the file and the drive.
class ExportRun {
public:
    ExportRun(CAudioManager* m, std::string p) : man(m), path(std::move(p)) {}
    void run();

private:
    void open_dialog();
    void on_idle();
    void on_item(short item);
    void on_gain(short moved, short other);
    void start_export();
    void finish_export();
    void stop_recording();
    void tail();
    void set_meters();
    short popup_entry(short id);

    CAudioManager* man;
    std::string path;
    AudioExport shared;
    std::unique_ptr<CDialog> dial;
    std::unique_ptr<CAudioFile> file;
    std::unique_ptr<OfflineDrive> drive;
    bool monitoring = false;
    bool done = false;
};

short ExportRun::popup_entry(short id)
{
    CPopup* p = dial->popup(id);
    return p ? p->get_cur() : 0;
}

void ExportRun::open_dialog()
{
    dial = std::make_unique<CDialog>("MISC", "MUSIC.RES", kExportDialog, default_dialog_handler, 0);
    for (short id : {kLeftMeter, kRightMeter})
        if (CProgress* meter = dial->progress(id)) {
            meter->fill_color = kMeterFill;
            meter->set_back_color(kMeterBack);
        }
}

void ExportRun::set_meters()
{
    if (CProgress* l = dial->progress(kLeftMeter)) l->set_value(meter_value(shared.peak_left.load()));
    if (CProgress* r = dial->progress(kRightMeter)) r->set_value(meter_value(shared.peak_right.load()));
}

void ExportRun::on_gain(short moved, short other)
{
    CSlider* from = dial->slider(moved);
    if (!from) return;
    CCheck* link = dial->check(kLinkGains);
    if (link && link->get_value())
        if (CSlider* to = dial->slider(other)) to->set_value(from->get_value());
    if (CSlider* l = dial->slider(kLeftGain)) shared.gain_left.store(l->get_value());
    if (CSlider* r = dial->slider(kRightGain)) shared.gain_right.store(r->get_value());
}

void ExportRun::start_export()
{
    if (!man->recording.load()) {
        application->warning("L'enregistrement n'a pas d\xE9mar\x72\xE9 : aucune entr\xE9" "e audio.",
                             "Aucun fichier n'est \xE9" "crit.");
        return;
    }
    const PcmFormat format = export_file_format(popup_entry(kRatePopup), popup_entry(kChannelsPopup), popup_entry(kBitsPopup));
    file = std::make_unique<CAudioFile>();
    if (!file->Create(path.c_str(), format.rate, format.bits, format.channels, 0)) {
        file.reset();
        application->warning("Le fichier audio ne peut pas \xEAtre cr\xE9\xE9 :", platform::system_path(path).c_str());
        return;
    }
    for (short id : {kPlay, kCancel, kExport, kRatePopup, kChannelsPopup, kBitsPopup})
        if (CPanel* item = dial->find_child_all(id)) item->disable();
    if (auto* loopback = dynamic_cast<SynthLoopbackInput*>(man->input_device())) {
        drive = std::make_unique<OfflineDrive>(loopback, application ? &application->timer : nullptr, pump_play);
        drive->begin();
    }
    shared.file.store(file.get(), std::memory_order_release);
    if (mpr && !playing()) mpr->start_playing(0);
    if (!playing()) {
        application->warning("La lecture de la partition n'a pas pu d\xE9marrer.", "Aucun fichier n'est \xE9" "crit.");
        finish_export();
        platform::remove_file(path);
    }
}

void ExportRun::tail()
{
    if (drive) {
        for (int32_t left = kTailMs; left > 0;) left -= drive->advance(kDriveBudgetMs, left);
    } else {
        platform::sleep_ms(kTailMs);
    }
}

void ExportRun::stop_recording()
{
    man->stop_recording();
    man->wait_recording_stopped(kRecordingStopMs);
    shared.peak_left.store(0);
    shared.peak_right.store(0);
}

void ExportRun::finish_export()
{
    tail();
    stop_recording();
    if (drive) drive->end();
    shared.file.store(nullptr, std::memory_order_release);
    const PcmFormat f = man->format();
    file->write_data(nullptr, 0, true, static_cast<int32_t>(f.rate), static_cast<short>(f.channels),
                     static_cast<short>(f.bits));
    const bool failed = !file->Close() || file->failed();
    file.reset();
    if (failed) {
        platform::remove_file(path);
        application->warning("L'\xE9" "criture du fichier audio a \xE9" "chou\xE9" "e (disque plein ?).",
                             "Le fichier incomplet est supprim\xE9.");
    }
    if (playing()) mpr->stop_playing();
    drive.reset();
    done = true;
}

void ExportRun::on_idle()
{
    if (file) {
        if (drive) drive->advance(kDriveBudgetMs);
        if (!playing() || file->failed()) {
            finish_export();
            return;
        }
    }
    set_meters();
}

void ExportRun::on_item(short item)
{
    switch (item) {
    case kLeftGain: on_gain(kLeftGain, kRightGain); break;
    case kRightGain: on_gain(kRightGain, kLeftGain); break;
    case kCancel:
        if (!file) done = true;
        break;
    case kExport:
        if (!file) start_export();
        break;
    case kPlay:
        if (mpr && !playing()) mpr->start_playing(0);
        break;
    case kStop:
        if (file)
            finish_export();
        else if (playing())
            mpr->stop_playing();
        break;
    default: break;
    }
}

void ExportRun::run()
{
    open_dialog();
    shared.recording = man->format();
    monitoring = man->start_recording(&AudioExport::record, &shared);
    application->add_to_idle(dial.get());
    Event ev;
    while (!done && dial->run_modal(&ev)) {
        if (ev.type == EvIdle || ev.type == 8)
            on_idle();
        else if (ev.type == EvControl || ev.type == EvSliderMoved)
            on_item(ev.item);
    }
    // The window closed or the program quits: as Stop while exporting, else as Cancel.
    if (file) finish_export();
    if (monitoring && man->recording.load()) stop_recording();
    application->remove_from_idle(dial.get());
    dial.reset();
}

}  // namespace

void exporter_audio()
{
    View* v = find_view(0, 0, 0, 0, 0);
    CAudioManager* man = audio_manager();
    if (!v || !v->get_doc_id() || !v->get_sub_doc_id() || !doc || !man || !application) return;
    File_dialog_struct fd;
    const char* name = doc->nom ? doc->nom->get() : "";
    fd.name.set(name);
    fd.path.set(name);
    fd.prompt.set(gs(kExportPrompt));
    fd.ext[1].set(".WAV");
    if (!save_file_dialog(&fd, data_dir ? data_dir : "")) return;
    ExportRun run(man, wav_file_path(fd.path.get()));
    run.run();
}
