// Where the palette windows open on a small screen: the shipped palettes on a 1024 x 768 screen
// each show whole inside the frame with their whole title and without covering one another,
// and a place stored off the frame opens inside it while the file keeps what it holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor/EditorServices.h"
#include "editor/PaletteWindows.h"
#include "framework/AppFixture.h"
#include "framework/CRect.h"
#include "framework/WindowLookup.h"
#include "score/MusicGlobals.h"
#include "score/ProgramFolder.h"

namespace {

class PalettePlacement : public AppFixture {
protected:
    PalettePlacement() { screen_size = {1024, 768}; }
    void SetUp() override {
        AppFixture::SetUp();
        SCREEN_WIDTH = 1024, SCREEN_HEIGHT = 768;
        for (const char* name : {"TOOL.PAL", "TOOL.DEF", "PAL.PFR"})
            std::filesystem::copy_file(std::string(BRINDLECOT_BUILD_DATA) + "/misc/" + name,
                                       folder.dir + "/MISC/" + name);
        install_editor_hooks();
        saved_pal = pal;
        pal = new CToolsManager;
        ASSERT_GE(pal->tot_pal, 2);
    }
    void TearDown() override {
        delete pal;
        pal = saved_pal;
        palette_window_hooks = {};
        AppFixture::TearDown();
        SCREEN_WIDTH = SCREEN_HEIGHT = 0;
    }
    // The frame's client area on the screen.
    platform::Rect frame_area() const {
        short x = 0, y = 0;
        get_main_window_client_origin(&x, &y);
        CRect r;
        get_main_screen_area(&r);
        return {x, y, x + r.x2, y + r.y2};
    }
    std::string pfr() const {
        std::ifstream in(folder.dir + "/MISC/PAL.PFR", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    ProgramFolder folder;
    CToolsManager* saved_pal = nullptr;
};

}  // namespace

TEST_F(PalettePlacement, TheShippedPalettesShowWholeWithTheirTitlesOnA1024By768Screen) {
    ouvrir_palettes_partition();
    const platform::Rect area = frame_area();
    ASSERT_GT(area.width(), 0);
    std::vector<platform::Rect> seen;
    for (short s = 1; s <= PALETTE_WINDOW_SLOTS; s++) {
        if (!pal->win[s]) continue;
        const platform::WindowId h = pal->win[s]->hwnd;
        const platform::Rect r = wm->screen_window_rect(h);
        const std::string title = wm->title(h);
        EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom)
            << title << " at " << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
        EXPECT_TRUE(wm->title_fits(h)) << title << " in a window " << r.width() << " wide";
        for (const platform::Rect& o : seen) EXPECT_TRUE(r.intersected(o).empty()) << title << " covers another";
        seen.push_back(r);
    }
    EXPECT_EQ((short)seen.size(), pal->tot_pal);
}

TEST_F(PalettePlacement, APlaceOffTheFrameOpensInsideItAndTheFileKeepsIt) {
    const platform::Rect area = frame_area();
    struct Case {
        short x1, y1, x2, y2;
    } cases[] = {
        {990, 700, 1039, 888},   // past the right and bottom edges
        {-40, 5, 9, 193},        // before the left edge and above the frame's client area
        {300, 200, 1400, 900},   // larger than the frame
    };
    for (const Case& c : cases) {
        ecrire_position_palette(16, c.x1, c.y1, c.x2, c.y2);
        const std::string stored = pfr();
        ASSERT_EQ(pal->ouvrir_palette(16), 1);
        const platform::WindowId h = pal->win[1]->hwnd;
        const platform::Rect r = wm->screen_window_rect(h);
        EXPECT_GE(r.left, area.left) << c.x1;
        EXPECT_GE(r.top, area.top) << c.x1;
        if (r.width() <= area.width()) {
            EXPECT_LE(r.right, area.right) << c.x1;
        }
        if (r.height() <= area.height()) {
            EXPECT_LE(r.bottom, area.bottom) << c.x1;
        }
        EXPECT_EQ(pfr(), stored) << "opening writes nothing";
        // Closing keeps the place where the window was shown.
        pal->fermer_palette(16);
        short x1, y1, x2, y2;
        lire_position_palette(16, &x1, &y1, &x2, &y2);
        EXPECT_EQ(x1, r.left) << c.x1;
        EXPECT_EQ(y1, r.top) << c.x1;
    }
}
