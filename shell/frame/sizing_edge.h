// The draggable edge of the side dock bar, without the window: where the
// edge lies, how a drag moves its tracker and what size the bar gets.
#pragma once

#include "platform/afx/afxwin.h"

// Messages of the dock bar: posted to itself after every WM_SIZE, and to
// its frame after a drag changed its size.
#define WM_CONTROLBAR_DRAG (WM_USER + 1000)
#define WM_CONTROLBAR_RESIZED (WM_USER + 1001)

class SizingEdge {
public:
    static constexpr int kEdgeDepth = 7;  // the strip is 3 pixels less
    static constexpr int kEdgeStrip = kEdgeDepth - 3;
    static constexpr int kEdgeLine = 2;
    static constexpr UINT kCursorVertical = 30980;    // a left or right bar's edge
    static constexpr UINT kCursorHorizontal = 30981;  // a top or bottom bar's edge

    SizingEdge(DWORD style, int size, int minSize) : style_(style), size_(size), minSize_(minSize) {}

    DWORD Style() const { return style_; }
    void SetStyle(DWORD style) { style_ = style; }
    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }
    int MinSize() const { return minSize_; }
    bool Horizontal() const { return (style_ & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)) != 0; }
    // The edge sits on the bar's far side (right of a left bar, below a top bar).
    bool FarSide() const;

    // The edge's rectangle in the bar's client coordinates.
    CRect EdgeRect(const CRect& client) const;
    // The room the docked bar inside gets.
    CSize LayoutSize(const CRect& client) const;
    // The resource cursor over `point` (client), 0 for the arrow.
    UINT CursorAt(const CRect& client, CPoint point) const;

    // A drag: started with a button press at `point` (client) when it is on
    // the edge; `edgeOnScreen` is the edge in screen coordinates and
    // `parentOnScreen` the frame's client area, which limits the tracker so
    // that the bar keeps its minimum size. FALSE: not on the edge.
    bool Begin(const CRect& client, CPoint point, const CRect& edgeOnScreen, const CRect& barOnScreen,
               const CRect& parentOnScreen, CPoint pointOnScreen);
    bool Tracking() const { return tracking_; }
    // The tracker moved along the bar's axis to follow `pointOnScreen`, clamped.
    CRect Move(CPoint pointOnScreen);
    // The drag ends: the new size (never below the minimum).
    int End(CPoint pointOnScreen);
    const CRect& Tracker() const { return tracker_; }
    const CRect& Limit() const { return limit_; }

private:
    DWORD style_;
    int size_;
    int minSize_;
    bool tracking_ = false;
    CRect tracker_;
    CRect start_;
    CRect limit_;
    CPoint dragStart_;
};
