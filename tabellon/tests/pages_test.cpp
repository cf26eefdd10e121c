// Page files: names, page order, thumbnails, replacement, images from the
// host and writing pages out.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tabellon/tests/store_host.h"

namespace fs = std::filesystem;

namespace tabellon_test {
namespace {

class PagesTest : public StoreTest {
protected:
    std::vector<std::string> leaves(DWORD doc) {
        std::vector<std::string> out;
        for (const std::string& v : pageValues(doc)) out.push_back(v.substr(v.find(',') + 1));
        return out;
    }
};

TEST_F(PagesTest, PagesAddedInOneSecondGetDistinctNames) {
    DWORD d = document(0, "d");
    addPage(d, 1);
    addPage(d, 1);
    auto v = pageValues(d);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_NE(v[0], v[1]);
    EXPECT_EQ(v[0].rfind("1,1-", 0), 0u) << v[0];  // storage folder 1, document 1
    EXPECT_TRUE(v[0].ends_with(".png"));
}

TEST_F(PagesTest, DeletingAMiddlePageClosesTheGap) {
    DWORD d = document(0, "d", 3);
    auto before = leaves(d);
    std::string gone = pageFile(d, 2);
    ASSERT_EQ(t.DB_DeletePage(d, 2), DB_OK);
    auto after = leaves(d);
    EXPECT_EQ(after, (std::vector<std::string>{before[0], before[2]}));
    EXPECT_FALSE(fs::exists(gone));
    EXPECT_FALSE(fs::exists(gone + ".Thn"));
    EXPECT_EQ(t.DB_DeletePage(d, 3), DB_ERR_NOT_FOUND);
    EXPECT_EQ(t.DB_DeletePage(d, 0), DB_ERR_NOT_FOUND);
}

TEST_F(PagesTest, InsertingAtTheFrontShiftsThePages) {
    DWORD d = document(0, "d", 2);
    auto before = leaves(d);
    std::string file = writeImage(scratch + "/front.bmp", DB_FORMAT_BMP, 20, 20, 99);
    DWORD pos = 1;
    ASSERT_EQ(t.DB_InsertPageFile(d, &pos, file.c_str()), DB_OK);
    EXPECT_EQ(pos, 2u);
    auto after = leaves(d);
    ASSERT_EQ(after.size(), 3u);
    EXPECT_TRUE(after[0].ends_with(".bmp"));
    EXPECT_EQ(after[1], before[0]);
    EXPECT_EQ(after[2], before[1]);
    pos = 9;
    EXPECT_EQ(t.DB_InsertPageFile(d, &pos, file.c_str()), DB_ERR_NOT_FOUND);
    pos = DB_APPEND;
    ASSERT_EQ(t.DB_InsertPageFile(d, &pos, file.c_str()), DB_OK);
    EXPECT_EQ(pos, 4u);
}

TEST_F(PagesTest, MovingPagesWithinAndBetweenDocuments) {
    DWORD a = document(0, "a", 4);
    auto p = leaves(a);
    ASSERT_EQ(t.DB_MovePage(a, a, 3, 1), DB_OK);
    EXPECT_EQ(leaves(a), (std::vector<std::string>{p[2], p[0], p[1], p[3]}));
    ASSERT_EQ(t.DB_MovePage(a, a, 1, DB_APPEND), DB_OK);
    EXPECT_EQ(leaves(a), (std::vector<std::string>{p[0], p[1], p[3], p[2]}));
    DWORD b = document(0, "b", 3);
    auto q = leaves(b);
    std::string moved = leaves(a)[0];
    ASSERT_EQ(t.DB_MovePage(a, b, 1, 1), DB_OK);
    EXPECT_EQ(leaves(b), (std::vector<std::string>{moved, q[0], q[1], q[2]}));
    EXPECT_EQ(leaves(a).size(), 3u);
    // A position before the last inserts there; it does not append.
    std::string next = leaves(a)[0];
    ASSERT_EQ(t.DB_MovePage(a, b, 1, 4), DB_OK);
    EXPECT_EQ(leaves(b)[3], next);
    EXPECT_EQ(leaves(b).size(), 5u);
    EXPECT_EQ(t.DB_MovePage(a, b, 1, 7), DB_ERR_NOT_FOUND);
    EXPECT_EQ(t.DB_MovePage(a, a, 5, 1), DB_ERR_NOT_FOUND);
}

TEST_F(PagesTest, CopiedPagesHaveTheirOwnFiles) {
    DWORD a = document(0, "a", 2);
    DWORD b = document(0, "b", 1);
    ASSERT_EQ(t.DB_CopyPage(a, b, 2, 1), DB_OK);
    ASSERT_EQ(t.DB_CopyPage(a, a, 1, DB_APPEND), DB_OK);
    EXPECT_EQ(fileBytes(pageFile(b, 1)), fileBytes(pageFile(a, 2)));
    EXPECT_NE(pageFile(b, 1), pageFile(a, 2));
    EXPECT_EQ(fileBytes(pageFile(a, 3)), fileBytes(pageFile(a, 1)));
    EXPECT_TRUE(fs::exists(pageFile(b, 1) + ".Thn"));
    ASSERT_EQ(t.DB_DeleteDocument(a), DB_OK);
    EXPECT_TRUE(fs::exists(pageFile(b, 1)));
}

TEST_F(PagesTest, ThumbnailsFitTheConfiguredSquare) {
    DWORD d = document(0, "d");
    std::string file = writeImage(scratch + "/wide.tif", DB_FORMAT_TIF, 100, 50, 3);
    DWORD page = 0;
    ASSERT_EQ(t.DB_AppendPageFile(d, file.c_str(), &page), DB_OK);
    EXPECT_EQ(page, 1u);
    char path[260], thumb[260];
    ASSERT_EQ(t.DB_GetPageFileName(d, 1, path, thumb), DB_OK);
    EXPECT_EQ(std::string(thumb), std::string(path) + ".Thn");
    int format = -1;
    IL_FILEINFO info{};
    ASSERT_EQ(imageLib().GetImageFileInfo(thumb, &format, &info), 0);
    EXPECT_EQ(format, DB_FORMAT_BMP);
    EXPECT_EQ(info.Width, 32u);
    EXPECT_EQ(info.Height, 16u);
    EXPECT_EQ(fileBytes(pageFile(d, 1)), fileBytes(file));
}

TEST_F(PagesTest, FilesThatAreNotImagesAreRefused) {
    DWORD d = document(0, "d", 1);
    std::string junk = scratch + "/junk.png";
    std::FILE* f = std::fopen(junk.c_str(), "wb");
    std::fputs("not a picture", f);
    std::fclose(f);
    DWORD page = 0;
    EXPECT_EQ(t.DB_AppendPageFile(d, junk.c_str(), &page), DB_ERR_BAD_IMAGE);
    EXPECT_EQ(t.DB_ReplacePageFile(d, 1, junk.c_str()), DB_ERR_BAD_IMAGE);
    EXPECT_EQ(t.DB_AppendPageFile(d, (scratch + "/missing.png").c_str(), &page), DB_ERR_BAD_IMAGE);
    EXPECT_EQ(pageValues(d).size(), 1u);
    EXPECT_EQ(t.DB_AppendPageFile(0, junk.c_str(), &page), DB_ERR_FAILED);
}

TEST_F(PagesTest, ReplacingAPageWritesANewFileBeforeDroppingTheOld) {
    DWORD d = document(0, "d", 2);
    std::string old = pageFile(d, 1);
    std::string file = writeImage(scratch + "/new.jpg", DB_FORMAT_JPG, 30, 30, 5);
    ASSERT_EQ(t.DB_ReplacePageFile(d, 1, file.c_str()), DB_OK);
    std::string now = pageFile(d, 1);
    EXPECT_NE(now, old);
    EXPECT_EQ(fileBytes(now), fileBytes(file));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_FALSE(fs::exists(old + ".Thn"));
    EXPECT_TRUE(fs::exists(now + ".Thn"));
    EXPECT_EQ(t.DB_ReplacePageFile(d, 3, file.c_str()), DB_ERR_NOT_FOUND);
}

TEST_F(PagesTest, AFileAlreadyInAStorageFolderIsTakenInPlaceOnce) {
    DWORD d = document(0, "d");
    char name[260] = {};
    ASSERT_EQ(t.DB_GetNewPageFileName(d, name, DB_FORMAT_PNG, 1000), DB_OK);
    std::string native(name);
    for (char& c : native)
        if (c == '\\') c = '/';
    writeImage(native, DB_FORMAT_PNG, 20, 20, 8);
    DWORD page = 0;
    ASSERT_EQ(t.DB_AppendPageFile(d, name, &page), DB_OK);
    EXPECT_EQ(pageFile(d, 1), native);
    // The same file again must not become a second page sharing one file.
    ASSERT_EQ(t.DB_AppendPageFile(d, name, &page), DB_OK);
    EXPECT_NE(pageFile(d, 2), native);
    ASSERT_EQ(t.DB_DeletePage(d, 1), DB_OK);
    EXPECT_TRUE(fs::exists(pageFile(d, 1)));
}

TEST_F(PagesTest, NewNamesOutsideTheFormatsHaveNoExtension) {
    DWORD d = document(0, "d");
    char name[260] = {};
    ASSERT_EQ(t.DB_GetNewPageFileName(d, name, 7, 10), DB_OK);
    EXPECT_EQ(std::string(name).back(), '.');
    EXPECT_EQ(t.DB_GetNewPageFileName(d, name, DB_FORMAT_TIF, 0xFFFFFFFFu), DB_OK);
    EXPECT_TRUE(std::string(name).ends_with(".tif"));
}

TEST_F(PagesTest, MissingPageFilesAreReportedNotHandedOut) {
    DWORD d = document(0, "d", 1);
    fs::remove(pageFile(d, 1));
    char path[260] = "unchanged";
    EXPECT_EQ(t.DB_GetPageFileName(d, 1, path, nullptr), DB_ERR_FAILED);
    EXPECT_STREQ(path, "unchanged");
    EXPECT_EQ(t.DB_GetPageFileName(d, 2, path, nullptr), DB_ERR_NOT_FOUND);
    ASSERT_EQ(t.DB_DeletePage(d, 1), DB_OK);  // the value still leaves the order
}

IL_IMAGE* makeImage(int w, int h, DWORD flags) {
    auto* header = new IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), w, h, DWORD((w * 3 + 3) & ~3), 24, 0, 0, 0};
    auto* bits = static_cast<BYTE*>(std::calloc(size_t(header->BytesPerLine) * size_t(h), 1));
    for (int i = 0; i < w * 3; ++i) bits[i] = BYTE(i);
    return new IL_IMAGE{header, flags, bits};
}

