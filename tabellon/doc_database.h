// The store behind the table: one object holding the node tree read from the
// registry, the storage folders and the outside libraries. Every slot of the
// table forwards to one method here.
//
// Every change is one registry transaction. Files are ordered around it so
// that a crash at any point leaves each page reachable: new page files are
// written before the transaction commits and old ones are deleted only after.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "outside/include/common_service.h"
#include "outside/include/image_library.h"
#include "tabellon/db_error.h"
#include "tabellon/registry_values.h"
#include "tabellon/tabellon_api.h"

namespace tabellon {

struct Level;

struct Node {
    bool isDoc = false;
    DWORD id = 0;
    std::string name;
    std::string path;  // key names from the database key down, joined by backslashes
    DWORD totalPages = 0;
    SYSTEMTIME created{};
    SYSTEMTIME modified{};
    std::unique_ptr<Level> children;  // folders only; null while the folder has none
};

struct Level {
    DWORD parentId = 0;
    std::vector<Node> nodes;
    DWORD folderCount() const;
    DWORD docCount() const;
};

// What a copy or an export needs of a subtree, taken before the tree can
// change under it (callbacks may call back into the store).
struct Snapshot {
    bool isDoc;
    DWORD id;
    std::string name;
    std::string path;
    DWORD pages;
    std::vector<Snapshot> kids;
};
Snapshot snapshot(const Node& n);

// Where a lookup found a node: the level that holds it and its folder.
struct Hit {
    Node* node = nullptr;
    Level* level = nullptr;
    Node* parent = nullptr;  // null at the top level
    size_t index = 0;
};

// One page value: the 1-based storage folder number and the file name.
struct PageRef {
    DWORD folder = 0;
    std::string name;
};

class CDocDatabase;

// A change to the store: a registry transaction plus the files it creates and
// the files it makes obsolete. Without commit, the destructor rolls the
// registry back, removes the new files and reloads the tree.
class Change {
public:
    explicit Change(CDocDatabase& db);
    ~Change();
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;
    void created(const std::string& path) { created_.push_back(path); }
    void obsolete(const std::string& path) { obsolete_.push_back(path); }
    void commit();

private:
    CDocDatabase& db_;
    bool done_ = false;
    std::vector<std::string> created_;
    std::vector<std::string> obsolete_;
};

class CDocDatabase {
public:
    ~CDocDatabase();

    // Table slots (Part of the host interface); each returns a result code.
    int Open(const DB_VERSION* version, const DB_STORAGECONFIG* config, HKEY root);
    void Close();
    void SetStorageFolders(const DB_STORAGECONFIG* config);
    int EnumFolders(DWORD parent, DWORD start, DB_ENUMPROC proc, void* user);
    int EnumDocuments(DWORD parent, DWORD start, DB_ENUMPROC proc, void* user);
    int GetFolderInfo(DB_FOLDERINFO* info);
    int GetFolderSize(DWORD id, ULONGLONG* pages, ULONGLONG* thumbs);
    int CreateFolder(DWORD parent, DB_FOLDERINFO* info);
    int DeleteFolder(DWORD id);
    int MoveFolder(DWORD id, DWORD parent, DWORD* newId);
    int RenameFolder(DWORD id, const char* name);
    int CopyFolder(DWORD id, DWORD target, const char* name, DWORD* newId);
    int GetDocumentInfo(DB_DOCINFO* info);
    int GetDocumentSize(DWORD id, ULONGLONG* pages, ULONGLONG* thumbs);
    int CreateDocument(DWORD parent, DB_DOCINFO* info);
    int DeleteDocument(DWORD id);
    int MoveDocument(DWORD id, DWORD folder, DWORD* newId);
    int RenameDocument(DWORD id, const char* name);
    int CopyDocument(DWORD id, DWORD folder, const char* name, DB_COPYPROC proc, void* user, DWORD* newId);
    int GetParentInfo(DWORD id, DB_FOLDERINFO* info);
    int GetPageFileName(DWORD id, DWORD page, char* pagePath, char* thumbPath);
    int DeletePage(DWORD id, DWORD page);
    int GetNewPageFileName(DWORD id, char* path, int format, DWORD size);
    int AppendPageFile(DWORD id, const char* file, DWORD* page);
    int ReplacePageFile(DWORD id, DWORD page, const char* file);
    int InsertPageFile(DWORD id, DWORD* page, const char* file);
    int MovePage(DWORD source, DWORD target, DWORD page, DWORD position);
    int CopyPage(DWORD source, DWORD target, DWORD page, DWORD position);
    int ExportFolderPackage(DWORD id, const char* package, DB_PACKAGEPROC proc, void* user);
    int ExportDocumentPackage(DWORD id, const char* package, DB_PACKAGEPROC proc, void* user);
    int GetPackageInfo(const char* package, int* kind, char* path);
    int ImportPackage(const char* package, DWORD* id, DB_IMPORTPROC proc, void* user);
    int ExportPages(DWORD id, DB_EXPORTPAGESPROC proc, void* user);
    int ExportPage(DWORD id, DWORD page, const DB_EXPORTSPEC* spec, char* out);
    int AppendPageImage(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options, DWORD* page);
    int ReplacePageImage(DWORD id, DWORD page, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options);
    int InsertPageImage(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options, DWORD* page);

