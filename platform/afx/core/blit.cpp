// Block transfers with ternary raster operations, stretching, and DIB drawing.
#include <QImage>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/afx/core/dib_qt.h"
#include "platform/afx/core/drawdib.h"
#include "platform/afx/core/gdi_internal.h"

using namespace afxgdi;

namespace {

struct Source {
    const QImage* image = nullptr;  // RGB32
    bool mono = false;              // a monochrome bitmap: takes the target's text and background colours
    bool realColours = false;       // a DIB: its own colours, whatever the target
    QRgb bkColor = 0;               // the source DC's background colour (colour-to-mono conversion)
};

bool UsesSource(BYTE code) { return ((code >> 2) ^ code) & 0x33; }
bool UsesPattern(BYTE code) { return ((code >> 4) ^ code) & 0x0F; }

const QRgb kWhite = 0xFFFFFFFFu;
const QRgb kBlack = 0xFF000000u;

// Combines the source pixels of one block as the stretch mode says.
QRgb Combine(const QImage& img, int x0, int x1, int y0, int y1, int mode) {
    if (mode == COLORONCOLOR) return img.pixel((x0 + x1 - 1) / 2, (y0 + y1 - 1) / 2) | kBlack;
    DWORD acc = mode == BLACKONWHITE ? 0xFFFFFFu : 0;
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = y0; y < y1; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = x0; x < x1; ++x) {
            QRgb c = row[x];
            if (mode == BLACKONWHITE) acc &= c;
            else if (mode == WHITEONBLACK) acc |= c;
            else {
                r += qRed(c);
                g += qGreen(c);
                b += qBlue(c);
                ++n;
            }
        }
    }
    if (mode == HALFTONE) return n ? qRgb(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)) : kBlack;
    return (acc & 0xFFFFFFu) | kBlack;
}

