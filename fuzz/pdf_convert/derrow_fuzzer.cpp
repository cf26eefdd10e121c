// Any bytes as a PDF file converted to UTF-16 text by "Derrow.dll".
#include "fuzz/pdf_convert/pdf_converter_input.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/library.h"

#include <cstdlib>

namespace {

PFN_DERROW g_derrow = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SUITE_LIBRARY_PATH", SUITE_LIBRARY_FOLDER, 1);
    // Held for the whole run: the fuzzer's coverage tables need the library mapped.
    HMODULE library = LoadLibraryA(PDF_TO_TEXT_LIBRARY_NAME);
    if (!library) std::abort();
    g_derrow = reinterpret_cast<PFN_DERROW>(GetProcAddress(library, "derrow"));
    auto init = reinterpret_cast<PFN_PDFINIT>(GetProcAddress(library, "pdfInit"));
    if (!g_derrow || !init) std::abort();
    init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::ConverterInput in;
    if (!fuzzing::PrepareConverterInput(data, size, "out.txt", in)) return 0;
    const int result = g_derrow(in.pdf.c_str(), in.output.c_str(), in.firstPage, in.lastPage, nullptr);
    // Success leaves a file that starts with the byte-order mark; failure none.
    std::FILE* out = std::fopen(in.output.c_str(), "rb");
    if ((result == PDF_ERR_NONE) != (out != nullptr)) std::abort();
    if (out) {
        unsigned char bom[2] = {0, 0};
        if (std::fread(bom, 1, 2, out) != 2 || bom[0] != 0xFF || bom[1] != 0xFE) std::abort();
        std::fclose(out);
    }
    std::remove(in.output.c_str());
    return 0;
}
