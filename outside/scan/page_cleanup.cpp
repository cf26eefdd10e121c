#include "outside/scan/page_cleanup.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace scan {
namespace {

struct PixFree {
    void operator()(PIX* p) const { pixDestroy(&p); }
};
using Pix = std::unique_ptr<PIX, PixFree>;
struct BoxaFree {
    void operator()(BOXA* b) const { boxaDestroy(&b); }
};
struct PixaFree {
    void operator()(PIXA* p) const { pixaDestroy(&p); }
};

// Grey below this is taken for ink on white paper.
constexpr int kInk = 128;
// Grey below this, touching the page's edge, is the scanner's dark lid or the
// shadow beyond the paper.
constexpr int kBackground = 80;
// Straightening is left out below this tilt and when the measure is unsure.
constexpr float kLeastTilt = 0.02f;
constexpr float kLeastConfidence = 3.0f;

DWORD RowBytes(LONG width, int bits) { return ((DWORD(width) * DWORD(bits) + 31u) / 32u) * 4u; }

Pix ToPix(const IL_IMAGE& page) {
    const IL_IMAGEHEADER& h = *page.Header;
    const int bits = h.BitsPerPixel;
    Pix pix(pixCreate(h.Width, h.Height, bits == 24 ? 32 : bits));
    if (!pix) return nullptr;
    pixSetResolution(pix.get(), l_int32(h.XResolution), l_int32(h.YResolution));
    l_uint32* data = pixGetData(pix.get());
    const l_int32 wpl = pixGetWpl(pix.get());
    for (LONG y = 0; y < h.Height; ++y) {
        const BYTE* src = page.Bits + std::size_t(y) * h.BytesPerLine;
        l_uint32* line = data + std::size_t(y) * std::size_t(wpl);
        if (bits == 1) {  // the library's 1 is white, Leptonica's black
            for (DWORD b = 0; b < (DWORD(h.Width) + 7) / 8; ++b) SET_DATA_BYTE(line, b, BYTE(~src[b]));
        } else if (bits == 8) {
            for (LONG x = 0; x < h.Width; ++x) SET_DATA_BYTE(line, x, src[x]);
        } else {
            for (LONG x = 0; x < h.Width; ++x)
                composeRGBPixel(src[3 * x], src[3 * x + 1], src[3 * x + 2], line + x);
        }
    }
    if (bits == 1) pixSetPadBits(pix.get(), 0);
    return pix;
}

// Replaces the page's header and bits by the picture of `pix`.
bool FromPix(PIX* pix, IL_IMAGE& page) {
    const int depth = pixGetDepth(pix);
    const int bits = depth == 32 ? 24 : depth;
    const LONG width = pixGetWidth(pix), height = pixGetHeight(pix);
    const DWORD rowBytes = bits == 1 ? RowBytes(width, 1) : (DWORD(width) * DWORD(bits / 8) + 3u) & ~3u;
    auto* header = new (std::nothrow) IL_IMAGEHEADER{};
    auto* out = static_cast<BYTE*>(std::calloc(std::size_t(rowBytes) * std::size_t(height), 1));
    if (!header || !out) {
        delete header;
        std::free(out);
        return false;
    }
    const l_uint32* data = pixGetData(pix);
    const l_int32 wpl = pixGetWpl(pix);
    for (LONG y = 0; y < height; ++y) {
        BYTE* dst = out + std::size_t(y) * rowBytes;
        const l_uint32* line = data + std::size_t(y) * std::size_t(wpl);
        if (bits == 1) {
            const DWORD used = (DWORD(width) + 7) / 8;
            for (DWORD b = 0; b < used; ++b) dst[b] = BYTE(~GET_DATA_BYTE(line, b));
            // Bits beyond the page are white, as the scanner's own pages have them.
            if (width % 8) dst[used - 1] |= BYTE(0xFF >> (width % 8));
            std::memset(dst + used, 0xFF, rowBytes - used);
        } else if (bits == 8) {
            for (LONG x = 0; x < width; ++x) dst[x] = BYTE(GET_DATA_BYTE(line, x));
        } else {
            for (LONG x = 0; x < width; ++x) {
                l_int32 r, g, b;
                extractRGBValues(line[x], &r, &g, &b);
                dst[3 * x] = BYTE(r);
                dst[3 * x + 1] = BYTE(g);
                dst[3 * x + 2] = BYTE(b);
            }
        }
    }
    *header = *page.Header;
    header->Width = width;
    header->Height = height;
    header->BytesPerLine = rowBytes;
    header->BitsPerPixel = WORD(bits);
    delete page.Header;
    std::free(page.Bits);
    page.Header = header;
    page.Bits = out;
    return true;
}

Pix Grey(PIX* pix) {
    if (pixGetDepth(pix) == 8) return Pix(pixClone(pix));
    if (pixGetDepth(pix) == 32) return Pix(pixConvertRGBToLuminance(pix));
    return Pix(pixConvert1To8(nullptr, pix, 255, 0));
}

// 1 where the page is darker than `below` (for a 1-bit page: its black).
Pix DarkMask(PIX* pix, int below) {
    if (pixGetDepth(pix) == 1) return Pix(pixClone(pix));
    Pix grey = Grey(pix);
    return grey ? Pix(pixThresholdToBinary(grey.get(), below)) : nullptr;
}

// Paints the pixels of `mask` (1 bpp, placed at x, y) as white paper.
void PaintWhite(PIX* pix, PIX* mask, l_int32 x, l_int32 y) {
    const int depth = pixGetDepth(pix);
    const l_uint32 white = depth == 1 ? 0 : depth == 8 ? 255 : 0xFFFFFF00u;
    pixSetMaskedGeneral(pix, mask, white, x, y);
}

// Cuts away whole rows and columns of dark background around the paper.
Pix CropToPaper(PIX* pix) {
    Pix grey = Grey(pix);
    if (!grey) return nullptr;
    const l_int32 w = pixGetWidth(grey.get()), h = pixGetHeight(grey.get());
    const l_uint32* data = pixGetData(grey.get());
    const l_int32 wpl = pixGetWpl(grey.get());
    std::vector<double> rows(std::size_t(h), 0.0), cols(std::size_t(w), 0.0);
    for (l_int32 y = 0; y < h; ++y) {
        const l_uint32* line = data + std::size_t(y) * std::size_t(wpl);
        for (l_int32 x = 0; x < w; ++x) {
            const double v = GET_DATA_BYTE(line, x);
            rows[std::size_t(y)] += v;
            cols[std::size_t(x)] += v;
        }
    }
    auto dark = [](double sum, l_int32 n) { return sum / n < kBackground; };
    l_int32 top = 0, bottom = h - 1, left = 0, right = w - 1;
    while (top < bottom && dark(rows[std::size_t(top)], w)) ++top;
    while (bottom > top && dark(rows[std::size_t(bottom)], w)) --bottom;
    while (left < right && dark(cols[std::size_t(left)], h)) ++left;
    while (right > left && dark(cols[std::size_t(right)], h)) --right;
    if (top == 0 && left == 0 && bottom == h - 1 && right == w - 1) return Pix(pixClone(pix));
    // A page that is dark all over is no paper on background: kept whole.
    if (bottom - top < h / 8 || right - left < w / 8) return Pix(pixClone(pix));
    BOX* box = boxCreate(left, top, right - left + 1, bottom - top + 1);
    Pix cut(pixClipRectangle(pix, box, nullptr));
    boxDestroy(&box);
    return cut;
}

// The dark areas that reach the page's edge become paper.
void FillEdges(PIX* pix) {
    Pix dark = DarkMask(pix, kBackground);
    if (!dark) return;
    Pix border(pixExtractBorderConnComps(dark.get(), 8));
    if (border) PaintWhite(pix, border.get(), 0, 0);
}

// The pixel value of the colour chosen for the page's mode.
l_uint32 ModeColour(PIX* pix, DWORD color, DWORD gray, DWORD bw) {
    const int depth = pixGetDepth(pix);
    if (depth == 1) return bw ? 0 : 1;
    if (depth == 8) return gray & 0xFF;
    l_uint32 v = 0;
    composeRGBPixel(l_int32(color & 0xFF), l_int32((color >> 8) & 0xFF), l_int32((color >> 16) & 0xFF), &v);
    return v;
}

// The page's margins filled with the colour of its mode.
void FillMargins(PIX* pix, const EdgeMargins& m) {
    const double perUnit = double(std::max<l_int32>(pixGetXRes(pix), 50)) / (m.centimetres ? 2.54 : 1.0);
    const l_int32 w = pixGetWidth(pix), h = pixGetHeight(pix);
    auto pixels = [&](double size, l_int32 limit) { return std::clamp<l_int32>(l_int32(size * perUnit + 0.5), 0, limit); };
    const l_int32 top = pixels(m.top, h), bottom = pixels(m.bottom, h), left = pixels(m.left, w), right = pixels(m.right, w);
    const l_uint32 value = ModeColour(pix, m.color, m.gray, m.bw);
    const l_int32 boxes[4][4] = {{0, 0, w, top}, {0, h - bottom, w, bottom}, {0, 0, left, h}, {w - right, 0, right, h}};
    for (const auto& b : boxes) {
        if (b[2] <= 0 || b[3] <= 0) continue;
        BOX* box = boxCreate(b[0], b[1], b[2], b[3]);
        pixSetInRectArbitrary(pix, box, value);
        boxDestroy(&box);
    }
}

// The value a hole in the box (x, y, w, h) is filled with: the chosen colour
// of the page's mode, else the mean of the light pixels just around the box.
l_uint32 HoleValue(PIX* pix, l_int32 x, l_int32 y, l_int32 w, l_int32 h, const HoleFill& fill) {
    const int depth = pixGetDepth(pix);
    if (fill.custom) return ModeColour(pix, fill.color, fill.gray, fill.bw);
    if (depth == 1) return 0;
    double sum[3] = {0, 0, 0};
    int count = 0;
    const l_int32 pw = pixGetWidth(pix), ph = pixGetHeight(pix);
    for (l_int32 yy = y - 4; yy < y + h + 4; ++yy)
        for (l_int32 xx = x - 4; xx < x + w + 4; ++xx) {
            if (xx < 0 || yy < 0 || xx >= pw || yy >= ph || (xx >= x && xx < x + w && yy >= y && yy < y + h)) continue;
            l_uint32 v = 0;
            pixGetPixel(pix, xx, yy, &v);
            l_int32 r = l_int32(v), g = r, b = r;
            if (depth == 32) extractRGBValues(v, &r, &g, &b);
            if ((r + g + b) / 3 < kBackground) continue;
            sum[0] += r, sum[1] += g, sum[2] += b;
            ++count;
        }
    if (count == 0) return depth == 8 ? 255 : 0xFFFFFF00u;
    if (depth == 8) return l_uint32(sum[0] / count + 0.5);
    l_uint32 v = 0;
    composeRGBPixel(l_int32(sum[0] / count + 0.5), l_int32(sum[1] / count + 0.5), l_int32(sum[2] / count + 0.5), &v);
    return v;
}

// Round dark holes of 4 to 10 mm near an edge of the page are filled.
void FillPunchHoles(PIX* pix, const HoleFill& fill) {
    const l_int32 dpi = std::max<l_int32>(pixGetXRes(pix), 50);
    const double mm = dpi / 25.4;
    Pix dark = DarkMask(pix, kBackground);
    if (!dark) return;
    PIXA* parts = nullptr;
    std::unique_ptr<BOXA, BoxaFree> boxes(pixConnComp(dark.get(), &parts, 8));
    std::unique_ptr<PIXA, PixaFree> own(parts);
    if (!boxes || !parts) return;
    const l_int32 w = pixGetWidth(pix), h = pixGetHeight(pix);
    const l_int32 bandX = w * 15 / 100, bandY = h * 15 / 100;
    for (l_int32 i = 0; i < boxaGetCount(boxes.get()); ++i) {
        l_int32 x, y, bw, bh;
        boxaGetBoxGeometry(boxes.get(), i, &x, &y, &bw, &bh);
        if (bw < 4 * mm || bh < 4 * mm || bw > 10 * mm || bh > 10 * mm) continue;
        if (std::abs(bw - bh) * 4 > std::max(bw, bh)) continue;  // round, not a letter or a rule
        const bool nearEdge = x + bw <= bandX || x >= w - bandX || y + bh <= bandY || y >= h - bandY;
        if (!nearEdge) continue;
        Pix part(pixaGetPix(parts, i, L_CLONE));
        l_int32 count = 0;
        pixCountPixels(part.get(), &count, nullptr);
        const double filled = double(count) / (double(bw) * double(bh));
        if (filled < 0.65 || filled > 0.9) continue;  // a disc fills about 0.79 of its box
        pixSetMaskedGeneral(pix, part.get(), HoleValue(pix, x, y, bw, bh, fill), x, y);
    }
}

// The share of ink inside the page, its outer twentieth on each side left
// out, in ten-thousandths.
double InkShare(PIX* pix) {
    Pix ink = DarkMask(pix, kInk);
    if (!ink) return 1e9;
    const l_int32 w = pixGetWidth(ink.get()), h = pixGetHeight(ink.get());
    const l_int32 mx = w / 20, my = h / 20;
    BOX* inside = boxCreate(mx, my, std::max(1, w - 2 * mx), std::max(1, h - 2 * my));
    l_int32 count = 0;
    pixCountPixelsInRect(ink.get(), inside, &count, nullptr);
    boxDestroy(&inside);
    return 10000.0 * count / (double(std::max(1, w - 2 * mx)) * double(std::max(1, h - 2 * my)));
}

Pix Straighten(PIX* pix) {
    Pix lines = DarkMask(pix, kInk);
    float angle = 0, confidence = 0;
    if (!lines || pixFindSkew(lines.get(), &angle, &confidence) != 0 || confidence < kLeastConfidence ||
        std::fabs(angle) < kLeastTilt)
        return Pix(pixClone(pix));
    const int how = pixGetDepth(pix) == 1 ? L_ROTATE_SAMPLING : L_ROTATE_AREA_MAP;
    return Pix(pixRotate(pix, float(angle * M_PI / 180.0), how, L_BRING_IN_WHITE, 0, 0));
}

// Quarter turns clockwise from a rotation setting: 1, 2, 3 or 90, 180, 270.
int QuarterTurns(LONG rotation) {
    if (rotation >= 1 && rotation <= 3) return int(rotation);
    if (rotation % 90 == 0) return int(((rotation / 90) % 4 + 4) % 4);
    return 0;
}

LONG BlankThreshold(const SCAN_SETTINGS& s, int bits) {
    if (bits == 1) return s.BlankThreshold[2];
    return bits == 8 ? s.BlankThreshold[1] : s.BlankThreshold[0];
}

}  // namespace

