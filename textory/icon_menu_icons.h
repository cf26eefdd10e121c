// The image list every icon menu draws its item icons from: one image per
// command id, and in the flat look with icon shadows also a faded and a
// shadow copy right after it.
#pragma once

#include "platform/afx/afxwin.h"

namespace textory {

// Puts image `index` of `list` in the shared list for command `id` (replacing
// the command's images when it has some) and returns the position of its
// first image; -1 when the image cannot be taken. `width` x `height` is the
// icon size (the shared list takes the size of its first icon).
int AddMenuIcon(UINT id, CImageList& list, int index, int width, int height, bool withCopies);
// The position of the command's first image, -1 when it has none.
int FindMenuIcon(UINT id);
// Whether the command owns a faded and a shadow copy.
bool HasMenuIconCopies(int position);
CImageList* SharedMenuIcons();

// Draws the icon embossed: its shape in the highlight colour one pixel right
// and down, then in the shadow colour at its place.
void DrawEmbossedMenuIcon(CDC& dc, int position, POINT at);

}  // namespace textory
