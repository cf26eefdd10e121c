#include "shell/frame/hide_splitter_wnd.h"

void CHideSplitterWnd::HideColumn(int column) { hideLine(true, column); }
void CHideSplitterWnd::ShowColumn() { showLine(true); }
void CHideSplitterWnd::HideRow(int row) { hideLine(false, row); }
void CHideSplitterWnd::ShowRow() { showLine(false); }

void CHideSplitterWnd::SetColumnWidth(int column, int width) {
    if (column >= 0 && column < m_nMaxCols) m_pColInfo[column].nIdealSize = width;
}

void CHideSplitterWnd::SetRowHeight(int row, int height) {
    if (row >= 0 && row < m_nMaxRows) m_pRowInfo[row].nIdealSize = height;
}

void CHideSplitterWnd::hideLine(bool columns, int line) {
    int& count = columns ? m_nCols : m_nRows;
    const int across = columns ? m_nRows : m_nCols;
    if (IsLineHidden() || line < 0 || line >= count || count < 2) return;
    CRowColInfo* info = columns ? m_pColInfo : m_pRowInfo;
    auto idOf = [&](int l, int a) { return columns ? IdFromRowCol(a, l) : IdFromRowCol(l, a); };

    // The active pane moves to the next line (the first when the last goes).
    int activeRow = -1, activeCol = -1;
    GetActivePane(&activeRow, &activeCol);
    const int activeLine = columns ? activeCol : activeRow;

    for (int a = 0; a < across; ++a) {
        CWnd* hidden = GetDlgItem(idOf(line, a));
        if (hidden) {
            hidden->ShowWindow(SW_HIDE);
            hidden->SetDlgCtrlID(kParkedId + a);
        }
        for (int l = line + 1; l < count; ++l)
            if (CWnd* pane = GetDlgItem(idOf(l, a))) pane->SetDlgCtrlID(idOf(l - 1, a));
    }
    keptSize_ = info[line].nIdealSize;
    for (int l = line; l + 1 < count; ++l) info[l] = info[l + 1];
    info[count - 1].nIdealSize = keptSize_;
    --count;
    (columns ? hiddenColumn_ : hiddenRow_) = line;
    if (activeLine == line) {
        const int next = line < count ? line : 0;
        if (CWnd* pane = GetDlgItem(idOf(next, 0))) SetActivePane(columns ? 0 : next, columns ? next : 0, pane);
    }
    RecalcLayout();
}

void CHideSplitterWnd::showLine(bool columns) {
    int& hidden = columns ? hiddenColumn_ : hiddenRow_;
    if (hidden < 0) return;
    int& count = columns ? m_nCols : m_nRows;
    const int across = columns ? m_nRows : m_nCols;
    CRowColInfo* info = columns ? m_pColInfo : m_pRowInfo;
    auto idOf = [&](int l, int a) { return columns ? IdFromRowCol(a, l) : IdFromRowCol(l, a); };

    ++count;
    for (int a = 0; a < across; ++a) {
        for (int l = count - 1; l > hidden; --l)
            if (CWnd* pane = GetDlgItem(idOf(l - 1, a))) pane->SetDlgCtrlID(idOf(l, a));
        if (CWnd* parked = GetDlgItem(kParkedId + a)) {
            parked->SetDlgCtrlID(idOf(hidden, a));
            parked->ShowWindow(SW_SHOW);
        }
    }
    for (int l = count - 1; l > hidden; --l) info[l] = info[l - 1];
    info[hidden].nIdealSize = keptSize_;
    hidden = -1;
    RecalcLayout();
}
