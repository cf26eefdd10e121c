// What the page list decides without its window: column widths for a list
// width, the cell under a point, the order rows are deleted in, which rows a
// drag moves and where they land, and what a cell editor offers and writes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/types.h"

constexpr int kPageListColumns = 5;

// Whether two paths name one listed file: letter case does not count
// (double-byte characters are compared whole).
bool PageListSameFile(const std::string& a, const std::string& b);
using PageListWidths = std::array<int, kPageListColumns>;

// File and Language share the width; Type, Status and Resolution hold data
// but are not shown (width 0).
PageListWidths PageListColumnWidths(int listWidth);
// The column whose span [left, left + width] (both ends) holds `x`, walking
// from the row's left edge; -1 for none.
int PageListColumnAt(const PageListWidths& widths, int rowLeft, int x);

// The indexes to delete one after another so that exactly the selected rows
// (ascending) go: the i-th of them stands at its index minus i by then.
std::vector<int> PageListDeletionOrder(const std::vector<int>& selectedAscending);

// The rows a drag moves: the selection when it is one run of consecutive
// rows, else only the row where the drag began.
struct PageListRun {
    int first = -1;
    int count = 0;
};
PageListRun PageListDraggedRows(const std::vector<int>& selectedAscending, int startRow);
// The rows' new order after dropping `run` before row `target` (-1 or past
// the end: after the last row): entry i is the old index of the row now at i.
std::vector<int> PageListDropOrder(int rowCount, PageListRun run, int target);

// The in-place editor a double-click on a cell of the focused row opens.
enum class PageListEditor { None, Language, Type, Resolution };
// None for the File and Status columns and for a column too narrow for its
// editor (a list needs 10 pixels, an edit box more than 4).
PageListEditor PageListEditorFor(int column, int columnWidth);
// The string ids the drop-down list offers.
std::vector<UINT> PageListEditorChoices(PageListEditor editor);
// The entry the drop-down list opens on: the one the cell holds, -1 (none
// chosen) when it holds none of them.
int PageListInitialChoice(const std::vector<std::string>& choices, const std::string& cell);
// What an ended edit writes into the cell: nothing when it was cancelled or
// nothing was chosen; for the resolution only a whole number of 1 to 10000
// dots per inch (surrounding blanks dropped).
std::optional<std::string> PageListEditResult(PageListEditor editor, bool cancelled, const std::vector<std::string>& choices,
                                              int chosen, const std::string& typed);
