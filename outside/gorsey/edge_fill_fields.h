// The edge-fill page's fields as text, and their checks: what the page shows
// for a settings record and what it reads back.
#pragma once

#include <array>
#include <string>

#include "outside/include/gorsey.h"

namespace gorsey {

// The editable fields, in page order.
enum Field { kEnable, kAllSame, kTop, kLeft, kRight, kBottom, kColor, kGray, kBW, kFieldCount };

const char* FieldLabel(int field);
std::array<std::string, kFieldCount> FieldsOf(const EDGEFILL_SETTINGS& settings);
// Reads the texts into `settings`: margins must be numbers within Min..Max,
// colours six hex digits, flags "0"/"1". False, with nothing changed, otherwise.
bool ReadFields(const std::array<std::string, kFieldCount>& texts, EDGEFILL_SETTINGS& settings);

}  // namespace gorsey
