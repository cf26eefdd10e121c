// Package files: round trips of a document, a folder and the whole store,
// the byte layout, the old layout, and packages that are damaged.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "imaging/compress/checksum.h"
#include "tabellon/tests/package_builder.h"
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
    // The checksum block: marker, the package's length, the CRC-32 of every byte outside the block.
    EXPECT_EQ(b.substr(29, 8), "PKGCRC32");
    EXPECT_EQ(le(b, 37, 8), b.size());
    std::string outside = b.substr(0, 29) + b.substr(49);
    EXPECT_EQ(le(b, 45, 4), coders::Crc32(0, reinterpret_cast<const std::uint8_t*>(outside.data()), outside.size()));
    std::uint64_t info = le(b, b.size() - 8, 8);
    EXPECT_EQ(info, 49u);
    std::string text = b.substr(49, b.size() - 8 - 49);
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
    EXPECT_EQ(b.substr(32, 8), "PKGCRC32");
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

// The value of `key=` on its own line in an info block's text, replaced.
void setEntry(std::string& text, const std::string& key, const std::string& value) {
    size_t at = text.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key << " in " << text;
    size_t start = at + 2 + key.size(), end = text.find('\r', start);
    text.replace(start, end - start, value);
}

std::string entryOf(const std::string& text, const std::string& key) {
    size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    size_t start = at + 2 + key.size();
    return text.substr(start, text.find('\r', start) - start);
}

class ForeignPackagesTest : public PackagesTest {
protected:
    void SetUp() override {
        PackagesTest::SetUp();
        DWORD a = folder(0, "A");
        d1 = document(a, "d1", 2);
        DWORD b = folder(a, "B");
        d2 = document(b, "d2", 1);
        document(0, "loose", 1);
        before = contentOf();
        state = storeState(root, storage);
    }
    DocumentBytes bytesOf(DWORD doc, const std::string& path) {
        DocumentBytes d{path, {}};
        DB_DOCINFO info{};
        info.ID = doc;
        EXPECT_EQ(t.DB_GetDocumentInfo(&info), DB_OK);
        for (DWORD p = 1; p <= info.TotalPages; ++p) d.pages.push_back({"PNG", fileBytes(pageFile(doc, p)), "thumb" + std::to_string(p)});
        return d;
    }
    PackageBuilder folderA() { return {1, "A", {"A", "A\\B"}, {bytesOf(d1, "A\\d1"), bytesOf(d2, "A\\B\\d2")}}; }
    PackageBuilder whole() { return {1, "", {"A", "A\\B"}, {bytesOf(d1, "A\\d1"), bytesOf(d2, "A\\B\\d2")}}; }
    PackageBuilder docD1() { return {0, "A\\d1", {}, {bytesOf(d1, "A\\d1")}}; }
    // Imports bytes that must be refused with -92, leaving the store as it was.
    void refused(const std::string& bytes, const std::string& what) {
        writeBytes(pkg("bad.pkg"), bytes);
        DWORD id = 0;
        EXPECT_EQ(t.DB_ImportPackage(pkg("bad.pkg").c_str(), &id, nullptr, nullptr), DB_ERR_FAILED) << what;
        EXPECT_EQ(storeState(root, storage), state) << what;
    }
    DWORD d1 = 0, d2 = 0;
    std::string before, state;
};

TEST_F(ForeignPackagesTest, PackagesWithoutChecksumBlockImport) {
    auto expected = contentByPath();
    for (PackageBuilder p : {docD1(), folderA(), whole()}) {
        writeBytes(pkg("p.pkg"), p.bytes());
        DWORD id = 0;
        ASSERT_EQ(t.DB_ImportPackage(pkg("p.pkg").c_str(), &id, nullptr, nullptr), DB_OK) << p.path;
        checkInvariants(root, storage);
        if (p.kind == 1 && p.path.empty()) expected.erase("loose");  // the whole store's package has no "loose"
        EXPECT_EQ(contentByPath(), expected) << p.path;
        if (p.kind == 0) {
            EXPECT_EQ(fileBytes(pageFile(id, 2) + ".Thn"), "thumb2");
        }
    }
}

