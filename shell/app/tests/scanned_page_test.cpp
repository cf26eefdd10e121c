// Scanned pages arriving at the main frame: the name follows the picture's
// depth, the user settles a name that exists, the document writes the page,
// and the page list lists the name only once the file was written.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/afx/ui/msgbox.h"
#include "platform/win/memory.h"
#include "shell/app/scribant_ids.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

// A packed DIB of w x h pixels at `bits` a pixel (1, 8 or 24), with a band of ink.
HDIB MakeDib(int w, int h, int bits) {
    const int colours = bits == 24 ? 0 : 1 << bits;
    const int stride = ((w * bits + 31) / 32) * 4;
    const std::size_t size = 40 + static_cast<std::size_t>(colours) * 4 + static_cast<std::size_t>(stride) * h;
    HDIB dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    BYTE* p = static_cast<BYTE*>(GlobalLock(dib));
    auto put32 = [&](int at, std::uint32_t v) { std::memcpy(p + at, &v, 4); };
    put32(0, 40);
    put32(4, static_cast<std::uint32_t>(w));
    put32(8, static_cast<std::uint32_t>(h));
    p[12] = 1;
    p[14] = static_cast<BYTE>(bits);
    put32(24, 11811);  // 300 dpi
    put32(28, 11811);
    for (int c = 0; c < colours; ++c) {
        const BYTE v = static_cast<BYTE>(c * 255 / (colours - 1));
        p[40 + c * 4] = p[41 + c * 4] = p[42 + c * 4] = v;
    }
    BYTE* rows = p + 40 + colours * 4;
    std::memset(rows, 0xFF, static_cast<std::size_t>(stride) * h);
    for (int y = h / 3; y < h / 2; ++y) std::memset(rows + static_cast<std::size_t>(y) * stride, 0, static_cast<std::size_t>(stride) / 2);
    GlobalUnlock(dib);
    return dib;
}

class ScannedPage : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        ASSERT_TRUE(Start());
        frame = app_->MainFrame();
        AfxTestScript::Clear();
    }
    std::string scanName(const std::string& file) { return app_->m_strDataDir + "\\IMAGE\\" + file; }
    fs::path native(const std::string& file) { return Data() / "IMAGE" / file; }
    void arrive(HDIB dib) { frame->SendMessage(WM_SCANIMAGE, reinterpret_cast<WPARAM>(dib), 0); }
    CMainFrame* frame = nullptr;
};

TEST_F(ScannedPage, GreyPagesAreSavedAsJpgAndListedAfterTheWrite) {
    app_->m_settings.saveAsJpg = true;
    app_->SetScanName(scanName("OR001.tif"));
    arrive(MakeDib(320, 200, 8));
    ASSERT_EQ(app_->PageListRowCount(), 1);
    const std::string listed = app_->PageListItemText(0, kPageListPath);
    EXPECT_EQ(listed, scanName("OR001.jpg"));
    ASSERT_TRUE(fs::exists(native("OR001.jpg")));
    EXPECT_GT(fs::file_size(native("OR001.jpg")), 100u);
    EXPECT_FALSE(fs::exists(native("OR001.tif"))) << "no empty file under the box's name";
    EXPECT_EQ(app_->PageListCurrentRow(), 0);
    EXPECT_EQ(app_->StatusPaneText(kStatusCounter), "   1  /  1");
}

TEST_F(ScannedPage, OneBitPagesNamedJpgBecomeTif) {
    app_->SetScanName(scanName("page001.jpg"));
    arrive(MakeDib(320, 200, 1));
    EXPECT_EQ(app_->ScanName().substr(0, scanName("page00").size()), scanName("page00"));
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->PageListItemText(0, kPageListPath), scanName("page001.tif"));
    EXPECT_TRUE(fs::exists(native("page001.tif")));
}

