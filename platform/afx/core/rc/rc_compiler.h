// The resource compiler: reads a resource script (UTF-8 text) and produces
// the resources of one module, then the C++ source of a resource-only
// library exporting them as `suite_resource_table` (see resource.h).
//
// Script syntax (one statement a line; a line ending in ',' or '|' goes on;
// `//` and `/* */` comments; arguments separated by commas):
//
//   #include "platform/afx/ui/winuser.h"   takes every `#define NAME value`
//                                          of a header and of the headers it
//                                          includes (path relative to the
//                                          including file, then the -I folders)
//   #define IDS_TITLE 101
//   #if / #ifdef / #ifndef / #elif / #else / #endif, #undef, #error
//                                          as in C (`defined(NAME)`; names
//                                          without a value count as 0)
//
//   STRINGTABLE
//   BEGIN
//       IDS_TITLE, "Text with \"escapes\"\n and \x41"   (the comma may be left out)
//   END
//
//   IDR_MAIN MENU
//   BEGIN
//       POPUP "&File"
//       BEGIN
//           MENUITEM "&Open...\tCtrl+O", ID_FILE_OPEN
//           MENUITEM "Print", ID_FILE_PRINT, GRAYED
//           MENUITEM SEPARATOR
//       END
//   END
//     (item options: GRAYED, INACTIVE, CHECKED, MENUBREAK, MENUBARBREAK, HELP)
//
//   IDR_MAIN ACCELERATORS
//   BEGIN
//       "O", ID_FILE_OPEN, VIRTKEY, CONTROL      (also SHIFT, ALT, NOINVERT;
//       "^C", ID_EDIT_COPY                        "^C" is Ctrl+C as a character;
//       0x70, ID_HELP, VIRTKEY                    a number is a key code)
//   END
//
//   IDR_MAIN TOOLBAR 16, 15
//   BEGIN
//       BUTTON ID_FILE_OPEN
//       SEPARATOR
//   END
//
//   IDD_ABOUT DIALOG 0, 0, 200, 100             (x, y, width, height in dialog units)
//   STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION
//   EXSTYLE 0
//   CAPTION "About"
//   FONT 9, "SimSun"
//   MENU IDR_MAIN                               (and CLASS "name")
//   BEGIN
//       CONTROL "text", id, "class", style, x, y, width, height [, exstyle]
//       LTEXT / CTEXT / RTEXT "text", id, x, y, w, h [, style [, exstyle]]
//       PUSHBUTTON / DEFPUSHBUTTON / CHECKBOX / AUTOCHECKBOX / RADIOBUTTON /
//       AUTORADIOBUTTON / GROUPBOX "text", id, x, y, w, h [, style [, exstyle]]
//       EDITTEXT / COMBOBOX / LISTBOX / SCROLLBAR id, x, y, w, h [, style [, exstyle]]
//       ICON icon, id, x, y [, w, h [, style]]
//   END
//     (a style list may clear default bits with NOT, e.g. `NOT WS_TABSTOP`)
//
//   IDB_LOGO BITMAP "bitmaps/logo.bmp"            BMP or PNG (stored as a packed DIB)
//   IDI_MAIN ICON "icons/main.ico"                ICO or PNG, stored as is
//   IDC_PEN CURSOR "cursors/pen.png", 3, 4        with its hot spot
//   IDR_DATA RCDATA "data/table.bin"              any file, stored as is
//
// An id is a number, a defined name, or else a name (a quoted or unknown
// identifier, stored upper-case). Numbers may be C expressions of numbers and
// defined names (the operators of C but ?: and assignments). Load and memory
// options after a type (PRELOAD, DISCARDABLE, MOVEABLE, ...) are accepted and
// ignored. Files named by a script must be regular files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace suite::rc {

struct Resource {
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    std::string name;  // upper case, when not numbered
    std::vector<std::uint8_t> data;
};

struct Result {
    std::vector<Resource> resources;
    std::vector<std::string> inputs;  // every file read, for build dependencies
    std::string error;                // "file:line: message" when compiling failed
};

// Compiles script text (`path` names it in messages and anchors relative file names).
Result CompileText(const std::string& text, const std::string& path, const std::vector<std::string>& includeDirs);
Result CompileFile(const std::string& path, const std::vector<std::string>& includeDirs);

// The C++ source of a library exporting the resources.
std::string EmitLibrarySource(const std::vector<Resource>& resources);

}  // namespace suite::rc
