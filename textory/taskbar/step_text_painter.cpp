#include "textory/taskbar/step_text_painter.h"

#include <cstdio>
#include <string>

#include "platform/win/codepage.h"

namespace textory {
namespace {
constexpr COLORREF kFace = RGB(248, 240, 228);
constexpr COLORREF kLight = RGB(255, 255, 255);
constexpr COLORREF kShadow = RGB(96, 40, 16);
constexpr COLORREF kStripGrey = 0x808080;
constexpr COLORREF kStripBlue = 0x800000;
constexpr COLORREF kWhite = RGB(255, 255, 255);

void text(CDC& dc, const std::string& utf8, RECT r, COLORREF colour) {
    const std::string ansi = suite::Utf8ToAnsi(utf8);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(colour);
    dc.DrawText(ansi.c_str(), static_cast<int>(ansi.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
}  // namespace

void PaintStepText(CDC& dc, const RECT& rect, const CWorkflowBarState& state) {
    dc.FillSolidRect(&rect, kFace);
    dc.Draw3dRect(&rect, kShadow, kLight);
    if (!state.HasStrip()) {
        text(dc, state.StepText(), rect, RGB(0, 0, 0));
        return;
    }
    const RECT inner{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    const StripFill fill = state.Strip(inner.right - inner.left);
    dc.FillSolidRect(&inner, kStripGrey);
    dc.FillSolidRect(inner.left, inner.top, fill.filled, inner.bottom - inner.top, kStripBlue);
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3i%%", fill.percent);
    text(dc, percent, inner, kWhite);
}

}  // namespace textory
