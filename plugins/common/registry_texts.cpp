#include "plugins/common/registry_texts.h"
#include "platform/win/blanks.h"

#include <charconv>
#include <cstdio>

namespace plugins {

namespace {

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        std::size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return fields;
}

// A decimal number that fits a DWORD, blanks around it allowed.
bool ParseDword(std::string_view field, DWORD* out) {
    field = suite::TrimBlanks(field);
    if (field.empty()) return false;
    DWORD value = 0;
    auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size()) return false;
    *out = value;
    return true;
}

// The count field: a non-negative decimal number (a negative or malformed one is 0).
std::size_t CountOf(std::string_view field) {
    DWORD count = 0;
    return ParseDword(field, &count) ? count : 0;
}

}  // namespace

std::string_view AsReadInto(std::string_view text, std::size_t bufferSize) {
    std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    if (bufferSize && text.size() >= bufferSize) text = text.substr(0, bufferSize - 1);
    return text;
}

std::vector<DWORD> ParseSupportResolution(std::string_view text) {
    std::vector<std::string_view> fields = SplitFields(AsReadInto(text, kSupportResolutionBuffer));
    std::size_t count = CountOf(fields[0]);
    std::vector<DWORD> resolutions;
    for (std::size_t i = 1; i < fields.size() && resolutions.size() < count; ++i) {
        DWORD dpi = 0;
        if (!ParseDword(fields[i], &dpi) || dpi == 0) break;
        resolutions.push_back(dpi);
    }
    return resolutions;
}

std::vector<DWORD> ParseExtraLanguage(std::string_view text) {
    std::vector<std::string_view> fields = SplitFields(AsReadInto(text, kExtraLanguageBuffer));
    std::size_t count = CountOf(fields[0]);
    std::vector<DWORD> ids;
    for (std::size_t i = 1; i < fields.size() && ids.size() < count && ids.size() < kMaxSecondaryLanguages; ++i) {
        DWORD id = 0;
        if (!ParseDword(fields[i], &id)) break;
        ids.push_back(id);
    }
    return ids;
}

std::string FormatExtraLanguage(const std::vector<DWORD>& ids) {
    std::string text = std::to_string(ids.size());
    for (DWORD id : ids) text += "," + std::to_string(id);
    return text;
}

bool ParseLanguageEntry(std::string_view text, LanguageEntry* out) {
    std::vector<std::string_view> fields = SplitFields(AsReadInto(text, kLanguageEntryBuffer));
    if (fields.size() < 3) return false;
    LanguageEntry entry;
    if (!ParseDword(fields[0], &entry.id)) return false;
    entry.name = std::string(suite::TrimBlanks(fields[1]));
    entry.flag = std::string(suite::TrimBlanks(fields[2]));
    if (entry.flag == "1" && fields.size() > 3) entry.file = std::string(suite::TrimBlanks(fields[3]));
    *out = std::move(entry);
    return true;
}

NumericLanguage ParseNumericLanguage(std::string_view text) {
    NumericLanguage numeric;
    std::vector<std::string_view> fields = SplitFields(AsReadInto(text, kLanguageEntryBuffer));
    if (!suite::TrimBlanks(fields[0]).empty()) numeric.name = std::string(suite::TrimBlanks(fields[0]));
    DWORD id = 0;
    if (fields.size() > 1 && ParseDword(fields[1], &id)) numeric.id = id;
    return numeric;
}

}  // namespace plugins
