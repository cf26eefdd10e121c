#include "ocrdoc/document/project_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <memory>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/tests/dib_builder.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/fake_page_view.h"
#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/result/reco_result.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/win/files.h"
#include "platform/win/handles.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "platform/win/path.h"
#include "platform/win/sync.h"

namespace fs = std::filesystem;

namespace {

RECT R(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }

TableCell Cell(INT firstCol, INT lastCol, INT l, INT t, INT r, INT b, INT own) {
    TableCell c{};
    c.nFirstCol = firstCol;
    c.nLastCol = lastCol;
    c.left = l;
    c.top = t;
    c.right = r;
    c.bottom = b;
    c.nTopWidth = 2;
    c.bOwn = own;
    return c;
}

// A 2 x 2 grid (relative to its table) whose left column is merged over both rows.
TableGrid* TwoByTwoGrid() {
    TableGrid* grid = NewTableGrid(2, 2);
    const TableCell row0[] = {Cell(0, 1, 0, 0, 49, 39, 1), Cell(1, 2, 50, 0, 99, 39, 1)};
    const TableCell row1[] = {Cell(0, 1, 0, 40, 49, 79, 0), Cell(1, 2, 50, 40, 99, 79, 1)};
    grid->pCellsPerRow[0] = grid->pCellsPerRow[1] = 2;
    grid->ppRows[0] = new TableCell[2]{row0[0], row0[1]};
    grid->ppRows[1] = new TableCell[2]{row1[0], row1[1]};
    return grid;
}

// One region of every kind, a seal rectangle and the table's grid.
void FillPage(CPageRegion& page) {
    ASSERT_NE(page.AddRegionEx(R(10, 10, 200, 60), kRegionHorizontal, 3), nullptr);
    ASSERT_NE(page.AddRegionEx(R(210, 10, 260, 300), kRegionVertical, 7), nullptr);
    ASSERT_NE(page.AddRegionEx(R(10, 70, 200, 110), kRegionHorizontal | kRegionEnglish, 2), nullptr);
    ASSERT_NE(page.AddRegionEx(R(10, 120, 100, 200), kRegionPicture, 0), nullptr);
    auto* gridded = dynamic_cast<CTableRegion*>(page.AddRegionEx(R(300, 10, 399, 89), kRegionTable, 4));
    ASSERT_NE(gridded, nullptr);
    ASSERT_TRUE(gridded->AttachGrid(nullptr, TwoByTwoGrid()));
    ASSERT_NE(page.AddRegionEx(R(300, 100, 399, 180), kRegionTable, 0), nullptr);
    const RECT seal = R(420, 300, 470, 350);
    page.SetSealRect(&seal);
}

void ExpectSameTree(const CPageRegion& a, const CPageRegion& b) {
    EXPECT_TRUE(RectsEqual(a, b));
    ASSERT_EQ(a.GetChildCount(), b.GetChildCount());
    for (int i = 0; i < a.GetChildCount(); ++i) {
        const CLayoutRegion* x = a.GetChild(i);
        const CLayoutRegion* y = b.GetChild(i);
        EXPECT_TRUE(RectsEqual(*x, *y)) << "region " << i;
        EXPECT_EQ(x->m_nFlags, y->m_nFlags) << "region " << i;
        EXPECT_EQ(x->m_nLines, y->m_nLines) << "region " << i;
        EXPECT_EQ(typeid(*x), typeid(*y)) << "region " << i;
        EXPECT_EQ(x->GetChildCount(), y->GetChildCount()) << "cells of region " << i;
        auto* tx = dynamic_cast<const CTableRegion*>(x);
        auto* ty = dynamic_cast<const CTableRegion*>(y);
        if (!tx || !ty) continue;
        ASSERT_EQ(tx->m_pGrid == nullptr, ty->m_pGrid == nullptr) << "grid of region " << i;
        if (!tx->m_pGrid) continue;
        ASSERT_EQ(tx->m_pGrid->nRows, ty->m_pGrid->nRows);
        EXPECT_EQ(tx->m_pGrid->nColumns, ty->m_pGrid->nColumns);
        for (int r = 0; r < tx->m_pGrid->nRows; ++r) {
            ASSERT_EQ(tx->m_pGrid->pCellsPerRow[r], ty->m_pGrid->pCellsPerRow[r]);
            EXPECT_EQ(std::memcmp(tx->m_pGrid->ppRows[r], ty->m_pGrid->ppRows[r],
                                  sizeof(TableCell) * static_cast<size_t>(tx->m_pGrid->pCellsPerRow[r])),
                      0);
        }
    }
    ASSERT_EQ(a.m_pSealRect == nullptr, b.m_pSealRect == nullptr);
    if (a.m_pSealRect) {
        EXPECT_TRUE(RectsEqual(*a.m_pSealRect, *b.m_pSealRect));
    }
}

ProjectContents ContentsOf(const CPageRegion& page, const char* tag = "TIF") {
    ProjectContents c;
    std::memcpy(c.tag, tag, 3);
    c.page = page.Rect();
    c.records = CollectProjectRecords(page);
    return c;
}

// The file bytes of the page's regions with a result of this text and these records.
std::vector<BYTE> PageFile(const CPageRegion& page, const char* tag, const std::string& text,
                           const std::vector<BYTE>& chars) {
    ProjectContents c = ContentsOf(page, tag);
    c.hasText = true;
    c.text = reinterpret_cast<const BYTE*>(text.data());
    c.textLen = static_cast<UINT>(text.size());
    c.chars = chars.data();
    c.charBytes = static_cast<UINT>(chars.size());
    return FormatProject(c);
}

std::vector<BYTE> Le(std::initializer_list<int> values) {
    std::vector<BYTE> out;
    for (int v : values)
        for (int k = 0; k < 4; ++k) out.push_back(static_cast<BYTE>(static_cast<unsigned>(v) >> (8 * k)));
    return out;
}

std::vector<BYTE> Header(int n, const char* tag = "TIF") {
    std::vector<BYTE> out{'P', 'S', 'T', '1', '0', BYTE(tag[0]), BYTE(tag[1]), BYTE(tag[2])};
    for (BYTE b : Le({0, 640, 0, 480, n})) out.push_back(b);
    return out;
}

void Append(std::vector<BYTE>& out, const std::vector<BYTE>& more) { out.insert(out.end(), more.begin(), more.end()); }

class ProjectFiles : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pst-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string File(const std::string& name) const { return (dir / name).string(); }

