#include "views/page_view/page_view_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "ocrdoc/regions/text_region.h"
#include "platform/afx/core/drawdib.h"
#include "views/page_view/draw_styles.h"

namespace {

const char kSealMark[] = "\xD5\xC2";  // 章 in the ANSI code page

// Selects a style's pen and raster operation for the life of the object.
class CStylePen {
public:
    CStylePen(CDC& dc, int style) : m_dc(dc) {
        const DrawStyle& s = GetDrawStyle(style);
        m_pen.CreatePen(s.penStyle, s.width, s.color);
        m_old = m_dc.SelectObject(&m_pen);
        m_oldRop = m_dc.SetROP2(s.rop);
    }
    ~CStylePen() {
        m_dc.SetROP2(m_oldRop);
        m_dc.SelectObject(m_old);
    }
    CStylePen(const CStylePen&) = delete;
    CStylePen& operator=(const CStylePen&) = delete;

private:
    CDC& m_dc;
    CPen m_pen;
    CPen* m_old = nullptr;
    int m_oldRop = 0;
};

void Outline(CDC& dc, int l, int t, int r, int b) {
    dc.MoveTo(l, t);
    dc.LineTo(r, t);
    dc.LineTo(r, b);
    dc.LineTo(l, b);
    dc.LineTo(l, t);
}

void Arrow(CDC& dc, POINT from, POINT to) {
    dc.MoveTo(from);
    dc.LineTo(to);
    const double angle = std::atan2(static_cast<double>(from.y - to.y), static_cast<double>(from.x - to.x));
    constexpr double kBarb = 16.0, kSpread = 3.14159265358979 / 6;
    for (double side : {-kSpread, kSpread}) {
        dc.MoveTo(to);
        dc.LineTo(static_cast<int>(std::lround(to.x + kBarb * std::cos(angle + side))),
                  static_cast<int>(std::lround(to.y + kBarb * std::sin(angle + side))));
    }
}

}  // namespace

int CPageViewRenderer::RegionStyle(int flags, bool selected) {
    if (flags & kRegionTable) return selected ? kStyleTableSelected : kStyleTable;
    if (flags & kRegionPicture) return selected ? kStylePictureSelected : kStylePicture;
    if (flags & kRegionHorizontal) return selected ? kStyleHorizontalSelected : kStyleHorizontalText;
    if (flags & kRegionVertical) return selected ? kStyleVerticalSelected : kStyleVerticalText;
    if (flags & kRegionEnglish) return selected ? kStyleEnglishSelected : kStyleEnglish;
    return -1;
}

void CPageViewRenderer::DrawRegionFrame(CDC& dc, POINT from, POINT to, int style) {
    CStylePen pen(dc, style);
    if (style == kStyleReorderArrow || style == kStyleArrow) {
        Arrow(dc, from, to);
    } else if (style == kStylePenStroke || style == kStyleSplitLine) {
        dc.MoveTo(from);
        dc.LineTo(to);
    } else {
        Outline(dc, from.x, from.y, to.x, to.y);
    }
}

void CPageViewRenderer::DrawPageRect(CDC& dc, const CPageViewController& view, const RECT& page, int style,
                                     int label) {
    const CPageImage* image = view.Image();
    if (!image) return;
    POINT a = view.PageToClient(POINT{page.left, page.top});
    POINT b = view.PageToClient(POINT{page.right, page.bottom});
    const int inset = GetDrawStyle(style).width - 1;
    if (page.left <= 0) a.x += inset;
    if (page.top <= 0) a.y += inset;
    if (page.right >= image->m_nWidth) b.x -= inset;
    if (page.bottom >= image->m_nHeight) b.y -= inset;
    DrawRegionFrame(dc, a, b, style);
    if (IsDoubleFrameStyle(style)) DrawRegionFrame(dc, POINT{a.x + 1, a.y + 1}, POINT{b.x - 1, b.y - 1}, style);
    if (label == 0) return;
    char text[16];
    if (label < 0) std::snprintf(text, sizeof text, "%s", kSealMark);
    else std::snprintf(text, sizeof text, "%d", label);
    const COLORREF oldText = dc.SetTextColor(LabelColorOfStyle(style));
    const COLORREF oldBk = dc.SetBkColor(RGB(0, 0, 0));
    const int oldMode = dc.SetBkMode(OPAQUE);
    dc.TextOut(a.x + 2, a.y + 2, text, static_cast<int>(std::strlen(text)));
    dc.SetBkMode(oldMode);
    dc.SetBkColor(oldBk);
    dc.SetTextColor(oldText);
}

