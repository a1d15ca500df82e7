// The program on a private X server, used as a musician would: in a new composition three
// quarters are entered, a staccato is put on the first, a crescendo hairpin on the second and a
// half-note metronome mark on the third, its tempo set to 70 in its dialog (Ctrl and a press on
// the note open it as the mark goes in); a slur is put above the next measure and bent up by its
// middle point; a title is written centred at the top of the page with the text tool. The score
// is saved under a name, read back and written again with the same records, and its exported MIDI file
// is read with mido: the tempo from the mark is 140 quarter notes a minute. Screenshots are
// written for a person to look at.
#include "ToolBench.h"

#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "framework/XClose.h"
#include "framework/XKeys.h"
#include "midi/MidiExport.h"
#include "platform/TempFolder.h"
#include "platform/XClient.h"
#include "platform/XvfbServer.h"
#include "score/CSymbol.h"
#include "score/CTextBloc.h"
#include "score/DocumentFileSupport.h"
#include "score/DocumentServices.h"
#include "support/ProgramOnX.h"

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;
constexpr int kScreenW = 1024, kScreenH = 768;

// The palettes' windows ("PAL.PFR" of the program folder) and their cells: 24 x 26 pixels a
// cell, one pixel between, filling columns from the top.
struct PaletteAt {
    int left, top;
};
constexpr PaletteAt kTools{704, 70}, kNotes{704, 232}, kDynamics{790, 70}, kArticulations{876, 151}, kTempo{790, 205};
constexpr int kCellPitch = 27, kCellWidthPitch = 25;

// Symbols of the palettes.
constexpr short kStaccato = 2200, kCrescendo = 2110, kHalfNoteMark = 2118, kSlur = 2209;

// A point of a dialog of size (w, h) in the program's resource, centred on the screen: its
// client point (x, y) on the screen (the dialog's border and title strip above its client area).
std::pair<int, int> dialog_point(int w, int h, int x, int y) {
    return {(kScreenW - w) / 2 + 1 + x, (kScreenH - h) / 2 + 21 + y};
}

class SymbolsOnX : public ToolBench {
protected:
    unsigned long window() {
        std::vector<unsigned long> w = top_level_x_windows(server.display());
        return w.empty() ? 0 : w.back();
    }
    bool wait_for(const std::function<bool()>& done) {
        for (int i = 0; i < 240; i++) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        return done();
    }
    std::string pixels(const std::string& png) {
        cairo_surface_t* image = screenshot(server.display(), png);
        if (!image) return std::string();
        const std::string out(reinterpret_cast<const char*>(cairo_image_surface_get_data(image)),
                              (size_t)cairo_image_surface_get_stride(image) * cairo_image_surface_get_height(image));
        cairo_surface_destroy(image);
        return out;
    }
    bool changes(const std::function<void()>& action) {
        const std::string png = kOutput + "/symbols_step.png";
        const std::string before = pixels(png);
        action();
        return wait_for([&] { return pixels(png) != before; });
    }
    void shot(const std::string& name) { cairo_surface_destroy(screenshot(server.display(), kOutput + "/" + name)); }
    void click(int x, int y) { send_x_click(server.display(), window(), x, y); }
    void click(std::pair<int, int> p) { click(p.first, p.second); }
    void key(const char* name, bool control = false) { send_x_key(server.display(), window(), name, control); }
    void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }
    std::pair<int, int> cell(PaletteAt p, int column, int row) const {
        return {p.left + 12 + column * kCellWidthPitch, p.top + caption + 13 + row * kCellPitch};
    }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
    int caption = -1;
};

// Reads a MIDI file with mido: one line a tempo change, "tempo TICK BPM".
std::vector<std::string> tempos_with_mido(const std::string& path) {
    const std::string script = "import mido\n"
                               "f = mido.MidiFile('" + path + "')\n"
                               "for t in f.tracks:\n"
                               "    now = 0\n"
                               "    for m in t:\n"
                               "        now += m.time\n"
                               "        if m.type == 'set_tempo':\n"
                               "            print('tempo', now, round(mido.tempo2bpm(m.tempo)))\n";
    const std::string py = kOutput + "/symbols_tempo.py";
    FILE* f = std::fopen(py.c_str(), "w");
    if (!f) return {};
    std::fputs(script.c_str(), f);
    std::fclose(f);
    std::vector<std::string> lines;
    FILE* p = ::popen(("/usr/bin/python3 '" + py + "'").c_str(), "r");
    if (!p) return lines;
    char line[256];
    while (std::fgets(line, sizeof line, p)) {
        std::string l = line;
        if (!l.empty() && l.back() == '\n') l.pop_back();
        lines.push_back(l);
    }
    ::pclose(p);
    return lines;
}

