#include "shell/frame/stretch_bar.h"

#include "shell/frame/my_contrl_bar.h"

BEGIN_MESSAGE_MAP(CStretchBar, CToolBar)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CSize CStretchBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CWnd* parent = GetParent();
    if (m_pDockBar && m_pDockBar->m_bFloating) {
        CRect own;
        GetWindowRect(&own);
        return CSize(own.Width() + 2, own.Height() + 2);
    }
    if (parent && parent->IsKindOf(RUNTIME_CLASS(CDockBar))) {
        if (auto* sizing = dynamic_cast<CMyContrlBar*>(parent)) return sizing->LayoutSize();
    }
    CSize size = fallback_;
    if (stretch) StretchToParent(size, horz);
    return size;
}

CSize CStretchBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZDOCK) != 0);
}

CRect StretchBarPlace(DWORD parentStyle, CSize own) {
    if ((parentStyle & CBRS_ALIGN_LEFT) || (parentStyle & CBRS_BORDER_RIGHT)) return CRect(0, -2, own.cx, own.cy + 1);
    if ((parentStyle & CBRS_ALIGN_RIGHT) || (parentStyle & CBRS_BORDER_LEFT)) return CRect(3, -2, 3 + own.cx, own.cy + 1);
    if ((parentStyle & CBRS_ALIGN_TOP) || (parentStyle & CBRS_BORDER_BOTTOM)) return CRect(0, -2, own.cx, own.cy - 2);
    return CRect(0, 3, own.cx, own.cy + 3);
}

void CStretchBar::AdjustPosition() {
    auto* parent = dynamic_cast<CControlBar*>(GetParent());
    if (!parent) return;
    CRect client, own;
    parent->GetClientRect(&client);
    parent->ClientToScreen(&client);
    client.top -= 2;
    GetWindowRect(&own);
    if ((parent->GetBarStyle() & CBRS_BORDER_LEFT) || (parent->GetBarStyle() & CBRS_ALIGN_RIGHT)) own.left -= 3;
    if (own.TopLeft() == client.TopLeft()) return;
    const CRect place = StretchBarPlace(parent->GetBarStyle(), own.Size());
    SetWindowPos(nullptr, place.left, place.top, place.Width(), place.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CStretchBar::OnPaint() {
    // The children paint themselves.
    CPaintDC dc(this);
}
