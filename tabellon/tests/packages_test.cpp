// Package files: round trips of a document, a folder and the whole store,
// the byte layout, the old layout, and packages that are damaged.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tabellon/tests/store_host.h"

namespace fs = std::filesystem;

namespace tabellon_test {
namespace {

std::uint64_t le(const std::string& b, size_t at, int width) {
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | std::uint8_t(b[at + size_t(i)]);
    return v;
}

void put(std::string& b, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) b.push_back(char(v >> (8 * i)));
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class PackagesTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        out = freshFolder("packages");
    }
    std::string pkg(const char* name) { return out + "/" + name; }
    std::string out;
};

struct Calls {
    std::vector<DWORD> pages;
    DWORD stopAt = 0xFFFFFFFFu;
};
int DB_CALL exportProgress(DWORD, DWORD, DWORD page, void* user) {
    auto* c = static_cast<Calls*>(user);
    c->pages.push_back(page);
    return page == c->stopAt ? DB_STOPPED : 0;
}
int DB_CALL importProgress(DWORD one, const char*, DWORD, DWORD page, void* user) {
    EXPECT_EQ(one, 1u);
    static_cast<Calls*>(user)->pages.push_back(page);
    return 0;
}

TEST_F(PackagesTest, DocumentRoundTripReplacesTheDocumentAtItsPath) {
    DWORD a = folder(0, "A");
    DWORD d = document(a, "doc", 3);
    std::string saved = contentOf();
    std::string oldPage = pageFile(d, 1);
    Calls progress;
    ASSERT_EQ(t.DB_ExportDocumentPackage(d, pkg("doc.pkg").c_str(), exportProgress, &progress), DB_OK);
    EXPECT_EQ(progress.pages, (std::vector<DWORD>{0, 1, 2, 3}));
    int kind = -1;
    char path[260] = {};
    ASSERT_EQ(t.DB_GetPackageInfo(pkg("doc.pkg").c_str(), &kind, path), DB_OK);
    EXPECT_EQ(kind, 0);
    EXPECT_STREQ(path, "A\\doc");
    ASSERT_EQ(t.DB_DeletePage(d, 2), DB_OK);
    DWORD imported = 0;
    Calls importCalls;
    ASSERT_EQ(t.DB_ImportPackage(pkg("doc.pkg").c_str(), &imported, importProgress, &importCalls), DB_OK);
    EXPECT_EQ(importCalls.pages, (std::vector<DWORD>{1, 2, 3}));
    EXPECT_NE(imported, d);
    EXPECT_EQ(contentOf(), saved);
    EXPECT_FALSE(fs::exists(oldPage));
    DB_DOCINFO info{};
    info.ID = d;
    EXPECT_EQ(t.DB_GetDocumentInfo(&info), DB_NOT_DOCUMENT);
    // Into an empty store the missing folders along the path are made.
    ASSERT_EQ(t.DB_DeleteFolder(a), DB_OK);
    ASSERT_EQ(t.DB_ImportPackage(pkg("doc.pkg").c_str(), &imported, nullptr, nullptr), DB_OK);
    EXPECT_EQ(contentOf(), saved);
}

TEST_F(PackagesTest, DocumentWithoutPagesHasOnlyHeaderInfoAndTrailer) {
    DWORD d = document(0, "empty");
    ASSERT_EQ(t.DB_ExportDocumentPackage(d, pkg("e.pkg").c_str(), nullptr, nullptr), DB_OK);
    std::string b = fileBytes(pkg("e.pkg"));
    ASSERT_GT(b.size(), 32u);
    EXPECT_EQ(b.substr(0, 16), "GGYY7788GYGY7878");
    EXPECT_EQ(le(b, 16, 8), 5u);
    EXPECT_EQ(b.substr(24, 5), "empty");
    std::uint64_t info = le(b, b.size() - 8, 8);
    EXPECT_EQ(info, 29u);
    std::string text = b.substr(29, b.size() - 8 - 29);
    EXPECT_NE(text.find("Total Pages=0"), std::string::npos) << text;
    EXPECT_EQ(text.find("[Files]"), std::string::npos) << text;
}

