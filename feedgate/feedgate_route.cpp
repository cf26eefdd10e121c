#include "feedgate/feedgate_route.h"

#include <algorithm>
#include <string>

#include "platform/win/codepage.h"
#include "platform/win/path.h"

namespace feedgate {

std::string_view StripOuterQuotes(std::string_view commandLine) {
    if (commandLine.size() >= 2 && commandLine.front() == '"' && commandLine.back() == '"')
        return commandLine.substr(1, commandLine.size() - 2);
    return commandLine;
}

bool NamesSeveralFiles(std::string_view commandLine) {
    if (commandLine.size() <= 2) return false;
    std::string_view copy = StripOuterQuotes(commandLine);
    copy = copy.substr(0, std::min(copy.size(), commandLine.size() - 2));
    return copy.find('"') != std::string_view::npos;
}

bool IsDirectImage(std::string_view commandLine) {
    // The splitter reads a C string: a NUL inside the line ends the path there.
    const std::string copy(StripOuterQuotes(commandLine));
    char ext[_MAX_EXT] = {};
    _splitpath(copy.c_str(), nullptr, nullptr, nullptr, ext);
    for (const char* direct : {".tif", ".tiff", ".jpg", ".jpeg", ".bmp", ".png", ".pcx", ".pdf"}) {
        if (suite::AnsiCompareNoCase(ext, direct) == 0) return true;
    }
    return false;
}

Program RouteCommandLine(std::string_view commandLine) {
    if (commandLine.empty()) return Program::Scribant;
    if (NamesSeveralFiles(commandLine)) return Program::Textory;
    return IsDirectImage(commandLine) ? Program::Scribant : Program::Textory;
}

}  // namespace feedgate
