// The control classes' own operations: list entries, radio groups, titles and widths, labels
// and frames as drawn.
#include "DialogFixture.h"

#include <filesystem>

#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CSlider.h"
#include "framework/ControlHandlers.h"
#include "framework/ProgramFiles.h"
#include "platform/FileSystem.h"
#include "platform/WindowManager.h"

using namespace platform;

namespace {

class ControlClasses : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        d = new CDialog(nullptr, nullptr, 0, default_dialog_handler, 0);
        d->set_rect(50, 50, 450, 350);
        d->show();
    }
    void TearDown() override
    {
        delete d;
        DialogFixture::TearDown();
    }
    CDialog* d = nullptr;
};

TEST_F(ControlClasses, ListEntriesAreOneBased)
{
    CList* list = new CList(d, 1);
    for (const char* s : {"Do", "Ré", "Mi"}) list->add(s);
    EXPECT_EQ(list->get_cur(), 0);
    EXPECT_EQ(list->insert("Si", 1), 1);
    EXPECT_EQ(list->total(), 4);
    CString s;
    list->get_item(1, &s);
    EXPECT_STREQ(s.get(), "Si");
    list->set_cur(3);
    list->set_item("Mi bémol", 3);
    EXPECT_EQ(list->get_cur(), 3) << "the selected entry stays selected";
    list->get_item(3, &s);
    EXPECT_STREQ(s.get(), "Mi bémol");
    list->set_item("Fa", 1);
    EXPECT_EQ(list->get_cur(), 3);
    list->remove(9);
    EXPECT_EQ(list->total(), 4);
    CPopup* popup = new CPopup(d, 2);
    for (const char* t : {"Piano", "Orgue", "Guitare"}) popup->add(t);
    EXPECT_EQ(popup->get_item(9, &s), 1);
    EXPECT_STREQ(s.get(), "");
    short chosen = 2;
    popup->set_var_ptr(&chosen);
    EXPECT_EQ(popup->get_cur(), 2);
    popup->clear();
    EXPECT_EQ(popup->total(), 0);
    EXPECT_EQ(popup->get_cur(), 0);
}

TEST_F(ControlClasses, RadioGroupsEndAtTheNextHead)
{
    CRadio* r[4];
    for (short i = 0; i < 4; i++) r[i] = new CRadio(d, (short)(5 + i), i == 0 || i == 3 ? 1 : 0);
    r[3]->set_value(1);
    EXPECT_EQ(r[2]->get_group_value(), 1) << "nothing checked reads as 1";
    r[0]->set_group_value(2);
    EXPECT_EQ(r[0]->get_value(), 0);
    EXPECT_EQ(r[1]->get_value(), 1);
    EXPECT_EQ(r[2]->get_value(), 0);
    EXPECT_EQ(r[3]->get_value(), 1) << "item 8 heads a group of its own";
    EXPECT_EQ(r[2]->get_group_value(), 2);
    // A click on the second group's head keeps it checked.
    Event e;
    e.type = EvControl;
    e.item = 8;
    default_dialog_handler(d, &e);
    EXPECT_EQ(r[3]->get_value(), 1);
    EXPECT_EQ(r[1]->get_value(), 1);
    // Outside a dialog a radio button always reads 1.
    CWindow* w = new CWindow(WinNormal);
    CRadio* lone = new CRadio(w, 1, 0);
    lone->set_value(0);
    EXPECT_EQ(lone->get_group_value(), 1);
    delete w;
}

TEST_F(ControlClasses, TitlesSetTheWidthsOfCheckBoxesAndRadioButtons)
{
    CCheck* c = new CCheck(d, 1);
    c->set_title("Avec accords");
    EXPECT_EQ(c->get_width(), control_text_width("Avec accords") + 15);
    CRadio* r = new CRadio(d, 2, 1);
    r->set_title("Majeur");
    EXPECT_EQ(r->get_width(), control_text_width("Majeur") + 16);
    short v = 1;
    c->set_var_ptr(&v);
    EXPECT_EQ(c->get_value(), 1);
}

TEST_F(ControlClasses, LabelsResizeToTheirText)
{
    CLabel* left = new CLabel(d, 1, 1);
    left->set_rect(0, 0, 300, 20);
    left->set_text("Tempo :");
    left->auto_resize();
    EXPECT_EQ(left->get_width(), left->string_width("Tempo :"));
    CLabel* centred = new CLabel(d, 2, 0);
    centred->set_rect(0, 30, 300, 50);
    centred->set_text("Tempo :");
    centred->auto_resize();
    EXPECT_EQ(centred->get_width(), 300);
}

TEST_F(ControlClasses, FramesLeaveAGapForTheirTitle)
{
    CFrame* f = new CFrame(d, 1, 5);
    f->set_rect(10, 10, 210, 110);
    f->set_text("Mode");
    f->show();
    CFrame* bare = new CFrame(d, 2, 1);
    bare->set_rect(10, 120, 210, 170);
    bare->show();
    pump_paints();
    const short t = f->string_width("Mode"), y0 = (short)(f->font.size / 2 + 1);
    Surface* s = f->get_dc();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->pixel(2, y0), 0x808080);
    EXPECT_EQ(s->pixel(2, y0 + 1), 0xFFFFFF);
    EXPECT_EQ(s->pixel(t + 6, y0), kButtonFaceColor) << "inside the gap";
    EXPECT_EQ(s->pixel(t + 9, y0), 0x808080);
    Surface* b = bare->get_dc();
    EXPECT_EQ(b->pixel(0, 0), 0) << "no title: the top line runs at 0";
    EXPECT_EQ(b->pixel(100, 0), 0);
}

