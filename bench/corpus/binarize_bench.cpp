// Binarisation of grey and colour scans judged by recognition: pages of the
// random corpus with a scanned look (uneven light, JPEG noise, halftone
// pictures, coloured paper) are read through the program's road four ways,
// in the same run:
//   page      the file as drawn: the program's page image binarises it
//   otsu      cut by Leptonica at the one Otsu threshold of the whole page,
//             as the tesseract command line thresholds by default
//   tiled     Leptonica's adaptive Otsu on tiles of a third of an inch
//   sauvola   Leptonica's Sauvola threshold (window a third of an inch, k 0.34)
// The three cut pages go to the road as 1-bit files of the same resolution.
// Printed: per page and per class the character accuracy and word F1 of each,
// and the medians and means over all pages.
//
//   binarize_bench [pages (60)] [worker threads (2)] [seed (from the clock)]

#include <leptonica/allheaders.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bench/corpus/page_measure.h"
#include "bench/corpus/random_page.h"
#include "bench/common/timed_command.h"

using namespace bench;
namespace fs = std::filesystem;

namespace {

constexpr int kWays = 4;
const char* const kWayNames[kWays] = {"page", "otsu", "tiled", "sauvola"};

struct Scored {
    std::string className;
    double chars[kWays] = {}, words[kWays] = {};
};

// The page cut one of Leptonica's ways into a 1-bit file; false on failure.
bool cutWithLeptonica(const fs::path& from, const fs::path& to, int way, int dpi) {
    PIX* src = pixRead(from.c_str());
    if (!src) return false;
    PIX* grey = pixGetDepth(src) == 32 ? pixConvertRGBToLuminance(src) : pixConvertTo8(src, 0);
    PIX* cut = nullptr;
    const int w = pixGetWidth(grey), h = pixGetHeight(grey);
    const int tile = std::max(16, dpi / 3);
    if (way == 1)
        pixOtsuAdaptiveThreshold(grey, w, h, 0, 0, 0.0f, nullptr, &cut);
    else if (way == 2)
        pixOtsuAdaptiveThreshold(grey, tile, tile, 2, 2, 0.1f, nullptr, &cut);
    else
        pixSauvolaBinarizeTiled(grey, tile / 2, 0.34f, std::max(1, w / 1000), std::max(1, h / 1000), nullptr, &cut);
    bool ok = false;
    if (cut) {
        pixSetResolution(cut, dpi, dpi);
        ok = pixWrite(to.c_str(), cut, IFF_BMP) == 0;
        pixDestroy(&cut);
    }
    pixDestroy(&grey);
    pixDestroy(&src);
    return ok;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 60;
    const int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10))
                                   : static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count() % 1000000007);
    if (pages < 1 || threads < 1) return 2;
    const std::string textory = (fs::path(programFolder()) / "Textory").string();
    std::printf("seed %u, %d grey and colour pages, %d worker threads\n", seed, pages, threads);
    std::fflush(stdout);
    const fs::path work = fs::temp_directory_path() / ("binarize-bench-" + std::to_string(getpid()));
    fs::create_directories(work);

    // The pages with a scanned look, drawn up front (Qt paints on this thread).
    struct Job {
        RandomPage page;
        fs::path files[kWays];
    };
    std::vector<Job> jobs;
    for (int i = 0; static_cast<int>(jobs.size()) < pages; ++i) {
        RandomPage page = drawRandomPage(seed, i);
        if (page.image.format() == QImage::Format_Mono) continue;
        Job j;
        j.files[0] = work / ("page-" + std::to_string(i) + "." + pageExtension(page));
        if (!writePage(page, j.files[0].string())) return 1;
        for (int way = 1; way < kWays; ++way) {
            j.files[way] = work / ("page-" + std::to_string(i) + "-" + kWayNames[way] + ".bmp");
            if (!cutWithLeptonica(j.files[0], j.files[way], way, page.dpi)) return 1;
        }
        page.image = QImage();
        j.page = std::move(page);
        jobs.push_back(std::move(j));
    }
    std::vector<Scored> scored(jobs.size());
    std::atomic<std::size_t> next{0};
    auto worker = [&](int id) {
        const fs::path own = work / ("worker-" + std::to_string(id));
        fs::create_directories(own);
        for (std::size_t k; (k = next++) < jobs.size();) {
            scored[k].className = jobs[k].page.className;
            for (int way = 0; way < kWays; ++way) {
                const Run r = readWithTextory(jobs[k].page, jobs[k].files[way], textory, own);
                scored[k].chars[way] = characterScore(jobs[k].page, r.text);
                scored[k].words[way] = wordScore(jobs[k].page, r.text);
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(worker, t);
    for (auto& t : pool) t.join();

    std::printf("\n%4s %-20s", "page", "class");
    for (const char* n : kWayNames) std::printf(" %8s %8s", n, "words");
    std::printf("\n");
    for (std::size_t k = 0; k < scored.size(); ++k) {
        std::printf("%4zu %-20s", k, scored[k].className.c_str());
        for (int way = 0; way < kWays; ++way) std::printf(" %7.1f%% %7.1f%%", 100 * scored[k].chars[way], 100 * scored[k].words[way]);
        std::printf("  %s\n", jobs[k].page.description.c_str());
    }
    std::map<std::string, std::vector<std::size_t>> classes;
    for (std::size_t k = 0; k < scored.size(); ++k) classes[scored[k].className].push_back(k);
    classes["all pages"] = {};
    for (std::size_t k = 0; k < scored.size(); ++k) classes["all pages"].push_back(k);
    std::printf("\nmedians (means) per class\n%-20s %4s", "class", "n");
    for (const char* n : kWayNames) std::printf(" %17s", n);
    std::printf("\n");
    for (const auto& [name, members] : classes) {
        std::printf("%-20s %4zu", name.c_str(), members.size());
        for (int way = 0; way < kWays; ++way) {
            std::vector<double> c;
            double sum = 0;
            for (std::size_t k : members) c.push_back(scored[k].chars[way]), sum += scored[k].chars[way];
            std::printf("  %6.1f%% (%6.1f%%)", 100 * median(c), 100 * sum / static_cast<double>(members.size()));
        }
        std::printf("\n");
    }
    fs::remove_all(work);
    return 0;
}
