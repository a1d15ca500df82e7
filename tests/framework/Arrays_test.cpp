#include "framework/Arrays.h"
#include "framework/CRect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// The three arrays of plain items behave alike; each case runs on all of them.
template <typename A>
class ArrayFamily : public ::testing::Test {};
using PlainArrays = ::testing::Types<CArrayInt, CArrayPtr, CArrayFloat>;
TYPED_TEST_SUITE(ArrayFamily, PlainArrays);

namespace {

// The items 1 to total() of an array, as numbers.
template <typename A>
std::vector<double> items(const A& a)
{
    std::vector<double> v;
    for (short i = 1; i <= a.total(); ++i) v.push_back(static_cast<double>(a.get(i)));
    return v;
}

}  // namespace

TYPED_TEST(ArrayFamily, NewArrayReadsTheDefault)
{
    TypeParam a;
    EXPECT_EQ(a.total(), 0);
    EXPECT_EQ(a.get(1), 0);
    a.def_item = 7;
    EXPECT_EQ(a.get(1), 7);
    EXPECT_EQ(a.get(0), 7);  // no storage yet
    EXPECT_EQ(a.remove(1), 0);
    EXPECT_EQ(a.remove(0), 0);
    EXPECT_EQ(a.ptr, nullptr);
}

TYPED_TEST(ArrayFamily, AddGrowsStorageOneSlotAtATime)
{
    TypeParam a;
    for (int i = 1; i <= 5; ++i) {
        a.add(i * 10);
        EXPECT_EQ(a.max_item, i);
    }
    EXPECT_EQ(items(a), (std::vector<double>{10, 20, 30, 40, 50}));
    EXPECT_EQ(a.get(6), 0);
    EXPECT_EQ(a.get(-1), 0);
    EXPECT_EQ(a.get(0), 0);  // the spare slot holds the default
}

TYPED_TEST(ArrayFamily, SetBeyondTheEndFillsWithTheDefault)
{
    TypeParam a;
    a.def_item = 7;
    a.set(3, 5);
    EXPECT_EQ(a.total(), 5);
    EXPECT_EQ(items(a), (std::vector<double>{7, 7, 7, 7, 3}));
    a.set(9, 2);
    EXPECT_EQ(a.total(), 5);
    a.set(1, -1);  // does nothing
    EXPECT_EQ(items(a), (std::vector<double>{7, 9, 7, 7, 3}));
    a.set(4, 0);  // the spare slot, not an item
    EXPECT_EQ(a.total(), 5);
    EXPECT_EQ(a.get(0), 4);
}

TYPED_TEST(ArrayFamily, ClearKeepsStorageAndResetsTheDefault)
{
    TypeParam a;
    a.def_item = 7;
    a.add(1);
    a.add(2);
    a.add(3);
    auto* storage = a.ptr;
    a.clear();
    EXPECT_EQ(a.total(), 0);
    EXPECT_EQ(a.get(99), 0);
    EXPECT_EQ(a.ptr, storage);
    a.set(5, 3);  // the old items are not seen again
    EXPECT_EQ(items(a), (std::vector<double>{0, 0, 5}));
}

