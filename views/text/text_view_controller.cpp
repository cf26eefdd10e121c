// The text view's caret, selection, scrolling and navigation. Editing,
// clipboard, undo and candidates are in text_view_editing.cpp.
#include "views/text/text_view_controller.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "imaging/page_image.h"
#include "imaging/pixel_rows.h"
#include "ocrdoc/helpers/reco_unit.h"
#include "ocrdoc/result/table_line_char.h"
#include "platform/afx/afxwin.h"
#include "views/view_host.h"

namespace {

bool IsLineEnd(BYTE b) { return b == 13 || b == 10; }

// " 行 %5d 列 %3d" in GBK, for when no language library is loaded.
constexpr const char kCaretStatusFallback[] = " \xD0\xD0 %5d \xC1\xD0 %3d";

}  // namespace

const TextLineUnit* TextLine::UnitAt(int col) const {
    if (col < 0 || col >= length) return nullptr;
    // Units are in column order; find the last one starting at or before col.
    auto it = std::upper_bound(units.begin(), units.end(), col,
                               [](int c, const TextLineUnit& u) { return c < u.col; });
    if (it == units.begin()) return nullptr;
    return &*(it - 1);
}

TextViewLayout ComputeTextViewLayout(int width, int height, int vbarWidth, int hbarHeight, bool compact) {
    TextViewLayout l;
    const int w = std::max(width, 0), h = std::max(height, 0);
    l.vbar = RECT{w - vbarWidth, kTextPanelHeight, w, h - hbarHeight};
    l.hbar = RECT{0, h - hbarHeight, w - vbarWidth, h};
    if (!compact) {
        l.panel = RECT{0, 0, w, kTextPanelHeight};
        l.text = RECT{0, kTextPanelHeight, w - vbarWidth, h - hbarHeight};
    } else {
        l.panel = RECT{w - vbarWidth, 0, w, kTextPanelHeight};
        l.text = RECT{0, 0, w - vbarWidth, h - hbarHeight};
    }
    if (l.text.bottom < l.text.top) l.text.bottom = l.text.top;
    if (l.text.right < l.text.left) l.text.right = l.text.left;
    return l;
}

std::string FormatCaretStatus(int row, int col) {
    CString format;
    if (!format.LoadString(IDS_CARET_STATUS)) format = kCaretStatusFallback;
    CString text;
    text.Format(format, row, col);
    return text.GetString();
}

CTextViewController::CTextViewController(COcrDoc* doc, CTextViewHost* host) : m_pDoc(doc), m_pHost(host) {}

bool CTextViewController::HasResult() const {
    return m_pDoc && m_pDoc->m_bHasResult && m_pDoc->m_pText && m_pDoc->m_nTextLen >= 2 && m_pDoc->m_nLineCount > 0;
}

int CTextViewController::LineCount() const { return HasResult() ? static_cast<int>(Store().m_nLineCount) : 0; }

TextLine CTextViewController::FetchLine(int row) const {
    TextLine line;
    if (!HasResult() || row < 0) return line;
    const CRecoResult& store = Store();
    const BYTE* text = store.m_pText;
    const UINT n = store.m_nTextLen;
    UINT p = 0;
    for (int r = 0; r < row && p < n;) {
        if (IsLineEnd(text[p])) ++r;
        p += std::max(store.UnitLength(p), 1u);
    }
    line.start = p;
    int col = 0;
    while (p < n && !IsLineEnd(text[p])) {
        TextLineUnit u;
        u.offset = p;
        u.length = std::max(store.UnitLength(p), 1u);
        u.col = col;
        if (text[p] == kRecoMark && u.length == kRecoUnitLength) {
            const BYTE b1 = text[p + 1], b2 = text[p + 2];
            const UINT index = dochelpers::RecoUnitIndex(text + p);
            if (b1 != 0) {
                u.bytes[0] = b1;
                u.bytes[1] = b2;
                u.width = 2;
            } else {
                u.bytes[0] = b2;
                u.width = 1;
            }
            if (const RecoCharInfo* rec = store.Record(index)) {
                u.record = static_cast<int>(index);
                u.cls = rec->chClass;
            }
        } else if (u.length == 2) {
            u.bytes[0] = text[p];
            u.bytes[1] = text[p + 1];
            u.width = 2;
        } else {
            u.bytes[0] = text[p];
            u.width = 1;
        }
        col += u.width;
        p += u.length;
        line.units.push_back(u);
    }
    line.end = p;
    line.length = col;
    return line;
}

