// Synthetic input for tests and scripted runs: key presses and mouse actions
// delivered to a window as the window system would deliver them.
#pragma once

#include <string>
#include <vector>

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
// Opens popup `pos` of the frame's menu bar as a click on the bar would
// (its owner converts and updates it first), writes a picture of the open
// popup as a PNG file at `path`, and closes the menu again. FALSE when the
// frame has no such popup or the file cannot be written.
AFX_UI_API BOOL AfxTestGrabMenuBarPopup(CWnd* frame, int pos, LPCTSTR path);
// Writes a picture of a popup menu, prepared by `owner` as for
// TrackPopupMenu, as a PNG file at `path`; FALSE when it cannot be written.
AFX_UI_API BOOL AfxTestGrabPopupMenu(class CMenu* popup, CWnd* owner, LPCTSTR path);
// Files dropped on a window from a file manager at client point `pt`:
// WM_DROPFILES as the window system sends it, to a window that accepts files
// (DragAcceptFiles); FALSE, and nothing sent, to one that does not.
AFX_UI_API BOOL AfxTestDropFiles(CWnd* wnd, const std::vector<std::string>& paths, POINT pt);
// The tip a tool-tip control shows now, its lines joined by '\n' (UTF-8);
// "" when no tip is up.
AFX_UI_API std::string AfxTestShownToolTip();
// Writes a picture of the tip that is up as a PNG file; FALSE when none is.
AFX_UI_API BOOL AfxTestGrabToolTip(LPCTSTR path);
