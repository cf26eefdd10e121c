// Opening and closing the store, the node tree in memory and lookups by ID.
#include "tabellon/doc_database.h"

#include <functional>

#include "tabellon/store_system.h"

namespace tabellon {

DWORD Level::folderCount() const {
    DWORD n = 0;
    for (const Node& node : nodes) n += node.isDoc ? 0 : 1;
    return n;
}

DWORD Level::docCount() const { return DWORD(nodes.size()) - folderCount(); }

CDocDatabase& database() {
    static CDocDatabase db;
    return db;
}

CDocDatabase::~CDocDatabase() {
    // The process is ending: keys and blocks go with it. The outside libraries
    // are left to the loader, which unloads them in its own order.
}

// ---- changes ----

Change::Change(CDocDatabase& db) : db_(db) {
    if (db.changing_ || SuiteRegBeginTransaction(db.dbKey_) != ERROR_SUCCESS) throw DbError{DB_ERR_FAILED};
    db.changing_ = true;
}

void Change::commit() {
    sys::crashPoint("commit:before");
    if (SuiteRegCommitTransaction(db_.dbKey_) != ERROR_SUCCESS) throw DbError{DB_ERR_FAILED};
    done_ = true;
    db_.changing_ = false;
    sys::crashPoint("commit:after");
    for (const std::string& f : obsolete_) sys::removeFile(f);
}

Change::~Change() {
    if (done_) return;
    SuiteRegRollbackTransaction(db_.dbKey_);
    db_.changing_ = false;
    for (const std::string& f : created_) sys::removeFile(f);
    try {
        db_.reloadTree();
    } catch (...) {
        db_.top_ = std::make_unique<Level>();
    }
}

// ---- open and close ----

namespace {

constexpr const char* kCommonFilesKey = "Software\\Selvint Corp\\Common Files";

std::uint64_t versionValue(WORD a, WORD b, WORD c, WORD d) {
    return (std::uint64_t(a) << 48) | (std::uint64_t(b) << 32) | (std::uint64_t(c) << 16) | d;
}

}  // namespace

void CDocDatabase::adoptLibraries(const COMMON_SERVICE_TABLE* common, const IL_FUNCTIONTABLE* image) {
    common_ = common;
    image_ = image;
}

int CDocDatabase::Open(const DB_VERSION* version, const DB_STORAGECONFIG* config, HKEY root) {
    if (!version) return DB_ERR_FAILED;
    if (versionValue(version->Major, version->Minor, version->Build, version->Revision) > versionValue(1, 0, 0, 0))
        return DB_ERR_VERSION;
    if (refs_ > 0) {
        ++refs_;
        return DB_OK;
    }
    if (!common_ || !image_) {
        suite::RegKey k(HKEY_LOCAL_MACHINE, kCommonFilesKey, KEY_READ);
        if (!k) return DB_ERR_FAILED;
        auto commonPath = reg::getString(k.get(), "Common Library");
        if (!commonPath || commonPath->size() >= 260) return DB_ERR_FAILED;
        HMODULE cm = sys::loadLibrary(*commonPath);
        auto cs = reinterpret_cast<COMMON_SERVICE>(sys::findSymbol(cm, "CommonService"));
        const COMMON_SERVICE_TABLE* ct = cs ? cs() : nullptr;
        const WORD cv[4] = {0, 9, 1, 0};
        if (!ct || !ct->CheckVersion || ct->CheckVersion(cv) != 0 || !ct->CopyKey || !ct->ReadIniString ||
            !ct->ReadIniInt || !ct->WriteIniString || !ct->WriteIniInt) {
            sys::freeLibrary(cm);
            return DB_ERR_FAILED;
        }
        auto imagePath = reg::getString(k.get(), "Image Library");
        HMODULE im = imagePath && imagePath->size() < 260 ? sys::loadLibrary(*imagePath) : nullptr;
        auto ig = reinterpret_cast<IL_GETFUNCTIONTABLE>(sys::findSymbol(im, "IL_GetFunctionTable"));
        const IL_FUNCTIONTABLE* it = ig ? ig() : nullptr;
        const WORD iv[4] = {2, 1, 1, 1};
        if (!it || !it->CheckVersion || it->CheckVersion(iv) != 0 || !it->GetImageFileInfo || !it->LoadImage ||
            !it->FreeImage || !it->SaveImage || !it->ScaleImage) {
            sys::freeLibrary(im);
            if (ct->Terminate) ct->Terminate();
            sys::freeLibrary(cm);
            return DB_ERR_FAILED;
        }
        commonModule_ = cm;
        imageModule_ = im;
        common_ = ct;
        image_ = it;
    }
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, "DB_Fennick", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &dbKey_,
                        &disposition) != ERROR_SUCCESS) {
        dbKey_ = nullptr;
        return DB_ERR_REGISTRY;
    }
    if (RegCreateKeyExA(root, "DB_Files", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &filesKey_,
                        &disposition) != ERROR_SUCCESS) {
        RegCloseKey(dbKey_);
        dbKey_ = nullptr;
        filesKey_ = nullptr;
        return DB_ERR_REGISTRY;
    }
    try {
        nextFolderId_ = reg::getDword(dbKey_, "Next Folder ID", 0xFFFFFFFFu);
        nextDocId_ = reg::getDword(dbKey_, "Next Doc ID", 1);
        reloadTree();
        repairAfterLoad();
        refs_ = 1;  // the storage list is taken by the open store
        if (config) SetStorageFolders(config);
        refs_ = 0;
    } catch (...) {
        refs_ = 0;
        top_.reset();
        RegCloseKey(filesKey_);
        RegCloseKey(dbKey_);
        dbKey_ = filesKey_ = nullptr;
        return DB_ERR_REGISTRY;
    }
    ++refs_;
    return DB_OK;
}

