// The library as a host sees it: the one export, the table, the records and
// opening and closing.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tabellon/tests/store_host.h"

namespace tabellon_test {
namespace {

TEST(TabellonLibrary, ExportsOnlyTheTableFunction) {
    std::string cmd = "nm -D --defined-only " + binFolder() + "/libTabellon.so";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[512];
    std::vector<std::string> symbols;
    while (std::fgets(line, sizeof line, p)) {
        std::string l(line);
        symbols.push_back(l.substr(l.find_last_of(' ') + 1));
    }
    pclose(p);
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0], "DB_GetFunctionTable\n");
    EXPECT_EQ(dlsym(tabellonHandle(), "DB_Open"), nullptr);
}

TEST(TabellonLibrary, TableIsTheSameOnEveryCallAndFull) {
    auto get = reinterpret_cast<DB_GETFUNCTIONTABLE>(dlsym(tabellonHandle(), "DB_GetFunctionTable"));
    ASSERT_NE(get, nullptr);
    const DB_FUNCTIONTABLE* a = get();
    EXPECT_EQ(a, get());
    auto slots = reinterpret_cast<void* const*>(a);
    for (int i = 0; i < 37; ++i) EXPECT_NE(slots[i], nullptr) << "slot " << i;
}

TEST(TabellonLibrary, SlotsNeedAnOpenStore) {
    const DB_FUNCTIONTABLE& t = table();
    DB_FOLDERINFO f{};
    EXPECT_EQ(t.DB_GetFolderInfo(&f), DB_ERR_NOT_OPEN);
    EXPECT_EQ(t.DB_CreateFolder(0, &f), DB_ERR_NOT_OPEN);
    EXPECT_EQ(t.DB_EnumFolders(0, 0, nullptr, nullptr), DB_ERR_NOT_OPEN);
    EXPECT_EQ(t.DB_ExportFolderPackage(0, "/tmp/x.pkg", nullptr, nullptr), DB_ERR_NOT_OPEN);
    EXPECT_EQ(t.DB_ImportPackage("/tmp/x.pkg", nullptr, nullptr, nullptr), DB_ERR_NOT_OPEN);
    t.DB_Close();  // closing a closed store is harmless
}

class OpenTest : public StoreTest {};

TEST_F(OpenTest, VersionsAboveOneAreRefused) {
    DB_VERSION ok{1, 0, 0, 0}, older{0, 9, 9, 9}, build{1, 0, 0, 1}, minor{1, 1, 0, 0};
    EXPECT_EQ(t.DB_Open(&build, nullptr, root), DB_ERR_VERSION);
    EXPECT_EQ(t.DB_Open(&minor, nullptr, root), DB_ERR_VERSION);
    EXPECT_EQ(t.DB_Open(&older, nullptr, root), DB_OK);
    EXPECT_EQ(t.DB_Open(&ok, nullptr, root), DB_OK);
    t.DB_Close();
    t.DB_Close();
}

TEST_F(OpenTest, NestedOpensCountAndOnlyTheLastCloseFrees) {
    DB_VERSION v{1, 0, 0, 0};
    DWORD a = folder(0, "A");
    ASSERT_EQ(t.DB_Open(&v, nullptr, root), DB_OK);
    t.DB_Close();
    DB_FOLDERINFO info{};
    info.ID = a;
    EXPECT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    t.DB_Close();
    open = false;
    EXPECT_EQ(t.DB_GetFolderInfo(&info), DB_ERR_NOT_OPEN);
    reopen();
    EXPECT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_STREQ(info.Name, "A");
}

TEST_F(OpenTest, FirstIdsAndCountersFollowTheStoredValues) {
    DWORD f1 = folder(0, "one"), f2 = folder(0, "two");
    DWORD d1 = document(0, "doc");
    EXPECT_EQ(f1, 0xFFFFFFFFu);
    EXPECT_EQ(f2, 0xFFFFFFFEu);
    EXPECT_EQ(d1, 1u);
    HKEY db = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, "DB_Fennick", 0, KEY_ALL_ACCESS, &db), ERROR_SUCCESS);
    DWORD next = 0, size = sizeof next, type = 0;
    RegQueryValueExA(db, "Next Folder ID", nullptr, &type, reinterpret_cast<BYTE*>(&next), &size);
    EXPECT_EQ(next, 0xFFFFFFFDu);
    RegCloseKey(db);
}

TEST_F(OpenTest, OpenRepairsCountersDuplicateIdsAndCounts) {
    DWORD a = folder(0, "A");
    document(a, "d1");
    DWORD d2 = document(0, "d2");
    DWORD paged = document(a, "paged", 2);
    // Damage as an interrupted older writer could: counters behind the IDs,
    // a duplicate ID, a wrong count and a page count far past the pages.
    HKEY db = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, "DB_Fennick", 0, KEY_ALL_ACCESS, &db), ERROR_SUCCESS);
    DWORD one = 1, minusOne = 0xFFFFFFFFu, seven = 7;
    RegSetValueExA(db, "Next Doc ID", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
    RegSetValueExA(db, "Next Folder ID", 0, REG_DWORD, reinterpret_cast<BYTE*>(&minusOne), 4);
    RegSetValueExA(db, "Child Doc Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&seven), 4);
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(db, "d2", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    DWORD dup = 1;
    RegSetValueExA(k, "ID", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dup), 4);
    RegCloseKey(k);
    ASSERT_EQ(RegOpenKeyExA(db, "A\\paged", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    DWORD billions = 0xFFFFFFF0u;
    RegSetValueExA(k, "Total Pages", 0, REG_DWORD, reinterpret_cast<BYTE*>(&billions), 4);
    RegCloseKey(k);
    RegCloseKey(db);
    (void)d2;
    reopen();
    checkInvariants(root, storage);
    DB_DOCINFO info{};
    info.ID = paged;
    ASSERT_EQ(t.DB_GetDocumentInfo(&info), DB_OK);
    EXPECT_EQ(info.TotalPages, 2u);
    DWORD d3 = document(0, "d3");
    DWORD f = folder(0, "B");
    EXPECT_EQ(d3, 5u);  // 1 stays with d1, 3 with paged, the duplicate became 4
    EXPECT_EQ(f, 0xFFFFFFFEu);
}

TEST_F(OpenTest, AFolderCounterAmongTheDocumentsIdsStartsAgainFromTheTop) {
    DWORD a = folder(0, "A");
    document(a, "d1");
    document(0, "d2");
    // The folders' counter damaged down into the documents' IDs, and A's ID lost.
    HKEY db = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, "DB_Fennick", 0, KEY_ALL_ACCESS, &db), ERROR_SUCCESS);
    DWORD two = 2;
    RegSetValueExA(db, "Next Folder ID", 0, REG_DWORD, reinterpret_cast<BYTE*>(&two), 4);
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(db, "A", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    RegDeleteValueA(k, "ID");
    RegCloseKey(k);
    RegCloseKey(db);
    reopen();
    checkInvariants(root, storage);
    DWORD b = folder(0, "B");
    EXPECT_GT(b, 2u);
    DB_FOLDERINFO info{};
    info.ID = b;
    ASSERT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_STREQ(info.Name, "B");
}

TEST_F(OpenTest, StorageFolderIsCreatedWhenMissing) {
    std::string extra = freshFolder("more") + "/new/nested";
    storage.push_back(extra);
    Config c(storage);
    t.DB_SetStorageFolders(&c.config, nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(extra));
}

}  // namespace
}  // namespace tabellon_test
