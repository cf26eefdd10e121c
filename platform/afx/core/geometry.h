// Points, sizes and rectangles. A rectangle covers left <= x < right and
// top <= y < bottom: its right and bottom edges lie outside it.
#pragma once

#include "platform/afx/core/afx_types.h"

AFX_CORE_API BOOL SetRect(LPRECT r, int left, int top, int right, int bottom);
AFX_CORE_API BOOL SetRectEmpty(LPRECT r);
AFX_CORE_API BOOL CopyRect(LPRECT dst, LPCRECT src);
AFX_CORE_API BOOL IsRectEmpty(LPCRECT r);
AFX_CORE_API BOOL EqualRect(LPCRECT a, LPCRECT b);
AFX_CORE_API BOOL PtInRect(LPCRECT r, POINT p);
AFX_CORE_API BOOL OffsetRect(LPRECT r, int dx, int dy);
AFX_CORE_API BOOL InflateRect(LPRECT r, int dx, int dy);
// The common part; empty (all zero) and FALSE when they do not overlap.
AFX_CORE_API BOOL IntersectRect(LPRECT dst, LPCRECT a, LPCRECT b);
// The smallest rectangle holding both; an empty one is ignored.
AFX_CORE_API BOOL UnionRect(LPRECT dst, LPCRECT a, LPCRECT b);
// `a` less `b` when `b` cuts a whole side off; otherwise `a`.
AFX_CORE_API BOOL SubtractRect(LPRECT dst, LPCRECT a, LPCRECT b);

class CSize;
class CRect;

class AFX_CORE_API CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int x0, int y0) : POINT{x0, y0} {}
    CPoint(POINT p) : POINT(p) {}  // NOLINT: implicit
    explicit CPoint(SIZE s) : POINT{s.cx, s.cy} {}
    explicit CPoint(DWORD packed) : POINT{static_cast<SHORT>(LOWORD(packed)), static_cast<SHORT>(HIWORD(packed))} {}
    void Offset(int dx, int dy) { x += dx; y += dy; }
    void Offset(POINT p) { Offset(p.x, p.y); }
    void Offset(SIZE s) { Offset(s.cx, s.cy); }
    bool operator==(POINT p) const { return x == p.x && y == p.y; }
    bool operator!=(POINT p) const { return !(*this == p); }
    // Same-type forms, so that comparing two CPoints is not ambiguous with the reversed candidate.
    bool operator==(const CPoint& p) const { return *this == static_cast<const POINT&>(p); }
    bool operator!=(const CPoint& p) const { return !(*this == p); }
    void operator+=(SIZE s) { Offset(s); }
    void operator-=(SIZE s) { Offset(-s.cx, -s.cy); }
    void operator+=(POINT p) { Offset(p); }
    void operator-=(POINT p) { Offset(-p.x, -p.y); }
    CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
    CPoint operator+(POINT p) const { return CPoint(x + p.x, y + p.y); }
    CPoint operator-() const { return CPoint(-x, -y); }
    inline CSize operator-(POINT p) const;
};

class AFX_CORE_API CSize : public SIZE {
public:
    CSize() : SIZE{0, 0} {}
    CSize(int cx0, int cy0) : SIZE{cx0, cy0} {}
    CSize(SIZE s) : SIZE(s) {}  // NOLINT: implicit
    explicit CSize(POINT p) : SIZE{p.x, p.y} {}
    bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(SIZE s) const { return !(*this == s); }
    bool operator==(const CSize& s) const { return *this == static_cast<const SIZE&>(s); }
    bool operator!=(const CSize& s) const { return !(*this == s); }
    void operator+=(SIZE s) { cx += s.cx; cy += s.cy; }
    void operator-=(SIZE s) { cx -= s.cx; cy -= s.cy; }
    CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
    CSize operator-() const { return CSize(-cx, -cy); }
};

inline CSize CPoint::operator-(POINT p) const { return CSize(x - p.x, y - p.y); }

class AFX_CORE_API CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    CRect(const RECT& r) : RECT(r) {}  // NOLINT: implicit
    CRect(LPCRECT r) : RECT(*r) {}     // NOLINT: implicit
    CRect(POINT p, SIZE s) : RECT{p.x, p.y, p.x + s.cx, p.y + s.cy} {}
    CRect(POINT topLeft, POINT bottomRight) : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
    const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(&left); }
    const CPoint& BottomRight() const { return *reinterpret_cast<const CPoint*>(&right); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    BOOL PtInRect(POINT p) const { return ::PtInRect(this, p); }
    void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    void SetRectEmpty() { ::SetRectEmpty(this); }
    void CopyRect(LPCRECT src) { ::CopyRect(this, src); }
    BOOL EqualRect(LPCRECT r) const { return ::EqualRect(this, r); }
    void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
    void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    void InflateRect(LPCRECT r) { InflateRect(r->left, r->top, r->right, r->bottom); }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
    void DeflateRect(SIZE s) { DeflateRect(s.cx, s.cy); }
    void DeflateRect(int l, int t, int r, int b) { left += l; top += t; right -= r; bottom -= b; }
    void DeflateRect(LPCRECT r) { DeflateRect(r->left, r->top, r->right, r->bottom); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
    void NormalizeRect();
    BOOL IntersectRect(LPCRECT a, LPCRECT b) { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(LPCRECT a, LPCRECT b) { return ::UnionRect(this, a, b); }
    BOOL SubtractRect(LPCRECT a, LPCRECT b) { return ::SubtractRect(this, a, b); }

    bool operator==(const RECT& r) const { return ::EqualRect(this, &r) != FALSE; }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    bool operator==(const CRect& r) const { return *this == static_cast<const RECT&>(r); }
    bool operator!=(const CRect& r) const { return !(*this == r); }
    void operator+=(POINT p) { OffsetRect(p); }
    void operator+=(SIZE s) { OffsetRect(s); }
    void operator-=(POINT p) { OffsetRect(-p.x, -p.y); }
    void operator-=(SIZE s) { OffsetRect(-s.cx, -s.cy); }
    void operator&=(const RECT& r) { ::IntersectRect(this, this, &r); }
    void operator|=(const RECT& r) { ::UnionRect(this, this, &r); }
    CRect operator+(POINT p) const { CRect r(*this); r.OffsetRect(p); return r; }
    CRect operator-(POINT p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
    CRect operator+(SIZE s) const { CRect r(*this); r.OffsetRect(s); return r; }
    CRect operator-(SIZE s) const { CRect r(*this); r.OffsetRect(-s.cx, -s.cy); return r; }
    CRect operator&(const RECT& o) const { CRect r; ::IntersectRect(&r, this, &o); return r; }
    CRect operator|(const RECT& o) const { CRect r; ::UnionRect(&r, this, &o); return r; }
};
