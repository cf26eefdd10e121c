#include "platform/win/library.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

namespace {

bool endsWithNoCase(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && suite::AnsiCompareNoCase(std::string_view(s).substr(s.size() - n), suffix, CP_UTF8) == 0;
}

bool isFile(const std::string& native) {
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The native file for `fileName` in a native folder, found case-insensitively.
std::string findIn(const std::string& folder, const std::string& fileName) {
    std::string spelled = suite::JoinNative(folder, fileName);
    if (isFile(spelled)) return spelled;
    std::string native;
    if (suite::TryNativePath(suite::WindowsPath(spelled), native) && isFile(native)) return native;
    return {};
}

struct Found {
    std::string path;     // a file to load, or empty
    std::string linkerName;  // else a name for the dynamic linker's own search
};

Found locate(LPCSTR name) {
    std::string ansi = name;
    std::string_view last = suite::PathLastPart(ansi);
    std::string folderPart = ansi.substr(0, ansi.size() - last.size());
    bool onlySeparators = folderPart.find_first_not_of("\\/") == std::string::npos;
    std::vector<std::string> names = suite::SharedObjectNames(std::string(last));
    Found found;
    if (!onlySeparators) {
        std::string folder;
        if (!suite::TryNativePath(folderPart, folder)) return found;
        for (const auto& n : names) {
            if (std::string p = findIn(folder, n); !p.empty()) return Found{p, {}};
        }
        return found;
    }
    std::vector<std::string> folders{suite::ProgramFolder()};
    if (const char* extra = std::getenv("SUITE_LIBRARY_PATH"); extra && *extra) {
        std::string list = extra;
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(':', start);
            if (end == std::string::npos) end = list.size();
            if (end > start) folders.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const auto& folder : folders) {
        for (const auto& n : names) {
            if (std::string p = findIn(folder, n); !p.empty()) return Found{p, {}};
        }
    }
    if (!names.empty()) found.linkerName = names.front();
    return found;
}

HMODULE programHandle() { return static_cast<HMODULE>(::dlopen(nullptr, RTLD_LAZY)); }

}  // namespace

namespace suite {

std::string OrdinalSymbolName(unsigned ordinal) { return "suite_ordinal_" + std::to_string(ordinal); }

std::vector<std::string> SharedObjectNames(const std::string& windowsName) {
    std::string utf8 = AnsiToUtf8(windowsName);
    if (utf8.empty()) return {};
    if (endsWithNoCase(utf8, ".so")) return {utf8};
    std::string base = utf8;
    if (endsWithNoCase(base, ".dll")) base.resize(base.size() - 4);
    return {"lib" + base + ".so", base + ".so"};
}

HMODULE ModuleFromAddress(const void* address) {
    Dl_info info{};
    if (!address || ::dladdr(address, &info) == 0 || !info.dli_fname) return nullptr;
    void* h = ::dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!h) return programHandle();
    ::dlclose(h);  // the module stays loaded; its handle is not counted here
    return static_cast<HMODULE>(h);
}

std::string ModuleNativePath(HMODULE module) {
    if (!module) return ProgramPath();
    link_map* map = nullptr;
    if (::dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return {};
    if (!map->l_name || !*map->l_name) return ProgramPath();
    return map->l_name;
}

}  // namespace suite

HMODULE LoadLibraryA(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Found found = locate(name);
    if (!found.path.empty()) {
        void* h = ::dlopen(found.path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            SetLastError(ERROR_BAD_EXE_FORMAT);
            return nullptr;
        }
        return static_cast<HMODULE>(h);
    }
    if (!found.linkerName.empty()) {
        if (void* h = ::dlopen(found.linkerName.c_str(), RTLD_NOW | RTLD_LOCAL)) return static_cast<HMODULE>(h);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    if (!module || ::dlclose(module) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR name) {
    if (!name) return programHandle();
    Found found = locate(name);
    const std::string& file = !found.path.empty() ? found.path : found.linkerName;
    void* h = file.empty() ? nullptr : ::dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (!h) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ::dlclose(h);
    return static_cast<HMODULE>(h);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    void* handle = module ? static_cast<void*>(module) : static_cast<void*>(programHandle());
    if (!name) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = nullptr;
    if (IS_INTRESOURCE(name)) {
        auto ordinal = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name));
        symbol = ::dlsym(handle, suite::OrdinalSymbolName(ordinal).c_str());
    } else {
        symbol = ::dlsym(handle, name);
        std::string_view n = name;
        size_t at = n.rfind('@');
        if (!symbol && n.size() > 1 && n[0] == '_' && at != std::string_view::npos && at > 1) {
            symbol = ::dlsym(handle, std::string(n.substr(1, at - 1)).c_str());
        }
    }
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    std::string native = suite::ModuleNativePath(module);
    if (native.empty()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::string name = suite::WindowsPath(native);
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() >= size) {
        std::memcpy(buffer, name.data(), size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}
