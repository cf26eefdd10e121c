#include "views/page_view/page_view_controller.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "imaging/image_block.h"
#include "ocrdoc/regions/region_geometry.h"
#include "ocrdoc/regions/text_region.h"
#include "platform/afx/afxwin.h"
#include "views/view_host.h"

namespace {

bool RectIsEmpty(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

int InclusiveWidth(const RECT& r) { return r.right - r.left + 1; }
int InclusiveHeight(const RECT& r) { return r.bottom - r.top + 1; }

bool PlaneBitSet(const BYTE* row, int x) { return (row[x >> 3] & (0x80 >> (x & 7))) != 0; }

// A child of `parent` other than the two named that shares pixels with `r`.
bool SharesPixelsWithOther(const CLayoutRegion* parent, const RECT& r, const CLayoutRegion* a,
                           const CLayoutRegion* b) {
    if (!parent) return false;
    for (int i = 0; i < parent->GetChildCount(); ++i) {
        const CLayoutRegion* child = parent->GetChild(i);
        if (child != a && child != b && RectsSharePixels(*child, r)) return true;
    }
    return false;
}

// A child other than `except` that shares pixels with `r` without lying wholly inside it.
bool PartlyOverlapsOther(const CLayoutRegion* parent, const RECT& r, const CLayoutRegion* except) {
    for (int i = 0; i < parent->GetChildCount(); ++i) {
        const CLayoutRegion* child = parent->GetChild(i);
        if (child != except && RectsSharePixels(*child, r) && !RectHoldsRect(r, *child)) return true;
    }
    return false;
}

}  // namespace

void CPageViewController::ZoomImageDeleter::operator()(CPageImage* image) const {
    if (!image) return;
    image->Empty();
    delete image;
}

CPageViewController::CPageViewController(CPageViewHost* host) : m_pHost(host) {}

CPageViewController::~CPageViewController() = default;

void CPageViewController::SetPage(CPageImage* image, CPageRegion* tree) {
    CancelDrag();
    m_pImage = image;
    m_pTree = tree;
    DropZoomImage();
}

// --- Layout ---------------------------------------------------------------------

PageViewLayout CPageViewController::LayoutFor(int cx, int cy, int barWidth, int barHeight, bool textViewShown) {
    PageViewLayout l{};
    l.stripShown = !textViewShown;
    const int top = textViewShown ? 0 : kStripHeight;
    l.strip = RECT{cx - barWidth, 0, cx, kStripHeight};
    l.vScroll = RECT{cx - barWidth, top, cx, cy - barHeight};
    l.hScroll = RECT{0, cy - barHeight, cx - barWidth, cy};
    l.image = RECT{0, 0, cx - barWidth, cy - barHeight};
    return l;
}

void CPageViewController::SetImageArea(int width, int height) {
    m_areaWidth = width;
    m_areaHeight = height;
    if (!HasPage()) return;
    ClampScroll();
    UpdateDisplayImage();
    // Ranges come from the image area (HorizontalRange / VerticalRange);
    // an axis whose scaled page fits the area starts at 0.
    if (ScaledWidth() <= m_areaWidth) m_nScrollX = 0;
    if (ScaledHeight() <= m_areaHeight) m_nScrollY = 0;
    RoundScrollXDown();
    ComputeOffsets();
}

// --- Mapping ----------------------------------------------------------------------

int CPageViewController::ScaledWidth() const {
    if (!m_pImage) return 0;
    return static_cast<int>(static_cast<std::int64_t>(m_pImage->m_nWidth) * m_wZoom / 256);
}

int CPageViewController::ScaledHeight() const {
    if (!m_pImage) return 0;
    return static_cast<int>(static_cast<std::int64_t>(m_pImage->m_nHeight) * m_wZoom / 256);
}

POINT CPageViewController::PageToClient(POINT page) const {
    return POINT{static_cast<LONG>(static_cast<std::int64_t>(page.x) * m_wZoom / 256 + m_nOffsetX - m_nScrollX),
                 static_cast<LONG>(static_cast<std::int64_t>(page.y) * m_wZoom / 256 + m_nOffsetY - m_nScrollY)};
}

POINT CPageViewController::ClientToPage(POINT client) const {
    return ViewToPage(client.x + m_nScrollX, client.y + m_nScrollY);
}

POINT CPageViewController::ViewToPage(int x, int y) const {
    return POINT{static_cast<LONG>((static_cast<std::int64_t>(x) - m_nOffsetX) * 256 / m_wZoom),
                 static_cast<LONG>((static_cast<std::int64_t>(y) - m_nOffsetY) * 256 / m_wZoom)};
}

RECT CPageViewController::ClientRectOfPage(const RECT& page) const {
    const POINT a = PageToClient(POINT{page.left, page.top});
    const POINT b = PageToClient(POINT{page.right, page.bottom});
    return RECT{std::min(a.x, b.x) - 2, std::min(a.y, b.y) - 2, std::max(a.x, b.x) + 2, std::max(a.y, b.y) + 2};
}

void CPageViewController::ComputeOffsets() {
    m_nOffsetX = m_areaWidth > m_cxDisplay ? (m_areaWidth - m_cxDisplay) / 2 : 0;
    m_nOffsetY = m_areaHeight > m_cyDisplay ? (m_areaHeight - m_cyDisplay) / 2 : 0;
}

int CPageViewController::EdgeTolerance() const {
    const int q = 512 / m_wZoom - 1;
    return q > 2 ? q : 2;
}

int CPageViewController::ReorderTolerance() const {
    const int q = 256 / m_wZoom - 1;
    return q > 2 ? q : 2;
}

RECT CPageViewController::VisiblePageRect() const {
    const POINT a = ClientToPage(POINT{0, 0});
    const POINT b = ClientToPage(POINT{m_areaWidth, m_areaHeight});
    return RECT{a.x, a.y, b.x, b.y};
}

// --- Display ------------------------------------------------------------------------

void CPageViewController::DropZoomImage() {
    ++m_displayGeneration;
    m_pZoomImage.reset();
    m_wZoomImageScale = 255;
}

const CPageImage* CPageViewController::ZoomSource() const {
    if (m_wZoom == 256) return m_pImage;
    return m_wZoomImageScale == m_wZoom ? m_pZoomImage.get() : nullptr;
}

void CPageViewController::ClampScroll() {
    m_nScrollX = std::max(0, std::min(m_nScrollX, ScaledWidth() - m_areaWidth));
    m_nScrollY = std::max(0, std::min(m_nScrollY, ScaledHeight() - m_areaHeight));
    RoundScrollXDown();
}

bool CPageViewController::MakeZoomImage() {
    ClampScroll();
    DropZoomImage();
    std::unique_ptr<CPageImage, ZoomImageDeleter> copy(new (std::nothrow) CPageImage);
    if (!copy) return false;
    const RECT whole{0, 0, m_pImage->m_nWidth, m_pImage->m_nHeight};
    if (!m_pImage->ShrinkRect(copy.get(), &whole, m_wZoom)) return false;
    copy->m_nWidth = ScaledWidth();
    copy->m_nHeight = ScaledHeight();
    copy->m_nBitCount = 1;
    m_pZoomImage = std::move(copy);
    m_wZoomImageScale = m_wZoom;
    return true;
}

BOOL CPageViewController::UpdateDisplayImage() {
    if (!HasPage() || m_areaWidth < 0 || m_areaHeight < 0) return FALSE;
    const CPageImage* source = m_pImage;
    if (m_wZoom != 256) {
        if (!m_pZoomImage || m_wZoomImageScale != m_wZoom) {
            if (!MakeZoomImage()) return FALSE;
        }
        source = m_pZoomImage.get();
    }
    // The rows hold the area's width plus the up to 7 pixels left of an
    // offset that is not a multiple of 8: sized from the image area.
    const int stride = ((m_areaWidth + 8 + 15) / 16) * 2;
    try {
        m_display.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(m_areaHeight), 0);
    } catch (const std::bad_alloc&) {
        m_display.clear();
        m_displayStride = m_displayRows = 0;
        return FALSE;
    }
    m_displayStride = stride;
    m_displayRows = m_areaHeight;