// The general transfer: destination rectangle in image pixels of `dc`, source
// rectangle in source pixels; negative extents mirror.
bool Transfer(DC* dc, int dx, int dy, int dw, int dh, const Source* src, int sx, int sy, int sw, int sh, DWORD rop,
              int stretchMode) {
    QImage* target = Target(dc);
    const BYTE code = static_cast<BYTE>((rop >> 16) & 0xFF);
    const bool needSource = UsesSource(code);
    if (needSource && (!src || !src->image)) return false;
    if (!target) return true;  // nothing to draw on
    bool flipX = false, flipY = false;
    if (dw < 0) { dx += dw + 1; dw = -dw; flipX = !flipX; }
    if (dh < 0) { dy += dh + 1; dh = -dh; flipY = !flipY; }
    if (needSource) {
        if (sw < 0) { sx += sw + 1; sw = -sw; flipX = !flipX; }
        if (sh < 0) { sy += sh + 1; sh = -sh; flipY = !flipY; }
        if (sw == 0 || sh == 0) return true;
    }
    if (dw == 0 || dh == 0) return true;

    Bitmap* depth = TargetBitmap(dc);
    const bool targetMono = depth && depth->bpp == 1;
    Brush* brush = UsesPattern(code) ? AsBrush(dc->s.brush) : nullptr;
    const QRgb text = ToRgb(dc->s.textColor), back = ToRgb(dc->s.bkColor);

    // The source is read from a copy when it is the destination itself.
    QImage sourceCopy;
    const QImage* simg = needSource ? src->image : nullptr;
    if (simg && simg == target) {
        sourceCopy = target->copy();
        simg = &sourceCopy;
    }
    const QRect sourceBounds = simg ? simg->rect() : QRect();
    const bool stretched = needSource && (sw != dw || sh != dh);

    QRegion where = DrawableRegion(dc) & QRect(dx, dy, dw, dh);
    // A plain copy between colour surfaces (every paint of a window through
    // its memory bitmap) takes whole rows, not a raster operation per pixel.
    if (code == 0xCC && !stretched && !flipX && !flipY && !src->mono && !targetMono &&
        (!depth || depth->bpp >= 24)) {
        for (const QRect& r : where) {
            // Only the columns and rows that the source holds are copied.
            const int left = std::max(r.left(), dx + sourceBounds.left() - sx);
            const int right = std::min(r.right(), dx + sourceBounds.right() - sx);
            for (int y = r.top(); y <= r.bottom() && left <= right; ++y) {
                const int from = sy + (y - dy);
                if (from < sourceBounds.top() || from > sourceBounds.bottom()) continue;
                auto* row = reinterpret_cast<QRgb*>(target->scanLine(y));
                const auto* in = reinterpret_cast<const QRgb*>(simg->constScanLine(from));
                const int shift = sx - dx;
                for (int x = left; x <= right; ++x) row[x] = in[x + shift] | kBlack;
            }
        }
        return true;
    }
    for (const QRect& r : where) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(target->scanLine(y));
            int v = flipY ? dh - 1 - (y - dy) : y - dy;
            int sy0 = 0, sy1 = 0;
            if (needSource) {
                if (!stretched) {
                    sy0 = sy + v;
                    sy1 = sy0 + 1;
                } else {
                    sy0 = sy + static_cast<int>(static_cast<long long>(v) * sh / dh);
                    sy1 = sy + static_cast<int>(static_cast<long long>(v + 1) * sh / dh);
                    if (sy1 <= sy0) sy0 = sy + static_cast<int>((2LL * v + 1) * sh / (2LL * dh)), sy1 = sy0 + 1;
                }
                if (sy0 < sourceBounds.top() || sy1 - 1 > sourceBounds.bottom()) continue;
            }
            for (int x = r.left(); x <= r.right(); ++x) {
                QRgb S = 0, P = 0;
                if (needSource) {
                    int u = flipX ? dw - 1 - (x - dx) : x - dx;
                    int sx0, sx1;
                    if (!stretched) {
                        sx0 = sx + u;
                        sx1 = sx0 + 1;
                    } else {
                        sx0 = sx + static_cast<int>(static_cast<long long>(u) * sw / dw);
                        sx1 = sx + static_cast<int>(static_cast<long long>(u + 1) * sw / dw);
                        if (sx1 <= sx0) sx0 = sx + static_cast<int>((2LL * u + 1) * sw / (2LL * dw)), sx1 = sx0 + 1;
                    }
                    if (sx0 < sourceBounds.left() || sx1 - 1 > sourceBounds.right()) continue;
                    S = (sx1 - sx0 == 1 && sy1 - sy0 == 1)
                            ? (reinterpret_cast<const QRgb*>(simg->constScanLine(sy0))[sx0] | kBlack)
                            // (halftoning a monochrome source ANDs: averages would lose thin strokes)
                            : Combine(*simg, sx0, sx1, sy0, sy1,
                                      src->mono && stretchMode == HALFTONE ? BLACKONWHITE : stretchMode);
                    if (src->realColours) {
                        S = MapToDepth(depth, S);
                    } else if (src->mono && !targetMono) {
                        S = (S & 0xFFFFFF) ? back : text;  // white bits take the background, black the text colour
                    } else if (!src->mono && targetMono) {
                        S = ((S & 0xFFFFFF) == (src->bkColor & 0xFFFFFF)) ? kWhite : kBlack;
                    }
                }
                if (brush && !BrushPixel(dc, brush, x, y, P)) P = 0;
                QRgb D = row[x] | kBlack;
                row[x] = MapToDepth(depth, Rop3(code, P, S, D));
            }
        }
    }
    return true;
}

bool SourceOf(HDC h, Source& out) {
    DC* dc = AsDC(h);
    if (!dc) return false;
    out.image = Target(dc);
    Bitmap* b = TargetBitmap(dc);
    out.mono = b && b->bpp == 1;
    out.bkColor = ToRgb(dc->s.bkColor);
    return out.image != nullptr;
}

// Bytes of a DIB header with its palette (or bit masks); 0 for a bad header.
size_t HeaderBytes(const BITMAPINFOHEADER* h) {
    if (!h || h->biSize < 40 || h->biSize > 4096) return 0;
    size_t palette = 0;
    if (h->biBitCount <= 8) {
        DWORD max = 1u << h->biBitCount;
        palette = (h->biClrUsed && h->biClrUsed <= max ? h->biClrUsed : max) * 4;
    } else if (h->biCompression == BI_BITFIELDS && h->biSize == 40) {
        palette = 12;
    }
    return h->biSize + palette;
}

// The rows of a DIB that a source band needs, as an image: a page drawn
// scrolled shows a few hundred of its thousands of rows, and only those are
// converted at each paint.
struct DibBand {
    bool valid = false;  // false for a malformed DIB
    QImage image;        // RGB32; null when the band misses the DIB
    int top = 0;         // the DIB row (from the top) of the image's first row
};