void CTextViewController::SelectionRange(int* startRow, int* startCol, int* endRow, int* endCol) const {
    int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
    PositionAt(SelectionStart(), &r0, &c0);
    PositionAt(SelectionEnd(), &r1, &c1);
    if (startRow) *startRow = r0;
    if (startCol) *startCol = c0;
    if (endRow) *endRow = r1;
    if (endCol) *endCol = c1;
}

int CTextViewController::VisibleRows() const {
    const int h = static_cast<int>(m_rcText.bottom - m_rcText.top);
    const int cy = std::max<int>(m_cell.cy, 1);
    return h <= 0 ? 0 : (h + cy - 1) / cy;
}

// Whole rows in the text area: the caret and the strip must fit in them.
int CTextViewController::TextRowsAvailable(bool) const {
    const int h = static_cast<int>(m_rcText.bottom - m_rcText.top);
    return std::max(h / std::max<int>(m_cell.cy, 1), 1);
}

bool CTextViewController::StripShown() const {
    if (!m_bShowLineImage || !HasResult()) return false;
    const int d = m_nCaretRow - m_nTopRow;
    // The strip takes the two rows above the caret line, which must still fit below it.
    return d >= 0 && d + kTextStripRows < TextRowsAvailable(true);
}

int CTextViewController::StripOffsetFor(int row) const {
    return StripShown() && row >= m_nCaretRow ? kTextStripRows * m_cell.cy : 0;
}

void CTextViewController::SetTextArea(const RECT& area) { m_rcText = area; }

void CTextViewController::SetCell(SIZE cell) {
    if (cell.cx > 0 && cell.cy > 0) m_cell = cell;
}

void CTextViewController::ResetView() {
    m_nCaretRow = m_nCaretCol = 0;
    m_nFirstCol = m_nTopRow = 0;
    m_nSelAnchorRow = m_nSelAnchorCol = m_nSelEndRow = m_nSelEndCol = -1;
    m_nSelAnchorPos = m_nSelEndPos = 0;
    m_nLastCaretRow = -1;
    m_nLeadByte = 0;
    m_bDragging = false;
    m_bTextWindowFlag = false;
    m_pShownChar = nullptr;
}

UINT CTextViewController::OffsetAt(int row, int col) const {
    TextLine line = FetchLine(row);
    if (const TextLineUnit* u = line.UnitAt(col)) return u->offset;
    return line.end;
}

void CTextViewController::PositionAt(UINT offset, int* row, int* col) const {
    UINT r = 0, c = 0;
    if (HasResult()) Store().RowColumnAt(offset, &r, &c);
    *row = static_cast<int>(r);
    *col = static_cast<int>(c);
}

void CTextViewController::SyncStoreCaret() {
    if (HasResult()) Store().SetCaret(static_cast<UINT>(m_nCaretRow), static_cast<UINT>(m_nCaretCol), FALSE);
}

int CTextViewController::SnapColumn(int row, int col) const {
    TextLine line = FetchLine(row);
    if (col >= line.length) return line.length;
    if (col <= 0) return 0;
    const TextLineUnit* u = line.UnitAt(col);
    return u ? u->col : line.length;
}

const TextLineUnit* CTextViewController::CaretUnit(const TextLine& line) const { return line.UnitAt(m_nCaretCol); }

WORD CTextViewController::CodeOf(const TextLineUnit& unit) const {
    return unit.width == 2 ? static_cast<WORD>((unit.bytes[0] << 8) | unit.bytes[1]) : unit.bytes[0];
}

bool CTextViewController::IsTableUnit(const TextLineUnit& unit) const {
    return unit.width == 2 && IsTableLineChar(CodeOf(unit));
}

bool CTextViewController::CaretOnTableLineChar() const {
    TextLine line = FetchLine(m_nCaretRow);
    const TextLineUnit* u = CaretUnit(line);
    return u && IsTableUnit(*u);
}

