#include "outside/include/pdf_libraries.h"

#include "outside/convert/packed_dib.h"
#include "platform/win/memory.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

fs::path programFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// One stand-in library, opened by file name from the program folder.
class Library {
public:
    explicit Library(const char* name) : handle_(dlopen((programFolder() / name).c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_) dlclose(handle_);
    }
    template <typename F>
    F entry(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle_, name));
    }
    bool loaded() const { return handle_ != nullptr; }

private:
    void* handle_;
};

struct Renderer {
    Library lib{"libMarlith.so"};
    PFN_PDFINIT init = lib.entry<PFN_PDFINIT>("pdfInit");
    PFN_PDFTERM term = lib.entry<PFN_PDFTERM>("pdfTerm");
    PFN_PDFCREATEDOC open = lib.entry<PFN_PDFCREATEDOC>("pdfCreateDoc");
    PFN_GETPDFPAGECOUNT count = lib.entry<PFN_GETPDFPAGECOUNT>("getPdfPageCount");
    PFN_PDFPAGE2DIB render = lib.entry<PFN_PDFPAGE2DIB>("pdfPage2Dib");
    PFN_PDFDELETEDOC close = lib.entry<PFN_PDFDELETEDOC>("pdfDeleteDoc");
};

class PdfLibraries : public ::testing::Test {
protected:
    fs::path dir;
    Renderer renderer;
    Library writerLib{"libBrenvo.so"};
    PFN_BRENVO writer = writerLib.entry<PFN_BRENVO>("Brenvo");

