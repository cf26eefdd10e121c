// The recognition result of the open page: its text in an internal byte form
// in which every recognised character carries the index of its per-character
// record, so that edits of the surrounding text never lose the link between a
// character on screen and its box, class and candidates.
//
// Text form (no terminating zero), unit by unit:
//   0x80 b1 b2 lo hi 0x80   a recognised character: code bytes b1 b2 in text
//                           order (b1 0 for a single-byte code), record index
//                           (16-bit, little-endian); 1 display column when b1
//                           is 0, else 2
//   lead trail              a typed double-byte character (lead 0x81-0xFE,
//                           trail 0x40-0xFE but 0x7F); 2 columns
//   13 10                   a line end; every line, the last one too, has one
//   other bytes             a typed single-byte character (0xFF and stray lead
//                           bytes included; they are never taken for a lead)
// The store keeps these invariants from every fill and edit: a 0x80 unit is
// complete with a valid record index, CR and LF only occur as a CR LF pair,
// and the text ends with CR LF. An empty result is the two bytes CR LF.
#pragma once

#include "ocrdoc/helpers/dbcs.h"
#include <bit>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "outside/include/pendril20.h"
#include "outside/include/tresk.h"
#include "platform/win/types.h"
#include "ocrdoc/result/action_buffer.h"

class CPageImage;

static_assert(std::endian::native == std::endian::little, "records are stored as little-endian bytes");

#pragma pack(push, 1)
// One recognised character: 43 bytes, written whole into the project file.
struct RecoCharInfo {
    SHORT nLineX;      // line's left edge (horizontal) or right edge (vertical)
    SHORT nLineY;      // top of the line
    SHORT nLineThick;  // line size across the reading direction
    SHORT nLineLen;    // line size along the reading direction
    WORD wBlock;       // block of the page (0 for the first block)
    BYTE byLine;       // line inside the block
    BYTE byLineAttr;   // per-line value from the engine
    BYTE byChar;       // character inside the line
    BYTE byFlags;      // bit 7 vertical text; bits 0-6 font letter or 0
    SHORT nBoxAcross;  // horizontal: top y; vertical: right x
    SHORT nBoxAlong;   // horizontal: left x; vertical: top y
    SHORT nBoxThick;   // horizontal: height; vertical: width
    SHORT nBoxLen;     // horizontal: width; vertical: height; at least 1
    BYTE chClass;      // 'A' sure, 'D' doubtful, 'E' very doubtful, or a work-file letter
    WORD wCand[10];    // candidates, bytes in text order (single byte: 0 then the byte)
};
#pragma pack(pop)
static_assert(sizeof(RecoCharInfo) == 43);
static_assert(offsetof(RecoCharInfo, wBlock) == 8 && offsetof(RecoCharInfo, byFlags) == 13);
static_assert(offsetof(RecoCharInfo, nBoxAcross) == 14 && offsetof(RecoCharInfo, chClass) == 22);
static_assert(offsetof(RecoCharInfo, wCand) == 23);

constexpr BYTE kRecoMark = 0x80;
constexpr UINT kRecoUnitLength = 6;
constexpr UINT kRecoMaxRecords = 65535;  // record indexes are 16-bit
constexpr BYTE kRecoVertical = 0x80;

// Lead and trail bytes of a double-byte character in GBK and Big5.
constexpr bool IsRecoLeadByte(BYTE b) { return dochelpers::IsLeadByte(b); }
constexpr bool IsRecoTrailByte(BYTE b) { return dochelpers::IsTrailByte(b); }

// The class letter of an English character by the engine's distance: 'A' up
// to 100, 'D' up to 150, 'E' above.
constexpr BYTE EnglishCharClass(int distance) { return distance <= 100 ? 'A' : distance <= 150 ? 'D' : 'E'; }

// The English engine's answer as text form and one record per character
// (record indexes from 0, one block per answer entry, boxes bounded by the
// page when its size is given). Every line ends with CR LF. A code the text
// form cannot carry, and a character without candidates, reads '~'. FALSE
// (both emptied) when the answer holds more characters than record indexes
// reach or more nodes than a sound answer has.
BOOL ConvertEnglishResult(const _regioninfoeng* result, int pageWidth, int pageHeight, std::string& text,
                          std::vector<RecoCharInfo>& records);