TEST_F(PagesTest, HostImagesAreSavedAsPages) {
    DWORD d = document(0, "d", 1);
    IL_IMAGE* keep = makeImage(20, 10, 0);
    IL_SAVEOPTIONS options{1, 80};
    DWORD page = 0;
    ASSERT_EQ(t.DB_AppendPageImage(d, keep, DB_FORMAT_PNG, &options, &page), DB_OK);
    EXPECT_EQ(page, 2u);
    EXPECT_NE(keep->Header, nullptr);  // not asked to free it
    IL_IMAGE* freed = makeImage(20, 10, IL_FLAG_FREE_AFTER_USE);
    page = 1;
    ASSERT_EQ(t.DB_InsertPageImage(d, freed, DB_FORMAT_JPG, &options, &page), DB_OK);
    EXPECT_EQ(page, 2u);
    EXPECT_EQ(freed->Header, nullptr);
    EXPECT_TRUE(pageFile(d, 1).ends_with(".jpg"));
    std::string old = pageFile(d, 3);
    ASSERT_EQ(t.DB_ReplacePageImage(d, 3, keep, DB_FORMAT_BMP, &options), DB_OK);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_FALSE(fs::exists(old + ".Thn"));
    EXPECT_TRUE(pageFile(d, 3).ends_with(".bmp"));
    EXPECT_TRUE(fs::exists(pageFile(d, 3) + ".Thn"));
    EXPECT_NE(keep->Header, nullptr);
    // A replacement asked to free its image does so once the page is in place.
    IL_IMAGE* once = makeImage(20, 10, IL_FLAG_FREE_AFTER_USE);
    old = pageFile(d, 1);
    ASSERT_EQ(t.DB_ReplacePageImage(d, 1, once, DB_FORMAT_PNG, &options), DB_OK);
    EXPECT_EQ(once->Header, nullptr);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(pageFile(d, 1).ends_with(".png"));
    EXPECT_EQ(pageValues(d).size(), 3u);
    delete once;
    // A save that fails reports it and keeps the old page.
    std::string still = pageFile(d, 3);
    EXPECT_EQ(t.DB_ReplacePageImage(d, 3, keep, 9, &options), DB_ERR_NO_SPACE);
    EXPECT_EQ(t.DB_AppendPageImage(d, keep, 9, &options, &page), DB_ERR_NO_SPACE);
    EXPECT_EQ(pageFile(d, 3), still);
    EXPECT_EQ(pageValues(d).size(), 3u);
    imageLib().FreeImage(keep);
    delete keep;
    delete freed;
}

