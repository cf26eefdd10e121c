// The tests themselves leave nothing behind: a run of some store tests,
// package round trips included, in a process of its own whose temporary
// folder is an empty one of ours, must leave that folder empty.
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>

#include "tabellon/tests/store_host.h"

extern char** environ;

namespace fs = std::filesystem;

namespace tabellon_test {
namespace {

TEST(TestHost, ARunLeavesNothingInTheTemporaryFolder) {
    if (std::getenv("TABELLON_LEFTOVER_CHILD")) GTEST_SKIP() << "the child run itself";
    std::string temp = freshFolder("leftovers");
    std::string exe = binFolder() + "/tabellon_tests";
    std::string filter = "--gtest_filter=PackagesTest.DocumentRoundTrip*:PackagesTest.WholeStore*:ExportCrashTest.*";
    // The child finds its folders as a run of its own would: none of ours.
    std::vector<std::string> env = {"TMPDIR=" + temp, "TABELLON_LEFTOVER_CHILD=1"};
    auto ours = [](const char* e) {
        for (const char* name : {"TMPDIR=", "TABELLON_", "SUITE_TEMP_DIR=", "SUITE_REGISTRY_", "SUITE_TABELLON_TEST_DIR="})
            if (std::strncmp(e, name, std::strlen(name)) == 0) return true;
        return false;
    };
    for (char** e = environ; *e; ++e)
        if (!ours(*e)) env.push_back(*e);
    std::vector<char*> envp, argv = {exe.data(), filter.data(), nullptr};
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child run failed";
    std::vector<std::string> left;
    for (auto& e : fs::recursive_directory_iterator(temp)) left.push_back(e.path().string());
    EXPECT_TRUE(left.empty()) << left.size() << " left, the first " << left.front();
}

}  // namespace
}  // namespace tabellon_test
