#include "views/dialogs/preview_window.h"

#include <algorithm>
#include <cstring>

namespace {

// One axis: a negative step down to 0, a positive one only while the window
// has not reached the page's end, and at most up to it.
int PanAxis(int at, int step, int size) {
    if (step < 0) return std::max(0, at + step);
    if (step > 0 && at + CPreviewWindow::kArea < size) {
        return at + step + CPreviewWindow::kArea < size ? at + step : std::max(size - CPreviewWindow::kArea, 0);
    }
    return at;
}

}  // namespace

bool CPreviewWindow::Pan(int dx, int dy, int pageWidth, int pageHeight) {
    if (dx == 0 && dy == 0) return false;
    const int x = PanAxis(panX, dx, pageWidth), y = PanAxis(panY, dy, pageHeight);
    if (x == panX && y == panY) return false;
    panX = x;
    panY = y;
    return true;
}

void CPreviewWindow::Clamp(int pageWidth, int pageHeight) {
    panX = std::max(0, std::min(panX, pageWidth - kArea));
    panX -= panX % 8;
    panY = std::max(0, std::min(panY, pageHeight - kArea));
}

void CPreviewWindow::Fill(const BYTE* plane, std::size_t planeBytes, int rowBytes, int width, int height) {
    std::fill(m_bits.begin(), m_bits.end(), BYTE{0});
    shownWidth = std::max(0, std::min(width, kArea));
    shownHeight = std::max(0, std::min(height, kArea));
    if (!plane || rowBytes <= 0) return;
    const int first = panX / 8;
    const int bytes = std::min({(shownWidth + 7) / 8, rowBytes - first, kStride});
    for (int r = 0; r < shownHeight && bytes > 0; ++r) {
        const std::size_t at = static_cast<std::size_t>(panY + r) * static_cast<std::size_t>(rowBytes) +
                               static_cast<std::size_t>(first);
        if (at + static_cast<std::size_t>(bytes) > planeBytes) break;
        std::memcpy(m_bits.data() + static_cast<std::size_t>(r) * kStride, plane + at, static_cast<std::size_t>(bytes));
    }
}
