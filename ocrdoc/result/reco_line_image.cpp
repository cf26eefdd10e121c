// The page image of one text line, for the text view's line strip.
#include <algorithm>
#include <cstring>

#include "imaging/page_image.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/result/reco_result.h"
#include "ocrdoc/result/table_line_char.h"
#include "platform/afx/core/gdi.h"
#include "platform/win/memory.h"

const char* const kMsgCantLockMemory = "Can't Lock Memory";

namespace {

struct LockedBlock {
    HGLOBAL handle = nullptr;
    BYTE* bytes = nullptr;
    ~LockedBlock() {
        if (bytes) GlobalUnlock(handle);
        if (handle) GlobalFree(handle);
    }
};

}  // namespace

BOOL CRecoResult::RenderLineImage(UINT row, CPageImage* image, HBITMAP hBitmap, int bitmapWidth, int bitmapHeight,
                                  SIZE* outSize, int* outStartCol) {
    if (outSize) *outSize = SIZE{0, 0};
    if (outStartCol) *outStartCol = 0;
    if (!m_pText || !m_pChars || !image || !image->m_hBits || !hBitmap || bitmapWidth <= 0 || bitmapHeight <= 0 ||
        image->m_nWidth <= 0 || image->m_nHeight <= 0 || row >= m_nLineCount)
        return FALSE;

    // The line: from its first unit to its line end.
    UINT start = 0;
    for (UINT r = 0; r < row && start < m_nTextLen;) {
        if (m_pText[start] == 13 || m_pText[start] == 10) ++r;
        start += UnitLength(start);
    }
    UINT end = start;
    while (end < m_nTextLen && m_pText[end] != 13 && m_pText[end] != 10) end += UnitLength(end);
    const auto isRule = [&](UINT p) {
        return UnitLength(p) == 2 && IsRecoLeadByte(m_pText[p]) &&
               IsTableLineChar(static_cast<WORD>((m_pText[p] << 8) | m_pText[p + 1]));
    };

    // The part of the line the caret is in: it starts after the last table
    // rule before the caret.
    UINT part = start;
    int startCol = 0;
    if (m_nCaretOffset > start && m_nCaretOffset <= end) {
        int col = 0;
        for (UINT p = start; p < m_nCaretOffset; p += UnitLength(p)) {
            col += static_cast<int>(UnitColumns(p));
            if (isRule(p)) {
                part = p + 2;
                startCol = col;
            }
        }
    }

    // The first recognised character of the part fixes the block and line;
    // only that line's characters count.
    const RecoCharInfo* first = nullptr;
    const RecoCharInfo* last = nullptr;
    int top = 0, bottom = 0, tallest = 0;
    for (UINT p = part; p < end && !isRule(p); p += UnitLength(p)) {
        const RecoCharInfo* rec = RecordAt(p);
        if (!rec) continue;
        if (!first) {
            first = rec;
            top = rec->nBoxAcross;
            bottom = top + rec->nBoxThick;
        }
        if (rec->wBlock != first->wBlock || rec->byLine != first->byLine ||
            (rec->byFlags & kRecoVertical) != (first->byFlags & kRecoVertical))
            continue;
        last = rec;
        top = std::min<int>(top, rec->nBoxAcross);
        bottom = std::max(bottom, top + rec->nBoxThick);
        tallest = std::max<int>(tallest, rec->nBoxLen);
    }
    if (!first) return FALSE;
    m_nStripBlock = first->wBlock;
    m_nStripLine = first->byLine;
    const bool vertical = (first->byFlags & kRecoVertical) != 0;

    // The bitmap's rows are padded to two bytes, as the bitmap takes them.
    const std::size_t stride = ((static_cast<std::size_t>(bitmapWidth) + 15) / 16) * 2;
    const std::size_t bufferBytes = stride * static_cast<std::size_t>(bitmapHeight);
    LockedBlock buffer;
    buffer.handle = GlobalAlloc(GHND, bufferBytes);
    if (!buffer.handle) return FALSE;
    buffer.bytes = static_cast<BYTE*>(GlobalLock(buffer.handle));
    if (!buffer.bytes) {
        DocumentHost().MessageBox(kMsgCantLockMemory, "", MB_OK | MB_ICONSTOP);
        return FALSE;
    }

    int drawnWidth = 0, drawnHeight = 0;
    if (!vertical) {
        const BYTE* bits = static_cast<const BYTE*>(GlobalLock(image->m_hBits));
        if (!bits) {
            DocumentHost().MessageBox(kMsgCantLockMemory, "", MB_OK | MB_ICONSTOP);
            return FALSE;
        }
        const std::size_t rowBytes = image->RowBytes();
        const std::size_t pageRows = std::min<std::size_t>(static_cast<std::size_t>(image->m_nHeight),
                                                           GlobalSize(image->m_hBits) / std::max<std::size_t>(rowBytes, 1));
        const int left = std::clamp((first->nBoxAlong + first->nLineX) / 2, 0, image->m_nWidth - 1);
        const int right = last->nBoxAlong + last->nBoxLen;
        const int firstRow = std::max(top, 0);
        const int height = bottom - firstRow + 1;
        const int width = (left % 8) + right - left + 1;
        if (height > 0 && width > 0) {
            const std::size_t from = static_cast<std::size_t>(left) / 8;
            const std::size_t bytes =
                std::min({(static_cast<std::size_t>(width) + 7) / 8, stride, rowBytes - from});
            for (int y = 0; y < height && y < bitmapHeight; ++y) {
                const std::size_t pageRow = static_cast<std::size_t>(firstRow + y);
                if (pageRow >= pageRows) break;
                std::memcpy(buffer.bytes + static_cast<std::size_t>(y) * stride, bits + pageRow * rowBytes + from, bytes);
                drawnHeight = y + 1;
            }
            drawnWidth = std::min({width, bitmapWidth, static_cast<int>(bytes * 8)});
        }
        GlobalUnlock(image->m_hBits);
    } else {
        // Each character upright in a square of the strip's height, side by side.
        const int stripHeight = std::min(tallest, bitmapHeight);
        int x = -1;
        for (UINT p = start; p < end && stripHeight > 0; p += UnitLength(p)) {
            const RecoCharInfo* rec = RecordAt(p);
            if (!rec || rec->wBlock != first->wBlock || rec->byLine != first->byLine || !(rec->byFlags & kRecoVertical))
                continue;
            if (x < 0) x = std::max(0, (rec->nBoxAlong - rec->nLineY) / 2);
            if (x >= bitmapWidth) break;
            // Refused (and left blank) when the box leaves the page or the square.
            image->CopyRectCentered(RecoCharBox(*rec), buffer.bytes, x, static_cast<int>(stride), stripHeight);
            x += std::max(tallest, rec->nBoxThick + 1);
        }
        if (x > 0) {
            drawnWidth = std::min(x, bitmapWidth);
            drawnHeight = stripHeight;
        }
    }
    if (drawnHeight <= 0 || drawnWidth <= 0) return FALSE;
    SetBitmapBits(hBitmap, static_cast<DWORD>(bufferBytes), buffer.bytes);
    if (outSize) *outSize = SIZE{drawnWidth, drawnHeight};
    if (outStartCol) *outStartCol = startCol;
    return TRUE;
}