    void Put(const std::string& path, const std::vector<BYTE>& bytes) {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }

    // The block the load thread would hand over for these file bytes.
    HGLOBAL Load(const std::vector<BYTE>& bytes, HANDLE stop = nullptr, int* result = nullptr, DWORD extra = 0) {
        const std::string path = File("page.tif.PST");
        Put(path, bytes);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        const DWORD length = static_cast<DWORD>(bytes.size());
        HGLOBAL block = GlobalAlloc(GHND, length + kProjectBlockExtra - extra);
        const int read = ReadProjectBody(file, block, stop, length);
        if (result) *result = read;
        CloseHandle(file);
        return block;
    }

    ProjectScanResult ScanBlock(HGLOBAL block, ProjectContents* out, std::vector<BYTE>* copy) {
        copy->resize(GlobalSize(block));
        std::memcpy(copy->data(), GlobalLock(block), copy->size());
        GlobalUnlock(block);
        GlobalFree(block);
        return ScanProject(copy->data(), copy->size(), ProjectForm::Block, out);
    }
};

}  // namespace

// --- The bytes on file ------------------------------------------------------------

TEST(ProjectFormat, PageWithoutRegionsOrResultIsTheHeaderAlone) {
    CPageRegion page(R(0, 0, 640, 480));
    EXPECT_EQ(FormatProject(ContentsOf(page)), Header(0));
    const RECT seal = R(5, 6, 7, 8);
    page.SetSealRect(&seal);
    std::vector<BYTE> expected = Header(1);
    Append(expected, Le({5, 7, 6, 8, 0, 0x20}));  // left, right, top, bottom, lines, flags
    EXPECT_EQ(FormatProject(ContentsOf(page)), expected);
}

TEST(ProjectFormat, TableWithoutGridIsItsRecordAndOneZero) {
    CPageRegion page(R(0, 0, 640, 480));
    page.AddRegionEx(R(10, 20, 30, 40), kRegionTable, 5);
    std::vector<BYTE> expected = Header(1);
    Append(expected, Le({10, 30, 20, 40, 5, 8, 0}));
    EXPECT_EQ(FormatProject(ContentsOf(page)), expected);
}

TEST(ProjectFormat, EveryRegionKindSurvivesWriteAndRead) {
    CPageRegion page(R(0, 0, 640, 480));
    FillPage(page);
    const std::string text = "\x80\x00" "A\x00\x00\x80\xD6\xD0\r\n";
    const std::vector<BYTE> chars(43, 7);
    const std::vector<BYTE> bytes = PageFile(page, "BKI", text, chars);

    ProjectContents read;
    ASSERT_EQ(ScanProject(bytes.data(), bytes.size(), ProjectForm::File, &read), kProjectScanOk);
    EXPECT_EQ(std::string(read.tag, 3), "BKI");
    ASSERT_TRUE(read.hasText);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.text), read.textLen), text);
    EXPECT_EQ(std::vector<BYTE>(read.chars, read.chars + read.charBytes), chars);

    CPageRegion back(R(0, 0, 640, 480));
    EXPECT_EQ(ApplyProjectRecords(read, back, nullptr), 7);
    ExpectSameTree(page, back);
    EXPECT_EQ(FormatProject(ContentsOf(back, "BKI")).size(), bytes.size() - 4 - text.size() - chars.size());
}

