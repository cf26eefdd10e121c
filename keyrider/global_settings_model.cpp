#include "keyrider/global_settings_model.h"

#include <algorithm>

namespace keyrider {

void BlankLevelModel::Scroll(int code, int thumb) {
    if (count_ <= 0) return;
    switch (code) {
        case 0: case 2: position_ = std::max(1, position_ - 1); break;
        case 1: case 3: position_ = std::min(count_, position_ + 1); break;
        case 4: case 5: position_ = std::clamp(thumb, 1, count_); break;
        case 6: position_ = 1; break;
        case 7: position_ = count_; break;
        default: break;
    }
}

namespace {

// The template's colour mode as an index of this model (0 colour, 1 gray, 2 B/W).
int indexOfMode(int templateMode) { return templateMode == 2 ? 0 : templateMode == 1 ? 1 : 2; }

void clear(ModeControl& c) {
    c.checked = false;
    c.checkEnabled = false;
    c.comboEnabled = false;
}

}  // namespace

MultiImageModel::MultiImageModel(const TemplateScan& scan, const SideValues& front, const SideValues& rear, int lock)
    : scan_(scan), lock_(lock) {
    const SideValues* stored[2] = {&front, &rear};
    for (int side = 0; side < 2; ++side)
        for (int mode = 0; mode < 3; ++mode) {
            ModeControl& c = controls_[std::size_t(side)][std::size_t(mode)];
            c.checked = stored[side]->modes[std::size_t(mode)];
            c.dpi = stored[side]->dpi[std::size_t(mode)];
        }
    const int m = indexOfMode(scan.mode);
    auto& frontControls = controls_[0];
    auto& rearControls = controls_[1];
    if (scan.kind == 0) {
        for (ModeControl& c : rearControls) clear(c);
        // The scanned mode is fixed; modes richer than it cannot be made from it.
        for (int mode = 0; mode < 3; ++mode) {
            ModeControl& c = frontControls[std::size_t(mode)];
            if (mode == m) {
                c.checked = true;
                c.checkEnabled = c.comboEnabled = false;
                c.dpi = scan.resolution;
            } else if (mode < m) {
                clear(c);
            }
        }
    } else if (scan.mode == 3) {
        for (auto& side : controls_)
            for (ModeControl& c : side) clear(c);
    } else {
        for (auto& side : controls_) {
            if (scan.mode == 0) {
                for (ModeControl& c : side) c.checkEnabled = false;
                side[2].checked = true;
                side[2].comboEnabled = false;
            } else if (scan.mode == 1) {
                side[0].checkEnabled = side[1].checkEnabled = false;
                side[0].checked = false;
                side[1].checked = true;
                side[0].comboEnabled = side[1].comboEnabled = false;
            } else {
                side[0].checkEnabled = false;
                side[0].checked = true;
                side[0].comboEnabled = false;
            }
        }
        ModeControl& target = controls_[scan.side == 1 ? 1 : 0][std::size_t(m)];
        target.dpi = scan.resolution;
        if (scan.side == 2) controls_[1][std::size_t(m)].comboEnabled = true;
    }
    if (scan.side == 0)
        for (ModeControl& c : rearControls) clear(c);
    if (scan.side == 1)
        for (ModeControl& c : frontControls) clear(c);
    if (lock_) {
        for (int mode = 0; mode < 3; ++mode) rearControls[std::size_t(mode)].checked = frontControls[std::size_t(mode)].checked;
        rearControls[1].checkEnabled = rearControls[2].checkEnabled = false;
    }
}

void MultiImageModel::Click(int side, int mode) {
    if (side < 0 || side > 1 || mode < 0 || mode > 2) return;
    ModeControl& c = controls_[std::size_t(side)][std::size_t(mode)];
    if (!c.checkEnabled) return;
    c.checked = !c.checked;
    if (lock_ && side == 0 && mode >= 1) controls_[1][std::size_t(mode)].checked = c.checked;
}

bool MultiImageModel::Type(int side, int mode, int dpi) {
    if (side < 0 || side > 1 || mode < 0 || mode > 2) return false;
    if (dpi < scan_.minResolution || dpi > scan_.maxResolution) return false;
    controls_[std::size_t(side)][std::size_t(mode)].dpi = dpi;
    return true;
}

SideValues MultiImageModel::Values(int side) const {
    SideValues v;
    for (int mode = 0; mode < 3; ++mode) {
        v.modes[std::size_t(mode)] = At(side, mode).checked;
        v.dpi[std::size_t(mode)] = At(side, mode).dpi;
    }
    return v;
}

}  // namespace keyrider
