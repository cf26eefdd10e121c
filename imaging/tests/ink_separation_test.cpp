#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"
#include "imaging/tests/fake_image_host.h"

namespace {

BYTE spread(int base, int x, int y) { return static_cast<BYTE>(base + (x * 13 + y * 7) % 9); }

bool inRing(int x, int y, int cx, int cy, int inner, int outer) {
    const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    return d2 >= inner * inner && d2 <= outer * outer;
}

// An official-document page at 300 dpi: black text in the upper part, a few
// small red characters, and a red seal 460 pixels across in the lower part.
struct OfficialPage {
    static constexpr int W = 900, H = 1300;
    static bool BlackText(int x, int y) { return y >= 60 && y < 420 && x >= 60 && x < 840 && x % 20 < 6 && y % 30 < 10; }
    static bool RedText(int x, int y) { return y >= 500 && y < 510 && x >= 100 && x < 300 && x % 20 < 6; }
    static bool Seal(int x, int y) { return inRing(x, y, 450, 900, 218, 230); }
    static TestDib Make(LONG pelsPerMeter = 11811) {
        auto dib = ColourDib(W, H, [](int x, int y) {
            if (Seal(x, y) || RedText(x, y)) return Bgr{spread(40, x, y), spread(35, x, y), spread(215, x, y)};
            if (BlackText(x, y)) return Bgr{spread(20, x, y), spread(22, x, y), spread(20, x, y)};
            return Bgr{spread(238, x, y), spread(240, x, y), spread(240, x, y)};
        });
        dib.xPelsPerMeter = pelsPerMeter;
        return dib;
    }
};

TEST(InkSeparation, SealIsRemovedAndReturnedRedTextStays) {
    ScopedPage page;
    ASSERT_EQ(page.AttachDib(OfficialPage::Make().Make()), 0);
    RECT seal{-1, -1, -1, -1};
    ASSERT_EQ(page.BinarizeRedAndDark(&seal), 1);
    // The smear works on whole bytes and reaches 3 rows above and 2 below the seal's ink.
    EXPECT_EQ(seal.left, (450 - 230) / 8 * 8);
    EXPECT_EQ(seal.right, (450 + 230) / 8 * 8 + 7);
    EXPECT_NEAR(seal.top, 900 - 230 - 3, 2);
    EXPECT_NEAR(seal.bottom, 900 + 230 + 2, 2);
    int sealInk = 0, redText = 0, redTextInk = 0, paperInk = 0;
    for (int y = 0; y < OfficialPage::H; y += 1)
        for (int x = 0; x < OfficialPage::W; x += 1) {
            const bool black = PixelOf(page, x, y);
            if (OfficialPage::Seal(x, y)) sealInk += black;
            if (OfficialPage::RedText(x, y)) {
                ++redText;
                redTextInk += black;
            }
            if (!OfficialPage::Seal(x, y) && !OfficialPage::RedText(x, y) && !OfficialPage::BlackText(x, y))
                paperInk += black;
        }
    EXPECT_EQ(sealInk, 0) << "the seal is kept out of the plane";
    EXPECT_EQ(redTextInk, redText) << "small red characters are text";
    EXPECT_EQ(paperInk, 0);
    EXPECT_TRUE(PixelOf(page, 61, 61)) << "black text is ink";
}

TEST(InkSeparation, PageWithoutRedGivesTheDarkMaskAndNoRectangle) {
    ScopedPage page;
    page.AttachDib(ColourDib(200, 200, [](int x, int y) {
                       if (OfficialPage::BlackText(x, y)) return Bgr{spread(20, x, y), spread(22, x, y), spread(20, x, y)};
                       return Bgr{spread(238, x, y), spread(240, x, y), spread(240, x, y)};
                   }).Make());
    RECT seal{1, 2, 3, 4};
    ASSERT_EQ(page.BinarizeOfficial(&seal), 1);
    EXPECT_EQ(seal.left + seal.top + seal.right + seal.bottom, 0);
    HGLOBAL dark = nullptr;
    ASSERT_EQ(CPageImage::ExtractDarkPlane(page.m_hDib, &dark), 1);
    std::vector<BYTE> mask(GlobalSize(dark));
    std::memcpy(mask.data(), GlobalLock(dark), mask.size());
    GlobalUnlock(dark);
    GlobalFree(dark);
    EXPECT_EQ(PlaneOf(page), mask);
}

TEST(InkSeparation, MasksNeedAColourBitmap) {
    ScopedPage grey;
    grey.AttachDib(GreyDib(16, 16, [](int, int) { return 0; }).Make());
    HGLOBAL mask = nullptr;
    EXPECT_EQ(CPageImage::ExtractDarkPlane(grey.m_hDib, &mask), 0);
    EXPECT_EQ(CPageImage::ExtractRedPlane(grey.m_hDib, &mask), 0);
    EXPECT_EQ(mask, nullptr);
    RECT r{};
    EXPECT_EQ(grey.BinarizeRedAndDark(&r), 0);
}

TEST(PageResolution, FromTheHeaderTruncated) {
    ScopedPage page;
    page.AttachDib(ColourDib(16, 16, [](int, int) { return Bgr{255, 255, 255}; }).Make());
    auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(page.m_hDib));
    h->biXPelsPerMeter = 11811;
    GlobalUnlock(page.m_hDib);
    EXPECT_EQ(page.PageResolution(), 299);
}

