#include "shell/frame/file_list_ctrl.h"

namespace {
// Column headings from the language library: file, language, type, status,
// resolution. The language column has no string of its own; GBK "语言".
const UINT kHeadingIds[] = {61467, 0, 61448, 61449, 61450};
const char* const kLanguageHeading = "\xD3\xEF\xD1\xD4";
const int kWidths[] = {160, 48, 48, 40, 56};
}  // namespace

BOOL CFileListCtrl::Create(CWnd* parent, UINT id) {
    if (!CListCtrl::Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 0, 100, 100),
                           parent, id))
        return FALSE;
    for (int c = 0; c < 5; ++c) {
        CString heading;
        if (kHeadingIds[c]) heading.LoadString(kHeadingIds[c]);
        else heading = kLanguageHeading;
        InsertColumn(c, heading.GetString(), LVCFMT_LEFT, kWidths[c]);
    }
    return TRUE;
}

int CFileListCtrl::FindItem(const std::string& path) {
    const int row = FindItemText(kPageListPath, path.c_str());
    if (row >= 0) SelectItem(row);
    return row;
}

void CFileListCtrl::SelectItem(int row) {
    for (int r = 0; r < GetItemCount(); ++r)
        SetItemState(r, r == row ? LVIS_SELECTED | LVIS_FOCUSED : 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0 && row < GetItemCount()) EnsureVisible(row, FALSE);
}

int CFileListCtrl::UpdateItem(const FileItemInfo& item) {
    int row = FindItemText(kPageListPath, item.path.c_str());
    if (row < 0) row = InsertItem(GetItemCount(), item.path.c_str());
    if (row < 0) return -1;
    SetItemText(row, kPageListLanguage, item.language.c_str());
    SetItemText(row, kPageListType, item.type.c_str());
    SetItemText(row, kPageListStatus, std::to_string(item.status).c_str());
    SetItemText(row, kPageListResolution, item.resolution.c_str());
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
