// The window layer's hook into device contexts: a DC that paints into an
// image the window layer owns (a widget's backing image), with its origin at
// `origin` in that image and drawing kept inside `bounds`. Qt-facing: for the
// framework's libraries only.
#pragma once

#include <QImage>
#include <QRect>

#include "platform/afx/core/gdi.h"

// The DC is freed with DeleteDC; the image must outlive it.
AFX_CORE_API HDC AfxCreateImageDC(QImage* image, QPoint origin, QRect bounds);
// The image a DC paints into: the supplied image or the selected bitmap's.
AFX_CORE_API QImage* AfxDCImage(HDC dc);
// A bitmap's pixels (RGB32) and a new bitmap from an image.
AFX_CORE_API QImage AfxBitmapImage(HBITMAP bitmap);
AFX_CORE_API HBITMAP AfxBitmapFromImage(const QImage& image);
// Draws an image (its alpha respected) with its top left at logical point
// (x, y), inside the DC's clipping; FALSE for a DC without pixels.
AFX_CORE_API BOOL AfxDrawImage(HDC dc, int x, int y, const QImage& image);
// The font a DC would draw text with.
AFX_CORE_API QFont AfxDCFont(HDC dc);
AFX_CORE_API QFont AfxFontOf(HFONT font);
