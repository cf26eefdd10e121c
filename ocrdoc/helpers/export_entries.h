// Making and releasing the records of an export page (outside/include/ostrel.h).
//
// Every record of an export page is allocated with the C allocator (malloc or
// calloc; the New* helpers below) and released with free: blocks, pictures'
// pixels, texts, the counted cell and entry arrays. The release functions
// take NULL and leave what they release NULL and its kind 0, so a second
// release does nothing.
#pragma once

#include <string_view>

#include "outside/include/ostrel.h"

// A zeroed text block holding an owned, NUL-terminated copy of `text`; NULL
// when memory fails.
SPageTextBlock* NewPageTextBlock(std::string_view text, int lines);
// A zeroed counted cell array of `count` cells; NULL when memory fails or
// count is negative.
SPageCellArray* NewPageCellArray(int count);

// A text block: its text (length set 0), its second buffer, then the block.
void ReleasePageTextBlock(SPageTextBlock* block);
// A picture: its pixels, then the picture.
void ReleasePagePicture(SPagePicture* picture);
// A cell's content by its kind; the pointer becomes NULL and the kind 0.
void ReleasePageCell(SPageCell& cell);
// Every cell of a counted array, then the array.
void ReleasePageCellArray(SPageCellArray* cells);
// A table: its cells, then the table.
void ReleasePageTable(SPageTable* table);
// An entry's block by its kind; the pointer becomes NULL and the kind 0.
void ReleasePageBlockEntry(SPageBlockEntry& entry);
// Every entry of a counted array, then the array.
void ReleasePageBlockArray(SPageBlockArray* entries);
