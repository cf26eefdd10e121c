// The text view's edits: typing with double-byte pairing, insert and
// overwrite, line split and join, deletions, the clipboard, undo, candidate
// replacement, the external editor and the line-count box.
//
// Every edit asks the store first; only a change the store accepted is
// recorded for undo (with the region line counts as they were before it) and
// moves the line counts. Edits that would leave a line longer than
// kTextLineCapacity display bytes, or alter a table frame, are refused
// silently.
#include <algorithm>
#include <cstring>

#include "ocrdoc/result/table_line_char.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/core/clipboard.h"
#include "platform/win/codepage.h"
#include "platform/win/handles.h"
#include "platform/win/memory.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "views/text/text_view_controller.h"
#include "views/view_host.h"

namespace {

bool IsTypedSingle(BYTE b) { return b >= 0x20 && b < 0x7F; }

// A new movable block holding the bytes and a terminating 0.
HGLOBAL BlockOf(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size() + 1);
    if (!block) return nullptr;
    auto* p = static_cast<char*>(GlobalLock(block));
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(p, bytes.data(), bytes.size());
    p[bytes.size()] = 0;
    GlobalUnlock(block);
    return block;
}

}  // namespace

std::string CleanPastedText(const BYTE* src, std::size_t size) {
    std::size_t n = 0;
    while (n < size && src[n] != 0) ++n;
    std::string out;
    out.reserve(n + 16);
    for (std::size_t p = 0; p < n;) {
        const BYTE b = src[p];
        if (b == 13 || b == 10) {
            out.append("\r\n");
            p += (b == 13 && p + 1 < n && src[p + 1] == 10) ? 2 : 1;
        } else if (IsRecoLeadByte(b)) {
            if (p + 1 >= n) break;  // a lead byte without its trail at the end
            if (IsRecoTrailByte(src[p + 1])) {
                out.push_back(static_cast<char>(b));
                out.push_back(static_cast<char>(src[p + 1]));
                p += 2;
            } else {
                out.push_back(' ');
                ++p;
            }
        } else {
            out.push_back(b < 32 || b == 0x7F || b >= 0x80 ? ' ' : static_cast<char>(b));
            ++p;
        }
    }
    return out;
}

namespace {

// Display bytes of each line of a pasted text (split at its CR LF pairs).
std::vector<int> PastedLineLengths(const std::string& text) {
    std::vector<int> lengths(1, 0);
    for (std::size_t p = 0; p < text.size(); ++p) {
        if (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n') {
            lengths.push_back(0);
            ++p;
        } else {
            ++lengths.back();
        }
    }
    return lengths;
}

}  // namespace

std::vector<WORD> CTextViewController::CountsNow() const {
    std::vector<WORD> counts;
    if (m_pDoc->m_pLineCounts) counts.assign(m_pDoc->m_pLineCounts, m_pDoc->m_pLineCounts + m_pDoc->m_dwBkNum);
    return counts;
}

void CTextViewController::Record(int kind, const std::vector<WORD>& counts, UINT offset, const std::string& payload,
                                 int length, int value) {
    // A document without region line counts keeps no history.
    if (counts.empty()) return;
    Store().m_actions.PushAction(kind, static_cast<int>(counts.size()), counts.data(), offset, length,
                                 payload.empty() ? nullptr : reinterpret_cast<const BYTE*>(payload.data()), value);
}

int CTextViewController::JoinedLengthAfterSelection() const {
    int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
    SelectionRange(&r0, &c0, &r1, &c1);
    return c0 + FetchLine(r1).length - c1;
}

bool CTextViewController::DeleteSelection(bool record) {
    if (!HasSelection()) return false;
    int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
    SelectionRange(&r0, &c0, &r1, &c1);
    // The lines around the selection join: the joined line must still fit.
    if (r1 > r0 && c0 + FetchLine(r1).length - c1 > kTextLineCapacity) return false;
    const UINT from = SelectionStart(), to = SelectionEnd();
    const std::vector<WORD> counts = CountsNow();
    const std::string payload(Store().Text().substr(from, to - from));
    if (!Store().DeleteText(to - from, from)) return false;
    for (int r = r1 - 1; r >= r0; --r) m_pDoc->AdjustRegionLineCount(r, -1);
    if (record) Record(ACTION_DELETE, counts, from, payload, static_cast<int>(payload.size()), 0);
    m_nCaretRow = r0;
    m_nCaretCol = c0;
    m_nSelAnchorRow = m_nSelEndRow = r0;
    m_nSelAnchorCol = m_nSelEndCol = c0;
    m_nSelAnchorPos = m_nSelEndPos = from;
    m_pHost->InvalidateLines(r0, -1);
    EnsureCaretVisible();
    UpdateCaret(true);
    return true;
}

