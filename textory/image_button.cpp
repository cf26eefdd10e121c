#include "textory/image_button.h"

#include "platform/afx/ui/drawstate.h"

BEGIN_MESSAGE_MAP(CImageButton, CButton)
    ON_WM_KILLFOCUS()
    ON_WM_MOUSEMOVE()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_ACTIVATE()
    ON_WM_ENABLE()
    ON_WM_CANCELMODE()
    ON_WM_GETDLGCODE()
    ON_WM_MENUCHAR()
    ON_WM_MEASUREITEM()
    ON_MESSAGE(BM_SETSTYLE, OnSetStyle)
    ON_MESSAGE(BM_SETCHECK, OnSetCheck)
    ON_MESSAGE(BM_GETCHECK, OnGetCheck)
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

CImageButton::CImageButton() : m_colours(textory::DefaultButtonColours()) {}

CImageButton::~CImageButton() {
    if (m_backgroundOld) m_backgroundDC.SelectObject(m_backgroundOld);
    FreeFace();
    m_menu.DestroyMenu();
    m_background.DeleteObject();
    if (m_tooltipHasTool) m_tooltip.DelTool(this, 1);
}

BOOL CImageButton::Create(LPCTSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CButton::Create(caption, m_state.Subclass(style), rect, parent, id);
}

BOOL CImageButton::SubclassDlgItem(UINT id, CWnd* parent) {
    CWnd* item = parent ? parent->GetDlgItem(static_cast<int>(id)) : nullptr;
    if (!item) return FALSE;
    // A button's kind is fixed when the window system makes it: the
    // template's button is made again in its place, drawn by this class.
    CRect rect;
    item->GetWindowRect(&rect);
    parent->ScreenToClient(&rect);
    CString caption;
    item->GetWindowText(caption);
    // Shown with its dialog, whether or not the dialog is shown yet.
    const DWORD style = item->GetStyle() | WS_CHILD | WS_VISIBLE;
    item->DestroyWindow();
    return Create(caption, style, rect, parent, id);
}

void CImageButton::Repaint(BOOL erase) {
    if (GetSafeHwnd()) Invalidate(erase);
}

void CImageButton::FreeFace() {
    m_icon = nullptr;  // icons from resources belong to the loader's cache
    m_iconWidth = m_iconHeight = 0;
}

int CImageButton::SetIcon(UINT iconId) {
    FreeFace();
    HICON icon = static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCE(iconId), IMAGE_ICON, 0, 0, 0));
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) {
        Repaint();
        return 1;
    }
    m_icon = icon;
    m_iconWidth = static_cast<int>(info.xHotspot * 2);
    m_iconHeight = static_cast<int>(info.yHotspot * 2);
    Repaint();
    return 0;
}

int CImageButton::SetAlignment(BYTE alignment, BOOL repaint) {
    if (alignment > 2) return 4;
    m_state.alignment = alignment;
    if (repaint) Repaint();
    return 0;
}

int CImageButton::SetDrawBorder(BOOL draw, BOOL repaint) {
    m_state.drawBorder = draw ? 1 : 0;
    if (repaint) Repaint();
    return 0;
}

int CImageButton::SetSeeThrough(BOOL repaint) {
    m_state.seeThrough = 1;
    if (m_backgroundOld) m_backgroundDC.SelectObject(m_backgroundOld);
    m_backgroundOld = nullptr;
    m_backgroundDC.DeleteDC();
    m_background.DeleteObject();
    if (repaint) Repaint();
    return 0;
}

int CImageButton::ResetColours(BOOL repaint) {
    m_colours = textory::DefaultButtonColours();
    if (repaint) Repaint();
    return 0;
}

