// Device contexts of windows: CPaintDC for WM_PAINT (clipped to the part that
// needs painting, background erased first unless the invalidation said not
// to), CClientDC and CWindowDC for drawing at any other time. All draw into
// the window's surface, which the window system then shows.
#pragma once

#include "platform/afx/core/afxgdi.h"
#include "platform/afx/ui/wnd.h"

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;

AFX_UI_API HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps);
AFX_UI_API BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
AFX_UI_API HDC GetDC(HWND hwnd);
AFX_UI_API HDC GetWindowDC(HWND hwnd);
AFX_UI_API int ReleaseDC(HWND hwnd, HDC dc);

class AFX_UI_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};
    HWND m_hWnd;
};

class AFX_UI_API CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
    HWND m_hWnd;
};

class AFX_UI_API CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;
    HWND m_hWnd;
};
