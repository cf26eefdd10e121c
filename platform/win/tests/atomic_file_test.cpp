#include "platform/win/atomic_file.h"

#include "platform/win/errors.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class AtomicFile : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("atomic-" + std::to_string(::getpid()));
    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
};

}  // namespace

TEST_F(AtomicFile, ReplacesTheWholeFileOrNothingAndLeavesNoTemporary) {
    const std::string path = (dir / "page.bin").string();
    ASSERT_TRUE(SuiteWriteFileAtomically(path.c_str(), "first", 5));
    ASSERT_TRUE(SuiteWriteFileAtomically(path.c_str(), "second", 6));
    EXPECT_EQ(contents(path), "second");

    EXPECT_FALSE(SuiteReplaceFileAtomically(path.c_str(), [](const std::string& temp) {
        std::ofstream(temp) << "half of a file";
        return false;  // the writer failed midway
    }));
    EXPECT_EQ(contents(path), "second") << "a failed write keeps the old file";
    EXPECT_EQ(entries(), 1u) << "and leaves no temporary file";
}

TEST_F(AtomicFile, WindowsStylePathsAndMissingFoldersAreHandled) {
    const std::string windows = dir.string() + "\\Sub";
    fs::create_directories(dir / "sub");
    const std::string path = windows + "\\NEW.TXT";
    ASSERT_TRUE(SuiteWriteFileAtomically(path.c_str(), "x", 1));
    EXPECT_TRUE(fs::exists(dir / "sub" / "NEW.TXT")) << "the folder's case is looked up, the new name keeps its case";

    EXPECT_FALSE(SuiteWriteFileAtomically((dir / "no" / "such" / "f").string().c_str(), "x", 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(SuiteWriteFileAtomically(nullptr, "x", 1));
}
