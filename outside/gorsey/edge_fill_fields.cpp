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
    EDGEFILL_SETTINGS s = settings;
    const double min = s.Min, max = s.Max >= s.Min ? s.Max : s.Min;
    if (!parseFlag(t[kEnable], s.Enable) || !parseFlag(t[kAllSame], s.AllSame) ||
        !parseNumber(t[kTop], min, max, s.Top) || !parseNumber(t[kLeft], min, max, s.Left) ||
        !parseNumber(t[kRight], min, max, s.Right) || !parseNumber(t[kBottom], min, max, s.Bottom) ||
        !parseColour(t[kColor], s.Color) || !parseColour(t[kGray], s.Gray) || !parseColour(t[kBW], s.BW))
        return false;
    if (s.AllSame) s.Left = s.Right = s.Bottom = s.Top;
    settings = s;
    return true;
}

}  // namespace gorsey
