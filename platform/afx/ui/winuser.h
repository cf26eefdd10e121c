// Window messages, their parameters and the window-manager calls of the
// framework's user-interface layer. Numbers are the ones callers and other
// programs exchange, so they stay fixed.
#pragma once

#include "platform/win/process.h"
#include <cstdint>

#include "platform/afx/core/afx_types.h"

#ifndef AFX_UI_API
#define AFX_UI_API __attribute__((visibility("default")))
#endif

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
    // Internal: a reference to the input event behind a queued keyboard or mouse message.
    std::uintptr_t lPrivate;
};
using LPMSG = MSG*;

// Window messages.
#define WM_NULL 0x0000u
#define WM_CREATE 0x0001u
#define WM_DESTROY 0x0002u
#define WM_MOVE 0x0003u
#define WM_SIZE 0x0005u
#define WM_ACTIVATE 0x0006u
#define WM_SETFOCUS 0x0007u
#define WM_KILLFOCUS 0x0008u
#define WM_ENABLE 0x000Au
#define WM_SETTEXT 0x000Cu
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_PAINT 0x000Fu
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_ERASEBKGND 0x0014u
#define WM_SYSCOLORCHANGE 0x0015u
#define WM_SHOWWINDOW 0x0018u
#define WM_SETTINGCHANGE 0x001Au
#define WM_ACTIVATEAPP 0x001Cu
#define WM_CANCELMODE 0x001Fu
#define WM_SETCURSOR 0x0020u
#define WM_MOUSEACTIVATE 0x0021u
#define WM_GETMINMAXINFO 0x0024u
#define WM_DRAWITEM 0x002Bu
#define WM_MEASUREITEM 0x002Cu
#define WM_SETFONT 0x0030u
#define WM_GETFONT 0x0031u
#define WM_QUERYDRAGICON 0x0037u
#define WM_WINDOWPOSCHANGED 0x0047u
#define WM_COPYDATA 0x004Au
#define WM_NOTIFY 0x004Eu
#define WM_CONTEXTMENU 0x007Bu
#define WM_NCCREATE 0x0081u
#define WM_NCDESTROY 0x0082u
#define WM_NCCALCSIZE 0x0083u
#define WM_NCHITTEST 0x0084u
#define WM_NCPAINT 0x0085u
#define WM_GETDLGCODE 0x0087u
#define DLGC_WANTARROWS 0x0001u
#define DLGC_WANTTAB 0x0002u
#define DLGC_WANTALLKEYS 0x0004u
#define DLGC_WANTMESSAGE 0x0004u
#define DLGC_HASSETSEL 0x0008u
#define DLGC_WANTCHARS 0x0080u
#define WM_NCMOUSEMOVE 0x00A0u
#define WM_NCLBUTTONDOWN 0x00A1u
#define WM_NCRBUTTONDOWN 0x00A4u
#define WM_NCMBUTTONDOWN 0x00A7u
#define WM_KEYFIRST 0x0100u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_CHAR 0x0102u
#define WM_SYSKEYDOWN 0x0104u
#define WM_SYSKEYUP 0x0105u
#define WM_SYSCHAR 0x0106u
#define WM_KEYLAST 0x0109u
#define WM_INITDIALOG 0x0110u
#define WM_COMMAND 0x0111u
#define WM_SYSCOMMAND 0x0112u
#define WM_TIMER 0x0113u
#define WM_HSCROLL 0x0114u
#define WM_VSCROLL 0x0115u
#define WM_INITMENU 0x0116u
#define WM_INITMENUPOPUP 0x0117u
#define WM_MENUSELECT 0x011Fu
#define WM_MENUCHAR 0x0120u
#define WM_ENTERIDLE 0x0121u
#define WM_CTLCOLOR 0x0019u
#define WM_MOUSEFIRST 0x0200u
#define WM_MOUSEMOVE 0x0200u
#define WM_LBUTTONDOWN 0x0201u
#define WM_LBUTTONUP 0x0202u
#define WM_LBUTTONDBLCLK 0x0203u
#define WM_RBUTTONDOWN 0x0204u
#define WM_RBUTTONUP 0x0205u
#define WM_RBUTTONDBLCLK 0x0206u
#define WM_MBUTTONDOWN 0x0207u
#define WM_MBUTTONUP 0x0208u
#define WM_MBUTTONDBLCLK 0x0209u
#define WM_MOUSEWHEEL 0x020Au
#define WM_MOUSELAST 0x020Au
#define WM_PARENTNOTIFY 0x0210u
#define WM_CAPTURECHANGED 0x0215u
#define WM_DROPFILES 0x0233u
#define WM_MOUSELEAVE 0x02A3u
#define WM_CUT 0x0300u
#define WM_COPY 0x0301u
#define WM_PASTE 0x0302u
#define WM_CLEAR 0x0303u
#define WM_UNDO 0x0304u
#define WM_USER 0x0400u
#define WM_APP 0x8000u

