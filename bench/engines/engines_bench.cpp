// Accuracy and speed of layout analysis and recognition on a corpus of
// rendered A4 pages, against the tesseract command line (--psm 3) on the same
// pages in the same run.
//
//   engines_bench [pages per class (8)] [threads (2)] [class name filter] [page height (3508)] [seed]
//
// The pages' seeds follow from the run's seed (fresh each run unless given),
// which is printed first.
//
// ENGINES_BENCH_DUMP=<folder> writes per page the truth, our text and the
// command line's, the wrong characters with their candidates, the page, the
// page as our engines read it (rules taken out) and the blocks they were given.
//
// The corpus (outside/tests/corpus.h) has one class per layout and script,
// each clean and degraded (tilted 0.5 to 2 degrees, blurred, noisy, cut at an
// uneven threshold). Our path is the one the program takes: layout analysis
// (Plenmar), then the text areas in list order to Tresk (Chinese pages) or
// Pendril20 (English pages), tables read cell by cell after Fremlin found
// their grid. Text is scored in reading order with whitespace removed. The
// command line reads the same page as a 1-bit PNG with its own page layout
// analysis. Both run with one OpenMP thread; pages are shared among the
// worker threads. Candidates are scored on the characters we read wrongly
// that align one to one with the truth: is the right one among them?

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bench/common/engine_reading.h"
#include "bench/common/page_scores.h"
#include "bench/common/timed_command.h"
#include "outside/tests/corpus.h"

using namespace testpages;
using namespace bench;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Job {
    std::size_t cls;
    bool degraded;
    unsigned seed;
};

// One recognised character: the chosen reading first, then the other candidates.
using Candidates = std::vector<std::string>;

struct Outcome {
    double ours = 0, cli = 0;  // character accuracy
    double oursSec = 0, cliSec = 0, segSec = 0;
    double oursCpu = 0, cliCpu = 0;  // processor seconds, steadier than the clock on a busy machine
    int chars = 0;
    int wrong = 0, rightAmongCandidates = 0;
    int wrongPlain = 0, rightAmongCandidatesPlain = 0;  // the same on the plain alignment
    std::string stem;
};

