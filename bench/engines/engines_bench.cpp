// Accuracy and speed of the recognition engines on rendered pages, against
// the tesseract command line on the same pages in the same run.
//
//   engines_bench [pages per language (20)] [threads (2)]
//
// Every page is rendered from known text (simplified, traditional, English),
// once clean and once with specks and a small skew. Our path is the one the
// program takes: layout analysis (Plenmar), then recognition of the text
// areas (Tresk or Pendril20). The command line reads the same page as a
// 1-bit PNG with its own page layout analysis. Both run with one OpenMP
// thread; pages are shared among the worker threads.

#include <cstring>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "outside/include/pendril20.h"
#include "outside/include/plenmar.h"
#include "outside/include/tresk.h"
#include "outside/ocrkit/codepage.h"
#include "outside/tests/harness.h"
#include "outside/tests/loader.h"

using namespace testpages;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

enum Lang { Simplified, Traditional, English };
const char* kNames[] = {"simplified", "traditional", "english"};
const char* kCliLang[] = {"chi_sim", "chi_tra", "eng"};

struct Libs {
    Library plenmar{PLENMAR_DLL}, tresk{TRESK_DLL}, pendril{PENDRIL20_DLL};
    PFN_PLENMAR_SEG seg = plenmar.get<PFN_PLENMAR_SEG>("seg");
    PFN_PLENMAR_DELLINK del = plenmar.get<PFN_PLENMAR_DELLINK>("DelLink");
    PFN_OR_CHN40_SEGIMG segImg = tresk.get<PFN_OR_CHN40_SEGIMG>("OR_CHN40_SegImg");
    PFN_OR_CHN40_RECOG recog = tresk.get<PFN_OR_CHN40_RECOG>("OR_CHN40_Recog");
    PFN_OR_CHN40_FREESEGINFO freeSeg = tresk.get<PFN_OR_CHN40_FREESEGINFO>("OR_CHN40_FreeSegInfo");
    PFN_TRESK_FREERESULT freeResult = tresk.ordinal<PFN_TRESK_FREERESULT>(TRESK_ORDINAL_FREERESULT);
    PFN_OR_PENDRIL20_RECOGIMG_ENGSTR recogEng = pendril.get<PFN_OR_PENDRIL20_RECOGIMG_ENGSTR>("OR_PENDRIL20_RECOGIMG_ENGSTR");
    PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR freeEng = pendril.get<PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR>("OR_PENDRIL20_FREERGNINFO_ENGSTR");
};

int pump() { return 0; }

struct Job {
    Lang lang;
    bool noisy;
    unsigned seed;
};

struct Outcome {
    double ours = 0, cli = 0;      // character accuracy
    double oursSec = 0, cliSec = 0;
    int chars = 0;
};

