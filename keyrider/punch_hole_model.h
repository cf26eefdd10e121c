// The punch-hole page without windows: whether holes are filled with the
// paper's background or with custom colours, the colour for each scan mode,
// and the swatches that show them.
#pragma once

#include "platform/win/types.h"

namespace keyrider {

struct PunchHoleValues {
    bool custom = false;
    COLORREF color = 0xFFFFFF, gray = 0xFFFFFF, bw = 0xFFFFFF;
};

// Reads app key\"Remove Punch Hole" (created when missing); writes it back.
PunchHoleValues ReadPunchHole(HKEY appKey);
bool WritePunchHole(HKEY appKey, const PunchHoleValues& values);

// The gray a colour shows as: its luminance in red, green and blue.
COLORREF GrayOf(COLORREF colour);

class PunchHoleModel {
public:
    explicit PunchHoleModel(const PunchHoleValues& values) : values_(values) {}
    const PunchHoleValues& Values() const { return values_; }
    void SetCustom(bool custom) { values_.custom = custom; }
    void SetColor(COLORREF colour) { values_.color = colour & 0xFFFFFF; }
    // The gray dialog works on a level 0..255; the stored value repeats it in R, G and B.
    int GrayLevel() const { return int((values_.gray & 0xFFFFFF) / 0x010101); }
    void SetGrayLevel(int level);
    bool WhiteSelected() const { return values_.bw != 0; }
    // A click on either black-and-white swatch swaps the choice.
    void SwapBlackAndWhite() { values_.bw = WhiteSelected() ? 0 : 0xFFFFFF; }

private:
    PunchHoleValues values_;
};

// Paints swatch `id` (IDC_SWATCH_COLOR .. IDC_SWATCH_BLACK) into `rect` of `dc`: the colour-mode colour, the gray of
// the gray-mode colour, white or black; the chosen one of white and black is
// sunken with a focus frame, the other raised.
void PaintPunchSwatch(HDC dc, const RECT& rect, UINT id, const PunchHoleModel& model);

}  // namespace keyrider
