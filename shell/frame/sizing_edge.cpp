#include "shell/frame/sizing_edge.h"

#include <algorithm>

bool SizingEdge::FarSide() const {
    if (Horizontal()) return (style_ & CBRS_ALIGN_TOP) || (style_ & CBRS_BORDER_BOTTOM);
    return (style_ & CBRS_ALIGN_LEFT) || (style_ & CBRS_BORDER_RIGHT);
}

CRect SizingEdge::EdgeRect(const CRect& client) const {
    if (Horizontal()) {
        const int top = FarSide() ? client.bottom - kEdgeStrip : client.top;
        return CRect(client.left - 1, top, client.right + 1, top + kEdgeStrip);
    }
    const int left = FarSide() ? client.right - kEdgeStrip : client.left;
    return CRect(left, client.top - 1, left + kEdgeStrip, client.bottom + 1);
}

CSize SizingEdge::LayoutSize(const CRect& client) const {
    if (Horizontal()) return CSize(client.Width(), size_ - 3);
    return CSize(size_ - 3, client.Height() + 3);
}

UINT SizingEdge::CursorAt(const CRect& client, CPoint point) const {
    if (!EdgeRect(client).PtInRect(point)) return 0;
    return Horizontal() ? kCursorHorizontal : kCursorVertical;
}

bool SizingEdge::Begin(const CRect& client, CPoint point, const CRect& edgeOnScreen, const CRect& barOnScreen,
                       const CRect& parentOnScreen, CPoint pointOnScreen) {
    if (!EdgeRect(client).PtInRect(point)) return false;
    tracking_ = true;
    tracker_ = start_ = edgeOnScreen;
    dragStart_ = pointOnScreen;
    // The side toward the bar moves in so that the bar keeps its minimum size.
    limit_ = parentOnScreen;
    if (Horizontal()) {
        if (FarSide()) limit_.top = barOnScreen.top + minSize_ - kEdgeStrip;
        else limit_.bottom = barOnScreen.bottom - minSize_ + kEdgeStrip;
    } else {
        if (FarSide()) limit_.left = barOnScreen.left + minSize_ - kEdgeStrip;
        else limit_.right = barOnScreen.right - minSize_ + kEdgeStrip;
    }
    return true;
}

CRect SizingEdge::Move(CPoint pointOnScreen) {
    if (!tracking_) return tracker_;
    CRect next = start_;
    if (Horizontal()) {
        int dy = pointOnScreen.y - dragStart_.y;
        dy = std::clamp(dy, static_cast<int>(limit_.top - start_.top), static_cast<int>(limit_.bottom - start_.bottom));
        next.OffsetRect(0, dy);
    } else {
        int dx = pointOnScreen.x - dragStart_.x;
        dx = std::clamp(dx, static_cast<int>(limit_.left - start_.left), static_cast<int>(limit_.right - start_.right));
        next.OffsetRect(dx, 0);
    }
    tracker_ = next;
    return tracker_;
}

int SizingEdge::End(CPoint pointOnScreen) {
    if (!tracking_) return size_;
    Move(pointOnScreen);
    tracking_ = false;
    const int moved = Horizontal() ? tracker_.top - start_.top : tracker_.left - start_.left;
    size_ = std::max(minSize_, FarSide() ? size_ + moved : size_ - moved);
    return size_;
}