// Our path: layout analysis, then recognition of its text areas.
std::string recogniseOurs(Libs& libs, Lang lang, Plane& p) {
    CArea* areas = libs.seg(p.bits.data(), p.width, p.height, 300, PLENMAR_PAGE_AUTO, RECT{0, 0, p.width - 1, p.height - 1});
    std::string text;
    if (lang == English) {
        std::vector<_recblockeng> blocks;
        for (CArea* a = areas; a; a = a->next)
            if (a->kind != PLENMAR_AREA_PICTURE && a->kind != PLENMAR_AREA_TABLE)
                blocks.push_back({static_cast<short>(a->top), static_cast<short>(a->bottom), static_cast<short>(a->left),
                                  static_cast<short>(a->right), nullptr});
        libs.del(areas);
        for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
        _regioninfoeng* r = libs.recogEng(p.bits.data(), static_cast<short>(p.width), static_cast<short>(p.height),
                                          blocks.empty() ? nullptr : blocks.data(), nullptr, &pump);
        for (_regioninfoeng* e = r; e; e = e->next)
            for (_lineinfoeng* l = e->pLines; l; l = l->next) {
                for (_wordinfoeng* w = l->pWords; w; w = w->next) {
                    if (w != l->pWords) text.append(std::max<int>(w->nBlanks, 1), ' ');
                    for (_charinfoeng* c = w->pChars; c; c = c->next) text += static_cast<char>(c->wCand[0]);
                }
                text += '\n';
            }
        libs.freeEng(r);
        return text;
    }
    std::vector<_recblock> blocks;
    for (CArea* a = areas; a; a = a->next)
        if (a->kind != PLENMAR_AREA_PICTURE && a->kind != PLENMAR_AREA_TABLE)
            blocks.push_back({a->kind == PLENMAR_AREA_VERTICAL ? 1 : 0, a->left, a->top, a->right, a->bottom, nullptr});
    libs.del(areas);
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    HGLOBAL plane = planeBlock(p);
    char folder[] = "";
    short w = static_cast<short>(p.width), h = static_cast<short>(p.height);
    _seg_regioninfo* seg = libs.segImg(plane, w, h, blocks.empty() ? nullptr : blocks.data(), folder);
    int code = lang == Traditional ? 'B' : 'G';
    _regioninfo* r = libs.recog(seg, plane, w, h, folder, code, lang == Traditional, 0, nullptr, &pump);
    libs.freeSeg(seg);
    std::string bytes;
    for (_regioninfo* e = r; e; e = e->next)
        for (_lineinfo* l = e->pLines; l; l = l->next) {
            for (_charinfo* c = l->pChars; c; c = c->next) {
                bytes.append(c->nSpaces, ' ');
                bytes += ocrkit::unpackCode(c->wCand[0]);
            }
            bytes += '\n';
        }
    libs.freeResult(r);
    GlobalFree(plane);
    return ocrkit::toUtf8(bytes, code == 'B' ? 950 : 936);
}

