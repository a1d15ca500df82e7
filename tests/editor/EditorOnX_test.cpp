// The program started with a score file on its command line, on a private X server: the score
// shows in an editor window in the linear view and in the page view, and a key scrolls it.
// The screenshots are written for a person to look at.
#include "EditorFixture.h"

#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "score/DocumentFileSupport.h"
#include "framework/XClose.h"
#include "layout/PageSetup.h"
#include "framework/XKeys.h"
#include "platform/XClient.h"
#include "support/ProgramOnX.h"
#include "support/WaitUntil.h"

#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

// The program on `display` with its own settings and program folder, the score as argument.
pid_t start_program(const TempFolder& home, const std::string& display, const std::string& score) {
    const std::string program_dir = home / "program";
    std::filesystem::create_directories(program_dir);
    if (!std::filesystem::exists(program_dir + "/misc"))
        std::filesystem::copy(BRINDLECOT_BUILD_DATA "/misc", program_dir + "/misc",
                          std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    return start_program_on_x(home, display, program_dir, {score});
}

class EditorOnX : public EditorFixture {
protected:
    // A score file of 2 staves x 24 columns with notes, laid out on A4 pages by the page
    // setup, that opens maximised in the view `page` (0 linear).
    std::string write_score(short page) {
        Document* d = make_score(2, 24);
        std::strcpy(d->ins[1].nom, "Violon");
        std::strcpy(d->ins[2].nom, "Basse");
        std::strcpy(d->ins[1].abrege, "Vl.");
        std::strcpy(d->ins[2].abrege, "B.");
        d->ins[1].num_type = 1;
        d->ins[1].x_nom = 30;
        d->ins[2].x_nom = 30;
        d->ins[1].accol_type = 2;
        d->ins[1].accol_tot = 2;
        d->ins[1].accol_dx = 6;
        for (short c = 1; c <= 24; c++) {
            score->measure(c, 1)->number = c;
            score->note(c, 1, (short)(14 - c % 5), 3);
            score->note(c, 1, 11, 4);
            score->note(c, 1, 8, 4);
            score->note(c, 1, 17, 2);
            score->note(c, 2, 20, 1);
        }
        score->clef(1, 1, 1);
        score->clef(1, 2, 2);
        // Laid out on A4 at 100 % by the page setup: lines filling the width between margins.
        Sub_document edited = d->sub_doc[d->cur_sub_doc];
        edited.mmx = 210;
        edited.mmy = 297;
        edited.mme_g = edited.mme_d = edited.mme_s = edited.mme_i = 5;
        edited.mmi_g = edited.mmi_d = edited.mmi_s = edited.mmi_i = 10;
        edited.reduction = 100;
        edited.mes_par_por = edited.sys_par_pag = 0;
        edited.reserve_titre_mm = 15;
        edited.dist_syst = 5;
        edited.adjust_horiz = 1;
        CUserPanel measuring(nullptr);
        accepter_mise_en_page(edited, 1.0f, 1.0f, &measuring, 1);
        EXPECT_EQ(d->mise_en_page_ok, 1);
        EXPECT_GE(d->tot_pag, 2);
        d->cur_pag = page;
        d->sub_doc[d->cur_sub_doc].cur_pag = page;
        d->sub_doc[d->cur_sub_doc].rpar = CRect{};
        d->sub_doc[d->cur_sub_doc].rpar.x2 = -1;  // maximised
        const std::string path = home / (page ? "page.bcc" : "linear.bcc");
        EXPECT_EQ(save_to(d, path), 1);
        // A copy to open by hand: scripts/run build/test-output/editor_score.bcc
        std::filesystem::copy_file(path, std::string(BRINDLECOT_TEST_OUTPUT) + "/editor_score_" + (page ? "page" : "linear") + ".bcc",
                                   std::filesystem::copy_options::overwrite_existing);
        score.reset();
        return path;
    }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

TEST_F(EditorOnX, TheScoreOpensInAnEditorWindowAndScrollsByKeyboard) {
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    struct Case {
        short page;
        const char* key;
        const char* name;
    };
    for (const Case& c : {Case{0, "Right", "linear"}, Case{1, "Next", "page"}}) {
        const std::string file = write_score(c.page);
        const pid_t pid = start_program(home, server.display(), file);
        // The score's staves appear once the window has drawn itself.
        const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/editor_xvfb_" + c.name + ".png";
        std::vector<int> before;
        wait_until(
            [&] {
                if (cairo_surface_t* image = screenshot(server.display(), shot)) {
                    before = staff_rows(image, 120);
                    cairo_surface_destroy(image);
                }
                return before.size() >= 10;
            },
            std::chrono::milliseconds(250));
        EXPECT_GE(before.size(), 10u) << c.name << ": two staves of five lines";
        // A key moves the view: the staves or the measures are elsewhere afterwards.
        for (unsigned long w : top_level_x_windows(server.display()))
            send_x_key(server.display(), w, c.key);
        const std::string moved = std::string(BRINDLECOT_TEST_OUTPUT) + "/editor_xvfb_" + c.name + "_scrolled.png";
        const bool changed = wait_until(
            [&] {
                cairo_surface_t* a = screenshot(server.display(), moved);
                if (!a) return false;
                cairo_surface_t* b = cairo_image_surface_create_from_png(shot.c_str());
                const int size = cairo_image_surface_get_stride(a) * cairo_image_surface_get_height(a);
                const bool differs = std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b), size) != 0;
                cairo_surface_destroy(a);
                cairo_surface_destroy(b);
                return differs;
            },
            std::chrono::milliseconds(250));
        EXPECT_TRUE(changed) << c.name << ": the key scrolled the view";
        close_x_windows(server.display());
        wait_program_exit(pid);
    }
}

}  // namespace