bool CTextViewController::LineHasTableLineChar(int row) const {
    TextLine line = FetchLine(row);
    return std::any_of(line.units.begin(), line.units.end(), [this](const TextLineUnit& u) { return IsTableUnit(u); });
}

bool CTextViewController::SelectionHasTableLineChar() const {
    if (!HasSelection()) return false;
    // The range test looks at units starting in [from, to]; the end itself is not selected.
    const UINT from = SelectionStart(), to = SelectionEnd();
    return Store().RangeHasTableLineChar(from, to - 1) != FALSE;
}

bool CTextViewController::InsertMode() const { return ViewHost().IsInsertMode(); }

TextCaretShape CTextViewController::CaretShape() const {
    TextCaretShape c;
    const int cx = m_cell.cx, cy = m_cell.cy;
    const int stripOffset = StripShown() ? kTextStripRows * cy : 0;
    c.x = static_cast<int>(m_rcText.left) + (m_nCaretCol - m_nFirstCol) * cx;
    const int rowTop = (m_nCaretRow - m_nTopRow) * cy;
    if (InsertMode()) {
        c.width = 2;
        c.height = cy;
        c.y = static_cast<int>(m_rcText.top) + rowTop + stripOffset;
    } else {
        TextLine line = FetchLine(m_nCaretRow);
        const TextLineUnit* u = CaretUnit(line);
        c.width = (u && u->width == 2 ? 2 : 1) * cx;
        c.height = 2;
        c.y = static_cast<int>(m_rcText.top) + rowTop + cy + stripOffset - 2;
    }
    const int height = static_cast<int>(m_rcText.bottom - m_rcText.top);
    if (m_nCaretRow < m_nTopRow || rowTop + stripOffset + cy > height) c.y = -100;
    return c;
}

void CTextViewController::CharImageFor(const RecoCharInfo& rec, BYTE image[128]) const {
    std::memset(image, 0, 128);
    const CPageImage* page = m_pDoc->m_pImage;
    if (!page || page->m_nWidth <= 0 || page->m_nHeight <= 0) return;
    // The box as the record gives it, clipped to the page; an empty box gives the empty image.
    RECT box = RecoCharBox(rec);
    box.left = std::max<LONG>(box.left, 0);
    box.top = std::max<LONG>(box.top, 0);
    box.right = std::min<LONG>(box.right, page->m_nWidth - 1);
    box.bottom = std::min<LONG>(box.bottom, page->m_nHeight - 1);
    if (box.right < box.left || box.bottom < box.top) return;
    const long long w = box.right - box.left + 1, h = box.bottom - box.top + 1;
    if (w * h >= kCharImageCropLimit || w > 0xFFFF || h > 0xFFFF) return;
    std::vector<BYTE> pixels(static_cast<std::size_t>(w * h));
    if (!m_pDoc->m_pImage->GetRectPixels(box, pixels.data())) return;
    BYTE scaled[32 * 32];
    ScalePixels(pixels.data(), static_cast<WORD>(h), static_cast<WORD>(w), scaled, 32, 32);
    PackPixels(scaled, image, 32, 32);
}

