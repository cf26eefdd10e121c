// Window procedures that code outside a window's class can put in front of
// it, and the names of keys as a keyboard layout spells them.
#pragma once

#include "platform/afx/ui/wnd.h"

// A window procedure. Every window starts with the framework's own, which
// hands the message to its CWnd's WindowProc; SetWindowLongPtr with
// GWLP_WNDPROC puts another in front and returns the one it replaces, which
// the new procedure calls through CallWindowProc for what it leaves alone.
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
#define GWLP_WNDPROC (-4)
#define GWL_WNDPROC GWLP_WNDPROC
AFX_UI_API LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
AFX_UI_API LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongPtr(HWND hwnd, int index) { return GetWindowLongPtrA(hwnd, index); }
inline LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) { return SetWindowLongPtrA(hwnd, index, value); }
// Calls `proc` with the message; 0 for no procedure.
AFX_UI_API LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(proc, hwnd, message, wParam, lParam);
}

// The message the current thread is handling (window, message, wParam,
// lParam, time, point), or nullptr outside any; a procedure may change it
// while it works and put it back before it returns.
AFX_UI_API MSG* AfxCurrentMessageRecord();

// Key names of a US layout. MapVirtualKey(vk, MAPVK_VK_TO_VSC) gives the
// key's scan code, with 0xE000 added for the keys of the extended block
// (arrows, Insert, Delete, Home, End, Page Up, Page Down), so a name
// asked for with that code is the extended key's ("Delete", not "Num Del").
// GetKeyNameText takes the scan code in bits 16-23 and the extended flag in
// bit 24 of `lParam`, as a key message carries them; it returns the length
// copied (cut to `size` - 1), 0 for a key without a name.
#define MAPVK_VK_TO_VSC 0u
#define MAPVK_VSC_TO_VK 1u
#define MAPVK_VK_TO_CHAR 2u
AFX_UI_API UINT MapVirtualKeyA(UINT code, UINT mapType);
inline UINT MapVirtualKey(UINT code, UINT mapType) { return MapVirtualKeyA(code, mapType); }
AFX_UI_API int GetKeyNameTextA(LONG lParam, LPSTR name, int size);
inline int GetKeyNameText(LONG lParam, LPSTR name, int size) { return GetKeyNameTextA(lParam, name, size); }
