#include "shell/batch/batch_recog_renderer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/afx/core/drawdib.h"
#include "views/page_view/draw_styles.h"

CBatchRecogRenderer::PanelMetrics CBatchRecogRenderer::Measure(CDC& dc) {
    PanelMetrics m;
    const CSize size = dc.GetTextExtent("A", 1);
    m.charWidth = std::max<int>(1, size.cx);
    m.lineHeight = std::max<int>(1, size.cy) + 2;
    return m;
}

void CBatchRecogRenderer::Layout(const RECT& panel, const PanelMetrics& metrics, CBatchTextPanel& text) {
    const int width = panel.right - panel.left, height = panel.bottom - panel.top;
    text.SetGeometry((height - 1) / metrics.lineHeight, (width - 1) / metrics.charWidth);
}

void CBatchRecogRenderer::DrawPanel(CDC& dc, const RECT& panel, const PanelMetrics& metrics,
                                    const CBatchTextPanel& text) {
    if (panel.right <= panel.left || panel.bottom <= panel.top) return;
    dc.FillSolidRect(&panel, RGB(255, 255, 255));
    CPen pen(PS_SOLID, 1, RGB(0, 0, 0));
    CPen* oldPen = dc.SelectObject(&pen);
    dc.MoveTo(panel.left, panel.top);
    dc.LineTo(panel.right - 1, panel.top);
    dc.LineTo(panel.right - 1, panel.bottom - 1);
    dc.LineTo(panel.left, panel.bottom - 1);
    dc.LineTo(panel.left, panel.top);
    dc.SelectObject(oldPen);
    const COLORREF oldText = dc.SetTextColor(RGB(0, 0, 0));
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    for (int i = 0; i < text.VisibleLines() && i <= text.CurrentLine(); ++i) {
        const char* line = text.Line(i);
        const int length = std::min(static_cast<int>(std::strlen(line)), text.Columns());
        if (length > 0) dc.TextOut(panel.left + 1, panel.top + 1 + i * metrics.lineHeight, line, length);
    }
    dc.SetBkMode(oldMode);
    dc.SetTextColor(oldText);
}

RECT CBatchRecogRenderer::LineRect(const RECT& panel, const PanelMetrics& metrics, int line, int fromColumn) {
    RECT r;
    r.left = panel.left + 1 + std::max(0, fromColumn) * metrics.charWidth;
    r.top = panel.top + 1 + std::max(0, line) * metrics.lineHeight;
    r.right = panel.right;
    r.bottom = std::min<LONG>(panel.bottom, r.top + metrics.lineHeight);
    return r;
}