TEST(PageResolution, MissingResolutionFallsBackToThePageListThen300) {
    ScopedPage page;
    page.AttachDib(ColourDib(16, 16, [](int, int) { return Bgr{255, 255, 255}; }).Make());
    EXPECT_EQ(page.PageResolution(), 300);
    CFakeImageHost shell;
    shell.currentRow = 2;
    shell.cells[{2, kPageListResolution}] = "200";
    EXPECT_EQ(page.PageResolution(), 200);
    shell.cells[{2, kPageListResolution}] = " ";
    EXPECT_EQ(page.PageResolution(), 300);
}

TEST(PageResolution, ValuesOutsideOneToTenThousandDpiAreUnknown) {
    ScopedPage page;
    page.AttachDib(ColourDib(16, 16, [](int, int) { return Bgr{255, 255, 255}; }).Make());
    auto setPelsPerMeter = [&](LONG ppm) {
        auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(page.m_hDib));
        h->biXPelsPerMeter = ppm;
        GlobalUnlock(page.m_hDib);
    };
    struct Case {
        LONG ppm;
        int dpi;
    } cases[] = {{40, 1}, {39, 300}, {393700, 9999}, {393740, 10000}, {393741, 300}, {1642071291, 300}, {-11811, 300},
                 {0x7FFFFFFF, 300}, {static_cast<LONG>(0x80000000u), 300}};
    for (const Case& c : cases) {
        setPelsPerMeter(c.ppm);
        EXPECT_EQ(page.PageResolution(), c.dpi) << c.ppm << " pixels per metre";
    }
    // The page list's value is bounded the same way.
    setPelsPerMeter(1642071291);
    CFakeImageHost shell;
    shell.currentRow = 0;
    shell.cells[{0, kPageListResolution}] = "41707611";
    EXPECT_EQ(page.PageResolution(), 300);
    shell.cells[{0, kPageListResolution}] = "600";
    EXPECT_EQ(page.PageResolution(), 600);
}