void CTextViewController::UpdateCaret(bool withCandidates) {
    if (!HasResult()) {
        TextCaretShape c;
        c.x = 0;
        c.y = static_cast<int>(m_rcText.top);
        c.height = m_cell.cy;
        if (m_bOwnsCaret) m_pHost->PlaceCaret(c);
        return;
    }
    CRecoResult& store = Store();
    const RecoCharInfo* before = store.m_pCurChar;
    store.SetCaret(static_cast<UINT>(m_nCaretRow), static_cast<UINT>(m_nCaretCol), FALSE);
    TextLine line = FetchLine(m_nCaretRow);
    const TextLineUnit* unit = CaretUnit(line);
    const RecoCharInfo* rec = unit && unit->record >= 0 ? store.Record(static_cast<UINT>(unit->record)) : nullptr;
    if (rec) {
        store.SelectCharAtCaret();
        if (rec != before) m_pHost->InvalidateLines(m_nCaretRow, m_nCaretRow);
    }
    if (m_bOwnsCaret) m_pHost->PlaceCaret(CaretShape());

    if (withCandidates) {
        BYTE image[128] = {};
        if (rec) {
            CharImageFor(*rec, image);
            m_pHost->ShowCharImage(image);
            // The record is packed: its codes are copied out before they are read as WORDs.
            WORD codes[10];
            std::memcpy(codes, reinterpret_cast<const BYTE*>(rec) + offsetof(RecoCharInfo, wCand), sizeof codes);
            m_pHost->ShowCandidates(codes, 10);
            // The page view frames the box, clipped to the page.
            RECT box = RecoCharBox(*rec);
            if (const CPageImage* page = m_pDoc->m_pImage) {
                box.left = std::max<LONG>(box.left, 0);
                box.top = std::max<LONG>(box.top, 0);
                box.right = std::min<LONG>(box.right, page->m_nWidth - 1);
                box.bottom = std::min<LONG>(box.bottom, page->m_nHeight - 1);
            }
            if (box.right >= box.left && box.bottom >= box.top) m_pHost->FrameCharBox(box);
        } else {
            m_pHost->ShowCharImage(image);
            m_pHost->ShowCandidates(nullptr, 0);
        }
        m_pShownChar = rec;
    }
    ViewHost().SetStatusPaneText(5, FormatCaretStatus(m_nCaretRow + 1, m_nCaretCol + 1));
    m_pHost->SetScrollBars(std::max(LineCount() - 1, 0), m_nTopRow, m_nFirstCol);
}

void CTextViewController::EnsureCaretVisible() {
    if (!HasResult()) return;
    const int width = static_cast<int>(m_rcText.right - m_rcText.left);
    const int cols = std::max(width / std::max<int>(m_cell.cx, 1), 1);
    const int rows = TextRowsAvailable(true);
    TextLine line = FetchLine(m_nCaretRow);
    const TextLineUnit* u = CaretUnit(line);
    const int charWidth = u ? u->width : 1;
    const int d = m_nCaretRow - m_nTopRow;
    const bool visible = d >= 0 && d < rows && m_nCaretCol >= m_nFirstCol && m_nCaretCol + charWidth <= m_nFirstCol + cols;
    if (visible) {
        if (m_bShowLineImage && d + kTextStripRows >= rows && rows > kTextStripRows + 1) {
            // Room for the strip above the caret line.
            m_nTopRow += d + kTextStripRows + 1 - rows;
            m_pHost->InvalidateText(false);
        } else if (m_bShowLineImage && m_nLastCaretRow != m_nCaretRow) {
            if (m_nLastCaretRow < 0) {
                m_pHost->InvalidateText(false);
            } else {
                m_pHost->InvalidateLines(std::min(m_nLastCaretRow, m_nCaretRow), std::max(m_nLastCaretRow, m_nCaretRow));
            }
        }
        m_nLastCaretRow = m_nCaretRow;
        return;
    }
    m_nLastCaretRow = m_nCaretRow;
    if (d < 0) {
        m_nTopRow = m_nCaretRow;
    } else if (d >= rows || (m_bShowLineImage && rows > kTextStripRows + 1 && d + kTextStripRows >= rows)) {
        const bool strip = m_bShowLineImage && rows > kTextStripRows + 1;
        m_nTopRow = std::max(0, m_nCaretRow - rows + 1 + (strip ? kTextStripRows : 0));
    }
    if (m_nCaretCol < m_nFirstCol) {
        m_nFirstCol = m_nCaretCol;
    } else if (m_nCaretCol + charWidth > m_nFirstCol + cols) {
        m_nFirstCol = m_nCaretCol + charWidth - cols;
    }
    m_nFirstCol = std::clamp(m_nFirstCol, 0, kTextLineCapacity - 1);
    m_pHost->InvalidateText(false);
}

void CTextViewController::MoveCaret(int row, int col, bool withCandidates) {
    m_nCaretRow = std::clamp(row, 0, std::max(LineCount() - 1, 0));
    m_nCaretCol = SnapColumn(m_nCaretRow, std::max(col, 0));
    EnsureCaretVisible();
    UpdateCaret(withCandidates);
}

