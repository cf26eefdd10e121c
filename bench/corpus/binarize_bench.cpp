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
// Printed: per page the character accuracy and word F1 of each way; per
// class and per kind of scan (uneven light, coloured paper, halftone, JPEG
// below 50, blur 2, colour, grey) the medians and means of both measures;
// the mean seconds of each way's reading.
//
//   binarize_bench [pages (60)] [worker threads (2)] [seed (from the clock)]
//   binarize_bench planes IMAGE FOLDER   writes the four planes of one image
//                                        as PNG files (page.png, otsu.png, ...)
//
// With BINARIZE_BENCH_KEEP=folder the page files of a run are kept there;
// with BINARIZE_BENCH_AGAINST=path/to/Textory the page files are also read by
// that program (another build, as before a change), a fifth way "against".

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

#include <QImage>

#include "bench/corpus/page_measure.h"
#include "bench/corpus/random_page.h"
#include "bench/common/timed_command.h"

using namespace bench;
namespace fs = std::filesystem;

namespace {

constexpr int kCuts = 4;  // the page and the three cuts
constexpr int kWays = kCuts + 1;
// The fifth way, "against": the page file read by another build of Textory.
const char* const kWayNames[kWays] = {"page", "otsu", "tiled", "sauvola", "against"};

struct Scored {
    std::string className;
    double chars[kWays] = {}, words[kWays] = {}, seconds[kWays] = {};
};

// The kinds of scan a page's description names, each a group of its own.
std::vector<std::string> scanKinds(const std::string& description) {
    std::vector<std::string> kinds;
    for (const char* k : {"uneven light", "coloured paper", "halftone"})
        if (description.find(k) != std::string::npos) kinds.push_back(k);
    if (const auto at = description.find("JPEG "); at != std::string::npos && std::atoi(description.c_str() + at + 5) < 50)
        kinds.push_back("JPEG below 50");
    if (description.find("blur 2") != std::string::npos) kinds.push_back("blur 2");
    kinds.push_back(description.find(", colour") != std::string::npos ? "colour" : "grey");
    return kinds;
}

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

// A 1-bit plane as a PNG file (black ink on white).
bool writePlane(const testpages::Plane& plane, const fs::path& to) {
    if (plane.width <= 0 || plane.height <= 0) return false;
    QImage img(plane.width, plane.height, QImage::Format_Mono);
    img.setColor(0, qRgb(255, 255, 255));
    img.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < plane.height; ++y)
        std::copy_n(plane.bits.data() + static_cast<std::size_t>(y) * plane.stride(), plane.stride(), img.scanLine(y));
    return img.save(QString::fromStdString(to.string()), "PNG");
}