int CImageButton::SetTooltipText(LPCTSTR text, BOOL activate) {
    if (!text) return 0;
    if (!m_tooltipCreated) {
        m_tooltip.Create(this);
        m_tooltip.Activate(FALSE);
        m_tooltip.SetMaxTipWidth(400);
        m_tooltipCreated = true;
    }
    m_tooltipText = text;
    if (!m_tooltipHasTool) {
        CRect client;
        GetClientRect(&client);
        m_tooltipHasTool = m_tooltip.AddTool(this, text, &client, 1) != FALSE;
    }
    return ActivateTooltip(activate);
}

int CImageButton::ActivateTooltip(BOOL activate) {
    if (!m_tooltipHasTool) return 0;
    // The tip shows only while active: the tool's text is applied again.
    m_tooltip.Activate(activate);
    m_tooltip.UpdateTipText(m_tooltipText.c_str(), this, 1);
    return 0;
}

int CImageButton::AttachMenu(UINT menuId, HWND owner, int look, UINT toolbarId, int iconWidth, int iconHeight,
                             COLORREF mask, BOOL repaint) {
    if (m_menu.GetSafeHmenu()) {
        m_menu.DestroyMenu();
        m_menuOwner = nullptr;
    }
    m_state.hasMenu = false;
    if (menuId) {
        textory::SetIconMenuLookSwitches(look);
        if (!m_menu.LoadMenu(menuId)) return 1;
        if (toolbarId) {
            m_menu.SetMaskColor(mask);
            m_menu.SetIconExtent(iconWidth, iconHeight);
            if (!m_menu.LoadToolBarIcons(toolbarId)) {
                m_menu.DestroyMenu();
                return 1;
            }
        }
        m_state.hasMenu = true;
    }
    m_menuOwner = owner;
    if (repaint) Repaint();
    return 0;
}

void CImageButton::CancelHover() {
    if (m_state.CancelHover()) Repaint(TRUE);
}

void CImageButton::ShowMenu() {
    CMenu* popup = m_menu.GetSubMenu(0);
    if (!popup) return;
    m_state.menuShowing = 1;
    Repaint();
    CRect window;
    GetWindowRect(&window);
    // The window that takes the commands checks and enables the items first.
    if (m_menuOwner && ::IsWindow(m_menuOwner))
        ::SendMessage(m_menuOwner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup->GetSafeHmenu()), 0);
    const UINT chosen = static_cast<UINT>(
        popup->TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, window.left, window.bottom, this));
    m_state.menuShowing = 0;
    Repaint();
    if (chosen && m_menuOwner) ::PostMessage(m_menuOwner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

BOOL CImageButton::OnClicked() {
    SetFocus();
    switch (m_state.Click()) {
    case textory::ImageButtonState::ClickAction::Toggled: Repaint(); break;
    case textory::ImageButtonState::ClickAction::ShowMenu: ShowMenu(); break;
    case textory::ImageButtonState::ClickAction::Nothing: break;
    }
    return FALSE;
}

BOOL CImageButton::PreTranslateMessage(MSG* msg) {
    if (!m_tooltipCreated) {
        m_tooltip.Create(this);
        m_tooltipCreated = true;
    }
    m_tooltip.RelayEvent(msg);
    return CButton::PreTranslateMessage(msg);
}

BOOL CImageButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    // The click is the button's own first; the parent gets it as well.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        OnClicked();
        return FALSE;
    }
    return CButton::OnChildNotify(message, wParam, lParam, pResult);
}

void CImageButton::OnKillFocus(CWnd* newWnd) {
    CButton::OnKillFocus(newWnd);
    CancelHover();
}

void CImageButton::OnMouseMove(UINT flags, CPoint point) {
    CButton::OnMouseMove(flags, point);
    CPoint screen = point;
    ClientToScreen(&screen);
    CWnd* under = CWnd::WindowFromPoint(screen);
    bool track = false;
    const bool changed = m_state.MouseMove(under == this || (under && under->GetSafeHwnd() == GetSafeHwnd()),
                                           (flags & MK_LBUTTON) != 0, CWnd::GetActiveWindow() != nullptr, track);
    if (changed) Repaint(!m_state.over);
    if (track) {
        TRACKMOUSEEVENT t{sizeof(TRACKMOUSEEVENT), TME_LEAVE, GetSafeHwnd(), 0};
        ::_TrackMouseEvent(&t);
    }
}

