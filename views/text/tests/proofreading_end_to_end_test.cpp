// Proofreading from end to end: a rendered page recognised by the pipeline is
// shown in a splitter frame beside the page view, corrected with synthetic
// keys, mouse and a candidate click, handed to an external editor, and the
// project file written when the page is left reloads with the corrections.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>

#include "ocrdoc/document/page_settings.h"
#include "outside/tests/harness.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/codepage.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "views/text/tests/text_view_fixtures.h"
#include "views/page_view/ocr_view.h"
#include "views/text/text_view.h"

namespace {

namespace fs = std::filesystem;

class ProofreadingEndToEnd : public ::testing::Test {
protected:
    CFakeViewHost shell;
    HMODULE strings = LoadLibraryA("\\Ruvuradavad.DLL");
    fs::path folder;

    void SetUp() override {
        AfxWinInit();
        ASSERT_NE(strings, nullptr);
        AfxSetResourceHandle(strings);
        char name[] = "/tmp/proofread_e2eXXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        // The data folder holds spaces, as the user's documents folder does.
        fs::create_directories(folder / "My ORdoc Files" / "Scribant" / "WORK");
        shell.dataFolder = (folder / "My ORdoc Files" / "Scribant").string();
        shell.languageId = 1033;
        shell.simplified = true;
        shell.editFileType = 3;  // plain text for the editor
        const PageSettings names = PageSettings::Defaults();
        shell.currentRow = 0;
        shell.rowCount = 1;
        shell.cells[{0, kPageListLanguage}] = names.languageNames[0];
        shell.cells[{0, kPageListType}] = names.typeNames[0];
        shell.cells[{0, kPageListResolution}] = "300";
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        FreeLibrary(strings);
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

TEST_F(ProofreadingEndToEnd, ARecognisedPageIsCorrectedAndTheCorrectionsAreKept) {
    testpages::ensureGui();
    testpages::Page test = testpages::textPage(testpages::simplifiedText(5, 2), 900, 420, testpages::Style{44});
    const std::string imagePath = (folder / "page one.png").string();
    {
        // The page on disk, then opened as the program opens it.
        COcrDoc writer;
        writer.m_bAutoDelete = FALSE;
        writer.m_pImage = new CPageImage;
        writer.m_pImage->m_nWidth = test.plane.width;
        writer.m_pImage->m_nHeight = test.plane.height;
        writer.m_pImage->m_nBitCount = 1;
        ASSERT_TRUE(writer.m_pImage->AllocBits(writer.m_pImage->PlaneBytes()));
        std::memcpy(GlobalLock(writer.m_pImage->m_hBits), test.plane.bits.data(), test.plane.bits.size());
        GlobalUnlock(writer.m_pImage->m_hBits);
        ASSERT_TRUE(writer.WriteImageFile(imagePath.c_str(), TRUE));
    }
    COcrDoc* doc = new COcrDoc;
    doc->m_bAutoDelete = FALSE;
    ASSERT_TRUE(doc->OpenPageNow(imagePath.c_str()));
    shell.documentPath = imagePath;
    ASSERT_NE(doc->m_pImage, nullptr);

    // The frame: page view on the left, text view on the right.
    CFrameWnd* frame = new CFrameWnd;
    frame->Create(nullptr, "Proofreading");
    frame->MoveWindow(0, 0, 1200, 600);
    CSplitterWnd splitter;
    ASSERT_TRUE(splitter.CreateStatic(frame, 1, 2));
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    ASSERT_TRUE(splitter.CreateView(0, 0, RUNTIME_CLASS(COcrView), CSize(400, 560), &context));
    ASSERT_TRUE(splitter.CreateView(0, 1, RUNTIME_CLASS(CTextView), CSize(780, 560), &context));
    frame->RecalcLayout();
    frame->ShowWindow(SW_SHOW);
    auto* pageView = static_cast<COcrView*>(splitter.GetPane(0, 0));
    auto* view = static_cast<CTextView*>(splitter.GetPane(0, 1));
    ASSERT_EQ(doc->GetPageView(), pageView);
    ASSERT_EQ(shell.textView, view);

    // Layout analysis and recognition through the pipeline.
    doc->AnalyzeLayout();
    doc->RecognizePage();
    ASSERT_TRUE(doc->m_bHasResult);
    ASSERT_GT(doc->m_nLineCount, 1u);
    // The engines read the page: most of its characters come back.
    const std::string read = suite::AnsiToUtf8(doc->PlainText(0, doc->m_nTextLen), 936);
    EXPECT_GE(testpages::charAccuracy(testpages::expectedText(test), read, false), 0.7) << read;
    view->SetFocus();
    view->UpdateWindow();

    // A click on the second character of the first line (below the strip's two rows) puts the caret there.
    CTextViewController& c = view->Controller();
    const SIZE cell = c.Cell();
    const RECT area = c.TextArea();
    const TextLine first = c.FetchLine(0);
    ASSERT_GE(first.units.size(), 3u);
    const int target = first.units[1].col;
    AfxTestClick(view, POINT{area.left + target * cell.cx + 2, area.top + 2 * cell.cy + 3});
    ASSERT_EQ(c.caretRow(), 0);
    ASSERT_EQ(c.caretCol(), target);
    const CRect box(pageView->Controller().CurrentChar());
    EXPECT_FALSE(box.IsRectEmpty());
    EXPECT_TRUE(CRect(0, 0, test.plane.width, test.plane.height).PtInRect(box.TopLeft())) << box.left << "," << box.top;

    // Overwrite it by typing a GB character, then take the second candidate of the next one.
    shell.insertMode = false;
    AfxTestKey(view, 0, "正");
    const TextLine typedLine = c.FetchLine(0);
    const TextLineUnit* typed = typedLine.UnitAt(target);
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->bytes[0], 0xD5);
    EXPECT_EQ(typed->bytes[1], 0xFD);
    const int next = c.caretCol();
    EXPECT_GT(next, target);
    const WORD candidate = view->Panel().Layout().ItemText(2);
    const RECT second = view->Panel().Layout().Item(2).rc;
    ASSERT_NE(candidate, kBlankCandidate) << "the engine gives more than one candidate";
    AfxTestClick(&view->Panel(), POINT{(second.left + second.right) / 2, (second.top + second.bottom) / 2});
    const TextLine takenLine = c.FetchLine(0);
    const TextLineUnit* taken = takenLine.UnitAt(next);
    ASSERT_NE(taken, nullptr);
    if ((candidate & 0xFF) == ' ') {
        EXPECT_EQ(taken->width, 1) << "a single-byte candidate";
        EXPECT_EQ(taken->bytes[0], candidate >> 8);
    } else {
        EXPECT_EQ(taken->bytes[0], candidate & 0xFF);
        EXPECT_EQ(taken->bytes[1], candidate >> 8);
    }
    EXPECT_GE(taken->record, 0) << "the recognised character keeps its record";
    // A new line at the end of the text, in insert mode.
    shell.insertMode = true;
    AfxTestKey(view, VK_END, nullptr, MK_CONTROL);
    AfxTestKey(view, 0, "ok");
    const std::string corrected = doc->PlainText(0, doc->m_nTextLen);
    EXPECT_EQ(corrected.substr(corrected.size() - 4), "ok\r\n");

    // The external editor gets the exported file as one argument.
    const std::string record = (folder / "editor args.txt").string();
    const std::string editor = (folder / "editor.sh").string();
    {
        std::ofstream script(editor);
        script << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" << record << "'\n";
    }
    ASSERT_EQ(chmod(editor.c_str(), 0755), 0);
    shell.externEditPath = editor;
    view->SendMessage(WM_COMMAND, ID_TEXT_TO_EDITOR);
    std::string count, argument;
    for (int i = 0; i < 250 && argument.empty(); ++i) {
        std::ifstream in(record);
        std::getline(in, count);
        std::getline(in, argument);
        if (argument.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(count, "1");
    EXPECT_TRUE(fs::exists(argument)) << argument;
    EXPECT_NE(argument.find("My ORdoc Files"), std::string::npos);

    // Leaving the page writes its project file; opened again, the corrections are there.
    ASSERT_TRUE(doc->SaveModified());
    frame->DestroyWindow();
    AfxPumpMessages();
    delete doc;
    COcrDoc again;
    again.m_bAutoDelete = FALSE;
    ASSERT_TRUE(again.OpenPageNow(imagePath.c_str()));
    ASSERT_TRUE(again.m_bHasResult);
    EXPECT_EQ(again.PlainText(0, again.m_nTextLen), corrected);
}

}  // namespace
