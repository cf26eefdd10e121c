// Any bytes as a PDF file opened by the page renderer "Marlith.dll", as a
// PDF named on the command line is split: the file opened, its pages
// counted, one page drawn in the mode and at the resolution the leading bytes
// choose; a page drawn is written back as a one-page PDF by "Brenvo.dll",
// which must open again with one page.
#include "fuzz/pdf_convert/pdf_converter_input.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"

#include <cstdlib>

namespace {

struct Renderer {
    PFN_PDFCREATEDOC createDoc = nullptr;
    PFN_GETPDFPAGECOUNT pageCount = nullptr;
    PFN_PDFPAGE2DIB page2Dib = nullptr;
    PFN_PDFDELETEDOC deleteDoc = nullptr;
    PFN_BRENVO write = nullptr;
} g;

int g_progressCalls = 0;

int progress(int, int, void*) {
    ++g_progressCalls;
    return 0;
}

// The block must hold the header, the palette of its bit count and every row.
void checkDib(HDIB dib, int mode) {
    const SIZE_T size = GlobalSize(dib);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    if (!header || size < sizeof(BITMAPINFOHEADER)) std::abort();
    const int bits = mode == PDF_RENDER_MONO ? 1 : mode == PDF_RENDER_GREY ? 8 : 24;
    if (header->biBitCount != bits || header->biWidth <= 0 || header->biHeight == 0) std::abort();
    const unsigned long long height = header->biHeight < 0 ? -static_cast<long long>(header->biHeight) : header->biHeight;
    const unsigned long long stride = ((static_cast<unsigned long long>(header->biWidth) * bits + 31) / 32) * 4;
    const unsigned long long colours = header->biClrUsed ? header->biClrUsed : (1ull << bits);
    const unsigned long long palette = bits <= 8 ? colours * sizeof(RGBQUAD) : 0;
    if (sizeof(BITMAPINFOHEADER) + palette + stride * height > size) std::abort();
    GlobalUnlock(dib);
}

}  // namespace

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SUITE_LIBRARY_PATH", SUITE_LIBRARY_FOLDER, 1);
    // Held for the whole run: the fuzzer's coverage tables need the libraries mapped.
    HMODULE renderer = LoadLibraryA(PDF_RENDERER_LIBRARY_NAME);
    HMODULE writer = LoadLibraryA(PDF_WRITER_LIBRARY_NAME);
    if (!renderer || !writer) std::abort();
    auto init = reinterpret_cast<PFN_PDFINIT>(GetProcAddress(renderer, "pdfInit"));
    g.createDoc = reinterpret_cast<PFN_PDFCREATEDOC>(GetProcAddress(renderer, "pdfCreateDoc"));
    g.pageCount = reinterpret_cast<PFN_GETPDFPAGECOUNT>(GetProcAddress(renderer, "getPdfPageCount"));
    g.page2Dib = reinterpret_cast<PFN_PDFPAGE2DIB>(GetProcAddress(renderer, "pdfPage2Dib"));
    g.deleteDoc = reinterpret_cast<PFN_PDFDELETEDOC>(GetProcAddress(renderer, "pdfDeleteDoc"));
    g.write = reinterpret_cast<PFN_BRENVO>(GetProcAddress(writer, "Brenvo"));
    if (!init || !g.createDoc || !g.pageCount || !g.page2Dib || !g.deleteDoc || !g.write) std::abort();
    init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::ConverterInput in;
    if (!fuzzing::PrepareConverterInput(data, size, "page.pdf", in)) return 0;
    const int mode = data[1] % 3;
    const int dpi = 4 + data[2] % 60;  // small pictures: the drawing, not the memory, is under test
    int error = PDF_ERR_NONE;
    PDFDOC doc = g.createDoc(in.pdf.c_str(), &error, FALSE, nullptr);
    if ((doc == nullptr) == (error == PDF_ERR_NONE)) std::abort();
    if (!doc) return 0;
    const int pages = g.pageCount(doc);
    if (pages < 1) std::abort();
    g_progressCalls = 0;
    HDIB dib = g.page2Dib(doc, in.firstPage, mode, dpi, progress, nullptr, &error);
    if (in.firstPage < 1 || in.firstPage > pages) {
        if (dib || error != PDF_ERR_PAGE) std::abort();
    }
    if (dib) {
        checkDib(dib, mode);
        if (g.write(dib, in.output.c_str()) == 0) {
            PDFDOC again = g.createDoc(in.output.c_str(), &error, FALSE, nullptr);
            if (!again || g.pageCount(again) != 1) std::abort();
            g.deleteDoc(again);
        }
        GlobalFree(dib);
        std::remove(in.output.c_str());
    }
    g.deleteDoc(doc);
    return 0;
}
