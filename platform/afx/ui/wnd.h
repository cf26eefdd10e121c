// Windows. Every CWnd is backed by a widget of the window system; its handle
// (HWND) is a number that names it in the process-wide handle map and never
// names another window after it is destroyed. Messages reach the window
// procedure (WindowProc) from SendMessage, from the thread's queue
// (PostMessage) and from the window system's input and paint events, and are
// dispatched through the message maps of the class and its bases.
#pragma once

#include "platform/afx/core/geometry.h"
#include "platform/afx/ui/cmdtarget.h"

class CDC;
class CMenu;
class CScrollBar;
class CFrameWnd;
class QWidget;

struct CREATESTRUCT {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
using LPCREATESTRUCT = CREATESTRUCT*;

struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

struct WINDOWPLACEMENT {
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};

struct HDROP__;
using HDROP = HDROP__*;
using LONG_PTR = std::intptr_t;
using LPINT = int*;

#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5

#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_ID (-12)
#define GWL_USERDATA (-21)

#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BST_INDETERMINATE 2

class AFX_UI_API CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    // The handle, or nullptr when called through a null pointer (as callers expect).
    HWND GetSafeHwnd() const;
    bool operator==(const CWnd& other) const { return m_hWnd == other.m_hWnd; }

    // The CWnd of a handle; for a handle this process does not own as a CWnd
    // (another program's window, a bare widget) a temporary object that stays
    // valid until the window goes away.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    BOOL Attach(HWND hwnd);
    HWND Detach();

