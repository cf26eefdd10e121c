#include "platform/afx/core/geometry.h"

#include <algorithm>

BOOL SetRect(LPRECT r, int left, int top, int right, int bottom) {
    if (!r) return FALSE;
    *r = RECT{left, top, right, bottom};
    return TRUE;
}
BOOL SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }
BOOL CopyRect(LPRECT dst, LPCRECT src) {
    if (!dst || !src) return FALSE;
    *dst = *src;
    return TRUE;
}
BOOL IsRectEmpty(LPCRECT r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL EqualRect(LPCRECT a, LPCRECT b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL PtInRect(LPCRECT r, POINT p) { return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom; }
BOOL OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL IntersectRect(LPRECT dst, LPCRECT a, LPCRECT b) {
    if (!dst || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}
BOOL UnionRect(LPRECT dst, LPCRECT a, LPCRECT b) {
    if (!dst || !a || !b) return FALSE;
    bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
    if (ea && eb) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    if (ea) {
        *dst = *b;
    } else if (eb) {
        *dst = *a;
    } else {
        *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                    std::max(a->bottom, b->bottom)};
    }
    return TRUE;
}
BOOL SubtractRect(LPRECT dst, LPCRECT a, LPCRECT b) {
    if (!dst || !a || !b) return FALSE;
    RECT r = *a;
    RECT cut;
    if (IntersectRect(&cut, a, b)) {
        bool fullWidth = cut.left == a->left && cut.right == a->right;
        bool fullHeight = cut.top == a->top && cut.bottom == a->bottom;
        if (fullWidth && fullHeight) {
            r = RECT{0, 0, 0, 0};
        } else if (fullWidth && cut.top == a->top) {
            r.top = cut.bottom;
        } else if (fullWidth && cut.bottom == a->bottom) {
            r.bottom = cut.top;
        } else if (fullHeight && cut.left == a->left) {
            r.left = cut.right;
        } else if (fullHeight && cut.right == a->right) {
            r.right = cut.left;
        }
    }
    *dst = r;
    return !IsRectEmpty(dst);
}

void CRect::NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}
