// Package export and import. An export is written to a fresh file beside the
// target, every write checked, and renamed over the target only when it is
// complete; it carries a checksum block that the import checks. An import
// first reads and checks the whole package, then makes every change in one
// transaction: new page files first, the old target's files deleted only
// after the commit, so a failure at any step leaves the store as it was.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#include "imaging/compress/checksum.h"
#include "platform/win/files.h"
#include "tabellon/doc_database.h"
#include "tabellon/package_format.h"
#include "tabellon/store_system.h"

namespace tabellon {

namespace {

// Printed as "%u%u%u%u" of the library's version 1.0.0.0.
constexpr DWORD kLibraryVersionNumber = 1000;

class PackageWriter {
public:
    explicit PackageWriter(const std::string& target) : target_(target) {
        auto tmp = sys::makeTempFile(sys::folderOf(target), ".package");
        if (!tmp) throw DbError{DB_ERR_CREATE_FILE};
        tmp_ = *tmp;
        h_ = CreateFileA(tmp_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
        if (h_ == INVALID_HANDLE_VALUE) {
            sys::removeFile(tmp_);
            throw DbError{DB_ERR_CREATE_FILE};
        }
    }
    ~PackageWriter() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        if (!finished_) sys::removeFile(tmp_);
    }
    std::uint64_t position() const { return pos_; }
    void bytes(const void* data, size_t n) {
        const char* p = static_cast<const char*>(data);
        crc_ = coders::Crc32(crc_, reinterpret_cast<const std::uint8_t*>(p), n);
        while (n > 0) {
            DWORD chunk = DWORD(std::min<size_t>(n, 1u << 30)), written = 0;
            if (!WriteFile(h_, p, chunk, &written, nullptr) || written != chunk) throw DbError{DB_ERR_NO_SPACE};
            p += chunk;
            n -= chunk;
            pos_ += chunk;
        }
    }
    void number(std::uint64_t v, int width) {
        std::uint8_t b[8];
        encode(v, width, b);
        bytes(b, size_t(width));
    }
    // Leaves room for the checksum block here; finish fills it in. The
    // block's bytes stay out of the sum.
    void checksumBlock() {
        std::uint32_t sum = crc_;
        checksumAt_ = pos_;
        std::uint8_t block[kChecksumBlockSize] = {};
        std::memcpy(block, kChecksumMarker, 8);
        bytes(block, sizeof block);
        crc_ = sum;
    }
    // Appends a whole file of `expected` bytes; false when it cannot be opened.
    bool file(const std::string& path, std::uint64_t expected) {
        std::unique_ptr<std::FILE, FileCloser> in(std::fopen(sys::nativePath(path).c_str(), "rb"));
        if (!in) return false;
        std::vector<char> buf(size_t(std::min<std::uint64_t>(expected ? expected : 1, 1 << 20)));
        std::uint64_t copied = 0;
        size_t n;
        while (copied < expected && (n = std::fread(buf.data(), 1, std::min<std::uint64_t>(buf.size(), expected - copied), in.get())) > 0) {
            bytes(buf.data(), n);
            copied += n;
        }
        if (std::ferror(in.get()) || copied != expected) throw DbError{DB_ERR_FAILED};
        return true;
    }
    void finish() {
        if (checksumAt_) {
            std::uint8_t tail[12];
            encode(pos_, 8, tail);
            encode(crc_, 4, tail + 8);
            LARGE_INTEGER at{};
            at.QuadPart = LONGLONG(*checksumAt_ + 8);
            DWORD written = 0;
            if (!SetFilePointerEx(h_, at, nullptr, FILE_BEGIN) || !WriteFile(h_, tail, sizeof tail, &written, nullptr) ||
                written != sizeof tail)
                throw DbError{DB_ERR_NO_SPACE};
        }
        if (!FlushFileBuffers(h_)) throw DbError{DB_ERR_NO_SPACE};
        BOOL closed = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        if (!closed) throw DbError{DB_ERR_NO_SPACE};
        if (!sys::renameOver(tmp_, target_)) throw DbError{DB_ERR_CREATE_FILE};
        finished_ = true;
    }

private:
    static void encode(std::uint64_t v, int width, std::uint8_t* out) {
        for (int i = 0; i < width; ++i) out[i] = std::uint8_t(v >> (8 * i));
    }

    std::string target_;
    std::string tmp_;
    HANDLE h_ = INVALID_HANDLE_VALUE;
    std::uint64_t pos_ = 0;
    std::uint32_t crc_ = 0;
    std::optional<std::uint64_t> checksumAt_;
    bool finished_ = false;
};

struct TempIni {
    std::string path;
    explicit TempIni(const char* stem) {
        auto tmp = sys::makeTempFile("", stem);
        if (!tmp) throw DbError{DB_ERR_FAILED};
        path = *tmp;
    }
    ~TempIni() { sys::removeFile(path); }
};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return s;
}

std::string readAll(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
    if (!in) throw DbError{DB_ERR_FAILED};
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in.get())) > 0) text.append(buf, n);
    if (std::ferror(in.get())) throw DbError{DB_ERR_FAILED};
    return text;
}

}  // namespace

