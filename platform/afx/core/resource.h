// Resource modules and the loader.
//
// A resource module is a shared library made by the resource compiler
// (platform/afx/core/rc) from a text source; it exports one table,
// `suite_resource_table`, that indexes every resource by type and id (or
// name). A program loads its language library with LoadLibrary and makes it
// the current resource module with AfxSetResourceHandle; lookups without a
// module use the current one and then the program's own table, if it has one.
//
// Stored layouts (little-endian):
// - RT_STRING: one resource per string id, UTF-8 text.
// - RT_MENU: the standard menu template: a version word and a header-size
//   word, then items: a flags word (MF_POPUP 0x10, MF_END 0x80 on the last
//   item of a level, MF_GRAYED, MF_CHECKED, MF_SEPARATOR...), an id word unless
//   MF_POPUP, and the NUL-terminated UTF-16 text.
// - RT_TOOLBAR: words version (1), image width, image height, item count,
//   then one command id a button (0 for a separator).
// - RT_ACCELERATOR: 8-byte entries: flags word (FVIRTKEY, FSHIFT, FCONTROL,
//   FALT; 0x80 on the last), key word, command word, a padding word.
// - RT_BITMAP: a packed DIB (BITMAPINFOHEADER, palette, bottom-up rows).
// - RT_DIALOG: the suite's own template: see AfxParseDialogTemplate.
// - RT_ICON, RT_CURSOR: the image file's bytes (ICO, PNG, BMP), a cursor
//   preceded by two hot-spot words.
// Texts handed to callers by the parsed forms below are in the ANSI code page.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/afx/core/cstring.h"
#include "platform/win/library.h"

#ifndef MAKEINTRESOURCE
#define MAKEINTRESOURCE(i) MAKEINTRESOURCEA(i)
#endif

#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_ACCELERATOR MAKEINTRESOURCE(9)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_TOOLBAR MAKEINTRESOURCE(241)

// Menu item flags (as stored in menu templates and used by menus).
#define MF_STRING 0x0000u
#define MF_ENABLED 0x0000u
#define MF_UNCHECKED 0x0000u
#define MF_BYCOMMAND 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_BITMAP 0x0004u
#define MF_CHECKED 0x0008u
#define MF_POPUP 0x0010u
#define MF_MENUBARBREAK 0x0020u
#define MF_MENUBREAK 0x0040u
#define MF_END 0x0080u
#define MF_OWNERDRAW 0x0100u
#define MF_BYPOSITION 0x0400u
#define MF_SEPARATOR 0x0800u
#define MF_DEFAULT 0x1000u
#define MF_HELP 0x4000u
#define MF_RIGHTJUSTIFY 0x4000u

// Accelerator flags.
#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
using LPACCEL = ACCEL*;

struct HRSRC__;
using HRSRC = HRSRC__*;

// The current resource module (null until one is set: then the program's own).
AFX_CORE_API HINSTANCE AfxGetResourceHandle();
AFX_CORE_API void AfxSetResourceHandle(HINSTANCE module);
// Sets the current resource module and returns the one set before, as it was
// set (null when none was, so that putting it back restores "the program's").
AFX_CORE_API HINSTANCE AfxExchangeResourceHandle(HINSTANCE module);
// The program's module handle (as GetModuleHandle(nullptr)).
AFX_CORE_API HINSTANCE AfxGetInstanceHandle();
AFX_CORE_API void AfxSetInstanceHandle(HINSTANCE module);

// Raw access. `name` and `type` are MAKEINTRESOURCE ids or names ("#123"
// also means id 123; names compare case-insensitively). A null module
// searches the current resource module, then the program.
AFX_CORE_API HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
AFX_CORE_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
AFX_CORE_API LPVOID LockResource(HGLOBAL loaded);
AFX_CORE_API DWORD SizeofResource(HMODULE module, HRSRC resource);
AFX_CORE_API BOOL FreeResource(HGLOBAL loaded);
inline HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type) { return FindResourceA(module, name, type); }
// The module a found resource lives in.
AFX_CORE_API HMODULE AfxFindResourceHandle(LPCSTR name, LPCSTR type);

// Copies string `id` converted to the ANSI code page, NUL-terminated and
// truncated (never inside a double-byte character) to size - 1 bytes.
// Returns the bytes copied, 0 when there is no such string.
AFX_CORE_API int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);
inline int LoadString(HINSTANCE module, UINT id, LPSTR buffer, int size) { return LoadStringA(module, id, buffer, size); }
// The string in the current module (then the program), whole.
AFX_CORE_API BOOL AfxLoadString(UINT id, CString& out);
// The same, empty when there is no such string.
AFX_CORE_API CString AfxLoadString(UINT id);

