#include "shell/pdf/pdf_convert_controller.h"
#include "shell/pdf/progress_controller.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class ConvertController : public ::testing::Test {
protected:
    fs::path dir;
    std::string folder;  // the scratch folder with a trailing backslash
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pdf-convert-dlg-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        folder = dir.string() + "\\";
    }
    void TearDown() override { fs::remove_all(dir); }
    CPdfConvertController make(const std::vector<std::string>& paths = {"C:\\docs\\a.pdf", "D:\\b.pdf"}) {
        return CPdfConvertController(true, paths, "", "C:\\data", true);
    }
};

}  // namespace

TEST_F(ConvertController, RowsKeepTheirFolderAndStartSelectedWithTheDefaultFolder) {
    CPdfConvertController c = make({"C:\\docs\\a.pdf", "plain.pdf"});
    ASSERT_EQ(c.Rows().size(), 2u);
    EXPECT_EQ(c.Rows()[0].folder, "C:\\docs\\");
    EXPECT_EQ(c.Rows()[0].name, "a.pdf");
    EXPECT_EQ(c.Rows()[1].folder, "");
    EXPECT_TRUE(c.Rows()[0].selected && c.Rows()[1].selected);
    EXPECT_EQ(c.FolderText(), "C:\\data\\OUTPUT\\");
    EXPECT_TRUE(c.WholeDocument());
    EXPECT_FALSE(c.PageEditsEnabled());
    c.SetWholeDocument(false);
    EXPECT_TRUE(c.PageEditsEnabled());
    CPdfConvertController remembered(false, {"x.pdf"}, "E:\\out\\", "C:\\data", false);
    EXPECT_EQ(remembered.FolderText(), "E:\\out\\");
    remembered.ChooseFolder("F:\\picked");
    EXPECT_EQ(remembered.FolderText(), "F:\\picked\\");
}

TEST_F(ConvertController, PageRangesMustBeOrderedWholeNumbersFromOne) {
    CPdfConvertController c = make();
    c.SetWholeDocument(false);
    for (auto [first, last] : std::vector<std::pair<const char*, const char*>>{
             {"0", "5"}, {"5", "3"}, {"", "4"}, {"2", ""}, {"-2", "3"}, {"-5", "-1"}, {"1x", "3"}, {"9999999999", "1"}})
        EXPECT_EQ(c.Accept(folder, first, last, true), IDS_PDF_RANGE_ERROR) << first << " to " << last;
    EXPECT_EQ(c.Accept(folder, " 3 ", "10", true), 0u);
    EXPECT_EQ(c.FirstPage(), 3);
    EXPECT_EQ(c.LastPage(), 10);
    EXPECT_EQ(c.Accept(folder, "4", "4", true), 0u) << "one page";
    c.SetWholeDocument(true);
    EXPECT_EQ(c.Accept(folder, "garbage", "", true), 0u) << "the edits are not read for the whole document";
    EXPECT_EQ(c.FirstPage(), 0);
    EXPECT_EQ(c.LastPage(), -1);
}

TEST_F(ConvertController, FoldersGetABackslashAndAreMadeWhenMissing) {
    CPdfConvertController c = make();
    EXPECT_EQ(c.Accept(dir.string(), "", "", false), 0u);
    EXPECT_EQ(c.TargetFolder(), folder) << "typed without a trailing backslash";
    EXPECT_FALSE(c.AutoOpen());
    const std::string deep = dir.string() + "\\one\\two\\three";
    EXPECT_EQ(c.Accept(deep, "", "", true), 0u);
    EXPECT_TRUE(fs::is_directory(dir / "one" / "two" / "three"));
    EXPECT_EQ(c.TargetFolder(), deep + "\\");
}

TEST_F(ConvertController, UnusableFoldersAreRefused) {
    CPdfConvertController c = make();
    fs::create_directories(dir / "file-parent");
    { std::FILE* f = std::fopen((dir / "file-parent" / "plain").c_str(), "w"); ASSERT_TRUE(f); std::fclose(f); }
    std::string tooLong = dir.string();
    while (tooLong.size() < 300) tooLong += "\\level";
    for (const std::string& bad : {std::string(""), std::string("relative\\out"), tooLong,
                                   dir.string() + "\\file-parent\\plain\\below"})
        EXPECT_EQ(c.Accept(bad, "", "", true), IDS_PDF_FOLDER_ERROR) << bad;
    EXPECT_FALSE(fs::exists(dir / "level")) << "no part of a refused folder is made";
    EXPECT_TRUE(c.TargetFolder().empty()) << "nothing accepted yet";
}

TEST_F(ConvertController, TheSelectedRowsInRowOrderAreConverted) {
    CPdfConvertController c = make({"C:\\a.pdf", "C:\\sub\\b.pdf", "c.pdf"});
    c.SelectRow(1, false);
    c.SelectRow(7, false);  // no such row
    EXPECT_EQ(c.Accept(folder, "", "", true), 0u);
    EXPECT_EQ(c.SelectedPaths(), (std::vector<std::string>{"C:\\a.pdf", "c.pdf"}));
    for (int i = 0; i < 3; ++i) c.SelectRow(i, false);
    EXPECT_EQ(c.Accept(folder, "", "", true), IDS_PDF_SELECT_ONE);
}

TEST(ProgressController, PercentageCountsUpOnceAndPositionsStayInRange) {
    CProgressController p;
    p.SetRange(4);
    EXPECT_EQ(p.PercentText(), "  0%");
    bool changed = false;
    EXPECT_TRUE(p.SetPos(3, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(p.PercentText(), "75%");
    EXPECT_TRUE(p.SetPos(3, &changed));
    EXPECT_FALSE(changed) << "the same percentage is not written again";
    EXPECT_TRUE(p.SetPos(1, &changed));
    EXPECT_FALSE(changed) << "the label never counts down";
    EXPECT_EQ(p.Pos(), 1);
    EXPECT_FALSE(p.SetPos(0, &changed));
    EXPECT_FALSE(p.SetPos(-3, &changed));
    EXPECT_FALSE(p.SetPos(5, &changed));
    EXPECT_EQ(p.Pos(), 1);
    p.ResetPercentage();
    EXPECT_TRUE(p.SetPos(2, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(p.PercentText(), "50%");
    CProgressController empty;
    EXPECT_FALSE(empty.SetPos(1, &changed)) << "no range";
    p.Stop();
    EXPECT_TRUE(p.Stopped());
    p.ClearStop();
    EXPECT_FALSE(p.Stopped());
}

TEST(ProgressController, LongPathsAreCutBetweenCharacters) {
    const std::string shortPath(96, 'a');
    EXPECT_EQ(CProgressController::FileLabel("> ", shortPath), "> " + shortPath);
    const std::string path100(100, 'b');
    EXPECT_EQ(CProgressController::FileLabel("", path100), std::string(90, 'b') + "...");
    // A double-byte character across byte 90 is left out whole.
    std::string mixed(89, 'c');
    mixed += "\xD7\xAA";  // one character in the ANSI code page
    mixed += std::string(20, 'd');
    EXPECT_EQ(CProgressController::FileLabel("", mixed), std::string(89, 'c') + "...");
    std::string aligned(88, 'e');
    aligned += "\xD7\xAA";
    aligned += std::string(20, 'f');
    EXPECT_EQ(CProgressController::FileLabel("", aligned), std::string(88, 'e') + "\xD7\xAA" + "...");
}