// Framework-private messages.
#define WM_IDLEUPDATECMDUI 0x0363u
#define WM_INITIALUPDATE 0x0364u
#define WM_SIZEPARENT 0x0361u
#define WM_REFLECT_BASE 0xBC00u

// WM_SIZE kinds.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// Mouse key state in wParam.
#define MK_LBUTTON 0x0001u
#define MK_RBUTTON 0x0002u
#define MK_SHIFT 0x0004u
#define MK_CONTROL 0x0008u
#define MK_MBUTTON 0x0010u
#define WHEEL_DELTA 120

constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lp))); }
constexpr short GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return static_cast<short>(HIWORD(wp)); }

// Scroll bars.
#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8
#define SIF_RANGE 0x0001u
#define SIF_PAGE 0x0002u
#define SIF_POS 0x0004u
#define SIF_DISABLENOSCROLL 0x0008u
#define SIF_TRACKPOS 0x0010u
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)
struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};
using LPSCROLLINFO = SCROLLINFO*;

// Virtual keys.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_NUMPAD0 0x60
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91

// ShowWindow codes (SW_*) come from platform/win/process.h.

// SetWindowPos.
#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOREDRAW 0x0008u
#define SWP_NOACTIVATE 0x0010u
#define SWP_FRAMECHANGED 0x0020u
#define SWP_SHOWWINDOW 0x0040u
#define SWP_HIDEWINDOW 0x0080u
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))
// PostMessage to every top-level window, of this program and of the others
// (which take only the messages they accept from outside, as for any post).
#define HWND_BROADCAST (reinterpret_cast<HWND>(0xFFFF))

// RedrawWindow.
#define RDW_INVALIDATE 0x0001u
#define RDW_INTERNALPAINT 0x0002u
#define RDW_ERASE 0x0004u
#define RDW_VALIDATE 0x0008u
#define RDW_NOERASE 0x0020u
#define RDW_ALLCHILDREN 0x0080u
#define RDW_UPDATENOW 0x0100u
#define RDW_ERASENOW 0x0200u
#define RDW_FRAME 0x0400u

// Window styles.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_MAXIMIZE 0x01000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)
#define WS_CHILDWINDOW WS_CHILD
#define WS_EX_DLGMODALFRAME 0x00000001u
#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_ACCEPTFILES 0x00000010u
#define WS_EX_TRANSPARENT 0x00000020u
#define WS_EX_TOOLWINDOW 0x00000080u
#define WS_EX_WINDOWEDGE 0x00000100u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_STATICEDGE 0x00020000u
#define FWS_ADDTOTITLE 0x00008000u
#define FWS_PREFIXTITLE 0x00004000u

// Control notification codes in the high word of WM_COMMAND's wParam.
#define BN_CLICKED 0
#define BN_DOUBLECLICKED 5
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define STN_CLICKED 0

// Standard dialog and message box results.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9
#define IDC_STATIC (-1)

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

// PeekMessage.
#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u

// Command routing codes.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI (-1)
#define CN_NOTIFY 0x004E