CBatchPreview::Build CBatchRecogRenderer::DrawPreview(CDC& dc, const RECT& area, CBatchPreview& preview) {
    const int aw = area.right - area.left, ah = area.bottom - area.top;
    const CBatchPreview::Build built = preview.Prepare(aw, ah);
    if (built == CBatchPreview::Build::kNoPage) {
        if (aw > 0 && ah > 0) dc.FillSolidRect(&area, kPreviewGrey);
        return built;
    }
    if (built != CBatchPreview::Build::kBuilt) return built;

    // Everything goes into a back buffer first and reaches the window in one copy.
    CDC back;
    back.CreateCompatibleDC(&dc);
    CBitmap buffer;
    buffer.CreateCompatibleBitmap(&dc, aw + 1, ah + 1);
    CBitmap* oldBuffer = back.SelectObject(&buffer);
    back.FillSolidRect(0, 0, aw + 1, ah + 1, kPreviewGrey);
    // Set bits of the 1-bit page come out black.
    back.SetTextColor(RGB(255, 255, 255));
    back.SetBkColor(RGB(0, 0, 0));

    const CPageImage& page = *preview.Page();
    const int x = preview.OffsetX(), y = preview.OffsetY();
    if (page.m_nBitCount == 1) {
        if (CBitmap* work = preview.WorkBitmap()) {
            CDC source;
            source.CreateCompatibleDC(&dc);
            CBitmap* oldWork = source.SelectObject(work);
            back.BitBlt(x, y, preview.DrawnWidth(), std::min(preview.DrawnHeight(), ah), &source, 0, 0, SRCCOPY);
            source.SelectObject(oldWork);
        }
    } else if (page.m_hDib) {
        if (auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(page.m_hDib))) {
            const DWORD colours = header->biClrUsed ? header->biClrUsed : (header->biBitCount <= 8 ? 1u << header->biBitCount : 0u);
            const BYTE* bits = reinterpret_cast<const BYTE*>(header) + header->biSize + colours * 4;
            const int scale = preview.Scale();
            const int drawnW = preview.DrawnWidth(), drawnH = std::min(preview.DrawnHeight(), ah + 1);
            const int sourceW = std::min(page.m_nWidth, aw * 256 / scale), sourceH = std::min(page.m_nHeight, ah * 256 / scale);
            // The page is scaled once and kept: progress repaints the
            // preview many times a second while the page stays the same.
            CBitmap* scaled = preview.ScaledPage(sourceW, sourceH);
            if (!scaled && drawnW > 0 && drawnH > 0) {
                auto bitmap = std::make_unique<CBitmap>();
                if (bitmap->CreateCompatibleBitmap(&dc, drawnW, drawnH)) {
                    CDC target;
                    target.CreateCompatibleDC(&dc);
                    CBitmap* oldTarget = target.SelectObject(bitmap.get());
                    HDRAWDIB dd = DrawDibOpen();
                    DrawDibDraw(dd, target.GetSafeHdc(), 0, 0, drawnW, drawnH, header, bits, 0, 0, sourceW, sourceH, DDF_HALFTONE);
                    DrawDibClose(dd);
                    target.SelectObject(oldTarget);
                    scaled = preview.KeepScaledPage(std::move(bitmap), sourceW, sourceH);
                }
            }
            if (scaled) {
                CDC source;
                source.CreateCompatibleDC(&dc);
                CBitmap* oldScaled = source.SelectObject(scaled);
                back.BitBlt(x, y, drawnW, drawnH, &source, 0, 0, SRCCOPY);
                source.SelectObject(oldScaled);
            } else {
                HDRAWDIB dd = DrawDibOpen();
                DrawDibDraw(dd, back.GetSafeHdc(), x, y, drawnW, drawnH, header, bits, 0, 0, sourceW, sourceH, DDF_HALFTONE);
                DrawDibClose(dd);
            }
            GlobalUnlock(page.m_hDib);
        }
    }

    // Frames in the page view's pens; the current region gets a second frame inside.
    for (const CBatchPreview::Frame& frame : preview.Frames()) {
        const DrawStyle& style = GetDrawStyle(frame.pen);
        CPen pen(style.penStyle, style.width, style.color);
        CPen* oldPen = back.SelectObject(&pen);
        const int oldRop = back.SetROP2(style.rop);
        auto outline = [&back](RECT r) {
            back.MoveTo(r.left, r.top);
            back.LineTo(r.right, r.top);
            back.LineTo(r.right, r.bottom);
            back.LineTo(r.left, r.bottom);
            back.LineTo(r.left, r.top);
        };
        outline(frame.rect);
        if (frame.current) outline(RECT{frame.rect.left + 1, frame.rect.top + 1, frame.rect.right - 1, frame.rect.bottom - 1});
        back.SetROP2(oldRop);
        back.SelectObject(oldPen);
    }

    // The recognised part: ones of a 1-bit bitmap take the background colour
    // light yellow, ANDed with the page so that text stays black.
    const std::vector<RECT> tints = preview.TintRects();
    if (!tints.empty()) {
        back.SetTextColor(0xFF0000);
        back.SetBkColor(0x80FFFF);
        for (const RECT& tint : tints) {
            const RECT r = preview.ToBuffer(tint);
            const int w = r.right - r.left, h = r.bottom - r.top;
            if (w <= 0 || h <= 0) continue;
            std::vector<BYTE> ones(static_cast<std::size_t>(CBatchPreview::WorkRowBytes(w)) * static_cast<std::size_t>(h), 0xFF);
            CBitmap mask;
            if (!mask.CreateBitmap(w, h, 1, 1, ones.data())) continue;
            CDC source;
            source.CreateCompatibleDC(&dc);
            CBitmap* oldMask = source.SelectObject(&mask);
            back.BitBlt(r.left, r.top, w, h, &source, 0, 0, SRCAND);
            source.SelectObject(oldMask);
        }
    }
    dc.BitBlt(area.left, area.top, aw, ah, &back, 0, 0, SRCCOPY);
    back.SelectObject(oldBuffer);
    return built;
}
