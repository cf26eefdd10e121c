// Icons and images for owner-drawn controls: loading an icon or a bitmap
// resource, describing an icon, drawing it normal or disabled, and asking
// for a window's leave notification.
#include <QImage>

#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/gdi.h"
#include "platform/afx/core/resource.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/drawstate.h"

using namespace afx_detail;

namespace {

// The icon's opaque pixels in one colour.
QImage Silhouette(const QImage& icon, COLORREF colour) {
    QImage out = icon.convertToFormat(QImage::Format_ARGB32);
    const QRgb solid = qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) row[x] = qAlpha(row[x]) >= 128 ? solid : qRgba(0, 0, 0, 0);
    }
    return out;
}

}  // namespace

HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int, int, UINT) {
    if (!name) return nullptr;
    if (type == IMAGE_ICON) return LoadIconResource(module ? module : AfxGetResourceHandle(), name);
    if (type == IMAGE_BITMAP) return ::LoadBitmapA(module ? module : AfxGetResourceHandle(), name);
    return nullptr;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
    QImage image = IconImage(icon);
    if (!info || image.isNull()) return FALSE;
    *info = ICONINFO{};
    info->fIcon = TRUE;
    info->xHotspot = static_cast<DWORD>(image.width() / 2);
    info->yHotspot = static_cast<DWORD>(image.height() / 2);
    return TRUE;
}

// A bitmap's ink: its pixels darker than a light grey, in one colour (the
// light ones, such as a button face or white, are the background).
QImage BitmapSilhouette(const QImage& bitmap, COLORREF colour) {
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb solid = qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour));
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) row[x] = qAlpha(row[x]) >= 128 && qGray(row[x]) < 192 ? solid : qRgba(0, 0, 0, 0);
    }
    return out;
}

BOOL DrawStateA(HDC dc, HBRUSH, void*, LPARAM data, WPARAM, int x, int y, int, int, UINT flags) {
    if (!dc) return FALSE;
    if ((flags & 0x000Fu) == DST_BITMAP) {
        QImage bitmap = AfxBitmapImage(reinterpret_cast<HBITMAP>(data));
        if (bitmap.isNull()) return FALSE;
        if (!(flags & DSS_DISABLED)) return AfxDrawImage(dc, x, y, bitmap);
        AfxDrawImage(dc, x + 1, y + 1, BitmapSilhouette(bitmap, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
        return AfxDrawImage(dc, x, y, BitmapSilhouette(bitmap, ::GetSysColor(COLOR_BTNSHADOW)));
    }
    if ((flags & 0x000Fu) != DST_ICON) return FALSE;
    QImage icon = IconImage(reinterpret_cast<HICON>(data));
    if (icon.isNull()) return FALSE;
    if (!(flags & DSS_DISABLED)) return AfxDrawImage(dc, x, y, icon);
    // Embossed: the highlight copy one pixel right and down, the shadow copy on top.
    AfxDrawImage(dc, x + 1, y + 1, Silhouette(icon, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
    return AfxDrawImage(dc, x, y, Silhouette(icon, ::GetSysColor(COLOR_BTNSHADOW)));
}

BOOL _TrackMouseEvent(TRACKMOUSEEVENT* track) {
    if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
    if (track->dwFlags & TME_CANCEL) return TRUE;
    if (!(track->dwFlags & TME_LEAVE) || !::IsWindow(track->hwndTrack)) return FALSE;
    // Windows tell every leave (WM_MOUSELEAVE); a pointer that is already
    // outside the window is told at once.
    POINT p{};
    RECT r{};
    if (::GetCursorPos(&p) && ::GetWindowRect(track->hwndTrack, &r) && !::PtInRect(&r, p))
        ::PostMessage(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
    return TRUE;
}
