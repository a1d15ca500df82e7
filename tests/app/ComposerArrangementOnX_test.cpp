// The composition assistant arranging a composition in the real program on a private X server:
// a composition with C, E and G in its first measure opens again as the last document, the
// assistant is opened over it (Ctrl+C), its proposals shade the chord grid for the current
// measure, a chord and a style variation are written into the measure, a progression is chosen
// from the view's pop-up menu and written from there, and the composition is exported as a
// MIDI file, which an outside reader (Python's mido) finds the accompaniment in, measure after
// measure. The screenshots are written for a person to look at.
#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "framework/XKeys.h"
#include "XWindows.h"
#include "support/ProgramOnX.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;

bool wait_for(const std::function<bool()>& done)
{
    for (int i = 0; i < 240; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return done();
}

struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height ? rgb[y * width + x] : 0; }
    int count(uint32_t colour) const
    {
        int n = 0;
        for (uint32_t c : rgb) n += c == colour;
        return n;
    }
};

Shot take(const std::string& display, const std::string& png)
{
    Shot s;
    cairo_surface_t* image = screenshot(display, png);
    if (!image) return s;
    s.width = cairo_image_surface_get_width(image);
    s.height = cairo_image_surface_get_height(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < s.height; y++)
        for (int x = 0; x < s.width; x++)
            s.rgb.push_back(*reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF);
    cairo_surface_destroy(image);
    return s;
}

constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

// Per measure of 1920 ticks (4/4), the channels (1-16) that start notes in it: "m c c c".
const char* kReader = R"(import sys
import mido
f = mido.MidiFile(sys.argv[1])
measures = {}
for track in f.tracks:
    now = 0
    for m in track:
        now += m.time
        if m.type == 'note_on' and m.velocity > 0:
            measures.setdefault(now // 1920 + 1, set()).add(m.channel + 1)
for k in sorted(measures):
    print(k, ' '.join(str(c) for c in sorted(measures[k])))
)";

