// Conversion times of a 100-page text PDF: "Derrow.dll" and "Calvet.dll"
// beside pdftotext on the same file, in the same run. The three are timed in
// turn, several rounds, and the best time of each is compared, so that a
// busy machine slows all three alike. The load average is printed with them,
// and the processor time each took (all its threads; pdftotext as a child),
// which a shared machine disturbs less than the clock.
#include "outside/calvet/tests/pdf_fixtures.h"
#include "outside/include/pdf_libraries.h"

#include <dlfcn.h>
#include <sys/resource.h>
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

struct Times {
    double wall = 1e9, cpu = 1e9;  // best of the rounds
};

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs `work` once and keeps its times if they are the best so far; `who`
// is whose processor time counts (RUSAGE_SELF or RUSAGE_CHILDREN).
void timeOf(const std::function<bool()>& work, int who, Times& best, bool& ok) {
    const double cpuStart = cpuSeconds(who);
    const auto start = std::chrono::steady_clock::now();
    ok = work() && ok;
    best.wall = std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    best.cpu = std::min(best.cpu, cpuSeconds(who) - cpuStart);
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
    Times tool, ofDerrow, ofCalvet;
    bool ok = true;
    const std::string loadBefore = loadAverage();
    for (int round = 0; round < rounds; ++round) {
        timeOf([&] { return std::system(reference.c_str()) == 0; }, RUSAGE_CHILDREN, tool, ok);
        timeOf([&] { return derrow(pdf.c_str(), txt.c_str(), 1, pages, nullptr) == 0; }, RUSAGE_SELF, ofDerrow, ok);
        timeOf([&] { return calvet(pdf.c_str(), rtf.c_str(), 1, pages, FALSE, nullptr, nullptr) == 0; }, RUSAGE_SELF,
               ofCalvet, ok);
    }
    const std::string loadAfter = loadAverage();
    fs::remove_all(dir);
    if (!ok) {
        std::cerr << "a conversion failed\n";
        return 1;
    }
    std::printf("%d text pages, best of %d interleaved rounds (load average %s before, %s after, %ld cores)\n", pages,
                rounds, loadBefore.c_str(), loadAfter.c_str(), ::sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("             %8s  %-18s %8s  %s\n", "clock", "", "processor", "");
    std::printf("  pdftotext  %8.1f ms %-18s %8.1f ms\n", tool.wall * 1000, "", tool.cpu * 1000);
    const auto line = [&](const char* name, const Times& t, const char* target) {
        std::printf("  %-9s  %8.1f ms %5.2f x pdftotext  %8.1f ms %5.2f x pdftotext (target <= %s)\n", name,
                    t.wall * 1000, t.wall / tool.wall, t.cpu * 1000, t.cpu / tool.cpu, target);
    };
    line("Derrow", ofDerrow, "1.2");
    line("Calvet", ofCalvet, "2");
    return 0;
}
