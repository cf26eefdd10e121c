#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"
#include "ocrdoc/ink_color.h"
#include "ocrdoc/mono_bitmap.h"
#include "ocrdoc/tests/fake_document_host.h"

namespace {

TEST(MonoDib, AllocatedWithWhiteBlackTable) {
    HDIB h = nullptr;
    ASSERT_TRUE(AllocMonoDib(&h, 33, 3));
    EXPECT_EQ(GlobalSize(h), 48u + 8 * 3);
    BITMAPINFOHEADER* header = nullptr;
    BYTE* bits = nullptr;
    ASSERT_TRUE(LockDib(h, &header, &bits));
    EXPECT_EQ(header->biSizeImage, 24u);
    EXPECT_EQ(header->biBitCount, 1);
    EXPECT_EQ(bits - reinterpret_cast<BYTE*>(header), 48);
    const BYTE* table = reinterpret_cast<BYTE*>(header) + 40;
    EXPECT_EQ(table[0], 255);
    EXPECT_EQ(table[4], 0);
    GlobalUnlock(h);
    GlobalFree(h);
    EXPECT_FALSE(AllocMonoDib(&h, 0, 3));
    EXPECT_FALSE(LockDib(nullptr, &header, &bits));
}

TEST(MonoDib, PlaneRowsRoundTripThroughAPageImage) {
    // Plane -> bitmap -> page image gives the same plane back.
    ScopedPage page;
    MakeMonoPage(page, 21, 7, [](int x, int y) { return (x * y) % 3 == 0; });
    const auto plane = PlaneOf(page);
    HDIB h = nullptr;
    ASSERT_TRUE(AllocMonoDib(&h, 21, 7));
    BITMAPINFOHEADER* header = nullptr;
    BYTE* bits = nullptr;
    ASSERT_TRUE(LockDib(h, &header, &bits));
    PackedRowsToMonoDib(bits, plane.data(), 21, 7, header);
    GlobalUnlock(h);
    ScopedPage again;
    ASSERT_EQ(again.AttachDib(h), 0);
    EXPECT_EQ(PlaneOf(again), plane);
}

TEST(MonoDib, BlackFirstTableInvertsTheRows) {
    const BYTE plane[2] = {0xF0, 0x0F};  // 8 x 2
    BYTE header[48] = {};
    reinterpret_cast<BITMAPINFOHEADER*>(header)->biSize = 40;  // table entry 0 = black (all zero)
    BYTE bits[8];
    PackedRowsToMonoDib(bits, plane, 8, 2, reinterpret_cast<BITMAPINFOHEADER*>(header));
    EXPECT_EQ(bits[0], 0xF0) << "bottom row first, inverted";
    EXPECT_EQ(bits[4], 0x0F);
    EXPECT_EQ(bits[1], 0xFF) << "padding inverted too";
}

TEST(ExpandBits, BlackIsZero) {
    const BYTE plane[2] = {0xA0, 0x00};  // 3 x 2
    BYTE out[6];
    ExpandBitsToBytes(out, plane, 3, 2);
    const BYTE expected[6] = {0, 255, 0, 255, 255, 255};
    EXPECT_EQ(std::memcmp(out, expected, 6), 0);
}

TEST(CopyGlobalBlock, SameSizeAndContents) {
    HGLOBAL h = GlobalAlloc(GHND, 5);
    std::memcpy(GlobalLock(h), "abcde", 5);
    GlobalUnlock(h);
    HGLOBAL c = CopyGlobalBlock(h);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(GlobalSize(c), 5u);
    EXPECT_EQ(std::memcmp(GlobalLock(c), "abcde", 5), 0);
    GlobalUnlock(c);
    GlobalFree(c);
    GlobalFree(h);
    HGLOBAL empty = GlobalAlloc(GHND, 0);
    EXPECT_EQ(CopyGlobalBlock(empty), nullptr);
    GlobalFree(empty);
}

TEST(ShellDeleteFile, RemovesTheFile) {
    const auto path = std::filesystem::temp_directory_path() / "ocrdoc_delete_test.tmp";
    std::ofstream(path) << "x";
    EXPECT_TRUE(ShellDeleteFile(path.string()));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(InkColor, RedTextAndBlackTextAndNoText) {
    CFakeDocumentHost shell;
    ScopedPage page;
    // Left half: red ink (blue 95, green 90, red 200) on white; right half: black ink.
    page.AttachDib(ColourDib(40, 20, [](int x, int y) {
                       if (y % 4 == 0) return x < 20 ? Bgr{95, 90, 200} : Bgr{10, 10, 10};
                       return Bgr{250, 250, 250};
                   }).Make());
    // The plane marks the ink rows black, whatever the binarisation made of them.
    page.AllocBits(page.PlaneBytes());
    const BYTE black[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int y = 0; y < 20; y += 4) ASSERT_TRUE(page.SetRectBits(RECT{0, y, 39, y}, black));
    COLORREF colour = 1;
    ASSERT_TRUE(GetPageInkColor(page, RECT{0, 0, 19, 19}, &colour));
    EXPECT_EQ(colour, RGB(200, 0, 0));
    ASSERT_TRUE(GetPageInkColor(page, RECT{20, 0, 39, 19}, &colour));
    EXPECT_EQ(colour, 0u);
    ASSERT_TRUE(GetPageInkColor(page, RECT{0, 1, 39, 3}, &colour));
    EXPECT_EQ(colour, 0u) << "no black pixel";
    EXPECT_TRUE(shell.messages.empty());
}

TEST(InkColor, NotAColourPage) {
    CFakeDocumentHost shell;
    ScopedPage page;
    page.AttachDib(GreyDib(16, 16, [](int, int) { return 0; }).Make());
    COLORREF colour = 5;
    EXPECT_FALSE(GetPageInkColor(page, RECT{0, 0, 7, 7}, &colour));
    EXPECT_EQ(colour, 0u);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], "It's not a color image");
}

}  // namespace
