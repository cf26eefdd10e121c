#include "platform/win/process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

using Strings = std::vector<std::string>;

class Processes : public suite_test::DriveCTest {
protected:
    static std::string child() { return suite::ProgramFolder() + "/probe_child"; }
    // The child's folder and name as the system would write them.
    static std::string childWindowsName() { return suite::WindowsPath(child()); }

    static Strings lines(const std::string& native) {
        std::ifstream in(native, std::ios::binary);
        Strings out;
        std::string line;
        while (std::getline(in, line)) out.push_back(line);
        return out;
    }
    static bool waitFor(const std::string& native) {
        for (int i = 0; i < 1000 && !suite_test::ScratchFolder::Exists(native); ++i) Sleep(10);
        return suite_test::ScratchFolder::Exists(native);
    }
    // Runs a command line and returns the exit code (or 1000 when it could not start).
    static DWORD run(std::string commandLine, const char* folder = nullptr, LPVOID env = nullptr) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, env, folder, &si, &pi))
            return 1000;
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return code;
    }
};

}  // namespace

TEST(CommandLines, SplitByTheQuotingRules) {
    EXPECT_EQ(suite::SplitCommandLine("prog a \"b c\"  d"), (Strings{"prog", "a", "b c", "d"}));
    EXPECT_EQ(suite::SplitCommandLine("prog \"a\\\"b\""), (Strings{"prog", "a\"b"}));
    EXPECT_EQ(suite::SplitCommandLine("prog a\\\\\\\\\"b c\""), (Strings{"prog", "a\\\\b c"}));
    EXPECT_EQ(suite::SplitCommandLine("prog C:\\dir\\file.txt a\\\\b"), (Strings{"prog", "C:\\dir\\file.txt", "a\\\\b"}));
    EXPECT_EQ(suite::SplitCommandLine("prog \"a\"\"b\" \"\""), (Strings{"prog", "a\"b", ""}));
    EXPECT_EQ(suite::SplitCommandLine("\"C:\\Program Files\\x\\Tool.exe\" /q"),
              (Strings{"C:\\Program Files\\x\\Tool.exe", "/q"}));
    EXPECT_EQ(suite::SplitCommandLine("C:\\dir\\\"odd\" x"), (Strings{"C:\\dir\\\"odd\"", "x"}))
        << "the program name takes no escapes";
    EXPECT_EQ(suite::SplitCommandLine("   "), Strings{});
    // A trail byte 0x5C before a quote is part of its character, not an escape.
    EXPECT_EQ(suite::SplitCommandLine("prog \"\x81\x5C\" next"), (Strings{"prog", "\x81\x5C", "next"}));
}

TEST(CommandLines, QuotingRoundTrips) {
    const Strings tricky{"plain", "with space", "", "quote\"inside", "ends\\", "ends space\\", "back\\\\\"slash",
                         "\t", "\x81\x5C", "\x81\x5C space",
                         // A lead byte before a quote or at the end is a character of its own.
                         "!\xEF\"\x98", "\x98"};
    Strings all{"C:\\Program Files\\prog.exe"};
    all.insert(all.end(), tricky.begin(), tricky.end());
    EXPECT_EQ(suite::SplitCommandLine(suite::JoinCommandLine(all)), all);
    EXPECT_EQ(suite::QuoteArgument("plain"), "plain");
    EXPECT_EQ(suite::QuoteArgument("a b\\"), "\"a b\\\\\"");
}

TEST_F(Processes, ArgumentsArriveUnchanged) {
    std::string out = scratch / "args.txt";
    std::string line = "\"" + child() + "\" args " + out + " \"with space\" quote\\\"inside back\\slash\\ \"end\\\\\"";
    EXPECT_EQ(run(line), 0u);
    EXPECT_EQ(lines(out), (Strings{"with space", "quote\"inside", "back\\slash\\", "end\\"}));

    // Through the helper: GBK arguments arrive as UTF-8.
    HANDLE p = suite::StartProgram(childWindowsName(), {"args", out, "\xD6\xD0\xCE\xC4", "a \"b\""});
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(WaitForSingleObject(p, 20000), WAIT_OBJECT_0);
    CloseHandle(p);
    EXPECT_EQ(lines(out), (Strings{"\xE4\xB8\xAD\xE6\x96\x87", "a \"b\""}));
}

TEST_F(Processes, WorkingFolderAndEnvironment) {
    ::mkdir((scratch / "c/Work").c_str(), 0777);
    std::string out = scratch / "cwd.txt";
    EXPECT_EQ(run("probe_child.exe cwd " + out, "C:\\WORK"), 0u) << "a bare name with .exe finds the program";
    EXPECT_EQ(lines(out), Strings{scratch / "c/Work"});

    STARTUPINFOA si{};
    PROCESS_INFORMATION pi{};
    std::string line = "probe_child cwd " + out;
    EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\nowhere", &si, &pi));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    line = "no_such_program_here a b";
    EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    const char block[] = "PROBE_VALUE=\xD6\xD0\0OTHER=1\0";
    EXPECT_EQ(run("probe_child env " + out + " PROBE_VALUE", nullptr, const_cast<char*>(block)), 0u);
    EXPECT_EQ(lines(out), Strings{"\xE4\xB8\xAD"});
}