// The page box (inclusive) of a record, for either reading direction.
RECT RecoCharBox(const RecoCharInfo& rec);

// The plain-text companion of an image: the image path + ".TXT".
std::string ResultTextPath(std::string_view imagePath);

// Names and limits of the engine's work files below the data folder.
extern const char* const kRecoWorkFileBase;  // "\work\atemp000"
constexpr UINT kRecoMaxWorkTxtBytes = 2u << 20;
constexpr UINT kRecoMaxWorkCeBytes = 32u << 20;

class CRecoResult {
public:
    CRecoResult();
    CRecoResult(const CRecoResult&) = delete;
    CRecoResult& operator=(const CRecoResult&) = delete;
    virtual ~CRecoResult();

    // --- Filling. Each fill frees both blocks and resets first; afterwards
    // the caret is at 0 and m_bHasResult is 1. On failure the store is empty.
    // The page size, when given (not 0), bounds every box of the result.

    // From the Chinese engine: one block per result entry. Returns the line
    // count, 0 on failure.
    int LoadFromChineseResult(const _regioninfo* result, int pageWidth = 0, int pageHeight = 0);
    // From the English engine: one block per result entry.
    BOOL LoadFromEnglishResult(const _regioninfoeng* result, int pageWidth = 0, int pageHeight = 0);
    // Mode 1: the saved text and records (from the project file); text and
    // record indexes are checked once here and a damaged pair is refused.
    // Mode 0: the engine's work files below the data folder.
    BOOL LoadSaved(int mode, const BYTE* text, UINT textLen, const BYTE* chars, UINT charBytes);
    // The work-file fill on the three files' bytes (.c&e, .idx, .txt).
    BOOL LoadFromWorkFileBytes(std::string_view ce, std::string_view idx, std::string_view txt);
    // Empties the text state (keeps the blocks and the current record).
    void Reset();
    // Takes a new text and record set built elsewhere (a merge, a table
    // layout). Both new blocks are made before the old ones are freed, so on
    // failure (FALSE) the store is unchanged. The modified flag is kept.
    BOOL ReplaceContents(std::string_view text, const RecoCharInfo* records, UINT count);

    // --- Navigation and reading; offsets are byte offsets into the text.

    // Start of the line delta lines from the caret line, clamped to the last line.
    UINT LineOffset(int delta) const;
    // Forwards: the unit `columns` display columns after the caret, never past
    // the line end. Backwards: -columns characters before the caret.
    UINT ColumnOffset(int columns) const;
    void SetCaret(UINT row, UINT col, BOOL selectChar);
    // Makes the record of the recognised character at the caret current.
    BOOL SelectCharAtCaret();
    // Copies the display bytes of the line delta lines from the caret line,
    // its CR included, into out (at most outSize bytes, never half a
    // character); returns the bytes before the line end copied. With
    // outClasses (classSize bytes, first filled with 'A') one class letter per
    // unit, the CR's included. Neither the caret nor the current record moves.
    int GetLine(BYTE* out, UINT outSize, int delta, BYTE* outClasses = nullptr, UINT classSize = 1024) const;
    // Display bytes of that line without its line end (to size a buffer).
    UINT LineDisplayLength(int delta) const;
    // The unit before the caret on its line and the unit at the caret (first
    // byte low); 0 at the line start or on the line end.
    void GetCharsAroundCaret(WORD* outBefore, WORD* outAt) const;
    // Font, character size and spacing of one block, for the export page.
    void GetBlockStats(int block, int* outCharSize, int* outFont, DWORD* outSpacing) const;
    int FindBlockInRect(int left, int top, int right, int bottom) const;
    int FindBlockOverlapping(const RECT& rect) const;
    // Plain text of lines firstLine..lastLine (with their line ends) in a new
    // zero-terminated buffer the caller frees with delete[]; outEnd is the
    // offset after the last LF copied.
    char* GetLinesText(int firstLine, int lastLine, UINT* outEnd, UINT* outLen) const;
    // Plain text of the units that start in [from, to).
    std::string PlainText(UINT from, UINT to) const;

    // --- Files.
    // Asks whether to save a changed text; Yes writes ResultTextPath(imagePath).
    BOOL SaveTextIfChanged(const char* imagePath);
    // Writes the plain text to path, atomically.
    BOOL WriteTextFile(const char* path) const;

