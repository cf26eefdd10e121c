// The rules of a table the form library could not take apart (no grid: a
// table tilted too far, rules broken by a poor scan). Read as text, the
// table's rules hide the cells' text from the engines, so they are erased
// from the recognition copy of the page first.
#pragma once

#include "platform/win/types.h"

// Pieces of ink at least this long across or down may be rules.
constexpr int kMinRuleLength = 150;
// A rule's ink covers less than 1 / kRuleInkShare of its box (a frame, a
// tilted rule), or its box is at most kMaxRuleBoxThickness across (a
// straight rule), or its ink is at most kMaxRuleInkThickness thick on
// average along its length (a rule tilted a little). A line of characters
// run together by a poor scan is none of these.
constexpr int kRuleInkShare = 5;
constexpr int kMaxRuleBoxThickness = 8;
constexpr int kMaxRuleInkThickness = 5;

// Erases, within `area` (inclusive; clipped to the plane) of the 1-bit plane
// (rows of (width + 7) / 8 bytes, bit 7 first, 1 = black), every 8-connected
// piece of ink that is long and thin: rules and frames with whatever touches
// them, never a character on its own. Returns the number of pieces erased;
// 0 also when the area holds more ink pieces than it can list.
int EraseRulesIn(BYTE* plane, int width, int height, const RECT& area);