TYPED_TEST(ArrayFamily, InsertAndRemove)
{
    struct Case { const char* what; void (*change)(TypeParam&); std::vector<double> after; double removed; };
    const Case cases[] = {
        {"insert at 1 shifts up", [](TypeParam& a) { a.insert(9, 1); }, {9, 1, 2, 3}, 0},
        {"insert at 2", [](TypeParam& a) { a.insert(9, 2); }, {1, 9, 2, 3}, 0},
        {"insert at 3", [](TypeParam& a) { a.insert(9, 3); }, {1, 2, 9, 3}, 0},
        {"insert beyond appends", [](TypeParam& a) { a.insert(9, 10); }, {1, 2, 3, 9}, 0},
        {"insert at -1 does nothing", [](TypeParam& a) { a.insert(9, -1); }, {1, 2, 3}, 0},
        {"remove 1", [](TypeParam& a) { EXPECT_EQ(a.remove(1), 1); }, {2, 3}, 0},
        {"remove 2", [](TypeParam& a) { EXPECT_EQ(a.remove(2), 2); }, {1, 3}, 0},
        {"remove last", [](TypeParam& a) { EXPECT_EQ(a.remove(3), 3); }, {1, 2}, 0},
        {"remove beyond", [](TypeParam& a) { EXPECT_EQ(a.remove(4), 0); }, {1, 2, 3}, 0},
        {"remove -1", [](TypeParam& a) { EXPECT_EQ(a.remove(-1), 0); }, {1, 2, 3}, 0},
    };
    for (const Case& c : cases) {
        TypeParam a;
        a.def_item = 7;
        a.add(1);
        a.add(2);
        a.add(3);
        c.change(a);
        EXPECT_EQ(items(a), c.after) << c.what;
        EXPECT_GE(a.max_item, a.total()) << c.what;
    }
}

TYPED_TEST(ArrayFamily, LargestIndexIsRespected)
{
    TypeParam a;
    a.set(1, array_storage::largest_index);
    EXPECT_EQ(a.total(), 32767);
    EXPECT_EQ(a.max_item, 32767);
    a.add(2);
    a.insert(3, 1);
    EXPECT_EQ(a.total(), 32767);
    EXPECT_EQ(a.get(32767), 1);
    EXPECT_EQ(a.get(1), 0);
    EXPECT_EQ(a.remove(32767), 1);
    a.insert(3, 1);
    EXPECT_EQ(a.total(), 32767);
    EXPECT_EQ(a.get(1), 3);
}

TYPED_TEST(ArrayFamily, ResizeKeepsItems)
{
    TypeParam a;
    a.def_item = 4;
    EXPECT_EQ(a.resize(3), 0);
    EXPECT_EQ(a.max_item, 3);
    EXPECT_EQ(a.total(), 0);
    a.add(1);
    a.resize(2);  // never shrinks
    EXPECT_EQ(a.max_item, 3);
    a.resize(10);
    EXPECT_EQ(a.max_item, 10);
    EXPECT_EQ(items(a), std::vector<double>{1});
    for (short i = 0; i <= 10; ++i) {
        if (i != 1) {
            EXPECT_EQ(a.ptr[i], 4) << i;
        }
    }
}

TEST(Arrays, KindNumbers)
{
    CArrayPtr p;
    CArrayInt i;
    CArrayFloat f;
    CArrayElem e(4);
    CArrayString s;
    CRect r;
    EXPECT_EQ(p.uid, 4);
    EXPECT_EQ(i.uid, 31);
    EXPECT_EQ(f.uid, 43);
    EXPECT_EQ(e.uid, 17);
    EXPECT_EQ(s.uid, 32);
    EXPECT_EQ(r.uid, 24);
}

TEST(Arrays, PointerArrayHoldsFullPointers)
{
    CArrayPtr a;
    int x = 0;
    static_assert(sizeof(a.get(1)) == sizeof(void*), "a slot holds a pointer");
    a.add(reinterpret_cast<intptr_t>(&x));
    a.add(static_cast<intptr_t>(0x123456789ABCLL));
    EXPECT_EQ(reinterpret_cast<int*>(a.get(1)), &x);
    EXPECT_EQ(a.get(2), 0x123456789ABCLL);
}

TEST(Arrays, RemoveItemTakesTheFirstOccurrence)
{
    CArrayPtr a;
    for (intptr_t v : {5, 8, 5, 9}) a.add(v);
    EXPECT_EQ(a.remove_item(5), 1);
    EXPECT_EQ(items(a), (std::vector<double>{8, 5, 9}));
    EXPECT_EQ(a.remove_item(5), 1);
    EXPECT_EQ(a.remove_item(5), 0);
    EXPECT_EQ(items(a), (std::vector<double>{8, 9}));
}

