// The proofreading text view's state and handlers, without widgets: the caret
// and the selection over the document's result text, scrolling, typing with
// double-byte pairing, the editing keys, the clipboard, undo, candidate
// replacement and the region line counts that follow every line break.
//
// Rows are text lines; columns are display bytes of a line (a double-byte
// character and a recognised character with a two-byte code take two; the
// caret never stands on a second byte). Every line is fetched from the
// document's result store, and every change goes through it. A change is
// recorded for undo, and the line counts adjusted, only after the store has
// accepted it. A line never grows past kTextLineCapacity display bytes.
#pragma once

#include <string>
#include <vector>

#include "ocrdoc/document/ocr_doc.h"
#include "views/text/text_view_host.h"

// Commands and limits of the text view.
#define ID_TOGGLE_INSERT 32772
#define ID_TEXT_TO_EDITOR 32862
#define ID_SHOW_BLOCK_LINE_COUNT 32893
#define ID_CANDIDATE_1 32895
#define ID_CANDIDATE_10 32904
#define IDS_CARET_STATUS 61225  // " 行 %5d 列 %3d"
#define IDR_TEXT_EDIT_MENU 293
#define IDR_TEXT_ACCELERATORS 128

constexpr int kTextLineCapacity = 512;
constexpr int kTextPanelHeight = 64;
constexpr int kTextStripRows = 2;
constexpr int kCharImageCropLimit = 63800;
constexpr WORD kBlankCandidate = 0x2020;

// Requests of the candidate panel (WM_CANDIDATEBAR's lParam).
enum CandidateRequest : int {
    kRequestToggleTextWindow = 11,
    kRequestMovePanel = 12,
    kRequestToggleStrip = 13,
};

// One character of a line: where it lies in the text and on screen.
struct TextLineUnit {
    UINT offset = 0;    // text offset of the unit
    UINT length = 0;    // bytes in the text (6 for a recognised character)
    int col = 0;        // first display column
    int width = 0;      // display columns (1 or 2)
    BYTE bytes[2] = {}; // display bytes
    BYTE cls = 'A';     // class letter ('A' for typed characters)
    int record = -1;    // record index of a recognised character
};

// One line of the text, unit by unit, with its end.
struct TextLine {
    UINT start = 0;   // offset of the first unit
    UINT end = 0;     // offset of its CR
    int length = 0;   // display bytes
    std::vector<TextLineUnit> units;
    // The unit at column col (the one col falls in); null at or past the end.
    const TextLineUnit* UnitAt(int col) const;
};

// The layout of the view: panel, bars and text area for a client size.
struct TextViewLayout {
    RECT panel{};
    RECT vbar{};
    RECT hbar{};
    RECT text{};  // the text area (m_rcTextInval)
};
TextViewLayout ComputeTextViewLayout(int width, int height, int vbarWidth, int hbarHeight, bool compact);

class CTextViewController {
public:
    CTextViewController(COcrDoc* doc, CTextViewHost* host);
    void SetDocument(COcrDoc* doc) { m_pDoc = doc; }

    // --- State the renderer and the view read.
    bool HasResult() const;
    int LineCount() const;
    TextLine FetchLine(int row) const;
    int caretRow() const { return m_nCaretRow; }
    int caretCol() const { return m_nCaretCol; }
    int topRow() const { return m_nTopRow; }
    int firstCol() const { return m_nFirstCol; }
    bool HasSelection() const { return m_nSelAnchorPos != m_nSelEndPos; }
    UINT SelectionStart() const { return std::min(m_nSelAnchorPos, m_nSelEndPos); }
    UINT SelectionEnd() const { return std::max(m_nSelAnchorPos, m_nSelEndPos); }
    // Rows and columns of the selection's two ends, smaller first.
    void SelectionRange(int* startRow, int* startCol, int* endRow, int* endCol) const;
    bool ShowStripEnabled() const { return m_bShowLineImage; }
    bool TextWindowFlag() const { return m_bTextWindowFlag; }
    BYTE PendingLeadByte() const { return m_nLeadByte; }
    const RECT& TextArea() const { return m_rcText; }
    SIZE Cell() const { return m_cell; }
    // Rows that fit the text area (rounded up).
    int VisibleRows() const;
    // Whether the strip shows above the caret line in the current window.
    bool StripShown() const;
    COcrDoc* Document() const { return m_pDoc; }

    // --- Geometry and lifecycle.
    void SetTextArea(const RECT& area);
    void SetCell(SIZE cell);
    void ResetView();
    // The caret's place and shape, the status pane, the scroll bars and (with
    // candidates) the panel and the page view's frame.
    void UpdateCaret(bool withCandidates);
    void EnsureCaretVisible();
    TextCaretShape CaretShape() const;
    int SnapColumn(int row, int col) const;
    // The view got or lost the focus: it owns a caret while it has the focus
    // and a result.
    void SetOwnsCaret(bool owns) { m_bOwnsCaret = owns; }
    bool OwnsCaret() const { return m_bOwnsCaret; }