TEST(ProjectFormat, RecordsThePageCannotHoldAreLeftOut) {
    ProjectContents c;
    c.page = R(0, 0, 100, 100);
    auto add = [&c](RECT r, int flags, int lines = 0) {
        ProjectRegionRecord rec;
        rec.rect = r;
        rec.flags = flags;
        rec.lines = lines;
        c.records.push_back(rec);
        return &c.records.back();
    };
    add(R(10, 10, 50, 50), kRegionHorizontal);
    add(R(40, 40, 90, 90), kRegionHorizontal);   // overlaps the first
    add(R(60, 10, 120, 20), kRegionPicture);     // beyond the page
    add(R(60, 30, 55, 40), kRegionPicture);      // inverted
    add(R(60, 60, 70, 70), 0);                   // of no kind
    add(R(70, 5, 80, 8), kRegionHorizontal, -2); // impossible line count
    add(R(0, 0, 200, 200), kRegionSealRecord);   // seal beyond the page
    ProjectRegionRecord* table = add(R(60, 60, 99, 99), kRegionTable);
    table->cellsPerRow = {1};
    table->cells = {Cell(0, 1, 0, 0, 45, 10, 1)};  // wider than its table
    CPageRegion page(R(0, 0, 100, 100));
    EXPECT_EQ(ApplyProjectRecords(c, page, nullptr), 8);
    ASSERT_EQ(page.GetChildCount(), 2);
    EXPECT_EQ(page.m_pSealRect, nullptr);
    auto* kept = dynamic_cast<CTableRegion*>(page.GetChild(1));
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->m_pGrid, nullptr) << "a grid that does not fit its table is dropped, the table kept";
}

TEST(ProjectFormat, CountsThatRunPastTheEndAreDamage) {
    ProjectContents c;
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"N beyond the file", Header(2)});
    Append(cases.back().bytes, Le({1, 2, 1, 2, 0, 1}));
    cases.push_back({"negative N", Header(-1)});
    cases.push_back({"huge N", Header(0x7FFFFFFF)});
    cases.push_back({"negative rows", Header(1)});
    Append(cases.back().bytes, Le({1, 2, 1, 2, 0, 8, -1}));
    cases.push_back({"rows beyond the file", Header(1)});
    Append(cases.back().bytes, Le({1, 2, 1, 2, 0, 8, 1000, 3, 1}));
    cases.push_back({"cells beyond the file", Header(1)});
    Append(cases.back().bytes, Le({1, 2, 1, 2, 0, 8, 1, 3, 0x1000000}));
    cases.push_back({"negative cells", Header(1)});
    Append(cases.back().bytes, Le({1, 2, 1, 2, 0, 8, 2, 3, -1, 1}));
    cases.push_back({"table part missing", Header(1)});
    Append(cases.back().bytes, Le({1, 2, 1, 2, 0, 8}));
    cases.push_back({"a stray byte after the regions", Header(0)});
    cases.back().bytes.push_back(1);
    cases.push_back({"text beyond the file", Header(0)});
    Append(cases.back().bytes, Le({100, 0x0A0D}));
    cases.push_back({"negative text length", Header(0)});
    Append(cases.back().bytes, Le({-4}));
    cases.push_back({"records not whole", Header(0)});
    Append(cases.back().bytes, Le({2, 0x0A0D}));  // the text CR LF, then 2 bytes of records
    for (const Case& k : cases)
        EXPECT_EQ(ScanProject(k.bytes.data(), k.bytes.size(), ProjectForm::File, &c), kProjectScanDamaged) << k.what;

    std::vector<BYTE> other = Header(0);
    other[4] = '9';
    EXPECT_EQ(ScanProject(other.data(), other.size(), ProjectForm::File, &c), kProjectScanNoProject);
    std::vector<BYTE> shortFile = Header(0);
    for (size_t n = 0; n < kProjectHeaderBytes; ++n)
        EXPECT_EQ(ScanProject(shortFile.data(), n, ProjectForm::File, &c), kProjectScanNoProject) << n;
}