void CTextViewController::MoveLeft() {
    if (m_nCaretCol > 0) {
        m_nCaretCol = SnapColumn(m_nCaretRow, m_nCaretCol - 1);
    } else if (m_nCaretRow > 0) {
        --m_nCaretRow;
        m_nCaretCol = FetchLine(m_nCaretRow).length;
    }
}

void CTextViewController::MoveRight() {
    TextLine line = FetchLine(m_nCaretRow);
    if (const TextLineUnit* u = CaretUnit(line)) {
        m_nCaretCol = u->col + u->width;
    } else if (m_nCaretRow < LineCount() - 1) {
        ++m_nCaretRow;
        m_nCaretCol = 0;
    }
}

void CTextViewController::ExtendSelectionTo(int oldRow, int oldCol, UINT oldPos) {
    const UINT pos = OffsetAt(m_nCaretRow, m_nCaretCol);
    if (!HasSelection()) {
        m_nSelAnchorRow = oldRow;
        m_nSelAnchorCol = oldCol;
        m_nSelAnchorPos = oldPos;
        m_nSelEndRow = m_nCaretRow;
        m_nSelEndCol = m_nCaretCol;
        m_nSelEndPos = pos;
        m_pHost->InvalidateLines(std::min(oldRow, m_nCaretRow), std::max(oldRow, m_nCaretRow));
        return;
    }
    const int previousEnd = m_nSelEndRow;
    m_nSelEndRow = m_nCaretRow;
    m_nSelEndCol = m_nCaretCol;
    m_nSelEndPos = pos;
    m_pHost->InvalidateLines(std::min(previousEnd, m_nCaretRow), std::max(previousEnd, m_nCaretRow));
}

void CTextViewController::ClearSelection() {
    if (HasSelection()) {
        int r0 = 0, r1 = 0;
        SelectionRange(&r0, nullptr, &r1, nullptr);
        m_pHost->InvalidateLines(r0, r1);
    }
    m_nSelAnchorPos = m_nSelEndPos = 0;
    m_nSelAnchorRow = m_nSelAnchorCol = m_nSelEndRow = m_nSelEndCol = -1;
}

void CTextViewController::SelectAll() {
    if (!HasResult()) return;
    m_nSelAnchorRow = m_nSelAnchorCol = 0;
    m_nSelAnchorPos = 0;
    const int last = LineCount() - 1;
    m_nCaretRow = last;
    m_nCaretCol = FetchLine(last).length;
    m_nSelEndRow = m_nCaretRow;
    m_nSelEndCol = m_nCaretCol;
    m_nSelEndPos = OffsetAt(m_nCaretRow, m_nCaretCol);
    m_pHost->InvalidateLines(0, last);
    EnsureCaretVisible();
    UpdateCaret(true);
}

