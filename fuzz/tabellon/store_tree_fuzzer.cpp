// Any text as the store's registry tree: each line "path|name|value" makes the
// key below the store's key ("" the store's key itself) and, with a name, a
// value ("#" and digits a number, anything else a text); "file|name|bytes"
// puts a file into the storage folder. The store opened over it and read in
// every way a host reads it (the tree walked, documents and page files named,
// sizes summed, the whole store exported and its package read back) must
// neither crash nor run on without end, whatever the tree holds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/common/scratch_folder.h"
#include "outside/include/common_service.h"
#include "outside/include/image_library.h"
#include "platform/win/registry.h"
#include "tabellon/doc_database.h"

namespace {

HKEY g_root = nullptr;
std::string g_storage;
std::vector<char> g_list;
DB_STORAGECONFIG g_config{};

std::vector<std::string> split(const std::string& line, char by, std::size_t parts) {
    std::vector<std::string> out;
    std::size_t from = 0;
    while (out.size() + 1 < parts) {
        const std::size_t at = line.find(by, from);
        if (at == std::string::npos) break;
        out.push_back(line.substr(from, at - from));
        from = at + 1;
    }
    out.push_back(line.substr(from));
    return out;
}

void build(const std::string& text) {
    HKEY store = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(g_root, "DB_Fennick", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &store, &disposition) !=
        ERROR_SUCCESS)
        std::abort();
    std::size_t from = 0;
    for (int lines = 0; from < text.size() && lines < 48; ++lines) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) end = text.size();
        const std::vector<std::string> part = split(text.substr(from, end - from), '|', 3);
        from = end + 1;
        if (part.size() < 2) continue;
        if (part[0] == "file") {
            if (part[1].empty() || part[1].find('/') != std::string::npos || part[1] == "." || part[1] == "..") continue;
            std::FILE* f = std::fopen((g_storage + "/" + part[1]).c_str(), "wb");
            if (!f) continue;
            if (part.size() > 2) std::fwrite(part[2].data(), 1, part[2].size(), f);
            std::fclose(f);
            continue;
        }
        HKEY key = store;
        if (!part[0].empty() &&
            RegCreateKeyExA(store, part[0].c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
                ERROR_SUCCESS)
            continue;
        if (!part[1].empty() && part.size() > 2) {
            const std::string& value = part[2];
            if (!value.empty() && value[0] == '#') {
                const DWORD number = DWORD(std::strtoul(value.c_str() + 1, nullptr, 10));
                RegSetValueExA(key, part[1].c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
            } else {
                RegSetValueExA(key, part[1].c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               DWORD(value.size() + 1));
            }
        }
        if (key != store) RegCloseKey(key);
    }
    RegCloseKey(store);
}

struct Walk {
    tabellon::CDocDatabase& db;
    int visited = 0;
};

void walkFolder(Walk& w, DWORD folder, int depth);

int DB_CALL seeFolder(void* record, void* user) {
    auto& w = *static_cast<Walk*>(user);
    DB_FOLDERINFO info = *static_cast<DB_FOLDERINFO*>(record);
    if (++w.visited > 200) return 1;
    DB_FOLDERINFO parent{};
    w.db.GetParentInfo(info.ID, &parent);
    if (w.db.GetFolderInfo(&info) != DB_OK) std::abort();  // enumerated, so it is there
    walkFolder(w, info.ID, 1);
    return 0;
}

int DB_CALL seeDocument(void* record, void* user) {
    auto& w = *static_cast<Walk*>(user);
    DB_DOCINFO info = *static_cast<DB_DOCINFO*>(record);
    if (++w.visited > 200) return 1;
    if (w.db.GetDocumentInfo(&info) != DB_OK) std::abort();
    ULONGLONG pages = 0, thumbs = 0;
    w.db.GetDocumentSize(info.ID, &pages, &thumbs);
    for (DWORD page = 0; page <= 3; ++page) {
        char path[260] = {}, thumb[260] = {};
        w.db.GetPageFileName(info.ID, page, path, thumb);
    }
    return 0;
}

void walkFolder(Walk& w, DWORD folder, int depth) {
    if (depth > 12) return;
    w.db.EnumFolders(folder, 0, seeFolder, &w);
    w.db.EnumDocuments(folder, 0, seeDocument, &w);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string& scratch = fuzzing::ScratchFolder();
    setenv("SUITE_TEMP_DIR", scratch.c_str(), 1);
    setenv("SUITE_REGISTRY_USER", (scratch + "/user.db").c_str(), 1);
    g_storage = scratch + "/store";
    std::string mkdir = "mkdir -p '" + g_storage + "'";
    if (std::system(mkdir.c_str()) != 0) std::abort();
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\StoreFuzz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &g_root,
                        &disposition) != ERROR_SUCCESS)
        std::abort();
    g_list.assign(DB_FolderListSize(1), 0);
    auto* list = reinterpret_cast<DB_FOLDERLIST*>(g_list.data());
    list->Count = 1;
    std::snprintf(list->Paths[0], 260, "%s", g_storage.c_str());
    g_config.ThumbnailSize = 16;
    std::snprintf(g_config.DefaultFolderName, 260, "Folder");
    std::snprintf(g_config.DefaultDocName, 260, "Document");
    g_config.Folders = list;
    tabellon::database().adoptLibraries(CommonService(), IL_GetFunctionTable());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    RegDeleteTreeA(g_root, "DB_Fennick");
    RegDeleteTreeA(g_root, "DB_Files");
    std::string clean = "rm -rf '" + g_storage + "' && mkdir '" + g_storage + "'";
    if (std::system(clean.c_str()) != 0) std::abort();
    build(std::string(reinterpret_cast<const char*>(data), size));
    tabellon::CDocDatabase& db = tabellon::database();
    DB_VERSION version{1, 0, 0, 0};
    if (db.Open(&version, &g_config, g_root) != DB_OK) return 0;
    Walk w{db};
    walkFolder(w, 0, 0);
    ULONGLONG pages = 0, thumbs = 0;
    db.GetFolderSize(0, &pages, &thumbs);
    const std::string package = fuzzing::ScratchFolder() + "/all.pkg";
    if (db.ExportFolderPackage(0, package.c_str(), nullptr, nullptr) == DB_OK) {
        int kind = -1;
        char path[1040] = {};
        if (db.GetPackageInfo(package.c_str(), &kind, path) != DB_OK || kind != 1 || path[0]) std::abort();
    }
    std::remove(package.c_str());
    db.Close();
    return 0;
}
