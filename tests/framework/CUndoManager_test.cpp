#include "framework/CUndoManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Hooks that copy an int and log every copy they free, so that tests see which copies a level
// owned and when they went.
std::vector<int> freed;
void* copy_int(void* object, short, short, short) { return object ? new int(*(int*)object) : nullptr; }
void free_int(void* copy, short, short, short)
{
    if (!copy) return;
    freed.push_back(*(int*)copy);
    delete (int*)copy;
}

class UndoManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        undo_active = 1;
        undo_levels = 5;
        undo_hooks = UndoHooks{copy_int, free_int};
        freed.clear();
        for (int i = 0; i < 10; i++) {
            values[i] = 100 + i;
            slots[i] = &values[i];
        }
    }
    void TearDown() override
    {
        undo_active = 0;
        undo_hooks = default_undo_hooks();
    }
    // One operation that records slot i.
    void operation(CUndoManager& m, short opid, int i)
    {
        m.new_level(opid, 0);
        m.add_obj(&slots[i], 2, 0, 0);
    }
    int copy_at(CUndoManager& m, short level, short entry) { return *(int*)m.get(level)->old_obj.get(entry); }

    int values[10];
    void* slots[10];
};

TEST_F(UndoManager, PendingLevelOpensOnFirstRecordingAndNamesItself)
{
    CUndoManager m(this);
    m.new_level(7, 1);
    EXPECT_EQ(m.total(), 0);  // an operation that records nothing leaves no level
    m.new_level(8, 2);
    m.add_obj(&slots[0], 2, 3, 4);
    m.add_obj(&slots[0], 2, 3, 4);  // the same location again keeps the first copy
    values[1] = 55;
    m.add_obj(&slots[1], 5, 6, 7);
    ASSERT_EQ(m.total(), 1);
    EXPECT_EQ(m.level, 1);
    CUndoOperation* op = m.get(1);
    EXPECT_EQ(op->uid, 33);
    EXPECT_EQ(op->opid, 8);
    EXPECT_EQ(op->actid, 2);
    EXPECT_EQ(op->owner, this);
    ASSERT_EQ(op->loc_obj.total(), 2);
    EXPECT_EQ((void**)op->loc_obj.get(2), &slots[1]);
    EXPECT_EQ(copy_at(m, 1, 2), 55);
    EXPECT_EQ(op->typ_obj.get(2), 5);
    EXPECT_EQ(op->spec_obj.get(2), 6);
    EXPECT_EQ(op->size_obj.get(2), 7);

    // Renaming reaches the pending level first, else the current one.
    m.set_operation(9, 3);
    EXPECT_EQ(op->opid, 9);
    m.set_operation_action(1);
    EXPECT_EQ(op->actid, 1);
    m.new_level(10, 0);
    m.set_operation(11, 2);
    EXPECT_EQ(op->opid, 9);
    EXPECT_EQ(m.next_opid, 11);
    EXPECT_EQ(m.next_actid, 2);
}

TEST_F(UndoManager, TheSixthLevelEvictsTheFirstAndFreesItsCopies)
{
    {
        CUndoManager m(nullptr);
        for (short op = 1; op <= 5; op++) operation(m, op, op);
        EXPECT_TRUE(freed.empty());
        operation(m, 6, 6);
        EXPECT_EQ(m.total(), 5);
        EXPECT_EQ(m.level, 5);
        EXPECT_EQ(m.get(1)->opid, 2);
        EXPECT_EQ(m.get(5)->opid, 6);
        EXPECT_EQ(freed, std::vector<int>({101}));

        // Fewer levels kept: the next opening trims down to the new limit, oldest first.
        undo_levels = 3;
        operation(m, 7, 7);
        EXPECT_EQ(m.total(), 3);
        EXPECT_EQ(m.get(1)->opid, 5);
        EXPECT_EQ(freed, std::vector<int>({101, 102, 103, 104}));

        m.remove_level();
        EXPECT_EQ(m.level, 2);
        EXPECT_EQ(m.total(), 2);
        EXPECT_EQ(freed.back(), 107);
    }
    // The destructor frees the rest.
    EXPECT_EQ(freed, std::vector<int>({101, 102, 103, 104, 107, 105, 106}));
}

