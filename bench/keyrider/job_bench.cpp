// The scan job's own cost: 100 A4 pages at 300 dpi in grey filed as JPEG
// (the job's time beyond the JPEG encoding of the same pages), and 100 pages
// added one by one to a multi-page TIFF against libtiff writing the same
// pages in one go.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include <tiffio.h>

#include "keyrider/scan_job.h"
#include "platform/win/ini.h"
#include "platform/win/registry.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr LONG kWidth = 2480, kHeight = 3508;  // A4 at 300 dpi
constexpr int kPages = 100;

// A scanned page: white paper with dark text lines and a little noise.
std::vector<BYTE> MakePage(int n) {
    std::vector<BYTE> bits(std::size_t(kWidth) * kHeight, 235);
    for (LONG y = 300; y < kHeight - 300; ++y) {
        if ((y / 40) % 2 == 0 || (y % 40) > 24) continue;
        BYTE* row = &bits[std::size_t(y) * kWidth];
        for (LONG x = 250; x < kWidth - 250; ++x)
            if (((x + n * 7) / 9 + y / 3) % 5 < 3) row[x] = BYTE(30 + ((x * 13 + y * 7 + n) & 31));
    }
    return bits;
}

std::vector<std::vector<BYTE>> g_pages;
// Time the test scanner spends making each page (not the job's).
double g_scannerSeconds = 0;

int ScanPages(SCAN_SETTINGS*, SCANPAGEPROC callback, void* argument) {
    for (int i = 0; i < kPages; ++i) {
        IL_IMAGEHEADER header{sizeof(IL_IMAGEHEADER), kWidth, kHeight, DWORD(kWidth), 8, 0, 300, 300};
        IL_IMAGE page{&header, 0, g_pages[std::size_t(i) % g_pages.size()].data()};
        // The job frees what it saved: give it a copy it may free.
        const auto made = std::chrono::steady_clock::now();
        page.Header = new IL_IMAGEHEADER(header);
        page.Bits = static_cast<BYTE*>(std::malloc(g_pages[0].size()));
        std::memcpy(page.Bits, g_pages[std::size_t(i) % g_pages.size()].data(), g_pages[0].size());
        page.Flags = IL_FLAG_FREE_AFTER_USE;
        g_scannerSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - made).count();
        int goOn = callback(&page, argument);
        delete page.Header;
        std::free(page.Bits);
        if (!goOn) break;
    }
    return 1;
}
int EndJob(const BYTE*) { return 1; }

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }
double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }
// Processor time of the last job beyond the test scanner's.
double g_jobCpu = 0;

