#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/tests/dib_builder.h"
#include "ocrdoc/result/reco_result.h"
#include "ocrdoc/result/tests/result_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/afx/core/gdi.h"

namespace {

// A 1-bit bitmap the line strip is drawn into, read back as packed rows.
struct Strip {
    int width, height;
    HBITMAP bitmap;
    Strip(int w, int h) : width(w), height(h), bitmap(CreateBitmap(w, h, 1, 1, nullptr)) {}
    ~Strip() { DeleteObject(bitmap); }
    std::size_t Stride() const { return ((static_cast<std::size_t>(width) + 15) / 16) * 2; }
    std::vector<BYTE> Bits() const {
        std::vector<BYTE> bits(Stride() * static_cast<std::size_t>(height));
        GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data());
        return bits;
    }
    bool Pixel(const std::vector<BYTE>& bits, int x, int y) const {
        return (bits[static_cast<std::size_t>(y) * Stride() + static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
    }
};

bool InBox(const RecoCharInfo& r, int x, int y) {
    RECT b = RecoCharBox(r);
    return x >= b.left && x <= b.right && y >= b.top && y <= b.bottom;
}

// A page whose ink is exactly the boxes of the records.
void InkPage(ScopedPage& page, int w, int h, const std::vector<RecoCharInfo>& recs) {
    MakeMonoPage(page, w, h, [&](int x, int y) {
        for (const RecoCharInfo& r : recs)
            if (InBox(r, x, y)) return true;
        return false;
    });
}

// A page inked with the records' boxes and a strip bitmap to render into.
struct Scene {
    ScopedPage page;
    Strip strip;
    SIZE size{};
    int startCol = -1;
    Scene(int pageW, int pageH, const std::vector<RecoCharInfo>& recs, int stripW, int stripH) : strip(stripW, stripH) {
        InkPage(page, pageW, pageH, recs);
    }
    bool Render(CRecoResult& store, UINT row = 0) {
        return store.RenderLineImage(row, &page, strip.bitmap, strip.width, strip.height, &size, &startCol) != FALSE;
    }
};

TEST(LineImage, HorizontalLineCopiesThePageStripUnderItsBoxes) {
    CFakeDocumentHost shell;
    std::vector<RecoCharInfo> recs = {MakeRecord(0, 0, 'A', 16, 10, 8, 12), MakeRecord(0, 0, 'A', 24, 10, 8, 12)};
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, RecoUnit(0, 'a', 0) + RecoUnit(0, 'b', 1) + "\r\n", recs));
    Scene sc(64, 40, recs, 64, 32);
    ASSERT_TRUE(sc.Render(store));
    EXPECT_EQ(sc.size.cx, 17);  // from x 16 to 32
    EXPECT_EQ(sc.size.cy, 13);  // rows 10 to 22
    EXPECT_EQ(sc.startCol, 0);
    std::vector<BYTE> bits = sc.strip.Bits();
    EXPECT_TRUE(sc.strip.Pixel(bits, 0, 0));     // page (16, 10)
    EXPECT_TRUE(sc.strip.Pixel(bits, 15, 11));   // page (31, 21)
    EXPECT_FALSE(sc.strip.Pixel(bits, 0, 12));   // page row 22 is below the boxes
    EXPECT_FALSE(sc.strip.Pixel(bits, 16, 0));   // page (32, 10)
    EXPECT_EQ(store.m_nStripBlock, 0);
    EXPECT_EQ(store.m_nStripLine, 0);
}

