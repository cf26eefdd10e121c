// The layout-region tree of a page: a root page region whose children are
// the text, picture and table regions of the page, in reading order. A table
// region's children are its cells' text regions; a text region holds rows
// and character boxes instead of children. Every region owns its children;
// a region is never shared between trees.
//
// Rectangles are in page pixels, right and bottom inclusive.
#pragma once

#include "ocrdoc/regions/region_geometry.h"
#include "platform/win/types.h"

// Type flags of a region (combinable).
enum RegionFlags : int {
    kRegionHorizontal = 0x01,
    kRegionVertical = 0x02,
    kRegionPicture = 0x04,
    kRegionTable = 0x08,
    kRegionEnglish = 0x10,
    kRegionSealRecord = 0x20,  // the seal rectangle as a stored record; never a region object
    kRegionAnyText = 0x13,
};

class CTextRegion;

// The rectangle every region has.
class CRegionRect : public RECT {
public:
    explicit CRegionRect(const RECT& rect) : RECT(rect) {}
    virtual ~CRegionRect() = default;

    virtual void SetRect(const RECT& rect) { static_cast<RECT&>(*this) = rect; }

    RECT Rect() const { return static_cast<const RECT&>(*this); }
    int HitTestEdge(POINT point, int tol) const { return EdgeHitBits(*this, point, tol); }
    BOOL Contains(POINT point) const { return RectHoldsPoint(*this, point); }
    BOOL ContainsRect(const RECT& rect) const { return RectHoldsRect(*this, rect); }
    BOOL Overlaps(const RECT& rect) const { return RectsOverlapStrictly(*this, rect); }
};

class CLayoutRegion : public CRegionRect {
public:
    static constexpr int kChildStep = 5;  // the child array grows and shrinks by this many places

    CLayoutRegion** m_ppChildren = nullptr;
    int m_nCapacity = 0;
    int m_nChildren = 0;
    int m_nSelected = -1;
    int m_nCursor = 0;
    int m_nFlags = 0;
    int m_nLines = 0;

    explicit CLayoutRegion(const RECT& rect, int flags = 0, int lines = 0);
    ~CLayoutRegion() override;
    CLayoutRegion(const CLayoutRegion&) = delete;
    CLayoutRegion& operator=(const CLayoutRegion&) = delete;

    // --- Overridable operations -------------------------------------------------
    virtual void ClearContent() {}
    virtual void Offset(int dx, int dy);
    virtual void RemoveCurrent();
    virtual void RemoveAt(int index);
    virtual void RemoveInside(const RECT& rect);
    // Edge bits 1-15 (outRegion: the region whose edge; outParent: the region
    // holding it, NULL for the receiver itself), 255 inside on no edge
    // (outRegion: the outermost child holding the point or NULL, outParent:
    // the receiver), 0 outside (both NULL). Selects along the way.
    virtual int SelectAt(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol);
    virtual BOOL SetChildRect(CLayoutRegion* child, const RECT& rect);
    virtual void ClipChildren();
    virtual int HitTest(POINT point, int tol);
    virtual BOOL ResizeWithin(const RECT& rect, const RECT& bound);
    virtual BOOL OverlapsChild(const RECT& rect) const;
    // Takes ownership on success only.
    virtual BOOL AddChild(CLayoutRegion* child);
    virtual BOOL InsertChild(CLayoutRegion* child, int index);
    virtual int GetChildCount() const { return m_nChildren; }
    virtual CLayoutRegion* CreateRegion(const RECT& rect, int flags, int lines);
    virtual CLayoutRegion* CreateRegion(const RECT& rect, int flags);

    // The text region behind a region, NULL for any other kind.
    virtual CTextRegion* AsTextRegion() { return nullptr; }

    // --- Plain operations ---------------------------------------------------------
    CLayoutRegion* GetChild(int index) const {
        return index >= 0 && index < m_nChildren ? m_ppChildren[index] : nullptr;
    }
    int IndexOfChild(const CLayoutRegion* child) const;
    CLayoutRegion* GetSelectedChild() const { return GetChild(m_nSelected); }
    // Cuts `rect` back off every child it overlaps, each time along the side
    // that keeps most of it, so that it fits beside them. False, with `rect`
    // cut as far as it got, when less than half of it would be left.
    bool TrimOffChildren(RECT& rect) const;

    // A new child made by CreateRegion and inserted at the end; NULL (and
    // nothing kept) when it is refused.
    CLayoutRegion* AddRegion(const RECT& rect, int flags);
    CLayoutRegion* AddRegionEx(const RECT& rect, int flags, int lines);
    BOOL Select(int index);
    void ClearSelection();
    BOOL IsSelectedChild(const CLayoutRegion* region) const;
    void MoveChildAfter(CLayoutRegion* after, CLayoutRegion* moved);
    BOOL ReplaceChild(CLayoutRegion* child, int flags);
    BOOL AddRowToSelected(const RECT& rect);
    void RemoveInsideExcept(const RECT& rect, const CLayoutRegion* keep);
    void FindChildInside(const RECT& rect, CLayoutRegion** outChild);

protected:
    // The hit of a region that does not look into its children: the edge
    // bits, kInsideNoEdge inside, 0 outside; the region itself is the one hit.
    int HitSelf(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol);
    // Destroys a region taken out of the tree.
    static void DestroyRegion(CLayoutRegion* region);
    // Another child than `except` overlaps `rect` strictly with a rectangle not equal to it.
    bool OverlapsOtherChild(const RECT& rect, const CLayoutRegion* except) const;
    bool PlaceChild(CLayoutRegion* child, int index);
    // Takes the child out of the array without destroying it.
    CLayoutRegion* DetachAt(int index);
    void FreeChildren();
};

class CPictureRegion : public CLayoutRegion {
public:
    explicit CPictureRegion(const RECT& rect) : CLayoutRegion(rect, kRegionPicture) {}
};

// The whole page, with the optional seal rectangle.
class CPageRegion : public CLayoutRegion {
public:
    RECT* m_pSealRect = nullptr;

    explicit CPageRegion(const RECT& page) : CLayoutRegion(page, 0) {}
    ~CPageRegion() override;

    // The page rectangle of a whole page: it runs to the width and the
    // height (the layout library is given right - 1 and bottom - 1), as
    // project files store it.
    static RECT WholePage(int width, int height) { return RECT{0, 0, width, height}; }
    // The page rectangle takes in every pixel of a page of that size (one
    // drawn to the last column and row does too): there is nothing to crop.
    bool CoversPage(int width, int height) const {
        return left <= 0 && top <= 0 && right >= width - 1 && bottom >= height - 1;
    }

    BOOL ResizeWithin(const RECT& rect, const RECT& bound) override;
    // The class the flags name: text (any of 0x13), else picture (4), else table (8), else NULL.
    CLayoutRegion* CreateRegion(const RECT& rect, int flags, int lines) override;
    CLayoutRegion* CreateRegion(const RECT& rect, int flags) override;

    // NULL removes the seal rectangle.
    void SetSealRect(const RECT* rect);
    int HitTestSealRect(POINT point, int tol) const;
    // Seal rectangle edge bits (both outs NULL), else 255 inside the page
    // (both NULL), else 0. Clears the selection of the tree.
    int HitTestPage(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol);
};
