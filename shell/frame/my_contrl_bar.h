// The frame's dock bar at a side edge: it holds the file bar and has one
// draggable edge on the side that faces the views, so that the user can
// make the bar wider or narrower; the frame is told the new size.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/frame/sizing_edge.h"

class CMyContrlBar : public CDockBar {
public:
    CMyContrlBar(DWORD style, int size, int minSize);

    using CDockBar::Create;
    // The bar's width (left or right) or height (top or bottom).
    int Size() const { return edge_.Size(); }
    // Stores the size, lays the frame out again and repaints.
    void SetSize(int size);
    // The room the docked bar inside gets.
    CSize LayoutSize() const;
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    void DoPaint(CDC* dc) override;
    const SizingEdge& Edge() const { return edge_; }

protected:
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg LRESULT OnControlBarDrag(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void DrawTracker(const CRect& onScreen);
    void Relayout();

    SizingEdge edge_;
    COLORREF highlight_, shadow_, face_;
};
