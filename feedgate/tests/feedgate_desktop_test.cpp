// The desktop entry that offers the launcher under "open with".
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win/files.h"
#include "platform/win/tests/temporary_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kEntry = std::string(SUITE_TEST_DATA) + "/feedgate/Feedgate.desktop";

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a shell command, returning its exit status and its output.
int shell(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace

TEST(FeedgateDesktopEntry, IsValidAndOffersOnlyTheKindsScribantOpens) {
    std::string output;
    EXPECT_EQ(shell("desktop-file-validate " + quoted(kEntry), output), 0) << output;
    EXPECT_EQ(output, "");
    const std::string entry = readFile(kEntry);
    EXPECT_NE(entry.find("\nExec=Feedgate %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nNoDisplay=true\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=image/tiff;image/bmp;image/jpeg;image/png;image/x-pcx;application/pdf;\n"), std::string::npos);
}

TEST(FeedgateDesktopEntry, InstallNamesTheBuiltProgramAndListsItForTiff) {
    suite_test::TemporaryFolder home;
    // A folder with a blank and a dollar sign exercises the Exec quoting.
    const std::string programFolder = home.path() + "/my $suite";
    fs::create_directories(programFolder);
    fs::copy_file(suite::ProgramFolder() + "/Feedgate", programFolder + "/Feedgate");
    std::string output;
    const std::string script = std::string(SUITE_TEST_DATA) + "/tools/install-desktop.sh";
    ASSERT_EQ(shell("XDG_DATA_HOME=" + quoted(home.path()) + " " + quoted(script) + " " +
                        quoted(programFolder + "/Feedgate"),
                    output),
              0)
        << output;
    const std::string installed = home.path() + "/applications/Feedgate.desktop";
    EXPECT_EQ(shell("desktop-file-validate " + quoted(installed), output), 0) << output;
    const std::string entry = readFile(installed);
    EXPECT_NE(entry.find("\nExec=\"" + home.path() + "/my \\\\$suite/Feedgate\" %f\n"), std::string::npos) << entry;
    const std::string cache = readFile(home.path() + "/applications/mimeinfo.cache");
    EXPECT_NE(cache.find("image/tiff=Feedgate.desktop;"), std::string::npos) << cache;
    EXPECT_NE(cache.find("application/pdf=Feedgate.desktop;"), std::string::npos) << cache;
    EXPECT_EQ(cache.find("text/"), std::string::npos);
    // Offered, never made the default handler.
    EXPECT_FALSE(fs::exists(home.path() + "/applications/mimeapps.list"));

    // The database of a folder the entry alone is copied into lists it too.
    suite_test::TemporaryFolder plain;
    fs::copy_file(kEntry, plain.path() + "/Feedgate.desktop");
    EXPECT_EQ(shell("update-desktop-database " + quoted(plain.path()), output), 0) << output;
    EXPECT_NE(readFile(plain.path() + "/mimeinfo.cache").find("image/tiff=Feedgate.desktop;"), std::string::npos);
}

TEST(FeedgateDesktopEntry, InstallRefusesAMissingProgram) {
    suite_test::TemporaryFolder home;
    std::string output;
    const std::string script = std::string(SUITE_TEST_DATA) + "/tools/install-desktop.sh";
    EXPECT_NE(shell("XDG_DATA_HOME=" + quoted(home.path()) + " " + quoted(script) + " " +
                        quoted(home.path() + "/none/Feedgate"),
                    output),
              0);
    EXPECT_NE(output.find("no program"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(home.path() + "/applications/Feedgate.desktop"));
}
