#include "outside/tresk/sheared_block.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/slant.h"

namespace tresk {

namespace {

// White border around the block in the copy: the recogniser's line finder
// wants a little room around tightly cut blocks.
constexpr int kMargin = 8;

// Drift (pixels over the block's height) below which a block is read as it is.
constexpr double kLeastDrift = 4.0;

// Ink per edge pixel below which strokes count as thin: strokes one or two
// pixels wide, which a light scan breaks into pieces (a printed page's
// strokes at 300 dpi give 2 and more).
constexpr double kThinStrokes = 1.6;

}  // namespace

ShearedBlock::ShearedBlock(const ocrkit::PlaneView& page, const ocrkit::Box& boxIn, double degrees, bool thicken)
    : pageWidth_(page.width), pageHeight_(page.height) {
    const ocrkit::Box box = page.clip(boxIn);
    if (box.empty() || !page.bits) return;
    tan_ = std::tan(std::clamp(degrees, -10.0, 10.0) * std::numbers::pi / 180.0);
    left_ = box.left;
    top_ = box.top;
    middle_ = (box.top + box.bottom) / 2;
    pad_ = kMargin + std::max(std::abs(shiftAt(box.top)), std::abs(shiftAt(box.bottom)));
    const int width = box.width() + 2 * pad_, height = box.height() + 2 * kMargin;
    const std::size_t stride = static_cast<std::size_t>((width + 7) / 8);
    bits_.assign(stride * static_cast<std::size_t>(height), 0);
    for (int y = box.top; y <= box.bottom; ++y) {
        const std::uint8_t* src = page.bits + static_cast<std::size_t>(y) * page.stride;
        std::uint8_t* dst = bits_.data() + static_cast<std::size_t>(y - top_ + kMargin) * stride;
        const int dx = pad_ + shiftAt(y) - left_;
        for (int x = box.left; x <= box.right;) {
            // Mostly white: whole white bytes are passed over.
            if ((x & 7) == 0 && x + 7 <= box.right && src[x >> 3] == 0) {
                x += 8;
                continue;
            }
            if ((src[x >> 3] >> (7 - (x & 7))) & 1) {
                const int to = x + dx;
                dst[to >> 3] |= static_cast<std::uint8_t>(0x80 >> (to & 7));
            }
            ++x;
        }
    }
    if (thicken) {
        // Each black pixel also blackens its left neighbour and the one
        // above it (rows top-down, so the row below is still unchanged).
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = bits_.data() + static_cast<std::size_t>(y) * stride;
            const std::uint8_t* below = y + 1 < height ? row + stride : nullptr;
            std::uint8_t carry = 0;
            for (std::size_t i = stride; i-- > 0;) {
                const std::uint8_t own = row[i];
                row[i] = static_cast<std::uint8_t>(own | own << 1 | carry | (below ? below[i] : 0));
                carry = static_cast<std::uint8_t>(own >> 7);
            }
        }
    }
    view_ = ocrkit::PlaneView(bits_.data(), width, height);
    inside_ = ocrkit::Box{kMargin, kMargin, width - 1 - kMargin, height - 1 - kMargin};
}

int ShearedBlock::shiftAt(int pageY) const { return static_cast<int>(std::lround((pageY - middle_) * tan_)); }

ocrkit::Box ShearedBlock::clampToPage(const ocrkit::Box& b) const {
    auto x = [&](int v) { return std::clamp(v, 0, std::max(pageWidth_ - 1, 0)); };
    auto y = [&](int v) { return std::clamp(v, 0, std::max(pageHeight_ - 1, 0)); };
    return ocrkit::Box{x(b.left), y(b.top), x(b.right), y(b.bottom)};
}

ocrkit::Box ShearedBlock::toPage(const ocrkit::Box& b) const {
    if (b.empty()) return b;
    ocrkit::Box out;
    for (int y : {b.top, b.bottom}) {
        const int py = y - kMargin + top_;
        const int dx = pad_ + shiftAt(py) - left_;
        out.add(b.left - dx, py);
        out.add(b.right - dx, py);
    }
    return clampToPage(out);
}

void ShearedBlock::toPage(_regioninfo& region) const {
    for (_lineinfo* l = region.pLines; l; l = l->next) {
        ocrkit::setBox(*l, toPage(ocrkit::Box{l->left, l->top, l->right, l->bottom}));
        for (_charinfo* c = l->pChars; c; c = c->next) {
            const int mid = (c->top + c->bottom) / 2;
            const int py = mid - kMargin + top_;
            const int dx = -(pad_ + shiftAt(py) - left_), dy = top_ - kMargin;
            ocrkit::setCharBox(*c, clampToPage(ocrkit::Box{c->left + dx, c->top + dy, c->right + dx, c->bottom + dy}));
        }
    }
}

double inkPerEdge(const ocrkit::PlaneView& page, const ocrkit::Box& boxIn) {
    const ocrkit::Box box = page.clip(boxIn);
    if (box.empty() || !page.bits) return 0;
    // Pixels of the box only: bits outside it count as white.
    auto byteAt = [&](int y, int i) -> std::uint8_t {
        if (y < box.top || y > box.bottom || i < box.left >> 3 || i > box.right >> 3) return 0;
        std::uint8_t v = page.bits[static_cast<std::size_t>(y) * page.stride + static_cast<std::size_t>(i)];
        if (i == box.left >> 3) v &= static_cast<std::uint8_t>(0xFF >> (box.left & 7));
        if (i == box.right >> 3) v &= static_cast<std::uint8_t>(0xFF << (7 - (box.right & 7)));
        return v;
    };
    long ink = 0, edge = 0;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int i = box.left >> 3; i <= box.right >> 3; ++i) {
            const std::uint8_t own = byteAt(y, i);
            if (!own) continue;
            const std::uint8_t left = static_cast<std::uint8_t>(own >> 1 | byteAt(y, i - 1) << 7);
            const std::uint8_t right = static_cast<std::uint8_t>(own << 1 | byteAt(y, i + 1) >> 7);
            const std::uint8_t inner = own & left & right & byteAt(y - 1, i) & byteAt(y + 1, i);
            ink += std::popcount(own);
            edge += std::popcount(static_cast<std::uint8_t>(own & ~inner));
        }
    return edge ? static_cast<double>(ink) / static_cast<double>(edge) : 0.0;
}

bool thinStrokes(const ocrkit::PlaneView& page, const ocrkit::Box& box) {
    const double perEdge = inkPerEdge(page, box);
    return perEdge > 0 && perEdge < kThinStrokes;
}

double columnSlant(const ocrkit::PlaneView& page, const ocrkit::Box& boxIn) {
    const ocrkit::Box box = page.clip(boxIn);
    if (box.empty() || !page.bits) return 0;
    std::vector<ocrkit::Component> comps = ocrkit::components(page, box);
    std::erase_if(comps, ocrkit::isSpeck);
    if (comps.empty()) return 0;
    const double degrees = ocrkit::measureSlant(comps, ocrkit::typicalCharSize(comps));
    const double drift = std::abs(std::tan(degrees * std::numbers::pi / 180.0)) * box.height();
    return drift < kLeastDrift ? 0.0 : degrees;
}

}  // namespace tresk
