// The OCR document: placeholder and image opens, the image save commands, the
// new page from the scanner with its scan counter, restoring the original
// image and the zoom commands passed on to the page view.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "imaging/tests/dib_builder.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/fake_page_view.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

namespace fs = std::filesystem;

namespace {

class OcrDoc : public ::testing::Test {
protected:
    CFakeDocumentHost shell;
    CSimplifiedStrings strings;
    fs::path dir;
    COcrDoc* doc = nullptr;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("ocrdoc-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_NE(strings.module, nullptr);
        doc = new COcrDoc;
    }
    void TearDown() override {
        delete doc;
        fs::remove_all(dir);
    }

    std::string file(const std::string& name) const { return (dir / name).string(); }
    static bool exists(const std::string& path) { return fs::exists(path); }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string full(const std::string& path) { return suite::FullWindowsPath(path); }

    // Gives the document a 1-bit page (or a grey one) with its page region.
    void GivePage(bool grey = false) {
        doc->m_pImage = new CPageImage;
        HDIB dib = grey ? GreyDib(40, 30, [](int x, int) { return x * 6; }).Make()
                        : MonoDib(40, 30, [](int x, int y) { return (x + y) % 5 == 0; }).Make();
        ASSERT_EQ(doc->m_pImage->AttachDib(dib), 0);
        doc->m_pPageRegion = new CPageRegion(RECT{0, 0, 40, 30});
    }
    std::string path() const { return doc->GetPathName().GetString(); }
    std::string title() const { return doc->GetTitle().GetString(); }
};

// --- Registration and opening ------------------------------------------------

TEST_F(OcrDoc, RegistersAsTheApplicationsDocumentWhileItLives) {
    EXPECT_EQ(shell.currentDocument, doc);
    delete doc;
    doc = nullptr;
    EXPECT_EQ(shell.currentDocument, nullptr);
}

TEST_F(OcrDoc, ThePlaceholderOpensNoPage) {
    GivePage();
    doc->SetPathName(file("a.png").c_str());
    const std::string text = "ab\r\n";
    ASSERT_TRUE(doc->LoadSaved(1, reinterpret_cast<const BYTE*>(text.data()), 4, nullptr, 0));

    EXPECT_TRUE(doc->OnOpenDocument("C:\\EMPTY$$$.TIF"));
    EXPECT_EQ(doc->m_pImage, nullptr);
    EXPECT_EQ(doc->m_pPageRegion, nullptr);
    EXPECT_EQ(title(), "Untitled");
    EXPECT_TRUE(path().empty());
    EXPECT_EQ(doc->m_bHasResult, 0);
    EXPECT_FALSE(shell.textViewShown);
    EXPECT_TRUE(shell.columnHidden);

    // The framework sets the path after a successful open: the placeholder
    // still names no page.
    doc->SetPathName("C:\\EMPTY$$$.TIF");
    EXPECT_EQ(title(), "Untitled");
    EXPECT_TRUE(path().empty());
}

TEST_F(OcrDoc, AnImageOpenReturnsAtOnceWithItsTitleSet) {
    doc->SetModifiedFlag(TRUE);
    doc->m_bLayoutDirty = 1;
    const std::string image = file("missing.png");
    EXPECT_FALSE(doc->OnOpenDocument(image.c_str()));
    EXPECT_EQ(path(), full(image));
    EXPECT_EQ(title(), "[" + full(image) + "]");
    EXPECT_EQ(shell.frameTitleUpdates, 1);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->m_bLayoutDirty, 0);
    EXPECT_EQ(doc->m_pImage, nullptr);  // the page comes with WM_PAGELOADED
    EXPECT_TRUE(shell.messages.empty());
}

// --- The scan counter --------------------------------------------------------

TEST(ScanName, TheLastThreeCharactersOfTheStemCount) {
    EXPECT_EQ(COcrDoc::AdvanceScanName("C:\\Scans\\p041.tif"), "C:\\Scans\\p042.tif");
    EXPECT_EQ(COcrDoc::AdvanceScanName("C:\\Scans\\p007.TIF"), "C:\\Scans\\p008.TIF");
    EXPECT_EQ(COcrDoc::AdvanceScanName("C:\\Scans\\p999.tif"), "C:\\Scans\\p000.tif");
    EXPECT_EQ(COcrDoc::AdvanceScanName("C:\\Scans\\p998.tif", 3), "C:\\Scans\\p001.tif");
    // Non-digits read as 0; a short stem is all counter.
    EXPECT_EQ(COcrDoc::AdvanceScanName("scan12x.bmp"), "scan013.bmp");
    EXPECT_EQ(COcrDoc::AdvanceScanName("scanabc.bmp"), "scan001.bmp");
    EXPECT_EQ(COcrDoc::AdvanceScanName("C:\\p.tif"), "C:\\001.tif");
    // Never half a double-byte character: the counter then starts after it.
    EXPECT_EQ(COcrDoc::AdvanceScanName("\xD6\xD0" "12.tif"), "\xD6\xD0" "013.tif");
}

