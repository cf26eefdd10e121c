#include "outside/tresk/sheared_block.h"

#include <algorithm>
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

}  // namespace

ShearedBlock::ShearedBlock(const ocrkit::PlaneView& page, const ocrkit::Box& boxIn, double degrees)
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
