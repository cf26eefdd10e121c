// The preview mode's picture, without a window: the scale that fits the page
// into the area, the page reduced by that power of two into one screen-sized
// 1-bit work bitmap (built once for the window's life), the offsets that
// centre it, the frames of the top-level regions and the tinted parts of the
// regions that recognition has gone through.
#pragma once

#include <memory>
#include <vector>

#include "imaging/page_image.h"
#include "platform/afx/afxwin.h"

class CLayoutRegion;

class CBatchPreview {
public:
    struct Frame {
        RECT rect{};  // in back-buffer pixels
        int pen = 0;  // the page view's pen number
        bool current = false;
    };
    enum class Build { kBuilt, kNoPage, kFailed, kLockFailed };

    CBatchPreview();
    ~CBatchPreview();
    CBatchPreview(const CBatchPreview&) = delete;
    CBatchPreview& operator=(const CBatchPreview&) = delete;

    // The scale (1/256 units) that fits a W x H page into an AW x AH area.
    static WORD ChooseScale(int width, int height, int areaWidth, int areaHeight);
    // The pen of a region's kind (table, picture, horizontal, vertical,
    // English; 0 for none) and of the current region.
    static int PenOf(int flags, bool current);
    // Bytes between two rows of a 1-bit bitmap as SetBitmapBits reads it.
    static int WorkRowBytes(int width) { return ((width + 15) / 16) * 2; }

    // The page to show (not owned); NULL or a page without its 1-bit plane
    // shows grey.
    void SetPage(const CPageImage* page, const CLayoutRegion* regions) {
        m_pPage = page;
        m_pRegions = regions;
    }
    bool HasPage() const { return m_pPage && m_pPage->m_hBits && m_pPage->m_nWidth > 0 && m_pPage->m_nHeight > 0; }
    const CPageImage* Page() const { return m_pPage; }

    // Progress of the page's lines (done -1: none shown).
    void SetProgress(int done, int total) {
        m_nDone = done;
        m_nTotal = total;
    }
    int Done() const { return m_nDone; }
    int Total() const { return m_nTotal; }

    // Fits the page into an area of AW x AH pixels: the scale, and on the
    // first call the reduced page in the work bitmap with the drawn size.
    // The offsets centre the drawn page in the (AW + 1) x (AH + 1) buffer.
    Build Prepare(int areaWidth, int areaHeight);
    bool Built() const { return m_nDrawnWidth > 0 || m_nDrawnHeight > 0; }

    // The frames of the regions that meet the visible part of the page.
    std::vector<Frame> Frames() const;
    // The parts of regions to tint for the progress (page pixels), and the
    // same scaled into back-buffer pixels.
    std::vector<RECT> TintRects() const;
    RECT ToBuffer(const RECT& pageRect) const;

    WORD Scale() const { return m_wScale; }
    int DrawnWidth() const { return m_nDrawnWidth; }
    int DrawnHeight() const { return m_nDrawnHeight; }
    int OffsetX() const { return m_nOffsetX; }
    int OffsetY() const { return m_nOffsetY; }
    int AreaWidth() const { return m_nAreaWidth; }
    int AreaHeight() const { return m_nAreaHeight; }
    CBitmap* WorkBitmap() const { return m_pWork.get(); }
    // A grey or colour page as drawn at the preview's scale into a source
    // rectangle of W x H page pixels: kept from the first paint, so that
    // later paints copy it rather than scale the whole page again. NULL when
    // none is kept for this page, scale and size.
    CBitmap* ScaledPage(int sourceWidth, int sourceHeight) const;
    CBitmap* KeepScaledPage(std::unique_ptr<CBitmap> bitmap, int sourceWidth, int sourceHeight);
    const CPageImage* ReducedPage() const { return m_pReduced.get(); }
    // Drops the work bitmap (as when it could not be created).
    void DropWorkBitmap() { m_pWork.reset(); }

private:
    Build BuildPreview();

    const CPageImage* m_pPage = nullptr;
    const CLayoutRegion* m_pRegions = nullptr;
    int m_nDone = -1;
    int m_nTotal = 0;
    int m_nScreenWidth = 0, m_nScreenHeight = 0;
    int m_nAreaWidth = 0, m_nAreaHeight = 0;
    WORD m_wScale = 32;
    int m_nDrawnWidth = 0, m_nDrawnHeight = 0;
    int m_nOffsetX = 0, m_nOffsetY = 0;
    std::unique_ptr<CBitmap> m_pWork;
    std::unique_ptr<CPageImage> m_pReduced;
    WORD m_wReducedScale = 255;
    // What the kept scaled page was drawn from.
    struct ScaledKey {
        const CPageImage* page = nullptr;
        HGLOBAL dib = nullptr;
        int pageWidth = 0, pageHeight = 0;
        WORD scale = 0;
        int drawnWidth = 0, drawnHeight = 0, sourceWidth = 0, sourceHeight = 0;
        bool operator==(const ScaledKey&) const = default;
    };
    ScaledKey ScaledKeyNow(int sourceWidth, int sourceHeight) const;
    std::unique_ptr<CBitmap> m_pScaled;
    ScaledKey m_scaledKey;
};
