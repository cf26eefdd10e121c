#include "tabellon/store_system.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/win/files.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/time.h"

namespace fs = std::filesystem;

namespace tabellon::sys {

HMODULE loadLibrary(const std::string& name) { return LoadLibraryA(name.c_str()); }

void* findSymbol(HMODULE module, const char* symbol) {
    return module ? reinterpret_cast<void*>(GetProcAddress(module, symbol)) : nullptr;
}

void freeLibrary(HMODULE module) {
    if (module) FreeLibrary(module);
}

// Paths the store builds itself are native already; host paths in Windows
// style (backslashes or a drive) go through the path layer.
std::string nativePath(const std::string& path) {
    bool windows = path.find('\\') != std::string::npos || (path.size() >= 2 && path[1] == ':');
    return windows ? suite::NativePath(path) : path;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(nativePath(path), ec);
}

bool folderExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(nativePath(path), ec);
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(nativePath(path), ec);
    if (ec) return std::nullopt;
    return n;
}

namespace {

// Copies into a fresh sibling of the target; its path, or nothing.
std::optional<std::string> copyBeside(const std::string& from, const std::string& to) {
    auto tmp = makeTempFile(folderOf(nativePath(to)), ".tabellon");
    if (!tmp) return std::nullopt;
    std::error_code ec;
    if (!fs::copy_file(nativePath(from), *tmp, fs::copy_options::overwrite_existing, ec) || ec) {
        fs::remove(*tmp, ec);
        return std::nullopt;
    }
    return tmp;
}

}  // namespace

// The complete copy gets its name by a hard link, which fails when the name is
// taken: an existing file is never replaced.
bool copyNew(const std::string& from, const std::string& to) {
    auto tmp = copyBeside(from, to);
    if (!tmp) return false;
    std::error_code ec;
    fs::create_hard_link(*tmp, nativePath(to), ec);
    std::error_code ignored;
    fs::remove(*tmp, ignored);
    return !ec;
}

bool linkNew(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::create_hard_link(nativePath(from), nativePath(to), ec);
    return !ec;
}

bool copyReplace(const std::string& from, const std::string& to) {
    auto tmp = copyBeside(from, to);
    if (!tmp) return false;
    std::error_code ec;
    fs::rename(*tmp, nativePath(to), ec);
    if (ec) fs::remove(*tmp, ec);
    return !ec;
}

bool copyAtomically(const std::string& from, const std::string& to) { return copyReplace(from, to); }

bool removeFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(nativePath(path), ec);
}

bool renameOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(nativePath(from), nativePath(to), ec);
    return !ec;
}

bool createFolder(const std::string& path) {
    std::error_code ec;
    std::string native = nativePath(path);
    if (native.empty()) return false;
    fs::create_directories(native, ec);
    if (!fs::is_directory(native, ec)) return false;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return true;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(nativePath(a), nativePath(b), ec) && !ec;
}

std::string folderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string leafOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::optional<std::uint64_t> freeSpace(const std::string& folder) {
    ULARGE_INTEGER free{}, total{}, totalFree{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &free, &total, &totalFree)) return std::nullopt;
    return free.QuadPart;
}

std::optional<std::string> makeTempFile(const std::string& folder, const char* stem) {
    std::error_code ec;
    std::string where = folder;
    if (where.empty()) {
        char temp[MAX_PATH];
        DWORD n = GetTempPathA(sizeof temp, temp);
        if (n == 0 || n >= sizeof temp) return std::nullopt;
        where = temp;
    }
    fs::path dir = nativePath(where);
    if (dir.empty()) return std::nullopt;
    static std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "%s.%016llx", stem, static_cast<unsigned long long>(rng()));
        fs::path p = dir / name;
        std::FILE* f = std::fopen(p.c_str(), "wbx");
        if (f) {
            std::fclose(f);
            return p.string();
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

bool writeFileAtomically(const std::string& path, const std::string& text) {
    return suite::WriteNativeFileAtomic(nativePath(path), text);
}

bool writeScratchFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(nativePath(path).c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

SYSTEMTIME utcNow() {
    SYSTEMTIME t{};
    GetSystemTime(&t);
    return t;
}

std::int64_t toUnixSeconds(const SYSTEMTIME& t) {
    using namespace std::chrono;
    year_month_day ymd{year(t.wYear), month(t.wMonth), day(t.wDay)};
    if (!ymd.ok()) return 0;
    sys_days d{ymd};
    return d.time_since_epoch().count() * 86400LL + t.wHour * 3600LL + t.wMinute * 60LL + t.wSecond;
}

void crashPoint(const char* name) {
    static const char* wanted = std::getenv("TABELLON_CRASH_POINT");
    if (!wanted || std::string(wanted) != name) return;
    static int hits = 0;
    static const int at = [] {
        const char* n = std::getenv("TABELLON_CRASH_HIT");
        return n ? std::atoi(n) : 1;
    }();
    if (++hits >= at) std::_Exit(86);
}

}  // namespace tabellon::sys
