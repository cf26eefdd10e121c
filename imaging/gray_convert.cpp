#include "imaging/gray_convert.h"

#include <cstdlib>
#include <cstring>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/otsu_threshold.h"

BYTE GrayOfPixel(const BYTE* pBgr) {
    const int b = pBgr[0], g = pBgr[1], r = pBgr[2];
    if (b > 165 && g > 165 && r > 165 && std::abs(b - g) < 45 && std::abs(g - r) < 45 && std::abs(b - r) < 45) return 255;
    if (r > g && r > b) return static_cast<BYTE>(r);
    if (b > g && b > r) return 0;
    return static_cast<BYTE>(g);
}

namespace {

// The grey bitmap of a colour one, in a new block, and its threshold; NULL
// for an unsupported bitmap or when memory fails.
HDIB buildGrey(HDIB hDib, int* pThreshold) {
    CBlockLock src(hDib);
    DibLayout dib;
    if (!src || !DescribeDib(src.get(), src.size(), dib)) return nullptr;
    if (!(dib.bitCount == 24 || (dib.bitCount == 8 && dib.colorCount == 256))) return nullptr;
    const DWORD stride = WIDTHBYTES(static_cast<DWORD>(dib.width) * 8);
    const std::size_t rows = static_cast<std::size_t>(stride) * dib.height;
    HDIB grey = AllocImageBlock(GHND, 40 + 1024 + rows);
    if (!grey) return nullptr;
    BYTE* out = static_cast<BYTE*>(GlobalLock(grey));
    BITMAPINFOHEADER header = *dib.header;
    header.biSize = 40;
    header.biBitCount = 8;
    header.biPlanes = 1;
    header.biCompression = BI_RGB;
    header.biClrUsed = 256;
    header.biClrImportant = 0;
    header.biSizeImage = static_cast<DWORD>(rows);
    std::memcpy(out, &header, 40);
    auto* table = reinterpret_cast<RGBQUAD*>(out + 40);
    for (int i = 0; i < 256; ++i) table[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};

    // For 8 bits, the grey of each colour-table entry.
    BYTE entryGrey[256] = {};
    if (dib.bitCount == 8)
        for (int i = 0; i < 256; ++i) {
            const BYTE bgr[3] = {dib.colors[i].rgbBlue, dib.colors[i].rgbGreen, dib.colors[i].rgbRed};
            entryGrey[i] = GrayOfPixel(bgr);
        }
    DWORD hist[256] = {};
    for (int y = 0; y < dib.height; ++y) {
        const BYTE* in = dib.bits + static_cast<std::size_t>(y) * dib.stride;
        BYTE* o = out + 40 + 1024 + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < dib.width; ++x) {
            o[x] = dib.bitCount == 8 ? entryGrey[in[x]] : GrayOfPixel(in + 3 * x);
            ++hist[o[x]];
        }
    }
    GlobalUnlock(grey);
    *pThreshold = OtsuThreshold(hist, static_cast<DWORD>(dib.width) * static_cast<DWORD>(dib.height));
    return grey;
}

}  // namespace

int ConvertDibToGray(HDIB* phDib) {
    if (!phDib || !*phDib) return -1;
    int threshold = -1;
    HDIB grey = buildGrey(*phDib, &threshold);
    if (!grey) return -1;
    GlobalFree(*phDib);
    *phDib = grey;
    return threshold;
}