TEST_F(ForeignPackagesTest, CutPackagesAreRefusedWhereverTheyEnd) {
    // Right after a document record (its end is the "Document" entry), after
    // the last record, and inside page bytes: the store keeps everything.
    std::string all = whole().bytes(), a = folderA().bytes();
    for (const std::string& bytes : {all, a}) {
        std::uint64_t info = le(bytes, bytes.size() - 8, 8);
        std::string block = bytes.substr(info, bytes.size() - 8 - info);
        std::string ends = block.substr(block.find("[Document]"));
        size_t first = std::stoul(entryOf(ends, "1")), second = std::stoul(entryOf(ends, "2"));
        for (size_t cut : {first, second, size_t(info), size_t(60), size_t(first + 30)})
            refused(bytes.substr(0, cut), "cut at " + std::to_string(cut));
    }
    EXPECT_EQ(contentOf(), before);
}

TEST_F(ForeignPackagesTest, InfoBlocksMustSayWhatIsImported) {
    auto folderEdit = [&](PackageBuilder p, std::function<void(std::string&)> edit, const char* what) {
        p.editFolder = std::move(edit);
        refused(p.bytes(), what);
    };
    auto documentEdit = [&](PackageBuilder p, size_t index, std::function<void(std::string&)> edit, const char* what) {
        p.editDocument = [&](size_t i, std::string& text) {
            if (i == index) edit(text);
        };
        refused(p.bytes(), what);
    };
    folderEdit(whole(), [](std::string& s) { setEntry(s, "Type", "0"); }, "a whole store whose block is a document's");
    folderEdit(folderA(), [](std::string& s) { setEntry(s, "Path", "Z"); }, "a folder block naming another folder");
    folderEdit(whole(), [](std::string& s) { setEntry(s, "Path", "A"); }, "a whole store naming a folder");
    folderEdit(folderA(), [](std::string& s) { setEntry(s, "1", "A\\B"); }, "a folder package whose first folder is not its own");
    folderEdit(folderA(), [](std::string& s) { s.replace(s.find("[Folder]"), 8, "[Folders]"); }, "its folders missing");
    documentEdit(docD1(), 0, [](std::string& s) { setEntry(s, "Type", "2"); }, "a document block of a folder type");
    documentEdit(docD1(), 0, [](std::string& s) { setEntry(s, "Path", "A\\d9"); }, "a document block naming another document");
    documentEdit(folderA(), 1, [](std::string& s) { setEntry(s, "Path", "A\\C\\d2"); }, "a document in a folder the package lacks");
    documentEdit(folderA(), 1, [](std::string& s) { setEntry(s, "Path", "Z\\d2"); }, "a document outside the package's folder");
    documentEdit(folderA(), 1, [](std::string& s) { setEntry(s, "Path", "A\\D1"); }, "two documents of one name");
    documentEdit(folderA(), 1, [](std::string& s) { setEntry(s, "Path", "A\\b"); }, "a document named as a folder");
    documentEdit(docD1(), 0, [](std::string& s) { s += "[SYSTEM]\r\nType=0\r\n"; }, "a second System section");
    EXPECT_EQ(contentOf(), before);
}

