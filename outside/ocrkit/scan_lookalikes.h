// Characters a poor scan turns into one another, whose shapes alone cannot
// tell them apart: offered after the recogniser's own alternatives.
#pragma once

#include <string>
#include <vector>

namespace ocrkit {

// Latin letters and digits (the letter's other case among them) for a
// reading of one ASCII letter or digit; empty for anything else.
std::vector<std::string> lettersLike(const std::string& reading);

// The list bullet for the marks the recogniser reads it as (asterisk, plus,
// degree sign, small square, middle dot); empty for anything else.
std::vector<std::string> bulletsLike(const std::string& reading);

}  // namespace ocrkit
