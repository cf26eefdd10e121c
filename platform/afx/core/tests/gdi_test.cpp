#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include <cstring>
#include <vector>

#include "platform/afx/core/afxgdi.h"
#include "platform/afx/core/clipboard.h"
#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/drawdib.h"
#include "platform/win/memory.h"

namespace {

// One application object for the tests that need fonts or the clipboard.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "afx_core_tests";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance()) m_app = new QGuiApplication(argc, argv);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    QGuiApplication* m_app = nullptr;
};
const auto* g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// A memory DC with a bitmap of the given depth selected.
struct Canvas {
    Canvas(int w, int h, int bpp) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(w, h, 1, static_cast<UINT>(bpp), nullptr);
        old = dc.SelectObject(&bitmap);
    }
    ~Canvas() { dc.SelectObject(old); }
    void Fill(COLORREF c) {
        CRect all(0, 0, 1000, 1000);
        CBrush b(c);
        dc.FillRect(&all, &b);
    }
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

COLORREF Mix(int i) { return RGB(static_cast<BYTE>(37 * i + 11), static_cast<BYTE>(91 * i + 200), static_cast<BYTE>(13 * i + 90)); }

// The binary raster operations written out one by one.
DWORD Naive2(int rop, DWORD p, DWORD d) {
    switch (rop) {
    case R2_BLACK: return 0;
    case R2_NOTMERGEPEN: return ~(d | p);
    case R2_MASKNOTPEN: return d & ~p;
    case R2_NOTCOPYPEN: return ~p;
    case R2_MASKPENNOT: return p & ~d;
    case R2_NOT: return ~d;
    case R2_XORPEN: return d ^ p;
    case R2_NOTMASKPEN: return ~(d & p);
    case R2_MASKPEN: return d & p;
    case R2_NOTXORPEN: return ~(d ^ p);
    case R2_NOP: return d;
    case R2_MERGENOTPEN: return d | ~p;
    case R2_COPYPEN: return p;
    case R2_MERGEPENNOT: return p | ~d;
    case R2_MERGEPEN: return d | p;
    default: return 0xFFFFFF;
    }
}

}  // namespace

TEST(RasterOps, EveryBinaryOperationMatchesItsFormula) {
    const COLORREF pen = RGB(0x5A, 0xC3, 0x0F);
    for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
        Canvas c(16, 1, 24);
        for (int x = 0; x < 16; ++x) c.dc.SetPixel(x, 0, Mix(x));
        CPen p(PS_SOLID, 1, pen);
        CPen* oldPen = c.dc.SelectObject(&p);
        c.dc.SetROP2(rop);
        c.dc.MoveTo(0, 0);
        c.dc.LineTo(16, 0);
        c.dc.SelectObject(oldPen);
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(c.dc.GetPixel(x, 0), Naive2(rop, pen, Mix(x)) & 0xFFFFFF) << "rop " << rop << " x " << x;
        }
    }
}

TEST(RasterOps, NotXorTwiceRestoresTheImage) {
    Canvas c(40, 30, 24);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) c.dc.SetPixel(x, y, Mix(x * 3 + y));
    }
    std::vector<COLORREF> before;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) before.push_back(c.dc.GetPixel(x, y));
    }
    CPen p(PS_SOLID, 1, RGB(0, 0, 0));
    c.dc.SelectObject(&p);
    c.dc.SelectStockObject(NULL_BRUSH);
    c.dc.SetROP2(R2_NOTXORPEN);
    for (int pass = 0; pass < 2; ++pass) {
        c.dc.Rectangle(3, 4, 30, 25);  // a rubber-band frame
        c.dc.MoveTo(0, 0);
        c.dc.LineTo(39, 29);
        POINT tri[3] = {{5, 5}, {35, 8}, {20, 28}};
        c.dc.Polyline(tri, 3);
        if (pass == 0) {
            EXPECT_NE(c.dc.GetPixel(3, 10), before[10 * 40 + 3]) << "the first pass changes the frame";
        }
    }
    c.dc.SelectStockObject(BLACK_PEN);
    size_t i = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x, ++i) ASSERT_EQ(c.dc.GetPixel(x, y), before[i]) << x << "," << y;
    }
}

