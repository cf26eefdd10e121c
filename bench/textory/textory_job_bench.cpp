// Textory's command-line job on an A4 page at 300 dpi (2480 x 3508): the
// whole run of the program (start, load, recognition, output, close) against
// the recognition of the same page inside one process, for several pages of
// rendered simplified Chinese text. The job's own cost is the difference.
//
//   textory_job_bench [pages (3)]
//
// Run from the build folder's bench/ (the programs are in ../bin).
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "outside/tests/pages.h"
#include "platform/afx/afxwin.h"
#include "platform/win/files.h"
#include "platform/win/library.h"
#include "shell/tests/fake_shell_services.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Runs the program and waits; its exit status, -1 when it did not end normally.
int runTextory(const std::string& program, const std::string& page, const std::string& output) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(program.c_str(), program.c_str(), page.c_str(), output.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SUITE_LANGID", "2052", 1);
    char pattern[] = "/tmp/textory-bench-XXXXXX";
    const fs::path root = ::mkdtemp(pattern);
    ::setenv("SUITE_HOME", root.c_str(), 1);
    ::setenv("SUITE_REGISTRY_USER", (root / "user.db").c_str(), 1);
    const std::string program = suite::ProgramFolder() + "/../bin/Textory";
    // The engines and the conversion library live beside the programs.
    ::setenv("SUITE_LIBRARY_PATH", (suite::ProgramFolder() + "/../bin").c_str(), 1);

    AfxWinInit();
    testpages::ensureGui();
    CFakeShellServices shell;
    HMODULE convert = LoadLibraryA("Convert.dll");
    if (!convert) {
        std::fprintf(stderr, "the conversion library is missing\n");
        return 1;
    }
    shell.convertLibrary = convert;
    SetShellServices(&shell);

    std::printf("page  recognition(s)  job(s)  job-recognition(s)  status\n");
    double worst = -1e9;
    for (int i = 0; i < pages; ++i) {
        const testpages::Page page = testpages::textPage(testpages::simplifiedText(100 + i, 12), 2480, 3508,
                                                         testpages::Style{50, 0, 0, static_cast<unsigned>(i + 1)});
        const std::string image = (root / ("page" + std::to_string(i) + ".tif")).string();
        if (!SavePlaneAsImage(page.plane, image)) {
            std::fprintf(stderr, "cannot write %s\n", image.c_str());
            return 1;
        }
        // Recognition alone, as the job's document runs it.
        COcrPage alone;
        alone.m_settings = TestSettings(0, 0);
        PutPlane(alone, page.plane);
        BYTE cancel = 0;
        static char buffer[kBatchTextBytes];
        const auto r0 = Clock::now();
        const int recognised = alone.RecognizePageBatch(nullptr, buffer, &cancel);
        const double recognition = seconds(r0);
        if (!recognised) std::fprintf(stderr, "page %d: not recognised in-process\n", i);

        const std::string output = (root / ("page" + std::to_string(i) + ".txt")).string();
        const auto j0 = Clock::now();
        const int status = runTextory(program, image, output);
        const double job = seconds(j0);
        worst = std::max(worst, job - recognition);
        std::printf("%4d  %14.2f  %6.2f  %18.2f  %6d\n", i, recognition, job, job - recognition, status);
    }
    std::printf("largest job cost beyond recognition: %.2f s (allowed: 1.5 s hold + 1 s)\n", worst);
    SetShellServices(nullptr);
    if (convert) FreeLibrary(convert);
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