// Standard cursors, named by their resource numbers.
#define IDC_ARROW MAKEINTRESOURCE(32512)
#define IDC_IBEAM MAKEINTRESOURCE(32513)
#define IDC_WAIT MAKEINTRESOURCE(32514)
#define IDC_CROSS MAKEINTRESOURCE(32515)
#define IDC_UPARROW MAKEINTRESOURCE(32516)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_HAND MAKEINTRESOURCE(32649)
#define IDC_APPSTARTING MAKEINTRESOURCE(32650)
#define IDC_HELP MAKEINTRESOURCE(32651)
#define IDI_APPLICATION MAKEINTRESOURCE(32512)

#ifndef MAKEINTRESOURCE
#define MAKEINTRESOURCE(i) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#endif
#ifndef IS_INTRESOURCE
#define IS_INTRESOURCE(p) ((reinterpret_cast<std::uintptr_t>(p) >> 16) == 0)
#endif

// Hit-test codes of WM_NCHITTEST and WM_SETCURSOR.
#define HTERROR (-2)
#define HTTRANSPARENT (-1)
#define HTNOWHERE 0
#define HTCLIENT 1
#define HTCAPTION 2

// Notification header of WM_NOTIFY.
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
using LPNMHDR = NMHDR*;

struct COPYDATASTRUCT {
    std::uintptr_t dwData;
    DWORD cbData;
    void* lpData;
};

// Owner-drawn items.
#define ODT_MENU 1
#define ODT_LISTBOX 2
#define ODT_COMBOBOX 3
#define ODT_BUTTON 4
#define ODT_STATIC 5
#define ODA_DRAWENTIRE 0x0001u
#define ODA_SELECT 0x0002u
#define ODA_FOCUS 0x0004u
#define ODS_SELECTED 0x0001u
#define ODS_GRAYED 0x0002u
#define ODS_DISABLED 0x0004u
#define ODS_CHECKED 0x0008u
#define ODS_FOCUS 0x0010u
#define ODS_DEFAULT 0x0020u
struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    std::uintptr_t itemData;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;
struct MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    std::uintptr_t itemData;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

// Timers.
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Window-manager calls on handles; the CWnd members forward to these.
AFX_UI_API LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
AFX_UI_API BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// As PostMessage, with a payload the message owns: `release` runs when the
// message is removed or its window goes away before it is dispatched; once
// the message is taken from the queue its receiver owns the payload.
AFX_UI_API BOOL AfxPostMessageOwned(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    void (*release)(WPARAM, LPARAM));
// Removes the queued posted messages for `hwnd` (nullptr: every window of the
// thread) in first..last, releasing their payloads; returns how many.
AFX_UI_API int AfxRemovePostedMessages(HWND hwnd, UINT first, UINT last);
AFX_UI_API BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
AFX_UI_API void PostQuitMessage(int exitCode);
// Looks at the calling thread's queue after processing pending window-system
// events; never waits. Messages for `hwnd` (nullptr: any) in first..last (0,0: all).
AFX_UI_API BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove);
// Waits for the next message (returns FALSE for WM_QUIT).
AFX_UI_API BOOL GetMessage(LPMSG msg, HWND hwnd, UINT first, UINT last);
AFX_UI_API BOOL TranslateMessage(const MSG* msg);
AFX_UI_API LRESULT DispatchMessage(const MSG* msg);
AFX_UI_API BOOL WaitMessage();
AFX_UI_API UINT RegisterWindowMessage(LPCSTR name);
AFX_UI_API DWORD GetMessageTime();
AFX_UI_API DWORD GetMessagePos();

