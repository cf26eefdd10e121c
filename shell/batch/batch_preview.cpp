#include "shell/batch/batch_preview.h"

CBatchPreview::CBatchPreview() {
    m_nScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    m_nScreenHeight = GetSystemMetrics(SM_CYSCREEN);
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
