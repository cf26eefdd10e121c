#include "outside/calvet/ink_check.h"

#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace rtfconv {
namespace {

constexpr int kMarginDots = 2;
constexpr unsigned char kDark = 160;
// Pages larger than this (in check dots per side) are not drawn: a poster
// of several metres is treated as unconvertible rather than allocated.
constexpr double kMaxDots = 8000;

}  // namespace

bool HasInkOutside(const poppler::page& page, const std::vector<Box>& boxes) {
    const poppler::rectf rect = page.page_rect(poppler::crop_box);
    const double scale = kInkCheckDpi / 72.0;
    if (!(rect.width() * scale > 0) || !(rect.height() * scale > 0) || rect.width() * scale > kMaxDots ||
        rect.height() * scale > kMaxDots)
        return true;
    poppler::page_renderer renderer;
    renderer.set_image_format(poppler::image::format_gray8);
    const poppler::image picture = renderer.render_page(&page, kInkCheckDpi, kInkCheckDpi);
    if (!picture.is_valid() || picture.width() <= 0 || picture.height() <= 0) return true;
    const int width = picture.width();
    const int height = picture.height();
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
    const char* bytes = picture.const_data();
    const std::size_t stride = static_cast<std::size_t>(picture.bytes_per_row());
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(bytes + static_cast<std::size_t>(y) * stride);
        const std::uint8_t* covered = text.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x)
            if (row[x] < kDark && !covered[x]) return true;
    }
    return false;
}

}  // namespace rtfconv
