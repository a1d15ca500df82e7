#include "framework/FileDialog.h"

#include "framework/ProgramFiles.h"

#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/Surface.h"
#include "platform/TempFolder.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>

#include "TimerProbe.h"

using namespace platform;

namespace {

class FileDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        data_dir = static_cast<char*>(std::calloc(dir_buffer_size, 1));
        std::strcpy(data_dir, folder.path().c_str());
        std::ofstream(folder / "Valse.bcc") << "x";
        std::ofstream(folder / "Blues.bcc") << "x";
        std::ofstream(folder / "notes.txt") << "x";
        make_directory(folder / "Mes compositions");
        fd.prompt.set("Ouvrir une partition");
        fd.ext[1].set(".bcc");
        fd.ext[2].set(".mid");
        fd.name.set("old");
        fd.path.set("old path");
    }
    void TearDown() override
    {
        set_file_dialog_responder(nullptr);
        quit_main_dir();
    }
    TempFolder folder;
    File_dialog_struct fd;
};

TEST_F(FileDialogs, PatternsStopAtTheFirstEmptyOrShortExtension)
{
    const struct {
        const char* ext[4];
        std::vector<std::string> patterns;
    } cases[] = {
        {{".bcc", ".mid", ".rmi", ".DEM"}, {"*.bcc", "*.mid", "*.rmi", "*.DEM"}},
        {{".bcc", "", ".mid", ""}, {"*.bcc"}},
        {{".bc", ".mid", "", ""}, {"*.bc"}},
        {{".bccx", "", "", ""}, {"*.bcc"}},
        {{"", ".mid", "", ""}, {}},
    };
    for (const auto& c : cases) {
        CString ext[5];
        for (int i = 0; i < 4; ++i) ext[i + 1].set(c.ext[i]);
        EXPECT_EQ(file_dialog_patterns(ext), c.patterns);
    }
}

TEST_F(FileDialogs, ResponderAnswersBothDialogs)
{
    FileDialogRequest asked;
    set_file_dialog_responder([&](FileDialogRequest& r) {
        asked = r;
        r.chosen = folder.path() + "\\Valse.bcc";
        return true;
    });
    ASSERT_EQ(open_file_dialog(&fd), 1);
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.directory, folder.path());
    EXPECT_EQ(asked.title, "Ouvrir une partition");
    EXPECT_EQ(asked.proposed, "old path");
    EXPECT_EQ(asked.patterns, (std::vector<std::string>{"*.bcc", "*.mid"}));
    EXPECT_STREQ(fd.name.get(), "Valse.bcc");
    EXPECT_EQ(std::string(fd.path.get()), folder.path() + "\\Valse.bcc");

    set_file_dialog_responder([&](FileDialogRequest& r) {
        asked = r;
        r.chosen = folder.path() + "\\Mes compositions\\Nouvelle.bcc";
        return true;
    });
    ASSERT_EQ(save_file_dialog(&fd, (folder / "Mes compositions").c_str()), 1);
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.directory, folder / "Mes compositions");
    EXPECT_STREQ(fd.name.get(), "Nouvelle.bcc");
    // Opening a file that is not there is not a choice.
    EXPECT_EQ(open_file_dialog(&fd), 0);
    EXPECT_STREQ(fd.name.get(), "Nouvelle.bcc");
}

TEST_F(FileDialogs, CancelLeavesTheRecordAlone)
{
    set_file_dialog_responder([](FileDialogRequest& r) {
        r.chosen = "/somewhere/x.bcc";
        return false;
    });
    EXPECT_EQ(save_file_dialog(&fd, folder.path().c_str()), 0);
    EXPECT_STREQ(fd.name.get(), "old");
    EXPECT_STREQ(fd.path.get(), "old path");
    set_file_dialog_responder(nullptr);
    WindowManager wm(std::make_unique<HeadlessBackend>());
    EXPECT_EQ(open_file_dialog(&fd), 0);  // no display: nobody to ask
}

class ListDialog : public FileDialogs {
protected:
    void SetUp() override
    {
        FileDialogs::SetUp();
        wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(Point{640, 480}));
        request.directory = folder.path();
        request.patterns = {"*.bcc"};
        request.title = "Enregistrer la partition";
    }
    void snapshot(const char* name)
    {
        std::vector<uint32_t> pixels(640 * 480);
        const PixelBuffer screen{640, 480, 640 * 4, pixels.data()};
        wm->compose(screen, {0, 0, 640, 480});
        std::unique_ptr<Surface> s = Surface::over_pixels(pixels.data(), 640, 480, 640 * 4);
        std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
        EXPECT_TRUE(s->write_png(std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name));
    }
    std::unique_ptr<WindowManager> wm;
    FileDialogRequest request;
};

