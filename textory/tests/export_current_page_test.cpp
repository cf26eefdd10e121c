// "Output to file" on a recognised page: each format written whole, an
// extension that names no format refused before the export library sees it,
// RTF moving to a numbered name when its own cannot be written, and nothing
// left behind when the file cannot be written at all.
#include "textory/output/export_current_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/afx/afxwin.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "outside/tests/pages.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(TextoryExportCurrentPage, FormatsNamesAndRefusals) {
    suite_test::ScratchFolder scratch;
    testpages::ensureGui();
    const testpages::Page rendered =
        testpages::textPage({"今天天气很好我们一起去公园散步"}, 1100, 420, testpages::Style{50, 0, 0, 3});
    COcrPage page;
    page.m_settings = TestSettings(0, 0);
    PutPlane(page, rendered.plane);
    char buffer[kBatchTextBytes] = {};
    BYTE cancel = 0;
    ASSERT_TRUE(page.RecognizePageBatch(nullptr, buffer, &cancel));
    const std::string folder = suite::WindowsPath(scratch.path()) + "\\";

    auto outcome = textory::ExportCurrentPage(page, folder + "page.xyz", 2052);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message, "wrong output file name");
    outcome = textory::ExportCurrentPage(page, folder + "no extension", 2052);
    EXPECT_FALSE(outcome.written);

    outcome = textory::ExportCurrentPage(page, folder + "page.txt", 2052);
    ASSERT_TRUE(outcome.written) << outcome.message;
    EXPECT_GT(fs::file_size(scratch / "page.txt"), 4u);

    // The RTF name is taken by a folder: the next numbered name is used.
    fs::create_directories(scratch / "report.rtf");
    outcome = textory::ExportCurrentPage(page, folder + "report.rtf", 2052);
    ASSERT_TRUE(outcome.written) << outcome.message;
    EXPECT_EQ(outcome.path, folder + "report_0000.rtf");
    std::ifstream in(scratch / "report_0000.rtf");
    std::string rtf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);

    outcome = textory::ExportCurrentPage(page, folder + "missing\\page.htm", 2052);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(outcome.message.empty());
    EXPECT_FALSE(fs::exists(scratch / "missing"));

    // A page without a result writes nothing.
    COcrPage empty;
    outcome = textory::ExportCurrentPage(empty, folder + "empty.txt", 2052);
    EXPECT_FALSE(outcome.written);
    EXPECT_FALSE(fs::exists(scratch / "empty.txt"));
}

}  // namespace
