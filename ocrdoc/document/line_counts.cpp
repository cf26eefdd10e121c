// The per-region text-line counts: the result text is the text of the page's
// top-level regions one after the other, and each region knows how many of its
// lines are its own. Region i holds line k when the counts before it sum to at
// most k and with it to more than k; a region of count 0 holds no line.
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document_host.h"
#include "platform/win/files.h"
#include "platform/win/memory.h"

namespace {

// Counts are kept in 16 bits (undo records, project file).
constexpr int kMaxLineCount = 0xFFFF;

void ShowLineCountMessage(const char* text) { DocumentHost().MessageBox(text, "", MB_OK); }

// Walks the top-level regions for the one holding `line`. Returns 1 with its
// index and the lines before it, 0 when no region holds the line, -1 (after
// the message) at a negative count on the way.
int FindRegionOfLine(const CPageRegion* page, int line, int* outIndex, long long* outBefore) {
    long long before = 0;
    int count = page ? page->GetChildCount() : 0;
    for (int i = 0; i < count; ++i) {
        const CLayoutRegion* region = page->GetChild(i);
        int lines = region ? region->m_nLines : 0;
        if (lines < 0) {
            ShowLineCountMessage(kMsgTextLineError);
            return -1;
        }
        if (line >= before && line < before + lines) {
            *outIndex = i;
            *outBefore = before;
            return 1;
        }
        before += lines;
    }
    return 0;
}

}  // namespace

void COcrPage::RebuildLineCounts() {
    delete[] m_pLineCounts;
    m_pLineCounts = nullptr;
    m_dwBkNum = 0;
    int count = m_pPageRegion ? m_pPageRegion->GetChildCount() : 0;
    if (count <= 0) return;
    m_pLineCounts = new (std::nothrow) WORD[static_cast<std::size_t>(count)];
    if (!m_pLineCounts) return;
    m_dwBkNum = static_cast<DWORD>(count);
    for (int i = 0; i < count; ++i) {
        const CLayoutRegion* region = m_pPageRegion->GetChild(i);
        int lines = region ? region->m_nLines : 0;
        m_pLineCounts[i] = static_cast<WORD>(std::clamp(lines, 0, kMaxLineCount));
    }
}

int COcrDoc::AdjustRegionLineCount(int line, int delta) {
    int index = -1;
    long long before = 0;
    int found = FindRegionOfLine(m_pPageRegion, line, &index, &before);
    if (found < 0) return -1;
    if (found > 0) {
        CLayoutRegion* region = m_pPageRegion->GetChild(index);
        long long lines = static_cast<long long>(region->m_nLines) + delta;
        region->m_nLines = static_cast<int>(std::clamp<long long>(lines, 0, kMaxLineCount));
    }
    RebuildLineCounts();
    return found;
}

int COcrDoc::OnTextPasted(HGLOBAL hText, int line) {
    const BYTE* bytes = hText ? static_cast<const BYTE*>(GlobalLock(hText)) : nullptr;
    if (!bytes) return 1;
    SIZE_T size = GlobalSize(hText);
    long long pairs = 0;
    for (SIZE_T i = 0; i < size && bytes[i] != 0; ++i)
        if (bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n') ++pairs;
    GlobalUnlock(hText);
    if (pairs == 0) return 1;
    return AdjustRegionLineCount(line, static_cast<int>(std::min<long long>(pairs, kMaxLineCount)));
}

int COcrDoc::GetRegionLineCountAt(int line) {
    int index = -1;
    long long before = 0;
    if (FindRegionOfLine(m_pPageRegion, line, &index, &before) <= 0) return -1;
    return m_pPageRegion->GetChild(index)->m_nLines;
}

void COcrPage::GetRegionLineRange(int index, int* outFirst, int* outLast) {
    int first = -1, last = -1;
    int count = m_pPageRegion ? m_pPageRegion->GetChildCount() : 0;
    if (index >= 0 && index < count) {
        long long before = 0;
        bool damaged = false;
        for (int i = 0; i <= index; ++i) {
            const CLayoutRegion* region = m_pPageRegion->GetChild(i);
            int lines = region ? region->m_nLines : 0;
            if (lines < 0) {
                ShowLineCountMessage(kMsgTextLineError);
                damaged = true;
                break;
            }
            if (i < index) before += lines;
        }
        int lines = damaged ? 0 : m_pPageRegion->GetChild(index)->m_nLines;
        if (!damaged && lines > 0 && before + lines - 1 <= 0x7FFFFFFF) {
            first = static_cast<int>(before);
            last = static_cast<int>(before + lines - 1);
        }
    }
    if (outFirst) *outFirst = first;
    if (outLast) *outLast = last;
}

BOOL COcrDoc::SetAllLineCounts(int n, const WORD* values) {
    int regions = m_pPageRegion ? m_pPageRegion->GetChildCount() : 0;
    if (n < 0 || static_cast<DWORD>(n) != m_dwBkNum || n > regions || (n > 0 && (!values || !m_pLineCounts))) {
        ShowLineCountMessage(kMsgLineCountMismatch);
        return FALSE;
    }
    for (int i = 0; i < n; ++i) {
        if (CLayoutRegion* region = m_pPageRegion->GetChild(i)) region->m_nLines = values[i];
        m_pLineCounts[i] = values[i];
    }
    return TRUE;
}

int COcrDoc::Undo(UINT* outRow, UINT* outCol) {
    // Room for one count more than the document has, so that a record saved
    // with more regions shows up as a mismatch instead of fitting silently.
    std::vector<WORD> counts(static_cast<std::size_t>(m_dwBkNum) + 1);
    int saved = 0;
    int result = ApplyUndo(outRow, outCol, &saved, counts.data(), static_cast<int>(counts.size()));
    if (result != -1) SetAllLineCounts(saved, counts.data());
    return result;
}

int COcrDoc::RestoreOriginalImage() {
    if (IsPageHeld()) return 0;
    if (!IsModified() || m_strPathName.IsEmpty()) return 1;
    std::string path = m_strPathName.GetString();
    DeleteFileA((path + ".PST").c_str());
    // The edits are dropped on purpose: nothing may write the project file
    // again on the way (it would bring back the edited page).
    SetModifiedFlag(FALSE);
    m_bLayoutDirty = 0;
    CRecoResult::m_bModified = 0;
    OnOpenDocument(path.c_str());
    return 1;
}
