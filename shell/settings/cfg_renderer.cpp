#include "shell/settings/cfg_renderer.h"

#include "shell/settings/cfg_values.h"

void CCfgRenderer::DrawInkEntry(CDC& dc, const RECT& rect, COLORREF color, bool selected) {
    dc.FillSolidRect(&rect, color);
    CBrush frame(selected ? cfg::InvertedColor(color) : color);
    dc.FrameRect(&rect, &frame);
}

void CCfgRenderer::DrawWidthSamples(CDC& dc, const std::array<RECT, 6>& radios, COLORREF color) {
    for (int width = 1; width <= 6; ++width) {
        const RECT& r = radios[static_cast<std::size_t>(width - 1)];
        if (r.right <= r.left) continue;
        CPen pen(PS_SOLID, width, color);
        CPen* old = dc.SelectObject(&pen);
        const int y = (r.top + r.bottom) / 2;
        dc.MoveTo(r.right + 6, y);
        dc.LineTo(r.right + 42, y);
        dc.SelectObject(old);
    }
}
