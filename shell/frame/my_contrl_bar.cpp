#include "shell/frame/my_contrl_bar.h"

BEGIN_MESSAGE_MAP(CMyContrlBar, CDockBar)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_SETCURSOR()
    ON_WM_SIZE()
    ON_MESSAGE(WM_CONTROLBAR_DRAG, OnControlBarDrag)
END_MESSAGE_MAP()

CMyContrlBar::CMyContrlBar(DWORD style, int size, int minSize)
    : edge_(style, size, minSize),
      highlight_(::GetSysColor(COLOR_BTNHIGHLIGHT)),
      shadow_(::GetSysColor(COLOR_BTNSHADOW)),
      face_(::GetSysColor(COLOR_BTNFACE)) {}

void CMyContrlBar::Relayout() {
    if (CFrameWnd* frame = GetParentFrame()) frame->RecalcLayout();
    LayoutBars();
    Invalidate();
}

void CMyContrlBar::SetSize(int size) {
    edge_.SetSize(size);
    Relayout();
}

CSize CMyContrlBar::LayoutSize() const {
    CRect client;
    GetClientRect(&client);
    SizingEdge edge = edge_;
    edge.SetStyle(m_dwBarStyle);
    return edge.LayoutSize(client);
}

CSize CMyContrlBar::CalcDynamicLayout(int length, DWORD mode) {
    CSize size = CDockBar::CalcDynamicLayout(length, mode);
    // Without a visible bar inside the dock bar takes no room.
    if (edge_.Size() == 0 || GetDockedVisibleCount() == 0) return size;
    edge_.SetStyle(m_dwBarStyle);
    if (edge_.Horizontal()) size.cy = edge_.Size();
    else size.cx = edge_.Size();
    return size;
}

void CMyContrlBar::DoPaint(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    CRect edge = edge_.EdgeRect(client);
    dc->Draw3dRect(&edge, highlight_, shadow_);
    // The inside, less the edge line on the side toward the bar, in the face colour.
    CRect inside = edge;
    inside.DeflateRect(1, 1);
    if (edge_.Horizontal()) {
        if (edge_.FarSide()) inside.top += SizingEdge::kEdgeLine - 1;
        else inside.bottom -= SizingEdge::kEdgeLine - 1;
    } else {
        if (edge_.FarSide()) inside.left += SizingEdge::kEdgeLine - 1;
        else inside.right -= SizingEdge::kEdgeLine - 1;
    }
    dc->FillSolidRect(&inside, face_);
}

void CMyContrlBar::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, face_);
    DoPaint(&dc);
}

void CMyContrlBar::DrawTracker(const CRect& onScreen) {
    // The tracker is the edge inverted with a halftone pattern, drawn over the frame.
    CWnd* frame = GetParentFrame();
    if (!frame) return;
    CRect r = onScreen;
    frame->ScreenToClient(&r);
    CClientDC dc(frame);
    dc.PatBlt(r.left, r.top, r.Width(), r.Height(), DSTINVERT);
}

void CMyContrlBar::OnLButtonDown(UINT flags, CPoint point) {
    CRect client, bar, parent;
    GetClientRect(&client);
    GetWindowRect(&bar);
    CRect edge = edge_.EdgeRect(client);
    ClientToScreen(&edge);
    CWnd* frame = GetParentFrame();
    if (frame) {
        frame->GetClientRect(&parent);
        frame->ClientToScreen(&parent);
    }
    CPoint screen = point;
    ClientToScreen(&screen);
    edge_.SetStyle(m_dwBarStyle);
    if (!edge_.Begin(client, point, edge, bar, parent, screen)) {
        CDockBar::OnLButtonDown(flags, point);
        return;
    }
    SetCapture();
    DrawTracker(edge_.Tracker());
}

void CMyContrlBar::OnMouseMove(UINT, CPoint point) {
    if (!edge_.Tracking()) {
        CRect client;
        GetClientRect(&client);
        const UINT cursor = edge_.CursorAt(client, point);
        // The language library's sizing cursor, else the system's of the same direction.
        HCURSOR shape = cursor && AfxGetApp() ? AfxGetApp()->LoadCursor(cursor) : nullptr;
        if (cursor && !shape) shape = ::LoadCursor(nullptr, edge_.Horizontal() ? IDC_SIZENS : IDC_SIZEWE);
        ::SetCursor(shape ? shape : ::LoadCursor(nullptr, IDC_ARROW));
        return;
    }
    CPoint screen = point;
    ClientToScreen(&screen);
    DrawTracker(edge_.Tracker());
    DrawTracker(edge_.Move(screen));
}

void CMyContrlBar::OnLButtonUp(UINT flags, CPoint point) {
    if (!edge_.Tracking()) {
        CDockBar::OnLButtonUp(flags, point);
        return;
    }
    if (GetCapture() == this) ReleaseCapture();
    DrawTracker(edge_.Tracker());
    CPoint screen = point;
    ClientToScreen(&screen);
    edge_.End(screen);
    Relayout();
    if (CWnd* frame = GetParentFrame()) frame->PostMessage(WM_CONTROLBAR_RESIZED, 0, 0);
}

BOOL CMyContrlBar::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    // Over its own client area the cursor follows the mouse moves.
    if (wnd == this && hitTest == HTCLIENT && !edge_.Tracking()) return TRUE;
    return CDockBar::OnSetCursor(wnd, hitTest, message);
}

void CMyContrlBar::OnSize(UINT type, int cx, int cy) {
    CDockBar::OnSize(type, cx, cy);
    edge_.SetStyle(m_dwBarStyle);
    const int size = edge_.Horizontal() ? cy : cx;
    if (size) edge_.SetSize(size);
    PostMessage(WM_CONTROLBAR_DRAG, 0, 0);
}

LRESULT CMyContrlBar::OnControlBarDrag(WPARAM, LPARAM) {
    if (CFrameWnd* frame = GetParentFrame()) frame->RecalcLayout();
    Invalidate();
    return 1;
}