TEST(RasterOps, TernaryCodesMatchTheirFormulas) {
    struct Code {
        DWORD rop;
        DWORD (*f)(DWORD p, DWORD s, DWORD d);
    };
    const Code codes[] = {
        {SRCCOPY, [](DWORD, DWORD s, DWORD) { return s; }},
        {SRCPAINT, [](DWORD, DWORD s, DWORD d) { return s | d; }},
        {SRCAND, [](DWORD, DWORD s, DWORD d) { return s & d; }},
        {SRCINVERT, [](DWORD, DWORD s, DWORD d) { return s ^ d; }},
        {SRCERASE, [](DWORD, DWORD s, DWORD d) { return s & ~d; }},
        {NOTSRCCOPY, [](DWORD, DWORD s, DWORD) { return ~s; }},
        {NOTSRCERASE, [](DWORD, DWORD s, DWORD d) { return ~(s | d); }},
        {MERGECOPY, [](DWORD p, DWORD s, DWORD) { return p & s; }},
        {MERGEPAINT, [](DWORD, DWORD s, DWORD d) { return ~s | d; }},
        {PATCOPY, [](DWORD p, DWORD, DWORD) { return p; }},
        {PATPAINT, [](DWORD p, DWORD s, DWORD d) { return p | ~s | d; }},
        {PATINVERT, [](DWORD p, DWORD, DWORD d) { return p ^ d; }},
        {DSTINVERT, [](DWORD, DWORD, DWORD d) { return ~d; }},
        {BLACKNESS, [](DWORD, DWORD, DWORD) { return DWORD{0}; }},
        {WHITENESS, [](DWORD, DWORD, DWORD) { return DWORD{0xFFFFFF}; }},
    };
    const COLORREF pattern = RGB(0x33, 0xF0, 0x81);
    for (const Code& code : codes) {
        Canvas src(8, 2, 24), dst(8, 2, 24);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 8; ++x) {
                src.dc.SetPixel(x, y, Mix(x + 8 * y));
                dst.dc.SetPixel(x, y, Mix(100 - x - 3 * y));
            }
        }
        CBrush brush(pattern);
        dst.dc.SelectObject(&brush);
        ASSERT_TRUE(dst.dc.BitBlt(0, 0, 8, 2, &src.dc, 0, 0, code.rop));
        dst.dc.SelectStockObject(WHITE_BRUSH);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 8; ++x) {
                DWORD want = code.f(pattern, Mix(x + 8 * y), Mix(100 - x - 3 * y)) & 0xFFFFFF;
                EXPECT_EQ(dst.dc.GetPixel(x, y), want) << std::hex << "rop " << code.rop << " at " << x << "," << y;
            }
        }
    }
}

