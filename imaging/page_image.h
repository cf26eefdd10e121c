// The one in-memory form of a page: a 1-bit working plane (rows top-down,
// (width + 7) / 8 bytes each, most significant bit leftmost, 1 = black ink)
// and, for 8-bit grey and 24-bit colour pages, the packed bitmap the plane
// was made from. All tools, views and engines work on the plane.
//
// Ownership: the page image owns both blocks. The plane is locked only for
// the length of one operation; the source bitmap keeps one lock while held.
// Rectangles are inclusive (right and bottom are the last column and row)
// except Crop's, whose right and bottom are exclusive.
#pragma once

#include "platform/win/memory.h"
#include "platform/win/types.h"

class CPageImage {
public:
    HDIB m_hDib;          // source bitmap of a grey or colour page; NULL for 1-bit and empty pages
    HGLOBAL m_hBits;      // the working plane; NULL when empty
    int32_t m_nWidth;     // pixels
    int32_t m_nHeight;    // pixels
    int32_t m_nBitCount;  // 1, 8 or 24 as attached; 0 = empty
    HGLOBAL m_hRecoBits;  // the recognition pipeline's block; never touched here

    CPageImage();

    // --- Core -------------------------------------------------------------
    // Frees both planes; width, height and m_hRecoBits are kept.
    void Empty();
    // Takes ownership of hDib, accepted or not. 0 = accepted, 1 = refused
    // (hDib freed, the page image left as it was).
    int AttachDib(HDIB hDib);
    // Replaces the plane by a zero-filled movable block of nBytes.
    BOOL AllocBits(DWORD nBytes);
    // pDst becomes a copy of a rectangle of the plane reduced by nScale/256
    // (a power of two from 1 to 256). FALSE when it would be below 8 pixels.
    BOOL ShrinkRect(CPageImage* pDst, const RECT* pSrc, int nScale);

    // Bytes of one plane row and of the whole plane for the current size.
    DWORD RowBytes() const { return m_nWidth > 0 ? (static_cast<DWORD>(m_nWidth) + 7) / 8 : 0; }
    DWORD PlaneBytes() const { return m_nHeight > 0 ? RowBytes() * static_cast<DWORD>(m_nHeight) : 0; }

    // --- Binarisation of grey and colour pages ------------------------------
    int Binarize();
    // Grey pages: the 1-bit plane rebuilt inside the rectangle (clamped to the
    // page) from the grey picture, levels at or below the threshold black.
    // `threshold` 0..255 (above 255 counts as 255), or negative for the
    // automatic one (the between-class-variance threshold of the rectangle's
    // histogram). Where the paper's light falls off across the rectangle by
    // more than an eighth, the automatic threshold is chosen with the paper
    // brought to its brightest level and follows the light pixel by pixel;
    // the one returned is then the threshold at the brightest paper. Colour
    // pages do the same on their chosen channel (dark ink only). Returns the
    // threshold used; -1, and nothing changed, for a page that is not grey
    // or a rectangle outside it with no threshold given.
    static constexpr int kAutomaticThreshold = -1;
    int BinarizeGray(int threshold = kAutomaticThreshold);
    int BinarizeGrayRect(int left, int top, int right, int bottom, int threshold = kAutomaticThreshold);
    BOOL BinarizeColor();
    int BinarizeRect(int left, int top, int right, int bottom);
    void BinarizeColorRect(int left, int top, int right, int bottom);
    int BinarizeOfficial(RECT* pRedRect);
    int BinarizeOfficialRect(int left, int top, int right, int bottom, RECT* pRedRect);
    // Trimmed between-class-variance threshold of a 256-level histogram.
    static int HistogramThreshold(const DWORD hist[256]);