TEST_F(PackagesTest, FolderRoundTripKeepsTheFolderAndReplacesItsContents) {
    DWORD top = folder(0, "top");
    DWORD a = folder(top, "A");
    document(a, "d1", 2);
    DWORD b = folder(a, "B");
    document(b, "d2", 1);
    document(a, "d3", 1);
    std::string saved = contentOf();
    ASSERT_EQ(t.DB_ExportFolderPackage(a, pkg("a.pkg").c_str(), nullptr, nullptr), DB_OK);
    std::string bytes = fileBytes(pkg("a.pkg"));
    EXPECT_EQ(bytes.substr(0, 16), "GGYY7788GYGY7877");
    EXPECT_EQ(le(bytes, 16, 8), 5u);  // "top\A", a 64-bit length so it reads back as the current layout
    EXPECT_EQ(bytes.substr(24, 5), "top\\A");
    ASSERT_EQ(t.DB_DeleteFolder(b), DB_OK);
    document(a, "extra", 1);
    DWORD id = 0;
    ASSERT_EQ(t.DB_ImportPackage(pkg("a.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    EXPECT_EQ(contentOf(), saved);
    DB_FOLDERINFO parent{};
    ASSERT_EQ(t.DB_GetParentInfo(id, &parent), DB_OK);
    EXPECT_EQ(parent.ID, top);
    DB_FOLDERINFO info{};
    info.ID = id;
    ASSERT_EQ(t.DB_GetFolderInfo(&info), DB_OK);
    EXPECT_STREQ(info.Name, "A");
}

TEST_F(PackagesTest, WholeStoreRoundTripEmptiesTheStoreFirst) {
    DWORD a = folder(0, "A");
    document(a, "d", 2);
    document(0, "loose", 1);
    std::string saved = contentOf();
    ASSERT_EQ(t.DB_ExportFolderPackage(0, pkg("all.pkg").c_str(), nullptr, nullptr), DB_OK);
    int kind = -1;
    char path[260] = "x";
    ASSERT_EQ(t.DB_GetPackageInfo(pkg("all.pkg").c_str(), &kind, path), DB_OK);
    EXPECT_EQ(kind, 1);
    EXPECT_STREQ(path, "");
    std::string b = fileBytes(pkg("all.pkg"));
    EXPECT_EQ(le(b, 16, 8), 0u);
    EXPECT_EQ(le(b, 24, 4), 0u);
    EXPECT_EQ(le(b, 28, 4), 1000u);
    folder(0, "new");
    document(a, "more", 1);
    DWORD id = 5;
    ASSERT_EQ(t.DB_ImportPackage(pkg("all.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(contentOf(), saved);
}

TEST_F(PackagesTest, ExportsNeverLeaveAHalfPackageOrDestroyAnOldOne) {
    DWORD d = document(0, "d", 3);
    writeBytes(pkg("keep.pkg"), "precious");
    Calls stop;
    stop.stopAt = 2;
    EXPECT_EQ(t.DB_ExportDocumentPackage(d, pkg("keep.pkg").c_str(), exportProgress, &stop), DB_STOPPED);
    EXPECT_EQ(fileBytes(pkg("keep.pkg")), "precious");
    EXPECT_EQ(t.DB_ExportFolderPackage(0x12345, pkg("keep.pkg").c_str(), nullptr, nullptr), DB_ERR_NOT_FOUND);
    EXPECT_EQ(t.DB_ExportFolderPackage(d, pkg("keep.pkg").c_str(), nullptr, nullptr), DB_NOT_FOLDER);
    EXPECT_EQ(t.DB_ExportDocumentPackage(d, (out + "/no/such/folder/x.pkg").c_str(), nullptr, nullptr),
              DB_ERR_CREATE_FILE);
    EXPECT_EQ(fileBytes(pkg("keep.pkg")), "precious");
    size_t files = 0;
    for (auto& e : fs::directory_iterator(out)) files += e.is_regular_file();
    EXPECT_EQ(files, 1u);
    ASSERT_EQ(t.DB_ExportDocumentPackage(d, pkg("keep.pkg").c_str(), nullptr, nullptr), DB_OK);
    EXPECT_EQ(fileBytes(pkg("keep.pkg")).substr(0, 16), "GGYY7788GYGY7878");
}

// An old-layout document package: 32-bit header length and positions.
std::string oldDocumentPackage(const std::string& path, const std::string& page, const std::string& thumb,
                               const std::string& ext) {
    std::string b = "GGYY7788GYGY7878";
    put(b, path.size(), 4);
    b += path;
    std::uint64_t at = b.size();
    b += page;
    b += thumb;
    std::uint64_t info = b.size();
    b += "[System]\r\nType=0\r\nPath=" + path + "\r\nTotal Pages=1\r\nDoc Name=x\r\n[Files]\r\n1=" + ext + "," +
         std::to_string(at) + "," + std::to_string(page.size()) + "," + std::to_string(thumb.size()) + "\r\n";
    put(b, info, 4);
    return b;
}

TEST_F(PackagesTest, OldLayoutPackagesImportUpToTheirSizeLimit) {
    std::string image = fileBytes(writeImage(scratch + "/p.png", DB_FORMAT_PNG, 20, 20, 4));
    std::string small = oldDocumentPackage("old doc", image, "thumb", "XYZ");
    writeBytes(pkg("old.pkg"), small);
    int kind = -1;
    char path[260] = {};
    ASSERT_EQ(t.DB_GetPackageInfo(pkg("old.pkg").c_str(), &kind, path), DB_OK);
    EXPECT_STREQ(path, "old doc");
    DWORD id = 0;
    ASSERT_EQ(t.DB_ImportPackage(pkg("old.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    EXPECT_EQ(fileBytes(pageFile(id, 1)), image);
    EXPECT_TRUE(pageFile(id, 1).ends_with(".png"));  // an unknown extension is stored as PNG
    EXPECT_EQ(fileBytes(pageFile(id, 1) + ".Thn"), "thumb");
    // Exactly 4 MiB is read; one byte more is refused.
    auto sized = [&](size_t want) {
        size_t pad = 0;
        std::string p = oldDocumentPackage("big doc", image, "", "PNG");
        while (p.size() != want) {
            pad += want - p.size();
            p = oldDocumentPackage("big doc", image + std::string(pad, 'x'), "", "PNG");
        }
        return p;
    };
    std::string padded = sized(0x400000);
    writeBytes(pkg("big.pkg"), padded);
    EXPECT_EQ(t.DB_ImportPackage(pkg("big.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    std::string over = sized(0x400001);
    writeBytes(pkg("over.pkg"), over);
    std::string before = contentOf();
    EXPECT_EQ(t.DB_ImportPackage(pkg("over.pkg").c_str(), &id, nullptr, nullptr), DB_ERR_BAD_IMAGE);
    EXPECT_EQ(contentOf(), before);
}

TEST_F(PackagesTest, FolderPackagesOfEarlierVersionsImport) {
    // 32-bit path length in the header, 64-bit positions everywhere else.
    std::string image = fileBytes(writeImage(scratch + "/p.bmp", DB_FORMAT_BMP, 16, 8, 2));
    std::string b = "GGYY7788GYGY7877";
    put(b, 1, 4);
    b += "F";
    std::uint64_t at = b.size();
    b += image;
    std::uint64_t docInfo = b.size();
    b += "[System]\r\nType=0\r\nPath=F\\doc\r\nTotal Pages=1\r\nDoc Name=doc\r\n[Files]\r\n1=BMP," + std::to_string(at) +
         "," + std::to_string(image.size()) + ",0\r\n";
    put(b, docInfo, 8);
    std::uint64_t end = b.size();
    std::uint64_t info = b.size();
    b += "[System]\r\nType=2\r\nPath=F\r\n[Folder]\r\n1=F\r\n[Document]\r\n1=" + std::to_string(end) + "\r\n";
    put(b, info, 8);
    writeBytes(pkg("earlier.pkg"), b);
    DWORD id = 0;
    ASSERT_EQ(t.DB_ImportPackage(pkg("earlier.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    DB_FOLDERINFO f{};
    f.ID = id;
    ASSERT_EQ(t.DB_GetFolderInfo(&f), DB_OK);
    EXPECT_STREQ(f.Name, "F");
    EXPECT_EQ(f.DocCount, 1u);
}

TEST_F(PackagesTest, DamagedPackagesAreRefusedAndChangeNothing) {
    DWORD a = folder(0, "A");
    document(a, "d1", 2);
    document(a, "d2", 1);
    ASSERT_EQ(t.DB_ExportFolderPackage(a, pkg("a.pkg").c_str(), nullptr, nullptr), DB_OK);
    std::string good = fileBytes(pkg("a.pkg"));
    std::string before = contentOf();
    DWORD id = 0;
    writeBytes(pkg("bad.pkg"), "GGYY7788GYGY78");
    EXPECT_EQ(t.DB_ImportPackage(pkg("bad.pkg").c_str(), &id, nullptr, nullptr), DB_ERR_FAILED);
    EXPECT_EQ(t.DB_ImportPackage(pkg("missing.pkg").c_str(), &id, nullptr, nullptr), DB_ERR_FAILED);
    int kind = 0;
    char path[260];
    EXPECT_EQ(t.DB_GetPackageInfo(pkg("bad.pkg").c_str(), &kind, path), DB_ERR_FAILED);
    for (size_t cut : {good.size() - 1, good.size() - 8, good.size() / 2, size_t(40), size_t(24)}) {
        writeBytes(pkg("bad.pkg"), good.substr(0, cut));
        EXPECT_NE(t.DB_ImportPackage(pkg("bad.pkg").c_str(), &id, nullptr, nullptr), DB_OK) << cut;
        EXPECT_EQ(contentOf(), before) << cut;
    }
    // Positions pointing past the data, or a length beyond the file.
    std::string bent = good;
    bent[bent.size() - 5] = char(0x7F);
    writeBytes(pkg("bad.pkg"), bent);
    EXPECT_NE(t.DB_ImportPackage(pkg("bad.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    bent = good;
    bent[16] = char(0xF0);
    writeBytes(pkg("bad.pkg"), bent);
    EXPECT_EQ(t.DB_ImportPackage(pkg("bad.pkg").c_str(), &id, nullptr, nullptr), DB_ERR_FAILED);
    size_t files = good.find("1=PNG,");
    ASSERT_NE(files, std::string::npos);
    bent = good;
    bent.replace(files, 6, "1=PNG,9");
    writeBytes(pkg("bad.pkg"), bent);
    EXPECT_NE(t.DB_ImportPackage(pkg("bad.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    EXPECT_EQ(contentOf(), before);
    // A package may not write outside its own path.
    bent = good;
    size_t doc = bent.find("Path=A\\d1");
    ASSERT_NE(doc, std::string::npos);
    bent.replace(doc, 9, "Path=Z\\d1");
    writeBytes(pkg("bad.pkg"), bent);
    EXPECT_EQ(t.DB_ImportPackage(pkg("bad.pkg").c_str(), &id, nullptr, nullptr), DB_ERR_FAILED);
    EXPECT_EQ(contentOf(), before);
}

}  // namespace
}  // namespace tabellon_test