// Plain copies take the source's rows whole: still only inside the clip and
// only where the source has pixels, and a window copied onto itself (as a
// scroll does) moves rather than smears.
TEST(RasterOps, PlainCopiesKeepToTheClipTheSourceAndOverlaps) {
    Canvas src(6, 4, 32), dst(10, 10, 32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) src.dc.SetPixel(x, y, Mix(x + 6 * y));
    dst.Fill(RGB(255, 255, 255));
    const int saved = dst.dc.SaveDC();
    dst.dc.IntersectClipRect(0, 0, 10, 3);
    ASSERT_TRUE(dst.dc.BitBlt(2, 1, 6, 4, &src.dc, 3, 1, SRCCOPY));
    dst.dc.RestoreDC(saved);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool copied = x >= 2 && x < 5 && y >= 1 && y < 3;  // 3 columns left in the source, 2 rows in the clip
            const COLORREF want = copied ? Mix(x - 2 + 3 + 6 * (y - 1 + 1)) : RGB(255, 255, 255);
            EXPECT_EQ(dst.dc.GetPixel(x, y), want) << x << "," << y;
        }

    Canvas row(8, 1, 32);
    for (int x = 0; x < 8; ++x) row.dc.SetPixel(x, 0, Mix(x));
    ASSERT_TRUE(row.dc.BitBlt(1, 0, 7, 1, &row.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(row.dc.GetPixel(0, 0), Mix(0));
    for (int x = 1; x < 8; ++x) EXPECT_EQ(row.dc.GetPixel(x, 0), Mix(x - 1)) << x;
}

TEST(Bitmaps, MonochromeBlitsTakeTextAndBackgroundColours) {
    // A 16x1 monochrome bitmap: bits 1010... (1 is white).
    const BYTE bits[2] = {0xAA, 0x0F};
    CBitmap mono;
    ASSERT_TRUE(mono.CreateBitmap(16, 1, 1, 1, bits));
    CDC monoDC;
    monoDC.CreateCompatibleDC(nullptr);
    CBitmap* old = monoDC.SelectObject(&mono);

    Canvas colour(16, 1, 24);
    colour.dc.SetTextColor(RGB(200, 0, 0));
    colour.dc.SetBkColor(RGB(0, 0, 180));
    colour.dc.BitBlt(0, 0, 16, 1, &monoDC, 0, 0, SRCCOPY);
    for (int x = 0; x < 16; ++x) {
        bool white = (bits[x / 8] >> (7 - x % 8)) & 1;
        EXPECT_EQ(colour.dc.GetPixel(x, 0), white ? RGB(0, 0, 180) : RGB(200, 0, 0)) << x;
    }

    // Colour to monochrome: pixels of the source's background colour become white.
    colour.dc.SetBkColor(RGB(200, 0, 0));
    CBitmap back;
    back.CreateBitmap(16, 1, 1, 1, nullptr);
    monoDC.SelectObject(&back);
    monoDC.BitBlt(0, 0, 16, 1, &colour.dc, 0, 0, SRCCOPY);
    BYTE got[2] = {};
    ASSERT_EQ(back.GetBitmapBits(2, got), 2u);
    EXPECT_EQ(got[0], static_cast<BYTE>(~bits[0]));
    EXPECT_EQ(got[1], static_cast<BYTE>(~bits[1]));
    monoDC.SelectObject(old);
}

TEST(Bitmaps, BitsRoundTripWithWordPaddedRows) {
    // 10 pixels wide: two bytes a row at 1 bit, ten at 8 bits.
    const BYTE mono[4] = {0xC0, 0x40, 0xFF, 0xC0};
    CBitmap m;
    ASSERT_TRUE(m.CreateBitmap(10, 2, 1, 1, mono));
    BITMAP info{};
    m.GetBitmap(&info);
    EXPECT_EQ(info.bmWidthBytes, 2);
    EXPECT_EQ(info.bmBitsPixel, 1);
    BYTE back[4] = {};
    EXPECT_EQ(m.GetBitmapBits(4, back), 4u);
    EXPECT_EQ(std::memcmp(back, mono, 4), 0);

    BYTE grey[20];
    for (int i = 0; i < 20; ++i) grey[i] = static_cast<BYTE>(i * 12);
    CBitmap g;
    ASSERT_TRUE(g.CreateBitmap(10, 2, 1, 8, grey));
    BYTE greyBack[20] = {};
    EXPECT_EQ(g.GetBitmapBits(20, greyBack), 20u);
    EXPECT_EQ(std::memcmp(grey, greyBack, 20), 0);

    // A new memory DC holds a monochrome bitmap, so bitmaps compatible with it are monochrome.
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap compatible;
    compatible.CreateCompatibleBitmap(&dc, 4, 4);
    compatible.GetBitmap(&info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    // Drawing on a monochrome bitmap maps colours to the nearer of black and white.
    CBitmap* old = dc.SelectObject(&compatible);
    dc.SetPixel(0, 0, RGB(250, 240, 200));
    dc.SetPixel(1, 0, RGB(90, 30, 100));
    EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(1, 0), RGB(0, 0, 0));
    dc.SelectObject(old);
}

TEST(EndPixels, LinesAndRectanglesLeaveOutTheirFarEdge) {
    Canvas c(20, 20, 24);
    c.Fill(RGB(255, 255, 255));
    c.dc.MoveTo(2, 5);
    c.dc.LineTo(10, 5);
    EXPECT_EQ(c.dc.GetPixel(2, 5), RGB(0, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(9, 5), RGB(0, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(10, 5), RGB(255, 255, 255)) << "LineTo leaves out its last pixel";
    EXPECT_EQ(c.dc.GetCurrentPosition(), CPoint(10, 5));

    c.Fill(RGB(255, 255, 255));
    CBrush red(RGB(255, 0, 0));
    CRect r(3, 3, 8, 7);
    c.dc.FillRect(&r, &red);
    EXPECT_EQ(c.dc.GetPixel(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(7, 6), RGB(255, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(8, 6), RGB(255, 255, 255)) << "FillRect leaves out the right edge";
    EXPECT_EQ(c.dc.GetPixel(7, 7), RGB(255, 255, 255)) << "and the bottom edge";

    c.Fill(RGB(255, 255, 255));
    c.dc.SelectObject(&red);
    c.dc.Rectangle(2, 2, 9, 8);
    EXPECT_EQ(c.dc.GetPixel(2, 2), RGB(0, 0, 0)) << "the frame in the pen";
    EXPECT_EQ(c.dc.GetPixel(8, 7), RGB(0, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(9, 7), RGB(255, 255, 255));
    EXPECT_EQ(c.dc.GetPixel(8, 8), RGB(255, 255, 255));
    EXPECT_EQ(c.dc.GetPixel(3, 3), RGB(255, 0, 0)) << "the inside in the brush";

    c.Fill(RGB(255, 255, 255));
    c.dc.SelectStockObject(NULL_PEN);
    c.dc.Rectangle(2, 2, 9, 8);
    EXPECT_EQ(c.dc.GetPixel(7, 6), RGB(255, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(8, 6), RGB(255, 255, 255)) << "without a pen one pixel smaller";
    c.dc.SelectStockObject(BLACK_PEN);
    c.dc.SelectStockObject(WHITE_BRUSH);

    c.Fill(RGB(255, 255, 255));
    c.dc.Ellipse(4, 4, 14, 10);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (x < 4 || x >= 14 || y < 4 || y >= 10) {
                ASSERT_EQ(c.dc.GetPixel(x, y), RGB(255, 255, 255)) << "ellipse outside its box at " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(c.dc.GetPixel(4, 7), RGB(0, 0, 0)) << "the ellipse touches its left edge";
}

TEST(DeviceContext, OriginsClippingAndSavedStates) {
    Canvas c(20, 20, 24);
    c.Fill(RGB(255, 255, 255));
    c.dc.SetViewportOrg(5, 5);
    c.dc.SetPixel(0, 0, RGB(1, 2, 3));
    c.dc.SetViewportOrg(0, 0);
    EXPECT_EQ(c.dc.GetPixel(5, 5), RGB(1, 2, 3));

    int saved = c.dc.SaveDC();
    c.dc.IntersectClipRect(0, 0, 10, 10);
    c.dc.SetWindowOrg(2, 0);
    CBrush blue(RGB(0, 0, 255));
    CRect all(0, 0, 30, 30);
    c.dc.FillRect(&all, &blue);
    CRect box;
    c.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(2, 0, 12, 10)) << "the clip box in logical units";
    c.dc.RestoreDC(saved);
    EXPECT_EQ(c.dc.GetPixel(9, 9), RGB(0, 0, 255));
    EXPECT_EQ(c.dc.GetPixel(10, 9), RGB(255, 255, 255)) << "outside the clip";
    EXPECT_EQ(c.dc.GetWindowOrg(), CPoint(0, 0)) << "restored";
    c.dc.FillRect(&all, &blue);
    EXPECT_EQ(c.dc.GetPixel(15, 15), RGB(0, 0, 255)) << "the clip went with the saved state";
}

TEST(DeviceContext, WindowImagesAndFocusRects) {
    // The window layer's DC: origin inside the image, drawing kept to its part.
    QImage backing(30, 30, QImage::Format_RGB32);
    backing.fill(Qt::white);
    HDC h = AfxCreateImageDC(&backing, QPoint(10, 10), QRect(10, 10, 10, 10));
    CDC* dc = CDC::FromHandle(h);
    CRect r(-5, -5, 50, 50);
    CBrush green(RGB(0, 255, 0));
    dc->FillRect(&r, &green);
    EXPECT_EQ(backing.pixel(10, 10), qRgb(0, 255, 0));
    EXPECT_EQ(backing.pixel(19, 19), qRgb(0, 255, 0));
    EXPECT_EQ(backing.pixel(9, 9), qRgb(255, 255, 255));
    EXPECT_EQ(backing.pixel(20, 20), qRgb(255, 255, 255));
    CRect focus(1, 1, 8, 6);
    QImage before = backing.copy();
    dc->DrawFocusRect(&focus);
    EXPECT_NE(backing, before);
    dc->DrawFocusRect(&focus);
    EXPECT_EQ(backing, before) << "a focus rectangle drawn twice is gone";
    AfxDeleteTempGdiObjects();
    DeleteDC(h);
}

TEST(DeviceContext, StretchModesDecideWhatShrinkingKeeps) {
    // Every fourth column is black on white; shrinking 4:1 keeps it only when ANDing.
    Canvas src(16, 4, 24), dst(4, 1, 24);
    src.Fill(RGB(255, 255, 255));
    for (int x = 1; x < 16; x += 4) {
        src.dc.MoveTo(x, 0);
        src.dc.LineTo(x, 4);
    }
    dst.dc.SetStretchBltMode(BLACKONWHITE);
    dst.dc.StretchBlt(0, 0, 4, 1, &src.dc, 0, 0, 16, 4, SRCCOPY);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.dc.GetPixel(x, 0), RGB(0, 0, 0));
    dst.dc.SetStretchBltMode(WHITEONBLACK);
    dst.dc.StretchBlt(0, 0, 4, 1, &src.dc, 0, 0, 16, 4, SRCCOPY);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.dc.GetPixel(x, 0), RGB(255, 255, 255));
    // Enlarging repeats pixels; a negative width mirrors.
    Canvas big(8, 1, 24);
    src.dc.SetPixel(0, 0, RGB(9, 9, 9));
    big.dc.StretchBlt(0, 0, 8, 1, &src.dc, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(big.dc.GetPixel(3, 0), RGB(9, 9, 9));
    EXPECT_EQ(big.dc.GetPixel(4, 0), RGB(0, 0, 0));
    big.dc.StretchBlt(7, 0, -8, 1, &src.dc, 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(big.dc.GetPixel(7, 0), RGB(9, 9, 9));
    EXPECT_EQ(big.dc.GetPixel(0, 0), RGB(0, 0, 0));
}

namespace {

// A packed bottom-up DIB of `bpp` bits whose pixel (x, y from the top) is colour(x, y).
std::vector<BYTE> MakeDib(int w, int h, int bpp, const std::vector<RGBQUAD>& palette, int (*value)(int, int)) {
    size_t stride = WIDTHBYTES(static_cast<DWORD>(w * bpp));
    std::vector<BYTE> dib(40 + palette.size() * 4 + stride * static_cast<size_t>(h), 0);
    BITMAPINFOHEADER hdr{40, w, h, 1, static_cast<WORD>(bpp), BI_RGB, 0, 0, 0, static_cast<DWORD>(palette.size()), 0};
    std::memcpy(dib.data(), &hdr, 40);
    if (!palette.empty()) std::memcpy(dib.data() + 40, palette.data(), palette.size() * 4);
    BYTE* bits = dib.data() + 40 + palette.size() * 4;
    for (int y = 0; y < h; ++y) {
        BYTE* row = bits + stride * static_cast<size_t>(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            int v = value(x, y);
            if (bpp == 1) row[x / 8] |= static_cast<BYTE>((v & 1) << (7 - x % 8));
            else if (bpp == 8) row[x] = static_cast<BYTE>(v);
            else {
                row[3 * x] = static_cast<BYTE>(v);        // blue
                row[3 * x + 1] = static_cast<BYTE>(v >> 8);
                row[3 * x + 2] = static_cast<BYTE>(v >> 16);
            }
        }
    }
    return dib;
}

COLORREF FromBgr(int v) { return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v)); }

}  // namespace

TEST(DibDrawing, OneEightAndTwentyFourBitDibsShowTheirOwnColours) {
    auto checker = [](int x, int y) { return (x + y) % 2; };
    auto ramp = [](int x, int y) { return x * 16 + y; };
    auto rgb = [](int x, int y) { return (x * 20) << 16 | (y * 30) << 8 | 0x40; };
    std::vector<RGBQUAD> mono = {{0, 0, 255, 0}, {255, 0, 0, 0}};  // red and blue, not black and white
    std::vector<RGBQUAD> grey(256);
    for (int i = 0; i < 256; ++i) grey[static_cast<size_t>(i)] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};

    struct Case {
        int bpp;
        std::vector<RGBQUAD> palette;
        int (*value)(int, int);
    };
    const Case cases[] = {{1, mono, checker}, {8, grey, ramp}, {24, {}, rgb}};
    for (const Case& k : cases) {
        std::vector<BYTE> dib = MakeDib(9, 5, k.bpp, k.palette, k.value);
        auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
        const BYTE* bits = dib.data() + 40 + k.palette.size() * 4;
        auto expected = [&](int x, int y) {
            int v = k.value(x, y);
            if (k.bpp == 24) return FromBgr(v);
            const RGBQUAD& q = k.palette[static_cast<size_t>(v)];
            return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
        };

        Canvas c(20, 12, 24);
        c.dc.SetTextColor(RGB(0, 255, 0));  // never used for DIB colours
        ASSERT_EQ(StretchDIBits(c.dc, 1, 2, 9, 5, 0, 0, 9, 5, bits, info, DIB_RGB_COLORS, SRCCOPY), 5) << k.bpp;
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 9; ++x) ASSERT_EQ(c.dc.GetPixel(1 + x, 2 + y), expected(x, y)) << k.bpp << " " << x << "," << y;
        }

        // DrawDib: source rectangle from the picture's top-left corner, doubled.
        HDRAWDIB dd = DrawDibOpen();
        ASSERT_TRUE(DrawDibDraw(dd, c.dc, 0, 0, 8, 6, &info->bmiHeader, nullptr, 2, 1, 4, 3, 0));
        DrawDibClose(dd);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 8; ++x) ASSERT_EQ(c.dc.GetPixel(x, y), expected(2 + x / 2, 1 + y / 2)) << k.bpp << " drawdib " << x << "," << y;
        }

        // SetDIBitsToDevice with a bottom-up source origin: (0, 1) is one row above the bottom.
        c.Fill(RGB(255, 255, 255));
        ASSERT_EQ(SetDIBitsToDevice(c.dc, 0, 0, 3, 2, 0, 1, 0, 5, bits, info, DIB_RGB_COLORS), 2);
        EXPECT_EQ(c.dc.GetPixel(0, 0), expected(0, 2));
        EXPECT_EQ(c.dc.GetPixel(2, 1), expected(2, 3));
        EXPECT_EQ(c.dc.GetPixel(0, 2), RGB(255, 255, 255));
    }
}

