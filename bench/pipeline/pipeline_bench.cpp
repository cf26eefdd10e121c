// A job of rendered pages through the batch recognition the task's dialog
// drives: the same pages recognised one at a time and by 8 workers in one
// run, each page also read by the tesseract command line (--psm 3, one
// OpenMP thread) for time and accuracy, and the process's peak memory.
//
//   pipeline_bench [pages (40)] [workers (8)] [page height (1754)]
//
// Pages come from the test corpus (every layout class, clean and degraded)
// at A4 width. Our time per page is the one-at-a-time run's (load, layout
// analysis, recognition, project and text files); the command line's is the
// command alone, as the engines' benchmark times it. Accuracy is scored on
// the text file each page leaves, against the page's truth, per language.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/page_image.h"
#include "imaging/codecs/image_file_type.h"
#include "ocrdoc/document/page_settings.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/task/batch_recognizer.h"
#include "outside/tests/corpus.h"
#include "platform/afx/afxwin.h"
#include "platform/win/codepage.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "shell/tests/fake_shell_services.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace testpages;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

double Cli(const std::string& langs, const Plane& p, const fs::path& work, std::string& text) {
    const fs::path png = work / "cli.png", out = work / "cli";
    if (!savePng(p, png.string())) return 0;
    const std::string cmd = "OMP_THREAD_LIMIT=1 tesseract '" + png.string() + "' '" + out.string() + "' --psm 3 -l " +
                            langs + " >/dev/null 2>&1";
    const auto t0 = Clock::now();
    (void)std::system(cmd.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    text = ReadFile(out.string() + ".txt");
    return seconds;
}

const char* ScriptName(Script s) {
    switch (s) {
    case Script::Simplified: return "simplified";
    case Script::Traditional: return "traditional";
    case Script::English: return "english";
    default: return "mixed";
    }
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

}  // namespace

int main(int argc, char** argv) {
    // One OpenMP thread for every engine, set before anything loads the
    // runtime; the libraries are found in the program folder beside this one.
    if (!getenv("OMP_THREAD_LIMIT")) {
        setenv("OMP_THREAD_LIMIT", "1", 1);
        char exe[4096] = {};
        if (readlink("/proc/self/exe", exe, sizeof exe - 1) > 0 && !getenv("SUITE_LIBRARY_PATH"))
            setenv("SUITE_LIBRARY_PATH", (fs::path(exe).parent_path().parent_path() / "bin").c_str(), 1);
        execv("/proc/self/exe", argv);
    }
    const int pageCount = argc > 1 ? std::atoi(argv[1]) : 40;
    const int workers = argc > 2 ? std::atoi(argv[2]) : 8;
    const int height = argc > 3 ? std::atoi(argv[3]) : 1754;
    const bool haveCli = std::system("command -v tesseract >/dev/null 2>&1") == 0;

    AfxWinInit();
    ensureGui();
    CFakeShellServices shell;
    HMODULE convert = LoadLibraryA("Convert.dll");
    shell.convertLibrary = convert;
    const fs::path root = fs::temp_directory_path() / ("pipeline_bench_" + std::to_string(::getpid()));
    const fs::path single = root / "single", parallel = root / "parallel", work = root / "work";
    for (const fs::path& d : {single, parallel, work}) fs::create_directories(d);

    // The job: pages of every class in turn, clean and degraded.
    const PageSettings names = PageSettings::Defaults();
    std::vector<CorpusPage> corpus;
    std::vector<BatchPagePlan> planOne, planMany;
    const auto& classes = corpusClasses();
    for (int i = 0; i < pageCount; ++i) {
        const CorpusClass& cls = classes[static_cast<std::size_t>(i) % classes.size()];
        corpus.push_back(corpusPage(cls, static_cast<unsigned>(100 + i), (i / classes.size()) % 2 == 1, 2480, height));
        const CorpusPage& page = corpus.back();
        const std::string name = "page" + std::to_string(i) + ".tif";
        BatchPagePlan plan;
        plan.row = i;
        plan.settings = names;
        plan.settings.valid = true;
        const int language = page.script == Script::English ? 2 : page.script == Script::Traditional ? 1 : 0;
        plan.settings.language = names.languageNames[language];
        plan.settings.type = names.typeNames[cls.layout == Layout::RuledTable ? 3 : 0];
        plan.path = (single / name).string();
        if (!SavePlaneAsImage(page.page.plane, plan.path)) {
            std::fprintf(stderr, "cannot write %s\n", plan.path.c_str());
            return 1;
        }
        planOne.push_back(plan);
        plan.path = (parallel / name).string();
        fs::copy_file(single / name, plan.path);
        planMany.push_back(plan);
    }

    auto t0 = Clock::now();
    {
        CBatchRecognizer run(planOne, 0);
        run.Start(1, nullptr);
        run.Wait(24u * 3600 * 1000);
    }
    const double oneSeconds = Seconds(t0);
    t0 = Clock::now();
    {
        CBatchRecognizer run(planMany, 0);
        run.Start(workers, nullptr);
        run.Wait(24u * 3600 * 1000);
    }
    const double manySeconds = Seconds(t0);

    struct Score {
        double ours = 0, cli = 0;
        int pages = 0;
    };
    std::map<std::string, Score> scores;
    double cliSeconds = 0;
    int same = 0;
    for (int i = 0; i < pageCount; ++i) {
        const CorpusPage& page = corpus[static_cast<std::size_t>(i)];
        const std::string txt = ReadFile(planOne[static_cast<std::size_t>(i)].path + ".TXT");
        same += txt == ReadFile(planMany[static_cast<std::size_t>(i)].path + ".TXT") &&
                ReadFile(planOne[static_cast<std::size_t>(i)].path + ".PST") ==
                    ReadFile(planMany[static_cast<std::size_t>(i)].path + ".PST");
        const bool english = page.script == Script::English;
        Score& s = scores[ScriptName(page.script)];
        s.ours += charAccuracy(page.truth, suite::AnsiToUtf8(txt, 936), false);
        if (haveCli) {
            std::string cli;
            cliSeconds += Cli(cliLanguages(page.script, page.vertical), page.page.plane, work, cli);
            s.cli += charAccuracy(page.truth, cli, false);
        }
        ++s.pages;
        (void)english;
    }
    struct rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    std::printf("pages %d (2480 x %d), workers %d, machine cores %u\n", pageCount, height, workers,
                std::thread::hardware_concurrency());
    std::printf("one at a time   %8.2f s  %6.3f pages/s  %6.3f s/page\n", oneSeconds, pageCount / oneSeconds,
                oneSeconds / pageCount);
    std::printf("%d workers       %8.2f s  %6.3f pages/s  speed-up %.2fx\n", workers, manySeconds,
                pageCount / manySeconds, oneSeconds / manySeconds);
    if (haveCli)
        std::printf("tesseract cli   %8.2f s  %6.3f s/page  ours / cli per page %.2f\n", cliSeconds,
                    cliSeconds / pageCount, oneSeconds / cliSeconds);
    std::printf("pages whose files equal between the runs: %d of %d\n", same, pageCount);
    for (const auto& [name, s] : scores)
        std::printf("accuracy %-12s pages %2d  ours %.3f  cli %.3f\n", name.c_str(), s.pages, s.ours / s.pages,
                    haveCli ? s.cli / s.pages : 0.0);
    std::printf("peak memory %.1f MiB\n", usage.ru_maxrss / 1024.0);
    fs::remove_all(root);
    shell.convertLibrary = nullptr;
    if (convert) FreeLibrary(convert);
    return 0;
}
