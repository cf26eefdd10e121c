#include "shell/batch/batch_preview.h"

#include <algorithm>
#include <cstring>

#include "imaging/image_block.h"
#include "ocrdoc/regions/layout_region.h"

namespace {

// Copies `count` bytes at `offset` of a block into `out`; nothing (and 0)
// when the block is shorter than that.
int ReadBlock(const BYTE* block, SIZE_T size, SIZE_T offset, BYTE* out, SIZE_T count) {
    if (!block || offset > size || count > size - offset) return 0;
    std::memcpy(out, block + offset, count);
    return static_cast<int>(count);
}

// Positive-area overlap, as the region intersection test of the document.
bool Overlaps(const CLayoutRegion& r, const RECT& visible) {
    return r.left < visible.right && r.right > visible.left && r.top < visible.bottom && r.bottom > visible.top;
}

}  // namespace

CBatchPreview::CBatchPreview() {
    m_nScreenWidth = std::max(1, GetSystemMetrics(SM_CXSCREEN));
    m_nScreenHeight = std::max(1, GetSystemMetrics(SM_CYSCREEN));
    m_pWork = std::make_unique<CBitmap>();
    if (!m_pWork->CreateBitmap(m_nScreenWidth, m_nScreenHeight, 1, 1, nullptr)) m_pWork.reset();
}

CBatchPreview::~CBatchPreview() {
    if (m_pReduced) m_pReduced->Empty();
}

WORD CBatchPreview::ChooseScale(int width, int height, int areaWidth, int areaHeight) {
    if (areaWidth <= 0 || areaHeight <= 0) return 8;
    int k = (width + areaWidth - 1) / areaWidth;
    const int k2 = height / areaHeight + 1;
    if (k2 > k) k = k2;
    if (k <= 1) return 256;
    if (k == 2) return 128;
    if (k <= 4) return 64;
    if (k <= 8) return 32;
    if (k <= 16) return 16;
    return 8;
}

int CBatchPreview::PenOf(int flags, bool current) {
    if (flags & 8) return current ? 28 : 23;
    if (flags & 4) return current ? 27 : 22;
    if (flags & 1) return current ? 29 : 24;
    if (flags & 2) return current ? 30 : 25;
    if (flags & 0x10) return current ? 33 : 32;
    return 0;
}

CBatchPreview::Build CBatchPreview::Prepare(int areaWidth, int areaHeight) {
    // An area without width or height shows no page (and divides by nothing).
    if (areaWidth <= 0 || areaHeight <= 0 || !HasPage()) return Build::kNoPage;
    m_nAreaWidth = areaWidth;
    m_nAreaHeight = areaHeight;
    m_wScale = ChooseScale(m_pPage->m_nWidth, m_pPage->m_nHeight, areaWidth, areaHeight);
    if (!Built()) {
        const Build built = BuildPreview();
        if (built != Build::kBuilt) return built;
    }
    m_nOffsetX = m_nDrawnWidth < areaWidth + 1 ? (areaWidth + 1 - m_nDrawnWidth) / 2 : 0;
    m_nOffsetY = m_nDrawnHeight < areaHeight + 1 ? (areaHeight + 1 - m_nDrawnHeight) / 2 : 0;
    return Build::kBuilt;
}

CBatchPreview::Build CBatchPreview::BuildPreview() {
    // The work block has the rows of the work bitmap, in the stride that
    // SetBitmapBits reads.
    const SIZE_T stride = static_cast<SIZE_T>(WorkRowBytes(m_nScreenWidth));
    CBlockOwner block(AllocImageBlock(GMEM_MOVEABLE | GMEM_ZEROINIT, stride * static_cast<SIZE_T>(m_nScreenHeight)));
    CBlockLock work(block.get());
    if (!work) return Build::kLockFailed;

    const CPageImage* source = m_pPage;
    if (m_wScale != 256) {
        if (!m_pReduced || m_wReducedScale != m_wScale) {
            if (m_pReduced) m_pReduced->Empty();
            m_pReduced = std::make_unique<CPageImage>();
            RECT whole{0, 0, m_pPage->m_nWidth, m_pPage->m_nHeight};
            if (!const_cast<CPageImage*>(m_pPage)->ShrinkRect(m_pReduced.get(), &whole, m_wScale)) {
                m_pReduced->Empty();
                m_pReduced.reset();
                return Build::kFailed;
            }
            m_pReduced->m_nWidth = m_pPage->m_nWidth * m_wScale / 256;
            m_pReduced->m_nHeight = m_pPage->m_nHeight * m_wScale / 256;
            m_pReduced->m_nBitCount = m_pPage->m_nBitCount;
            m_wReducedScale = m_wScale;
        }
        source = m_pReduced.get();
    }
    const int rows = std::min(source->m_nHeight, std::min(m_nAreaHeight, m_nScreenHeight));
    const int width = std::min(source->m_nWidth, std::min(m_nAreaWidth, m_nScreenWidth));
    const SIZE_T rowBytes = static_cast<SIZE_T>((width + 7) / 8);
    if (m_pPage->m_nBitCount == 1 && source->m_hBits) {
        CBlockLock bits(source->m_hBits);
        const SIZE_T sourceStride = static_cast<SIZE_T>((source->m_nWidth + 7) / 8);
        for (int y = 0; y < rows; ++y)
            ReadBlock(bits.get(), bits.size(), static_cast<SIZE_T>(y) * sourceStride, work.get() + static_cast<SIZE_T>(y) * stride,
                      rowBytes);
        if (m_pWork) m_pWork->SetBitmapBits(static_cast<DWORD>(stride * static_cast<SIZE_T>(m_nScreenHeight)), work.get());
    }
    m_nDrawnWidth = width;
    m_nDrawnHeight = rows;
    return Build::kBuilt;
}

