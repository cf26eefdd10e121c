// Page files: naming and placing them, keeping the page values of a document
// in order without gaps, thumbnails, and writing pages out.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "tabellon/doc_database.h"
#include "tabellon/store_system.h"

namespace tabellon {

namespace {

const char* extensionOf(int format) {
    switch (format) {
        case 0: return "bmp";
        case 1: return "jpg";
        case 2: return "tif";
        case 3: return "png";
        default: return "";
    }
}

void copyOut(char* out, const std::string& text) {
    if (!out) return;
    if (text.size() >= 260) throw DbError{DB_ERR_FAILED};
    std::memcpy(out, text.c_str(), text.size() + 1);
}

// An image the store loaded itself, freed when it goes out of scope.
struct LoadedImage {
    const IL_FUNCTIONTABLE* il;
    IL_IMAGE image{};
    bool loaded = false;
    bool load(const char* file) {
        loaded = il->LoadImage(&image, file, -1, 1, 0) == 0;
        return loaded;
    }
    ~LoadedImage() {
        if (loaded) il->FreeImage(&image);
    }
};

// Copies the page value numbered from over the one numbered to, as the page
// order shifts; a missing value means the order is broken.
void copyPageValue(HKEY docKey, DWORD from, DWORD to) {
    auto v = reg::getString(docKey, std::to_string(from).c_str());
    if (!v) throw DbError{DB_ERR_FAILED};
    reg::setString(docKey, std::to_string(to).c_str(), *v);
}

}  // namespace

std::string CDocDatabase::valueText(const PageRef& ref) { return std::to_string(ref.folder) + "," + ref.name; }

PageRef CDocDatabase::readPage(HKEY docKey, DWORD page) const {
    auto text = reg::getString(docKey, std::to_string(page).c_str());
    if (!text) throw DbError{DB_ERR_FAILED};
    size_t comma = text->find(',');
    if (comma == 0 || comma == std::string::npos || comma > 9) throw DbError{DB_ERR_FAILED};
    for (size_t i = 0; i < comma; ++i)
        if ((*text)[i] < '0' || (*text)[i] > '9') throw DbError{DB_ERR_FAILED};
    PageRef ref;
    ref.folder = DWORD(std::strtoul(text->c_str(), nullptr, 10));
    ref.name = text->substr(comma + 1);
    if (ref.folder == 0 || ref.folder > folders_.size() || ref.name.empty() ||
        ref.name.find_first_of("\\/") != std::string::npos || ref.name == "." || ref.name == "..")
        throw DbError{DB_ERR_FAILED};
    return ref;
}

std::string CDocDatabase::pagePath(const PageRef& ref) const { return folders_[ref.folder - 1] + "/" + ref.name; }

std::string CDocDatabase::hostPagePath(const PageRef& ref) const {
    return hostFolders_[ref.folder - 1] + "\\" + ref.name;
}

DWORD CDocDatabase::chooseFolder(std::uint64_t bytes) const {
    std::uint64_t need = bytes + 3ull * thumbSize_ * thumbSize_ + 44;
    for (size_t i = 0; i < folders_.size(); ++i) {
        auto free = sys::freeSpace(folders_[i]);
        if (free && *free > need) return DWORD(i + 1);
    }
    throw DbError{DB_ERR_NO_SPACE};
}

std::string CDocDatabase::newPageName(DWORD docId, DWORD folder, int format) const {
    SYSTEMTIME t = sys::utcNow();
    for (int n = 0; n < 100000; ++n) {
        char name[128];
        std::snprintf(name, sizeof name, "%d-%d-%d-%d-%d-%d-%d.%s", int(docId), t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond + n, extensionOf(format));
        std::string path = folders_[folder - 1] + "/" + name;
        if (!sys::fileExists(path) && !sys::fileExists(path + ".Thn") && !issuedNames_.count(path)) return path;
    }
    throw DbError{DB_ERR_NO_SPACE};
}

DWORD CDocDatabase::storageFolderOf(const std::string& file) const {
    std::string folder = sys::folderOf(sys::nativePath(file));
    if (folder.empty()) return 0;
    for (size_t i = 0; i < folders_.size(); ++i)
        if (sys::sameFile(folder, folders_[i])) return DWORD(i + 1);
    return 0;
}

// Whether some page value already names this file (so it must not become a
// second page in place: deleting one would take the other's file).
bool CDocDatabase::pageFileInUse(const std::string& file) {
    std::string leaf = sys::leafOf(file);
    bool used = false;
    std::function<void(const Level&)> walk = [&](const Level& level) {
        for (const Node& n : level.nodes) {
            if (used) return;
            if (!n.isDoc) {
                if (n.children) walk(*n.children);
                continue;
            }
            NodeKey k = nodeKey(n.path);
            for (DWORD i = 1; i <= n.totalPages && !used; ++i) {
                auto text = reg::getString(k.h, std::to_string(i).c_str());
                if (!text || text->size() < leaf.size() || !suite::SameName(text->substr(text->size() - leaf.size()), leaf))
                    continue;
                try {
                    used = sys::sameFile(pagePath(readPage(k.h, i)), file);
                } catch (const DbError&) {
                }
            }
        }
    };
    walk(*top_);
    return used;
}

void CDocDatabase::makeThumbnail(IL_IMAGE* image, const std::string& page, Change& change) {
    if (thumbSize_ == 0 || !image || !image->Header) return;
    LONG w = image->Header->Width, h = image->Header->Height;
    if (w <= 0 || h <= 0) return;
    LONG T = LONG(thumbSize_);
    LONG tw = w >= h ? T : LONG(std::int64_t(w) * T / h);
    LONG th = w >= h ? LONG(std::int64_t(h) * T / w) : T;
    if (tw < 1) tw = 1;
    if (th < 1) th = 1;
    DWORD flags = image->Flags;
    image->Flags &= ~IL_FLAG_FREE_AFTER_USE;
    IL_IMAGE* small = image_->ScaleImage(image, tw, th);
    image->Flags = flags;
    if (!small) return;
    small->Flags |= IL_FLAG_FREE_AFTER_USE;
    IL_SAVEOPTIONS options{1, 0xFFFFFFFFu};
    std::string thumb = page + ".Thn";
    if (image_->SaveImage(thumb.c_str(), 0, &options, small, nullptr, nullptr) == 0)
        change.created(thumb);
    else
        image_->FreeImage(small);
}

void CDocDatabase::insertValue(HKEY docKey, Node& doc, DWORD position, const std::string& value) {
    DWORD count = doc.totalPages;
    for (DWORD i = count; i >= position && i >= 1; --i)
        copyPageValue(docKey, i, i + 1);
    reg::setString(docKey, std::to_string(position).c_str(), value);
    sys::crashPoint("pages:shifted");
    reg::setDword(docKey, "Total Pages", count + 1);
    doc.totalPages = count + 1;
}

DWORD CDocDatabase::newPagePosition(const Node& doc, DWORD position) {
    DWORD pos = position == DB_APPEND ? doc.totalPages + 1 : position;
    if (pos < 1 || pos > doc.totalPages + 1) throw DbError{DB_ERR_NOT_FOUND};
    return pos;
}

void CDocDatabase::copyPageFile(const std::string& from, const std::string& to, Change& change) {
    if (!sys::copyNew(from, to)) throw DbError{DB_ERR_NO_SPACE};
    change.created(to);
    if (sys::fileExists(from + ".Thn") && sys::copyReplace(from + ".Thn", to + ".Thn")) change.created(to + ".Thn");
}

void CDocDatabase::removeValue(HKEY docKey, Node& doc, DWORD page) {
    DWORD count = doc.totalPages;
    for (DWORD i = page + 1; i <= count; ++i)
        copyPageValue(docKey, i, i - 1);
    reg::deleteValue(docKey, std::to_string(count).c_str());
    reg::setDword(docKey, "Total Pages", count - 1);
    doc.totalPages = count - 1;
}

// ---- adding page files ----

int CDocDatabase::pageFormatOf(const char* file) const {
    int format = -1;
    IL_FILEINFO info{};
    if (image_->GetImageFileInfo(file, &format, &info) != 0 || format < 0 || format > 3) throw DbError{DB_ERR_BAD_IMAGE};
    return format;
}

CDocDatabase::Placement CDocDatabase::placeHostFile(DWORD docId, const char* file, int format, DWORD inFolder,
                                                    const std::string& issued) {
    Placement p{inFolder && (issuedNames_.count(issued) || !pageFileInUse(file)), inFolder, issued};
    if (!p.inPlace) {
        p.folder = chooseFolder(sys::fileSize(file).value_or(4000000));
        p.target = newPageName(docId, p.folder, format);
    }
    return p;
}

int CDocDatabase::addPageFile(DWORD id, DWORD position, const char* file, DWORD* page) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (!file) return DB_ERR_FAILED;
        DWORD pos = newPagePosition(*hit.node, position);
        int format = pageFormatOf(file);
        DWORD inFolder = storageFolderOf(file);
        std::string issued = inFolder ? folders_[inFolder - 1] + "/" + sys::leafOf(file) : "";
        Placement place = placeHostFile(id, file, format, inFolder, issued);
        LoadedImage img{image_};
        if (!img.load(file)) return DB_ERR_BAD_IMAGE;
        Change change(*this);
        if (!place.inPlace) {
            if (!sys::copyNew(file, place.target)) return DB_ERR_NO_SPACE;
            change.created(place.target);
        }
        sys::crashPoint("add:file");
        makeThumbnail(&img.image, place.target, change);
        NodeKey k = nodeKey(hit.node->path);
        insertValue(k.h, *hit.node, pos, valueText({place.folder, sys::leafOf(place.target)}));
        change.commit();
        issuedNames_.erase(issued);
        if (page) *page = position == DB_APPEND ? pos : pos + 1;
        return DB_OK;
    });
}

