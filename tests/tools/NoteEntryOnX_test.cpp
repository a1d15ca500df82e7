// The program on a private X server, used as a musician would: a new score from the library's
// model is opened from "Fichier", the quarter note is chosen in the "Notes" palette and four
// presses in a measure enter four notes; one is dragged two steps up, one erased with the
// eraser of "Outils", a quarter rest entered with its tool from "Silences"; the score is saved
// under a name and read back. The screenshots before and after are written for a person to
// look at. A second run types a melody at the step cursor from the keyboard, exports it as a
// MIDI file, saves it and reads both back: the MIDI file with an outside reader (Python's mido).
#include "ToolBench.h"

#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "framework/XClose.h"
#include "framework/XKeys.h"
#include "platform/TempFolder.h"
#include "platform/XClient.h"
#include "platform/XvfbServer.h"
#include "score/DocumentFileSupport.h"
#include "support/ProgramOnX.h"

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;

// Where the palettes' windows stand ("PAL.PFR" of the program folder: line n, palette n) and
// their cells: 24 x 26 pixels a cell, one pixel between, filling columns from the top.
constexpr int kPaletteLeft = 704;
constexpr int kToolsTop = 70, kNotesTop = 232, kRestsTop = 421;
constexpr int kCellPitch = 27, kCellWidthPitch = 25;

class NoteEntryOnX : public ToolBench {
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
    // Does `action` and waits until the screen shows a change.
    bool changes(const std::function<void()>& action) {
        const std::string png = kOutput + "/note_entry_step.png";
        const std::string before = pixels(png);
        action();
        return wait_for([&] { return pixels(png) != before; });
    }
    void click(int x, int y) { send_x_click(server.display(), window(), x, y); }
    void key(const char* name, bool control = false) { send_x_key(server.display(), window(), name, control); }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

}  // namespace

