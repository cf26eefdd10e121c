#include "ocrdoc/result/action_buffer.h"

#include "platform/win/memory.h"
#include "ocrdoc/document_host.h"

#include <cstring>

const char* const kMsgNoEnoughActionBuffer = "No enough action buffer";

namespace {

void putInt(BYTE* p, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    p[0] = static_cast<BYTE>(u);
    p[1] = static_cast<BYTE>(u >> 8);
    p[2] = static_cast<BYTE>(u >> 16);
    p[3] = static_cast<BYTE>(u >> 24);
}

std::int32_t getInt(const BYTE* p) {
    return static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

bool hasPayload(int kind) { return kind == ACTION_REPLACE || kind == ACTION_DELETE || kind == ACTION_RECODE; }
bool hasValue(int kind) { return kind == ACTION_REPLACE || kind == ACTION_RECODE; }

}  // namespace

CActionBuffer::CActionBuffer() : m_hMem(nullptr), m_pData(nullptr), m_nCapacity(kCapacity), m_nLength(0), m_nMark(0) {
    m_hMem = GlobalAlloc(GMEM_MOVEABLE, kCapacity);
    if (m_hMem) m_pData = static_cast<BYTE*>(GlobalLock(m_hMem));
}

CActionBuffer::~CActionBuffer() {
    if (m_hMem) {
        if (m_pData) GlobalUnlock(m_hMem);
        GlobalFree(m_hMem);
    }
}

int CActionBuffer::RecordLength(int nKind, int nCounts, int nLength) {
    const long long base = 17 + 2LL * nCounts;
    long long total = base;
    if (nKind == ACTION_DELETE) total = base + nLength;
    else if (hasValue(nKind)) total = base + nLength + 4;
    return total > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(total);
}

int CActionBuffer::PushAction(int nKind, int nCounts, const WORD* pCounts, DWORD dwOffset, int nLength,
                              const BYTE* pPayload, int nValue) {
    if (!m_pData || nLength <= 0 || nCounts <= 0 || !pCounts) return 0;
    if (!hasPayload(nKind)) nKind = ACTION_INSERT;
    if (hasPayload(nKind) && !pPayload) return 0;
    const int size = RecordLength(nKind, nCounts, nLength);
    if (size > m_nCapacity) {
        DocumentHost().MessageBox(kMsgNoEnoughActionBuffer, "", MB_OK);
        return 0;
    }
    if (m_nLength + size > m_nCapacity) m_nLength = 0;
    BYTE* p = m_pData + m_nLength;
    p[0] = static_cast<BYTE>(nKind);
    putInt(p + 1, size);
    putInt(p + 5, nCounts);
    BYTE* q = p + 9;
    for (int i = 0; i < nCounts; ++i, q += 2) {
        q[0] = static_cast<BYTE>(pCounts[i]);
        q[1] = static_cast<BYTE>(pCounts[i] >> 8);
    }
    putInt(q, static_cast<std::int32_t>(dwOffset));
    putInt(q + 4, nLength);
    q += 8;
    if (hasPayload(nKind)) {
        std::memcpy(q, pPayload, static_cast<std::size_t>(nLength));
        q += nLength;
    }
    if (hasValue(nKind)) putInt(q, nValue);
    m_nLength += size;
    m_nMark = m_nLength;
    return 1;
}

int CActionBuffer::PopAction(CActionRecord* pRecord) {
    if (!m_pData || m_nLength == 0 || !pRecord) return 0;
    // Walk the records by their length fields to the newest one.
    int at = 0;
    for (;;) {
        const int size = getInt(m_pData + at + 1);
        if (size <= 0 || at + size > m_nLength) {  // cannot happen with records written here
            Reset();
            return 0;
        }
        if (at + size == m_nLength) break;
        at += size;
    }
    const BYTE* p = m_pData + at;
    CActionRecord& r = *pRecord;
    r.nKind = p[0];
    r.nCounts = getInt(p + 5);
    r.pCounts = p + 9;
    const BYTE* q = p + 9 + 2 * r.nCounts;
    r.dwOffset = static_cast<DWORD>(getInt(q));
    r.nLength = getInt(q + 4);
    q += 8;
    r.pPayload = hasPayload(r.nKind) ? q : nullptr;
    if (hasPayload(r.nKind)) q += r.nLength;
    r.nValue = hasValue(r.nKind) ? getInt(q) : 0;
    m_nLength = at;
    return 1;
}

void CActionBuffer::Reset() {
    m_nLength = 0;
    m_nMark = 0;
}
