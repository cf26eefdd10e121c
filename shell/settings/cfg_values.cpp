#include "shell/settings/cfg_values.h"

#include <algorithm>

#include "platform/afx/afxwin.h"
#include "shell/app/scribant_settings.h"

CfgValues CfgValues::From(const ScribantSettings& s) {
    CfgValues v;
    v.mouseSensibility = s.mouseSensibility;
    v.recoSpeed = s.recoSpeed;
    v.penColor = s.penColor;
    v.penWidth = s.penWidth;
    v.ignoredFlag = s.ignoredFlag;
    v.codeType = s.codeType;
    v.autoAdjust = s.autoAdjust ? 1 : 0;
    v.autoPostProcess = s.autoPostProcess ? 1 : 0;
    v.autoLoadLastWork = s.autoLoadLastWork ? 1 : 0;
    v.autoResize = s.autoResize ? 1 : 0;
    // A language not chosen yet shows as the first choice.
    v.langCode = s.langCode < 0 ? 0 : s.langCode;
    v.pageType = s.pageType;
    v.saveAsJpg = s.saveAsJpg ? 1 : 0;
    return v;
}

void CfgValues::To(ScribantSettings& s) const {
    s.mouseSensibility = mouseSensibility;
    s.recoSpeed = recoSpeed;
    s.penColor = penColor;
    s.penWidth = penWidth;
    s.ignoredFlag = ignoredFlag;
    s.codeType = codeType;
    s.autoAdjust = autoAdjust != 0;
    s.autoPostProcess = autoPostProcess != 0;
    s.autoLoadLastWork = autoLoadLastWork != 0;
    s.autoResize = autoResize != 0;
    s.langCode = langCode;
    s.pageType = pageType;
    s.saveAsJpg = saveAsJpg != 0;
}

namespace cfg {

int CompareInkColors(COLORREF first, COLORREF second) {
    const auto r = [](COLORREF c) { return static_cast<int>(c & 0xFF); };
    const auto g = [](COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); };
    const auto b = [](COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); };
    const int sum1 = r(first) + g(first) + b(first), sum2 = r(second) + g(second) + b(second);
    if (sum1 != sum2) return sum1 < sum2 ? -1 : 1;
    if (b(second) >= b(first) && g(second) >= g(first)) return r(second) < r(first) ? -1 : 1;
    return -1;
}

int ScrollStep(int value, UINT code, int thumb, int minimum, int maximum, int page) {
    switch (code) {
    case SB_LINELEFT: --value; break;
    case SB_LINERIGHT: ++value; break;
    case SB_PAGELEFT: value -= page; break;
    case SB_PAGERIGHT: value += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: value = thumb; break;
    case SB_LEFT: value = minimum; break;
    case SB_RIGHT: value = maximum; break;
    default: break;
    }
    return std::clamp(value, minimum, maximum);
}

}  // namespace cfg
