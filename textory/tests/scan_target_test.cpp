// Settling where a scanned page goes, in task-bar mode (nothing asked) and
// outside it (the user asked), up to every counter name being taken.
#include "textory/names/scan_target.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

namespace fs = std::filesystem;

class TextoryScanTarget : public ::testing::Test {
protected:
    std::string at(const std::string& name) { return suite::WindowsPath(scratch.path()) + "\\" + name; }
    textory::ScanTargetAsk ask() {
        return {[this](const std::string&) {
                    ++folderQuestions;
                    return createAnswer;
                },
                [this](const std::string&) { return existsAnswer; },
                [this](const std::string&) { return otherName; },
                [this](const std::string& text) { told.push_back(text); }};
    }
    suite_test::ScratchFolder scratch;
    int folderQuestions = 0;
    bool createAnswer = true;
    int existsAnswer = 2;
    std::string otherName;
    std::vector<std::string> told;
};

TEST_F(TextoryScanTarget, TaskBarModeAsksNothing) {
    auto t = textory::SettleScanTarget(at("new\\scan.tif"), true, ask());
    ASSERT_TRUE(t.save);
    EXPECT_EQ(t.path, at("new\\scan001.tif"));
    EXPECT_TRUE(fs::is_directory(scratch / "new"));
    t = textory::SettleScanTarget(at("page.png"), true, ask());
    EXPECT_EQ(t.path, at("page001.jpg"));
    std::ofstream(scratch / "page999.jpg") << "x";
    std::ofstream(scratch / "page000.jpg") << "x";
    t = textory::SettleScanTarget(at("page999.jpg"), true, ask());
    EXPECT_EQ(t.path, at("page001.jpg"));
    EXPECT_FALSE(t.replaces);
    EXPECT_EQ(folderQuestions, 0);
    EXPECT_TRUE(told.empty());
}

TEST_F(TextoryScanTarget, AllCountersTakenDropsThePageAndSaysSo) {
    for (int i = 0; i < 1000; ++i) {
        char n[32];
        std::snprintf(n, sizeof n, "full%03d.jpg", i);
        std::ofstream(scratch / n) << "an earlier scan";
    }
    const auto t = textory::SettleScanTarget(at("full007.jpg"), true, ask());
    EXPECT_FALSE(t.save);
    ASSERT_EQ(told.size(), 1u);
    // Told with the folder as the user knows it, not by its drive.
    EXPECT_NE(told[0].find(scratch / "full"), std::string::npos) << told[0];
    EXPECT_EQ(told[0].find(":\\"), std::string::npos) << told[0];
}

TEST_F(TextoryScanTarget, OutsideTaskBarModeTheUserDecides) {
    createAnswer = false;
    EXPECT_FALSE(textory::SettleScanTarget(at("missing\\a001.jpg"), false, ask()).save);
    EXPECT_EQ(folderQuestions, 1);
    EXPECT_FALSE(fs::exists(scratch / "missing"));
    EXPECT_FALSE(textory::SettleScanTarget(at("a001.png"), false, ask()).save);
    EXPECT_EQ(told.size(), 1u);

    std::ofstream(scratch / "a001.jpg") << "x";
    existsAnswer = 2;
    EXPECT_FALSE(textory::SettleScanTarget(at("a001.jpg"), false, ask()).save);
    existsAnswer = 6;
    auto t = textory::SettleScanTarget(at("a001.jpg"), false, ask());
    EXPECT_TRUE(t.save && t.replaces);
    existsAnswer = 7;
    otherName = at("b005.jpg");
    t = textory::SettleScanTarget(at("a001.jpg"), false, ask());
    EXPECT_TRUE(t.save);
    EXPECT_EQ(t.path, at("b005.jpg"));
    otherName.clear();
    EXPECT_FALSE(textory::SettleScanTarget(at("a001.jpg"), false, ask()).save);
}

}  // namespace

namespace {

TEST(TextoryScanFolderChoice, TheBrowserStartsInTheTargetsFolderAndTheNameIsKept) {
    EXPECT_EQ(textory::ScanTargetFolder("C:\\Scans\\Week 1\\OR007.jpg"), "C:\\Scans\\Week 1");
    EXPECT_EQ(textory::ScanTargetFolder("C:\\OR007.jpg"), "C:\\") << "a drive's root keeps its separator";
    EXPECT_EQ(textory::ScanTargetInFolder("D:\\New Scans", "C:\\Scans\\OR007.jpg"), "d:\\new scans\\OR007.jpg");
    EXPECT_EQ(textory::ScanTargetInFolder("D:\\", "C:\\Scans\\OR007.jpg"), "d:\\OR007.jpg");
    EXPECT_EQ(textory::ScanTargetInFolder("D:\\Out", ""), "d:\\out\\");
}

}  // namespace
