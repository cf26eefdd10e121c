// Runs one store operation for the crash tests, in a process of its own that
// the crash hook ends at the point its environment names.
//   tabellon_crash_child ROOT-KEY-PATH STORAGE[;STORAGE...] OPERATION ARGS...
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tabellon/tests/store_host.h"

using namespace tabellon_test;

namespace {

std::vector<std::string> split(const std::string& s) {
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, ';')) out.push_back(part);
    return out;
}

DWORD n(const char* s) { return DWORD(std::strtoul(s, nullptr, 0)); }

int run(const DB_FUNCTIONTABLE& t, const std::string& op, char** a, const std::vector<std::string>& storage) {
    DWORD out = 0;
    if (op == "move-folder") return t.DB_MoveFolder(n(a[0]), n(a[1]), &out);
    if (op == "copy-folder") return t.DB_CopyFolder(n(a[0]), n(a[1]), a[2], nullptr, nullptr, &out);
    if (op == "rename-folder") return t.DB_RenameFolder(n(a[0]), a[1]);
    if (op == "delete-folder") return t.DB_DeleteFolder(n(a[0]));
    if (op == "create-folder") {
        DB_FOLDERINFO info{};
        std::snprintf(info.Name, 260, "%s", a[1]);
        return t.DB_CreateFolder(n(a[0]), &info);
    }
    if (op == "move-doc") return t.DB_MoveDocument(n(a[0]), n(a[1]), &out);
    if (op == "copy-doc") return t.DB_CopyDocument(n(a[0]), n(a[1]), a[2], nullptr, nullptr, &out);
    if (op == "rename-doc") return t.DB_RenameDocument(n(a[0]), a[1]);
    if (op == "delete-doc") return t.DB_DeleteDocument(n(a[0]));
    if (op == "append") return t.DB_AppendPageFile(n(a[0]), a[1], &out);
    if (op == "insert") {
        out = n(a[1]);
        return t.DB_InsertPageFile(n(a[0]), &out, a[2]);
    }
    if (op == "replace") return t.DB_ReplacePageFile(n(a[0]), n(a[1]), a[2]);
    if (op == "delete-page") return t.DB_DeletePage(n(a[0]), n(a[1]));
    if (op == "move-page") return t.DB_MovePage(n(a[0]), n(a[1]), n(a[2]), n(a[3]));
    if (op == "copy-page") return t.DB_CopyPage(n(a[0]), n(a[1]), n(a[2]), n(a[3]));
    if (op == "import") return t.DB_ImportPackage(a[0], &out, nullptr, nullptr);
    if (op == "export-folder") return t.DB_ExportFolderPackage(n(a[0]), a[1], nullptr, nullptr);
    if (op == "storage") {
        Config c(split(a[0]));
        t.DB_SetStorageFolders(&c.config, nullptr);
        (void)storage;
        return DB_OK;
    }
    return 99;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const DB_FUNCTIONTABLE& t = table();
    HKEY root = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, argv[1], 0, KEY_ALL_ACCESS, &root) != ERROR_SUCCESS) return 2;
    std::vector<std::string> storage = split(argv[2]);
    Config c(storage);
    DB_VERSION v{1, 0, 0, 0};
    int opened = t.DB_Open(&v, &c.config, root);
    if (opened != DB_OK) return 100 - 90 - opened;  // -92 gives 102
    if (std::string(argv[3]) == "open") {
        t.DB_Close();
        return 0;
    }
    int rc = run(t, argv[3], argv + 4, storage);
    t.DB_Close();
    return rc == DB_OK ? 0 : 3;
}
