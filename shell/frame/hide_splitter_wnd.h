// The main window's splitter, whose columns or rows can be hidden and shown
// again without destroying their views. A hidden line's panes are parked
// under pane ids beyond the grid, and the later lines take the ids of the
// line before them, so the visible panes always fill the grid from (0, 0).
// Only one line (a column or a row) is hidden at a time.
#pragma once

#include "platform/afx/afxwin.h"

class CHideSplitterWnd : public CSplitterWnd {
public:
    // Hides a column; nothing while a line is hidden already or for a
    // column that does not exist or is the only one.
    void HideColumn(int column);
    void ShowColumn();
    void SetColumnWidth(int column, int width);
    // The same for rows: the main frame's splitter is two rows of one column.
    void HideRow(int row);
    void ShowRow();
    void SetRowHeight(int row, int height);

    int HiddenColumn() const { return hiddenColumn_; }
    int HiddenRow() const { return hiddenRow_; }
    bool IsLineHidden() const { return hiddenColumn_ >= 0 || hiddenRow_ >= 0; }

private:
    void hideLine(bool columns, int line);
    void showLine(bool columns);
    // Parked panes live from this pane id on.
    static constexpr int kParkedId = AFX_IDW_PANE_FIRST + 15 * 16;

    int hiddenColumn_ = -1;
    int hiddenRow_ = -1;
    int keptSize_ = 0;
};
