// Rectangle and arrow-head geometry for drawing.
#pragma once

#include "platform/win/types.h"

// 0, 0, cx, cy.
RECT* RectFromSize(RECT* pRect, SIZE size);
// The rectangle spanned by two corners in any order.
RECT* RectFromPoints(RECT* pRect, int x1, int y1, int x2, int y2);
// The two barbs of an arrow head at `end`, 16 pixels long at 30 degrees to
// the shaft, on the side of `start`. start and end must differ.
void CalcArrowHead(POINT start, POINT end, POINT* pBarb1, POINT* pBarb2);