TEST(ScanName, TheBoxTextIsBoundedAtAWholeCharacter) {
    EXPECT_EQ(COcrDoc::BoundScanName("C:\\p001.tif"), "C:\\p001.tif");
    const std::string ascii(300, 'a');
    EXPECT_EQ(COcrDoc::BoundScanName(ascii), std::string(256, 'a'));
    // Byte 256 is the lead byte of a character: the whole character goes.
    const std::string mixed = std::string(255, 'a') + "\xD6\xD0" + "b";
    EXPECT_EQ(COcrDoc::BoundScanName(mixed), std::string(255, 'a'));
    const std::string even = std::string(254, 'a') + "\xD6\xD0" + "b";
    EXPECT_EQ(COcrDoc::BoundScanName(even), even.substr(0, 256));
    // A lead byte without its trail at the end is dropped.
    EXPECT_EQ(COcrDoc::BoundScanName("p\xD6"), "p");
}

// --- New page from the scanner -------------------------------------------------

class ScannerPage : public OcrDoc {
protected:
    void Scan(bool grey = false) {
        shell.scannedDib = grey ? GreyDib(40, 30, [](int x, int) { return x * 6; }).Make()
                                : MonoDib(40, 30, [](int x, int y) { return (x * y) % 7 == 0; }).Make();
        doc->OnPageFromScanner();
    }
};

TEST_F(ScannerPage, IsSavedUnderTheBoxNameAndTheBoxAdvances) {
    CPageViewWindow window(doc);
    shell.scanName = file("p041.png");
    Scan();
    ASSERT_NE(doc->m_pImage, nullptr);
    ASSERT_NE(doc->m_pPageRegion, nullptr);
    EXPECT_EQ(doc->m_pPageRegion->right, 40);
    EXPECT_EQ(doc->m_pPageRegion->bottom, 30);
    EXPECT_TRUE(exists(file("p041.png")));
    EXPECT_EQ(path(), full(file("p041.png")));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(shell.scanName, file("p042.png"));
    EXPECT_TRUE(window.view->HasHint(kHintResetPageView));
    EXPECT_EQ(shell.postedCommands, std::vector<UINT>{ID_VIEW_TEXT_WINDOW});
    EXPECT_TRUE(shell.messages.empty());

    // With the text column already hidden nothing is posted.
    shell.scanName = file("p042.png");
    Scan();
    EXPECT_EQ(shell.postedCommands.size(), 1u);
    EXPECT_EQ(shell.scanName, file("p043.png"));
}

TEST_F(ScannerPage, NeverReplacesAnEarlierScanOrItsCompanions) {
    write(file("p041.png"), "earlier scan");
    write(file("p042.png.TXT"), "earlier text");
    write(file("p043.png.PST"), "earlier project");
    shell.scanName = file("p041.png");
    Scan();
    EXPECT_EQ(read(file("p041.png")), "earlier scan");
    EXPECT_EQ(read(file("p042.png.TXT")), "earlier text");
    EXPECT_EQ(read(file("p043.png.PST")), "earlier project");
    EXPECT_TRUE(exists(file("p044.png")));
    EXPECT_EQ(path(), full(file("p044.png")));
    EXPECT_EQ(shell.scanName, file("p045.png"));
}

TEST_F(ScannerPage, WrapsPast999OntoTheNextFreeNumber) {
    write(file("p999.png.BKI"), "edited page");
    write(file("p000.png"), "first scan");
    shell.scanName = file("p999.png");
    Scan();
    EXPECT_EQ(read(file("p000.png")), "first scan");
    EXPECT_TRUE(exists(file("p001.png")));
    EXPECT_EQ(shell.scanName, file("p002.png"));
}

TEST_F(ScannerPage, GreyPagesGoToJpgWhileTheBoxKeepsItsExtension) {
    shell.convertLibrary = LoadLibraryA("Convert.dll");
    ASSERT_NE(shell.convertLibrary, nullptr);
    shell.saveAsJpg = true;
    shell.scanName = file("p041.tif");
    Scan(true);
    EXPECT_TRUE(exists(file("p041.jpg")));
    EXPECT_FALSE(exists(file("p041.tif")));
    EXPECT_EQ(path(), full(file("p041.jpg")));
    EXPECT_EQ(shell.scanName, file("p042.tif"));
    delete doc;
    doc = nullptr;
    FreeLibrary(shell.convertLibrary);
}