TEST(ProjectFormat, MoreThanSixtyFiveThousandRecordsAreRefused) {
    std::vector<BYTE> bytes = Header(0);
    Append(bytes, Le({2, 0x0A0D}));
    bytes.resize(bytes.size() - 2 + 65535u * 43u);
    ProjectContents c;
    EXPECT_EQ(ScanProject(bytes.data(), bytes.size(), ProjectForm::File, &c), kProjectScanOk);
    EXPECT_EQ(c.charBytes, 65535u * 43u);
    bytes.resize(bytes.size() + 43);
    EXPECT_EQ(ScanProject(bytes.data(), bytes.size(), ProjectForm::File, &c), kProjectScanDamaged);
}

// --- The reader of the load thread ----------------------------------------------

TEST_F(ProjectFiles, BlockHoldsTheRecordsLengthBehindTheText) {
    CPageRegion page(R(0, 0, 640, 480));
    FillPage(page);
    const std::string text = "ab\r\n";
    const std::vector<BYTE> chars(86, 3);
    const std::vector<BYTE> bytes = PageFile(page, "TIF", text, chars);

    int result = -1;
    HGLOBAL block = Load(bytes, nullptr, &result);
    EXPECT_EQ(result, kProjectBodyRead);
    ASSERT_EQ(GlobalSize(block), bytes.size() + kProjectBlockExtra);
    std::vector<BYTE> copy;
    ProjectContents read;
    ASSERT_EQ(ScanBlock(block, &read, &copy), kProjectScanOk);
    const size_t textEnd = bytes.size() - chars.size();
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + static_cast<long>(textEnd), copy.begin()));
    EXPECT_EQ(copy[textEnd], 86);
    EXPECT_EQ(read.charBytes, 86u);
    EXPECT_EQ(std::vector<BYTE>(read.chars, read.chars + 86), chars);
    CPageRegion back(R(0, 0, 640, 480));
    ApplyProjectRecords(read, back, nullptr);
    ExpectSameTree(page, back);
}

TEST_F(ProjectFiles, FileWithoutTextReadsAsNoText) {
    std::vector<BYTE> bytes = Header(1);
    Append(bytes, Le({1, 2, 1, 2, 0, 4}));
    std::vector<BYTE> copy;
    ProjectContents read;
    ASSERT_EQ(ScanBlock(Load(bytes), &read, &copy), kProjectScanOk);
    EXPECT_FALSE(read.hasText);
    EXPECT_EQ(read.records.size(), 1u);
}

TEST_F(ProjectFiles, EveryCutOfAFileLoadsWhollyOrNotAtAll) {
    CPageRegion page(R(0, 0, 640, 480));
    FillPage(page);
    const std::string text = "\x80\x00" "A\x01\x00\x80\r\n";
    const std::vector<BYTE> chars(86, 1);
    const std::vector<BYTE> bytes = PageFile(page, "BKI", text, chars);
    const size_t regionsEnd = bytes.size() - 4 - text.size() - chars.size();
    const size_t textEnd = bytes.size() - chars.size();
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        const std::vector<BYTE> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
        std::vector<BYTE> copy;
        ProjectContents read;
        const ProjectScanResult scan = ScanBlock(Load(part), &read, &copy);
        const bool whole = cut == regionsEnd || (cut >= textEnd && (cut - textEnd) % 43 == 0);
        EXPECT_EQ(scan, whole ? kProjectScanOk : kProjectScanNoProject) << "cut at " << cut;
        if (scan != kProjectScanOk) {
            // The tag survives so that an edited page stays known as edited.
            if (cut >= kProjectHeaderBytes) {
                EXPECT_EQ(std::string(reinterpret_cast<char*>(copy.data()) + 5, 3), "BKI") << cut;
            }
            continue;
        }
        EXPECT_EQ(read.records.size(), 7u);
        EXPECT_EQ(read.hasText, cut > regionsEnd);
        if (read.hasText) {
            EXPECT_EQ(read.charBytes, cut - textEnd);
        }
    }
}

TEST_F(ProjectFiles, ReaderStaysInsideItsBlockAndStopsOnRequest) {
    std::vector<BYTE> bytes = Header(0);
    // A block too small for the file: nothing is written past it.
    int result = -1;
    HGLOBAL small = Load(bytes, nullptr, &result, kProjectBlockExtra + 4);
    EXPECT_EQ(result, kProjectBodyRead);
    std::vector<BYTE> copy;
    ProjectContents read;
    EXPECT_EQ(ScanBlock(small, &read, &copy), kProjectScanNoProject);

    HANDLE stop = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HGLOBAL block = Load(bytes, stop, &result);
    EXPECT_EQ(result, kProjectBodyStopped);
    GlobalFree(block);
    CloseHandle(stop);

    // A length beyond what the file holds.
    const std::string path = File("short.PST");
    Put(path, bytes);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HGLOBAL longer = GlobalAlloc(GHND, 100 + kProjectBlockExtra);
    EXPECT_EQ(ReadProjectBody(file, longer, nullptr, 100), kProjectBodyRead);
    CloseHandle(file);
    EXPECT_EQ(ScanBlock(longer, &read, &copy), kProjectScanNoProject);
    EXPECT_EQ(ReadProjectBody(INVALID_HANDLE_VALUE, nullptr, nullptr, 28), kProjectBodyRead);
}