bool CleanupWanted(const SCAN_SETTINGS& s, int bitsPerPixel, const PageFills& fills) {
    return fills.margins.enable || s.AutoCrop || s.EdgeFill || s.RemoveBlankPage || s.AutoDeskew || QuarterTurns(s.RotateFront) ||
           QuarterTurns(s.RotateRear) || (s.Mode == 2 && bitsPerPixel != 1);
}

PageFate CleanPage(IL_IMAGE& page, const SCAN_SETTINGS& s, bool rear, const PageFills& fills) {
    if (!page.Header || !page.Bits) return PageFate::Failed;
    const int bits = page.Header->BitsPerPixel;
    if (bits != 1 && bits != 8 && bits != 24) return PageFate::Failed;
    if (!CleanupWanted(s, bits, fills)) return PageFate::Keep;
    Pix pix = ToPix(page);
    if (!pix) return PageFate::Failed;
    if (s.AutoCrop && !(pix = CropToPaper(pix.get()))) return PageFate::Failed;
    if (s.EdgeFill) {
        FillEdges(pix.get());
        FillPunchHoles(pix.get(), fills.holes);
    }
    if (fills.margins.enable) FillMargins(pix.get(), fills.margins);
    if (s.RemoveBlankPage && InkShare(pix.get()) <= double(BlankThreshold(s, bits))) return PageFate::Blank;
    if (s.AutoDeskew && !(pix = Straighten(pix.get()))) return PageFate::Failed;
    if (const int turns = QuarterTurns(rear ? s.RotateRear : s.RotateFront); turns != 0)
        if (!(pix = Pix(pixRotateOrth(pix.get(), turns)))) return PageFate::Failed;
    if (s.Mode == 2 && pixGetDepth(pix.get()) != 1) {
        const int threshold = s.Threshold > 0 && s.Threshold < 256 ? int(s.Threshold) : kInk;
        if (!(pix = DarkMask(pix.get(), threshold))) return PageFate::Failed;
    }
    return FromPix(pix.get(), page) ? PageFate::Keep : PageFate::Failed;
}

}  // namespace scan
