// Routes arbitrary bytes as the launcher's command line and checks what must
// hold whatever the line: the command lines handed on end in it unchanged, a
// line naming several files never goes to Scribant, and a single argument
// quoted by the platform comes back whole and is routed by its extension.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "feedgate/feedgate_launch.h"
#include "feedgate/feedgate_route.h"
#include "platform/win/process.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const feedgate::Program program = feedgate::RouteCommandLine(line);
    Require(program == feedgate::RouteCommandLine(line));
    if (feedgate::NamesSeveralFiles(line)) Require(program == feedgate::Program::Textory);
    const std::string_view copy = feedgate::StripOuterQuotes(line);
    Require(copy.size() == line.size() || copy.size() + 2 == line.size());
    Require(EndsWith(feedgate::ScribantCommandLine(line), line));
    Require(EndsWith(feedgate::TextoryCommandLine("/opt/suite", line), " " + line));

    // The bytes up to the first NUL as one argument without quotes, as the
    // desktop hands a file name over.
    std::string argument = line.substr(0, line.find('\0'));
    std::erase(argument, '"');
    const std::string quoted = suite::QuoteArgumentAlways(argument);
    Require(!feedgate::NamesSeveralFiles(quoted));
    Require(feedgate::RouteCommandLine(quoted) ==
            (feedgate::IsDirectImage(argument) ? feedgate::Program::Scribant : feedgate::Program::Textory));
    const std::vector<std::string> split = suite::SplitCommandLine("p " + quoted);
    Require(split.size() == 2 && split[1] == argument);
    return 0;
}
