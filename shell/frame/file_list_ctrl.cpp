#include "shell/frame/file_list_ctrl.h"

#include "platform/win/codepage.h"
#include "platform/win/path.h"
#include "shell/frame/in_place_editors.h"

namespace {
constexpr UINT kZoomIn = 32848;  // the page view zoom commands
constexpr UINT kZoomOut = 32849;
// Column headings from the running edition's language library: file,
// language, type, status, resolution.
const UINT kHeadingIds[] = {61520, 61521, 61448, 61449, 61450};
const int kWidths[] = {160, 48, 48, 40, 56};
const COLORREF kGridColour = RGB(192, 192, 192);
const COLORREF kInactiveSelection = RGB(128, 128, 255);
constexpr UINT kCellText = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
}  // namespace

BEGIN_MESSAGE_MAP(CFileListCtrl, CListCtrl)
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_NOTIFY_REFLECT(LVN_BEGINDRAG, OnBeginDrag)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
END_MESSAGE_MAP()

BOOL CFileListCtrl::Create(CWnd* parent, UINT id) {
    if (!CListCtrl::Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED,
                           CRect(0, 0, 100, 100), parent, id))
        return FALSE;
    for (int c = 0; c < kPageListColumns; ++c) {
        CString heading;
        heading.LoadString(kHeadingIds[c]);
        InsertColumn(c, heading.GetString(), LVCFMT_LEFT, kWidths[c]);
    }
    // The header is asked about its dividers from now on (OnNotify).
    GetHeaderCtrl();
    return TRUE;
}

int CFileListCtrl::FindRow(const std::string& path) const {
    for (int r = 0; r < GetItemCount(); ++r)
        if (PageListSameFile(GetItemText(r, kPageListPath).GetString(), path)) return r;
    return -1;
}

int CFileListCtrl::FindItem(const std::string& path) {
    const int row = FindRow(path);
    if (row >= 0) SelectItem(row);
    return row;
}

void CFileListCtrl::SelectItem(int row) {
    for (int r = 0; r < GetItemCount(); ++r)
        SetItemState(r, r == row ? LVIS_SELECTED | LVIS_FOCUSED : 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0 && row < GetItemCount()) EnsureVisible(row, FALSE);
}

int CFileListCtrl::UpdateItem(const FileItemInfo& item) {
    // A listed file keeps its row as it is (its cells and row value).
    if (item.path.empty() || FindRow(item.path) >= 0) return -1;
    const int row = InsertItem(GetItemCount(), item.path.c_str());
    if (row < 0) return -1;
    SetItemText(row, kPageListLanguage, item.language.c_str());
    SetItemText(row, kPageListType, item.type.c_str());
    SetItemText(row, kPageListStatus, std::to_string(item.status).c_str());
    SetItemText(row, kPageListResolution, item.resolution.c_str());
    Modified();
    return row;
}

