#include "ocrdoc/regions/layout_region.h"

#include <algorithm>
#include <new>

#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/regions/text_region.h"

CLayoutRegion::CLayoutRegion(const RECT& rect, int flags, int lines)
    : CRegionRect(rect), m_nFlags(flags), m_nLines(lines) {}

CLayoutRegion::~CLayoutRegion() { FreeChildren(); }

void CLayoutRegion::DestroyRegion(CLayoutRegion* region) {
    if (!region) return;
    region->ClearContent();
    delete region;
}

void CLayoutRegion::FreeChildren() {
    for (int i = 0; i < m_nChildren; ++i) DestroyRegion(m_ppChildren[i]);
    delete[] m_ppChildren;
    m_ppChildren = nullptr;
    m_nCapacity = m_nChildren = 0;
    m_nSelected = -1;
    m_nCursor = 0;
}

int CLayoutRegion::IndexOfChild(const CLayoutRegion* child) const {
    if (!child) return -1;
    for (int i = 0; i < m_nChildren; ++i)
        if (m_ppChildren[i] == child) return i;
    return -1;
}

void CLayoutRegion::Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    for (int i = 0; i < m_nChildren; ++i) m_ppChildren[i]->Offset(dx, dy);
}

bool CLayoutRegion::PlaceChild(CLayoutRegion* child, int index) {
    if (m_nChildren == m_nCapacity) {
        auto** grown = new (std::nothrow) CLayoutRegion*[m_nCapacity + kChildStep];
        if (!grown) return false;
        for (int i = 0; i < m_nChildren; ++i) grown[i] = m_ppChildren[i];
        delete[] m_ppChildren;
        m_ppChildren = grown;
        m_nCapacity += kChildStep;
    }
    for (int i = m_nChildren; i > index; --i) m_ppChildren[i] = m_ppChildren[i - 1];
    m_ppChildren[index] = child;
    ++m_nChildren;
    return true;
}

CLayoutRegion* CLayoutRegion::DetachAt(int index) {
    if (index < 0 || index >= m_nChildren) return nullptr;
    CLayoutRegion* child = m_ppChildren[index];
    for (int i = index; i + 1 < m_nChildren; ++i) m_ppChildren[i] = m_ppChildren[i + 1];
    --m_nChildren;
    if (m_nChildren == 0) {
        delete[] m_ppChildren;
        m_ppChildren = nullptr;
        m_nCapacity = 0;
        m_nSelected = -1;
    } else if (m_nCapacity - m_nChildren >= kChildStep) {
        // Keep the old array when the smaller one cannot be had; only room is lost.
        auto** shrunk = new (std::nothrow) CLayoutRegion*[m_nCapacity - kChildStep];
        if (shrunk) {
            for (int i = 0; i < m_nChildren; ++i) shrunk[i] = m_ppChildren[i];
            delete[] m_ppChildren;
            m_ppChildren = shrunk;
            m_nCapacity -= kChildStep;
        }
    }
    return child;
}

void CLayoutRegion::RemoveCurrent() {
    if (m_nCursor >= 0 && m_nCursor < m_nChildren) RemoveAt(m_nCursor);
}

void CLayoutRegion::RemoveAt(int index) {
    if (index < 0 || index >= m_nChildren) return;
    const int oldCount = m_nChildren;
    DestroyRegion(DetachAt(index));
    if (m_nChildren > 0) {
        // The selection keeps naming the same child when one before it goes,
        // and falls back by one when the selected last child goes.
        if (m_nSelected >= 0 && (index < m_nSelected || oldCount == m_nSelected + 1)) --m_nSelected;
    }
    // A walk that advances the cursor after each step then visits the next child.
    if (index == m_nCursor) --m_nCursor;
}

void CLayoutRegion::RemoveInside(const RECT& rect) { RemoveInsideExcept(rect, nullptr); }

void CLayoutRegion::RemoveInsideExcept(const RECT& rect, const CLayoutRegion* keep) {
    for (m_nCursor = 0; m_nCursor < m_nChildren; ++m_nCursor) {
        CLayoutRegion* child = m_ppChildren[m_nCursor];
        if (child == keep) continue;
        if (RectHoldsRect(rect, *child))
            RemoveCurrent();
        else if (child->Overlaps(rect)) {
            if (keep)
                child->RemoveInsideExcept(rect, keep);
            else
                child->RemoveInside(rect);
        }
    }
}

void CLayoutRegion::FindChildInside(const RECT& rect, CLayoutRegion** outChild) {
    CLayoutRegion* found = nullptr;
    for (m_nCursor = 0; m_nCursor < m_nChildren; ++m_nCursor) {
        CLayoutRegion* child = m_ppChildren[m_nCursor];
        if (RectHoldsRect(rect, *child)) {
            if (!found)
                found = child;
            else
                RemoveCurrent();
        } else if (child->Overlaps(rect)) {
            child->RemoveInside(rect);
        }
    }
    if (outChild) *outChild = found;
}