    // For the package reader's fuzz target: the outside libraries it needs.
    void adoptLibraries(const COMMON_SERVICE_TABLE* common, const IL_FUNCTIONTABLE* image);

private:
    friend class Change;
    friend struct PackageWork;
    friend struct PageWork;

    // ---- tree (doc_database.cpp) ----
    void requireOpen() const;
    Hit find(DWORD id);
    Hit findNode(DWORD id, bool wantDoc);       // ID 0: -99; empty or missing: -97; wrong kind: 6/7
    Hit findDocument(DWORD id);                 // ID 0: -92; empty: -97; folder or missing: 7
    Level* findParentLevel(DWORD parent, Node** folder);  // 0: top; missing: -97; document: 6
    void reloadTree();
    std::unique_ptr<Level> readLevel(suite::reg::TreeCopy& key, DWORD parentId, const std::string& parentPath);
    void repairAfterLoad();
    // The key of a node path, or the database key itself for "" (not closed then).
    struct NodeKey {
        suite::RegKey owned;
        HKEY h = nullptr;
    };
    NodeKey nodeKey(const std::string& path);
    void writeCounts(const Level& level, Node* folder);
    static void rebuildPaths(Node& node, const std::string& parentPath);
    static bool isBelow(const Node& folder, DWORD id);

    // ---- folders and documents (folders_documents.cpp) ----
    std::string checkedName(const char* name) const;
    std::string freeName(const Level& level, const std::string& stem) const;
    int enumerateNodes(DWORD parent, DWORD start, bool docs, DB_ENUMPROC proc, void* user);
    Node& createNodeRaw(Level* level, Node* folder, const std::string& name, bool isDoc);
    Node& createNodeIn(DWORD parent, const std::string& name, bool isDoc);  // parent 0: the top level
    // One change creating a node under parent, named as asked or by the first free default name;
    // report sees the new node before the change commits.
    int createNode(DWORD parent, const char* requestedName, bool isDoc, const std::function<void(const Node&)>& report);
    int deleteNode(DWORD id, bool isDoc);
    std::vector<std::string> pageFilesBelow(const Node& node);
    void removeNodeRaw(Hit hit, Change& change);  // key tree, memory, counts; files after the commit
    Hit findPath(const std::string& path);        // node at a key path, or none
    DWORD ensureFolderPath(const std::string& path);  // creates missing folders; 0 for ""
    int renameNode(DWORD id, const char* name, bool isDoc);
    int moveNode(DWORD id, DWORD target, DWORD* out, bool isDoc);
    DWORD copyDocumentRaw(const std::string& sourcePath, const std::string& sourceName, DWORD sourcePages,
                          DWORD targetFolder, const std::string& name, DB_COPYPROC proc, void* user,
                          const char* callerName, Change& change);
    void docSizes(const Node& doc, ULONGLONG* pages, ULONGLONG* thumbs);

