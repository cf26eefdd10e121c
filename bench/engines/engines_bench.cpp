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

#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "outside/include/fremlin.h"
#include "outside/include/pendril20.h"
#include "outside/include/plenmar.h"
#include "outside/include/tresk.h"
#include "outside/ocrkit/codepage.h"
#include "outside/tests/corpus.h"
#include "outside/tests/harness.h"
#include "outside/tests/loader.h"

using namespace testpages;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Libs {
    Library plenmar{PLENMAR_DLL}, tresk{TRESK_DLL}, pendril{PENDRIL20_DLL}, fremlin{FREMLIN_DLL};
    PFN_PLENMAR_SEG seg = plenmar.get<PFN_PLENMAR_SEG>("seg");
    PFN_PLENMAR_DELLINK del = plenmar.get<PFN_PLENMAR_DELLINK>("DelLink");
    PFN_OR_CHN40_INIT init = tresk.get<PFN_OR_CHN40_INIT>("OR_CHN40_Init");
    PFN_OR_CHN40_SEGIMG segImg = tresk.get<PFN_OR_CHN40_SEGIMG>("OR_CHN40_SegImg");
    PFN_OR_CHN40_RECOG recog = tresk.get<PFN_OR_CHN40_RECOG>("OR_CHN40_Recog");
    PFN_OR_CHN40_FREESEGINFO freeSeg = tresk.get<PFN_OR_CHN40_FREESEGINFO>("OR_CHN40_FreeSegInfo");
    PFN_TRESK_FREERESULT freeResult = tresk.ordinal<PFN_TRESK_FREERESULT>(TRESK_ORDINAL_FREERESULT);
    PFN_OR_PENDRIL20_RECOGIMG_ENGSTR recogEng = pendril.get<PFN_OR_PENDRIL20_RECOGIMG_ENGSTR>("OR_PENDRIL20_RECOGIMG_ENGSTR");
    PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR freeEng = pendril.get<PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR>("OR_PENDRIL20_FREERGNINFO_ENGSTR");
    PFN_FREMLIN_EXTRACT extract = fremlin.ordinal<PFN_FREMLIN_EXTRACT>(FREMLIN_ORDINAL_EXTRACT);
    PFN_FREMLIN_FREE freeGrid = fremlin.ordinal<PFN_FREMLIN_FREE>(FREMLIN_ORDINAL_FREE);
};

int pump() { return 0; }

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

struct Block {
    bool vertical;
    RECT r;
};

// Our reading of a page: the characters in list order with their candidates.
struct Reading {
    std::vector<Candidates> chars;
    std::string text;
};

// Layout analysis, then the blocks the program would hand to the engines:
// text areas as they are, tables cell by cell on the plane with their rules
// erased, pictures left out.
std::vector<Block> layoutBlocks(Libs& libs, Plane& p, double& segSec) {
    auto t0 = Clock::now();
    CArea* areas = libs.seg(p.bits.data(), p.width, p.height, 300, PLENMAR_PAGE_AUTO, RECT{0, 0, p.width - 1, p.height - 1});
    segSec = std::chrono::duration<double>(Clock::now() - t0).count();
    std::vector<Block> blocks;
    for (CArea* a = areas; a; a = a->next) {
        if (a->kind == PLENMAR_AREA_PICTURE) continue;
        if (a->kind != PLENMAR_AREA_TABLE) {
            blocks.push_back({a->kind == PLENMAR_AREA_VERTICAL, RECT{a->left, a->top, a->right, a->bottom}});
            continue;
        }
        int w = a->right - a->left + 1, h = a->bottom - a->top + 1;
        std::vector<std::uint8_t> crop = cropBits(p, a->left, a->top, w, h);
        TableGrid* grid = nullptr;
        libs.extract(crop.data(), w, h, 0, &grid);
        if (!grid) {
            blocks.push_back({false, RECT{a->left, a->top, a->right, a->bottom}});
            continue;
        }
        // The rules are gone from the crop: so they are from the page the cells are read on.
        int stride = (w + 7) / 8;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                bool black = (crop[y * stride + x / 8] >> (7 - x % 8)) & 1;
                std::uint8_t& byte = p.bits[(a->top + y) * p.stride() + (a->left + x) / 8];
                std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> ((a->left + x) % 8));
                byte = black ? (byte | bit) : (byte & ~bit);
            }
        for (int r = 0; r < grid->nRows; ++r)
            for (int k = 0; k < grid->pCellsPerRow[r]; ++k) {
                const TableCell& c = grid->ppRows[r][k];
                if (!c.bOwn) continue;
                blocks.push_back({false, RECT{a->left + c.left, a->top + c.top, a->left + c.right, a->top + c.bottom}});
            }
        libs.freeGrid(&grid);
    }
    libs.del(areas);
    return blocks;
}

