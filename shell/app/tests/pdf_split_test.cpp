// A PDF named on the command line: a longer one split into one-page files
// listed one row a page (earlier pages of the same name replaced, by exact
// name), a one-page one listed as it is, a protected one asking for its
// password on this thread, and a split that lists nothing opening nothing.
// The close of a page that waits for its password on the load thread ends in
// bounded time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "imaging/pdf/pdf_page_access.h"
#include "outside/convert/packed_dib.h"
#include "platform/win/memory.h"
#include "shell/app/scribant_ids.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/dialogs/pdf_password_dlg.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

HDIB StripedPage() {
    convert::DibBuilder b;
    if (!b.create(120, 80, 8, 3937, 3937)) return nullptr;
    for (LONG y = 0; y < 80; ++y)
        for (LONG x = 0; x < 120; ++x) b.row(y)[x] = (x / 10) % 2 ? 0 : 255;
    return b.release();
}

int RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

void TypeSecret(CWnd* dialog, void*) {
    dialog->SetDlgItemText(IDC_PDF_PASSWORD, "secret");
    static_cast<CDialog*>(dialog)->OnOK();
}

class PdfOnTheCommandLine : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        fs::create_directories(root_ / "in");
        one = (root_ / "in" / "one.pdf").string();
        HDIB page = StripedPage();
        ASSERT_EQ(SaveDibAsPdf(0, page, one.c_str()), 0);
        GlobalFree(page);
    }
    void TearDown() override {
        UnloadPdfRenderer();
        ScribantHome::TearDown();
    }
    // A PDF of `pages` pages, locked with "secret" when asked.
    std::string MakePdf(const std::string& name, int pages, bool locked = false) {
        const std::string plain = (root_ / "in" / ("plain-" + name)).string();
        std::string command = "qpdf --empty --pages";
        for (int i = 0; i < pages; ++i) command += " '" + one + "'";
        EXPECT_EQ(RunQuietly(command + " -- '" + plain + "'"), 0);
        const std::string path = (root_ / "in" / name).string();
        if (locked) EXPECT_EQ(RunQuietly("qpdf --encrypt secret owner 256 -- '" + plain + "' '" + path + "'"), 0);
        else fs::rename(plain, path);
        return path;
    }
    fs::path SplitFolder(const std::string& stem) { return Data() / "IMAGE" / stem; }
    std::string Row(int row) { return app_->PageListItemText(row, kPageListPath); }

    std::string one;
};

TEST_F(PdfOnTheCommandLine, ALongerFileIsSplitIntoOnePageFilesAndItsFirstPageOpened) {
    const std::string pdf = MakePdf("report.pdf", 3);
    ASSERT_TRUE(Start({pdf}));
    ASSERT_EQ(app_->PageListRowCount(), 3);
    for (int page = 1; page <= 3; ++page) {
        const fs::path file = SplitFolder("report") / ("report_0000" + std::to_string(page) + ".pdf");
        EXPECT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(suite::NativePath(Row(page - 1)), file.string());
        const auto* record = reinterpret_cast<const PdfPageRecord*>(app_->MainFrame()->PageList().GetItemData(page - 1));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->page, page);
        EXPECT_EQ(record->flag, 1);
        EXPECT_EQ(suite::NativePath(record->source), pdf);
        EXPECT_TRUE(record->password.empty());
    }
    EXPECT_EQ(app_->PageListSelectedRows(), std::vector<int>{0});
    EXPECT_EQ(app_->m_settings.lastFilePath, Row(0));
    EXPECT_TRUE(PumpUntil([&] { return app_->CurrentDocumentPath() == Row(0); }));
}

