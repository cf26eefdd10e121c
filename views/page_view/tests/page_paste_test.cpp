// Copy a region, then paste the clipboard's bitmap as a new page: names,
// the user's answers, the page-list row, and the hand-over to the document.
#include "views/page_view/page_paste.h"
#include "views/page_view/pasted_dib.h"
#include "views/page_view/page_image_tools.h"
#include "views/page_view/tests/page_view_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/task/task.h"
#include "platform/afx/core/clipboard.h"
#include "platform/win/library.h"
#include "views/tests/fake_view_host.h"

namespace fs = std::filesystem;

namespace {

class PagePasteTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsurePageViewUi();
        module = LoadLibraryA("\\Ruvuradavad.DLL");
        ASSERT_NE(module, nullptr);
        AfxSetResourceHandle(module);
        folder = fs::temp_directory_path() / ("page_paste_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        shell.scanName = (folder / "page001.png").string();
        shell.task = &task;
        shell.onMessageBox = [this](const std::string& text) {
            asked.push_back(text);
            if (answers.empty()) return IDCANCEL;
            const int a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
    }
    void TearDown() override {
        if (shell.scannedDib) GlobalFree(shell.scannedDib);
        shell.scannedDib = nullptr;
        AfxSetResourceHandle(nullptr);
        if (module) FreeLibrary(module);
        fs::remove_all(folder);
    }
    // Puts a w x h bitmap of `bits` bits on the clipboard (a negative
    // height: stored top-down), every byte of its rows `fill`.
    void PutBitmap(int w, int h, int bits, BYTE fill = 0x80) {
        const int rows = h < 0 ? -h : h;
        const std::size_t stride = ((static_cast<std::size_t>(w) * static_cast<std::size_t>(bits) + 31) / 32) * 4;
        const std::size_t colours = bits >= 16 ? 0 : std::size_t{1} << bits;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                    sizeof(BITMAPINFOHEADER) + colours * 4 + stride * static_cast<std::size_t>(rows));
        {
            CBlockLock lock(block);
            auto* header = reinterpret_cast<BITMAPINFOHEADER*>(lock.get());
            header->biSize = sizeof(BITMAPINFOHEADER);
            header->biWidth = w;
            header->biHeight = h;
            header->biPlanes = 1;
            header->biBitCount = static_cast<WORD>(bits);
            for (std::size_t i = 0; i < colours; ++i) std::memset(lock.get() + sizeof(BITMAPINFOHEADER) + i * 4, static_cast<int>(i * 255 / (colours - 1)), 3);
            BYTE* bitsAt = lock.get() + sizeof(BITMAPINFOHEADER) + colours * 4;
            std::memset(bitsAt, fill, stride * static_cast<std::size_t>(rows));
            // The first stored row black: the top row of a top-down bitmap.
            if (h < 0) std::memset(bitsAt, 0, stride);
        }
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        SetClipboardData(CF_DIB, block);
        CloseClipboard();
    }
    bool ClipboardClosed() {
        if (!OpenClipboard(nullptr)) return false;
        CloseClipboard();
        return true;
    }
    CFakeViewHost shell;
    CTask task;
    HMODULE module = nullptr;
    fs::path folder;
    std::vector<int> answers;
    std::vector<std::string> asked;
};

TEST_F(PagePasteTest, CopiedRegionBecomesANewPageOfTheJob) {
    PageOwner owner(300, 200);
    PaintInk(*owner.page, RECT{20, 20, 60, 60});
    CRecordingHost host;
    CPageViewController view(&host);
    view.SetPage(owner.page.get(), owner.tree.get());
    CPageRegion* tree = owner.tree.get();
    ASSERT_NE(tree->AddRegion(RECT{10, 10, 99, 79}, kRegionHorizontal), nullptr);
    CPageImageTools tools(view, host, owner.page.get(), tree);
    BorrowedPage page(owner.page.get(), tree);
    ASSERT_TRUE(tools.Copy(page, nullptr));

    COcrDoc doc;
    doc.m_bAutoDelete = FALSE;
    CPagePaste paste(&doc);
    EXPECT_EQ(paste.Run(nullptr), PasteOutcome::kPosted);
    EXPECT_TRUE(ClipboardClosed());
    ASSERT_EQ(shell.postedCommands.size(), 1u);
    EXPECT_EQ(shell.postedCommands[0], static_cast<UINT>(ID_PAGE_FROM_SCANNER));
    ASSERT_NE(shell.scannedDib, nullptr);
    EXPECT_EQ(shell.rowCount, 1);
    EXPECT_EQ(shell.StatusPaneText(1), "   1  /  1");
    EXPECT_FALSE(fs::exists(folder / "page001.png")) << "no empty placeholder file";

    // The main window's new-page command: the document saves the page under the name.
    doc.OnPageFromScanner();
    EXPECT_TRUE(fs::exists(folder / "page001.png"));
    EXPECT_GT(fs::file_size(folder / "page001.png"), 0u);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pImage->m_nWidth, 90);
    EXPECT_EQ(doc.m_pImage->m_nHeight, 70);
    EXPECT_EQ(shell.scanName, (folder / "page002.png").string());
}