AFX_UI_API BOOL IsWindow(HWND hwnd);
AFX_UI_API BOOL IsWindowVisible(HWND hwnd);
AFX_UI_API BOOL IsWindowEnabled(HWND hwnd);
AFX_UI_API BOOL IsIconic(HWND hwnd);
AFX_UI_API BOOL IsZoomed(HWND hwnd);
AFX_UI_API BOOL ShowWindow(HWND hwnd, int cmdShow);
AFX_UI_API BOOL SetForegroundWindow(HWND hwnd);
AFX_UI_API BOOL BringWindowToTop(HWND hwnd);
AFX_UI_API HWND GetForegroundWindow();
AFX_UI_API BOOL DestroyWindow(HWND hwnd);
AFX_UI_API BOOL EnableWindow(HWND hwnd, BOOL enable);
AFX_UI_API HWND GetParent(HWND hwnd);
AFX_UI_API HWND SetFocus(HWND hwnd);
AFX_UI_API HWND GetFocus();
AFX_UI_API HWND SetCapture(HWND hwnd);
AFX_UI_API BOOL ReleaseCapture();
AFX_UI_API HWND GetCapture();
AFX_UI_API HWND GetDesktopWindow();
AFX_UI_API int GetWindowText(HWND hwnd, LPSTR text, int maxCount);
AFX_UI_API BOOL SetWindowText(HWND hwnd, LPCSTR text);
AFX_UI_API BOOL InvalidateRect(HWND hwnd, LPCRECT rect, BOOL erase);
AFX_UI_API BOOL UpdateWindow(HWND hwnd);
AFX_UI_API BOOL GetClientRect(HWND hwnd, LPRECT rect);
AFX_UI_API BOOL GetWindowRect(HWND hwnd, LPRECT rect);
AFX_UI_API BOOL GetCursorPos(LPPOINT point);
AFX_UI_API BOOL SetCursorPos(int x, int y);
AFX_UI_API HCURSOR SetCursor(HCURSOR cursor);
AFX_UI_API HCURSOR GetCursor();
AFX_UI_API HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name);
// An icon from an .ico or .png file (a path of the system's own form); null
// when it cannot be read. It lives until DestroyIcon or the program's end.
AFX_UI_API HICON AfxLoadIconFile(LPCSTR path);
// The icon of a program file. Programs here carry no icon resource, so the
// icon is the .ico (else .png) file beside the program with its stem
// ("C:\App\ocr.exe" -> "C:\App\ocr.ico"). Index 0 only; null when there
// is none. Free it with DestroyIcon.
AFX_UI_API HICON ExtractIconA(HINSTANCE instance, LPCSTR programPath, UINT index);
inline HICON ExtractIcon(HINSTANCE instance, LPCSTR programPath, UINT index) {
    return ExtractIconA(instance, programPath, index);
}
AFX_UI_API BOOL DestroyIcon(HICON icon);
AFX_UI_API int ShowCursor(BOOL show);
AFX_UI_API short GetKeyState(int virtKey);
AFX_UI_API short GetAsyncKeyState(int virtKey);
AFX_UI_API BOOL MessageBeep(UINT type);
AFX_UI_API UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
AFX_UI_API BOOL KillTimer(HWND hwnd, UINT_PTR id);
AFX_UI_API BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
AFX_UI_API BOOL DestroyCaret();
AFX_UI_API BOOL ShowCaret(HWND hwnd);
AFX_UI_API BOOL HideCaret(HWND hwnd);
AFX_UI_API BOOL SetCaretPos(int x, int y);
AFX_UI_API BOOL GetCaretPos(LPPOINT point);
AFX_UI_API UINT GetDoubleClickTime();
// Sends WM_COMMAND for a key of the accelerator table; TRUE when it was one.
AFX_UI_API int TranslateAccelerator(HWND hwnd, HACCEL table, LPMSG msg);
// Finds a top-level window of this or another program of the user by class
// name and/or title (either may be nullptr).
AFX_UI_API HWND FindWindow(LPCSTR className, LPCSTR title);
// The program (process id) a window of this or another program belongs to;
// returns its thread id (the process id here), 0 for no window.
AFX_UI_API DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId);
namespace suite {
// As FindWindow, among the top-level windows of program `processId` only.
AFX_UI_API HWND FindWindowOfProcess(DWORD processId, LPCSTR className, LPCSTR title);
}  // namespace suite
// As SendMessage to another program's window, giving up after `timeout` ms.
#define SMTO_NORMAL 0x0000u
#define SMTO_BLOCK 0x0001u
#define SMTO_ABORTIFHUNG 0x0002u
AFX_UI_API LRESULT SendMessageTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                      UINT timeout, DWORD_PTR* result);