TEST_F(ScannerPage, WithoutAUsableNameThePageIsKeptUnsaved) {
    GivePage();
    doc->SetPathName(file("old.png").c_str());
    shell.scanName = "";
    Scan();
    ASSERT_NE(doc->m_pImage, nullptr);
    EXPECT_EQ(shell.messages, std::vector<std::string>{kMsgNoFreeScanName});
    // The earlier page's name must not receive the new page.
    EXPECT_TRUE(path().empty());
    EXPECT_EQ(title(), "Untitled");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FALSE(exists(file("old.png")));
    // Leaving the page writes no project file without a name.
    EXPECT_TRUE(doc->SaveModified());
    EXPECT_FALSE(exists(".PST"));
}

TEST_F(ScannerPage, NoScannedBitmapLeavesTheOpenPage) {
    GivePage();
    CPageImage* before = doc->m_pImage;
    doc->OnPageFromScanner();
    EXPECT_EQ(doc->m_pImage, before);
}

// --- Save and Save As -------------------------------------------------------

TEST_F(OcrDoc, SaveAsOfABinaryPageToJpgIsRefused) {
    GivePage();
    write(file("a.png"), "image");
    doc->SetPathName(file("a.png").c_str());
    shell.promptAnswers = {file("b.JPG")};
    doc->OnFileSaveAs();
    EXPECT_EQ(shell.messages, std::vector<std::string>{CSimplifiedStrings::Get(IDS_NO_BINARY_JPG)});
    EXPECT_FALSE(exists(file("b.jpg")));
    EXPECT_FALSE(exists(file("b.JPG")));
    EXPECT_EQ(path(), full(file("a.png")));
    EXPECT_EQ(shell.promptedNames, std::vector<std::string>{full(file("a.png"))});
}

TEST_F(OcrDoc, AFailedSaveAsKeepsNameRowAndFlags) {
    GivePage();
    doc->SetPathName(file("a.png").c_str());
    doc->SetModifiedFlag(TRUE);
    shell.selectedCount = 1;
    shell.scanName = "C:\\Scans\\p010.tif";
    const std::string target = file("no-such-folder/b.png");
    shell.promptAnswers = {target};
    doc->OnFileSaveAs();
    // The codec may say why first; the document's message comes last.
    ASSERT_FALSE(shell.messages.empty());
    CString expected;
    expected.Format(kMsgSaveImageFailed, target.c_str());
    EXPECT_EQ(shell.messages.back(), expected.GetString());
    EXPECT_EQ(path(), full(file("a.png")));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(shell.selectedItemTexts.empty());
    EXPECT_EQ(shell.scanName, "C:\\Scans\\p010.tif");
    ASSERT_NE(doc->m_pImage, nullptr);
}

TEST_F(OcrDoc, AGoodSaveAsRenamesDocumentRowAndScanFolder) {
    GivePage();
    doc->SetPathName(file("a.png").c_str());
    doc->SetModifiedFlag(TRUE);
    shell.selectedCount = 1;
    shell.scanName = "D:\\Scans\\Page007.TIF";
    fs::create_directories(dir / "out");
    shell.promptAnswers = {file("out/New.PNG")};
    doc->OnFileSaveAs();
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(exists(file("out/New.png")));
    EXPECT_EQ(path(), full(file("out/New.png")));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(shell.selectedItemTexts, std::vector<std::string>{path()});
    EXPECT_EQ(shell.scanName, file("out/") + "Page007.TIF");
}

TEST_F(OcrDoc, SaveAsIsCancelledOrNeedsAPage) {
    doc->OnFileSaveAs();
    EXPECT_TRUE(shell.promptedNames.empty());
    GivePage();
    shell.promptAnswers = {""};
    doc->OnFileSaveAs();
    EXPECT_EQ(shell.promptedNames.size(), 1u);
    EXPECT_TRUE(path().empty());
}