int CDocDatabase::AppendPageFile(DWORD id, const char* file, DWORD* page) {
    return addPageFile(id, DB_APPEND, file, page);
}

int CDocDatabase::InsertPageFile(DWORD id, DWORD* page, const char* file) {
    if (!page) return DB_ERR_FAILED;
    return addPageFile(id, *page, file, page);
}

int CDocDatabase::ReplacePageFile(DWORD id, DWORD page, const char* file) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (!file) return DB_ERR_FAILED;
        if (page < 1 || page > hit.node->totalPages) return DB_ERR_NOT_FOUND;
        NodeKey k = nodeKey(hit.node->path);
        std::string oldPath = pagePath(readPage(k.h, page));
        int format = pageFormatOf(file);
        LoadedImage img{image_};
        if (!img.load(file)) return DB_ERR_BAD_IMAGE;
        DWORD inFolder = storageFolderOf(file);
        std::string issued = inFolder ? folders_[inFolder - 1] + "/" + sys::leafOf(file) : "";
        Change change(*this);
        if (inFolder && sys::sameFile(file, oldPath)) {
            // The page file itself was rewritten: only its thumbnail is renewed.
            makeThumbnail(&img.image, oldPath, change);
            change.commit();
            return DB_OK;
        }
        Placement place = placeHostFile(id, file, format, inFolder, issued);
        if (!place.inPlace) {
            if (!sys::copyNew(file, place.target)) return DB_ERR_NO_SPACE;
            change.created(place.target);
        }
        makeThumbnail(&img.image, place.target, change);
        replaceValue(k.h, page, {place.folder, sys::leafOf(place.target)}, oldPath, change);
        change.commit();
        issuedNames_.erase(issued);
        return DB_OK;
    });
}