std::vector<int> CFileListCtrl::SelectedRows() const {
    std::vector<int> rows;
    for (int r = 0; r < GetItemCount(); ++r)
        if (GetItemState(r, LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(r);
    return rows;
}

int CFileListCtrl::CurrentRow() const {
    const std::vector<int> rows = SelectedRows();
    if (!rows.empty()) return rows.front();
    return GetNextItem(-1, LVNI_FOCUSED);
}

void CFileListCtrl::NextRow() {
    const int row = CurrentRow();
    if (row + 1 < GetItemCount()) SelectItem(row + 1);
}

void CFileListCtrl::PrevRow() {
    const int row = CurrentRow();
    if (row > 0) SelectItem(row - 1);
}

void CFileListCtrl::SelectAll() {
    for (int r = 0; r < GetItemCount(); ++r) SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
    SetFocus();
}

void CFileListCtrl::OpenRow(int row) {
    if (onOpenRow) onOpenRow(row);
}

void CFileListCtrl::Modified() {
    if (onModified) onModified();
}

void CFileListCtrl::Resize(int cx, int cy) {
    MoveWindow(1, 20, cx - 2, cy - 24);
    if (cx - 2 != lastWidth_) LayoutColumns(cx - 2);
    lastWidth_ = cx - 2;
}

void CFileListCtrl::LayoutColumns(int width) {
    const PageListWidths widths = PageListColumnWidths(width);
    for (int c = 0; c < kPageListColumns; ++c) SetColumnWidth(c, static_cast<WORD>(widths[static_cast<std::size_t>(c)]));
    Invalidate(TRUE);
}

BOOL CFileListCtrl::DeleteSelectedItems() {
    const std::vector<int> order = PageListDeletionOrder(SelectedRows());
    for (int row : order) DeleteItem(row);
    if (!order.empty()) Modified();
    return TRUE;
}

int CFileListCtrl::HitTestCell(CPoint point, int* column) const {
    const int top = GetTopIndex();
    const int last = std::min(GetItemCount(), top + GetCountPerPage() + 1);
    for (int row = std::max(top, 0); row < last; ++row) {
        CRect r;
        if (!GetItemRect(row, &r, LVIR_BOUNDS) || !r.PtInRect(point)) continue;
        PageListWidths widths{};
        for (int c = 0; c < kPageListColumns; ++c) widths[static_cast<std::size_t>(c)] = GetColumnWidth(c);
        const int col = PageListColumnAt(widths, r.left, point.x);
        if (column) *column = col;
        return col >= 0 ? row : -1;
    }
    return -1;
}

BOOL CFileListCtrl::EditCell(int row, int column) {
    if (editor_ || row < 0 || row >= GetItemCount() || column < 0 || column >= kPageListColumns) return FALSE;
    const PageListEditor kind = PageListEditorFor(column, GetColumnWidth(column));
    if (kind == PageListEditor::None || !EnsureVisible(row, TRUE)) return FALSE;
    CRect cell;
    GetItemRect(row, &cell, LVIR_BOUNDS);
    for (int c = 0; c < column; ++c) cell.left += GetColumnWidth(c);
    cell.right = cell.left + GetColumnWidth(column);
    CRect client;
    GetClientRect(&client);
    cell.right = std::min(cell.right, client.right);
    const std::string text = GetItemText(row, column).GetString();
    editChoices_.clear();
    if (kind == PageListEditor::Resolution) {
        auto* edit = new CInPlaceEdit(this);
        if (!edit->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell, this, 1008)) {
            delete edit;
            return FALSE;
        }
        edit->SetFont(GetFont());
        edit->SetWindowText(text.c_str());
        edit->SetSel(0, -1);
        editor_ = edit;
    } else {
        CRect drop = cell;
        drop.bottom = drop.top + cell.Height() * 7;
        auto* combo = new CInPlaceCombo(this);
        if (!combo->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | CBS_DROPDOWNLIST, drop, this, 1008)) {
            delete combo;
            return FALSE;
        }
        combo->SetFont(GetFont());
        for (UINT id : PageListEditorChoices(kind)) {
            CString choice;
            choice.LoadString(id);
            editChoices_.push_back(choice.GetString());
            combo->AddString(choice);
        }
        // It opens on the cell's own entry (none when the cell holds another text).
        combo->SetCurSel(PageListInitialChoice(editChoices_, text));
        editor_ = combo;
    }
    editKind_ = kind;
    editRow_ = row;
    editColumn_ = column;
    editor_->SetFocus();
    return TRUE;
}

void CFileListCtrl::EndCellEdit(bool cancelled) {
    CWnd* editor = editor_;
    if (!editor) return;
    editor_ = nullptr;  // ends once, however many ways it is told
    int chosen = -1;
    CString typed;
    if (editKind_ == PageListEditor::Resolution) editor->GetWindowText(typed);
    else chosen = static_cast<CComboBox*>(editor)->GetCurSel();
    const std::optional<std::string> result =
        PageListEditResult(editKind_, cancelled, editChoices_, chosen, typed.GetString());
    if (result && editRow_ < GetItemCount()) {
        SetItemText(editRow_, editColumn_, result->c_str());
        const int pane = editColumn_ == 1 ? 2 : editColumn_ == 2 ? 3 : 4;
        if (onShowCell) onShowCell(pane, *result);
    }
    Modified();
    editor->DestroyWindow();
    if (::IsWindow(m_hWnd)) SetFocus();
}

void CFileListCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    CListCtrl::OnKeyDown(key, repeat, flags);
    const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (key == VK_DELETE) {
        DeleteSelectedItems();
        const int focused = GetNextItem(-1, LVNI_FOCUSED);
        if (focused >= 0) SelectItem(focused);
        OpenRow(GetNextItem(-1, LVNI_FOCUSED));
    } else if (key == 'A' && ctrl) {
        SelectAll();
    } else if (key == VK_ADD || key == VK_SUBTRACT) {
        if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, key == VK_ADD ? kZoomIn : kZoomOut);
    } else if (key != VK_CONTROL && key != VK_SHIFT) {
        OpenRow(GetNextItem(-1, LVNI_FOCUSED));
    }
}

void CFileListCtrl::OnLButtonDblClk(UINT flags, CPoint point) {
    CListCtrl::OnLButtonDblClk(flags, point);
    int column = -1;
    const int row = HitTestCell(point, &column);
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    if (row < 0) {
        if (focused >= 0) SelectItem(focused);
        return;
    }
    if (row != focused) return;
    EditCell(row, column);
}