TEST_F(ForeignPackagesTest, CountsAndPositionsMustAgree) {
    auto documentEdit = [&](PackageBuilder p, std::function<void(std::string&)> edit, const char* what) {
        p.editDocument = [&](size_t i, std::string& text) {
            if (i == 0) edit(text);
        };
        refused(p.bytes(), what);
    };
    auto pageEntry = [](std::string& s, const char* key, int field, std::int64_t delta) {
        std::string v = entryOf(s, key);
        std::vector<std::string> parts;
        for (size_t start = 0;;) {
            size_t comma = v.find(',', start);
            parts.push_back(v.substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        parts[size_t(field)] = std::to_string(std::stoll(parts[size_t(field)]) + delta);
        setEntry(s, key, parts[0] + "," + parts[1] + "," + parts[2] + "," + parts[3]);
    };
    for (PackageBuilder p : {docD1(), folderA()}) {
        documentEdit(p, [](std::string& s) { setEntry(s, "Total Pages", "3"); }, "more pages declared than recorded");
        documentEdit(p, [](std::string& s) { setEntry(s, "Total Pages", "1"); }, "fewer pages declared than recorded");
        documentEdit(p, [](std::string& s) { setEntry(s, "Total Pages", "2x"); }, "a count that is no number");
        documentEdit(p, [](std::string& s) { s.replace(s.find("\n2="), 3, "\n3="); }, "a gap in the page entries");
        documentEdit(p, [&](std::string& s) { pageEntry(s, "2", 1, -10); }, "a page overlapping the one before");
        documentEdit(p, [&](std::string& s) { pageEntry(s, "2", 1, 3); }, "a gap between pages");
        documentEdit(p, [&](std::string& s) { pageEntry(s, "2", 2, 5); }, "a page reaching into the info block");
        documentEdit(p, [&](std::string& s) { pageEntry(s, "1", 3, -1); }, "a thumbnail shorter than its place");
        documentEdit(p, [&](std::string& s) { pageEntry(s, "1", 1, -100000); }, "a page before the file");
    }
    // A missing "Document" entry is not the end of the list.
    PackageBuilder p = whole();
    p.editFolder = [](std::string& s) { s.replace(s.find("\n1="), 3, "\n3="); };
    refused(p.bytes(), "a document entry missing");
    p.editFolder = [](std::string& s) { s.resize(s.find("[Document]")); };
    refused(p.bytes(), "no document entries at all");
    p.editFolder = [](std::string& s) { setEntry(s.replace(0, s.find("[Document]"), ""), "2", entryOf(s, "1")); };
    refused(p.bytes(), "two entries for one record");
    // A trailer pointing at a document's info block or into page bytes.
    std::string bytes = folderA().bytes();
    std::uint64_t info = le(bytes, bytes.size() - 8, 8);
    std::string block = bytes.substr(info, bytes.size() - 8 - info);
    std::uint64_t firstEnd = std::stoull(entryOf(block.substr(block.find("[Document]")), "1"));
    for (std::uint64_t to : {le(bytes, firstEnd - 8, 8), std::uint64_t(50)}) {
        std::string bent = bytes;
        bent.resize(bent.size() - 8);
        put(bent, to, 8);
        refused(bent, "trailer at " + std::to_string(to));
    }
    EXPECT_EQ(contentOf(), before);
}

TEST_F(PackagesTest, ExportCountsOnlyThePagesItWrites) {
    DWORD d = document(0, "d", 3);
    std::string first = fileBytes(pageFile(d, 1)), third = fileBytes(pageFile(d, 3));
    ASSERT_TRUE(fs::remove(pageFile(d, 2)));
    ASSERT_EQ(t.DB_ExportDocumentPackage(d, pkg("d.pkg").c_str(), nullptr, nullptr), DB_OK);
    std::string b = fileBytes(pkg("d.pkg"));
    std::uint64_t info = le(b, b.size() - 8, 8);
    std::string text = b.substr(info, b.size() - 8 - info);
    EXPECT_EQ(entryOf(text, "Total Pages"), "2") << text;
    EXPECT_NE(entryOf(text, "2"), "") << text;
    EXPECT_EQ(entryOf(text, "3"), "") << text;
    DWORD id = 0;
    ASSERT_EQ(t.DB_ImportPackage(pkg("d.pkg").c_str(), &id, nullptr, nullptr), DB_OK);
    ASSERT_EQ(pageValues(id).size(), 2u);
    EXPECT_EQ(fileBytes(pageFile(id, 1)), first);
    EXPECT_EQ(fileBytes(pageFile(id, 2)), third);
}

}  // namespace
}  // namespace tabellon_test
