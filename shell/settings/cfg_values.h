// What the settings sheet edits, without windows: the thirteen settings the
// pages carry, copied from and back to the program's settings; the eight
// ink colours and the order the colour list sorts them in; the steps of the
// speed and sensitivity scroll bars.
#pragma once

#include <array>

#include "platform/win/types.h"

struct ScribantSettings;

struct CfgValues {
    int mouseSensibility = 3;  // 1..5
    int recoSpeed = 5;         // 5..85
    int penColor = 1;          // list index of the ink colour
    int penWidth = 2;          // 1..6
    int ignoredFlag = 1;       // batch option 0..2
    int codeType = 0;          // 0..2
    int autoAdjust = 0;
    int autoPostProcess = 0;
    int autoLoadLastWork = 0;
    int autoResize = 0;
    int langCode = 0;          // 0..2
    int pageType = 0;          // 0..4
    int saveAsJpg = 0;

    static CfgValues From(const ScribantSettings& settings);
    void To(ScribantSettings& settings) const;
    bool operator==(const CfgValues&) const = default;
};

namespace cfg {

// The colour list's entries in the order they are added (COLORREF, red in
// the low byte).
constexpr std::array<COLORREF, 8> kInkColors = {0x000000, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
constexpr int kSpeedMin = 5, kSpeedMax = 85, kSpeedPage = 5;
constexpr int kSensibilityMin = 1, kSensibilityMax = 5;
constexpr int kEntryHeight = 20;

// The colour list's compare callback: negative when `first` goes before `second`.
int CompareInkColors(COLORREF first, COLORREF second);
// A scroll bar's new value for a scroll code (SB_LINEUP ... SB_THUMBTRACK),
// bounded by min and max; `page` is the page step.
int ScrollStep(int value, UINT code, int thumb, int minimum, int maximum, int page);
// The frame colour of a selected entry: each component inverted.
constexpr COLORREF InvertedColor(COLORREF c) { return c ^ 0x00FFFFFFu; }

}  // namespace cfg