void CFileListCtrl::OnBeginDrag(NMHDR* header, LRESULT* result) {
    if (result) *result = 0;
    const auto* note = reinterpret_cast<const NMLISTVIEW*>(header);
    dragStart_ = note ? note->iItem : -1;
    if (dragStart_ < 0 || dragStart_ >= GetItemCount()) return;
    // A selection with gaps drags only the row the drag began on.
    const std::vector<int> selected = SelectedRows();
    const PageListRun run = PageListDraggedRows(selected, dragStart_);
    if (static_cast<int>(selected.size()) != run.count) SelectItem(dragStart_);
    dragging_ = true;
    // The picture of the first dragged row, made as the list would draw it plainly.
    const bool ownerDrawn = (GetStyle() & LVS_OWNERDRAWFIXED) != 0;
    if (ownerDrawn) ModifyStyle(LVS_OWNERDRAWFIXED, 0);
    CPoint upLeft;
    dragImage_.reset(CreateDragImage(run.first >= 0 ? run.first : dragStart_, &upLeft));
    if (ownerDrawn) ModifyStyle(0, LVS_OWNERDRAWFIXED);
    CPoint start = note->ptAction;
    ClientToScreen(&start);
    if (dragImage_ && dragImage_->BeginDrag(0, CPoint(8, 8))) CImageList::DragEnter(nullptr, start);
    SetCapture();
}

void CFileListCtrl::OnMouseMove(UINT flags, CPoint point) {
    if (!dragging_) {
        CListCtrl::OnMouseMove(flags, point);
        return;
    }
    CPoint screen = point;
    ClientToScreen(&screen);
    CImageList::DragMove(screen);
}

void CFileListCtrl::EndDragImage() {
    if (!dragImage_) return;
    CImageList::DragLeave(nullptr);
    CImageList::EndDrag();
    dragImage_.reset();
}

void CFileListCtrl::OnDestroy() {
    // A list going in the middle of a drag takes its picture off the screen.
    if (dragging_ && GetCapture() == this) ReleaseCapture();
    dragging_ = false;
    EndDragImage();
    CListCtrl::OnDestroy();
}

void CFileListCtrl::OnLButtonUp(UINT flags, CPoint point) {
    if (!dragging_) {
        CListCtrl::OnLButtonUp(flags, point);
        return;
    }
    dragging_ = false;
    if (GetCapture() == this) ReleaseCapture();
    EndDragImage();
    // Rows are dropped only onto this list: a release over any other window moves nothing.
    CPoint screen = point;
    ClientToScreen(&screen);
    if (CWnd::WindowFromPoint(screen) != this) return;
    const int target = HitTest(CPoint(point.x, point.y + 10));
    MoveRows(dragStart_, target);
}

void CFileListCtrl::MoveRows(int startRow, int target) {
    const PageListRun run = PageListDraggedRows(SelectedRows(), startRow);
    if (run.first < 0 || run.first + run.count > GetItemCount()) return;
    struct Row {
        std::vector<CString> cells;
        DWORD_PTR value;
        UINT state;
    };
    std::vector<Row> rows;
    for (int r = 0; r < GetItemCount(); ++r) {
        Row row;
        for (int c = 0; c < kPageListColumns; ++c) row.cells.push_back(GetItemText(r, c));
        row.value = GetItemData(r);
        row.state = GetItemState(r, LVIS_SELECTED | LVIS_FOCUSED);
        rows.push_back(row);
    }
    const std::vector<int> order = PageListDropOrder(static_cast<int>(rows.size()), run, target);
    // Every row is written back whole, at its new place: no text is cut.
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Row& row = rows[static_cast<std::size_t>(order[i])];
        const int r = static_cast<int>(i);
        for (int c = 0; c < kPageListColumns; ++c) SetItemText(r, c, row.cells[static_cast<std::size_t>(c)]);
        SetItemData(r, row.value);
        SetItemState(r, row.state, LVIS_SELECTED | LVIS_FOCUSED);
    }
    Modified();
    OpenRow(GetNextItem(-1, LVNI_FOCUSED));
}

void CFileListCtrl::OnClick(NMHDR*, LRESULT* result) {
    if (result) *result = 0;
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    if (focused < 0) return;
    OpenRow(focused);
    if (::IsWindow(m_hWnd) && focused < GetItemCount() && GetSelectedCount() == 0) SelectItem(focused);
}

BOOL CFileListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // The columns keep the widths the layout gives them: a divider can be
    // neither dragged nor double-clicked open.
    const auto* note = reinterpret_cast<const NMHDR*>(lParam);
    if (note && (note->code == HDN_BEGINTRACK || note->code == HDN_BEGINTRACKW || note->code == HDN_DIVIDERDBLCLICK ||
                 note->code == HDN_DIVIDERDBLCLICKW)) {
        if (result) *result = 1;
        return TRUE;
    }
    return CListCtrl::OnNotify(wParam, lParam, result);
}

