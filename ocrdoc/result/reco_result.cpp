// The result store's blocks, the unit walks over its text form, reading and
// the plain-text file.
#include "ocrdoc/result/reco_result.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "platform/win/atomic_file.h"
#include "platform/win/memory.h"

#ifndef MB_YESNOCANCEL
#define MB_YESNOCANCEL 0x00000003u
#endif

const char* const kRecoWorkFileBase = "\\work\\atemp000";
const char* const kMsgCeOpenError = "File Ce open error!";
const char* const kMsgIdxOpenError = "File Idx open error!";
const char* const kMsgTxtOpenError = "File Txt open error!";
const char* const kMsgWorkFilesDamaged = "The recognition work files are damaged!";
const char* const kMsgTextCreateError = "File text creation error!";
const char* const kMsgTextNoRoom = "Not enough memory!";
const char* const kMsgTooManyChars = "Too many characters on the page!";

RECT RecoCharBox(const RecoCharInfo& rec) {
    RECT r;
    if (rec.byFlags & kRecoVertical) {
        r.left = rec.nBoxAcross - rec.nBoxThick + 1;
        r.top = rec.nBoxAlong;
        r.right = rec.nBoxAcross;
        r.bottom = rec.nBoxAlong + rec.nBoxLen - 1;
    } else {
        r.left = rec.nBoxAlong;
        r.top = rec.nBoxAcross;
        r.right = rec.nBoxAlong + rec.nBoxLen - 1;
        r.bottom = rec.nBoxAcross + rec.nBoxThick - 1;
    }
    return r;
}

std::string ResultTextPath(std::string_view imagePath) { return std::string(imagePath) + ".TXT"; }

CRecoResult::CRecoResult()
    : m_pCurChar(nullptr),
      m_pChars(nullptr),
      m_nCharBytes(0),
      m_nTextCapacity(0),
      m_nCaretOffset(0),
      m_nTextLen(0),
      m_nCaretRow(0),
      m_nCaretCol(0),
      m_nLineCount(0),
      m_pText(nullptr),
      m_bModified(0),
      m_nStripBlock(-1),
      m_nStripLine(-1),
      m_bHasResult(0),
      m_hChars(nullptr),
      m_hText(nullptr) {}

CRecoResult::~CRecoResult() { FreeBlocks(); }

void CRecoResult::FreeBlocks() {
    if (m_hChars) {
        GlobalUnlock(m_hChars);
        GlobalFree(m_hChars);
    }
    if (m_hText) {
        GlobalUnlock(m_hText);
        GlobalFree(m_hText);
    }
    m_hChars = m_hText = nullptr;
    m_pChars = nullptr;
    m_pText = nullptr;
    m_pCurChar = nullptr;
    m_nCharBytes = m_nTextCapacity = m_nTextLen = 0;
}

void CRecoResult::Reset() {
    m_nLineCount = 0;
    m_nCaretOffset = 0;
    m_nCaretRow = 0;
    m_nCaretCol = 0;
    m_bHasResult = 0;
    m_bModified = 0;
    m_nStripBlock = -1;
    m_nStripLine = -1;
    m_actions.Reset();
}

void CRecoResult::Clear() {
    FreeBlocks();
    Reset();
}

bool CRecoResult::AllocBlocks(UINT records, UINT textCapacity) {
    // One spare record so that an empty result still has a block.
    m_hChars = GlobalAlloc(GHND, static_cast<SIZE_T>(records + 1) * sizeof(RecoCharInfo));
    m_hText = GlobalAlloc(GHND, textCapacity);
    if (m_hChars) m_pChars = static_cast<RecoCharInfo*>(GlobalLock(m_hChars));
    if (m_hText) m_pText = static_cast<BYTE*>(GlobalLock(m_hText));
    if (!m_pChars || !m_pText) {
        FreeBlocks();
        return false;
    }
    m_nTextCapacity = textCapacity;
    return true;
}

