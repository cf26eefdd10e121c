// The launcher started for real: a copy of it sits in a temporary folder
// beside copies of the recording program named Scribant and Textory, which
// write what they were given to "<name>.record" in $SUITE_RECORDER_DIR.
#include "feedgate/feedgate_launch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win/files.h"
#include "platform/win/sync.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

struct LauncherRun {
    int exitCode = -1;
    std::string errors;
};

class FeedgateLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        apps = scratch / "apps";
        log = scratch / "log";
        fs::create_directories(apps);
        fs::create_directories(log);
        ::setenv("SUITE_RECORDER_DIR", log.c_str(), 1);
        ::unsetenv("SUITE_RECORDER_EXIT");
        ::unsetenv("SUITE_RECORDER_HANG_MS");
    }
    void TearDown() override {
        ::unsetenv("SUITE_RECORDER_DIR");
        ::unsetenv("SUITE_RECORDER_EXIT");
        ::unsetenv("SUITE_RECORDER_HANG_MS");
    }

    void install(const std::string& builtName, const std::string& folder, const std::string& name) {
        fs::copy_file(suite::ProgramFolder() + "/" + builtName, folder + "/" + name,
                      fs::copy_options::overwrite_existing);
    }
    void installAll() {
        install("Feedgate", apps, "Feedgate");
        install("suite_recorder", apps, "Scribant");
        install("suite_recorder", apps, "Textory");
    }

    // Runs the launcher copy with native arguments in `cwd`, with `path` as PATH.
    LauncherRun runFeedgate(const Strings& arguments, const std::string& cwd = {}, const std::string& path = "/usr/bin:/bin") {
        const std::string errorsFile = scratch / "stderr.txt";
        pid_t pid = ::fork();
        if (pid == 0) {
            int fd = ::open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 2);
            if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(120);
            ::setenv("PATH", path.c_str(), 1);
            std::vector<char*> argv;
            std::string program = apps + "/Feedgate";
            argv.push_back(program.data());
            Strings copy = arguments;
            for (auto& a : copy) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(121);
        }
        LauncherRun run;
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                ADD_FAILURE() << "the launcher did not end";
                return run;
            }
            Sleep(5);
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(errorsFile);
        std::getline(in, run.errors, '\0');
        return run;
    }

    // The record a program wrote, waiting for it up to 10 s (Scribant is not waited for).
    Strings record(const std::string& name, int waitMs = 10000) {
        const std::string file = log + "/" + name + ".record";
        for (int waited = 0; !fs::exists(file) && waited < waitMs; waited += 10) Sleep(10);
        Strings lines;
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static Strings arguments(const Strings& record) {
        Strings out;
        for (const auto& line : record) {
            if (line.rfind("arg: ", 0) == 0) out.push_back(line.substr(5));
        }
        return out;
    }
    static std::string field(const Strings& record, const std::string& key) {
        for (const auto& line : record) {
            if (line.rfind(key + ": ", 0) == 0) return line.substr(key.size() + 2);
        }
        return "<none>";
    }
    bool recorded(const std::string& name) { return fs::exists(log + "/" + name + ".record"); }

    suite_test::ScratchFolder scratch;
    std::string apps;
    std::string log;
};

}  // namespace

TEST_F(FeedgateLaunch, NoArgumentStartsScribantAloneFromTheProgramFolder) {
    installAll();
    LauncherRun run = runFeedgate({});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    Strings scribant = record("Scribant");
    ASSERT_FALSE(scribant.empty());
    EXPECT_EQ(arguments(scribant), Strings{});
    EXPECT_EQ(field(scribant, "folder"), apps);
    EXPECT_FALSE(recorded("Textory"));
}

TEST_F(FeedgateLaunch, OneDirectImageGoesToScribantWithItsPathWhole) {
    installAll();
    const std::string page = scratch / "my scans/PAGE ONE.TIF";
    LauncherRun run = runFeedgate({page});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(arguments(record("Scribant")), Strings{page});
    EXPECT_FALSE(recorded("Textory"));
}

TEST_F(FeedgateLaunch, ScribantIsFoundInTheCurrentFolderThenOnThePath) {
    install("Feedgate", apps, "Feedgate");
    const std::string here = scratch / "here";
    const std::string onPath = scratch / "bin";
    fs::create_directories(here);
    fs::create_directories(onPath);
    install("suite_recorder", onPath, "Scribant");
    LauncherRun run = runFeedgate({"a.jpg"}, here, onPath + ":/usr/bin:/bin");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(field(record("Scribant"), "folder"), onPath);

    fs::remove(log + "/Scribant.record");
    install("suite_recorder", here, "Scribant");
    run = runFeedgate({"a.jpg"}, here, onPath + ":/usr/bin:/bin");
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(field(record("Scribant"), "folder"), here);
}

TEST_F(FeedgateLaunch, SeveralFilesGoToTextoryInTheLaunchersFolder) {
    installAll();
    const std::string a = scratch / "a.bmp";
    const std::string b = scratch / "b c.bmp";
    ::setenv("SUITE_RECORDER_HANG_MS", "100", 1);
    LauncherRun run = runFeedgate({a, b}, scratch.path());
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    Strings textory = record("Textory", 0);
    EXPECT_EQ(arguments(textory), (Strings{a, b}));
    EXPECT_EQ(field(textory, "folder"), apps);
    EXPECT_EQ(field(textory, "cwd"), apps);
    EXPECT_FALSE(recorded("Scribant"));
}