// ---- adding images ----

int CDocDatabase::storePageImage(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options,
                                 const std::function<void(const PageRef&, Change&)>& record) {
    std::uint64_t bytes = std::uint64_t(image->Header->Height > 0 ? image->Header->Height : 0) * image->Header->BytesPerLine;
    DWORD folder = chooseFolder(bytes);
    std::string target = newPageName(id, folder, format);
    Change change(*this);
    // The caller's image must outlive a failed save, so it is freed only after the commit.
    DWORD flags = image->Flags;
    image->Flags &= ~IL_FLAG_FREE_AFTER_USE;
    int saved = image_->SaveImage(target.c_str(), format, options, image, nullptr, nullptr);
    image->Flags = flags;
    if (saved != 0) return DB_ERR_NO_SPACE;
    change.created(target);
    makeThumbnail(image, target, change);
    record({folder, sys::leafOf(target)}, change);
    change.commit();
    if (flags & IL_FLAG_FREE_AFTER_USE) image_->FreeImage(image);
    return DB_OK;
}

void CDocDatabase::replaceValue(HKEY docKey, DWORD page, const PageRef& ref, const std::string& oldPath,
                                Change& change) {
    sys::crashPoint("replace:file");
    reg::setString(docKey, std::to_string(page).c_str(), valueText(ref));
    change.obsolete(oldPath);
    change.obsolete(oldPath + ".Thn");
}