TEST(InkSeparation, DamagedHeaderResolutionCountsAsUnknown) {
    // 1,642,071,291 pixels per metre would be 41.7 million dpi: the page is
    // taken at the default 300 dpi and separates as the 300-dpi page does.
    ScopedPage damaged, sound;
    ASSERT_EQ(damaged.AttachDib(OfficialPage::Make(1642071291).Make()), 0);
    ASSERT_EQ(sound.AttachDib(OfficialPage::Make(11811).Make()), 0);
    const DWORD bytes = sound.PlaneBytes();
    auto planeOf = [bytes](const CPageImage& p) {
        std::vector<BYTE> v(bytes);
        CopyFromGlobal(p.m_hBits, 0, v.data(), bytes);
        return v;
    };
    EXPECT_EQ(planeOf(damaged), planeOf(sound)) << "binarisation does not depend on the resolution";
    RECT damagedSeal{}, soundSeal{};
    ASSERT_EQ(damaged.BinarizeOfficial(&damagedSeal), 1);
    ASSERT_EQ(sound.BinarizeOfficial(&soundSeal), 1);
    EXPECT_EQ(damagedSeal.left, soundSeal.left);
    EXPECT_EQ(damagedSeal.top, soundSeal.top);
    EXPECT_EQ(damagedSeal.right, soundSeal.right);
    EXPECT_EQ(damagedSeal.bottom, soundSeal.bottom);
    EXPECT_GT(damagedSeal.right - damagedSeal.left, 400) << "the seal is found";
    EXPECT_EQ(planeOf(damaged), planeOf(sound)) << "the seal is kept out of the plane";
}

TEST(InkSeparation, ZeroResolutionDoesNotTurnRedTextIntoSeals) {
    // With r = 0 every red blob would exceed the size limit.
    ScopedPage page;
    ASSERT_EQ(page.AttachDib(OfficialPage::Make(0).Make()), 0);
    RECT seal{};
    ASSERT_EQ(page.BinarizeRedAndDark(&seal), 1);
    EXPECT_EQ(seal.left, 216) << "only the seal is a seal";
    EXPECT_TRUE(PixelOf(page, 100, 505)) << "red text stays in the plane";
}

