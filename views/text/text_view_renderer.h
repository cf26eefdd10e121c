// Draws the text view's text area into a device context (a memory bitmap in
// the view): the lines in fixed cells, recognised characters in the colour of
// their class, the selection white on navy, and, above the caret line, the
// strip with the page image of that line. Grey without a result.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "views/text/text_view_controller.h"

// Colours of the text area.
constexpr COLORREF kTextInk = RGB(0, 0, 0);
constexpr COLORREF kTextPaper = RGB(255, 255, 255);
constexpr COLORREF kSelectedInk = RGB(255, 255, 255);
constexpr COLORREF kSelectedPaper = RGB(0, 0, 128);
constexpr COLORREF kClassCInk = RGB(0, 0, 255);
constexpr COLORREF kDoubtfulInk = RGB(255, 0, 0);
constexpr COLORREF kNoResultGrey = RGB(128, 128, 128);
constexpr COLORREF kStripInk = RGB(0, 0, 255);
constexpr COLORREF kStripPaper = RGB(255, 255, 128);

// Capacity of the line-image bitmap.
constexpr int kLineImageWidth = 6400;
constexpr int kLineImageHeight = 600;

class CTextViewRenderer {
public:
    CTextViewRenderer();
    CTextViewRenderer(const CTextViewRenderer&) = delete;
    CTextViewRenderer& operator=(const CTextViewRenderer&) = delete;

    // The font for a system language: the GB font for 1033, the Big5 font for
    // the traditional-Chinese languages, else the stock fixed font.
    CFont* FontFor(WORD languageId);
    // Selects that font into dc and returns the extent of "A" (the cell).
    SIZE MeasureCell(CDC* dc, WORD languageId);

    // Paints the text area of the view (in the dc's coordinates, the view's
    // client coordinates) with the font of languageId. Rows outside `clip`
    // (client coordinates; null: all) are left as they are.
    void Paint(CDC* dc, const CTextViewController& view, WORD languageId, bool legacyPlatform,
               const RECT* clip = nullptr);

    // What the last paint drew of the strip: shown at all, and the image size
    // the store rendered (height 0: no image).
    bool StripDrawn() const { return m_bStripShown; }
    SIZE StripImageSize() const { return m_sizeLineImageUsed; }
    bool HasLineImageBitmap() const { return m_bHasBitmap; }

private:
    void PaintLine(CDC* dc, const CTextViewController& view, const TextLine& line, int row, int y, int visCols);
    void PaintStrip(CDC* dc, const CTextViewController& view, bool legacyPlatform);

    // What the line image in the bitmap was rendered from: it is rendered
    // again only when the caret line, the caret or the page changed.
    struct StripSource {
        int row = -1;
        UINT caretOffset = 0;
        std::string line;
        const void* page = nullptr;
        int startCol = 0;
    };
    StripSource m_stripSource;

    CFont m_fontGB;
    CFont m_fontBig5;
    CBitmap m_bmpLineImage;
    bool m_bHasBitmap = false;
    bool m_bStripShown = false;
    SIZE m_sizeLineImageUsed{0, 0};
};