void CDocDatabase::Close() {
    if (refs_ == 0) return;
    if (--refs_ > 0) return;
    folders_.clear();
    hostFolders_.clear();
    haveFolders_ = false;
    issuedNames_.clear();
    top_.reset();
    if (filesKey_) RegCloseKey(filesKey_);
    if (dbKey_) RegCloseKey(dbKey_);
    dbKey_ = filesKey_ = nullptr;
}

// ---- the tree ----

namespace {

// The highest page number up to `count` that has a value of its own ("1", "2", ...).
DWORD lastPageValue(const suite::reg::TreeCopy& key, DWORD count) {
    DWORD last = 0;
    for (const auto& value : key.values) {
        const std::string& name = value.name;
        if (name.empty() || name.size() > 10 || name[0] == '0' ||
            name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const unsigned long long page = std::stoull(name);
        if (page <= count && page > last) last = DWORD(page);
    }
    return last;
}

}  // namespace

void CDocDatabase::reloadTree() {
    // The whole tree in one registry call: a call a key and value would cost
    // more than everything else opening a large store does.
    suite::reg::TreeCopy tree;
    if (SuiteRegReadTree(dbKey_, tree) != ERROR_SUCCESS) throw DbError{DB_ERR_FAILED};
    storedCounts_.clear();
    overcounted_.clear();
    storedCounts_[""] = {reg::treeDword(tree, "Child Folder Number"), reg::treeDword(tree, "Child Doc Number")};
    top_ = readLevel(tree, 0, "");
}

std::unique_ptr<Level> CDocDatabase::readLevel(suite::reg::TreeCopy& key, DWORD parentId, const std::string& parentPath) {
    auto level = std::make_unique<Level>();
    level->parentId = parentId;
    level->nodes.reserve(key.children.size());
    for (suite::reg::TreeCopy& sub : key.children) {
        Node node;
        node.name = std::move(sub.name);
        node.path = parentPath.empty() ? node.name : parentPath + "\\" + node.name;
        node.isDoc = reg::treeDword(sub, "Is Document").value_or(0) == 1;
        node.id = reg::treeDword(sub, "ID").value_or(0);
        node.created = reg::parseTime(reg::treeString(sub, "Create Time").value_or(""));
        node.modified = reg::parseTime(reg::treeString(sub, "Modified Time").value_or(""));
        if (node.isDoc) {
            // A count past the last page value would have every walk of the
            // pages go on for up to four billion steps: it ends there.
            const DWORD stored = reg::treeDword(sub, "Total Pages").value_or(0);
            node.totalPages = lastPageValue(sub, stored);
            if (node.totalPages != stored) overcounted_.push_back(node.path);
        } else {
            storedCounts_[node.path] = {reg::treeDword(sub, "Child Folder Number"),
                                        reg::treeDword(sub, "Child Doc Number")};
            auto kids = readLevel(sub, node.id, node.path);
            if (!kids->nodes.empty()) node.children = std::move(kids);
        }
        level->nodes.push_back(std::move(node));
    }
    return level;
}

// Identifiers are never reused: the counters move beyond every ID present,
// duplicate or missing IDs get fresh ones, and the stored child counts are
// made to agree with the keys that are really there.
void CDocDatabase::repairAfterLoad() {
    struct Fix {
        std::string path;
        bool isDoc;
    };
    std::vector<Fix> fresh;
    std::vector<std::pair<std::string, const Level*>> counts;  // path of the folder ("" top) and its level
    std::set<DWORD> seen;
    DWORD nextFolder = nextFolderId_, nextDoc = nextDocId_;
    std::function<void(const Level&, const std::string&)> walk = [&](const Level& level, const std::string& path) {
        counts.emplace_back(path, &level);
        for (const Node& n : level.nodes) {
            if (n.id == 0 || !seen.insert(n.id).second) {
                fresh.push_back({n.path, n.isDoc});
            } else if (n.isDoc) {
                if (n.id >= nextDoc) nextDoc = n.id + 1;
            } else if (n.id <= nextFolder) {
                nextFolder = n.id - 1;
            }
            if (!n.isDoc && n.children) walk(*n.children, n.path);
        }
    };
    walk(*top_, "");
    if (nextFolder < nextDoc) {
        // The folders' counter has run into the documents' IDs (a damaged
        // counter): folders count down from the top again, and a folder whose
        // ID lies among the documents' gets a fresh one.
        std::set<std::string> refreshed;
        for (const Fix& f : fresh) refreshed.insert(f.path);
        nextFolder = 0xFFFFFFFFu;
        std::function<void(const Level&)> refold = [&](const Level& level) {
            for (const Node& n : level.nodes) {
                if (n.isDoc) continue;
                if (n.id < nextDoc) {
                    if (refreshed.insert(n.path).second) fresh.push_back({n.path, false});
                } else if (n.id <= nextFolder) {
                    nextFolder = n.id - 1;
                }
                if (n.children) refold(*n.children);
            }
        };
        refold(*top_);
    }
    // A fresh ID is one no node has.
    auto freshId = [&](bool isDoc) {
        for (;;) {
            const DWORD id = isDoc ? nextDoc++ : nextFolder--;
            if (id != 0 && seen.insert(id).second) return id;
        }
    };
    std::vector<std::pair<std::string, const Level*>> wrongCounts;
    // The counts as stored, read with the tree; a missing one is wrong.
    auto countsAre = [&](const std::string& path, DWORD folders, DWORD docs) {
        auto stored = storedCounts_.find(path);
        return stored != storedCounts_.end() && stored->second.first == folders && stored->second.second == docs;
    };
    for (auto& [path, level] : counts)
        if (!countsAre(path, level->folderCount(), level->docCount())) wrongCounts.emplace_back(path, level);
    // Folders without children have no level in memory; their counts must read 0.
    std::vector<std::string> emptyFolders;
    std::function<void(const Level&)> walkEmpty = [&](const Level& level) {
        for (const Node& n : level.nodes) {
            if (n.isDoc) continue;
            if (n.children) {
                walkEmpty(*n.children);
            } else if (!countsAre(n.path, 0, 0)) {
                emptyFolders.push_back(n.path);
            }
        }
    };
    walkEmpty(*top_);
    if (fresh.empty() && wrongCounts.empty() && emptyFolders.empty() && overcounted_.empty() &&
        nextFolder == nextFolderId_ && nextDoc == nextDocId_)
        return;
    Change change(*this);
    for (const Fix& f : fresh) {
        NodeKey k = nodeKey(f.path);
        reg::setDword(k.h, "ID", freshId(f.isDoc));
    }
    nextFolderId_ = nextFolder;
    nextDocId_ = nextDoc;
    reg::setDword(dbKey_, "Next Folder ID", nextFolderId_);
    reg::setDword(dbKey_, "Next Doc ID", nextDocId_);
    for (auto& [path, level] : wrongCounts) {
        NodeKey k = nodeKey(path);
        reg::setDword(k.h, "Child Folder Number", level->folderCount());
        reg::setDword(k.h, "Child Doc Number", level->docCount());
    }
    for (const std::string& path : emptyFolders) {
        NodeKey k = nodeKey(path);
        reg::setDword(k.h, "Child Folder Number", 0);
        reg::setDword(k.h, "Child Doc Number", 0);
    }
    for (const std::string& path : overcounted_) {
        NodeKey k = nodeKey(path);
        reg::setDword(k.h, "Total Pages", findPath(path).node->totalPages);
    }
    change.commit();
    overcounted_.clear();
    if (!fresh.empty()) reloadTree();
}

CDocDatabase::NodeKey CDocDatabase::nodeKey(const std::string& path) {
    NodeKey k;
    if (path.empty()) {
        k.h = dbKey_;
    } else {
        k.owned = reg::open(dbKey_, path);
        k.h = k.owned.get();
    }
    return k;
}

void CDocDatabase::requireOpen() const {
    if (refs_ == 0 || !top_) throw DbError{DB_ERR_NOT_OPEN};
}

namespace {

bool findIn(Level& level, Node* parent, DWORD id, Hit& hit) {
    for (size_t i = 0; i < level.nodes.size(); ++i) {
        Node& n = level.nodes[i];
        if (n.id == id) {
            hit = Hit{&n, &level, parent, i};
            return true;
        }
        if (!n.isDoc && n.children && findIn(*n.children, &n, id, hit)) return true;
    }
    return false;
}

}  // namespace

Hit CDocDatabase::find(DWORD id) {
    Hit hit;
    if (top_) findIn(*top_, nullptr, id, hit);
    return hit;
}

Hit CDocDatabase::findNode(DWORD id, bool wantDoc) {
    requireOpen();
    if (id == 0) throw DbError{DB_ERR_NO_ID};
    Hit hit = find(id);
    if (!hit.node) throw DbError{DB_ERR_NOT_FOUND};
    if (hit.node->isDoc != wantDoc) throw DbError{wantDoc ? DB_NOT_DOCUMENT : DB_NOT_FOLDER};
    return hit;
}

Hit CDocDatabase::findDocument(DWORD id) {
    requireOpen();
    if (id == 0) throw DbError{DB_ERR_FAILED};
    if (top_->nodes.empty()) throw DbError{DB_ERR_NOT_FOUND};
    Hit hit = find(id);
    if (!hit.node || !hit.node->isDoc) throw DbError{DB_NOT_DOCUMENT};
    return hit;
}

Level* CDocDatabase::findParentLevel(DWORD parent, Node** folder) {
    requireOpen();
    *folder = nullptr;
    if (parent == 0) return top_.get();
    Hit hit = find(parent);
    if (!hit.node) throw DbError{DB_ERR_NOT_FOUND};
    if (hit.node->isDoc) throw DbError{DB_NOT_FOLDER};
    *folder = hit.node;
    if (!hit.node->children) {
        hit.node->children = std::make_unique<Level>();
        hit.node->children->parentId = hit.node->id;
    }
    return hit.node->children.get();
}

void CDocDatabase::writeCounts(const Level& level, Node* folder) {
    NodeKey k = nodeKey(folder ? folder->path : "");
    reg::setDword(k.h, "Child Folder Number", level.folderCount());
    reg::setDword(k.h, "Child Doc Number", level.docCount());
}

void CDocDatabase::rebuildPaths(Node& node, const std::string& parentPath) {
    node.path = parentPath.empty() ? node.name : parentPath + "\\" + node.name;
    if (node.children)
        for (Node& child : node.children->nodes) rebuildPaths(child, node.path);
}

Snapshot snapshot(const Node& n) {
    Snapshot s{n.isDoc, n.id, n.name, n.path, n.totalPages, {}};
    if (n.children)
        for (const Node& c : n.children->nodes) s.kids.push_back(snapshot(c));
    return s;
}

Hit CDocDatabase::findPath(const std::string& path) {
    Hit hit;
    Level* level = top_.get();
    Node* parent = nullptr;
    size_t start = 0;
    while (level) {
        size_t cut = path.find('\\', start);
        std::string part = path.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        Node* found = nullptr;
        size_t index = 0;
        for (size_t i = 0; i < level->nodes.size(); ++i)
            if (suite::SameName(level->nodes[i].name, part)) {
                found = &level->nodes[i];
                index = i;
                break;
            }
        if (!found) return Hit{};
        if (cut == std::string::npos) return Hit{found, level, parent, index};
        if (found->isDoc) return Hit{};
        parent = found;
        level = found->children.get();
        start = cut + 1;
    }
    return hit;
}

DWORD CDocDatabase::ensureFolderPath(const std::string& path) {
    if (path.empty()) return 0;
    DWORD parentId = 0;
    size_t start = 0;
    for (;;) {
        size_t cut = path.find('\\', start);
        std::string part = path.substr(start, cut == std::string::npos ? std::string::npos : cut - start);
        Node* folder = nullptr;
        Level* level = findParentLevel(parentId, &folder);
        Node* found = nullptr;
        for (Node& n : level->nodes)
            if (suite::SameName(n.name, part)) found = &n;
        if (found && found->isDoc) throw DbError{DB_ERR_FAILED};
        parentId = found ? found->id : createNodeRaw(level, folder, part, false).id;
        if (cut == std::string::npos) return parentId;
        start = cut + 1;
    }
}

bool CDocDatabase::isBelow(const Node& folder, DWORD id) {
    if (folder.id == id) return true;
    if (!folder.children) return false;
    for (const Node& n : folder.children->nodes)
        if (isBelow(n, id)) return true;
    return false;
}

}  // namespace tabellon
