#include "score/DocumentWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "score/DocumentFileSupport.h"
#include "score/DocumentServices.h"
#include "score/OldFormats.h"
#include "score/Placeholders.h"

namespace {

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(DocumentWriter, RecordsOfAnExtract) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    d->ins[1].autom = 5;
    std::memset(d->ins[1].effet, 255, sizeof d->ins[1].effet);
    d->sub_doc[1].s_com = strdup("");
    add_event(d->piste[1], 7, 0x90, 0x40, 0xFF, 0x12);
    add_event(d->piste[1], 9, 0xF8, 0xFF, 0xFF, 0xFF);
    std::string path = scratch_path("records.mrc");
    ASSERT_EQ(save_to(d, path), 1);
    std::string text = file_bytes(path);
    EXPECT_EQ(text[0], 'M');
    EXPECT_EQ(text.substr(4, 9), "-TW005FR\n");
    EXPECT_TRUE(holds(text, ",autom=0005,"));
    EXPECT_FALSE(holds(text, "effet_"));
    EXPECT_FALSE(holds(text, "conversion("));
    EXPECT_TRUE(holds(text, "\ncom(0,)\n"));
    EXPECT_TRUE(holds(text, "piste(2,\r7,90,40,FF,12,\r9,F8)\n"));
    EXPECT_TRUE(holds(text, "\njustification(125,1,"));
    EXPECT_TRUE(holds(text, "\nsys(1,1)\n"));
    EXPECT_EQ(d->modif, 0);
}

TEST(DocumentWriter, OneTrackPerInstrument) {
    ScoreFixture score(3, 1);
    Document* d = score.d;
    detruire_piste(d->piste[3]);
    d->piste[3] = nullptr;
    d->tot_piste = 2;  // a track short of the instruments
    std::string path = scratch_path("tracks.mrc");
    ASSERT_EQ(save_to(d, path), 1);
    Document* back = load_from(path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->tot_piste, 3);
    EXPECT_EQ(back->piste[3]->tot, 0);
    free_loaded(back);
}

TEST(DocumentWriter, OldColoursAndMacintoshTexts) {
    struct {
        short index;
        int32_t colour;
    } colours[] = {{-1, -1}, {0, 0}, {5, 0xFF0000}, {9, 0x0000FF}, {15, 0xFFFFFF}, {16, 0}};
    for (auto& c : colours) EXPECT_EQ(translate_color(c.index), c.colour) << c.index;
    char text[] = "\x8E\x88\xA5\xD2\xD3\xDB\xF0 ok";
    convert_string_mac_win(text);
    EXPECT_STREQ(text, "\xE9\xE0\xA5\xD2\xD3\xDB\xF0 ok") << "only the accented letters change";
}

}  // namespace
