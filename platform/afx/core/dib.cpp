#include <cstring>
#include <limits>

#include "platform/afx/core/dib_qt.h"

namespace {

DWORD Get32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}
WORD Get16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

void Put32(std::vector<BYTE>& v, size_t at, DWORD x) {
    for (int i = 0; i < 4; ++i) v[at + static_cast<size_t>(i)] = static_cast<BYTE>(x >> (8 * i));
}
void Put16(std::vector<BYTE>& v, size_t at, WORD x) {
    v[at] = static_cast<BYTE>(x);
    v[at + 1] = static_cast<BYTE>(x >> 8);
}

int MaskShift(DWORD mask) {
    int s = 0;
    while (mask && !(mask & 1u)) {
        mask >>= 1;
        ++s;
    }
    return s;
}
int MaskBits(DWORD mask) {
    mask >>= MaskShift(mask);
    int n = 0;
    while (mask & 1u) {
        mask >>= 1;
        ++n;
    }
    return n;
}
// A channel scaled to 8 bits.
int Channel(DWORD pixel, DWORD mask) {
    if (!mask) return 0;
    int bits = MaskBits(mask);
    DWORD v = (pixel & mask) >> MaskShift(mask);
    if (bits >= 8) return static_cast<int>(v >> (bits - 8));
    DWORD max = (1u << bits) - 1u;
    return static_cast<int>((v * 255u + max / 2) / max);
}

}  // namespace

bool AfxDibLayoutOf(const void* packed, size_t size, AfxDibLayout& out) {
    out = AfxDibLayout();
    const auto* p = static_cast<const BYTE*>(packed);
    if (!p || size < 40) return false;
    DWORD headerSize = Get32(p);
    if (headerSize < 40 || headerSize > size) return false;
    LONG width = static_cast<LONG>(Get32(p + 4));
    LONG height = static_cast<LONG>(Get32(p + 8));
    WORD bitCount = Get16(p + 14);
    DWORD compression = Get32(p + 16);
    DWORD clrUsed = Get32(p + 32);
    if (width <= 0 || height == 0 || height == std::numeric_limits<LONG>::min()) return false;
    if (width > 1 << 20 || height > 1 << 20 || height < -(1 << 20)) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return false;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bitCount == 16 || bitCount == 32))) return false;
    out.width = width;
    out.topDown = height < 0;
    out.height = height < 0 ? -height : height;
    out.bitCount = bitCount;
    out.compression = compression;
    out.headerSize = headerSize;
    size_t offset = headerSize;
    if (bitCount <= 8) {
        DWORD maxEntries = 1u << bitCount;
        out.paletteEntries = (clrUsed == 0 || clrUsed > maxEntries) ? maxEntries : clrUsed;
        offset += static_cast<size_t>(out.paletteEntries) * 4;
    } else if (compression == BI_BITFIELDS) {
        if (headerSize == 40) {
            if (size < offset + 12) return false;
            for (int i = 0; i < 3; ++i) out.masks[i] = Get32(p + offset + 4 * static_cast<size_t>(i));
            offset += 12;
        } else if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i) out.masks[i] = Get32(p + 40 + 4 * static_cast<size_t>(i));
        } else {
            // Longer than the basic header but too short to hold the masks: no known layout.
            return false;
        }
    } else if (bitCount == 16) {
        out.masks[0] = 0x7C00;
        out.masks[1] = 0x03E0;
        out.masks[2] = 0x001F;
    } else if (bitCount == 32) {
        out.masks[0] = 0xFF0000;
        out.masks[1] = 0x00FF00;
        out.masks[2] = 0x0000FF;
    }
    out.bitsOffset = offset;
    out.stride = WIDTHBYTES(static_cast<DWORD>(width) * bitCount);
    if (offset > size) return false;
    if ((size - offset) / out.stride < static_cast<size_t>(out.height)) return false;
    return true;
}

