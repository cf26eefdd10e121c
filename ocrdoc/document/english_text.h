// Counting the English engine's answer, and the walk over whole lines of the
// result store's text form that the merge and the table text use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ocrdoc/result/reco_result.h"
#include "outside/include/pendril20.h"

// Characters of an answer (over all entries, lines, words).
long long CountEnglishChars(const _regioninfoeng* result);
// Length of the unit at pos, as the result store walks its text: a
// recognised character six bytes, CR LF two, a lead byte with its trail two,
// any other byte one (never past the text's end).
std::size_t TextUnitLength(std::string_view text, std::size_t pos);
// Bytes of text form from pos through `lines` line ends (LF), unit by unit,
// never past the text's end.
std::size_t SpanOfLines(std::string_view text, std::size_t pos, int lines);
// Raises every record index of the recognised characters in text by delta.
void RaiseRecordIndexes(std::string& text, UINT delta);
// The text form holds only whole units: a 0x80 unit of six bytes ending in
// 0x80 whose record index is below recordCount, CR only before LF, LF only
// after CR.
bool IsWholeTextForm(std::string_view text, UINT recordCount);
