#include "ocrdoc/tabletext/escaped_lines.h"

#include <algorithm>

#include "ocrdoc/helpers/dbcs.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "ocrdoc/result/table_line_char.h"

namespace tabletext {

Unit UnitAt(std::string_view text, std::size_t pos, bool escaped) {
    const auto at = [&](std::size_t i) { return static_cast<BYTE>(text[i]); };
    const BYTE b = at(pos);
    const std::size_t left = text.size() - pos;
    if (b == 10 || b == 13) return {UnitKind::LineEnd, 1, 0, b};
    if (escaped && b == kRecoMark) {
        if (left >= kRecoUnitLength && at(pos + 5) == kRecoMark)
            return {UnitKind::Escape, kRecoUnitLength, at(pos + 1), at(pos + 2)};
        return {UnitKind::Stray, 1, 0, 0};
    }
    if (dochelpers::CharBytes(text.data(), pos, text.size()) == 2) return {UnitKind::Pair, 2, b, at(pos + 1)};
    return {UnitKind::Single, 1, 0, b};
}

bool IsTableLineUnit(const Unit& u) { return u.kind == UnitKind::Pair && IsTableLineChar(UnitCode(u)); }

}  // namespace tabletext

using tabletext::Unit;
using tabletext::UnitAt;
using tabletext::UnitKind;

namespace {

// Appends the plain bytes of a unit that is not a line end.
void AppendPlain(std::string& out, const Unit& u) {
    switch (u.kind) {
    case UnitKind::Escape:
        if (u.b1 != 0) out.push_back(static_cast<char>(u.b1));
        out.push_back(static_cast<char>(u.b2));
        break;
    case UnitKind::Pair:
        out.push_back(static_cast<char>(u.b1));
        out.push_back(static_cast<char>(u.b2));
        break;
    case UnitKind::Single: out.push_back(static_cast<char>(u.b2)); break;
    case UnitKind::Stray:
    case UnitKind::LineEnd: break;
    }
}

bool FirstUnitIs(std::string_view text, std::size_t pos, WORD code) {
    if (pos >= text.size()) return false;
    Unit u = UnitAt(text, pos);
    return u.kind == UnitKind::Pair && tabletext::UnitCode(u) == code;
}

}  // namespace

std::size_t NextLine(std::string_view text, std::size_t pos) {
    while (pos < text.size()) {
        Unit u = UnitAt(text, pos);
        pos += u.length;
        if (u.kind == UnitKind::LineEnd && u.b2 == 10) break;
    }
    return std::min(pos, text.size());
}

std::string LineToPlain(std::string_view text, std::size_t pos, std::size_t* outConsumed) {
    std::string out;
    const std::size_t start = pos;
    while (pos < text.size()) {
        Unit u = UnitAt(text, pos);
        pos += u.length;
        if (u.kind == UnitKind::LineEnd) {
            out.push_back(static_cast<char>(u.b2));
            if (u.b2 == 10) break;
            continue;
        }
        AppendPlain(out, u);
    }
    if (outConsumed) *outConsumed = std::min(pos, text.size()) - std::min(start, text.size());
    return out;
}

std::size_t CopyLinePlain(std::string_view text, std::size_t pos, char* out, std::size_t outSize, bool* outCut) {
    if (outCut) *outCut = false;
    if (!out || outSize < 2) return 0;
    std::size_t consumed = 0;
    std::string line = LineToPlain(text, pos, &consumed);
    if (!line.empty() && line.back() == '\n') line.pop_back();  // put back below, after what fits
    const std::size_t room = outSize - 2;  // the LF and the NUL
    std::size_t n = 0;
    // Whole characters only: a pair is never cut in half.
    while (n < line.size()) {
        std::size_t len = dochelpers::CharBytes(line.data(), n, line.size());
        if (n + len > room) break;
        n += len;
    }
    if (outCut) *outCut = n < line.size();
    std::copy(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(n), out);
    out[n] = '\n';
    out[n + 1] = '\0';
    return consumed;
}

bool LineStartsWithTableChar(std::string_view text, std::size_t pos) {
    return pos < text.size() && tabletext::IsTableLineUnit(UnitAt(text, pos));
}

bool LineHasHorizontalChar(std::string_view text, std::size_t pos) {
    const WORD horizontal = TableBoxChar(kBoxHorizontal);
    while (pos < text.size()) {
        Unit u = UnitAt(text, pos);
        if (u.kind == UnitKind::LineEnd && u.b2 == 10) return false;
        if (u.kind == UnitKind::Pair && tabletext::UnitCode(u) == horizontal) return true;
        pos += u.length;
    }
    return false;
}

bool LineStartsWithBottomLeft(std::string_view text, std::size_t pos) {
    return FirstUnitIs(text, pos, TableBoxChar(kBoxBottomLeft));
}

int GetLineBlock(std::string_view text, std::size_t pos, const RecoCharInfo* records, UINT recordCount) {
    while (pos < text.size()) {
        Unit u = UnitAt(text, pos);
        if (u.kind == UnitKind::LineEnd && u.b2 == 10) return -1;
        if (u.kind == UnitKind::Escape) {
            UINT index = dochelpers::RecoUnitIndex(text.data() + pos);
            if (!records || index >= recordCount) return -1;
            return records[index].wBlock;
        }
        pos += u.length;
    }
    return -1;
}

BOOL AppendLineEnd(std::string& line) {
    std::size_t end = line.find_last_not_of(" \t\r\n");
    line.erase(end == std::string::npos ? 0 : end + 1);
    if (line.empty()) return TRUE;
    line.append("\r\n");
    return FALSE;
}
