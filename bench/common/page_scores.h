// How a reading of a page is scored against its truth.
#pragma once

#include <string>

#include "bench/common/engine_reading.h"

namespace bench {

// Aligns the characters read with the truth (whitespace removed) by edit
// distance; `wrong` gets the substitutions and `found` those whose right
// character is among the candidates, `misses` a line for each. With
// `byCandidates`, of the alignments with the fewest edits the one pairing most
// wrong characters with a right candidate is taken; without it the plain one.
void scoreCandidates(const std::string& page, const std::string& truth, const Reading& ours, bool byCandidates,
                     int& wrong, int& found, std::string& misses);

// Characters of a UTF-8 string.
int characterCount(const std::string& utf8);

// The text with the characters that draw table frames ('|' and the
// box-drawing ones) each made a blank.
std::string withoutTableFrames(const std::string& text);

// F1 of the bags of words of the truth and of a reading: words are runs of
// Latin letters and digits, and every ideograph is a word of its own.
double wordF1(const std::string& truth, const std::string& got);

}  // namespace bench
