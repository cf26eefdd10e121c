// The parse back from table text to the export library's table cells: the
// framed rows that the table text layout made (and the user may have edited)
// become one SPageTable with a text block in every cell that has text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "ocrdoc/regions/table_region.h"
#include "outside/include/ostrel.h"

// The pieces of one line of table text: every piece of text between two
// table-line characters, spaces before a rule dropped; an empty piece between
// a vertical rule or right tee and a vertical rule or left tee; rules,
// corners and tees give nothing. With `escaped` the text is in the result
// store's escaped form (a recognised box-drawing character is text, only a
// typed one is a rule), else plain. *outConsumed is the bytes of the line,
// its LF included.
std::vector<std::string> SplitTableLine(std::string_view text, std::size_t pos, bool escaped,
                                        std::size_t* outConsumed);
// Plain table text as cell text: every piece becomes one line ending with CR
// LF; a line that does not start with a table-line character (text around
// the table) keeps only its line break.
std::string TableTextToCells(std::string_view plainText);

// The export table of a table region with a grid, from the escaped text:
// lines are skipped up to the first that starts with a table-line character,
// then taken while they start with one, up to and including the one that
// starts with the bottom-left corner. A line holding the horizontal rule
// opens the next table row; the others are text lines of the current row,
// whose pieces go to the row's cells in order. A cell merged into the row
// below also takes its piece of the rule line between them. *outConsumed is
// the bytes from the text's start through the last line taken (0 when the
// text holds no table). NULL without a usable grid or when memory fails;
// release the table with ReleasePageTable.
SPageTable* BuildExportTable(const CTableRegion& region, std::string_view text, std::size_t* outConsumed);
