// Blanks around the fields of configuration lines, registry texts and
// answers of other programs.
#pragma once

#include <string_view>

namespace suite {

// True for ' ', '\t', '\r', '\n', '\v' and '\f'. None of them is ever the
// trail byte of a double-byte character, so ANSI text is cut safely.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// `text` without the blanks at either end.
std::string_view TrimBlanks(std::string_view text);

}  // namespace suite
