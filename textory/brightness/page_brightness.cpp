#include "textory/brightness/page_brightness.h"

#include <algorithm>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/otsu_threshold.h"
#include "imaging/page_image.h"

namespace textory {

bool TakesBrightness(const CPageImage* page) { return page && page->m_nBitCount == 8 && page->m_hDib; }

int StartingBrightness(const PageBrightness& state, const CPageImage& page) {
    if (!TakesBrightness(&page)) return -1;
    if (state.value >= 0) return std::min(state.value, 255);
    if (state.lastThreshold >= 0) return std::min(state.lastThreshold, 255);
    CBlockLock lock(page.m_hDib);
    DibLayout layout;
    if (!lock || !DescribeDib(lock.get(), lock.size(), layout) || layout.bitCount != 8) return -1;
    const int width = std::min(page.m_nWidth, layout.width), height = std::min(page.m_nHeight, layout.height);
    DWORD hist[256] = {};
    for (int y = 0; y < height; ++y) {
        const BYTE* row = layout.Row(y);
        for (int x = 0; x < width; ++x) ++hist[row[x]];
    }
    return BetweenClassThreshold(hist, 0, 255);
}

bool ApplyBrightness(PageBrightness& state, CPageImage& page, bool final, int value, const RECT& visible) {
    if (!TakesBrightness(&page)) return false;
    value = std::clamp(value, 0, 255);
    state.value = value;
    const int used = final ? page.BinarizeGray(value)
                           : page.BinarizeGrayRect(visible.left, visible.top, visible.right, visible.bottom, value);
    if (used != -1) state.lastThreshold = used;
    return true;
}

}  // namespace textory
