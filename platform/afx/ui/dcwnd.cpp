// Device contexts over window surfaces.
#include <QPainter>

#include "platform/afx/core/dc_qt.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/docview.h"
#include "platform/afx/ui/ui_private.h"

using namespace afx_detail;

namespace afx_detail {

namespace {
// Which window each surface DC draws for, so that releasing it shows the drawing.
std::map<HDC, HWND>& SurfaceDCs() {
    static std::map<HDC, HWND> m;
    return m;
}
}  // namespace

void EnsureSurface(WindowState* s) {
    QSize size = ClientRectQ(s).size().expandedTo(QSize(1, 1));
    if (s->surface.size() == size) return;
    QImage next(size, QImage::Format_RGB32);
    next.fill(BackgroundOf(s->wnd));
    if (!s->surface.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, s->surface);
    }
    s->surface = next;
}

HDC SurfaceDC(HWND hwnd, const QRect& bounds) {
    WindowState* s = StateOf(hwnd);
    if (!s || !s->widget) return nullptr;
    EnsureSurface(s);
    QRect b = bounds.isNull() ? s->surface.rect() : bounds & s->surface.rect();
    HDC dc = AfxCreateImageDC(&s->surface, QPoint(0, 0), b);
    if (dc) SurfaceDCs()[dc] = hwnd;
    return dc;
}

void ReleaseSurfaceDC(HDC dc) {
    auto it = SurfaceDCs().find(dc);
    if (it == SurfaceDCs().end()) return;
    HWND hwnd = it->second;
    SurfaceDCs().erase(it);
    ::DeleteDC(dc);
    // Drawn outside WM_PAINT: show it.
    if (WindowState* s = StateOf(hwnd); s && s->widget) s->widget->update();
}

HDC ImageDC(QImage* image) { return AfxCreateImageDC(image, QPoint(0, 0), image->rect()); }
void ReleaseImageDC(HDC dc) {
    if (dc) ::DeleteDC(dc);
}

void PaintView(CView* view) {
    CPaintDC dc(view);
    view->OnPrepareDC(&dc);
    view->OnDraw(&dc);
}

void SetDCOrigin(CDC* dc, int x, int y) { dc->SetViewportOrg(x, y); }

LRESULT DefaultErase(CWnd* wnd, HDC dc) {
    WindowState* s = StateOf(wnd);
    if (!s) return 0;
    if (!dc) {
        EnsureSurface(s);
        QPainter p(&s->surface);
        p.setClipRegion(s->invalid);
        p.fillRect(s->surface.rect(), BackgroundOf(wnd));
        return 1;
    }
    RECT r{0, 0, s->surface.width(), s->surface.height()};
    HBRUSH brush = ::CreateSolidBrush(RGB(BackgroundOf(wnd).red(), BackgroundOf(wnd).green(), BackgroundOf(wnd).blue()));
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
    return 1;
}

void DefaultPaint(CWnd* wnd) {
    PAINTSTRUCT ps;
    ::BeginPaint(wnd->m_hWnd, &ps);
    ::EndPaint(wnd->m_hWnd, &ps);
}

}  // namespace afx_detail

CDC* AfxDCFromHandle(HDC dc) { return dc ? CDC::FromHandle(dc) : nullptr; }

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    WindowState* s = StateOf(hwnd);
    if (!s || !ps) return nullptr;
    EnsureSurface(s);
    QRect b = s->invalid.isEmpty() ? QRect() : s->invalid.boundingRect();
    *ps = PAINTSTRUCT{};
    ps->rcPaint = RECT{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
    HDC dc = AfxCreateImageDC(&s->surface, QPoint(0, 0), b.isEmpty() ? s->surface.rect() : b);
    ps->hdc = dc;
    ps->fErase = s->erase;
    if (s->erase && dc) {
        s->erase = false;
        CWnd* w = s->wnd;
        ps->fErase = CallWnd(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    }
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (ps && ps->hdc) ::DeleteDC(ps->hdc);
    if (WindowState* s = StateOf(hwnd)) {
        s->invalid = QRegion();
        s->erase = false;
        if (s->widget) s->widget->update();
    }
    return TRUE;
}

HDC GetDC(HWND hwnd) { return SurfaceDC(hwnd, QRect()); }
HDC GetWindowDC(HWND hwnd) { return SurfaceDC(hwnd, QRect()); }
int ReleaseDC(HWND, HDC dc) {
    ReleaseSurfaceDC(dc);
    return 1;
}

CDC* CWnd::GetDC() {
    HDC dc = ::GetDC(m_hWnd);
    return dc ? CDC::FromHandle(dc) : nullptr;
}
CDC* CWnd::GetWindowDC() { return GetDC(); }
int CWnd::ReleaseDC(CDC* dc) {
    if (!dc) return 0;
    return ::ReleaseDC(m_hWnd, dc->GetSafeHdc());
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }
CPaintDC::~CPaintDC() {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { Attach(::GetDC(m_hWnd)); }
CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { Attach(::GetWindowDC(m_hWnd)); }
CWindowDC::~CWindowDC() { ::ReleaseDC(m_hWnd, Detach()); }