TEST(LineImage, VerticalLineSetsItsCharactersSideBySide) {
    CFakeDocumentHost shell;
    RecoCharInfo a = MakeRecord(0, 0, 'A'), b = MakeRecord(0, 0, 'A');
    for (RecoCharInfo* r : {&a, &b}) {
        r->byFlags = kRecoVertical;
        r->nBoxAcross = 20;  // right x
        r->nBoxThick = 10;   // width
        r->nLineY = 5;
    }
    a.nBoxAlong = 5;
    a.nBoxLen = 12;
    b.nBoxAlong = 20;
    b.nBoxLen = 8;
    std::vector<RecoCharInfo> recs = {a, b};
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, RecoUnit(0xD6, 0xD0, 0) + RecoUnit(0xB9, 0xFA, 1) + "\r\n", recs));
    Scene sc(64, 64, recs, 48, 16);
    ASSERT_TRUE(sc.Render(store));
    EXPECT_EQ(sc.size.cx, 24);  // two squares of the tallest height, 12
    EXPECT_EQ(sc.size.cy, 12);
    std::vector<BYTE> bits = sc.strip.Bits();
    EXPECT_TRUE(sc.strip.Pixel(bits, 0, 0));
    EXPECT_TRUE(sc.strip.Pixel(bits, 9, 11));
    EXPECT_FALSE(sc.strip.Pixel(bits, 10, 0));
    // The shorter second character is centred: rows 2 to 9 from x 12.
    EXPECT_FALSE(sc.strip.Pixel(bits, 12, 1));
    EXPECT_TRUE(sc.strip.Pixel(bits, 12, 2));
    EXPECT_TRUE(sc.strip.Pixel(bits, 21, 9));
    EXPECT_FALSE(sc.strip.Pixel(bits, 12, 10));
}

TEST(LineImage, OnlyTheFirstCharactersBlockLineCounts) {
    CFakeDocumentHost shell;
    // Line 0 of block 0, then line 1 of block 1, then line 0 of block 1.
    std::vector<RecoCharInfo> recs = {MakeRecord(0, 0, 'A', 8, 10, 8, 12), MakeRecord(1, 1, 'A', 40, 10, 8, 12),
                                      MakeRecord(1, 0, 'A', 50, 10, 8, 12)};
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, RecoUnit(0, 'a', 0) + RecoUnit(0, 'b', 1) + RecoUnit(0, 'c', 2) + "\r\n", recs));
    Scene sc(64, 40, recs, 64, 32);
    ASSERT_TRUE(sc.Render(store));
    EXPECT_EQ(sc.size.cx, 9);  // x 8 to 16: the first character alone
    EXPECT_EQ(store.m_nStripBlock, 0);
}

TEST(LineImage, TheCaretsPartOfATableRowStartsAfterItsRule) {
    CFakeDocumentHost shell;
    std::vector<RecoCharInfo> recs = {MakeRecord(0, 0, 'A', 8, 10, 8, 12), MakeRecord(1, 0, 'A', 40, 10, 8, 12)};
    const std::string v = "\xA9\xA7";
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, v + RecoUnit(0, 'a', 0) + v + RecoUnit(0, 'b', 1) + v + "\r\n", recs));
    store.m_nCaretOffset = 2 + 6 + 2;  // on b
    Scene sc(64, 40, recs, 64, 32);
    ASSERT_TRUE(sc.Render(store));
    EXPECT_EQ(sc.startCol, 5);  // rule, a, rule
    EXPECT_EQ(store.m_nStripBlock, 1);
    EXPECT_EQ(sc.size.cx, 9);  // b alone, x 40 to 48
}

TEST(LineImage, BoxesOutsideThePageAndBitmapAreCut) {
    CFakeDocumentHost shell;
    // Boxes past the page's right and bottom edges, and before its top.
    RecoCharInfo wide = MakeRecord(0, 0, 'A', 60, 30, 300, 200);
    RecoCharInfo high = MakeRecord(0, 0, 'A', 20, -50, 8, 12);
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, RecoUnit(0, 'a', 0) + RecoUnit(0, 'b', 1) + "\r\n", {high, wide}));
    Scene sc(64, 40, {}, 16, 8);
    ASSERT_TRUE(sc.Render(store));
    EXPECT_EQ(sc.size.cx, 16);
    EXPECT_EQ(sc.size.cy, 8);
    // Vertical characters whose boxes leave the page are left blank.
    for (RecoCharInfo* r : {&wide, &high}) r->byFlags = kRecoVertical;
    ASSERT_TRUE(LoadText(store, RecoUnit(0, 'a', 0) + RecoUnit(0, 'b', 1) + "\r\n", {wide, high}));
    sc.Render(store);
    EXPECT_LE(sc.size.cx, 16);
    EXPECT_LE(sc.size.cy, 8);
    // A line without recognised characters, or past the last line, draws nothing.
    ASSERT_TRUE(LoadText(store, "typed\r\n", {}));
    EXPECT_FALSE(sc.Render(store));
    EXPECT_EQ(sc.size.cy, 0);
    EXPECT_FALSE(sc.Render(store, 5));
}

}  // namespace
