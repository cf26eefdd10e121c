// The command-line parser and the bounded text copies on arbitrary bytes:
// results stay inside the input and within their bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "keyrider/bounded_text.h"
#include "keyrider/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    keyrider::CommandLine c = keyrider::ParseCommandLine(line);
    if (c.button != -1 && c.button < 1) std::abort();
    if (c.iniPath.size() > line.size()) std::abort();
    if (c.quit && (c.empty || c.show || c.button != -1 || c.quotedPathGiven)) std::abort();
    if (c.quotedPathGiven && line.find(c.iniPath) == std::string::npos) std::abort();

    char title[200];
    keyrider::CopyBounded(title, sizeof title, line);
    if (std::strlen(title) >= sizeof title) std::abort();
    std::string replaced = keyrider::ReplaceFirstPercentOne(line, line, 128);
    if (replaced.size() > 127) std::abort();
    return 0;
}
