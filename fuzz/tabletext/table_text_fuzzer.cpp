// Arbitrary bytes as escaped and as plain table text: the parse into export
// cells, the line helpers and the plain cell text must stay inside the text.
// The same bytes also serve as the texts of a three-row grid's cells, whose
// layout must parse back over its whole length.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ocrdoc/helpers/export_entries.h"
#include "ocrdoc/tabletext/escaped_lines.h"
#include "ocrdoc/tabletext/table_export.h"
#include "ocrdoc/tabletext/table_layout.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

TableCell Entry(int c0, int r0, int c1, int r1, int left, int top, int right, int bottom, int own) {
    TableCell c{};
    c.nFirstCol = c0;
    c.nFirstRow = r0;
    c.nLastCol = c1;
    c.nLastRow = r1;
    c.left = left;
    c.top = top;
    c.right = right;
    c.bottom = bottom;
    c.nLeftRule = c.nTopRule = c.nRightRule = 1;
    c.nBottomRule = own ? 1 : 0;
    c.bOwn = own;
    return c;
}

// Two columns, three rows; the left cell of rows 0 and 1 is merged.
struct Grid {
    TableCell row0[2] = {Entry(0, 0, 1, 1, 2, 2, 60, 38, 1), Entry(1, 0, 2, 1, 64, 2, 198, 38, 1)};
    TableCell row1[2] = {Entry(0, 1, 1, 2, 2, 42, 60, 78, 0), Entry(1, 1, 2, 2, 64, 42, 198, 78, 1)};
    TableCell row2[1] = {Entry(0, 2, 2, 3, 2, 82, 198, 138, 1)};
    INT perRow[3] = {2, 2, 1};
    TableCell* rows[3] = {row0, row1, row2};
    TableGrid grid{3, 2, perRow, rows};
    Grid() { row0[0].nBottomRule = 0; }
};

void Parse(const CTableRegion& region, std::string_view text) {
    std::size_t consumed = 0;
    SPageTable* table = BuildExportTable(region, text, &consumed);
    Require(table != nullptr);
    Require(consumed <= text.size());
    ReleasePageTable(table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);  // exact length, no terminator read
    std::string_view text(bytes);
    Grid g;
    CTableRegion region(RECT{100, 200, 299, 339});
    region.m_pGrid = &g.grid;

    Parse(region, text);
    (void)TableTextToCells(text);
    char line[64];
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t next = NextLine(text, pos);
        Require(next > pos && next <= text.size());
        std::size_t consumed = 0;
        (void)LineToPlain(text, pos, &consumed);
        Require(consumed == next - pos);
        bool cut = false;
        Require(CopyLinePlain(text, pos, line, sizeof line, &cut) == consumed);
        (void)LineStartsWithTableChar(text, pos);
        (void)LineHasHorizontalChar(text, pos);
        (void)LineStartsWithBottomLeft(text, pos);
        pos = next;
    }

    // The bytes as the four cells' texts (split at NUL bytes), laid out and parsed back.
    std::vector<std::string> texts(4);
    std::size_t k = 0;
    for (char c : bytes) {
        if (c == '\0') k = (k + 1) % 4;
        else texts[k].push_back(c);
    }
    std::vector<TableLayoutCell> cells;
    std::vector<int> positions;
    const int tops[4] = {210, 210, 250, 290};
    for (int i = 0; i < 4; ++i) {
        TableLayoutCell cell{};
        Require(GetTableLayoutCell(&cell, i, &g.grid));
        int lines = 0;
        for (char c : texts[static_cast<std::size_t>(i)]) lines += c == '\n';
        cell.nLines = lines + 1 > 5 ? 5 : lines + 1;  // every line stays inside its row
        cell.pText = texts[static_cast<std::size_t>(i)].c_str();
        for (int l = 0; l < cell.nLines; ++l) {
            positions.push_back(tops[i] + 6 * l);
            positions.push_back(l % 3 == 2 ? 0 : 5);
        }
        cells.push_back(cell);
    }
    std::vector<int> bounds = GetTableRowBoundaries(&g.grid);
    for (int& b : bounds) b += 200;
    TableLayoutInput input{cells, 2, 3, positions, bounds};
    std::size_t need = TableTextLayoutBytes(input);
    if (need == 0) return 0;
    std::vector<char> out(need);
    std::size_t length = 0;
    Require(LayoutTableText(input, out.data(), need, &length) >= 3);
    Require(length + 1 == need && out[length] == '\0');
    const std::string_view laid(out.data(), length);
    std::size_t consumed = 0;
    SPageTable* table = BuildExportTable(region, laid, &consumed);
    Require(table != nullptr && consumed == length);
    ReleasePageTable(table);
    region.m_pGrid = nullptr;
    return 0;
}
