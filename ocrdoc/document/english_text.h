// The English engine's answer in the result store's text form, and the walk
// over whole lines of that form that the merge and the table text use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ocrdoc/result/reco_result.h"
#include "outside/include/pendril20.h"

// The answer as text and one record per character (record indexes from 0).
// Every line ends with CR LF and the whole answer with one more. FALSE (both
// emptied) when the answer holds more characters than record indexes reach
// or is malformed beyond its bounds.
BOOL ConvertEnglishResult(const _regioninfoeng* result, std::string& text, std::vector<RecoCharInfo>& records);
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
