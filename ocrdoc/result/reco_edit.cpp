// Editing the result text: insertions, replacements and deletions in the text
// form, clipboard copy and paste, the doubtful-character search, undo and the
// table-line test. Every edit keeps the units whole and the line count equal
// to the number of line ends.
#include <algorithm>
#include <cstring>
#include <string>

#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "ocrdoc/result/reco_result.h"
#include "ocrdoc/result/table_line_char.h"
#include "platform/win/memory.h"

namespace {

bool IsLineEndByte(BYTE b) { return b == 13 || b == 10; }

}  // namespace

BOOL CRecoResult::InsertText(const BYTE* bytes, UINT count, UINT offset, BOOL replace) {
    if (!m_pText || !bytes || count == 0 || offset >= m_nTextLen || !IsUnitStart(offset)) return FALSE;
    if (replace) {
        RecoCharInfo* rec = RecordAt(offset);
        if (!rec || count < 2) return FALSE;
        bool single = bytes[0] == 0 && bytes[1] != 0;
        bool pair = IsRecoLeadByte(bytes[0]) && IsRecoTrailByte(bytes[1]);
        if (!single && !pair) return FALSE;
        m_pText[offset + 1] = bytes[0];
        m_pText[offset + 2] = bytes[1];
        m_pCurChar = rec;
        rec->chClass = 'A';
        m_bModified = 1;
        return TRUE;
    }
    if (static_cast<unsigned long long>(count) + m_nTextLen >= m_nTextCapacity) {
        DocumentHost().MessageBox(kMsgTextNoRoom, "", MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    // Bytes that would break the text form become spaces: a marker that does
    // not open a whole recognised character with a valid record, 0xFF, a lead
    // byte without its trail and a CR or LF outside a CR LF pair.
    std::string clean(reinterpret_cast<const char*>(bytes), count);
    auto at = [&clean](UINT i) { return static_cast<BYTE>(clean[i]); };
    UINT lineEnds = 0;
    for (UINT p = 0; p < count;) {
        BYTE b = at(p);
        if (b == kRecoMark && count - p >= kRecoUnitLength && at(p + 5) == kRecoMark &&
            dochelpers::RecoUnitIndex(clean.data() + p) < RecordCount()) {
            p += kRecoUnitLength;
        } else if (b == 13 && p + 1 < count && at(p + 1) == 10) {
            ++lineEnds;
            p += 2;
        } else if (IsRecoLeadByte(b) && p + 1 < count && IsRecoTrailByte(at(p + 1))) {
            p += 2;
        } else {
            if (b == kRecoMark || b == 0xFF || IsRecoLeadByte(b) || IsLineEndByte(b)) clean[p] = ' ';
            ++p;
        }
    }
    std::memmove(m_pText + offset + count, m_pText + offset, m_nTextLen - offset);
    std::memcpy(m_pText + offset, clean.data(), count);
    m_nTextLen += count;
    m_nLineCount += lineEnds;
    if (m_nCaretOffset > offset) {
        m_nCaretOffset += count;
        RowColumnAt(m_nCaretOffset, &m_nCaretRow, &m_nCaretCol);
    }
    m_bModified = 1;
    return TRUE;
}

BOOL CRecoResult::DeleteText(UINT count, UINT offset) {
    if (!m_pText || count == 0 || offset >= m_nTextLen) return FALSE;
    UINT end = static_cast<UINT>(std::min<unsigned long long>(static_cast<unsigned long long>(offset) + count,
                                                              m_nTextLen));
    if (end >= m_nTextLen) {
        // The final line end stays.
        if (end - offset < 3) return FALSE;
        end -= 2;
    }
    if (!IsUnitStart(offset) || !IsUnitStart(end)) return FALSE;
    m_nLineCount -= CountLineEnds(offset, end);
    std::memmove(m_pText + offset, m_pText + end, m_nTextLen - end);
    m_nTextLen -= end - offset;
    if (m_nCaretOffset > offset) {
        m_nCaretOffset = m_nCaretOffset >= end ? m_nCaretOffset - (end - offset) : offset;
        RowColumnAt(m_nCaretOffset, &m_nCaretRow, &m_nCaretCol);
    }
    m_bModified = 1;
    return TRUE;
}

HGLOBAL CRecoResult::CopyText(UINT from, UINT to) const {
    std::string plain = PlainText(std::min(from, to), std::max(from, to));
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, plain.size() + 1);
    if (!block) return nullptr;
    auto* p = static_cast<char*>(GlobalLock(block));
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(p, plain.data(), plain.size());
    p[plain.size()] = 0;
    GlobalUnlock(block);
    return block;
}

BOOL CRecoResult::PasteText(HGLOBAL hText) {
    if (!hText || !m_pText) return FALSE;
    const auto* src = static_cast<const BYTE*>(GlobalLock(hText));
    if (!src) return FALSE;
    SIZE_T size = GlobalSize(hText);
    SIZE_T n = 0;
    while (n < size && src[n] != 0) ++n;
    std::string clean;
    clean.reserve(n);
    for (SIZE_T p = 0; p < n;) {
        BYTE b = src[p];
        if (b == 13 && p + 1 < n && src[p + 1] == 10) {
            clean.append("\r\n");
            p += 2;
        } else if (IsRecoLeadByte(b) && p + 1 < n && IsRecoTrailByte(src[p + 1])) {
            WORD code = static_cast<WORD>((b << 8) | src[p + 1]);
            if (IsTableLineChar(code)) {
                clean.append("  ");
            } else {
                clean.push_back(static_cast<char>(b));
                clean.push_back(static_cast<char>(src[p + 1]));
            }
            p += 2;
        } else {
            // Controls (lone CR and LF too), 0x80, 0xFF and lead bytes without a trail.
            clean.push_back(b < 32 || b >= 0x80 ? ' ' : static_cast<char>(b));
            ++p;
        }
    }
    GlobalUnlock(hText);
    if (clean.empty()) return FALSE;
    return InsertText(reinterpret_cast<const BYTE*>(clean.data()), static_cast<UINT>(clean.size()), m_nCaretOffset,
                      FALSE);
}

BOOL CRecoResult::FindDoubtfulChar(BOOL forward, UINT* outRow, UINT* outCol) const {
    if (!m_pText || m_nCaretOffset >= m_nTextLen) return FALSE;
    auto doubtful = [this](UINT p) {
        const RecoCharInfo* rec = RecordAt(p);
        return rec && rec->chClass != 'A';
    };
    if (forward) {
        UINT row = m_nCaretRow, col = m_nCaretCol;
        for (UINT p = m_nCaretOffset;;) {
            if (IsLineEndByte(m_pText[p])) {
                ++row;
                col = 0;
            } else {
                col += UnitColumns(p);
            }
            p += UnitLength(p);
            if (p >= m_nTextLen) return FALSE;
            if (doubtful(p)) {
                if (outRow) *outRow = row;
                if (outCol) *outCol = col;
                return TRUE;
            }
        }
    }
    UINT row = 0, col = 0;
    bool found = false;
    UINT foundRow = 0, foundCol = 0;
    for (UINT p = 0; p < m_nCaretOffset; p += UnitLength(p)) {
        if (doubtful(p)) {
            found = true;
            foundRow = row;
            foundCol = col;
        }
        if (IsLineEndByte(m_pText[p])) {
            ++row;
            col = 0;
        } else {
            col += UnitColumns(p);
        }
    }
    if (!found) return FALSE;
    if (outRow) *outRow = foundRow;
    if (outCol) *outCol = foundCol;
    return TRUE;
}

int CRecoResult::ApplyUndo(UINT* outRow, UINT* outCol, int* outCountsLen, WORD* outCounts, int countsCapacity) {
    CActionRecord record;
    if (!m_actions.CanUndo() || !m_actions.PopAction(&record)) return -1;
    // The saved counts go back only when they all fit the caller's array.
    int counts = record.nCounts >= 0 && record.nCounts <= countsCapacity && outCounts ? record.nCounts : 0;
    for (int i = 0; i < counts; ++i) outCounts[i] = record.Count(i);
    if (outCountsLen) *outCountsLen = counts;
    UINT offset = record.dwOffset;
    if (!m_pText || offset >= m_nTextLen || !IsUnitStart(offset) || record.nLength < 0) return 0;
    m_nCaretOffset = offset;
    RowColumnAt(offset, &m_nCaretRow, &m_nCaretCol);
    if (outRow) *outRow = m_nCaretRow;
    if (outCol) *outCol = m_nCaretCol;
    UINT linesBefore = m_nLineCount;
    UINT length = static_cast<UINT>(record.nLength);
    switch (record.nKind) {
        case ACTION_INSERT:
            DeleteText(length, offset);
            break;
        case ACTION_REPLACE:
            if (record.nValue > 0) DeleteText(static_cast<UINT>(record.nValue), offset);
            if (record.pPayload) InsertText(record.pPayload, length, offset, FALSE);
            break;
        case ACTION_DELETE:
            if (record.pPayload) InsertText(record.pPayload, length, offset, FALSE);
            break;
        case ACTION_RECODE: {
            RecoCharInfo* rec = RecordAt(offset);
            if (rec && record.pPayload && length >= 3) {
                m_pText[offset + 1] = record.pPayload[0];
                m_pText[offset + 2] = record.pPayload[1];
                rec->chClass = record.pPayload[2];
                m_bModified = 1;
            }
            return 0;
        }
        default:
            return 0;
    }
    m_nCaretOffset = std::min(offset, m_nTextLen - 2);
    return m_nLineCount != linesBefore ? 1 : 0;
}

BOOL CRecoResult::RangeHasTableLineChar(UINT from, UINT to) const {
    if (from > to || !m_pText) return FALSE;
    for (UINT p = 0; p <= to && p < m_nTextLen; p += UnitLength(p)) {
        if (p < from || UnitLength(p) != 2 || !IsRecoLeadByte(m_pText[p])) continue;
        if (IsTableLineChar(static_cast<WORD>((m_pText[p] << 8) | m_pText[p + 1]))) return TRUE;
    }
    return FALSE;
}
