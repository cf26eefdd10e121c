#include "textory/taskbar/workflow_bar_renderer.h"

#include <algorithm>
#include <cstdio>

#include "platform/win/codepage.h"

namespace textory {
namespace {

constexpr COLORREF kBarBackground = RGB(165, 42, 0);
constexpr COLORREF kButtonFace = RGB(236, 226, 214);
constexpr COLORREF kButtonLight = RGB(255, 255, 255);
constexpr COLORREF kButtonShadow = RGB(96, 64, 48);
constexpr COLORREF kStripGrey = 0x808080;
constexpr COLORREF kStripBlue = 0x800000;
constexpr COLORREF kWhite = RGB(255, 255, 255);

void text(CDC& dc, const std::string& utf8, RECT r, COLORREF color, UINT format) {
    const std::string ansi = suite::Utf8ToAnsi(utf8);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(color);
    dc.DrawText(ansi.c_str(), static_cast<int>(ansi.size()), &r, format);
}

void button(CDC& dc, const RECT& r, const std::string& caption, bool enabled = true) {
    dc.FillSolidRect(&r, kButtonFace);
    dc.Draw3dRect(&r, kButtonLight, kButtonShadow);
    text(dc, caption, r, enabled ? RGB(0, 0, 0) : RGB(150, 150, 150), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// A 16 x 16 face drawn for an icon id: a page for the file output, a page
// with a "W" for the word processor, a lens for recognition, a pen for
// proofreading, a speaker for reading aloud.
void face(CDC& dc, int x, int y, UINT icon) {
    const RECT page{x + 2, y + 1, x + 13, y + 15};
    dc.FillSolidRect(&page, RGB(255, 255, 255));
    dc.Draw3dRect(&page, RGB(60, 60, 60), RGB(60, 60, 60));
    COLORREF mark = RGB(40, 90, 200);
    switch (icon) {
    case 329: case 314: mark = RGB(30, 70, 170); break;  // word processor
    case 330: case 315: mark = RGB(0, 130, 60); break;   // file
    case 328: mark = RGB(200, 120, 0); break;            // recognise
    case 334: mark = RGB(170, 0, 120); break;            // proofread
    case 372: mark = RGB(0, 140, 160); break;            // read aloud
    default: break;
    }
    for (int line = 0; line < 3; ++line) dc.FillSolidRect(x + 4, y + 4 + line * 3, 7, 2, mark);
}

RECT placeOf(int control) {
    for (const BarControlPlace& p : WorkflowBarLayout())
        if (p.control == control) return p.rect;
    return RECT{0, 0, 0, 0};
}

}  // namespace

std::vector<BarControlPlace> WorkflowBarLayout() {
    return {
        {kBarMenuButton, {4, 4, 36, 36}},
        {kBarScanButton, {40, 4, 100, 36}},
        {kBarOutputChoice, {102, 4, 126, 36}},
        {kBarRecognizeButton, {130, 4, 190, 36}},
        {kBarProofreadButton, {192, 4, 252, 36}},
        {kBarReadButton, {254, 4, 314, 36}},
        {kBarAutomaticRadio, {320, 4, 366, 19}},
        {kBarSingleStepRadio, {320, 21, 366, 36}},
        {kBarResolutionButton, {370, 4, 456, 19}},
        {kBarImageTypeButton, {370, 21, 412, 36}},
        {kBarLanguageButton, {414, 21, 456, 36}},
        {kBarStepText, {462, 8, 636, 32}},
    };
}

int WorkflowBarControlAt(POINT point) {
    for (const BarControlPlace& p : WorkflowBarLayout())
        if (point.x >= p.rect.left && point.x < p.rect.right && point.y >= p.rect.top && point.y < p.rect.bottom)
            return p.control == kBarStepText ? 0 : p.control;
    return 0;
}

void PaintWorkflowBar(CDC& dc, const CWorkflowBarState& state, int langCode) {
    dc.FillSolidRect(0, 0, kWorkflowBarWidth, kWorkflowBarHeight, kBarBackground);
    const RECT menu = placeOf(kBarMenuButton);
    button(dc, menu, "");
    face(dc, menu.left + 8, menu.top + 8, 128);

    struct Labelled {
        int control;
        UINT icon;
        const char* caption;
        bool enabled;
    } buttons[] = {
        {kBarScanButton, state.ScanFace(), "扫描", true},
        {kBarRecognizeButton, 328, "识别", true},
        {kBarProofreadButton, 334, "校对", state.ProofreadEnabled()},
        {kBarReadButton, 372, "阅读", true},
    };
    for (const Labelled& b : buttons) {
        RECT r = placeOf(b.control);
        button(dc, r, "");
        face(dc, r.left + 4, r.top + 8, b.icon);
        RECT label{r.left + 22, r.top, r.right, r.bottom};
        text(dc, b.caption, label, b.enabled ? RGB(0, 0, 0) : RGB(150, 150, 150),
             DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    const RECT choice = placeOf(kBarOutputChoice);
    button(dc, choice, "");
    face(dc, choice.left + 4, choice.top + 8, state.OutputChoiceFace());

    // The work-mode radios on the bar's own background.
    for (int control : {kBarAutomaticRadio, kBarSingleStepRadio}) {
        const RECT r = placeOf(control);
        const bool checked = (control == kBarSingleStepRadio) == state.SingleStep();
        const RECT dot{r.left + 1, r.top + 3, r.left + 10, r.top + 12};
        dc.FillSolidRect(&dot, kWhite);
        if (checked) dc.FillSolidRect(dot.left + 2, dot.top + 2, 5, 5, RGB(0, 0, 0));
        RECT label{r.left + 13, r.top, r.right, r.bottom};
        text(dc, control == kBarAutomaticRadio ? "自动" : "单步", label, kWhite, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    button(dc, placeOf(kBarResolutionButton), state.ResolutionCaption());
    button(dc, placeOf(kBarImageTypeButton), state.ImageTypeCaption());
    button(dc, placeOf(kBarLanguageButton), state.LanguageCaption(langCode));

    const RECT step = placeOf(kBarStepText);
    button(dc, step, state.HasStrip() ? "" : state.StepText());
    if (state.HasStrip()) {
        const RECT inner{step.left + 1, step.top + 1, step.right - 1, step.bottom - 1};
        const int width = inner.right - inner.left;
        const StripFill fill = state.Strip(width);
        dc.FillSolidRect(&inner, kStripGrey);
        dc.FillSolidRect(inner.left, inner.top, fill.filled, inner.bottom - inner.top, kStripBlue);
        char percent[16];
        std::snprintf(percent, sizeof percent, "%3i%%", fill.percent);
        text(dc, percent, inner, kWhite, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

ScanToBarLayout LayoutScanToBar(int width) {
    const int w = std::max(width, 200);
    return {RECT{2, 3, 64, 25}, RECT{70, 2, 70 + (w - 90), 2 + 178}};
}

void PaintScanToBar(CDC& dc, int width, int height, const std::string& target) {
    dc.FillSolidRect(0, 0, width, height, RGB(212, 208, 200));
    const ScanToBarLayout layout = LayoutScanToBar(width);
    button(dc, layout.button, "扫描到:");
    // The combo box's closed face: one line high, with its drop-down arrow.
    RECT box{layout.combo.left, layout.combo.top, layout.combo.right, layout.combo.top + 21};
    dc.FillSolidRect(&box, kWhite);
    dc.Draw3dRect(&box, kButtonShadow, kButtonLight);
    RECT arrow{box.right - 17, box.top + 2, box.right - 2, box.bottom - 2};
    button(dc, arrow, "▼");
    RECT label{box.left + 3, box.top, arrow.left - 2, box.bottom};
    const std::string ansi = target;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.DrawText(ansi.c_str(), static_cast<int>(ansi.size()), &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace textory
