// The converters through their exported entries, as the program calls them:
// text pages made by Qt's PDF writer, a picture page made by "Brenvo.dll",
// encrypted copies made by qpdf. Derrow's text is held against pdftotext's,
// Calvet's RTF is read back page by page.
#include "outside/include/pdf_libraries.h"

#include "outside/calvet/tests/pdf_fixtures.h"
#include "outside/calvet/tests/rtf_reader.h"
#include "outside/convert/packed_dib.h"
#include "platform/win/codepage.h"
#include "platform/win/memory.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <array>
#include <fstream>
#include <set>
#include <sstream>

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
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <typename F>
    F entry(const char* name) const {
        return handle_ ? reinterpret_cast<F>(dlsym(handle_, name)) : nullptr;
    }

private:
    void* handle_;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool run(const std::string& command) {
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The progress calls of one conversion, and where to answer "stop".
struct ProgressLog {
    std::vector<std::array<int, 3>> calls;
    int stopAt = 0;
};
ProgressLog* g_progress = nullptr;

int recordProgress(int total, int current, int unconvertible) {
    g_progress->calls.push_back({total, current, unconvertible});
    return current == g_progress->stopAt ? 1 : 0;
}

class PdfConverters : public ::testing::Test {
protected:
    Library calvetLib{"libCalvet.so"};
    Library derrowLib{"libDerrow.so"};
    Library brenvoLib{"libBrenvo.so"};
    PFN_CALVET calvet = calvetLib.entry<PFN_CALVET>("calvet");
    PFN_DERROW derrow = derrowLib.entry<PFN_DERROW>("derrow");
    PFN_BRENVO brenvo = brenvoLib.entry<PFN_BRENVO>("Brenvo");
    ProgressLog progress;
    fs::path dir;

    void SetUp() override {
        ASSERT_TRUE(calvet && derrow && brenvo);
        ASSERT_TRUE(calvetLib.entry<PFN_PDFINIT>("pdfInit") && calvetLib.entry<PFN_PDFTERM>("pdfTerm"));
        ASSERT_TRUE(derrowLib.entry<PFN_PDFINIT>("pdfInit") && derrowLib.entry<PFN_PDFTERM>("pdfTerm"));
        calvetLib.entry<PFN_PDFINIT>("pdfInit")();
        derrowLib.entry<PFN_PDFINIT>("pdfInit")();
        dir = fs::temp_directory_path() / ("pdfconv-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        g_progress = &progress;
    }
    void TearDown() override {
        g_progress = nullptr;
        calvetLib.entry<PFN_PDFTERM>("pdfTerm")();
        derrowLib.entry<PFN_PDFTERM>("pdfTerm")();
        fs::remove_all(dir);
    }
    std::string file(const char* name) const { return (dir / name).string(); }

    int toRtf(const std::string& in, const std::string& out, int first, int last, BOOL hasPassword = FALSE,
              const char* password = nullptr) {
        progress.calls.clear();
        return calvet(in.c_str(), out.c_str(), first, last, hasPassword, password, recordProgress);
    }

    // Derrow's output decoded, after checking its form: UTF-16LE with a
    // byte-order mark, every line ended by CR LF.
    std::string derrowText(const std::string& path) {
        const std::string bytes = readFile(path);
        EXPECT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
        EXPECT_EQ(bytes.size() % 2, 0u);
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        for (std::size_t i = 0; i < units.size(); ++i)
            if (units[i] == u'\n') {
                EXPECT_TRUE(i > 0 && units[i - 1] == u'\r') << "bare line feed at " << i;
            }
        return suite::Utf16ToUtf8(units);
    }

    std::string pdftotext(const std::string& in, int first, int last) {
        const std::string out = file("reference.txt");
        EXPECT_TRUE(run("pdftotext -q -enc UTF-8 -f " + std::to_string(first) + " -l " + std::to_string(last) + " '" +
                        in + "' '" + out + "'"));
        std::string text = readFile(out);
        fs::remove(out);
        return text;
    }

    // A page holding only a picture, written by the picture writer.
    std::string picturePdf() {
        convert::DibBuilder b;
        EXPECT_TRUE(b.create(300, 300, 8, 3937, 3937));
        for (LONG y = 0; y < 300; ++y)
            for (LONG x = 0; x < 300; ++x) b.row(y)[x] = (x / 30 + y / 30) % 2 ? 0 : 255;
        HDIB dib = b.release();
        const std::string path = file("picture.pdf");
        EXPECT_EQ(brenvo(dib, path.c_str()), 0);
        GlobalFree(dib);
        return path;
    }

    std::string encrypted(const std::string& in, const char* password) {
        const std::string out = file("locked.pdf");
        EXPECT_TRUE(run(std::string("qpdf --encrypt ") + password + " owner-" + password + " 256 -- '" + in + "' '" +
                        out + "'"));
        return out;
    }

    bool onlyFiles(std::initializer_list<const char*> names) {
        std::set<std::string> expected(names.begin(), names.end()), found;
        for (const auto& e : fs::directory_iterator(dir)) found.insert(e.path().filename().string());
        return expected == found;
    }
};

std::vector<pdffixtures::TextPage> samplePages(int count, int seed = 0) {
    std::vector<pdffixtures::TextPage> pages;
    for (int i = 0; i < count; ++i) pages.push_back(pdffixtures::SamplePage(seed + i));
    return pages;
}

TEST_F(PdfConverters, DerrowTextEqualsPdftotextButForSpaces) {
    const std::string in = file("sample.pdf");
    const auto pages = samplePages(6);
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, pages));
    const std::string out = file("sample.txt");
    for (auto [first, last] : {std::pair{1, 6}, std::pair{2, 4}, std::pair{6, 6}}) {
        ASSERT_EQ(derrow(in.c_str(), out.c_str(), first, last, nullptr), 0);
        const std::string text = derrowText(out);
        EXPECT_EQ(pdffixtures::WithoutSpaces(text), pdffixtures::WithoutSpaces(pdftotext(in, first, last)));
        std::vector<std::string> expected;
        for (int p = first; p <= last; ++p)
            expected.insert(expected.end(), pages[p - 1].lines.begin(), pages[p - 1].lines.end());
        EXPECT_EQ(pdffixtures::WithoutSpaces(text), pdffixtures::WithoutSpaces(expected));
    }
}

