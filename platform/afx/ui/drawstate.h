// Icons, images and leave tracking for owner-drawn controls.
#pragma once

#include "platform/afx/ui/winuser.h"

#ifndef WA_INACTIVE
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2
#endif
#ifndef DLGC_DEFPUSHBUTTON
#define DLGC_DEFPUSHBUTTON 0x0010u
#define DLGC_UNDEFPUSHBUTTON 0x0020u
#define DLGC_BUTTON 0x2000u
#endif

// Resources for owner-drawn controls. LoadImage takes IMAGE_ICON (the icon
// resource at its stored size; the cache owns it) or IMAGE_BITMAP (a bitmap
// the caller deletes); the size and LR_ flags are accepted as given.
#define LR_DEFAULTCOLOR 0x0000u
#define LR_LOADMAP3DCOLORS 0x1000u
#define LR_CREATEDIBSECTION 0x2000u
#define LR_DEFAULTSIZE 0x0040u
AFX_UI_API HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags);
inline HANDLE LoadImage(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    return LoadImageA(module, name, type, cx, cy, flags);
}
// The hot spot of an icon is its centre; no mask or colour bitmaps are made.
struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};
AFX_UI_API BOOL GetIconInfo(HICON icon, ICONINFO* info);
// DrawState: DST_ICON (data is the HICON) or DST_BITMAP (data is the
// HBITMAP), normal or DSS_DISABLED (embossed: a highlight copy one pixel
// right and down under a shadow copy; of a bitmap only the pixels darker
// than light grey, so its face-coloured or white background stays away).
#define DST_COMPLEX 0x0000u
#define DST_TEXT 0x0001u
#define DST_PREFIXTEXT 0x0002u
#define DST_ICON 0x0003u
#define DST_BITMAP 0x0004u
#define DSS_NORMAL 0x0000u
#define DSS_UNION 0x0010u
#define DSS_DISABLED 0x0020u
#define DSS_MONO 0x0080u
AFX_UI_API BOOL DrawStateA(HDC dc, HBRUSH brush, void* callback, LPARAM data, WPARAM wData, int x, int y, int cx,
                           int cy, UINT flags);
inline BOOL DrawState(HDC dc, HBRUSH brush, void* callback, LPARAM data, WPARAM wData, int x, int y, int cx, int cy,
                      UINT flags) {
    return DrawStateA(dc, brush, callback, data, wData, x, y, cx, cy, flags);
}
// Leave tracking. Every window is told WM_MOUSELEAVE when the pointer
// leaves it; arming with TME_LEAVE while the pointer is already outside
// posts it at once.
#define TME_HOVER 0x00000001u
#define TME_LEAVE 0x00000002u
#define TME_CANCEL 0x80000000u
struct TRACKMOUSEEVENT {
    DWORD cbSize;
    DWORD dwFlags;
    HWND hwndTrack;
    DWORD dwHoverTime;
};
AFX_UI_API BOOL _TrackMouseEvent(TRACKMOUSEEVENT* track);