    // --- Input.
    void OnChar(BYTE ch);
    // Returns false for keys left to the default processing.
    bool OnKeyDown(UINT vk, bool shift, bool ctrl);
    void OnLButtonDown(POINT pt, bool shift);
    void OnMouseMove(POINT pt);
    void OnLButtonUp();
    void OnMouseWheel(int delta);
    void OnHScroll(UINT code, int pos);
    void OnVScroll(UINT code, int pos);
    bool IsDragging() const { return m_bDragging; }

    // --- Commands.
    void SelectAll();
    bool Copy();
    void Cut();
    void Paste();
    void Undo();
    void SplitLine();
    void DeleteLine();
    void Backspace();
    void DeleteKey();
    // A panel request: candidate k (1..10) with its two text bytes, or 11..13.
    void OnCandidateBar(WORD code, int request);
    // Candidate k as the panel shows it (accelerators and Ctrl+keypad).
    void TakeCandidate(int k);
    void TextToEditor();
    void ShowBlockLineCount();

    // --- Command states.
    bool CanUndo() const;
    bool CanCopy() const;
    bool CanCut() const;
    bool CanPaste() const;
    bool CanSelectAll() const { return HasResult(); }

private:
    CRecoResult& Store() const { return *m_pDoc; }
    UINT OffsetAt(int row, int col) const;
    void PositionAt(UINT offset, int* row, int* col) const;
    void MoveCaret(int row, int col, bool withCandidates = true);
    void SyncStoreCaret();
    // The character at the caret (null at the line end) and its line.
    const TextLineUnit* CaretUnit(const TextLine& line) const;
    WORD CodeOf(const TextLineUnit& unit) const;
    bool IsTableUnit(const TextLineUnit& unit) const;
    bool CaretOnTableLineChar() const;
    bool LineHasTableLineChar(int row) const;
    bool SelectionHasTableLineChar() const;
    bool InsertMode() const;
    // Display bytes of the line the selection leaves behind when deleted.
    int JoinedLengthAfterSelection() const;
    // Display bytes of the caret line once `count` bytes went in (in place of a selection).
    int LengthAfterAdding(int count) const;

    // Editing steps: each returns whether the store accepted the change.
    std::vector<WORD> CountsNow() const;
    void Record(int kind, const std::vector<WORD>& counts, UINT offset, const std::string& payload, int length,
                int value);
    bool DeleteSelection(bool record);
    // Removes the selection without a record; its bytes go to *payload for the caller's.
    bool TakeSelection(std::string* payload);
    void ClearSelection();
    bool DeleteAtCaret(bool record);
    // Puts bytes at the caret as typing or a candidate does.
    void ReplaceAtCaret(const BYTE* bytes, int count, bool overwrite);
    void TypeBytes(const BYTE* bytes, int count);
    void MoveLeft();
    void MoveRight();
    void ExtendSelectionTo(int oldRow, int oldCol, UINT oldPos);
    bool ClipboardHasText() const;
    void CharImageFor(const RecoCharInfo& rec, BYTE image[128]) const;
    int StripOffsetFor(int row) const;
    int TextRowsAvailable(bool stripOnCaret) const;

    COcrDoc* m_pDoc;
    CTextViewHost* m_pHost;
    RECT m_rcText{0, kTextPanelHeight, 0, kTextPanelHeight};
    SIZE m_cell{8, 16};
    int m_nFirstCol = 0;
    int m_nTopRow = 0;
    int m_nCaretRow = 0;
    int m_nCaretCol = 0;
    BYTE m_nLeadByte = 0;
    bool m_bDragging = false;
    bool m_bOwnsCaret = false;
    bool m_bShowLineImage = true;
    bool m_bTextWindowFlag = false;
    int m_nSelAnchorRow = -1, m_nSelAnchorCol = -1, m_nSelEndRow = -1, m_nSelEndCol = -1;
    UINT m_nSelAnchorPos = 0, m_nSelEndPos = 0;
    int m_nLastCaretRow = -1;
    const RecoCharInfo* m_pShownChar = nullptr;
};

// Clipboard text as the view pastes it: up to the first 0 byte, control
// bytes, 0x7F, 0x80 and 0xFF as spaces, a lone CR or LF as CR LF, and a lead
// byte left without its trail at the end dropped. The source is only read.
std::string CleanPastedText(const BYTE* src, std::size_t size);

// The caret-status text: string 61225 (or its built-in copy) with the row and
// column counted from 1.
std::string FormatCaretStatus(int row, int col);
