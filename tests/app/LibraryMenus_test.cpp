// The score-library menus: which files of a library folder get which ids, the menus built from
// them, and the table a choice is looked up in.
#include "ShellFixture.h"

#include "app/LibraryMenus.h"
#include "app/MenuCommands.h"
#include "app/OptionFiles.h"

namespace {

using LibraryMenus = ShellFixture;

std::string touch(const std::string& path)
{
    ShellFixture::write(path, "");
    return path;
}

TEST_F(LibraryMenus, EntriesTakeIdsInNameOrderOneLevelDown)
{
    const std::string top = data + "/Mes compositions";
    touch(top + "/Air.bcc");
    touch(top + "/Blues/Deux.bcc");
    touch(top + "/Blues/Un.BCC");
    touch(top + "/Blues/Deep/Lost.bcc");  // two levels down: not listed
    touch(top + "/Valse.bcc");
    touch(top + "/Notes.txt");
    touch(top + "/Suite.bcc.old");
    touch(top + "/Etude.Bcc");
    struct Expected {
        short id;
        const char* text;
        const char* file;  // empty for a folder
    };
    const Expected expected[] = {
        {5001, "Air", "Air.bcc"},         {5002, "Blues", ""},
        {5003, "Deux", "Blues/Deux.bcc"}, {5004, "Un", "Blues/Un.BCC"},
        {5005, "Etude", "Etude.Bcc"},     {5006, "Suite", "Suite.bcc.old"},
        {5007, "Valse", "Valse.bcc"},
    };
    const std::vector<LibraryEntry> entries = walk_library(kLibraryCompositions);
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); i++) {
        EXPECT_EQ(entries[i].id, expected[i].id);
        EXPECT_EQ(entries[i].text, expected[i].text);
        EXPECT_EQ(entries[i].folder, !*expected[i].file);
        CString path;
        const short found = build_model_path(expected[i].id, &path, kLibraryCompositions);
        EXPECT_EQ(found, *expected[i].file ? 1 : 0) << expected[i].id;
        std::string p = path.get();
        std::replace(p.begin(), p.end(), '\\', '/');
        EXPECT_EQ(p, *expected[i].file ? top + "/" + expected[i].file : "") << expected[i].id;
    }
    CString path;
    EXPECT_EQ(build_model_path(5008, &path, kLibraryCompositions), 0);
}

TEST_F(LibraryMenus, TheMenusShowTheLibrariesAndAChoiceUsesTheTableOfTheirOpening)
{
    const std::string origin = program + "/Biblioth\xC3\xA8que d'origine";
    write_score(origin + "/Au clair.bcc");
    write_score(origin + "/Berceuse.bcc");
    touch(data + "/Mes variations/Folk/Ballade.bcc");
    create_library_tree();
    platform::MenuHandle bar = application->menu->hmenu;
    platform::MenuHandle file = platform::menu_sub_menu(bar, 0);
    platform::MenuHandle library = platform::menu_sub_menu(file, 0);
    ASSERT_EQ(platform::menu_item_count(library), 2);
    std::string text;
    platform::menu_item_text(library, 1, &text);
    EXPECT_EQ(text, "Berceuse");
    EXPECT_EQ(platform::menu_item_command(library, 1), 2002);
    platform::MenuHandle variations = platform::menu_sub_menu(file, 1);
    ASSERT_EQ(platform::menu_item_count(variations), 1);
    platform::MenuHandle folk = platform::menu_sub_menu(variations, 0);
    ASSERT_NE(folk, 0u);
    EXPECT_EQ(platform::menu_item_command(folk, 0), 3002);
    EXPECT_EQ(platform::menu_item_count(platform::menu_sub_menu(file, 2)), 0) << "the placeholder is gone";
    // Built again, the menus do not grow.
    create_library_tree();
    EXPECT_EQ(platform::menu_item_count(platform::menu_sub_menu(file, 0)), 2);

    // The first score removed after the menu opened: its id opens nothing, and the next id still
    // opens the score that the menu showed under it.
    std::filesystem::remove(origin + "/Au clair.bcc");
    EXPECT_EQ(open_library_entry(2001), 0);
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(open_library_entry(2002), 1);
    EXPECT_NE(doc_path().find("Berceuse.bcc"), std::string::npos);
    EXPECT_EQ(native_path(read_last_document()), doc_path());
}

TEST_F(LibraryMenus, ALibraryStopsAt999Entries)
{
    const std::string top = data + "/Ma librairie";
    std::filesystem::create_directories(top);
    for (int i = 0; i < 1003; i++) {
        char name[32];
        std::snprintf(name, sizeof name, "/%04d.bcc", i);
        touch(top + name);
    }
    const std::vector<LibraryEntry> entries = walk_library(kLibraryMine);
    ASSERT_EQ(entries.size(), 999u);
    EXPECT_EQ(entries.back().id, 4999);
    EXPECT_EQ(entries.back().text, "0998");
    EXPECT_EQ(library_kind_of(4999), kLibraryMine);
    EXPECT_EQ(library_kind_of(5000), 0);
    EXPECT_EQ(library_kind_of(2000), 0);
    EXPECT_EQ(library_kind_of(6000), 0);
}

}  // namespace
