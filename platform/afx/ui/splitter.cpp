// Static splitter windows.
#include <QPainter>

#include "platform/afx/ui/splitter.h"
#include "platform/afx/ui/ui_private.h"

using namespace afx_detail;

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CSplitterWnd::CSplitterWnd() = default;

CSplitterWnd::~CSplitterWnd() {
    delete[] m_pRowInfo;
    delete[] m_pColInfo;
}

BOOL CSplitterWnd::CreateStatic(CWnd* parent, int rows, int cols, DWORD style, UINT id) {
    if (rows < 1 || cols < 1 || rows > 16 || cols > 16) return FALSE;
    m_nMaxRows = m_nRows = rows;
    m_nMaxCols = m_nCols = cols;
    delete[] m_pRowInfo;
    delete[] m_pColInfo;
    // One slot more than the grid holds, for a column parked while hidden.
    m_pRowInfo = new CRowColInfo[static_cast<size_t>(rows) + 1]();
    m_pColInfo = new CRowColInfo[static_cast<size_t>(cols) + 1]();
    if (!CreateEx(0, "AfxSplitter", nullptr, style | WS_CHILD, CRect(0, 0, 0, 0), parent, id)) return FALSE;
    m_strClass = "AfxSplitter";
    return TRUE;
}

BOOL CSplitterWnd::CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE initSize, CCreateContext* context) {
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols || !viewClass) return FALSE;
    m_pColInfo[col].nIdealSize = initSize.cx;
    m_pRowInfo[row].nIdealSize = initSize.cy;
    CCreateContext ctx;
    if (context) ctx = *context;
    auto* wnd = dynamic_cast<CWnd*>(viewClass->CreateObject());
    if (!wnd) return FALSE;
    if (!wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, initSize.cx, initSize.cy), this,
                     static_cast<UINT>(IdFromRowCol(row, col)), &ctx))
        return FALSE;
    RecalcLayout();
    return TRUE;
}

void CSplitterWnd::GetRowInfo(int row, int& cur, int& min) const {
    cur = min = 0;
    if (row < 0 || row >= m_nMaxRows) return;
    cur = m_pRowInfo[row].nCurSize;
    min = m_pRowInfo[row].nMinSize;
}

void CSplitterWnd::SetRowInfo(int row, int ideal, int min) {
    if (row < 0 || row >= m_nMaxRows) return;
    m_pRowInfo[row].nIdealSize = ideal;
    m_pRowInfo[row].nMinSize = min;
}

void CSplitterWnd::GetColumnInfo(int col, int& cur, int& min) const {
    cur = min = 0;
    if (col < 0 || col >= m_nMaxCols) return;
    cur = m_pColInfo[col].nCurSize;
    min = m_pColInfo[col].nMinSize;
}

void CSplitterWnd::SetColumnInfo(int col, int ideal, int min) {
    if (col < 0 || col >= m_nMaxCols) return;
    m_pColInfo[col].nIdealSize = ideal;
    m_pColInfo[col].nMinSize = min;
}

CWnd* CSplitterWnd::GetPane(int row, int col) const { return GetDlgItem(IdFromRowCol(row, col)); }

BOOL CSplitterWnd::IsChildPane(CWnd* wnd, int* row, int* col) {
    if (!wnd || wnd->GetParent() != this) return FALSE;
    int id = wnd->GetDlgCtrlID() - AFX_IDW_PANE_FIRST;
    if (id < 0) return FALSE;
    int r = id / 16, c = id % 16;
    if (r >= m_nRows || c >= m_nCols) return FALSE;
    if (row) *row = r;
    if (col) *col = c;
    return TRUE;
}

namespace {
// Sizes of one axis: all but the last at their ideal size, the last the rest.
void Distribute(CRowColInfo* info, int count, int total, int gap) {
    int left = total;
    for (int i = 0; i < count; ++i) {
        int size;
        if (i == count - 1) {
            size = left;
        } else {
            size = info[i].nIdealSize;
            if (size < info[i].nMinSize) size = 0;
            if (size > left) size = left;
        }
        if (size < 0) size = 0;
        info[i].nCurSize = size;
        left -= size + (i < count - 1 ? gap : 0);
        if (left < 0) left = 0;
    }
}
}  // namespace