    // Creation. `className` picks the widget: nullptr or a registered
    // framework class makes a plain window; "Button", "Edit", "Static",
    // "ComboBox", "ListBox", "ScrollBar" and the common-control names make
    // the matching control.
    virtual BOOL Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                        UINT id, void* context = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id, LPVOID param = nullptr);
    BOOL CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y, int cx,
                  int cy, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    // Called after WM_NCDESTROY; windows that own themselves delete this here.
    virtual void PostNcDestroy();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Passes the message being handled on to the default processing.
    LRESULT Default();
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A notification the parent did not handle, offered to the control itself.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    static BOOL ReflectLastMsg(HWND child, LRESULT* pResult = nullptr);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);
    const MSG* GetCurrentMessage();

    // Relations.
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* parent);
    CWnd* GetOwner() const;
    void SetOwner(CWnd* owner) { m_pOwner = owner; }
    CFrameWnd* GetParentFrame() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT cmd) const;
    CWnd* GetDlgItem(int id) const;
    CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const;
    CWnd* GetNextDlgGroupItem(CWnd* control, BOOL previous = FALSE) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int id);
    BOOL IsChild(const CWnd* wnd) const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    LONG_PTR GetWindowLong(int index) const;
    LONG_PTR SetWindowLong(int index, LONG_PTR value);

    // State and geometry. Client coordinates start at the top left of the
    // client area (below a frame's menu bar, inside its scroll bars).
    BOOL ShowWindow(int cmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const;
    void MapWindowPoints(CWnd* to, LPRECT rect) const;
    void CenterWindow(CWnd* alternateOwner = nullptr);
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement);
    CWnd* ChildWindowFromPoint(POINT point) const;
    static CWnd* WindowFromPoint(POINT point);
    void BringWindowToTop();
    BOOL SetForegroundWindow();
    static CWnd* GetForegroundWindow();
    static CWnd* GetActiveWindow();
    CWnd* SetActiveWindow();
    void DragAcceptFiles(BOOL accept = TRUE);

    // Painting.
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void ValidateRect(LPCRECT rect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT update = nullptr, HRGN region = nullptr, UINT flags = 0x0001 | 0x0100 | 0x0004);
    BOOL GetUpdateRect(LPRECT rect, BOOL erase = FALSE);
    CDC* GetDC();
    CDC* GetWindowDC();
    int ReleaseDC(CDC* dc);
    void SetRedraw(BOOL redraw = TRUE);
    void ScrollWindow(int dx, int dy, LPCRECT scrollRect = nullptr, LPCRECT clipRect = nullptr);
    // A picture of the window and its children as it is on screen, written
    // as a PNG file; FALSE when it cannot be written.
    BOOL GrabToFile(LPCTSTR path);

    // Text: bytes in the ANSI code page.
    void SetWindowText(LPCTSTR text);
    int GetWindowText(LPTSTR text, int maxCount) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    void SetFont(class CFont* font, BOOL redraw = TRUE);
    class CFont* GetFont() const;

    // Dialog-item helpers.
    void SetDlgItemText(int id, LPCTSTR text);
    int GetDlgItemText(int id, LPTSTR text, int maxCount) const;
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    int GetCheckedRadioButton(int firstId, int lastId);
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Focus, capture, timers, caret, scroll bars.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR id);
    void CreateSolidCaret(int width, int height);
    void CreateGrayCaret(int width, int height);
    void ShowCaret();
    void HideCaret();
    static void SetCaretPos(POINT point);
    static CPoint GetCaretPos();
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int bar, LPINT minPos, LPINT maxPos) const;
    BOOL SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL);
    int GetScrollLimit(int bar);
    void ShowScrollBar(UINT bar, BOOL show = TRUE);
    BOOL EnableScrollBar(int bar, UINT arrows = 0);
    virtual CScrollBar* GetScrollBarCtrl(int bar) const;

    // Menus of top-level windows.
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* menu);
    void DrawMenuBar();
    CMenu* GetSystemMenu(BOOL revert) const;

    int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = MB_OK);

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(class CDataExchange* dx);

    // Commands and their update handlers for children that are control bars.
    virtual void OnUpdateCmdUI_Children(BOOL disableIfNoHandler);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    BOOL SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();
    void RepositionBars(UINT first, UINT last, UINT idLeftOver, UINT flag = 0, LPRECT param = nullptr,
                        LPCRECT clientRect = nullptr, BOOL stretch = TRUE);

    // The backing widget (internal to the framework).
    QWidget* GetWidget() const { return m_pWidget; }

    // Standard message handlers; each passes the message on to Default().
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnClose();
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnMButtonDown(UINT flags, CPoint point);
    afx_msg void OnMButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnKeyUp(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnSysKeyDown(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnSysChar(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnContextMenu(CWnd* wnd, CPoint point);
    afx_msg void OnDropFiles(HDROP drop);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg void OnKillFocus(CWnd* newWnd);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);
    afx_msg void OnMenuSelect(UINT itemId, UINT flags, HMENU menu);
    afx_msg LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu);
    afx_msg void OnMeasureItem(int idCtl, LPMEASUREITEMSTRUCT mis);
    afx_msg void OnDrawItem(int idCtl, LPDRAWITEMSTRUCT dis);
    afx_msg void OnCancelMode();
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg void OnSysColorChange();
    afx_msg void OnSettingChange(UINT flags, LPCTSTR section);
    afx_msg void OnEnable(BOOL enable);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* mmi);
    afx_msg BOOL OnCopyData(CWnd* from, COPYDATASTRUCT* data);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg void OnNcPaint();
    afx_msg void OnNcLButtonDown(UINT hitTest, CPoint point);
    afx_msg void OnNcRButtonDown(UINT hitTest, CPoint point);
    afx_msg void OnNcMButtonDown(UINT hitTest, CPoint point);
    afx_msg void OnNcMouseMove(UINT hitTest, CPoint point);
    afx_msg void OnPaste();
    afx_msg void OnCopy();
    afx_msg void OnCut();

    DECLARE_MESSAGE_MAP()

public:
    // Framework internals shared by the window classes.
    QWidget* m_pWidget = nullptr;
    CWnd* m_pOwner = nullptr;
    DWORD m_dwStyle = 0;
    DWORD m_dwExStyle = 0;
    UINT m_nID = 0;
    CString m_strClass;
    LONG_PTR m_userData = 0;
    bool m_bTemporary = false;  // made by FromHandle for a handle without a CWnd
    // Makes the backing widget for Create; controls override it.
    virtual QWidget* CreateWidget(CREATESTRUCT& cs, QWidget* parent);
};

// The device-context object of a handle (a temporary one when it has none).
AFX_UI_API CDC* AfxDCFromHandle(HDC dc);

// Drag-and-drop of files delivered with WM_DROPFILES.
AFX_UI_API UINT DragQueryFile(HDROP drop, UINT index, LPSTR file, UINT size);
AFX_UI_API BOOL DragQueryPoint(HDROP drop, LPPOINT point);
AFX_UI_API void DragFinish(HDROP drop);

