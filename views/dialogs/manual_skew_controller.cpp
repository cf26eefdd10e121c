#include "views/dialogs/manual_skew_controller.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "imaging/image_block.h"

namespace {

HGLOBAL CopyBlock(HGLOBAL block) {
    if (!block) return nullptr;
    const SIZE_T size = GlobalSize(block);
    HGLOBAL copy = AllocImageBlock(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    CBlockLock from(block), to(copy);
    if (!from || !to) {
        GlobalFree(copy);
        return nullptr;
    }
    std::memcpy(to.get(), from.get(), size);
    return copy;
}

bool PointIn(POINT p, int left, int top, int right, int bottom) {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
}

}  // namespace

void CManualSkewController::PageDeleter::operator()(CPageImage* page) const {
    if (!page) return;
    page->Empty();
    delete page;
}

CManualSkewController::CManualSkewController(CPageImage* source) : m_source(source) {
    if (!source || source->m_nWidth <= 0 || source->m_nHeight <= 0) return;
    std::unique_ptr<CPageImage, PageDeleter> working(new (std::nothrow) CPageImage);
    if (!working) return;
    if (source->m_nBitCount == 1) {
        HGLOBAL plane = CopyBlock(source->m_hBits);
        if (!plane) return;
        working->m_hBits = plane;
        working->m_nWidth = source->m_nWidth;
        working->m_nHeight = source->m_nHeight;
        working->m_nBitCount = 1;
    } else {
        HGLOBAL dib = CopyBlock(source->m_hDib);
        if (!dib || working->AttachDib(dib) != 0) return;  // a refused bitmap is freed by AttachDib
    }
    m_working = std::move(working);
    RefreshPreview();
}

CManualSkewController::~CManualSkewController() = default;

bool CManualSkewController::Clockwise() {
    const int next = std::min(m_leftY + 1, m_rightY + kMaxTilt);
    if (next == m_leftY) return false;
    m_leftY = next;
    return true;
}

bool CManualSkewController::Anticlockwise() {
    const int next = std::max(m_leftY - 1, m_rightY - kMaxTilt);
    if (next == m_leftY) return false;
    m_leftY = next;
    return true;
}

bool CManualSkewController::Preview() {
    if (m_leftY == m_rightY || !m_working) return false;
    const int total = m_total + (m_leftY - m_rightY);
    if (!ApplySkew(total)) return false;
    m_total = total;
    m_leftY = m_rightY;
    return true;
}

bool CManualSkewController::ApplySkew(int total) {
    if (!m_working || !m_source) return false;
    const int dx = total >= 0 ? kSkewRun : -kSkewRun;
    const int dy = std::abs(total);
    if (IsMono()) {
        const SIZE_T size = GlobalSize(m_working->m_hBits);
        HGLOBAL result = AllocImageBlock(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        if (!result) return false;
        bool done = false;
        if (dy == 0) {
            CBlockLock from(m_source->m_hBits), to(result);
            done = from && to && from.size() >= size;
            if (done) std::memcpy(to.get(), from.get(), size);
        } else {
            done = m_source->Deskew(dx, dy, 0, 0, m_working->m_nWidth, m_working->m_nHeight, result) != FALSE;
        }
        if (!done) {
            GlobalFree(result);
            return false;
        }
        GlobalFree(m_working->m_hBits);
        m_working->m_hBits = result;
    } else {
        HGLOBAL result = nullptr;
        if (dy == 0) {
            result = CopyBlock(m_source->m_hDib);
        } else {
            result = AllocImageBlock(GMEM_MOVEABLE | GMEM_ZEROINIT, GlobalSize(m_source->m_hDib));
            if (result && !m_source->Deskew(dx, dy, 0, 0, m_working->m_nWidth, m_working->m_nHeight, result)) {
                GlobalFree(result);
                result = nullptr;
            }
        }
        if (!result) return false;
        // The turned bitmap replaces the working one only when it reads back.
        BITMAPINFOHEADER header{};
        {
            CBlockLock turned(result);
            if (!turned || turned.size() < sizeof header) {
                GlobalFree(result);
                return false;
            }
            std::memcpy(&header, turned.get(), sizeof header);
        }
        if (header.biWidth <= 0 || header.biHeight <= 0) {
            GlobalFree(result);
            return false;
        }
        GlobalFree(m_working->m_hDib);
        m_working->m_hDib = result;
        m_working->m_nWidth = header.biWidth;
        m_working->m_nHeight = header.biHeight;
    }
    RefreshPreview();
    return true;
}

int CManualSkewController::HitTest(POINT p) const {
    if (PointIn(p, kAreaLeft + 1, m_leftY - 4, kAreaLeft + 9, m_leftY + 4)) return kSkewDragLeft;
    if (PointIn(p, kAreaRight - 9, m_rightY - 4, kAreaRight - 1, m_rightY + 4)) return kSkewDragRight;
    if (PointIn(p, kAreaLeft, kAreaTop, kAreaRight, kAreaBottom)) return kSkewDragPicture;
    return kSkewDragNone;
}

int CManualSkewController::ButtonDown(POINT client) {
    m_mode = HitTest(client);
    if (m_mode) m_last = client;
    return m_mode;
}

bool CManualSkewController::MouseMove(POINT p) {
    const int dy = p.y - m_last.y;
    bool repaint = false;
    switch (m_mode) {
    case kSkewDragPicture: repaint = Pan(m_last.x - p.x, m_last.y - p.y); break;
    case kSkewDragRight: {
        const int next = std::max(kHandleTop, std::min(m_rightY + dy, kHandleBottom));
        if (next != m_rightY) {
            m_leftY += next - m_rightY;  // the line is shifted, not tilted
            m_rightY = next;
            repaint = true;
        }
        break;
    }
    case kSkewDragLeft: {
        const int next = std::max(m_rightY - kMaxTilt, std::min(m_leftY + dy, m_rightY + kMaxTilt));
        repaint = next != m_leftY;
        m_leftY = next;
        break;
    }
    default: break;
    }
    m_last = p;
    return repaint;
}

int CManualSkewController::ScaledWidth() const {
    return m_working ? static_cast<int>(static_cast<long long>(m_working->m_nWidth) * m_scale / 256) : 0;
}

int CManualSkewController::ScaledHeight() const {
    return m_working ? static_cast<int>(static_cast<long long>(m_working->m_nHeight) * m_scale / 256) : 0;
}

bool CManualSkewController::ZoomIn() {
    if (m_scale >= 256) return false;
    m_scale = static_cast<WORD>(m_scale * 2);
    RefreshPreview();
    return true;
}

bool CManualSkewController::ZoomOut() {
    if (!m_working || m_scale <= 1) return false;
    const WORD half = static_cast<WORD>(m_scale / 2);
    if (static_cast<long long>(m_working->m_nWidth) * half / 256 < 8 || static_cast<long long>(m_working->m_nHeight) * half / 256 < 8)
        return false;
    m_scale = half;
    m_preview.panX = m_preview.panX / 2 / 8 * 8;
    m_preview.panY /= 2;
    if (ScaledWidth() <= CPreviewWindow::kArea) m_preview.panX = 0;
    if (ScaledHeight() <= CPreviewWindow::kArea) m_preview.panY = 0;
    RefreshPreview();
    return true;
}

bool CManualSkewController::Pan(int dx, int dy) {
    if (!m_preview.Pan(dx, dy, ScaledWidth(), ScaledHeight())) return false;
    RefreshPreview();
    return true;
}

bool CManualSkewController::RefreshPreview() {
    if (!m_working) return false;
    m_preview.Clamp(ScaledWidth(), ScaledHeight());
    if (!IsMono()) {
        m_preview.Fill(nullptr, 0, 0, ScaledWidth(), ScaledHeight());
        return true;
    }
    if (m_scale == 256) {
        CBlockLock plane(m_working->m_hBits);
        if (!plane) return false;
        m_preview.Fill(plane.get(), plane.size(), static_cast<int>(m_working->RowBytes()), ScaledWidth(), ScaledHeight());
        return true;
    }
    CPageImage reduced;
    const RECT whole{0, 0, m_working->m_nWidth, m_working->m_nHeight};
    if (!m_working->ShrinkRect(&reduced, &whole, m_scale)) return false;
    bool filled = false;
    {
        CBlockLock plane(reduced.m_hBits);
        if (plane) {
            m_preview.Fill(plane.get(), plane.size(), static_cast<int>(reduced.RowBytes()), reduced.m_nWidth, reduced.m_nHeight);
            filled = true;
        }
    }
    reduced.Empty();
    return filled;
}

bool CManualSkewController::CopyWorkingTo(HGLOBAL hWork) const {
    if (!m_working || !hWork) return false;
    HGLOBAL from = IsMono() ? m_working->m_hBits : m_working->m_hDib;
    const SIZE_T size = GlobalSize(from);
    if (GlobalSize(hWork) < size) {
        // A turned bitmap may be larger: grow the caller's block, keeping its handle.
        if (!ReAllocImageBlock(hWork, size, GMEM_MOVEABLE)) return false;
    }
    CBlockLock src(from), dst(hWork);
    if (!src || !dst) return false;
    std::memcpy(dst.get(), src.get(), size);
    return true;
}
