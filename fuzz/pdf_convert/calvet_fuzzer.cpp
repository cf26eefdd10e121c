// Any bytes as a PDF file converted to RTF by "Calvet.dll", over a page range
// and with a progress callback that may stop the conversion.
#include "fuzz/pdf_convert/pdf_converter_input.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/library.h"

#include <cstdlib>

namespace {

PFN_CALVET g_calvet = nullptr;
int g_stopAt = 0;

int progress(int total, int current, int unconvertible) {
    if (total <= 0 || current < 1 || current > total || unconvertible < 0 || unconvertible > 1) std::abort();
    return current == g_stopAt ? 1 : 0;
}

}  // namespace

// Drawing a page to look for ink loads fonts through the font library, which
// keeps its caches until the process ends (the tests ignore them alike).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SUITE_LIBRARY_PATH", SUITE_LIBRARY_FOLDER, 1);
    // Held for the whole run: the fuzzer's coverage tables need the library mapped.
    HMODULE library = LoadLibraryA(PDF_TO_RTF_LIBRARY_NAME);
    if (!library) std::abort();
    g_calvet = reinterpret_cast<PFN_CALVET>(GetProcAddress(library, "calvet"));
    auto init = reinterpret_cast<PFN_PDFINIT>(GetProcAddress(library, "pdfInit"));
    if (!g_calvet || !init) std::abort();
    init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::ConverterInput in;
    if (!fuzzing::PrepareConverterInput(data, size, "out.rtf", in)) return 0;
    g_stopAt = in.stopAt;
    const int result = g_calvet(in.pdf.c_str(), in.output.c_str(), in.firstPage, in.lastPage, FALSE, nullptr, progress);
    // Success, and only success, leaves an output file.
    std::FILE* out = std::fopen(in.output.c_str(), "rb");
    if ((result == PDF_ERR_NONE) != (out != nullptr)) std::abort();
    if (out) std::fclose(out);
    std::remove(in.output.c_str());
    return 0;
}
