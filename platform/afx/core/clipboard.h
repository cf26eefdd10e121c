// The clipboard over the desktop's: CF_TEXT is ANSI text with CR LF line
// ends (Unicode with LF outside), CF_UNICODETEXT UTF-16, CF_DIB a packed DIB.
// Data handed in with SetClipboardData belongs to the clipboard from then on;
// data handed out by GetClipboardData stays the clipboard's and is valid
// until CloseClipboard. Needs the application object of the window layer.
#pragma once

#include "platform/afx/core/afx_types.h"

#define CF_TEXT 1u
#define CF_BITMAP 2u
#define CF_OEMTEXT 7u
#define CF_DIB 8u
#define CF_UNICODETEXT 13u

AFX_CORE_API BOOL OpenClipboard(HWND owner);
AFX_CORE_API BOOL CloseClipboard();
AFX_CORE_API BOOL EmptyClipboard();
AFX_CORE_API HANDLE SetClipboardData(UINT format, HANDLE data);
AFX_CORE_API HANDLE GetClipboardData(UINT format);
AFX_CORE_API BOOL IsClipboardFormatAvailable(UINT format);
AFX_CORE_API int CountClipboardFormats();
