// Conversion times of a 100-page text PDF: "Derrow.dll" and "Calvet.dll"
// beside pdftotext on the same file, in the same run. The three are timed in
// turn, several rounds, and the best time of each is compared, so that a
// busy machine slows all three alike. The load average is printed with them.
#include "outside/calvet/tests/pdf_fixtures.h"
#include "outside/include/pdf_libraries.h"

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

double secondsOf(const std::function<bool()>& work, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = work() && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

void* openLibrary(const char* name) {
    const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin";
    return dlopen((folder / name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = 100;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    void* calvetLib = openLibrary("libCalvet.so");
    void* derrowLib = openLibrary("libDerrow.so");
    auto calvet = calvetLib ? reinterpret_cast<PFN_CALVET>(dlsym(calvetLib, "calvet")) : nullptr;
    auto derrow = derrowLib ? reinterpret_cast<PFN_DERROW>(dlsym(derrowLib, "derrow")) : nullptr;
    if (!calvet || !derrow) {
        std::cerr << "the converter libraries are not built beside the benchmarks\n";
        return 1;
    }
    const fs::path dir = fs::temp_directory_path() / ("pdf-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string pdf = (dir / "pages.pdf").string();
    std::vector<pdffixtures::TextPage> content;
    for (int i = 0; i < pages; ++i) content.push_back(pdffixtures::SamplePage(i));
    if (!pdffixtures::WriteTextPdf(pdf, content)) {
        std::cerr << "cannot write the test file\n";
        return 1;
    }
    const std::string txt = (dir / "derrow.txt").string(), rtf = (dir / "calvet.rtf").string();
    const std::string reference = "pdftotext -q -enc UTF-8 '" + pdf + "' '" + (dir / "pdftotext.txt").string() + "'";
    double bestTool = 1e9, bestDerrow = 1e9, bestCalvet = 1e9;
    bool ok = true;
    const std::string loadBefore = loadAverage();
    for (int round = 0; round < rounds; ++round) {
        bestTool = std::min(bestTool, secondsOf([&] { return std::system(reference.c_str()) == 0; }, ok));
        bestDerrow = std::min(bestDerrow, secondsOf([&] { return derrow(pdf.c_str(), txt.c_str(), 1, pages, nullptr) == 0; }, ok));
        bestCalvet = std::min(bestCalvet, secondsOf([&] {
                                  return calvet(pdf.c_str(), rtf.c_str(), 1, pages, FALSE, nullptr, nullptr) == 0;
                              }, ok));
    }
    const std::string loadAfter = loadAverage();
    fs::remove_all(dir);
    if (!ok) {
        std::cerr << "a conversion failed\n";
        return 1;
    }
    std::printf("%d text pages, best of %d interleaved rounds (load average %s before, %s after, %ld cores)\n", pages,
                rounds, loadBefore.c_str(), loadAfter.c_str(), ::sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("  pdftotext  %8.1f ms\n", bestTool * 1000);
    std::printf("  Derrow     %8.1f ms  %.2f x pdftotext (target <= 1.2)\n", bestDerrow * 1000, bestDerrow / bestTool);
    std::printf("  Calvet     %8.1f ms  %.2f x pdftotext (target <= 2)\n", bestCalvet * 1000, bestCalvet / bestTool);
    return 0;
}
