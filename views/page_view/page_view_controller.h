// The state and rules of the page view without any window: zoom, scroll and
// centring offsets, the mapping between page and client pixels, the display
// rows of a 1-bit page, scroll codes, wheel and keys, the mouse tools, the
// drag machine of region editing and the seal mode. The window (COcrView)
// forwards its messages here and does what the answers ask (repaint,
// capture, post a command); the renderer draws from the state.
#pragma once

#include <memory>
#include <vector>

#include "imaging/page_image.h"
#include "ocrdoc/regions/layout_region.h"
#include "platform/win/types.h"

// What the controller asks of the document and the shell around it.
class CPageViewHost {
public:
    virtual ~CPageViewHost() = default;
    // Asks to drop the recognition result; TRUE when it may go (or there is none).
    virtual BOOL DiscardResult() = 0;
    // The page image was edited.
    virtual void SetModified() = 0;
    // The region tree changed.
    virtual void SetLayoutDirty() = 0;
    // The page list's row of the open page has the type "手写".
    virtual bool IsHandwritingPage() const = 0;
    // The application's m_bAutoResize.
    virtual bool AutoResize() const = 0;
    // Posts the crop command to the view.
    virtual void PostCrop() = 0;
    // A run holds the page (see COcrPage::IsPageHeld): nothing may change it,
    // so the mouse tools refuse and the page commands do nothing.
    virtual bool PageHeld() const { return false; }
};

enum MouseTool : int { kToolNormal = 0, kToolScissors = 1, kToolPen = 2 };

// Cursors the view shows over the page.
enum class PageCursor { kArrow, kSizeNS, kSizeWE, kSizeNESW, kSizeNWSE, kScissors, kPen };

// What a key press asks of the window.
enum class KeyAnswer { kDefault, kHandled, kRepaint, kPostRegionCancel };

// The band that follows the mouse during a drag (all drawn with R2_NOTXORPEN).
struct DragState {
    int drawn = 1;
    int anchorX = 0, anchorY = 0;
    int previousX = 0, previousY = 0;
    int movingX = 0, movingY = 0;
    int xMoves = 1, yMoves = 1;
    int pressX = 0, pressY = 0;  // where the button went down
};

// Where the window's children go for a client size.
struct PageViewLayout {
    RECT image;        // the image area
    RECT vScroll;      // vertical bar
    RECT hScroll;      // horizontal bar
    RECT strip;        // the button strip above the vertical bar
    bool stripShown;
};

class CPageViewController {
public:
    static constexpr WORD kInitialZoom = 128;
    static constexpr int kMinScaled = 8;        // a zoomed page narrower or lower than this is refused
    static constexpr int kSealMinSide = 40;     // a seal rectangle must be wider and higher than this
    static constexpr int kBoxMinSide = 7;       // a box drag must be wider and higher than this
    static constexpr int kMinRegionSpan = 8;    // a drawn region spans at least this (right - left, bottom - top)
    static constexpr int kClickSlop = 4;        // a pointer that stays this near its press point made a click
    static constexpr int kStripHeight = 16;

    explicit CPageViewController(CPageViewHost* host = nullptr);
    ~CPageViewController();
    CPageViewController(const CPageViewController&) = delete;
    CPageViewController& operator=(const CPageViewController&) = delete;

    void SetHost(CPageViewHost* host) { m_pHost = host; }
    // The page and its region tree (either may be NULL; both stay the caller's).
    void SetPage(CPageImage* image, CPageRegion* tree);
    CPageImage* Image() const { return m_pImage; }
    CPageRegion* Tree() const { return m_pTree; }
    bool HasPage() const { return m_pImage && m_pImage->m_hBits && m_pImage->m_nWidth > 0 && m_pImage->m_nHeight > 0; }

