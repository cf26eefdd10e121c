// The global settings pages without windows: the blank-page level's
// scrolling, and which multi-image modes and resolutions may be chosen for
// each side given what the button's template scans.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/win/types.h"

namespace keyrider {

// Scroll actions of the blank-page level (the SB_ codes of a scrollbar).
class BlankLevelModel {
public:
    BlankLevelModel(int count, int level) : count_(count < 0 ? 0 : count), position_(count_ > 0 ? std::min(level, count_ - 1) + 1 : 1) {}
    int Minimum() const { return 1; }
    int Maximum() const { return count_; }  // a table of no rows gives 1..0
    int Position() const { return position_; }
    int Level() const { return position_ - 1; }
    // code: SB_LINELEFT 0, SB_LINERIGHT 1, SB_PAGELEFT 2, SB_PAGERIGHT 3,
    // SB_THUMBPOSITION 4, SB_THUMBTRACK 5, SB_LEFT 6, SB_RIGHT 7, SB_ENDSCROLL 8.
    void Scroll(int code, int thumb = 0);

private:
    int count_;
    int position_;
};

// One side's stored multi-image values (app key\"Multi-Image"\"Front" or "Rear").
struct SideValues {
    std::array<bool, 3> modes{true, false, false};  // colour, gray, black and white
    std::array<int, 3> dpi{200, 200, 200};
};

struct ModeControl {
    bool checked = false;
    bool checkEnabled = true;
    bool comboEnabled = true;
    int dpi = 200;
};

// What the template scans: its kind, colour mode (0 B/W, 1 gray, 2 colour),
// side (0 front, 1 rear, 2 both), resolution and its range.
struct TemplateScan {
    int kind = 0, mode = 2, side = 0, resolution = 200, minResolution = 50, maxResolution = 600;
};

class MultiImageModel {
public:
    // Mode indexes here: 0 colour, 1 gray, 2 black and white.
    MultiImageModel(const TemplateScan& scan, const SideValues& front, const SideValues& rear, int lock);
    const ModeControl& At(int side, int mode) const { return controls_[std::size_t(side)][std::size_t(mode)]; }
    // A click on a mode's checkbox (ignored when disabled); with a lock the
    // front's gray and B/W follow to the rear.
    void Click(int side, int mode);
    // A typed resolution: false (with a beep for the window) outside the
    // template's range, the old value kept.
    bool Type(int side, int mode, int dpi);
    SideValues Values(int side) const;

private:
    TemplateScan scan_;
    int lock_;
    std::array<std::array<ModeControl, 3>, 2> controls_;
};

}  // namespace keyrider