TEST_F(OcrDoc, SaveWritesAMissingFileButNotAReadOnlyOne) {
    GivePage();
    doc->SetPathName(file("gone.png").c_str());
    doc->SetModifiedFlag(TRUE);
    doc->OnFileSave();
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(exists(file("gone.png")));
    EXPECT_FALSE(doc->IsModified());

    write(file("ro.png"), "kept");
    ASSERT_TRUE(SetFileAttributesA(file("ro.png").c_str(), FILE_ATTRIBUTE_READONLY));
    doc->SetPathName(file("ro.png").c_str());
    doc->SetModifiedFlag(TRUE);
    doc->OnFileSave();
    EXPECT_EQ(shell.messages, std::vector<std::string>{CSimplifiedStrings::Get(IDS_IMAGE_READ_ONLY)});
    EXPECT_EQ(read(file("ro.png")), "kept");
    EXPECT_TRUE(doc->IsModified());
    SetFileAttributesA(file("ro.png").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(OcrDoc, SaveWithoutANameAsksForOne) {
    GivePage();
    doc->OnFileSave();
    EXPECT_EQ(shell.promptedNames.size(), 1u);
}

TEST_F(OcrDoc, SavingToAnUnknownTypeFailsSilently) {
    GivePage();
    EXPECT_FALSE(doc->OnSaveDocument(file("page.abc").c_str()));
    EXPECT_FALSE(doc->OnSaveDocument(file("page").c_str()));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_FALSE(exists(file("page.abc")));
}

// Records what an update handler did.
class RecordingCmdUI : public CCmdUI {
public:
    int enabled = -1;
    void Enable(BOOL on) override { enabled = on ? 1 : 0; }
};

TEST_F(OcrDoc, SaveCommandsAreEnabledByTheirState) {
    RecordingCmdUI save, saveAs;
    doc->OnUpdateFileSave(&save);
    doc->OnUpdateFileSaveAs(&saveAs);
    EXPECT_EQ(save.enabled, 0);
    EXPECT_EQ(saveAs.enabled, 0);

    GivePage();
    doc->SetModifiedFlag(TRUE);
    shell.selectedCount = 1;
    doc->OnUpdateFileSave(&save);
    doc->OnUpdateFileSaveAs(&saveAs);
    EXPECT_EQ(save.enabled, 1);
    EXPECT_EQ(saveAs.enabled, 1);

    shell.selectedCount = 2;
    doc->OnUpdateFileSaveAs(&saveAs);
    EXPECT_EQ(saveAs.enabled, 0);
}

// --- Restoring the original image -------------------------------------------

TEST_F(OcrDoc, RestoringTheOriginalDropsTheProjectWithoutWritingItAgain) {
    GivePage();
    write(file("page.png"), "original");
    write(file("page.png.PST"), "project");
    doc->SetPathName(file("page.png").c_str());

    // An unedited page: nothing happens.
    EXPECT_EQ(doc->RestoreOriginalImage(), 1);
    EXPECT_TRUE(exists(file("page.png.PST")));

    doc->SetModifiedFlag(TRUE);
    doc->m_bLayoutDirty = 1;
    EXPECT_EQ(doc->RestoreOriginalImage(), 1);
    EXPECT_FALSE(exists(file("page.png.PST")));
    EXPECT_FALSE(exists(file("page.png.BKI")));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->m_bLayoutDirty, 0);
    EXPECT_EQ(read(file("page.png")), "original");
    EXPECT_EQ(path(), full(file("page.png")));
    // Leaving the reopened page later writes nothing of the dropped edits.
    doc->SaveModified();
    EXPECT_FALSE(exists(file("page.png.BKI")));
}

// --- Zoom ------------------------------------------------------------------

TEST_F(OcrDoc, ZoomCommandsGoToThePageView) {
    CPageViewWindow window(doc);
    ASSERT_EQ(doc->GetPageView(), window.view);
    EXPECT_NE(doc->GetPageViewWindow(), nullptr);
    doc->OnZoomIn();
    doc->OnZoomOut();
    EXPECT_EQ(window.view->commands, (std::vector<UINT>{ID_ZOOM_IN, ID_ZOOM_OUT}));

    RecordingCmdUI ui;
    window.view->zoomEnabled = FALSE;
    doc->OnUpdateZoomIn(&ui);
    EXPECT_EQ(ui.enabled, 0);
    window.view->zoomEnabled = TRUE;
    doc->OnUpdateZoomOut(&ui);
    EXPECT_EQ(ui.enabled, 1);
}

TEST_F(OcrDoc, AViewWithoutZoomHandlersDoesNotSendTheCommandBackForever) {
    CPageViewWindow window(doc);
    window.view->handlesZoom = false;
    RecordingCmdUI ui;
    doc->OnZoomIn();
    doc->OnUpdateZoomOut(&ui);
    EXPECT_TRUE(window.view->commands.empty());
    EXPECT_EQ(ui.enabled, -1);
}

TEST_F(OcrDoc, ZoomWithoutAViewDoesNothing) {
    RecordingCmdUI ui;
    doc->OnZoomIn();
    doc->OnUpdateZoomIn(&ui);
    EXPECT_EQ(ui.enabled, -1);
    EXPECT_EQ(doc->GetPageViewWindow(), nullptr);
}

}  // namespace
