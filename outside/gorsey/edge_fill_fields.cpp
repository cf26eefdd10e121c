#include "outside/gorsey/edge_fill_fields.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gorsey {
namespace {

std::string number(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

std::string colour(DWORD c) {
    char b[16];
    std::snprintf(b, sizeof b, "%06X", unsigned(c & 0xFFFFFFu));
    return b;
}

bool parseNumber(const std::string& text, double min, double max, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (errno || *end || !std::isfinite(v) || v < min || v > max) return false;
    out = v;
    return true;
}

bool parseColour(const std::string& text, DWORD& out) {
    if (text.empty() || text.size() > 6) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (*end) return false;
    out = DWORD(v);
    return true;
}

bool parseFlag(const std::string& text, BOOL& out) {
    if (text != "0" && text != "1") return false;
    out = text == "1";
    return true;
}

}  // namespace

const char* FieldLabel(int field) {
    static const char* const labels[kFieldCount] = {"Fill the edges", "Same margin on every side", "Top",  "Left",
                                                    "Right", "Bottom", "Colour fill", "Gray fill", "B/W fill"};
    return field >= 0 && field < kFieldCount ? labels[field] : "";
}

std::array<std::string, kFieldCount> FieldsOf(const EDGEFILL_SETTINGS& s) {
    return {s.Enable ? "1" : "0", s.AllSame ? "1" : "0", number(s.Top), number(s.Left), number(s.Right),
            number(s.Bottom), colour(s.Color), colour(s.Gray), colour(s.BW)};
}

bool ReadFields(const std::array<std::string, kFieldCount>& t, EDGEFILL_SETTINGS& settings) {
    // The record is packed: its members are read into aligned locals first.
    const double min = settings.Min, max = settings.Max >= settings.Min ? settings.Max : settings.Min;
    BOOL enable = FALSE, allSame = FALSE;
    double top = 0, left = 0, right = 0, bottom = 0;
    DWORD colour = 0, gray = 0, bw = 0;
    if (!parseFlag(t[kEnable], enable) || !parseFlag(t[kAllSame], allSame) || !parseNumber(t[kTop], min, max, top) ||
        !parseNumber(t[kLeft], min, max, left) || !parseNumber(t[kRight], min, max, right) ||
        !parseNumber(t[kBottom], min, max, bottom) || !parseColour(t[kColor], colour) || !parseColour(t[kGray], gray) ||
        !parseColour(t[kBW], bw))
        return false;
    if (allSame) left = right = bottom = top;
    settings.Enable = enable;
    settings.AllSame = allSame;
    settings.Top = top;
    settings.Left = left;
    settings.Right = right;
    settings.Bottom = bottom;
    settings.Color = colour;
    settings.Gray = gray;
    settings.BW = bw;
    return true;
}

}  // namespace gorsey
