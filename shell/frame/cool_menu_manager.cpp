#include "shell/frame/cool_menu_manager.h"

#include <algorithm>

#include "shell/frame/cool_menu_painter.h"

namespace {
constexpr UINT kFirstSystemCommand = 61440;
constexpr int kTextMax = 256;
constexpr UINT kKeptFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_MENUBREAK | MF_MENUBARBREAK;
}  // namespace

CCoolMenuManager::CCoolMenuManager() { PaintRadioMark(AfxGetRadioCheckBitmap()); }

CCoolMenuManager::~CCoolMenuManager() { Destroy(); }

void CCoolMenuManager::Install(CFrameWnd* frame) {
    frame_ = frame;
    HookWindow(frame);
}

BOOL CCoolMenuManager::LoadToolbar(UINT id) { return images_.LoadToolbar(id); }

BOOL CCoolMenuManager::LoadToolbars(const UINT* ids, int count) {
    BOOL all = TRUE;
    for (int i = 0; i < count; ++i) all = LoadToolbar(ids[i]) && all;
    return all;
}

void CCoolMenuManager::Destroy() {
    images_.Clear();
    if (font_.GetSafeHandle()) font_.DeleteObject();
    accelerators_.clear();
    copiedFrom_ = nullptr;
    records_.Clear();
    converted_.clear();
}

void CCoolMenuManager::Refresh() {
    // The colours or the menu font changed: the images and the font are made
    // again. The records stay, for an open popup's items still carry them
    // (the menu's close gives them back).
    const std::vector<UINT> ids = images_.Loaded();
    images_.Clear();
    if (font_.GetSafeHandle()) font_.DeleteObject();
    accelerators_.clear();
    copiedFrom_ = nullptr;
    for (UINT id : ids) LoadToolbar(id);
}

CFont* CCoolMenuManager::MenuFont() {
    if (!font_.GetSafeHandle()) {
        NONCLIENTMETRICS metrics{};
        metrics.cbSize = sizeof metrics;
        if (!::SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
        font_.CreateFontIndirect(&metrics.lfMenuFont);
    }
    return &font_;
}

LRESULT CCoolMenuManager::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        Refresh();
        break;
    case WM_MEASUREITEM:
        if (OnMeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam))) return TRUE;
        break;
    case WM_DRAWITEM:
        if (OnDrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam))) return TRUE;
        break;
    case WM_INITMENUPOPUP:
        CSubclassWnd::WindowProc(message, wParam, lParam);
        OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        break;
    case WM_MENUCHAR:
        if (LRESULT r = OnMenuChar(LOWORD(wParam), HIWORD(wParam), CMenu::FromHandle(reinterpret_cast<HMENU>(lParam))))
            return r;
        break;
    default:
        break;
    }
    return CSubclassWnd::WindowProc(message, wParam, lParam);
}

void CCoolMenuManager::CopyAccelerators(HACCEL table) {
    accelerators_.clear();
    copiedFrom_ = table;
    const int n = table ? ::CopyAcceleratorTable(table, nullptr, 0) : 0;
    if (n <= 0) return;
    accelerators_.resize(static_cast<std::size_t>(n));
    ::CopyAcceleratorTable(table, accelerators_.data(), n);
}

void CCoolMenuManager::OnInitMenuPopup(CMenu* popup, UINT, BOOL sysMenu) {
    if (!popup || !popup->GetSafeHmenu()) return;
    if (m_bAutoAccel && frame_ && frame_->m_hAccelTable != copiedFrom_) CopyAccelerators(frame_->m_hAccelTable);
    const HMENU handle = popup->GetSafeHmenu();
    const UINT count = popup->GetMenuItemCount();
    for (UINT pos = 0; pos < count; ++pos) {
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA | MIIM_ID | MIIM_SUBMENU;
        if (!::GetMenuItemInfoA(handle, pos, TRUE, &info)) continue;
        // Items another owner draws (their data is not one of our records) are left alone.
        CoolMenuItem* record = records_.Find(info.dwItemData);
        if (info.dwItemData && !record) continue;
        if (sysMenu && info.wID >= kFirstSystemCommand) continue;
        if (info.hSubMenu) continue;  // popups keep their text, which the menu shows as their title
        const UINT state = popup->GetMenuState(pos, MF_BYPOSITION);
        if (!record) {
            CString text;
            popup->GetMenuString(pos, text, MF_BYPOSITION);
            if (text.GetLength() > kTextMax) text = text.Left(kTextMax);
            const int image = m_bShowButtons && !(state & MF_SEPARATOR) ? images_.ImageOf(info.wID) : -1;
            record = records_.Create(text, state & kKeptFlags, image);
            popup->ModifyMenu(pos, MF_BYPOSITION | MF_OWNERDRAW | (state & kKeptFlags), info.wID,
                              reinterpret_cast<LPCTSTR>(record));
            if (std::find(converted_.begin(), converted_.end(), handle) == converted_.end())
                converted_.insert(converted_.begin(), handle);
        }
        if (m_bAutoAccel && !(record->type & MF_SEPARATOR))
            record->text = WithAccelerator(record->text, AcceleratorText(accelerators_, info.wID));
    }
}