    void SetUp() override {
        ASSERT_TRUE(renderer.lib.loaded() && writerLib.loaded());
        ASSERT_TRUE(renderer.init && renderer.term && renderer.open && renderer.count && renderer.render &&
                    renderer.close && writer);
        dir = fs::temp_directory_path() / ("pdf-test-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        renderer.init();
    }
    void TearDown() override {
        renderer.term();
        fs::remove_all(dir);
    }
    std::string file(const char* name) const { return (dir / name).string(); }
};

// A page with a black bar across a white field, at 100 dpi.
HDIB barPage(int bits) {
    convert::DibBuilder b;
    if (!b.create(200, 100, bits, 3937, 3937)) return nullptr;
    for (LONG y = 0; y < 100; ++y) {
        BYTE* row = b.row(y);
        const bool bar = y >= 40 && y < 60;
        for (LONG x = 0; x < 200; ++x) {
            if (bits == 1) {
                if (bar) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            } else {
                for (int c = 0; c < bits / 8; ++c) row[x * (bits / 8) + c] = bar ? 0 : 255;
            }
        }
    }
    return b.release();
}

BYTE greyAt(HDIB dib, LONG x, LONG y) {
    convert::DibReader r;
    if (!r.open(dib)) return 0;
    const BYTE* row = r.row(y);
    if (r.bits() == 1) return ((row[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;
    return row[x * (r.bits() / 8)];
}

int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

}  // namespace

TEST_F(PdfLibraries, PicturesWrittenAsPdfRenderBackAtTheirSizeInEveryMode) {
    for (int bits : {1, 8, 24}) {
        HDIB page = barPage(bits);
        ASSERT_NE(page, nullptr);
        const std::string path = file(("bar" + std::to_string(bits) + ".pdf").c_str());
        EXPECT_EQ(writer(page, path.c_str()), 0);
        GlobalFree(page);
        EXPECT_EQ(run("pdfinfo '" + path + "'"), 0) << "poppler's own tool opens the file";

        int error = -1;
        PDFDOC doc = renderer.open(path.c_str(), &error, FALSE, nullptr);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(error, PDF_ERR_NONE);
        EXPECT_EQ(renderer.count(doc), 1);
        for (int mode : {PDF_RENDER_COLOUR, PDF_RENDER_GREY, PDF_RENDER_MONO}) {
            HDIB back = renderer.render(doc, 1, mode, 100, nullptr, nullptr, &error);
            ASSERT_NE(back, nullptr) << bits << " bits, mode " << mode;
            {
                convert::DibReader r;
                ASSERT_TRUE(r.open(back));
                EXPECT_EQ(r.width(), 200);
                EXPECT_EQ(r.height(), 100);
                EXPECT_EQ(r.bits(), mode == PDF_RENDER_COLOUR ? 24 : mode == PDF_RENDER_GREY ? 8 : 1);
            }
            EXPECT_LT(greyAt(back, 100, 50), 64) << "the bar is dark";
            EXPECT_GT(greyAt(back, 100, 10), 192) << "the field is light";
            GlobalFree(back);
        }
        renderer.close(doc);
    }
}

TEST_F(PdfLibraries, PasswordsAreAskedForAndChecked) {
    HDIB page = barPage(8);
    const std::string plain = file("plain.pdf");
    const std::string locked = file("locked.pdf");
    ASSERT_EQ(writer(page, plain.c_str()), 0);
    GlobalFree(page);
    ASSERT_EQ(run("qpdf --encrypt secret owner 256 -- '" + plain + "' '" + locked + "'"), 0);
    int error = -1;
    EXPECT_EQ(renderer.open(locked.c_str(), &error, FALSE, nullptr), nullptr);
    EXPECT_EQ(error, PDF_ERR_PASSWORD);
    EXPECT_EQ(renderer.open(locked.c_str(), &error, TRUE, "wrong"), nullptr);
    EXPECT_EQ(error, PDF_ERR_PASSWORD);
    PDFDOC doc = renderer.open(locked.c_str(), &error, TRUE, "secret");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(error, PDF_ERR_NONE);
    HDIB back = renderer.render(doc, 1, PDF_RENDER_GREY, 0, nullptr, nullptr, &error);
    ASSERT_NE(back, nullptr);
    convert::DibReader r;
    ASSERT_TRUE(r.open(back));
    EXPECT_EQ(r.width(), 600) << "0 means the default resolution, 300 dpi";
    GlobalFree(back);
    renderer.close(doc);
}

TEST_F(PdfLibraries, BadFilesPagesHandlesAndStopsGiveErrorsNotPictures) {
    int error = 0;
    EXPECT_EQ(renderer.open(file("missing.pdf").c_str(), &error, FALSE, nullptr), nullptr);
    EXPECT_EQ(error, PDF_ERR_OPEN);
    std::ofstream(file("junk.pdf")) << "%PDF-1.4\nthis is not a document";
    EXPECT_EQ(renderer.open(file("junk.pdf").c_str(), &error, FALSE, nullptr), nullptr);
    EXPECT_NE(error, PDF_ERR_NONE);

    HDIB page = barPage(1);
    const std::string path = file("one.pdf");
    ASSERT_EQ(writer(page, path.c_str()), 0);
    GlobalFree(page);
    PDFDOC doc = renderer.open(path.c_str(), &error, FALSE, nullptr);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(renderer.render(doc, 2, 0, 72, nullptr, nullptr, &error), nullptr);
    EXPECT_EQ(error, PDF_ERR_PAGE);
    EXPECT_EQ(renderer.render(doc, 0, 0, 72, nullptr, nullptr, &error), nullptr);
    EXPECT_EQ(error, PDF_ERR_PAGE);
    int calls = 0;
    auto stopAtOnce = [](int, int, void* data) {
        ++*static_cast<int*>(data);
        return 1;
    };
    EXPECT_EQ(renderer.render(doc, 1, 0, 72, stopAtOnce, &calls, &error), nullptr);
    EXPECT_EQ(error, PDF_ERR_STOPPED);
    EXPECT_EQ(calls, 1);
    renderer.close(doc);
    EXPECT_EQ(renderer.count(doc), 0) << "a deleted document is no longer known";
    EXPECT_EQ(renderer.render(doc, 1, 0, 72, nullptr, nullptr, &error), nullptr);
    EXPECT_EQ(error, PDF_ERR_BAD_HANDLE);
    renderer.close(doc);  // a second delete is harmless

    // A page of 200 inches square: at 300 dpi its picture would take some
    // 10 GB; it is refused before anything is drawn.
    std::ofstream(file("poster.pdf")) << "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                                         "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
                                         "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 14400 14400] >> endobj\n"
                                         "trailer << /Root 1 0 R >>\n%%EOF\n";
    PDFDOC poster = renderer.open(file("poster.pdf").c_str(), &error, FALSE, nullptr);
    ASSERT_NE(poster, nullptr) << error;
    calls = 0;
    EXPECT_EQ(renderer.render(poster, 1, PDF_RENDER_GREY, 300, stopAtOnce, &calls, &error), nullptr);
    EXPECT_EQ(error, PDF_ERR_MEMORY);
    EXPECT_EQ(calls, 0);
    HDIB small = renderer.render(poster, 1, PDF_RENDER_GREY, 2, nullptr, nullptr, &error);
    EXPECT_NE(small, nullptr) << "at 2 dpi the same page is drawn";
    GlobalFree(small);
    renderer.close(poster);
}

TEST_F(PdfLibraries, ProgressIsReportedUpToTheTotal) {
    HDIB page = barPage(24);
    const std::string path = file("progress.pdf");
    ASSERT_EQ(writer(page, path.c_str()), 0);
    GlobalFree(page);
    int error = 0;
    PDFDOC doc = renderer.open(path.c_str(), &error, FALSE, nullptr);
    ASSERT_NE(doc, nullptr);
    struct Seen {
        int last = -1;
        int total = 0;
        bool ordered = true;
    } seen;
    auto record = [](int total, int done, void* data) {
        auto* s = static_cast<Seen*>(data);
        if (done < s->last && total == s->total) s->ordered = false;
        s->last = done;
        s->total = total;
        return 0;
    };
    HDIB back = renderer.render(doc, 1, PDF_RENDER_COLOUR, 100, record, &seen, &error);
    ASSERT_NE(back, nullptr);
    GlobalFree(back);
    EXPECT_TRUE(seen.ordered);
    EXPECT_EQ(seen.last, seen.total);
    renderer.close(doc);
}

TEST_F(PdfLibraries, TwoThreadsRenderAtOnce) {
    HDIB page = barPage(8);
    const std::string path = file("shared.pdf");
    ASSERT_EQ(writer(page, path.c_str()), 0);
    GlobalFree(page);
    auto work = [&] {
        for (int i = 0; i < 5; ++i) {
            renderer.init();
            int error = 0;
            PDFDOC doc = renderer.open(path.c_str(), &error, FALSE, nullptr);
            ASSERT_NE(doc, nullptr);
            HDIB back = renderer.render(doc, 1, PDF_RENDER_GREY, 100, nullptr, nullptr, &error);
            EXPECT_NE(back, nullptr);
            if (back) GlobalFree(back);
            renderer.close(doc);
            renderer.term();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
}

TEST_F(PdfLibraries, WriterRefusesBadBitmapsAndKeepsAnExistingFile) {
    const std::string path = file("kept.pdf");
    std::ofstream(path) << "old";
    EXPECT_NE(writer(nullptr, path.c_str()), 0);
    HGLOBAL junk = GlobalAlloc(GHND, 10);
    EXPECT_NE(writer(junk, path.c_str()), 0);
    GlobalFree(junk);
    std::ifstream in(path);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
    HDIB page = barPage(1);
    EXPECT_NE(writer(page, file("no/folder/x.pdf").c_str()), 0);
    GlobalFree(page);
}
