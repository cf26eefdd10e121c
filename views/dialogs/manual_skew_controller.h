// The manual skew dialog without its window: a working copy of the page,
// the skew line with its two handles, the previews that turn the working
// copy from the source page by the running total, and the zoomed, panned
// preview window.
#pragma once

#include <memory>

#include "imaging/page_image.h"
#include "platform/win/types.h"
#include "views/dialogs/preview_window.h"

enum SkewDragMode : int { kSkewDragNone = 0, kSkewDragPicture = 1, kSkewDragRight = 2, kSkewDragLeft = 3 };

class CManualSkewController {
public:
    static constexpr int kAreaLeft = 45, kAreaTop = 12;
    static constexpr int kAreaRight = kAreaLeft + CPreviewWindow::kArea, kAreaBottom = kAreaTop + CPreviewWindow::kArea;
    static constexpr int kMiddle = 137;       // both handles start level in the middle
    static constexpr int kMaxTilt = 30;       // the left handle stays within this of the right one
    static constexpr int kHandleTop = 52, kHandleBottom = 222;
    static constexpr int kSkewRun = 250;      // the tilt is measured over the area's width
    static constexpr WORD kInitialScale = 128;

    // Makes its own working copy of the page (source not owned, only read).
    explicit CManualSkewController(CPageImage* source);
    ~CManualSkewController();
    CManualSkewController(const CManualSkewController&) = delete;
    CManualSkewController& operator=(const CManualSkewController&) = delete;

    bool Valid() const { return m_working != nullptr; }
    const CPageImage* Working() const { return m_working.get(); }
    const CPageImage* Source() const { return m_source; }
    bool IsMono() const { return m_source && m_source->m_nBitCount == 1; }

    // --- The line ---------------------------------------------------------------
    int LeftY() const { return m_leftY; }
    int RightY() const { return m_rightY; }
    int Total() const { return m_total; }
    int PendingTilt() const { return m_leftY - m_rightY; }
    bool Clockwise();
    bool Anticlockwise();
    // Moves the pending tilt into the total and levels the line; a turn the
    // page refuses (steeper than 1 in 5) changes nothing. True when applied.
    bool Preview();
    // Turns the working copy from the source page by `total` pixels over 250.
    bool ApplySkew(int total);

    // --- Mouse ------------------------------------------------------------------------
    int HitTest(POINT client) const;
    // Button down: the drag mode of the point (0 none).
    int ButtonDown(POINT client);
    // Mouse move by drag mode; true when the dialog must repaint.
    bool MouseMove(POINT client);
    void ButtonUp() { m_mode = kSkewDragNone; }
    int DragMode() const { return m_mode; }

    // --- Preview window ------------------------------------------------------------------
    WORD Scale() const { return m_scale; }
    bool ZoomIn();
    bool ZoomOut();
    bool Pan(int dx, int dy);
    bool RefreshPreview();
    const CPreviewWindow& Window() const { return m_preview; }
    int ScaledWidth() const;
    int ScaledHeight() const;

    // Copies the working page into the caller's block (a 1-bit plane, or the
    // packed bitmap of a grey or colour page, the block grown when needed).
    bool CopyWorkingTo(HGLOBAL hWork) const;

private:
    struct PageDeleter {
        void operator()(CPageImage* page) const;
    };
    CPageImage* m_source;
    std::unique_ptr<CPageImage, PageDeleter> m_working;
    int m_leftY = kMiddle, m_rightY = kMiddle;
    int m_total = 0;
    int m_mode = kSkewDragNone;
    POINT m_last{0, 0};
    WORD m_scale = kInitialScale;
    CPreviewWindow m_preview;
};
