#include "ocrdoc/tabletext/table_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ocrdoc/helpers/dbcs.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "ocrdoc/result/table_line_char.h"
#include "ocrdoc/tabletext/escaped_lines.h"

namespace {

// Junction arms.
constexpr int kArmLeft = 1, kArmRight = 2, kArmUp = 4, kArmDown = 8;
constexpr long long kLastGap = 998;

// Box-drawing entry of a junction value, -1 for none.
int JunctionEntry(int arms) {
    switch (arms) {
    case kArmRight | kArmDown: return kBoxTopLeft;
    case kArmLeft | kArmDown: return kBoxTopRight;
    case kArmLeft | kArmRight | kArmDown: return kBoxTopTee;
    case kArmLeft | kArmRight: return kBoxHorizontal;
    case kArmUp | kArmDown: return kBoxVertical;
    case kArmRight | kArmUp | kArmDown: return kBoxLeftTee;
    case kArmLeft | kArmUp | kArmDown: return kBoxRightTee;
    case kArmRight | kArmUp: return kBoxBottomLeft;
    case kArmLeft | kArmUp: return kBoxBottomRight;
    case kArmLeft | kArmRight | kArmUp: return kBoxBottomTee;
    case kArmLeft | kArmRight | kArmUp | kArmDown: return kBoxCross;
    default: return -1;
    }
}

struct Slot {
    long long y, height, gap;
    int id;
    std::vector<std::pair<int, int>> columns;  // column ranges of the cells whose lines it holds
};

// The text rows that the lines share: lines whose heights overlap enough
// join one slot, others get slots of their own in top-to-bottom order. A
// slot never takes two lines of cells that share a column, and a cell's
// lines keep their order, so no text is drawn over other text.
class SlotList {
public:
    // A slot for a line of the first cell with lines.
    int Append(long long y, long long h, int firstCol, int lastCol) {
        return Insert(slots_.size(), y, h, firstCol, lastCol);
    }

    // previous: the slot of the cell's line before this one, or -1.
    int Place(long long y, long long h, int firstCol, int lastCol, int previous) {
        std::size_t s = 0;
        while (s < slots_.size() && slots_[s].y + slots_[s].height < y) ++s;
        if (s == slots_.size()) s = slots_.size() - 1;
        const long long centre2 = 2 * y + h;  // centres doubled, so that halves stay exact
        const auto slotCentre2 = [&](std::size_t i) { return 2 * slots_[i].y + slots_[i].height; };
        const std::size_t after = previous < 0 ? 0 : PositionOf(previous) + 1;  // first position allowed
        std::size_t target = slots_.size(), at = 0;
        if (std::llabs(centre2 - slotCentre2(s)) < std::max(h, slots_[s].height)) {
            target = s;
        } else if (s + 1 < slots_.size() && slots_[s].gap < h - 3 && slots_[s].y < y + h) {
            long long dThis = std::llabs(centre2 - slotCentre2(s)), dNext = std::llabs(centre2 - slotCentre2(s + 1));
            target = dNext < dThis ? s + 1 : s;
        } else {
            at = slotCentre2(s) < 2 * (y + h) ? s + 1 : s;
        }
        if (target < slots_.size()) {
            if (target >= after && Free(slots_[target], firstCol, lastCol)) {
                Slot& slot = slots_[target];
                slot.y = y;
                slot.height = h;
                slot.columns.emplace_back(firstCol, lastCol);
                Regap(target);
                return slot.id;
            }
            at = target + 1;
        }
        return Insert(std::max(at, after), y, h, firstCol, lastCol);
    }

