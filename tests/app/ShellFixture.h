#pragma once
// A headless program with the application shell's hooks, for one test: its own program folder
// (a copy of the built program's "misc") and data folder in a temporary folder, the music
// classes and the score drawing, the menu bar, and responders in place of the save question,
// the file dialogs and the message boxes, which record what they were asked.

#include "app/Application.h"
#include "app/DocumentLifeCycle.h"
#include "app/ProgramWiring.h"
#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/CResFile.h"
#include "framework/CScript.h"
#include "framework/CWindow.h"
#include "framework/FileDialog.h"
#include "framework/MessageBoxes.h"
#include "framework/ProgramFiles.h"
#include "framework/Startup.h"
#include "editor/EditorServices.h"
#include "midi/MidiComposition.h"
#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/MusicFont.h"
#include "platform/TempFolder.h"
#include "platform/WindowManager.h"
#include "score/Document.h"
#include "score/DocumentWriter.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/ScoreFixture.h"
#include "score/DocumentFileSupport.h"
#include "../layout/DrawingTest.h"
#include "support/OwnApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

class ShellFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        before = platform::current_directory();
        program = home / "program";
        data = home / "data";
        std::filesystem::create_directories(program);
        std::filesystem::create_directories(data);
        std::filesystem::copy(std::string(std::getenv("BRINDLECOT_DATA")) + "/misc", program + "/misc",
                              std::filesystem::copy_options::recursive);
        std::filesystem::remove(program + "/misc/MIDIWIN.PFR");
        main_dir = static_cast<char*>(std::calloc(dir_buffer_size, 1));
        data_dir = static_cast<char*>(std::calloc(dir_buffer_size, 1));
        std::snprintf(main_dir, dir_buffer_size, "%s", program.c_str());
        std::snprintf(data_dir, dir_buffer_size, "%s", data.c_str());
        set_main_dir();

        unwire_program();
        auto backend = std::make_unique<platform::HeadlessBackend>(platform::Point{1024, 768});
        wm = std::make_unique<platform::WindowManager>(std::move(backend));
        ASSERT_TRUE(register_window_classes());
        make_own_application();
        ASSERT_NE(create_frame_window(), 0u);
        ASSERT_NO_FATAL_FAILURE(drawing_test::start_score_drawing());
        wire_program();
        midi_composition_hooks.choose_soloists = accepter_sans_choix;  // no one to ask
        application->menu->assigned = 1;
        application->load_menu(1);

        set_save_question_responder([this](const char* text) {
            questions.push_back(text);
            return answer;
        });
        set_file_dialog_responder([this](FileDialogRequest& r) {
            dialogs.push_back(r);
            if (chosen.empty()) return false;
            r.chosen = chosen;
            return true;
        });
        set_message_box_responder([this](const MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return yes;
        });
    }

    void TearDown() override
    {
        discard_document();
        quit_music_classes();
        set_save_question_responder({});
        set_file_dialog_responder({});
        set_message_box_responder({});
        shell_steps = default_shell_steps();
        command_line_file.clear();
        variation = composition = from_midi = named = modification = 0;
        file_opening = 0;
        free_own_application();
        wm.reset();
        unwire_program();
        midi_composition_hooks.choose_soloists = accepter_sans_choix;  // no one to ask
        for (View*& v : vue) v = nullptr;
        free_res_files();
        quit_main_dir();
        platform::set_current_directory(before);
    }

    // Writes a score of one staff of `columns` measures with a note in each; `doc` is kept.
    std::string write_score(const std::string& path, short columns = 4)
    {
        Document* open = doc;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        {
            ScoreFixture score(1, columns);
            score.clef(1, 1, 1);
            for (short c = 1; c <= columns; c++) score.note(c, 1, (short)(14 - c % 5), 1);
            EXPECT_EQ(save_to(score.d, path), 1);
        }
        doc = open;
        return path;
    }

    static std::string bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const std::string& path, const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // The document's path, as the program keeps it.
    static std::string doc_path() { return doc && doc->path ? doc->path->get() : std::string(); }

    bool grayed(int32_t id)
    {
        platform::MenuHandle holder = 0;
        int32_t position = 0;
        EXPECT_TRUE(platform::find_menu_command(application->menu->hmenu, id, &holder, &position)) << id;
        return (platform::menu_item_flags(holder, position) & platform::MenuGrayed) != 0;
    }

    TempFolder home;
    std::string program, data, before;
    std::unique_ptr<platform::WindowManager> wm;
    short answer = kAnswerCancel;  // the save question's answer
    std::vector<std::string> questions;
    std::string chosen;  // the file dialogs' answer, empty to cancel
    std::vector<FileDialogRequest> dialogs;
    short yes = 1;  // the message boxes' answer
    std::vector<std::string> boxes;
};
