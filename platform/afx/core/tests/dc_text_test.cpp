// Drawing as the page and text views use it: fonts by cell or character
// height, Chinese text, styled pens, shapes far larger than the bitmap,
// bitmaps with short palettes, and DIBs with odd source rectangles.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/afx/core/afxgdi.h"
#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/dib_qt.h"

namespace {

// The fonts need the application object that gdi_test.cpp's environment
// makes for the whole test program.

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// A memory DC drawing into a bitmap of the given depth, filled white.
struct Surface {
    Surface(int w, int h, int bpp = 24) : width(w), height(h) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(w, h, 1, static_cast<UINT>(bpp), nullptr);
        old = dc.SelectObject(&bitmap);
        Clear();
    }
    ~Surface() { dc.SelectObject(old); }
    void Clear(COLORREF c = kWhite) {
        CRect all(0, 0, width, height);
        CBrush b(c);
        dc.FillRect(&all, &b);
    }
    int Count(COLORREF c, const CRect& r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) n += dc.GetPixel(x, y) == c;
        }
        return n;
    }
    int Count(COLORREF c) const { return Count(c, CRect(0, 0, width, height)); }
    // Saves the picture four times enlarged when DC_TEXT_PICTURES names a
    // folder, to look at by eye.
    void Save(const char* name) const {
        const char* folder = std::getenv("DC_TEXT_PICTURES");
        if (!folder) return;
        const QImage image = AfxBitmapImage(bitmap);
        image.scaled(image.size() * 4).save(QString::fromUtf8(folder) + QLatin1Char('/') + QString::fromUtf8(name));
    }
    int width, height;
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

}  // namespace

TEST(DrawingLimits, ShapesFarLargerThanTheBitmapDrawOnlyWhatShows) {
    // Scrolled views draw in page coordinates: shapes may reach far past the
    // bitmap on every side and must cost (and touch) only what shows.
    Surface s(16, 12);
    const int far = 1 << 20;
    CBrush red(RGB(255, 0, 0));
    CRect huge(-far, -far, far, far);
    s.dc.FillRect(&huge, &red);
    EXPECT_EQ(s.Count(RGB(255, 0, 0)), 16 * 12);

    s.Clear();
    s.dc.InvertRect(&huge);
    EXPECT_EQ(s.Count(kBlack), 16 * 12);

    // A frame whose edges lie outside: the inside fills everything, no edge shows.
    s.Clear();
    CBrush* oldBrush = s.dc.SelectObject(&red);
    s.dc.Rectangle(-far, -far, far, far);
    EXPECT_EQ(s.Count(RGB(255, 0, 0)), 16 * 12);
    // A frame around the bitmap with its left edge inside at x 3.
    s.Clear();
    s.dc.Rectangle(3, -far, far, far);
    EXPECT_EQ(s.Count(kBlack), 12) << "only the left edge shows";
    EXPECT_EQ(s.dc.GetPixel(3, 5), kBlack);
    EXPECT_EQ(s.dc.GetPixel(4, 5), RGB(255, 0, 0));
    EXPECT_EQ(s.dc.GetPixel(2, 5), kWhite);

    s.Clear();
    s.dc.Ellipse(-far, -far, far, far);
    EXPECT_EQ(s.Count(RGB(255, 0, 0)), 16 * 12) << "the middle of a huge ellipse";
    s.Clear();
    POINT triangle[3] = {{-far, -far}, {far, -far}, {0, far}};
    s.dc.Polygon(triangle, 3);
    EXPECT_EQ(s.Count(RGB(255, 0, 0)), 16 * 12) << "the middle of a huge triangle";
    s.dc.SelectObject(oldBrush);

    s.Clear();
    s.dc.DrawFocusRect(&huge);
    EXPECT_EQ(s.Count(kWhite), 16 * 12) << "the dotted frame lies outside";

    // A wide pen along a long line through the bitmap.
    s.Clear();
    CPen wide(PS_SOLID, 3, RGB(0, 0, 255));
    CPen* oldPen = s.dc.SelectObject(&wide);
    s.dc.MoveTo(-far, 6);
    s.dc.LineTo(far, 6);
    s.dc.SelectObject(oldPen);
    EXPECT_EQ(s.Count(RGB(0, 0, 255)), 16 * 3);

    // Scrolled far into a page: the window origin moves the same shapes back into view.
    s.Clear();
    s.dc.SetWindowOrg(far - 8, far - 6);
    CRect near(far - 8, far - 6, far - 4, far - 2);
    s.dc.FillRect(&near, &red);
    s.dc.SetWindowOrg(0, 0);
    EXPECT_EQ(s.Count(RGB(255, 0, 0), CRect(0, 0, 4, 4)), 16);
    EXPECT_EQ(s.Count(RGB(255, 0, 0)), 16);
}

