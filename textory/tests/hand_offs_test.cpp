// The outside programs, played by the recording program: the proofreading
// program gets "CLIENT" + the job path as one argument, the read-aloud
// program starts once and only the window of the copy this run started is
// closed; a program that is not there is reported, never taken as started.
#include "textory/app/hand_offs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/afx/afxwin.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"
#include "shell/outside/outside_program.h"

namespace {

namespace fs = std::filesystem;

class TextoryHandOffs : public ::testing::Test {
protected:
    void SetUp() override {
        apps = scratch / "apps";
        log = scratch / "log";
        fs::create_directories(apps);
        fs::create_directories(log);
        for (const char* name : {"Emendo10", "Lectiva", "Wendaro"})
            fs::copy_file(suite::ProgramFolder() + "/suite_recorder", apps + "/" + name);
        ::setenv("SUITE_RECORDER_DIR", log.c_str(), 1);
        // Only the windows of the programs this test starts are found.
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        ipc = runtime && *runtime ? fs::path(runtime) / ("handoffs-ipc-" + fs::path(scratch.path()).filename().string())
                                  : fs::path(scratch.path()) / "ipc";
        ::setenv("SUITE_IPC_DIR", ipc.c_str(), 1);
        AfxWinInit();
        ::unsetenv("SUITE_PROGRAM_EMENDO10");
        ::unsetenv("SUITE_PROGRAM_LECTIVA");
        ::unsetenv("SUITE_PROGRAM_CHARACTERMAP");
    }
    void TearDown() override {
        for (const char* name : {"SUITE_RECORDER_TITLE", "SUITE_RECORDER_LOG", "SUITE_RECORDER_HANG_MS", "SUITE_IPC_DIR"})
            ::unsetenv(name);
        std::error_code ec;
        fs::remove_all(ipc, ec);
        ::unsetenv("SUITE_PROGRAM_CHARACTERMAP");
        ::unsetenv("SUITE_RECORDER_DIR");
        ::unsetenv("SUITE_RECORDER_HANG_MS");
        ::unsetenv("SUITE_PROGRAM_EMENDO10");
        ::unsetenv("SUITE_PROGRAM_LECTIVA");
    }
    std::string record(const std::string& name) {
        const fs::path path = fs::path(log) / (name + ".record");
        for (int i = 0; i < 500 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    suite_test::ScratchFolder scratch;
    std::string apps, log;
    fs::path ipc;
};

TEST_F(TextoryHandOffs, TheProofreaderGetsTheJobAsOneArgument) {
    textory::CHandOffs handOffs(suite::WindowsPath(apps));
    ASSERT_TRUE(handOffs.StartProofreading("c:\\my jobs\\job 1.OCR"));
    const std::string text = record("Emendo10");
    EXPECT_NE(text.find("name: Emendo10\n"), std::string::npos) << text;
    EXPECT_NE(text.find("arg: CLIENTc:\\my jobs\\job 1.OCR\n"), std::string::npos) << text;
    // It ends on its own with its status.
    for (int i = 0; i < 1000 && handOffs.Proofreader().IsRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(handOffs.Proofreader().ExitStatus(), 0);
    EXPECT_TRUE(handOffs.Proofreader().End(5000)) << "an ended program needs no end";

    // The environment names another program.
    ::setenv("SUITE_PROGRAM_EMENDO10", (apps + "/Lectiva").c_str(), 1);
    ASSERT_TRUE(handOffs.StartProofreading("c:\\j.OCR"));
    EXPECT_NE(record("Lectiva").find("arg: CLIENTc:\\j.OCR"), std::string::npos);

    // A program that is not there.
    textory::CHandOffs missing(suite::WindowsPath(scratch / "nowhere"));
    ::unsetenv("SUITE_PROGRAM_EMENDO10");
    EXPECT_FALSE(missing.StartProofreading("c:\\j.OCR"));
    EXPECT_EQ(missing.StartReader(), textory::CHandOffs::ReaderStart::kNotFound);
}

// The window of a started program titled "Lectiva", once it shows.
bool ReaderWindowOf(const COutsideProgram& program) {
    for (int i = 0; i < 1000; ++i) {
        if (suite::FindWindowOfProcess(program.ProcessId(), nullptr, "Lectiva")) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(TextoryHandOffs, TheReaderStartsOnceAndOnlyItsOwnWindowIsClosed) {
    ::setenv("SUITE_RECORDER_TITLE", "Lectiva", 1);
    const std::string readerLog = log + "/reader.log";
    ::setenv("SUITE_RECORDER_LOG", readerLog.c_str(), 1);
    textory::CHandOffs handOffs(suite::WindowsPath(apps));
    ASSERT_EQ(handOffs.StartReader(), textory::CHandOffs::ReaderStart::kStarted);
    EXPECT_NE(record("Lectiva").find("cwd: " + apps), std::string::npos);
    ASSERT_TRUE(ReaderWindowOf(handOffs.Reader()));
    EXPECT_EQ(handOffs.StartReader(), textory::CHandOffs::ReaderStart::kAlreadyRunning);

    // Another run's reader, with its own window of the same title.
    COutsideProgram other("Lectiva", suite::WindowsPath(apps) + "\\Lectiva.exe");
    ASSERT_TRUE(other.Start({}));
    ASSERT_TRUE(ReaderWindowOf(other));

    const auto start = std::chrono::steady_clock::now();
    handOffs.CloseReader(5000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(handOffs.Reader().IsRunning());
    EXPECT_EQ(handOffs.Reader().ExitStatus(), 0) << "it closed through its window, not by a signal";
    std::ifstream in(readerLog);
    EXPECT_EQ(Count(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "closed\n"), 1u);
    EXPECT_TRUE(other.IsRunning()) << "another run's reader is left alone";
    EXPECT_EQ(handOffs.StartReader(), textory::CHandOffs::ReaderStart::kAlreadyRunning)
        << "a reader window of any run means it runs";
    EXPECT_TRUE(other.End(5000));

    // A reader that never shows its window is ended by its process, in bound.
    ::unsetenv("SUITE_RECORDER_TITLE");
    ::setenv("SUITE_RECORDER_HANG_MS", "20000", 1);
    ASSERT_EQ(handOffs.StartReader(), textory::CHandOffs::ReaderStart::kStarted);
    handOffs.CloseReader(2000);
    EXPECT_FALSE(handOffs.Reader().IsRunning());
}

TEST_F(TextoryHandOffs, CharacterInputFallsBackToTheDesktopsMap) {
    textory::CHandOffs handOffs(suite::WindowsPath(apps));
    ASSERT_TRUE(handOffs.StartCharacterInput());
    EXPECT_NE(record("Wendaro").find("name: Wendaro"), std::string::npos);
    handOffs.CharacterInput().End(5000);

    const std::string map = scratch / "map";
    fs::create_directories(map);
    fs::copy_file(suite::ProgramFolder() + "/suite_recorder", map + "/gucharmap");
    ::setenv("SUITE_PROGRAM_CHARACTERMAP", (map + "/gucharmap").c_str(), 1);
    textory::CHandOffs withoutWendaro(suite::WindowsPath(scratch / "nowhere"));
    ASSERT_TRUE(withoutWendaro.StartCharacterInput());
    EXPECT_NE(record("gucharmap").find("name: gucharmap"), std::string::npos);
    ::setenv("SUITE_PROGRAM_CHARACTERMAP", (scratch / "nothing-here").c_str(), 1);
    EXPECT_FALSE(withoutWendaro.StartCharacterInput());
}

}  // namespace