    const int scaledWidth = ScaledWidth(), scaledHeight = ScaledHeight();
    const int rows = std::max(0, std::min(m_areaHeight, scaledHeight - m_nScrollY));
    if (m_pImage->m_nBitCount == 1 && source && source->m_hBits && rows > 0) {
        CBlockLock plane(source->m_hBits);
        if (!plane) {
            ShowImageLockMessage();
            return FALSE;
        }
        const std::size_t srcRow = source->RowBytes();
        const int firstByte = m_nScrollX / 8;
        const int pixels = std::min(scaledWidth - firstByte * 8, m_areaWidth + 8);
        int bytes = std::max(0, (pixels + 7) / 8);
        bytes = std::min<int>(bytes, static_cast<int>(srcRow) - firstByte);
        bytes = std::min(bytes, stride);
        const std::size_t planeSize = plane.size();
        for (int r = 0; r < rows && bytes > 0; ++r) {
            const std::size_t at = static_cast<std::size_t>(m_nScrollY + r) * srcRow + static_cast<std::size_t>(firstByte);
            if (at + static_cast<std::size_t>(bytes) > planeSize) break;
            std::memcpy(m_display.data() + static_cast<std::size_t>(r) * stride, plane.get() + at,
                        static_cast<std::size_t>(bytes));
        }
    }
    m_cxDisplay = std::max(0, std::min(scaledWidth, m_areaWidth));
    m_cyDisplay = rows;
    ComputeOffsets();
    return TRUE;
}