TEST_F(PdfConverters, ColumnsKeepTheirBlocksWholeInPdftotextsOrder) {
    const std::string in = file("columns.pdf");
    const pdffixtures::TextPage page = pdffixtures::TwoColumnPage();
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, {page}));
    const std::string txt = file("columns.txt");
    ASSERT_EQ(derrow(in.c_str(), txt.c_str(), 1, 1, nullptr), 0);
    const std::string text = pdffixtures::WithoutSpaces(derrowText(txt));
    EXPECT_EQ(text, pdffixtures::WithoutSpaces(pdftotext(in, 1, 1)));
    // Lines side by side are not interleaved: each column's paragraph stays whole.
    EXPECT_NE(text.find(pdffixtures::WithoutSpaces(std::vector<std::string>(page.lines.begin(), page.lines.begin() + 3))),
              std::string::npos);
    EXPECT_NE(text.find(pdffixtures::WithoutSpaces(
                  std::vector<std::string>(page.rightColumn.begin(), page.rightColumn.begin() + 3))),
              std::string::npos);
    const std::string rtf = file("columns.rtf");
    ASSERT_EQ(toRtf(in, rtf, 1, 1), 0);
    const rtftest::Document doc = rtftest::Read(readFile(rtf));
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(pdffixtures::WithoutSpaces(doc.pages[0]), text);
}

