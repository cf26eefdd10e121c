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
    // Saves the picture when DC_TEXT_PICTURES names a folder (to look at by eye).
    void Save(const char* name) const {
        const char* folder = std::getenv("DC_TEXT_PICTURES");
        if (!folder) return;
        AfxBitmapImage(bitmap).save(QString::fromUtf8(folder) + QLatin1Char('/') + QString::fromUtf8(name));
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