int CDocDatabase::addPageImage(DWORD id, DWORD position, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options,
                               DWORD* page) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (!image || !image->Header || !image->Bits) return DB_ERR_FAILED;
        DWORD pos = newPagePosition(*hit.node, position);
        NodeKey k = nodeKey(hit.node->path);
        int rc = storePageImage(id, image, format, options,
                                [&](const PageRef& ref, Change&) { insertValue(k.h, *hit.node, pos, valueText(ref)); });
        if (rc == DB_OK && page) *page = position == DB_APPEND ? pos : pos + 1;
        return rc;
    });
}

int CDocDatabase::AppendPageImage(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options, DWORD* page) {
    return addPageImage(id, DB_APPEND, image, format, options, page);
}

int CDocDatabase::InsertPageImage(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options, DWORD* page) {
    if (!page) return DB_ERR_FAILED;
    return addPageImage(id, *page, image, format, options, page);
}

int CDocDatabase::ReplacePageImage(DWORD id, DWORD page, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (!image || !image->Header || !image->Bits) return DB_ERR_FAILED;
        if (page < 1 || page > hit.node->totalPages) return DB_ERR_NOT_FOUND;
        NodeKey k = nodeKey(hit.node->path);
        std::string oldPath = pagePath(readPage(k.h, page));
        return storePageImage(id, image, format, options, [&](const PageRef& ref, Change& change) {
            replaceValue(k.h, page, ref, oldPath, change);
        });
    });
}

// ---- names and deletion ----

int CDocDatabase::GetPageFileName(DWORD id, DWORD page, char* pagePathOut, char* thumbPathOut) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (page < 1 || page > hit.node->totalPages) return DB_ERR_NOT_FOUND;
        NodeKey k = nodeKey(hit.node->path);
        PageRef ref = readPage(k.h, page);
        if (!sys::fileExists(pagePath(ref))) return DB_ERR_FAILED;
        std::string path = hostPagePath(ref);
        if (path.size() + 4 >= 260) return DB_ERR_FAILED;
        copyOut(pagePathOut, path);
        copyOut(thumbPathOut, path + ".Thn");
        return DB_OK;
    });
}

int CDocDatabase::GetNewPageFileName(DWORD id, char* out, int format, DWORD size) {
    return guarded([&] {
        findDocument(id);
        if (!out) return DB_ERR_FAILED;
        DWORD folder = chooseFolder(size);
        std::string path = newPageName(id, folder, format);
        copyOut(out, hostPagePath({folder, sys::leafOf(path)}));
        issuedNames_.insert(path);
        return DB_OK;
    });
}

