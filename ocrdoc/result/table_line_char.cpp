#include "ocrdoc/result/table_line_char.h"

#include "shell/shell_services.h"

namespace {
constexpr WORD kGbVertical = 0xA9A7;
constexpr WORD kBig5Vertical = 0xA278;
}  // namespace

BOOL IsTableLineChar(WORD code) {
    BYTE lead = static_cast<BYTE>(code >> 8), trail = static_cast<BYTE>(code & 0xFF);
    if (ShellServices().IsSimplified()) return lead == 0xA9 && trail >= 0xA4 && trail <= 0xF0;
    return lead == 0xA2 && trail >= 0x71 && trail <= 0x7D;
}

BOOL IsTableLineCharNotVertical(WORD code) {
    if (!IsTableLineChar(code)) return FALSE;
    return code != (ShellServices().IsSimplified() ? kGbVertical : kBig5Vertical);
}
