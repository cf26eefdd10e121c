#include "ocrdoc/helpers/result_text.h"

#include <cstring>
#include <vector>

#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/dbcs.h"
#include "ocrdoc/helpers/reco_unit.h"

namespace {

using dochelpers::IsLeadByte;
using dochelpers::IsTrailByte;

constexpr BYTE kMark = 0x80;
constexpr UINT kUnit = 6;

bool ValidCodeBytes(BYTE b1, BYTE b2) {
    if (b1 == 0) return b2 <= 0x80;  // a single-byte code (0x80 a recognised euro sign)
    if (b1 == kMark) return b2 == kMark;
    return IsLeadByte(b1) && IsTrailByte(b2);
}

enum class Piece { End, Unit, Pair, Single, LineEnd, Bad };

struct Step {
    Piece piece;
    UINT bytes;  // bytes the piece takes (a Bad piece: the bytes to drop)
};

// The piece starting at text[i]; `records` (when not 0) bounds the index.
Step NextPiece(const BYTE* text, UINT i, UINT length, bool checkIndex, UINT records) {
    BYTE b = text[i];
    UINT left = length - i;
    if (b == 0) return {Piece::End, 0};
    if (b == kMark) {
        if (left < kUnit || text[i + 5] != kMark) return {Piece::Bad, 1};
        if (!ValidCodeBytes(text[i + 1], text[i + 2])) return {Piece::Bad, kUnit};
        UINT index = dochelpers::RecoUnitIndex(text + i);
        if (checkIndex && index >= records) return {Piece::Bad, kUnit};
        return {Piece::Unit, kUnit};
    }
    if (b == 13) return (left >= 2 && text[i + 1] == 10) ? Step{Piece::LineEnd, 2} : Step{Piece::Bad, 1};
    if (b == 10) return {Piece::Bad, 1};
    if (IsLeadByte(b)) {
        if (left == 1) return {Piece::Bad, 1};
        if (IsTrailByte(text[i + 1])) return {Piece::Pair, 2};
    }
    return {Piece::Single, 1};
}

// Walks the whole text; false at the first malformed piece or when the walk
// stops before `length`.
bool WalkValid(const BYTE* text, UINT length, bool checkIndex, UINT records, UINT* outCount) {
    UINT count = 0, i = 0;
    while (i < length) {
        Step s = NextPiece(text, i, length, checkIndex, records);
        if (s.piece == Piece::End || s.piece == Piece::Bad) break;
        count += s.piece == Piece::LineEnd ? 2 : 1;
        i += s.bytes;
    }
    if (outCount) *outCount = count;
    return i == length;
}

}  // namespace

BOOL CountResultChars(const BYTE* text, UINT length, UINT* outCount) {
    UINT count = 0, i = 0;
    while (text && i < length && text[i] != 0) {
        BYTE b = text[i];
        UINT n = 1;
        if (b == kMark) n = kUnit;
        else if (IsLeadByte(b) && i + 1 < length && IsTrailByte(text[i + 1])) n = 2;
        if (i + n > length) break;
        i += n;
        ++count;
    }
    if (outCount) *outCount = count;
    return i == length;
}

BOOL IsValidResultText(const BYTE* text, UINT length, UINT* outCount) {
    if (!text) {
        if (outCount) *outCount = 0;
        return length == 0;
    }
    return WalkValid(text, length, false, 0, outCount);
}

BOOL FilterResultText(BYTE* text, UINT* length) {
    if (!length) return FALSE;
    if (*length > kMaxResultTextBytes) return FALSE;
    if (!text || *length == 0) return TRUE;
    UINT old = *length;
    std::vector<BYTE> clean;
    clean.reserve(old);
    for (UINT i = 0; i < old;) {
        Step s = NextPiece(text, i, old, false, 0);
        if (s.piece == Piece::End) break;
        if (s.piece != Piece::Bad) clean.insert(clean.end(), text + i, text + i + s.bytes);
        i += s.bytes;
    }
    if (clean.size() == old) return FALSE;
    std::memset(text, 0, old);
    if (!clean.empty()) std::memcpy(text, clean.data(), clean.size());
    *length = static_cast<UINT>(clean.size());
    DocumentHost().MessageBox("Filter wrong char", "", MB_OK);
    return TRUE;
}

BOOL CheckResultText(const BYTE* text, UINT length, int flag, UINT recordCount) {
    if (!text || length == 0 || flag == 0) return TRUE;
    if (length > kMaxResultTextBytes) return FALSE;
    if (WalkValid(text, length, true, recordCount, nullptr)) return TRUE;
    DocumentHost().MessageBox("There are wrong char", "", MB_OK);
    return FALSE;
}
