#include "views/page_view/draw_styles.h"

namespace {

constexpr int kCopy = 13;    // R2_COPYPEN
constexpr int kNotXor = 10;  // R2_NOTXORPEN

constexpr DrawStyle kStyles[kDrawStyleCount] = {
    {kNotXor, 0, 1, 0xFF0080}, {kCopy, 0, 1, 0x58595A}, {kCopy, 0, 1, 0xFF0000}, {kCopy, 0, 1, 0x000000},
    {kCopy, 0, 2, 0xFF0000},   {kCopy, 0, 1, 0x00FF00}, {kCopy, 0, 1, 0x000000}, {kCopy, 0, 1, 0x0000FF},
    {kNotXor, 0, 2, 0xFF0080}, {kCopy, 0, 2, 0x808080}, {kCopy, 0, 1, 0x0000FF}, {kNotXor, 0, 2, 0x0000FF},
    {kCopy, 0, 1, 0x004000},   {kCopy, 0, 1, 0x00FF00}, {kCopy, 0, 1, 0x00FFFF}, {kCopy, 0, 1, 0xFF00FF},
    {kCopy, 0, 1, 0x0000FF},   {kCopy, 0, 1, 0xFF0000}, {kCopy, 0, 1, 0xFFFF00}, {kCopy, 0, 1, 0xFF8040},
    {kCopy, 0, 1, 0x00FF00},   {kCopy, 0, 1, 0x0000FF}, {kNotXor, 0, 1, 0x00FF00}, {kCopy, 0, 1, 0xFF0000},
    {kCopy, 0, 1, 0x0000FF},   {kCopy, 0, 1, 0x000080}, {kCopy, 0, 1, 0x800080}, {kNotXor, 0, 1, 0x00FF00},
    {kCopy, 0, 1, 0xFF0000},   {kCopy, 0, 1, 0x0000FF}, {kCopy, 0, 1, 0x000080}, {kCopy, 0, 1, 0x800080},
    {kCopy, 0, 1, 0x800000},   {kCopy, 0, 1, 0x800000}, {kNotXor, 0, 2, 0x000000}, {kCopy, 0, 1, 0x71B33C},
    {kCopy, 0, 2, 0x71B33C},
};

}  // namespace

const DrawStyle& GetDrawStyle(int style) {
    return style >= 0 && style < kDrawStyleCount ? kStyles[style] : kStyles[0];
}

bool IsDoubleFrameStyle(int style) {
    return style == 4 || style == 27 || style == 28 || style == 29 || style == 30 || style == 33;
}

DWORD LabelColorOfStyle(int style) {
    switch (style) {
    case kStyleTable:
    case kStyleTableSelected: return 0xFFFF00;
    case kStyleVerticalText:
    case kStyleVerticalSelected: return 0x00FFFF;
    case kStyleEnglish:
    case kStyleEnglishSelected: return 0x0000FF;
    default: return GetDrawStyle(style).color;
    }
}
