// The preview mode's picture, without a window: the scale that fits the page
// into the area, the page reduced by that power of two into one screen-sized
// 1-bit work bitmap (built once), the offsets that centre it, the frames of
// the top-level regions and the tinted part of the region that recognition
// has reached.
#pragma once

#include <memory>
#include <vector>

#include "imaging/page_image.h"
#include "platform/afx/afxwin.h"

class COcrDoc;

class CBatchPreview {
public:
    struct Frame {
        RECT rect{};       // in area pixels
        int pen = 0;       // the page view's pen number
        bool current = false;
    };

    CBatchPreview();
    ~CBatchPreview();

    // The scale (1/256 units) that fits a W x H page into an AW x AH area.
    static WORD ChooseScale(int width, int height, int areaWidth, int areaHeight);
    // The pen of a region's kind (table, picture, horizontal, vertical,
    // English; 0 for none) and of the current region.
    static int PenOf(int flags, bool current);

    // Progress of the page's lines (done -1: none shown).
    void SetProgress(int done, int total) {
        m_nDone = done;
        m_nTotal = total;
    }
    int Done() const { return m_nDone; }
    int Total() const { return m_nTotal; }

    // The page, its regions and the area of the last paint.
    COcrDoc* m_pDocument = nullptr;
    RECT m_area{};
    WORD m_wScale = 32;
    int m_nDrawnWidth = 0, m_nDrawnHeight = 0;
    int m_nOffsetX = 0, m_nOffsetY = 0;
    RECT m_tint{-1, 0, 0, 0};  // in page pixels; left -1: none
    int m_nScreenWidth = 0, m_nScreenHeight = 0;
    std::unique_ptr<CBitmap> m_pWork;
    std::unique_ptr<CPageImage> m_pReduced;
    WORD m_wReducedScale = 255;

private:
    int m_nDone = -1;
    int m_nTotal = 0;
};