namespace {

// A packed bottom-up DIB; value(x, y) (y from the top) is a palette index or 0xRRGGBB.
std::vector<BYTE> PackedDib(int w, int h, int bpp, const std::vector<RGBQUAD>& palette, int (*value)(int, int),
                            bool topDown = false) {
    const size_t stride = WIDTHBYTES(static_cast<DWORD>(w * bpp));
    std::vector<BYTE> dib(40 + palette.size() * 4 + stride * static_cast<size_t>(h), 0);
    BITMAPINFOHEADER hdr{40, w, topDown ? -h : h, 1, static_cast<WORD>(bpp), BI_RGB, 0, 0, 0,
                         static_cast<DWORD>(palette.size()), 0};
    std::memcpy(dib.data(), &hdr, 40);
    if (!palette.empty()) std::memcpy(dib.data() + 40, palette.data(), palette.size() * 4);
    BYTE* bits = dib.data() + 40 + palette.size() * 4;
    for (int y = 0; y < h; ++y) {
        BYTE* row = bits + stride * static_cast<size_t>(topDown ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const int v = value(x, y);
            if (bpp == 1) row[x / 8] |= static_cast<BYTE>((v & 1) << (7 - x % 8));
            else if (bpp == 4) row[x / 2] |= static_cast<BYTE>((v & 15) << (x % 2 ? 0 : 4));
            else if (bpp == 8) row[x] = static_cast<BYTE>(v);
            else {
                row[3 * x] = static_cast<BYTE>(v);
                row[3 * x + 1] = static_cast<BYTE>(v >> 8);
                row[3 * x + 2] = static_cast<BYTE>(v >> 16);
            }
        }
    }
    return dib;
}

}  // namespace

TEST(Bitmaps, DibPalettesShorterThanTheDepthAndInvertedMonochrome) {
    // A 16-colour DIB becomes an 8-bit bitmap with a 16-entry palette; bits
    // set afterwards may hold any byte, and must never index past it.
    std::vector<RGBQUAD> sixteen(16);
    for (int i = 0; i < 16; ++i) sixteen[static_cast<size_t>(i)] = {static_cast<BYTE>(i * 16), 0, static_cast<BYTE>(255 - i * 16), 0};
    std::vector<BYTE> dib = PackedDib(4, 2, 4, sixteen, [](int x, int y) { return x + 4 * y; });
    CBitmap colours;
    ASSERT_TRUE(colours.Attach(CreateDIBitmapFromPacked(dib.data(), dib.size())));
    BITMAP bm{};
    colours.GetBitmap(&bm);
    ASSERT_EQ(bm.bmBitsPixel, 8);
    BYTE bits[8] = {0, 7, 15, 16, 200, 255, 3, 1};  // rows of 4 bytes
    ASSERT_EQ(colours.SetBitmapBits(sizeof bits, bits), 8u);
    BYTE back[8] = {};
    ASSERT_EQ(colours.GetBitmapBits(sizeof back, back), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(back[i], bits[i] < 16 ? bits[i] : 0) << "byte " << i;

    // A monochrome DIB whose palette is white then black (0 bits white):
    // the bitmap still has 0 bits black, and its bits survive a round trip.
    std::vector<RGBQUAD> inverted = {{255, 255, 255, 0}, {0, 0, 0, 0}};
    std::vector<BYTE> mono = PackedDib(16, 2, 1, inverted, [](int x, int y) { return (x + y) % 3 == 0 ? 1 : 0; });
    CBitmap m;
    ASSERT_TRUE(m.Attach(CreateDIBitmapFromPacked(mono.data(), mono.size())));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&m);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(dc.GetPixel(x, 0), (x % 3 == 0) ? kBlack : kWhite) << "the DIB's colours, x " << x;
    }
    BYTE got[4] = {};
    ASSERT_EQ(m.GetBitmapBits(4, got), 4u);
    EXPECT_EQ(got[0] & 0x80, 0) << "black pixels are 0 bits";
    const BYTE set[4] = {0x0F, 0xF0, 0xAA, 0x55};
    ASSERT_EQ(m.SetBitmapBits(4, set), 4u);
    EXPECT_EQ(dc.GetPixel(0, 0), kBlack) << "a 0 bit is black";
    EXPECT_EQ(dc.GetPixel(4, 0), kWhite) << "a 1 bit is white";
    ASSERT_EQ(m.GetBitmapBits(4, got), 4u);
    EXPECT_EQ(std::memcmp(got, set, 4), 0) << "bits set are the bits read";
    dc.SelectObject(old);
}