// Characters of a UTF-8 string (every byte that does not continue one).
int characterCount(const std::string& utf8) {
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string recogniseCli(Lang lang, const Plane& p, const fs::path& work, double& seconds) {
    fs::path png = work / "page.png", out = work / "out";
    if (!testpages::savePng(p, png.string())) {
        seconds = 0;
        return {};
    }
    std::string cmd = "OMP_THREAD_LIMIT=1 tesseract '" + png.string() + "' '" + out.string() + "' -l " + kCliLang[lang] +
                      " >/dev/null 2>&1";
    // Only the command is timed, not the writing of its input.
    auto t0 = Clock::now();
    (void)std::system(cmd.c_str());
    seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    std::ifstream in(out.string() + ".txt");
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

Page pageFor(const Job& job) {
    Style style{50, 0, 0, job.seed};
    if (job.noisy) {
        style.noise = 0.002;
        style.skewDegrees = (job.seed % 2 ? 0.3 : -0.3);
    }
    std::vector<std::string> text = job.lang == Simplified ? simplifiedText(job.seed, 3)
                                  : job.lang == Traditional ? traditionalText(job.seed, 3)
                                                            : englishText(job.seed, 4);
    return textPage(text, 2480, 1300, style);
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
    int pages = argc > 1 ? std::atoi(argv[1]) : 20;
    int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    if (pages < 1 || threads < 1) return 2;
    if (std::system("command -v tesseract >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "the tesseract command line is not installed\n");
        return 1;
    }
    ensureGui();
    Libs libs;
    std::vector<Job> jobs;
    for (int l = 0; l < 3; ++l)
        for (int i = 0; i < pages; ++i)
            for (bool noisy : {false, true}) jobs.push_back({static_cast<Lang>(l), noisy, static_cast<unsigned>(100 + i)});
    // Pages are rendered up front (Qt paints on the main thread).
    std::vector<Page> rendered;
    for (const Job& j : jobs) rendered.push_back(pageFor(j));
    // One small page of each language warms every thread's engines, so that
    // loading the models is not counted against a page.
    std::vector<Page> warm;
    for (int l = 0; l < 3; ++l) warm.push_back(textPage(l == 0 ? simplifiedText(1, 1) : l == 1 ? traditionalText(1, 1) : englishText(1, 1), 2480, 400, Style{}));
    std::vector<Outcome> outcomes(jobs.size());
    std::atomic<std::size_t> next{0};
    auto worker = [&](int id) {
        fs::path work = fs::temp_directory_path() / ("engines-bench-" + std::to_string(getpid()) + "-" + std::to_string(id));
        fs::create_directories(work);
        for (int l = 0; l < 3; ++l) {
            Plane p = warm[l].plane;
            recogniseOurs(libs, static_cast<Lang>(l), p);
        }
        for (std::size_t k; (k = next++) < jobs.size();) {
            Page& page = rendered[k];
            std::string want = expectedText(page);
            bool spaces = jobs[k].lang == English;
            Plane plane = page.plane;
            auto t0 = Clock::now();
            std::string ours = recogniseOurs(libs, jobs[k].lang, plane);
            auto t1 = Clock::now();
            double cliSec = 0;
            std::string cli = recogniseCli(jobs[k].lang, page.plane, work, cliSec);
            Outcome& o = outcomes[k];
            o.ours = charAccuracy(want, ours, spaces);
            o.cli = charAccuracy(want, cli, spaces);
            o.oursSec = std::chrono::duration<double>(t1 - t0).count();
            o.cliSec = cliSec;
            o.chars = characterCount(normalise(want, spaces));
        }
        fs::remove_all(work);
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(worker, t);
    for (auto& t : pool) t.join();

    // What the command line spends on starting and loading its model: a
    // blank page, measured a few times after the run.
    double startup[3] = {0, 0, 0};
    {
        fs::path work = fs::temp_directory_path() / ("engines-bench-" + std::to_string(getpid()) + "-start");
        fs::create_directories(work);
        Plane blank;
        blank.width = 64;
        blank.height = 64;
        blank.bits.assign(8 * 64, 0);
        for (int l = 0; l < 3; ++l)
            for (int i = 0; i < 3; ++i) {
                double s = 0;
                recogniseCli(static_cast<Lang>(l), blank, work, s);
                startup[l] += s / 3;
            }
        fs::remove_all(work);
    }
    std::printf("%d pages per language and condition, %d worker threads, 2480 x 1300 pixels at 300 dpi\n", pages, threads);
    std::printf("times are seconds per page; ours with warm engines, the command line with its start (start column)\n");
    std::printf("%-12s %-6s %7s %9s %9s %7s %7s %7s %6s %9s\n", "language", "pages", "chars", "ours acc", "cli acc", "ours s",
                "cli s", "start", "ratio", "w/o start");
    for (int l = 0; l < 3; ++l)
        for (bool noisy : {false, true}) {
            double errOurs = 0, errCli = 0, sOurs = 0, sCli = 0;
            long chars = 0;
            int n = 0;
            for (std::size_t k = 0; k < jobs.size(); ++k) {
                if (jobs[k].lang != l || jobs[k].noisy != noisy) continue;
                const Outcome& o = outcomes[k];
                errOurs += (1 - o.ours) * o.chars;
                errCli += (1 - o.cli) * o.chars;
                chars += o.chars;
                sOurs += o.oursSec;
                sCli += o.cliSec;
                ++n;
            }
            std::printf("%-12s %-6s %7ld %8.2f%% %8.2f%% %7.2f %7.2f %7.2f %6.2f %9.2f\n", kNames[l], noisy ? "noisy" : "clean",
                        chars, 100 * (1 - errOurs / chars), 100 * (1 - errCli / chars), sOurs / n, sCli / n, startup[l],
                        sOurs / sCli, sOurs / (sCli - startup[l] * n));
        }
    return 0;
}