int CLayoutRegion::SelectAt(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol) {
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = nullptr;
    int code = HitTestEdge(point, tol);
    if (code) {
        ClearSelection();
        region = this;
    } else if (!Contains(point)) {
        ClearSelection();
    } else {
        code = kInsideNoEdge;
        parent = this;
        int i = 0;
        for (; i < m_nChildren; ++i) {
            CLayoutRegion* childParent = nullptr;
            CLayoutRegion* childRegion = nullptr;
            const int answer = m_ppChildren[i]->SelectAt(point, &childParent, &childRegion, tol);
            if (!answer) continue;
            Select(i);
            code = answer;
            if (answer == kInsideNoEdge) {
                region = m_ppChildren[i];
            } else {
                region = childRegion;
                parent = childParent ? childParent : this;
            }
            break;
        }
        if (i == m_nChildren) ClearSelection();
    }
    if (outParent) *outParent = parent;
    if (outRegion) *outRegion = region;
    return code;
}

int CLayoutRegion::HitSelf(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol) {
    if (outParent) *outParent = nullptr;
    if (outRegion) *outRegion = nullptr;
    int code = HitTestEdge(point, tol);
    if (!code && !Contains(point)) return 0;
    if (!code) code = kInsideNoEdge;
    if (outRegion) *outRegion = this;
    return code;
}

bool CLayoutRegion::OverlapsOtherChild(const RECT& rect, const CLayoutRegion* except) const {
    for (int i = 0; i < m_nChildren; ++i) {
        const CLayoutRegion* child = m_ppChildren[i];
        if (child != except && child->Overlaps(rect) && !RectsEqual(*child, rect)) return true;
    }
    return false;
}

BOOL CLayoutRegion::OverlapsChild(const RECT& rect) const { return OverlapsOtherChild(rect, nullptr); }

bool CLayoutRegion::TrimOffChildren(RECT& rect) const {
    auto area = [](const RECT& r) {
        return (static_cast<long long>(r.right) - r.left + 1) * (static_cast<long long>(r.bottom) - r.top + 1);
    };
    const long long whole = area(rect);
    // A cut only shrinks the rectangle, so a child once cleared stays
    // cleared: one pass per child at most.
    for (int pass = 0; pass <= m_nChildren; ++pass) {
        const CLayoutRegion* hit = nullptr;
        for (int i = 0; i < m_nChildren && !hit; ++i)
            if (m_ppChildren[i]->Overlaps(rect)) hit = m_ppChildren[i];
        if (!hit) return area(rect) * 2 >= whole;
        const RECT cuts[] = {{rect.left, std::max(rect.top, hit->bottom + 1), rect.right, rect.bottom},
                             {rect.left, rect.top, rect.right, std::min(rect.bottom, hit->top - 1)},
                             {std::max(rect.left, hit->right + 1), rect.top, rect.right, rect.bottom},
                             {rect.left, rect.top, std::min(rect.right, hit->left - 1), rect.bottom}};
        const RECT* best = nullptr;
        for (const RECT& cut : cuts)
            if (cut.left <= cut.right && cut.top <= cut.bottom && !hit->Overlaps(cut) &&
                (!best || area(cut) > area(*best)))
                best = &cut;
        if (!best) return false;
        rect = *best;
    }
    return false;
}

BOOL CLayoutRegion::SetChildRect(CLayoutRegion* child, const RECT& rect) {
    if (IndexOfChild(child) < 0) return FALSE;
    // Decided before the child is touched, so that a refused move leaves it
    // (a table's grid and cells included) as it was.
    if (!ContainsRect(rect) || OverlapsOtherChild(rect, child)) return FALSE;
    child->SetRect(rect);
    child->ClearContent();
    child->ClipChildren();
    return TRUE;
}

void CLayoutRegion::ClipChildren() {
    for (int i = 0; i < m_nChildren;) {
        CLayoutRegion* child = m_ppChildren[i];
        if (!Overlaps(*child)) {
            RemoveAt(i);
            continue;
        }
        const RECT clipped = RectClipped(*child, *this);
        if (!RectsEqual(clipped, *child)) child->SetRect(clipped);
        child->ClipChildren();
        ++i;
    }
}

int CLayoutRegion::HitTest(POINT point, int tol) {
    if (const int bits = HitTestEdge(point, tol)) return bits;
    if (!Contains(point)) return 0;
    for (int i = 0; i < m_nChildren; ++i)
        if (const int bits = m_ppChildren[i]->HitTest(point, tol)) return bits;
    return 0;
}

BOOL CLayoutRegion::ResizeWithin(const RECT&, const RECT&) { return FALSE; }

BOOL CLayoutRegion::AddChild(CLayoutRegion* child) { return InsertChild(child, m_nChildren); }

BOOL CLayoutRegion::InsertChild(CLayoutRegion* child, int index) {
    if (!child || child == this || IndexOfChild(child) >= 0) return FALSE;
    if (index < 0 || index > m_nChildren) return FALSE;
    if (!ContainsRect(*child) || OverlapsChild(*child)) return FALSE;
    if (!PlaceChild(child, index)) return FALSE;
    if (m_nSelected >= index) ++m_nSelected;  // still names the same child
    Select(index);
    return TRUE;
}