// --- The document's write and parse ---------------------------------------------

namespace {

// A result with a recognised single-byte and double-byte character, a typed
// GBK pair, a typed Big5 pair, ASCII and two lines.
const std::string kResultText = std::string("\x80\x00" "A\x00\x00\x80", 6) +
                                std::string("\x80\xD6\xD0\x01\x00\x80", 6) + "\xB9\xFA" "\xA4\xA4" "x\r\n\r\n";
std::vector<BYTE> ResultRecords() {
    std::vector<BYTE> chars(2 * sizeof(RecoCharInfo));
    for (size_t i = 0; i < chars.size(); ++i) chars[i] = static_cast<BYTE>(i * 7 + 1);
    return chars;
}

class ProjectDoc : public ProjectFiles {
protected:
    CFakeDocumentHost shell;
    CSimplifiedStrings strings;
    COcrDoc* doc = nullptr;
    std::string image;

    void SetUp() override {
        ProjectFiles::SetUp();
        shell.convertLibrary = LoadLibraryA("Convert.dll");
        ASSERT_NE(shell.convertLibrary, nullptr);
        image = File("P001.TIF");
        doc = NewDoc(640, 480);
        doc->SetPathName(image.c_str());
    }
    void TearDown() override {
        delete doc;
        FreeLibrary(shell.convertLibrary);
        ProjectFiles::TearDown();
    }

    // A document holding a 1-bit page of this size, as after a page load.
    static COcrDoc* NewDoc(int width, int height) {
        auto* d = new COcrDoc;
        d->m_pImage = new CPageImage;
        EXPECT_EQ(d->m_pImage->AttachDib(MonoDib(width, height, [](int x, int y) { return (x ^ y) % 7 == 0; }).Make()), 0);
        d->m_pPageRegion = new CPageRegion(RECT{0, 0, width, height});
        return d;
    }
    void GiveResult(COcrDoc* d) {
        const std::vector<BYTE> chars = ResultRecords();
        ASSERT_TRUE(d->LoadSaved(1, reinterpret_cast<const BYTE*>(kResultText.data()),
                                 static_cast<UINT>(kResultText.size()), chars.data(),
                                 static_cast<UINT>(chars.size())));
        d->CRecoResult::m_bModified = 1;
    }
    std::string Project() const { return image + ".PST"; }
    std::vector<BYTE> ProjectBytes() const {
        std::ifstream in(Project(), std::ios::binary);
        return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
    }
    // The project as the load thread reads it, parsed into a fresh document
    // with a page of this size.
    COcrDoc* Reload(int width = 640, int height = 480) { return ReloadBytes(ProjectBytes(), width, height); }
    COcrDoc* ReloadBytes(const std::vector<BYTE>& bytes, int width = 640, int height = 480) {
        HGLOBAL block = Load(bytes);
        COcrDoc* d = NewDoc(width, height);
        d->ParseProject(block);
        GlobalFree(block);
        return d;
    }
    std::string Text(const COcrDoc& d) const { return std::string(d.Text()); }
};

}  // namespace

TEST_F(ProjectDoc, RegionsTablesSealAndResultComeBackEqual) {
    FillPage(*doc->m_pPageRegion);
    GiveResult(doc);
    doc->m_bLayoutDirty = 1;

    ASSERT_TRUE(doc->WriteProjectFile());
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(doc->m_bLayoutDirty, 0);
    EXPECT_EQ(doc->CRecoResult::m_bModified, 0);
    EXPECT_FALSE(fs::exists(image + ".BKI"));
    const std::vector<BYTE> bytes = ProjectBytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "PST10TIF");
    // The plain text goes where the store reads and writes it.
    std::ifstream txt(ResultTextPath(image), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(txt), {}), doc->PlainText(0, doc->m_nTextLen));

    std::unique_ptr<COcrDoc> back(Reload());
    EXPECT_TRUE(shell.messages.empty());
    ExpectSameTree(*doc->m_pPageRegion, *back->m_pPageRegion);
    EXPECT_EQ(back->m_bHasLayout, 1);
    EXPECT_FALSE(back->IsModified());
    EXPECT_EQ(back->m_bHasResult, 1);
    EXPECT_EQ(back->CRecoResult::m_bModified, 0);
    EXPECT_EQ(Text(*back), kResultText);
    EXPECT_EQ(back->m_nCharBytes, doc->m_nCharBytes);
    EXPECT_EQ(std::memcmp(back->m_pChars, doc->m_pChars, doc->m_nCharBytes), 0);
}