// Handlers for the standard window messages, bound to the member of the same name.
namespace afx_thunk {
template <class C, auto F> LRESULT V_V(CCmdTarget* t, AFX_MSGCALL&) { void (C::*f)() = F; (static_cast<C*>(t)->*f)(); return 0; }
template <class C, auto F> LRESULT Create(CCmdTarget* t, AFX_MSGCALL& c) { int (C::*f)(LPCREATESTRUCT) = F; return (static_cast<C*>(t)->*f)(reinterpret_cast<LPCREATESTRUCT>(c.lParam)); }
template <class C, auto F> LRESULT EraseBkgnd(CCmdTarget* t, AFX_MSGCALL& c) { BOOL (C::*f)(CDC*) = F; return (static_cast<C*>(t)->*f)(AfxDCFromHandle(reinterpret_cast<HDC>(c.wParam))); }
template <class C, auto F> LRESULT Size(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, int, int) = F; (static_cast<C*>(t)->*f)(static_cast<UINT>(c.wParam), static_cast<SHORT>(LOWORD(c.lParam)), static_cast<SHORT>(HIWORD(c.lParam))); return 0; }
template <class C, auto F> LRESULT Move(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(int, int) = F; (static_cast<C*>(t)->*f)(static_cast<SHORT>(LOWORD(c.lParam)), static_cast<SHORT>(HIWORD(c.lParam))); return 0; }
template <class C, auto F> LRESULT Mouse(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, CPoint) = F; (static_cast<C*>(t)->*f)(static_cast<UINT>(c.wParam), CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))); return 0; }
template <class C, auto F> LRESULT Wheel(CCmdTarget* t, AFX_MSGCALL& c) { BOOL (C::*f)(UINT, short, CPoint) = F; return (static_cast<C*>(t)->*f)(LOWORD(c.wParam), GET_WHEEL_DELTA_WPARAM(c.wParam), CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))); }
template <class C, auto F> LRESULT Key(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, UINT, UINT) = F; (static_cast<C*>(t)->*f)(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return 0; }
template <class C, auto F> LRESULT Scroll(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, UINT, CScrollBar*) = F; (static_cast<C*>(t)->*f)(LOWORD(c.wParam), HIWORD(c.wParam), reinterpret_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(c.lParam)))); return 0; }
template <class C, auto F> LRESULT Timer(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT_PTR) = F; (static_cast<C*>(t)->*f)(c.wParam); return 0; }
template <class C, auto F> LRESULT ContextMenu(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(CWnd*, CPoint) = F; (static_cast<C*>(t)->*f)(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam)), CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))); return 0; }
template <class C, auto F> LRESULT DropFiles(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(HDROP) = F; (static_cast<C*>(t)->*f)(reinterpret_cast<HDROP>(c.wParam)); return 0; }
template <class C, auto F> LRESULT Focus(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(CWnd*) = F; (static_cast<C*>(t)->*f)(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam))); return 0; }
template <class C, auto F> LRESULT CaptureChanged(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(CWnd*) = F; (static_cast<C*>(t)->*f)(CWnd::FromHandle(reinterpret_cast<HWND>(c.lParam))); return 0; }
template <class C, auto F> LRESULT SetCursorT(CCmdTarget* t, AFX_MSGCALL& c) { BOOL (C::*f)(CWnd*, UINT, UINT) = F; return (static_cast<C*>(t)->*f)(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam)), LOWORD(c.lParam), HIWORD(c.lParam)); }
template <class C, auto F> LRESULT InitMenuPopup(CCmdTarget* t, AFX_MSGCALL& c);
template <class C, auto F> LRESULT MenuSelect(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, UINT, HMENU) = F; (static_cast<C*>(t)->*f)(LOWORD(c.wParam), HIWORD(c.wParam), reinterpret_cast<HMENU>(c.lParam)); return 0; }
template <class C, auto F> LRESULT MenuChar(CCmdTarget* t, AFX_MSGCALL& c);
template <class C, auto F> LRESULT MeasureItem(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(int, LPMEASUREITEMSTRUCT) = F; (static_cast<C*>(t)->*f)(static_cast<int>(c.wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(c.lParam)); return TRUE; }
template <class C, auto F> LRESULT DrawItem(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(int, LPDRAWITEMSTRUCT) = F; (static_cast<C*>(t)->*f)(static_cast<int>(c.wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(c.lParam)); return TRUE; }
template <class C, auto F> LRESULT SettingChange(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, LPCTSTR) = F; (static_cast<C*>(t)->*f)(static_cast<UINT>(c.wParam), reinterpret_cast<LPCTSTR>(c.lParam)); return 0; }
template <class C, auto F> LRESULT Bool(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(BOOL) = F; (static_cast<C*>(t)->*f)(static_cast<BOOL>(c.wParam)); return 0; }
template <class C, auto F> LRESULT ShowWindowT(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(BOOL, UINT) = F; (static_cast<C*>(t)->*f)(static_cast<BOOL>(c.wParam), static_cast<UINT>(c.lParam)); return 0; }
template <class C, auto F> LRESULT GetDlgCode(CCmdTarget* t, AFX_MSGCALL&) { UINT (C::*f)() = F; return (static_cast<C*>(t)->*f)(); }
template <class C, auto F> LRESULT Activate(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, CWnd*, BOOL) = F; (static_cast<C*>(t)->*f)(LOWORD(c.wParam), CWnd::FromHandle(reinterpret_cast<HWND>(c.lParam)), HIWORD(c.wParam)); return 0; }
template <class C, auto F> LRESULT SysCommand(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, LPARAM) = F; (static_cast<C*>(t)->*f)(static_cast<UINT>(c.wParam), c.lParam); return 0; }
template <class C, auto F> LRESULT MinMax(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(MINMAXINFO*) = F; (static_cast<C*>(t)->*f)(reinterpret_cast<MINMAXINFO*>(c.lParam)); return 0; }
template <class C, auto F> LRESULT CopyData(CCmdTarget* t, AFX_MSGCALL& c) { BOOL (C::*f)(CWnd*, COPYDATASTRUCT*) = F; return (static_cast<C*>(t)->*f)(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam)), reinterpret_cast<COPYDATASTRUCT*>(c.lParam)); }
template <class C, auto F> LRESULT QueryDragIcon(CCmdTarget* t, AFX_MSGCALL&) { HCURSOR (C::*f)() = F; return reinterpret_cast<LRESULT>((static_cast<C*>(t)->*f)()); }
template <class C, auto F> LRESULT NcHitTest(CCmdTarget* t, AFX_MSGCALL& c) { LRESULT (C::*f)(CPoint) = F; return (static_cast<C*>(t)->*f)(CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))); }
template <class C, auto F> LRESULT NcMouse(CCmdTarget* t, AFX_MSGCALL& c) { void (C::*f)(UINT, CPoint) = F; (static_cast<C*>(t)->*f)(static_cast<UINT>(c.wParam), CPoint(GET_X_LPARAM(c.lParam), GET_Y_LPARAM(c.lParam))); return 0; }
}  // namespace afx_thunk

