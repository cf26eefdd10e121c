#include "imaging/pdf/pdf_page_access.h"

#include "imaging/pdf/loaded_library.h"
#include "imaging/pdf/pdf_prompts.h"

#include "outside/include/convert_library.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "platform/win/sync.h"

#include <mutex>

namespace {

struct RendererEntries {
    PFN_PDFINIT init = nullptr;
    PFN_PDFTERM term = nullptr;
    PFN_PDFCREATEDOC createDoc = nullptr;
    PFN_GETPDFPAGECOUNT pageCount = nullptr;
    PFN_PDFPAGE2DIB page2Dib = nullptr;
    PFN_PDFDELETEDOC deleteDoc = nullptr;

    template <typename Lookup>
    void lookUp(Lookup lookup) {
        init = reinterpret_cast<PFN_PDFINIT>(lookup("pdfInit"));
        term = reinterpret_cast<PFN_PDFTERM>(lookup("pdfTerm"));
        createDoc = reinterpret_cast<PFN_PDFCREATEDOC>(lookup("pdfCreateDoc"));
        pageCount = reinterpret_cast<PFN_GETPDFPAGECOUNT>(lookup("getPdfPageCount"));
        page2Dib = reinterpret_cast<PFN_PDFPAGE2DIB>(lookup("pdfPage2Dib"));
        deleteDoc = reinterpret_cast<PFN_PDFDELETEDOC>(lookup("pdfDeleteDoc"));
    }
};

// The renderer kept loaded by the user-interface thread's commands.
struct KeptRenderer {
    std::recursive_mutex lock;
    HMODULE module = nullptr;
    bool loaded = false;
    RendererEntries entries;
    PDFDOC document = nullptr;
    std::string documentPath;  // the path `document` was opened from
};

KeptRenderer& kept() {
    static KeptRenderer renderer;
    return renderer;
}

void setError(int* error, int code) {
    if (error) *error = code;
}

// Opens `path` with `password` (NULL for none), then asks the user while the
// renderer answers that a password is needed or wrong. The accepted password
// goes to `accepted`.
PDFDOC openAskingPassword(const RendererEntries& e, const char* path, const char* password, HANDLE stopEvent,
                          int& code, std::string* accepted) {
    code = PDF_ERR_NONE;
    PDFDOC doc = e.createDoc(path, &code, password ? TRUE : FALSE, password);
    std::string typed;
    while (code == PDF_ERR_PASSWORD) {
        if (!PdfPrompts().AskPassword(path, typed, stopEvent)) return nullptr;
        doc = e.createDoc(path, &code, TRUE, typed.c_str());
        if (code == PDF_ERR_PASSWORD) PdfPrompts().ShowWrongPassword();
    }
    if (code != PDF_ERR_NONE) {
        if (doc && e.deleteDoc) e.deleteDoc(doc);
        return nullptr;
    }
    if (doc && accepted) *accepted = password && typed.empty() ? password : typed;
    return doc;
}

struct RenderProgressData {
    HWND window;
    HANDLE stopEvent;
};

int PdfRenderProgress(int total, int done, void* data) {
    auto* d = static_cast<RenderProgressData*>(data);
    if (!d) return 0;
    if (d->stopEvent && WaitForSingleObject(d->stopEvent, 0) == WAIT_OBJECT_0) return 1;
    if (!d->window) return 0;
    PdfPrompts().PostProgress(d->window, done, total);
    PdfPrompts().PumpMessages();
    return 0;
}

// The open document answers only for its own path: another path closes it,
// so that a count or an open never reports a different file.
void closeUnlessOpenedFrom(KeptRenderer& r, const char* path) {
    if (r.document && path && r.documentPath != path) ClosePdfDocument();
}

void unloadWhenAsked(BOOL unloadAfter) {
    if (unloadAfter) UnloadPdfRenderer();
}

}  // namespace

int LoadPdfRenderer() {
    KeptRenderer& r = kept();
    std::lock_guard guard(r.lock);
    if (r.loaded) return 0;
    r.module = LoadLibraryA(PDF_RENDERER_LIBRARY_NAME);
    if (!r.module) return PDF_ACCESS_MISSING_RENDERER;
    r.entries.lookUp([&](const char* name) { return GetProcAddress(r.module, name); });
    if (r.entries.init) r.entries.init();
    r.loaded = true;
    return 0;
}

int ClosePdfDocument() {
    KeptRenderer& r = kept();
    std::lock_guard guard(r.lock);
    if (r.document && r.entries.deleteDoc) r.entries.deleteDoc(r.document);
    r.document = nullptr;
    r.documentPath.clear();
    return 1;
}

int UnloadPdfRenderer() {
    KeptRenderer& r = kept();
    std::lock_guard guard(r.lock);
    if (!r.loaded) return 1;
    ClosePdfDocument();
    if (r.entries.init && r.entries.term) r.entries.term();
    FreeLibrary(r.module);
    r.module = nullptr;
    r.entries = RendererEntries{};
    r.loaded = false;
    return 1;
}

