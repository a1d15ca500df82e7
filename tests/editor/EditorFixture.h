#pragma once
// The frame of the editor tests: a headless program (window manager, window classes,
// application and its frame with the document area), the music classes with the score drawing,
// and a score of `staves` staves by `columns` columns laid out in the linear view (instrument s
// at dy 40 + 70 (s - 1), instrument 1 at dx 100) and on pages of `per_system` columns per system
// and `per_page` systems per page. `open` makes the editor on it, its window's client area
// `width` x `height`; a logging image can take the score panel's drawing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "editor/PaletteWindows.h"
#include "layout/UtilitairesPartition.h"
#include "framework/CApplication.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "layout/ScoreDrawing.h"
#include "../layout/DrawingTest.h"
#include "platform/DrawingTestSupport.h"
#include "platform/HeadlessBackend.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"
#include "score/DocumentServices.h"
#include "score/ScoreFixture.h"
#include "support/OwnApplication.h"
#include "ScorePages.h"

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        app_hooks = default_app_hooks();
        auto backend = std::make_unique<platform::HeadlessBackend>(platform::Point{1280, 1024});
        wm = std::make_unique<platform::WindowManager>(std::move(backend));
        ASSERT_TRUE(register_window_classes());
        make_own_application();
        ASSERT_NE(create_frame_window(), 0u);
        ASSERT_NO_FATAL_FAILURE(drawing_test::start_score_drawing());
        install_editor_hooks();
    }
    void TearDown() override {
        if (editor) editor->destroy(1);
        editor = nullptr;
        score.reset();
        quit_music_classes();
        free_own_application();
        wm.reset();
        app_hooks = default_app_hooks();
        editeur_hooks = default_editeur_hooks();
        document_view_hooks = default_document_view_hooks();
        palette_window_hooks = {};
        for (View*& v : vue) v = nullptr;
    }

    // A score of staves x columns of 4/4, every measure 150 wide with a header of 20.
    Document* make_score(short staves, short columns) {
        score = std::make_unique<ScoreFixture>(staves, columns);
        Document* d = score->d;
        for (short s = 1; s <= staves; s++) {
            d->ins[s].dx = 100;
            d->ins[s].dy = (short)(40 + 70 * (s - 1));
            d->ins[s].staff_size = 100;
            for (short c = 1; c <= columns; c++) {
                score->measure(c, s)->width = 150;
                score->measure(c, s)->front = 20;
            }
        }
        return d;
    }

    // The editor on the score, its window's client area width x height, in the linear view.
    Editeur* open(short width = 800, short height = 600) {
        Document* d = score->d;
        d->sub_doc[d->cur_sub_doc].rpar = CRect{};
        editor = new Editeur;
        EXPECT_EQ(editor->create(0), 1);
        vue[1] = editor;
        d->vue[1] = editor;
        resize(width, height);
        return editor;
    }
    void resize(short width, short height) {
        const platform::WindowId h = editor->win->hwnd;
        wm->set_window_rect(h, {0, 0, 100, 100});
        const platform::Rect outer = wm->window_rect(h);
        const platform::Rect client = wm->client_rect(h);
        wm->set_window_rect(h, {0, 0, outer.width() - client.width() + width,
                                outer.height() - client.height() + height});
        for (int i = 0; i < 50; i++) {
            platform::Message m;
            if (!wm->peek_message(m, false)) break;
            application->idle();
        }
        editor->up->update_size();
        editor->adjust_scroll();
    }

    // The score panel draws on a white logging image of its size from now on.
    void log_drawing() {
        ops.clear();
        image = platform::Surface::create_image(editor->up->get_width(), editor->up->get_height());
        image->set_log(&ops);
        editor->up->dc = image.get();
    }
    void clear_image() {
        ops.clear();
        image->fill({0, 0, image->width(), image->height()}, 0xFFFFFF);
    }

    std::vector<const platform::DrawnOp*> texts(const std::string& t) const {
        std::vector<const platform::DrawnOp*> found;
        for (const platform::DrawnOp& op : ops)
            if (op.kind == platform::DrawnOp::Kind::text && op.text == t) found.push_back(&op);
        return found;
    }

    std::string output(const std::string& name) const {
        return std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name;
    }

    std::unique_ptr<platform::WindowManager> wm;
    std::unique_ptr<ScoreFixture> score;
    Editeur* editor = nullptr;
    std::unique_ptr<platform::Surface> image;
    std::vector<platform::DrawnOp> ops;
};
