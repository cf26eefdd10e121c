#include "textory/app/command_line_output.h"

#include <cctype>

#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/task/task.h"
#include "outside/include/ostrel.h"
#include "platform/win/path.h"

namespace textory {
namespace {

constexpr WORD kTraditionalLanguage = 1028;

bool hasText(const COcrPage& page) {
    if (!page.m_bHasResult) return false;
    for (char c : page.Text())
        if (!std::isspace(static_cast<unsigned char>(c))) return true;
    return false;
}

}  // namespace

int OutputFormatFor(const std::string& path, WORD systemLanguage) {
    const bool traditional = systemLanguage == kTraditionalLanguage;
    if (suite::HasExtension(path, ".TXT")) return -1;
    if (suite::HasExtension(path, ".DOC")) return traditional ? OSTREL_FORMAT_BIG5_RTF : OSTREL_FORMAT_RTF;
    if (suite::HasExtension(path, ".HTM")) return traditional ? OSTREL_FORMAT_BIG5_HTML : OSTREL_FORMAT_HTML;
    return -2;
}

OutputOutcome WriteCommandLineOutput(COcrPage& page, const std::string& path, WORD systemLanguage) {
    const int format = OutputFormatFor(path, systemLanguage);
    if (format == -2) return OutputOutcome::kWrongName;
    if (!hasText(page)) return OutputOutcome::kNothingRecognised;
    if (format == -1) {
        const UINT codePage = systemLanguage == kTraditionalLanguage ? 950 : 936;
        return WriteUnicodeTextFile(path, page.TextAsUnicode(codePage)) ? OutputOutcome::kWritten
                                                                          : OutputOutcome::kNotWritten;
    }
    SPage* export_page = page.BuildExportPage();
    if (!export_page) return OutputOutcome::kNothingRecognised;
    const BOOL written = ExportViaTemporary(export_page, path, format);
    FreeSPage(export_page, 1);
    return written ? OutputOutcome::kWritten : OutputOutcome::kNotWritten;
}

}  // namespace textory