int GetPdfPageCount(int* error, const char* path, BOOL unloadAfter) {
    KeptRenderer& r = kept();
    std::lock_guard guard(r.lock);
    int code = LoadPdfRenderer();
    setError(error, code);
    if (code != 0) return -1;
    closeUnlessOpenedFrom(r, path);
    if (!r.document) {
        if (!r.entries.createDoc || !path) {
            setError(error, PDF_ACCESS_MISSING_ENTRY);
            unloadWhenAsked(unloadAfter);
            return -1;
        }
        r.document = r.entries.createDoc(path, &code, FALSE, nullptr);
        setError(error, code);
        if (code != PDF_ERR_NONE || !r.document) {
            r.document = nullptr;
            unloadWhenAsked(unloadAfter);
            return code == PDF_ERR_NO_PAGES ? 0 : -1;
        }
        r.documentPath = path;
    }
    const int pages = r.entries.pageCount ? r.entries.pageCount(r.document) : 0;
    unloadWhenAsked(unloadAfter);
    return pages;
}

int OpenPdfWithPassword(int* error, std::string* password, const char* path, BOOL unloadAfter) {
    KeptRenderer& r = kept();
    std::lock_guard guard(r.lock);
    int code = LoadPdfRenderer();
    setError(error, code);
    if (code != 0) return -1;
    if (!r.entries.createDoc || !path) {
        setError(error, PDF_ACCESS_MISSING_ENTRY);
        unloadWhenAsked(unloadAfter);
        return -1;
    }
    closeUnlessOpenedFrom(r, path);
    if (!r.document) {
        if (password) password->clear();
        r.document = openAskingPassword(r.entries, path, nullptr, nullptr, code, password);
        setError(error, code);
        if (r.document) r.documentPath = path;
        if (code == PDF_ERR_PASSWORD) {  // cancelled
            unloadWhenAsked(unloadAfter);
            return -1;
        }
    }
    if (!r.document) {
        unloadWhenAsked(unloadAfter);
        return 0;
    }
    const int pages = r.entries.pageCount ? r.entries.pageCount(r.document) : 0;
    unloadWhenAsked(unloadAfter);
    return pages;
}

int RenderPdfPageToFile(int* error, int page, const char* outputPath, int type, int mode, int dpi) {
    KeptRenderer& r = kept();
    std::lock_guard guard(r.lock);
    if (!r.document || !r.entries.page2Dib || !outputPath) return 0;
    int code = PDF_ERR_NONE;
    HDIB picture = r.entries.page2Dib(r.document, page, mode, dpi, nullptr, nullptr, &code);
    setError(error, code);
    if (!picture) return 0;
    bool written = false;
    if (code == PDF_ERR_NONE || code == PDF_RENDER_ACCEPTED) {
        if (type == 1) {
            written = SaveDibAsPdf(0, picture, outputPath) == 0;
        } else {
            LoadedLibrary convert(CONVERT_LIBRARY_NAME);
            const char* entry = type == 2 ? "HDIB2Jpg" : type == 3 ? "HDIB2Bmp" : "HDIB2Tiff";
            auto write = convert.entry<PFN_CONVERT_WRITE>(entry);
            written = write && write(nullptr, picture, outputPath);
        }
    }
    GlobalFree(picture);
    return written ? 1 : 0;
}

HDIB RenderPdfPage(HWND progressWindow, const char* path, HANDLE stopEvent, int page, const char* password) {
    if (page < 1 || !path) return nullptr;
    const std::string file = path;
    LoadedLibrary library(PDF_RENDERER_LIBRARY_NAME);
    RendererEntries e;
    e.lookUp([&](const char* name) { return library.entry<FARPROC>(name); });
    if (!library || !e.init || !e.term || !e.createDoc || !e.pageCount || !e.page2Dib || !e.deleteDoc) return nullptr;
    e.init();
    int code = PDF_ERR_NONE;
    HDIB picture = nullptr;
    PDFDOC doc = openAskingPassword(e, file.c_str(), password, stopEvent, code, nullptr);
    if (doc && e.pageCount(doc) >= page) {
        RenderProgressData data{progressWindow, stopEvent};
        const bool report = progressWindow || stopEvent;
        picture = e.page2Dib(doc, page, 0, 0, report ? PdfRenderProgress : nullptr, report ? &data : nullptr, &code);
        if (picture && code != PDF_ERR_NONE && code != PDF_RENDER_ACCEPTED) {
            GlobalFree(picture);
            picture = nullptr;
        }
    }
    if (doc) e.deleteDoc(doc);
    e.term();
    return picture;
}

int SaveDibAsPdf(int, HDIB dib, const char* path) {
    if (!path) return BRENVO_ERR_WRITE;
    const std::string file = path;
    LoadedLibrary library(PDF_WRITER_LIBRARY_NAME);
    auto write = library.entry<PFN_BRENVO>("Brenvo");
    if (!write) return PDF_ACCESS_MISSING_ENTRY;
    return write(dib, file.c_str());
}