double RunJob(const fs::path& root, HKEY app, int formatPosition) {
    const fs::path ini = root / ("job" + std::to_string(formatPosition) + ".ini");
    const fs::path out = root / ("out" + std::to_string(formatPosition));
    WritePrivateProfileStringA("1\\Folder", "1", out.c_str(), ini.c_str());
    WritePrivateProfileStringA("1", "Date And Time", "0", ini.c_str());
    WritePrivateProfileStringA("1\\Gray", "Format", std::to_string(formatPosition).c_str(), ini.c_str());
    static SCAN_FUNCTIONTABLE scan = [] {
        SCAN_FUNCTIONTABLE t{};
        t.ScanPages = ScanPages;
        t.ScanEndJob = EndJob;
        return t;
    }();
    keyrider::JobServices s;
    s.appKey = app;
    s.image = IL_GetFunctionTable();
    s.scan = &scan;
    keyrider::CScanJob job(keyrider::JobProfile(ini.string()), std::move(s));
    job.SetNames("1", "Gray", "ADF");
    g_scannerSeconds = 0;
    const auto start = Clock::now();
    const double cpu = CpuSeconds();
    if (!job.ReadActionSettings("filing")) return -1;
    job.ReadScanSettings(&job.Block());
    job.DispatchJobOutput("filing");
    g_jobCpu = CpuSeconds() - cpu - g_scannerSeconds;
    return Seconds(start) - g_scannerSeconds;
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / ("job_bench_" + std::to_string(::getpid()));
    fs::create_directories(root);
    setenv("SUITE_REGISTRY_USER", (root / "user.db").c_str(), 1);
    setenv("SUITE_REGISTRY_MACHINE", (root / "machine.db").c_str(), 1);
    HKEY formats = nullptr, app = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Bench\\Keyrider\\File Format", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &formats, nullptr);
    const char* entries[] = {"1,B", "2,J", "3,T", "5,P", "11,M", "6,PDF", "13,PDF", "4,T", "12,M"};
    for (int i = 0; i < 9; ++i)
        RegSetValueExA(formats, std::to_string(i + 1).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(entries[i]),
                       DWORD(std::strlen(entries[i]) + 1));
    RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Bench\\Keyrider", 0, KEY_ALL_ACCESS, &app);
    for (int i = 0; i < 4; ++i) g_pages.push_back(MakePage(i));
    const IL_FUNCTIONTABLE& il = *IL_GetFunctionTable();

    // 1. The JPEG encoding alone (the same pages saved straight through the
    // Image Library) and the job, taking turns, best of three each: other
    // work on the machine and the disk's flushes only ever add time.
    auto least = [](double a, double b) { return a < b ? a : b; };
    auto start = Clock::now();
    double encoding = 1e9, job = 1e9, encodingCpu = 1e9, jobCpu = 1e9;
    for (int round = 0; round < 3; ++round) {
        fs::remove_all(root / "plain");
        fs::create_directories(root / "plain");
        start = Clock::now();
        const double cpu = CpuSeconds();
        for (int i = 0; i < kPages; ++i) {
            IL_IMAGEHEADER header{sizeof(IL_IMAGEHEADER), kWidth, kHeight, DWORD(kWidth), 8, 0, 300, 300};
            IL_IMAGE page{&header, 0, g_pages[std::size_t(i) % g_pages.size()].data()};
            IL_SAVEOPTIONS options{0, 75};
            const std::string path = (root / "plain" / ("p" + std::to_string(i) + ".jpg")).string();
            il.SaveImage(path.c_str(), IL_FORMAT_JPG, &options, &page, nullptr, nullptr);
        }
        encoding = least(encoding, Seconds(start));
        encodingCpu = least(encodingCpu, CpuSeconds() - cpu);
        fs::remove_all(root / "out2");
        job = least(job, RunJob(root, app, 2));
        jobCpu = least(jobCpu, g_jobCpu);
    }
    double load[3] = {};
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3) load[0] = load[1] = load[2] = 0;
        std::fclose(f);
    }
    std::printf("machine load %.1f %.1f %.1f on %ld processors; processor time: encoding %.3f s, job %.3f s, "
                "job beyond encoding %.1f %%\n",
                load[0], load[1], load[2], ::sysconf(_SC_NPROCESSORS_ONLN), encodingCpu, jobCpu,
                (jobCpu - encodingCpu) / encodingCpu * 100.0);
    if (std::getenv("JOB_BENCH_JPEG_ONLY")) {
        std::printf("100 A4 300 dpi grey pages as JPEG (best of 3, interleaved): encoding %.3f s, job %.3f s, job beyond "
                    "encoding %.1f %%\n",
                    encoding, job, (job - encoding) / encoding * 100.0);
        fs::remove_all(root);
        return 0;
    }
    std::printf("100 A4 300 dpi grey pages as JPEG: encoding %.3f s, job %.3f s, job beyond encoding %.1f %%\n",
                encoding, job, (job - encoding) / encoding * 100.0);

    // 2. A 100-page TIFF: libtiff writing every page in one go, then the job
    // adding page by page; the two take turns, best of three each.
    double once = 1e9, appended = 1e9;
    for (int round = 0; round < 3; ++round) {
        fs::remove(root / "once.tif");
        start = Clock::now();
        if (TIFF* t = TIFFOpen((root / "once.tif").c_str(), "w")) {
            for (int i = 0; i < kPages; ++i) {
                TIFFSetField(t, TIFFTAG_IMAGEWIDTH, std::uint32_t(kWidth));
                TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(kHeight));
                TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(1));
                TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, std::uint16_t(8));
                TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
                TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
                TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
                TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
                TIFFSetField(t, TIFFTAG_XRESOLUTION, 300.0f);
                TIFFSetField(t, TIFFTAG_YRESOLUTION, 300.0f);
                TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
                const std::vector<BYTE>& bits = g_pages[std::size_t(i) % g_pages.size()];
                for (LONG y = 0; y < kHeight; ++y)
                    TIFFWriteScanline(t, const_cast<BYTE*>(&bits[std::size_t(y) * kWidth]), std::uint32_t(y), 0);
                TIFFWriteDirectory(t);
            }
            TIFFClose(t);
        }
        once = std::min(once, Seconds(start));
        fs::remove_all(root / "out5");
        appended = std::min(appended, RunJob(root, app, 5));
    }
    std::printf("100-page TIFF (best of 3, interleaved): libtiff at once %.3f s, job page by page %.3f s, ratio %.2f\n",
                once, appended, appended / once);
    RegCloseKey(formats);
    RegCloseKey(app);
    fs::remove_all(root);
    return 0;
}
