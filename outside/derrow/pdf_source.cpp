#include "outside/derrow/pdf_source.h"

#include "outside/include/pdf_libraries.h"
#include "platform/win/path.h"

#include <poppler-global.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace pdfconv {

ConverterState& converterState() {
    static ConverterState s;
    // poppler reports damaged files on stderr; the converters answer codes instead.
    static const bool quiet = [] {
        poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
        return true;
    }();
    (void)quiet;
    return s;
}

void AddConverterUser() {
    ConverterState& s = converterState();
    std::lock_guard guard(s.lock);
    ++s.users;
}

void RemoveConverterUser() {
    ConverterState& s = converterState();
    std::lock_guard guard(s.lock);
    if (s.users > 0) --s.users;
}

std::unique_ptr<poppler::document> OpenPdf(const char* path, const char* password, int* error) {
    *error = PDF_ERR_OPEN;
    if (!path) return nullptr;
    std::string native;
    if (!suite::TryNativePath(path, native)) return nullptr;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(native, ec)) return nullptr;
    const std::string secret = password ? password : "";
    std::unique_ptr<poppler::document> pdf(poppler::document::load_from_file(native, secret, secret));
    if (!pdf) return nullptr;
    if (pdf->is_locked()) {
        *error = PDF_ERR_PASSWORD;
        return nullptr;
    }
    if (pdf->pages() <= 0) {
        *error = PDF_ERR_NO_PAGES;
        return nullptr;
    }
    *error = PDF_ERR_NONE;
    return pdf;
}

int CheckPageRange(int first, int last, int pages) {
    return first >= 1 && first <= last && last <= pages ? PDF_ERR_NONE : PDF_ERR_PAGE;
}

int CheckOutputPath(const char* input, const char* output) {
    std::string out;
    if (!output || !suite::TryNativePath(output, out) || out.empty()) return PDF_ERR_WRITE;
    std::string in;
    std::error_code ec;
    if (input && suite::TryNativePath(input, in) && std::filesystem::equivalent(in, out, ec)) return PDF_ERR_WRITE;
    return PDF_ERR_NONE;
}

}  // namespace pdfconv