TEST_F(ScannedPage, AnExistingFileIsKeptUnlessTheUserSaysYes) {
    std::ofstream(native("OR001.tif")) << "the earlier scan";
    app_->SetScanName(scanName("OR001.tif"));
    AfxTestScript::QueueAnswer(IDCANCEL);
    arrive(MakeDib(200, 100, 1));
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_EQ(fs::file_size(native("OR001.tif")), 16u);
    // No, then the save dialog cancelled: dropped, nothing touched.
    AfxTestScript::QueueAnswer(IDNO);
    AfxTestScript::QueueFile("");
    arrive(MakeDib(200, 100, 1));
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_EQ(fs::file_size(native("OR001.tif")), 16u);
    // Yes replaces it, and the name is listed once.
    AfxTestScript::QueueAnswer(IDYES);
    arrive(MakeDib(200, 100, 1));
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->PageListItemText(0, kPageListPath), scanName("OR001.tif"));
    EXPECT_NE(fs::file_size(native("OR001.tif")), 16u);
}

TEST_F(ScannedPage, NoThenAnotherNameSavesThere) {
    std::ofstream(native("OR001.tif")) << "the earlier scan";
    app_->SetScanName(scanName("OR001.tif"));
    AfxTestScript::QueueAnswer(IDNO);
    AfxTestScript::QueueFile(native("other.tif").string());
    arrive(MakeDib(200, 100, 1));
    EXPECT_EQ(fs::file_size(native("OR001.tif")), 16u);
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_TRUE(fs::exists(native("other.tif")));
}

TEST_F(ScannedPage, ARefusedFolderDropsThePage) {
    app_->SetScanName(app_->m_strDataDir + "\\new scans\\OR001.tif");
    AfxTestScript::QueueAnswer(IDNO);
    arrive(MakeDib(200, 100, 1));
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_FALSE(fs::exists(Data() / "new scans"));
    arrive(nullptr);  // nothing at all
    EXPECT_EQ(app_->PageListRowCount(), 0);
}

TEST_F(ScannedPage, PagesArrivingWhileOneIsAskedAboutWaitAndAreSavedInOrder) {
    std::ofstream(native("OR001.tif")) << "the earlier scan";
    app_->SetScanName(scanName("OR001.tif"));
    // The feeder's next two pages come while the first page's question is up.
    int rowsWhileAsking = -1;
    app_->whileAsking = [&](const std::string&) {
        arrive(MakeDib(640, 400, 1));
        arrive(MakeDib(960, 600, 1));
        rowsWhileAsking = app_->PageListRowCount();
    };
    AfxTestScript::QueueAnswer(IDYES);
    arrive(MakeDib(320, 200, 1));
    EXPECT_EQ(rowsWhileAsking, 0) << "the waiting pages are not saved inside the question";
    ASSERT_EQ(app_->PageListRowCount(), 3);
    const std::string first = app_->PageListItemText(0, kPageListPath);
    const std::string second = app_->PageListItemText(1, kPageListPath);
    const std::string third = app_->PageListItemText(2, kPageListPath);
    EXPECT_EQ(first, scanName("OR001.tif"));
    EXPECT_NE(second, first);
    EXPECT_NE(third, second);
    // In the order they came: the larger the page, the larger its file.
    auto size = [&](const std::string& listed) { return fs::file_size(native(std::string(suite::PathLastPart(listed)))); };
    EXPECT_NE(size(first), 16u);
    EXPECT_LT(size(first), size(second));
    EXPECT_LT(size(second), size(third));
}

TEST_F(ScannedPage, AFrameClosedWhileAPageIsAskedAboutDropsThePagesSafely) {
    std::ofstream(native("OR001.tif")) << "the earlier scan";
    app_->SetScanName(scanName("OR001.tif"));
    app_->whileAsking = [&](const std::string&) {
        arrive(MakeDib(640, 400, 1));  // waits behind the asked page
        frame->DestroyWindow();        // and the user closes the program meanwhile
    };
    AfxTestScript::QueueAnswer(IDYES);
    // By its handle, as the scanner glue sends it: the frame object goes during the call.
    ::SendMessage(frame->GetSafeHwnd(), WM_SCANIMAGE, reinterpret_cast<WPARAM>(MakeDib(320, 200, 1)), 0);
    EXPECT_EQ(app_->m_pMainWnd, nullptr);
    EXPECT_EQ(fs::file_size(native("OR001.tif")), 16u) << "nothing written for a frame that went";
    EXPECT_FALSE(fs::exists(native("OR002.tif")));
    frame = nullptr;
}

}  // namespace
}  // namespace scribanttest
