// Joining 100 A4 JPEG pages (200 dpi, colour) into one PDF through the PDF
// library: the time, and the file's size against the pages' total.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "outside/convert/jpeg_format.h"
#include "outside/convert/packed_dib.h"
#include "outside/include/our_pdf.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"

namespace fs = std::filesystem;

int main() {
    fs::path folder = fs::temp_directory_path() / ("join_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const LONG width = 1654, height = 2339;
    std::vector<PDF_PAGEENTRY> entries(100);
    std::uintmax_t total = 0;
    for (int i = 0; i < 100; ++i) {
        convert::DibBuilder b;
        b.create(width, height, 24, 7874, 7874);
        for (LONG y = 0; y < height; ++y) {
            BYTE* row = b.row(y);
            for (LONG x = 0; x < width * 3; ++x) row[x] = BYTE(((x / 3 + i * 13) ^ (y / 4)) & 0xFF);
        }
        HDIB dib = b.release();
        std::vector<BYTE> file;
        {
            convert::DibReader r;
            r.open(dib);
            convert::encodeJpeg(r, file);
        }
        GlobalFree(dib);
        fs::path page = folder / (std::to_string(i + 1) + ".jpg");
        std::ofstream(page, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        total += file.size();
        entries[std::size_t(i)].Type = 2;
        std::snprintf(entries[std::size_t(i)].Name, 260, "%d", i + 1);
        std::snprintf(entries[std::size_t(i)].Path, 264, "%s", page.c_str());
    }
    HMODULE module = LoadLibraryA("OurPdf.dll");
    if (!module) return 1;
    auto table = reinterpret_cast<PDF_GETFUNCTIONTABLE>(GetProcAddress(module, "GetPDFFunctionTable"))();
    const std::string out = (folder / "joined.pdf").string();
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        int flag = 0;
        auto start = std::chrono::steady_clock::now();
        table->PdfConvertPages(out.c_str(), 100, entries.data(), out.c_str(), 80, &flag, nullptr, nullptr);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const std::uintmax_t size = fs::file_size(out);
    std::printf("joined 100 A4 JPEG pages in %.3f s\n", best);
    std::printf("pages %.2f MB, PDF %.2f MB, overhead %.3f %%\n", total / 1e6, size / 1e6,
                100.0 * (double(size) - double(total)) / double(total));
    FreeLibrary(module);
    fs::remove_all(folder);
    return 0;
}