namespace {

// The files under `folder` whose names end in ".DEM", in any case.
std::vector<std::string> scripts_under(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code e;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, e); !e && it != std::filesystem::recursive_directory_iterator(); it.increment(e)) {
        std::string name = it->path().filename().string();
        for (char& ch : name) ch = (char)std::toupper((unsigned char)ch);
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".DEM") == 0) found.push_back(it->path().string());
    }
    return found;
}

bool same_pixels(cairo_surface_t* a, cairo_surface_t* b) {
    if (!a || !b || cairo_image_surface_get_height(a) != cairo_image_surface_get_height(b)) return false;
    const int size = cairo_image_surface_get_stride(a) * cairo_image_surface_get_height(a);
    return std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b), size) == 0;
}

// Screenshots until the screen stays the same twice running and `wanted` says yes to it; the
// last one is kept in `png`. False when that does not happen within a minute.
bool settled_screen(const std::string& display, const std::string& png,
                    const std::function<bool(cairo_surface_t*)>& wanted) {
    cairo_surface_t* last = nullptr;
    bool ok = false;
    for (int i = 0; i < 240 && !ok; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        cairo_surface_t* now = screenshot(display, png);
        if (!now) continue;
        ok = same_pixels(now, last) && wanted(now);
        if (last) cairo_surface_destroy(last);
        last = now;
    }
    if (last) cairo_surface_destroy(last);
    return ok;
}

void send_to_program(const std::string& display, const char* key, bool control = false) {
    for (unsigned long w : top_level_x_windows(display)) send_x_key(display, w, key, control);
}

