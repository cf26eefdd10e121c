// The help viewer. A help file here is a folder named like the compiled help
// file ("Program.chm") that holds the help's HTML pages; HtmlHelpA shows one
// of its pages in a browser window of its own, one window per help file,
// reused by later calls.
#pragma once

#include "platform/afx/ui/wnd.h"

#define HH_DISPLAY_TOPIC 0x0000u
#define HH_HELP_FINDER 0x0000u
#define HH_DISPLAY_TOC 0x0001u
#define HH_CLOSE_ALL 0x0012u

// `file`: "help.chm", optionally followed by ">window" and by "::/page.htm"
// parts (in either order); the first page that exists is shown, else the
// help's "index.htm", else its first page. For HH_DISPLAY_TOPIC a non-zero
// `data` names the page instead. Returns the help window; nullptr when the
// help file cannot be opened (the user is told) or for HH_CLOSE_ALL, which
// closes every help window.
AFX_UI_API HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
#define HtmlHelp HtmlHelpA

namespace afx_detail {
// What a help reference names: the help file, its window and its pages in order.
struct HelpReference {
    CString file;
    CString window;
    std::vector<CString> pages;
};
AFX_UI_API HelpReference ParseHelpReference(LPCSTR reference);
}  // namespace afx_detail