int CDocDatabase::DeletePage(DWORD id, DWORD page) {
    return guarded([&] {
        Hit hit = findDocument(id);
        DWORD count = hit.node->totalPages;
        if (page < 1 || page > count) return DB_ERR_NOT_FOUND;
        NodeKey k = nodeKey(hit.node->path);
        Change change(*this);
        try {
            std::string path = pagePath(readPage(k.h, page));
            change.obsolete(path);
            change.obsolete(path + ".Thn");
        } catch (const DbError&) {
            // A value without a usable file is still taken out of the order.
        }
        removeValue(k.h, *hit.node, page);
        sys::crashPoint("pages:shifted");
        change.commit();
        return DB_OK;
    });
}

// ---- moving and copying pages ----

int CDocDatabase::MovePage(DWORD source, DWORD target, DWORD page, DWORD position) {
    return guarded([&] {
        Hit src = findDocument(source);
        DWORD count = src.node->totalPages;
        if (page < 1 || page > count) return DB_ERR_NOT_FOUND;
        NodeKey ks = nodeKey(src.node->path);
        if (source == target) {
            DWORD pos = position == DB_APPEND ? count : position;
            if (pos < 1 || pos > count) return DB_ERR_NOT_FOUND;
            if (pos == page) return DB_OK;
            auto moved = reg::getString(ks.h, std::to_string(page).c_str());
            if (!moved) return DB_ERR_FAILED;
            Change change(*this);
            if (pos < page) {
                for (DWORD i = page; i > pos; --i)
                    copyPageValue(ks.h, i - 1, i);
            } else {
                for (DWORD i = page; i < pos; ++i)
                    copyPageValue(ks.h, i + 1, i);
            }
            sys::crashPoint("pages:shifted");
            reg::setString(ks.h, std::to_string(pos).c_str(), *moved);
            change.commit();
            return DB_OK;
        }
        Hit dst = findDocument(target);
        DWORD pos = newPagePosition(*dst.node, position);
        NodeKey kt = nodeKey(dst.node->path);
        auto moved = reg::getString(ks.h, std::to_string(page).c_str());
        if (!moved) return DB_ERR_FAILED;
        Change change(*this);
        removeValue(ks.h, *src.node, page);
        sys::crashPoint("move-page:taken");
        insertValue(kt.h, *dst.node, pos, *moved);
        change.commit();
        return DB_OK;
    });
}

int CDocDatabase::CopyPage(DWORD source, DWORD target, DWORD page, DWORD position) {
    return guarded([&] {
        Hit src = findDocument(source);
        if (page < 1 || page > src.node->totalPages) return DB_ERR_NOT_FOUND;
        NodeKey ks = nodeKey(src.node->path);
        std::string from = pagePath(readPage(ks.h, page));
        Hit dst = source == target ? src : findDocument(target);
        DWORD pos = newPagePosition(*dst.node, position);
        int format = pageFormatOf(from.c_str());
        DWORD folder = chooseFolder(sys::fileSize(from).value_or(4000000));
        std::string to = newPageName(target, folder, format);
        Change change(*this);
        copyPageFile(from, to, change);
        NodeKey kt = nodeKey(dst.node->path);
        insertValue(kt.h, *dst.node, pos, valueText({folder, sys::leafOf(to)}));
        change.commit();
        return DB_OK;
    });
}

// ---- writing pages out ----

int CDocDatabase::exportOnePage(const std::string& source, const std::string& target, DWORD format, DWORD quality) {
    if (format == 0xFFFFFFFFu) return sys::copyAtomically(source, target) ? DB_OK : DB_ERR_FAILED;
    if (format > 3) return DB_ERR_FAILED;
    LoadedImage img{image_};
    if (!img.load(source.c_str())) return DB_ERR_FAILED;
    IL_SAVEOPTIONS options{1, quality};
    return image_->SaveImage(target.c_str(), int(format), &options, &img.image, nullptr, nullptr) == 0 ? DB_OK
                                                                                                        : DB_ERR_FAILED;
}