TEST_F(Processes, ExitCodesTimeOutsAndTermination) {
    EXPECT_EQ(run("probe_child exit 7"), 7u);
    EXPECT_EQ(run("probe_child exit 0"), 0u);

    HANDLE p = suite::StartProgram(child(), {"sleep", "20000"});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(WaitForSingleObject(p, 100), WAIT_TIMEOUT);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(p, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    ASSERT_TRUE(TerminateProcess(p, 99));
    EXPECT_EQ(WaitForSingleObject(p, 10000), WAIT_OBJECT_0);
    GetExitCodeProcess(p, &code);
    EXPECT_EQ(code, 99u);
    EXPECT_FALSE(TerminateProcess(p, 1)) << "already ended";
    CloseHandle(p);

    EXPECT_GT(WinExec("probe_child exit 0", SW_HIDE), 31u);
    EXPECT_EQ(WinExec("no_such_program_here", SW_HIDE), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Processes, InputIdleWaitsForPublishedWindowsOrTheEndInBound) {
    const std::string folder = scratch / "windows";
    ::mkdir(folder.c_str(), 0700);
    ::setenv("SUITE_IPC_DIR", folder.c_str(), 1);
    HANDLE p = suite::StartProgram(child(), {"publish", "300"});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(WaitForInputIdle(p, 20), WAIT_TIMEOUT) << "no windows yet";
    EXPECT_EQ(WaitForInputIdle(p, 20000), 0u);
    TerminateProcess(p, 0);
    WaitForSingleObject(p, 10000);
    CloseHandle(p);
    // A program that ends without windows keeps nobody waiting.
    HANDLE q = suite::StartProgram(child(), {"exit", "0"});
    EXPECT_EQ(WaitForInputIdle(q, 20000), 0u);
    CloseHandle(q);
    EXPECT_EQ(WaitForInputIdle(nullptr, 10), WAIT_FAILED);
    ::unsetenv("SUITE_IPC_DIR");
}

TEST_F(Processes, StandardOutputToAFile) {
    HANDLE f = CreateFileA("C:\\out.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = f;
    PROCESS_INFORMATION pi{};
    std::string line = "probe_child print hello";
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 20000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(f);
    EXPECT_EQ(lines(scratch / "c/out.txt"), Strings{"hello"});
}

TEST_F(Processes, ShellOpensDocumentsWithTheDesktopHandlerAndRunsPrograms) {
    suite_test::ScratchFolder::MakeFile(scratch / "c/Report.txt");
    std::string record = scratch / "opened.txt";
    ::setenv("SUITE_OPEN_COMMAND", child().c_str(), 1);
    ::setenv("PROBE_RECORD", record.c_str(), 1);
    auto result = [](HINSTANCE h) { return reinterpret_cast<std::intptr_t>(h); };
    EXPECT_GT(result(ShellExecuteA(nullptr, "open", "C:\\report.TXT", nullptr, nullptr, SW_SHOWNORMAL)), 32);
    ASSERT_TRUE(waitFor(record));
    EXPECT_EQ(lines(record), Strings{scratch / "c/Report.txt"});
    std::remove(record.c_str());

    EXPECT_GT(result(ShellExecuteA(nullptr, nullptr, "http://localhost/x", nullptr, nullptr, SW_SHOW)), 32);
    ASSERT_TRUE(waitFor(record));
    EXPECT_EQ(lines(record), Strings{"http://localhost/x"});
    std::remove(record.c_str());
    ::unsetenv("PROBE_RECORD");

    EXPECT_EQ(result(ShellExecuteA(nullptr, "open", "C:\\missing.txt", nullptr, nullptr, SW_SHOW)), SE_ERR_FNF);
    EXPECT_EQ(result(ShellExecuteA(nullptr, "print", "C:\\report.txt", nullptr, nullptr, SW_SHOW)), SE_ERR_NOASSOC);

    // A program is run with its parameters, not handed to the desktop.
    std::string out = scratch / "ran.txt";
    std::string params = "args " + out + " \"two words\"";
    EXPECT_GT(result(ShellExecuteA(nullptr, "open", childWindowsName().c_str(), params.c_str(), "C:\\", SW_SHOW)), 32);
    ASSERT_TRUE(waitFor(out));
    Sleep(50);
    EXPECT_EQ(lines(out), Strings{"two words"});
    ::unsetenv("SUITE_OPEN_COMMAND");
}

TEST(CommandLines, OwnCommandLineIsQuoted) {
    std::string line = GetCommandLineA();
    Strings args = suite::SplitCommandLine(line);
    ASSERT_FALSE(args.empty());
    EXPECT_NE(args[0].find("platform_win_tests"), std::string::npos);
}

TEST(CommandLines, QuotedArgumentLinesQuoteEveryArgumentAndSplitBack) {
    EXPECT_EQ(suite::QuoteArgumentAlways("a.tif"), "\"a.tif\"");
    EXPECT_EQ(suite::QuoteArgumentAlways(""), "\"\"");
    EXPECT_EQ(suite::QuoteArgumentAlways("C:\\dir\\"), "\"C:\\dir\\\\\"");
    const Strings args{"/scans/page one.TIF", "plain", "", "x\"y", "end\\"};
    const std::string line = suite::QuotedArgumentLine(args);
    EXPECT_EQ(line, "\"/scans/page one.TIF\" \"plain\" \"\" \"x\\\"y\" \"end\\\\\"");
    Strings split = suite::SplitCommandLine("prog " + line);
    split.erase(split.begin());
    EXPECT_EQ(split, args);
    EXPECT_EQ(suite::QuotedArgumentLine({}), "");
    // UTF-8 names arrive in the ANSI code page (GBK in these tests).
    EXPECT_EQ(suite::QuotedArgumentLine({"\xE4\xB8\xAD.jpg"}), "\"\xD6\xD0.jpg\"");
}