void CFileListCtrl::OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
    // Scrolling ends an open cell editor first: it would stand over another row.
    if (GetFocus() != this) SetFocus();
    CListCtrl::OnVScroll(code, pos, bar);
}

void CFileListCtrl::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (GetFocus() != this) SetFocus();
    CListCtrl::OnHScroll(code, pos, bar);
}

void CFileListCtrl::OnSetFocus(CWnd* old) {
    CListCtrl::OnSetFocus(old);
    RedrawFocusedRow();
}

void CFileListCtrl::OnKillFocus(CWnd* next) {
    CListCtrl::OnKillFocus(next);
    RedrawFocusedRow();
}

void CFileListCtrl::RedrawFocusedRow() {
    // The selection's colours and the focus rectangle follow the list's focus.
    if (::IsWindow(m_hWnd)) Invalidate(FALSE);
}

void CFileListCtrl::DrawItem(LPDRAWITEMSTRUCT dis) {
    const int row = static_cast<int>(dis->itemID);
    if (row < 0 || row >= GetItemCount()) return;
    CDC* dc = CDC::FromHandle(dis->hDC);
    const int saved = dc->SaveDC();
    const UINT state = GetItemState(row, LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
    const bool focused = GetFocus() == this;
    const bool marked = (state & (LVIS_SELECTED | LVIS_DROPHILITED)) != 0;
    CRect box = dis->rcItem;
    if (marked) {
        dc->SetTextColor(::GetSysColor(COLOR_HIGHLIGHTTEXT));
        const COLORREF fill = focused || (state & LVIS_DROPHILITED) ? ::GetSysColor(COLOR_HIGHLIGHT) : kInactiveSelection;
        dc->FillSolidRect(&box, fill);
    } else {
        dc->FillSolidRect(&box, ::GetSysColor(COLOR_WINDOW));
    }
    dc->SetBkMode(TRANSPARENT);
    // The file column shows the file's name; the status column is not shown.
    const std::string path = GetItemText(row, kPageListPath).GetString();
    const std::string name(suite::PathLastPart(path));
    CRect label;
    GetItemRect(row, &label, LVIR_LABEL);
    label.top = box.top;
    label.bottom = box.bottom;
    dc->DrawText(name.c_str(), static_cast<int>(name.size()), &label, kCellText | DT_NOCLIP);
    int left = box.left + GetColumnWidth(kPageListPath);
    for (int c = 1; c < kPageListColumns; ++c) {
        const int width = GetColumnWidth(c);
        if (c != kPageListStatus && width > 0) {
            CRect cell(left, box.top, left + width, box.bottom);
            const CString text = GetItemText(row, c);
            dc->DrawText(text.GetString(), text.GetLength(), &cell, kCellText);
        }
        left += width;
    }
    if ((state & LVIS_FOCUSED) && focused) dc->DrawFocusRect(&box);
    dc->RestoreDC(saved);
}

void CFileListCtrl::OnPaint() {
    Default();
    CClientDC dc(this);
    CRect client;
    GetClientRect(&client);
    int headerBottom = 0;
    if (CHeaderCtrl* header = GetHeaderCtrl()) {
        CRect r;
        header->GetWindowRect(&r);
        ScreenToClient(&r);
        headerBottom = r.bottom;
    }
    CPen pen(PS_SOLID, 1, kGridColour);
    CPen* old = dc.SelectObject(&pen);
    // Between the columns, but not at the right edge of the hidden status column.
    int x = -GetScrollPos(SB_HORZ) - 1;
    for (int c = 0; c < kPageListColumns; ++c) {
        x += GetColumnWidth(c);
        if (x >= client.right) break;
        if (c == kPageListStatus) continue;
        dc.MoveTo(x, headerBottom);
        dc.LineTo(x, client.bottom);
    }
    // Under every row a page can show.
    int rowHeight = 0;
    CRect first;
    if (GetItemCount() > 0 && GetItemRect(0, &first, LVIR_BOUNDS)) rowHeight = first.Height();
    if (rowHeight <= 0) {
        LOGFONT font{};
        if (CFont* f = GetFont()) f->GetLogFont(&font);
        rowHeight = font.lfHeight == -12 ? 13 : 16;
    }
    for (int k = 1; k <= GetCountPerPage(); ++k) {
        const int y = headerBottom + k * rowHeight;
        dc.MoveTo(0, y);
        dc.LineTo(client.right, y);
    }
    dc.SelectObject(old);
}
