// The page list of the file bar: one row an image, columns file, language,
// type, status and resolution. Work commands act on its selected rows and the
// page view shows its focused row.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "shell/frame/page_list_model.h"
#include "shell/shell_services.h"

class CFileListCtrl : public CListCtrl {
public:
    BOOL Create(CWnd* parent, UINT id);

    // The row whose file column names `path` (letter case aside; '*' and
    // '?' are ordinary characters here), selected and focused; -1 when none.
    int FindItem(const std::string& path);
    // Makes `row` the only selected row and the focused one.
    void SelectItem(int row);
    // Adds a row for `item.path` at the end and marks the job modified; its
    // row. -1, and nothing changed, when the file is listed already.
    int UpdateItem(const FileItemInfo& item);
    std::vector<int> SelectedRows() const;
    // The first selected row, else the focused row, else -1.
    int CurrentRow() const;
    void NextRow();
    void PrevRow();
    void SelectAll();

    // Lays the list out in the file bar's client area (cx by cy): at (1, 20),
    // cx - 2 wide; the columns follow a changed width.
    void Resize(int cx, int cy);
    void LayoutColumns(int width);
    // Deletes exactly the selected rows. TRUE.
    BOOL DeleteSelectedItems();
    // The row and column under a client point; -1 when no row is there.
    int HitTestCell(CPoint point, int* column) const;
    // Opens the editor of a cell of the focused row (Language, Type: a
    // drop-down list on the cell's entry; Resolution: an edit box); FALSE
    // when the cell has none.
    BOOL EditCell(int row, int column);
    // Ends the open edit: a choice (or a sane resolution) is written into
    // the cell and shown in the status bar; cancelled or unchosen, the cell stays.
    void EndCellEdit(bool cancelled);
    CWnd* CellEditor() const { return editor_; }
    // Moves the selected rows (or the row the drag began on) before `target`
    // (-1: after the last row), rows whole with their texts and values.
    void MoveRows(int startRow, int target);

    // What the list asks of its owner: open a row's image, mark the job
    // modified, show an edited cell's text in status pane 2, 3 or 4.
    std::function<void(int row)> onOpenRow;
    std::function<void()> onModified;
    std::function<void(int pane, const std::string& text)> onShowCell;

    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnBeginDrag(NMHDR* header, LRESULT* result);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnDestroy();
    // A click opens the focused row's page.
    void OnClick(NMHDR* header, LRESULT* result);
    void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    void OnSetFocus(CWnd* old);
    void OnKillFocus(CWnd* next);
    // The grid lines over the rows.
    void OnPaint();
    // Each row: the file name, the shown cells, highlight and focus rectangle.
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    DECLARE_MESSAGE_MAP()

private:
    int FindRow(const std::string& path) const;
    void RedrawFocusedRow();
    void OpenRow(int row);
    void Modified();
    CWnd* editor_ = nullptr;
    PageListEditor editKind_ = PageListEditor::None;
    int editRow_ = -1;
    int editColumn_ = -1;
    std::vector<std::string> editChoices_;
    int lastWidth_ = 0;
    void EndDragImage();
    bool dragging_ = false;
    int dragStart_ = -1;
    std::unique_ptr<CImageList> dragImage_;  // the dragged row's picture, from the drag's start to its end
};
