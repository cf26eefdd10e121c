// The comma-separated texts that the plug-ins read from the registry. Each is
// read into a buffer of a fixed size, so only its first bytes count; every
// parser bounds what it keeps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win/types.h"

namespace plugins {

// Buffers the texts are read into (with their terminating zero).
constexpr std::size_t kSupportResolutionBuffer = 500;
constexpr std::size_t kExtraLanguageBuffer = 200;
constexpr std::size_t kLanguageEntryBuffer = 100;
constexpr std::size_t kMaxSecondaryLanguages = 4;

// "Support Resolution": a count, then that many resolutions. A list shorter
// than its count ends early; so does a field that is not a positive decimal
// number (no resolution is made up from it).
std::vector<DWORD> ParseSupportResolution(std::string_view text);
constexpr const char* kDefaultSupportResolution = "6,150,200,300,400,500,600";

// "Extra Language": a count, then each id. At most kMaxSecondaryLanguages ids
// are kept, never more than the text holds; the count is that of the ids kept.
std::vector<DWORD> ParseExtraLanguage(std::string_view text);
// The stored form: the count, then ",id" per id.
std::string FormatExtraLanguage(const std::vector<DWORD>& ids);

// A language entry: "id,name,flag" or "id,name,1,file" (the language needs
// that file beside the application's program).
struct LanguageEntry {
    DWORD id = 0;
    std::string name;
    std::string flag;
    std::string file;  // only when flag is "1"
};
// False for fewer than three fields or an id that is not a decimal number.
bool ParseLanguageEntry(std::string_view text, LanguageEntry* out);

// "name,id" of numeric recognition; missing parts keep the defaults.
struct NumericLanguage {
    std::string name = "Numeric";
    DWORD id = 26;
};
NumericLanguage ParseNumericLanguage(std::string_view text);

// The text as a buffer of `bufferSize` bytes would hold it (cut at the first
// zero and before the last byte).
std::string_view AsReadInto(std::string_view text, std::size_t bufferSize);

}  // namespace plugins
