// Names of scans and outputs: series, counters and their wrap, the next free
// counter, numbered output names, and a writable name that leaves the disk
// as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/names/numbered_names.h"
#include "textory/names/path_parts.h"
#include "textory/names/scan_series.h"

namespace {

namespace fs = std::filesystem;
using namespace textory;

TEST(TextoryScanSeries, SameFolderExtensionAndCounterStem) {
    EXPECT_TRUE(IsSameSeries("c:\\a\\pg001.jpg", "C:\\A\\PG017.JPG"));
    EXPECT_TRUE(IsSameSeries("c:\\a\\notes.jpg", "C:\\a\\NOTES.jpg")) << "equal stems need no counter";
    EXPECT_FALSE(IsSameSeries("c:\\a\\pg001.tif", "c:\\a\\pg001.jpg"));
    EXPECT_FALSE(IsSameSeries("c:\\a\\pg001.jpg", "c:\\b\\pg001.jpg"));
    EXPECT_FALSE(IsSameSeries("c:\\a\\pg001.jpg", "d:\\a\\pg001.jpg"));
    EXPECT_FALSE(IsSameSeries("c:\\a\\ab1.jpg", "c:\\a\\ab2.jpg"));
    EXPECT_TRUE(IsSameSeries("c:\\a\\001.jpg", "c:\\a\\002.jpg")) << "a bare counter is a series too";
    EXPECT_FALSE(IsSameSeries("c:\\a\\pgx01.jpg", "c:\\a\\pg001.jpg"));
    EXPECT_FALSE(IsSameSeries("", "c:\\a\\pg001.jpg"));
    EXPECT_FALSE(IsSameSeries("c:\\a\\pg001.jpg", ""));
    // Long paths compare whole.
    const std::string folder = "c:\\" + std::string(300, 'f') + "\\";
    EXPECT_TRUE(IsSameSeries(folder + "scan001.jpg", folder + "scan123.jpg"));
    EXPECT_FALSE(IsSameSeries(folder + "scan001.jpg", folder.substr(0, 250) + "\\scan001.jpg"));
}

TEST(TextoryScanSeries, CountersStepAndWrap) {
    EXPECT_EQ(IncrementCounterSuffix("c:\\s\\scan999.jpg"), "c:\\s\\scan000.jpg");
    EXPECT_EQ(IncrementCounterSuffix("c:\\s\\page007.jpg"), "c:\\s\\page008.jpg");
    EXPECT_EQ(IncrementCounterSuffix("c:\\s\\ab.jpg"), "c:\\s\\001.jpg");
    EXPECT_EQ(SplitWholePath("c:\\s.d\\ab").ext, "");
    EXPECT_EQ(SplitWholePath("c:\\s.d\\ab").folder, "\\s.d\\");
}

TEST(TextoryScanSeries, NextFreeCounterSkipsTakenNamesAndGivesUpAfterAFullRound) {
    suite_test::ScratchFolder scratch;
    const std::string folder = suite::WindowsPath(scratch.path()) + "\\";
    std::string name = folder + "page999.jpg";
    std::ofstream(scratch / "page000.jpg") << "x";
    std::ofstream(scratch / "page001.jpg") << "x";
    ASSERT_TRUE(NextFreeCounterName(name));
    EXPECT_EQ(name, folder + "page002.jpg");
    // Every one of the thousand names taken: nothing is free, the name stays.
    for (int i = 0; i < 1000; ++i) {
        char n[32];
        std::snprintf(n, sizeof n, "full%03d.jpg", i);
        std::ofstream(scratch / n) << "x";
    }
    std::string full = folder + "full005.jpg";
    EXPECT_FALSE(NextFreeCounterName(full));
    EXPECT_EQ(full, folder + "full005.jpg");
}

TEST(TextoryNumberedNames, NumbersAreAddedAndStepped) {
    EXPECT_EQ(NextNumberedName("c:\\o\\rep.rtf"), "c:\\o\\rep_0000.rtf");
    EXPECT_EQ(NextNumberedName("c:\\o\\rep_0041.rtf"), "c:\\o\\rep_0042.rtf");
    EXPECT_EQ(NextNumberedName("c:\\o\\rep_9999.rtf"), "c:\\o\\rep_0000.rtf");
    EXPECT_EQ(NextNumberedName("c:\\o\\rep_12a4.rtf"), "c:\\o\\rep_12a4_0000.rtf");
    EXPECT_EQ(NextNumberedName("c:\\o.d\\rep"), "c:\\o.d\\rep_0000");
    EXPECT_TRUE(HasNumberSuffix("a_0000"));
    EXPECT_FALSE(HasNumberSuffix("0000"));
    EXPECT_FALSE(HasNumberSuffix("a-0000"));
    EXPECT_EQ(ReplaceFileExt("c:\\o\\rep.tar.gz", ".txt"), "c:\\o\\rep.tar.txt");
}

TEST(TextoryNumberedNames, AWritableNameChangesNothingOnDisk) {
    suite_test::ScratchFolder scratch;
    const std::string folder = suite::WindowsPath(scratch.path()) + "\\";
    // An existing file that can be written keeps its name and its bytes.
    std::ofstream(scratch / "kept.rtf") << "the user's report";
    std::string kept = folder + "kept.rtf";
    ASSERT_TRUE(MakeWritableNumberedName(kept));
    EXPECT_EQ(kept, folder + "kept.rtf");
    std::ifstream in(scratch / "kept.rtf");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "the user's report");
    // A new name is tested and not left behind.
    std::string fresh = folder + "fresh.rtf";
    ASSERT_TRUE(MakeWritableNumberedName(fresh));
    EXPECT_EQ(fresh, folder + "fresh.rtf");
    EXPECT_FALSE(fs::exists(scratch / "fresh.rtf"));
    // A name taken by a folder moves on to the numbered ones.
    fs::create_directories(scratch / "busy.rtf");
    fs::create_directories(scratch / "busy_0000.rtf");
    std::string busy = folder + "busy.rtf";
    ASSERT_TRUE(MakeWritableNumberedName(busy));
    EXPECT_EQ(busy, folder + "busy_0001.rtf");
    // A folder that does not exist: no name can be written.
    std::string nowhere = folder + "missing\\out.rtf";
    EXPECT_FALSE(MakeWritableNumberedName(nowhere));
    EXPECT_EQ(nowhere, folder + "missing\\out.rtf");
}

}  // namespace