BOOL CRecoResult::ReplaceContents(std::string_view text, const RecoCharInfo* records, UINT count) {
    if (count > kRecoMaxRecords || text.size() > (1u << 30) || (count > 0 && !records)) return FALSE;
    const UINT length = static_cast<UINT>(text.size());
    const UINT capacity = std::max<UINT>(length + 64000, 128000);
    HGLOBAL hChars = GlobalAlloc(GHND, static_cast<SIZE_T>(count + 1) * sizeof(RecoCharInfo));
    HGLOBAL hText = GlobalAlloc(GHND, capacity);
    auto* chars = hChars ? static_cast<RecoCharInfo*>(GlobalLock(hChars)) : nullptr;
    auto* bytes = hText ? static_cast<BYTE*>(GlobalLock(hText)) : nullptr;
    if (!chars || !bytes) {
        if (chars) GlobalUnlock(hChars);
        if (bytes) GlobalUnlock(hText);
        if (hChars) GlobalFree(hChars);
        if (hText) GlobalFree(hText);
        return FALSE;
    }
    if (count) std::memcpy(chars, records, static_cast<std::size_t>(count) * sizeof(RecoCharInfo));
    if (length) std::memcpy(bytes, text.data(), length);
    const int modified = m_bModified;
    FreeBlocks();
    m_hChars = hChars;
    m_hText = hText;
    m_pChars = chars;
    m_pText = bytes;
    m_pCurChar = chars;
    m_nTextCapacity = capacity;
    m_nTextLen = length;
    FinishFill(count, modified);
    return TRUE;
}

void CRecoResult::FinishFill(UINT records, int modified) {
    if (m_nTextLen == 0) {
        m_pText[0] = 13;
        m_pText[1] = 10;
        m_nTextLen = 2;
    }
    m_nCharBytes = records * static_cast<UINT>(sizeof(RecoCharInfo));
    m_nLineCount = CountLineEnds(0, m_nTextLen);
    m_nCaretOffset = m_nCaretRow = m_nCaretCol = 0;
    m_bHasResult = 1;
    m_bModified = modified;
}

UINT CRecoResult::UnitLength(UINT offset) const {
    if (offset >= m_nTextLen) return 0;
    BYTE b = m_pText[offset];
    UINT left = m_nTextLen - offset;
    if (b == kRecoMark) return std::min(kRecoUnitLength, left);
    if (left >= 2 && IsRecoLeadByte(b) && IsRecoTrailByte(m_pText[offset + 1])) return 2;
    if (left >= 2 && b == 13 && m_pText[offset + 1] == 10) return 2;
    return 1;
}

UINT CRecoResult::UnitColumns(UINT offset) const {
    if (offset >= m_nTextLen) return 0;
    BYTE b = m_pText[offset];
    if (b == 13 || b == 10) return 0;
    if (b == kRecoMark) return m_pText[offset + 1] == 0 ? 1 : 2;
    return UnitLength(offset);
}

UINT CRecoResult::CountLineEnds(UINT from, UINT to) const {
    UINT n = 0;
    for (UINT p = from; p < to && p < m_nTextLen;) {
        UINT len = UnitLength(p);
        if (m_pText[p] == 13 || m_pText[p] == 10) {
            // A line end unit holds its LF last.
            if (m_pText[p + len - 1] == 10) ++n;
        }
        p += len;
    }
    return n;
}

bool CRecoResult::IsUnitStart(UINT offset) const {
    if (offset == m_nTextLen) return true;
    UINT p = 0;
    while (p < offset) p += UnitLength(p);
    return p == offset;
}

RecoCharInfo* CRecoResult::RecordAt(UINT offset) const {
    if (offset >= m_nTextLen || m_pText[offset] != kRecoMark || UnitLength(offset) != kRecoUnitLength) return nullptr;
    UINT index = dochelpers::RecoUnitIndex(m_pText + offset);
    return index < RecordCount() ? m_pChars + index : nullptr;
}