// Rows `sy` .. of the band of height `sh` (negative: the rows above `sy`, as
// the transfers read them), counted from the DIB's top.
DibBand DecodeBand(const BITMAPINFOHEADER* h, const void* bits, int sy, int sh) {
    DibBand band;
    const size_t head = HeaderBytes(h);
    if (!head || h->biBitCount == 0 || h->biBitCount > 32 || h->biWidth <= 0 || h->biWidth > (1 << 20) ||
        h->biHeight == 0 || h->biHeight > (1 << 20) || h->biHeight < -(1 << 20)) {
        return band;
    }
    band.valid = true;
    const bool bottomUp = h->biHeight > 0;
    const long long height = bottomUp ? h->biHeight : -static_cast<long long>(h->biHeight);
    long long first = sh < 0 ? static_cast<long long>(sy) + sh + 1 : sy;
    long long last = first + (sh < 0 ? -static_cast<long long>(sh) : sh);  // one past
    first = std::max(first, 0LL);
    last = std::min(last, height);
    if (first >= last) return band;
    const size_t stride = WIDTHBYTES(static_cast<DWORD>(h->biWidth) * h->biBitCount);
    const size_t rows = static_cast<size_t>(last - first);
    // Rows lie in memory bottom row first in a bottom-up DIB.
    const size_t firstInMemory = static_cast<size_t>(bottomUp ? height - last : first);
    const BYTE* rowsStart = bits ? static_cast<const BYTE*>(bits) : reinterpret_cast<const BYTE*>(h) + head;
    if (h->biBitCount == 8 && h->biCompression == BI_RGB) {
        // Grey scans, most of the pages drawn: their rows go through the
        // palette straight into the band, without copies on the way. An
        // index past the palette shows as its first colour.
        const DWORD entries = h->biClrUsed && h->biClrUsed <= 256 ? h->biClrUsed : 256;
        const BYTE* palette = reinterpret_cast<const BYTE*>(h) + h->biSize;
        QRgb colours[256];
        for (DWORD i = 0; i < 256; ++i) {
            const BYTE* q = palette + 4 * (i < entries ? i : 0);
            colours[i] = qRgb(q[2], q[1], q[0]);
        }
        QImage image(h->biWidth, static_cast<int>(rows), QImage::Format_RGB32);
        if (image.isNull()) {
            band.valid = false;
            return band;
        }
        for (size_t r = 0; r < rows; ++r) {
            const size_t inMemory = bottomUp ? firstInMemory + rows - 1 - r : firstInMemory + r;
            const BYTE* in = rowsStart + stride * inMemory;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(r)));
            for (LONG x = 0; x < h->biWidth; ++x) out[x] = colours[in[x]];
        }
        band.image = std::move(image);
        band.top = static_cast<int>(first);
        return band;
    }
    std::vector<BYTE> packed(head + stride * rows);
    std::memcpy(packed.data(), h, head);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(packed.data());
    header->biHeight = bottomUp ? static_cast<LONG>(rows) : -static_cast<LONG>(rows);
    header->biSizeImage = 0;
    std::memcpy(packed.data() + head, rowsStart + stride * firstInMemory, stride * rows);
    band.image = AfxDibToImage(packed.data(), packed.size());
    if (band.image.isNull()) {
        band.valid = false;
        return band;
    }
    band.image = band.image.convertToFormat(QImage::Format_RGB32);
    band.top = static_cast<int>(first);
    return band;
}

}  // namespace

BOOL PatBlt(HDC h, int x, int y, int width, int height, DWORD rop) {
    DC* dc = AsDC(h);
    if (!dc) return FALSE;
    QPoint p = ToImage(dc, x, y);
    return Transfer(dc, p.x(), p.y(), width, height, nullptr, 0, 0, 0, 0, rop, dc->s.stretchMode);
}

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    return StretchBlt(dst, x, y, width, height, src, srcX, srcY, width, height, rop);
}

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth, int srcHeight,
                DWORD rop) {
    DC* dc = AsDC(dst);
    if (!dc) return FALSE;
    QPoint p = ToImage(dc, x, y);
    Source s;
    const Source* sp = nullptr;
    QPoint sp0;
    if (UsesSource(static_cast<BYTE>((rop >> 16) & 0xFF))) {
        if (!SourceOf(src, s)) return FALSE;
        sp = &s;
        sp0 = ToImage(AsDC(src), srcX, srcY);
    }
    return Transfer(dc, p.x(), p.y(), width, height, sp, sp0.x(), sp0.y(), srcWidth, srcHeight, rop, dc->s.stretchMode);
}

