#include "keyrider/punch_hole_model.h"

#include <algorithm>

#include "keyrider/keyrider_ids.h"
#include "keyrider/startup_registry.h"
#include "platform/afx/core/afxgdi.h"
#include "platform/win/registry.h"

namespace keyrider {
namespace {

constexpr COLORREF kFrameDark = 0x606060;
constexpr COLORREF kFrameLight = 0xFFFFFF;
constexpr COLORREF kWhiteSwatch = 0xFAFAFA;

HKEY OpenPunchKey(HKEY appKey) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(appKey, "Remove Punch Hole", 0, nullptr, 0, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return k;
}

}  // namespace

PunchHoleValues ReadPunchHole(HKEY appKey) {
    PunchHoleValues v;
    HKEY k = OpenPunchKey(appKey);
    if (!k) return v;
    v.custom = ReadDword(k, "Custom", 0) != 0;
    v.color = ReadDword(k, "Color", 0xFFFFFF) & 0xFFFFFF;
    v.gray = ReadDword(k, "Gray", 0xFFFFFF) & 0xFFFFFF;
    v.bw = ReadDword(k, "BW", 0xFFFFFF) & 0xFFFFFF;
    RegCloseKey(k);
    return v;
}

bool WritePunchHole(HKEY appKey, const PunchHoleValues& v) {
    HKEY k = OpenPunchKey(appKey);
    if (!k) return false;
    bool ok = true;
    const std::pair<const char*, DWORD> values[] = {
        {"Custom", v.custom ? 1u : 0u}, {"Color", v.color}, {"Gray", v.gray}, {"BW", v.bw}};
    for (const auto& [name, value] : values)
        ok = RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) == ERROR_SUCCESS && ok;
    RegCloseKey(k);
    return ok;
}

COLORREF GrayOf(COLORREF c) {
    const DWORD r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    const DWORD y = (30 * r + 59 * g + 11 * b) / 100;
    return RGB(y, y, y);
}

void PunchHoleModel::SetGrayLevel(int level) {
    values_.gray = DWORD(std::clamp(level, 0, 255)) * 0x010101u;
}

void PaintPunchSwatch(HDC handle, const RECT& rect, UINT id, const PunchHoleModel& model) {
    CDC* dc = CDC::FromHandle(handle);
    if (!dc) return;
    const PunchHoleValues& v = model.Values();
    COLORREF fill = 0;
    bool sunken = false, choice = false;
    switch (id) {
    case IDC_SWATCH_COLOR: fill = v.color; break;
    case IDC_SWATCH_GRAY: fill = GrayOf(v.gray); break;
    case IDC_SWATCH_WHITE:
        fill = kWhiteSwatch;
        choice = true;
        sunken = model.WhiteSelected();
        break;
    case IDC_SWATCH_BLACK:
        fill = 0;
        choice = true;
        sunken = !model.WhiteSelected();
        break;
    default: return;
    }
    dc->FillSolidRect(&rect, fill);
    RECT frame = rect;
    if (!choice || !sunken) {
        dc->Draw3dRect(&frame, kFrameLight, kFrameDark);
        return;
    }
    dc->Draw3dRect(&frame, kFrameDark, kFrameLight);
    RECT focus{rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3};
    if (focus.right > focus.left && focus.bottom > focus.top) dc->DrawFocusRect(&focus);
}

}  // namespace keyrider
