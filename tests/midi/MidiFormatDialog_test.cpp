// The choice of the kind of MIDI file an export writes, worked by injected clicks: the kind
// offered is checked as the dialog opens, a click on another radio button and OK give that
// kind, Annuler and Escape give nothing and leave the kind as it was. The dialog is written to
// a PNG.
#include "DialogScript.h"

#include <gtest/gtest.h>

#include "framework/CButton.h"
#include "framework/Dial_res.h"
#include "midi/MidiExport.h"

namespace {

class MidiFormatDialog : public DialogScript {
public:
    std::string folder_prefix() const override { return "midi-format"; }
    void SetUp() override {
        DialogScript::SetUp();
        gdr = new Dial_res;
        gdr->create();
    }
    void TearDown() override {
        delete gdr;
        gdr = nullptr;
        DialogScript::TearDown();
    }
    // The dialog: its three kinds and its two buttons.
    CDialog* dialog() { return find_dialog(3, 5, 2); }
    std::function<void()> item(short id) {
        return [this, id] {
            CPanel* p = dialog()->find_child(id);
            click(p, id <= 2 ? -1 : 8, id <= 2 ? -1 : 10);
        };
    }
    // The kind checked in the dialog, 0 when none.
    short checked() {
        for (short id = 3; id <= 5; id++)
            if (dialog()->radio(id)->get_value()) return (short)(id - 2);
        return 0;
    }
};

}  // namespace

TEST_F(MidiFormatDialog, GivesTheKindChosenOrNothing) {
    struct Case {
        const char* name;
        short offered;
        std::function<Steps(MidiFormatDialog*)> steps;
        short result, kind;
    };
    const Case cases[] = {
        {"OK on the kind offered", 3, [](MidiFormatDialog* f) { return Steps{f->item(1)}; }, 1, 3},
        {"one track", 3, [](MidiFormatDialog* f) { return Steps{f->item(3), f->item(1)}; }, 1, 1},
        {"the tempo map", 1, [](MidiFormatDialog* f) { return Steps{f->item(4), f->item(1)}; }, 1, 2},
        {"a track a staff", 2, [](MidiFormatDialog* f) { return Steps{f->item(5), f->item(1)}; }, 1, 3},
        {"changed, then cancelled", 3, [](MidiFormatDialog* f) { return Steps{f->item(3), f->item(2)}; }, 0, 3},
        {"escape", 2, [](MidiFormatDialog* f) { return Steps{f->item(5), [f] { f->escape(); }}; }, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        short kind = c.offered, shown = -1, result = -1;
        Steps steps = c.steps(this);
        steps.insert(steps.begin(), [&] { shown = checked(); });
        run({steps}, [this] { return dialog() != nullptr; }, [&] { result = dialogue_format_midi_106(&kind); });
        EXPECT_EQ(shown, c.offered) << "the kind offered is checked";
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(gdr->tot, 0) << "the dialog is closed";
    }
}

TEST_F(MidiFormatDialog, ShowsTheThreeKinds) {
    short kind = 3;
    std::vector<std::string> titles;
    run({{[&] {
              for (short id = 3; id <= 5; id++) {
                  titles.push_back(platform::Control::of(dialog()->radio(id)->hwnd)->text());
              }
              snapshot(dialog(), "midi_format_dialog.png");
          },
          item(2)}},
        [this] { return dialog() != nullptr; }, [&] { dialogue_format_midi_106(&kind); });
    ASSERT_EQ(titles.size(), 3u);
    EXPECT_NE(titles[0].find("Format 0"), std::string::npos) << titles[0];
    EXPECT_NE(titles[1].find("Format 0"), std::string::npos) << titles[1];
    EXPECT_NE(titles[2].find("Format 1"), std::string::npos) << titles[2];
}