int StretchDIBits(HDC h, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
    DC* dc = AsDC(h);
    if (!dc || !info || !bits || usage != DIB_RGB_COLORS) return 0;
    // Source y counts from the bottom row of a bottom-up DIB.
    const LONG dibHeight = info->bmiHeader.biHeight;
    const int top = dibHeight > 0 ? static_cast<int>(dibHeight) - (srcY + srcHeight) : srcY;
    DibBand band = DecodeBand(&info->bmiHeader, bits, top, srcHeight);
    if (!band.valid) return 0;
    const int lines = srcHeight < 0 ? -srcHeight : srcHeight;
    if (band.image.isNull()) return lines;  // no row of the DIB falls in the source rectangle
    Source s;
    s.image = &band.image;
    s.realColours = true;
    QPoint p = ToImage(dc, x, y);
    if (!Transfer(dc, p.x(), p.y(), width, height, &s, srcX, top - band.top, srcWidth, srcHeight, rop,
                  dc->s.stretchMode)) {
        return 0;
    }
    return lines;
}

int SetDIBitsToDevice(HDC h, int x, int y, DWORD width, DWORD height, int srcX, int srcY, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage) {
    DC* dc = AsDC(h);
    if (!dc || !info || !bits || usage != DIB_RGB_COLORS || scanLines == 0) return 0;
    // The rows given are scans startScan .. startScan + scanLines - 1 of the DIB.
    BITMAPINFOHEADER band = info->bmiHeader;
    const bool bottomUp = band.biHeight > 0;
    band.biHeight = bottomUp ? static_cast<LONG>(scanLines) : -static_cast<LONG>(scanLines);
    size_t headBytes = HeaderBytes(&info->bmiHeader);
    if (!headBytes) return 0;
    std::vector<BYTE> head(reinterpret_cast<const BYTE*>(info), reinterpret_cast<const BYTE*>(info) + headBytes);
    std::memcpy(head.data(), &band, sizeof band);
    DibBand rows = DecodeBand(reinterpret_cast<const BITMAPINFOHEADER*>(head.data()), bits, 0,
                              static_cast<int>(std::min<UINT>(scanLines, INT_MAX)));
    if (!rows.valid || rows.image.isNull()) return 0;
    Source s;
    s.image = &rows.image;
    s.realColours = true;
    const int fullHeight = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
    int copied = 0;
    for (DWORD row = 0; row < height; ++row) {
        // Destination row `row` shows DIB row (from the bottom for bottom-up DIBs):
        int dibRow = bottomUp ? srcY + static_cast<int>(height - 1 - row) : srcY + static_cast<int>(row);
        int inBand = dibRow - static_cast<int>(startScan);
        if (inBand < 0 || inBand >= static_cast<int>(scanLines) || dibRow >= fullHeight) continue;
        int imageRow = bottomUp ? static_cast<int>(scanLines) - 1 - inBand : inBand;
        QPoint p = ToImage(dc, x, y + static_cast<int>(row));
        Transfer(dc, p.x(), p.y(), static_cast<int>(width), 1, &s, srcX, imageRow, static_cast<int>(width), 1, SRCCOPY,
                 COLORONCOLOR);
        ++copied;
    }
    return copied;
}

// ---------------------------------------------------------------------------

struct HDRAWDIB__ {
    int unused = 0;
};

HDRAWDIB DrawDibOpen() { return new HDRAWDIB__; }

BOOL DrawDibClose(HDRAWDIB dd) {
    if (!dd) return FALSE;
    delete dd;
    return TRUE;
}

BOOL DrawDibDraw(HDRAWDIB dd, HDC h, int x, int y, int width, int height, const BITMAPINFOHEADER* header,
                 const void* bits, int srcX, int srcY, int srcWidth, int srcHeight, UINT flags) {
    DC* dc = AsDC(h);
    if (!dd || !dc || !header) return FALSE;
    if (flags & DDF_DONTDRAW) return TRUE;
    if (srcWidth < 0) srcWidth = static_cast<int>(std::clamp<long long>(static_cast<long long>(header->biWidth) - srcX, INT_MIN, INT_MAX));
    if (srcHeight < 0) {
        const long long rows = header->biHeight < 0 ? -static_cast<long long>(header->biHeight) : header->biHeight;
        srcHeight = static_cast<int>(std::clamp<long long>(rows - srcY, INT_MIN, INT_MAX));
    }
    if (width < 0) width = srcWidth;
    if (height < 0) height = srcHeight;
    DibBand band = DecodeBand(header, bits, srcY, srcHeight);
    if (!band.valid) return FALSE;
    if (band.image.isNull()) return TRUE;  // the source rectangle misses the picture
    Source s;
    s.image = &band.image;
    s.realColours = true;
    QPoint p = ToImage(dc, x, y);
    return Transfer(dc, p.x(), p.y(), width, height, &s, srcX, srcY - band.top, srcWidth, srcHeight, SRCCOPY,
                    (flags & DDF_HALFTONE) ? HALFTONE : COLORONCOLOR);
}
