// The page renderer "Marlith.dll" over poppler: opens PDF files (with their
// passwords) and draws pages into packed DIBs. Every entry runs under one
// lock, and pdfInit/pdfTerm are counted, so the page-load thread and the
// user-interface thread can use the library at the same time.
#include "outside/include/library_export.h"
#include "outside/include/pdf_libraries.h"

#include "outside/convert/packed_dib.h"
#include "platform/win/path.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace {

struct Document {
    std::unique_ptr<poppler::document> pdf;
};

struct RendererState {
    std::mutex lock;
    int users = 0;
    std::set<Document*> open;  // handles given out and not yet deleted
};

// Lives as long as the library is loaded: the programs load and free the
// library around each operation.
RendererState& state() {
    static RendererState s;
    static const bool quiet = [] {
        poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
        return true;
    }();
    (void)quiet;
    return s;
}

void setError(int* error, int code) {
    if (error) *error = code;
}

Document* checked(RendererState& s, PDFDOC doc) {
    auto* d = static_cast<Document*>(doc);
    return s.open.count(d) ? d : nullptr;
}

// Copies a poppler picture into a new DIB of the requested mode.
HDIB toDib(const poppler::image& picture, int mode, int dpi, PDF_RENDER_PROGRESS progress, void* data, int* error) {
    const LONG width = picture.width();
    const LONG height = picture.height();
    const int bits = mode == PDF_RENDER_MONO ? 1 : mode == PDF_RENDER_GREY ? 8 : 24;
    const LONG pelsPerMeter = static_cast<LONG>(std::lround(dpi / 0.0254));
    convert::DibBuilder out;
    if (!out.create(width, height, bits, pelsPerMeter, pelsPerMeter)) {
        setError(error, PDF_ERR_MEMORY);
        return nullptr;
    }
    const char* bytes = picture.const_data();
    const std::size_t stride = static_cast<std::size_t>(picture.bytes_per_row());
    const int step = height / 10 > 0 ? height / 10 : 1;
    for (LONG y = 0; y < height; ++y) {
        if (progress && y % step == 0 && progress(height, y, data) != 0) {
            setError(error, PDF_ERR_STOPPED);
            return nullptr;
        }
        const auto* src = reinterpret_cast<const BYTE*>(bytes + static_cast<std::size_t>(y) * stride);
        BYTE* dst = out.row(y);
        if (bits == 24) {
            std::memcpy(dst, src, 3 * static_cast<std::size_t>(width));
        } else if (bits == 8) {
            std::memcpy(dst, src, static_cast<std::size_t>(width));
        } else {
            for (LONG x = 0; x < width; ++x)
                if (src[x] < 128) dst[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    if (progress && progress(height, height, data) != 0) {
        setError(error, PDF_ERR_STOPPED);
        return nullptr;
    }
    return out.release();
}

}  // namespace

SUITE_LIBRARY_EXPORT void pdfInit() {
    RendererState& s = state();
    std::lock_guard guard(s.lock);
    ++s.users;
}

SUITE_LIBRARY_EXPORT void pdfTerm() {
    RendererState& s = state();
    std::lock_guard guard(s.lock);
    if (s.users > 0) --s.users;
}

SUITE_LIBRARY_EXPORT PDFDOC pdfCreateDoc(const char* path, int* error, BOOL hasPassword, const char* password) {
    RendererState& s = state();
    std::lock_guard guard(s.lock);
    setError(error, PDF_ERR_OPEN);
    if (!path) return nullptr;
    const std::string native = suite::NativePath(path);
    const std::string secret = hasPassword && password ? password : "";
    // A document that needs a password, or was given a wrong one, comes back locked.
    std::unique_ptr<poppler::document> pdf(poppler::document::load_from_file(native, secret, secret));
    if (!pdf) return nullptr;
    if (pdf->is_locked()) {
        setError(error, PDF_ERR_PASSWORD);
        return nullptr;
    }
    if (pdf->pages() <= 0) {
        setError(error, PDF_ERR_NO_PAGES);
        return nullptr;
    }
    auto* doc = new Document{std::move(pdf)};
    s.open.insert(doc);
    setError(error, PDF_ERR_NONE);
    return doc;
}

SUITE_LIBRARY_EXPORT int getPdfPageCount(PDFDOC handle) {
    RendererState& s = state();
    std::lock_guard guard(s.lock);
    Document* doc = checked(s, handle);
    return doc ? doc->pdf->pages() : 0;
}

SUITE_LIBRARY_EXPORT HDIB pdfPage2Dib(PDFDOC handle, int pageNumber, int mode, int dpi, PDF_RENDER_PROGRESS progress,
                                      void* data, int* error) {
    RendererState& s = state();
    std::lock_guard guard(s.lock);
    Document* doc = checked(s, handle);
    if (!doc) {
        setError(error, PDF_ERR_BAD_HANDLE);
        return nullptr;
    }
    if (pageNumber < 1 || pageNumber > doc->pdf->pages()) {
        setError(error, PDF_ERR_PAGE);
        return nullptr;
    }
    if (dpi <= 0) dpi = PDF_RENDER_DEFAULT_DPI;
    if (dpi > 1200) dpi = 1200;
    std::unique_ptr<poppler::page> page(doc->pdf->create_page(pageNumber - 1));
    if (!page) {
        setError(error, PDF_ERR_PAGE);
        return nullptr;
    }
    // Refuse pages whose picture would pass the DIB bounds before drawing them:
    // a side too long, or a picture too large (a 200-inch page at 300 dpi
    // would take some 10 GB to draw).
    const poppler::rectf box = page->page_rect(poppler::crop_box);
    const double side = std::max(box.width(), box.height()) * dpi / 72.0;
    const double bytesPerPixel = mode == PDF_RENDER_COLOUR ? 3.0 : 1.0;  // what poppler draws into
    const double pictureBytes = box.width() * dpi / 72.0 * (box.height() * dpi / 72.0) * bytesPerPixel;
    if (!(side > 0) || side > convert::kMaxSide || !(pictureBytes <= double(convert::kMaxPixelBytes))) {
        setError(error, PDF_ERR_MEMORY);
        return nullptr;
    }
    if (progress && progress(1, 0, data) != 0) {
        setError(error, PDF_ERR_STOPPED);
        return nullptr;
    }
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
    renderer.set_image_format(mode == PDF_RENDER_COLOUR ? poppler::image::format_bgr24 : poppler::image::format_gray8);
    const poppler::image picture = renderer.render_page(page.get(), dpi, dpi);
    if (!picture.is_valid() || picture.width() <= 0 || picture.height() <= 0) {
        setError(error, PDF_ERR_RENDER);
        return nullptr;
    }
    HDIB dib = toDib(picture, mode, dpi, progress, data, error);
    if (dib) setError(error, PDF_ERR_NONE);
    return dib;
}

SUITE_LIBRARY_EXPORT void pdfDeleteDoc(PDFDOC handle) {
    RendererState& s = state();
    std::lock_guard guard(s.lock);
    Document* doc = checked(s, handle);
    if (!doc) return;
    s.open.erase(doc);
    delete doc;
}
