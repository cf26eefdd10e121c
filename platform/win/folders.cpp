#include "platform/win/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/win/errors.h"
#include "platform/win/path.h"

namespace {

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : std::string();
}

std::string trimSlashes(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// An XDG variable, unless SUITE_HOME moved the home away from where it points.
std::string xdg(const char* name) { return env("SUITE_HOME").empty() ? env(name) : std::string(); }

std::string firstOf(std::initializer_list<std::string> candidates) {
    for (const auto& c : candidates) {
        if (!c.empty()) return trimSlashes(c);
    }
    return {};
}

std::string driveC(const char* name) { return suite::JoinNative(suite::DriveFolder('C'), name); }

}  // namespace

namespace suite {

std::string HomeFolder() {
    std::string home = firstOf({env("SUITE_HOME"), env("HOME")});
    if (!home.empty()) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

std::string DataFolder() {
    std::string forced = env("SUITE_DATA_DIR");
    if (!forced.empty()) return trimSlashes(forced);
    return JoinNative(NativeFolder(CSIDL_LOCAL_APPDATA), "suite");
}

std::string TempFolder() { return firstOf({env("SUITE_TEMP_DIR"), env("TMPDIR"), std::string("/tmp")}); }

std::string NativeFolder(int csidl) {
    const std::string home = HomeFolder();
    switch (csidl) {
    case CSIDL_PERSONAL:
        return firstOf({env("SUITE_DOCUMENTS_DIR"), xdg("XDG_DOCUMENTS_DIR"), JoinNative(home, "Documents")});
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        return firstOf({env("SUITE_DESKTOP_DIR"), xdg("XDG_DESKTOP_DIR"), JoinNative(home, "Desktop")});
    case CSIDL_MYPICTURES:
        return firstOf({env("SUITE_PICTURES_DIR"), xdg("XDG_PICTURES_DIR"), JoinNative(home, "Pictures")});
    case CSIDL_APPDATA:
        return firstOf({env("SUITE_APPDATA_DIR"), xdg("XDG_CONFIG_HOME"), JoinNative(home, ".config")});
    case CSIDL_LOCAL_APPDATA:
        return firstOf({env("SUITE_LOCAL_APPDATA_DIR"), xdg("XDG_DATA_HOME"), JoinNative(home, ".local/share")});
    case CSIDL_COMMON_APPDATA:
        return firstOf({env("SUITE_COMMON_APPDATA_DIR"), driveC("ProgramData")});
    case CSIDL_COMMON_DOCUMENTS:
        return firstOf({env("SUITE_COMMON_DOCUMENTS_DIR"), driveC("Users/Public/Documents")});
    case CSIDL_WINDOWS:
        return firstOf({env("SUITE_WINDOWS_DIR"), driveC("WINDOWS")});
    case CSIDL_SYSTEM:
        return firstOf({env("SUITE_SYSTEM_DIR"), JoinNative(NativeFolder(CSIDL_WINDOWS), "system32")});
    case CSIDL_FONTS:
        return JoinNative(NativeFolder(CSIDL_WINDOWS), "Fonts");
    case CSIDL_PROGRAM_FILES:
        return firstOf({env("SUITE_PROGRAM_FILES_DIR"), driveC("Program Files")});
    case CSIDL_PROGRAMS:
        return JoinNative(NativeFolder(CSIDL_APPDATA), "suite/Programs");
    default:
        return {};
    }
}

bool MakeNativeFolders(const std::string& nativePath) {
    if (nativePath.empty()) return false;
    for (size_t i = 1; i <= nativePath.size(); ++i) {
        if (i == nativePath.size() || nativePath[i] == '/') {
            std::string prefix = nativePath.substr(0, i);
            if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st;
    return ::stat(nativePath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

UINT CopyOutString(const std::string& text, LPSTR buffer, UINT size) {
    if (!buffer || text.size() + 1 > size) return static_cast<UINT>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<UINT>(text.size());
}

}  // namespace suite

HRESULT SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD, LPSTR path) {
    if (!path) return E_INVALIDARG;
    path[0] = '\0';
    std::string native = suite::NativeFolder(csidl & ~CSIDL_FLAG_CREATE);
    if (native.empty()) return E_INVALIDARG;
    if ((csidl & CSIDL_FLAG_CREATE) && !suite::MakeNativeFolders(native)) return E_FAIL;
    std::string name = suite::WindowsPath(native);
    if (name.size() >= MAX_PATH) return E_FAIL;
    std::memcpy(path, name.c_str(), name.size() + 1);
    return S_OK;
}

BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create) {
    return SHGetFolderPathA(owner, csidl | (create ? CSIDL_FLAG_CREATE : 0), nullptr, SHGFP_TYPE_CURRENT, path) == S_OK
               ? TRUE
               : FALSE;
}

namespace {

// The Windows and system folders always exist on the original; programs write
// ini files there without creating them.
UINT copyOutFolder(int csidl, LPSTR buffer, UINT size) {
    std::string native = suite::NativeFolder(csidl);
    suite::MakeNativeFolders(native);
    return suite::CopyOutString(suite::WindowsPath(native), buffer, size);
}

}  // namespace

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) { return copyOutFolder(CSIDL_WINDOWS, buffer, size); }

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) { return copyOutFolder(CSIDL_SYSTEM, buffer, size); }