bool CTextViewController::OnKeyDown(UINT vk, bool shift, bool ctrl) {
    if (!HasResult()) return true;
    const bool navigation = vk == VK_PRIOR || vk == VK_NEXT || vk == VK_END || vk == VK_HOME || vk == VK_LEFT ||
                            vk == VK_UP || vk == VK_RIGHT || vk == VK_DOWN;
    const int oldRow = m_nCaretRow, oldCol = m_nCaretCol;
    const UINT oldPos = navigation && shift ? OffsetAt(oldRow, oldCol) : 0;
    if (navigation && !shift) ClearSelection();
    const int last = LineCount() - 1;
    const int page = std::max(static_cast<int>(m_rcText.bottom - m_rcText.top) / std::max<int>(m_cell.cy, 1), 1);
    bool moved = true;
    switch (vk) {
    case VK_UP:
        if (m_nCaretRow == 0) return true;
        m_nCaretCol = SnapColumn(--m_nCaretRow, m_nCaretCol);
        break;
    case VK_DOWN:
        if (m_nCaretRow >= last) return true;
        m_nCaretCol = SnapColumn(++m_nCaretRow, m_nCaretCol);
        break;
    case VK_LEFT:
        if (m_nCaretRow == 0 && m_nCaretCol == 0) return true;
        MoveLeft();
        break;
    case VK_RIGHT:
        if (m_nCaretRow == last && m_nCaretCol >= FetchLine(last).length) return true;
        MoveRight();
        break;
    case VK_HOME:
        if (ctrl) {
            if (m_nCaretRow == 0 && m_nCaretCol == 0 && m_nTopRow == 0 && m_nFirstCol == 0) return true;
            m_nCaretRow = 0;
        } else if (m_nCaretCol == 0 && m_nFirstCol == 0) {
            return true;
        }
        m_nCaretCol = 0;
        break;
    case VK_END:
        if (ctrl) m_nCaretRow = last;
        m_nCaretCol = FetchLine(m_nCaretRow).length;
        break;
    case VK_PRIOR: {
        if (m_nTopRow == 0 && m_nCaretRow == 0) return true;
        const int newTop = std::max(0, m_nTopRow - page);
        m_nCaretRow = m_nTopRow == 0 ? 0 : std::max(0, m_nCaretRow - (m_nTopRow - newTop));
        m_nTopRow = newTop;
        m_nCaretCol = SnapColumn(m_nCaretRow, m_nCaretCol);
        m_pHost->InvalidateText(false);
        break;
    }
    case VK_NEXT: {
        if (m_nTopRow >= last) return true;
        const int newTop = std::min(m_nTopRow + page, last);
        m_nCaretRow = std::min(m_nCaretRow + (newTop - m_nTopRow), last);
        m_nTopRow = newTop;
        m_nCaretCol = SnapColumn(m_nCaretRow, m_nCaretCol);
        m_pHost->InvalidateText(false);
        break;
    }
    case VK_TAB: {
        SyncStoreCaret();
        UINT row = 0, col = 0;
        if (!Store().FindDoubtfulChar(shift ? FALSE : TRUE, &row, &col)) return true;
        m_nCaretRow = static_cast<int>(row);
        m_nCaretCol = SnapColumn(m_nCaretRow, static_cast<int>(col));
        break;
    }
    case VK_RETURN:
        SplitLine();
        return true;
    case VK_BACK:
        Backspace();
        return true;
    case VK_DELETE:
        DeleteKey();
        return true;
    default:
        moved = false;
        break;
    }
    if (!moved) {
        if (ctrl && vk == 'A') {
            SelectAll();
            return true;
        }
        if (ctrl && vk == 'Y') {
            DeleteLine();
            return true;
        }
        if (ctrl && vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
            TakeCandidate(vk == VK_NUMPAD0 ? 10 : static_cast<int>(vk - VK_NUMPAD0));
            return true;
        }
        if (ctrl && vk >= VK_F1 && vk < VK_F1 + 9) {
            TakeCandidate(static_cast<int>(vk - VK_F1) + 1);
            return true;
        }
        return false;
    }
    EnsureCaretVisible();
    UpdateCaret(true);
    if (navigation && shift) ExtendSelectionTo(oldRow, oldCol, oldPos);
    return true;
}

void CTextViewController::OnLButtonDown(POINT pt, bool shift) {
    if (!HasResult()) return;
    if (pt.y < m_rcText.top || pt.x < m_rcText.left) return;
    if (!shift) ClearSelection();
    const int cx = std::max<int>(m_cell.cx, 1), cy = std::max<int>(m_cell.cy, 1);
    int cellRow = (pt.y - static_cast<int>(m_rcText.top)) / cy;
    const int cellCol = (pt.x - static_cast<int>(m_rcText.left)) / cx;
    if (StripShown()) {
        const int stripRow = m_nCaretRow - m_nTopRow;
        if (cellRow >= stripRow && cellRow < stripRow + kTextStripRows) return;
        if (cellRow >= stripRow + kTextStripRows) cellRow -= kTextStripRows;
    }
    const int row = m_nTopRow + cellRow;
    if (row >= LineCount()) return;
    const int oldRow = m_nCaretRow, oldCol = m_nCaretCol;
    const UINT oldPos = OffsetAt(oldRow, oldCol);
    m_nCaretRow = row;
    m_nCaretCol = SnapColumn(row, m_nFirstCol + cellCol);
    EnsureCaretVisible();
    UpdateCaret(true);
    m_pHost->TakeFocus();
    m_pHost->CaptureMouse(true);
    m_bDragging = true;
    if (!HasSelection()) {
        m_nSelAnchorRow = m_nSelEndRow = m_nCaretRow;
        m_nSelAnchorCol = m_nSelEndCol = m_nCaretCol;
        m_nSelAnchorPos = m_nSelEndPos = OffsetAt(m_nCaretRow, m_nCaretCol);
    } else if (shift) {
        ExtendSelectionTo(oldRow, oldCol, oldPos);
    }
}