void CPageViewController::ShowImageLockMessage() {
    // The staging rows could not be locked: the display stays as it was.
    ViewHost().MessageBox("Can't Lock Memory", "", MB_OK | MB_ICONSTOP);
}

void CPageViewController::ResetView() {
    CancelDrag();
    m_nScrollX = m_nScrollY = 0;
    m_rcCurrentChar = RECT{0, 0, 0, 0};
    DropZoomImage();
    m_cxDisplay = m_cyDisplay = 0;
    UpdateDisplayImage();
}

// --- Zoom ----------------------------------------------------------------------------

bool CPageViewController::CanZoomTo(WORD zoom) const {
    if (!HasPage() || zoom == 0) return false;
    return static_cast<std::int64_t>(m_pImage->m_nWidth) * zoom / 256 >= kMinScaled &&
           static_cast<std::int64_t>(m_pImage->m_nHeight) * zoom / 256 >= kMinScaled;
}

bool CPageViewController::SetZoom(WORD zoom) {
    if (zoom == m_wZoom || !HasPage() || !CanZoomTo(zoom)) return false;
    m_wZoom = zoom;
    UpdateDisplayImage();
    return true;
}

bool CPageViewController::CanZoomIn() const { return HasPage() && m_wZoom < 256; }

bool CPageViewController::CanZoomOut() const { return HasPage() && m_wZoom > 1 && CanZoomTo(m_wZoom / 2); }

bool CPageViewController::ZoomIn() {
    if (!CanZoomIn()) return false;
    m_wZoom = static_cast<WORD>(m_wZoom * 2);
    m_nScrollX = 2 * m_nScrollX;
    RoundScrollXDown();
    m_nScrollY *= 2;
    UpdateDisplayImage();
    return true;
}

bool CPageViewController::ZoomOut() {
    if (!CanZoomOut()) return false;
    m_wZoom = static_cast<WORD>(m_wZoom / 2);
    m_nScrollX /= 2;
    RoundScrollXDown();
    m_nScrollY /= 2;
    if (m_areaWidth >= ScaledWidth()) m_nScrollX = 0;
    if (m_areaHeight >= ScaledHeight()) m_nScrollY = 0;
    UpdateDisplayImage();
    return true;
}

// --- Scrolling -------------------------------------------------------------------------

int CPageViewController::HorizontalRange() const { return std::max(0, ScaledWidth() - m_areaWidth); }

int CPageViewController::VerticalRange() const { return std::max(0, ScaledHeight() - m_areaHeight); }

bool CPageViewController::Scroll(bool vertical, UINT code, int thumb) {
    if (!HasPage()) return false;
    const int s = vertical ? ScaledHeight() : ScaledWidth();
    const int a = vertical ? m_areaHeight : m_areaWidth;
    int& p = vertical ? m_nScrollY : m_nScrollX;
    const int step = LineStep(a);
    int next = p;
    switch (code) {
    case SB_LINEUP:
        if (p == 0) return false;
        next = std::max(0, p - step);
        break;
    case SB_LINEDOWN:
        if (a + p >= s) return false;
        next = p + step + a > s ? s - a : p + step;
        break;
    case SB_PAGEUP:
        if (p == 0) return false;
        next = std::max(0, p - a);
        break;
    case SB_PAGEDOWN:
        if (a + p >= s) return false;
        next = p + 2 * a >= s ? std::max(0, s - a) : p + a;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = std::max(0, std::min(thumb, std::max(0, s - a))); break;
    case SB_TOP:
        if (p == 0) return false;
        next = 0;
        break;
    case SB_BOTTOM:
        next = std::max(0, s - a);
        if (next == p) return false;
        break;
    default: return false;
    }
    if (!vertical) {
        // Whole bytes of the plane: up to the next multiple of 8, kept within the range.
        next = std::min((next + 7) / 8 * 8, std::max(next, HorizontalRange()));
    }
    if (next == p) return false;
    p = next;
    UpdateDisplayImage();
    return true;
}

bool CPageViewController::Wheel(int delta) {
    if (!HasPage() || delta == 0) return false;
    const int step = 3 * LineStep(m_areaHeight);
    int next = m_nScrollY;
    if (delta > 0) {
        if (m_nScrollY == 0) return false;
        next = std::max(0, m_nScrollY - step);
    } else {
        const int end = VerticalRange();
        if (m_nScrollY >= end) return false;
        next = std::min(end, m_nScrollY + step);
    }
    m_nScrollY = next;
    UpdateDisplayImage();
    return true;
}

