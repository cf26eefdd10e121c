// Line helpers over the result store's escaped text form: a recognised
// character is 0x80, two code bytes, a 16-bit record index and 0x80; a typed
// double-byte character is a lead byte 0x81-0xFE with a trail byte 0x40-0xFE
// (not 0x7F); a line ends with LF (after its CR). Every helper stays inside
// the text it is given: a cut escape, a lead byte without its trail or a
// 0x80 that starts no whole escape never reach past the end, and a 0x80 that
// starts no whole escape is no character at all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ocrdoc/result/reco_result.h"
#include "platform/win/types.h"

namespace tabletext {

enum class UnitKind { Escape, Pair, Single, Stray, LineEnd };

struct Unit {
    UnitKind kind;
    std::size_t length;  // bytes of the unit in the text (at least 1)
    BYTE b1, b2;         // code bytes (Escape: as stored; Pair: lead, trail; Single: 0, byte)
};

// The unit at text[pos] (pos < text.size()). With `escaped` false the text is
// plain: a 0x80 is a single-byte character. CR and LF are single units.
Unit UnitAt(std::string_view text, std::size_t pos, bool escaped = true);
// A unit's code as lead << 8 | trail (a single byte alone); 0 for a stray
// marker or a line end.
inline WORD UnitCode(const Unit& u) { return static_cast<WORD>((u.b1 << 8) | u.b2); }
// A typed pair that is one of the table-line characters.
bool IsTableLineUnit(const Unit& u);

}  // namespace tabletext

// Start of the line after the one at pos (past its LF; the text's end when it
// has none).
std::size_t NextLine(std::string_view text, std::size_t pos);
// The line at pos as plain bytes: a recognised character as its code bytes
// (a single-byte code alone), typed pairs and other bytes kept, the LF kept.
// *outConsumed (when given) is the bytes the line takes, its LF included.
std::string LineToPlain(std::string_view text, std::size_t pos, std::size_t* outConsumed = nullptr);
// The same into out (outSize bytes, at least 2): as much of the line (its CR
// included) as fits in whole characters, then LF and NUL. Returns the bytes the whole line
// takes (its LF included) so that the caller moves on to the next line;
// *outCut (when given) tells whether the copy had to be cut. 0 when out is
// too small to hold anything.
std::size_t CopyLinePlain(std::string_view text, std::size_t pos, char* out, std::size_t outSize,
                          bool* outCut = nullptr);
// The line's first unit is a typed table-line character.
bool LineStartsWithTableChar(std::string_view text, std::size_t pos);
// The line holds a typed horizontal rule character before its end.
bool LineHasHorizontalChar(std::string_view text, std::size_t pos);
// The line's first unit is the typed bottom-left corner.
bool LineStartsWithBottomLeft(std::string_view text, std::size_t pos);
// Block of the line's first recognised character (-1 when there is none or
// its record index lies outside the records).
int GetLineBlock(std::string_view text, std::size_t pos, const RecoCharInfo* records, UINT recordCount);
// Trims spaces, tabs, CR and LF at the right; appends CR LF when anything is
// left. TRUE when nothing was left.
BOOL AppendLineEnd(std::string& line);
