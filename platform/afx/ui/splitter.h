// Splitter windows: a static grid of panes (usually views) with draggable
// bars between the rows and columns.
#pragma once

#include <vector>

#include "platform/afx/ui/docview.h"

struct CRowColInfo {
    int nMinSize;
    int nIdealSize;
    int nCurSize;
};

class AFX_UI_API CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)
public:
    CSplitterWnd();
    ~CSplitterWnd() override;

    BOOL CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE, UINT id = AFX_IDW_PANE_FIRST);
    virtual BOOL CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE initSize, CCreateContext* context);
    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    void GetRowInfo(int row, int& cur, int& min) const;
    void SetRowInfo(int row, int ideal, int min);
    void GetColumnInfo(int col, int& cur, int& min) const;
    void SetColumnInfo(int col, int ideal, int min);
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
    BOOL IsChildPane(CWnd* wnd, int* row, int* col);
    // Places the panes: every column but the last at its ideal width (none
    // below its minimum: such a column gets no room), the last one the rest.
    virtual void RecalcLayout();
    virtual CWnd* GetActivePane(int* row = nullptr, int* col = nullptr);
    virtual void SetActivePane(int row, int col, CWnd* wnd = nullptr);

    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

    int m_nMaxRows = 0, m_nMaxCols = 0;
    int m_nRows = 0, m_nCols = 0;
    CRowColInfo* m_pRowInfo = nullptr;
    CRowColInfo* m_pColInfo = nullptr;
    int m_cxSplitter = 7, m_cySplitter = 7;
    int m_cxSplitterGap = 7, m_cySplitterGap = 7;
    int m_cxBorder = 0, m_cyBorder = 0;
    BOOL m_bTracking = FALSE;
    int m_nTrackCol = -1, m_nTrackRow = -1;

protected:
    int HitGap(CPoint point, bool* vertical) const;
    DECLARE_MESSAGE_MAP()
};