void CPageViewController::ShowCharBox(const RECT& box) {
    m_rcCurrentChar = box;
    if (!HasPage()) return;
    const std::int64_t cx = (static_cast<std::int64_t>(box.left) + box.right) / 2 * m_wZoom / 256;
    const std::int64_t cy = (static_cast<std::int64_t>(box.top) + box.bottom) / 2 * m_wZoom / 256;
    m_nScrollX = static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(cx - m_areaWidth / 2, HorizontalRange())));
    m_nScrollY = static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(cy - m_areaHeight / 2, VerticalRange())));
    RoundScrollXDown();
    UpdateDisplayImage();
}

// --- Keys ------------------------------------------------------------------------------------

KeyAnswer CPageViewController::KeyDown(UINT vk, bool ctrl) {
    auto scrolled = [](bool moved) { return moved ? KeyAnswer::kRepaint : KeyAnswer::kHandled; };
    switch (vk) {
    case VK_ESCAPE:
    case VK_DELETE:
        if (m_bSealMode) {
            DeleteSeal();
            return KeyAnswer::kRepaint;
        }
        return KeyAnswer::kPostRegionCancel;
    case VK_PRIOR: return scrolled(Scroll(true, SB_PAGEUP, 0));
    case VK_NEXT: return scrolled(Scroll(true, SB_PAGEDOWN, 0));
    case VK_HOME: return scrolled(Scroll(ctrl, SB_TOP, 0));
    case VK_END: return scrolled(Scroll(ctrl, SB_BOTTOM, 0));
    case VK_LEFT: return scrolled(Scroll(false, SB_LINEUP, 0));
    case VK_RIGHT: return scrolled(Scroll(false, SB_LINEDOWN, 0));
    case VK_UP: return scrolled(Scroll(true, SB_LINEUP, 0));
    case VK_DOWN: return scrolled(Scroll(true, SB_LINEDOWN, 0));
    case VK_ADD: return scrolled(ZoomIn());
    case VK_SUBTRACT: return scrolled(ZoomOut());
    default: return KeyAnswer::kDefault;
    }
}

// --- Mouse tools and seal mode -------------------------------------------------------------

void CPageViewController::SwitchMouseTool() {
    m_nMouseTool = m_nMouseTool == kToolNormal ? kToolPen : m_nMouseTool == kToolPen ? kToolScissors : kToolNormal;
}

void CPageViewController::ToggleSealMode() {
    if (m_bSealMode) {
        EndSealMode();
        return;
    }
    m_bSealMode = 1;
    if (m_pTree) m_pTree->ClearSelection();
    m_rcSealEdit = m_pTree && m_pTree->m_pSealRect ? *m_pTree->m_pSealRect : RECT{0, 0, 0, 0};
}

void CPageViewController::EndSealMode() {
    m_bSealMode = 0;
    m_rcSealEdit = RECT{0, 0, 0, 0};
}

void CPageViewController::DeleteSeal() {
    if (PageHeld()) return;
    if (m_pTree) m_pTree->SetSealRect(nullptr);
    m_rcSealEdit = RECT{0, 0, 0, 0};
    if (m_pHost) m_pHost->SetLayoutDirty();
}

// --- Drag machine -------------------------------------------------------------------------------

int CPageViewController::BandStyle() const {
    if (m_nMouseTool == kToolPen && !m_bSealMode) return 34;
    if (m_bReorderDrag) return 8;
    if (m_bSplitDrag) return 11;
    return 0;
}

void CPageViewController::SetCornersFromEdge(const RECT& ref, int code, bool) {
    DragState& d = *m_pDrag;
    const int l = static_cast<int>(static_cast<std::int64_t>(ref.left) * m_wZoom / 256) + m_nOffsetX;
    const int t = static_cast<int>(static_cast<std::int64_t>(ref.top) * m_wZoom / 256) + m_nOffsetY;
    const int r = static_cast<int>(static_cast<std::int64_t>(ref.right) * m_wZoom / 256) + m_nOffsetX;
    const int b = static_cast<int>(static_cast<std::int64_t>(ref.bottom) * m_wZoom / 256) + m_nOffsetY;
    auto set = [&d](int ax, int ay, int mx, int my, int xMoves, int yMoves) {
        d.anchorX = ax, d.anchorY = ay, d.movingX = mx, d.movingY = my;
        d.previousX = mx, d.previousY = my;
        d.xMoves = xMoves, d.yMoves = yMoves;
    };
    switch (code) {
    case kEdgeTop: set(r, b, l, t, 0, 1); break;
    case kEdgeRight: set(l, t, r, b, 1, 0); break;
    case kEdgeBottom: set(l, t, r, b, 0, 1); break;
    case kEdgeLeft: set(r, b, l, t, 1, 0); break;
    case kEdgeTop | kEdgeRight: set(l, b, r, t, 1, 1); break;
    case kEdgeRight | kEdgeBottom: set(l, t, r, b, 1, 1); break;
    case kEdgeTop | kEdgeLeft: set(r, b, l, t, 1, 1); break;
    case kEdgeBottom | kEdgeLeft: set(r, t, l, b, 1, 1); break;
    default: break;  // 0 and 255 keep the click point as both corners
    }
}