namespace {

// The box of the pixels that are not `background` (empty when there are none).
CRect InkBox(const Surface& s, COLORREF background = kWhite) {
    CRect box(s.width, s.height, 0, 0);
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            if (s.dc.GetPixel(x, y) == background) continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    return box.IsRectEmpty() ? CRect() : box;
}

// The text view's fonts: height 16, weight 500, GB or Big5.
bool CreateViewFont(CFont& font, BYTE charSet = GB2312_CHARSET, const char* face = "SIMSUN", int height = 16) {
    return font.CreateFont(height, 0, 0, 0, 500, 0, 0, 0, charSet, 0, 0, 0, 0, face);
}

// A surface with the GB view font selected and its metrics.
struct ViewText : Surface {
    ViewText(int w, int h) : Surface(w, h) {
        CreateViewFont(font);
        oldFont = dc.SelectObject(&font);
        dc.GetTextMetrics(&tm);
    }
    ~ViewText() { dc.SelectObject(oldFont); }
    CFont font;
    CFont* oldFont = nullptr;
    TEXTMETRIC tm{};
};

bool SamePixels(const Surface& a, const Surface& b) {
    return AfxBitmapImage(a.bitmap) == AfxBitmapImage(b.bitmap);
}

}  // namespace

TEST(Fonts, PositiveHeightsAreCellsNegativeHeightsCharacters) {
    // The text view's font. Its cell (the extent of "A") must be 16 high: rows, caret and strip are
    // laid out in cells of that height.
    ViewText s(160, 40);
    const TEXTMETRIC& tm = s.tm;
    EXPECT_LE(tm.tmHeight, 16);
    EXPECT_GE(tm.tmHeight, 14) << "the largest size whose cell fits";
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);
    const CSize cell = s.dc.GetTextExtent("A", 1);
    EXPECT_EQ(cell.cy, tm.tmHeight);
    EXPECT_GT(cell.cx, 0);
    const CSize zh = s.dc.GetTextExtent("\xD6\xD0\xCE\xC4", 4);  // two GB characters
    EXPECT_EQ(zh.cy, tm.tmHeight);
    EXPECT_GT(zh.cx, 2 * cell.cx) << "Chinese characters are wider than Latin letters";

    // Drawn transparently, the glyphs stay inside their cell.
    s.dc.SetBkMode(TRANSPARENT);
    s.dc.TextOut(4, 10, "\xD6\xD0\xCE\xC4" "Ag", 6);
    CRect ink = InkBox(s);
    ASSERT_FALSE(ink.IsRectEmpty());
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 10 + tm.tmHeight) << "a descender stays in the cell";
    EXPECT_GE(ink.left, 4);
    s.Save("cell_font.png");

    // A negative height is the character height: the cell is taller by the internal leading.
    CFont character;
    ASSERT_TRUE(CreateViewFont(character, GB2312_CHARSET, "SIMSUN", -16));
    s.dc.SelectObject(&character);
    TEXTMETRIC big{};
    ASSERT_TRUE(s.dc.GetTextMetrics(&big));
    EXPECT_EQ(big.tmHeight - big.tmInternalLeading, 16);
    EXPECT_GT(big.tmHeight, tm.tmHeight);

    // The stock fonts are given by cell height too.
    s.dc.SelectStockObject(SYSTEM_FONT);
    TEXTMETRIC system{};
    ASSERT_TRUE(s.dc.GetTextMetrics(&system));
    EXPECT_LE(system.tmHeight, 16);
    EXPECT_GE(system.tmHeight, 14);
}

TEST(Text, ChineseFontsReadTheirOwnCodePage) {
    // The traditional font shows Big5 bytes and the simplified one GB bytes,
    // whatever the system's code page: the same two characters either way.
    Surface gbSurface(120, 30), big5Surface(120, 30);
    CFont gb, big5;
    ASSERT_TRUE(CreateViewFont(gb));
    ASSERT_TRUE(CreateViewFont(big5, CHINESEBIG5_CHARSET, "MINGLIU"));
    CFont* oldGb = gbSurface.dc.SelectObject(&gb);
    CFont* oldBig5 = big5Surface.dc.SelectObject(&big5);
    const char gbText[] = "\xD6\xD0\xCE\xC4 ok";     // GB
    const char big5Text[] = "\xA4\xA4\xA4\xE5 ok";   // Big5
    EXPECT_EQ(gbSurface.dc.GetTextExtent(gbText, 7), big5Surface.dc.GetTextExtent(big5Text, 7));
    gbSurface.dc.TextOut(3, 5, gbText, 7);
    big5Surface.dc.TextOut(3, 5, big5Text, 7);
    EXPECT_FALSE(InkBox(gbSurface).IsRectEmpty());
    EXPECT_TRUE(SamePixels(gbSurface, big5Surface));
    TEXTMETRIC tm{};
    big5Surface.dc.GetTextMetrics(&tm);
    EXPECT_EQ(tm.tmCharSet, CHINESEBIG5_CHARSET);
    gbSurface.Save("gb_text.png");
    big5Surface.Save("big5_text.png");

    // The text view's call: one glyph call, one cell of advance a byte, a
    // double-byte character taking the cells of both its bytes.
    const int w = gbSurface.dc.GetTextExtent("A", 1).cx;
    gbSurface.Clear();
    big5Surface.Clear();
    const INT advances[5] = {w, w, w, w, w};
    gbSurface.dc.ExtTextOut(0, 5, 0, nullptr, "\xD6\xD0" "AB", 4, advances);
    gbSurface.dc.SelectObject(oldGb);
    big5Surface.dc.SelectObject(&gb);
    big5Surface.dc.TextOut(2 * w, 5, "A", 1);
    big5Surface.dc.TextOut(3 * w, 5, "B", 1);
    big5Surface.dc.SelectObject(oldBig5);
    const CRect letters(2 * w, 0, 120, 30);
    int differences = 0;
    for (int y = letters.top; y < letters.bottom; ++y) {
        for (int x = letters.left; x < letters.right; ++x) differences += gbSurface.dc.GetPixel(x, y) != big5Surface.dc.GetPixel(x, y);
    }
    EXPECT_EQ(differences, 0) << "the letters sit at columns 2 and 3";
    EXPECT_LT(InkBox(gbSurface).left, w) << "the Chinese character at column 0";
}

