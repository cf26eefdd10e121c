// Synthetic input for tests and scripted runs: key presses and mouse actions
// delivered to a window as the window system would deliver them.
#pragma once

#include "platform/afx/ui/wnd.h"

// A key press and release of virtual key `vk` producing `text` (UTF-8; may
// be empty or a Chinese character), with MK_SHIFT / MK_CONTROL in `modifiers`.
AFX_UI_API void AfxTestKey(CWnd* wnd, UINT vk, const char* text = nullptr, UINT modifiers = 0);
// A mouse event at client point `pt`: message is WM_LBUTTONDOWN, WM_LBUTTONUP,
// WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE or WM_MOUSEWHEEL
// (then `wheelDelta` is the turn, 120 a notch).
AFX_UI_API void AfxTestMouse(CWnd* wnd, UINT message, POINT pt, UINT modifiers = 0, int wheelDelta = 0);
// A click: button down and up at `pt`.
AFX_UI_API void AfxTestClick(CWnd* wnd, POINT pt);
