#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "imaging/block_list.h"

namespace {

struct Bitmap {
    int width, height, rowBytes;
    std::vector<BYTE> bits;
    Bitmap(int w, int h) : width(w), height(h), rowBytes((w + 7) / 8), bits(static_cast<std::size_t>(rowBytes) * h) {}
    void Set(int x, int y) { bits[y * rowBytes + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8)); }
    bool Get(int x, int y) const { return (bits[y * rowBytes + x / 8] >> (7 - x % 8)) & 1; }
    void Fill(int l, int t, int r, int b) {
        for (int y = t; y <= b; ++y)
            for (int x = l; x <= r; ++x) Set(x, y);
    }
};

std::vector<BlockRecord> blocksOf(const Bitmap& bmp, int resolution = 300, int mergeFlag = -1) {
    CBlockList list;
    EXPECT_TRUE(list.SetImage(bmp.bits.data(), bmp.width, bmp.height, resolution));
    EXPECT_TRUE(list.FindBlocks());
    if (mergeFlag >= 0) list.MergeBlocks(mergeFlag);
    std::vector<BlockRecord> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Block(i));
    return out;
}

TEST(BlockList, CornerContactJoins) {
    Bitmap bmp(16, 4);
    bmp.Set(3, 1);
    bmp.Set(4, 2);
    auto blocks = blocksOf(bmp);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].left, 3);
    EXPECT_EQ(blocks[0].right, 4);
    EXPECT_EQ(blocks[0].top, 1);
    EXPECT_EQ(blocks[0].bottom, 2);
}

TEST(BlockList, UShapeBecomesOneBlockOpenedFirst) {
    Bitmap bmp(40, 10);
    bmp.Fill(2, 0, 3, 8);    // left arm, opened first
    bmp.Fill(20, 0, 21, 8);  // right arm
    bmp.Fill(2, 9, 21, 9);   // joining bottom
    bmp.Fill(30, 2, 31, 3);  // a separate blob opened after the arms
    auto blocks = blocksOf(bmp);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].left, 2);
    EXPECT_EQ(blocks[0].right, 21);
    EXPECT_EQ(blocks[0].bottom, 9);
    EXPECT_EQ(blocks[1].left, 30);
}

TEST(BlockList, RunsContinueAcrossBytesAndStopAtTheWidth) {
    Bitmap bmp(13, 2);
    bmp.Fill(5, 0, 12, 0);
    bmp.bits[1] |= 0x07;  // padding bits past the width
    auto blocks = blocksOf(bmp);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].left, 5);
    EXPECT_EQ(blocks[0].right, 12);
}

TEST(BlockList, ManyDotsGrowTheArray) {
    Bitmap bmp(400, 100);
    for (int y = 0; y < 100; y += 2)
        for (int x = 0; x < 400; x += 4) bmp.Set(x, y);
    EXPECT_EQ(blocksOf(bmp).size(), 50u * 100);
}

TEST(BlockList, WideRowsWithMoreThan2500RunsAreHandled) {
    Bitmap bmp(6000, 2);
    for (int x = 0; x < 6000; x += 2) bmp.Set(x, 0);
    EXPECT_EQ(blocksOf(bmp).size(), 3000u);
}

// The labelling agrees with a plain flood fill on random images.
TEST(BlockList, AgreesWithAFloodFill) {
    std::mt19937 rng(2);
    for (int round = 0; round < 20; ++round) {
        Bitmap bmp(61, 47);
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x)
                if (rng() % 100 < 30) bmp.Set(x, y);
        std::vector<int> label(bmp.width * bmp.height, -1);
        std::multiset<std::tuple<int, int, int, int>> expected;
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x) {
                if (!bmp.Get(x, y) || label[y * bmp.width + x] >= 0) continue;
                int l = x, r = x, t = y, b = y;
                std::vector<std::pair<int, int>> stack{{x, y}};
                label[y * bmp.width + x] = 1;
                while (!stack.empty()) {
                    auto [cx, cy] = stack.back();
                    stack.pop_back();
                    l = std::min(l, cx), r = std::max(r, cx), t = std::min(t, cy), b = std::max(b, cy);
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = cx + dx, ny = cy + dy;
                            if (nx < 0 || ny < 0 || nx >= bmp.width || ny >= bmp.height) continue;
                            if (!bmp.Get(nx, ny) || label[ny * bmp.width + nx] >= 0) continue;
                            label[ny * bmp.width + nx] = 1;
                            stack.push_back({nx, ny});
                        }
                }
                expected.insert({l, t, r, b});
            }
        std::multiset<std::tuple<int, int, int, int>> found;
        for (const auto& blk : blocksOf(bmp)) found.insert({blk.left, blk.top, blk.right, blk.bottom});
        ASSERT_EQ(found, expected) << "round " << round;
    }
}

TEST(BlockListMerge, MarginAndSizeLimitsAt300Dpi) {
    Bitmap bmp(1200, 200);
    bmp.Fill(19, 50, 25, 60);   // left edge at 19: inside the 20-pixel margin
    bmp.Fill(100, 50, 110, 60);
    auto kept = blocksOf(bmp, 300, 1);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].left, 100);
    EXPECT_EQ(blocksOf(bmp, 300, 0).size(), 2u);

    Bitmap wide(1100, 100);
    wide.Fill(30, 30, 1030, 31);  // right - left = 1000 stays
    EXPECT_EQ(blocksOf(wide, 300, 1).size(), 1u);
    Bitmap wider(1100, 100);
    wider.Fill(30, 30, 1031, 31);  // 1001 is dropped
    EXPECT_EQ(blocksOf(wider, 300, 1).size(), 0u);
}

TEST(BlockListMerge, GrownBoxTakesLaterOverlaps) {
    Bitmap bmp(100, 40);
    for (int i = 0; i <= 10; ++i) {
        bmp.Set(10 + i, 10 + i);  // A: box 10..20 x 10..20
        bmp.Set(18 + i, 25 - i);  // B: box 18..28 x 15..25, overlapping A's box without touching A
    }
    bmp.Fill(10, 22, 12, 23);  // C: overlaps neither box alone, only their union
    ASSERT_EQ(blocksOf(bmp).size(), 3u);
    auto merged = blocksOf(bmp, 300, 0);
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].left, 10);
    EXPECT_EQ(merged[0].top, 10);
    EXPECT_EQ(merged[0].right, 28);
    EXPECT_EQ(merged[0].bottom, 25);
}

TEST(BoxesOverlap, TouchingCounts) {
    EXPECT_TRUE(BoxesOverlap(RECT{0, 0, 5, 5}, RECT{5, 5, 9, 9}));
    EXPECT_FALSE(BoxesOverlap(RECT{0, 0, 5, 5}, RECT{6, 0, 9, 5}));
    EXPECT_FALSE(BoxesOverlap(RECT{0, 0, 5, 5}, RECT{0, 6, 5, 9}));
}

TEST(SortByTop, AscendingAndMarksCleared) {
    BlockRecord r[3] = {{0, 9, 1, 10, 1}, {0, 2, 1, 3, 1}, {5, 5, 6, 6, 0}};
    CBlockList::SortByTop(r, 3);
    EXPECT_EQ(r[0].top, 2);
    EXPECT_EQ(r[2].top, 9);
    EXPECT_EQ(r[0].merged + r[1].merged + r[2].merged, 0);
}

}  // namespace
