// The text converter "Derrow.dll": the pages' text in reading order (columns
// one after the other, as pdftotext gives it), written as UTF-16LE with a byte-order mark and CR LF line ends, the
// form of the document's own Unicode text export.
#include "outside/include/library_export.h"
#include "outside/include/pdf_libraries.h"

#include "outside/derrow/pdf_source.h"
#include "platform/win/atomic_file.h"

#include <poppler-page.h>

#include <memory>
#include <string>

namespace {

void appendUnit(std::string& out, unsigned unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

// Appends one page's text: line ends become CR LF, form feeds and trailing
// empty lines are dropped, and the page ends with a line end.
void appendPage(std::string& out, const poppler::ustring& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == u'\n' || text[end - 1] == u'\r' || text[end - 1] == u'\f')) --end;
    for (std::size_t i = 0; i < end; ++i) {
        const unsigned unit = text[i];
        if (unit == u'\r') {
            if (i + 1 < end && text[i + 1] == u'\n') ++i;
            appendUnit(out, u'\r');
            appendUnit(out, u'\n');
        } else if (unit == u'\n') {
            appendUnit(out, u'\r');
            appendUnit(out, u'\n');
        } else if (unit != u'\f' && unit != 0) {
            appendUnit(out, unit);
        }
    }
    if (end > 0) {
        appendUnit(out, u'\r');
        appendUnit(out, u'\n');
    }
}

}  // namespace

SUITE_LIBRARY_EXPORT void pdfInit() { pdfconv::AddConverterUser(); }

SUITE_LIBRARY_EXPORT void pdfTerm() { pdfconv::RemoveConverterUser(); }

SUITE_LIBRARY_EXPORT int derrow(const char* input, const char* output, int firstPage, int lastPage,
                                const char* password) {
    pdfconv::ConverterState& s = pdfconv::converterState();
    std::lock_guard guard(s.lock);
    if (int code = pdfconv::CheckOutputPath(input, output)) return code;
    int error = PDF_ERR_OPEN;
    std::unique_ptr<poppler::document> pdf = pdfconv::OpenPdf(input, password, &error);
    if (!pdf) return error;
    if (int code = pdfconv::CheckPageRange(firstPage, lastPage, pdf->pages())) return code;
    std::string out;
    appendUnit(out, 0xFEFF);
    for (int number = firstPage; number <= lastPage; ++number) {
        std::unique_ptr<poppler::page> page(pdf->create_page(number - 1));
        if (!page) return PDF_ERR_RENDER;
        if (number > firstPage) {
            appendUnit(out, u'\r');
            appendUnit(out, u'\n');
        }
        appendPage(out, page->text(poppler::rectf(), poppler::page::non_raw_non_physical_layout));
    }
    return SuiteWriteFileAtomically(output, out.data(), out.size()) ? PDF_ERR_NONE : PDF_ERR_WRITE;
}
