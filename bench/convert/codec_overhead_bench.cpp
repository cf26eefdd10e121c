// Loads and saves an A4 page at 300 dpi (2480 x 3508) in each format and depth
// three ways: the plain library call (libtiff, libjpeg, poppler), the
// conversion library's entry, and the codec factory (which also attaches the
// bitmap to a page image, binarising grey and colour pages). Prints median
// times of several runs and the layer overhead as a ratio; the last columns
// give the binarisation on its own and the factory's ratio without it. For
// BMP the plain figure is a read of the file and a copy of its pixels. The
// argument "one-band" binarises every page on the calling thread, for
// comparison.
#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/page_binarize.h"
#include "imaging/page_image.h"
#include "outside/convert/packed_dib.h"
#include "outside/include/convert_library.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "shell/tests/fake_shell_services.h"

#include <jpeglib.h>
#include <poppler-document.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr LONG kWidth = 2480;
constexpr LONG kHeight = 3508;
constexpr int kRuns = 5;


double medianMs(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[kRuns / 2];
}

// A page that looks like print: lines of word-like blocks on paper.
HDIB makePage(int bits) {
    convert::DibBuilder b;
    if (!b.create(kWidth, kHeight, bits, 11811, 11811)) return nullptr;
    std::srand(7);
    for (LONG y = 0; y < kHeight; ++y) {
        BYTE* row = b.row(y);
        const bool textRow = (y % 60) > 15 && (y % 60) < 45 && y > 200 && y < kHeight - 200;
        for (LONG x = 0; x < kWidth; ++x) {
            const bool ink = textRow && x > 200 && x < kWidth - 200 && ((x / 37) % 5 != 0) && ((x * 7 + y * 3) % 11 < 4);
            if (bits == 1) {
                if (ink) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            } else {
                const BYTE v = ink ? static_cast<BYTE>(30 + std::rand() % 20) : static_cast<BYTE>(225 + std::rand() % 20);
                for (int c = 0; c < bits / 8; ++c) row[x * (bits / 8) + c] = v;
            }
        }
    }
    return b.release();
}

void plainTiffRead(const std::string& path) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) std::abort();
    std::vector<BYTE> line(static_cast<std::size_t>(TIFFScanlineSize(t)));
    uint32_t h = 0;
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    for (uint32_t y = 0; y < h; ++y) TIFFReadScanline(t, line.data(), y, 0);
    TIFFClose(t);
}

