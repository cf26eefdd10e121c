// Textory run for real on rendered pages of known text: each output kind is
// written whole with the page's text, in GBK or (on a traditional Chinese
// system) Big5 forms, and every way the job can fail ends with its own exit
// status and leaves no output file behind. The launcher hands its files on.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "outside/tests/pages.h"
#include "platform/win/codepage.h"
#include "platform/win/library.h"
#include "shell/tests/fake_shell_services.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/app/textory_ids.h"
#include "textory/tests/textory_process.h"

namespace textorytest {
namespace {

namespace fs = std::filesystem;

const std::string kSimplifiedText = "今天天气很好我们一起去公园散步";
const std::string kTraditionalText = "我們今天一起去學校讀書寫字";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-16LE bytes after their mark, as UTF-8.
std::string utf16ToUtf8(const std::string& bytes) {
    std::u16string text;
    for (std::size_t at = 2; at + 1 < bytes.size(); at += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                             (static_cast<unsigned char>(bytes[at + 1]) << 8)));
    return suite::Utf16ToUtf8(text);
}

class TextoryJob : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SUITE_LANGID", "2052", 1);
        ::setenv("SUITE_REGISTRY_USER", (scratch / "user.db").c_str(), 1);
        ::setenv("SUITE_RUNTIME_DIR", (scratch / "runtime").c_str(), 1);
        ::setenv("SUITE_IPC_DIR", (scratch / "ipc").c_str(), 1);
        fs::create_directories(scratch / "runtime");
        pages = scratch / "pages";
        fs::create_directories(pages);
        // The image codecs write through the conversion library.
        convert_ = LoadLibraryA("Convert.dll");
        ASSERT_NE(convert_, nullptr);
        shell_.convertLibrary = convert_;
        SetShellServices(&shell_);
    }
    void TearDown() override {
        SetShellServices(nullptr);
        if (convert_) FreeLibrary(convert_);
        ::unsetenv("SUITE_LANGID");
    }

    // A page of one paragraph of `text`, saved as `name` in the pages folder.
    std::string renderPage(const std::string& text, const std::string& name) {
        testpages::ensureGui();
        const testpages::Page page = testpages::textPage({text}, 1100, 420, testpages::Style{50, 0, 0, 3});
        const std::string path = (fs::path(pages) / name).string();
        EXPECT_TRUE(SavePlaneAsImage(page.plane, path));
        return path;
    }
    ProcessRun textory(const std::vector<std::string>& arguments, const std::string& cwd = {}) {
        return RunProgram("Textory", arguments, cwd.empty() ? pages : cwd, scratch / "errors.txt");
    }

    suite_test::ScratchFolder scratch;
    std::string pages;
    CFakeShellServices shell_;
    HMODULE convert_ = nullptr;
};