void CPageViewController::StartDrag(POINT view, int code) {
    m_pDrag = std::make_unique<DragState>();
    DragState& d = *m_pDrag;
    d.anchorX = d.previousX = d.movingX = view.x;
    d.anchorY = d.previousY = d.movingY = view.y;
    d.pressX = view.x;
    d.pressY = view.y;
    m_bReorderDrag = m_bBoxDrag = m_bSplitDrag = false;
    if (code == 0) return;
    RECT ref = m_pHitRegion ? m_pHitRegion->Rect() : RECT{0, 0, 0, 0};
    const bool handwriting = m_pHost && m_pHost->IsHandwritingPage();
    if (!handwriting) {
        if (code == kInsideNoEdge && m_pHitParent && m_pHitRegion) m_bReorderDrag = true;
    } else if (m_pHitParent && m_pHitRegion) {
        const POINT page = ViewToPage(view.x, view.y);
        if ((m_pHitRegion->m_nFlags & kRegionTable) != 0) {
            // The table's cells are tried at the point with the same tolerance.
            CLayoutRegion* table = m_pHitRegion;
            for (int i = 0; i < table->GetChildCount(); ++i) {
                CLayoutRegion* cell = table->GetChild(i);
                if (cell->Contains(page) || cell->HitTestEdge(page, EdgeTolerance())) {
                    m_pHitParent = table;
                    m_pHitRegion = cell;
                    break;
                }
            }
        }
        if (CTextRegion* text = m_pHitRegion->AsTextRegion()) {
            RECT box;
            if ((text->m_nFlags & kRegionAnyText) && text->GetSelectedBoxRect(&box)) {
                ref = box;
                m_bBoxDrag = true;
            }
        }
        if (code == kInsideNoEdge) {
            if (m_bBoxDrag) {
                m_bSplitDrag = true;
                m_bBoxDrag = false;
                m_rcSplitBox = ref;
            } else {
                m_bBoxDrag = true;
                m_pHitRegion = nullptr;  // a new row of the parent's selected region
            }
        }
    }
    if (code != kInsideNoEdge) SetCornersFromEdge(ref, code, false);
}

void CPageViewController::StartSealDrag(POINT view, int code) {
    m_pDrag = std::make_unique<DragState>();
    DragState& d = *m_pDrag;
    d.anchorX = d.previousX = d.movingX = view.x;
    d.anchorY = d.previousY = d.movingY = view.y;
    d.pressX = view.x;
    d.pressY = view.y;
    m_bReorderDrag = m_bBoxDrag = m_bSplitDrag = false;
    m_rcSealEdit = m_pTree && m_pTree->m_pSealRect ? *m_pTree->m_pSealRect : RECT{0, 0, 0, 0};
    if (code != kInsideNoEdge && code != 0) SetCornersFromEdge(m_rcSealEdit, code, true);
    m_pHitRegion = nullptr;
}

bool CPageViewController::ButtonDown(POINT client) {
    if (!HasPage() || !m_pTree || m_pDrag || PageHeld()) return false;
    const POINT page = ClientToPage(client);
    const POINT view{client.x + m_nScrollX, client.y + m_nScrollY};
    const int tol = EdgeTolerance();
    m_pHitParent = m_pHitRegion = nullptr;
    const int code = m_bSealMode ? m_pTree->HitTestPage(page, &m_pHitParent, &m_pHitRegion, tol)
                                 : m_pTree->SelectAt(page, &m_pHitParent, &m_pHitRegion, tol);
    if (code == 0) return false;
    m_lastMouse = client;
    if (m_bSealMode) {
        StartSealDrag(view, code);
    } else if (m_nMouseTool != kToolNormal) {
        StartDrag(view, 0);
    } else {
        StartDrag(view, code);
        if (m_bSplitDrag) MouseMove(client);
    }
    return true;
}