TEST_F(ProjectDoc, NothingDirtyWritesNothingAndNoPageDeletesTheProject) {
    EXPECT_TRUE(doc->WriteProjectFile());
    EXPECT_FALSE(fs::exists(Project()));

    doc->m_bLayoutDirty = 1;
    ASSERT_TRUE(doc->WriteProjectFile());
    EXPECT_EQ(ProjectBytes().size(), kProjectHeaderBytes) << "a page without regions or result is its header";
    const RECT seal{10, 10, 30, 40};
    doc->m_pPageRegion->SetSealRect(&seal);
    doc->m_bLayoutDirty = 1;
    ASSERT_TRUE(doc->WriteProjectFile());
    EXPECT_EQ(ProjectBytes().size(), kProjectHeaderBytes + kProjectRecordBytes);
    std::unique_ptr<COcrDoc> back(Reload());
    ASSERT_NE(back->m_pPageRegion->m_pSealRect, nullptr);
    EXPECT_TRUE(RectsEqual(*back->m_pPageRegion->m_pSealRect, seal));
    EXPECT_EQ(back->m_pPageRegion->GetChildCount(), 0);

    delete doc->m_pImage;
    doc->m_pImage = nullptr;
    doc->m_bLayoutDirty = 1;
    EXPECT_TRUE(doc->WriteProjectFile());
    EXPECT_FALSE(fs::exists(Project()));
}

TEST_F(ProjectDoc, EditedPageGoesToItsBkiAndThePathStays) {
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    doc->SetModifiedFlag(TRUE);
    ASSERT_TRUE(doc->WriteProjectFile());
    EXPECT_TRUE(fs::exists(image + ".BKI"));
    EXPECT_EQ(std::string(doc->GetPathName().GetString()), suite::FullWindowsPath(image));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ProjectBytes().data()) + 5, 3), "BKI");

    // A later write goes beside the image again, never beside the .BKI, and
    // still names the .BKI, where the page now lives.
    doc->m_bLayoutDirty = 1;
    ASSERT_TRUE(doc->WriteProjectFile());
    EXPECT_FALSE(fs::exists(image + ".BKI.PST"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ProjectBytes().data()) + 5, 3), "BKI");

    // The edited page is a readable TIFF of the same size, and the project
    // loaded with it says the page is edited.
    CPageImage edited;
    std::unique_ptr<CImageCodec> codec(CreateImageCodec((image + ".BKI").c_str(), IMGTYPE_BKI));
    ASSERT_EQ(codec->Load(&edited, nullptr, nullptr), IMAGE_LOAD_DONE);
    EXPECT_EQ(edited.m_nWidth, 640);
    EXPECT_EQ(edited.m_nHeight, 480);
    edited.Empty();
    std::unique_ptr<COcrDoc> back(Reload());
    EXPECT_TRUE(back->IsModified());
    EXPECT_EQ(back->m_pPageRegion->GetChildCount(), 1);
}

TEST_F(ProjectDoc, FailedBkiSaveKeepsTheImageTagAndTheEditedFlag) {
    fs::create_directories(image + ".BKI/x");  // nothing can be renamed over a folder with files
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    doc->SetModifiedFlag(TRUE);
    doc->m_bLayoutDirty = 1;
    EXPECT_FALSE(doc->WriteProjectFile());
    // Nowhere else to keep it (no data folder): the page is named.
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].find(suite::FullWindowsPath(image)), std::string::npos) << shell.messages[0];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ProjectBytes().data()) + 5, 3), "TIF");
    EXPECT_TRUE(doc->IsModified()) << "the edit is not saved yet";
    EXPECT_EQ(doc->m_bLayoutDirty, 0);
    std::unique_ptr<COcrDoc> back(Reload());
    EXPECT_EQ(back->m_pPageRegion->GetChildCount(), 1) << "the regions are not lost";
}