void plainJpegRead(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    std::vector<BYTE> line(info.output_width * static_cast<unsigned>(info.output_components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = line.data();
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
}

void plainPopplerRender(const std::string& path) {
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
    std::unique_ptr<poppler::page> page(doc->create_page(0));
    poppler::page_renderer r;
    r.set_image_format(poppler::image::format_bgr24);
    r.set_render_hint(poppler::page_renderer::antialiasing, true);
    r.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    poppler::image image = r.render_page(page.get(), 300, 300);
    if (!image.is_valid()) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    // Optional: the formats to run (tif, jpg, bmp, pdf); all by default.
    bool anyFormat = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "one-band") == 0) {
            BinarizeBanding banding = CurrentBinarizeBanding();
            banding.maxBands = 1;
            SetBinarizeBanding(banding);
        } else {
            anyFormat = true;
        }
    }
    auto wanted = [&](const char* ext) {
        if (!anyFormat) return true;
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], ext) == 0) return true;
        return false;
    };
    setenv("SUITE_LIBRARY_PATH", SUITE_LIBRARY_FOLDER, 1);
    CFakeShellServices shell;
    shell.convertLibrary = LoadLibraryA("Convert.dll");
    if (!shell.convertLibrary) {
        std::fprintf(stderr, "Convert.dll not found\n");
        return 1;
    }
    auto bmpRead = reinterpret_cast<PFN_CONVERT_READ>(GetProcAddress(shell.convertLibrary, "Bmp2HDIB"));
    auto tiffRead = reinterpret_cast<PFN_CONVERT_READ>(GetProcAddress(shell.convertLibrary, "Tiff2HDIB"));
    auto jpegRead = reinterpret_cast<PFN_CONVERT_READ>(GetProcAddress(shell.convertLibrary, "Jpg2HDIB"));
    HMODULE marlith = LoadLibraryA("Marlith.dll");
    auto pdfInit = reinterpret_cast<PFN_PDFINIT>(GetProcAddress(marlith, "pdfInit"));
    auto pdfOpen = reinterpret_cast<PFN_PDFCREATEDOC>(GetProcAddress(marlith, "pdfCreateDoc"));
    auto pdfRender = reinterpret_cast<PFN_PDFPAGE2DIB>(GetProcAddress(marlith, "pdfPage2Dib"));
    auto pdfClose = reinterpret_cast<PFN_PDFDELETEDOC>(GetProcAddress(marlith, "pdfDeleteDoc"));
    pdfInit();

    const fs::path dir = fs::temp_directory_path() / ("codec-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::printf("%-10s %5s %12s %12s %8s %14s %8s %12s %10s %8s\n", "format", "bits", "plain ms", "library ms", "ratio",
                "factory load", "ratio", "factory save", "binarise", "ratio");
    struct Row {
        const char* extension;
        int bits;
    } rows[] = {{"tif", 1}, {"tif", 8}, {"tif", 24}, {"jpg", 8}, {"jpg", 24}, {"bmp", 1},
                {"bmp", 8}, {"bmp", 24}, {"pdf", 8}, {"pdf", 24}};
    for (const Row& row : rows) {
        if (!wanted(row.extension)) continue;
        const std::string path = (dir / (std::string("page") + std::to_string(row.bits) + "." + row.extension)).string();
        int type = 0;
        GetImageFileType(path.c_str(), &type);
        CPageImage page;
        page.AttachDib(makePage(row.bits));
        const double save = medianMs([&] {
            std::unique_ptr<CImageCodec> codec(CreateImageCodec(path.c_str(), type));
            if (!codec->Save(&page, 0)) std::abort();
        });
        page.Empty();
        double plain = 0, library = 0;
        const std::string ext = row.extension;
        if (ext == "tif") {
            plain = medianMs([&] { plainTiffRead(path); });
            library = medianMs([&] { GlobalFree(tiffRead(nullptr, path.c_str(), nullptr)); });
        } else if (ext == "jpg") {
            plain = medianMs([&] { plainJpegRead(path); });
            library = medianMs([&] { GlobalFree(jpegRead(nullptr, path.c_str(), nullptr)); });
        } else if (ext == "bmp") {
            // The least any reader does: read the file and copy its pixels once.
            plain = medianMs([&] {
                std::FILE* f = std::fopen(path.c_str(), "rb");
                std::vector<char> bytes(fs::file_size(path));
                if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
                std::fclose(f);
                std::uint32_t offset = 0;
                std::memcpy(&offset, bytes.data() + 10, 4);
                std::unique_ptr<char[]> pixels(new char[bytes.size() - offset]);
                std::memcpy(pixels.get(), bytes.data() + offset, bytes.size() - offset);
                asm volatile("" : : "g"(pixels.get()) : "memory");  // the copy is used
            });
            library = medianMs([&] { GlobalFree(bmpRead(nullptr, path.c_str(), nullptr)); });
        } else {
            plain = medianMs([&] { plainPopplerRender(path); });
            library = medianMs([&] {
                int error = 0;
                PDFDOC doc = pdfOpen(path.c_str(), &error, FALSE, nullptr);
                GlobalFree(pdfRender(doc, 1, PDF_RENDER_COLOUR, 300, nullptr, nullptr, &error));
                pdfClose(doc);
            });
        }
        // The page image binarises a grey or colour bitmap when it takes it
        // (the plane every tool works on); the anchors make no such plane, so
        // that share is timed on its own right after each load, on the same
        // freshly decoded pixels, and left out of the last ratio.
        std::vector<double> loadTimes, binariseTimes;
        for (int i = 0; i < kRuns; ++i) {
            const auto start = std::chrono::steady_clock::now();
            std::unique_ptr<CImageCodec> codec(CreateImageCodec(path.c_str(), type));
            CPageImage loaded;
            if (codec->Load(&loaded, nullptr, nullptr) != IMAGE_LOAD_DONE) std::abort();
            const auto loadedAt = std::chrono::steady_clock::now();
            if (row.bits != 1) loaded.Binarize();
            const auto binarisedAt = std::chrono::steady_clock::now();
            loaded.Empty();
            // Freeing the page's blocks belongs to the load, as in the other figures.
            loadTimes.push_back(std::chrono::duration<double, std::milli>(loadedAt - start).count() +
                                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - binarisedAt).count());
            binariseTimes.push_back(std::chrono::duration<double, std::milli>(binarisedAt - loadedAt).count());
        }
        std::sort(loadTimes.begin(), loadTimes.end());
        std::sort(binariseTimes.begin(), binariseTimes.end());
        const double load = loadTimes[kRuns / 2], binarise = binariseTimes[kRuns / 2];
        std::printf("%-10s %5d %12.1f %12.1f %8.2f %14.1f %8.2f %12.1f %10.1f %8.2f\n", row.extension, row.bits, plain,
                    library, library / plain, load, load / plain, save, binarise, (load - binarise) / plain);
    }
    fs::remove_all(dir);
    return 0;
}