void CPageViewRenderer::DrawBand(CDC& dc, const CPageViewController& view) {
    const DragState* d = view.Drag();
    if (!d || !d->drawn) return;
    const POINT anchor{d->anchorX - view.ScrollX(), d->anchorY - view.ScrollY()};
    const POINT moving{d->movingX - view.ScrollX(), d->movingY - view.ScrollY()};
    const int style = view.BandStyle();
    if (style == kStyleSplitLine) {
        const RECT& box = view.SplitBox();
        const POINT top = view.PageToClient(POINT{box.left, box.top});
        const POINT bottom = view.PageToClient(POINT{box.right, box.bottom});
        if (moving.x < top.x || moving.x > bottom.x) DrawRegionFrame(dc, anchor, moving, kStyleReorderArrow);
        else DrawRegionFrame(dc, POINT{moving.x, top.y}, POINT{moving.x, bottom.y}, kStyleSplitLine);
        return;
    }
    DrawRegionFrame(dc, anchor, moving, style);
}

void CPageViewRenderer::DrawPage(CDC& dc, const CPageViewController& view, CKeptPageDrawing* kept) {
    const CPageImage* image = view.Image();
    const int areaW = view.AreaWidth(), areaH = view.AreaHeight();
    const int shift = view.ScrollX() % 8;
    const int destX = view.OffsetX() - shift, destY = view.OffsetY();
    const int height = std::min(view.DisplayHeight(), areaH);
    if (image->m_nBitCount == 1) {
        if (view.DisplayBits().empty() || view.DisplayRows() <= 0) return;
        CBitmap display;
        if (!display.CreateBitmap(view.DisplayStride() * 8, view.DisplayRows(), 1, 1, view.DisplayBits().data()))
            return;
        CDC source;
        source.CreateCompatibleDC(&dc);
        CBitmap* old = source.SelectObject(&display);
        // 1 bits, the ink, come out black.
        const COLORREF oldText = dc.SetTextColor(RGB(255, 255, 255));
        const COLORREF oldBk = dc.SetBkColor(RGB(0, 0, 0));
        dc.BitBlt(destX, destY, view.DisplayWidth() + shift, height, &source, 0, 0, SRCCOPY);
        dc.SetBkColor(oldBk);
        dc.SetTextColor(oldText);
        source.SelectObject(old);
        return;
    }
    if (!image->m_hDib) return;
    CBlockLock dib(image->m_hDib);
    DibLayout layout;
    if (!dib || !DescribeDib(dib.get(), dib.size(), layout)) return;
    const WORD zoom = view.Zoom();
    const int srcX = static_cast<int>(static_cast<long long>(view.ScrollX()) * 256 / zoom);
    const int srcY = static_cast<int>(static_cast<long long>(view.ScrollY()) * 256 / zoom);
    const int srcW = std::min(layout.width - srcX, static_cast<int>(static_cast<long long>(areaW) * 256 / zoom));
    const int srcH = std::min(layout.height - srcY, static_cast<int>(static_cast<long long>(areaH) * 256 / zoom));
    if (srcW <= 0 || srcH <= 0) return;
    const int width = view.DisplayWidth();
    auto stretch = [&](CDC& target, int x, int y) {
        HDRAWDIB dd = DrawDibOpen();
        DrawDibDraw(dd, target.GetSafeHdc(), x, y, width, height, layout.header, layout.bits, srcX, srcY, srcW, srcH,
                    DDF_BACKGROUNDPAL);
        DrawDibClose(dd);
    };
    // Scaling the whole page is the costly part of a paint: the drawing is
    // kept and copied while the display stays as it was.
    const CKeptPageDrawing::Key key{image, image->m_hDib, view.DisplayGeneration(), width, height, srcX, srcY, srcW, srcH};
    CBitmap* drawn = kept ? kept->Find(key) : nullptr;
    if (!drawn && kept && width > 0 && height > 0) {
        auto bitmap = std::make_unique<CBitmap>();
        if (bitmap->CreateCompatibleBitmap(&dc, width, height)) {
            CDC target;
            target.CreateCompatibleDC(&dc);
            CBitmap* old = target.SelectObject(bitmap.get());
            stretch(target, 0, 0);
            target.SelectObject(old);
            drawn = kept->Keep(std::move(bitmap), key);
        }
    }
    if (!drawn) {
        stretch(dc, view.OffsetX(), destY);
        return;
    }
    CDC source;
    source.CreateCompatibleDC(&dc);
    CBitmap* old = source.SelectObject(drawn);
    dc.BitBlt(view.OffsetX(), destY, width, height, &source, 0, 0, SRCCOPY);
    source.SelectObject(old);
}

