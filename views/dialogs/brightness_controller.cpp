#include "views/dialogs/brightness_controller.h"

#include <algorithm>
#include <cstring>

#include "imaging/image_block.h"
#include "imaging/pixel_rows.h"
#include "platform/afx/afxwin.h"

namespace {

// Where the rows of a 4- or 8-bit bottom-up bitmap lie, checked against its block.
struct GreyLayout {
    int width = 0, height = 0, bits = 0;
    std::size_t rowBytes = 0, rowsAt = 0;
};

bool DescribeGrey(const BYTE* dib, std::size_t size, GreyLayout& out) {
    if (!dib || size < sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, dib, sizeof h);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size) return false;
    if ((h.biBitCount != 4 && h.biBitCount != 8) || h.biCompression != 0 || h.biWidth <= 0 || h.biHeight <= 0)
        return false;
    // A colour count of 0 means the full table; the field is never written.
    const std::uint64_t full = 1ull << h.biBitCount;
    const std::uint64_t colours = h.biClrUsed == 0 ? full : h.biClrUsed;
    if (colours > full) return false;
    out.width = h.biWidth;
    out.height = h.biHeight;
    out.bits = h.biBitCount;
    out.rowBytes = ((static_cast<std::size_t>(h.biBitCount) * static_cast<std::size_t>(h.biWidth) + 31) / 32) * 4;
    out.rowsAt = h.biSize + static_cast<std::size_t>(colours) * 4;
    const std::uint64_t end = out.rowsAt + static_cast<std::uint64_t>(out.rowBytes) * static_cast<std::uint64_t>(h.biHeight);
    return end <= size;
}

}  // namespace

CBrightnessController::CBrightnessController(HDIB source, int threshold)
    : m_source(source), m_threshold(std::max(0, std::min(threshold, 255))) {
    if (BuildWorkImage(true)) RefreshPreview();
}

CBrightnessController::~CBrightnessController() {
    if (m_plane) GlobalFree(m_plane);
}

HGLOBAL CBrightnessController::TakePlane() {
    HGLOBAL plane = m_plane;
    m_plane = nullptr;
    return plane;
}

bool CBrightnessController::BuildWorkImage(bool previewOnly) {
    if (m_plane) GlobalFree(m_plane);
    m_plane = nullptr;
    if (!m_source) return false;
    CBlockLock dib(m_source);
    GreyLayout g;
    if (!dib || !DescribeGrey(dib.get(), dib.size(), g)) return false;
    const std::size_t planeRow = ((static_cast<std::size_t>(g.width) + 31) / 32) * 4;
    HGLOBAL plane = AllocImageBlock(GMEM_MOVEABLE | GMEM_ZEROINIT, planeRow * static_cast<std::size_t>(g.height));
    if (!plane) return false;
    CBlockLock out(plane);
    if (!out) {
        GlobalFree(plane);
        return false;
    }
    // 4-bit samples run 0 to 15: the threshold is scaled down by 16.
    const BYTE threshold = static_cast<BYTE>(g.bits == 8 ? m_threshold : m_threshold / 16);
    int first = 0, last = g.height - 1;
    if (previewOnly) {
        first = std::min(m_preview.panY, g.height - 1);
        last = std::min(m_preview.panY + CPreviewWindow::kArea - 1, g.height - 1);
    }
    const int sampleBytes = static_cast<int>((static_cast<std::size_t>(g.bits) * static_cast<std::size_t>(g.width) + 7) / 8);
    for (int r = first; r <= last; ++r) {
        const BYTE* src = dib.get() + g.rowsAt + static_cast<std::size_t>(g.height - 1 - r) * g.rowBytes;
        BYTE* dst = out.get() + static_cast<std::size_t>(r) * planeRow;
        ThresholdRow(threshold, static_cast<BYTE>(g.bits), sampleBytes, src, dst, sampleBytes);
        // The padding nibble of an odd 4-bit row is no pixel.
        for (int x = g.width; x < sampleBytes * 8 / g.bits; ++x) dst[x >> 3] = static_cast<BYTE>(dst[x >> 3] & ~(0x80 >> (x & 7)));
    }
    m_plane = plane;
    m_width = (g.width + 31) / 32 * 32;
    m_height = g.height;
    return true;
}

bool CBrightnessController::RefreshPreview() {
    if (!m_plane) return false;
    CBlockLock plane(m_plane);
    if (!plane) return false;
    m_preview.Fill(plane.get(), plane.size(), m_width / 8, m_width, m_height);
    return true;
}

bool CBrightnessController::Rebuild() {
    const bool built = BuildWorkImage(true);
    if (built) RefreshPreview();
    return built;
}

bool CBrightnessController::Scroll(UINT code, int thumb) {
    const int v = m_threshold;
    int next = v;
    switch (code) {
    case SB_LINELEFT: next = v == 0 ? v : v - 1; break;
    case SB_LINERIGHT: next = v == 255 ? v : v + 1; break;
    case SB_PAGELEFT: next = std::max(v - 8, 0); break;
    case SB_PAGERIGHT: next = std::min(v + 8, 255); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = std::max(0, std::min(thumb, 255)); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = 255; break;
    default: return false;
    }
    if (next == v) return false;
    m_threshold = next;
    Rebuild();
    return true;
}

bool CBrightnessController::Type(int value, bool* outClamped) {
    const int clamped = std::max(0, std::min(value, 255));
    if (outClamped) *outClamped = clamped != value;
    if (clamped == m_threshold) return false;
    m_threshold = clamped;
    Rebuild();
    return true;
}

bool CBrightnessController::Pan(int dx, int dy) {
    if (!m_preview.Pan(dx, dy, m_width, m_height)) return false;
    Rebuild();
    return true;
}

bool CBrightnessController::HitPreview(POINT client) {
    return client.x >= kAreaLeft && client.x < kAreaLeft + CPreviewWindow::kArea && client.y >= kAreaTop &&
           client.y < kAreaTop + CPreviewWindow::kArea;
}
