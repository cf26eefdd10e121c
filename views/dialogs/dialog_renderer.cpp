#include "views/dialogs/dialog_renderer.h"

#include <algorithm>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "platform/afx/core/drawdib.h"

void CDialogRenderer::DrawTracker(CDC& dc, POINT a, POINT b, COLORREF color) {
    CPen pen(PS_SOLID, 1, color);
    CPen* old = dc.SelectObject(&pen);
    const int oldRop = dc.SetROP2(R2_COPYPEN);
    dc.MoveTo(a.x, a.y);
    dc.LineTo(b.x, a.y);
    dc.LineTo(b.x, b.y);
    dc.LineTo(a.x, b.y);
    dc.LineTo(a.x, a.y);
    dc.SetROP2(oldRop);
    dc.SelectObject(old);
}

void CDialogRenderer::DrawPicture(CDC& dc, const CPreviewWindow& w, int left, int top) {
    if (w.shownWidth <= 0 || w.shownHeight <= 0) return;
    CBitmap picture;
    if (!picture.CreateBitmap(CPreviewWindow::kStride * 8, CPreviewWindow::kArea, 1, 1, w.Bits().data())) return;
    CDC source;
    source.CreateCompatibleDC(&dc);
    CBitmap* old = source.SelectObject(&picture);
    const COLORREF oldText = dc.SetTextColor(RGB(255, 255, 255));
    const COLORREF oldBk = dc.SetBkColor(RGB(0, 0, 0));
    dc.BitBlt(left + w.CentreX(), top + w.CentreY(), w.shownWidth, std::min(w.shownHeight, CPreviewWindow::kArea),
              &source, 0, 0, SRCCOPY);
    dc.SetBkColor(oldBk);
    dc.SetTextColor(oldText);
    source.SelectObject(old);
}

void CDialogRenderer::DrawBrightness(CDC& dc, const CBrightnessController& c) {
    const int l = CBrightnessController::kAreaLeft, t = CBrightnessController::kAreaTop;
    if (!c.Plane()) return;
    dc.FillSolidRect(l, t, CPreviewWindow::kArea, CPreviewWindow::kArea, RGB(255, 255, 255));
    DrawPicture(dc, c.Window(), l, t);
    DrawTracker(dc, POINT{l, t}, POINT{l + CPreviewWindow::kArea, t + CPreviewWindow::kArea}, kFrame);
}

void CDialogRenderer::DrawManualSkew(CDC& dc, const CManualSkewController& c) {
    const int l = CManualSkewController::kAreaLeft, t = CManualSkewController::kAreaTop;
    const int r = CManualSkewController::kAreaRight, b = CManualSkewController::kAreaBottom;
    const CPreviewWindow& w = c.Window();
    if (c.Valid()) {
        dc.FillSolidRect(l, t, CPreviewWindow::kArea, CPreviewWindow::kArea, RGB(255, 255, 255));
        if (c.IsMono()) {
            DrawPicture(dc, w, l, t);
        } else if (const CPageImage* page = c.Working(); page && page->m_hDib) {
            CBlockLock dib(page->m_hDib);
            DibLayout layout;
            if (dib && DescribeDib(dib.get(), dib.size(), layout)) {
                const int sx = static_cast<int>(static_cast<long long>(w.panX) * 256 / c.Scale());
                const int sy = static_cast<int>(static_cast<long long>(w.panY) * 256 / c.Scale());
                const int sw = std::min(layout.width - sx, CPreviewWindow::kArea * 256 / c.Scale());
                const int sh = std::min(layout.height - sy, CPreviewWindow::kArea * 256 / c.Scale());
                if (sw > 0 && sh > 0) {
                    HDRAWDIB dd = DrawDibOpen();
                    DrawDibDraw(dd, dc.GetSafeHdc(), l + w.CentreX(), t + w.CentreY(), w.shownWidth,
                                std::min(w.shownHeight, CPreviewWindow::kArea), layout.header, layout.bits, sx, sy, sw, sh,
                                DDF_HALFTONE);
                    DrawDibClose(dd);
                }
            }
        }
    }
    DrawTracker(dc, POINT{l, t}, POINT{r, b}, kFrame);
    const int left = c.LeftY(), right = c.RightY();
    CPen red(PS_SOLID, 1, kLine);
    CPen* old = dc.SelectObject(&red);
    const int oldRop = dc.SetROP2(R2_COPYPEN);
    dc.MoveTo(l, left);
    dc.LineTo(r, right);
    dc.SelectObject(old);
    dc.SetROP2(oldRop);
    DrawTracker(dc, POINT{l + 1, left - 4}, POINT{l + 9, left + 4}, kLine);
    DrawTracker(dc, POINT{r - 9, right - 4}, POINT{r - 1, right + 4}, kLine);
    old = dc.SelectObject(&red);
    dc.MoveTo(170, t);
    dc.LineTo(170 + left - right, b);
    dc.SelectObject(old);
}