TEST_F(NoteEntryOnX, NotesAndARestAreEnteredDraggedErasedSavedAndReadBack) {
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    const pid_t pid = start_program_on_x(home, server.display(), program_dir, {});
    ASSERT_TRUE(wait_for([&] { return window() != 0 && !pixels(kOutput + "/note_entry_step.png").empty(); }));

    // "Fichier" > "Nouvelle composition libre..." (the fifth enabled item): the library's model.
    ASSERT_TRUE(changes([&] { click(30, 32); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 5; i++) key("Down");
    }));
    key("Return");
    ScreenStaff staff;
    const std::string before_png = kOutput + "/note_entry_xvfb_before.png";
    ASSERT_TRUE(wait_for([&] {
        cairo_surface_t* image = screenshot(server.display(), before_png);
        if (!image) return false;
        staff = first_screen_staff(image, kPaletteLeft - 10);
        cairo_surface_destroy(image);
        return staff.lines.size() == 5 && staff.bars.size() >= 3;
    })) << "an empty staff with its measures";
    // The palettes' captions: the pointer's cell of "Outils" is the dark one.
    int caption = -1;
    {
        cairo_surface_t* image = screenshot(server.display(), before_png);
        ASSERT_NE(image, nullptr);
        for (int c = 8; c <= 30 && caption < 0; c++)
            if (screen_darkness(image, kPaletteLeft + 2, kToolsTop + c + 2, kPaletteLeft + 22, kToolsTop + c + 24) > 150)
                caption = c;
        cairo_surface_destroy(image);
    }
    ASSERT_GE(caption, 0) << "the palettes are shown";
    const auto cell = [&](int top, int column, int row) {
        return std::pair<int, int>{kPaletteLeft + 12 + column * kCellWidthPitch, top + caption + 13 + row * kCellPitch};
    };

    // Notes stay where they are put: the view's justification is switched off ("j").
    // (The view of a new composition shows no check box for it: the key still switches it.)
    key("j");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // The second measure of the staff, and the places of four quarters and a rest in it.
    const int left = staff.bars[1], right = staff.bars[2], top = staff.lines[0], gap = staff.gap();
    ASSERT_GE(right - left, 60) << "a measure wide enough for five items";
    const auto at = [&](int sixth) { return left + (right - left) * sixth / 6; };
    const int rows[4] = {top + gap, top + 2 * gap, top + 3 * gap / 2, top + 4 * gap};  // lines 2, 3, a space, line 5

    const auto [quarter_x, quarter_y] = cell(kNotesTop, 0, 3);
    ASSERT_TRUE(changes([&] { click(quarter_x, quarter_y); })) << "the quarter's cell is chosen";
    // The window system hands the program the presses in the order they are made.
    const auto then = [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 4; i++) click(at(i + 1), rows[i]), then();
    })) << "four notes";
    // The first dragged up by two steps (a step is half a line gap), the second erased.
    const auto [eraser_x, eraser_y] = cell(kToolsTop, 0, 1);
    const auto [rest_x, rest_y] = cell(kRestsTop, 1, 0);
    ASSERT_TRUE(changes([&] {
        send_x_drag(server.display(), window(), at(1), rows[0], at(1), rows[0] - gap, 4), then();
        click(eraser_x, eraser_y), then();
        click(at(2), rows[1]), then();
        click(rest_x, rest_y), then();
        click(at(5), top + 2 * gap);
    }));
    // Where the erased note stood nothing is left: no grey edge of its head between the lines.
    const std::string after_png = kOutput + "/note_entry_xvfb_after.png";
    ASSERT_TRUE(wait_for([&] {
        cairo_surface_t* image = screenshot(server.display(), after_png);
        if (!image) return false;
        const unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        int marks = 0;
        for (int y = rows[1] - gap; y <= rows[1] + gap; y++) {
            if (std::find(staff.lines.begin(), staff.lines.end(), y) != staff.lines.end()) continue;
            for (int x = at(2) - 4; x <= at(2) + 6; x++) {
                const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
                marks += (c & 0xFFFFFF) != 0xFFFFFF;
            }
        }
        cairo_surface_destroy(image);
        return marks == 0;
    })) << "the erased note leaves no mark";

    // "Enregistrer" (the ninth enabled item, the score being changed) asks for a name.
    ASSERT_TRUE(changes([&] { click(30, 32); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 9; i++) key("Down");
    }));
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the name is asked";
    ASSERT_TRUE(changes([&] {
        for (const char* k : {"n", "o", "t", "e", "s"}) key(k);
    }));
    key("Return");
    std::string saved;
    ASSERT_TRUE(wait_for([&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path()))
            if (e.path().filename() == "notes.bcc") saved = e.path().string();
        return !saved.empty();
    })) << "the score is saved under its name";
    std::filesystem::copy_file(saved, kOutput + "/note_entry_xvfb.bcc", std::filesystem::copy_options::overwrite_existing);
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid));

    // Read back: one measure of the staff holds the three notes left and the rest, the others
    // hold neither. Heights: the dragged note on the top line (2), then a space (11) and the
    // bottom line (26); a quarter rest stands at 24.
    Document* d = load_from(saved);
    ASSERT_NE(d, nullptr);
    struct Found {
        short column;
        std::vector<std::pair<short, short>> notes;  // x, y
        std::vector<short> rests;                    // rythm
    };
    std::vector<Found> filled;
    Portee* first = d->por[d->sys[1]->por[1]];
    for (short c = 1; c <= first->tot_mes; c++) {
        CMeasure* m = d->mes[first->mes[c]];
        Found f{c, {}, {}};
        for (short i = 1; i <= m->total(); i++) {
            if (CNote* n = m->get_note_item(i)) {
                f.notes.push_back({n->x, n->y});
                EXPECT_EQ(n->rythm, 3);
            }
            if (CRest* r = m->get_rest_item(i)) f.rests.push_back(r->rythm);
        }
        if (!f.notes.empty() || !f.rests.empty()) filled.push_back(f);
    }
    ASSERT_EQ(filled.size(), 1u) << "one measure was written in";
    EXPECT_GE(filled[0].column, 2) << "the measure pressed in, after the first";
    std::vector<std::pair<short, short>> notes = filled[0].notes;
    std::sort(notes.begin(), notes.end());
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].second, 2) << "dragged from the second line to the top line";
    EXPECT_EQ(notes[1].second, 11);
    EXPECT_EQ(notes[2].second, 26);
    EXPECT_EQ(filled[0].rests, std::vector<short>{3});
    free_loaded(d);
}