// The four planes of one image into a folder; the process's exit status.
int writePlanes(const fs::path& image, const fs::path& folder) {
    fs::create_directories(folder);
    if (!writePlane(programPlane(image), folder / "page.png")) {
        std::fprintf(stderr, "cannot read %s\n", image.c_str());
        return 1;
    }
    const QImage source(QString::fromStdString(image.string()));
    const int dpi = source.dotsPerMeterX() > 0 ? static_cast<int>(source.dotsPerMeterX() * 0.0254 + 0.5) : 300;
    for (int way = 1; way < kCuts; ++way) {
        const fs::path cut = folder / (std::string(kWayNames[way]) + ".bmp");
        if (!cutWithLeptonica(image, cut, way, dpi) || !writePlane(programPlane(cut), folder / (std::string(kWayNames[way]) + ".png")))
            return 1;
        fs::remove(cut);
    }
    return 0;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "planes") return writePlanes(argv[2], argv[3]);
    const int pages = argc > 1 ? std::atoi(argv[1]) : 60;
    const int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10))
                                   : static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count() % 1000000007);
    if (pages < 1 || threads < 1) return 2;
    const std::string textory = (fs::path(programFolder()) / "Textory").string();
    const char* againstPath = std::getenv("BINARIZE_BENCH_AGAINST");
    const std::string against = againstPath ? againstPath : "";
    const int ways = against.empty() ? kCuts : kWays;
    std::printf("seed %u, %d grey and colour pages, %d worker threads%s%s\n", seed, pages, threads,
                against.empty() ? "" : "; against: ", against.c_str());
    std::fflush(stdout);
    const char* keep = std::getenv("BINARIZE_BENCH_KEEP");
    const fs::path work = keep && *keep ? fs::path(keep) : fs::temp_directory_path() / ("binarize-bench-" + std::to_string(getpid()));
    fs::create_directories(work);

    // The pages with a scanned look, drawn up front (Qt paints on this thread).
    struct Job {
        RandomPage page;
        int index = 0;  // in the run's drawing: the file names and corpus_bench draw's
        fs::path files[kWays];
    };
    std::vector<Job> jobs;
    for (int i = 0; static_cast<int>(jobs.size()) < pages; ++i) {
        RandomPage page = drawRandomPage(seed, i);
        if (page.image.format() == QImage::Format_Mono) continue;
        Job j;
        j.index = i;
        j.files[0] = work / ("page-" + std::to_string(i) + "." + pageExtension(page));
        if (!writePage(page, j.files[0].string())) return 1;
        j.files[kCuts] = j.files[0];
        for (int way = 1; way < kCuts; ++way) {
            j.files[way] = work / ("page-" + std::to_string(i) + "-" + kWayNames[way] + ".bmp");
            if (!cutWithLeptonica(j.files[0], j.files[way], way, page.dpi)) return 1;
        }
        page.image = QImage();
        j.page = std::move(page);
        jobs.push_back(std::move(j));
    }
    std::vector<Scored> scored(jobs.size());
    std::atomic<std::size_t> next{0};
    // Every file is a readable image: one that Textory cannot start on or
    // read means the road is broken (a library not built), and the run stops
    // rather than score the page as lost.
    std::atomic<int> broken{0};
    std::atomic<int> finished{0};
    auto worker = [&](int id) {
        const fs::path own = work / ("worker-" + std::to_string(id));
        fs::create_directories(own);
        for (std::size_t k; !broken && (k = next++) < jobs.size();) {
            scored[k].className = jobs[k].page.className;
            for (int way = 0; way < ways; ++way) {
                const Run r = readWithTextory(jobs[k].page, jobs[k].files[way], way == kCuts ? against : textory, own);
                if (r.status == 2 || r.status == 3) broken = r.status;
                scored[k].chars[way] = characterScore(jobs[k].page, r.text);
                scored[k].words[way] = wordScore(jobs[k].page, r.text);
                scored[k].seconds[way] = r.seconds;
            }
            if (const int n = ++finished; n % 10 == 0) std::fprintf(stderr, "%d of %zu pages read\n", n, jobs.size());
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(worker, t);
    for (auto& t : pool) t.join();
    if (broken) {
        std::fprintf(stderr, "Textory could not %s a page (exit status %d); are its libraries built beside it?\n",
                     broken == 3 ? "read" : "start on", broken.load());
        if (!keep) fs::remove_all(work);
        return 1;
    }

    std::printf("\n%4s %4s %-20s", "page", "file", "class");
    for (int way = 0; way < ways; ++way) std::printf(" %8s %8s", kWayNames[way], "words");
    std::printf("\n");
    for (std::size_t k = 0; k < scored.size(); ++k) {
        std::printf("%4zu %4d %-20s", k, jobs[k].index, scored[k].className.c_str());
        for (int way = 0; way < ways; ++way) std::printf(" %7.1f%% %7.1f%%", 100 * scored[k].chars[way], 100 * scored[k].words[way]);
        std::printf("  %s\n", jobs[k].page.description.c_str());
    }
    auto summary = [&](const char* title, const std::map<std::string, std::vector<std::size_t>>& groups) {
        std::printf("\n%s: characters, then words, median (mean)\n%-20s %4s", title, "", "n");
        for (int way = 0; way < ways; ++way) std::printf(" %17s", kWayNames[way]);
        std::printf("\n");
        for (const auto& [name, members] : groups) {
            for (int measure = 0; measure < 2; ++measure) {
                std::printf("%-20s %4zu", measure ? "  words" : name.c_str(), members.size());
                for (int way = 0; way < ways; ++way) {
                    std::vector<double> v;
                    double sum = 0;
                    for (std::size_t k : members) {
                        const double x = measure ? scored[k].words[way] : scored[k].chars[way];
                        v.push_back(x), sum += x;
                    }
                    std::printf("  %6.1f%% (%6.1f%%)", 100 * median(v), 100 * sum / static_cast<double>(members.size()));
                }
                std::printf("\n");
            }
        }
    };
    std::map<std::string, std::vector<std::size_t>> classes, kinds;
    for (std::size_t k = 0; k < scored.size(); ++k) {
        classes[scored[k].className].push_back(k);
        classes["all pages"].push_back(k);
        for (const std::string& kind : scanKinds(jobs[k].page.description)) kinds[kind].push_back(k);
    }
    summary("per class", classes);
    summary("per kind of scan", kinds);
    std::printf("\nmean seconds a page:");
    for (int way = 0; way < ways; ++way) {
        double sum = 0;
        for (const Scored& s : scored) sum += s.seconds[way];
        std::printf(" %s %.2f", kWayNames[way], sum / static_cast<double>(scored.size()));
    }
    std::printf("\n");
    if (!keep) fs::remove_all(work);
    return 0;
}