bool CPageViewController::SelectRegionAt(POINT client) {
    if (!HasPage() || !m_pTree || m_pDrag || m_bSealMode || PageHeld()) return false;
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = nullptr;
    return m_pTree->SelectAt(ClientToPage(client), &parent, &region, EdgeTolerance()) != 0;
}

bool CPageViewController::MouseMove(POINT client, bool* outPastEdge) {
    if (outPastEdge) *outPastEdge = false;
    if (!m_pDrag) return false;
    DragState& d = *m_pDrag;
    m_lastMouse = client;
    const int beforeX = d.movingX, beforeY = d.movingY;
    if (d.xMoves) {
        d.previousX = d.movingX;
        d.movingX = std::max(0, std::min<int>(client.x, m_areaWidth - 1)) + m_nScrollX;
    }
    if (d.yMoves) {
        d.previousY = d.movingY;
        d.movingY = std::max(0, std::min<int>(client.y, m_areaHeight - 1)) + m_nScrollY;
    }
    d.drawn = 1;
    if (outPastEdge) {
        *outPastEdge = (d.xMoves && ((client.x >= m_areaWidth && m_nScrollX < HorizontalRange()) ||
                                     (client.x <= 0 && m_nScrollX > 0))) ||
                       (d.yMoves && ((client.y >= m_areaHeight && m_nScrollY < VerticalRange()) ||
                                     (client.y <= 0 && m_nScrollY > 0)));
    }
    return d.movingX != beforeX || d.movingY != beforeY;
}

bool CPageViewController::AutoScrollStep() {
    if (!m_pDrag) return false;
    DragState& d = *m_pDrag;
    bool scrolled = false;
    if (d.xMoves) {
        const int step = LineStep(m_areaWidth);
        int next = m_nScrollX;
        if (m_lastMouse.x >= m_areaWidth) next = std::min(HorizontalRange(), m_nScrollX + step);
        else if (m_lastMouse.x <= 0) next = std::max(0, m_nScrollX - step);
        if (next != m_nScrollX) {
            d.movingX += next - m_nScrollX;
            m_nScrollX = next;
            scrolled = true;
        }
        d.movingX = std::max(m_nScrollX, std::min(d.movingX, m_nScrollX + m_areaWidth - 1));
    }
    if (d.yMoves) {
        const int step = LineStep(m_areaHeight);
        int next = m_nScrollY;
        if (m_lastMouse.y >= m_areaHeight) next = std::min(VerticalRange(), m_nScrollY + step);
        else if (m_lastMouse.y <= 0) next = std::max(0, m_nScrollY - step);
        if (next != m_nScrollY) {
            d.movingY += next - m_nScrollY;
            m_nScrollY = next;
            scrolled = true;
        }
        d.movingY = std::max(m_nScrollY, std::min(d.movingY, m_nScrollY + m_areaHeight - 1));
    }
    if (scrolled) UpdateDisplayImage();
    return scrolled;
}

void CPageViewController::CancelDrag() {
    m_pDrag.reset();
    m_pHitParent = m_pHitRegion = nullptr;
    m_bReorderDrag = m_bBoxDrag = m_bSplitDrag = false;
}

RECT CPageViewController::TrimToInk(const RECT& r) const {
    if (!m_pImage || !m_pImage->m_hBits) return r;
    CBlockLock plane(m_pImage->m_hBits);
    if (!plane) return r;
    const std::size_t row = m_pImage->RowBytes();
    if (plane.size() < row * static_cast<std::size_t>(m_pImage->m_nHeight)) return r;
    int top = r.bottom + 1, bottom = r.top - 1, left = r.right + 1, right = r.left - 1;
    for (int y = r.top; y <= r.bottom; ++y) {
        const BYTE* line = plane.get() + static_cast<std::size_t>(y) * row;
        for (int x = r.left; x <= r.right; ++x) {
            if (!PlaneBitSet(line, x)) continue;
            top = std::min(top, y), bottom = std::max(bottom, y);
            left = std::min(left, x), right = std::max(right, x);
        }
    }
    // A rectangle without ink stays as drawn.
    if (top > bottom || left > right) return r;
    return RECT{left, top, right, bottom};
}

void CPageViewController::ClearDisplayRect(const RECT& page) {
    if (m_display.empty() || !m_pImage || m_pImage->m_nBitCount != 1) return;
    const POINT a = PageToClient(POINT{page.left, page.top});
    const POINT b = PageToClient(POINT{page.right + 1, page.bottom + 1});
    // Display pixel 0 of a row lies at client x offset - (scroll x mod 8).
    const int shift = m_nScrollX % 8 - m_nOffsetX;
    const int x0 = std::max(0, static_cast<int>(a.x) + shift), x1 = std::min(m_displayStride * 8, static_cast<int>(b.x) + shift);
    const int y0 = std::max(0, static_cast<int>(a.y) - m_nOffsetY), y1 = std::min(m_displayRows, static_cast<int>(b.y) - m_nOffsetY);
    for (int y = y0; y < y1; ++y) {
        BYTE* line = m_display.data() + static_cast<std::size_t>(y) * m_displayStride;
        for (int x = x0; x < x1; ++x) line[x >> 3] = static_cast<BYTE>(line[x >> 3] & ~(0x80 >> (x & 7)));
    }
}