namespace {

// Every note of a MIDI file as "pitch start end" in ticks, sorted by start; the first line
// gives the ticks of a quarter.
const char* kMidiNotes = R"(import sys
import mido
f = mido.MidiFile(sys.argv[1])
print(f.ticks_per_beat)
out = []
for track in f.tracks:
    now, sounding = 0, {}
    for m in track:
        now += m.time
        if m.type == 'note_on' and m.velocity > 0:
            sounding.setdefault((m.channel, m.note), []).append(now)
        elif m.type in ('note_off', 'note_on') and sounding.get((m.channel, m.note)):
            out.append((sounding[(m.channel, m.note)].pop(0), m.note, now))
for start, pitch, end in sorted(out):
    print(pitch, start, end)
)";

// Light grey pixels between the rows y1 and y2 left of the palettes with nothing dark near
// them: what drawing a note in white over its old place leaves of its edges. The edges of what
// is drawn always touch its dark middle.
int stray_marks(cairo_surface_t* image, int y1, int y2) {
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto level = [&](int x, int y) {
        const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
        return (int)std::max({c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF});
    };
    constexpr int kNear = 3;
    int marks = 0;
    for (int y = std::max(y1, kNear); y < y2; y++)
        for (int x = 20; x < kPaletteLeft - 160; x++) {
            const int l = level(x, y);
            if (l < 120 || l > 240) continue;
            bool near_dark = false;
            for (int dy = -kNear; dy <= kNear && !near_dark; dy++)
                for (int dx = -kNear; dx <= kNear && !near_dark; dx++) near_dark = level(x + dx, y + dy) < 100;
            marks += !near_dark;
        }
    return marks;
}

struct Written {
    short rythm, dots, tied;
    bool operator==(const Written& o) const { return rythm == o.rythm && dots == o.dots && tied == o.tied; }
};

}  // namespace