TEST(DibDrawing, BitmapsFromDibsKeepTheirDepth) {
    std::vector<RGBQUAD> grey(256);
    for (int i = 0; i < 256; ++i) grey[static_cast<size_t>(i)] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    std::vector<BYTE> dib = MakeDib(6, 3, 8, grey, [](int x, int y) { return x * 40 + y; });
    HBITMAP h = CreateDIBitmapFromPacked(dib.data(), dib.size());
    ASSERT_NE(h, nullptr);
    BITMAP bm{};
    GetObject(h, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 8);
    HDIB back = AfxBitmapToDIB(h);
    ASSERT_NE(back, nullptr);
    auto* bytes = static_cast<const BYTE*>(GlobalLock(back));
    ASSERT_EQ(GlobalSize(back), dib.size());
    EXPECT_EQ(std::memcmp(bytes + 40 + 1024, dib.data() + 40 + 1024, dib.size() - 40 - 1024), 0) << "same rows";
    GlobalUnlock(back);
    GlobalFree(back);
    DeleteObject(h);
    EXPECT_EQ(CreateDIBitmapFromPacked(dib.data(), 60), nullptr) << "a truncated DIB is refused";
}

TEST(Text, ExtentsWrapAndOpaqueBackground) {
    Canvas c(200, 100, 24);
    c.Fill(RGB(255, 255, 255));
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, "SimSun"));
    c.dc.SelectObject(&font);
    CSize one = c.dc.GetTextExtent("a", 1);
    CSize three = c.dc.GetTextExtent("aaa", 3);
    EXPECT_GT(one.cx, 0);
    EXPECT_GT(three.cx, 2 * one.cx);
    EXPECT_EQ(one.cy, three.cy);
    TEXTMETRIC tm{};
    ASSERT_TRUE(c.dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmHeight, one.cy);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);

    CRect calc(0, 0, three.cx * 2, 0);
    int h = c.dc.DrawText("aaa aaa aaa aaa", calc, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GE(h, 2 * one.cy) << "wrapped onto several lines";
    EXPECT_EQ(calc.Height(), h);
    CRect single(0, 0, 1000, 0);
    c.dc.DrawText("&File", single, DT_CALCRECT | DT_SINGLELINE);
    CSize plain = c.dc.GetTextExtent("File", 4);
    EXPECT_EQ(single.Width(), plain.cx) << "the prefix character is not drawn";

    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(RGB(0, 0, 255));
    c.dc.SetTextColor(RGB(255, 255, 0));
    c.dc.TextOut(10, 10, CString("\xD6\xD0 ab"));
    EXPECT_EQ(c.dc.GetPixel(10, 10), RGB(0, 0, 255)) << "the cell is filled with the background colour";
    c.dc.SelectStockObject(SYSTEM_FONT);

    CRect fill(0, 50, 10, 60);
    c.dc.FillSolidRect(&fill, RGB(1, 2, 3));
    EXPECT_EQ(c.dc.GetPixel(9, 59), RGB(1, 2, 3));
    EXPECT_EQ(c.dc.GetBkColor(), RGB(1, 2, 3)) << "the fill colour stays as background colour";
}