// The records of a score file that hold notes, symbols and text blocks, in order.
std::vector<std::string> placed_records(const std::string& file) {
    std::vector<std::string> records;
    size_t at = 0;
    while (at < file.size()) {
        const size_t end = std::min(file.find_first_of("\r\n", at), file.size());
        const std::string line = file.substr(at, end - at);
        if (line.rfind("n(", 0) == 0 || line.rfind("sy(", 0) == 0 || line.rfind("tx(", 0) == 0) records.push_back(line);
        at = end + 1;
    }
    return records;
}

}  // namespace

TEST_F(SymbolsOnX, SymbolsAndATitleArePlacedEditedSavedAndReadBack) {
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    const pid_t pid = start_program_on_x(home, server.display(), program_dir, {});
    ASSERT_TRUE(wait_for([&] { return window() != 0 && !pixels(kOutput + "/symbols_step.png").empty(); }));

    // "Fichier" > "Nouvelle composition libre..." (the fifth enabled item).
    ASSERT_TRUE(changes([&] { click(30, 32); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 5; i++) key("Down");
    }));
    key("Return");
    ScreenStaff staff;
    ASSERT_TRUE(wait_for([&] {
        cairo_surface_t* image = screenshot(server.display(), kOutput + "/symbols_xvfb_empty.png");
        if (!image) return false;
        staff = first_screen_staff(image, kTools.left - 10);
        for (int c = 8; c <= 30 && caption < 0 && staff.lines.size() == 5; c++)
            if (screen_darkness(image, kTools.left + 2, kTools.top + c + 2, kTools.left + 22, kTools.top + c + 24) > 150)
                caption = c;
        cairo_surface_destroy(image);
        return staff.lines.size() == 5 && staff.bars.size() >= 4 && caption >= 0;
    })) << "an empty staff with its measures, and the palettes";
    key("j");  // the notes stay where they are put
    pause();

    const int left = staff.bars[1], right = staff.bars[2], top = staff.lines[0], gap = staff.gap();
    const double unit = (staff.lines[4] - staff.lines[0]) / 24.0;  // pixels a staff unit
    ASSERT_GE(right - left, 60);
    const auto at = [&](int sixth) { return left + (right - left) * sixth / 6; };
    const int middle = top + 2 * gap;
    const auto then = [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };

    // Three quarters on the middle line.
    ASSERT_TRUE(changes([&] { click(cell(kNotes, 0, 3)); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 1; i <= 3; i++) click(at(i), middle), then();
    })) << "three notes";
    // A staccato on the first, a crescendo on the second.
    ASSERT_TRUE(changes([&] {
        click(cell(kArticulations, 0, 0)), then();
        click(at(1) + 2, middle - 1), then();
        click(cell(kDynamics, 2, 2)), then();
        click(at(2) + 2, middle - 1);
    })) << "a staccato and a crescendo";

    // The half-note mark on the third, its dialog opened by Ctrl: 60 shown, ten steps up, OK.
    const int dw = 430, dh = 200;
    click(cell(kTempo, 2, 2));
    pause();
    ASSERT_TRUE(changes([&] {
        send_x_key_state(server.display(), window(), "Control_L", true);
        click(at(3) + 2, middle - 1);
        send_x_key_state(server.display(), window(), "Control_L", false);
    })) << "the mark's dialog";
    pause();
    shot("symbols_xvfb_tempo_dialog.png");
    for (int i = 0; i < 10; i++) click(dialog_point(dw, dh, 390, 33)), then();
    pause();
    shot("symbols_xvfb_tempo_dialog_70.png");
    ASSERT_TRUE(changes([&] { click(dialog_point(dw, dh, 256, 163)); })) << "the dialog closes";

    // A slur above the next measure, bent up by its middle point.
    const int slur_x = staff.bars[2] + (int)(20 * unit), slur_y = top - (int)(8 * unit);
    ASSERT_TRUE(changes([&] {
        click(cell(kArticulations, 4, 0)), then();
        click(slur_x, slur_y);
    })) << "a slur";
    const int mid_x = slur_x + (int)(20 * unit), mid_y = slur_y - (int)(6 * unit);
    ASSERT_TRUE(changes([&] {
        send_x_drag(server.display(), window(), mid_x, mid_y, mid_x, mid_y - (int)(10 * unit), 5);
    })) << "the slur bent";

    // A title: the text tool pressed above the staff, its dialog filled in.
    const int tw = 560, th = 450;
    click(cell(kTools, 1, 1));
    pause();
    ASSERT_TRUE(changes([&] { click(at(3), top - 60 > 100 ? top - 60 : top - 20); })) << "the text dialog";
    pause();
    click(dialog_point(tw, th, 280, 95)), then();
    for (const char* k : {"s", "o", "n", "a", "t", "e"}) key(k), then();
    click(dialog_point(tw, th, 35, 286)), then();   // on one page
    click(dialog_point(tw, th, 303, 310)), then();  // at the top margin
    click(dialog_point(tw, th, 303, 362)), then();  // centred across
    pause();
    shot("symbols_xvfb_text_dialog.png");
    ASSERT_TRUE(changes([&] { click(dialog_point(tw, th, 390, 409)); })) << "the title is placed";
    pause();
    shot("symbols_xvfb_after.png");

    // "Enregistrer" (the ninth enabled item, the score being changed) asks for a name.
    ASSERT_TRUE(changes([&] { click(30, 32); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 9; i++) key("Down");
    }));
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the name is asked";
    ASSERT_TRUE(changes([&] {
        for (const char* k : {"s", "y", "m", "b", "o", "l", "e", "s"}) key(k);
    }));
    key("Return");
    std::string saved;
    ASSERT_TRUE(wait_for([&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path()))
            if (e.path().filename() == "symboles.bcc") saved = e.path().string();
        return !saved.empty();
    })) << "the score is saved under its name";
    std::filesystem::copy_file(saved, kOutput + "/symbols_xvfb.bcc", std::filesystem::copy_options::overwrite_existing);
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid));

    // Read back: the symbols where they were put, with their values.
    Document* d = load_from(saved);
    ASSERT_NE(d, nullptr);
    std::vector<CSymbol*> found;
    std::vector<CNote*> notes;
    for (short i = 1; i <= d->max_mes; i++) {
        CMeasure* m = d->mes[i];
        for (short k = 1; m && k <= m->total(); k++) {
            if (CSymbol* s = m->get_symbol_item(k)) found.push_back(s);
            if (CNote* n = m->get_note_item(k)) notes.push_back(n);
        }
    }
    EXPECT_EQ(notes.size(), 3u);
    const auto symbol = [&](short id) -> CSymbol* {
        for (CSymbol* s : found)
            if (s->tool_id == id) return s;
        return nullptr;
    };
    const auto local = [](CSymbol* s, short n) {
        for (short i = 1; i <= s->param.total(); i++)
            if (s->param.get(i) == n) return (int)s->value.get(i);
        return -99999;
    };
    for (short id : {kStaccato, kCrescendo, kHalfNoteMark}) {
        CSymbol* s = symbol(id);
        ASSERT_NE(s, nullptr) << id;
        EXPECT_NE(s->note_id, 0) << id << " is bound to its note";
    }
    EXPECT_EQ(local(symbol(kHalfNoteMark), 21), 140) << "70 in half notes";
    CSymbol* slur = symbol(kSlur);
    ASSERT_NE(slur, nullptr);
    EXPECT_EQ(slur->note_id, 0);
    EXPECT_LE(local(slur, 10), -12) << "the middle point raised from -6";
    EXPECT_EQ(local(slur, 12), -99999) << "the last point stays the definition's";
    CTextBloc* title = nullptr;
    for (short i = 1; i <= d->max_ptx; i++)
        if (d->ptx[i]) title = d->ptx[i];
    ASSERT_NE(title, nullptr) << "the title is a page block";
    EXPECT_STREQ(title->text.get(), "sonate");
    EXPECT_EQ(title->type, 1);
    EXPECT_EQ(title->flags, 0x1 | 0x2);
    const Sub_document& s = d->sub_doc[d->cur_sub_doc];
    EXPECT_EQ(title->x, (s.mi_g + s.me_g + s.mx - s.me_d - s.mi_d - title->w) / 2) << "centred";
    EXPECT_EQ(title->y, s.mi_s + s.me_s) << "at the top margin";

    // Written again, the notes, symbols and texts are the same records.
    const std::string again = kOutput + "/symbols_xvfb_again.bcc";
    ASSERT_EQ(save_to(d, again), 1);
    EXPECT_EQ(placed_records(file_bytes(again)), placed_records(file_bytes(saved)));
    EXPECT_EQ(placed_records(file_bytes(saved)).size(), 3u + 4u + 1u);

    // The tempo the mark plays, read by an outside reader, with the palettes' own symbols.
    FILE* defs = std::fopen((program_dir + "/misc/TOOL.DEF").c_str(), "rb");
    ASSERT_NE(defs, nullptr);
    ASSERT_EQ(read_definitions(pal, defs), 1);
    std::fclose(defs);
    const short mode = working_mode;
    working_mode = 2;
    const std::string mid = kOutput + "/symbols_xvfb.mid";
    const char* why = nullptr;
    ASSERT_EQ(exporter_midi_document(d, mid.c_str(), 3, &why), 1) << (why ? why : "");
    working_mode = mode;
    bool tempo_140 = false;
    for (const std::string& l : tempos_with_mido(mid)) tempo_140 = tempo_140 || l.rfind(" 140") == l.size() - 4;
    EXPECT_TRUE(tempo_140) << "a tempo of 140 from the mark";
    free_loaded(d);
}