TEST_F(PagePasteTest, ColourBitmapWithTheJpegSettingGetsAJpgName) {
    shell.saveAsJpg = true;
    shell.scanName = (folder / "scan005.tif").string();
    PutBitmap(40, 30, 24);
    CPagePaste paste(nullptr);
    EXPECT_EQ(paste.Run(nullptr), PasteOutcome::kPosted);
    EXPECT_EQ(paste.Name(), (folder / "scan005.jpg").string());
    PutBitmap(40, 30, 1);
    shell.rowCount = 0;
    shell.cells.clear();
    CPagePaste mono(nullptr);
    EXPECT_EQ(mono.Run(nullptr), PasteOutcome::kPosted);
    EXPECT_EQ(mono.Name(), (folder / "scan005.tif").string()) << "1-bit pages keep their name";
}

TEST_F(PagePasteTest, ExistingNameYesNoAndCancel) {
    const std::string existing = (folder / "page001.png").string();
    std::ofstream(existing) << "old";
    shell.rowCount = 1;
    shell.cells[{0, kPageListPath}] = existing;
    PutBitmap(32, 32, 8);

    // Cancel: nothing posted, the slot stays empty, the clipboard is closed.
    answers = {IDCANCEL};
    CPagePaste cancelled(nullptr);
    EXPECT_EQ(cancelled.Run(nullptr), PasteOutcome::kCancelled);
    EXPECT_EQ(shell.scannedDib, nullptr);
    EXPECT_TRUE(shell.postedCommands.empty());
    EXPECT_TRUE(ClipboardClosed());
    ASSERT_EQ(asked.size(), 1u);

    // No, then the file dialog is cancelled.
    answers = {IDNO};
    shell.promptAnswers = {""};
    CPagePaste noThenCancel(nullptr);
    EXPECT_EQ(noThenCancel.Run(nullptr), PasteOutcome::kCancelled);
    EXPECT_TRUE(ClipboardClosed());

    // No, then another name: it goes into the scan box and the list.
    answers = {IDNO};
    const std::string other = (folder / "other.png").string();
    shell.promptAnswers = {other};
    CPagePaste renamed(nullptr);
    EXPECT_EQ(renamed.Run(nullptr), PasteOutcome::kPosted);
    EXPECT_EQ(shell.scanName, other);
    EXPECT_EQ(shell.rowCount, 2);
    EXPECT_EQ(shell.currentRow, 1);
    GlobalFree(shell.scannedDib);
    shell.scannedDib = nullptr;

    // Yes: the row the list finds for the name is selected, and the
    // document may replace the file.
    shell.scanName = existing;
    answers = {IDYES};
    COcrDoc doc;
    doc.m_bAutoDelete = FALSE;
    CPagePaste replaced(&doc);
    EXPECT_EQ(replaced.Run(nullptr), PasteOutcome::kPosted);
    EXPECT_EQ(shell.currentRow, 0);
    EXPECT_EQ(shell.rowCount, 2);
    doc.OnPageFromScanner();
    const std::string saved = doc.GetPathName().GetString();
    EXPECT_EQ(saved.substr(saved.size() - 11), "page001.png") << "the chosen name, not the next free one";
    EXPECT_FALSE(fs::exists(folder / "page002.png"));
    EXPECT_GT(fs::file_size(existing), 3u);
}

