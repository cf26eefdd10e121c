// The commands the desktop's shell sends the program by DDE on the "System"
// topic: "[open("path")]", "[print("path")]" and
// "[printto("path","printer","driver","port")]", one or more in a row.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ShellDdeCommand {
    enum Verb { kOpen, kPrint, kPrintTo } verb = kOpen;
    std::string path;
    std::string printer;  // printto only
};

// The longest command text and the most commands taken in one go.
constexpr std::size_t kShellDdeMaxText = 16 * 1024;
constexpr std::size_t kShellDdeMaxCommands = 64;

// The commands in order; nothing (the whole text refused) for text that is
// not such a list, an unknown verb, a missing or empty path, a printto
// without its printer, or an argument holding a line end or a quote.
std::optional<std::vector<ShellDdeCommand>> ParseShellDdeCommands(std::string_view text);