TEST_F(ProjectDoc, AnExistingProjectSurvivesAFailedWrite) {
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    doc->m_bLayoutDirty = 1;
    ASSERT_TRUE(doc->WriteProjectFile());
    const std::vector<BYTE> before = ProjectBytes();

    // Files may not grow beyond a few kilobytes now: the new project cannot be written.
    GiveResult(doc);
    std::string big = std::string(20000, 'a') + "\r\n";
    ASSERT_TRUE(doc->LoadSaved(1, reinterpret_cast<const BYTE*>(big.data()), static_cast<UINT>(big.size()), nullptr, 0));
    doc->CRecoResult::m_bModified = 1;
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const BOOL written = doc->WriteProjectFile();
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_NE(shell.messages.back().find(suite::FullWindowsPath(image)), std::string::npos);
    EXPECT_EQ(ProjectBytes(), before);
    EXPECT_EQ(doc->CRecoResult::m_bModified, 1) << "still to be saved";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"P001.TIF.PST"}) << "no temporary file is left behind";
}

TEST_F(ProjectDoc, WorkThatCannotBeWrittenBesideTheImageIsKeptInTheDataFolder) {
    // The image's folder takes no project file (a folder stands in its way,
    // as a read-only folder would refuse it).
    ASSERT_TRUE(doc->WriteImageFile(image.c_str(), TRUE));
    fs::create_directories(image + ".PST/x");
    shell.dataFolder = suite::WindowsPath((dir / "data").string());
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    GiveResult(doc);
    doc->CRecoResult::m_bModified = 1;
    doc->m_bLayoutDirty = 1;
    EXPECT_TRUE(doc->WriteProjectFile()) << "the work is safe";
    const std::string kept = (dir / "data" / "KEPT" / "P001.TIF").string();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].find(suite::FullWindowsPath(image)), std::string::npos) << shell.messages[0];
    EXPECT_NE(shell.messages[0].find(suite::FullWindowsPath(kept)), std::string::npos) << shell.messages[0];
    // The copy's project holds the page's regions and text.
    ASSERT_TRUE(fs::exists(kept));
    std::ifstream in(kept + ".PST", std::ios::binary);
    const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<COcrDoc> back(ReloadBytes(bytes));
    EXPECT_EQ(back->m_pPageRegion->GetChildCount(), 1);
    EXPECT_TRUE(back->m_bHasResult);
    // A second page of the same name keeps the first one's files.
    doc->m_bLayoutDirty = 1;
    EXPECT_TRUE(doc->WriteProjectFile());
    EXPECT_TRUE(fs::exists(dir / "data" / "KEPT" / "P001_2.TIF.PST"));
}

TEST_F(ProjectDoc, AProjectOfAnotherPageSizeIsNotApplied) {
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    GiveResult(doc);
    ASSERT_TRUE(doc->WriteProjectFile());
    std::unique_ptr<COcrDoc> back(Reload(320, 480));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], kMsgProjectNotForImage);
    EXPECT_EQ(back->m_pPageRegion->GetChildCount(), 0);
    EXPECT_TRUE(RectsEqual(*back->m_pPageRegion, RECT{0, 0, 320, 480}));
    EXPECT_EQ(back->m_bHasResult, 0);
    EXPECT_EQ(back->m_bHasLayout, 0);
}

TEST_F(ProjectDoc, StoredTextIsLeftOutWhenEmptyOrInABatch) {
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    GiveResult(doc);
    ASSERT_TRUE(doc->WriteProjectFile());
    shell.batchMode = 1;
    std::unique_ptr<COcrDoc> batch(Reload());
    EXPECT_EQ(batch->m_bHasResult, 0);
    EXPECT_EQ(batch->m_pPageRegion->GetChildCount(), 1) << "the regions still load";
    shell.batchMode = 0;

    // T = 0 with records behind it.
    std::vector<BYTE> bytes = ProjectBytes();
    const size_t textAt = bytes.size() - ResultRecords().size() - kResultText.size() - 4;
    bytes.erase(bytes.begin() + static_cast<long>(textAt) + 4,
                bytes.begin() + static_cast<long>(textAt + 4 + kResultText.size()));
    std::memset(bytes.data() + textAt, 0, 4);
    std::unique_ptr<COcrDoc> empty(ReloadBytes(bytes));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(empty->m_bHasResult, 0);
    EXPECT_EQ(empty->m_pPageRegion->GetChildCount(), 1);
}