void CPageViewRenderer::Paint(CDC& dc, CPageViewController& view, const PageViewPaintInput& input) {
    const RECT area{0, 0, view.AreaWidth(), view.AreaHeight()};
    if (!view.HasPage()) {
        dc.FillSolidRect(&area, kGrey);
        return;
    }
    if (view.DisplayWidth() == 0 && view.DisplayHeight() == 0 && !view.UpdateDisplayImage()) return;
    view.ComputeOffsets();
    dc.FillSolidRect(&area, RGB(255, 255, 255));
    DrawPage(dc, view, input.kept);

    CPageRegion* tree = view.Tree();
    if (tree) {
        DrawPageRect(dc, view, tree->Rect(), kStylePageRect, 0);
        const RECT visible = view.VisiblePageRect();
        for (int i = 0; i < tree->GetChildCount(); ++i) {
            CLayoutRegion* region = tree->GetChild(i);
            if (!RectsSharePixels(*region, visible)) continue;
            if (input.handwriting && (region->m_nFlags & kRegionAnyText)) {
                if (CTextRegion* text = region->AsTextRegion()) {
                    for (int r = 0; r < text->m_nRows; ++r) {
                        const TextRow& row = text->m_pRows[r];
                        for (int b = 0; row.pBoxes && b < row.nBoxes; ++b) {
                            const WordBox& box = row.pBoxes[b];
                            DrawPageRect(dc, view, RECT{box.left, box.top, box.right, box.bottom},
                                         kStyleHandwritingBox, 0);
                        }
                    }
                }
            }
            const int style = RegionStyle(region->m_nFlags, tree->IsSelectedChild(region));
            if (style < 0) continue;
            DrawPageRect(dc, view, region->Rect(), style, i + 1);
            if (region->m_nFlags & kRegionTable) {
                for (int c = 0; c < region->GetChildCount(); ++c)
                    DrawPageRect(dc, view, region->GetChild(c)->Rect(), kStyleTable, 0);
            }
        }
        if (tree->m_pSealRect)
            DrawPageRect(dc, view, *tree->m_pSealRect, view.SealMode() ? kStyleSealEditing : kStyleSeal, -1);
    }
    if (input.viewText && view.CurrentChar().right != 0)
        DrawPageRect(dc, view, view.CurrentChar(), kStyleHorizontalText, 0);
    DrawBand(dc, view);
    if (input.focused) {
        CBrush black(RGB(0, 0, 0));
        dc.FrameRect(&area, &black);
    }
}
