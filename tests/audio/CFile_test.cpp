// The paged file: streaming across page edges, going back to patch, zero fill past the end,
// the settings texts, and failures that must show (a full disk).
#include "audio/CFile.h"

#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<unsigned char> read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::vector<unsigned char> pattern(int32_t n, int seed)
{
    std::vector<unsigned char> v(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; i++) v[static_cast<size_t>(i)] = static_cast<unsigned char>((i * 7 + seed) & 0xFF);
    return v;
}

TEST(CFile, StreamsAcrossPageEdgesInPiecesOfAnySize)
{
    TempFolder dir;
    const int32_t pieces[] = {1, 100, 65535, 65536, 65537, 200000};
    for (int32_t piece : pieces) {
        SCOPED_TRACE(piece);
        CFile f;
        ASSERT_TRUE(f.open((dir / "pages.bin").c_str(), "wb+"));
        std::vector<unsigned char> all;
        for (int k = 0; k < 3; k++) {
            auto part = pattern(piece, k);
            ASSERT_EQ(f.write(part.data(), piece), piece);
            all.insert(all.end(), part.begin(), part.end());
        }
        EXPECT_EQ(f.fileSize, 3 * piece);
        EXPECT_EQ(f.getpos(), 3 * piece);
        EXPECT_EQ(f.bufferTotal, (3 * piece - 1) / CFile::kPageSize + 1);
        ASSERT_TRUE(f.close());
        EXPECT_EQ(read_all(dir / "pages.bin"), all);
    }
}

TEST(CFile, GoesBackToPatchAnEarlierPageAndOnAgain)
{
    TempFolder dir;
    CFile f;
    ASSERT_TRUE(f.open((dir / "patch.bin").c_str(), "wb+"));
    auto data = pattern(3 * CFile::kPageSize + 10, 1);
    ASSERT_EQ(f.write(data.data(), (int32_t)data.size()), (int32_t)data.size());
    EXPECT_EQ(f.bufferIndex, 3);
    // Exactly 65,536 while a later page is held: the end of page 0.
    ASSERT_EQ(f.setpos(0, CFile::kPageSize), 1);
    EXPECT_EQ(f.bufferIndex, 0);
    EXPECT_EQ(f.pos, CFile::kPageSize);
    EXPECT_EQ(f.StillToRead, 0);
    ASSERT_EQ(f.setpos(0, 4), 1);
    const unsigned char mark[4] = {'D', 'A', 'T', 'A'};
    ASSERT_EQ(f.write(mark, 4), 4);
    // Writing past a page end goes on into the next page of the file.
    ASSERT_EQ(f.setpos(0, CFile::kPageSize - 2), 1);
    ASSERT_EQ(f.write(mark, 4), 4);
    ASSERT_EQ(f.setpos(2, 0), 1);
    EXPECT_EQ(f.getpos(), (int32_t)data.size());
    ASSERT_EQ(f.setpos(1, -10), 1);
    EXPECT_EQ(f.getpos(), (int32_t)data.size() - 10);
    EXPECT_EQ(f.setpos(0, -1), 0);
    EXPECT_EQ(f.setpos(3, 0), 0);
    ASSERT_TRUE(f.close());
    std::copy(mark, mark + 4, data.begin() + 4);
    std::copy(mark, mark + 4, data.begin() + CFile::kPageSize - 2);
    EXPECT_EQ(read_all(dir / "patch.bin"), data);
}

TEST(CFile, FillsWithZerosPastTheEndOfAWritableFileOnly)
{
    TempFolder dir;
    {
        CFile f;
        ASSERT_TRUE(f.open((dir / "gap.bin").c_str(), "wb+"));
        ASSERT_EQ(f.write("ab", 2), 2);
        ASSERT_EQ(f.setpos(0, 70000), 1);
        EXPECT_EQ(f.fileSize, 70000);
        ASSERT_EQ(f.write("z", 1), 1);
        ASSERT_TRUE(f.close());
        auto bytes = read_all(dir / "gap.bin");
        ASSERT_EQ(bytes.size(), 70001u);
        EXPECT_EQ(bytes[0], 'a');
        EXPECT_EQ(bytes[1], 'b');
        EXPECT_EQ(bytes[2], 0);
        EXPECT_EQ(bytes[69999], 0);
        EXPECT_EQ(bytes[70000], 'z');
    }
    CFile r;
    ASSERT_TRUE(r.open((dir / "gap.bin").c_str(), "rb"));
    ASSERT_EQ(r.setpos(0, 90000), 1);
    EXPECT_EQ(r.getpos(), 70001);
    EXPECT_EQ(r.write("x", 1), 0);
    EXPECT_TRUE(r.close());
}

TEST(CFile, WritesTheSettingsTexts)
{
    TempFolder dir;
    CFile f;
    ASSERT_TRUE(f.open((dir / "t.dat").c_str(), "wb"));
    EXPECT_TRUE(f.write_string(""));
    EXPECT_EQ(f.fileSize, 0);
    EXPECT_TRUE(f.write_long(44100));
    EXPECT_TRUE(f.write_return());
    EXPECT_TRUE(f.write_int(-1));
    EXPECT_TRUE(f.write_return());
    EXPECT_TRUE(f.write_string("fin"));
    ASSERT_TRUE(f.close());
    auto bytes = read_all(dir / "t.dat");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "44100\n-1\nfin");
    EXPECT_FALSE(f.close());  // nothing open any more
}

TEST(CFile, AFullDiskShowsAsAShortWriteAndAFailedClose)
{
    CFile f;
    ASSERT_TRUE(f.open("/dev/full", "wb"));
    auto data = pattern(2 * CFile::kPageSize, 3);
    EXPECT_LT(f.write(data.data(), (int32_t)data.size()), (int32_t)data.size());
    EXPECT_FALSE(f.close());
    CFile small;
    ASSERT_TRUE(small.open("/dev/full", "wb"));
    EXPECT_EQ(small.write("abc", 3), 3);  // held in the page
    EXPECT_FALSE(small.close());
    CFile none;
    EXPECT_FALSE(none.open("/no/such/folder/x.bin", "wb"));
    EXPECT_FALSE(none.opened());
}

}  // namespace