// Accelerator tables: a handle owned by the loader, freed with DestroyAcceleratorTable.
AFX_CORE_API HACCEL LoadAcceleratorsA(HINSTANCE module, LPCSTR name);
inline HACCEL LoadAccelerators(HINSTANCE module, LPCSTR name) { return LoadAcceleratorsA(module, name); }
AFX_CORE_API int CopyAcceleratorTableA(HACCEL table, LPACCEL entries, int count);
inline int CopyAcceleratorTable(HACCEL table, LPACCEL entries, int count) { return CopyAcceleratorTableA(table, entries, count); }
AFX_CORE_API HACCEL CreateAcceleratorTableA(LPACCEL entries, int count);
inline HACCEL CreateAcceleratorTable(LPACCEL entries, int count) { return CreateAcceleratorTableA(entries, count); }
AFX_CORE_API BOOL DestroyAcceleratorTable(HACCEL table);

// Parsed menus.
struct AFX_CORE_API CMenuTemplateItem {
    UINT flags = 0;  // MF_ flags without MF_END
    UINT id = 0;     // 0 for separators and popups
    CString text;    // ANSI; "\t" separates the accelerator text
    std::vector<CMenuTemplateItem> children;  // items of a popup
    bool IsSeparator() const { return !(flags & MF_POPUP) && id == 0 && text.IsEmpty(); }
};
struct AFX_CORE_API CMenuTemplate {
    std::vector<CMenuTemplateItem> items;
};
// Parses a standard menu template; FALSE for a malformed one.
AFX_CORE_API BOOL AfxParseMenuTemplate(const void* data, DWORD size, CMenuTemplate& out);
AFX_CORE_API BOOL AfxLoadMenuTemplate(HINSTANCE module, LPCSTR name, CMenuTemplate& out);

// Parsed dialogs. Coordinates are dialog units.
struct AFX_CORE_API CDialogItemTemplate {
    WORD id = 0;  // 0xFFFF for static texts without an id
    DWORD style = 0;
    DWORD exStyle = 0;
    SHORT x = 0, y = 0, cx = 0, cy = 0;
    CString className;  // "Button", "Edit", "Static", "ComboBox", "ListBox", "ScrollBar", ...
    CString text;       // ANSI; "#n" for an image resource id on SS_ICON / SS_BITMAP statics
};
struct AFX_CORE_API CDialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    SHORT x = 0, y = 0, cx = 0, cy = 0;
    CString caption;
    CString fontName;  // empty: the system font
    WORD pointSize = 0;
    CString menu;       // menu resource ("#n" for an id), or empty
    CString className;  // window class, or empty
    std::vector<CDialogItemTemplate> items;
    const CDialogItemTemplate* FindItem(WORD id) const;
};
// Stored dialog: "SDLG", DWORD style, exStyle, SHORT x, y, cx, cy, WORD
// pointSize, WORD item count, then texts caption, font, menu, class; each
// item: WORD id, DWORD style, exStyle, SHORT x, y, cx, cy, texts class and
// text. A text is a WORD byte count and that many UTF-8 bytes.
AFX_CORE_API BOOL AfxParseDialogTemplate(const void* data, DWORD size, CDialogTemplate& out);
AFX_CORE_API BOOL AfxLoadDialogTemplate(HINSTANCE module, LPCSTR name, CDialogTemplate& out);

// Parsed tool bars.
struct AFX_CORE_API CToolBarTemplate {
    WORD width = 0;
    WORD height = 0;
    std::vector<WORD> ids;  // 0 for separators
};
AFX_CORE_API BOOL AfxParseToolBarTemplate(const void* data, DWORD size, CToolBarTemplate& out);
AFX_CORE_API BOOL AfxLoadToolBarTemplate(HINSTANCE module, LPCSTR name, CToolBarTemplate& out);

// A bitmap resource as a new movable block holding its packed DIB (free it
// with GlobalFree), or nullptr.
AFX_CORE_API HDIB AfxLoadDIBResource(HINSTANCE module, LPCSTR name);

// The resource compiler's table, exported by each module (see rc/).
struct SuiteResourceEntry {
    DWORD type;      // numeric type (RT_ ids)
    DWORD id;        // numeric id, or 0 with a name
    const char* name;  // upper-case name, or nullptr
    const BYTE* data;
    DWORD size;
};
struct SuiteResourceTable {
    DWORD magic;  // kSuiteResourceMagic
    DWORD count;
    const SuiteResourceEntry* entries;
};
constexpr DWORD kSuiteResourceMagic = 0x53524553;  // "SRES"
#define SUITE_RESOURCE_TABLE_SYMBOL "suite_resource_table"

// Gives `module` the resource table `table` although the module does not
// export it (a library that exports only its entry point links its resources
// in privately and attaches them here when it loads). Null detaches.
AFX_CORE_API void AfxAttachResourceTable(HMODULE module, const SuiteResourceTable* table);
