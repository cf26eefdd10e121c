// Reads arbitrary bytes as the shell's DDE command text and checks what the
// program relies on: a text is taken whole or refused whole; every command
// taken has a path without line ends or quotes, print-to commands a printer,
// and no more commands than allowed.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/app/shell_dde_commands.h"

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
bool Clean(const std::string& text) { return text.find_first_of("\r\n\"") == std::string::npos; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto commands = ParseShellDdeCommands(text);
    if (!commands) return 0;
    Require(!commands->empty() && commands->size() <= kShellDdeMaxCommands);
    for (const ShellDdeCommand& c : *commands) {
        Require(!c.path.empty() && Clean(c.path));
        Require(c.verb == ShellDdeCommand::kPrintTo ? !c.printer.empty() && Clean(c.printer) : c.printer.empty());
    }
    return 0;
}
