// The program on a private X server plays a score by touch, as a musician does with the mouse:
// the score (a melody over an accompaniment staff) opens in the play-along view as the last
// document; a press on a measure sounds its melody note and starts its accompaniment, a slide
// to the next measure sounds the next note, a slide back the first again, and the accompaniment
// goes on after the release. What the built-in synthesizer received is read from its message
// log; the screenshots of the play indicator are written for a person to look at.
#include "ShellFixture.h"
#include "score/DocumentFileSupport.h"
#include "score/Piste.h"
#include "score/ScoreFixture.h"
#include "score/CNote.h"
#include "framework/XClose.h"
#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "support/ProgramOnX.h"
#include "support/WaitUntil.h"
#include "XWindows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;
constexpr short kColumns = 6;
constexpr int kAccompanimentStatus = 0x91;  // in the file; the program may choose its channel
constexpr int kLowestMelodyPitch = 50;        // the accompaniment plays below, the melody above
constexpr int kPaletteLeft = 690;  // the palettes float to the right of it

struct Heard {
    int status, pitch, velocity;
};

// The note-ons the synthesizer received, from line `from` of its log on.
std::vector<Heard> note_ons(const std::string& log, size_t from = 0)
{
    std::vector<Heard> out;
    std::ifstream in(log);
    std::string line;
    for (size_t n = 0; std::getline(in, line); n++) {
        if (n < from) continue;
        long ms;
        int status, d1, d2;
        if (std::sscanf(line.c_str(), "%ld %d %d %d", &ms, &status, &d1, &d2) == 4 && (status & 0xF0) == 0x90 && d2 > 0)
            out.push_back({status, d1, d2});
    }
    return out;
}
size_t lines_of(const std::string& log)
{
    std::ifstream in(log);
    size_t n = 0;
    for (std::string line; std::getline(in, line);) n++;
    return n;
}
bool heard(const std::string& log, size_t from, int pitch)
{
    for (const Heard& h : note_ons(log, from))
        if (h.pitch == pitch) return true;
    return false;
}

// The headless program of the fixture makes the score; the program under test runs on X.
class PlayAlongOnX : public ShellFixture {
protected:
    XWindow screen()
    {
        const std::vector<XWindow> w = shown_windows(server.display());
        return w.empty() ? XWindow{0, 0, 0, 0, 0} : w.back();
    }
    XvfbServer server{"1024x768x24"};
    TempFolder own;
};