TEST(Clipboard, TextGoesOutWithLfAndComesBackWithCrLf) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr)) << "already open";
    ASSERT_TRUE(EmptyClipboard());
    const char text[] = "line one\r\n\xD6\xD0\xCE\xC4\r\nend";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(block), text, sizeof text);
    GlobalUnlock(block);
    ASSERT_NE(SetClipboardData(CF_TEXT, block), nullptr);
    ASSERT_TRUE(CloseClipboard());

    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("line one\n中文\nend"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));

    QGuiApplication::clipboard()->setText(QString::fromUtf8("a\nb\r\nc 文"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE got = GetClipboardData(CF_TEXT);
    ASSERT_NE(got, nullptr);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(got)), "a\r\nb\r\nc \xCE\xC4");
    GlobalUnlock(got);
    CloseClipboard();
}

TEST(Clipboard, DibsRoundTrip) {
    std::vector<BYTE> dib = MakeDib(5, 4, 24, {}, [](int x, int y) { return (x * 50) << 16 | (y * 60) << 8 | 7; });
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    std::memcpy(GlobalLock(block), dib.data(), dib.size());
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(SetClipboardData(CF_DIB, block), nullptr);
    CloseClipboard();
    QImage image = QGuiApplication::clipboard()->image();
    ASSERT_EQ(image.size(), QSize(5, 4));
    EXPECT_EQ(image.pixel(4, 0), qRgb(200, 0, 7)) << "top row first in the image";

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE got = GetClipboardData(CF_DIB);
    ASSERT_NE(got, nullptr);
    ASSERT_EQ(GlobalSize(got), dib.size());
    EXPECT_EQ(std::memcmp(static_cast<const BYTE*>(GlobalLock(got)) + 40, dib.data() + 40, dib.size() - 40), 0);
    GlobalUnlock(got);
    CloseClipboard();

    HGLOBAL bad = GlobalAlloc(GMEM_MOVEABLE, 10);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(SetClipboardData(CF_DIB, bad), nullptr) << "a malformed DIB is refused";
    CloseClipboard();
    GlobalFree(bad);
}

