// Reading and checking package files. Nothing here changes the store: the
// import works from the checked description this produces.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tabellon/db_error.h"
#include "tabellon/package_format.h"
#include "tabellon/store_system.h"
#include "tabellon/tabellon_api.h"

namespace tabellon {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

class PackageFile {
public:
    explicit PackageFile(const std::string& path) : f_(std::fopen(sys::nativePath(path).c_str(), "rb")) {
        if (f_ && std::fseek(f_.get(), 0, SEEK_END) == 0) {
            long end = std::ftell(f_.get());
            if (end >= 0) size_ = std::uint64_t(end);
        }
    }
    bool ok() const { return bool(f_); }
    std::uint64_t size() const { return size_; }
    bool read(std::uint64_t pos, void* out, size_t n) {
        if (pos > size_ || n > size_ - pos) return false;
        if (std::fseek(f_.get(), long(pos), SEEK_SET) != 0) return false;
        return std::fread(out, 1, n, f_.get()) == n;
    }
    std::uint64_t number(std::uint64_t pos, int width) {
        std::uint8_t b[8] = {};
        if (!read(pos, b, size_t(width))) throw DbError{DB_ERR_FAILED};
        std::uint64_t v = 0;
        for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[i];
        return v;
    }
    // Copies [from, to) into a new temporary file; the info blocks are read from there.
    std::string extract(std::uint64_t from, std::uint64_t to, const char* stem) {
        constexpr std::uint64_t kMaxInfo = 64ull << 20;
        if (from > to || to > size_ || to - from > kMaxInfo) throw DbError{DB_ERR_FAILED};
        auto tmp = sys::makeTempFile("", stem);
        if (!tmp) throw DbError{DB_ERR_FAILED};
        std::string text(size_t(to - from), '\0');
        if (!read(from, text.data(), text.size()) || !sys::writeFileAtomically(*tmp, text)) {
            sys::removeFile(*tmp);
            throw DbError{DB_ERR_FAILED};
        }
        return *tmp;
    }

private:
    std::unique_ptr<std::FILE, FileCloser> f_;
    std::uint64_t size_ = 0;
};

// A temporary file removed when the step ends.
struct TempFile {
    std::string path;
    ~TempFile() {
        if (!path.empty()) sys::removeFile(path);
    }
};

bool validPath(const std::string& path, bool allowEmpty) {
    if (path.empty()) return allowEmpty;
    if (path.size() > kMaxNodePath) return false;
    size_t start = 0;
    for (;;) {
        size_t cut = path.find('\\', start);
        size_t len = (cut == std::string::npos ? path.size() : cut) - start;
        if (len == 0 || len >= 260) return false;
        if (cut == std::string::npos) break;
        start = cut + 1;
    }
    for (unsigned char c : path)
        if (c < 0x20) return false;
    return true;
}

bool below(const std::string& path, const std::string& root) {
    if (root.empty()) return true;
    return path.size() > root.size() + 1 && suite::SameName(path.substr(0, root.size()), root) && path[root.size()] == '\\';
}

bool parseUnsigned(const char*& p, std::uint64_t& out, std::uint64_t max) {
    if (*p < '0' || *p > '9') return false;
    std::uint64_t v = 0;
    while (*p >= '0' && *p <= '9') {
        unsigned d = unsigned(*p - '0');
        if (v > (max - d) / 10) return false;
        v = v * 10 + d;
        ++p;
    }
    out = v;
    return true;
}

struct Layout {
    int lengthWidth;
    int positionWidth;
};

struct Header {
    int kind = 0;
    std::string path;
    std::uint64_t end = 0;  // first byte after the header's path
};

int magicKind(PackageFile& f) {
    char magic[16];
    if (!f.read(0, magic, 16)) return -1;
    if (std::memcmp(magic, kDocumentMagic, 16) == 0) return 0;
    if (std::memcmp(magic, kFolderMagic, 16) == 0) return 1;
    return -1;
}

Header readHeader(PackageFile& f, int kind, Layout layout) {
    Header h;
    h.kind = kind;
    std::uint64_t length = f.number(16, layout.lengthWidth);
    std::uint64_t start = 16 + std::uint64_t(layout.lengthWidth);
    if (length > kMaxNodePath || length > f.size() - start) throw DbError{DB_ERR_FAILED};
    h.path.assign(size_t(length), '\0');
    if (!f.read(start, h.path.data(), size_t(length))) throw DbError{DB_ERR_FAILED};
    if (h.path.find('\0') != std::string::npos || !validPath(h.path, kind == 1)) throw DbError{DB_ERR_FAILED};
    h.end = start + length;
    return h;
}

std::string iniString(const COMMON_SERVICE_TABLE& common, const char* section, const std::string& key,
                      const std::string& ini, DWORD size, bool* found = nullptr) {
    std::vector<char> buf(size, '\0');
    BOOL got = common.ReadIniString(section, key.c_str(), "", buf.data(), size, ini.c_str());
    if (found) *found = got != 0;
    buf[size - 1] = '\0';
    return std::string(buf.data());
}

// One document's info block, lying in [infoStart, infoEnd); its page bytes lie in [recordStart, infoStart).
PackageDocument readDocumentInfo(PackageFile& f, const COMMON_SERVICE_TABLE& common, std::uint64_t recordStart,
                                 std::uint64_t infoStart, std::uint64_t infoEnd, const char* stem) {
    TempFile ini{f.extract(infoStart, infoEnd, stem)};
    PackageDocument doc;
    doc.path = iniString(common, "System", "Path", ini.path, 1040);
    if (!validPath(doc.path, false)) throw DbError{DB_ERR_FAILED};
    int total = common.ReadIniInt("System", "Total Pages", 0, ini.path.c_str());
    if (total < 0) throw DbError{DB_ERR_FAILED};
    // Every recorded page takes a line of the info block, which bounds the count.
    std::uint64_t most = (infoEnd - infoStart) / 6;
    std::uint64_t pages = std::min<std::uint64_t>(std::uint64_t(total), most);
    for (std::uint64_t i = 1; i <= pages; ++i) {
        bool found = false;
        std::string entry = iniString(common, "Files", std::to_string(i), ini.path, 260, &found);
        if (!found || entry.empty()) continue;  // a page the export could not read
        size_t comma = entry.find(',');
        if (comma == std::string::npos || comma > 16) throw DbError{DB_ERR_FAILED};
        PackagePage page;
        page.ext = entry.substr(0, comma);
        const char* p = entry.c_str() + comma + 1;
        std::uint64_t size = 0, thumb = 0;
        if (!parseUnsigned(p, page.position, ~0ull) || *p++ != ',' || !parseUnsigned(p, size, 0xFFFFFFFFull) ||
            *p++ != ',' || !parseUnsigned(p, thumb, 0xFFFFFFFFull) || *p != '\0')
            throw DbError{DB_ERR_FAILED};
        page.size = std::uint32_t(size);
        page.thumbSize = std::uint32_t(thumb);
        if (page.position < recordStart || page.position > infoStart || size + thumb > infoStart - page.position)
            throw DbError{DB_ERR_FAILED};
        doc.pages.push_back(page);
    }
    return doc;
}

Package readWith(PackageFile& f, const COMMON_SERVICE_TABLE& common, int kind, Layout layout) {
    Package pkg;
    Header h = readHeader(f, kind, layout);
    pkg.kind = kind;
    pkg.path = h.path;
    const int w = layout.positionWidth;
    if (f.size() < h.end + std::uint64_t(w)) throw DbError{DB_ERR_FAILED};
    std::uint64_t trailer = f.size() - std::uint64_t(w);
    std::uint64_t info = f.number(trailer, w);
    if (info < h.end || info > trailer) throw DbError{DB_ERR_FAILED};
    if (kind == 0) {
        PackageDocument doc = readDocumentInfo(f, common, h.end, info, trailer, "Ulbry.Info");
        if (!suite::SameName(doc.path, h.path)) throw DbError{DB_ERR_FAILED};
        pkg.documents.push_back(std::move(doc));
        return pkg;
    }
    TempFile ini{f.extract(info, trailer, "Ulbry.Info")};
    std::uint64_t most = (trailer - info) / 4;
    for (std::uint64_t i = 1; i <= most; ++i) {
        bool found = false;
        std::string folder = iniString(common, "Folder", std::to_string(i), ini.path, 1040, &found);
        if (!found || folder.empty()) break;
        if (!validPath(folder, false) || !(suite::SameName(folder, h.path) || below(folder, h.path)))
            throw DbError{DB_ERR_FAILED};
        pkg.folders.push_back(folder);
    }
    for (std::uint64_t j = 1; j <= most; ++j) {
        bool found = false;
        std::string text = iniString(common, "Document", std::to_string(j), ini.path, 260, &found);
        if (!found || text.empty()) break;
        const char* p = text.c_str();
        std::uint64_t end = 0;
        if (!parseUnsigned(p, end, ~0ull) || *p != '\0') throw DbError{DB_ERR_FAILED};
        if (end < h.end + std::uint64_t(w) || end > info) throw DbError{DB_ERR_FAILED};
        std::uint64_t docInfo = f.number(end - std::uint64_t(w), w);
        if (docInfo < h.end || docInfo > end - std::uint64_t(w)) throw DbError{DB_ERR_FAILED};
        PackageDocument doc = readDocumentInfo(f, common, h.end, docInfo, end - std::uint64_t(w), "Vask.Info");
        if (!below(doc.path, h.path)) throw DbError{DB_ERR_FAILED};
        pkg.documents.push_back(std::move(doc));
    }
    return pkg;
}

// The layout test: when the 4 bytes at 20 are zero the header holds a 64-bit
// path length (current layout); otherwise a 32-bit one (old layout).
bool oldLayout(PackageFile& f) { return f.number(20, 4) != 0; }

}  // namespace