std::string recogniseCli(const std::string& langs, const Plane& p, const fs::path& work, double& seconds, double& cpu) {
    fs::path png = work / "page.png", out = work / "out";
    if (!testpages::savePng(p, png.string())) {
        seconds = 0;
        return {};
    }
    std::string cmd = "OMP_THREAD_LIMIT=1 tesseract '" + png.string() + "' '" + out.string() + "' --psm 3 -l " + langs +
                      " >/dev/null 2>&1";
    // Only the command is timed, not the writing of its input.
    auto t0 = Clock::now();
    runTimed(cmd, cpu);
    seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    std::ifstream in(out.string() + ".txt");
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

int main(int argc, char** argv) {
    restartWithOneOpenMpThread(argv);
    int pages = argc > 1 ? std::atoi(argv[1]) : 8;
    int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    std::string filter = argc > 3 ? argv[3] : "";
    int height = argc > 4 ? std::atoi(argv[4]) : 3508;
    if (pages < 1 || threads < 1 || height < 500) return 2;
    const unsigned runSeed = argc > 5 ? static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)) : std::random_device{}() % 100000;
    std::printf("seed %u\n", runSeed);
    std::fflush(stdout);
    if (std::system("command -v tesseract >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "the tesseract command line is not installed\n");
        return 1;
    }
    ensureGui();
    EngineLibraries libs;
    const auto& classes = corpusClasses();
    std::vector<Job> jobs;
    for (std::size_t c = 0; c < classes.size(); ++c) {
        if (!filter.empty() && classes[c].name.find(filter) == std::string::npos) continue;
        for (int i = 0; i < pages; ++i)
            for (bool degraded : {false, true}) jobs.push_back({c, degraded, runSeed + static_cast<unsigned>(i)});
    }
    // Pages are rendered up front (Qt paints on the main thread).
    std::vector<CorpusPage> rendered;
    for (const Job& j : jobs) rendered.push_back(corpusPage(classes[j.cls], j.seed, j.degraded, 2480, height));
    std::vector<Outcome> outcomes(jobs.size());
    std::atomic<std::size_t> next{0};
    auto worker = [&](int id) {
        fs::path work = fs::temp_directory_path() / ("engines-bench-" + std::to_string(getpid()) + "-" + std::to_string(id));
        fs::create_directories(work);
        // One small page of each kind warms the thread's engines, so that
        // loading the models and drawing the glyphs is not counted against a
        // page.
        for (const CorpusClass& warm : {classes[0], classes[1], classes[2], classes[11], classes[13]}) {
            CorpusPage page = corpusPage(warm, 1, false, 2480, 500);
            double s = 0;
            std::vector<Block> blocks = layoutBlocks(libs, page.page.plane, 300, s);
            if (page.script == Script::English)
                readEnglish(libs, page.page.plane, blocks);
            else
                readChinese(libs, page.page.plane, blocks, page.script == Script::Traditional);
        }
        for (std::size_t k; (k = next++) < jobs.size();) {
            const CorpusPage& page = rendered[k];
            Plane plane = page.page.plane;
            auto t0 = Clock::now();
            const double cpu0 = threadCpu();
            Outcome& o = outcomes[k];
            std::vector<Block> blocks = layoutBlocks(libs, plane, 300, o.segSec);
            Reading ours = page.script == Script::English ? readEnglish(libs, plane, blocks)
                                                          : readChinese(libs, plane, blocks, page.script == Script::Traditional);
            o.oursSec = std::chrono::duration<double>(Clock::now() - t0).count();
            o.oursCpu = threadCpu() - cpu0;
            std::string cli = recogniseCli(cliLanguages(page.script, page.vertical), page.page.plane, work, o.cliSec, o.cliCpu);
            o.ours = charAccuracy(page.truth, ours.text, false);
            o.cli = charAccuracy(page.truth, cli, false);
            o.chars = characterCount(normalise(page.truth, false));
            const std::string stem = classes[jobs[k].cls].name + "-" + std::to_string(jobs[k].seed) + (jobs[k].degraded ? "-d" : "-c");
            o.stem = stem;
            std::string misses;
            scoreCandidates(stem, page.truth, ours, true, o.wrong, o.rightAmongCandidates, misses);
            std::string plainMisses;
            scoreCandidates(stem, page.truth, ours, false, o.wrongPlain, o.rightAmongCandidatesPlain, plainMisses);
            // ENGINES_BENCH_MISSES=1 lists each wrong character with its page, its
            // candidates and the truth around it.
            if (getenv("ENGINES_BENCH_MISSES")) std::fputs(misses.c_str(), stderr);
            if (getenv("ENGINES_BENCH_DUMP")) {
                fs::path dump = fs::path(getenv("ENGINES_BENCH_DUMP"));
                std::ofstream(dump / (stem + ".ours.txt")) << ours.text;
                std::ofstream(dump / (stem + ".cli.txt")) << cli;
                std::ofstream(dump / (stem + ".truth.txt")) << page.truth;
                std::ofstream(dump / (stem + ".misses.txt")) << misses;
                savePng(page.page.plane, (dump / (stem + ".png")).string());
                // The page as the engines read it (rules erased) and the blocks handed to them.
                savePng(plane, (dump / (stem + ".read.png")).string());
                std::ofstream list(dump / (stem + ".blocks.txt"));
                for (const Block& b : blocks)
                    list << (b.vertical ? "v " : "h ") << b.r.left << ' ' << b.r.top << ' ' << b.r.right << ' ' << b.r.bottom << '\n';
            }
        }
        fs::remove_all(work);
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(worker, t);
    for (auto& t : pool) t.join();

    std::printf("%d pages per class and condition, %d worker threads, 2480 x %d pixels at 300 dpi\n", pages, threads, height);
    std::printf("accuracy: characters in reading order, whitespace removed; times in seconds per page (ours with warm\n"
                "engines, the command line with its start); cpu: the same ratio in processor time; seg in ms per page;\n"
                "cand: wrong characters whose right one is among the candidates, aligned with the truth by fewest edits\n"
                "and, where that is ambiguous, pairing most wrong characters with a right candidate; plain: the same on\n"
                "the plain alignment (substitutions first)\n");
    std::printf("%-14s %-9s %6s %8s %8s %6s %6s %6s %6s %6s %6s %7s %6s %7s\n", "class", "condition", "chars", "ours", "cli",
                "ours s", "cli s", "ratio", "cpu", "seg ms", "wrong", "cand", "wrong", "plain");
    for (std::size_t c = 0; c < classes.size(); ++c)
        for (bool degraded : {false, true}) {
            double errOurs = 0, errCli = 0, sOurs = 0, sCli = 0, sSeg = 0, cOurs = 0, cCli = 0;
            long chars = 0, wrong = 0, found = 0, wrongPlain = 0, foundPlain = 0;
            int n = 0;
            for (std::size_t k = 0; k < jobs.size(); ++k) {
                if (jobs[k].cls != c || jobs[k].degraded != degraded) continue;
                const Outcome& o = outcomes[k];
                errOurs += (1 - o.ours) * o.chars;
                errCli += (1 - o.cli) * o.chars;
                chars += o.chars;
                sOurs += o.oursSec;
                sCli += o.cliSec;
                sSeg += o.segSec;
                cOurs += o.oursCpu;
                cCli += o.cliCpu;
                wrong += o.wrong;
                found += o.rightAmongCandidates;
                wrongPlain += o.wrongPlain;
                foundPlain += o.rightAmongCandidatesPlain;
                ++n;
            }
            if (n == 0) continue;
            std::printf("%-14s %-9s %6ld %7.2f%% %7.2f%% %6.2f %6.2f %6.2f %6.2f %6.1f %6ld %6.1f%% %6ld %6.1f%%\n",
                        classes[c].name.c_str(), degraded ? "degraded" : "clean", chars, 100 * (1 - errOurs / chars),
                        100 * (1 - errCli / chars), sOurs / n, sCli / n, sOurs / sCli, cCli > 0 ? cOurs / cCli : 0.0,
                        1000 * sSeg / n, wrong, wrong ? 100.0 * found / wrong : 100.0, wrongPlain,
                        wrongPlain ? 100.0 * foundPlain / wrongPlain : 100.0);
        }
    // Every page read more than 5 points worse than the command line read it.
    int behind = 0;
    for (const Outcome& o : outcomes)
        if (o.ours < o.cli - 0.05) {
            std::printf("behind: %-24s ours %6.2f%% cli %6.2f%%\n", o.stem.c_str(), 100 * o.ours, 100 * o.cli);
            ++behind;
        }
    std::printf("%d of %zu pages more than 5 points behind the command line\n", behind, outcomes.size());
    return 0;
}
