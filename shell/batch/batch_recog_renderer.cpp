#include "shell/batch/batch_recog_renderer.h"

#include <algorithm>
#include <cstring>

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

void CBatchRecogRenderer::DrawPreview(CDC& dc, const RECT& area, CBatchPreview&) {
    dc.FillSolidRect(&area, RGB(128, 128, 128));
}