std::string CDocDatabase::numberedName(const DB_EXPORTSPEC& spec, const std::string& pageName, DWORD& number) const {
    DWORD digits = spec.Digits > 9 ? 9 : spec.Digits;
    DWORD limit = 1;
    for (DWORD i = 0; i < digits; ++i) limit *= 10;
    std::string ext = spec.Format == 0xFFFFFFFFu ? (pageName.size() >= 3 ? pageName.substr(pageName.size() - 3) : "")
                                                 : extensionOf(int(spec.Format));
    std::string stem(spec.Path, strnlen(spec.Path, sizeof spec.Path));
    std::string prefix(spec.Target.Prefix, strnlen(spec.Target.Prefix, sizeof spec.Target.Prefix));
    for (;; ++number) {
        if (number == 0) continue;
        if (number + 1 >= limit) throw DbError{DB_ERR_FAILED};
        char num[32];
        std::snprintf(num, sizeof num, "%*u.", int(digits), number);
        std::string name = stem + prefix + num + ext;
        if (!sys::fileExists(name)) return name;
    }
}

int CDocDatabase::ExportPage(DWORD id, DWORD page, const DB_EXPORTSPEC* spec, char* out) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (!spec) return DB_ERR_FAILED;
        if (page < 1 || page > hit.node->totalPages) return DB_ERR_NOT_FOUND;
        NodeKey k = nodeKey(hit.node->path);
        PageRef ref = readPage(k.h, page);
        std::string source = pagePath(ref);
        if (!sys::fileExists(source)) return DB_ERR_FAILED;
        std::string target;
        int rc;
        if (spec->ExplicitName) {
            target.assign(spec->Path, strnlen(spec->Path, sizeof spec->Path));
            rc = exportOnePage(source, target, spec->Target.Explicit.Format, spec->Target.Explicit.Quality);
        } else {
            DWORD number = 1;
            target = numberedName(*spec, ref.name, number);
            rc = exportOnePage(source, target, spec->Format, spec->Quality);
        }
        if (rc == DB_OK) copyOut(out, target);
        return rc;
    });
}

int CDocDatabase::ExportPages(DWORD id, DB_EXPORTPAGESPROC proc, void* user) {
    return guarded([&] {
        Hit hit = findDocument(id);
        if (!proc) return DB_ERR_FAILED;
        NodeKey k;
        try {
            k = nodeKey(hit.node->path);
        } catch (const DbError&) {
            return DB_OK;
        }
        DWORD count = hit.node->totalPages;
        DB_EXPORTSPEC spec{};
        spec.ExplicitName = 1;
        bool asking = true;
        DWORD number = 1;
        for (DWORD j = 1; j <= count; ++j) {
            if (asking && proc(1, count, j, nullptr, &spec, user) != 0) return DB_STOPPED;
            if (asking && !spec.ExplicitName) asking = false;
            PageRef ref = readPage(k.h, j);
            std::string source = pagePath(ref);
            if (!sys::fileExists(source)) return DB_ERR_FAILED;
            std::string target;
            int rc;
            if (asking) {
                target.assign(spec.Path, strnlen(spec.Path, sizeof spec.Path));
                rc = exportOnePage(source, target, spec.Target.Explicit.Format, spec.Target.Explicit.Quality);
            } else {
                target = numberedName(spec, ref.name, number);
                rc = exportOnePage(source, target, spec.Format, spec.Quality);
                ++number;
            }
            if (rc != DB_OK) return rc;
            proc(2, count, j, target.c_str(), nullptr, user);
        }
        return DB_OK;
    });
}

}  // namespace tabellon