TEST_F(PagePasteTest, MissingFolderIsCreatedOnlyWhenWanted) {
    shell.scanName = (folder / "new" / "page001.png").string();
    PutBitmap(16, 16, 8);
    answers = {IDNO};
    CPagePaste refused(nullptr);
    EXPECT_EQ(refused.Run(nullptr), PasteOutcome::kCancelled);
    EXPECT_FALSE(fs::exists(folder / "new"));
    answers = {IDYES};
    CPagePaste created(nullptr);
    EXPECT_EQ(created.Run(nullptr), PasteOutcome::kPosted);
    EXPECT_TRUE(fs::is_directory(folder / "new"));
}

TEST_F(PagePasteTest, SixteenColourTopDownAnd32BitBitmapsBecomePages) {
    struct Case {
        int height, bits, pageBits;
    } cases[] = {{30, 4, 8}, {-30, 24, 24}, {30, 32, 24}, {-30, 8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, height " + std::to_string(c.height));
        PutBitmap(40, c.height, c.bits, c.height < 0 ? 0xFF : 0x80);
        COcrDoc doc;
        doc.m_bAutoDelete = FALSE;
        shell.rowCount = 0;
        shell.cells.clear();
        shell.scanName = (folder / "page001.png").string();
        shell.task = &task;
        fs::remove(folder / "page001.png");
        CPagePaste paste(&doc);
        ASSERT_EQ(paste.Run(nullptr), PasteOutcome::kPosted);
        doc.OnPageFromScanner();
        ASSERT_NE(doc.m_pImage, nullptr);
        EXPECT_EQ(doc.m_pImage->m_nWidth, 40);
        EXPECT_EQ(doc.m_pImage->m_nHeight, 30);
        EXPECT_EQ(doc.m_pImage->m_nBitCount, c.pageBits);
        if (c.height < 0) {
            EXPECT_TRUE(InkAt(*doc.m_pImage, 5, 0)) << "the top row stays on top";
            EXPECT_FALSE(InkAt(*doc.m_pImage, 5, 29));
        }
    }
    EXPECT_TRUE(asked.empty());
}

TEST_F(PagePasteTest, ClipboardHeldElsewhereOrEmpty) {
    PutBitmap(16, 16, 8);
    ASSERT_TRUE(OpenClipboard(nullptr));
    CPagePaste held(nullptr);
    EXPECT_EQ(held.Run(nullptr), PasteOutcome::kNothing);
    CloseClipboard();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    CPagePaste empty(nullptr);
    EXPECT_EQ(empty.Run(nullptr), PasteOutcome::kNothing);
    EXPECT_TRUE(ClipboardClosed());
    EXPECT_EQ(shell.scannedDib, nullptr);
}

TEST(PastedBitmapHeader, OnlyWholeUsableBitmapsPass) {
    std::vector<BYTE> dib(sizeof(BITMAPINFOHEADER) + 8 + 4 * 4, 0);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = 10;
    header.biHeight = 4;
    header.biPlanes = 1;
    header.biBitCount = 1;
    std::memcpy(dib.data(), &header, sizeof header);
    int bits = 0;
    auto usable = [&](const BYTE* d, std::size_t n) {
        HGLOBAL block = PageDibOfPasted(d, n, &bits);
        if (block) GlobalFree(block);
        return block != nullptr;
    };
    EXPECT_TRUE(usable(dib.data(), dib.size()));
    EXPECT_EQ(bits, 1);
    EXPECT_FALSE(usable(dib.data(), dib.size() - 1)) << "rows cut short";
    header.biHeight = 0x40000000;
    std::memcpy(dib.data(), &header, sizeof header);
    EXPECT_FALSE(usable(dib.data(), dib.size()));
    header.biHeight = 4;
    header.biSize = 0xFFFFFFF0u;
    std::memcpy(dib.data(), &header, sizeof header);
    EXPECT_FALSE(usable(dib.data(), dib.size()));
    header.biSize = sizeof header;
    header.biBitCount = 16;
    std::memcpy(dib.data(), &header, sizeof header);
    EXPECT_FALSE(usable(dib.data(), dib.size())) << "16 bits a pixel";
    EXPECT_FALSE(usable(dib.data(), 12));
    EXPECT_FALSE(usable(nullptr, 100));
}

}  // namespace