void CRecoResult::RowColumnAt(UINT offset, UINT* outRow, UINT* outCol) const {
    UINT row = 0, col = 0;
    for (UINT p = 0; p < offset && p < m_nTextLen;) {
        UINT len = UnitLength(p);
        if (m_pText[p] == 13 || m_pText[p] == 10) {
            ++row;
            col = 0;
        } else {
            col += UnitColumns(p);
        }
        p += len;
    }
    if (outRow) *outRow = row;
    if (outCol) *outCol = col;
}

UINT CRecoResult::LineOffset(int delta) const {
    if (m_nTextLen == 0) return 0;
    // The caret line's start and row, found from the text start.
    UINT caretLine = 0, caretRow = 0;
    for (UINT p = 0; p < m_nCaretOffset && p < m_nTextLen;) {
        UINT len = UnitLength(p);
        if (m_pText[p] == 13 || m_pText[p] == 10) {
            caretLine = p + len;
            ++caretRow;
        }
        p += len;
    }
    UINT start = 0, lines = 0;
    if (delta >= 0) {
        start = caretLine;
        lines = static_cast<UINT>(delta);
    } else {
        UINT back = static_cast<UINT>(-static_cast<long long>(delta));
        lines = back > caretRow ? 0 : caretRow - back;
    }
    UINT lastLine = start;
    for (UINT p = start; lines > 0 && p < m_nTextLen;) {
        UINT len = UnitLength(p);
        if (m_pText[p] == 13 || m_pText[p] == 10) {
            p += len;
            if (p >= m_nTextLen) break;  // no line after the final line end
            lastLine = p;
            --lines;
            continue;
        }
        p += len;
    }
    return lastLine;
}

UINT CRecoResult::ColumnOffset(int columns) const {
    UINT p = std::min(m_nCaretOffset, m_nTextLen);
    if (columns >= 0) {
        UINT col = 0;
        while (col < static_cast<UINT>(columns) && p < m_nTextLen) {
            if (m_pText[p] == 13 || m_pText[p] == 10) break;
            col += UnitColumns(p);
            p += UnitLength(p);
        }
        return p;
    }
    // Backwards: character units before the caret, line ends not counted.
    std::vector<UINT> starts;
    for (UINT q = 0; q < p;) {
        if (m_pText[q] != 13 && m_pText[q] != 10) starts.push_back(q);
        q += UnitLength(q);
    }
    UINT back = static_cast<UINT>(-static_cast<long long>(columns));
    if (back > starts.size()) return 0;
    return starts[starts.size() - back];
}

void CRecoResult::SetCaret(UINT row, UINT col, BOOL selectChar) {
    if (m_nLineCount == 0) return;
    if (row >= m_nLineCount) row = m_nLineCount - 1;
    m_nCaretOffset = 0;
    m_nCaretOffset = LineOffset(static_cast<int>(std::min<UINT>(row, 0x7FFFFFFF)));
    m_nCaretOffset = ColumnOffset(static_cast<int>(std::min<UINT>(col, 0x7FFFFFFF)));
    RowColumnAt(m_nCaretOffset, &m_nCaretRow, &m_nCaretCol);
    if (selectChar) SelectCharAtCaret();
}

BOOL CRecoResult::SelectCharAtCaret() {
    RecoCharInfo* rec = RecordAt(m_nCaretOffset);
    if (!rec) return FALSE;
    m_pCurChar = rec;
    return TRUE;
}

void CRecoResult::AppendPlainUnit(std::string& out, UINT offset) const {
    UINT len = UnitLength(offset);
    const char* unit = reinterpret_cast<const char*>(m_pText + offset);
    if (m_pText[offset] == kRecoMark && len == kRecoUnitLength) {
        if (unit[1] != 0) out.push_back(unit[1]);
        out.push_back(unit[2]);
    } else {
        out.append(unit, len);
    }
}