TEST_F(PlayAlongOnX, TheNotesHeardFollowTheTouches)
{
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";

    // A melody of whole notes rising a step a measure, over an accompaniment track of one low
    // note a measure (channel 2).
    std::vector<int> melody;
    const std::string score_path = own / "touched.bcc";
    {
        ScoreFixture score(2, kColumns);
        score.clef(1, 1, 1);
        score.clef(1, 2, 2);
        for (short c = 1; c <= kColumns; c++) {
            melody.push_back(score.note(c, 1, (short)(26 - 3 * c), 1)->pitch);
            score.note(c, 2, 14, 1);
        }
        Document* d = score.d;
        d->tempo = 120;
        d->sub_doc[d->cur_sub_doc].tempo = 120;
        d->sub_doc[d->cur_sub_doc].rpar = CRect{};
        d->sub_doc[d->cur_sub_doc].rpar.x2 = -1;  // maximised
        d->ins[1].in_roll = 3;
        d->ins[1].canal = 1;
        d->ins[2].in_roll = 0;
        d->ins[2].canal = 2;
        if (!d->piste[2]) d->piste[2] = creer_piste(100);
        for (short c = 1; c <= kColumns; c++) {
            char on[3] = {(char)kAccompanimentStatus, (char)(40 + c), 70};
            char off[3] = {(char)0x81, (char)(40 + c), 0};
            d->piste[2] = inserer_dans_piste((c - 1) * 1920, 3, on, d->piste[2]);
            d->piste[2] = inserer_dans_piste((c - 1) * 1920 + 1800, 3, off, d->piste[2]);
        }
        ASSERT_EQ(save_to(d, score_path), 1);
    }
    // It is the last document: it opens in the play-along view at start.
    std::filesystem::create_directories(own / "config/brindlecot");
    std::ofstream(own / "config/brindlecot/LastDoc.txt", std::ios::binary) << score_path;
    const std::string program_dir = own / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    const std::string log = own / "midi.log";
    ::setenv("BRINDLECOT_MIDI_LOG", log.c_str(), 1);
    const pid_t pid = start_program_on_x(own, server.display(), program_dir, {});
    ::unsetenv("BRINDLECOT_MIDI_LOG");

    // The score is drawn: its first staff and bar lines are found on the screen.
    ScreenStaff staff;
    ASSERT_TRUE(wait_until(
        [&] {
            cairo_surface_t* image = screenshot(server.display(), kOutput + "/playalong_xvfb_score.png");
            if (!image) return false;
            staff = first_screen_staff(image, kPaletteLeft);
            cairo_surface_destroy(image);
            return staff.lines.size() == 5 && staff.bars.size() >= 4 && screen().id != 0;
        },
        std::chrono::milliseconds(250)))
        << "the score is shown";
    // The measures: the spans between bar lines wide enough to hold a note.
    std::vector<std::pair<int, int>> measures;
    for (size_t i = 0; i + 1 < staff.bars.size(); i++)
        if (staff.bars[i + 1] - staff.bars[i] > 40) measures.push_back({staff.bars[i], staff.bars[i + 1]});
    ASSERT_GE(measures.size(), 3u);
    auto at = [&](size_t m, double part) { return measures[m].first + (int)((measures[m].second - measures[m].first) * part); };
    const int y = staff.lines[0] + 1;  // near the top line: full volume
    const XWindow w = screen();
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(log); })) << "the synthesizer's log is opened";

    // A press on measure 1 sounds its note and starts its accompaniment.
    size_t mark = lines_of(log);
    press_button(server.display(), w, at(0, 0.6), y);
    ASSERT_TRUE(wait_until([&] { return heard(log, mark, melody[0]); })) << "the melody's first note";
    EXPECT_TRUE(wait_until([&] { return heard(log, mark, 41); })) << "measure 1's accompaniment";
    cairo_surface_t* first = nullptr;
    wait_until([&] {
        first = screenshot(server.display(), kOutput + "/playalong_xvfb_measure1.png");
        return first != nullptr;
    });

    // A slide to measure 2 sounds its note at once; its accompaniment follows at the end of the
    // window of measure 1.
    mark = lines_of(log);
    for (int i = 1; i <= 5; i++) {
        move_holding_button(server.display(), w, at(0, 0.6) + (at(1, 0.6) - at(0, 0.6)) * i / 5, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    EXPECT_TRUE(wait_until([&] { return heard(log, mark, melody[1]); })) << "the melody's second note";
    EXPECT_TRUE(wait_until([&] { return heard(log, mark, 42); })) << "measure 2's accompaniment";
    cairo_surface_t* second = nullptr;
    wait_until([&] {
        second = screenshot(server.display(), kOutput + "/playalong_xvfb_measure2.png");
        return second != nullptr;
    });

    // Back to measure 1: its note sounds again.
    mark = lines_of(log);
    move_holding_button(server.display(), w, at(0, 0.6), y);
    EXPECT_TRUE(wait_until([&] { return heard(log, mark, melody[0]); })) << "the first note again";

    // A press on measure 3 after a release; after its release the accompaniment goes on.
    release_button(server.display(), w, at(0, 0.6), y);
    mark = lines_of(log);
    press_button(server.display(), w, at(2, 0.6), y);
    EXPECT_TRUE(wait_until([&] { return heard(log, mark, melody[2]); })) << "the third note";
    release_button(server.display(), w, at(2, 0.6), y);
    mark = lines_of(log);
    EXPECT_TRUE(wait_until([&] { return heard(log, mark, 43); }))
        << "the accompaniment of measure 3 goes on after the release";
    // No note of a measure never touched was heard from the melody.
    for (const Heard& h : note_ons(log)) {
        if (h.pitch < kLowestMelodyPitch) continue;
        EXPECT_TRUE(h.pitch == melody[0] || h.pitch == melody[1] || h.pitch == melody[2]) << h.pitch;
    }

    // The indicator stood in different places while measures 1 and 2 played.
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(std::string((const char*)cairo_image_surface_get_data(first),
                          (size_t)cairo_image_surface_get_stride(first) * cairo_image_surface_get_height(first)),
              std::string((const char*)cairo_image_surface_get_data(second),
                          (size_t)cairo_image_surface_get_stride(second) * cairo_image_surface_get_height(second)));
    cairo_surface_destroy(first);
    cairo_surface_destroy(second);
    close_x_windows(server.display());
    wait_program_exit(pid);
}

}  // namespace