bool CTextViewController::TakeSelection(std::string* payload) {
    const UINT from = SelectionStart();
    payload->assign(Store().Text().substr(from, SelectionEnd() - from));
    return DeleteSelection(false);
}

void CTextViewController::ReplaceAtCaret(const BYTE* bytes, int count, bool overwrite) {
    const std::vector<WORD> counts = CountsNow();
    const std::string_view text = Store().Text();
    if (HasSelection()) {
        const UINT from = SelectionStart();
        std::string payload;
        if (!TakeSelection(&payload)) return;
        SyncStoreCaret();
        if (Store().InsertText(bytes, static_cast<UINT>(count), from, FALSE)) {
            Record(ACTION_REPLACE, counts, from, payload, static_cast<int>(payload.size()), count);
        } else {
            Record(ACTION_DELETE, counts, from, payload, static_cast<int>(payload.size()), 0);
        }
    } else {
        SyncStoreCaret();
        const UINT at = Store().m_nCaretOffset;
        TextLine line = FetchLine(m_nCaretRow);
        const TextLineUnit* unit = CaretUnit(line);
        if (!overwrite || !unit) {
            if (!Store().InsertText(bytes, static_cast<UINT>(count), at, FALSE)) return;
            Record(ACTION_INSERT, counts, at, std::string(), count, 0);
        } else if (unit->record >= 0) {
            // A recognised character keeps its record and takes the new code.
            const BYTE code[2] = {count == 2 ? bytes[0] : BYTE{0}, count == 2 ? bytes[1] : bytes[0]};
            const RecoCharInfo* rec = Store().Record(static_cast<UINT>(unit->record));
            std::string old;
            old.push_back(static_cast<char>(text[at + 1]));
            old.push_back(static_cast<char>(text[at + 2]));
            old.push_back(static_cast<char>(rec ? rec->chClass : 'A'));
            if (!Store().InsertText(code, 2, at, TRUE)) return;
            Record(ACTION_RECODE, counts, at, old, 3, 3);
        } else {
            const std::string old(text.substr(at, unit->length));
            if (!Store().DeleteText(unit->length, at)) return;
            if (Store().InsertText(bytes, static_cast<UINT>(count), at, FALSE)) {
                Record(ACTION_REPLACE, counts, at, old, static_cast<int>(old.size()), count);
            } else {
                Record(ACTION_DELETE, counts, at, old, static_cast<int>(old.size()), 0);
                m_pHost->InvalidateLines(m_nCaretRow, m_nCaretRow);
                UpdateCaret(true);
                return;
            }
        }
    }
    m_pHost->InvalidateLines(m_nCaretRow, m_nCaretRow);
    MoveRight();
    EnsureCaretVisible();
    UpdateCaret(true);
}

int CTextViewController::LengthAfterAdding(int count) const {
    int length = FetchLine(m_nCaretRow).length;
    // A selection over several lines leaves them joined before the new bytes go in.
    if (HasSelection()) {
        int r0 = 0, r1 = 0;
        SelectionRange(&r0, nullptr, &r1, nullptr);
        if (r1 > r0) length = std::max(length, JoinedLengthAfterSelection());
    }
    return length + count;
}

void CTextViewController::TypeBytes(const BYTE* bytes, int count) {
    const bool overwrite = !InsertMode();
    if (LengthAfterAdding(count) > kTextLineCapacity) return;
    if (overwrite && CaretOnTableLineChar()) return;
    if (SelectionHasTableLineChar()) return;
    if (count == 2 && IsTableLineChar(static_cast<WORD>((bytes[0] << 8) | bytes[1]))) return;
    ReplaceAtCaret(bytes, count, overwrite);
}

