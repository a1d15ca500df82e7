// The text-block dialog worked by injected clicks: it shows a block and writes back what OK
// confirms (line spacing at least 20 %), offers an edited block only the kinds of its sort,
// remembers the font chosen (with the colour) for the next new block, and pastes copied
// settings without changing the edited block's sort. The dialog is written to a PNG.
#include <gtest/gtest.h>

#include "../midi/DialogScript.h"
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/ColorChooser.h"
#include "framework/FontChooser.h"
#include "score/CTextBloc.h"
#include "tools/TextBlockDialog.h"
#include "tools/TextBlocks.h"

namespace {

namespace tb = text_block;

class TextBlockDialog : public DialogScript {
public:
    std::string folder_prefix() const override { return "text-block-dialog"; }
    void SetUp() override {
        DialogScript::SetUp();
        text_block_memory() = TextBlockMemory{};
        set_font_chooser_responder([](FontChoice* c) {
            c->face = "Liberation Serif";
            c->height = -18;
            c->weight = FontChoice::bold_weight;
            return true;
        });
        set_color_chooser_responder([](int32_t* colour, int32_t*) {
            *colour = 0x00FF00;
            return true;
        });
    }
    void TearDown() override {
        set_font_chooser_responder({});
        set_color_chooser_responder({});
        text_block_memory() = TextBlockMemory{};
        DialogScript::TearDown();
    }
    CDialog* dialog() { return find_dialog(22, 27, 25); }
    CTextBloc* run(std::vector<Steps> groups, CTextBloc* t, short creating) {
        CTextBloc* result = reinterpret_cast<CTextBloc*>(-1);
        DialogScript::run(std::move(groups), [this] { return dialog() != nullptr; },
                          [&] { result = edit_bloc_texte(t, creating); });
        return result;
    }
    bool enabled(short id) { return dialog()->find_child(id)->enabled() != 0; }
    void ok() { click(dialog()->button(1)); }
};

}  // namespace

TEST_F(TextBlockDialog, ShowsTheBlockAndStoresWhatOkConfirms) {
    CTextBloc t;
    t.type = tb::PageOnly;
    t.page = 2;
    t.text.set("Sonate");
    t.flags = tb::CentreAcross | tb::TopMargin;
    t.align = tb::Centred;
    bool kinds[3] = {};
    std::string shown;
    CTextBloc* result = run({{[&] {
                                  kinds[0] = enabled(11), kinds[1] = enabled(12), kinds[2] = enabled(13);
                                  CString text;
                                  dialog()->te(22)->get_text(&text);
                                  shown = text.get();
                                  snapshot(dialog(), "text_block_dialog.png");
                                  dialog()->te(22)->set_text("Sonate en ut");
                                  dialog()->te(27)->set_text("5");
                              },
                              [&] { click(dialog()->button(4)); },  // the font
                              [&] { ok(); }}},
                            &t, 0);
    EXPECT_EQ(result, &t);
    EXPECT_EQ(shown, "Sonate");
    EXPECT_TRUE(kinds[0]);
    EXPECT_FALSE(kinds[1]) << "a page block cannot become a measure block";
    EXPECT_TRUE(kinds[2]);
    EXPECT_STREQ(t.text.get(), "Sonate en ut");
    EXPECT_EQ(t.interligne, 20) << "5 % is raised to 20 %";
    EXPECT_EQ(t.flags, tb::CentreAcross | tb::TopMargin);
    EXPECT_EQ(t.align, tb::Centred);
    EXPECT_EQ(t.page, 2);
    EXPECT_STREQ(t.font.get_name(), "Liberation Serif");
    EXPECT_EQ(t.font.get_size(), 18);
    // The next new block takes the font chosen.
    CTextBloc fresh;
    apply_remembered_font(&fresh);
    EXPECT_STREQ(fresh.font.get_name(), "Liberation Serif");
    EXPECT_EQ(fresh.font.get_size(), 18);
}

TEST_F(TextBlockDialog, AColourAloneIsNotRememberedAndCancelChangesNothing) {
    CTextBloc t;
    t.text.set("ma");
    CTextBloc* result = run({{[&] { click(dialog()->button(3)); },  // the colour only
                              [&] { dialog()->te(22)->set_text("changed"); },
                              [&] { click(dialog()->button(2)); }}},
                            &t, 0);
    EXPECT_EQ(result, nullptr);
    EXPECT_STREQ(t.text.get(), "ma");
    EXPECT_EQ(t.color, 0);
    EXPECT_EQ(text_block_memory().font_color, 0x00FF00) << "the colour is kept, even cancelled";
    CTextBloc fresh;
    const std::string face = fresh.font.get_name();
    apply_remembered_font(&fresh);
    EXPECT_EQ(fresh.font.get_name(), face) << "without a font chosen the defaults stay";
    EXPECT_EQ(fresh.color, 0);
}

TEST_F(TextBlockDialog, APastedPageSettingLeavesAMeasureBlockAMeasureBlock) {
    CTextBloc page;
    page.type = tb::PageOnly;
    page.flags = tb::CentreAcross | tb::BottomMargin;
    page.text.set("Pied de page");
    page.interligne = 150;
    run({{[&] { click(dialog()->button(24)); }, [&] { click(dialog()->button(2)); }}}, &page, 0);
    ASSERT_NE(text_block_memory().copy, nullptr);
    EXPECT_EQ(text_block_memory().copy->interligne, 150);

    CTextBloc bar;
    bar.type = tb::InMeasure;
    bar.text.set("cresc.");
    bool paste_enabled = false, measure_kind_enabled = false, page_kinds_enabled = true;
    CTextBloc* result = run({{[&] {
                                  paste_enabled = enabled(25);
                                  click(dialog()->button(25));
                              },
                              [&] {
                                  measure_kind_enabled = enabled(12);
                                  page_kinds_enabled = enabled(11) || enabled(13);
                                  ok();
                              }}},
                            &bar, 0);
    EXPECT_TRUE(paste_enabled);
    EXPECT_TRUE(measure_kind_enabled);
    EXPECT_FALSE(page_kinds_enabled);
    EXPECT_EQ(result, &bar);
    EXPECT_EQ(bar.type, tb::InMeasure);
    EXPECT_STREQ(bar.text.get(), "Pied de page");
    EXPECT_EQ(bar.interligne, 150);
}

TEST_F(TextBlockDialog, ChoosingAKindEnablesItsFields) {
    CTextBloc fresh;
    fresh.type = tb::InMeasure;
    bool before[4] = {}, after[4] = {};
    const auto look = [&](bool* into) {
        into[0] = enabled(18), into[1] = enabled(15), into[2] = enabled(7), into[3] = enabled(5);
    };
    CTextBloc* result = run({{[&] { look(before); },
                              [&] { click(dialog()->radio(11)); },
                              [&] {
                                  look(after);
                                  ok();
                              }}},
                            &fresh, 1);
    EXPECT_EQ(result, &fresh);
    EXPECT_FALSE(before[0]);
    EXPECT_TRUE(before[1]);
    EXPECT_FALSE(before[2]);
    EXPECT_TRUE(after[0]) << "the page field";
    EXPECT_FALSE(after[1]) << "the measure field";
    EXPECT_TRUE(after[2]) << "the placement";
    EXPECT_TRUE(after[3]) << "the centring";
    EXPECT_EQ(fresh.type, tb::PageOnly);
}
