// A job of rendered pages through the batch recognition the task's dialog
// drives: the same pages recognised one at a time and by 8 workers in one
// run, each page also read by the tesseract command line (--psm 3, one
// OpenMP thread, as the engines' benchmark times it) and the process's peak
// memory.
//
//   pipeline_bench [pages (40)] [workers (8)] [page height (1754)]
//
// Workers 1 skips the side-by-side run. PIPELINE_BENCH_PAGES=1 prints each
// page's class, times and accuracies; PIPELINE_BENCH_NO_CLI=1 leaves the
// command line out (for profiling our run alone); PIPELINE_BENCH_DUMP=DIR
// keeps each page's picture, truth and both texts there; PIPELINE_BENCH_ONLY=
// 3,27 runs only those pages of the job.
//
// Pages come from the test corpus (every layout class, clean and degraded)
// at A4 width. Our time per page is the one-at-a-time run's (load, layout
// analysis, recognition, project and text files); the command line's is the
// command alone, run right after ours on the same page. The command line is
// timed twice where the models differ: with the models our engines load for
// the page (the same work) and with the script's own model. Accuracy is
// scored on the text file each page leaves, against the page's truth, per
// language; a table's frame characters are layout and not scored.
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
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/page_image.h"
#include "imaging/codecs/image_file_type.h"
#include "ocrdoc/document/page_settings.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/task/batch_recognizer.h"
#include "bench/common/timed_command.h"
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

// The models our engines load for a page of these settings: the Chinese
// engine reads a traditional row on a simplified system (code 'K') with the
// simplified and traditional models together, a Chinese page with English
// words has its English regions read by the English model. The command line
// gets the same list, so that both do the same work.
std::string EngineModels(const PageSettings& settings, Script script, bool vertical) {
    if (settings.IsEnglish()) return "eng";
    if (script == Script::Mixed) return "chi_sim+eng";
    const std::string sim = vertical ? "chi_sim_vert" : "chi_sim", tra = vertical ? "chi_tra_vert" : "chi_tra";
    switch (settings.CodeLetter()) {
    case 'K': return sim + "+" + tra;
    case 'B': return tra;
    default: return sim;
    }
}