TEST(Arrays, FloatArray)
{
    CArrayFloat a;
    a.def_item = 0.5f;
    a.add(1.25f);
    a.set(2.5f, 3);
    EXPECT_FLOAT_EQ(a.get(2), 0.5f);
    EXPECT_FLOAT_EQ(a.remove(3), 2.5f);
    EXPECT_FLOAT_EQ(a.remove(9), 0.0f);
    a.clear();
    EXPECT_FLOAT_EQ(a.get(1), 0.0f);
}

TEST(Arrays, RecordArray)
{
    struct Rec { int32_t a; short b; };
    CArrayElem e(sizeof(Rec));
    EXPECT_EQ(e.get(1), nullptr);
    e.remove(1);
    for (int32_t k = 1; k <= 3; ++k) {
        Rec r{k * 100, static_cast<short>(k)};
        e.add(&r);
    }
    EXPECT_EQ(e.total(), 3);
    EXPECT_EQ(static_cast<Rec*>(e.get(2))->a, 200);
    EXPECT_EQ(e.get(4), nullptr);
    EXPECT_EQ(e.get(-1), nullptr);
    e.remove(1);
    EXPECT_EQ(e.total(), 2);
    EXPECT_EQ(static_cast<Rec*>(e.get(1))->b, 2);
    EXPECT_EQ(static_cast<Rec*>(e.get(2))->b, 3);
    e.remove(5);
    EXPECT_EQ(e.total(), 2);

    e.resize(6);  // new slots are zero bytes
    EXPECT_EQ(e.max_item, 6);
    const char zero[sizeof(Rec)] = {};
    for (short i = 3; i <= 6; ++i) EXPECT_EQ(memcmp(e.ptr + i * sizeof(Rec), zero, sizeof(Rec)), 0);
    e.add(nullptr);  // nothing to copy
    EXPECT_EQ(e.total(), 2);
}

TEST(Arrays, StringArray)
{
    CArrayString a;
    EXPECT_EQ(a.get(0), &a.empty);
    EXPECT_EQ(a.get(1), &a.empty);
    for (const char* t : {"un", "deux", "trois"}) {
        a.add();
        a.get(a.total())->set(t);
    }
    EXPECT_EQ(a.get(0), &a.empty);
    EXPECT_EQ(a.get(a.total() + 1), &a.empty);
    EXPECT_STREQ(a.get(2)->get(), "deux");

    a.insert(1);
    a.get(1)->set("zero");
    a.insert(0);  // the spare slot holds no string: the new one goes first
    a.insert(10);
    a.insert(-1);
    ASSERT_EQ(a.total(), 6);
    const char* expected[] = {"", "zero", "un", "deux", "trois", ""};
    for (short i = 1; i <= 6; ++i) {
        EXPECT_STREQ(a.get(i)->get(), expected[i - 1]) << i;
        EXPECT_NE(a.get(i), &a.empty) << i;
    }
    a.clear();  // the strings are deleted (the leak checker of the ASan build sees it)
    EXPECT_EQ(a.total(), 0);
    EXPECT_EQ(a.get(1), &a.empty);
    a.add();
    a.get(1)->set("again");  // left for the destructor to delete
}

TEST(Rect, PointInsideIncludesEveryEdge)
{
    CRect r;
    r.init(10, 20, 30, 40);
    EXPECT_EQ(r.x1, 10);
    EXPECT_EQ(r.y1, 20);
    EXPECT_EQ(r.x2, 30);
    EXPECT_EQ(r.y2, 40);
    struct Case { short x, y, inside; };
    const Case cases[] = {
        {10, 20, 1}, {30, 40, 1}, {30, 25, 1}, {15, 40, 1}, {20, 30, 1},
        {31, 30, 0}, {20, 41, 0}, {9, 30, 0}, {20, 19, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(r.point_inside(c.x, c.y), c.inside) << c.x << "," << c.y;
        EXPECT_EQ(point_inside_rect(c.x, c.y, &r), c.inside) << c.x << "," << c.y;
    }
    EXPECT_EQ(point_inside_rect(20, 30, nullptr), 0);
}
