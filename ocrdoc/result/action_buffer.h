// The undo history of the recognised text: a stack of variable-length records
// packed into one fixed block of 65000 bytes. Each record holds the kind of
// change, the document's region line counts before it, the text offset, and
// what is needed to reverse it. There is no redo.
//
// Record layout (little-endian): kind (1 byte: 0 insert, 1 replace, 2 delete,
// 3 recode), total length (4), n (4), n line counts (2 each), text offset (4),
// L (4), the L payload bytes (kinds 1, 2, 3), value (4; kinds 1 and 3).
#pragma once

#include "platform/win/types.h"

constexpr int ACTION_INSERT = 0;
constexpr int ACTION_REPLACE = 1;
constexpr int ACTION_DELETE = 2;
constexpr int ACTION_RECODE = 3;

// One record as PopAction hands it out; the pointers lie inside the buffer
// and stay valid until the next append.
struct CActionRecord {
    int nKind = 0;
    int nCounts = 0;
    const BYTE* pCounts = nullptr;  // nCounts 16-bit counts, little-endian (use Count)
    DWORD dwOffset = 0;
    int nLength = 0;
    const BYTE* pPayload = nullptr;  // kinds 1, 2 and 3
    int nValue = 0;                  // kinds 1 and 3

    WORD Count(int i) const { return static_cast<WORD>(pCounts[2 * i] | (pCounts[2 * i + 1] << 8)); }
};

class CActionBuffer {
public:
    static constexpr int kCapacity = 65000;

    CActionBuffer();
    CActionBuffer(const CActionBuffer&) = delete;
    CActionBuffer& operator=(const CActionBuffer&) = delete;
    ~CActionBuffer();

    // Appends one record; 1 when written. Nothing is written when the block is
    // missing or when length, count number or counts are missing. A record that
    // does not fit behind the others drops the whole history first; one larger
    // than the block is refused with a message.
    int PushAction(int nKind, int nCounts, const WORD* pCounts, DWORD dwOffset, int nLength, const BYTE* pPayload,
                   int nValue);
    // Takes the newest record out; 1, or 0 when there is none.
    int PopAction(CActionRecord* pRecord);
    // 1 while there is something to undo.
    int CanUndo() const { return m_nLength != 0 ? 1 : 0; }
    // Bytes of history held; it falls when a record dropped the older ones.
    int Length() const { return m_nLength; }
    void Reset();

    // Size of a record of this kind, with n counts and L payload bytes.
    static int RecordLength(int nKind, int nCounts, int nLength);

private:
    HGLOBAL m_hMem;
    BYTE* m_pData;
    int m_nCapacity;
    int m_nLength;
    int m_nMark;
};

extern const char* const kMsgNoEnoughActionBuffer;
