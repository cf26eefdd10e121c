// A hook in front of another window's procedure: an object that is not a
// window sees that window's messages first. Hooks of one window form a
// chain, the latest in front; each passes what it leaves alone to the one
// it covers, and the last to the window's own procedure.
#pragma once

#include "platform/afx/afxwin.h"

class CSubclassWnd {
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd();
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // Puts this hook in front of `wnd`'s chain; nullptr takes it out of
    // the chain it is in. TRUE.
    BOOL HookWindow(CWnd* wnd);
    BOOL IsHooked() const { return m_hWndHooked != nullptr; }
    HWND HookedWindow() const { return m_hWndHooked; }

    // The message for this hook: by default the next hook's, or the
    // window's own procedure after the last hook.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Passes the message being handled on down the chain.
    LRESULT Default();

private:
    static LRESULT HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Unhook();

    HWND m_hWndHooked = nullptr;
    WNDPROC m_pOldWndProc = nullptr;
    CSubclassWnd* m_pNext = nullptr;  // the hook installed before this one on the same window
};