void CTextViewController::OnMouseMove(POINT pt) {
    if (!m_bDragging || !HasResult()) return;
    const int cx = std::max<int>(m_cell.cx, 1), cy = std::max<int>(m_cell.cy, 1);
    const int x = pt.x - static_cast<int>(m_rcText.left), y = pt.y - static_cast<int>(m_rcText.top);
    int cellRow = y < 0 ? -1 : y / cy;
    const int cellCol = x < 0 ? -1 : x / cx;
    if (StripShown()) {
        const int stripRow = m_nCaretRow - m_nTopRow;
        if (cellRow >= stripRow && cellRow < stripRow + kTextStripRows) return;
        if (cellRow >= stripRow + kTextStripRows) cellRow -= kTextStripRows;
    }
    const int row = std::max(m_nTopRow + cellRow, 0);
    if (row >= LineCount()) return;
    const int col = SnapColumn(row, std::max(m_nFirstCol + cellCol, 0));
    if (row == m_nCaretRow && col == m_nCaretCol) return;
    const int oldRow = m_nCaretRow, oldCol = m_nCaretCol;
    const UINT oldPos = OffsetAt(oldRow, oldCol);
    m_nCaretRow = row;
    m_nCaretCol = col;
    EnsureCaretVisible();
    UpdateCaret(false);
    ExtendSelectionTo(oldRow, oldCol, oldPos);
}

void CTextViewController::OnLButtonUp() {
    if (!m_bDragging) return;
    m_bDragging = false;
    m_pHost->CaptureMouse(false);
    if (!HasResult()) return;
    m_nSelEndRow = m_nCaretRow;
    m_nSelEndCol = m_nCaretCol;
    m_nSelEndPos = OffsetAt(m_nCaretRow, m_nCaretCol);
}

void CTextViewController::OnMouseWheel(int delta) {
    if (!HasResult() || delta == 0) return;
    // The direction alone decides: one line a notch, whatever the size of the turn.
    if (delta > 0) {
        if (m_nTopRow == 0) return;
        --m_nTopRow;
    } else {
        if (m_nTopRow >= LineCount() - 1) return;
        ++m_nTopRow;
    }
    m_pHost->InvalidateText(false);
    UpdateCaret(false);
}

void CTextViewController::OnHScroll(UINT code, int pos) {
    if (!HasResult()) return;
    const int width = static_cast<int>(m_rcText.right - m_rcText.left);
    const int page = std::max(width / std::max<int>(m_cell.cx, 1), 1);
    int col = m_nFirstCol;
    switch (code) {
    case SB_LINELEFT: col -= 1; break;
    case SB_LINERIGHT: col += 1; break;
    case SB_PAGELEFT: col -= page; break;
    case SB_PAGERIGHT: col += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: col = pos; break;
    default: return;
    }
    col = std::clamp(col, 0, kTextLineCapacity - 1);
    if (col == m_nFirstCol) return;
    m_nFirstCol = col;
    m_pHost->InvalidateText(false);
    UpdateCaret(false);
}

void CTextViewController::OnVScroll(UINT code, int pos) {
    if (!HasResult()) return;
    const int last = LineCount() - 1;
    switch (code) {
    case SB_LINEUP:
        if (m_nTopRow == 0) return;
        --m_nTopRow;
        break;
    case SB_LINEDOWN:
        if (m_nTopRow >= last) return;
        ++m_nTopRow;
        break;
    case SB_PAGEUP:
        OnKeyDown(VK_PRIOR, false, false);
        return;
    case SB_PAGEDOWN:
        OnKeyDown(VK_NEXT, false, false);
        return;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        m_nTopRow = std::clamp(pos, 0, std::max(last, 0));
        break;
    default:
        return;
    }
    m_pHost->InvalidateText(false);
    UpdateCaret(false);
}