TEST(Pens, StyledPensDashEveryKindOfPath) {
    // Dots are three pixels on, three off, counted along the whole path.
    Surface s(64, 24);
    CPen dot(PS_DOT, 1, kBlack);
    CPen* oldPen = s.dc.SelectObject(&dot);
    s.dc.SetBkMode(TRANSPARENT);
    s.dc.MoveTo(0, 2);
    s.dc.LineTo(60, 2);
    for (int x = 0; x < 60; ++x) ASSERT_EQ(s.dc.GetPixel(x, 2), (x % 6) < 3 ? kBlack : kWhite) << "line x " << x;

    // A polyline keeps counting round its corner.
    const POINT corner[3] = {{0, 5}, {10, 5}, {10, 20}};
    s.dc.Polyline(corner, 3);
    for (int x = 0; x < 10; ++x) ASSERT_EQ(s.dc.GetPixel(x, 5), (x % 6) < 3 ? kBlack : kWhite) << "polyline x " << x;
    for (int y = 5; y < 20; ++y) {
        const int along = 10 + (y - 5);
        ASSERT_EQ(s.dc.GetPixel(10, y), (along % 6) < 3 ? kBlack : kWhite) << "polyline y " << y;
    }
    EXPECT_EQ(s.dc.GetPixel(10, 20), kWhite) << "the last point is left out";

    // Opaque: the gaps take the background colour.
    s.Clear();
    s.dc.SetBkMode(OPAQUE);
    s.dc.SetBkColor(RGB(0, 0, 255));
    s.dc.MoveTo(0, 2);
    s.dc.LineTo(12, 2);
    EXPECT_EQ(s.dc.GetPixel(1, 2), kBlack);
    EXPECT_EQ(s.dc.GetPixel(4, 2), RGB(0, 0, 255));
    EXPECT_EQ(s.dc.GetPixel(12, 2), kWhite);

    // A dashed frame with a hollow brush: gaps along its edges, inside untouched.
    s.Clear(RGB(0, 255, 0));
    s.dc.SetBkMode(TRANSPARENT);
    CPen dash(PS_DASH, 1, kBlack);
    s.dc.SelectObject(&dash);
    CGdiObject* oldBrush = s.dc.SelectStockObject(NULL_BRUSH);
    s.dc.Rectangle(2, 2, 62, 22);
    const CRect top(2, 2, 62, 3);
    EXPECT_EQ(s.Count(kBlack, top), 18 + 18 + 12) << "60 pixels of 18 on, 6 off";
    EXPECT_EQ(s.dc.GetPixel(2, 2), kBlack) << "the dashes start at the top-left corner";
    EXPECT_EQ(s.dc.GetPixel(20, 2), RGB(0, 255, 0));
    EXPECT_GT(s.Count(kBlack, CRect(61, 2, 62, 22)), 0) << "the right edge at right - 1";
    EXPECT_EQ(s.Count(kBlack, CRect(62, 0, 64, 24)), 0);
    EXPECT_EQ(s.Count(RGB(0, 255, 0), CRect(3, 3, 61, 21)), 58 * 18) << "a hollow brush leaves the inside";
    s.Save("dashed_frame.png");

    // With a brush, the inside is filled up to the frame; a rubber band drawn
    // twice with NOTXOR is gone.
    s.Clear();
    CBrush red(RGB(255, 0, 0));
    s.dc.SelectObject(&red);
    s.dc.Rectangle(2, 2, 30, 20);
    EXPECT_EQ(s.dc.GetPixel(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(s.dc.GetPixel(28, 18), RGB(255, 0, 0));
    s.dc.SelectStockObject(NULL_BRUSH);
    const QImage before = AfxBitmapImage(s.bitmap);
    s.dc.SetROP2(R2_NOTXORPEN);
    const POINT band[4] = {{5, 5}, {40, 9}, {20, 22}, {5, 5}};
    for (int pass = 0; pass < 2; ++pass) {
        s.dc.Rectangle(4, 4, 50, 21);
        s.dc.Polyline(band, 4);
    }
    EXPECT_EQ(AfxBitmapImage(s.bitmap), before);
    s.dc.SetROP2(R2_COPYPEN);
    s.dc.SelectObject(oldBrush);
    s.dc.SelectObject(oldPen);
}

TEST(DibDrawing, SourceRectanglesClipInEitherRowOrder) {
    // Four colours for an 8-bit DIB: indexes past them show the first.
    const std::vector<RGBQUAD> four = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
    const COLORREF colour[4] = {kBlack, RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    auto value = [](int x, int y) { return x == 5 ? 9 : (x + y) % 4; };  // column 5 past the palette
    auto expected = [&](int x, int y) { return x == 5 ? colour[0] : colour[(x + y) % 4]; };
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        std::vector<BYTE> dib = PackedDib(6, 5, 8, four, value, topDown);
        const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
        const BYTE* bits = dib.data() + 40 + 4 * 4;
        Surface s(24, 12);
        ASSERT_EQ(StretchDIBits(s.dc, 0, 0, 6, 5, 0, 0, 6, 5, bits, info, DIB_RGB_COLORS, SRCCOPY), 5);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) ASSERT_EQ(s.dc.GetPixel(x, y), expected(x, y)) << x << "," << y;
        }

        // Rows 1 and 2 counted in the DIB's own order: from the bottom row of a bottom-up DIB.
        s.Clear();
        StretchDIBits(s.dc, 0, 0, 6, 2, 0, 1, 6, 2, bits, info, DIB_RGB_COLORS, SRCCOPY);
        const int firstRow = topDown ? 1 : 5 - 1 - 2;
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(s.dc.GetPixel(x, 0), expected(x, firstRow)) << x;
            EXPECT_EQ(s.dc.GetPixel(x, 1), expected(x, firstRow + 1)) << x;
        }
        EXPECT_EQ(s.dc.GetPixel(0, 2), kWhite);

        // Source rectangles reaching past the DIB draw only the part inside it.
        s.Clear();
        StretchDIBits(s.dc, 10, 0, 6, 5, 3, 0, 6, 5, bits, info, DIB_RGB_COLORS, SRCCOPY);
        StretchDIBits(s.dc, 0, 6, 6, 5, -2, 0, 6, 5, bits, info, DIB_RGB_COLORS, SRCCOPY);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 3; ++x) EXPECT_EQ(s.dc.GetPixel(10 + x, y), expected(3 + x, y)) << "right part " << x << "," << y;
            for (int x = 3; x < 6; ++x) EXPECT_EQ(s.dc.GetPixel(10 + x, y), kWhite) << "past the right edge " << x << "," << y;
            for (int x = 0; x < 2; ++x) EXPECT_EQ(s.dc.GetPixel(x, 6 + y), kWhite) << "before the left edge " << x << "," << y;
            for (int x = 2; x < 6; ++x) EXPECT_EQ(s.dc.GetPixel(x, 6 + y), expected(x - 2, y)) << "left part " << x << "," << y;
        }
        s.Clear();
        StretchDIBits(s.dc, 0, 0, 24, 12, 1000, -1000, 6, 5, bits, info, DIB_RGB_COLORS, SRCCOPY);
        StretchDIBits(s.dc, 0, 0, 24, 12, -1000000, 0, 2000000, 5, bits, info, DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(s.Count(kWhite), 24 * 12) << "nothing of the DIB falls in these";

        // A negative destination height turns the picture upside down; doubling repeats pixels.
        s.Clear();
        StretchDIBits(s.dc, 0, 4, 6, -5, 0, 0, 6, 5, bits, info, DIB_RGB_COLORS, SRCCOPY);
        for (int x = 0; x < 6; ++x) EXPECT_EQ(s.dc.GetPixel(x, 0), expected(x, 4)) << x;
        s.dc.SetStretchBltMode(COLORONCOLOR);
        StretchDIBits(s.dc, 8, 0, 12, 10, 0, 0, 6, 5, bits, info, DIB_RGB_COLORS, SRCCOPY);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 12; ++x) ASSERT_EQ(s.dc.GetPixel(8 + x, y), expected(x / 2, y / 2)) << x << "," << y;
        }
    }

    // Halftone shrinking averages each block of a colour DIB.
    std::vector<BYTE> rgb = PackedDib(4, 2, 24, {}, [](int x, int) { return x % 2 ? 0xC86432 : 0x000000; });
    Surface s(4, 4);
    s.dc.SetStretchBltMode(HALFTONE);
    StretchDIBits(s.dc, 0, 0, 2, 1, 0, 0, 4, 2, rgb.data() + 40, reinterpret_cast<const BITMAPINFO*>(rgb.data()),
                  DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(s.dc.GetPixel(0, 0), RGB(100, 50, 25));
    EXPECT_EQ(s.dc.GetPixel(1, 0), RGB(100, 50, 25));
    EXPECT_EQ(s.dc.GetPixel(2, 0), kWhite);
}

