// The box-drawing characters that frame tables laid out as text: the GB set
// (lead 0xA9, trail 0xA4-0xF0) on simplified-Chinese systems, the Big5 set
// (lead 0xA2, trail 0x71-0x7D) otherwise. Codes are lead << 8 | trail.
#pragma once

#include "platform/win/types.h"

BOOL IsTableLineChar(WORD code);
// The same, but FALSE for the vertical line of the current set.
BOOL IsTableLineCharNotVertical(WORD code);