#define AFX_WM(msg, kind, fn) AFX_ENTRY(msg, 0, 0, 0, (&afx_thunk::kind<ThisClass, &ThisClass::fn>))
#define ON_WM_CREATE() AFX_WM(WM_CREATE, Create, OnCreate)
#define ON_WM_DESTROY() AFX_WM(WM_DESTROY, V_V, OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM(WM_NCDESTROY, V_V, OnNcDestroy)
#define ON_WM_PAINT() AFX_WM(WM_PAINT, V_V, OnPaint)
#define ON_WM_ERASEBKGND() AFX_WM(WM_ERASEBKGND, EraseBkgnd, OnEraseBkgnd)
#define ON_WM_SIZE() AFX_WM(WM_SIZE, Size, OnSize)
#define ON_WM_MOVE() AFX_WM(WM_MOVE, Move, OnMove)
#define ON_WM_CLOSE() AFX_WM(WM_CLOSE, V_V, OnClose)
#define ON_WM_SHOWWINDOW() AFX_WM(WM_SHOWWINDOW, ShowWindowT, OnShowWindow)
#define ON_WM_LBUTTONDOWN() AFX_WM(WM_LBUTTONDOWN, Mouse, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM(WM_LBUTTONUP, Mouse, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_WM(WM_LBUTTONDBLCLK, Mouse, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_WM(WM_RBUTTONDOWN, Mouse, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_WM(WM_RBUTTONUP, Mouse, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() AFX_WM(WM_RBUTTONDBLCLK, Mouse, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() AFX_WM(WM_MBUTTONDOWN, Mouse, OnMButtonDown)
#define ON_WM_MBUTTONUP() AFX_WM(WM_MBUTTONUP, Mouse, OnMButtonUp)
#define ON_WM_MOUSEMOVE() AFX_WM(WM_MOUSEMOVE, Mouse, OnMouseMove)
#define ON_WM_MOUSEWHEEL() AFX_WM(WM_MOUSEWHEEL, Wheel, OnMouseWheel)
#define ON_WM_MOUSELEAVE() AFX_WM(WM_MOUSELEAVE, V_V, OnMouseLeave)
#define ON_WM_KEYDOWN() AFX_WM(WM_KEYDOWN, Key, OnKeyDown)
#define ON_WM_KEYUP() AFX_WM(WM_KEYUP, Key, OnKeyUp)
#define ON_WM_CHAR() AFX_WM(WM_CHAR, Key, OnChar)
#define ON_WM_SYSKEYDOWN() AFX_WM(WM_SYSKEYDOWN, Key, OnSysKeyDown)
#define ON_WM_SYSCHAR() AFX_WM(WM_SYSCHAR, Key, OnSysChar)
#define ON_WM_HSCROLL() AFX_WM(WM_HSCROLL, Scroll, OnHScroll)
#define ON_WM_VSCROLL() AFX_WM(WM_VSCROLL, Scroll, OnVScroll)
#define ON_WM_TIMER() AFX_WM(WM_TIMER, Timer, OnTimer)
#define ON_WM_CONTEXTMENU() AFX_WM(WM_CONTEXTMENU, ContextMenu, OnContextMenu)
#define ON_WM_DROPFILES() AFX_WM(WM_DROPFILES, DropFiles, OnDropFiles)
#define ON_WM_SETFOCUS() AFX_WM(WM_SETFOCUS, Focus, OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM(WM_KILLFOCUS, Focus, OnKillFocus)
#define ON_WM_SETCURSOR() AFX_WM(WM_SETCURSOR, SetCursorT, OnSetCursor)
#define ON_WM_INITMENUPOPUP() AFX_WM(WM_INITMENUPOPUP, InitMenuPopup, OnInitMenuPopup)
#define ON_WM_MENUSELECT() AFX_WM(WM_MENUSELECT, MenuSelect, OnMenuSelect)
#define ON_WM_MENUCHAR() AFX_WM(WM_MENUCHAR, MenuChar, OnMenuChar)
#define ON_WM_MEASUREITEM() AFX_WM(WM_MEASUREITEM, MeasureItem, OnMeasureItem)
#define ON_WM_DRAWITEM() AFX_WM(WM_DRAWITEM, DrawItem, OnDrawItem)
#define ON_WM_CANCELMODE() AFX_WM(WM_CANCELMODE, V_V, OnCancelMode)
#define ON_WM_CAPTURECHANGED() AFX_WM(WM_CAPTURECHANGED, CaptureChanged, OnCaptureChanged)
#define ON_WM_SYSCOLORCHANGE() AFX_WM(WM_SYSCOLORCHANGE, V_V, OnSysColorChange)
#define ON_WM_SETTINGCHANGE() AFX_WM(WM_SETTINGCHANGE, SettingChange, OnSettingChange)
#define ON_WM_ENABLE() AFX_WM(WM_ENABLE, Bool, OnEnable)
#define ON_WM_GETDLGCODE() AFX_WM(WM_GETDLGCODE, GetDlgCode, OnGetDlgCode)
#define ON_WM_ACTIVATE() AFX_WM(WM_ACTIVATE, Activate, OnActivate)
#define ON_WM_SYSCOMMAND() AFX_WM(WM_SYSCOMMAND, SysCommand, OnSysCommand)
#define ON_WM_GETMINMAXINFO() AFX_WM(WM_GETMINMAXINFO, MinMax, OnGetMinMaxInfo)
#define ON_WM_COPYDATA() AFX_WM(WM_COPYDATA, CopyData, OnCopyData)
#define ON_WM_QUERYDRAGICON() AFX_WM(WM_QUERYDRAGICON, QueryDragIcon, OnQueryDragIcon)
#define ON_WM_NCHITTEST() AFX_WM(WM_NCHITTEST, NcHitTest, OnNcHitTest)
#define ON_WM_NCPAINT() AFX_WM(WM_NCPAINT, V_V, OnNcPaint)
#define ON_WM_NCLBUTTONDOWN() AFX_WM(WM_NCLBUTTONDOWN, NcMouse, OnNcLButtonDown)
#define ON_WM_NCRBUTTONDOWN() AFX_WM(WM_NCRBUTTONDOWN, NcMouse, OnNcRButtonDown)
#define ON_WM_NCMBUTTONDOWN() AFX_WM(WM_NCMBUTTONDOWN, NcMouse, OnNcMButtonDown)
#define ON_WM_NCMOUSEMOVE() AFX_WM(WM_NCMOUSEMOVE, NcMouse, OnNcMouseMove)
