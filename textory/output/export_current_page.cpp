#include "textory/output/export_current_page.h"

#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/task/task.h"
#include "outside/include/ostrel.h"
#include "textory/app/command_line_output.h"
#include "textory/names/numbered_names.h"

namespace textory {
namespace {

constexpr const char* kWrongOutputName = "wrong output file name";
constexpr const char* kNothingToExport = "nothing was recognised on this page";
constexpr const char* kNotWritten = "create file %s failure.";

std::string notWritten(const std::string& path) {
    std::string text = kNotWritten;
    text.replace(text.find("%s"), 2, path);
    return text;
}

}  // namespace

ExportOutcome ExportCurrentPage(COcrPage& page, const std::string& path, WORD systemLanguage) {
    ExportOutcome outcome;
    int format = CTask::ExportTypeFor(path, systemLanguage);
    // A word-processor document (.doc) is written as the job's output is: RTF.
    if (format == -2) format = OutputFormatFor(path, systemLanguage);
    if (format == -2) {
        outcome.message = kWrongOutputName;
        return outcome;
    }
    std::string name = path;
    if (format == -1) {
        if (!page.m_bHasResult) {
            outcome.message = kNothingToExport;
            return outcome;
        }
        const UINT codePage = systemLanguage == 1028 ? 950 : 936;
        outcome.written = WriteUnicodeTextFile(name, page.TextAsUnicode(codePage)) != FALSE;
    } else {
        SPage* exportPage = page.BuildExportPage();
        if (!exportPage) {
            outcome.message = kNothingToExport;
            return outcome;
        }
        const bool numbered = format == OSTREL_FORMAT_PDF || format == OSTREL_FORMAT_RTF ||
                              format == OSTREL_FORMAT_BIG5_RTF;
        if (!numbered || MakeWritableNumberedName(name))
            outcome.written = ExportViaTemporary(exportPage, name, format) != FALSE;
        FreeSPage(exportPage, 1);
    }
    if (outcome.written) outcome.path = name;
    else outcome.message = notWritten(name);
    return outcome;
}

}  // namespace textory
