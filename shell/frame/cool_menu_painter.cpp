#include "shell/frame/cool_menu_painter.h"

#include <algorithm>

#include "platform/afx/ui/drawstate.h"
#include "shell/frame/tool_bar_look.h"

HBITMAP SystemCheckMark() {
    static HBITMAP mark = ::LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECK));
    return mark;
}

CRect CoolMenuPainter::ButtonBox(const CRect& item) const {
    const int top = item.top + (item.Height() - button_.cy) / 2;
    return CRect(item.left, top, item.left + button_.cx, top + button_.cy);
}

void CoolMenuPainter::DrawImage(CDC& dc, int image, const CRect& box, bool disabled) const {
    const CSize size = images_->GetIconSize();
    const CPoint at(box.left + (box.Width() - size.cx) / 2, box.top + (box.Height() - size.cy) / 2);
    if (!disabled) {
        images_->Draw(&dc, image, at, ILD_TRANSPARENT);
        return;
    }
    ToolBarColours colours = ToolBarColours::FromSystem();
    if (!useDrawState_) {
        ToolBarPainter(colours, images_, size).PaintEmbossed(dc, image, at);
        return;
    }
    // Through DrawState: the image on the menu colour, embossed by the system.
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap picture;
    picture.CreateBitmap(size.cx, size.cy, 1, 32, nullptr);
    CBitmap* old = mem.SelectObject(&picture);
    mem.FillSolidRect(0, 0, size.cx, size.cy, ::GetSysColor(COLOR_MENU));
    images_->Draw(&mem, image, CPoint(0, 0), ILD_TRANSPARENT);
    mem.SelectObject(old);
    ::DrawState(dc.GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(picture.GetSafeHandle()), 0, at.x, at.y,
                size.cx, size.cy, DST_BITMAP | DSS_DISABLED);
}

bool CoolMenuPainter::DrawButton(CDC& dc, const CoolMenuDrawRequest& r, const CRect& box) const {
    const bool selected = (r.state & ODS_SELECTED) != 0;
    const bool checked = (r.state & ODS_CHECKED) != 0;
    const bool disabled = (r.state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const COLORREF highlight = ::GetSysColor(COLOR_3DHIGHLIGHT), shadow = ::GetSysColor(COLOR_3DSHADOW);
    if (images_ && r.item->image >= 0) {
        if (!disabled) {
            dc.FillSolidRect(&box, ::GetSysColor(checked && !selected ? COLOR_3DLIGHT : COLOR_MENU));
            if (checked) dc.Draw3dRect(&box, shadow, highlight);
            else if (selected) dc.Draw3dRect(&box, highlight, shadow);
        }
        DrawImage(dc, r.item->image, box, disabled);
        return true;
    }
    // No image: the item's own check bitmaps, or the system's check mark when checked.
    HBITMAP mark = checked ? (r.checked ? r.checked : SystemCheckMark()) : r.unchecked;
    if (!mark) return false;
    CBitmap* bitmap = CBitmap::FromHandle(mark);
    BITMAP info{};
    bitmap->GetBitmap(&info);
    const int w = std::min<int>(info.bmWidth, box.Width()), h = std::min<int>(info.bmHeight, box.Height());
    CRect frame(box.left + (box.Width() - w) / 2, box.top + (box.Height() - h) / 2, 0, 0);
    frame.right = frame.left + w;
    frame.bottom = frame.top + h;
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap* old = mem.SelectObject(bitmap);
    dc.FillSolidRect(&frame, ::GetSysColor(selected ? COLOR_MENU : COLOR_3DLIGHT));
    // A monochrome mark takes the menu text colour for its ink and keeps the background.
    dc.SetTextColor(::GetSysColor(COLOR_MENUTEXT));
    dc.SetBkColor(::GetSysColor(selected ? COLOR_MENU : COLOR_3DLIGHT));
    dc.BitBlt(frame.left, frame.top, w, h, &mem, 0, 0, SRCAND);
    mem.SelectObject(old);
    CRect edge = frame;
    edge.InflateRect(1, 1);
    if (info.bmWidth < box.Width()) edge.InflateRect(1, 1);
    dc.Draw3dRect(&edge, shadow, highlight);
    return true;
}

void CoolMenuPainter::DrawText(CDC& dc, const CoolMenuDrawRequest& r) const {
    const bool selected = (r.state & ODS_SELECTED) != 0;
    const bool disabled = (r.state & (ODS_GRAYED | ODS_DISABLED)) != 0;
    CRect text(r.rect.left + button_.cx + 2, r.rect.top, r.rect.right - button_.cx, r.rect.bottom);
    const CString& all = r.item->text;
    const int tab = all.Find('\t');
    const CString left = tab >= 0 ? all.Left(tab) : all;
    const CString right = tab >= 0 ? all.Mid(tab + 1) : CString();
    CFont* oldFont = font_ ? dc.SelectObject(font_) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    auto both = [&](const CRect& where) {
        dc.DrawText(left, const_cast<CRect*>(&where), DT_SINGLELINE | DT_LEFT | DT_VCENTER);
        if (!right.IsEmpty()) dc.DrawText(right, const_cast<CRect*>(&where), DT_SINGLELINE | DT_RIGHT | DT_VCENTER);
    };
    const COLORREF background = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU);
    if (disabled && (!selected || ::GetSysColor(COLOR_GRAYTEXT) == background)) {
        dc.SetTextColor(::GetSysColor(COLOR_3DHIGHLIGHT));
        CRect raised = text;
        raised.OffsetRect(1, 1);
        both(raised);
    }
    dc.SetTextColor(::GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    both(text);
    if (oldFont) dc.SelectObject(oldFont);
}

void CoolMenuPainter::Draw(CDC& dc, const CoolMenuDrawRequest& r) const {
    if (!r.item) return;
    if (r.item->type & MF_SEPARATOR) {
        CRect line = r.rect;
        line.top += line.Height() / 2;
        dc.DrawEdge(&line, EDGE_ETCHED, BF_TOP);
        return;
    }
    const CRect box = ButtonBox(r.rect);
    const bool selected = (r.state & ODS_SELECTED) != 0;
    // The band behind the text starts after the box when there is one.
    const bool hasBox = (images_ && r.item->image >= 0) || (r.state & ODS_CHECKED) || r.unchecked;
    if (r.action & ODA_DRAWENTIRE) dc.FillSolidRect(&r.rect, ::GetSysColor(COLOR_MENU));
    if (selected || (r.action & ODA_SELECT)) {
        CRect band = r.rect;
        if (hasBox) band.left = box.right;
        dc.FillSolidRect(&band, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    }
    if (hasBox) DrawButton(dc, r, box);
    DrawText(dc, r);
}

void PaintRadioMark(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObject(bitmap, sizeof info, &info)) return;
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr)) return;
    CBitmap* old = dc.SelectObject(CBitmap::FromHandle(bitmap));
    dc.FillSolidRect(0, 0, info.bmWidth, info.bmHeight, RGB(255, 255, 255));
    CBrush black(RGB(0, 0, 0));
    CPen outline(PS_SOLID, 1, RGB(0, 0, 0));
    CBrush* oldBrush = dc.SelectObject(&black);
    CPen* oldPen = dc.SelectObject(&outline);
    const int x = (info.bmWidth - 4) / 2, y = (info.bmHeight - 4) / 2;
    dc.Ellipse(x, y, x + 4, y + 4);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
    dc.SelectObject(old);
}