// The zoom changed the score: the program would ask whether to save it, so it is stopped.
void stop_program(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace

// A demonstration script recorded while the score is zoomed with the editor's "+" button,
// saved, and played by the program started again on the same score, brings the screen to
// where the recording left it.
TEST_F(EditorOnX, AScriptRecordedInTheEditorReplaysToTheSameScreen) {
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    ::setenv("BRINDLECOT_DEBUG_MENU", "1", 1);  // the script commands
    const std::string file = write_score(1);
    const std::string out = BRINDLECOT_TEST_OUTPUT;
    const std::string display = server.display();
    const auto staves = [](cairo_surface_t* image) { return staff_rows(image, 120).size() >= 10; };
    const auto differs_from = [](const std::string& png) {
        return [png](cairo_surface_t* s) {
            cairo_surface_t* other = cairo_image_surface_create_from_png(png.c_str());
            const bool differs = !same_pixels(s, other);
            cairo_surface_destroy(other);
            return differs;
        };
    };
    const auto zoom_in = [&] {
        for (unsigned long w : top_level_x_windows(display)) send_x_click(display, w, 183, 75);  // "+"
    };

    pid_t pid = start_program(home, display, file);
    ASSERT_TRUE(settled_screen(display, out + "/script_xvfb_start.png", staves));
    send_to_program(display, "r", true);  // records
    zoom_in();
    zoom_in();
    ASSERT_TRUE(settled_screen(display, out + "/script_xvfb_recorded.png", differs_from(out + "/script_xvfb_start.png")));
    send_to_program(display, "r", true);  // stops and asks where to save
    std::vector<std::string> saved;
    for (int i = 0; i < 240 && saved.empty(); i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        if (i % 20 == 4) {  // once the save dialog is up: a name and Return
            if (cairo_surface_t* shot = screenshot(display, out + "/script_xvfb_save_dialog.png"))
                cairo_surface_destroy(shot);
            for (const char* k : {"d", "e", "m", "o", "period", "d", "e", "m", "Return"}) send_to_program(display, k);
        }
        saved = scripts_under(home.path());
    }
    ASSERT_EQ(saved.size(), 1u) << "the script is saved";
    stop_program(pid);

    // The program again on the same score; the script is offered among the demonstrations.
    std::filesystem::copy_file(saved[0], home / "program/misc/Demos/demo.DEM");
    std::filesystem::copy_file(saved[0], out + "/script_xvfb.DEM", std::filesystem::copy_options::overwrite_existing);
    pid = start_program(home, display, file);
    ASSERT_TRUE(settled_screen(display, out + "/script_xvfb_before_replay.png", staves));
    send_to_program(display, "j", true);  // the list of scripts, the first one selected
    ASSERT_TRUE(settled_screen(display, out + "/script_xvfb_choosing.png", differs_from(out + "/script_xvfb_before_replay.png")));
    send_to_program(display, "Return");
    cairo_surface_t* recorded = cairo_image_surface_create_from_png((out + "/script_xvfb_recorded.png").c_str());
    EXPECT_TRUE(settled_screen(display, out + "/script_xvfb_replayed.png", [&](cairo_surface_t* s) { return same_pixels(s, recorded); }))
        << "the replay ends on the recorded screen";
    cairo_surface_destroy(recorded);
    stop_program(pid);
    ::unsetenv("BRINDLECOT_DEBUG_MENU");
}

namespace {

// The screen without the box that shows the pointer's place on the score: a replay moves the
// real pointer, the recording's test input did not.
bool same_but_pointer_place(cairo_surface_t* a, cairo_surface_t* b) {
    if (!a || !b || cairo_image_surface_get_height(a) != cairo_image_surface_get_height(b) ||
        cairo_image_surface_get_stride(a) != cairo_image_surface_get_stride(b))
        return false;
    const int stride = cairo_image_surface_get_stride(a), height = cairo_image_surface_get_height(a);
    const int width = cairo_image_surface_get_width(a);
    const unsigned char* pa = cairo_image_surface_get_data(a);
    const unsigned char* pb = cairo_image_surface_get_data(b);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            if (x >= 890 && y >= height - 24) continue;  // the pointer's place, bottom right
            if (std::memcmp(pa + y * stride + 4 * x, pb + y * stride + 4 * x, 3) != 0) return false;
        }
    return true;
}

}  // namespace