TEST_F(ListDialog, TypedNameIsSavedInTheFolder)
{
    request.save = true;
    request.proposed = "Sans titre.bcc";
    for (int i = 0; i < 14; ++i) wm->inject_key(KeyBackspace, true), wm->inject_key(KeyBackspace, false);
    wm->inject_text("Menuet.bcc");
    wm->inject_key(KeyReturn, true);
    ASSERT_TRUE(run_file_list_dialog(request));
    EXPECT_EQ(request.chosen, folder.path() + "/Menuet.bcc");
    EXPECT_EQ(wm->top_level_windows().size(), 0u);
}

TEST_F(ListDialog, TheFolderLineShowsTheFolderAsTheSystemNamesIt)
{
    // The program composes folders with backslashes and any letter case; the dialog shows and
    // answers the folder with one separator, spelled as on disk.
    request.directory = folder.path() + "\\MES COMPOSITIONS\\";
    request.save = true;
    request.proposed = "Nocturne.bcc";
    const WindowId probe = create_probe_window(*wm);
    wm->set_timer(probe, 1, 50);
    g_on_timer = [&] {
        snapshot("file_dialog_save_folder.png");
        wm->inject_key(KeyReturn, true);
    };
    ASSERT_TRUE(run_file_list_dialog(request));
    g_on_timer = nullptr;
    EXPECT_EQ(request.chosen, folder.path() + "/Mes compositions/Nocturne.bcc");
}

TEST_F(ListDialog, ListShowsFoldersThenMatchingFiles)
{
    // While the dialog is up, a timer of another window keeps a picture of it and presses
    // Return on "Blues.bcc", three lines down past ".." and "[Mes compositions]".
    const WindowId probe = create_probe_window(*wm);
    wm->set_timer(probe, 1, 50);
    for (Key k : {KeyDown, KeyDown, KeyDown}) wm->inject_key(k, true), wm->inject_key(k, false);
    g_on_timer = [&] {
        snapshot("file_dialog.png");
        wm->inject_key(KeyReturn, true);
    };
    request.save = false;
    ASSERT_TRUE(run_file_list_dialog(request));
    g_on_timer = nullptr;
    EXPECT_EQ(request.chosen, folder.path() + "/Blues.bcc");

    // An unknown name cannot be opened, so Return does nothing there; Escape cancels.
    wm->inject_text("Inconnu.bcc");
    wm->inject_key(KeyReturn, true);
    wm->inject_key(KeyEscape, true);
    request.chosen.clear();
    EXPECT_FALSE(run_file_list_dialog(request));
    EXPECT_TRUE(request.chosen.empty());
}

// A path is typed: a folder and Return opens it, a missing file is said in the dialog (its
// picture is kept), and a path from the root is saved where it says.
TEST_F(ListDialog, TypedPathsOpenFoldersAndMissingFilesAreSaid)
{
    make_directory(folder / "Mes compositions/Valses");
    std::ofstream(folder / "Mes compositions/Valses/Lente.bcc") << "x";
    const WindowId probe = create_probe_window(*wm);
    wm->set_timer(probe, 1, 50);
    int step = 0;
    bool shot = false;
    g_on_timer = [&] {
        switch (step++) {
        case 0:
            wm->inject_text("Mes compositions/Valses");
            wm->inject_key(KeyReturn, true);  // the folder opens
            wm->inject_text("Absente.bcc");
            wm->inject_key(KeyReturn, true);  // said missing
            wm->set_timer(probe, 1, 50);      // the probe's timers fire once: the next step
            break;
        case 1:
            snapshot("file_dialog_missing_file.png");
            shot = true;
            for (int i = 0; i < 11; ++i) wm->inject_key(KeyBackspace, true), wm->inject_key(KeyBackspace, false);
            wm->inject_text("Lente.bcc");
            wm->inject_key(KeyReturn, true);
            break;
        default:
            break;
        }
    };
    request.save = false;
    ASSERT_TRUE(run_file_list_dialog(request));
    g_on_timer = nullptr;
    EXPECT_TRUE(shot);
    EXPECT_EQ(request.chosen, folder.path() + "/Mes compositions/Valses/Lente.bcc");

    // Saving, a path from the root names the file; a folder that is not there is said.
    request.save = true;
    request.chosen.clear();
    request.proposed.clear();
    wm->inject_text(folder / "Nulle part/Menuet.bcc");
    wm->inject_key(KeyReturn, true);
    for (size_t i = 0; i < (folder / "Nulle part/Menuet.bcc").size(); ++i)
        wm->inject_key(KeyBackspace, true), wm->inject_key(KeyBackspace, false);
    wm->inject_text(folder / "Mes compositions/../Menuet.bcc");
    wm->inject_key(KeyReturn, true);
    ASSERT_TRUE(run_file_list_dialog(request));
    EXPECT_EQ(request.chosen, folder.path() + "/Menuet.bcc");
}

}  // namespace
