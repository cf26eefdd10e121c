// The user's folders and the system folders, as the shell functions give them.
// Each is a native folder with a Windows-style name for the system:
//
//   CSIDL_PERSONAL         $SUITE_DOCUMENTS_DIR, $XDG_DOCUMENTS_DIR, ~/Documents
//   CSIDL_DESKTOPDIRECTORY $SUITE_DESKTOP_DIR, $XDG_DESKTOP_DIR, ~/Desktop
//   CSIDL_MYPICTURES       $SUITE_PICTURES_DIR, $XDG_PICTURES_DIR, ~/Pictures
//   CSIDL_APPDATA          $SUITE_APPDATA_DIR, $XDG_CONFIG_HOME, ~/.config
//   CSIDL_LOCAL_APPDATA    $SUITE_LOCAL_APPDATA_DIR, $XDG_DATA_HOME, ~/.local/share
//   CSIDL_COMMON_APPDATA   $SUITE_COMMON_APPDATA_DIR, C:\ProgramData
//   CSIDL_WINDOWS          $SUITE_WINDOWS_DIR, C:\WINDOWS
//   CSIDL_SYSTEM           $SUITE_SYSTEM_DIR, the Windows folder + "\system32"
//   CSIDL_PROGRAM_FILES    $SUITE_PROGRAM_FILES_DIR, C:\Program Files
//   CSIDL_FONTS            the Windows folder + "\Fonts"
//   temporary folder       $SUITE_TEMP_DIR, $TMPDIR, /tmp
//
// "~" is $SUITE_HOME when set (then the XDG variables, which point into the
// real home, are ignored), else $HOME. The suite's own data (drive folders)
// lives in $SUITE_DATA_DIR, else the local application data folder + "/suite".
// Setting SUITE_HOME to a temporary folder moves everything a test touches.
#pragma once

#include <string>

#include "platform/win/types.h"

using HRESULT = LONG;
#ifndef S_OK
#define S_OK (static_cast<HRESULT>(0))
#define S_FALSE (static_cast<HRESULT>(1))
#define E_FAIL (static_cast<HRESULT>(0x80004005u))
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057u))
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#endif

#define CSIDL_DESKTOP 0x0000
#define CSIDL_PROGRAMS 0x0002
#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_FONTS 0x0014
#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_MYPICTURES 0x0027
#define CSIDL_COMMON_DOCUMENTS 0x002e
#define CSIDL_FLAG_CREATE 0x8000
#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

// Copies the folder (no trailing backslash) into `path` (MAX_PATH bytes) and
// returns TRUE; creates it first when `create` is set. FALSE for an unknown
// folder id, a folder that cannot be created or a name too long.
BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);
// The same with CSIDL_FLAG_CREATE in `csidl`; S_OK, E_INVALIDARG or E_FAIL.
HRESULT SHGetFolderPathA(HWND owner, int csidl, HANDLE token, DWORD flags, LPSTR path);

// Copy the Windows or system folder into `buffer`; return its length, or the
// size needed (with the NUL) when `size` is too small.
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);

namespace suite {

// The native folder of a CSIDL id (without CSIDL_FLAG_CREATE); "" when unknown.
std::string NativeFolder(int csidl);
// The user's home folder ($SUITE_HOME, else $HOME, else the password entry).
std::string HomeFolder();
// The suite's own data folder.
std::string DataFolder();
// The native temporary folder (no trailing slash).
std::string TempFolder();
// Creates `nativePath` and every missing folder above it; true when it exists afterwards.
bool MakeNativeFolders(const std::string& nativePath);
// Copies `text` with its NUL into `buffer` of `size` bytes and returns its
// length; when it does not fit, returns the size needed with the NUL.
UINT CopyOutString(const std::string& text, LPSTR buffer, UINT size);

}  // namespace suite
