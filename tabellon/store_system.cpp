#include "tabellon/store_system.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include <dlfcn.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tabellon::sys {

namespace {

std::string ownFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownFolder), &info) && info.dli_fname) return fs::path(info.dli_fname).parent_path().string();
    return {};
}

}  // namespace

// "Name.dll" is found as libName.so beside this library, then on the library
// path; a name with a folder is taken as it is (with .dll read as .so).
HMODULE loadLibrary(const std::string& name) {
    std::string native = nativePath(name);
    fs::path p(native);
    std::string stem = p.stem().string();
    std::string ext = p.extension().string();
    bool dll = ext == ".dll" || ext == ".DLL" || ext == ".Dll";
    std::string file = dll ? "lib" + stem + ".so" : p.filename().string();
    void* h = nullptr;
    if (p.has_parent_path()) {
        h = dlopen((p.parent_path() / file).c_str(), RTLD_NOW | RTLD_LOCAL);
    } else {
        std::string here = ownFolder();
        if (!here.empty()) h = dlopen((fs::path(here) / file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    return reinterpret_cast<HMODULE>(h);
}

void* findSymbol(HMODULE module, const char* symbol) { return module ? dlsym(module, symbol) : nullptr; }

void freeLibrary(HMODULE module) {
    if (module) dlclose(module);
}

std::string nativePath(const std::string& path) {
    std::string s = path;
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
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

bool copyNew(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(nativePath(from), nativePath(to), fs::copy_options::none, ec) && !ec;
}

bool linkNew(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::create_hard_link(nativePath(from), nativePath(to), ec);
    return !ec;
}

bool copyReplace(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(nativePath(from), nativePath(to), fs::copy_options::overwrite_existing, ec) && !ec;
}

bool copyAtomically(const std::string& from, const std::string& to) {
    auto tmp = makeTempFile(folderOf(nativePath(to)), ".tabellon");
    if (!tmp) return false;
    std::error_code ec;
    bool ok = fs::copy_file(nativePath(from), *tmp, fs::copy_options::overwrite_existing, ec) && !ec;
    if (ok) fs::rename(*tmp, nativePath(to), ec);
    if (!ok || ec) {
        fs::remove(*tmp, ec);
        return false;
    }
    return true;
}

bool renameOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(nativePath(from), nativePath(to), ec);
    return !ec;
}

bool syncFile(std::FILE* f) { return fsync(fileno(f)) == 0; }

bool removeFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(nativePath(path), ec);
}

bool createFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(nativePath(path), ec);
    return fs::is_directory(nativePath(path), ec);
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
    std::error_code ec;
    fs::space_info info = fs::space(nativePath(folder), ec);
    if (ec) return std::nullopt;
    return info.available;
}

std::optional<std::string> makeTempFile(const std::string& folder, const char* stem) {
    std::error_code ec;
    fs::path dir = folder.empty() ? fs::temp_directory_path(ec) : fs::path(nativePath(folder));
    if (ec) return std::nullopt;
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
    auto tmp = makeTempFile(folderOf(nativePath(path)), ".tabellon");
    if (!tmp) return false;
    bool ok;
    {
        std::ofstream out(*tmp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), std::streamsize(text.size()));
        out.flush();
        ok = bool(out);
    }
    std::error_code ec;
    if (ok) fs::rename(*tmp, nativePath(path), ec);
    if (!ok || ec) {
        fs::remove(*tmp, ec);
        return false;
    }
    return true;
}

bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x + 32);
        if (y >= 'A' && y <= 'Z') y = char(y + 32);
        if (x != y) return false;
    }
    return true;
}

SYSTEMTIME utcNow() {
    using namespace std::chrono;
    auto now = system_clock::now();
    auto days = floor<std::chrono::days>(now);
    year_month_day ymd{days};
    hh_mm_ss hms{floor<milliseconds>(now - days)};
    weekday wd{days};
    SYSTEMTIME t{};
    t.wYear = WORD(int(ymd.year()));
    t.wMonth = WORD(unsigned(ymd.month()));
    t.wDay = WORD(unsigned(ymd.day()));
    t.wDayOfWeek = WORD(wd.c_encoding());
    t.wHour = WORD(hms.hours().count());
    t.wMinute = WORD(hms.minutes().count());
    t.wSecond = WORD(hms.seconds().count());
    t.wMilliseconds = WORD(hms.subseconds().count());
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
