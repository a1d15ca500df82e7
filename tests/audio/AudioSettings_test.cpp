// The audio settings: the choices offered for a device's formats, the typed sizes and the
// in-flight count kept below the ring, the bytes of "Audio.dat", and the dialog worked by
// injected clicks on test devices (OK writes the file and opens the devices with the choice,
// Cancel opens them with the settings of before). The dialog is written to a PNG.
#include "audio/AudioSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "audio/CAudioManager.h"
#include "audio/WaveDevices.h"
#include "framework/CButton.h"
#include "framework/CTextedit.h"
#include "framework/UserFiles.h"
#include "midi/DialogScript.h"

using namespace audio_settings;

namespace {

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(AudioSettingsDecisions, FormatMasksGiveTheChoicesOffered)
{
    using Texts = std::vector<std::string>;
    struct Case {
        const char* what;
        bool known;
        uint32_t mask, rate;
        uint16_t bits, channels;
        Texts rates;
        short rate_entry;
        Texts sizes;
        short bits_entry;
        bool mono, stereo;
        short group;
    } cases[] = {
        {"every format", true, WAVE_FORMATS_ALL, 44100, 16, 2,
         {"11025 Hz", "22050 Hz", "44100 Hz"}, 3, {"8 bits", "16 bits"}, 2, true, true, 2},
        {"22.05 kHz 16-bit stereo only", true, WAVE_FORMAT_2S16, 22050, 16, 2, {"22050 Hz"}, 1, {"16 bits"}, 1,
         false, true, 2},
        {"mono 8-bit at 11.025 kHz, the settings not offered", true, WAVE_FORMAT_1M08, 44100, 16, 2, {"11025 Hz"}, 0,
         {"8 bits"}, 0, true, false, 1},
        {"mono and stereo, mono chosen", true, WAVE_FORMAT_4M16 | WAVE_FORMAT_4S16, 44100, 16, 1, {"44100 Hz"}, 1,
         {"16 bits"}, 1, true, true, 1},
        {"the 96 kHz bits count for channels and sizes only", true, 0x40000, 44100, 16, 1, {}, 0, {"16 bits"}, 1,
         true, false, 1},
        {"no device", false, WAVE_FORMATS_ALL, 44100, 16, 2, {}, 0, {}, 0, false, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FormatChoices f = format_choices(c.known, c.mask, c.rate, c.bits, c.channels);
        EXPECT_EQ(f.rates, c.rates);
        EXPECT_EQ(f.rate_entry, c.rate_entry);
        EXPECT_EQ(f.bits, c.sizes);
        EXPECT_EQ(f.bits_entry, c.bits_entry);
        EXPECT_EQ(f.mono, c.mono);
        EXPECT_EQ(f.stereo, c.stereo);
        EXPECT_EQ(f.channels, c.group);
    }
}

TEST(AudioSettingsDecisions, EntriesSizesAndBuffersInFlight)
{
    const struct {
        short entry, device;
    } devices[] = {{1, WAVE_NO_DEVICE}, {2, WAVE_MAPPER_ID}, {3, 0}, {5, 2}};
    for (const auto& d : devices) {
        EXPECT_EQ(device_of_entry(d.entry), d.device);
        EXPECT_EQ(entry_of_device(d.device), d.entry);
    }
    const struct {
        const char* text;
        uint32_t rate;
        uint16_t bits;
    } texts[] = {{"11025 Hz", 11025, 16}, {"22050 Hz", 22050, 16}, {"44100 Hz", 44100, 16},
                 {"8 bits", 44100, 8},    {"16 bits", 44100, 16},  {"", 44100, 16}};
    for (const auto& t : texts) {
        EXPECT_EQ(rate_of_entry(t.text), t.rate) << t.text;
        EXPECT_EQ(bits_of_entry(t.text), t.bits) << t.text;
    }
    const struct {
        int32_t typed;
        uint32_t size;
    } sizes[] = {{0, 400}, {399, 400}, {400, 400}, {15000, 15000}, {64000, 64000}, {64001, 64000}, {-1, 64000}};
    for (const auto& s : sizes) EXPECT_EQ(typed_buffer_size(s.typed), s.size) << s.typed;
    // Ring entry k holds k + 1 buffers; in flight there are never as many as in the ring.
    const struct {
        short ring, flight, kept;
    } flights[] = {{1, 3, 1}, {1, 1, 1}, {2, 2, 2}, {2, 3, 2}, {19, 19, 19}, {5, 0, 1}, {0, 2, 1}};
    for (const auto& f : flights) EXPECT_EQ(in_flight_entry(f.ring, f.flight), f.kept) << f.ring << " " << f.flight;
}

class AudioSettingsDialog : public DialogScript {
public:
    std::string folder_prefix() const override { return "audio-settings"; }
    void SetUp() override
    {
        DialogScript::SetUp();
        set_wave_devices(&devices);
        ASSERT_TRUE(man.open());
    }
    void TearDown() override
    {
        man.stop();
        set_wave_devices(nullptr);
        DialogScript::TearDown();
    }
    std::string settings_file()
    {
        std::string resolved;
        EXPECT_TRUE(platform::resolve_path(audio_settings_path(), &resolved));
        return resolved;
    }
    CDialog* dialog() { return find_dialog(kOutRing, kInFlight, kDefaults); }
    Steps choose(short id, short entry) { return DialogScript::choose([this] { return dialog(); }, id, entry); }
    void run(std::vector<Steps> groups)
    {
        DialogScript::run(std::move(groups), [this] { return dialog() != nullptr; }, [this] { man.edit(); });
    }
    short cur(short id) { return dialog()->popup(id)->get_cur(); }
    std::vector<std::string> entries(short id)
    {
        std::vector<std::string> out;
        for (short n = 1; n <= dialog()->popup(id)->total(); n++) {
            CString text;
            dialog()->popup(id)->get_item(n, &text);
            out.push_back(text.get());
        }
        return out;
    }

    TestWaveDevices devices{2, 44.1};
    CAudioManager man;
};

}  // namespace

TEST_F(AudioSettingsDialog, TheSettingsAreShownAndOkWritesAndOpensTheChoice)
{
    std::vector<std::string> outputs, inputs, rates, sizes;
    short shown[8] = {};
    short flight_after_ring = 0;
    std::vector<std::string> rates_without_device;
    bool mono_enabled = true, stereo_enabled = true;
    const int opened_before = devices.inputs_opened.load();
    run({{[&] {
              outputs = entries(kOutputDevice), inputs = entries(kInputDevice);
              rates = entries(kRate), sizes = entries(kBits);
              const short ids[] = {kOutputDevice, kInputDevice, kRate, kBits, kOutRing, kInRing, kOutFlight, kInFlight};
              for (int i = 0; i < 8; i++) shown[i] = cur(ids[i]);
              snapshot(dialog(), "audio_settings.png");
          }},
         choose(kInFlight, 2),
         choose(kInRing, 1),  // 2 buffers in the ring: 1 in flight
         {[&] { flight_after_ring = cur(kInFlight); }},
         choose(kOutputDevice, 1),  // "----": no formats to offer
         {[&] {
              rates_without_device = entries(kRate);
              mono_enabled = dialog()->radio(kMono)->enabled();
              stereo_enabled = dialog()->radio(kStereo)->enabled();
              dialog()->te(kOutSize)->set_text("-5");
              dialog()->te(kInSize)->set_text("beaucoup");
              snapshot(dialog(), "audio_settings_no_output.png");
              click(dialog()->button(kOk));
          }}});

    EXPECT_EQ(outputs, (std::vector<std::string>{"----", "Sortie audio standard", "Sortie muette"}));
    EXPECT_EQ(inputs, (std::vector<std::string>{"----", "Entr\xE9" "e audio standard", "G\xE9n\xE9rateur de test 1",
                                                "G\xE9n\xE9rateur de test 2"}));
    EXPECT_EQ(rates, (std::vector<std::string>{"11025 Hz", "22050 Hz", "44100 Hz"}));
    EXPECT_EQ(sizes, (std::vector<std::string>{"8 bits", "16 bits"}));
    const short expected_shown[8] = {2, 2, 3, 2, 2, 2, 2, 2};  // standard devices, 44.1 kHz, 16 bits, 3 and 2
    for (int i = 0; i < 8; i++) EXPECT_EQ(shown[i], expected_shown[i]) << i;
    EXPECT_EQ(flight_after_ring, 1);
    EXPECT_TRUE(rates_without_device.empty());
    EXPECT_FALSE(mono_enabled);
    EXPECT_FALSE(stereo_enabled);

    EXPECT_EQ(read_all(settings_file()), "44100\n16\n1\n-2\n3\n64000\n2\n-1\n2\n400\n1\n");
    EXPECT_EQ(man.outID, WAVE_NO_DEVICE);
    EXPECT_EQ(man.sampleMode, 1) << "no channel button enabled: mono";
    EXPECT_EQ(man.inTotalBuffer, 2);
    EXPECT_EQ(man.inConsecutiveBuffers, 1);
    EXPECT_EQ(devices.inputs_opened.load(), opened_before + 1) << "the input is opened again";
    EXPECT_TRUE(man.start_recording([](void*, short*, int32_t n) { return n; }, nullptr))
        << "the worker runs again";
}

TEST_F(AudioSettingsDialog, CancelKeepsEverySettingAndDefaultsGiveTheDialogsDefaults)
{
    const std::vector<int32_t> before = audio_settings_values(man);
    const int opened_before = devices.inputs_opened.load();
    run({choose(kRate, 1), choose(kBits, 1), choose(kOutRing, 5), choose(kInputDevice, 4),
         {[&] { click(dialog()->radio(kMono)); }, [&] { click(dialog()->button(kCancel)); }}});
    EXPECT_EQ(audio_settings_values(man), before);
    EXPECT_FALSE(platform::file_exists(audio_settings_path())) << "Cancel writes nothing";
    EXPECT_EQ(devices.inputs_opened.load(), opened_before + 1) << "the devices are opened again";

    run({choose(kRate, 1), choose(kOutRing, 5), choose(kInputDevice, 4),
         {[&] { click(dialog()->radio(kMono)); }, [&] { click(dialog()->button(kDefaults)); },
          [&] { click(dialog()->button(kOk)); }}});
    EXPECT_EQ(read_all(settings_file()), "44100\n16\n2\n-1\n3\n10000\n2\n-1\n3\n10000\n2\n");
}

TEST(AudioSettingsFile, TheDefaultsAreWrittenLineByLine)
{
    CAudioManager man;
    const std::string folder = std::string(BRINDLECOT_TEST_OUTPUT) + "/audio-settings-file";
    std::filesystem::remove_all(folder);
    use_user_folder(folder);
    EXPECT_TRUE(man.save());
    use_user_folder("");
    EXPECT_EQ(read_all(folder + "/Prefs/Audio.dat"), "44100\n16\n2\n-1\n3\n15000\n2\n-1\n3\n15000\n2\n");
    // A folder that cannot be made: false, nothing claimed.
    const std::string blocked = folder + "/blocked";
    std::ofstream(blocked) << "a file where the folder should be";
    use_user_folder(blocked);
    EXPECT_FALSE(man.save());
    use_user_folder("");
}
