// Ten feeder pages at 300 dpi in colour from SANE's test device: the scan
// library's ScanPages against scanimage --batch, each timed in one run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "outside/include/keyrider_scan.h"
#include "outside/scan/tests/sane_test_device.h"
#include "platform/win/library.h"

namespace fs = std::filesystem;

namespace {

int pages = 0;
std::size_t bytes = 0;

int CountPage(IL_IMAGE* page, void*) {
    ++pages;
    bytes += std::size_t(page->Header->BytesPerLine) * std::size_t(page->Header->Height);
    return 1;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
    fs::path folder = fs::temp_directory_path() / ("scan_bench_" + std::to_string(::getpid()));
    scantest::PrepareSaneTestDevice(folder / "sane");
    HMODULE module = LoadLibraryA("Scan.dll");
    if (!module) {
        std::fprintf(stderr, "Scan.dll not found\n");
        return 1;
    }
    auto table = reinterpret_cast<SCAN_DLGENTRY>(GetProcAddress(module, "ScanDlgEntry"))();
    const int runs = 7;
    double ours = 1e9, theirs = 1e9;
    for (int run = 0; run < runs; ++run) {
        SCAN_SETTINGS s{};
        s.Source = 3;
        s.Mode = 0;
        s.Resolution = 300;
        pages = 0;
        bytes = 0;
        auto start = std::chrono::steady_clock::now();
        table->ScanPages(&s, CountPage, nullptr);
        ours = std::min(ours, Seconds(std::chrono::steady_clock::now() - start));

        fs::path out = folder / "ref";
        fs::remove_all(out);
        fs::create_directories(out);
        std::string command = "scanimage -d test:0 --format=pnm --source 'Automatic Document Feeder' --mode Color "
                              "--depth 8 --resolution 300 --batch='" + (out / "p%d.pnm").string() + "' >/dev/null 2>&1";
        start = std::chrono::steady_clock::now();
        std::system(command.c_str());
        theirs = std::min(theirs, Seconds(std::chrono::steady_clock::now() - start));
    }
    std::printf("ScanPages: %d pages, %.1f MB in %.3f s\n", pages, bytes / 1e6, ours);
    std::printf("scanimage --batch: %.3f s\n", theirs);
    std::printf("ratio ScanPages / scanimage: %.2f\n", ours / theirs);
    table->ScanTerminate();
    FreeLibrary(module);
    fs::remove_all(folder);
    return 0;
}