    // --- Layout -------------------------------------------------------------
    // Child placement for a client size; V and H are the scroll bars' thickness.
    static PageViewLayout LayoutFor(int cx, int cy, int barWidth, int barHeight, bool textViewShown);
    // The image area changed: offsets pulled back, display rebuilt, offsets
    // fitted to the new area (the size handler's rules, ranges from the area).
    void SetImageArea(int width, int height);
    int AreaWidth() const { return m_areaWidth; }
    int AreaHeight() const { return m_areaHeight; }

    // --- Mapping --------------------------------------------------------------
    int ScaledWidth() const;
    int ScaledHeight() const;
    POINT PageToClient(POINT page) const;
    POINT ClientToPage(POINT client) const;
    // Client rectangle of a page rectangle grown by 2 pixels on every side.
    RECT ClientRectOfPage(const RECT& page) const;
    // Centring offsets for the current display (computed at each paint).
    void ComputeOffsets();
    // Edge tolerance of a button-down hit test, and of the reorder release test.
    int EdgeTolerance() const;
    int ReorderTolerance() const;
    int LineStep(int area) const { return area / 4 < 12 ? area / 4 : 12; }

    // --- Display ----------------------------------------------------------------
    // Rebuilds the display rows for page, zoom and scroll offsets; FALSE when
    // there is nothing to show or memory is short.
    BOOL UpdateDisplayImage();
    // Offsets 0, character box emptied, zoom copy dropped, display rebuilt.
    void ResetView();
    void DropZoomImage();
    // The source plane at the current zoom (the page itself at 100 %).
    const CPageImage* ZoomSource() const;
    const std::vector<BYTE>& DisplayBits() const { return m_display; }
    int DisplayStride() const { return m_displayStride; }  // bytes a display row (padded to 16 bits)
    int DisplayRows() const { return m_displayRows; }      // rows the display holds (the area's height)
    // Counts the times the page was set or its pixels changed (each drops
    // the zoom copy): a drawing of the page kept from an earlier paint, for
    // the same zoom and scroll, stays good while the count stands.
    unsigned DisplayGeneration() const { return m_displayGeneration; }

    // --- Zoom ------------------------------------------------------------------------
    bool SetZoom(WORD zoom);
    bool ZoomIn();
    bool ZoomOut();
    bool CanZoomIn() const;
    bool CanZoomOut() const;
    bool CanZoomTo(WORD zoom) const;

    // --- Scrolling -------------------------------------------------------------------
    // A scroll-bar code on one axis; true when the offset changed (display rebuilt).
    bool Scroll(bool vertical, UINT code, int thumb);
    // A wheel turn: positive scrolls up, negative down, 3 line steps; true when it moved.
    bool Wheel(int delta);
    int HorizontalRange() const;
    int VerticalRange() const;
    // Scrolls so that a page box's centre is in the middle of the area.
    void ShowCharBox(const RECT& box);

    // --- Keys --------------------------------------------------------------------------
    KeyAnswer KeyDown(UINT vk, bool ctrl);

    // --- Mouse tools and seal mode --------------------------------------------------------
    void SetMouseTool(int tool) { m_nMouseTool = tool; }
    int MouseTool() const { return m_nMouseTool; }
    void SwitchMouseTool();
    void ToggleSealMode();
    void EndSealMode();
    bool SealMode() const { return m_bSealMode != 0; }
    // Esc or Delete in seal mode: the seal rectangle goes.
    void DeleteSeal();
    const RECT& SealEdit() const { return m_rcSealEdit; }