QImage AfxDibToImage(const void* packed, size_t size) {
    AfxDibLayout d;
    if (!AfxDibLayoutOf(packed, size, d)) return QImage();
    const auto* p = static_cast<const BYTE*>(packed);
    const BYTE* bits = p + d.bitsOffset;
    if (d.bitCount <= 8) {
        QImage img(d.width, d.height, QImage::Format_Indexed8);
        if (img.isNull()) return img;
        QList<QRgb> table;
        for (DWORD i = 0; i < d.paletteEntries; ++i) {
            const BYTE* q = p + d.headerSize + 4 * i;
            table.push_back(qRgb(q[2], q[1], q[0]));
        }
        img.setColorTable(table);
        const int perByte = 8 / d.bitCount;
        const int mask = (1 << d.bitCount) - 1;
        for (LONG y = 0; y < d.height; ++y) {
            const BYTE* row = bits + d.stride * static_cast<size_t>(d.topDown ? y : d.height - 1 - y);
            uchar* dst = img.scanLine(y);
            for (LONG x = 0; x < d.width; ++x) {
                int v;
                if (d.bitCount == 8) {
                    v = row[x];
                } else {
                    int shift = 8 - d.bitCount * (1 + static_cast<int>(x % perByte));
                    v = (row[x / perByte] >> shift) & mask;
                }
                // An index past the palette shows as its first colour.
                dst[x] = static_cast<uchar>(static_cast<DWORD>(v) < d.paletteEntries ? v : 0);
            }
        }
        return img;
    }
    QImage img(d.width, d.height, QImage::Format_RGB32);
    if (img.isNull()) return img;
    for (LONG y = 0; y < d.height; ++y) {
        const BYTE* row = bits + d.stride * static_cast<size_t>(d.topDown ? y : d.height - 1 - y);
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (LONG x = 0; x < d.width; ++x) {
            if (d.bitCount == 24) {
                const BYTE* q = row + 3 * x;
                dst[x] = qRgb(q[2], q[1], q[0]);
            } else {
                DWORD pix = d.bitCount == 16 ? Get16(row + 2 * x) : Get32(row + 4 * x);
                dst[x] = qRgb(Channel(pix, d.masks[0]), Channel(pix, d.masks[1]), Channel(pix, d.masks[2]));
            }
        }
    }
    return img;
}

std::vector<BYTE> AfxImageToDib(const QImage& source, int bitCount) {
    if (source.isNull()) return {};
    QImage image = source;
    if (bitCount == 0) {
        if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
            image.format() == QImage::Format_MonoLSB) {
            int n = image.colorCount();
            bitCount = n <= 2 ? 1 : n <= 16 ? 4 : 8;
        } else if (image.format() == QImage::Format_Grayscale8) {
            bitCount = 8;
        } else {
            bitCount = 24;
        }
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return {};
    QList<QRgb> palette;
    if (bitCount <= 8) {
        int maxColours = 1 << bitCount;
        if (image.format() == QImage::Format_Grayscale8 && bitCount == 8) {
            for (int i = 0; i < 256; ++i) palette.push_back(qRgb(i, i, i));
            image = image.convertToFormat(QImage::Format_Indexed8, palette);
        } else if ((image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
                    image.format() == QImage::Format_MonoLSB) &&
                   image.colorCount() <= maxColours) {
            image = image.convertToFormat(QImage::Format_Indexed8);
            palette = image.colorTable();
        } else if (bitCount == 1) {
            palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
            image = image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
        } else {
            image = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
            palette = image.colorTable();
            if (palette.size() > maxColours) {
                image = image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8,
                                                                                       palette.mid(0, maxColours));
                palette = image.colorTable();
            }
        }
    } else {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    const DWORD w = static_cast<DWORD>(image.width());
    const DWORD h = static_cast<DWORD>(image.height());
    const size_t stride = WIDTHBYTES(w * static_cast<DWORD>(bitCount));
    const size_t paletteBytes = static_cast<size_t>(palette.size()) * 4;
    std::vector<BYTE> dib(40 + paletteBytes + stride * h, 0);
    Put32(dib, 0, 40);
    Put32(dib, 4, w);
    Put32(dib, 8, h);
    Put16(dib, 12, 1);
    Put16(dib, 14, static_cast<WORD>(bitCount));
    Put32(dib, 16, BI_RGB);
    Put32(dib, 20, static_cast<DWORD>(stride * h));
    Put32(dib, 24, 3780);  // 96 dots an inch
    Put32(dib, 28, 3780);
    Put32(dib, 32, static_cast<DWORD>(palette.size()));
    for (qsizetype i = 0; i < palette.size(); ++i) {
        size_t at = 40 + 4 * static_cast<size_t>(i);
        dib[at] = static_cast<BYTE>(qBlue(palette[i]));
        dib[at + 1] = static_cast<BYTE>(qGreen(palette[i]));
        dib[at + 2] = static_cast<BYTE>(qRed(palette[i]));
    }
    BYTE* bits = dib.data() + 40 + paletteBytes;
    for (DWORD y = 0; y < h; ++y) {
        BYTE* row = bits + stride * (h - 1 - y);
        const uchar* src = image.constScanLine(static_cast<int>(y));
        if (bitCount == 24) {
            const auto* px = reinterpret_cast<const QRgb*>(src);
            for (DWORD x = 0; x < w; ++x) {
                row[3 * x] = static_cast<BYTE>(qBlue(px[x]));
                row[3 * x + 1] = static_cast<BYTE>(qGreen(px[x]));
                row[3 * x + 2] = static_cast<BYTE>(qRed(px[x]));
            }
        } else {
            const int perByte = 8 / bitCount;
            for (DWORD x = 0; x < w; ++x) {
                int shift = 8 - bitCount * (1 + static_cast<int>(x % static_cast<DWORD>(perByte)));
                row[x / static_cast<DWORD>(perByte)] |= static_cast<BYTE>(src[x] << shift);
            }
        }
    }
    return dib;
}