TEST_F(PdfConverters, CalvetRtfHoldsEachPagesTextWithProgressOverTwicePages) {
    const std::string in = file("sample.pdf");
    const auto pages = samplePages(8, 3);
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, pages));
    const std::string out = file("sample.rtf");
    ASSERT_EQ(toRtf(in, out, 3, 7), 0);
    const rtftest::Document doc = rtftest::Read(readFile(out));
    EXPECT_TRUE(doc.wellFormed);
    EXPECT_TRUE(doc.codePage == 936 || doc.codePage == 950);
    ASSERT_EQ(doc.pages.size(), 5u);
    for (int p = 3; p <= 7; ++p)
        EXPECT_EQ(pdffixtures::WithoutSpaces(doc.pages[p - 3]), pdffixtures::WithoutSpaces(pages[p - 1].lines))
            << "page " << p;
    ASSERT_EQ(progress.calls.size(), 10u);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(progress.calls[k], (std::array<int, 3>{10, k + 1, 0}));
    // Sizes follow the text: pages 3 to 5 are set in 12 points, 6 and 7 in 14.
    const std::string rtf = readFile(out);
    EXPECT_NE(rtf.find("\\fs24 "), std::string::npos);
    EXPECT_NE(rtf.find("\\fs28 "), std::string::npos);
    EXPECT_EQ(rtf.find("\\fs20 "), std::string::npos);
}

// An office suite, where one is installed, reads the RTF and finds every
// page's text in it.
TEST_F(PdfConverters, AnInstalledOfficeSuiteReadsEveryPagesText) {
    std::string office;
    for (const char* name : {"soffice", "libreoffice"})
        if (office.empty() && run(std::string("command -v ") + name + " >/dev/null 2>&1")) office = name;
    if (office.empty()) GTEST_SKIP() << "no office suite installed";
    const auto pages = samplePages(3);
    const std::string in = file("office.pdf");
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, pages));
    ASSERT_EQ(toRtf(in, file("office.rtf"), 1, 3), 0);
    ASSERT_TRUE(run(office + " -env:UserInstallation=file://" + (dir / "profile").string() +
                    " --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" + dir.string() + "' '" +
                    file("office.rtf") + "' >/dev/null 2>&1"));
    const std::string text = pdffixtures::WithoutSpaces(readFile(file("office.txt")));
    for (int p = 0; p < 3; ++p)
        EXPECT_NE(text.find(pdffixtures::WithoutSpaces(pages[static_cast<std::size_t>(p)].lines)), std::string::npos)
            << "page " << p + 1;
}

TEST_F(PdfConverters, InkOutsideTheTextOrNoTextMarksAPageUnconvertible) {
    auto pages = samplePages(3);
    pages[1].rule = true;
    pages[2].lines.clear();
    const std::string in = file("mixed.pdf");
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, pages));
    ASSERT_EQ(toRtf(in, file("mixed.rtf"), 1, 3), 0);
    ASSERT_EQ(progress.calls.size(), 6u);
    EXPECT_EQ(progress.calls[0][2], 0);
    EXPECT_EQ(progress.calls[1][2], 1);
    EXPECT_EQ(progress.calls[2][2], 1);
    for (int k = 3; k < 6; ++k) EXPECT_EQ(progress.calls[k][2], 0);
    // The page with the rule still gives its text.
    const rtftest::Document doc = rtftest::Read(readFile(file("mixed.rtf")));
    ASSERT_EQ(doc.pages.size(), 3u);
    EXPECT_EQ(pdffixtures::WithoutSpaces(doc.pages[1]), pdffixtures::WithoutSpaces(pages[1].lines));
    EXPECT_EQ(doc.pages[2], "");

    // Only dark ink counts: a pale rule is paper, a dark one half covering
    // the paper is as grey as a mid-grey one, and both are ink.
    auto rules = samplePages(4);
    for (auto& page : rules) page.rule = true;
    rules[0].ruleGrey = 220;
    rules[1].ruleGrey = 128;
    rules[2].ruleAlpha = 128;
    rules[3].ruleAlpha = 40;
    const std::string ruled = file("rules.pdf");
    ASSERT_TRUE(pdffixtures::WriteTextPdf(ruled, rules));
    ASSERT_EQ(toRtf(ruled, file("rules.rtf"), 1, 4), 0);
    ASSERT_EQ(progress.calls.size(), 8u);
    EXPECT_EQ(progress.calls[0][2], 0) << "pale";
    EXPECT_EQ(progress.calls[1][2], 1) << "mid-grey";
    EXPECT_EQ(progress.calls[2][2], 1) << "black half covering";
    EXPECT_EQ(progress.calls[3][2], 0) << "black faintly covering";

    // A picture page from the picture writer has no text at all.
    const std::string picture = picturePdf();
    ASSERT_EQ(toRtf(picture, file("picture.rtf"), 1, 1), 0);
    ASSERT_EQ(progress.calls.size(), 2u);
    EXPECT_EQ(progress.calls[0], (std::array<int, 3>{2, 1, 1}));
    EXPECT_TRUE(rtftest::Read(readFile(file("picture.rtf"))).wellFormed);
    ASSERT_EQ(derrow(picture.c_str(), file("picture.txt").c_str(), 1, 1, nullptr), 0);
    EXPECT_EQ(readFile(file("picture.txt")), "\xFF\xFE");
}