// The step cursor is turned on with its key and a melody of two measures is typed: a quarter, a
// dotted quarter, an eighth and a quarter; in the next measure a half tied to a quarter, a
// sixteenth taken back with Backspace, two eighths.
TEST_F(NoteEntryOnX, AMelodyTypedAtTheStepCursorIsSavedAndExported) {
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    std::ofstream(home / "notes.py") << kMidiNotes;
    const pid_t pid = start_program_on_x(home, server.display(), program_dir, {});
    ASSERT_TRUE(wait_for([&] { return window() != 0 && !pixels(kOutput + "/note_entry_step.png").empty(); }));

    // "Fichier" > "Nouvelle composition libre..." (the fifth enabled item).
    ASSERT_TRUE(changes([&] { click(30, 32); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 5; i++) key("Down");
    }));
    key("Return");
    ASSERT_TRUE(wait_for([&] {
        cairo_surface_t* image = screenshot(server.display(), kOutput + "/step_entry_xvfb_before.png");
        if (!image) return false;
        const ScreenStaff staff = first_screen_staff(image, kPaletteLeft - 10);
        cairo_surface_destroy(image);
        return staff.lines.size() == 5 && staff.bars.size() >= 3;
    })) << "an empty staff with its measures";

    // The keys reach the program in the order they are typed. A full measure sends the cursor
    // on to the next one.
    // The screen settles but for the blinking bar; every mark on the staff then belongs to a
    // note: nothing is left where a note stood before its measure was spaced again.
    const auto check_marks = [&](const std::string& png) {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        cairo_surface_t* image = screenshot(server.display(), kOutput + "/" + png);
        ASSERT_NE(image, nullptr);
        const ScreenStaff staff = first_screen_staff(image, kPaletteLeft - 10);
        ASSERT_EQ(staff.lines.size(), 5u);
        EXPECT_EQ(stray_marks(image, staff.lines[0] - 30, staff.lines[4] + 30), 0) << png;
        cairo_surface_destroy(image);
    };
    for (const char* k : {"p", "3", "3"}) key(k);
    check_marks("step_entry_xvfb_two.png");
    for (const char* k : {"period", "4", "3", "2", "y", "3", "5", "BackSpace", "4", "4"}) key(k);
    check_marks("step_entry_xvfb.png");

    // "Exporter en MIDI..." (the eleventh enabled item, the score being changed): one track a
    // staff, then the name.
    ASSERT_TRUE(changes([&] { click(30, 32); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 11; i++) key("Down");
    }));
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the kind of file is asked";
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the file name is asked";
    for (const char* k : {"m", "e", "l", "o"}) key(k);
    key("Return");
    std::string exported;
    ASSERT_TRUE(wait_for([&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path()))
            if (e.path().filename() == "melo.MID") exported = e.path().string();
        return !exported.empty();
    })) << "the MIDI file is written";

    // "Enregistrer" (the ninth enabled item) asks for a name.
    ASSERT_TRUE(changes([&] { click(30, 32); }));
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 9; i++) key("Down");
    }));
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the name is asked";
    for (const char* k : {"m", "e", "l", "o"}) key(k);
    key("Return");
    std::string saved;
    ASSERT_TRUE(wait_for([&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path()))
            if (e.path().filename() == "melo.bcc") saved = e.path().string();
        return !saved.empty();
    })) << "the score is saved under its name";
    std::filesystem::copy_file(saved, kOutput + "/step_entry_xvfb.bcc", std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(exported, kOutput + "/step_entry_xvfb.mid", std::filesystem::copy_options::overwrite_existing);
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid));

    // Read back: the first two measures of the staff hold the melody in order, the others
    // nothing; every note is the same C, with no accidental.
    Document* d = load_from(saved);
    ASSERT_NE(d, nullptr);
    Portee* first = d->por[d->sys[1]->por[1]];
    std::vector<std::vector<Written>> measures;
    std::vector<short> heights;
    for (short c = 1; c <= first->tot_mes; c++) {
        CMeasure* m = d->mes[first->mes[c]];
        std::vector<std::pair<short, Written>> notes;
        for (short i = 1; i <= m->total(); i++) {
            if (CNote* n = m->get_note_item(i)) {
                notes.push_back({n->x, {n->rythm, n->point, (short)(n->flags & 1)}});
                heights.push_back(n->y);
                EXPECT_EQ(n->alt, 0);
            }
            EXPECT_EQ(m->get_rest_item(i), nullptr) << "no rest was typed";
        }
        std::sort(notes.begin(), notes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<Written> w;
        for (const auto& n : notes) w.push_back(n.second);
        if (!w.empty() || c <= 2) measures.push_back(w);
    }
    free_loaded(d);
    const std::vector<std::vector<Written>> typed = {
        {{3, 0, 0}, {3, 1, 0}, {4, 0, 0}, {3, 0, 0}},
        {{2, 0, 1}, {3, 0, 0}, {4, 0, 0}, {4, 0, 0}},
    };
    ASSERT_EQ(measures.size(), 2u) << "two measures were typed in";
    for (size_t c = 0; c < 2; c++) EXPECT_TRUE(measures[c] == typed[c]) << "measure " << c + 1;
    ASSERT_EQ(heights.size(), 8u);
    EXPECT_EQ(std::count(heights.begin(), heights.end(), heights[0]), 8) << "one pitch, one line";

    // The MIDI file: the pitch 60 throughout, the tied half and quarter sounding as one note,
    // each note as long as written, in quarters from the first note.
    const std::string listing = exported + ".txt";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + (home / "notes.py") + "' '" + exported + "' > '" + listing + "'").c_str()),
              0);
    std::ifstream in(listing);
    double quarter = 0;
    ASSERT_TRUE(in >> quarter);
    struct Sounded {
        int pitch;
        double start, end;
    };
    std::vector<Sounded> sounded;
    for (Sounded s; in >> s.pitch >> s.start >> s.end;) sounded.push_back(s);
    const struct {
        double start, length;
    } expected[] = {{0, 1}, {1, 1.5}, {2.5, 0.5}, {3, 1}, {4, 3}, {7, 0.5}, {7.5, 0.5}};
    ASSERT_EQ(sounded.size(), std::size(expected));
    for (size_t i = 0; i < sounded.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sounded[i].pitch, 60);
        EXPECT_DOUBLE_EQ((sounded[i].start - sounded[0].start) / quarter, expected[i].start);
        EXPECT_DOUBLE_EQ((sounded[i].end - sounded[i].start) / quarter, expected[i].length);
    }
}