// A demonstration script recorded while a score of the library is opened from the menu and
// played to its end with the space bar, then after a pause a click on the editor's tool strip,
// is played by the program started again with no score: before that click the screen is the
// one the recording left.
TEST_F(EditorOnX, AScriptThatOpensAndPlaysAScoreReplaysToTheSameScreen) {
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    ::setenv("BRINDLECOT_DEBUG_MENU", "1", 1);  // the script commands
    const std::string out = BRINDLECOT_TEST_OUTPUT;
    const std::string display = server.display();
    const std::string program_dir = home / "program";
    std::filesystem::create_directories(program_dir);
    std::filesystem::copy(BRINDLECOT_BUILD_DATA "/misc", program_dir + "/misc", std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    // The library holds one short score: two measures of quarter notes, quickly played.
    Document* d = make_score(2, 2);
    for (short c = 1; c <= 2; c++)
        for (short beat = 0; beat < 4; beat++) {
            score->note(c, 1, (short)(14 - beat), 3);
            score->note(c, 2, (short)(20 - beat), 3);
        }
    score->clef(1, 1, 1);
    score->clef(1, 2, 2);
    d->tempo = 200;
    d->sub_doc[d->cur_sub_doc].tempo = 200;
    d->sub_doc[d->cur_sub_doc].rpar = CRect{};
    d->sub_doc[d->cur_sub_doc].rpar.x2 = -1;  // maximised
    const std::string library = program_dir + "/Bibliothèque d'origine";
    std::filesystem::create_directories(library);
    ASSERT_EQ(save_to(d, library + "/Court.bcc"), 1);
    score.reset();

    const auto drawn = [](cairo_surface_t* image) {  // the frame is up: not one colour
        const unsigned char* p = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 0; y < cairo_image_surface_get_height(image); y += 4)
            for (int x = 0; x < cairo_image_surface_get_width(image); x += 4)
                if (std::memcmp(p, p + y * stride + 4 * x, 3) != 0) return true;
        return false;
    };
    // The score at rest: its staves, no note marked in red as the play marks the note it plays.
    const auto at_rest = [](cairo_surface_t* image) {
        if (staff_rows(image, 120).size() < 10) return false;
        const unsigned char* p = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int y = 90; y < 400; y++)
            for (int x = 20; x < 600; x++) {
                const unsigned char* c = p + y * stride + 4 * x;  // B, G, R
                if (c[2] > 180 && c[1] < 90 && c[0] < 90) return false;
            }
        return true;
    };
    // Does `action` and waits until the screen is other than it was.
    const auto changes = [&](const std::function<void()>& action) {
        const std::string png = out + "/script_play_step.png";
        cairo_surface_t* before = screenshot(display, png);
        action();
        bool changed = false;
        for (int i = 0; i < 240 && !changed; i++) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            cairo_surface_t* now = screenshot(display, png);
            changed = now && !same_pixels(now, before);
            if (now) cairo_surface_destroy(now);
        }
        if (before) cairo_surface_destroy(before);
        return changed;
    };

    pid_t pid = start_program_on_x(home, display, program_dir, {});
    ASSERT_TRUE(settled_screen(display, out + "/script_play_start.png", drawn));
    send_to_program(display, "r", true);  // records
    // "Fichier" > "Bibliothèque d'origine" > its score.
    ASSERT_TRUE(changes([&] {
        for (unsigned long w : top_level_x_windows(display)) send_x_click(display, w, 30, 32);
    }));
    for (const char* k : {"Down", "Right"}) ASSERT_TRUE(changes([&] { send_to_program(display, k); })) << k;
    send_to_program(display, "Return");
    ASSERT_TRUE(settled_screen(display, out + "/script_play_opened.png", at_rest));
    // Played to its end.
    ASSERT_TRUE(changes([&] { send_to_program(display, "space"); })) << "the score plays";
    cairo_surface_destroy(screenshot(display, out + "/script_play_playing.png"));
    ASSERT_TRUE(settled_screen(display, out + "/script_play_recorded.png", at_rest));
    std::this_thread::sleep_for(std::chrono::seconds(6));  // the pause the replay is looked at in
    for (unsigned long w : top_level_x_windows(display)) send_x_click(display, w, 700, 75);
    send_to_program(display, "r", true);  // stops and asks where to save
    std::vector<std::string> saved;
    for (int i = 0; i < 240 && saved.empty(); i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        if (i % 20 == 4)  // once the save dialog is up: a name and Return
            for (const char* k : {"d", "e", "m", "o", "period", "d", "e", "m", "Return"}) send_to_program(display, k);
        saved = scripts_under(home.path());
    }
    ASSERT_EQ(saved.size(), 1u) << "the script is saved";
    stop_program(pid);

    // The program again, with no score (not even the last one); the script is offered among the
    // demonstrations.
    std::filesystem::remove(home / "config/brindlecot/LastDoc.txt");
    std::filesystem::copy_file(saved[0], program_dir + "/misc/Demos/demo.DEM");
    std::filesystem::copy_file(saved[0], out + "/script_play.DEM", std::filesystem::copy_options::overwrite_existing);
    pid = start_program_on_x(home, display, program_dir, {});
    ASSERT_TRUE(settled_screen(display, out + "/script_play_before_replay.png", drawn));
    ASSERT_TRUE(changes([&] { send_to_program(display, "j", true); }));  // the list of scripts
    send_to_program(display, "Return");
    cairo_surface_t* recorded = cairo_image_surface_create_from_png((out + "/script_play_recorded.png").c_str());
    EXPECT_TRUE(settled_screen(display, out + "/script_play_replayed.png",
                               [&](cairo_surface_t* s) { return same_but_pointer_place(s, recorded); }))
        << "the replay comes to the recorded screen";
    cairo_surface_destroy(recorded);
    stop_program(pid);
    ::unsetenv("BRINDLECOT_DEBUG_MENU");
}