TEST_F(PagesTest, NumberedExportsPadWithSpaces) {
    DWORD d = document(0, "d", 2);
    std::string out = freshFolder("out") + "/";
    DB_EXPORTSPEC spec{};
    spec.ExplicitName = 0;
    std::snprintf(spec.Path, 260, "%s", out.c_str());
    std::snprintf(spec.Target.Prefix, 80, "pg");
    spec.Digits = 3;
    spec.Format = DB_FORMAT_JPG;
    spec.Quality = 75;
    char name[260] = {};
    ASSERT_EQ(t.DB_ExportPage(d, 1, &spec, name), DB_OK);
    EXPECT_EQ(std::string(name), out + "pg  1.jpg");
    ASSERT_EQ(t.DB_ExportPage(d, 2, &spec, name), DB_OK);
    EXPECT_EQ(std::string(name), out + "pg  2.jpg");
    spec.Format = 0xFFFFFFFFu;  // unchanged copy keeps the page's extension
    ASSERT_EQ(t.DB_ExportPage(d, 2, &spec, name), DB_OK);
    EXPECT_EQ(std::string(name), out + "pg  1.png");  // numbers count per name
    EXPECT_EQ(fileBytes(name), fileBytes(pageFile(d, 2)));
    spec.Digits = 1;  // numbers 1..8 only
    spec.Format = DB_FORMAT_BMP;
    for (int i = 1; i <= 8; ++i) ASSERT_EQ(t.DB_ExportPage(d, 1, &spec, name), DB_OK);
    EXPECT_EQ(t.DB_ExportPage(d, 1, &spec, name), DB_ERR_FAILED);
}