    // --- Dark and red ink separation (official-document pages) ---------------
    int BinarizeRedAndDark(RECT* pRedRect);
    static int ExtractDarkPlane(HDIB hDib, HGLOBAL* phMask);
    static int ExtractRedPlane(HDIB hDib, HGLOBAL* phMask);
    // Clears, in pClear (may be NULL), the large blobs of the mask and returns
    // their bounding rectangle. Works on a width x height mask of this page.
    BOOL FindInkRegion(const BYTE* pMask, RECT* pOut, int nResolution, BYTE* pClear, int nFlag);
    static BOOL FindInkRegionIn(const BYTE* pMask, int width, int height, RECT* pOut, int nResolution,
                                BYTE* pClear, int nFlag);
    static void SmearRows(BYTE* pOut, const BYTE* pIn, int width, int height);
    static void DilateBits(BYTE* pOut, const BYTE* pIn, int width, int height);
    static void ErodeBits(BYTE* pOut, const BYTE* pIn, int width, int height);
    static int CleanColorPicture(HDIB hDib);
    // Resolution of the page in dots per inch (from its bitmap header, else
    // the page list's current row, else 300).
    int PageResolution() const;

    // --- Editing --------------------------------------------------------------
    void Invert();
    void AutoInvert();
    BOOL Crop(int left, int top, int right, int bottom);
    int RotateRight();
    int RotateLeft();
    int RotateRightOfficial(RECT* pRedRect);
    int RotateLeftOfficial(RECT* pRedRect);
    BOOL RotateDibRight();
    BOOL RotateDibLeft();
    void EraseRect(int x1, int y1, int x2, int y2);
    void DrawLine(int x1, int y1, int x2, int y2, int nWidth);
    void DrawDibLine(int x1, int y1, int x2, int y2, int nWidth);
    BOOL AddMargin();

    // --- Rectangle transfers ----------------------------------------------------
    BOOL GetRectPixels(const RECT& rect, BYTE* pOut);
    static constexpr int kRectTurnLeft = 0x80;
    BOOL GetRectBits(const RECT& rect, BYTE* pOut, int nFlags);
    BOOL SetRectBits(const RECT& rect, const BYTE* pIn);
    BOOL CopyRectCentered(const RECT& rect, BYTE* pDst, int nDstX, int nDstStride, int nDstHeight);
    // New packed bitmap (new[]-allocated; delete[] it) of a rectangle of the
    // source bitmap of a grey or colour page; NULL otherwise.
    BYTE* CopyRectToDib(const RECT& rect);

    // --- Profiles (16-bit counts; arrays cleared first) ---------------------------
    BOOL GetRowProfile(const RECT& rect, WORD* pCounts);
    BOOL GetColumnProfile(const RECT& rect, WORD* pCounts);
    BOOL GetRowCounts(const RECT& rect, WORD* pCounts);     // right and bottom exclusive
    BOOL GetColumnDensity(const RECT& rect, WORD* pCounts); // right and bottom exclusive

    // --- Deskew by a skew line ------------------------------------------------------
    // Writes the straightened page into hResult (the caller's zero-filled block
    // of the plane's or bitmap block's size). TRUE when hResult holds the
    // straightened page; FALSE when the slope was refused or work memory
    // failed, in which case the caller must keep the page as it is.
    BOOL Deskew(int dx, int dy, int left, int top, int right, int bottom, HGLOBAL hResult);

private:
    bool EnsurePlane();
    bool InsidePage(const RECT& rect) const;
    void FreeBits();
    void FreeDib();
};

// Copies nLen bytes between offset nOffset of block h and a buffer; returns nLen
// (0 when the block cannot be locked or the range lies outside it).
DWORD CopyFromGlobal(HGLOBAL h, int nOffset, void* pDst, DWORD nLen);
DWORD CopyToGlobal(HGLOBAL h, int nOffset, const void* pSrc, DWORD nLen);

// A block of height x ((width + 31) / 32 x 4) bytes holding the rows of a
// 1-bit bitmap in top-down order. With bFree the bitmap handed in is freed.
HGLOBAL FlipMonoDib(HDIB hDib, BOOL bFree);

// Fixed message texts of the image operations.
extern const char* const kMsgNotEnoughMemory;
extern const char* const kMsgNoEnoughMemoryToFinish;
extern const char* const kMsgUnsupportedImageFormat;
extern const char* const kMsgCannotLockMemory;