// The record of one document: page and thumbnail bytes, its info block, and
// the position of that block. Returns the position after the record, or
// DB_STOPPED through `stopped`.
struct PackageWork {
    CDocDatabase& db;
    PackageWriter& out;
    DB_PACKAGEPROC proc;
    void* user;
    bool stopped = false;

    void ini(const std::string& file, const char* section, const std::string& key, const std::string& value) {
        if (!db.common_->WriteIniString(section, key.c_str(), value.c_str(), file.c_str())) throw DbError{DB_ERR_FAILED};
    }

    std::uint64_t document(const Snapshot& doc) {
        TempIni info("Doc.ifo");
        ini(info.path, "System", "Type", "0");
        ini(info.path, "System", "Path", doc.path);
        ini(info.path, "System", "Total Pages", std::to_string(doc.pages));
        ini(info.path, "System", "Doc Name", doc.name);
        if (proc && proc(doc.id, doc.pages, 0, user) == DB_STOPPED) {
            stopped = true;
            return 0;
        }
        CDocDatabase::NodeKey k = db.nodeKey(doc.path);
        // Pages whose file cannot be read are left out; the entries of the
        // others are numbered without gaps and the count says how many there are.
        DWORD written = 0;
        for (DWORD i = 1; i <= doc.pages; ++i) {
            PageRef ref;
            try {
                ref = db.readPage(k.h, i);
            } catch (const DbError&) {
                continue;
            }
            std::string page = db.pagePath(ref);
            auto size = sys::fileSize(page);
            if (!size) continue;  // a page file that cannot be read is left out
            if (*size > 0xFFFFFFFFull) throw DbError{DB_ERR_FAILED};
            std::uint64_t at = out.position();
            if (!out.file(page, *size)) continue;
            std::uint64_t thumb = 0;
            if (auto t = sys::fileSize(page + ".Thn"); t && *t <= 0xFFFFFFFFull && out.file(page + ".Thn", *t)) thumb = *t;
            std::string ext = upper(ref.name.size() >= 3 ? ref.name.substr(ref.name.size() - 3) : ref.name);
            char entry[128];
            std::snprintf(entry, sizeof entry, "%s,%llu,%u,%u", ext.c_str(), static_cast<unsigned long long>(at),
                          unsigned(*size), unsigned(thumb));
            ini(info.path, "Files", std::to_string(++written), entry);
            sys::crashPoint("export:page");
            if (proc && proc(doc.id, doc.pages, i, user) == DB_STOPPED) {
                stopped = true;
                return 0;
            }
        }
        if (written != doc.pages) ini(info.path, "System", "Total Pages", std::to_string(written));
        std::string text = readAll(info.path);
        std::uint64_t infoAt = out.position();
        out.bytes(text.data(), text.size());
        out.number(infoAt, 8);
        return out.position();
    }
};

int CDocDatabase::ExportDocumentPackage(DWORD id, const char* package, DB_PACKAGEPROC proc, void* user) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (!package || !*package) return DB_ERR_CREATE_FILE;
        Snapshot doc = snapshot(*hit.node);
        PackageWriter out(package);
        out.bytes(kDocumentMagic, 16);
        out.number(doc.path.size(), 8);
        out.bytes(doc.path.data(), doc.path.size());
        out.checksumBlock();
        PackageWork work{*this, out, proc, user};
        work.document(doc);
        if (work.stopped) return DB_STOPPED;
        out.finish();
        return DB_OK;
    });
}

int CDocDatabase::ExportFolderPackage(DWORD id, const char* package, DB_PACKAGEPROC proc, void* user) {
    return guarded([&] {
        requireOpen();
        if (!package || !*package) return DB_ERR_CREATE_FILE;
        Snapshot root{false, 0, "", "", 0, {}};
        if (id != 0) {
            Hit hit = find(id);
            if (!hit.node) return DB_ERR_NOT_FOUND;
            if (hit.node->isDoc) return DB_NOT_FOLDER;
            root = snapshot(*hit.node);
        } else {
            for (const Node& n : top_->nodes) root.kids.push_back(snapshot(n));
        }
        PackageWriter out(package);
        out.bytes(kFolderMagic, 16);
        out.number(root.path.size(), 8);
        out.bytes(root.path.data(), root.path.size());
        out.number(0, 4);
        out.number(kLibraryVersionNumber, 4);
        out.checksumBlock();
        TempIni info("Folder.ifo");
        PackageWork work{*this, out, proc, user};
        work.ini(info.path, "System", "Type", "2");
        work.ini(info.path, "System", "Path", root.path);
        unsigned folders = 0, documents = 0;
        std::function<void(const Snapshot&)> walk = [&](const Snapshot& folder) {
            for (const Snapshot& k : folder.kids) {
                if (work.stopped) return;
                if (k.isDoc) {
                    std::uint64_t end = work.document(k);
                    if (work.stopped) return;
                    work.ini(info.path, "Document", std::to_string(++documents), std::to_string(end));
                } else {
                    work.ini(info.path, "Folder", std::to_string(++folders), k.path);
                    walk(k);
                }
            }
        };
        if (id != 0) work.ini(info.path, "Folder", std::to_string(++folders), root.path);
        walk(root);
        if (work.stopped) return DB_STOPPED;
        std::string text = readAll(info.path);
        std::uint64_t infoAt = out.position();
        out.bytes(text.data(), text.size());
        out.number(infoAt, 8);
        out.finish();
        return DB_OK;
    });
}

