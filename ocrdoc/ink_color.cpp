#include "ocrdoc/ink_color.h"

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "imaging/dib_layout.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/mono_bitmap.h"

BOOL GetPageInkColor(CPageImage& page, const RECT& rect, COLORREF* pColor) {
    if (!pColor) return FALSE;
    *pColor = 0;
    if (rect.left > rect.right || rect.top > rect.bottom) return FALSE;
    const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
    std::vector<BYTE> bits(static_cast<std::size_t>((w + 7) / 8) * h, 0), pixels(static_cast<std::size_t>(w) * h);
    if (!page.GetRectBits(rect, bits.data(), 0)) return FALSE;
    ExpandBitsToBytes(pixels.data(), bits.data(), w, h);

    std::unique_ptr<BYTE[]> dib(page.CopyRectToDib(rect));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.get());
    if (!dib || header->biBitCount != 24) {
        DocumentHost().MessageBox("It's not a color image", "", MB_OK);
        return FALSE;
    }
    DibLayout layout;
    if (!DescribeDib(dib.get(), 40 + std::size_t(WIDTHBYTES(static_cast<DWORD>(w * 24))) * h + 4 * DibColorCount(*header), layout))
        return FALSE;
    std::uint64_t sum[3] = {0, 0, 0}, n = 0;  // blue, green, red
    for (int y = 0; y < h; ++y) {
        const BYTE* p = layout.Row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            if (pixels[static_cast<std::size_t>(y) * w + x] != 0) continue;  // white in the plane
            for (int c = 0; c < 3; ++c) sum[c] += p[c];
            ++n;
        }
    }
    if (n == 0) return TRUE;
    const int blue = static_cast<int>(sum[0] / n), green = static_cast<int>(sum[1] / n), red = static_cast<int>(sum[2] / n);
    if (std::abs(red - green) > 29 || std::abs(red - blue) > 29 || std::abs(green - blue) > 29) {
        auto keep = [](int v) { return static_cast<BYTE>(v > 99 ? v : 0); };
        *pColor = RGB(keep(red), keep(green), keep(blue));
    }
    return TRUE;
}
