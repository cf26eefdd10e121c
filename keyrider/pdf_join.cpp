#include "keyrider/pdf_join.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "outside/include/our_pdf.h"
#include "platform/win/library.h"
#include "platform/win/path.h"

namespace keyrider {

int CountPdfPages(const std::string& path) {
    std::ifstream in(suite::NativePathOfEither(path), std::ios::binary);
    if (!in) return -1;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.compare(0, 5, "%PDF-") != 0) return -1;
    int pages = 0;
    const std::string tag = "/Type /Page";
    for (std::size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + tag.size())) {
        char next = at + tag.size() < text.size() ? text[at + tag.size()] : ' ';
        if (next != 's') ++pages;
    }
    return pages;
}

namespace {
// The PDF library calls back without a context: the join in progress is one
// at a time on the job's thread.
const JoinProgress* g_progress = nullptr;

int OnProgress(int total, int remaining, int page, int*) {
    if (!g_progress || !*g_progress) return 1;
    return (*g_progress)(total, remaining, page) ? 1 : 0;
}
}  // namespace

JoinOutcome JoinPagesWithLibrary(const std::string& libraryPath, const std::vector<std::string>& pages,
                                 const std::string& output, int jpegQuality, const JoinProgress& progress) {
    if (pages.empty() || libraryPath.empty()) return JoinOutcome::NoLibrary;
    HMODULE module = LoadLibraryA(libraryPath.c_str());
    if (!module) return JoinOutcome::NoLibrary;
    auto get = reinterpret_cast<PDF_GETFUNCTIONTABLE>(GetProcAddress(module, "GetPDFFunctionTable"));
    const PDF_FUNCTIONTABLE* table = get ? get() : nullptr;
    const WORD version[4] = {1, 0, 0, 0};
    if (!table || !table->PdfCheckVersion || !table->PdfConvertPages || !table->PdfCheckVersion(version)) {
        FreeLibrary(module);
        return JoinOutcome::NoLibrary;
    }
    std::vector<PDF_PAGEENTRY> entries(pages.size());
    bool fits = true;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        PDF_PAGEENTRY& e = entries[i];
        std::memset(&e, 0, sizeof e);
        e.Type = 2;
        std::snprintf(e.Name, sizeof e.Name, "%d", int(i + 1));
        // A path that does not fit the entry is never cut: the join is refused.
        if (pages[i].size() >= sizeof e.Path) fits = false;
        else std::memcpy(e.Path, pages[i].c_str(), pages[i].size() + 1);
    }
    int result = 0, flag = 0, state = 0;
    if (fits) {
        g_progress = &progress;
        result = table->PdfConvertPages(output.c_str(), int(entries.size()), entries.data(), output.c_str(),
                                        jpegQuality, &flag, &OnProgress, &state);
        g_progress = nullptr;
    }
    if (table->PdfTerminate) table->PdfTerminate();
    FreeLibrary(module);
    if (!fits || (!result && !flag)) return JoinOutcome::Refused;
    return CountPdfPages(output) == int(pages.size()) ? JoinOutcome::Joined : JoinOutcome::Incomplete;
}

std::vector<std::string> PdfAppCommands(const std::vector<std::string>& pages, const std::string& output,
                                        int jpegQuality) {
    const int graphics = std::max(jpegQuality * 25 / 10, 2);
    std::vector<std::string> c = {"[NEW_DOCUMENT]",
                                  "[FMTTEXT](53,1,0)",
                                  "[OPTIONS_GRAPHICS_ADVANCED](0,0," + std::to_string(graphics) + ")",
                                  "[PDF_PARAMS](ON)",
                                  "[INTERLEARN](OFF)",
                                  "[DISABLEWNGNOWINDOW](ON)",
                                  "[HIDE]",
                                  "[DISPLAY_PROGRESS](ON)",
                                  "[FORCE_AS_300DPI](OFF)"};
    for (const std::string& page : pages) {
        c.push_back("[INPUT](" + page + ")");
        c.push_back("[SCAN_MULTIPAGE]");
    }
    c.push_back("[SAVEIMG_MULTI](" + output + ",99)");
    c.push_back("[NEW_DOCUMENT]");
    return c;
}

}  // namespace keyrider
