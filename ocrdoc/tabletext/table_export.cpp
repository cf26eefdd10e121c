#include "ocrdoc/tabletext/table_export.h"

#include <algorithm>
#include <cstdlib>

#include "ocrdoc/helpers/export_entries.h"
#include "ocrdoc/helpers/table_grid.h"
#include "ocrdoc/result/table_line_char.h"
#include "ocrdoc/tabletext/escaped_lines.h"

using tabletext::Unit;
using tabletext::UnitAt;
using tabletext::UnitKind;

namespace {

// Fixed values of a cell's text block, as the export library expects them.
constexpr INT kCellFontCode = 21;
constexpr INT kCellCharSize = 48;
constexpr INT kCellSpacing = 0x80008;

bool ClosesLeft(WORD code) { return code == TableBoxChar(kBoxVertical) || code == TableBoxChar(kBoxRightTee); }
bool OpensRight(WORD code) { return code == TableBoxChar(kBoxVertical) || code == TableBoxChar(kBoxLeftTee); }

void TrimRightSpaces(std::string& s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

struct ParsedRow {
    std::vector<std::vector<std::string>> textLines;
    std::vector<std::string> rulePieces;  // of the rule line that closes the row
};

// The cell's lines joined, each trimmed at the right and ended with CR LF,
// blank lines after the last one with text left out. Empty when no line has
// text.
std::string JoinCellLines(const std::vector<std::string>& lines, int* outCount) {
    std::string text;
    int count = 0, kept = 0;
    std::size_t keptBytes = 0;
    for (const std::string& piece : lines) {
        std::string line = piece;
        ++count;
        if (AppendLineEnd(line)) line = "\r\n";
        else {
            kept = count;
            keptBytes = text.size() + line.size();
        }
        text += line;
    }
    text.resize(keptBytes);
    *outCount = kept;
    return text;
}

}  // namespace

std::vector<std::string> SplitTableLine(std::string_view text, std::size_t pos, bool escaped,
                                        std::size_t* outConsumed) {
    std::vector<std::string> pieces;
    std::string pending;
    bool seenRule = false;
    WORD lastRule = 0;
    const std::size_t start = pos;
    while (pos < text.size()) {
        Unit u = UnitAt(text, pos, escaped);
        pos += u.length;
        if (u.kind == UnitKind::LineEnd) {
            if (u.b2 == 10) break;
            continue;
        }
        if (tabletext::IsTableLineUnit(u)) {
            const WORD code = tabletext::UnitCode(u);
            TrimRightSpaces(pending);
            if (seenRule && !pending.empty()) pieces.push_back(pending);
            else if (seenRule && ClosesLeft(lastRule) && OpensRight(code)) pieces.emplace_back();
            pending.clear();
            seenRule = true;
            lastRule = code;
            continue;
        }
        if (!seenRule) continue;
        switch (u.kind) {
        case UnitKind::Escape:
            if (u.b1 != 0) pending.push_back(static_cast<char>(u.b1));
            pending.push_back(static_cast<char>(u.b2));
            break;
        case UnitKind::Pair:
            pending.push_back(static_cast<char>(u.b1));
            pending.push_back(static_cast<char>(u.b2));
            break;
        case UnitKind::Single: pending.push_back(static_cast<char>(u.b2)); break;
        default: break;
        }
    }
    if (outConsumed) *outConsumed = std::min(pos, text.size()) - std::min(start, text.size());
    return pieces;
}

std::string TableTextToCells(std::string_view plainText) {
    std::string out;
    for (std::size_t pos = 0; pos < plainText.size();) {
        std::size_t consumed = 0;
        const bool tableLine = tabletext::IsTableLineUnit(UnitAt(plainText, pos, false));
        std::vector<std::string> pieces = SplitTableLine(plainText, pos, false, &consumed);
        if (tableLine) {
            for (const std::string& piece : pieces) out += piece + "\r\n";
        } else {
            out += "\r\n";
        }
        pos += consumed ? consumed : 1;
    }
    return out;
}

SPageTable* BuildExportTable(const CTableRegion& region, std::string_view text, std::size_t* outConsumed) {
    if (outConsumed) *outConsumed = 0;
    const TableGrid* grid = region.m_pGrid;
    if (!IsUsableTableGrid(grid)) return nullptr;
    const int entries = CountTableEntries(grid);
    auto* table = static_cast<SPageTable*>(std::calloc(1, sizeof(SPageTable)));
    SPageCellArray* cells = table ? NewPageCellArray(entries) : nullptr;
    if (!cells) {
        std::free(table);
        return nullptr;
    }
    table->width = region.right - region.left + 1;
    table->height = region.bottom - region.top + 1;
    table->nCells = entries;
    table->left = region.left;
    table->top = region.top;
    table->pCells = cells;

    // The framed lines, row by row.
    std::vector<ParsedRow> rows;
    std::size_t pos = 0;
    while (pos < text.size() && !LineStartsWithTableChar(text, pos)) pos = NextLine(text, pos);
    const bool found = pos < text.size();
    while (pos < text.size() && LineStartsWithTableChar(text, pos)) {
        const bool last = LineStartsWithBottomLeft(text, pos);
        const bool rule = LineHasHorizontalChar(text, pos);
        std::size_t consumed = 0;
        std::vector<std::string> pieces = SplitTableLine(text, pos, true, &consumed);
        if (rule) {
            if (!rows.empty()) rows.back().rulePieces = std::move(pieces);
            rows.emplace_back();
        } else {
            if (rows.empty()) rows.emplace_back();
            rows.back().textLines.push_back(std::move(pieces));
        }
        pos += consumed;
        if (last) break;
    }
    if (outConsumed && found) *outConsumed = pos;

    int index = 0;
    bool memoryFailed = false;
    for (INT r = 0; r < grid->nRows; ++r) {
        const INT n = grid->pCellsPerRow[r];
        const ParsedRow* parsed = static_cast<std::size_t>(r) < rows.size() ? &rows[static_cast<std::size_t>(r)] : nullptr;
        std::size_t spanPiece = 0;
        for (INT i = 0; i < n; ++i) {
            const TableCell& e = grid->ppRows[r][i];
            SPageCell& cell = cells->aCells[index++];
            cell.row = r;
            cell.column = e.nFirstCol;
            cell.topRule = r == 0 ? 1 : e.nTopRule;
            cell.leftRule = i == 0 ? 1 : e.nLeftRule;
            cell.bottomRule = r == grid->nRows - 1 ? 1 : e.nBottomRule;
            cell.rightRule = i == n - 1 ? 1 : e.nRightRule;
            cell.topStyle = cell.leftStyle = cell.bottomStyle = cell.rightStyle = 1;
            cell.right = e.right;
            cell.top = e.top;
            cell.height = e.bottom - e.top + 1;
            cell.width = e.right - e.left + 1;
            if (!parsed) continue;

            std::vector<std::string> lines;
            for (const std::vector<std::string>& pieces : parsed->textLines)
                lines.push_back(static_cast<std::size_t>(i) < pieces.size() ? pieces[static_cast<std::size_t>(i)]
                                                                              : std::string());
            const bool spans = e.nBottomRule == 0 && r + 1 < grid->nRows && FindContinuationEntry(grid, r + 1, e);
            if (spans) {
                lines.push_back(spanPiece < parsed->rulePieces.size() ? parsed->rulePieces[spanPiece] : std::string());
                ++spanPiece;
            }
            int count = 0;
            std::string joined = JoinCellLines(lines, &count);
            if (count == 0) continue;
            SPageTextBlock* block = NewPageTextBlock(joined, count);
            if (!block) {
                memoryFailed = true;
                break;
            }
            block->left = e.left + 2;
            block->top = e.top + 2;
            block->width = e.right - e.left - 3;
            block->height = e.bottom - e.top - 3;
            block->fontCode = kCellFontCode;
            block->charSize = kCellCharSize;
            block->spacing = kCellSpacing;
            cell.contentKind = SPAGE_BLOCK_TEXT;
            cell.pContent = block;
        }
        if (memoryFailed) break;
    }
    if (memoryFailed) {
        ReleasePageTable(table);
        if (outConsumed) *outConsumed = 0;
        return nullptr;
    }
    return table;
}
