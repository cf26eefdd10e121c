// Checks and cleaning of a recognition result's text form before it is
// taken into the result store (from a project file, an edit or a paste).
//
// The form, unit by unit: 0x80, two code bytes, a 16-bit record index
// (little-endian), 0x80 for a recognised character; a lead byte 0x81-0xFE
// followed by a trail byte 0x40-0xFE (not 0x7F) for a typed double-byte
// character; CR LF for a line end; any other byte (0xFF, a lead byte without
// a trail) a single-byte character. A 0x80 is always a unit's marker, never
// a character of its own. Valid code bytes of a unit: 0x00 and a single byte,
// a lead and a trail byte, or 0x80 0x80. A 0 byte ends the text.
#pragma once

#include "platform/win/types.h"

// Largest text the filter and the check accept.
constexpr UINT kMaxResultTextBytes = 64000;

// Counts the characters (a unit, a double-byte pair or a single byte each);
// TRUE when the walk ends exactly at `length` (no 0 byte before it, no unit
// or pair cut by the end).
BOOL CountResultChars(const BYTE* text, UINT length, UINT* outCount);
// As CountResultChars, and FALSE at any malformed piece: a CR not followed by
// LF, an LF not preceded by CR, a lone 0x80 or a unit whose sixth byte is not
// 0x80 or whose code bytes are invalid, a lead byte in the last position.
BOOL IsValidResultText(const BYTE* text, UINT length, UINT* outCount);
// Drops the malformed pieces in place (a lone CR or LF, a lead byte in the
// last position, a unit with invalid code bytes, a 0x80 that starts no whole
// unit, everything from a 0 byte on) and lowers *length by what was dropped.
// When anything was dropped the old length is cleared, the clean text
// written back, "Filter wrong char" shown, and the result is TRUE; FALSE when
// nothing changed or the text is longer than kMaxResultTextBytes. TRUE for
// an empty or NULL text.
BOOL FilterResultText(BYTE* text, UINT* length);
// TRUE at once for a NULL text, a 0 length or a 0 flag. FALSE for a text
// longer than kMaxResultTextBytes. Otherwise the checks of
// IsValidResultText, and a unit whose record index is not below
// `recordCount` is malformed too; any malformed piece shows "There are wrong
// char" and gives FALSE.
BOOL CheckResultText(const BYTE* text, UINT length, int flag, UINT recordCount);