void CTextViewController::OnChar(BYTE ch) {
    if (!HasResult()) return;
    // Next to a table frame nothing is typed (a pending lead byte stays).
    {
        TextLine line = FetchLine(m_nCaretRow);
        const TextLineUnit* unit = CaretUnit(line);
        if (unit && unit->width == 2 && IsTableLineCharNotVertical(CodeOf(*unit))) return;
        if (m_nCaretCol == 0 && !line.units.empty() && IsTableUnit(line.units.front())) return;
        if (m_nCaretCol >= line.length && !line.units.empty() && IsTableUnit(line.units.back())) return;
    }
    if (m_nLeadByte != 0) {
        const BYTE lead = m_nLeadByte;
        if (IsRecoTrailByte(ch)) {
            m_nLeadByte = 0;
            const BYTE pair[2] = {lead, ch};
            TypeBytes(pair, 2);
            return;
        }
        // A byte that cannot follow the lead drops it and stands alone.
        m_nLeadByte = 0;
    }
    if (IsRecoLeadByte(ch)) {
        m_nLeadByte = ch;
        return;
    }
    // Control bytes are left to the default processing; 0x80 and 0xFF are no characters.
    if (!IsTypedSingle(ch)) return;
    TypeBytes(&ch, 1);
}

bool CTextViewController::DeleteAtCaret(bool record) {
    if (!HasResult()) return false;
    SyncStoreCaret();
    const UINT at = Store().m_nCaretOffset;
    TextLine line = FetchLine(m_nCaretRow);
    const TextLineUnit* unit = CaretUnit(line);
    const std::vector<WORD> counts = CountsNow();
    const std::string_view text = Store().Text();
    bool done = false;
    if (unit && unit->record >= 0) {
        const std::string old(text.substr(at, unit->length));
        if (Store().DeleteText(unit->length, at)) {
            if (record) Record(ACTION_DELETE, counts, at, old, static_cast<int>(old.size()), 0);
            m_pHost->InvalidateLines(m_nCaretRow, m_nCaretRow);
            done = true;
        }
    } else if (!unit) {
        // On the line end: the next line joins this one.
        if (LineHasTableLineChar(m_nCaretRow) || m_nCaretRow >= LineCount() - 1) return false;
        if (line.length + FetchLine(m_nCaretRow + 1).length > kTextLineCapacity) return false;
        if (Store().DeleteText(2, at)) {
            m_pDoc->AdjustRegionLineCount(m_nCaretRow, -1);
            if (record) Record(ACTION_DELETE, counts, at, "\r\n", 2, 0);
            m_pHost->InvalidateLines(m_nCaretRow, -1);
            done = true;
        }
    } else {
        if (IsTableUnit(*unit)) return false;
        const std::string old(text.substr(at, unit->length));
        if (Store().DeleteText(unit->length, at)) {
            if (record) Record(ACTION_DELETE, counts, at, old, static_cast<int>(old.size()), 0);
            m_pHost->InvalidateLines(m_nCaretRow, m_nCaretRow);
            done = true;
        }
    }
    EnsureCaretVisible();
    UpdateCaret(true);
    return done;
}

void CTextViewController::Backspace() {
    if (!HasResult()) return;
    if (HasSelection()) {
        if (!SelectionHasTableLineChar()) DeleteSelection(true);
        return;
    }
    if (m_nCaretRow == 0 && m_nCaretCol == 0) return;
    MoveLeft();
    TextLine line = FetchLine(m_nCaretRow);
    const TextLineUnit* unit = CaretUnit(line);
    if (unit && IsTableUnit(*unit)) {
        MoveRight();
        EnsureCaretVisible();
        UpdateCaret(true);
        return;
    }
    DeleteAtCaret(true);
}

void CTextViewController::DeleteKey() {
    if (!HasResult()) return;
    if (HasSelection()) {
        if (!SelectionHasTableLineChar()) DeleteSelection(true);
        return;
    }
    DeleteAtCaret(true);
}

void CTextViewController::DeleteLine() {
    if (!HasResult() || LineHasTableLineChar(m_nCaretRow)) return;
    ClearSelection();
    m_nCaretCol = 0;
    const TextLine line = FetchLine(m_nCaretRow);
    const bool lastLine = m_nCaretRow >= LineCount() - 1;
    // The last line keeps the text's final line end: only its bytes go, and an empty one stays.
    const UINT count = line.end - line.start + (lastLine ? 0 : 2);
    if (count == 0) {
        EnsureCaretVisible();
        UpdateCaret(true);
        return;
    }
    const std::vector<WORD> counts = CountsNow();
    const std::string old(Store().Text().substr(line.start, count));
    if (!Store().DeleteText(count, line.start)) return;
    if (!lastLine) m_pDoc->AdjustRegionLineCount(m_nCaretRow, -1);
    Record(ACTION_DELETE, counts, line.start, old, static_cast<int>(old.size()), 0);
    m_nCaretRow = std::min(m_nCaretRow, LineCount() - 1);
    m_pHost->InvalidateLines(m_nCaretRow, -1);
    EnsureCaretVisible();
    UpdateCaret(true);
}

