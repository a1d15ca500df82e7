// A scripted session of the vector drawing editor: a filled rectangle drawn in the chosen
// colours, its corner handle dragged, a polygon built by clicks and closed on its first point,
// an element brought to the front, a line drawn and deleted, the origin moved.
#include "framework/VectorEditor.h"

#include "framework/CTextedit.h"
#include "framework/Colors.h"

#include "EditorScript.h"

#include <vector>

namespace {

class VectorEditorSession : public EditorScript {
protected:
    CUserPanel* editor() override { return vector_editor::surface; }
    // The surface point of a drawing point (the frame's corner at 0, 0).
    static short X(short x) { return static_cast<short>(x + 10); }
    static short Y(short y) { return static_cast<short>(y + 50); }
};

}  // namespace

TEST_F(VectorEditorSession, RectangleHandlesPolygonAndOrder)
{
    Vect_dessin* d = create_vect_dessin(1, "essai", 0, 0, 200, 120, 100, 60);
    Vect_rectangle* first = create_vect_rectangle();
    first->x1 = 140, first->y1 = 90, first->x2 = 190, first->y2 = 110, first->w = 3, first->col_fill = 0x00FFFF;
    d = add_vecteur_dessin(first, d);

    click(30, 30);                          // the filled rectangle
    click(205, 5);                          // drawing colour 1
    click(305, 25, platform::ButtonRight);  // fill colour 14
    step([] {
        EXPECT_EQ(vector_editor::cur_outil, 4);
        EXPECT_EQ(vector_editor::cur_col, 1);
        EXPECT_EQ(vector_editor::cur_col_sec, 14);
    });
    drag({{X(20), Y(20)}, {X(50), Y(40)}, {X(80), Y(60)}});
    step([] { EXPECT_EQ(vector_editor::cur_sel, 2); });
    // The bottom-right handle, taken just outside the corner (on the corner itself the inside
    // wins and the whole shape would move).
    drag({{X(82), Y(62)}, {X(87), Y(67)}, {X(92), Y(72)}});
    click(70, 10);                                           // the outlined polygon
    click(X(110), Y(15));
    move(X(150), Y(15));
    click(X(170), Y(15));
    move(X(170), Y(50));
    click(X(170), Y(70));
    move(X(120), Y(20));
    click(X(111), Y(16));  // within 2 pixels of the first point: closed
    step([] { EXPECT_EQ(vector_editor::cur_sel, 3); });
    click(X(160), Y(100));  // the first rectangle, selected
    click(130, 30);         // to the front
    step([] { EXPECT_EQ(vector_editor::cur_sel, 3); });
    click(90, 10);  // the line
    drag({{X(30), Y(100)}, {X(60), Y(110)}, {X(100), Y(115)}});
    step([] { EXPECT_EQ(vector_editor::cur_sel, 4); });
    key('\b');  // deletes the selected line
    step([] { EXPECT_EQ(vector_editor::cur_sel, 0); });
    drag({{X(102), Y(2)}, {X(107), Y(2)}, {X(112), Y(2)}});  // the origin's horizontal marker
    click(X(20), Y(20));                                     // selects the rectangle for the picture
    picture("vector_editor.png");
    key('\r');

    d = edit_vect_dessin(d);
    EXPECT_TRUE(steps.empty());
    ASSERT_EQ(d->tot, 4);
    EXPECT_EQ(d->v[4], nullptr);
    EXPECT_EQ(d->ox, 110);
    ASSERT_NE(d->v[1], nullptr);
    ASSERT_EQ(vect_kind(d->v[1]), VECT_RECTANGLE);
    const Vect_rectangle* r = static_cast<Vect_rectangle*>(d->v[1]);
    EXPECT_EQ(std::vector<short>({r->x1, r->y1, r->x2, r->y2}), std::vector<short>({20, 20, 90, 70}));
    EXPECT_EQ(r->col, translate_color(1));
    EXPECT_EQ(r->col_fill, translate_color(14));
    EXPECT_EQ(r->w, 1);
    ASSERT_EQ(vect_kind(d->v[2]), VECT_POLYGONE);
    const Vect_polygone* p = static_cast<Vect_polygone*>(d->v[2]);
    ASSERT_EQ(p->n, 3);
    EXPECT_EQ(std::vector<short>({p->p[1].x, p->p[1].y, p->p[2].x, p->p[2].y, p->p[3].x, p->p[3].y}),
              std::vector<short>({110, 15, 170, 15, 170, 70}));
    EXPECT_EQ(p->col_fill, -1);
    EXPECT_EQ(d->v[3], first);  // brought to the front
    delete_vect_dessin(d);
}

// The tool cells show their pictures; the width tool asks for the pen width (its dialog) and
// gives it to the selected shape; the text tool asks for the text of a new text element.
TEST_F(VectorEditorSession, ToolPicturesAndTheWidthAndTextDialogs)
{
    Vect_dessin* d = create_vect_dessin(1, "essai", 0, 0, 200, 120, 100, 60);
    Vect_rectangle* shape = create_vect_rectangle();
    shape->x1 = 140, shape->y1 = 90, shape->x2 = 190, shape->y2 = 110, shape->w = 3;
    d = add_vecteur_dessin(shape, d);

    step([this] {
        // Every one of the 14 cells (7 columns by 2 rows of 20 pixels) holds a drawn picture.
        for (short cell = 1; cell <= 14; cell++) {
            const int c = (cell - 1) / 2, r = (cell - 1) % 2;
            EXPECT_GT(dark_pixels(editor()->hwnd, 20 * c + 2, 20 * r + 2, 20 * c + 19, 20 * r + 19), 4) << cell;
        }
    });
    click(10, 10);  // the selection tool
    click(X(160), Y(100));
    step([] { EXPECT_EQ(vector_editor::cur_sel, 1); });
    click(90, 30);  // the width tool: its dialog opens
    step([] {
        CDialog* dialog = open_dialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(dialog->te(4), nullptr);
        dialog->te(4)->set_text("12");
    });
    screen_picture("vector_width_dialog.png");
    click_dialog_item(1);
    step([shape] {
        EXPECT_EQ(open_dialog(), nullptr);
        EXPECT_EQ(vector_editor::cur_w, 12);
        EXPECT_EQ(shape->w, 12);
    });
    click(10, 30);          // the text tool
    click(X(30), Y(30));    // where the text goes: its dialog opens
    step([] {
        CDialog* dialog = open_dialog();
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(dialog->te(4), nullptr);
        dialog->te(4)->set_text("Bonjour");
    });
    screen_picture("vector_text_dialog.png");
    click_dialog_item(1);
    picture("vector_editor_text.png");
    key('\r');

    d = edit_vect_dessin(d);
    EXPECT_TRUE(steps.empty());
    ASSERT_EQ(d->tot, 2);
    ASSERT_EQ(vect_kind(d->v[2]), VECT_TEXTE);
    EXPECT_STREQ(static_cast<Vect_texte*>(d->v[2])->s, "Bonjour");
    delete_vect_dessin(d);
}