Reading readEnglish(Libs& libs, Plane& p, const std::vector<Block>& list) {
    Reading out;
    std::vector<_recblockeng> blocks;
    for (const Block& b : list)
        blocks.push_back({static_cast<short>(b.r.top), static_cast<short>(b.r.bottom), static_cast<short>(b.r.left),
                          static_cast<short>(b.r.right), nullptr});
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    _regioninfoeng* r = libs.recogEng(p.bits.data(), static_cast<short>(p.width), static_cast<short>(p.height),
                                      blocks.empty() ? nullptr : blocks.data(), nullptr, &pump);
    const int cp = ocrkit::ansiCodePage();
    for (_regioninfoeng* e = r; e; e = e->next)
        for (_lineinfoeng* l = e->pLines; l; l = l->next) {
            for (_wordinfoeng* w = l->pWords; w; w = w->next) {
                out.text.append(std::max<int>(w->nBlanks, 1), ' ');
                for (_charinfoeng* c = w->pChars; c; c = c->next) {
                    Candidates cands;
                    for (int k = 0; k < c->nCands; ++k) cands.push_back(ocrkit::toUtf8(ocrkit::unpackCode(c->wCand[k]), cp));
                    out.text += cands.empty() ? std::string() : cands[0];
                    out.chars.push_back(std::move(cands));
                }
            }
            out.text += '\n';
        }
    libs.freeEng(r);
    return out;
}

Reading readChinese(Libs& libs, Plane& p, const std::vector<Block>& list, bool traditional) {
    Reading out;
    std::vector<_recblock> blocks;
    for (const Block& b : list) blocks.push_back({b.vertical ? 1 : 0, b.r.left, b.r.top, b.r.right, b.r.bottom, nullptr});
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    HGLOBAL plane = planeBlock(p);
    char folder[] = "";
    short w = static_cast<short>(p.width), h = static_cast<short>(p.height);
    _seg_regioninfo* seg = libs.segImg(plane, w, h, blocks.empty() ? nullptr : blocks.data(), folder);
    int code = traditional ? 'B' : 'G';
    const int cp = traditional ? 950 : 936;
    _regioninfo* r = libs.recog(seg, plane, w, h, folder, code, traditional, 0, nullptr, &pump);
    libs.freeSeg(seg);
    for (_regioninfo* e = r; e; e = e->next)
        for (_lineinfo* l = e->pLines; l; l = l->next) {
            for (_charinfo* c = l->pChars; c; c = c->next) {
                out.text.append(c->nSpaces, ' ');
                Candidates cands;
                for (int k = 0; k < c->nCands; ++k) cands.push_back(ocrkit::toUtf8(ocrkit::unpackCode(c->wCand[k]), cp));
                out.text += cands.empty() ? std::string() : cands[0];
                out.chars.push_back(std::move(cands));
            }
            out.text += '\n';
        }
    libs.freeResult(r);
    GlobalFree(plane);
    return out;
}

std::u32string u32(const std::string& s) { return QString::fromStdString(s).toStdU32String(); }