struct ExportLog {
    std::string folder;
    std::vector<std::string> written;
};
int DB_CALL exportPages(int stage, DWORD, DWORD page, const char* file, DB_EXPORTSPEC* spec, void* user) {
    auto* log = static_cast<ExportLog*>(user);
    if (stage == 2) {
        log->written.push_back(file);
        return 0;
    }
    if (page == 1) {
        std::snprintf(spec->Path, 260, "%sfirst.bmp", log->folder.c_str());
        spec->Target.Explicit.Format = DB_FORMAT_BMP;
        return 0;
    }
    spec->ExplicitName = 0;
    std::snprintf(spec->Path, 260, "%s", log->folder.c_str());
    std::snprintf(spec->Target.Prefix, 80, "p");
    spec->Digits = 2;
    spec->Format = DB_FORMAT_PNG;
    return 0;
}

TEST_F(PagesTest, ExportPagesAsksPerPageUntilNumberedNamesTakeOver) {
    DWORD d = document(0, "d", 3);
    ExportLog log{freshFolder("pages-out") + "/", {}};
    ASSERT_EQ(t.DB_ExportPages(d, exportPages, &log), DB_OK);
    EXPECT_EQ(log.written,
              (std::vector<std::string>{log.folder + "first.bmp", log.folder + "p 1.png", log.folder + "p 2.png"}));
    for (auto& f : log.written) EXPECT_TRUE(fs::exists(f)) << f;
}

}  // namespace
}  // namespace tabellon_test

namespace tabellon_test {
namespace {

class StorageTest : public StoreTest {};

TEST_F(StorageTest, ReorderedFoldersOnlyRenumberTheValues) {
    std::string second = freshFolder("second") + "/s";
    storage.push_back(second);
    Config two(storage);
    t.DB_SetStorageFolders(&two.config, nullptr);
    DWORD d = document(0, "d", 2);
    std::string before = contentOf();
    std::reverse(storage.begin(), storage.end());
    Config swapped(storage);
    t.DB_SetStorageFolders(&swapped.config, nullptr);
    EXPECT_EQ(pageValues(d)[0].substr(0, 2), "2,");
    EXPECT_EQ(contentOf(), before);
}

TEST_F(StorageTest, LeavingFoldersHandTheirPagesOnWithoutOverwriting) {
    DWORD d = document(0, "d", 2);
    std::string before = contentOf();
    std::string oldFolder = storage[0];
    std::string moved = freshFolder("target") + "/pages";
    fs::create_directories(moved);
    // A stranger's file under the name the first page has.
    std::string leaf = pageValues(d)[0].substr(2);
    {
        std::ofstream(moved + "/" + leaf) << "someone else's file";
    }
    storage = {moved};
    Config next(storage);
    t.DB_SetStorageFolders(&next.config, nullptr);
    EXPECT_EQ(contentOf(), before);
    EXPECT_EQ(fileBytes(moved + "/" + leaf), "someone else's file");
    for (auto& v : pageValues(d)) EXPECT_EQ(v.substr(0, 2), "1,") << v;
    size_t left = 0;
    for (auto& e : fs::directory_iterator(oldFolder)) left += e.is_regular_file();
    EXPECT_EQ(left, 0u);
    reopen();
    EXPECT_EQ(contentOf(), before);
}

int DB_CALL stopMoving(DWORD, DWORD, DWORD, DWORD) { return 0; }

TEST_F(StorageTest, AStoppedMoveKeepsTheLeavingFolderInTheList) {
    document(0, "d", 3);
    std::string before = contentOf();
    std::string oldFolder = storage[0];
    // Another volume is not at hand here; a progress that stops at once still
    // lets the first page move and keeps the rest where they are.
    std::string moved = freshFolder("target2") + "/pages";
    Config next({moved});
    next.config.Progress = stopMoving;
    t.DB_SetStorageFolders(&next.config, nullptr);
    storage = {moved, oldFolder};
    EXPECT_EQ(contentOf(), before);
}

}  // namespace
}  // namespace tabellon_test
