#include "imaging/pdf/pdf_page_access.h"
#include "imaging/pdf/pdf_prompts.h"
#include "imaging/pdf/tests/scripted_pdf_prompts.h"

#include "outside/convert/packed_dib.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/memory.h"
#include "platform/win/sync.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

HDIB greyPage() {
    convert::DibBuilder b;
    if (!b.create(120, 80, 8, 3937, 3937)) return nullptr;
    for (LONG y = 0; y < 80; ++y)
        for (LONG x = 0; x < 120; ++x) b.row(y)[x] = (x / 10) % 2 ? 0 : 255;
    return b.release();
}

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

class PdfPageAccess : public ::testing::Test {
protected:
    fs::path dir;
    ScriptedPdfPrompts prompts;
    std::string onePage, threePages, locked;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("pdf-access-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        SetPdfPrompts(&prompts);
        onePage = (dir / "one.pdf").string();
        threePages = (dir / "three.pdf").string();
        locked = (dir / "locked.pdf").string();
        HDIB page = greyPage();
        ASSERT_EQ(SaveDibAsPdf(0, page, onePage.c_str()), 0);
        GlobalFree(page);
        ASSERT_EQ(run("qpdf --empty --pages '" + onePage + "' '" + onePage + "' '" + onePage + "' -- '" +
                      threePages + "'"), 0);
        ASSERT_EQ(run("qpdf --encrypt secret owner 256 -- '" + threePages + "' '" + locked + "'"), 0);
    }
    void TearDown() override {
        UnloadPdfRenderer();
        SetPdfPrompts(nullptr);
        fs::remove_all(dir);
    }
};

}  // namespace

TEST_F(PdfPageAccess, PageCountOfTheOpenDocument) {
    int error = -1;
    EXPECT_EQ(GetPdfPageCount(&error, threePages.c_str(), TRUE), 3);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(GetPdfPageCount(&error, (dir / "missing.pdf").string().c_str(), TRUE), -1);
    EXPECT_NE(error, 0);
    EXPECT_EQ(GetPdfPageCount(&error, locked.c_str(), TRUE), -1) << "no password is asked for a count";
    EXPECT_EQ(error, PDF_ERR_PASSWORD);
}

TEST_F(PdfPageAccess, WrongPasswordsAreReportedAndAskedAgainUntilRight) {
    prompts.answers = {"guess", "secret"};
    std::string password;
    int error = -1;
    EXPECT_EQ(OpenPdfWithPassword(&error, &password, locked.c_str(), FALSE), 3);
    EXPECT_EQ(prompts.asked, 2);
    EXPECT_EQ(prompts.wrong, 1);
    EXPECT_EQ(password, "secret");
    // The document stays open for the split: pages render to files of each type.
    for (int type : {0, 1, 2, 3}) {
        const std::string out = (dir / ("page" + std::to_string(type))).string();
        EXPECT_EQ(RenderPdfPageToFile(&error, 2, out.c_str(), type, 0, 72), 1) << "type " << type;
        EXPECT_GT(fs::file_size(out), 0u);
    }
    EXPECT_EQ(RenderPdfPageToFile(&error, 4, (dir / "none").string().c_str(), 0, 0, 72), 0) << "no fourth page";
    EXPECT_FALSE(fs::exists(dir / "none"));
    UnloadPdfRenderer();
    EXPECT_EQ(RenderPdfPageToFile(&error, 1, (dir / "late").string().c_str(), 0, 0, 72), 0) << "nothing open";
}

TEST_F(PdfPageAccess, CancelledPasswordOpensNothing) {
    std::string password = "stale";
    int error = -1;
    EXPECT_EQ(OpenPdfWithPassword(&error, &password, locked.c_str(), TRUE), -1);
    EXPECT_EQ(error, PDF_ERR_PASSWORD);
    EXPECT_EQ(password, "");
    EXPECT_EQ(prompts.asked, 1);
}

TEST_F(PdfPageAccess, RenderPdfPageGivesThePageWithProgress) {
    HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x1234});
    HDIB dib = RenderPdfPage(window, threePages.c_str(), nullptr, 3, nullptr);
    ASSERT_NE(dib, nullptr);
    {
        convert::DibReader r;
        ASSERT_TRUE(r.open(dib));
        EXPECT_EQ(r.bits(), 24);
        EXPECT_EQ(r.width(), 360) << "120 pixels at 100 dpi drawn at 300 dpi";
    }
    GlobalFree(dib);
    EXPECT_GT(prompts.posts, 0);
    EXPECT_EQ(prompts.pumps, prompts.posts);
    EXPECT_EQ(prompts.lastDone, prompts.lastTotal);
    EXPECT_EQ(RenderPdfPage(window, threePages.c_str(), nullptr, 4, nullptr), nullptr);
    EXPECT_EQ(RenderPdfPage(window, threePages.c_str(), nullptr, 0, nullptr), nullptr);
}

TEST_F(PdfPageAccess, RenderPdfPageStopsWhenTheStopEventIsSet) {
    HANDLE stop = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(RenderPdfPage(nullptr, threePages.c_str(), stop, 1, nullptr), nullptr);
    EXPECT_EQ(prompts.posts, 0);
    CloseHandle(stop);
}

TEST_F(PdfPageAccess, RenderPdfPageTakesAGivenPasswordOrAsks) {
    HDIB dib = RenderPdfPage(nullptr, locked.c_str(), nullptr, 1, "secret");
    EXPECT_NE(dib, nullptr);
    if (dib) GlobalFree(dib);
    EXPECT_EQ(prompts.asked, 0);
    EXPECT_EQ(RenderPdfPage(nullptr, locked.c_str(), nullptr, 1, nullptr), nullptr) << "prompt cancelled";
    EXPECT_EQ(prompts.asked, 1);
    prompts.answers = {"secret"};
    dib = RenderPdfPage(nullptr, locked.c_str(), nullptr, 1, "wrong");
    EXPECT_NE(dib, nullptr);
    if (dib) GlobalFree(dib);
    EXPECT_EQ(prompts.asked, 2);
}

TEST_F(PdfPageAccess, TheKeptDocumentAnswersOnlyForItsOwnPath) {
    int error = -1;
    EXPECT_EQ(GetPdfPageCount(&error, threePages.c_str(), FALSE), 3);
    EXPECT_EQ(GetPdfPageCount(&error, onePage.c_str(), FALSE), 1) << "another file is opened, not the kept one counted";
    EXPECT_EQ(GetPdfPageCount(&error, onePage.c_str(), FALSE), 1);
    std::string password;
    EXPECT_EQ(OpenPdfWithPassword(&error, &password, threePages.c_str(), FALSE), 3);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(GetPdfPageCount(&error, (dir / "missing.pdf").string().c_str(), FALSE), -1)
        << "a file that cannot be opened is not answered by the open one";
    EXPECT_EQ(RenderPdfPageToFile(&error, 1, (dir / "after").string().c_str(), 0, 0, 72), 0) << "nothing is open";
}