    // --- Editing.
    // Inserts count bytes at offset (a unit start before the final line end),
    // or with replace puts the first two bytes as the code of the recognised
    // character at offset. Stray marker bytes, 0xFF, lead bytes without a
    // trail and lone CR or LF in the inserted bytes become spaces.
    BOOL InsertText(const BYTE* bytes, UINT count, UINT offset, BOOL replace);
    // Removes count bytes (whole units) at offset; the final CR LF stays.
    BOOL DeleteText(UINT count, UINT offset);
    // A new shareable block with the plain text between the two offsets.
    HGLOBAL CopyText(UINT from, UINT to) const;
    // Cleans the block's text and inserts it at the caret.
    BOOL PasteText(HGLOBAL hText);
    BOOL FindDoubtfulChar(BOOL forward, UINT* outRow, UINT* outCol) const;
    // Reverts the newest undo record; the saved region line counts go to
    // outCounts (at most countsCapacity of them, their number to
    // outCountsLen). -1 when there is nothing to undo, 1 when the number of
    // lines changed, else 0.
    int ApplyUndo(UINT* outRow, UINT* outCol, int* outCountsLen, WORD* outCounts, int countsCapacity);
    BOOL RangeHasTableLineChar(UINT from, UINT to) const;

    // --- Line image.
    // Draws the page pixels of the characters of line `row` (from the caret's
    // part of the line, between table rules) into the 1-bit bitmap of the
    // given size: a horizontal line as the page strip under its boxes, a
    // vertical line as its characters set upright side by side. *outSize is
    // the size drawn (height 0: nothing drawn, the bitmap untouched) and
    // *outStartCol the display column where the drawn part starts. Every copy
    // is bounded by the page and by the bitmap, whatever the boxes say.
    BOOL RenderLineImage(UINT row, CPageImage* image, HBITMAP hBitmap, int bitmapWidth, int bitmapHeight,
                         SIZE* outSize, int* outStartCol);

    // --- Access.
    UINT RecordCount() const { return m_nCharBytes / sizeof(RecoCharInfo); }
    const RecoCharInfo* Record(UINT index) const { return index < RecordCount() ? m_pChars + index : nullptr; }
    std::string_view Text() const {
        return m_pText ? std::string_view(reinterpret_cast<const char*>(m_pText), m_nTextLen) : std::string_view();
    }
    // Length of the unit starting at offset, and its display columns (0 for a line end).
    UINT UnitLength(UINT offset) const;
    UINT UnitColumns(UINT offset) const;
    // Counts rows and columns from the text start up to offset.
    void RowColumnAt(UINT offset, UINT* outRow, UINT* outCol) const;

    CActionBuffer m_actions;
    RecoCharInfo* m_pCurChar;
    RecoCharInfo* m_pChars;
    UINT m_nCharBytes;
    UINT m_nTextCapacity;
    UINT m_nCaretOffset;
    UINT m_nTextLen;
    UINT m_nCaretRow;
    UINT m_nCaretCol;
    UINT m_nLineCount;
    BYTE* m_pText;
    int m_bModified;
    int m_nStripBlock;
    int m_nStripLine;
    int m_bHasResult;
    HGLOBAL m_hChars;
    HGLOBAL m_hText;

private:
    void FreeBlocks();
    bool AllocBlocks(UINT records, UINT textCapacity);
    // Takes the blocks for a fill built in memory and copies it in.
    BOOL CommitFill(std::string_view text, const RecoCharInfo* records, UINT count, UINT capacity);
    // Called when a fill has written its text and records.
    void FinishFill(UINT records, int modified);
    void Clear();
    UINT CountLineEnds(UINT from, UINT to) const;
    bool IsUnitStart(UINT offset) const;
    // The record of the recognised character at offset, or null.
    RecoCharInfo* RecordAt(UINT offset) const;
    void AppendPlainUnit(std::string& out, UINT offset) const;
};

// Messages of the store.
extern const char* const kMsgCeOpenError;
extern const char* const kMsgIdxOpenError;
extern const char* const kMsgTxtOpenError;
extern const char* const kMsgWorkFilesDamaged;
extern const char* const kMsgTextCreateError;
extern const char* const kMsgTextNoRoom;
extern const char* const kMsgTooManyChars;
extern const char* const kMsgCantLockMemory;
