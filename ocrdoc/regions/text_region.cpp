#include "ocrdoc/regions/text_region.h"

#include <cstring>
#include <new>
#include <vector>

#include "imaging/image_block.h"
#include "ocrdoc/document_host.h"
#include "platform/win/library.h"

namespace {

// "手写" in the system's code page, and as UTF-8 for a page list that keeps
// its texts that way.
constexpr char kHandwritingGbk[] = "\xCA\xD6\xD0\xB4";
constexpr char kHandwritingUtf8[] = "\xE6\x89\x8B\xE5\x86\x99";
constexpr char kNoEnoughMemory[] = "No Enough Memory";

RECT BoxRect(const WordBox& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

void SetBoxRect(WordBox& b, const RECT& r) {
    b.left = r.left;
    b.top = r.top;
    b.right = r.right;
    b.bottom = r.bottom;
    b.byFlags = CTextRegion::kBoxSet;
}

RECT RowRect(const TextRow& row) { return RECT{row.left, row.top, row.right, row.bottom}; }

void SetRowRect(TextRow& row, const RECT& r) {
    row.left = r.left;
    row.top = r.top;
    row.right = r.right;
    row.bottom = r.bottom;
}

bool TooSmall(const RECT& r) {
    return r.right - r.left < CTextRegion::kMinBoxSide || r.bottom - r.top < CTextRegion::kMinBoxSide;
}

// A row the library handed back must hold blocks large enough for its
// counts, and groups that cover its boxes in order without gaps; anything
// else is dropped rather than trusted.
bool LockLibraryRow(TextRow& row) {
    if (!row.hGroups || !row.hBoxes || row.nGroups <= 0 || row.nBoxes <= 0) return false;
    const SIZE_T groupPlaces = GlobalSize(row.hGroups) / sizeof(WordGroup);
    const SIZE_T boxPlaces = GlobalSize(row.hBoxes) / sizeof(WordBox);
    if (row.nGroupCap <= 0 || row.nBoxCap <= 0 || static_cast<SIZE_T>(row.nGroupCap) > groupPlaces ||
        static_cast<SIZE_T>(row.nBoxCap) > boxPlaces || row.nGroups > row.nGroupCap || row.nBoxes > row.nBoxCap)
        return false;
    row.pGroups = static_cast<WordGroup*>(GlobalLock(row.hGroups));
    row.pBoxes = static_cast<WordBox*>(GlobalLock(row.hBoxes));
    if (!row.pGroups || !row.pBoxes) return false;
    int next = 0;
    for (int g = 0; g < row.nGroups; ++g) {
        const WordGroup& group = row.pGroups[g];
        if (group.wFirstBox != next || group.nBoxes <= 0 || group.nBoxes > row.nBoxes - next) return false;
        next += group.nBoxes;
    }
    return next == row.nBoxes;
}

struct GlenrithEntries {
    HMODULE module = nullptr;
    PFN_GLENRITH_ROWSEGMENT rowSegment = nullptr;
    PFN_GLENRITH_DELROWNODE delRowNode = nullptr;
    PFN_GLENRITH_INITWORDDIVIDER initWordDivider = nullptr;
    PFN_GLENRITH_WORDSEGMENT wordSegment = nullptr;
    PFN_GLENRITH_EXITWORDDIVIDER exitWordDivider = nullptr;

    GlenrithEntries() {
        module = LoadLibraryA(GLENRITH_DLL);
        if (!module) return;
        rowSegment = reinterpret_cast<PFN_GLENRITH_ROWSEGMENT>(GetProcAddress(module, "RowSegment"));
        delRowNode = reinterpret_cast<PFN_GLENRITH_DELROWNODE>(GetProcAddress(module, "DelRowNode"));
        initWordDivider = reinterpret_cast<PFN_GLENRITH_INITWORDDIVIDER>(GetProcAddress(module, "InitWordDivider"));
        wordSegment = reinterpret_cast<PFN_GLENRITH_WORDSEGMENT>(GetProcAddress(module, "WordSegment"));
        exitWordDivider = reinterpret_cast<PFN_GLENRITH_EXITWORDDIVIDER>(GetProcAddress(module, "ExitWordDivider"));
    }
    ~GlenrithEntries() {
        if (module) FreeLibrary(module);
    }
    GlenrithEntries(const GlenrithEntries&) = delete;
    GlenrithEntries& operator=(const GlenrithEntries&) = delete;
    bool complete() const { return rowSegment && delRowNode && initWordDivider && wordSegment && exitWordDivider; }
};

// A row list longer than this is taken as damaged (a page has fewer rows of text).
constexpr int kMaxListedRows = 65535;

}  // namespace

bool IsHandwritingPageType(const std::string& pageType) {
    return pageType == kHandwritingGbk || pageType == kHandwritingUtf8;
}

bool CurrentPageIsHandwriting() {
    CDocumentHost& shell = DocumentHost();
    const int row = shell.PageListCurrentRow();
    return row >= 0 && IsHandwritingPageType(shell.PageListItemText(row, kPageListType));
}

void FreeTextRow(TextRow& row) {
    if (row.hGroups) {
        if (row.pGroups) GlobalUnlock(row.hGroups);
        GlobalFree(row.hGroups);
    }
    if (row.hBoxes) {
        if (row.pBoxes) GlobalUnlock(row.hBoxes);
        GlobalFree(row.hBoxes);
    }
    row = TextRow{};
}

bool MakeTextRow(TextRow& row, int places) {
    row = TextRow{};
    row.hGroups = GlobalAlloc(GHND, static_cast<SIZE_T>(places) * sizeof(WordGroup));
    row.hBoxes = GlobalAlloc(GHND, static_cast<SIZE_T>(places) * sizeof(WordBox));
    if (row.hGroups) row.pGroups = static_cast<WordGroup*>(GlobalLock(row.hGroups));
    if (row.hBoxes) row.pBoxes = static_cast<WordBox*>(GlobalLock(row.hBoxes));
    if (!row.pGroups || !row.pBoxes) {
        FreeTextRow(row);
        return false;
    }
    row.nGroupCap = row.nBoxCap = places;
    row.nCharW = row.nCharH = 32;
    return true;
}

CTextRegion::~CTextRegion() { CTextRegion::ClearContent(); }

void CTextRegion::ClearContent() {
    for (int i = 0; i < m_nRows; ++i) FreeTextRow(m_pRows[i]);
    delete[] m_pRows;
    m_pRows = nullptr;
    m_nRows = 0;
    ClearBoxSelection();
}

const WordBox* CTextRegion::BoxAt(int row, int group, int box) const {
    if (row < 0 || row >= m_nRows) return nullptr;
    const TextRow& r = m_pRows[row];
    if (group < 0 || group >= r.nGroups || box < 0 || box >= r.pGroups[group].nBoxes) return nullptr;
    return &r.pBoxes[r.pGroups[group].wFirstBox + box];
}

bool CTextRegion::HasSelectedBox() const { return BoxAt(m_nSelRow, m_nSelGroup, m_nSelBox) != nullptr; }

int CTextRegion::SelectedBoxIndex() const {
    return m_pRows[m_nSelRow].pGroups[m_nSelGroup].wFirstBox + m_nSelBox;
}

BOOL CTextRegion::GetSelectedBoxRect(RECT* outRect) const {
    const WordBox* box = BoxAt(m_nSelRow, m_nSelGroup, m_nSelBox);
    if (!box || !outRect) return FALSE;
    *outRect = BoxRect(*box);
    return TRUE;
}

int CTextRegion::FindRowAt(POINT point, int tol) const {
    for (int i = 0; i < m_nRows; ++i) {
        const TextRow& row = m_pRows[i];
        const int widen = tol + (row.bottom - row.top + 1) / 10;
        const RECT band{row.left, std::max(0, row.top - widen), row.right, row.bottom + widen};
        if (RectHoldsPoint(band, point)) return i;
    }
    return -1;
}

int CTextRegion::SelectAt(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol) {
    ClearBoxSelection();
    ClearSelection();
    if (const int hit = HitSelf(point, outParent, outRegion, tol); hit != kInsideNoEdge) return hit;
    if (!CurrentPageIsHandwriting()) return kInsideNoEdge;
    const int r = FindRowAt(point, tol);
    if (r < 0) return kInsideNoEdge;
    const TextRow& row = m_pRows[r];
    for (int g = 0; g < row.nGroups; ++g)
        for (int b = 0; b < row.pGroups[g].nBoxes; ++b) {
            const RECT box = BoxRect(row.pBoxes[row.pGroups[g].wFirstBox + b]);
            const int bits = EdgeHitBits(box, point, tol);
            if (bits || RectHoldsPoint(box, point)) {
                m_nSelRow = r, m_nSelGroup = g, m_nSelBox = b;
                return bits ? bits : kInsideNoEdge;
            }
        }
    return kInsideNoEdge;
}

int CTextRegion::HitTest(POINT point, int tol) {
    if (const int bits = HitTestEdge(point, tol)) return bits;
    if (!CurrentPageIsHandwriting()) return 0;
    const int r = FindRowAt(point, tol);
    if (r < 0) return 0;
    const TextRow& row = m_pRows[r];
    int answer = 0;
    for (int i = 0; i < row.nBoxes; ++i)
        if (const int bits = EdgeHitBits(BoxRect(row.pBoxes[i]), point, tol)) answer = bits;
    return answer;
}

// --- Segmentation ----------------------------------------------------------------------

BOOL CTextRegion::SegmentHandwriting(CPageImage* image, int flag) {
    CDocumentHost& shell = DocumentHost();
    const int listRow = shell.PageListCurrentRow();
    if (listRow < 0) return FALSE;
    return SegmentHandwritingAs(image, flag, IsHandwritingPageType(shell.PageListItemText(listRow, kPageListType)));
}

BOOL CTextRegion::SegmentHandwritingAs(CPageImage* image, int flag, bool handwriting) {
    const int notHandwriting = handwriting ? 0 : 1;
    if (!image || !image->m_hBits || image->m_nWidth <= 0 || image->m_nHeight <= 0 ||
        GlobalSize(image->m_hBits) < image->PlaneBytes())
        return FALSE;
    GlenrithEntries lib;
    if (!lib.complete()) return FALSE;
    CBlockLock plane(image->m_hBits);
    if (!plane) return FALSE;

    ClearContent();
    const SIZE size{image->m_nWidth, image->m_nHeight};
    const int horizontal = (m_nFlags & kRegionVertical) ? 0 : 1;
    RowNode* list = lib.rowSegment(plane.get(), size, Rect(), horizontal);
    if (!list) return FALSE;
    std::vector<const RowNode*> nodes;
    for (const RowNode* n = list; n && static_cast<int>(nodes.size()) < kMaxListedRows; n = n->next) nodes.push_back(n);

    std::vector<TextRow> rows(nodes.size());
    if (horizontal)
        lib.initWordDivider(plane.get(), size, left, right, 1);
    else
        lib.initWordDivider(plane.get(), size, top, bottom, 0);
    const int origin = horizontal ? top : left;
    int previous = horizontal ? (flag ? top : -1) : (flag ? left : -1);
    std::vector<bool> kept(rows.size(), false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int start = origin + nodes[i]->nStart, end = origin + nodes[i]->nEnd;
        int next;
        if (i + 1 < rows.size())
            next = origin + nodes[i + 1]->nStart;
        else
            next = horizontal ? bottom - flag : right + 1;
        lib.wordSegment(start, end, previous, next, notHandwriting, &rows[i]);
        rows[i].pGroups = nullptr;  // the library hands its blocks back unlocked
        rows[i].pBoxes = nullptr;
        if (rows[i].nGroups > 0 && rows[i].nBoxes > 0) {
            kept[i] = true;
            // The next row's boxes stay off this one; an empty row moves no boundary.
            previous = horizontal ? rows[i].bottom : rows[i].right;
        }
    }
    lib.delRowNode(list);
    lib.exitWordDivider();

    int nKept = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (kept[i] && LockLibraryRow(rows[i]))
            ++nKept;
        else
            kept[i] = false;
    }
    if (nKept == 0) {
        for (TextRow& row : rows) FreeTextRow(row);
        m_nRowPitch = 36;
        return TRUE;
    }
    m_pRows = new (std::nothrow) TextRow[nKept];
    if (!m_pRows) {
        for (TextRow& row : rows) FreeTextRow(row);
        m_nRowPitch = 36;
        DocumentHost().MessageBox(kNoEnoughMemory, "", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (kept[i])
            m_pRows[m_nRows++] = rows[i];
        else
            FreeTextRow(rows[i]);
    }
    m_nRowPitch = 10;
    return TRUE;
}

// --- Box edits ------------------------------------------------------------------------------

void CTextRegion::RemoveBox(TextRow& row, int index) {
    if (index < 0 || index >= row.nBoxes) return;
    int g = 0;
    while (g + 1 < row.nGroups && row.pGroups[g + 1].wFirstBox <= index) ++g;
    const int inGroup = index - row.pGroups[g].wFirstBox;
    std::memmove(row.pBoxes + index, row.pBoxes + index + 1, sizeof(WordBox) * (row.nBoxes - index - 1));
    --row.nBoxes;
    --row.pGroups[g].nBoxes;
    for (int k = g + 1; k < row.nGroups; ++k) --row.pGroups[k].wFirstBox;
    const bool selectedRow = m_nSelRow >= 0 && &m_pRows[m_nSelRow] == &row;
    if (selectedRow && g == m_nSelGroup && inGroup < m_nSelBox) --m_nSelBox;
    if (row.pGroups[g].nBoxes == 0) {
        // A word without boxes is no word.
        std::memmove(row.pGroups + g, row.pGroups + g + 1, sizeof(WordGroup) * (row.nGroups - g - 1));
        --row.nGroups;
        if (selectedRow && g < m_nSelGroup) --m_nSelGroup;
    }
}

bool CTextRegion::InsertBox(TextRow& row, int group, int index, const RECT& rect) {
    if (row.nBoxes >= kMaxBoxes || row.nBoxes >= row.nBoxCap) return false;
    if (group < 0 || group >= row.nGroups || index < 0 || index > row.pGroups[group].nBoxes) return false;
    const int at = row.pGroups[group].wFirstBox + index;
    std::memmove(row.pBoxes + at + 1, row.pBoxes + at, sizeof(WordBox) * (row.nBoxes - at));
    SetBoxRect(row.pBoxes[at], rect);
    ++row.nBoxes;
    ++row.pGroups[group].nBoxes;
    for (int k = group + 1; k < row.nGroups; ++k) ++row.pGroups[k].wFirstBox;
    return true;
}

bool CTextRegion::InsertRowAt(int place, const RECT& box) {
    auto* grown = new (std::nothrow) TextRow[m_nRows + 1];
    if (!grown) return false;
    TextRow row;
    if (!MakeTextRow(row, kRowPlaces)) {
        delete[] grown;
        return false;
    }
    row.pGroups[0] = WordGroup{0, 1, 0, kBoxSet};
    SetBoxRect(row.pBoxes[0], box);
    row.nGroups = row.nBoxes = 1;
    SetRowRect(row, box);
    for (int i = 0; i < place; ++i) grown[i] = m_pRows[i];
    grown[place] = row;
    for (int i = place; i < m_nRows; ++i) grown[i + 1] = m_pRows[i];
    delete[] m_pRows;
    m_pRows = grown;
    ++m_nRows;
    m_nSelRow = place, m_nSelGroup = 0, m_nSelBox = 0;
    return true;
}

BOOL CTextRegion::AddRow(const RECT& rect) {
    RECT box = RectClipped(rect, *this);
    if (TooSmall(box)) return FALSE;
    if (m_nRows == 0) return InsertRowAt(0, box) ? TRUE : FALSE;

    int place = m_nRows;
    bool join = false;
    for (int i = 0; i < m_nRows; ++i) {
        if (box.bottom < m_pRows[i].top) {
            place = i;
            break;
        }
        if (box.top < m_pRows[i].bottom) {
            place = i;
            join = true;
            break;
        }
    }
    if (!join) return InsertRowAt(place, box) ? TRUE : FALSE;
    if (place + 1 < m_nRows) {
        box.bottom = std::min(box.bottom, m_pRows[place + 1].top - 1);
        if (TooSmall(box)) return FALSE;
    }

    TextRow& row = m_pRows[place];
    const RECT oldRowRect = RowRect(row);
    for (int g = 0; g < row.nGroups; ++g)
        for (int b = 0; b < row.pGroups[g].nBoxes; ++b) {
            const WordBox& other = row.pBoxes[row.pGroups[g].wFirstBox + b];
            if (other.left >= box.right) {
                if (!InsertBox(row, g, b, box)) return FALSE;
                SetRowRect(row, RectUnion(oldRowRect, box));
                m_nSelRow = place, m_nSelGroup = g, m_nSelBox = b;
                return TRUE;
            }
            if (box.left < other.right) {
                // Drawn over a box: that box takes the drawn rectangle and
                // swallows every other box it then meets.
                const int saved[3] = {m_nSelRow, m_nSelGroup, m_nSelBox};
                m_nSelRow = place, m_nSelGroup = g, m_nSelBox = b;
                if (SetSelectedBoxRect(RectUnion(box, BoxRect(other)))) return TRUE;
                m_nSelRow = saved[0], m_nSelGroup = saved[1], m_nSelBox = saved[2];
                return FALSE;
            }
        }
    if (row.nBoxes >= kMaxBoxes || row.nBoxes >= row.nBoxCap) return FALSE;
    if (row.nGroups < kMaxBoxes && row.nGroups < row.nGroupCap) {
        row.pGroups[row.nGroups] = WordGroup{static_cast<WORD>(row.nBoxes), 0, 0, kBoxSet};
        ++row.nGroups;
    }
    const int g = row.nGroups - 1;
    const int b = row.pGroups[g].nBoxes;
    if (!InsertBox(row, g, b, box)) return FALSE;
    SetRowRect(row, RectUnion(oldRowRect, box));
    m_nSelRow = place, m_nSelGroup = g, m_nSelBox = b;
    return TRUE;
}

BOOL CTextRegion::SetSelectedBoxRect(const RECT& rect) {
    if (!HasSelectedBox()) return FALSE;
    RECT box = RectClipped(rect, *this);
    if (TooSmall(box)) return FALSE;
    TextRow& row = m_pRows[m_nSelRow];
    for (int i = row.nBoxes - 1; i >= 0; --i) {
        if (i == SelectedBoxIndex()) continue;
        if (!RectsSharePixels(BoxRect(row.pBoxes[i]), box)) continue;
        box = RectUnion(box, BoxRect(row.pBoxes[i]));
        RemoveBox(row, i);
    }
    SetBoxRect(row.pBoxes[SelectedBoxIndex()], box);
    // The row keeps holding all of its boxes, so that they can be found again.
    SetRowRect(row, RectUnion(RowRect(row), box));
    return TRUE;
}

BOOL CTextRegion::ExtendSelectedBox(POINT point) {
    RECT box;
    if (!GetSelectedBoxRect(&box)) return FALSE;
    if (point.x < box.left)
        box.left = point.x;
    else if (point.x > box.right)
        box.right = point.x;
    else
        return FALSE;
    const TextRow& row = m_pRows[m_nSelRow];
    for (int i = 0; i < row.nBoxes; ++i)
        if (i != SelectedBoxIndex() && RectsSharePixels(BoxRect(row.pBoxes[i]), box))
            box = RectUnion(box, BoxRect(row.pBoxes[i]));
    return SetSelectedBoxRect(box);
}

BOOL CTextRegion::SplitSelectedBox(CPageImage* image, int x) {
    RECT box;
    if (!image || !GetSelectedBoxRect(&box)) return FALSE;
    TextRow& row = m_pRows[m_nSelRow];
    if (row.nBoxes >= kMaxBoxes || row.nBoxes >= row.nBoxCap) return FALSE;
    if (x - box.left < kMinBoxSide || box.right - x < kMinBoxSide) return FALSE;
    std::vector<WORD> columns(static_cast<std::size_t>(box.right - box.left + 1));
    if (!image->GetColumnProfile(box, columns.data())) return FALSE;
    const auto empty = [&](int column) { return columns[static_cast<std::size_t>(column - box.left)] == 0; };
    int leftEnd = x - 1;  // last column of the left part
    while (leftEnd > box.left + 9 && empty(leftEnd)) --leftEnd;
    int rightStart = x;  // first column of the right part
    while (rightStart < box.right - 9 && empty(rightStart)) ++rightStart;
    RECT parts[2] = {{box.left, box.top, leftEnd, box.bottom}, {rightStart, box.top, box.right, box.bottom}};
    for (RECT& part : parts) {
        std::vector<WORD> rows(static_cast<std::size_t>(part.bottom - part.top + 1));
        if (!image->GetRowProfile(part, rows.data())) return FALSE;
        std::size_t first = 0;
        while (first < rows.size() && rows[first] == 0) ++first;
        if (first < rows.size()) part.top += static_cast<LONG>(first);
    }
    if (!InsertBox(row, m_nSelGroup, m_nSelBox + 1, parts[1])) return FALSE;
    SetBoxRect(row.pBoxes[SelectedBoxIndex()], parts[0]);
    return TRUE;
}

BOOL CTextRegion::RemoveSelectedBox() {
    if (!HasSelectedBox()) return FALSE;
    RemoveBox(m_pRows[m_nSelRow], SelectedBoxIndex());
    ClearBoxSelection();
    return TRUE;
}