void CCoolMenuManager::ConvertBack() {
    for (HMENU handle : converted_) {
        CMenu* menu = CMenu::FromHandle(handle);
        if (!menu) continue;  // the menu went meanwhile
        const UINT count = menu->GetMenuItemCount();
        for (UINT pos = 0; pos < count; ++pos) {
            MENUITEMINFO info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_DATA | MIIM_ID;
            if (!::GetMenuItemInfoA(handle, pos, TRUE, &info)) continue;
            CoolMenuItem* record = records_.Find(info.dwItemData);
            if (!record) continue;
            const UINT state = menu->GetMenuState(pos, MF_BYPOSITION) & kKeptFlags;
            if (record->type & MF_SEPARATOR) menu->ModifyMenu(pos, MF_BYPOSITION | MF_SEPARATOR | state, 0, nullptr);
            else menu->ModifyMenu(pos, MF_BYPOSITION | MF_STRING | state, info.wID, record->text.GetString());
            records_.Delete(record);
        }
    }
    converted_.clear();
}

void CCoolMenuManager::OnMenuSelect(UINT, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && !menu) ConvertBack();
}

BOOL CCoolMenuManager::OnMeasureItem(LPMEASUREITEMSTRUCT mis) {
    if (!mis || mis->CtlType != ODT_MENU) return FALSE;
    const CoolMenuItem* record = records_.Find(mis->itemData);
    if (!record) return FALSE;
    CSize text(0, 0);
    if (!(record->type & MF_SEPARATOR)) {
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CFont* old = MenuFont() ? dc.SelectObject(MenuFont()) : nullptr;
        CRect r(0, 0, 0, 0);
        CString plain = record->text;
        plain.Replace("\t", "    ");
        dc.DrawText(plain, &r, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_CALCRECT);
        if (old) dc.SelectObject(old);
        text = r.Size();
    }
    const CSize size = CoolMenuItemSize((record->type & MF_SEPARATOR) != 0, text, images_.ButtonSize(),
                                        ::GetSystemMetrics(SM_CYMENU), ::GetSystemMetrics(SM_CXMENUCHECK));
    mis->itemWidth = static_cast<UINT>(std::max<LONG>(size.cx, 0));
    mis->itemHeight = static_cast<UINT>(size.cy);
    return TRUE;
}

BOOL CCoolMenuManager::OnDrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis || dis->CtlType != ODT_MENU) return FALSE;
    const CoolMenuItem* record = records_.Find(dis->itemData);
    if (!record) return FALSE;
    CoolMenuDrawRequest request;
    request.rect = dis->rcItem;
    request.item = record;
    request.state = dis->itemState;
    request.action = dis->itemAction;
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    if (::GetMenuItemInfoA(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, FALSE, &info)) {
        request.checked = info.hbmpChecked;
        request.unchecked = info.hbmpUnchecked;
    }
    CDC* dc = CDC::FromHandle(dis->hDC);
    CoolMenuPainter painter(images_.List(), images_.ButtonSize(), MenuFont(), m_bUseDrawState != FALSE);
    painter.Draw(*dc, request);
    return TRUE;
}

LRESULT CCoolMenuManager::OnMenuChar(UINT ch, UINT, CMenu* menu) {
    if (!menu) return 0;
    std::vector<CString> texts;
    int highlighted = -1;
    const UINT count = menu->GetMenuItemCount();
    for (UINT pos = 0; pos < count; ++pos) {
        const CoolMenuItem* record = records_.Find(menu->GetItemData(pos, MF_BYPOSITION));
        texts.push_back(record ? record->text : CString());
        if (menu->GetMenuState(pos, MF_BYPOSITION) & MF_HILITE) highlighted = static_cast<int>(pos);
    }
    return MnemonicAnswer(texts, highlighted, ch);
}