namespace {

// Closes the program's windows and waits for it to end (killing it after a generous while).
void close_program(const std::string& display, pid_t pid) {
    close_x_windows(display);
    wait_program_exit(pid);
}

// The mean darkness (0 white, 255 black) of a box of the screenshot.
int darkness(cairo_surface_t* image, int x1, int y1, int x2, int y2) {
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    long sum = 0, n = 0;
    for (int y = y1; y < y2; y++)
        for (int x = x1; x < x2; x++, n++) {
            const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            sum += 255 - (((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3);
        }
    return n ? (int)(sum / n) : 0;
}

}  // namespace

// With a score open the tool palettes float over the frame where "PAL.PFR" puts them, the
// pointer's cell inverted; a click on the eraser's cell makes it the current tool.
TEST_F(EditorOnX, TheScoreShowsItsPalettesAndAClickChoosesATool) {
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    const std::string file = write_score(1);
    const pid_t pid = start_program(home, server.display(), file);
    // The palette of the score tools (palette 16) opens with its window's top-left corner at
    // (704, 70); its cells are 24 x 26 pixels below the window's caption, in columns of five.
    const int left = 704, top = 70;
    const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/editor_xvfb_palettes.png";
    // The pointer's cell (the first) is inverted: dark; find the caption's height from it.
    int caption = -1;
    wait_until(
        [&] {
            cairo_surface_t* image = screenshot(server.display(), shot);
            if (!image) return false;
            for (int c = 8; c <= 30 && caption < 0; c++)
                if (darkness(image, left + 2, top + c + 2, left + 22, top + c + 24) > 150 &&
                    darkness(image, left + 2, top + c + 29, left + 22, top + c + 51) < 120)
                    caption = c;
            cairo_surface_destroy(image);
            return caption >= 0;
        },
        std::chrono::milliseconds(250));
    ASSERT_GE(caption, 0) << "the palette with the pointer's cell highlighted";
    const int eraser_top = top + caption + 27;  // the second cell
    for (unsigned long w : top_level_x_windows(server.display()))
        send_x_click(server.display(), w, left + 12, eraser_top + 13);
    const std::string clicked = std::string(BRINDLECOT_TEST_OUTPUT) + "/editor_xvfb_palettes_clicked.png";
    const bool chosen = wait_until(
        [&] {
            cairo_surface_t* image = screenshot(server.display(), clicked);
            if (!image) return false;
            const bool highlighted = darkness(image, left + 2, eraser_top + 2, left + 22, eraser_top + 24) > 150 &&
                                     darkness(image, left + 2, top + caption + 2, left + 22, top + caption + 24) < 120;
            cairo_surface_destroy(image);
            return highlighted;
        },
        std::chrono::milliseconds(250));
    EXPECT_TRUE(chosen) << "the eraser's cell is highlighted and the pointer's no longer";

    // A right click on the palette opens its context menu, to the left of the pointer.
    for (unsigned long w : top_level_x_windows(server.display()))
        send_x_right_click(server.display(), w, left + 12, eraser_top + 27 + 13);
    const std::string menu = std::string(BRINDLECOT_TEST_OUTPUT) + "/editor_xvfb_palette_menu.png";
    cairo_surface_t* before = cairo_image_surface_create_from_png(clicked.c_str());
    EXPECT_TRUE(settled_screen(server.display(), menu, [&](cairo_surface_t* s) {
        return !same_pixels(s, before) && darkness(s, left - 120, eraser_top + 30, left - 10, eraser_top + 60) < 60;
    })) << "the menu shows left of the pointer";
    cairo_surface_destroy(before);
    close_program(server.display(), pid);
}