// A mask holding one square blob.
std::vector<BYTE> squareMask(int w, int h, int left, int top, int size) {
    std::vector<BYTE> m(static_cast<std::size_t>((w + 7) / 8) * h, 0);
    for (int y = top; y < top + size; ++y)
        for (int x = left; x < left + size; ++x) m[y * ((w + 7) / 8) + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    return m;
}

TEST(FindInkRegion, HugeResolutionDoesNotOverflow) {
    const int w = 600, h = 600;
    auto mask = squareMask(w, h, 100, 100, 400);
    RECT out{-1, -1, -1, -1};
    for (int r : {0x7FFFFFFF, 41707611}) {
        EXPECT_TRUE(CPageImage::FindInkRegionIn(mask.data(), w, h, &out, r, nullptr, 1));
        EXPECT_EQ(out.right, 0) << "no blob is that large";
        EXPECT_TRUE(CPageImage::FindInkRegionIn(mask.data(), w, h, &out, r, nullptr, 0));
        EXPECT_EQ(out.right, 0);
    }
}

TEST(FindInkRegion, SizeLimitGrowsInTheUpperThird) {
    const int w = 1200, h = 1500;
    struct Case {
        int top, size;
        bool counts;
    } cases[] = {{800, 300, true}, {800, 299, false}, {100, 379, true}, {100, 378, false}};
    for (const auto& c : cases) {
        auto mask = squareMask(w, h, 200, c.top, c.size);
        auto clear = mask;
        RECT out{9, 9, 9, 9};
        ASSERT_TRUE(CPageImage::FindInkRegionIn(mask.data(), w, h, &out, 299, clear.data(), 0));
        if (c.counts) {
            EXPECT_EQ(out.left, 200);
            EXPECT_EQ(out.bottom, c.top + c.size - 1);
            EXPECT_EQ(std::count(clear.begin(), clear.end(), 0), static_cast<long>(clear.size()));
        } else {
            EXPECT_EQ(out.left + out.top + out.right + out.bottom, 0) << c.size;
            EXPECT_EQ(clear, mask);
        }
    }
}

TEST(Morphology, DilateErodeAndSmear) {
    const int w = 24, h = 8, rb = 3;
    std::vector<BYTE> in(rb * h, 0), out(rb * h, 0);
    in[3 * rb + 0] = 0x01;  // pixel (7, 3): its right neighbour lies in the next byte
    CPageImage::DilateBits(out.data(), in.data(), w, h);
    for (int y = 2; y <= 4; ++y) {
        EXPECT_EQ(out[y * rb + 0], 0x03) << y;
        EXPECT_EQ(out[y * rb + 1], 0x80) << y;
    }
    EXPECT_EQ(out[1 * rb], 0);
    std::vector<BYTE> eroded(rb * h, 0xFF);
    CPageImage::ErodeBits(eroded.data(), out.data(), w, h);
    EXPECT_EQ(eroded[3 * rb + 0], 0x01) << "erosion undoes the dilation of a single pixel";
    EXPECT_EQ(eroded[3 * rb + 1], 0x00);
    EXPECT_EQ(eroded[2 * rb + 0], 0x00);

    std::vector<BYTE> mask(2 * 20, 0), smeared(2 * 20, 0);
    mask[10 * 2 + 1] = 0x10;
    mask[2 * 2] = 0x01;  // row 2 is outside the smeared rows 4 .. height - 5
    CPageImage::SmearRows(smeared.data(), mask.data(), 16, 20);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(smeared[y * 2 + 1], (y >= 7 && y <= 12) ? 0xFF : 0) << y;
    EXPECT_EQ(smeared[2 * 2], 0);
}

TEST(CleanColorPicture, TextCrossingTheSealTakesItsColourAndPaperTurnsWhite) {
    const int n = 120;
    auto dib = ColourDib(n, n, [](int x, int y) {
        if (y >= 58 && y <= 61 && x >= 10 && x <= 110) return Bgr{spread(20, x, y), spread(20, x, y), spread(20, x, y)};
        if (inRing(x, y, 60, 60, 36, 44)) return Bgr{spread(40, x, y), spread(35, x, y), spread(210, x, y)};
        return Bgr{spread(200, x, y), spread(220, x, y), spread(225, x, y)};
    });
    HDIB h = dib.Make();
    ASSERT_EQ(CPageImage::CleanColorPicture(h), 1);
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    const DWORD stride = WIDTHBYTES(n * 24);
    auto pixel = [&](int x, int y) { return p + 40 + static_cast<std::size_t>(n - 1 - y) * stride + x * 3; };
    EXPECT_EQ(pixel(2, 2)[0], 255);
    EXPECT_EQ(pixel(2, 2)[2], 255);
    EXPECT_EQ(pixel(12, 60)[1], 255) << "text outside the seal is whitened";
    const BYTE* crossing = pixel(20, 60);  // the bar on the ring's left edge
    EXPECT_GT(crossing[2], 150);
    EXPECT_LT(crossing[1], 100);
    EXPECT_GT(pixel(60, 20)[2], 150) << "the seal itself stays";
    GlobalUnlock(h);
    GlobalFree(h);
}

}  // namespace

namespace {

TEST(OfficialRotation, TurnedColourPageFindsTheSealAgain) {
    ScopedPage page;
    ASSERT_EQ(page.AttachDib(OfficialPage::Make().Make()), 0);
    RECT seal{-1, -1, -1, -1};
    ASSERT_EQ(page.RotateRightOfficial(&seal), 1);
    EXPECT_EQ(page.m_nWidth, OfficialPage::H);
    // Clockwise: old (x, y) goes to (H - 1 - y, x); the seal's centre (450, 900) to (399, 450).
    EXPECT_NEAR((seal.left + seal.right) / 2, OfficialPage::H - 1 - 900, 8);
    EXPECT_NEAR((seal.top + seal.bottom) / 2, 450, 8);
    EXPECT_FALSE(PixelOf(page, OfficialPage::H - 1 - 900, 450 - 224)) << "seal ink stays out of the plane";
    ScopedPage grey;
    grey.AttachDib(GreyDib(20, 10, [](int, int) { return 0; }).Make());
    RECT none{5, 5, 5, 5};
    ASSERT_EQ(grey.RotateLeftOfficial(&none), 1);
    EXPECT_EQ(none.left + none.top + none.right + none.bottom, 0);
    EXPECT_TRUE(PixelOf(grey, 3, 3));
}

}  // namespace
