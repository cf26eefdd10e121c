// Default painting of framework windows into their surfaces.
#include <QPainter>

#include "platform/afx/ui/ui_private.h"

namespace afx_detail {

QColor BackgroundOf(CWnd* wnd) {
    // Dialogs and bars take the face colour, other windows the window colour.
    if (wnd && (wnd->m_strClass == "#32770" || wnd->m_strClass.CompareNoCase("AfxControlBar") == 0))
        return QColor(0xF0, 0xF0, 0xF0);
    return Qt::white;
}

LRESULT DefaultErase(CWnd* wnd, HDC) {
    WindowState* s = StateOf(wnd);
    if (!s || s->surface.isNull()) return 0;
    QPainter p(&s->surface);
    p.setClipRegion(s->invalid);
    p.fillRect(s->surface.rect(), BackgroundOf(wnd));
    return 1;
}

void DefaultPaint(CWnd* wnd) {
    WindowState* s = StateOf(wnd);
    if (!s) return;
    if (s->erase) {
        HWND h = wnd->m_hWnd;
        CallWnd(wnd, WM_ERASEBKGND, 0, 0);
        if (!StateOf(h)) return;
    }
    s->invalid = QRegion();
    s->erase = false;
}

}  // namespace afx_detail

namespace afx_detail {
// Replaced by device contexts over images once drawing is in.
HDC ImageDC(QImage*) { return nullptr; }
void ReleaseImageDC(HDC) {}
}  // namespace afx_detail

#include "platform/afx/ui/docview.h"

namespace afx_detail {
// Replaced by paint DCs once drawing is in.
void PaintView(CView* view) { view->Default(); }
void SetDCOrigin(CDC*, int, int) {}
}  // namespace afx_detail

CDC* AfxDCFromHandle(HDC) { return nullptr; }