    bool empty() const { return slots_.empty(); }
    const std::vector<Slot>& slots() const { return slots_; }
    int ids() const { return nextId_; }

private:
    static bool Free(const Slot& slot, int firstCol, int lastCol) {
        for (const auto& [c0, c1] : slot.columns)
            if (firstCol < c1 && c0 < lastCol) return false;
        return true;
    }
    std::size_t PositionOf(int id) const {
        for (std::size_t i = 0; i < slots_.size(); ++i)
            if (slots_[i].id == id) return i;
        return slots_.size();
    }
    int Insert(std::size_t at, long long y, long long h, int firstCol, int lastCol) {
        at = std::min(at, slots_.size());
        slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(at), Slot{y, h, kLastGap, nextId_, {}});
        slots_[at].columns.emplace_back(firstCol, lastCol);
        Regap(at);
        return nextId_++;
    }
    void Gap(std::size_t i) {
        if (i >= slots_.size()) return;
        slots_[i].gap = i + 1 < slots_.size()
                            ? std::max(0LL, slots_[i + 1].y - slots_[i].height - slots_[i].y)
                            : kLastGap;
    }
    // A slot changed: its gap and that of the slot before it.
    void Regap(std::size_t i) {
        Gap(i);
        if (i > 0) Gap(i - 1);
    }

    std::vector<Slot> slots_;
    int nextId_ = 0;
};

// One unit of the work grid.
enum class Fill : std::uint8_t { Byte, BoxFirst, BoxSecond, Escape, EscapeDouble, Covered };
struct GridUnit {
    Fill fill = Fill::Byte;
    char bytes[6] = {' ', 0, 0, 0, 0, 0};
};

class WorkGrid {
public:
    WorkGrid(std::size_t rows, std::size_t units) : units_(units), cells_(rows * units) {}

    void PutBox(std::size_t row, std::size_t u, WORD code) {
        if (u + 1 >= units_) return;
        Clear(row, u);
        Clear(row, u + 1);
        At(row, u) = {Fill::BoxFirst, {static_cast<char>(code >> 8), 0, 0, 0, 0, 0}};
        At(row, u + 1) = {Fill::BoxSecond, {static_cast<char>(code & 0xFF), 0, 0, 0, 0, 0}};
    }

    void PutChar(std::size_t row, std::size_t u, BYTE b1, BYTE b2, unsigned number) {
        const bool wide = b1 != 0;
        if (u + (wide ? 1 : 0) >= units_) return;
        Clear(row, u);
        if (wide) Clear(row, u + 1);
        GridUnit unit{wide ? Fill::EscapeDouble : Fill::Escape,
                      {static_cast<char>(kRecoMark), static_cast<char>(b1), static_cast<char>(b2),
                       static_cast<char>(number & 0xFF), static_cast<char>((number >> 8) & 0xFF),
                       static_cast<char>(kRecoMark)}};
        At(row, u) = unit;
        if (wide) At(row, u + 1) = {Fill::Covered, {0, 0, 0, 0, 0, 0}};
    }

    void Write(std::string& out, std::size_t rows) const {
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t u = 0; u < units_; ++u) {
                const GridUnit& g = cells_[r * units_ + u];
                if (g.fill == Fill::Escape || g.fill == Fill::EscapeDouble) out.append(g.bytes, 6);
                else if (g.fill != Fill::Covered) out.push_back(g.bytes[0]);
            }
            out.append("\r\n");
        }
    }

private:
    GridUnit& At(std::size_t row, std::size_t u) { return cells_[row * units_ + u]; }
    // Empties a unit and the other half of what it belonged to, so that a
    // later character never leaves half a pair behind.
    void Clear(std::size_t row, std::size_t u) {
        Fill f = At(row, u).fill;
        At(row, u) = GridUnit{};
        if ((f == Fill::BoxFirst || f == Fill::EscapeDouble) && u + 1 < units_) At(row, u + 1) = GridUnit{};
        if ((f == Fill::BoxSecond || f == Fill::Covered) && u > 0) At(row, u - 1) = GridUnit{};
    }

    std::size_t units_;
    std::vector<GridUnit> cells_;
};

struct CellText {
    std::vector<std::string_view> lines;  // without their line ends
    long long width = 2;                  // units
};