TEST_F(PdfConverters, InkIsCheckedOnTheRightPagesOfARangeAndOfAProtectedFile) {
    auto pages = samplePages(5);
    pages[3].rule = true;  // pdf page 4
    const std::string in = file("range.pdf");
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, pages));
    ASSERT_EQ(toRtf(in, file("range.rtf"), 3, 5), 0);
    ASSERT_EQ(progress.calls.size(), 6u);
    EXPECT_EQ(progress.calls[0][2], 0) << "pdf page 3";
    EXPECT_EQ(progress.calls[1][2], 1) << "pdf page 4";
    EXPECT_EQ(progress.calls[2][2], 0) << "pdf page 5";
    // The same pages behind a password: the drawing opens the file with it too.
    const std::string locked = encrypted(in, "secret");
    progress.calls.clear();
    ASSERT_EQ(toRtf(locked, file("locked.rtf"), 4, 5, TRUE, "secret"), 0);
    ASSERT_EQ(progress.calls.size(), 4u);
    EXPECT_EQ(progress.calls[0][2], 1);
    EXPECT_EQ(progress.calls[1][2], 0);
    // Stopped while the drawing runs ahead: the call ends at once.
    progress.calls.clear();
    progress.stopAt = 1;
    EXPECT_EQ(toRtf(in, file("stopped.rtf"), 1, 5), PDF_ERR_STOPPED);
    EXPECT_EQ(progress.calls.size(), 1u);
    progress.stopAt = 0;
}

TEST_F(PdfConverters, PasswordsAsTheRenderer) {
    const std::string plain = file("plain.pdf");
    const auto pages = samplePages(2);
    ASSERT_TRUE(pdffixtures::WriteTextPdf(plain, pages));
    const std::string locked = encrypted(plain, "secret");
    const std::string rtf = file("out.rtf"), txt = file("out.txt");
    EXPECT_EQ(toRtf(locked, rtf, 1, 2), PDF_ERR_PASSWORD);
    EXPECT_EQ(toRtf(locked, rtf, 1, 2, TRUE, "wrong"), PDF_ERR_PASSWORD);
    // Without the has-password flag the password is not used.
    EXPECT_EQ(toRtf(locked, rtf, 1, 2, FALSE, "secret"), PDF_ERR_PASSWORD);
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_FALSE(fs::exists(rtf));
    ASSERT_EQ(toRtf(locked, rtf, 1, 2, TRUE, "secret"), 0);
    EXPECT_EQ(rtftest::Read(readFile(rtf)).pages.size(), 2u);

    EXPECT_EQ(derrow(locked.c_str(), txt.c_str(), 1, 2, nullptr), PDF_ERR_PASSWORD);
    EXPECT_EQ(derrow(locked.c_str(), txt.c_str(), 1, 2, ""), PDF_ERR_PASSWORD);
    EXPECT_EQ(derrow(locked.c_str(), txt.c_str(), 1, 2, "Secret"), PDF_ERR_PASSWORD);
    EXPECT_FALSE(fs::exists(txt));
    ASSERT_EQ(derrow(locked.c_str(), txt.c_str(), 1, 2, "secret"), 0);
    EXPECT_EQ(pdffixtures::WithoutSpaces(derrowText(txt)),
              pdffixtures::WithoutSpaces(pages[0].lines) + pdffixtures::WithoutSpaces(pages[1].lines));
}

