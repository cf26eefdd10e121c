// Table text assembly: after recognition the cells' lines of every table
// region with a grid are laid out as one framed table in the text.
#include <algorithm>
#include <string>
#include <vector>

#include "ocrdoc/document/english_text.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/helpers/dbcs.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "ocrdoc/helpers/table_grid.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/regions/text_region.h"
#include "ocrdoc/tabletext/table_layout.h"

namespace {

// The text lines a region holds in the text.
int RowsOf(CLayoutRegion* region) { return region ? std::max(region->m_nLines, 0) : 0; }

// The plain text of escaped lines, and the record index of every character
// the table layout numbers (in its order).
void PlainAndNumbered(std::string_view escaped, std::string& plain, std::vector<UINT>& numbered) {
    for (std::size_t p = 0; p < escaped.size();) {
        const auto b = static_cast<BYTE>(escaped[p]);
        if (b == kRecoMark && p + kRecoUnitLength <= escaped.size()) {
            const auto b1 = static_cast<BYTE>(escaped[p + 1]), b2 = static_cast<BYTE>(escaped[p + 2]);
            const UINT index = dochelpers::RecoUnitIndex(escaped.data() + p);
            if (b1) {
                plain.push_back(static_cast<char>(b1));
                plain.push_back(static_cast<char>(b2));
                if (dochelpers::IsLeadByte(b1) && dochelpers::IsTrailByte(b2)) numbered.push_back(index);
            } else {
                plain.push_back(static_cast<char>(b2));
                if (b2 != ' ' && b2 <= kRecoMark) numbered.push_back(index);
            }
            p += kRecoUnitLength;
        } else {
            // Typed characters: the layout numbers them too, but they have no record.
            const std::size_t len = TextUnitLength(escaped, p);
            if (b != 13 && b != 10 && b != ' ' && (len == 2 || b <= kRecoMark)) numbered.push_back(kRecoMaxRecords);
            plain.append(escaped.substr(p, len));
            p += len;
        }
    }
}

}  // namespace

void COcrPage::AssembleTableText() { AssembleTables(false); }
void COcrPage::AssembleTableTextEnglish() { AssembleTables(true); }

void COcrPage::AssembleTables(bool english) {
    if (!m_pPageRegion || !m_bHasResult) return;
    try {
        const std::string copy(Text());
        std::string out;
        out.reserve(copy.size() + 1024);
        std::size_t pos = 0;
        bool changed = false;
        for (int i = 0; i < m_pPageRegion->GetChildCount(); ++i) {
            CLayoutRegion* region = m_pPageRegion->GetChild(i);
            const int flags = region->m_nFlags;
            const bool text = (flags & (kRegionHorizontal | kRegionVertical)) || (english && (flags & kRegionEnglish));
            if ((flags & kRegionEnglish && !english) || (text && !(flags & kRegionTable))) {
                const std::size_t span = SpanOfLines(copy, pos, RowsOf(region));
                out.append(copy, pos, span);
                pos += span;
                // A text that ends inside a line still ends that line.
                if (span > 0 && out.back() != '\n') out.append("\r\n");
            } else if (flags & kRegionTable) {
                auto* table = static_cast<CTableRegion*>(region);
                if (!table->m_pGrid) continue;
                const TableGrid* grid = table->m_pGrid;
                const int cellCount = CountTableCells(grid);
                std::vector<TableLayoutCell> cells(static_cast<std::size_t>(std::max(cellCount, 0)));
                std::vector<std::string> plains(cells.size());
                std::vector<UINT> numbered;
                std::string escapedAll;
                int totalLines = 0;
                const std::size_t tableStart = pos;
                bool usable = cellCount > 0;
                for (int k = 0; k < cellCount; ++k) {
                    if (!GetTableLayoutCell(&cells[static_cast<std::size_t>(k)], k, grid)) usable = false;
                    const int lines = RowsOf(table->GetChild(k));
                    const std::size_t span = SpanOfLines(copy, pos, lines);
                    const std::string_view escaped(copy.data() + pos, span);
                    escapedAll.append(escaped);
                    PlainAndNumbered(escaped, plains[static_cast<std::size_t>(k)], numbered);
                    cells[static_cast<std::size_t>(k)].nLines = lines;
                    totalLines += lines;
                    pos += span;
                }
                for (std::size_t k = 0; k < cells.size(); ++k) cells[k].pText = plains[k].c_str();
                std::vector<int> positions(static_cast<std::size_t>(totalLines) * 2);
                GetLinePositions(positions, escapedAll, m_pChars, RecordCount());
                std::vector<int> bounds = GetTableRowBoundaries(grid);
                for (int& b : bounds) b += table->top;
                int rows = kTableLayoutRefused;
                std::string laid;
                if (usable && !bounds.empty()) {
                    TableLayoutInput input{cells, grid->nColumns, grid->nRows, positions, bounds};
                    const std::size_t need = TableTextLayoutBytes(input);
                    if (need > 0 && need <= kTableTextBufferBytes) {
                        laid.assign(need, '\0');
                        std::size_t length = 0;
                        rows = LayoutTableText(input, laid.data(), laid.size(), &length);
                        laid.resize(length);
                    }
                }
                if (rows == kTableLayoutRefused) {
                    // Refused: the cells keep their own lines.
                    out.append(copy, tableStart, pos - tableStart);
                    if (pos > tableStart && out.back() != '\n') out.append("\r\n");
                    table->m_nLines = totalLines;
                    continue;
                }
                table->m_nLines = rows;
                changed = true;
                // The layout numbers the table's characters from 0; they are
                // the records the cells' lines held, in the same order.
                for (std::size_t p = 0; p < laid.size();) {
                    const auto b = static_cast<BYTE>(laid[p]);
                    if (b == kRecoMark && p + kRecoUnitLength <= laid.size()) {
                        const UINT number =
                            dochelpers::RecoUnitIndex(laid.data() + p);
                        UINT index = number < numbered.size() ? numbered[number] : kRecoMaxRecords;
                        const auto b1 = static_cast<BYTE>(laid[p + 1]);
                        if (index >= RecordCount()) {
                            // A typed character of a cell: it goes back as typed text.
                            if (b1 & 0x80) out.append(laid, p + 1, 2);
                            else out.push_back(laid[p + 2]);
                        } else {
                            out.push_back(static_cast<char>(kRecoMark));
                            out.push_back(static_cast<char>(b1 & 0x80 ? b1 : 0));
                            out.push_back(laid[p + 2]);
                            out.push_back(static_cast<char>(index & 0xFF));
                            out.push_back(static_cast<char>((index >> 8) & 0xFF));
                            out.push_back(static_cast<char>(kRecoMark));
                        }
                        p += kRecoUnitLength;
                    } else {
                        out.push_back(laid[p]);
                        ++p;
                    }
                }
            }
        }
        if (!changed) return;
        if (out.empty()) out = "\r\n";
        ReplaceContents(out, m_pChars, RecordCount());
    } catch (const std::bad_alloc&) {
    }
}