RECT CPageViewController::ButtonUp(POINT client) {
    const RECT none{0, 0, -1, -1};
    if (!m_pDrag || !HasPage() || PageHeld()) {
        CancelDrag();
        return none;
    }
    MouseMove(client);
    const DragState d = *m_pDrag;
    const POINT a = ViewToPage(d.anchorX, d.anchorY);
    const POINT m = ViewToPage(d.movingX, d.movingY);
    const int w = m_pImage->m_nWidth, h = m_pImage->m_nHeight;
    RECT r{std::min(a.x, m.x), std::min(a.y, m.y), std::max(a.x, m.x), std::max(a.y, m.y)};
    r.left = std::max<LONG>(0, std::min<LONG>(r.left, w - 1));
    r.right = std::max<LONG>(0, std::min<LONG>(r.right, w - 1));
    r.top = std::max<LONG>(0, std::min<LONG>(r.top, h - 1));
    r.bottom = std::max<LONG>(0, std::min<LONG>(r.bottom, h - 1));
    RECT repaint{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
    const POINT release = ClientToPage(client);

    if (m_bSealMode) {
        if (InclusiveWidth(r) > kSealMinSide && InclusiveHeight(r) > kSealMinSide && m_pTree) {
            m_pTree->SetSealRect(&r);
            m_rcSealEdit = r;
            if (m_pHost) m_pHost->SetLayoutDirty();
            repaint = RectUnion(repaint, r);
        }
    } else if (m_nMouseTool == kToolScissors) {
        if (r.right > r.left && r.bottom > r.top) {
            m_pImage->EraseRect(r.left, r.top, r.right, r.bottom);
            ClearDisplayRect(r);
            DropZoomImage();
            if (m_pHost) m_pHost->SetModified();
        }
    } else if (m_nMouseTool == kToolPen) {
        m_pImage->DrawLine(a.x, a.y, m.x, m.y, 2);
        DropZoomImage();
        UpdateDisplayImage();
        if (m_pHost) m_pHost->SetModified();
        repaint = RECT{std::min(a.x, m.x) - 3, std::min(a.y, m.y) - 3, std::max(a.x, m.x) + 3, std::max(a.y, m.y) + 3};
    } else {
        repaint = ApplyNormalDrag(r, release, repaint);
    }
    CancelDrag();
    return repaint;
}

RECT CPageViewController::ApplyNormalDrag(RECT r, POINT release, RECT repaint) {
    // Asking to drop the result may end the drag from outside (the document
    // tells its views to drop their drag rectangles): work from copies.
    const bool reorder = m_bReorderDrag, boxDrag = m_bBoxDrag, splitDrag = m_bSplitDrag;
    const RECT splitBox = m_rcSplitBox;
    CLayoutRegion* parent = m_pHitParent;
    CLayoutRegion* region = m_pHitRegion;
    const bool boxEdit = boxDrag || splitDrag;
    const bool bigEnough = InclusiveWidth(r) >= 2 && InclusiveHeight(r) >= 2;
    // A pointer that stayed by its press point made a click, whatever rectangle
    // the corners give (an edge click spans the whole region): only a drag
    // that will really change a region may ask to drop the result.
    const POINT releaseView{m_lastMouse.x + m_nScrollX, m_lastMouse.y + m_nScrollY};
    const bool clicked = !m_pDrag || (std::abs(releaseView.x - m_pDrag->pressX) <= kClickSlop &&
                                      std::abs(releaseView.y - m_pDrag->pressY) <= kClickSlop);
    bool changesRegions = false;
    if (!clicked && !reorder && !boxEdit) {
        if (region) {
            const RECT edited = parent && m_pTree ? RectClipped(r, m_pTree->Rect()) : r;
            changesRegions = !RectsEqual(edited, region->Rect());
        } else if (parent) {
            changesRegions = r.right - r.left >= kMinRegionSpan && r.bottom - r.top >= kMinRegionSpan;
        }
    }
    bool dropped = false;
    // A reorder asks only when it would move something, however small its band.
    CLayoutRegion* reorderTarget = nullptr;
    if (reorder && parent && region) {
        const int tol = ReorderTolerance();
        for (int i = 0; i < parent->GetChildCount() && !reorderTarget; ++i) {
            CLayoutRegion* target = parent->GetChild(i);
            if (target->Contains(release) || target->HitTestEdge(release, tol)) reorderTarget = target;
        }
        if (reorderTarget == region) reorderTarget = nullptr;
    }
    if ((boxEdit && bigEnough) || changesRegions || reorderTarget) {
        dropped = !m_pHost || m_pHost->DiscardResult();
        // The user kept the result: nothing changes, character boxes included.
        if (!dropped) return repaint;
    }
    auto dirty = [this] {
        if (m_pHost) m_pHost->SetLayoutDirty();
    };

    CLayoutRegion* found = nullptr;
    if (parent && dropped && !reorder && !boxEdit) {
        if (!PartlyOverlapsOther(parent, r, region)) {
            if (region) parent->RemoveInsideExcept(r, region);
            else parent->FindChildInside(r, &found);
        }
    }
    if (parent && m_pTree) r = RectClipped(r, m_pTree->Rect());
    if (r.right < r.left || r.bottom < r.top) return repaint;

    if (!reorder && !splitDrag && !SharesPixelsWithOther(parent, r, region, found) &&
        (m_pImage->m_nBitCount == 1 || !region) && (parent || !region)) {
        r = TrimToInk(r);
    }

    if (reorder) {
        if (dropped && reorderTarget) {
            parent->MoveChildAfter(reorderTarget, region);
            dirty();
            repaint = RectUnion(repaint, parent->Rect());
        }
        return repaint;
    }
    if (splitDrag) {
        CTextRegion* text = region ? region->AsTextRegion() : nullptr;
        if (!text) return repaint;
        const BOOL done = release.x < splitBox.left || release.x > splitBox.right
                              ? text->ExtendSelectedBox(release)
                              : text->SplitSelectedBox(m_pImage, release.x);
        if (done) dirty();
        return RectUnion(repaint, text->Rect());
    }
    if (boxDrag) {
        if (InclusiveWidth(r) <= kBoxMinSide || InclusiveHeight(r) <= kBoxMinSide || !parent) return repaint;
        BOOL done = FALSE;
        if (region) {
            if (CTextRegion* text = region->AsTextRegion()) done = text->SetSelectedBoxRect(r);
            repaint = RectUnion(repaint, region->Rect());
        } else {
            done = parent->AddRowToSelected(r);
        }
        if (done) dirty();
        return RectUnion(repaint, r);
    }
    if (!changesRegions || !dropped) return repaint;
    if (region && parent) {
        const RECT old = region->Rect();
        if (parent->SetChildRect(region, r)) dirty();
        repaint = RectUnion(repaint, old);
    } else if (found) {
        const RECT old = found->Rect();
        if (parent->SetChildRect(found, r)) dirty();
        repaint = RectUnion(repaint, old);
    } else if (parent) {
        if (parent->AddRegion(r, kRegionHorizontal)) dirty();
    } else if (region && m_pTree && region == m_pTree) {
        const RECT old = m_pTree->Rect();
        const RECT bound{0, 0, m_pImage->m_nWidth - 1, m_pImage->m_nHeight - 1};
        if (m_pTree->ResizeWithin(r, bound)) {
            dirty();
            if (m_pHost && m_pHost->AutoResize()) m_pHost->PostCrop();
        }
        repaint = RectUnion(repaint, old);
    }
    return RectUnion(repaint, r);
}

PageCursor CPageViewController::CursorAt(POINT client) const {
    if (m_nMouseTool == kToolScissors) return PageCursor::kScissors;
    if (m_nMouseTool == kToolPen) return PageCursor::kPen;
    if (!HasPage() || !m_pTree) return PageCursor::kArrow;
    const POINT page = ClientToPage(client);
    int code = RectIsEmpty(m_rcSealEdit) ? 0 : EdgeHitBits(m_rcSealEdit, page, 2);
    if (!code) code = m_bSealMode ? m_pTree->HitTestSealRect(page, EdgeTolerance()) : m_pTree->HitTest(page, EdgeTolerance());
    switch (code) {
    case kEdgeTop:
    case kEdgeBottom: return PageCursor::kSizeNS;
    case kEdgeRight:
    case kEdgeLeft: return PageCursor::kSizeWE;
    case kEdgeTop | kEdgeRight:
    case kEdgeBottom | kEdgeLeft: return PageCursor::kSizeNESW;
    case kEdgeRight | kEdgeBottom:
    case kEdgeTop | kEdgeLeft: return PageCursor::kSizeNWSE;
    default: return PageCursor::kArrow;
    }
}
