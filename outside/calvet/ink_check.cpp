#include "outside/calvet/ink_check.h"

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace rtfconv {
namespace {

constexpr int kMarginDots = 2;
constexpr unsigned char kDark = 160;
// Pages larger than this (in check dots per side) are not drawn: a poster
// of several metres is treated as unconvertible rather than allocated.
constexpr double kMaxDots = 8000;
// How many drawn pages may wait for the caller.
constexpr int kAhead = 4;

InkMap drawPage(PDFDoc& doc, SplashOutputDev& out, int page) {
    InkMap map;
    const double scale = kInkCheckDpi / 72.0;
    const double w = doc.getPageCropWidth(page) * scale, h = doc.getPageCropHeight(page) * scale;
    if (!(w > 0) || !(h > 0) || w > kMaxDots || h > kMaxDots) return map;
    doc.displayPageSlice(&out, page, kInkCheckDpi, kInkCheckDpi, 0, false, true, false, -1, -1, -1, -1, nullptr,
                         nullptr, nullptr, nullptr, true);
    SplashBitmap* bitmap = out.getBitmap();
    if (!bitmap || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0) return map;
    map.drawn = true;
    map.width = bitmap->getWidth();
    map.height = bitmap->getHeight();
    // The page is drawn on transparent paper: a dot's grey counts as much as
    // it covers, the rest of it is white paper.
    const unsigned char* alpha = bitmap->getAlphaPtr();
    for (int y = 0; y < map.height; ++y) {
        const unsigned char* row = bitmap->getDataPtr() + static_cast<std::ptrdiff_t>(y) * bitmap->getRowSize();
        const unsigned char* cover = alpha ? alpha + static_cast<std::ptrdiff_t>(y) * bitmap->getAlphaRowSize() : nullptr;
        for (int x = 0; x < map.width; ++x) {
            const unsigned a = cover ? cover[x] : 255u;
            if (a == 0) continue;
            const unsigned seen = (row[x] * a + 255u * (255u - a)) / 255u;
            if (seen < kDark) map.dark.push_back(static_cast<std::uint32_t>(y * map.width + x));
        }
    }
    return map;
}

}  // namespace

bool HasInkOutside(const InkMap& map, const std::vector<Box>& boxes) {
    if (!map.drawn) return true;
    if (map.dark.empty()) return false;
    const int width = map.width, height = map.height;
    const double scale = kInkCheckDpi / 72.0;
    std::vector<std::uint8_t> text(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (const Box& b : boxes) {
        if (!std::isfinite(b.left) || !std::isfinite(b.top) || !std::isfinite(b.right) || !std::isfinite(b.bottom))
            continue;
        const auto clampX = [&](double v) { return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(width))); };
        const auto clampY = [&](double v) { return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(height))); };
        const int x0 = clampX(std::floor(b.left * scale) - kMarginDots);
        const int x1 = clampX(std::ceil(b.right * scale) + kMarginDots);
        const int y0 = clampY(std::floor(b.top * scale) - kMarginDots);
        const int y1 = clampY(std::ceil(b.bottom * scale) + kMarginDots);
        if (x1 <= x0 || y1 <= y0) continue;
        for (int y = y0; y < y1; ++y)
            std::fill(text.begin() + static_cast<std::ptrdiff_t>(y) * width + x0,
                      text.begin() + static_cast<std::ptrdiff_t>(y) * width + x1, 1);
    }
    for (const std::uint32_t dot : map.dark)
        if (!text[dot]) return true;
    return false;
}

InkPages::InkPages(const std::string& nativePath, const std::string& password, int first, int last)
    : m_first(first), m_last(last), m_wanted(first) {
    m_worker = std::thread([this, nativePath, password] { drawAll(nativePath, password); });
}

InkPages::~InkPages() {
    {
        std::lock_guard guard(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    m_worker.join();
}

void InkPages::drawAll(std::string path, std::string password) {
    std::optional<GooString> secret;
    if (!password.empty()) secret.emplace(password.c_str());
    PDFDoc doc(std::make_unique<GooString>(path.c_str()), secret, secret);
    // No paper colour: the drawing keeps its coverage, and the paper is not
    // laid under every page (the check above does that for the dots it reads).
    SplashOutputDev out(splashModeMono8, 4, false, nullptr);
    out.setFontAntialias(false);
    out.setVectorAntialias(false);
    // The text is what the converter reads: only the rest of the page is drawn.
    out.setSkipText(true, true);
    const bool usable = doc.isOk() && doc.getNumPages() >= m_last;
    if (usable) out.startDoc(&doc);
    for (int page = m_first; page <= m_last; ++page) {
        {
            std::unique_lock guard(m_lock);
            m_changed.wait(guard, [&] { return m_stop || page < m_wanted + kAhead; });
            if (m_stop) return;
        }
        InkMap map = usable ? drawPage(doc, out, page) : InkMap{};
        {
            std::lock_guard guard(m_lock);
            m_ready[page] = std::move(map);
        }
        m_changed.notify_all();
    }
}

bool InkPages::HasInkOutside(int page, const std::vector<Box>& boxes) {
    InkMap map;
    {
        std::unique_lock guard(m_lock);
        m_wanted = page;
        m_changed.notify_all();
        m_changed.wait(guard, [&] { return m_ready.count(page) != 0 || page < m_first || page > m_last; });
        auto it = m_ready.find(page);
        if (it == m_ready.end()) return true;
        map = std::move(it->second);
        m_ready.erase(it);
        m_wanted = page + 1;
    }
    m_changed.notify_all();
    return rtfconv::HasInkOutside(map, boxes);
}

}  // namespace rtfconv
