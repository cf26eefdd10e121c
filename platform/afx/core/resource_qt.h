// Image resources as Qt images, for the window layer (icons, cursors,
// bitmaps). Qt-facing: for the framework's libraries only.
#pragma once

#include <QImage>
#include <QPoint>

#include "platform/afx/core/resource.h"

// Decodes stored icon bytes (ICO, PNG or BMP file); `wanted` picks the
// nearest size from a multi-size icon (0 x 0: the largest).
AFX_CORE_API bool AfxDecodeIcon(const void* data, DWORD size, QImage& out, QSize wanted = QSize());
// Decodes stored cursor bytes: two hot-spot words, then the image file.
AFX_CORE_API bool AfxDecodeCursor(const void* data, DWORD size, QImage& out, QPoint& hotSpot);

// Loads from the module (null: the current resource module, then the program).
AFX_CORE_API bool AfxLoadIconImage(HINSTANCE module, LPCSTR name, QImage& out, QSize wanted = QSize());
AFX_CORE_API bool AfxLoadCursorImage(HINSTANCE module, LPCSTR name, QImage& out, QPoint& hotSpot);
AFX_CORE_API bool AfxLoadBitmapImage(HINSTANCE module, LPCSTR name, QImage& out);