// The cell's first nLines lines; the width counts a line's bytes up to its
// LF, the CR included, at least 2, rounded up to even.
CellText SplitCell(const TableLayoutCell& cell) {
    CellText out;
    std::string_view text = cell.pText ? std::string_view(cell.pText) : std::string_view();
    std::size_t pos = 0;
    long long longest = 0;
    for (int l = 0; l < cell.nLines; ++l) {
        std::size_t lf = pos < text.size() ? text.find('\n', pos) : std::string_view::npos;
        std::string_view line = pos < text.size() ? text.substr(pos, lf == std::string_view::npos ? lf : lf - pos)
                                                  : std::string_view();
        longest = std::max<long long>(longest, static_cast<long long>(line.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.lines.push_back(line);
        pos = lf == std::string_view::npos ? text.size() : lf + 1;
    }
    out.width = std::max(2LL, longest);
    out.width += out.width & 1;
    return out;
}

bool ValidInput(const TableLayoutInput& in, std::size_t* outLines) {
    if (in.cells.empty() || in.columnCount < 1 || in.rowCount < 1) return false;
    if (in.rowBoundaries.size() < static_cast<std::size_t>(in.rowCount) + 1) return false;
    std::size_t lines = 0;
    for (const TableLayoutCell& c : in.cells) {
        if (c.nLines < 0 || c.firstCol < 0 || c.firstCol >= c.lastCol || c.lastCol > in.columnCount ||
            c.firstRow < 0 || c.firstRow >= c.lastRow || c.lastRow > in.rowCount)
            return false;
        lines += static_cast<std::size_t>(c.nLines);
        if (lines > kTableLayoutMaxLines) return false;
    }
    if (in.linePositions.size() < 2 * lines) return false;
    *outLines = lines;
    return true;
}

// The whole layout into out (without the NUL); false when refused.
bool Layout(const TableLayoutInput& in, std::string& out, int* outRows) {
    std::size_t totalLines = 0;
    if (!ValidInput(in, &totalLines)) return false;
    const int cols = in.columnCount, rows = in.rowCount;
    const std::size_t nCells = in.cells.size();

    std::vector<CellText> texts;
    std::vector<std::size_t> firstLine(nCells);
    texts.reserve(nCells);
    for (std::size_t c = 0, base = 0; c < nCells; ++c) {
        texts.push_back(SplitCell(in.cells[c]));
        firstLine[c] = base;
        base += static_cast<std::size_t>(in.cells[c].nLines);
    }

    // Column lines in units: 4 apart at least, and wide enough for each cell.
    std::vector<long long> unitOf(static_cast<std::size_t>(cols) + 1);
    for (int j = 0; j <= cols; ++j) {
        unitOf[j] = std::max<long long>(unitOf[j], 4LL * j);
        if (j > 0) unitOf[j] = std::max(unitOf[j], unitOf[j - 1] + 4);
        for (std::size_t c = 0; c < nCells; ++c)
            if (in.cells[c].firstCol == j)
                unitOf[in.cells[c].lastCol] = std::max(unitOf[in.cells[c].lastCol], unitOf[j] + texts[c].width + 2);
        if (unitOf[j] > static_cast<long long>(kTableLayoutMaxUnits)) return false;
    }
    const std::size_t units = static_cast<std::size_t>(unitOf[cols]) + 2;

    // Line positions; a line without one (no recognised character gave it a
    // height) goes just below the line before it in its cell, or to the top
    // of its cell, rather than above the table.
    std::vector<long long> ly(totalLines), lh(totalLines);
    for (std::size_t c = 0; c < nCells; ++c) {
        for (int l = 0; l < in.cells[c].nLines; ++l) {
            std::size_t i = firstLine[c] + static_cast<std::size_t>(l);
            ly[i] = in.linePositions[2 * i];
            lh[i] = in.linePositions[2 * i + 1];
            if (lh[i] > 0) continue;
            if (l > 0) {
                ly[i] = ly[i - 1] + lh[i - 1];
                lh[i] = lh[i - 1];
            } else {
                ly[i] = static_cast<long long>(in.rowBoundaries[static_cast<std::size_t>(in.cells[c].firstRow)]) + 1;
                lh[i] = 1;
            }
        }
    }

    // Text rows: columns from left to right, within a column the cells in order.
    SlotList slots;
    std::vector<int> slotOfLine(totalLines, -1);
    for (int j = 0; j < cols; ++j) {
        for (std::size_t c = 0; c < nCells; ++c) {
            if (in.cells[c].firstCol != j || in.cells[c].nLines == 0) continue;
            const bool first = slots.empty();
            const int c0 = in.cells[c].firstCol, c1 = in.cells[c].lastCol;
            for (int l = 0, previous = -1; l < in.cells[c].nLines; ++l) {
                std::size_t i = firstLine[c] + static_cast<std::size_t>(l);
                previous = first ? slots.Append(ly[i], lh[i], c0, c1) : slots.Place(ly[i], lh[i], c0, c1, previous);
                slotOfLine[i] = previous;
            }
        }
    }

    // Rule rows between the slots, and an empty row where a table row has none.
    enum class Kind { Text, Rule, Empty };
    struct Row {
        Kind kind;
        int index;  // slot id or row line
    };
    std::vector<Row> order;
    const std::vector<Slot>& list = slots.slots();
    std::size_t next = 0;
    for (int i = 0; i <= rows; ++i) {
        bool any = false;
        while (next < list.size() && list[next].y < in.rowBoundaries[static_cast<std::size_t>(i)]) {
            order.push_back({Kind::Text, list[next++].id});
            any = true;
        }
        if (i > 0 && !any && order.back().kind == Kind::Rule) order.push_back({Kind::Empty, -1});
        order.push_back({Kind::Rule, i});
    }
    while (next < list.size()) order.push_back({Kind::Text, list[next++].id});
    if (order.size() > kTableLayoutMaxUnits / units) return false;

    std::vector<std::size_t> rowOfSlot(static_cast<std::size_t>(slots.ids()));
    std::vector<std::size_t> rowOfRule(static_cast<std::size_t>(rows) + 1);
    for (std::size_t r = 0; r < order.size(); ++r) {
        if (order[r].kind == Kind::Text) rowOfSlot[static_cast<std::size_t>(order[r].index)] = r;
        if (order[r].kind == Kind::Rule) rowOfRule[static_cast<std::size_t>(order[r].index)] = r;
    }

    // Junctions of the grid lines.
    const std::size_t lineCols = static_cast<std::size_t>(cols) + 1;
    std::vector<int> arms(lineCols * (static_cast<std::size_t>(rows) + 1));
    const auto arm = [&](int c, int r) -> int& { return arms[static_cast<std::size_t>(r) * lineCols + static_cast<std::size_t>(c)]; };
    for (const TableLayoutCell& cell : in.cells) {
        for (int c = cell.firstCol; c <= cell.lastCol; ++c) {
            for (int r : {cell.firstRow, cell.lastRow}) {
                if (c > cell.firstCol) arm(c, r) |= kArmLeft;
                if (c < cell.lastCol) arm(c, r) |= kArmRight;
            }
        }
        for (int r = cell.firstRow; r <= cell.lastRow; ++r) {
            for (int c : {cell.firstCol, cell.lastCol}) {
                if (r > cell.firstRow) arm(c, r) |= kArmUp;
                if (r < cell.lastRow) arm(c, r) |= kArmDown;
            }
        }
    }

    WorkGrid grid(order.size(), units);
    const WORD horizontal = TableBoxChar(kBoxHorizontal), vertical = TableBoxChar(kBoxVertical);
    for (int r = 0; r <= rows; ++r) {
        const std::size_t ruleRow = rowOfRule[static_cast<std::size_t>(r)];
        for (int c = 0; c <= cols; ++c) {
            const int a = arm(c, r);
            const auto u = static_cast<std::size_t>(unitOf[static_cast<std::size_t>(c)]);
            int entry = JunctionEntry(a);
            if (entry >= 0) grid.PutBox(ruleRow, u, TableBoxChar(entry));
            if ((a & kArmRight) && c < cols)
                for (auto x = u + 2; x < static_cast<std::size_t>(unitOf[static_cast<std::size_t>(c) + 1]); x += 2)
                    grid.PutBox(ruleRow, x, horizontal);
            if ((a & kArmDown) && r < rows)
                for (std::size_t y = ruleRow + 1; y < rowOfRule[static_cast<std::size_t>(r) + 1]; ++y)
                    grid.PutBox(y, u, vertical);
        }
    }

    // Cell text: every character escaped with its running number.
    unsigned number = 0;
    for (std::size_t c = 0; c < nCells; ++c) {
        const auto start = static_cast<std::size_t>(unitOf[static_cast<std::size_t>(in.cells[c].firstCol)]) + 2;
        const auto end = static_cast<std::size_t>(unitOf[static_cast<std::size_t>(in.cells[c].lastCol)]);
        for (int l = 0; l < in.cells[c].nLines; ++l) {
            std::size_t i = firstLine[c] + static_cast<std::size_t>(l);
            std::string_view line = texts[c].lines[static_cast<std::size_t>(l)];
            const std::size_t row = rowOfSlot[static_cast<std::size_t>(slotOfLine[i])];
            std::size_t u = start;
            for (std::size_t p = 0; p < line.size() && u < end;) {
                const auto b = static_cast<BYTE>(line[p]);
                const std::size_t len = dochelpers::CharBytes(line.data(), p, line.size());
                if (b != ' ' && (len == 2 || b <= kRecoMark)) {
                    if (number >= kTableLayoutMaxChars) return false;
                    if (u + len > end) break;
                    grid.PutChar(row, u, len == 2 ? b : 0, static_cast<BYTE>(line[p + len - 1]), number++);
                }
                // A space, and a byte above 0x80 that starts no pair, only take their unit.
                u += len;
                p += len;
            }
        }
    }

    grid.Write(out, order.size());
    *outRows = static_cast<int>(order.size());
    return true;
}

}  // namespace

std::size_t TableTextLayoutBytes(const TableLayoutInput& input) {
    std::string text;
    int rows = 0;
    try {
        if (!Layout(input, text, &rows)) return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return text.size() + 1;
}

int LayoutTableText(const TableLayoutInput& input, char* out, std::size_t outSize, std::size_t* outLength) {
    if (outLength) *outLength = 0;
    if (out && outSize > 0) out[0] = '\0';
    std::string text;
    int rows = 0;
    try {
        if (!Layout(input, text, &rows)) return kTableLayoutRefused;
    } catch (const std::bad_alloc&) {
        return kTableLayoutRefused;
    }
    if (!out || text.size() + 1 > outSize) return kTableLayoutRefused;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    if (outLength) *outLength = text.size();
    return rows;
}

void GetLinePositions(std::span<int> outPairs, std::string_view text, const RecoCharInfo* records,
                      UINT recordCount) {
    std::fill(outPairs.begin(), outPairs.end(), 0);
    const std::size_t lines = outPairs.size() / 2;
    std::size_t line = 0;
    bool set = false;
    for (std::size_t pos = 0; pos < text.size() && line < lines;) {
        tabletext::Unit u = tabletext::UnitAt(text, pos);
        if (u.kind == tabletext::UnitKind::LineEnd && u.b2 == 10) {
            ++line;
            set = false;
        } else if (u.kind == tabletext::UnitKind::Escape && !set) {
            UINT index = dochelpers::RecoUnitIndex(text.data() + pos);
            if (records && index < recordCount) {
                outPairs[2 * line] = records[index].nLineY;
                outPairs[2 * line + 1] = records[index].nLineThick;
                set = true;
            }
        }
        pos += u.length;
    }
}
