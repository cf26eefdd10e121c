#include "shell/app/shell_dde_commands.h"

#include <cctype>
#include <strings.h>

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}
    void SkipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    }
    bool AtEnd() const { return at_ >= text_.size(); }
    bool Take(char c) {
        SkipBlanks();
        if (AtEnd() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    std::string Word() {
        SkipBlanks();
        std::string word;
        while (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_]))) word += text_[at_++];
        return word;
    }
    // A quoted argument, or a bare one up to ',' or ')'; nothing for a line
    // end, a stray quote or a missing closing quote.
    std::optional<std::string> Argument() {
        SkipBlanks();
        std::string value;
        if (Take('"')) {
            while (at_ < text_.size() && text_[at_] != '"') {
                if (text_[at_] == '\r' || text_[at_] == '\n') return std::nullopt;
                value += text_[at_++];
            }
            if (!Take('"')) return std::nullopt;
            return value;
        }
        while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != ')') {
            const char c = text_[at_++];
            if (c == '\r' || c == '\n' || c == '"' || c == '\0') return std::nullopt;
            value += c;
        }
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        return value;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<std::vector<ShellDdeCommand>> ParseShellDdeCommands(std::string_view text) {
    // A client may send the text with its terminating zero.
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    if (text.empty() || text.size() > kShellDdeMaxText) return std::nullopt;
    Reader in(text);
    std::vector<ShellDdeCommand> commands;
    for (;;) {
        in.SkipBlanks();
        if (in.AtEnd()) break;
        if (commands.size() == kShellDdeMaxCommands || !in.Take('[')) return std::nullopt;
        const std::string verb = in.Word();
        ShellDdeCommand command;
        if (strcasecmp(verb.c_str(), "open") == 0) command.verb = ShellDdeCommand::kOpen;
        else if (strcasecmp(verb.c_str(), "print") == 0) command.verb = ShellDdeCommand::kPrint;
        else if (strcasecmp(verb.c_str(), "printto") == 0) command.verb = ShellDdeCommand::kPrintTo;
        else return std::nullopt;
        if (!in.Take('(')) return std::nullopt;
        std::vector<std::string> arguments;
        do {
            std::optional<std::string> argument = in.Argument();
            if (!argument) return std::nullopt;
            arguments.push_back(std::move(*argument));
        } while (in.Take(','));
        if (!in.Take(')') || !in.Take(']')) return std::nullopt;
        const std::size_t wanted = command.verb == ShellDdeCommand::kPrintTo ? 2 : 1;
        if (arguments.size() < wanted || arguments[0].empty()) return std::nullopt;
        if (command.verb != ShellDdeCommand::kPrintTo && arguments.size() != 1) return std::nullopt;
        command.path = arguments[0];
        if (command.verb == ShellDdeCommand::kPrintTo) {
            if (arguments[1].empty()) return std::nullopt;
            command.printer = arguments[1];
        }
        commands.push_back(std::move(command));
    }
    if (commands.empty()) return std::nullopt;
    return commands;
}
