#include "shell/frame/tool_bar_look.h"

#include <algorithm>

#include "platform/afx/ui/drawstate.h"

namespace {
constexpr int kTextTop = 3;  // the image's top in a button with a text
constexpr int kWideSeparator = 8;

void Groove(CDC& dc, const CRect& r, const ToolBarColours& c) { dc.Draw3dRect(&r, c.shadow, c.highlight); }
}  // namespace

ToolBarColours ToolBarColours::FromSystem() {
    ToolBarColours c;
    c.face = ::GetSysColor(COLOR_BTNFACE);
    c.highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    c.shadow = ::GetSysColor(COLOR_BTNSHADOW);
    c.light = ::GetSysColor(COLOR_3DLIGHT);
    if (c.light == c.face) c.light = c.highlight;
    return c;
}

CPoint ToolBarPainter::ImageOffset(CSize button, bool hasText) const {
    return CPoint((button.cx - imageSize_.cx) / 2, hasText ? kTextTop : (button.cy - imageSize_.cy) / 2);
}

void ToolBarPainter::PaintEmbossed(CDC& dc, int image, CPoint at) const {
    if (!images_ || image < 0 || image >= images_->GetImageCount()) return;
    // The image on the face colour, then its dark pixels as a mask: first in
    // the highlight colour one pixel right and down, then in the shadow colour.
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap picture;
    picture.CreateBitmap(imageSize_.cx, imageSize_.cy, 1, 32, nullptr);
    CBitmap* old = mem.SelectObject(&picture);
    mem.FillSolidRect(0, 0, imageSize_.cx, imageSize_.cy, colours_.face);
    images_->Draw(&mem, image, CPoint(0, 0), ILD_TRANSPARENT);
    std::vector<bool> ink(static_cast<std::size_t>(imageSize_.cx * imageSize_.cy));
    for (int y = 0; y < imageSize_.cy; ++y)
        for (int x = 0; x < imageSize_.cx; ++x) {
            const COLORREF p = mem.GetPixel(x, y);
            const int grey = (GetRValue(p) * 30 + GetGValue(p) * 59 + GetBValue(p) * 11) / 100;
            ink[static_cast<std::size_t>(y * imageSize_.cx + x)] = grey < 192;
        }
    mem.SelectObject(old);
    for (const auto& [dx, colour] : {std::pair{1, colours_.highlight}, std::pair{0, colours_.shadow}})
        for (int y = 0; y < imageSize_.cy; ++y)
            for (int x = 0; x < imageSize_.cx; ++x)
                if (ink[static_cast<std::size_t>(y * imageSize_.cx + x)]) dc.SetPixel(at.x + x + dx, at.y + y + dx, colour);
}

void ToolBarPainter::PaintButton(CDC& dc, const ToolButtonView& item) const {
    CRect r = item.rect;
    const bool down = item.pressed || (item.style & (TBBS_CHECKED | TBBS_PRESSED));
    const bool disabled = (item.style & TBBS_DISABLED) != 0;
    if (down) {
        dc.FillSolidRect(&r, item.hot ? colours_.face : colours_.light);
        dc.Draw3dRect(&r, colours_.shadow, colours_.highlight);
        if (!item.hot) {
            CRect inner = r;
            inner.DeflateRect(1, 1);
            dc.Draw3dRect(&inner, colours_.face, colours_.face);
        }
    } else {
        dc.FillSolidRect(&r, colours_.face);
        if (item.hot && !disabled) dc.Draw3dRect(&r, colours_.highlight, colours_.shadow);
    }
    CPoint at = r.TopLeft() + ImageOffset(r.Size(), !item.text.IsEmpty());
    if (down) at += CPoint(1, 1);
    if (images_ && item.image >= 0) {
        if (disabled) PaintEmbossed(dc, item.image, at);
        else images_->Draw(&dc, item.image, at, ILD_TRANSPARENT);
    }
    if (!item.text.IsEmpty()) {
        CRect text(r.left, at.y + imageSize_.cy, r.right, r.bottom);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(disabled ? colours_.shadow : RGB(0, 0, 0));
        dc.DrawText(item.text, &text, DT_CENTER | DT_SINGLELINE | DT_TOP);
    }
}