int readPackageHeader(const std::string& file, int& kind, std::string& path) {
    return guarded([&] {
        PackageFile f(file);
        if (!f.ok()) return DB_ERR_FAILED;
        int k = magicKind(f);
        if (k < 0 || f.size() < 24) return DB_ERR_FAILED;
        Header h = readHeader(f, k, oldLayout(f) ? Layout{4, 4} : Layout{8, 8});
        kind = k;
        path = h.path;
        return DB_OK;
    });
}

int readPackage(const std::string& file, const COMMON_SERVICE_TABLE& common, Package& out) {
    return guarded([&] {
        PackageFile f(file);
        if (!f.ok()) return DB_ERR_FAILED;
        int kind = magicKind(f);
        if (kind < 0 || f.size() < 24) return DB_ERR_FAILED;
        if (!oldLayout(f)) {
            out = readWith(f, common, kind, Layout{8, 8});
            return DB_OK;
        }
        bool tooLarge = f.size() > kOldLayoutLimit;
        if (!tooLarge) {
            try {
                out = readWith(f, common, kind, Layout{4, 4});
                return DB_OK;
            } catch (const DbError&) {
                if (kind == 0) throw;
            }
        }
        // Folder packages of earlier versions of this library: a 32-bit path
        // length in the header, 64-bit positions everywhere else.
        if (kind == 1) {
            try {
                out = readWith(f, common, kind, Layout{4, 8});
                return DB_OK;
            } catch (const DbError&) {
            }
        }
        return tooLarge ? DB_ERR_BAD_IMAGE : DB_ERR_FAILED;
    });
}

}  // namespace tabellon