// Aligns our characters with the truth (whitespace removed) by edit distance
// and counts the substitutions and those whose right character is a
// candidate. With `byCandidates`, of the alignments with the fewest edits the
// one with the most such substitutions is taken: where a character was
// dropped and another put in further on, the characters between them then
// pair with the truth they were read from rather than each with its
// neighbour's. Without it the plain alignment (substitutions taken first from
// the end back) is scored; both are printed, since the first favours us
// wherever the alignment is ambiguous.
void scoreCandidates(const std::string& page, const std::string& truth, const Reading& ours, bool byCandidates,
                     int& wrong, int& found, std::string& misses) {
    std::u32string want = u32(normalise(truth, false));
    std::vector<const Candidates*> got;
    std::vector<std::u32string> gotCands;  // the single characters among each one's candidates
    std::u32string gotText;
    for (const Candidates& c : ours.chars) {
        if (c.empty()) continue;
        std::u32string first = u32(c[0]);
        if (first.size() != 1 || first[0] == U' ') continue;
        got.push_back(&c);
        gotText += first[0];
        std::u32string cands;
        for (const std::string& k : c)
            if (std::u32string u = u32(k); u.size() == 1) cands += u[0];
        gotCands.push_back(std::move(cands));
    }
    const std::size_t n = want.size(), m = gotText.size();
    // Cost: edits times (n + m + 1), less one for each substitution whose
    // right character is a candidate (never as much as one edit).
    const long long edit = static_cast<long long>(n + m + 1);
    auto among = [&](std::size_t i, std::size_t j) { return gotCands[j - 1].find(want[i - 1]) != std::u32string::npos; };
    auto substitution = [&](std::size_t i, std::size_t j) {
        return want[i - 1] == gotText[j - 1] ? 0 : edit - (byCandidates && among(i, j) ? 1 : 0);
    };
    std::vector<std::vector<long long>> d(n + 1, std::vector<long long>(m + 1));
    for (std::size_t i = 0; i <= n; ++i) d[i][0] = static_cast<long long>(i) * edit;
    for (std::size_t j = 0; j <= m; ++j) d[0][j] = static_cast<long long>(j) * edit;
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j)
            d[i][j] = std::min({d[i - 1][j] + edit, d[i][j - 1] + edit, d[i - 1][j - 1] + substitution(i, j)});
    for (std::size_t i = n, j = m; i > 0 && j > 0;) {
        if (d[i][j] == d[i - 1][j - 1] + substitution(i, j)) {
            if (want[i - 1] != gotText[j - 1]) {
                ++wrong;
                found += among(i, j);
                // Each wrong character with its page, its candidates and the
                // truth around it (from the end of the page back).
                misses += page + ": want " + QString::fromStdU32String(std::u32string(1, want[i - 1])).toStdString() + " got";
                for (const std::string& c : *got[j - 1]) misses += " " + c;
                const std::size_t from = i >= 3 ? i - 3 : 0;
                misses += " in " + QString::fromStdU32String(want.substr(from, std::min<std::size_t>(5, n - from))).toStdString() + "\n";
            }
            --i;
            --j;
        } else if (d[i][j] == d[i - 1][j] + edit) {
            --i;
        } else {
            --j;
        }
    }
}

// Characters of a UTF-8 string (every byte that does not continue one).
int characterCount(const std::string& utf8) {
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Processor time of the calling thread.
double threadCpu() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Runs a shell command; cpu gets the processor time it and its children used.
void runTimed(const std::string& cmd, double& cpu) {
    cpu = 0;
    pid_t pid = 0;
    const char* argv[] = {"/bin/sh", "-c", cmd.c_str(), nullptr};
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return;
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid) return;
    cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
          static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

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
    // One OpenMP thread for every engine, set before anything loads the runtime.
    if (!getenv("OMP_THREAD_LIMIT")) {
        setenv("OMP_THREAD_LIMIT", "1", 1);
        // The libraries are built into the program folder beside this one.
        char exe[4096] = {};
        if (readlink("/proc/self/exe", exe, sizeof exe - 1) > 0 && !getenv("SUITE_LIBRARY_PATH"))
            setenv("SUITE_LIBRARY_PATH", (fs::path(exe).parent_path().parent_path() / "bin").c_str(), 1);
        execv("/proc/self/exe", argv);
    }
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
    Libs libs;
    // As the program does at start (the candidates' glyphs are drawn then).
    char noFolder[] = "";
    libs.init(noFolder);
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
            std::vector<Block> blocks = layoutBlocks(libs, page.page.plane, s);
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
            std::vector<Block> blocks = layoutBlocks(libs, plane, o.segSec);
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
