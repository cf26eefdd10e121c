// Measuring and drawing the items of an icon menu in the classic and the
// flat look.
#include <algorithm>

#include "platform/win/codepage.h"
#include "textory/icon_menu.h"
#include "textory/icon_menu_icons.h"

namespace {

std::string Ansi(const std::u16string& text) { return suite::Utf16ToAnsi(text); }

COLORREF Sys(int index) { return ::GetSysColor(index); }

// The tick of a checked item: seven strokes of three pixels.
void DrawTick(CDC& dc, int x, int y, COLORREF colour) {
    static const int rise[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) dc.FillSolidRect(x + i, y + rise[i], 1, 3, colour);
}

void DrawCheckMark(CDC& dc, int x, int y, bool dot, COLORREF colour) {
    if (dot) dc.FillSolidRect(x + 5, y + 4, 6, 6, colour);
    else DrawTick(dc, x + 4, y + 4, colour);
}

// Draws the item text: the part before the last tab left-aligned, the
// accelerator right-aligned in a rectangle shortened by `accelInset`.
void DrawItemText(CDC& dc, const std::u16string& text, RECT r, UINT extra, int accelInset) {
    const size_t tab = text.rfind(u'\t');
    const std::string before = Ansi(tab == std::u16string::npos ? text : text.substr(0, tab));
    ::DrawTextA(dc, before.c_str(), static_cast<int>(before.size()), &r, DT_LEFT | extra);
    if (tab != std::u16string::npos) {
        const std::string accel = Ansi(text.substr(tab + 1));
        RECT a = r;
        a.right -= accelInset;
        ::DrawTextA(dc, accel.c_str(), static_cast<int>(accel.size()), &a, DT_RIGHT | extra);
    }
}

}  // namespace

void CIconMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    if (!mis) return;
    const auto* record = reinterpret_cast<const ItemRecord*>(mis->itemData);
    const textory::IconMenuLook& look = textory::SharedIconMenuLook();
    const bool flat = look.Flat(textory::IsClassicTheme());
    const int m = flat && look.iconShadow ? 7 : 4;
    const int menuHeight = GetSystemMetrics(SM_CYMENU);
    if (!record || (record->flags & MF_SEPARATOR)) {
        mis->itemWidth = 0;
        mis->itemHeight = static_cast<UINT>(std::max((m_iconHeight + m) / 2, menuHeight / 2));
        return;
    }
    const int textWidth = textory::MeasureMenuText(record->text);
    const int width = textWidth + (flat ? m_iconWidth + m + 8 : 2 * m_iconWidth + 1);
    mis->itemWidth = static_cast<UINT>(std::max(width, 0));
    mis->itemHeight = static_cast<UINT>(std::max(m_iconHeight + m, menuHeight));
}

void CIconMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis || !dis->hDC) return;
    const auto* record = reinterpret_cast<const ItemRecord*>(dis->itemData);
    if (!record) return;
    // The caller's DC, borrowed: attaching it would take it from its owner.
    CDC& dc = *CDC::FromHandle(dis->hDC);
    const int saved = dc.SaveDC();
    const textory::IconMenuLook& look = textory::SharedIconMenuLook();
    const bool classicTheme = textory::IsClassicTheme();
    const bool themed = look.Themed(classicTheme);
    const bool palette = (dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE) != 0;
    const bool flat = !palette && look.Flat(classicTheme);
    const RECT item = dis->rcItem;
    const int height = item.bottom - item.top;
    const bool disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool checked = (dis->itemState & ODS_CHECKED) != 0;
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    const bool separator = (record->flags & MF_SEPARATOR) != 0;
    const bool hasIcon = record->iconIndex >= 0;
    // A checked-state bitmap on the item draws a dot in place of the tick.
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    const bool dot = ::GetMenuItemInfoA(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, FALSE, &info) &&
                     info.hbmpChecked != nullptr;
    dc.SetBkMode(TRANSPARENT);

    if (!flat) {
        const COLORREF back = Sys(themed ? COLOR_BTNFACE : COLOR_MENU);
        const int l = std::max((height - m_iconHeight - 4) / 2, 0);
        if (separator) {
            dc.FillSolidRect(&item, back);
            RECT line{item.left, item.top + height / 2, item.right, item.bottom};
            dc.DrawEdge(&line, EDGE_ETCHED, BF_TOP);
            dc.RestoreDC(saved);
            return;
        }
        if (selected && disabled && !look.highlightDisabledClassic) selected = false;
        dc.FillSolidRect(&item, back);
        if (selected) {
            RECT sel = item;
            if (hasIcon || checked) sel.left = item.left + m_iconWidth + 5;
            dc.FillSolidRect(&sel, Sys(COLOR_HIGHLIGHT));
        }
        RECT box{item.left, item.top + l, item.left + m_iconWidth + 4, item.top + l + m_iconHeight + 4};
        if (hasIcon) {
            const POINT at{item.left + 2, item.top + l + 2};
            if (disabled) {
                dc.FillSolidRect(&box, back);
                textory::DrawEmbossedMenuIcon(dc, record->iconIndex, at);
            } else if (selected) {
                dc.FillSolidRect(&box, back);
                if (look.NewStyleEdges()) {
                    if (checked) dc.Draw3dRect(&box, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
                    else dc.Draw3dRect(&box, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW));
                }
            } else if (!disabled && checked) {
                dc.FillSolidRect(&box, textory::LightenColour(back, 0.6));
                if (look.NewStyleEdges()) dc.Draw3dRect(&box, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
            } else {
                dc.FillSolidRect(&box, back);
            }
            if (!disabled && textory::SharedMenuIcons())
                textory::SharedMenuIcons()->Draw(&dc, record->iconIndex, at, ILD_TRANSPARENT);
        } else if (checked) {
            RECT check{item.left + 1, item.top + l + 2, item.left + m_iconWidth + 1, item.top + l + m_iconHeight + 2};
            dc.FillSolidRect(&check, selected ? back : textory::LightenColour(back, 0.6));
            if (look.NewStyleEdges()) dc.DrawEdge(&check, BDR_SUNKENOUTER, BF_RECT);
            DrawCheckMark(dc, check.left, check.top, dot, Sys(COLOR_MENUTEXT));
        }
        RECT text{item.left + m_iconWidth + 9, item.top - 1, item.right, item.bottom - 1};
        const UINT format = DT_SINGLELINE | DT_VCENTER;
        if (disabled && !selected) {
            RECT shifted = text;
            ::OffsetRect(&shifted, 1, 1);
            dc.SetTextColor(Sys(COLOR_BTNHIGHLIGHT));
            DrawItemText(dc, record->text, shifted, format, m_iconWidth);
            dc.SetTextColor(Sys(COLOR_GRAYTEXT));
        } else if (disabled) {
            dc.SetTextColor(back);
        } else {
            dc.SetTextColor(Sys(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        }
        DrawItemText(dc, record->text, text, format, m_iconWidth);
    } else {
        const int column = m_iconWidth + (look.iconShadow ? 7 : 4);
        const COLORREF window = Sys(COLOR_WINDOW);
        const COLORREF columnColour = themed ? Sys(COLOR_BTNFACE) : textory::LightenColour(Sys(COLOR_BTNFACE), 0.25);
        const COLORREF selection = textory::LightenColour(Sys(COLOR_HIGHLIGHT), themed ? 0.7 : 0.85);
        const COLORREF frame = Sys(COLOR_HIGHLIGHT);
        if (disabled && !look.highlightDisabledFlat) selected = false;
        RECT col{item.left, item.top, item.left + column, item.bottom};
        if (separator) {
            dc.FillSolidRect(&item, window);
            dc.FillSolidRect(&col, columnColour);
            RECT line{item.left + column + (look.iconShadow ? 7 : 4), item.top + height / 2, item.right, item.bottom};
            dc.DrawEdge(&line, EDGE_ETCHED, BF_TOP);
            dc.RestoreDC(saved);
            return;
        }
        if (selected) {
            dc.FillSolidRect(&item, selection);
            CBrush border(frame);
            dc.FrameRect(&item, &border);
        } else {
            dc.FillSolidRect(&item, window);
            dc.FillSolidRect(&col, columnColour);
        }
        if (!hasIcon && checked) {
            const int x = item.left + std::max((column - 16 + 1) / 2, 0);
            const int y = item.top + std::max((height - 16 + 1) / 2, 0);
            RECT check{x, y, x + 16, y + 16};
            dc.FillSolidRect(&check, textory::LightenColour(frame, 0.85));
            CBrush border(frame);
            dc.FrameRect(&check, &border);
            DrawCheckMark(dc, x + 1, y, dot, Sys(COLOR_MENUTEXT));
        } else if (hasIcon) {
            const int x = item.left + std::max((column - m_iconWidth + 1) / 2, 0);
            const int y = item.top + std::max((height - m_iconHeight + 1) / 2, 0);
            RECT box{item.left + 1, item.top + 1, item.left + column - 1, item.bottom - 1};
            CImageList* icons = textory::SharedMenuIcons();
            const int icon = record->iconIndex;
            const bool copies = textory::HasMenuIconCopies(icon);
            CBrush border(frame);
            if (disabled) {
                textory::DrawEmbossedMenuIcon(dc, icon, POINT{x, y});
            } else if (selected) {
                if (checked) {
                    dc.FrameRect(&box, &border);
                    icons->Draw(&dc, icon, POINT{x - 1, y - 1}, ILD_TRANSPARENT);
                } else if (copies) {
                    icons->Draw(&dc, icon + 2, POINT{x + 1, y + 1}, ILD_TRANSPARENT);
                    icons->Draw(&dc, icon, POINT{x - 1, y - 1}, ILD_TRANSPARENT);
                } else {
                    icons->Draw(&dc, icon, POINT{x, y}, ILD_TRANSPARENT);
                }
            } else if (checked) {
                dc.FillSolidRect(&box, textory::LightenColour(frame, 0.85));
                dc.FrameRect(&box, &border);
                icons->Draw(&dc, icon, POINT{x - 1, y - 1}, ILD_TRANSPARENT);
            } else {
                icons->Draw(&dc, copies ? icon + 1 : icon, POINT{x, y}, ILD_TRANSPARENT);
            }
        }
        RECT text{item.left + column + 8, item.top - 1, item.right, item.bottom - 1};
        dc.SetTextColor(!disabled ? Sys(COLOR_MENUTEXT)
                        : themed  ? Sys(COLOR_GRAYTEXT)
                                  : textory::LightenColour(Sys(COLOR_GRAYTEXT), 0.4));
        DrawItemText(dc, record->text, text, DT_SINGLELINE | DT_VCENTER, m_iconWidth);
    }
    dc.RestoreDC(saved);
}
