// Folders and documents: enumeration, information, sizes, create, delete,
// move, rename and copy.
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>

#include "tabellon/doc_database.h"
#include "tabellon/store_system.h"

namespace tabellon {

namespace {

DB_TIME recordTime(const SYSTEMTIME& t) {
    std::int64_t s = sys::toUnixSeconds(t);
    if (s < 0 || s > std::numeric_limits<DB_TIME>::max()) return 0;
    return DB_TIME(s);
}

void copyName(char* out, const std::string& name) { std::snprintf(out, 260, "%s", name.c_str()); }

void fillFolder(DB_FOLDERINFO& info, const Node& n) {
    info.ID = n.id;
    copyName(info.Name, n.name);
    info.FolderCount = n.children ? n.children->folderCount() : 0;
    info.DocCount = n.children ? n.children->docCount() : 0;
    info.CreateTime = recordTime(n.created);
    info.ModifiedTime = recordTime(n.modified);
}

void fillDoc(DB_DOCINFO& info, const Node& n) {
    info.ID = n.id;
    copyName(info.Name, n.name);
    info.TotalPages = n.totalPages;
    info.CreateTime = recordTime(n.created);
    info.ModifiedTime = recordTime(n.modified);
}

// The top level as a folder: ID 0, no name and no times.
void fillTop(const Level& top, DB_FOLDERINFO& info) {
    info.ID = 0;
    info.Name[0] = '\0';
    info.FolderCount = top.folderCount();
    info.DocCount = top.docCount();
    info.CreateTime = info.ModifiedTime = 0;
}

}  // namespace

// ---- enumeration and information ----

static int enumerate(Level* level, DWORD start, bool docs, DB_ENUMPROC proc, void* user) {
    if (!level || !proc) return DB_OK;
    std::vector<DB_FOLDERINFO> folders;
    std::vector<DB_DOCINFO> documents;
    bool started = start == 0;
    for (const Node& n : level->nodes) {
        if (n.isDoc != docs) continue;
        if (!started && n.id == start) started = true;
        if (!started) continue;
        if (docs) {
            documents.emplace_back();
            fillDoc(documents.back(), n);
        } else {
            folders.emplace_back();
            fillFolder(folders.back(), n);
        }
    }
    // The walk runs over copies, so a callback may change the store safely.
    for (auto& f : folders)
        if (proc(&f, user) != 0) return DB_STOPPED;
    for (auto& d : documents)
        if (proc(&d, user) != 0) return DB_STOPPED;
    return DB_OK;
}

int CDocDatabase::enumerateNodes(DWORD parent, DWORD start, bool docs, DB_ENUMPROC proc, void* user) {
    return guarded([&] {
        requireOpen();
        Level* level = top_.get();
        if (parent != 0) {
            Hit hit = find(parent);
            if (!hit.node) return DB_OK;
            if (hit.node->isDoc) return DB_NOT_FOLDER;
            level = hit.node->children.get();
        }
        return enumerate(level, start, docs, proc, user);
    });
}

int CDocDatabase::EnumFolders(DWORD parent, DWORD start, DB_ENUMPROC proc, void* user) {
    return enumerateNodes(parent, start, false, proc, user);
}

int CDocDatabase::EnumDocuments(DWORD parent, DWORD start, DB_ENUMPROC proc, void* user) {
    return enumerateNodes(parent, start, true, proc, user);
}

int CDocDatabase::GetFolderInfo(DB_FOLDERINFO* info) {
    return guarded([&] {
        requireOpen();
        if (!info) return DB_ERR_FAILED;
        if (info->ID == 0) {
            fillTop(*top_, *info);
            return DB_OK;
        }
        Hit hit = find(info->ID);
        if (!hit.node) return DB_ERR_NOT_FOUND;
        if (hit.node->isDoc) return DB_NOT_FOLDER;
        fillFolder(*info, *hit.node);
        return DB_OK;
    });
}

int CDocDatabase::GetDocumentInfo(DB_DOCINFO* info) {
    return guarded([&] {
        if (!info) return DB_ERR_FAILED;
        Hit hit = findDocument(info->ID);
        fillDoc(*info, *hit.node);
        return DB_OK;
    });
}

int CDocDatabase::GetParentInfo(DWORD id, DB_FOLDERINFO* info) {
    return guarded([&] {
        requireOpen();
        if (id == 0) return DB_ERR_NO_ID;
        if (!info) return DB_ERR_FAILED;
        Hit hit = find(id);
        if (!hit.node) return DB_ERR_NOT_FOUND;
        if (!hit.parent) {
            fillTop(*top_, *info);
        } else {
            fillFolder(*info, *hit.parent);
        }
        return DB_OK;
    });
}

// ---- sizes ----

void CDocDatabase::docSizes(const Node& doc, ULONGLONG* pages, ULONGLONG* thumbs) {
    NodeKey k;
    try {
        k = nodeKey(doc.path);
    } catch (const DbError&) {
        return;
    }
    for (DWORD i = 1; i <= doc.totalPages; ++i) {
        PageRef ref;
        try {
            ref = readPage(k.h, i);
        } catch (const DbError&) {
            continue;
        }
        std::string path = pagePath(ref);
        *pages += sys::fileSize(path).value_or(0);
        if (thumbs) *thumbs += sys::fileSize(path + ".Thn").value_or(0);
    }
}

int CDocDatabase::GetDocumentSize(DWORD id, ULONGLONG* pages, ULONGLONG* thumbs) {
    return guarded([&] {
        if (!pages) return DB_ERR_FAILED;
        Hit hit = findDocument(id);
        *pages = 0;
        if (thumbs) *thumbs = 0;
        docSizes(*hit.node, pages, thumbs);
        return DB_OK;
    });
}

int CDocDatabase::GetFolderSize(DWORD id, ULONGLONG* pages, ULONGLONG* thumbs) {
    return guarded([&] {
        requireOpen();
        if (!pages) return DB_ERR_FAILED;
        *pages = 0;
        if (thumbs) *thumbs = 0;
        const Level* level = top_.get();
        if (id != 0) {
            Hit hit = find(id);
            if (!hit.node) return DB_ERR_NOT_FOUND;
            if (hit.node->isDoc) return DB_NOT_FOLDER;
            level = hit.node->children.get();
        }
        std::function<void(const Level*)> walk = [&](const Level* lv) {
            if (!lv) return;
            for (const Node& n : lv->nodes)
                if (n.isDoc) docSizes(n, pages, thumbs);
            for (const Node& n : lv->nodes)
                if (!n.isDoc) walk(n.children.get());
        };
        walk(level);
        return DB_OK;
    });
}

// ---- create ----

std::string CDocDatabase::checkedName(const char* name) const {
    std::string s = name ? name : "";
    if (s.size() >= 260) throw DbError{DB_ERR_FAILED};
    for (unsigned char c : s)
        if (c < 0x20 || c == '\\') throw DbError{DB_ERR_FAILED};
    return s;
}

std::string CDocDatabase::freeName(const Level& level, const std::string& stem) const {
    auto taken = [&](const std::string& candidate) {
        for (const Node& n : level.nodes)
            if (suite::SameName(n.name, candidate)) return true;
        return false;
    };
    if (!taken(stem)) return stem;
    for (unsigned n = 1;; ++n) {
        std::string candidate = stem + std::to_string(n);
        if (candidate.size() >= 260) throw DbError{DB_ERR_FAILED};
        if (!taken(candidate)) return candidate;
    }
}

Node& CDocDatabase::createNodeRaw(Level* level, Node* folder, const std::string& name, bool isDoc) {
    if (name.empty()) throw DbError{DB_ERR_FAILED};
    std::string path = folder ? folder->path + "\\" + name : name;
    if (path.size() >= 600) throw DbError{DB_ERR_FAILED};
    for (const Node& n : level->nodes)
        if (suite::SameName(n.name, name)) throw DbError{DB_ERR_EXISTS};
    // The counter moves on before the node exists, so an ID is never handed out twice.
    DWORD id;
    if (isDoc) {
        id = nextDocId_;
        reg::setDword(dbKey_, "Next Doc ID", id + 1);
        nextDocId_ = id + 1;
    } else {
        id = nextFolderId_;
        reg::setDword(dbKey_, "Next Folder ID", id - 1);
        nextFolderId_ = id - 1;
    }
    DWORD disposition = 0;
    suite::RegKey key = suite::RegKey::Create(dbKey_, path, KEY_ALL_ACCESS, &disposition);
    if (!key) throw DbError{DB_ERR_FAILED};
    if (disposition == REG_OPENED_EXISTING_KEY) throw DbError{DB_ERR_EXISTS};
    Node node;
    node.isDoc = isDoc;
    node.id = id;
    node.name = name;
    node.path = path;
    node.created = node.modified = sys::utcNow();
    reg::setDword(key.get(), "ID", id);
    reg::setDword(key.get(), "Is Document", isDoc ? 1 : 0);
    reg::setString(key.get(), "Create Time", reg::formatTime(node.created));
    reg::setString(key.get(), "Modified Time", reg::formatTime(node.modified));
    if (isDoc) {
        reg::setDword(key.get(), "Total Pages", 0);
    } else {
        reg::setDword(key.get(), "Child Folder Number", 0);
        reg::setDword(key.get(), "Child Doc Number", 0);
    }
    sys::crashPoint("create:key");
    level->nodes.push_back(std::move(node));
    writeCounts(*level, folder);
    return level->nodes.back();
}

Node& CDocDatabase::createNodeIn(DWORD parent, const std::string& name, bool isDoc) {
    Node* folder = nullptr;
    Level* level = findParentLevel(parent, &folder);
    return createNodeRaw(level, folder, name, isDoc);
}

int CDocDatabase::createNode(DWORD parent, const char* requestedName, bool isDoc,
                             const std::function<void(const Node&)>& report) {
    return guarded([&] {
        Node* folder = nullptr;
        Level* level = findParentLevel(parent, &folder);
        std::string name = checkedName(requestedName);
        if (name.empty()) {
            const std::string& stem = isDoc ? defaultDocName_ : defaultFolderName_;
            name = freeName(*level, stem.empty() ? (isDoc ? "New Document" : "New Folder") : stem);
        }
        Change change(*this);
        report(createNodeRaw(level, folder, name, isDoc));
        change.commit();
        return DB_OK;
    });
}

int CDocDatabase::CreateFolder(DWORD parent, DB_FOLDERINFO* info) {
    if (!info) return DB_ERR_FAILED;
    return createNode(parent, info->Name, false, [&](const Node& n) { fillFolder(*info, n); });
}

int CDocDatabase::CreateDocument(DWORD parent, DB_DOCINFO* info) {
    if (!info) return DB_ERR_FAILED;
    return createNode(parent, info->Name, true, [&](const Node& n) { fillDoc(*info, n); });
}

// ---- delete ----

std::vector<std::string> CDocDatabase::pageFilesBelow(const Node& node) {
    std::vector<std::string> files;
    if (node.isDoc) {
        NodeKey k = nodeKey(node.path);
        for (DWORD i = 1; i <= node.totalPages; ++i) {
            try {
                std::string p = pagePath(readPage(k.h, i));
                files.push_back(p);
                files.push_back(p + ".Thn");
            } catch (const DbError&) {
            }
        }
    } else if (node.children) {
        for (const Node& c : node.children->nodes) {
            auto more = pageFilesBelow(c);
            files.insert(files.end(), more.begin(), more.end());
        }
    }
    return files;
}

void CDocDatabase::removeNodeRaw(Hit hit, Change& change) {
    auto files = pageFilesBelow(*hit.node);
    if (RegDeleteTreeA(dbKey_, hit.node->path.c_str()) != ERROR_SUCCESS) throw DbError{DB_ERR_FAILED};
    sys::crashPoint("delete:tree");
    hit.level->nodes.erase(hit.level->nodes.begin() + std::ptrdiff_t(hit.index));
    writeCounts(*hit.level, hit.parent);
    if (hit.parent && hit.level->nodes.empty()) hit.parent->children.reset();
    for (const std::string& f : files) change.obsolete(f);
}

int CDocDatabase::deleteNode(DWORD id, bool isDoc) {
    return guarded([&] {
        Hit hit = findNode(id, isDoc);
        Change change(*this);
        removeNodeRaw(hit, change);
        change.commit();
        return DB_OK;
    });
}

int CDocDatabase::DeleteFolder(DWORD id) { return deleteNode(id, false); }
int CDocDatabase::DeleteDocument(DWORD id) { return deleteNode(id, true); }

// ---- rename ----

int CDocDatabase::renameNode(DWORD id, const char* newName, bool isDoc) {
    return guarded([&] {
        Hit hit = findNode(id, isDoc);
        std::string name = checkedName(newName);
        if (name.empty()) return DB_ERR_FAILED;
        if (name == hit.node->name) return DB_OK;
        for (const Node& n : hit.level->nodes)
            if (&n != hit.node && suite::SameName(n.name, name)) return DB_ERR_EXISTS;
        std::string parentPath = hit.parent ? hit.parent->path : "";
        std::string newPath = parentPath.empty() ? name : parentPath + "\\" + name;
        if (newPath.size() >= 600) return DB_ERR_FAILED;
        std::string oldPath = hit.node->path;
        Change change(*this);
        if (suite::SameName(name, hit.node->name)) {
            // Only the case changes: the key names clash, so go through a spare name.
            std::string spare = freeName(*hit.level, name + ".~");
            std::string sparePath = parentPath.empty() ? spare : parentPath + "\\" + spare;
            if (!common_->CopyKey(dbKey_, oldPath.c_str(), dbKey_, sparePath.c_str())) return DB_ERR_EXISTS;
            if (RegDeleteTreeA(dbKey_, oldPath.c_str()) != ERROR_SUCCESS) throw DbError{DB_ERR_FAILED};
            oldPath = sparePath;
        }
        if (!common_->CopyKey(dbKey_, oldPath.c_str(), dbKey_, newPath.c_str())) return DB_ERR_EXISTS;
        sys::crashPoint("rename:copied");
        if (RegDeleteTreeA(dbKey_, oldPath.c_str()) != ERROR_SUCCESS) throw DbError{DB_ERR_FAILED};
        hit.node->name = name;
        rebuildPaths(*hit.node, parentPath);
        change.commit();
        return DB_OK;
    });
}

int CDocDatabase::RenameFolder(DWORD id, const char* name) { return renameNode(id, name, false); }
int CDocDatabase::RenameDocument(DWORD id, const char* name) { return renameNode(id, name, true); }

// ---- move ----

int CDocDatabase::moveNode(DWORD id, DWORD target, DWORD* out, bool isDoc) {
    return guarded([&] {
        if (out) *out = id;
        Hit hit = findNode(id, isDoc);
        DWORD currentParent = hit.parent ? hit.parent->id : 0;
        if (target == currentParent) return DB_OK;
        Node* targetFolder = nullptr;
        Level* targetLevel = findParentLevel(target, &targetFolder);
        if (!isDoc && target != 0 && isBelow(*hit.node, target)) return DB_ERR_FAILED;
        hit = find(id);  // the target lookup may have given the target a block
        for (const Node& n : targetLevel->nodes)
            if (suite::SameName(n.name, hit.node->name)) return DB_ERR_EXISTS;
        std::string targetPath = targetFolder ? targetFolder->path : "";
        std::string newPath = targetPath.empty() ? hit.node->name : targetPath + "\\" + hit.node->name;
        if (newPath.size() >= 600) return DB_ERR_FAILED;
        Change change(*this);
        if (!isDoc) {
            // A folder move uses up one folder ID, as the probe of the target always did.
            reg::setDword(dbKey_, "Next Folder ID", nextFolderId_ - 1);
            --nextFolderId_;
        }
        if (!common_->CopyKey(dbKey_, hit.node->path.c_str(), dbKey_, newPath.c_str())) return DB_ERR_EXISTS;
        sys::crashPoint("move:copied");
        if (RegDeleteTreeA(dbKey_, hit.node->path.c_str()) != ERROR_SUCCESS) throw DbError{DB_ERR_FAILED};
        Node moved = std::move(*hit.node);
        hit.level->nodes.erase(hit.level->nodes.begin() + std::ptrdiff_t(hit.index));
        writeCounts(*hit.level, hit.parent);
        if (hit.parent && hit.level->nodes.empty()) hit.parent->children.reset();
        targetLevel = findParentLevel(target, &targetFolder);  // pointers moved with the erase
        rebuildPaths(moved, targetPath);
        targetLevel->nodes.push_back(std::move(moved));
        writeCounts(*targetLevel, targetFolder);
        change.commit();
        return DB_OK;
    });
}

int CDocDatabase::MoveFolder(DWORD id, DWORD parent, DWORD* newId) { return moveNode(id, parent, newId, false); }
int CDocDatabase::MoveDocument(DWORD id, DWORD folder, DWORD* newId) { return moveNode(id, folder, newId, true); }

// ---- copy ----

DWORD CDocDatabase::copyDocumentRaw(const std::string& sourcePath, const std::string& sourceName, DWORD sourcePages,
                                    DWORD targetFolder, const std::string& name, DB_COPYPROC proc, void* user,
                                    const char* callerName, Change& change) {
    Node& created = createNodeIn(targetFolder, name, true);
    DWORD newId = created.id;
    std::string newPath = created.path;
    NodeKey src = nodeKey(sourcePath);
    NodeKey dst = nodeKey(newPath);
    DWORD copied = 0;
    for (DWORD i = 1; i <= sourcePages; ++i) {
        if (proc) proc(sourcePages, i - 1, sourceName.c_str(), callerName, user);
        PageRef ref;
        try {
            ref = readPage(src.h, i);
        } catch (const DbError&) {
            continue;  // a page value that cannot be read has no file to copy
        }
        std::string from = pagePath(ref);
        if (!sys::fileExists(from)) continue;
        std::string ext = from.size() >= 3 ? from.substr(from.size() - 3) : "";
        int format = suite::SameName(ext, "bmp") ? 0 : suite::SameName(ext, "jpg") ? 1 : suite::SameName(ext, "png") ? 3 : 2;
        DWORD f = chooseFolder(sys::fileSize(from).value_or(4000000));
        std::string to = newPageName(newId, f, format);
        copyPageFile(from, to, change);
        ++copied;
        reg::setString(dst.h, std::to_string(copied).c_str(), std::to_string(f) + "," + sys::leafOf(to));
        sys::crashPoint("copy:page");
    }
    if (proc) proc(sourcePages, sourcePages, sourceName.c_str(), callerName, user);
    reg::setDword(dst.h, "Total Pages", copied);
    Hit hit = find(newId);
    hit.node->totalPages = copied;
    return newId;
}

int CDocDatabase::CopyDocument(DWORD id, DWORD folder, const char* name, DB_COPYPROC proc, void* user, DWORD* newId) {
    return guarded([&] {
        Hit hit = findDocument(id);
        std::string newName = name ? checkedName(name) : hit.node->name;
        if (newName.empty()) return DB_ERR_FAILED;
        std::string path = hit.node->path, sourceName = hit.node->name;
        DWORD pages = hit.node->totalPages;
        Change change(*this);
        DWORD created = copyDocumentRaw(path, sourceName, pages, folder, newName, proc, user, name, change);
        change.commit();
        if (newId) *newId = created;
        return DB_OK;
    });
}

int CDocDatabase::CopyFolder(DWORD id, DWORD target, const char* name, DWORD* newId) {
    return guarded([&] {
        Hit hit = findNode(id, false);
        Node* targetFolder = nullptr;
        findParentLevel(target, &targetFolder);
        hit = find(id);
        if (target != 0 && isBelow(*hit.node, target)) return DB_ERR_FAILED;
        std::string newName = name ? checkedName(name) : hit.node->name;
        if (newName.empty()) return DB_ERR_FAILED;
        Snapshot source = snapshot(*hit.node);
        Change change(*this);
        std::function<void(const Snapshot&, DWORD)> copyInto = [&](const Snapshot& from, DWORD into) {
            for (const Snapshot& k : from.kids)
                if (k.isDoc) copyDocumentRaw(k.path, k.name, k.pages, into, k.name, nullptr, nullptr, nullptr, change);
            for (const Snapshot& k : from.kids) {
                if (k.isDoc) continue;
                copyInto(k, createNodeIn(into, k.name, false).id);
            }
        };
        DWORD top = createNodeIn(target, newName, false).id;
        copyInto(source, top);
        change.commit();
        if (newId) *newId = top;
        return DB_OK;
    });
}

}  // namespace tabellon
