// Dropping a library on a measure of the page view: the measure under the point is found, a
// library of the same kind is swapped in replace mode, and a drop beside every measure does
// nothing.
#include "EditorFixture.h"

#include "score/CLibUse.h"
#include "score/CLibrary.h"

namespace {

class LibraryDrop : public EditorFixture {
protected:
    // A screen point inside the measure at (column, staff), from its drawing place.
    void point_in(short column, short staff, short* x, short* y) {
        CMeasure* m = score->measure(column, staff);
        *x = (short)(m->x * editor->scalex - editor->ox + 5);
        *y = (short)(m->y * editor->scaley - editor->oy + 5);
        editor->up->local_to_global(x, y);
    }
    CLibUse* marker(short column, short staff) {
        CMeasure* m = score->measure(column, staff);
        for (short i = 1; i <= m->total(); i++)
            if (CLibUse* u = m->get_libuse_item(i)) return u;
        return nullptr;
    }
    std::vector<short> listed(short column, short staff) {
        std::vector<short> out;
        CLibUse* u = marker(column, staff);
        for (short i = 1; u && i <= u->total(); i++) out.push_back(u->libid.get(i));
        return out;
    }
};

TEST_F(LibraryDrop, AMelodyIsAddedThenSwappedInReplaceMode) {
    Document* d = make_score(2, 8);
    build_pages(d, 4, 2);
    d->lib[1] = new CLibMelody;
    d->lib[2] = new CLibMelody;
    d->lib[3] = new CLibRythm;
    d->tot_lib = 3;
    d->cur_pag = 1;
    open(800, 600);
    for (short c = 1; c <= 8; c++)
        for (short p = 1; p <= 2; p++) {
            score->measure(c, p)->x = score->measure(c, p)->px;
            score->measure(c, p)->y = score->measure(c, p)->py;
        }
    short x, y, ma = 0, pa = 0;
    point_in(3, 2, &x, &y);
    ASSERT_EQ(editor->localiser_dest_edit(&ma, &pa, x, y), 1);
    EXPECT_EQ(ma, 3);
    EXPECT_EQ(pa, 2);
    d->modif = 0;
    editor->placer_librairie(1, x, y);
    EXPECT_EQ(listed(3, 2), (std::vector<short>{1}));
    EXPECT_EQ(d->modif, 1);
    editor->placer_librairie(3, x, y);   // another kind joins the list
    editor->placer_librairie(1, x, y);   // already listed: nothing changes
    EXPECT_EQ(listed(3, 2), (std::vector<short>{1, 3}));
    editor->placer_librairie(2, x, y);   // without replace mode both melodies stay
    EXPECT_EQ(listed(3, 2), (std::vector<short>{1, 3, 2}));
    point_in(4, 1, &x, &y);
    editor->placer_librairie(1, x, y);
    editor->placer_librairie(-2, x, y);  // replace mode swaps the melody
    EXPECT_EQ(listed(4, 1), (std::vector<short>{2}));
    // Beside every measure nothing is found and nothing changes.
    short far_x = 5, far_y = 5;
    editor->up->local_to_global(&far_x, &far_y);
    EXPECT_EQ(editor->localiser_dest_edit(&ma, &pa, far_x, far_y), 0);
    editor->placer_librairie(1, far_x, far_y);
    EXPECT_EQ(marker(1, 1), nullptr);
}

}  // namespace