void CTextViewController::SplitLine() {
    if (!HasResult()) return;
    if (LineHasTableLineChar(m_nCaretRow) || SelectionHasTableLineChar()) return;
    SyncStoreCaret();
    const bool atTextEnd = Store().m_nCaretOffset + 2 >= Store().m_nTextLen;
    if (!InsertMode() && !atTextEnd) {
        if (m_nCaretRow < LineCount() - 1) MoveCaret(m_nCaretRow + 1, 0);
        return;
    }
    const std::vector<WORD> counts = CountsNow();
    std::string payload;
    const bool replacing = HasSelection();
    if (replacing && !TakeSelection(&payload)) return;
    SyncStoreCaret();
    const UINT at = Store().m_nCaretOffset;
    static const BYTE kLineEnd[2] = {13, 10};
    if (!Store().InsertText(kLineEnd, 2, at, FALSE)) {
        if (replacing) Record(ACTION_DELETE, counts, at, payload, static_cast<int>(payload.size()), 0);
        return;
    }
    m_pDoc->AdjustRegionLineCount(m_nCaretRow, 1);
    if (replacing) {
        Record(ACTION_REPLACE, counts, at, payload, static_cast<int>(payload.size()), 2);
    } else {
        Record(ACTION_INSERT, counts, at, std::string(), 2, 0);
    }
    m_pHost->InvalidateLines(m_nCaretRow, -1);
    ++m_nCaretRow;
    m_nCaretCol = 0;
    EnsureCaretVisible();
    UpdateCaret(true);
}

bool CTextViewController::Copy() {
    if (!HasResult()) return false;
    if (!OpenClipboard(m_pHost->ClipboardOwner())) return false;
    CHostWaitCursor wait;
    bool copied = false;
    if (HGLOBAL block = Store().CopyText(SelectionStart(), SelectionEnd())) {
        EmptyClipboard();
        if (SetClipboardData(CF_TEXT, block)) {
            copied = true;
        } else {
            GlobalFree(block);
        }
    }
    CloseClipboard();
    return copied;
}

void CTextViewController::Cut() {
    if (!HasResult() || SelectionHasTableLineChar()) return;
    // The selection goes only when its copy is on the clipboard.
    if (!Copy()) return;
    if (HasSelection()) DeleteSelection(true);
}

void CTextViewController::Paste() {
    if (!HasResult()) return;
    if (LineHasTableLineChar(m_nCaretRow) || SelectionHasTableLineChar()) return;
    if (!OpenClipboard(m_pHost->ClipboardOwner())) return;
    CHostWaitCursor wait;
    std::string clean;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const auto* bytes = static_cast<const BYTE*>(GlobalLock(data))) {
            clean = CleanPastedText(bytes, GlobalSize(data));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (clean.empty()) return;

    // The lines the paste makes must fit.
    int r0 = m_nCaretRow, c0 = m_nCaretCol, r1 = m_nCaretRow, c1 = m_nCaretCol;
    if (HasSelection()) SelectionRange(&r0, &c0, &r1, &c1);
    const std::vector<int> lengths = PastedLineLengths(clean);
    const int before = c0, after = FetchLine(r1).length - c1;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const int length = lengths[i] + (i == 0 ? before : 0) + (i + 1 == lengths.size() ? after : 0);
        if (length > kTextLineCapacity) return;
    }

    const std::vector<WORD> counts = CountsNow();
    std::string payload;
    const bool replacing = HasSelection();
    if (replacing && !TakeSelection(&payload)) return;
    SyncStoreCaret();
    const UINT at = Store().m_nCaretOffset;
    HGLOBAL block = BlockOf(clean);
    const bool pasted = block && Store().PasteText(block);
    if (pasted) {
        // The text inserted holds exactly the line ends of the cleaned block.
        m_pDoc->OnTextPasted(block, m_nCaretRow);
        const int n = static_cast<int>(clean.size());
        if (replacing) {
            Record(ACTION_REPLACE, counts, at, payload, static_cast<int>(payload.size()), n);
        } else {
            Record(ACTION_INSERT, counts, at, std::string(), n, 0);
        }
    } else if (replacing) {
        Record(ACTION_DELETE, counts, at, payload, static_cast<int>(payload.size()), 0);
    }
    if (block) GlobalFree(block);
    if (!pasted) return;
    if (lengths.size() > 1) {
        m_pHost->InvalidateLines(m_nCaretRow, -1);
    } else {
        m_pHost->InvalidateLines(m_nCaretRow, m_nCaretRow);
    }
    EnsureCaretVisible();
    UpdateCaret(true);
}