TEST_F(ControlClasses, AProgressBarRedrawsOnlyForANewValue)
{
    CProgress* p = new CProgress(d, 1);
    p->set_rect(0, 0, 200, 14);
    p->show();
    pump_paints();
    p->set_value(50);
    EXPECT_FALSE(wm->update_area(p->hwnd).empty());
    pump_paints();
    p->set_value(50);
    EXPECT_TRUE(wm->update_area(p->hwnd).empty());
    EXPECT_EQ(p->get_dc()->pixel(99, 7), 0x0000FF);
    EXPECT_EQ(p->get_dc()->pixel(101, 7), 0xFFFFFF);
}

}  // namespace

namespace {

// A bitmap file of 24 bits per pixel, rows from the bottom, each padded to 4 bytes.
std::string bitmap_file(int32_t w, int32_t h, const std::vector<uint32_t>& rgb_rows_from_top)
{
    const int32_t row = (w * 3 + 3) / 4 * 4;
    std::string f = "BM";
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++) f += (char)((v >> (8 * i)) & 0xFF);
    };
    put(54 + row * h, 4), put(0, 4), put(54, 4);
    put(40, 4), put(w, 4), put(h, 4), put(1, 2), put(24, 2), put(0, 4), put(row * h, 4);
    put(2834, 4), put(2834, 4), put(0, 4), put(0, 4);
    for (int32_t y = h - 1; y >= 0; y--) {
        for (int32_t x = 0; x < w; x++) put(rgb_rows_from_top[(size_t)y * w + x], 3);  // 0xRRGGBB: blue first
        f.append(row - w * 3, '\0');
    }
    return f;
}

TEST_F(ControlClasses, BitmapsFromFilesTakeTheirSize)
{
    const std::string folder = std::string(BRINDLECOT_TEST_OUTPUT) + "/bitmap-program";
    ASSERT_TRUE(make_directory(folder + "/MISC/BITMAPS"));
    FILE* f = std::fopen((folder + "/MISC/BITMAPS/deux.bmp").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const std::string bytes = bitmap_file(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0, 0xFFFFFF, 0x808080});
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    char* saved = main_dir;
    std::string dir = folder;
    main_dir = &dir[0];
    CBitmap* b = new CBitmap(d, 1, "deux.bmp");
    CBitmap* missing = new CBitmap(d, 2, "aucun.bmp");
    main_dir = saved;
    EXPECT_EQ(b->get_width(), 3);
    EXPECT_EQ(b->get_height(), 2);
    ASSERT_TRUE(b->hbm);
    EXPECT_EQ(b->hbm->pixel(0, 0), 0x0000FF) << "red, as a program colour";
    EXPECT_EQ(b->hbm->pixel(2, 0), 0xFF0000) << "blue";
    EXPECT_EQ(b->hbm->pixel(1, 1), 0xFFFFFF);
    EXPECT_FALSE(missing->hbm);
    b->set_position(20, 30);
    b->show();
    pump_paints();
    EXPECT_EQ(b->get_dc()->pixel(0, 0), 0x0000FF) << "drawn at its own corner";
    std::filesystem::remove_all(folder);
}

TEST_F(ControlClasses, ListsFilledWithTheFilesOfAFolder)
{
    const std::string folder = std::string(BRINDLECOT_TEST_OUTPUT) + "/fill-lists";
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(make_directory(folder + "/Sous.dem"));  // a folder is never listed
    for (const char* name : {"b.DEM", "a.dem", "Z.dem", "notes.txt"})
        std::fclose(std::fopen((folder + "/" + name).c_str(), "wb"));
    auto names = [](CListBase* c) {
        std::string all;
        CString s;
        for (short i = 1; i <= c->total(); i++) {
            c->get_item(i, &s);
            all += std::string(s.get()) + ";";
        }
        return all;
    };
    CList* list = new CList(d, 1);
    EXPECT_EQ(fill_list_with_files(list, folder.c_str(), ".dem"), 3);
    EXPECT_EQ(names(list), "Z;a;b;") << "byte order, the extension cut in either case";
    CPopup* popup = new CPopup(d, 2);
    popup->add("Aucun");
    EXPECT_EQ(fill_popup_with_files(popup, folder.c_str(), nullptr, true), 4);
    EXPECT_EQ(names(popup), "Aucun;Z.dem;a.dem;b.DEM;notes.txt;") << "every file, whole names";
    CList* empty = new CList(d, 3);
    EXPECT_EQ(fill_list_with_files(empty, (folder + "/Sous.dem").c_str(), ".dem"), 0);
    EXPECT_EQ(empty->total(), 0);
    std::filesystem::remove_all(folder);
}

}  // namespace