TEST_F(ProjectDoc, DamagedProjectsLoadAsNoProjectData) {
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    doc->m_pPageRegion->AddRegionEx(RECT{10, 60, 100, 100}, kRegionTable, 0);
    doc->SetModifiedFlag(TRUE);
    GiveResult(doc);
    ASSERT_TRUE(doc->WriteProjectFile());
    const std::vector<BYTE> bytes = ProjectBytes();
    const std::string unusable = CSimplifiedStrings::Get(IDS_OLD_PROJECT_FILE);
    ASSERT_FALSE(unusable.empty());
    for (size_t cut = kProjectHeaderBytes; cut < bytes.size(); ++cut) {
        shell.messages.clear();
        std::unique_ptr<COcrDoc> back(ReloadBytes(std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<long>(cut))));
        EXPECT_TRUE(back->IsModified()) << "the tag still names the edited page; cut " << cut;
        const int regions = back->m_pPageRegion->GetChildCount();
        if (regions == 2) continue;  // a cut at a whole part: what is there is sound
        EXPECT_EQ(regions, 0) << cut;
        EXPECT_EQ(back->m_bHasResult, 0) << cut;
        EXPECT_EQ(back->m_bHasLayout, 0) << cut;
        EXPECT_EQ(shell.messages, std::vector<std::string>{unusable}) << cut;
    }

    // Text whose record index lies beyond the records: nothing is applied.
    std::vector<BYTE> wrongIndex = bytes;
    const size_t textAt = bytes.size() - ResultRecords().size() - kResultText.size();
    wrongIndex[textAt + 9] = 5;  // the second unit's index
    shell.messages.clear();
    std::unique_ptr<COcrDoc> back(ReloadBytes(wrongIndex));
    EXPECT_EQ(shell.messages, std::vector<std::string>{unusable});
    EXPECT_EQ(back->m_pPageRegion->GetChildCount(), 0);
    EXPECT_EQ(back->m_bHasResult, 0);
}

TEST_F(ProjectDoc, HeaderOnlyProjectOfAnEditedPageKeepsItsTag) {
    std::vector<BYTE> bytes = Header(0, "BKI");
    std::unique_ptr<COcrDoc> back(ReloadBytes(bytes));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(back->IsModified());
    EXPECT_EQ(back->m_bHasLayout, 0);
    EXPECT_TRUE(RectsEqual(*back->m_pPageRegion, RECT{0, 0, 640, 480}));
}

namespace {

// What a page took from a project, to compare the open document with a
// batch worker's page.
struct Taken {
    int regions = 0, hasLayout = 0, hasResult = 0;
    bool edited = false;
    std::string text;
    bool operator==(const Taken&) const = default;
};

Taken TakenBy(COcrPage& page) {
    return Taken{page.m_pPageRegion ? page.m_pPageRegion->GetChildCount() : -1, page.m_bHasLayout,
                 page.m_bHasResult, page.IsPageEdited() != FALSE, std::string(page.Text())};
}

}  // namespace

TEST_F(ProjectDoc, AWorkersPageTakesWhatTheOpenDocumentTakes) {
    doc->m_pPageRegion->AddRegionEx(RECT{10, 10, 100, 50}, kRegionHorizontal, 1);
    doc->m_pPageRegion->AddRegionEx(RECT{10, 60, 100, 100}, kRegionTable, 0);
    doc->SetModifiedFlag(TRUE);
    GiveResult(doc);
    ASSERT_TRUE(doc->WriteProjectFile());
    const std::vector<BYTE> whole = ProjectBytes();
    std::vector<BYTE> wrongIndex = whole;
    wrongIndex[whole.size() - ResultRecords().size() - kResultText.size() + 9] = 5;
    std::vector<std::vector<BYTE>> projects{whole, wrongIndex, Header(0, "BKI"), Header(0, "TIF")};
    for (std::size_t cut = kProjectHeaderBytes; cut < whole.size(); cut += 5)
        projects.emplace_back(whole.begin(), whole.begin() + static_cast<long>(cut));

    for (std::size_t i = 0; i < projects.size(); ++i) {
        for (int option : {0, 1, 2}) {
            for (int height : {480, 240}) {
                // The open document reads stored text only outside a batch;
                // the worker's option 1 is the batch's layout-only reading.
                shell.batchMode = option == 1 ? 1 : 0;
                std::unique_ptr<COcrDoc> open(ReloadBytes(projects[i], 640, height));
                COcrPage worker;
                auto* page = new CPageImage;
                ASSERT_EQ(page->AttachDib(MonoDib(640, height, [](int, int) { return false; }).Make()), 0);
                ASSERT_TRUE(worker.TakeLoadedPage(page, Load(projects[i]), option));
                Taken expected = TakenBy(*open);
                if (option == 2) {
                    // Redo everything: only where the page lives is kept.
                    expected = Taken{0, 0, 0, expected.edited, ""};
                }
                EXPECT_EQ(TakenBy(worker), expected) << "project " << i << " option " << option << " height " << height;
            }
        }
    }
    shell.batchMode = 0;
}