class ComposerArrangementOnX : public ::testing::Test {
protected:
    // The topmost shown window, and the frame (the largest).
    XWindow top()
    {
        std::vector<XWindow> w = shown_windows(server.display());
        return w.empty() ? XWindow{0, 0, 0, 0, 0} : w.back();
    }
    XWindow frame()
    {
        XWindow best{0, 0, 0, 0, 0};
        for (const XWindow& w : shown_windows(server.display()))
            if (w.width * w.height > best.width * best.height) best = w;
        return best;
    }
    std::string png(const std::string& name) { return kOutput + "/arrangement_" + name + ".png"; }
    bool first_blue(const Shot& s, int* x, int* y)
    {
        for (int j = 0; j < s.height; j++)
            for (int i = 0; i < s.width; i++)
                if (s.at(i, j) == kBlue && s.at(i + 20, j) == kBlue && s.at(i, j + 8) == kBlue) {
                    *x = i;
                    *y = j;
                    return true;
                }
        return false;
    }
    // Does `action` and waits until the screen shows a change.
    bool changes(const std::function<void()>& action)
    {
        const Shot before = take(server.display(), png("step"));
        action();
        return wait_for([&] { return take(server.display(), png("step")).rgb != before.rgb; });
    }
    void key(const char* name, bool ctrl = false) { send_x_key(server.display(), top().id, name, ctrl); }
    std::vector<std::string> read_with_mido(const std::string& file)
    {
        const std::string out = file + ".txt";
        EXPECT_EQ(std::system(("/usr/bin/python3 '" + (home / "read.py") + "' '" + file + "' > '" + out + "'").c_str()), 0);
        std::vector<std::string> lines;
        std::ifstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

TEST_F(ComposerArrangementOnX, ProposalsProgressionAndTheArrangedAccompanimentExported)
{
    ASSERT_FALSE(server.display().empty()) << "Xvfb runs";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is installed";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    std::ofstream(home / "read.py") << kReader;

    // A new composition with C, E and G as quarters in its first measure, kept in "Mes
    // compositions" and named as the last document.
    std::stringstream model;
    model << std::ifstream(program_dir + "/misc/Compo-1024x768.bcc").rdbuf();
    std::string text = model.str();
    const size_t time_sig = text.find("t(x=32)");
    ASSERT_NE(time_sig, std::string::npos);
    const size_t line_end = text.find('\n', time_sig);
    text.insert(line_end + 1,
                "n(x=60,y=32,f=60,v=1)\r\nn(x=85,y=26,f=64,de=480,v=1)\r\nn(x=110,y=20,f=67,de=960,v=1)\r\n");
    // The check value of the header follows the file's length.
    char check[8];
    std::snprintf(check, sizeof check, "M%03d", (int)(((int32_t)text.size() ^ 0x05D3A61C) % 1000));
    text.replace(0, 4, check);
    const std::string folder = home / "data/brindlecot/Mes compositions";
    std::filesystem::create_directories(folder);
    const std::string composition = folder + "/Essai.bcc";
    std::ofstream(composition, std::ios::binary) << text;
    std::filesystem::create_directories(home / "config/brindlecot");
    std::ofstream(home / "config/brindlecot/LastDoc.txt") << composition << "\n";

    const pid_t pid = start_program_on_x(home, server.display(), program_dir, {});
    ASSERT_TRUE(wait_for([&] { return top().id != 0; })) << "the program shows";
    ASSERT_TRUE(wait_for([&] { return take(server.display(), png("step")).count(0) > 2000; })) << "the score is drawn";
    take(server.display(), png("composition"));

    // Ctrl+C: the assistant, its current measure the first.
    key("c", true);
    int gx = 0, gy = 0;
    ASSERT_TRUE(wait_for([&] { return first_blue(take(server.display(), png("step")), &gx, &gy); }))
        << "the assistant shows its chord grid";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(first_blue(take(server.display(), png("open")), &gx, &gy));
    const int panel_x = gx - 34, panel_y = gy - 24;      // the grid panel (item 2 at 4, 28)
    const int dialog_x = panel_x - 4, dialog_y = panel_y - 28;
    const XWindow assistant = top();
    auto cell = [&](int c) { return std::make_pair(panel_x + 33 + (c - 1) * 58 + 4, panel_y + 23 + 4); };

    // "Propositions": C major keeps the full blue, D minor goes white, E minor a paler blue.
    click(server.display(), assistant, dialog_x + 486 + 55, dialog_y + 60 + 12);
    ASSERT_TRUE(wait_for([&] {
        const Shot s = take(server.display(), png("proposals"));
        return s.at(cell(3).first, cell(3).second) != kWhite && s.at(cell(3).first, cell(3).second) != kBlue;
    })) << "the proposals shade the grid";
    const Shot proposals = take(server.display(), png("proposals"));
    EXPECT_EQ(proposals.at(cell(1).first, cell(1).second), kBlue) << "C: 100";
    EXPECT_EQ(proposals.at(cell(2).first, cell(2).second), kWhite) << "D minor: none";
    const uint32_t em = proposals.at(cell(3).first, cell(3).second);
    EXPECT_EQ(em & 0xFF, 0xFFu) << "E minor: a shade of blue";
    EXPECT_GT((em >> 16) & 0xFF, 0x40u);

    // The style's "Couplet A" plays; "Écrire dans la mesure" writes the chord and the style.
    const int v_x = panel_x + 2 * 106 + 40, v_y = panel_y + 186 + 7;
    click(server.display(), assistant, v_x, v_y);
    ASSERT_TRUE(wait_for([&] { return take(server.display(), png("step")).at(v_x, v_y) == kBlue; })) << "the variation plays";
    ASSERT_TRUE(changes([&] { click(server.display(), assistant, dialog_x + 602 + 75, dialog_y + 60 + 12); }))
        << "the chord and style are written";
    take(server.display(), png("written"));

    // A right click in the view under the assistant: its pop-up menu offers the progressions.
    const XWindow whole = frame();
    ASSERT_TRUE(changes([&] { right_click(server.display(), whole, 900, dialog_y + 490 + 120); })) << "the menu shows";
    take(server.display(), png("menu"));
    key("Down");
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the progressions dialog shows";
    take(server.display(), png("dialog"));
    // Return, OK: the first progression (C, F, G, C) from the current measure on.
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the progression is written";
    std::this_thread::sleep_for(std::chrono::seconds(1));
    take(server.display(), png("progression"));

    // "Fichier" > "Exporter en MIDI...", one track a staff, named "arrangement".
    auto on_frame = [&](const char* k) { send_x_key(server.display(), frame().id, k); };
    ASSERT_TRUE(changes([&] { click(server.display(), frame(), 30, 32); })) << "the menu opens";
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 11; i++) on_frame("Down");
    }));
    take(server.display(), png("export_menu"));
    ASSERT_TRUE(changes([&] { on_frame("Return"); })) << "the kind of file is asked";
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the file name is asked";
    for (const char* k : {"a", "r", "r", "a", "n", "g", "e"}) key(k);
    key("Return");
    std::string exported;
    ASSERT_TRUE(wait_for([&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path()))
            if (e.path().filename() == "arrange.MID") exported = e.path().string();
        return !exported.empty();
    })) << "the file is written";
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);

    // The melody in measure 1, and accompaniment channels in every measure of the range.
    const std::vector<std::string> lines = read_with_mido(exported);
    ASSERT_GE(lines.size(), 4u);
    for (int m = 1; m <= 4; m++) {
        const std::string& line = lines[(size_t)m - 1];
        std::istringstream in(line);
        int measure = 0;
        in >> measure;
        EXPECT_EQ(measure, m) << line;
        int channel = 0, others = 0;
        bool melody = false;
        while (in >> channel) {
            melody |= channel == 1;
            others += channel != 1;
        }
        EXPECT_GE(others, 2) << "accompaniment in measure " << m << ": " << line;
        if (m == 1) {
            EXPECT_TRUE(melody) << line;
        }
    }
    std::filesystem::copy_file(exported, kOutput + "/arrangement_exported.mid",
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