TEST_F(TextoryJob, WritesEachOutputKindInTheSimplifiedForms) {
    const std::string image = renderPage(kSimplifiedText, "page.tif");
    const fs::path txt = fs::path(pages) / "out.txt", doc = fs::path(pages) / "out.doc",
                   htm = fs::path(pages) / "out.htm";

    ProcessRun run = textory({image, txt.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    const std::string text = readBytes(txt);
    ASSERT_GE(text.size(), 4u);
    EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(text[1]), 0xFE);
    EXPECT_EQ(text.size() % 2, 0u);
    EXPECT_GE(testpages::charAccuracy(kSimplifiedText, utf16ToUtf8(text), false), 0.6) << utf16ToUtf8(text);

    run = textory({image, doc.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    const std::string rtf = readBytes(doc);
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(rtf.find("\\ansicpg936"), std::string::npos);

    run = textory({image, htm.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    const std::string html = readBytes(htm);
    EXPECT_NE(html.find("<"), std::string::npos);
    EXPECT_NE(suite::AnsiToUtf8(html, 936).find(kSimplifiedText.substr(0, 6)), std::string::npos) << html;

    // The job leaves no side file of its own beside the image.
    for (const char* suffix : {".PST", ".BKI", ".txt", ".TXT", ".DAT", ".ATR"})
        EXPECT_FALSE(fs::exists(image + suffix)) << suffix;
    EXPECT_FALSE(fs::exists(fs::path(pages) / "out.txt.part"));
}

TEST_F(TextoryJob, ATraditionalSystemWritesBig5Forms) {
    ::setenv("SUITE_LANGID", "1028", 1);
    const std::string image = renderPage(kTraditionalText, "page.tif");
    const fs::path doc = fs::path(pages) / "out.doc", txt = fs::path(pages) / "out.txt";
    ProcessRun run = textory({image, doc.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    const std::string rtf = readBytes(doc);
    EXPECT_NE(rtf.find("\\ansicpg950"), std::string::npos);
    EXPECT_NE(rtf.find("\\fcharset136"), std::string::npos);

    run = textory({image, txt.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    EXPECT_GE(testpages::charAccuracy(kTraditionalText, utf16ToUtf8(readBytes(txt)), false), 0.5)
        << utf16ToUtf8(readBytes(txt));
}

// On a US English system the page is read as English, by the same rule as
// Scribant's start: every word comes back as printed, where the Chinese
// model would break some of them up.
TEST_F(TextoryJob, AnEnglishSystemReadsEnglish) {
    ::setenv("SUITE_LANGID", "0x0409", 1);
    const std::string english = "She kept a small notebook in which she wrote down every new word";
    const std::string image = renderPage(english, "page.tif");
    const fs::path txt = fs::path(pages) / "out.txt";
    ProcessRun run = textory({image, txt.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    const std::string text = utf16ToUtf8(readBytes(txt));
    EXPECT_EQ(testpages::normalise(text, true), english);
}

TEST_F(TextoryJob, RelativeNamesAreTakenFromTheFolderItStartedIn) {
    renderPage(kSimplifiedText, "page.tif");
    const ProcessRun run = textory({"page.tif", "sub/../result.txt"}, pages);
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    EXPECT_TRUE(fs::exists(fs::path(pages) / "result.txt"));
}

TEST_F(TextoryJob, EveryFailureHasItsStatusAndLeavesNoFile) {
    const std::string image = renderPage(kSimplifiedText, "page.tif");
    const fs::path out = fs::path(pages) / "never.txt";
    struct Case {
        std::vector<std::string> arguments;
        int status;
    } refused[] = {
        {{"\""}, textory::kExitCommandLineRefused},
        {{image, "a\"b.txt"}, textory::kExitCommandLineRefused},
        {{(fs::path(pages) / "page.png").string(), out.string()}, textory::kExitCommandLineRefused},
        {{image, (fs::path(pages) / "never.rtf").string()}, textory::kExitCommandLineRefused},
        {{image, (fs::path(pages) / "never").string()}, textory::kExitCommandLineRefused},
        {{(fs::path(pages) / "missing.tif").string(), out.string()}, textory::kExitImageUnreadable},
    };
    for (const Case& c : refused) {
        const ProcessRun run = textory(c.arguments);
        EXPECT_EQ(run.status, c.status) << ::testing::PrintToString(c.arguments) << run.errors;
        EXPECT_FALSE(run.errors.empty()) << ::testing::PrintToString(c.arguments);
    }

    // An image file that holds no image.
    const fs::path broken = fs::path(pages) / "broken.tif";
    std::ofstream(broken, std::ios::binary) << "II*\0not really a picture";
    ProcessRun run = textory({broken.string(), out.string()});
    EXPECT_EQ(run.status, textory::kExitImageUnreadable) << run.errors;
    EXPECT_NE(run.errors.find(broken.string()), std::string::npos) << "the user's own path: " << run.errors;

    // A path longer than the program takes: refused, and said.
    const std::string deep = (fs::path(pages) / (std::string(280, 'n') + ".txt")).string();
    ASSERT_GT(deep.size(), 286u);
    run = textory({image, deep});
    EXPECT_EQ(run.status, textory::kExitCommandLineRefused) << run.errors;
    EXPECT_NE(run.errors.find("longer than"), std::string::npos) << run.errors;

    // A blank page gives no text: nothing is written, not even an empty file.
    testpages::ensureGui();
    const fs::path blank = fs::path(pages) / "blank.tif";
    ASSERT_TRUE(SavePlaneAsImage(BlankPlane(800, 400), blank.string()));
    run = textory({blank.string(), out.string()});
    EXPECT_EQ(run.status, textory::kExitNothingRecognised) << run.errors;

    // An output folder that does not exist.
    // An output folder that does not exist: found before the recognition.
    const fs::path nowhere = fs::path(pages) / "no-such-folder" / "out.txt";
    run = textory({image, nowhere.string()});
    EXPECT_EQ(run.status, textory::kExitOutputNotWritten) << run.errors;
    EXPECT_NE(run.errors.find(nowhere.string()), std::string::npos) << run.errors;

    EXPECT_FALSE(fs::exists(out));
    for (const auto& entry : fs::directory_iterator(pages)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "page.tif" || name == "broken.tif" || name == "blank.tif") << name;
    }
}

TEST_F(TextoryJob, ATiffOfSeveralPagesIsReadAsItsFirstAndSaysSo) {
    const std::string first = renderPage(kSimplifiedText, "first.tif");
    const std::string second = renderPage("明天下雨我们在家里看书", "second.tif");
    const std::string both = (fs::path(pages) / "both.tif").string();
    ASSERT_EQ(std::system(("tiffcp '" + first + "' '" + second + "' '" + both + "'").c_str()), 0);
    const fs::path out = fs::path(pages) / "both.txt";
    const ProcessRun run = textory({both, out.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    EXPECT_NE(run.errors.find(both + " has 2 pages: only the first is recognised"), std::string::npos) << run.errors;
    EXPECT_GE(testpages::charAccuracy(kSimplifiedText, utf16ToUtf8(readBytes(out)), false), 0.6);
}

TEST_F(TextoryJob, SideFilesTheUserHadAreKept) {
    const std::string image = renderPage(kSimplifiedText, "page.jpg.tif");
    std::ofstream(image + ".DAT") << "the user's recognition data";
    std::ofstream(image + ".ATR", std::ios::binary) << std::string("\x80\0\0\0", 4);
    // The output is one of the side files' names: it stays.
    const std::string output = image + ".txt";
    const ProcessRun run = textory({image, output});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    EXPECT_EQ(readBytes(image + ".DAT"), "the user's recognition data");
    EXPECT_EQ(readBytes(image + ".ATR").size(), 4u);
    EXPECT_TRUE(fs::exists(output));
    EXPECT_FALSE(fs::exists(image + ".PST"));
    EXPECT_FALSE(fs::exists(image + ".BKI"));
}

TEST_F(TextoryJob, TheBundledSamplePageIsReadAsRunShowsIt) {
    const std::string sample = std::string(SUITE_TEST_DATA) + "/tools/sample/page.tif";
    const fs::path out = fs::path(pages) / "sample.txt";
    const ProcessRun run = textory({sample, out.string()});
    ASSERT_EQ(run.status, textory::kExitWritten) << run.errors;
    const std::string expected = readBytes(std::string(SUITE_TEST_DATA) + "/tools/sample/page.expected.txt");
    const std::string text = utf16ToUtf8(readBytes(out));
    EXPECT_GE(testpages::charAccuracy(expected, text, false), 0.98) << text;
}

TEST_F(TextoryJob, TheLauncherHandsItsFilesOnAndTellsHowItWent) {
    renderPage(kSimplifiedText, "page.tif");
    ProcessRun run = RunProgram("Feedgate", {"page.tif", "handed.txt"}, pages, scratch / "errors.txt");
    EXPECT_EQ(run.status, textory::kExitWritten) << run.errors;
    EXPECT_TRUE(fs::exists(fs::path(pages) / "handed.txt"));
    run = RunProgram("Feedgate", {"page.tif", "handed.rtf"}, pages, scratch / "errors.txt");
    EXPECT_EQ(run.status, textory::kExitCommandLineRefused) << run.errors;
    // A file no program of the suite opens reaches Textory, which says why
    // it refuses it in a message box (here written out: no screen to show it).
    std::ofstream(fs::path(pages) / "letter.doc") << "a letter";
    std::ofstream(fs::path(pages) / "notes.xyz") << "notes";
    for (const char* name : {"letter.doc", "notes.xyz"}) {
        run = RunProgram("Feedgate", {name}, pages, scratch / "errors.txt");
        EXPECT_EQ(run.status, textory::kExitCommandLineRefused) << name << run.errors;
        EXPECT_NE(run.errors.find("message box \"cannot recognise \"" + (fs::path(pages) / name).string()),
                  std::string::npos)
            << run.errors;
    }
}

}  // namespace
}  // namespace textorytest
