#include "shell/dialogs/hyperlink_static.h"

#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/drawstate.h"

BEGIN_MESSAGE_MAP(CHyperlinkStatic, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

CHyperlinkStatic::CHyperlinkStatic()
    : controller_([](const std::string& target) { ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW); }),
      fonts_(HyperlinkFonts::Default()) {}

void CHyperlinkStatic::repaintNow() {
    if (!GetSafeHwnd()) return;
    Invalidate(TRUE);
    UpdateWindow();
}

void CHyperlinkStatic::SetCaption(const std::string& caption) {
    controller_.SetCaption(caption);
    if (GetSafeHwnd()) SetWindowText(caption.c_str());
    repaintNow();
}

void CHyperlinkStatic::SetLinkTarget(const std::string& target) {
    controller_.SetTarget(target);
    repaintNow();
}

void CHyperlinkStatic::SetColour(int which, COLORREF colour) {
    controller_.SetColour(which, colour);
    repaintNow();
}

void CHyperlinkStatic::SetLinkFont(int which, const LOGFONTA& font) {
    fonts_.Of(which) = font;
    repaintNow();
}

void CHyperlinkStatic::SetNormalUnderline(bool on) {
    fonts_.normal.lfUnderline = on ? TRUE : FALSE;
    repaintNow();
}

void CHyperlinkStatic::SetNormalItalic(bool on) {
    fonts_.normal.lfItalic = on ? TRUE : FALSE;
    repaintNow();
}

void CHyperlinkStatic::OnPaint() {
    CPaintDC dc(this);
    CHyperlinkRenderer::Paint(dc, controller_, fonts_);
}

BOOL CHyperlinkStatic::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    return TRUE;
}

void CHyperlinkStatic::OnMouseMove(UINT, CPoint point) {
    const auto r = controller_.MouseMove(point.x, point.y);
    if (r.trackLeave) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, GetSafeHwnd(), 0};
        _TrackMouseEvent(&track);
    }
    ::SetCursor(::LoadCursor(nullptr, r.handCursor ? IDC_HAND : IDC_ARROW));
    if (r.repaint) repaintNow();
}

LRESULT CHyperlinkStatic::OnMouseLeave(WPARAM, LPARAM) {
    if (controller_.MouseLeave()) repaintNow();
    return 0;
}

void CHyperlinkStatic::OnLButtonDown(UINT, CPoint) {
    if (controller_.LeftButtonDown()) repaintNow();
}