int CRecoResult::GetLine(BYTE* out, UINT outSize, int delta, BYTE* outClasses, UINT classSize) const {
    if (outClasses) std::memset(outClasses, 'A', classSize);
    if (!m_pText) return 0;
    UINT copied = 0, units = 0;
    int before = 0;
    std::string unit;
    for (UINT p = LineOffset(delta); p < m_nTextLen;) {
        bool lineEnd = m_pText[p] == 13 || m_pText[p] == 10;
        unit.clear();
        if (lineEnd) {
            if (m_pText[p] == 13) unit.push_back('\r');
        } else {
            AppendPlainUnit(unit, p);
        }
        if (copied + unit.size() > outSize) break;
        std::memcpy(out + copied, unit.data(), unit.size());
        copied += static_cast<UINT>(unit.size());
        if (!lineEnd) before += static_cast<int>(unit.size());
        if (outClasses && units < classSize) {
            const RecoCharInfo* rec = RecordAt(p);
            outClasses[units] = rec ? rec->chClass : 'A';
        }
        ++units;
        if (lineEnd) break;
        p += UnitLength(p);
    }
    return before;
}

UINT CRecoResult::LineDisplayLength(int delta) const {
    UINT n = 0;
    std::string unit;
    for (UINT p = LineOffset(delta); p < m_nTextLen && m_pText[p] != 13 && m_pText[p] != 10; p += UnitLength(p)) {
        unit.clear();
        AppendPlainUnit(unit, p);
        n += static_cast<UINT>(unit.size());
    }
    return n;
}

void CRecoResult::GetCharsAroundCaret(WORD* outBefore, WORD* outAt) const {
    auto value = [this](UINT p) -> WORD {
        if (p >= m_nTextLen || m_pText[p] == 13 || m_pText[p] == 10) return 0;
        UINT len = UnitLength(p);
        if (m_pText[p] == kRecoMark && len == kRecoUnitLength)
            return static_cast<WORD>(m_pText[p + 1] | (m_pText[p + 2] << 8));
        if (len == 2) return static_cast<WORD>(m_pText[p] | (m_pText[p + 1] << 8));
        return m_pText[p];
    };
    WORD before = 0;
    if (m_pText) {
        UINT prev = m_nTextLen;
        for (UINT p = LineOffset(0); p < m_nCaretOffset && p < m_nTextLen; p += UnitLength(p)) prev = p;
        before = prev < m_nTextLen ? value(prev) : 0;
    }
    if (outBefore) *outBefore = before;
    if (outAt) *outAt = m_pText ? value(m_nCaretOffset) : 0;
}

void CRecoResult::GetBlockStats(int block, int* outCharSize, int* outFont, DWORD* outSpacing) const {
    static const char kFonts[] = "SFYHKXWLB";
    int histogram[10] = {};
    long long sizeSum = 0, sizeCount = 0, lineGap = 0, lineCount = 0, charGap = 0, charCount = 0;
    UINT n = RecordCount();
    for (UINT i = 0; i < n; ++i) {
        const RecoCharInfo& rec = m_pChars[i];
        if (rec.wBlock != static_cast<WORD>(block) || block < 0) continue;
        char font = static_cast<char>(rec.byFlags & 0x7F);
        if (font != 0) {
            const char* slot = std::strchr(kFonts, font);
            if (slot) ++histogram[slot - kFonts];
        }
        if (rec.nLineThick * 2 < rec.nBoxThick * 3) {
            sizeSum += rec.nBoxThick;
            ++sizeCount;
        }
        if (i == 0) continue;
        const RecoCharInfo& prev = m_pChars[i - 1];
        if (rec.byLine == prev.byLine + 1) {
            lineGap += rec.nLineY - prev.nLineY - prev.nLineThick;
            ++lineCount;
        } else if (rec.nLineThick < 2 * rec.nBoxThick) {
            ++charCount;
            int gap = rec.nBoxAlong - prev.nBoxAlong - prev.nBoxLen;
            if (gap > 0) charGap += gap;
        }
    }
    int best = 0;
    for (int i = 1; i < 10; ++i)
        if (histogram[i] > histogram[best]) best = i;
    if (outFont) *outFont = best;
    if (outCharSize) *outCharSize = sizeCount ? static_cast<int>(sizeSum / sizeCount) : 32;
    DWORD line = lineCount ? static_cast<DWORD>(static_cast<WORD>(lineGap / lineCount)) : 8;
    DWORD chars = charCount ? static_cast<DWORD>(static_cast<WORD>(charGap / charCount)) : 3;
    if (outSpacing) *outSpacing = line * 65536 + chars;
}

