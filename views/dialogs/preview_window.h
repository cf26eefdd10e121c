// The 250 x 250 full-size preview both page dialogs share: a window of a
// 1-bit plane copied row by row into one monochrome picture, centred when
// smaller than the area, panned in page pixels (x in whole bytes).
#pragma once

#include <vector>

#include "platform/win/types.h"

class CPreviewWindow {
public:
    static constexpr int kArea = 250;
    static constexpr int kStride = 32;  // bytes of a picture row: 256 pixels, padded to 16 bits

    // Pans by (dx, dy) within a page of w x h pixels; true when it moved.
    bool Pan(int dx, int dy, int pageWidth, int pageHeight);
    // Keeps the window inside a page of w x h (x in whole bytes).
    void Clamp(int pageWidth, int pageHeight);
    // Copies the window of a plane (rows of rowBytes, h rows, w pixels wide) into the picture.
    void Fill(const BYTE* plane, std::size_t planeBytes, int rowBytes, int width, int height);

    int panX = 0, panY = 0;
    int shownWidth = 0, shownHeight = 0;
    int CentreX() const { return shownWidth < kArea ? (kArea - shownWidth) / 2 : 0; }
    int CentreY() const { return shownHeight < kArea ? (kArea - shownHeight) / 2 : 0; }
    const std::vector<BYTE>& Bits() const { return m_bits; }

private:
    std::vector<BYTE> m_bits = std::vector<BYTE>(static_cast<std::size_t>(kStride) * kArea, 0);
};
