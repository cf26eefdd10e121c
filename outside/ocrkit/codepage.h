// Conversions between UTF-8 and the double-byte code pages the outside
// libraries exchange text in (936 GBK, 950 Big5).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ocrkit {

// Converts UTF-8 to the code page; false when any character has no code there.
bool fromUtf8(const std::string& utf8, int codePage, std::string& out);
// Converts text in the code page to UTF-8; bytes that do not decode become U+FFFD.
std::string toUtf8(const std::string& text, int codePage);

// The characters of a UTF-8 string, one string each.
std::vector<std::string> splitUtf8(const std::string& utf8);
// The first code point of a UTF-8 string (0 for an empty one).
char32_t firstCodePoint(const std::string& utf8);
// CJK ideographs, kana, and full-width forms and punctuation: characters
// between which typed spaces are not kept.
bool isWideCharacter(char32_t c);

// One character of a code page as the engines' 16-bit code: a single byte as
// itself, a double-byte character with its lead byte in the low half.
std::uint16_t packCode(const std::string& bytes);
std::string unpackCode(std::uint16_t code);

// The program's code page: 950 on a traditional-Chinese system, else 936.
int ansiCodePage();

// The mark the engines give for a character the code page cannot hold: a
// white square.
std::uint16_t unknownCode(int codePage);

}  // namespace ocrkit
