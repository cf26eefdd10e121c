#include "imaging/draw_geometry.h"

#include <algorithm>
#include <cmath>

RECT* RectFromSize(RECT* pRect, SIZE size) {
    *pRect = RECT{0, 0, size.cx, size.cy};
    return pRect;
}

RECT* RectFromPoints(RECT* pRect, int x1, int y1, int x2, int y2) {
    *pRect = RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    return pRect;
}

void CalcArrowHead(POINT start, POINT end, POINT* pBarb1, POINT* pBarb2) {
    const double vx = end.x - start.x, vy = end.y - start.y;
    const double length = std::sqrt(vx * vx + vy * vy);
    if (length == 0) {
        if (pBarb1) *pBarb1 = end;
        if (pBarb2) *pBarb2 = end;
        return;
    }
    const double ux = vx / length, uy = vy / length;
    auto barb = [&](double rx, double ry) {
        const double px = end.x + 16 * rx, py = end.y + 16 * ry;
        const double mx = end.x - 16 * rx, my = end.y - 16 * ry;
        auto dist = [&](double x, double y) { return (x - start.x) * (x - start.x) + (y - start.y) * (y - start.y); };
        const bool plus = dist(px, py) <= dist(mx, my);
        return POINT{static_cast<LONG>(plus ? px : mx), static_cast<LONG>(plus ? py : my)};
    };
    if (pBarb1) *pBarb1 = barb(0.866 * ux - 0.5 * uy, 0.5 * ux + 0.866 * uy);
    if (pBarb2) *pBarb2 = barb(0.866 * ux + 0.5 * uy, -0.5 * ux + 0.866 * uy);
}