void CSplitterWnd::RecalcLayout() {
    if (!m_hWnd || m_nRows == 0 || m_nCols == 0) return;
    CRect client;
    GetClientRect(&client);
    Distribute(m_pColInfo, m_nCols, client.Width(), m_cxSplitterGap);
    Distribute(m_pRowInfo, m_nRows, client.Height(), m_cySplitterGap);
    int y = 0;
    for (int r = 0; r < m_nRows; ++r) {
        int x = 0;
        for (int c = 0; c < m_nCols; ++c) {
            if (CWnd* pane = GetPane(r, c)) pane->MoveWindow(x, y, m_pColInfo[c].nCurSize, m_pRowInfo[r].nCurSize);
            x += m_pColInfo[c].nCurSize + m_cxSplitterGap;
        }
        y += m_pRowInfo[r].nCurSize + m_cySplitterGap;
    }
    Invalidate();
}

CWnd* CSplitterWnd::GetActivePane(int* row, int* col) {
    CWnd* active = nullptr;
    if (CFrameWnd* f = GetParentFrame()) active = f->GetActiveView();
    if (!active) active = GetFocus();
    if (active && !IsChildPane(active, row, col)) active = nullptr;
    return active;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* wnd) {
    CWnd* pane = wnd ? wnd : GetPane(row, col);
    if (!pane) return;
    CFrameWnd* f = GetParentFrame();
    if (f && pane->IsKindOf(RUNTIME_CLASS(CView))) f->SetActiveView(static_cast<CView*>(pane), TRUE);
    else pane->SetFocus();
}

void CSplitterWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    RecalcLayout();
}

int CSplitterWnd::HitGap(CPoint point, bool* vertical) const {
    int x = 0;
    for (int c = 0; c + 1 < m_nCols; ++c) {
        x += m_pColInfo[c].nCurSize;
        if (point.x >= x && point.x < x + m_cxSplitterGap) {
            *vertical = true;
            return c;
        }
        x += m_cxSplitterGap;
    }
    int y = 0;
    for (int r = 0; r + 1 < m_nRows; ++r) {
        y += m_pRowInfo[r].nCurSize;
        if (point.y >= y && point.y < y + m_cySplitterGap) {
            *vertical = false;
            return r;
        }
        y += m_cySplitterGap;
    }
    return -1;
}

void CSplitterWnd::OnLButtonDown(UINT, CPoint point) {
    bool vertical = false;
    int i = HitGap(point, &vertical);
    if (i < 0) return;
    m_bTracking = TRUE;
    m_nTrackCol = vertical ? i : -1;
    m_nTrackRow = vertical ? -1 : i;
    SetCapture();
}

void CSplitterWnd::OnMouseMove(UINT, CPoint point) {
    if (!m_bTracking) return;
    if (m_nTrackCol >= 0) {
        int start = 0;
        for (int c = 0; c < m_nTrackCol; ++c) start += m_pColInfo[c].nCurSize + m_cxSplitterGap;
        int ideal = point.x - start;
        m_pColInfo[m_nTrackCol].nIdealSize = ideal < 0 ? 0 : ideal;
    } else if (m_nTrackRow >= 0) {
        int start = 0;
        for (int r = 0; r < m_nTrackRow; ++r) start += m_pRowInfo[r].nCurSize + m_cySplitterGap;
        int ideal = point.y - start;
        m_pRowInfo[m_nTrackRow].nIdealSize = ideal < 0 ? 0 : ideal;
    }
    RecalcLayout();
}

void CSplitterWnd::OnLButtonUp(UINT, CPoint) {
    if (!m_bTracking) return;
    m_bTracking = FALSE;
    m_nTrackCol = m_nTrackRow = -1;
    ReleaseCapture();
    RecalcLayout();
}

BOOL CSplitterWnd::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
    CPoint p;
    ::GetCursorPos(&p);
    ScreenToClient(&p);
    bool vertical = false;
    if (wnd == this && (m_bTracking || HitGap(p, &vertical) >= 0)) {
        ::SetCursor(::LoadCursor(nullptr, (m_bTracking ? m_nTrackCol >= 0 : vertical) ? IDC_SIZEWE : IDC_SIZENS));
        return TRUE;
    }
    return CWnd::OnSetCursor(wnd, hitTest, message);
}
