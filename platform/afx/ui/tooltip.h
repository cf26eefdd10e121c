// Tool-tip controls: a window of class TOOLTIPS_CLASS that is never shown
// itself; it keeps a list of tools (rectangles of other windows, or whole
// windows) and shows a tool's text as a tip once the mouse rests on it for
// the initial delay. The tool windows' mouse messages reach it through
// TTM_RELAYEVENT (RelayEvent), or, for tools added with TTF_SUBCLASS, by
// watching those windows itself. A click, leaving the tool or deactivation
// hides the tip; it also goes after its autopop time.
#pragma once

#include "platform/afx/ui/wnd.h"

#define TOOLTIPS_CLASS "tooltips_class32"

#define TTS_ALWAYSTIP 0x01u
#define TTS_NOPREFIX 0x02u

#define TTF_IDISHWND 0x0001u
#define TTF_CENTERTIP 0x0002u
#define TTF_SUBCLASS 0x0010u

#define TTDT_AUTOMATIC 0u
#define TTDT_RESHOW 1u
#define TTDT_AUTOPOP 2u
#define TTDT_INITIAL 3u

#define TTM_ACTIVATE (WM_USER + 1)
#define TTM_SETDELAYTIME (WM_USER + 3)
#define TTM_ADDTOOLA (WM_USER + 4)
#define TTM_DELTOOLA (WM_USER + 5)
#define TTM_NEWTOOLRECTA (WM_USER + 6)
#define TTM_RELAYEVENT (WM_USER + 7)
#define TTM_GETTOOLINFOA (WM_USER + 8)
#define TTM_GETTEXTA (WM_USER + 11)
#define TTM_UPDATETIPTEXTA (WM_USER + 12)
#define TTM_GETTOOLCOUNT (WM_USER + 13)
#define TTM_GETDELAYTIME (WM_USER + 21)
#define TTM_SETMAXTIPWIDTH (WM_USER + 24)
#define TTM_GETMAXTIPWIDTH (WM_USER + 25)
#define TTM_POP (WM_USER + 28)
#define TTM_ADDTOOL TTM_ADDTOOLA
#define TTM_DELTOOL TTM_DELTOOLA
#define TTM_NEWTOOLRECT TTM_NEWTOOLRECTA
#define TTM_GETTOOLINFO TTM_GETTOOLINFOA
#define TTM_GETTEXT TTM_GETTEXTA
#define TTM_UPDATETIPTEXT TTM_UPDATETIPTEXTA

struct TOOLINFOA {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;      // the window holding the tool
    UINT_PTR uId;   // the tool's id, or the tool window's handle with TTF_IDISHWND
    RECT rect;      // in hwnd's client coordinates
    HINSTANCE hinst;
    LPSTR lpszText;
    LPARAM lParam;
};
using TOOLINFO = TOOLINFOA;
using LPTOOLINFOA = TOOLINFOA*;
using LPTOOLINFO = TOOLINFOA*;

class AFX_UI_API CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    using CWnd::Create;
    // The control, owned by `parent`.
    BOOL Create(CWnd* parent, DWORD style = 0);
    // A tool of `wnd`: `rect` of it under `id`, or the whole window (no
    // rectangle and id 0). Added with TTF_SUBCLASS.
    BOOL AddTool(CWnd* wnd, LPCTSTR text, LPCRECT rect = nullptr, UINT_PTR id = 0);
    void UpdateTipText(LPCTSTR text, CWnd* wnd, UINT_PTR id = 0);
    void DelTool(CWnd* wnd, UINT_PTR id = 0);
    void SetToolRect(CWnd* wnd, UINT_PTR id, LPCRECT rect);
    CString GetText(CWnd* wnd, UINT_PTR id = 0) const;
    int GetToolCount() const;
    void Activate(BOOL activate);
    int SetMaxTipWidth(int width);
    int GetMaxTipWidth() const;
    void SetDelayTime(UINT which, int ms);
    int GetDelayTime(DWORD which) const;
    void RelayEvent(LPMSG msg);
    void Pop();

private:
    void FillInfo(TOOLINFOA& info, CWnd* wnd, UINT_PTR id) const;
};