CBatchPreview::ScaledKey CBatchPreview::ScaledKeyNow(int sourceWidth, int sourceHeight) const {
    ScaledKey key;
    if (!m_pPage) return key;
    key.page = m_pPage;
    key.dib = m_pPage->m_hDib;
    key.pageWidth = m_pPage->m_nWidth;
    key.pageHeight = m_pPage->m_nHeight;
    key.scale = m_wScale;
    key.drawnWidth = m_nDrawnWidth;
    key.drawnHeight = std::min(m_nDrawnHeight, m_nAreaHeight + 1);
    key.sourceWidth = sourceWidth;
    key.sourceHeight = sourceHeight;
    return key;
}

CBitmap* CBatchPreview::ScaledPage(int sourceWidth, int sourceHeight) const {
    return m_pScaled && m_scaledKey == ScaledKeyNow(sourceWidth, sourceHeight) ? m_pScaled.get() : nullptr;
}

CBitmap* CBatchPreview::KeepScaledPage(std::unique_ptr<CBitmap> bitmap, int sourceWidth, int sourceHeight) {
    m_pScaled = std::move(bitmap);
    m_scaledKey = ScaledKeyNow(sourceWidth, sourceHeight);
    return m_pScaled.get();
}

RECT CBatchPreview::ToBuffer(const RECT& r) const {
    return RECT{r.left * m_wScale / 256 + m_nOffsetX, r.top * m_wScale / 256 + m_nOffsetY,
                r.right * m_wScale / 256 + m_nOffsetX, r.bottom * m_wScale / 256 + m_nOffsetY};
}

std::vector<CBatchPreview::Frame> CBatchPreview::Frames() const {
    std::vector<Frame> frames;
    if (!m_pRegions || m_nAreaWidth <= 0 || m_nAreaHeight <= 0) return frames;
    const RECT visible{0, 0, m_nAreaWidth * 256 / m_wScale, m_nAreaHeight * 256 / m_wScale};
    for (int i = 0; i < m_pRegions->m_nChildren; ++i) {
        const CLayoutRegion* region = m_pRegions->m_ppChildren[i];
        if (!region || !Overlaps(*region, visible)) continue;
        const bool current = i == m_pRegions->m_nSelected;
        const int pen = PenOf(region->m_nFlags, current);
        if (pen == 0) continue;
        frames.push_back(Frame{ToBuffer(RECT{region->left, region->top, region->right, region->bottom}), pen, current});
    }
    return frames;
}

std::vector<RECT> CBatchPreview::TintRects() const {
    std::vector<RECT> tints;
    if (!m_pRegions || m_nTotal == 0 || m_nDone < 0) return tints;
    long long total = 0;
    for (int i = 0; i < m_pRegions->m_nChildren; ++i)
        if (const CLayoutRegion* region = m_pRegions->m_ppChildren[i]) total += region->bottom - region->top;
    const long long limit = total * std::min(m_nDone, m_nTotal) / m_nTotal;
    long long reached = 0;
    for (int i = 0; i < m_pRegions->m_nChildren; ++i) {
        const CLayoutRegion* region = m_pRegions->m_ppChildren[i];
        if (!region) continue;
        if (reached < limit) {
            const long long bottom = std::min<long long>(region->bottom, region->top + (limit - reached));
            tints.push_back(RECT{region->left, region->top, region->right, static_cast<LONG>(bottom)});
        }
        reached += region->bottom - region->top;
    }
    return tints;
}