TEST_F(UndoManager, LevelsAboveTheCurrentOneGoWithTheNextRecording)
{
    CUndoManager m(nullptr);
    for (short op = 1; op <= 3; op++) operation(m, op, op);
    m.level = 1;  // as a restore would leave it
    m.add_obj(&slots[9], 2, 0, 0);
    EXPECT_EQ(m.total(), 1);
    EXPECT_EQ(m.get(1)->loc_obj.total(), 2);
    EXPECT_EQ(freed, std::vector<int>({102, 103}));
    // No current level and none pending: nothing is recorded.
    m.level = 0;
    m.add_obj(&slots[8], 2, 0, 0);
    EXPECT_EQ(m.total(), 0);
}

TEST_F(UndoManager, SwitchedOffEveryRecordingCallOnlyDiscardsTheLevels)
{
    using Call = void (*)(CUndoManager&, void**);
    const struct {
        const char* name;
        Call call;
    } calls[] = {
        {"new_level", [](CUndoManager& m, void**) { m.new_level(1, 0); }},
        {"set_operation", [](CUndoManager& m, void**) { m.set_operation(1, 0); }},
        {"set_operation_action", [](CUndoManager& m, void**) { m.set_operation_action(1); }},
        {"add_obj", [](CUndoManager& m, void** slot) { m.add_obj(slot, 2, 0, 0); }},
        {"remove_level", [](CUndoManager& m, void**) { m.remove_level(); }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        undo_active = 1;
        CUndoManager m(nullptr);
        operation(m, 1, 1);
        operation(m, 2, 2);
        m.new_level(3, 0);
        undo_active = 0;
        freed.clear();
        c.call(m, &slots[4]);
        EXPECT_EQ(m.total(), 0);
        EXPECT_EQ(m.level, 0);
        EXPECT_EQ(m.next_level, 0);
        EXPECT_EQ(freed, std::vector<int>({101, 102}));
        // A manager with nothing stays as it is, and nothing is copied.
        c.call(m, &slots[4]);
        EXPECT_EQ(m.total(), 0);
        EXPECT_EQ(freed.size(), 2u);
    }
}

TEST_F(UndoManager, MovedSlotsAreFollowedInEveryLevelWhateverTheSwitch)
{
    CUndoManager m(nullptr);
    operation(m, 1, 1);
    operation(m, 2, 2);
    m.add_obj(&slots[1], 2, 0, 0);
    void* moved[10] = {};
    undo_active = 0;
    m.replace_object_location(&slots[7], &moved[7]);  // held nowhere: nothing changes
    m.replace_object_location(&slots[1], &moved[1]);
    EXPECT_EQ((void**)m.get(1)->loc_obj.get(1), &moved[1]);
    EXPECT_EQ((void**)m.get(2)->loc_obj.get(1), &slots[2]);
    EXPECT_EQ((void**)m.get(2)->loc_obj.get(2), &moved[1]);
    int owner = 0;
    m.set_owner(&owner);
    EXPECT_EQ(m.owner, &owner);
    EXPECT_EQ(m.get(1)->owner, &owner);
    EXPECT_EQ(m.get(2)->owner, &owner);
}

TEST(UndoManagerDefaults, TheProgramRecordsNothing)
{
    EXPECT_EQ(undo_active, 0);
    EXPECT_EQ(undo_levels, 5);
    CUndoManager m(nullptr);
    EXPECT_EQ(m.uid, 34);
    void* slot = &m;
    m.new_level(1, 0);
    m.add_obj(&slot, 2, 0, 0);
    EXPECT_EQ(m.total(), 0);
    // With the switch on, the program's hook stores a null copy like any other.
    undo_active = 1;
    m.new_level(1, 0);
    m.add_obj(&slot, 2, 0, 0);
    undo_active = 0;
    ASSERT_EQ(m.total(), 1);
    EXPECT_EQ(m.get(1)->old_obj.get(1), 0);
}

}  // namespace
