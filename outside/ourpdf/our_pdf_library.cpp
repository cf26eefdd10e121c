// The PDF library's table: version, end, and joining page files into a PDF.
#include <cstring>
#include <string>
#include <vector>

#include "outside/include/library_export.h"
#include "outside/include/our_pdf.h"
#include "outside/ourpdf/page_join.h"

namespace {

int checkVersion(const WORD* v) {
    if (!v) return 0;
    // Version 1.0.0.0: callers of 1.x are served.
    return v[0] == 1 ? 1 : 0;
}

void terminate() {}

int convertPages(LPCSTR output, int count, const PDF_PAGEENTRY* entries, LPCSTR, int, int* resultFlag,
                 PDF_PROGRESSPROC progress, int* progressState) {
    if (resultFlag) *resultFlag = 0;
    if (!output || !*output || count <= 0 || !entries) return 0;
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const PDF_PAGEENTRY& e = entries[i];
        if (e.Type != 2 || !std::memchr(e.Path, 0, sizeof e.Path)) return 0;
        files.emplace_back(e.Path);
    }
    int state = 0;
    int* statePointer = progressState ? progressState : &state;
    auto step = [&](int index) { return !progress || progress(count, count - index, index + 1, statePointer) != 0; };
    if (ourpdf::JoinPages(files, output, step) != ourpdf::JoinResult::Done) return 0;
    if (progress) progress(count, 0, count, statePointer);
    if (resultFlag) *resultFlag = 1;
    return 1;
}

PDF_FUNCTIONTABLE makeTable() {
    PDF_FUNCTIONTABLE t{};
    t.PdfCheckVersion = checkVersion;
    t.PdfTerminate = terminate;
    t.PdfConvertPages = convertPages;
    return t;
}

const PDF_FUNCTIONTABLE table = makeTable();

}  // namespace

SUITE_LIBRARY_EXPORT const PDF_FUNCTIONTABLE* GetPDFFunctionTable() { return &table; }