void CImageButton::OnSysColorChange() {
    CButton::OnSysColorChange();
    if (m_backgroundOld) m_backgroundDC.SelectObject(m_backgroundOld);
    m_backgroundOld = nullptr;
    m_backgroundDC.DeleteDC();
    m_background.DeleteObject();
}

void CImageButton::OnActivate(UINT state, CWnd* other, BOOL minimized) {
    CButton::OnActivate(state, other, minimized);
    if (state == WA_INACTIVE) CancelHover();
}

void CImageButton::OnEnable(BOOL enable) {
    CButton::OnEnable(enable);
    if (!enable) {
        if (CWnd* parent = GetParent()) {
            CWnd* next = parent->GetNextDlgTabItem(this);
            (next && next != this ? next : parent)->SetFocus();
        }
        CancelHover();
    }
}

void CImageButton::OnCancelMode() {
    CButton::OnCancelMode();
    CancelHover();
}

UINT CImageButton::OnGetDlgCode() {
    const UINT code = CButton::OnGetDlgCode();
    return code | (m_state.defaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

LRESULT CImageButton::OnMenuChar(UINT ch, UINT flags, CMenu* menu) {
    if (menu && IsMenuRegistered(menu->GetSafeHmenu())) return m_menu.FindMnemonic(ch, flags, menu);
    return CButton::OnMenuChar(ch, flags, menu);
}

void CImageButton::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis) {
    if (mis && mis->CtlType == ODT_MENU && IsMenuRegistered(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(mis->itemID)))) {
        m_menu.MeasureItem(mis);
        return;
    }
    CButton::OnMeasureItem(id, mis);
}

LRESULT CImageButton::OnSetStyle(WPARAM style, LPARAM redraw) {
    const DWORD passed = m_state.SetStyle(static_cast<DWORD>(style));
    return CButton::DefWindowProc(BM_SETSTYLE, passed, redraw);
}

LRESULT CImageButton::OnSetCheck(WPARAM check, LPARAM) {
    if (m_state.SetCheck(check)) Repaint();
    return 0;
}

LRESULT CImageButton::OnGetCheck(WPARAM, LPARAM) { return m_state.checked; }

LRESULT CImageButton::OnMouseLeave(WPARAM, LPARAM) {
    CancelHover();
    return 0;
}

void CImageButton::CaptureBackground(CDC& itemDC) {
    if (m_background.GetSafeHandle()) return;
    CWnd* parent = GetParent();
    if (!parent) return;
    CRect client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    parent->ScreenToClient(&window);
    CClientDC parentDC(parent);
    m_backgroundDC.CreateCompatibleDC(&itemDC);
    m_background.CreateCompatibleBitmap(&itemDC, client.Width(), client.Height());
    m_backgroundOld = m_backgroundDC.SelectObject(&m_background);
    m_backgroundDC.BitBlt(0, 0, client.Width(), client.Height(), &parentDC, window.left, window.top, SRCCOPY);
}

void CImageButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis || !dis->hDC) return;
    // The caller's DC, borrowed: attaching it would take it from its owner.
    CDC& dc = *CDC::FromHandle(dis->hDC);
    if (m_state.seeThrough) CaptureBackground(dc);
    textory::ImageButtonFace face;
    face.icon = m_icon;
    face.iconWidth = m_iconWidth;
    face.iconHeight = m_iconHeight;
    CString caption;
    GetWindowText(caption);
    face.caption = caption.GetString();
    face.savedBackground = m_background.GetSafeHandle() ? &m_backgroundDC : nullptr;
    textory::PaintImageButton(dc, dis->rcItem, dis->itemState, m_state, m_colours, face);
}