// The text without the frame a table's text is drawn in (box-drawing
// characters U+2500-U+257F, UTF-8 E2 94 xx and E2 95 xx): the frame is
// layout, like the spaces the scoring drops, not recognised text.
std::string WithoutTableFrames(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i]) == 0xE2 &&
            (static_cast<unsigned char>(utf8[i + 1]) == 0x94 || static_cast<unsigned char>(utf8[i + 1]) == 0x95)) {
            i += 2;
            continue;
        }
        out += utf8[i];
    }
    return out;
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
    bench::restartWithOneOpenMpThread(argv);
    const int pageCount = argc > 1 ? std::atoi(argv[1]) : 40;
    int workers = argc > 2 ? std::atoi(argv[2]) : 8;
    const int height = argc > 3 ? std::atoi(argv[3]) : 1754;
    const bool haveCli =
        !getenv("PIPELINE_BENCH_NO_CLI") && std::system("command -v tesseract >/dev/null 2>&1") == 0;
    const bool perPage = getenv("PIPELINE_BENCH_PAGES") != nullptr;
    std::set<int> only;
    if (const char* list = getenv("PIPELINE_BENCH_ONLY")) {
        std::stringstream in(list);
        for (std::string item; std::getline(in, item, ',');) only.insert(std::atoi(item.c_str()));
    }
    auto runs = [&](std::size_t i) { return only.empty() || only.count(static_cast<int>(i)) > 0; };
    if (!only.empty()) workers = 1;

    double loadBefore[1] = {0};
    getloadavg(loadBefore, 1);
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

    // One at a time: the pages in turn on one worker thread, as a run with
    // one worker does, each page timed; the command line reads each page
    // right after ours, so that both see the same load on the machine.
    struct PageFigures {
        double ours = 0, cli = 0, cliOwn = 0;
        std::string cliText, cliOwnText;
    };
    std::vector<PageFigures> figures(planOne.size());
    double oneSeconds = 0;
    {
        CBatchRecognizer run(planOne, 0);
        std::thread worker([&] {
            for (std::size_t i = 0; i < planOne.size(); ++i) {
                if (!runs(i)) continue;
                const auto p0 = Clock::now();
                run.RunPage(static_cast<int>(i));
                PageFigures& f = figures[i];
                f.ours = Seconds(p0);
                oneSeconds += f.ours;
                if (!haveCli) continue;
                const CorpusPage& page = corpus[i];
                const std::string same = EngineModels(planOne[i].settings, page.script, page.vertical);
                const std::string own = cliLanguages(page.script, page.vertical);
                f.cli = Cli(same, page.page.plane, work, f.cliText);
                if (own == same) {
                    f.cliOwn = f.cli;
                    f.cliOwnText = f.cliText;
                } else {
                    f.cliOwn = Cli(own, page.page.plane, work, f.cliOwnText);
                }
            }
        });
        worker.join();
    }
    double manySeconds = 0;
    if (workers > 1) {
        const auto t0 = Clock::now();
        CBatchRecognizer run(planMany, 0);
        run.Start(workers, nullptr);
        run.Wait(24u * 3600 * 1000);
        manySeconds = Seconds(t0);
    }

    struct Score {
        double ours = 0, cli = 0, cliOwn = 0;
        int pages = 0;
    };
    std::map<std::string, Score> scores;
    double cliSeconds = 0, cliOwnSeconds = 0;
    int same = 0;
    for (int i = 0; i < pageCount; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        if (!runs(k)) continue;
        const CorpusPage& page = corpus[k];
        const PageFigures& f = figures[k];
        const std::string txt = ReadFile(planOne[k].path + ".TXT");
        if (workers > 1)
            same += txt == ReadFile(planMany[k].path + ".TXT") &&
                    ReadFile(planOne[k].path + ".PST") == ReadFile(planMany[k].path + ".PST");
        Score& s = scores[ScriptName(page.script)];
        const std::string ours = WithoutTableFrames(suite::AnsiToUtf8(txt, 936));
        const double oursAccuracy = charAccuracy(page.truth, ours, false);
        const double cliAccuracy = haveCli ? charAccuracy(page.truth, f.cliText, false) : 0;
        const double cliOwnAccuracy = haveCli ? charAccuracy(page.truth, f.cliOwnText, false) : 0;
        s.ours += oursAccuracy;
        s.cli += cliAccuracy;
        s.cliOwn += cliOwnAccuracy;
        cliSeconds += f.cli;
        cliOwnSeconds += f.cliOwn;
        ++s.pages;
        if (const char* dump = getenv("PIPELINE_BENCH_DUMP")) {
            const std::string stem = (fs::path(dump) / ("page" + std::to_string(i))).string();
            std::ofstream(stem + ".ours.txt") << ours;
            std::ofstream(stem + ".truth.txt") << page.truth;
            std::ofstream(stem + ".cli.txt") << f.cliText;
            savePng(page.page.plane, stem + ".png");
        }
        if (perPage)
            std::printf("page %2d %-14s %-11s %s  ours %.3f s %.3f  cli %.3f s %.3f  cli own model %.3f s %.3f\n", i,
                        classes[k % classes.size()].name.c_str(), ScriptName(page.script),
                        (k / classes.size()) % 2 == 1 ? "degraded" : "clean   ", f.ours, oursAccuracy, f.cli,
                        cliAccuracy, f.cliOwn, cliOwnAccuracy);
    }
    struct rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    double loadAfter[1] = {0};
    getloadavg(loadAfter, 1);
    std::printf("pages %d (2480 x %d), workers %d, machine cores %u, load %.1f before, %.1f after\n", pageCount,
                height, workers, std::thread::hardware_concurrency(), loadBefore[0], loadAfter[0]);
    const int ran = only.empty() ? pageCount : static_cast<int>(only.size());
    std::printf("one at a time   %8.2f s  %6.3f pages/s  %6.3f s/page\n", oneSeconds, ran / oneSeconds,
                oneSeconds / ran);
    if (workers > 1)
        std::printf("%d workers       %8.2f s  %6.3f pages/s  speed-up %.2fx\n", workers, manySeconds,
                    pageCount / manySeconds, oneSeconds / manySeconds);
    if (haveCli) {
        std::printf("tesseract cli   %8.2f s  %6.3f s/page  ours / cli per page %.2f  (our engines' models)\n",
                    cliSeconds, cliSeconds / ran, oneSeconds / cliSeconds);
        std::printf("tesseract cli   %8.2f s  %6.3f s/page  ours / cli per page %.2f  (the script's own model)\n",
                    cliOwnSeconds, cliOwnSeconds / ran, oneSeconds / cliOwnSeconds);
    }
    if (workers > 1) std::printf("pages whose files equal between the runs: %d of %d\n", same, pageCount);
    for (const auto& [name, s] : scores)
        std::printf("accuracy %-12s pages %2d  ours %.3f  cli %.3f  cli own model %.3f\n", name.c_str(), s.pages,
                    s.ours / s.pages, s.cli / s.pages, s.cliOwn / s.pages);
    std::printf("peak memory %.1f MiB\n", usage.ru_maxrss / 1024.0);
    fs::remove_all(root);
    shell.convertLibrary = nullptr;
    if (convert) FreeLibrary(convert);
    return 0;
}