TEST_F(PdfConverters, FailuresLeaveTheOldOutputAndNoTemporaryFile) {
    const std::string in = file("in.pdf");
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, samplePages(3)));
    const std::string rtf = file("out.rtf"), txt = file("out.txt");
    std::ofstream(rtf) << "old";
    std::ofstream(txt) << "old";
    // Stopped while parsing, and while writing.
    progress.stopAt = 2;
    EXPECT_EQ(toRtf(in, rtf, 1, 3), PDF_ERR_STOPPED);
    EXPECT_EQ(progress.calls.size(), 2u);
    progress.stopAt = 4;
    EXPECT_EQ(toRtf(in, rtf, 1, 3), PDF_ERR_STOPPED);
    EXPECT_EQ(progress.calls.size(), 4u);
    progress.stopAt = 0;
    // Ranges outside the document.
    for (auto [first, last] : {std::pair{0, 2}, std::pair{2, 4}, std::pair{3, 2}, std::pair{-1, -1}}) {
        EXPECT_EQ(toRtf(in, rtf, first, last), PDF_ERR_PAGE);
        EXPECT_EQ(derrow(in.c_str(), txt.c_str(), first, last, nullptr), PDF_ERR_PAGE);
    }
    // Files that are no PDF: missing, empty, text, a cut-off PDF, a folder.
    const std::string bytes = readFile(in);
    std::ofstream(file("empty.pdf"));
    std::ofstream(file("text.pdf")) << "just some text\n";
    std::ofstream(file("cut.pdf"), std::ios::binary) << bytes.substr(0, bytes.size() / 3);
    fs::create_directory(dir / "folder.pdf");
    for (const char* name : {"missing.pdf", "empty.pdf", "text.pdf", "cut.pdf", "folder.pdf"}) {
        EXPECT_NE(toRtf(file(name), rtf, 1, 1), 0) << name;
        EXPECT_NE(derrow(file(name).c_str(), txt.c_str(), 1, 1, nullptr), 0) << name;
    }
    EXPECT_EQ(toRtf(file("missing.pdf"), rtf, 1, 1), PDF_ERR_OPEN);
    EXPECT_EQ(readFile(rtf), "old");
    EXPECT_EQ(readFile(txt), "old");
    // The output must not replace the input, nor go where no file can be.
    EXPECT_EQ(toRtf(in, in, 1, 3), PDF_ERR_WRITE);
    EXPECT_EQ(derrow(in.c_str(), in.c_str(), 1, 3, nullptr), PDF_ERR_WRITE);
    EXPECT_EQ(readFile(in), bytes);
    EXPECT_EQ(toRtf(in, file("no/such/folder/out.rtf"), 1, 3), PDF_ERR_WRITE);
    EXPECT_EQ(derrow(in.c_str(), file("no/such/folder/out.txt").c_str(), 1, 3, nullptr), PDF_ERR_WRITE);
    EXPECT_EQ(calvet(nullptr, rtf.c_str(), 1, 1, FALSE, nullptr, nullptr), PDF_ERR_OPEN);
    EXPECT_EQ(derrow(in.c_str(), nullptr, 1, 1, nullptr), PDF_ERR_WRITE);
    // A good run without a progress callback replaces the old files whole.
    EXPECT_EQ(calvet(in.c_str(), rtf.c_str(), 1, 3, FALSE, nullptr, nullptr), 0);
    EXPECT_EQ(derrow(in.c_str(), txt.c_str(), 1, 3, nullptr), 0);
    EXPECT_EQ(rtftest::Read(readFile(rtf)).pages.size(), 3u);
    EXPECT_TRUE(onlyFiles({"in.pdf", "out.rtf", "out.txt", "empty.pdf", "text.pdf", "cut.pdf", "folder.pdf"}));
}

TEST_F(PdfConverters, WindowsStylePathsAndChineseNames) {
    const std::string in = file("文档.pdf");
    const auto pages = samplePages(1, 3);
    ASSERT_TRUE(pdffixtures::WriteTextPdf(in, pages));
    // The entries take ANSI paths: the names in the process's code page.
    const std::string ansiIn = suite::Utf8ToAnsi(in), ansiOut = suite::Utf8ToAnsi(file("结果.rtf"));
    ASSERT_EQ(calvet(ansiIn.c_str(), ansiOut.c_str(), 1, 1, FALSE, nullptr, nullptr), 0);
    EXPECT_TRUE(fs::exists(fs::u8path(file("结果.rtf"))));
}

}  // namespace