int CDocDatabase::GetPackageInfo(const char* package, int* kind, char* path) {
    return guarded([&] {
        if (!package) return DB_ERR_FAILED;
        int k = 0;
        std::string p;
        int rc = readPackageHeader(package, k, p);
        if (rc != DB_OK) return rc;
        if (p.size() >= 260) return DB_ERR_FAILED;
        if (kind) *kind = k;
        if (path) std::memcpy(path, p.c_str(), p.size() + 1);
        return DB_OK;
    });
}

int CDocDatabase::ImportPackage(const char* package, DWORD* outId, DB_IMPORTPROC proc, void* user) {
    return guarded([&] {
        requireOpen();
        if (!package) return DB_ERR_FAILED;
        Package pkg;
        int rc = readPackage(package, *common_, pkg);
        if (rc != DB_OK) return rc;
        std::FILE* in = pkg.source.get();
        // The room the pages need is checked before anything changes.
        for (const PackageDocument& d : pkg.documents)
            for (const PackagePage& p : d.pages) chooseFolder(std::uint64_t(p.size) + p.thumbSize);

        Change change(*this);
        // Make room for the package's content at its path.
        if (pkg.kind == 1 && pkg.path.empty()) {
            while (!top_->nodes.empty()) removeNodeRaw(Hit{&top_->nodes.back(), top_.get(), nullptr, top_->nodes.size() - 1}, change);
        } else {
            Hit existing = findPath(pkg.path);
            if (existing.node) {
                if (existing.node->isDoc != (pkg.kind == 0)) return DB_ERR_FAILED;
                removeNodeRaw(existing, change);
            }
            if (pkg.kind == 1) {
                ensureFolderPath(pkg.path);
            } else {
                size_t cut = pkg.path.find_last_of('\\');
                ensureFolderPath(cut == std::string::npos ? "" : pkg.path.substr(0, cut));
            }
        }
        sys::crashPoint("import:cleared");
        for (const std::string& f : pkg.folders) ensureFolderPath(f);
        std::vector<char> buf;
        for (const PackageDocument& d : pkg.documents) {
            size_t cut = d.path.find_last_of('\\');
            std::string name = cut == std::string::npos ? d.path : d.path.substr(cut + 1);
            DWORD parent = ensureFolderPath(cut == std::string::npos ? "" : d.path.substr(0, cut));
            Node& created = createNodeIn(parent, name, true);
            DWORD docId = created.id;
            std::string docPath = created.path;
            NodeKey k = nodeKey(docPath);
            DWORD count = 0;
            for (const PackagePage& p : d.pages) {
                int format = p.ext == "BMP" ? 0 : p.ext == "JPG" ? 1 : p.ext == "TIF" ? 2 : 3;
                DWORD f = chooseFolder(std::uint64_t(p.size) + p.thumbSize);
                std::string target = newPageName(docId, f, format);
                buf.resize(std::max<size_t>({size_t(p.size), size_t(p.thumbSize), 1}));
                auto writeOut = [&](const std::string& path, std::uint64_t at, std::uint32_t n) {
                    if (std::fseek(in, long(at), SEEK_SET) != 0 || std::fread(buf.data(), 1, n, in) != n)
                        throw DbError{DB_ERR_FAILED};
                    std::unique_ptr<std::FILE, FileCloser> o(std::fopen(sys::nativePath(path).c_str(), "wbx"));
                    if (!o) throw DbError{DB_ERR_NO_SPACE};
                    change.created(path);
                    if ((n && std::fwrite(buf.data(), 1, n, o.get()) != n) || std::fflush(o.get()) != 0)
                        throw DbError{DB_ERR_NO_SPACE};
                };
                writeOut(target, p.position, p.size);
                if (p.thumbSize) writeOut(target + ".Thn", p.position + p.size, p.thumbSize);
                ++count;
                reg::setString(k.h, std::to_string(count).c_str(), std::to_string(f) + "," + sys::leafOf(target));
                reg::setDword(k.h, "Total Pages", count);
                find(docId).node->totalPages = count;
                sys::crashPoint("import:page");
                if (proc) proc(1, name.c_str(), DWORD(d.pages.size()), count, user);
            }
        }
        change.commit();
        if (outId) {
            Hit h = pkg.path.empty() ? Hit{} : findPath(pkg.path);
            *outId = h.node ? h.node->id : 0;
        }
        return DB_OK;
    });
}

}  // namespace tabellon
