// The names typed in a file dialog: bare names, paths inside the folder, from the root and from
// the home folder, with "." and ".."; and what Return does with each.
#include "framework/TypedPath.h"

#include <gtest/gtest.h>

namespace {

TEST(TypedPath, NamesAndPathsAreTakenFromTheFolderTheRootOrHome)
{
    const struct {
        const char* typed;
        const char* path;
    } cases[] = {
        {"Menuet.bcc", "/data/scores/Menuet.bcc"},
        {"Valses/Menuet.bcc", "/data/scores/Valses/Menuet.bcc"},
        {"Valses\\Menuet.bcc", "/data/scores/Valses/Menuet.bcc"},
        {"/tmp/x.mid", "/tmp/x.mid"},
        {"/tmp//y/", "/tmp/y"},
        {"~", "/home/anne"},
        {"~/Partitions", "/home/anne/Partitions"},
        {"~anne", "/data/scores/~anne"},  // another user's home is not looked up
        {"..", "/data"},
        {"../../../..", "/"},
        {"./a/./b/../c.bcc", "/data/scores/a/c.bcc"},
        {"/", "/"},
        {"  ", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(typed_path("/data/scores", c.typed, "/home/anne"), c.path) << c.typed;
}

TEST(TypedPath, ReturnOpensAFolderChoosesAFileOrSaysWhatIsMissing)
{
    const struct {
        bool typed, save, exists, is_folder, parent_is_folder;
        TypedAction action;
    } cases[] = {
        {false, false, false, false, true, TypedAction::Nothing},
        {true, false, true, true, true, TypedAction::OpenFolder},
        {true, true, true, true, true, TypedAction::OpenFolder},
        {true, false, true, false, true, TypedAction::Choose},
        {true, false, false, false, true, TypedAction::SayMissingFile},
        {true, false, false, false, false, TypedAction::SayMissingFile},
        {true, true, false, false, true, TypedAction::Choose},   // a new file
        {true, true, true, false, true, TypedAction::Choose},    // replaced (the caller asks)
        {true, true, false, false, false, TypedAction::SayMissingFolder},
    };
    for (const auto& c : cases)
        EXPECT_EQ(typed_action(c.typed, c.save, c.exists, c.is_folder, c.parent_is_folder), c.action)
            << c.typed << c.save << c.exists << c.is_folder << c.parent_is_folder;
}

}  // namespace
