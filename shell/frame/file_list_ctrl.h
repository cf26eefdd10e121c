// The page list of the file bar: one row an image, columns file, language,
// type, status and resolution. Work commands act on its selected rows and the
// page view shows its focused row.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "shell/shell_services.h"

class CFileListCtrl : public CListCtrl {
public:
    BOOL Create(CWnd* parent, UINT id);

    // The row whose file column is `path` (exact bytes: '*' and '?' are
    // ordinary characters here), selected and focused; -1 when none.
    int FindItem(const std::string& path);
    // Makes `row` the only selected row and the focused one.
    void SelectItem(int row);
    // Adds a row for `item.path` or updates the row that lists it; its row.
    int UpdateItem(const FileItemInfo& item);
    std::vector<int> SelectedRows() const;
    // The first selected row, else the focused row, else -1.
    int CurrentRow() const;
    void NextRow();
    void PrevRow();
    void SelectAll();
};
