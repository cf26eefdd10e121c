// Reading and checking package files. Nothing here changes the store: the
// import works from the checked description this produces.
//
// What a package must be before it is accepted:
// - each info block says what it is ("Type" 0 for a document, 2 for a folder
//   package) and names the path of the header (a document package's own
//   block, a folder package's folder block);
// - the numbered entries ("Files", "Folder", "Document") are exactly 1 .. n,
//   and a document's "Total Pages" is the number of its "Files" entries;
// - the pages of a document follow each other without gap or overlap and end
//   where its info block begins; the records of a folder package follow each
//   other from the first to the folder info block the trailer names;
// - every folder and document lies below the package's path, has its parent
//   folder in the package (or is at the package's top), and occurs once;
// - when the package carries a checksum block, the length and CRC match.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "imaging/compress/checksum.h"
#include "platform/win/ini.h"
#include "tabellon/db_error.h"
#include "tabellon/package_format.h"
#include "tabellon/store_system.h"
#include "tabellon/tabellon_api.h"

namespace tabellon {

namespace {

[[noreturn]] void refuse() { throw DbError{DB_ERR_FAILED}; }

class PackageFile {
public:
    explicit PackageFile(const std::string& path)
        : f_(std::fopen(sys::nativePath(path).c_str(), "rb"), FileCloser{}) {
        if (f_ && std::fseek(f_.get(), 0, SEEK_END) == 0) {
            long end = std::ftell(f_.get());
            if (end >= 0) size_ = std::uint64_t(end);
        }
    }
    bool ok() const { return f_ != nullptr; }
    std::shared_ptr<std::FILE> handle() const { return f_; }
    std::uint64_t size() const { return size_; }
    bool read(std::uint64_t pos, void* out, size_t n) {
        if (pos > size_ || n > size_ - pos) return false;
        if (std::fseek(f_.get(), long(pos), SEEK_SET) != 0) return false;
        return std::fread(out, 1, n, f_.get()) == n;
    }
    std::uint64_t number(std::uint64_t pos, int width) {
        std::uint8_t b[8] = {};
        if (!read(pos, b, size_t(width))) refuse();
        std::uint64_t v = 0;
        for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[i];
        return v;
    }
    // The bytes of [from, to): an info block, bounded so that a bent
    // position cannot ask for an unbounded buffer.
    std::string text(std::uint64_t from, std::uint64_t to) {
        constexpr std::uint64_t kMaxInfo = 64ull << 20;
        if (from > to || to > size_ || to - from > kMaxInfo) refuse();
        std::string out(size_t(to - from), '\0');
        if (!read(from, out.data(), out.size())) refuse();
        return out;
    }
    // The CRC-32 of the whole file but [skipFrom, skipTo).
    std::uint32_t crcOutside(std::uint64_t skipFrom, std::uint64_t skipTo) {
        std::vector<std::uint8_t> buf(size_t(std::clamp<std::uint64_t>(size_, 1, 1 << 20)));
        std::uint32_t crc = 0;
        auto feed = [&](std::uint64_t from, std::uint64_t to) {
            while (from < to) {
                size_t n = size_t(std::min<std::uint64_t>(buf.size(), to - from));
                if (!read(from, buf.data(), n)) refuse();
                crc = coders::Crc32(crc, buf.data(), n);
                from += n;
            }
        };
        feed(0, skipFrom);
        feed(skipTo, size_);
        return crc;
    }

private:
    std::shared_ptr<std::FILE> f_;
    std::uint64_t size_ = 0;
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

// The folder part of a node path ("" at the top), as the import splits it.
std::string parentOf(const std::string& path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool below(const std::string& path, const std::string& root) {
    if (root.empty()) return true;
    return path.size() > root.size() + 1 && path.compare(0, root.size(), root) == 0 && path[root.size()] == '\\';
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

// A whole text that is one decimal number up to max.
bool wholeNumber(const std::string& text, std::uint64_t& out, std::uint64_t max) {
    const char* p = text.c_str();
    return parseUnsigned(p, out, max) && *p == '\0';
}

// One info block: its text, parsed for the lists of its keys, and written to
// a temporary file whose values the Common Library's ini routines read.
class InfoBlock {
public:
    InfoBlock(PackageFile& f, const COMMON_SERVICE_TABLE& common, std::uint64_t from, std::uint64_t to,
              const char* stem)
        : common_(common) {
        std::string text = f.text(from, to);
        doc_ = suite::IniDocument::Parse(text);
        auto tmp = sys::makeTempFile("", stem);
        if (!tmp) refuse();
        path_ = *tmp;
        if (!sys::writeScratchFile(path_, text)) {
            sys::removeFile(path_);  // the destructor does not run for a constructor that throws
            refuse();
        }
    }
    ~InfoBlock() {
        if (!path_.empty()) sys::removeFile(path_);
    }
    InfoBlock(const InfoBlock&) = delete;
    InfoBlock& operator=(const InfoBlock&) = delete;

    // A value that must be there.
    std::string value(const char* section, const std::string& key, DWORD size) const {
        std::vector<char> buf(size, '\0');
        if (!common_.ReadIniString(section, key.c_str(), "", buf.data(), size, path_.c_str())) refuse();
        buf[size - 1] = '\0';
        return std::string(buf.data());
    }
    // A section that occurs at most once (the ini routines read only the first).
    void once(const char* section) const {
        size_t headers = 0;
        for (const std::string& s : doc_.Sections()) headers += suite::SameName(s, section);
        if (headers > 1) refuse();
    }
    // The number of entries of a numbered section, whose keys must be 1 .. n in order.
    size_t numbered(const char* section) const {
        once(section);
        std::vector<std::string> keys = doc_.Keys(section);
        for (size_t i = 0; i < keys.size(); ++i)
            if (keys[i] != std::to_string(i + 1)) refuse();
        return keys.size();
    }
    // The path of the "System" section, whose type must be the one expected.
    std::string system(const char* type) const {
        once("System");
        if (value("System", "Type", 16) != type) refuse();
        return value("System", "Path", 1040);
    }

private:
    const COMMON_SERVICE_TABLE& common_;
    suite::IniDocument doc_;
    std::string path_;
};

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
    if (length > kMaxNodePath || length > f.size() - start) refuse();
    h.path.assign(size_t(length), '\0');
    if (!f.read(start, h.path.data(), size_t(length))) refuse();
    if (h.path.find('\0') != std::string::npos || !validPath(h.path, kind == 1)) refuse();
    h.end = start + length;
    return h;
}

struct Record {
    PackageDocument doc;
    std::uint64_t start = 0;  // where its first page (or, without pages, its info block) begins
};

// One document's info block, lying in [infoStart, infoEnd). Its pages must
// follow each other without gap or overlap and end where the block begins.
Record readDocumentInfo(PackageFile& f, const COMMON_SERVICE_TABLE& common, std::uint64_t infoStart,
                        std::uint64_t infoEnd, const char* stem) {
    InfoBlock info(f, common, infoStart, infoEnd, stem);
    Record r;
    r.doc.path = info.system("0");
    if (!validPath(r.doc.path, false)) refuse();
    std::uint64_t total = 0;
    if (!wholeNumber(info.value("System", "Total Pages", 16), total, 0xFFFFFFFFull)) refuse();
    if (info.numbered("Files") != total) refuse();
    std::uint64_t cursor = infoStart;
    for (std::uint64_t i = 1; i <= total; ++i) {
        std::string entry = info.value("Files", std::to_string(i), 260);
        size_t comma = entry.find(',');
        if (comma == std::string::npos || comma > 16) refuse();
        PackagePage page;
        page.ext = entry.substr(0, comma);
        const char* p = entry.c_str() + comma + 1;
        std::uint64_t size = 0, thumb = 0;
        if (!parseUnsigned(p, page.position, ~0ull) || *p++ != ',' || !parseUnsigned(p, size, 0xFFFFFFFFull) ||
            *p++ != ',' || !parseUnsigned(p, thumb, 0xFFFFFFFFull) || *p != '\0')
            refuse();
        if (i == 1) cursor = page.position;
        if (page.position != cursor || cursor > infoStart || size + thumb > infoStart - cursor) refuse();
        cursor += size + thumb;
        page.size = std::uint32_t(size);
        page.thumbSize = std::uint32_t(thumb);
        r.doc.pages.push_back(page);
    }
    if (cursor != infoStart) refuse();
    r.start = r.doc.pages.empty() ? infoStart : r.doc.pages.front().position;
    return r;
}

// Where the first record of a package may begin: `at` exactly in the
// current layout, anywhere from `at` in the old ones (whose header fields
// before the records are not fixed).
void checkFirstRecord(std::uint64_t start, std::uint64_t at, bool exact) {
    if (exact ? start != at : start < at) refuse();
}

Package readWith(PackageFile& f, const COMMON_SERVICE_TABLE& common, int kind, Layout layout) {
    Package pkg;
    Header h = readHeader(f, kind, layout);
    pkg.kind = kind;
    pkg.path = h.path;
    pkg.source = f.handle();
    const bool current = layout.lengthWidth == 8;
    const std::uint64_t w = std::uint64_t(layout.positionWidth);
    // Folder packages of the current layout carry a zero and the library's
    // version between the header and the records.
    std::uint64_t recordStart = h.end + (current && kind == 1 ? 8 : 0);
    if (f.size() < recordStart + w) refuse();
    char marker[8];
    if (current && f.size() >= recordStart + kChecksumBlockSize + w && f.read(recordStart, marker, 8) &&
        std::memcmp(marker, kChecksumMarker, 8) == 0) {
        if (f.number(recordStart + 8, 8) != f.size()) refuse();
        std::uint32_t crc = std::uint32_t(f.number(recordStart + 16, 4));
        if (f.crcOutside(recordStart, recordStart + kChecksumBlockSize) != crc) refuse();
        recordStart += kChecksumBlockSize;
        pkg.checksummed = true;
    }
    const std::uint64_t trailer = f.size() - w;
    const std::uint64_t info = f.number(trailer, int(w));
    if (info < recordStart || info > trailer) refuse();

    if (kind == 0) {
        Record r = readDocumentInfo(f, common, info, trailer, "Ulbry.Info");
        if (r.doc.path != h.path) refuse();
        checkFirstRecord(r.start, recordStart, current);
        pkg.documents.push_back(std::move(r.doc));
        return pkg;
    }

    InfoBlock block(f, common, info, trailer, "Ulbry.Info");
    if (block.system("2") != h.path) refuse();
    // Folder and document paths by their folded names: each occurs once.
    std::set<std::string> folders, taken;
    size_t folderCount = block.numbered("Folder");
    for (size_t i = 1; i <= folderCount; ++i) {
        std::string folder = block.value("Folder", std::to_string(i), 1040);
        if (!validPath(folder, false)) refuse();
        if (i == 1 && !h.path.empty()) {
            if (folder != h.path) refuse();  // one folder's package starts with that folder
        } else {
            std::string parent = parentOf(folder);
            if (!below(folder, h.path) || !(parent.empty() ? h.path.empty() : folders.count(suite::FoldName(parent))))
                refuse();
        }
        if (!folders.insert(suite::FoldName(folder)).second) refuse();
        pkg.folders.push_back(folder);
    }
    if (!h.path.empty() && folderCount == 0) refuse();
    taken = folders;
    size_t documentCount = block.numbered("Document");
    std::uint64_t next = recordStart;  // where the next record must begin
    for (size_t j = 1; j <= documentCount; ++j) {
        std::uint64_t end = 0;
        if (!wholeNumber(block.value("Document", std::to_string(j), 260), end, ~0ull)) refuse();
        if (end < next + w || end > info) refuse();
        std::uint64_t docInfo = f.number(end - w, int(w));
        if (docInfo < next || docInfo > end - w) refuse();
        Record r = readDocumentInfo(f, common, docInfo, end - w, "Vask.Info");
        if (j == 1)
            checkFirstRecord(r.start, next, current);
        else if (r.start != next)
            refuse();
        std::string parent = parentOf(r.doc.path);
        if (!below(r.doc.path, h.path) || !(parent.empty() ? h.path.empty() : folders.count(suite::FoldName(parent))))
            refuse();
        if (!taken.insert(suite::FoldName(r.doc.path)).second) refuse();
        pkg.documents.push_back(std::move(r.doc));
        next = end;
    }
    // The trailer names the block that follows the last record.
    if (documentCount == 0)
        checkFirstRecord(info, recordStart, current);
    else if (next != info)
        refuse();
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