TEST(Text, DrawTextBreaksMeasuresAndPlaces) {
    ViewText s(200, 120);
    const TEXTMETRIC& tm = s.tm;
    const char six[] = "\xD6\xD0\xCE\xC4\xD7\xD6\xB7\xFB\xCA\xB6\xB1\xF0";  // six Chinese characters, no spaces
    const int three = s.dc.GetTextExtent(six, 6).cx;

    // Chinese text breaks between any two characters.
    CRect calc(0, 0, three, 0);
    EXPECT_EQ(s.dc.DrawText(six, -1, &calc, DT_CALCRECT | DT_WORDBREAK), 2 * tm.tmHeight);
    EXPECT_EQ(calc, CRect(0, 0, three, 2 * tm.tmHeight));
    // Narrower than one character: a character a line, none lost.
    CRect narrow(0, 0, 1, 0);
    EXPECT_EQ(s.dc.DrawText(six, -1, &narrow, DT_CALCRECT | DT_WORDBREAK), 6 * tm.tmHeight);
    // Latin words break at spaces; a word longer than the line stays whole.
    const int word = s.dc.GetTextExtent("abcdef", 6).cx;
    CRect latin(10, 10, 10 + word, 10);
    EXPECT_EQ(s.dc.DrawText("abcdef ghi abcdefghijkl x", -1, &latin, DT_CALCRECT | DT_WORDBREAK), 4 * tm.tmHeight);
    EXPECT_EQ(latin.Width(), s.dc.GetTextExtent("abcdefghijkl", 12).cx) << "the widest line sets the width";
    EXPECT_EQ(latin.top, 10);

    // A single line, centred both ways in its rectangle.
    s.dc.SetBkMode(TRANSPARENT);
    CRect cell(20, 20, 180, 60);
    const int offset = s.dc.DrawText("\xD6\xD0 Mid", -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    const CRect ink = InkBox(s);
    const int width = s.dc.GetTextExtent("\xD6\xD0 Mid", 6).cx;
    EXPECT_NEAR(ink.left, 20 + (160 - width) / 2, 2);
    const int top = 20 + (40 - tm.tmHeight) / 2;
    EXPECT_EQ(offset, top - 20 + tm.tmHeight) << "from the rectangle's top to the text's bottom";
    EXPECT_GE(ink.top, top);
    EXPECT_LE(ink.bottom, top + tm.tmHeight);
    s.Save("drawtext_centred.png");

    // A name too long for its column ends with an ellipsis inside the column.
    s.Clear();
    CRect column(5, 80, 65, 100);
    const char name[] = "\xCD\xBC\xCF\xF1\xCE\xC4\xBC\xFE long_file_name.tif";
    s.dc.DrawText(name, -1, &column, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    const CRect shortened = InkBox(s);
    ASSERT_FALSE(shortened.IsRectEmpty());
    EXPECT_GE(shortened.left, 5);
    EXPECT_LE(shortened.right, 65);
    EXPECT_GT(shortened.right, 45) << "the column is used up to near its end";
    CRect measured(5, 80, 65, 100);
    s.dc.DrawText(name, -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    EXPECT_LE(measured.Width(), 60);
    s.Save("drawtext_ellipsis.png");
}

TEST(Objects, ObjectsGivenBackBySelectionOutliveIdleTime) {
    // A button keeps a memory DC with its saved background selected, and the
    // bitmap the selection gave back, to put back when it goes.
    CDC saved;
    ASSERT_TRUE(saved.CreateCompatibleDC(nullptr));
    CBitmap background;
    ASSERT_TRUE(background.CreateBitmap(8, 8, 1, 24, nullptr));
    CBitmap* original = saved.SelectObject(&background);
    ASSERT_NE(original, nullptr);
    const HGDIOBJ originalHandle = original->m_hObject;
    CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
    CPen* stockPen = saved.SelectObject(&pen);
    ASSERT_NE(stockPen, nullptr);

    AfxDeleteTempGdiObjects();  // idle time between two messages

    EXPECT_EQ(original->m_hObject, originalHandle);
    EXPECT_EQ(CBitmap::FromHandle(static_cast<HBITMAP>(originalHandle)), original) << "one wrapper a handle";
    EXPECT_EQ(saved.SelectObject(original), &background);
    EXPECT_EQ(saved.SelectObject(stockPen), &pen);
    EXPECT_EQ(GetCurrentObject(saved, OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_TRUE(background.DeleteObject()) << "put back, the background is no longer selected";
}

TEST(Objects, PensBrushesAndFontsDeletedWhileSelectedDrawUntilDeselected) {
    // Drawing code often lets its pen, brush or font go out of scope still
    // selected; the DC goes on drawing with them until they are deselected,
    // and no new object takes over their handles before.
    Surface s(40, 40);
    HGDIOBJ penHandle, brushHandle, fontHandle;
    CSize bigText;
    {
        CPen red(PS_SOLID, 1, RGB(255, 0, 0));
        CBrush green(RGB(0, 255, 0));
        CFont big;
        ASSERT_TRUE(big.CreateFont(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "SIMSUN"));
        penHandle = red.m_hObject;
        brushHandle = green.m_hObject;
        fontHandle = big.m_hObject;
        s.dc.SelectObject(&red);
        s.dc.SelectObject(&green);
        s.dc.SelectObject(&big);
        bigText = s.dc.GetTextExtent("Ag", 2);
    }
    std::vector<HPEN> others;  // new objects that might take over a freed handle
    for (int i = 0; i < 8; ++i) others.push_back(CreatePen(PS_SOLID, 1, RGB(0, 0, 255)));
    HBRUSH otherBrush = CreateSolidBrush(RGB(0, 0, 255));

    EXPECT_EQ(GetCurrentObject(s.dc, OBJ_PEN), penHandle);
    s.dc.Rectangle(2, 2, 20, 20);
    EXPECT_EQ(s.dc.GetPixel(2, 2), RGB(255, 0, 0)) << "the deleted pen still draws";
    EXPECT_EQ(s.dc.GetPixel(10, 10), RGB(0, 255, 0)) << "the deleted brush still fills";
    EXPECT_EQ(s.dc.GetTextExtent("Ag", 2), bigText) << "the deleted font still measures";

    // Saved states hold them too; deselected and no longer saved, they go.
    int level = s.dc.SaveDC();
    s.dc.SelectStockObject(BLACK_PEN);
    s.dc.SelectStockObject(WHITE_BRUSH);
    s.dc.SelectStockObject(SYSTEM_FONT);
    EXPECT_EQ(GetObjectType(penHandle), static_cast<DWORD>(OBJ_PEN)) << "still held by the saved state";
    s.dc.RestoreDC(level);
    EXPECT_EQ(GetCurrentObject(s.dc, OBJ_BRUSH), brushHandle);
    s.dc.SelectStockObject(BLACK_PEN);
    s.dc.SelectStockObject(WHITE_BRUSH);
    s.dc.SelectStockObject(SYSTEM_FONT);
    EXPECT_EQ(GetObjectType(penHandle), 0u) << "deselected, the pen is gone";
    EXPECT_EQ(GetObjectType(brushHandle), 0u);
    EXPECT_EQ(GetObjectType(fontHandle), 0u);

    // Not selected anywhere, deletion is at once.
    EXPECT_TRUE(DeleteObject(otherBrush));
    EXPECT_EQ(GetObjectType(otherBrush), 0u);
    for (HPEN p : others) DeleteObject(p);
}

TEST(Bitmaps, ZeroSizedBitmapsAndMonochromeStretchModes) {
    // A zero-sized client area still gets a bitmap: 1 x 1, monochrome.
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    Surface colour(8, 2);
    for (int size : {0, 1}) {
        CBitmap empty;
        ASSERT_TRUE(size ? empty.CreateCompatibleBitmap(&colour.dc, 0, 5) : empty.CreateBitmap(0, 0, 1, 24, nullptr));
        BITMAP bm{};
        empty.GetBitmap(&bm);
        EXPECT_EQ(bm.bmWidth, 1);
        EXPECT_EQ(bm.bmHeight, 1);
        EXPECT_EQ(bm.bmBitsPixel, 1);
    }
    CBitmap negative;
    EXPECT_FALSE(negative.CreateBitmap(-4, 4, 1, 1, nullptr));

    // Shrinking a monochrome bitmap follows the DC's stretch mode: ANDing
    // keeps black (0 bits, the text colour), ORing keeps white (1 bits, the
    // background colour).
    const BYTE bits[2] = {0x10, 0x00};  // one white pixel of eight
    CBitmap mono;
    ASSERT_TRUE(mono.CreateBitmap(8, 1, 1, 1, bits));
    CBitmap* old = dc.SelectObject(&mono);
    colour.dc.SetTextColor(RGB(0, 0, 255));
    colour.dc.SetBkColor(RGB(255, 255, 128));
    colour.dc.SetStretchBltMode(BLACKONWHITE);
    colour.dc.StretchBlt(0, 0, 1, 1, &dc, 0, 0, 8, 1, SRCCOPY);
    EXPECT_EQ(colour.dc.GetPixel(0, 0), RGB(0, 0, 255));
    colour.dc.SetStretchBltMode(WHITEONBLACK);
    colour.dc.StretchBlt(1, 0, 1, 1, &dc, 0, 0, 8, 1, SRCCOPY);
    EXPECT_EQ(colour.dc.GetPixel(1, 0), RGB(255, 255, 128));
    dc.SelectObject(old);
}

TEST(Scenes, TextViewRowsWithSelectionAndStrip) {
    // A text view row as it paints: byte cells of "A" width, a selected run
    // white on navy one pixel taller than the cell, a recognised character
    // drawn again in red, and the line image strip (1-bit, stretched) below.
    ViewText s(240, 80);
    const int w = s.dc.GetTextExtent("A", 1).cx;
    const int h = s.tm.tmHeight;
    const char line[] = "ab\xD6\xD0\xCE\xC4 cd ";
    const int n = static_cast<int>(sizeof line - 1);
    std::vector<INT> cells(static_cast<size_t>(n), w);
    s.dc.SetTextColor(kBlack);
    s.dc.SetBkColor(kWhite);
    s.dc.ExtTextOut(0, 0, 0, nullptr, line, 2, cells.data());
    CRect selected(2 * w, 0, 6 * w, h + 1);
    s.dc.SetTextColor(kWhite);
    s.dc.SetBkColor(RGB(0, 0, 128));
    s.dc.ExtTextOut(2 * w, 0, ETO_OPAQUE, &selected, line + 2, 4, cells.data());
    s.dc.SetTextColor(RGB(255, 0, 0));
    s.dc.SetBkColor(kWhite);
    s.dc.ExtTextOut(7 * w, 0, 0, nullptr, line + 7, 2, cells.data());
    EXPECT_EQ(s.dc.GetPixel(2 * w, h), RGB(0, 0, 128)) << "the selection is a pixel taller than the cell";
    EXPECT_EQ(s.dc.GetPixel(6 * w, 1), kWhite) << "and ends at its last cell";
    EXPECT_GT(s.Count(RGB(255, 0, 0), CRect(7 * w, 0, 9 * w, h)), 0);

    // The strip: ink bits (1) in blue, clear bits in light yellow, stretched to the cell height + 2.
    std::vector<BYTE> bits(4 * 8, 0);
    for (int y = 0; y < 8; ++y) bits[static_cast<size_t>(y * 4)] = static_cast<BYTE>(0x81 | (0x10 >> (y % 4)));
    CBitmap image;
    ASSERT_TRUE(image.CreateBitmap(32, 8, 1, 1, bits.data()));
    CDC memory;
    memory.CreateCompatibleDC(&s.dc);
    CBitmap* old = memory.SelectObject(&image);
    s.dc.SetBkColor(RGB(0, 0, 255));
    s.dc.SetTextColor(RGB(255, 255, 128));
    s.dc.SetStretchBltMode(BLACKONWHITE);
    s.dc.StretchBlt(0, 2 * h + h / 2, 96, h + 2, &memory, 0, 0, 32, 8, SRCCOPY);
    memory.SelectObject(old);
    EXPECT_EQ(s.dc.GetPixel(0, 2 * h + h / 2), RGB(0, 0, 255)) << "an ink bit";
    EXPECT_EQ(s.dc.GetPixel(50, 2 * h + h / 2), RGB(255, 255, 128)) << "a clear bit";
    EXPECT_EQ(s.dc.GetPixel(96, 2 * h + h / 2), kWhite) << "the strip ends where it was asked to";
    s.Save("text_view_rows.png");
}

// 16-bit bit-field DIBs keep their masks after a 40-byte header or inside a
// header of 52 bytes or more; a header between the two has no room for them
// and is refused rather than read past its end.
TEST(Bitmaps, BitFieldMasksAreReadOnlyWhereTheHeaderHasThem) {
    auto make = [](DWORD headerSize, bool masksAfter) {
        std::vector<BYTE> dib(headerSize + (masksAfter ? 12 : 0) + 4, 0);
        auto put32 = [&](size_t at, DWORD v) { std::memcpy(dib.data() + at, &v, 4); };
        put32(0, headerSize);
        put32(4, 2);   // width
        put32(8, 1);   // height
        dib[12] = 1;   // planes
        dib[14] = 16;  // bits per pixel
        put32(16, BI_BITFIELDS);
        const size_t masks = masksAfter ? headerSize : 40;
        if (headerSize >= 52 || masksAfter) {
            put32(masks, 0xF800);
            put32(masks + 4, 0x07E0);
            put32(masks + 8, 0x001F);
        }
        const size_t bits = dib.size() - 4;
        dib[bits] = 0x00;  // first pixel pure red in 5-6-5
        dib[bits + 1] = 0xF8;
        return dib;
    };
    for (DWORD headerSize : {40u, 52u, 56u}) {
        const std::vector<BYTE> dib = make(headerSize, headerSize == 40);
        AfxDibLayout layout;
        ASSERT_TRUE(AfxDibLayoutOf(dib.data(), dib.size(), layout)) << headerSize;
        EXPECT_EQ(layout.masks[0], 0xF800u) << headerSize;
        const QImage image = AfxDibToImage(dib.data(), dib.size());
        ASSERT_FALSE(image.isNull()) << headerSize;
        EXPECT_EQ(qRed(image.pixel(0, 0)), 255) << headerSize;
        EXPECT_EQ(qGreen(image.pixel(0, 0)), 0) << headerSize;
    }
    for (DWORD headerSize : {41u, 44u, 51u}) {
        const std::vector<BYTE> dib = make(headerSize, false);
        AfxDibLayout layout;
        EXPECT_FALSE(AfxDibLayoutOf(dib.data(), dib.size(), layout)) << headerSize;
        EXPECT_TRUE(AfxDibToImage(dib.data(), dib.size()).isNull()) << headerSize;
    }
}
