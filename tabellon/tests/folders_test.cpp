// Folders and documents: names, counts, enumeration, moves, renames, copies
// and the result codes of lookups.
#include <ctime>
#include <filesystem>

#include "tabellon/tests/store_host.h"

namespace tabellon_test {
namespace {

class FoldersTest : public StoreTest {};

struct Seen {
    std::vector<DWORD> ids;
    std::vector<std::string> names;
    int stopAfter = 0;
};
int DB_CALL seeFolder(void* r, void* u) {
    auto* s = static_cast<Seen*>(u);
    s->ids.push_back(static_cast<DB_FOLDERINFO*>(r)->ID);
    s->names.push_back(static_cast<DB_FOLDERINFO*>(r)->Name);
    return s->stopAfter && int(s->ids.size()) >= s->stopAfter ? 1 : 0;
}

DWORD nextFolderId(HKEY root) {
    HKEY db = nullptr;
    RegOpenKeyExA(root, "DB_Fennick", 0, KEY_READ, &db);
    DWORD v = 0, size = 4, type = 0;
    RegQueryValueExA(db, "Next Folder ID", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
    RegCloseKey(db);
    return v;
}

TEST_F(FoldersTest, EmptyNamesTakeTheDefaultThenNumberedNames) {
    DB_FOLDERINFO a{}, b{};
    ASSERT_EQ(t.DB_CreateFolder(0, &a), DB_OK);
    ASSERT_EQ(t.DB_CreateFolder(0, &b), DB_OK);
    EXPECT_STREQ(a.Name, "Folder");
    EXPECT_STREQ(b.Name, "Folder1");
    DB_DOCINFO d{};
    ASSERT_EQ(t.DB_CreateDocument(a.ID, &d), DB_OK);
    EXPECT_STREQ(d.Name, "Document");
    EXPECT_EQ(d.TotalPages, 0u);
}

TEST_F(FoldersTest, ExistingOrInvalidNamesChangeNothing) {
    folder(0, "Same");
    DWORD before = nextFolderId(root);
    DB_FOLDERINFO again{};
    std::snprintf(again.Name, 260, "same");  // key names ignore case
    EXPECT_EQ(t.DB_CreateFolder(0, &again), DB_ERR_EXISTS);
    std::snprintf(again.Name, 260, "a\\b");
    EXPECT_EQ(t.DB_CreateFolder(0, &again), DB_ERR_FAILED);
    EXPECT_EQ(nextFolderId(root), before);
    DB_FOLDERINFO info{};
    EXPECT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_EQ(info.FolderCount, 1u);
}

TEST_F(FoldersTest, DoubleByteNamesMatchAsTheirKeysDo) {
    // Two GBK characters whose trail bytes are 'a' and 'A' are different
    // names, as their registry keys are; ASCII letters around them still fold.
    folder(0, "\xB0\x61");
    DB_FOLDERINFO other{};
    std::snprintf(other.Name, 260, "\xB0\x41");
    EXPECT_EQ(t.DB_CreateFolder(0, &other), DB_OK);
    DWORD doc = document(0, "ab\xB1\x6D");
    DB_DOCINFO same{};
    std::snprintf(same.Name, 260, "AB\xB1\x6D");
    EXPECT_EQ(t.DB_CreateDocument(0, &same), DB_ERR_EXISTS);
    EXPECT_EQ(t.DB_RenameDocument(doc, "\xB0\x61"), DB_ERR_EXISTS);
    ASSERT_EQ(t.DB_RenameDocument(doc, "\xB1\x4D"), DB_OK);  // not a change of case
    DB_DOCINFO info{};
    info.ID = doc;
    ASSERT_EQ(t.DB_GetDocumentInfo(&info), DB_OK);
    EXPECT_STREQ(info.Name, "\xB1\x4D");
    DB_FOLDERINFO top{};
    ASSERT_EQ(t.DB_GetFolderInfo(&top), DB_OK);
    EXPECT_EQ(top.FolderCount, 2u);
    EXPECT_EQ(top.DocCount, 1u);
}

TEST_F(FoldersTest, EnumerationStartsAtTheStartIdAndStopsOnRequest) {
    DWORD p = folder(0, "P");
    folder(p, "a");
    DWORD b = folder(p, "b");
    folder(p, "c");
    document(p, "doc");
    Seen all;
    EXPECT_EQ(t.DB_EnumFolders(p, b, seeFolder, &all), DB_OK);
    EXPECT_EQ(all.names, (std::vector<std::string>{"b", "c"}));
    Seen none;
    EXPECT_EQ(t.DB_EnumFolders(p, 12345, seeFolder, &none), DB_OK);
    EXPECT_TRUE(none.ids.empty());
    Seen one;
    one.stopAfter = 1;
    EXPECT_EQ(t.DB_EnumFolders(p, 0, seeFolder, &one), DB_STOPPED);
    EXPECT_EQ(one.ids.size(), 1u);
    DWORD d = document(0, "top");
    EXPECT_EQ(t.DB_EnumFolders(d, 0, seeFolder, &one), DB_NOT_FOLDER);
    Seen missing;
    EXPECT_EQ(t.DB_EnumFolders(0x7777, 0, seeFolder, &missing), DB_OK);
    EXPECT_TRUE(missing.ids.empty());
}

TEST_F(FoldersTest, TopLevelInfoCountsFoldersAndDocuments) {
    folder(0, "f1");
    folder(0, "f2");
    document(0, "d1");
    document(0, "d2");
    DWORD d3 = document(0, "d3");
    DB_FOLDERINFO info{};
    ASSERT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_EQ(info.FolderCount, 2u);
    EXPECT_EQ(info.DocCount, 3u);
    ASSERT_EQ(t.DB_DeleteDocument(d3), DB_OK);
    ASSERT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_EQ(info.DocCount, 2u);
}

TEST_F(FoldersTest, LookupErrorsHaveTheirOwnCodes) {
    EXPECT_EQ(t.DB_DeleteFolder(1), DB_ERR_NOT_FOUND);  // empty store
    DWORD f = folder(0, "f");
    DWORD d = document(f, "d");
    DB_DOCINFO di{};
    EXPECT_EQ(t.DB_GetDocumentInfo(&di), DB_ERR_FAILED);  // ID 0
    di.ID = f;
    EXPECT_EQ(t.DB_GetDocumentInfo(&di), DB_NOT_DOCUMENT);
    DB_FOLDERINFO fi{};
    fi.ID = d;
    EXPECT_EQ(t.DB_GetFolderInfo(&fi), DB_NOT_FOLDER);
    EXPECT_EQ(t.DB_DeleteFolder(0), DB_ERR_NO_ID);
    EXPECT_EQ(t.DB_DeleteFolder(d), DB_NOT_FOLDER);
    EXPECT_EQ(t.DB_DeleteDocument(f), DB_NOT_DOCUMENT);
    EXPECT_EQ(t.DB_DeleteDocument(999), DB_ERR_NOT_FOUND);
    EXPECT_EQ(t.DB_RenameFolder(0, "x"), DB_ERR_NO_ID);
    DB_FOLDERINFO parent{};
    EXPECT_EQ(t.DB_GetParentInfo(0, &parent), DB_ERR_NO_ID);
    EXPECT_EQ(t.DB_CreateDocument(d, &di), DB_NOT_FOLDER);
}

TEST_F(FoldersTest, ParentInfoNamesTheHoldingFolder) {
    DWORD f = folder(0, "outer");
    DWORD sub = folder(f, "inner");
    DB_FOLDERINFO p{};
    ASSERT_EQ(t.DB_GetParentInfo(sub, &p), DB_OK);
    EXPECT_EQ(p.ID, f);
    EXPECT_STREQ(p.Name, "outer");
    EXPECT_EQ(p.FolderCount, 1u);
    EXPECT_NE(p.CreateTime, 0u);
    // The top level has no times: none are left over from the last answer.
    ASSERT_EQ(t.DB_GetParentInfo(f, &p), DB_OK);
    EXPECT_EQ(p.ID, 0u);
    EXPECT_STREQ(p.Name, "");
    EXPECT_EQ(p.FolderCount, 1u);
    EXPECT_EQ(p.DocCount, 0u);
    EXPECT_EQ(p.CreateTime, 0u);
    EXPECT_EQ(p.ModifiedTime, 0u);
}

TEST_F(FoldersTest, TimesAreTheStoredUtcTimes) {
    DWORD f = folder(0, "now");
    DB_FOLDERINFO info{};
    info.ID = f;
    ASSERT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    std::time_t now = std::time(nullptr);
    EXPECT_LE(std::llabs(static_cast<long long>(info.CreateTime) - now), 5);
    EXPECT_EQ(info.CreateTime, info.ModifiedTime);
}

TEST_F(FoldersTest, MovesUseAFolderIdOnlyWhenTheParentChanges) {
    DWORD a = folder(0, "a"), b = folder(0, "b"), c = folder(0, "c");
    DWORD before = nextFolderId(root);
    DWORD out = 0;
    EXPECT_EQ(t.DB_MoveFolder(a, 0, &out), DB_OK);
    EXPECT_EQ(nextFolderId(root), before);
    EXPECT_EQ(t.DB_MoveFolder(a, b, &out), DB_OK);
    EXPECT_EQ(out, a);
    EXPECT_EQ(nextFolderId(root), before - 1);
    Seen top;
    t.DB_EnumFolders(0, 0, seeFolder, &top);
    EXPECT_EQ(top.names, (std::vector<std::string>{"b", "c"}));
    DB_FOLDERINFO p{};
    ASSERT_EQ(t.DB_GetParentInfo(a, &p), DB_OK);
    EXPECT_EQ(p.ID, b);
    (void)c;
}

TEST_F(FoldersTest, MovedFoldersKeepTheirPagesReachable) {
    DWORD a = folder(0, "a");
    DWORD inner = folder(a, "inner");
    DWORD d = document(inner, "doc", 2);
    DWORD b = folder(0, "b");
    std::string before = fileBytes(pageFile(d, 2));
    DWORD out = 0;
    ASSERT_EQ(t.DB_MoveFolder(a, b, &out), DB_OK);
    EXPECT_EQ(fileBytes(pageFile(d, 2)), before);
    EXPECT_EQ(docKeyPath(d), "DB_Fennick\\b\\a\\inner\\doc");
    reopen();
    EXPECT_EQ(fileBytes(pageFile(d, 2)), before);
}

TEST_F(FoldersTest, FoldersCannotMoveOrCopyIntoTheirOwnSubtree) {
    DWORD a = folder(0, "a");
    DWORD sub = folder(a, "sub");
    DWORD deeper = folder(sub, "deeper");
    std::string before = contentOf();
    DWORD out = 0;
    EXPECT_EQ(t.DB_MoveFolder(a, deeper, &out), DB_ERR_FAILED);
    EXPECT_EQ(t.DB_MoveFolder(a, a, &out), DB_ERR_FAILED);
    EXPECT_EQ(t.DB_CopyFolder(a, sub, nullptr, nullptr, nullptr, &out), DB_ERR_FAILED);
    EXPECT_EQ(t.DB_CopyFolder(a, a, "again", nullptr, nullptr, &out), DB_ERR_FAILED);
    EXPECT_EQ(contentOf(), before);
}

TEST_F(FoldersTest, MoveOntoAnExistingNameIsRefused) {
    DWORD a = folder(0, "x");
    DWORD b = folder(0, "b");
    folder(b, "X");
    DWORD d = document(0, "d");
    document(b, "D");
    DWORD out = 0;
    EXPECT_EQ(t.DB_MoveFolder(a, b, &out), DB_ERR_EXISTS);
    EXPECT_EQ(t.DB_MoveDocument(d, b, &out), DB_ERR_EXISTS);
    EXPECT_EQ(t.DB_MoveDocument(d, d, &out), DB_NOT_FOLDER);
    EXPECT_EQ(t.DB_MoveDocument(b, 0, &out), DB_NOT_DOCUMENT);
}

TEST_F(FoldersTest, RenamesRebuildPathsAndRefuseTakenNames) {
    DWORD a = folder(0, "a");
    DWORD d = document(a, "doc", 1);
    folder(0, "taken");
    EXPECT_EQ(t.DB_RenameFolder(a, "taken"), DB_ERR_EXISTS);
    EXPECT_EQ(t.DB_RenameFolder(a, ""), DB_ERR_FAILED);
    ASSERT_EQ(t.DB_RenameFolder(a, "renamed"), DB_OK);
    EXPECT_EQ(docKeyPath(d), "DB_Fennick\\renamed\\doc");
    ASSERT_EQ(t.DB_RenameDocument(d, "Doc"), DB_OK);  // a change of case only
    DB_DOCINFO info{};
    info.ID = d;
    ASSERT_EQ(t.DB_GetDocumentInfo(&info), DB_OK);
    EXPECT_STREQ(info.Name, "Doc");
    EXPECT_EQ(info.TotalPages, 1u);
    pageFile(d, 1);
    reopen();
    ASSERT_EQ(t.DB_GetDocumentInfo(&info), DB_OK);
    EXPECT_STREQ(info.Name, "Doc");
}

struct Progress {
    std::vector<std::pair<DWORD, DWORD>> calls;
};
int DB_CALL copyProgress(DWORD total, DWORD done, const char*, const char*, void* user) {
    static_cast<Progress*>(user)->calls.emplace_back(total, done);
    return 0;
}

TEST_F(FoldersTest, CopiesGetTheirOwnPageFiles) {
    DWORD a = folder(0, "a");
    DWORD d = document(a, "doc", 3);
    folder(a, "empty");
    DWORD b = folder(0, "b");
    Progress p;
    DWORD copy = 0;
    ASSERT_EQ(t.DB_CopyDocument(d, b, nullptr, copyProgress, &p, &copy), DB_OK);
    EXPECT_EQ(p.calls, (std::vector<std::pair<DWORD, DWORD>>{{3, 0}, {3, 1}, {3, 2}, {3, 3}}));
    for (DWORD i = 1; i <= 3; ++i) {
        EXPECT_NE(pageFile(copy, i), pageFile(d, i));
        EXPECT_EQ(fileBytes(pageFile(copy, i)), fileBytes(pageFile(d, i)));
    }
    DWORD tree = 0;
    ASSERT_EQ(t.DB_CopyFolder(a, 0, "a copy", nullptr, nullptr, &tree), DB_OK);
    DB_FOLDERINFO info{};
    info.ID = tree;
    ASSERT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_EQ(info.FolderCount, 1u);
    EXPECT_EQ(info.DocCount, 1u);
    // Deleting the original leaves the copies' files.
    ASSERT_EQ(t.DB_DeleteFolder(a), DB_OK);
    ULONGLONG pages = 0, thumbs = 0;
    ASSERT_EQ(t.DB_GetFolderSize(tree, &pages, &thumbs), DB_OK);
    EXPECT_GT(pages, 0u);
    EXPECT_GT(thumbs, 0u);
    EXPECT_EQ(t.DB_CopyDocument(copy, b, nullptr, nullptr, nullptr, &tree), DB_ERR_EXISTS);
}

TEST_F(FoldersTest, SizesSumPagesAndThumbnails) {
    DWORD f = folder(0, "f");
    DWORD d = document(f, "d", 2);
    DWORD sub = folder(f, "sub");
    DWORD e = document(sub, "e", 1);
    ULONGLONG dp = 0, dt = 0, ep = 0, et = 0, fp = 0, ft = 0, all = 0;
    ASSERT_EQ(t.DB_GetDocumentSize(d, &dp, &dt), DB_OK);
    ASSERT_EQ(t.DB_GetDocumentSize(e, &ep, &et), DB_OK);
    ASSERT_EQ(t.DB_GetFolderSize(f, &fp, &ft), DB_OK);
    ASSERT_EQ(t.DB_GetFolderSize(0, &all, nullptr), DB_OK);
    EXPECT_EQ(dp, std::filesystem::file_size(pageFile(d, 1)) + std::filesystem::file_size(pageFile(d, 2)));
    EXPECT_EQ(fp, dp + ep);
    EXPECT_EQ(ft, dt + et);
    EXPECT_EQ(all, fp);
}

TEST_F(FoldersTest, DeletingAFolderDeletesItsPageFiles) {
    DWORD f = folder(0, "f");
    DWORD sub = folder(f, "sub");
    DWORD d = document(sub, "d", 2);
    std::string page = pageFile(d, 1);
    ASSERT_TRUE(std::filesystem::exists(page + ".Thn"));
    ASSERT_EQ(t.DB_DeleteFolder(f), DB_OK);
    EXPECT_FALSE(std::filesystem::exists(page));
    EXPECT_FALSE(std::filesystem::exists(page + ".Thn"));
    DB_FOLDERINFO info{};
    ASSERT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_EQ(info.FolderCount, 0u);
}

}  // namespace
}  // namespace tabellon_test
