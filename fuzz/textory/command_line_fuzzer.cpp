// Textory's command line on arbitrary bytes: the whole-text reading never
// yields a name holding a quote, an accepted line always has names of the
// accepted kinds, and reading is stable. The bytes split at NULs also make
// an argument vector, which is accepted only without quotes inside.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "textory/app/command_line.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const textory::CommandLine line = textory::ParseCommandLineText(text);
    const textory::CommandLine again = textory::ParseCommandLineText(text);
    Require(line.verdict == again.verdict && line.input == again.input && line.output == again.output);
    if (line.verdict != textory::CommandLineVerdict::kIllegal) {
        Require(line.input.find('"') == std::string::npos);
        Require(line.output.find('"') == std::string::npos);
        Require(line.input.size() + line.output.size() <= text.size() || line.output == textory::kDefaultOutput);
    }
    if (line.verdict == textory::CommandLineVerdict::kAccepted) Require(textory::IsTextOutputFile(line.output));

    std::vector<std::string> arguments;
    std::size_t at = 0;
    while (at <= text.size() && arguments.size() < 8) {
        std::size_t end = text.find('\0', at);
        if (end == std::string::npos) end = text.size();
        arguments.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    bool quoteInside = false;
    for (const std::string& a : arguments) quoteInside = quoteInside || a.find('"') != std::string::npos;
    const textory::CommandLine parsed = textory::ParseArguments(arguments);
    if (quoteInside) Require(parsed.verdict == textory::CommandLineVerdict::kIllegal);
    if (parsed.verdict == textory::CommandLineVerdict::kAccepted) {
        Require(!parsed.input.empty());
        Require(parsed.input.find('"') == std::string::npos && parsed.output.find('"') == std::string::npos);
    }
    return 0;
}