TEST_F(FeedgateLaunch, EachKindReachesTheProgramThatOpensOrExplainsIt) {
    installAll();
    ::setenv("SUITE_RECORDER_EXIT", "7", 1);
    // What Scribant opens goes to Scribant, whatever the case of the extension.
    for (const char* name : {"doc.PDF", "page.png", "page.jpeg", "page.tiff", "page.pcx"}) {
        fs::remove(log + "/Scribant.record");
        const std::string file = scratch / name;
        LauncherRun run = runFeedgate({file});
        EXPECT_EQ(run.exitCode, 0) << name << run.errors;
        EXPECT_EQ(arguments(record("Scribant")), Strings{file}) << name;
    }
    EXPECT_FALSE(recorded("Textory"));
    // Anything else goes to Textory, which runs it or says why not: its
    // status is the launcher's.
    for (const char* name : {"letter.doc", "notes.xyz", "page"}) {
        fs::remove(log + "/Textory.record");
        const std::string file = scratch / name;
        LauncherRun run = runFeedgate({file});
        EXPECT_EQ(run.exitCode, 7) << name << run.errors;
        EXPECT_EQ(arguments(record("Textory", 0)), Strings{file}) << name;
    }
}

TEST_F(FeedgateLaunch, LongPathsArePassedWhole) {
    installAll();
    // Far beyond fixed buffers of 256 and 772 characters.
    const std::string tif = "/" + std::string(900, 'f') + "/" + std::string(900, 'g') + ".tif";
    const std::string pdf = "/" + std::string(1500, 'p') + ".doc";
    EXPECT_EQ(runFeedgate({tif}).exitCode, 0);
    EXPECT_EQ(arguments(record("Scribant")), Strings{tif});
    EXPECT_EQ(runFeedgate({pdf}).exitCode, 0);
    EXPECT_EQ(arguments(record("Textory", 0)), Strings{pdf});
}

TEST_F(FeedgateLaunch, AMissingProgramIsReportedWithANonZeroExit) {
    install("Feedgate", apps, "Feedgate");
    LauncherRun run = runFeedgate({scratch / "a.tif"}, scratch.path());
    EXPECT_EQ(run.exitCode, feedgate::kCannotStart);
    EXPECT_NE(run.errors.find("Feedgate: cannot start Scribant.exe"), std::string::npos) << run.errors;

    run = runFeedgate({scratch / "a.doc"}, scratch.path());
    EXPECT_EQ(run.exitCode, feedgate::kCannotStart);
    EXPECT_NE(run.errors.find("Textory.exe"), std::string::npos) << run.errors;
    EXPECT_FALSE(recorded("Scribant"));
    EXPECT_FALSE(recorded("Textory"));
}

TEST_F(FeedgateLaunch, TheWaitForTextoryIsBounded) {
    install("suite_recorder", apps, "Textory");
    feedgate::LaunchSettings settings;
    settings.programFolder = apps;
    settings.textoryWaitMs = 200;
    settings.errors = nullptr;
    ::setenv("SUITE_RECORDER_EXIT", "9", 1);
    ::setenv("SUITE_RECORDER_HANG_MS", "1500", 1);
    const auto start = std::chrono::steady_clock::now();
    // Still running when the bound passes: the launcher cannot say how the
    // job went, and does not claim it went well.
    EXPECT_EQ(feedgate::Launch("\"x.doc\"", settings), feedgate::kStillRunning);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1200));
    EXPECT_EQ(arguments(record("Textory")), Strings{"x.doc"});

    // The launcher's own bound is no time limit for the job.
    EXPECT_EQ(feedgate::LaunchSettings{}.textoryWaitMs, INFINITE);
    fs::remove(log + "/Textory.record");
    ::setenv("SUITE_RECORDER_HANG_MS", "300", 1);
    settings.textoryWaitMs = INFINITE;
    EXPECT_EQ(feedgate::Launch("\"y.doc\"", settings), 9);
    EXPECT_EQ(arguments(record("Textory", 0)), Strings{"y.doc"});
    Sleep(1500);  // the first copy ends before the folder goes
}

TEST_F(FeedgateLaunch, ALoneQuoteIsHandedToTextoryUnchanged) {
    install("suite_recorder", apps, "Textory");
    feedgate::LaunchSettings settings;
    settings.programFolder = apps;
    settings.errors = nullptr;
    EXPECT_EQ(feedgate::Launch("\"", settings), 0);
    EXPECT_EQ(arguments(record("Textory", 0)), Strings{""});
}

TEST_F(FeedgateLaunch, AnUnquotedJpegGoesToScribantAsGiven) {
    // A launcher copy that passes its line on unquoted, beside the stand-in,
    // so the program folder searched first holds the stand-in.
    install("feedgate_line_launcher", apps, "Feedgate");
    install("suite_recorder", apps, "Scribant");
    LauncherRun run = runFeedgate({"C:\\Scans\\page.jpg"}, scratch.path());
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    Strings scribant = record("Scribant");
    EXPECT_EQ(arguments(scribant), Strings{"C:\\Scans\\page.jpg"});
    EXPECT_EQ(field(scribant, "folder"), apps);
    EXPECT_FALSE(recorded("Textory"));
}