TEST_F(PdfOnTheCommandLine, APdfHandedToTheRunningProgramIsSplitThere) {
    const std::string pdf = MakePdf("handed.pdf", 2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(app_->Queue().Append(suite::WindowsPath(pdf)));
    app_->MainFrame()->SendMessage(WM_COMMAND, ID_OPEN_QUEUED_IMAGES, 0);
    ASSERT_EQ(app_->PageListRowCount(), 2);
    EXPECT_EQ(suite::NativePath(Row(1)), (SplitFolder("handed") / "handed_00002.pdf").string());
    EXPECT_TRUE(app_->Queue().TakeAll().empty());
}

TEST_F(PdfOnTheCommandLine, AOnePageFileIsListedAsItIs) {
    ASSERT_TRUE(Start({one}));
    ASSERT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(suite::NativePath(Row(0)), one);
    EXPECT_FALSE(fs::exists(SplitFolder("one")));
}

TEST_F(PdfOnTheCommandLine, AnEarlierSplitsPagesGoByExactNameOnly) {
    // '*' and '?' are ordinary characters of a name here.
    const std::string pdf = MakePdf("scan*.pdf", 2);
    const fs::path folder = SplitFolder("scan*");
    fs::create_directories(folder);
    for (const char* name : {"scan*_00001.pdf", "SCAN*_00001.pdf.PST", "scanX_00001.pdf", "scan*_000011.pdf",
                             "scan_00001.pdf"})
        std::ofstream(folder / name) << "old";
    ASSERT_TRUE(Start({pdf}));
    ASSERT_EQ(app_->PageListRowCount(), 2);
    EXPECT_GT(fs::file_size(folder / "scan*_00001.pdf"), 3u) << "written anew";
    EXPECT_FALSE(fs::exists(folder / "SCAN*_00001.pdf.PST")) << "the old page's work goes with it";
    for (const char* kept : {"scanX_00001.pdf", "scan*_000011.pdf", "scan_00001.pdf"})
        EXPECT_TRUE(fs::exists(folder / kept)) << kept;
}

TEST_F(PdfOnTheCommandLine, AProtectedFileAsksForItsPasswordAndItsPagesKeepIt) {
    const std::string pdf = MakePdf("locked.pdf", 2, true);
    AfxTestScript::QueueDialogAction(TypeSecret, nullptr);
    ASSERT_TRUE(Start({pdf}));
    ASSERT_EQ(app_->PageListRowCount(), 2);
    const auto* record = reinterpret_cast<const PdfPageRecord*>(app_->MainFrame()->PageList().GetItemData(1));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->password, "secret");
    EXPECT_EQ(record->page, 2);
}

TEST_F(PdfOnTheCommandLine, ACancelledPasswordOpensNothingButTheProgramStarts) {
    const std::string pdf = MakePdf("locked.pdf", 2, true);
    ASSERT_TRUE(Start({pdf}));  // no answer queued: the dialog is cancelled
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_NE(app_->MainFrame(), nullptr);
}

TEST_F(PdfOnTheCommandLine, ASplitThatListsNoPageOpensNoRow) {
    const std::string first = MakePdf("first.pdf", 1), second = MakePdf("second.pdf", 1);
    const std::string pdf = MakePdf("blocked.pdf", 2);
    ASSERT_TRUE(Start({first}));
    ASSERT_TRUE(app_->OpenImagePath(suite::WindowsPath(second)));
    ASSERT_EQ(app_->PageListSelectedRows(), std::vector<int>{1});
    // The split folder cannot be made: no page can be written.
    fs::create_directories(Data() / "IMAGE");
    std::ofstream(SplitFolder("blocked")) << "a file in the way";
    AfxTestScript::Clear();
    EXPECT_FALSE(app_->OpenPdfFile(suite::WindowsPath(pdf)));
    EXPECT_EQ(app_->PageListRowCount(), 2);
    EXPECT_EQ(app_->PageListSelectedRows(), std::vector<int>{1}) << "row 0 was not opened";
    // The user is told that none of its pages could be listed.
    const std::vector<AfxShownRecord> shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find(suite::WindowsPath(pdf)), std::string::npos) << shown[0].text;
}

TEST_F(PdfOnTheCommandLine, ClosingWhileThePageWaitsForItsPasswordEndsInBoundedTime) {
    const std::string pdf = MakePdf("locked one.pdf", 1, true);
    // The count asks on this thread (answered); the page load asks again on
    // its own thread, and that question is not answered by anyone.
    AfxTestScript::QueueDialogAction(TypeSecret, nullptr);
    ASSERT_TRUE(Start({pdf}));
    ASSERT_EQ(app_->PageListRowCount(), 1);
    AfxTestScript::Enable(false);
    const auto start = std::chrono::steady_clock::now();
    app_->MainFrame()->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return app_->m_pMainWnd == nullptr; }, 20000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    AfxTestScript::Enable(true);
}

}  // namespace
}  // namespace scribanttest