TEST(Brushes, HatchesPatternsAndRegions) {
    Canvas c(16, 16, 24);
    c.Fill(RGB(255, 255, 255));
    c.dc.SetBkColor(RGB(0, 0, 255));
    CBrush hatch(HS_HORIZONTAL, RGB(255, 0, 0));
    CRect r(0, 0, 8, 8);
    c.dc.FillRect(&r, &hatch);
    EXPECT_EQ(c.dc.GetPixel(3, 7), RGB(255, 0, 0)) << "the hatch line";
    EXPECT_EQ(c.dc.GetPixel(3, 2), RGB(0, 0, 255)) << "gaps in the background colour";

    // A monochrome pattern brush takes the DC's text (0 bits) and background (1 bits) colours.
    const BYTE rows[16] = {0xF0, 0, 0xF0, 0, 0xF0, 0, 0xF0, 0, 0x0F, 0, 0x0F, 0, 0x0F, 0, 0x0F, 0};
    CBitmap pattern;
    ASSERT_TRUE(pattern.CreateBitmap(8, 8, 1, 1, rows));
    CBrush brush(&pattern);
    c.dc.SetTextColor(RGB(10, 10, 10));
    c.dc.SetBkColor(RGB(200, 200, 200));
    CRect all(0, 0, 16, 16);
    c.dc.FillRect(&all, &brush);
    EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(200, 200, 200));
    EXPECT_EQ(c.dc.GetPixel(4, 0), RGB(10, 10, 10));
    EXPECT_EQ(c.dc.GetPixel(12, 4), RGB(200, 200, 200)) << "the pattern repeats";
    EXPECT_EQ(c.dc.GetPixel(8, 12), RGB(10, 10, 10));

    CRgn a, b, both;
    a.CreateRectRgn(0, 0, 8, 8);
    b.CreateRectRgn(4, 4, 12, 12);
    both.CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(both.CombineRgn(&a, &b, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(both.PtInRegion(5, 5));
    EXPECT_TRUE(both.PtInRegion(1, 1));
    EXPECT_TRUE(both.PtInRegion(11, 11));
    CRect box;
    both.GetRgnBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 12, 12));
    CBrush black(RGB(0, 0, 0));
    c.Fill(RGB(255, 255, 255));
    c.dc.FillRgn(&both, &black);
    EXPECT_EQ(c.dc.GetPixel(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(c.dc.GetPixel(5, 5), RGB(255, 255, 255));
    c.dc.SelectClipRgn(&both);
    CBrush green(RGB(0, 255, 0));
    c.dc.FillRect(&all, &green);
    EXPECT_EQ(c.dc.GetPixel(5, 5), CLR_INVALID) << "outside the clip nothing is read";
    c.dc.SelectClipRgn(nullptr);
    EXPECT_EQ(c.dc.GetPixel(5, 5), RGB(255, 255, 255)) << "clipped away by the region";
    EXPECT_EQ(c.dc.GetPixel(11, 11), RGB(0, 255, 0));
    c.dc.SelectStockObject(WHITE_BRUSH);
}

TEST(Edges, ThreeDRectanglesAndEdgesUseTheSystemColours) {
    Canvas c(12, 12, 24);
    c.Fill(RGB(255, 255, 255));
    c.dc.Draw3dRect(CRect(1, 1, 11, 11), RGB(1, 1, 1), RGB(2, 2, 2));
    EXPECT_EQ(c.dc.GetPixel(1, 1), RGB(1, 1, 1));
    EXPECT_EQ(c.dc.GetPixel(9, 1), RGB(1, 1, 1));
    EXPECT_EQ(c.dc.GetPixel(10, 1), RGB(2, 2, 2)) << "the top-right corner belongs to the right edge";
    EXPECT_EQ(c.dc.GetPixel(1, 10), RGB(2, 2, 2));
    EXPECT_EQ(c.dc.GetPixel(5, 5), RGB(255, 255, 255));

    CRect r(0, 0, 12, 12);
    c.dc.DrawEdge(&r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(r, CRect(2, 2, 10, 10)) << "two borders taken off";
    EXPECT_EQ(c.dc.GetPixel(0, 5), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(c.dc.GetPixel(11, 5), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(c.dc.GetPixel(1, 5), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.dc.GetPixel(10, 5), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.dc.GetPixel(5, 5), GetSysColor(COLOR_3DFACE));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
    EXPECT_GT(GetSystemMetrics(SM_CYMENU), 0);
}

TEST(Objects, SelectionRulesAndStockObjects) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 24, nullptr));
    CDC one, two;
    one.CreateCompatibleDC(nullptr);
    two.CreateCompatibleDC(nullptr);
    CBitmap* old = one.SelectObject(&bitmap);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(two.SelectObject(&bitmap), nullptr) << "a bitmap is in one DC at a time";
    EXPECT_FALSE(DeleteObject(bitmap)) << "a selected bitmap stays";
    one.SelectObject(old);
    EXPECT_NE(two.SelectObject(&bitmap), nullptr);
    two.SelectObject(old);

    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), static_cast<DWORD>(OBJ_PEN)) << "stock objects survive";
    EXPECT_EQ(CGdiObject::FromHandle(GetStockObject(WHITE_BRUSH))->GetRuntimeClass(), RUNTIME_CLASS(CBrush));
    HPEN stray = CreatePen(PS_SOLID, 1, 0);
    EXPECT_TRUE(DeleteObject(stray));
    EXPECT_FALSE(DeleteObject(stray)) << "a deleted handle is refused, not reused";
    EXPECT_EQ(SelectObject(one, stray), nullptr);

    LOGPEN lp{};
    CPen pen(PS_DOT, 1, RGB(1, 2, 3));
    ASSERT_EQ(pen.GetLogPen(&lp), static_cast<int>(sizeof lp));
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
    CFont font;
    font.CreatePointFont(120, "Arial");
    LOGFONT lf{};
    font.GetLogFont(&lf);
    EXPECT_EQ(lf.lfHeight, -16) << "12 points at 96 dots an inch";

    int level = one.SaveDC();
    one.SetTextColor(RGB(9, 9, 9));
    one.SaveDC();
    one.SetTextColor(RGB(8, 8, 8));
    EXPECT_TRUE(one.RestoreDC(level));
    EXPECT_EQ(one.GetTextColor(), RGB(0, 0, 0)) << "restoring an older level drops the later ones";
    EXPECT_FALSE(one.RestoreDC(-1));
}

TEST(Text, AlignmentAndOpaqueRectangles) {
    Canvas c(100, 40, 24);
    c.Fill(RGB(255, 255, 255));
    c.dc.SetTextAlign(TA_UPDATECP);
    c.dc.MoveTo(5, 5);
    c.dc.TextOut(0, 0, CString("abc"));
    CSize ext = c.dc.GetTextExtent("abc", 3);
    EXPECT_EQ(c.dc.GetCurrentPosition(), CPoint(5 + ext.cx, 5)) << "the current position moves on";
    c.dc.SetTextAlign(TA_LEFT | TA_TOP);

    CRect box(50, 20, 60, 30);
    c.dc.SetBkColor(RGB(7, 7, 7));
    c.dc.ExtTextOut(0, 0, ETO_OPAQUE, &box, CString(), nullptr);
    EXPECT_EQ(c.dc.GetPixel(59, 29), RGB(7, 7, 7));
    EXPECT_EQ(c.dc.GetPixel(60, 29), RGB(255, 255, 255));

    CRect cell(0, 20, 100, 40);
    c.dc.SetBkMode(TRANSPARENT);
    int h = c.dc.DrawText(CString("x"), &cell, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    EXPECT_GT(h, 0);
}