void ToolBarPainter::PaintSeparator(CDC& dc, const ToolButtonView& item, const ToolBarPlace& place,
                                    int buttonWidth) const {
    const CRect& r = item.rect;
    if (r.Width() > kWideSeparator && place.dockedHorizontally) return;
    if (place.floating && (item.style & TBBS_WRAPPED)) return;
    if (place.dockedHorizontally) {
        const int x = r.left + r.Width() / 2 - 1;
        Groove(dc, CRect(x, r.top, x + 2, r.bottom), colours_);
    } else {
        Groove(dc, CRect(r.left, r.bottom + 1, r.left + buttonWidth, r.bottom + 3), colours_);
    }
}

void ToolBarPainter::PaintGripper(CDC& dc, const CRect& window, const ToolBarPlace& place) const {
    if (place.floating) return;
    for (int i = 0; i < 2; ++i) {
        CRect ridge;
        if (place.dockedHorizontally)
            ridge = CRect(window.left + 2 + 3 * i, window.top + 4, window.left + 5 + 3 * i, window.bottom - 4);
        else
            ridge = CRect(window.left + 4, window.top + 2 + 3 * i, window.right - 4, window.top + 5 + 3 * i);
        dc.Draw3dRect(&ridge, colours_.highlight, colours_.shadow);
    }
}

void ToolBarPainter::PaintBar(CDC& dc, const CRect& client, const std::vector<ToolButtonView>& items,
                              const CRect& update, const ToolBarPlace& place, const CustomDrawSink& sink) const {
    dc.FillSolidRect(&client, colours_.face);
    NMCUSTOMDRAW bar{};
    bar.dwDrawStage = CDDS_PREPAINT;
    bar.hdc = dc.GetSafeHdc();
    bar.rc = client;
    const LRESULT answer = sink ? sink(bar) : CDRF_DODEFAULT;
    const int buttonWidth = items.empty() ? 0 : std::max_element(items.begin(), items.end(), [](const auto& a, const auto& b) {
                                                    return a.rect.Width() < b.rect.Width();
                                                })->rect.Width();
    for (const ToolButtonView& item : items) {
        if (item.style & TBBS_HIDDEN) continue;
        if (item.style & TBBS_SEPARATOR) {
            PaintSeparator(dc, item, place, buttonWidth);
            continue;
        }
        CRect meet;
        if (!meet.IntersectRect(&item.rect, &update)) continue;
        LRESULT itemAnswer = CDRF_DODEFAULT;
        NMCUSTOMDRAW rec{};
        rec.hdc = dc.GetSafeHdc();
        rec.rc = item.rect;
        rec.dwItemSpec = item.id;
        rec.uItemState = ((item.style & TBBS_DISABLED) ? CDIS_DISABLED : 0u) |
                         ((item.style & (TBBS_CHECKED | TBBS_PRESSED)) || item.pressed ? CDIS_CHECKED : 0u);
        if (sink && (answer & CDRF_NOTIFYITEMDRAW)) {
            rec.dwDrawStage = CDDS_ITEMPREPAINT;
            itemAnswer = sink(rec);
        }
        if (!(itemAnswer & CDRF_SKIPDEFAULT)) PaintButton(dc, item);
        if (sink && (itemAnswer & CDRF_NOTIFYPOSTPAINT)) {
            rec.dwDrawStage = CDDS_ITEMPOSTPAINT;
            sink(rec);
        }
    }
    if (sink && (answer & CDRF_NOTIFYPOSTPAINT)) {
        bar.dwDrawStage = CDDS_POSTPAINT;
        sink(bar);
    }
}

std::vector<int> ToolBarHotTracker::MouseMove(int under) {
    if (under == hot_) return {};
    std::vector<int> redraw;
    if (hot_ >= 0) redraw.push_back(hot_);
    if (under >= 0) redraw.push_back(under);
    hot_ = under;
    return redraw;
}

int ToolBarHotTracker::TimerTick(bool cursorInBar) {
    if (cursorInBar) return -1;
    const int was = hot_;
    hot_ = -1;
    return was;
}

COLORREF BitmapBackground(CBitmap& bitmap) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&bitmap);
    const COLORREF background = dc.GetPixel(0, 0) & 0xFFFFFF;
    dc.SelectObject(old);
    return background;
}

std::vector<int> ChangedButtons(const std::vector<UINT>& before, const std::vector<UINT>& after) {
    std::vector<int> changed;
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i)
        if (i >= before.size() || i >= after.size() || before[i] != after[i]) changed.push_back(static_cast<int>(i));
    return changed;
}