int CRecoResult::FindBlockInRect(int left, int top, int right, int bottom) const {
    for (UINT p = 0; p < m_nTextLen; p += UnitLength(p)) {
        const RecoCharInfo* rec = RecordAt(p);
        if (!rec) continue;
        RECT box = RecoCharBox(*rec);
        if (box.left >= left && box.right <= right && box.top >= top - 3 && box.bottom <= bottom + 3)
            return rec->wBlock;
    }
    return -1;
}

int CRecoResult::FindBlockOverlapping(const RECT& rect) const {
    int last = -1;
    for (UINT p = 0; p < m_nTextLen; p += UnitLength(p)) {
        const RecoCharInfo* rec = RecordAt(p);
        if (!rec) continue;
        RECT box = RecoCharBox(*rec);
        long long w = std::min(box.right, rect.right) - std::max(box.left, rect.left) + 1;
        long long h = std::min(box.bottom, rect.bottom) - std::max(box.top, rect.top) + 1;
        if (w <= 0 || h <= 0) continue;
        long long bw = box.right - box.left + 1, bh = box.bottom - box.top + 1;
        if (w * h * 10 > bw * bh * 6 && (bw > 10 || bh > 10)) return rec->wBlock;
        last = rec->wBlock;
    }
    return last;
}

std::string CRecoResult::PlainText(UINT from, UINT to) const {
    std::string out;
    to = std::min(to, m_nTextLen);
    for (UINT p = 0; p < to; p += UnitLength(p))
        if (p >= from) AppendPlainUnit(out, p);
    return out;
}

char* CRecoResult::GetLinesText(int firstLine, int lastLine, UINT* outEnd, UINT* outLen) const {
    std::string out;
    UINT p = 0;
    if (firstLine >= 0 && m_pText) {
        int row = 0;
        while (p < m_nTextLen && row < firstLine) {
            if (m_pText[p] == 13 || m_pText[p] == 10) ++row;
            p += UnitLength(p);
        }
        if (row == firstLine) {
            while (p < m_nTextLen && m_pText[p] != 0) {
                bool lineEnd = m_pText[p] == 13 || m_pText[p] == 10;
                AppendPlainUnit(out, p);
                p += UnitLength(p);
                if (lineEnd && row++ >= lastLine) break;
            }
        }
    }
    char* buffer = new char[out.size() + 1];
    std::memcpy(buffer, out.data(), out.size());
    buffer[out.size()] = 0;
    if (outEnd) *outEnd = p;
    if (outLen) *outLen = static_cast<UINT>(out.size());
    return buffer;
}

BOOL CRecoResult::WriteTextFile(const char* path) const {
    std::string plain = PlainText(0, m_nTextLen);
    if (!SuiteWriteFileAtomically(path, plain.data(), plain.size())) {
        DocumentHost().MessageBox(kMsgTextCreateError, "", MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    return TRUE;
}

BOOL CRecoResult::SaveTextIfChanged(const char* imagePath) {
    if (!m_bModified) return TRUE;
    std::string textPath = ResultTextPath(imagePath ? imagePath : "");
    std::string question = "Save changes to " + textPath + "?";
    int answer = DocumentHost().MessageBox(question, "", MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL) return FALSE;
    if (answer == IDYES) return WriteTextFile(textPath.c_str());
    return TRUE;
}