CLayoutRegion* CLayoutRegion::CreateRegion(const RECT& rect, int flags, int lines) {
    return new (std::nothrow) CLayoutRegion(rect, flags, lines);
}

CLayoutRegion* CLayoutRegion::CreateRegion(const RECT& rect, int flags) {
    return new (std::nothrow) CLayoutRegion(rect, flags);
}

CLayoutRegion* CLayoutRegion::AddRegion(const RECT& rect, int flags) {
    CLayoutRegion* region = CreateRegion(rect, flags);
    if (!region) return nullptr;
    if (!InsertChild(region, GetChildCount())) {
        DestroyRegion(region);
        return nullptr;
    }
    return region;
}

CLayoutRegion* CLayoutRegion::AddRegionEx(const RECT& rect, int flags, int lines) {
    CLayoutRegion* region = CreateRegion(rect, flags, lines);
    if (!region) return nullptr;
    if (!InsertChild(region, GetChildCount())) {
        DestroyRegion(region);
        return nullptr;
    }
    return region;
}

BOOL CLayoutRegion::Select(int index) {
    if (index < 0 || index >= m_nChildren) return FALSE;
    if (m_nSelected != index) {
        if (CLayoutRegion* previous = GetChild(m_nSelected)) previous->ClearSelection();
    }
    m_nSelected = index;
    return TRUE;
}

void CLayoutRegion::ClearSelection() {
    m_nSelected = -1;
    for (int i = 0; i < m_nChildren; ++i) m_ppChildren[i]->ClearSelection();
}

BOOL CLayoutRegion::IsSelectedChild(const CLayoutRegion* region) const {
    return region && GetSelectedChild() == region;
}

void CLayoutRegion::MoveChildAfter(CLayoutRegion* after, CLayoutRegion* moved) {
    const int from = IndexOfChild(moved);
    if (IndexOfChild(after) < 0 || from < 0 || after == moved) return;
    // Taken out and put back without touching the array's size.
    for (int i = from; i + 1 < m_nChildren; ++i) m_ppChildren[i] = m_ppChildren[i + 1];
    const int to = IndexOfChild(after) + 1;  // found among the others
    for (int i = m_nChildren - 1; i > to; --i) m_ppChildren[i] = m_ppChildren[i - 1];
    m_ppChildren[to] = moved;
    if (CLayoutRegion* previous = GetChild(m_nSelected)) previous->ClearSelection();
    m_nSelected = to;
}

BOOL CLayoutRegion::ReplaceChild(CLayoutRegion* child, int flags) {
    const int index = IndexOfChild(child);
    if (index < 0) return FALSE;
    CLayoutRegion* replacement = CreateRegion(*child, flags);
    if (!replacement) return FALSE;
    m_ppChildren[index] = replacement;
    DestroyRegion(child);
    m_nSelected = index;
    return TRUE;
}

BOOL CLayoutRegion::AddRowToSelected(const RECT& rect) {
    CLayoutRegion* selected = GetSelectedChild();
    CTextRegion* text = selected ? selected->AsTextRegion() : nullptr;
    return text ? text->AddRow(rect) : FALSE;
}

// --- Page region -------------------------------------------------------------------

CPageRegion::~CPageRegion() { delete m_pSealRect; }

BOOL CPageRegion::ResizeWithin(const RECT& rect, const RECT& bound) {
    if (!RectHoldsRect(bound, rect)) return FALSE;
    SetRect(rect);
    ClipChildren();
    return TRUE;
}

CLayoutRegion* CPageRegion::CreateRegion(const RECT& rect, int flags, int lines) {
    if (flags & kRegionAnyText) return new (std::nothrow) CTextRegion(rect, flags, lines);
    if (flags & kRegionPicture) return new (std::nothrow) CPictureRegion(rect);
    if (flags & kRegionTable) return new (std::nothrow) CTableRegion(rect, lines);
    return nullptr;
}

CLayoutRegion* CPageRegion::CreateRegion(const RECT& rect, int flags) { return CreateRegion(rect, flags, 0); }

void CPageRegion::SetSealRect(const RECT* rect) {
    if (!rect) {
        delete m_pSealRect;
        m_pSealRect = nullptr;
        return;
    }
    if (!m_pSealRect) m_pSealRect = new RECT;
    *m_pSealRect = *rect;
}

int CPageRegion::HitTestSealRect(POINT point, int tol) const {
    return m_pSealRect ? EdgeHitBits(*m_pSealRect, point, tol) : 0;
}

int CPageRegion::HitTestPage(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol) {
    ClearSelection();
    if (outParent) *outParent = nullptr;
    if (outRegion) *outRegion = nullptr;
    if (const int bits = HitTestSealRect(point, tol)) return bits;
    return Contains(point) ? kInsideNoEdge : 0;
}
