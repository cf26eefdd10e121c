// Parses arbitrary bytes as an ini file, reads every section and key, edits
// it and checks that the edits read back, also after a trip through the text.
#include "platform/win/ini.h"
#include "platform/win/blanks.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// What reading gives back for a written value.
std::string Expected(std::string_view value) {
    value = suite::TrimBlanks(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    suite::IniDocument doc = suite::IniDocument::Parse(bytes);
    std::string value;
    for (const std::string& section : doc.Sections()) {
        for (const std::string& key : doc.Keys(section)) Require(doc.Get(section, key, value));
        doc.Lines(section);
    }
    // Edit: the first key of the first section gets the input's first line as
    // its value, and a fresh key goes into a fresh section.
    std::string newValue(bytes.substr(0, bytes.find_first_of("\r\n")));
    std::string section = doc.Sections().empty() ? "S" : doc.Sections().front();
    std::string key = doc.Keys(section).empty() ? "K" : doc.Keys(section).front();
    bool writable = suite::IniDocument::IsWritableSection(section) && suite::IniDocument::IsWritableKey(key);
    if (writable) doc.Set(section, key, newValue);
    doc.Set("Fuzz Section", "Fuzz Key", "fuzz value");
    for (int pass = 0; pass < 2; ++pass) {
        if (writable) {
            Require(doc.Get(section, key, value));
            Require(value == Expected(newValue));
        }
        Require(doc.Get("fuzz section", "FUZZ KEY", value) && value == "fuzz value");
        doc = suite::IniDocument::Parse(doc.Serialize());
    }
    doc.DeleteKey("Fuzz Section", "Fuzz Key");
    Require(!doc.Get("Fuzz Section", "Fuzz Key", value));
    doc.DeleteSection(section);
    doc.ReplaceSection("Fuzz Section", {"a=1", "b=2"});
    Require(doc.Get("Fuzz Section", "b", value) && value == "2");
    return 0;
}
