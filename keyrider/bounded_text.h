// Copies into fixed-size text buffers of the button manager (titles of 200
// bytes, texts of 260, tooltips of 128): never past the buffer, never
// splitting a double-byte character of the ANSI code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace keyrider {

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a
// character boundary.
std::string_view FitText(std::string_view text, std::size_t maxBytes);

// Copies FitText(text, size - 1) and a terminator; nothing when size is 0.
void CopyBounded(char* target, std::size_t size, std::string_view text);

// Replaces the first "%1" of `format` by `value`, fitted into `size` bytes with
// the terminator (the title of the running copy's window, 200 bytes).
std::string ReplaceFirstPercentOne(std::string_view format, std::string_view value, std::size_t size);

}  // namespace keyrider
