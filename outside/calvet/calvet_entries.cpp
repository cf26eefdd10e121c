// The RTF converter "Calvet.dll": each page's words (poppler's text boxes
// with their fonts) laid out into paragraphs and written as RTF of our own.
// A page with ink outside its text, or with no text, is reported to the
// progress callback as unconvertible; its text is still written.
#include "outside/include/library_export.h"
#include "outside/include/pdf_libraries.h"

#include "outside/calvet/ink_check.h"
#include "outside/calvet/page_layout.h"
#include "outside/calvet/rtf_writer.h"
#include "outside/derrow/pdf_source.h"
#include "platform/win/atomic_file.h"
#include "platform/win/path.h"

#include <poppler-page.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// Font names of the document in order of first use.
class FontTable {
public:
    int indexOf(const std::string& name) {
        auto [it, added] = index_.emplace(name, static_cast<int>(names_.size()));
        if (added) names_.push_back(name);
        return it->second;
    }
    const std::vector<std::string>& names() const { return names_; }

private:
    std::map<std::string, int> index_;
    std::vector<std::string> names_;
};

rtfconv::PageText readPage(const poppler::page& page, int number, rtfconv::InkPages& ink, FontTable& fonts) {
    rtfconv::PageText out;
    const poppler::rectf rect = page.page_rect(poppler::crop_box);
    out.width = rect.width();
    out.height = rect.height();
    std::vector<rtfconv::Word> words;
    std::vector<rtfconv::Box> boxes;
    for (const poppler::text_box& t : page.text_list(poppler::page::text_list_include_font)) {
        const poppler::ustring text = t.text();
        if (text.empty()) continue;
        const poppler::rectf r = t.bbox();
        rtfconv::Word w;
        w.text.assign(text.begin(), text.end());
        w.box = rtfconv::Box{r.left(), r.top(), r.right(), r.bottom()};
        w.font = t.has_font_info() ? fonts.indexOf(t.get_font_name()) : fonts.indexOf("");
        w.size = t.has_font_info() ? t.get_font_size() : r.height();
        w.spaceAfter = t.has_space_after();
        boxes.push_back(w.box);
        words.push_back(std::move(w));
    }
    out.paragraphs = rtfconv::LayoutWords(words);
    out.unconvertible = ink.HasInkOutside(number, boxes) || out.paragraphs.empty();
    return out;
}

}  // namespace

SUITE_LIBRARY_EXPORT void pdfInit() { pdfconv::AddConverterUser(); }

SUITE_LIBRARY_EXPORT void pdfTerm() { pdfconv::RemoveConverterUser(); }

SUITE_LIBRARY_EXPORT int calvet(const char* input, const char* output, int firstPage, int lastPage, BOOL hasPassword,
                                const char* password, PDF_CONVERT_PROGRESS progress) {
    pdfconv::ConverterState& s = pdfconv::converterState();
    std::lock_guard guard(s.lock);
    if (int code = pdfconv::CheckOutputPath(input, output)) return code;
    int error = PDF_ERR_OPEN;
    std::unique_ptr<poppler::document> pdf = pdfconv::OpenPdf(input, hasPassword ? password : nullptr, &error);
    if (!pdf) return error;
    if (int code = pdfconv::CheckPageRange(firstPage, lastPage, pdf->pages())) return code;
    const int pages = lastPage - firstPage + 1;
    const int total = 2 * pages;
    std::string native;
    suite::TryNativePath(input, native);
    rtfconv::InkPages ink(native, hasPassword && password ? password : "", firstPage, lastPage);
    FontTable fonts;
    std::vector<rtfconv::PageText> parsed;
    parsed.reserve(static_cast<std::size_t>(pages));
    for (int k = 1; k <= pages; ++k) {
        std::unique_ptr<poppler::page> page(pdf->create_page(firstPage + k - 2));
        if (!page) return PDF_ERR_RENDER;
        parsed.push_back(readPage(*page, firstPage + k - 1, ink, fonts));
        if (progress && progress(total, k, parsed.back().unconvertible ? 1 : 0) != 0) return PDF_ERR_STOPPED;
    }
    const rtfconv::RtfWriter writer(rtfconv::RtfCodePage(), fonts.names());
    std::string rtf = writer.begin(parsed.front().width, parsed.front().height);
    for (int k = 1; k <= pages; ++k) {
        if (progress && progress(total, pages + k, 0) != 0) return PDF_ERR_STOPPED;
        writer.appendPage(rtf, parsed[static_cast<std::size_t>(k - 1)], k == 1);
    }
    rtf += rtfconv::RtfWriter::end();
    return SuiteWriteFileAtomically(output, rtf.data(), rtf.size()) ? PDF_ERR_NONE : PDF_ERR_WRITE;
}
