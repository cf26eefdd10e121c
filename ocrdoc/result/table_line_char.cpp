#include "ocrdoc/result/table_line_char.h"

#include "ocrdoc/document_host.h"

namespace {
// Top-left, top-right, top tee, horizontal, vertical, left tee, right tee,
// bottom-left, bottom-right, bottom tee, cross.
constexpr char kGbBoxChars[] =
    "\xA9\xB3\0\xA9\xB7\0\xA9\xD7\0\xA9\xA5\0\xA9\xA7\0\xA9\xC7\0\xA9\xCF\0\xA9\xBB\0\xA9\xBF\0\xA9\xDF\0\xA9\xEF";
constexpr char kBig5BoxChars[] =
    "\xA2\x7A\0\xA2\x7B\0\xA2\x73\0\xA2\x77\0\xA2\x78\0\xA2\x75\0\xA2\x74\0\xA2\x7C\0\xA2\x7D\0\xA2\x72\0\xA2\x71";
static_assert(sizeof kGbBoxChars == 3 * kBoxEntryCount && sizeof kBig5BoxChars == 3 * kBoxEntryCount);
}  // namespace

const char* TableBoxCharsFor(bool simplified) { return simplified ? kGbBoxChars : kBig5BoxChars; }

const char* TableBoxChars() { return TableBoxCharsFor(DocumentHost().IsSimplified()); }

WORD TableBoxChar(int entry) {
    if (entry < 0 || entry >= kBoxEntryCount) return 0;
    const auto* set = reinterpret_cast<const BYTE*>(TableBoxChars());
    return static_cast<WORD>((set[3 * entry] << 8) | set[3 * entry + 1]);
}

BOOL IsTableLineChar(WORD code) {
    BYTE lead = static_cast<BYTE>(code >> 8), trail = static_cast<BYTE>(code & 0xFF);
    if (DocumentHost().IsSimplified()) return lead == 0xA9 && trail >= 0xA4 && trail <= 0xF0;
    return lead == 0xA2 && trail >= 0x71 && trail <= 0x7D;
}

BOOL IsTableLineCharNotVertical(WORD code) {
    if (!IsTableLineChar(code)) return FALSE;
    return code != TableBoxChar(kBoxVertical);
}