    // --- Drag machine ------------------------------------------------------------------------
    // Button down at a client point; true when a drag started (capture the
    // mouse). None starts while the host's page is held, and a drag that a
    // hold overtook ends at button up without changing anything.
    bool ButtonDown(POINT client);
    // The right button at a client point selects the region under it (no
    // drag starts); true when a region or the page is there.
    bool SelectRegionAt(POINT client);
    // Mouse move during a drag; true when the band moved (repaint). *outPastEdge
    // tells that the mouse lies beyond the area on a free axis (auto-scroll).
    bool MouseMove(POINT client, bool* outPastEdge = nullptr);
    // One auto-scroll step towards the last mouse point; true when it scrolled.
    bool AutoScrollStep();
    // Button up: applies the drag; returns the page rectangle to repaint
    // (empty when nothing was changed). The drag ends in every case.
    RECT ButtonUp(POINT client);
    // Drops a drag without applying it (capture lost, page replaced).
    void CancelDrag();
    bool Dragging() const { return m_pDrag != nullptr; }
    const DragState* Drag() const { return m_pDrag.get(); }
    // Style of the band now drawn (0 rectangle, 8 arrow, 11 split line, 34 pen line).
    int BandStyle() const;
    bool ReorderDrag() const { return m_bReorderDrag; }
    bool BoxDrag() const { return m_bBoxDrag; }
    bool SplitDrag() const { return m_bSplitDrag; }
    const RECT& SplitBox() const { return m_rcSplitBox; }
    CLayoutRegion* HitParent() const { return m_pHitParent; }
    CLayoutRegion* HitRegion() const { return m_pHitRegion; }
    PageCursor CursorAt(POINT client) const;

    // --- State read by the renderer and the window -------------------------------------------
    WORD Zoom() const { return m_wZoom; }
    int ScrollX() const { return m_nScrollX; }
    int ScrollY() const { return m_nScrollY; }
    int OffsetX() const { return m_nOffsetX; }
    int OffsetY() const { return m_nOffsetY; }
    int DisplayWidth() const { return m_cxDisplay; }
    int DisplayHeight() const { return m_cyDisplay; }
    const RECT& CurrentChar() const { return m_rcCurrentChar; }
    // The part of the page the image area shows, in page pixels.
    RECT VisiblePageRect() const;

private:
    bool PageHeld() const { return m_pHost && m_pHost->PageHeld(); }
    void ClampScroll();
    void RoundScrollXDown() { m_nScrollX -= m_nScrollX % 8; }
    bool MakeZoomImage();
    void StartDrag(POINT view, int code);
    void StartSealDrag(POINT view, int code);
    void SetCornersFromEdge(const RECT& pageRect, int code, bool freeCorners);
    POINT ViewToPage(int x, int y) const;
    bool ScrollTowardsMouse(int* stepX, int* stepY);
    RECT ApplyNormalDrag(RECT r, POINT releasePage, RECT repaint);
    RECT TrimToInk(const RECT& r) const;
    static void ShowImageLockMessage();
    void ClearDisplayRect(const RECT& page);

    CPageViewHost* m_pHost;
    CPageImage* m_pImage = nullptr;
    CPageRegion* m_pTree = nullptr;
    int m_areaWidth = 0, m_areaHeight = 0;

    WORD m_wZoom = kInitialZoom;
    int m_nScrollX = 0, m_nScrollY = 0;
    int m_nOffsetX = 0, m_nOffsetY = 0;
    int m_cxDisplay = 0, m_cyDisplay = 0;
    struct ZoomImageDeleter {
        void operator()(CPageImage* image) const;
    };
    std::unique_ptr<CPageImage, ZoomImageDeleter> m_pZoomImage;
    WORD m_wZoomImageScale = 255;
    std::vector<BYTE> m_display;
    int m_displayStride = 0, m_displayRows = 0;
    unsigned m_displayGeneration = 0;
    RECT m_rcCurrentChar{0, 0, 0, 0};

    int m_nMouseTool = kToolNormal;
    int m_bSealMode = 0;
    std::unique_ptr<DragState> m_pDrag;
    CLayoutRegion* m_pHitParent = nullptr;
    CLayoutRegion* m_pHitRegion = nullptr;
    bool m_bReorderDrag = false, m_bBoxDrag = false, m_bSplitDrag = false;
    RECT m_rcSplitBox{0, 0, 0, 0};
    RECT m_rcSealEdit{0, 0, 0, 0};
    POINT m_lastMouse{0, 0};
};
