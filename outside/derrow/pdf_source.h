// Opening a PDF file for the converters: the Windows-style ANSI path, the
// password, the page range, and the error codes the converters answer.
#pragma once

#include <poppler-document.h>

#include <memory>
#include <mutex>

namespace pdfconv {

// The converters' shared state: entries run one at a time, and pdfInit/pdfTerm
// are counted (each library has its own).
struct ConverterState {
    std::mutex lock;
    int users = 0;
};
ConverterState& converterState();
// The bodies of the libraries' pdfInit and pdfTerm.
void AddConverterUser();
void RemoveConverterUser();

// Opens `path` with `password` (null or empty: none). Null on failure, with
// *error PDF_ERR_OPEN (missing, unreadable, not a PDF), PDF_ERR_PASSWORD (a
// password is needed or the one given is wrong) or PDF_ERR_NO_PAGES.
std::unique_ptr<poppler::document> OpenPdf(const char* path, const char* password, int* error);

// PDF_ERR_NONE when 1 <= first <= last <= pages, else PDF_ERR_PAGE.
int CheckPageRange(int first, int last, int pages);

// PDF_ERR_NONE when `output` names a file that may be written and is not the
// input file itself (which the atomic replace would destroy), else PDF_ERR_WRITE.
int CheckOutputPath(const char* input, const char* output);

}  // namespace pdfconv