    // ---- pages (page_files.cpp) ----
    PageRef readPage(HKEY docKey, DWORD page) const;
    std::string pagePath(const PageRef& ref) const;      // native path for file work
    std::string hostPagePath(const PageRef& ref) const;  // the host's form of it
    DWORD chooseFolder(std::uint64_t bytes) const;  // 1-based; -95 when none has room
    std::string newPageName(DWORD docId, DWORD folder, int format) const;
    DWORD storageFolderOf(const std::string& file) const;  // 1-based, 0 when outside them all
    int pageFormatOf(const char* file) const;  // a page format 0-3; throws -98 for anything else
    // Where a host's file becomes a page of a document: the file itself when
    // it sits in storage folder inFolder (as issued) and was handed out by
    // GetNewPageFileName or is no page yet, else a fresh name where there is room.
    struct Placement {
        bool inPlace;
        DWORD folder;
        std::string target;  // native path of the page file
    };
    Placement placeHostFile(DWORD docId, const char* file, int format, DWORD inFolder, const std::string& issued);
    bool pageFileInUse(const std::string& file);
    void makeThumbnail(IL_IMAGE* image, const std::string& pagePath, Change& change);
    void insertValue(HKEY docKey, Node& doc, DWORD position, const std::string& value);
    void removeValue(HKEY docKey, Node& doc, DWORD page);  // later pages move up one
    // Where a new page goes: DB_APPEND after the last, else position (1 to one
    // past the last; -97 otherwise).
    static DWORD newPagePosition(const Node& doc, DWORD position);
    // Copies a page file and, when it has one, its thumbnail; both join the change.
    static void copyPageFile(const std::string& from, const std::string& to, Change& change);
    static std::string valueText(const PageRef& ref);
    std::string numberedName(const DB_EXPORTSPEC& spec, const std::string& pageName, DWORD& number) const;
    int addPageFile(DWORD id, DWORD position, const char* file, DWORD* page);
    int addPageImage(DWORD id, DWORD position, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options, DWORD* page);
    // One change saving the image as a new page file of document id with its
    // thumbnail; record enters the page's value before the change commits.
    int storePageImage(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options,
                       const std::function<void(const PageRef&, Change&)>& record);
    // Points page at its new file; the old file and its thumbnail go after the commit.
    void replaceValue(HKEY docKey, DWORD page, const PageRef& ref, const std::string& oldPath, Change& change);
    int exportOnePage(const std::string& source, const std::string& target, DWORD format, DWORD quality);

    // ---- state ----
    int refs_ = 0;
    HKEY dbKey_ = nullptr;
    HKEY filesKey_ = nullptr;
    HMODULE commonModule_ = nullptr;
    HMODULE imageModule_ = nullptr;
    const COMMON_SERVICE_TABLE* common_ = nullptr;
    const IL_FUNCTIONTABLE* image_ = nullptr;
    DWORD nextFolderId_ = 0xFFFFFFFFu;
    DWORD nextDocId_ = 1;
    std::unique_ptr<Level> top_;
    std::vector<std::string> folders_;      // storage folders (native paths), numbered from 1
    std::vector<std::string> hostFolders_;  // the same as the host spelled them
    bool haveFolders_ = false;
    DWORD thumbSize_ = 0;
    std::string defaultFolderName_;
    std::string defaultDocName_;
    DWORD reserved_[2] = {0, 0};
    DB_MOVEPROC moveProgress_ = nullptr;
    std::set<std::string> issuedNames_;  // names handed out by GetNewPageFileName
    // The child counts each folder ("" the top) had stored when the tree was
    // read, for the repair after an open; absent values are empty.
    std::unordered_map<std::string, std::pair<std::optional<DWORD>, std::optional<DWORD>>> storedCounts_;
    // Documents whose stored page count names pages past their last page value.
    std::vector<std::string> overcounted_;
    bool changing_ = false;
};

// The library's single store.
CDocDatabase& database();

}  // namespace tabellon
