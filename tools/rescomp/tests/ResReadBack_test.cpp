// The compiler's output read back by the program's own resource reader, one resource of each
// type the program uses.

#include "ResSource.h"
#include "ResWriter.h"
#include "framework/CResFile.h"
#include "framework/Resedit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace rescomp;

namespace {

const char* const source =
    "@strings 65\n"
    "Erreur\n"
    "\n"
    "Annuler\n"
    "@end\n"
    "@dialog 3\n"
    "dialog(380,150,-1,-1,\"Veuillez patienter\",5,2)\n"
    "label(340,18,16,12,1,\"\",0,1)\n"
    "button(100,26,140,88,4,\"Annuler\",0,1,1,0,1)\n"
    "@end\n"
    "@menu 1\n"
    "popup(\"Fichier\")\n"
    "item(110,\"Quitter\",\"Q\",\"Alt+F4\")\n"
    "end()\n"
    "@end\n"
    "@bindialog 134\n"
    "dialog(0x60,0,0,260,150,\"Copier les mesures\")\n"
    "text(150,34,210,56,3,6,1,5,\"\")\n"
    "pair(5,3)\n"
    "@end\n"
    "@picture 21 crayon\n"
    "0f\n"
    "f0\n"
    "@end\n";

TEST(ResReadBack, EveryTypeReadsBackAsCompiled) {
    Diagnostics diag{"readback", {}};
    std::vector<Resource> res = compile_source(source, diag);
    std::string bytes = build_resource_file(res, diag);
    ASSERT_TRUE(diag.errors.empty()) << diag.errors[0];
    ASSERT_EQ(res.size(), 5u);
    std::string path = std::string(BRINDLECOT_TEST_OUTPUT) + "/readback.res";
    ASSERT_TRUE(write_file(path, bytes));

    CResFile f;
    ASSERT_EQ(f.open_res(path.c_str()), 1);
    File_info info;
    ASSERT_EQ(f.get_info(&info), 1);
    EXPECT_EQ(info.signature, 0xD927);
    EXPECT_EQ(f.get_tot_area(), 6);
    for (const Resource& r : res) {
        ASSERT_EQ(f.size_res(r.type, r.id), static_cast<int32_t>(r.bytes.size())) << r.type;
        char* p = static_cast<char*>(f.read_res(r.type, r.id));
        ASSERT_NE(p, nullptr) << r.type;
        EXPECT_EQ(std::string(p, r.bytes.size()), r.bytes) << r.type;
        std::free(p);
    }

    // Through the cache, as the program asks for them.
    CString line;
    EXPECT_EQ(gr_string(nullptr, path.c_str(), 65, 2, &line), 1);
    EXPECT_STREQ(line.get(), "");
    EXPECT_EQ(gr_string(nullptr, path.c_str(), 65, 3, &line), 1);
    EXPECT_STREQ(line.get(), "Annuler");
    EXPECT_EQ(gr_string(nullptr, path.c_str(), 65, 4, &line), 0);

    char* dialog = static_cast<char*>(read_res(nullptr, path.c_str(), 11, 3));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(extract_integer_param(dialog, 1), 380);
    EXPECT_EQ(extract_integer_param(dialog, 7), 2);
    const char* button = next_object(next_object(dialog));
    ASSERT_NE(button, nullptr);
    char* title = extract_string_param(button, 6);
    EXPECT_STREQ(title, "Annuler");
    std::free(title);
    EXPECT_EQ(next_object(button), nullptr);
    std::free(dialog);

    char* menu = static_cast<char*>(read_res(nullptr, path.c_str(), 12, 1));
    ASSERT_NE(menu, nullptr);
    const char* item = next_object(menu);
    EXPECT_EQ(extract_integer_param(item, 1), 110);
    std::free(menu);
    free_res_files();
    std::remove(path.c_str());
}

}  // namespace