void CTextViewController::Undo() {
    if (!HasResult()) return;
    ClearSelection();
    UINT row = 0, col = 0;
    const int kind = m_pDoc->Undo(&row, &col);
    if (kind < 0) return;
    m_nLeadByte = 0;
    m_nCaretRow = std::min(static_cast<int>(row), LineCount() - 1);
    m_nCaretCol = SnapColumn(m_nCaretRow, static_cast<int>(col));
    EnsureCaretVisible();
    UpdateCaret(true);
    m_pHost->InvalidateLines(m_nCaretRow, kind == 1 ? -1 : m_nCaretRow);
}

void CTextViewController::OnCandidateBar(WORD code, int request) {
    switch (request) {
    case kRequestToggleTextWindow:
        m_bTextWindowFlag = !m_bTextWindowFlag;
        ViewHost().PostMainCommand(ID_VIEW_TEXT_WINDOW);
        return;
    case kRequestMovePanel:
        m_pHost->RelayoutPanel();
        return;
    case kRequestToggleStrip:
        m_bShowLineImage = !m_bShowLineImage;
        EnsureCaretVisible();
        UpdateCaret(true);
        m_pHost->InvalidateText(true);
        return;
    default:
        break;
    }
    if (request < 1 || request > 10 || !HasResult()) return;
    m_pHost->TakeFocus();
    // A candidate always replaces the character at the caret: never a frame character.
    if (CaretOnTableLineChar() || SelectionHasTableLineChar()) return;
    if (LengthAfterAdding(2) > kTextLineCapacity) return;
    if (code == kBlankCandidate) return;
    const BYTE first = static_cast<BYTE>(code & 0xFF), second = static_cast<BYTE>(code >> 8);
    BYTE bytes[2] = {first, second};
    int count = 2;
    if (first == ' ' || first == 0) {
        if (!IsTypedSingle(second) || second == ' ') return;
        bytes[0] = second;
        count = 1;
    } else if (!IsRecoLeadByte(first) || !IsRecoTrailByte(second) ||
               IsTableLineChar(static_cast<WORD>((first << 8) | second))) {
        return;
    }
    m_nLeadByte = 0;
    ReplaceAtCaret(bytes, count, true);
}

void CTextViewController::TakeCandidate(int k) {
    if (!HasResult() || k < 1 || k > 10) return;
    OnCandidateBar(m_pHost->PanelCandidate(k), k);
}

void CTextViewController::TextToEditor() {
    if (!HasResult()) return;
    std::string path;
    if (!m_pHost->ExportForEditor(&path) || path.empty()) return;
    const std::string editor = ViewHost().ExternEditPath();
    if (editor.empty()) return;
    // The file path is one argument, whatever spaces it holds, as the editor
    // (a program of this system) finds the file.
    std::string native;
    const std::string argument = suite::TryNativePath(path, native) ? suite::Utf8ToAnsi(native) : path;
    if (HANDLE process = suite::StartProgram(editor, {argument})) CloseHandle(process);
}

void CTextViewController::ShowBlockLineCount() {
    if (!HasResult()) return;
    CString text;
    text.Format("%d", m_pDoc->GetRegionLineCountAt(m_nCaretRow));
    ViewHost().MessageBox(text.GetString(), "", MB_OK);
}

bool CTextViewController::CanUndo() const { return HasResult() && Store().m_actions.CanUndo(); }
bool CTextViewController::CanCopy() const { return HasResult() && HasSelection(); }
bool CTextViewController::CanCut() const { return HasResult() && HasSelection(); }
bool CTextViewController::CanPaste() const { return HasResult() && ClipboardHasText(); }
bool CTextViewController::ClipboardHasText() const { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }
