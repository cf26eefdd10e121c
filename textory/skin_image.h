// A bitmap resource tiled over a window's background, and the dialog base
// that paints its background so.
#pragma once

#include <vector>

#include "platform/afx/afxwin.h"

namespace textory {
// The top-left corners of the tiles that cover a `areaWidth` x `areaHeight`
// area from its origin with a `width` x `height` image, row by row; the last
// column and row may be clipped. Empty for an empty image or area.
std::vector<POINT> SkinTileOrigins(int width, int height, int areaWidth, int areaHeight);
}  // namespace textory

class CSkinImage {
public:
    CSkinImage() = default;
    virtual ~CSkinImage() = default;
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;

    // Loads a bitmap resource of the current module; a null name drops the
    // bitmap and succeeds. 1 on success, 0 when the resource cannot be loaded.
    int Load(LPCTSTR name);
    int Load(UINT id) { return Load(MAKEINTRESOURCE(id)); }
    // Tiles the bitmap from the DC's origin while x < right - left and
    // y < bottom - top; FALSE without a bitmap.
    BOOL Tile(CDC* dc, int left, int top, int right, int bottom);

    int Width() const { return m_width; }
    int Height() const { return m_height; }

protected:
    CBitmap m_bitmap;
    int m_width = 0;
    int m_height = 0;
};

class CSkinDialog : public CDialog, public CSkinImage {
public:
    CSkinDialog(UINT templateId, CWnd* parent = nullptr);

protected:
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};
