#include "plugins/common/bracket_argument.h"

namespace plugins {

bool IsSafeBracketArgument(std::string_view text) {
    return !text.empty() && text.find_first_of("),\r\n") == std::string_view::npos &&
           text.find('\0') == std::string_view::npos;
}

std::string BracketCommand(std::string_view command, std::string_view argument, std::string_view suffix) {
    if (!IsSafeBracketArgument(argument)) return {};
    std::string text(command);
    text += '(';
    text += argument;
    text += suffix;
    text += ')';
    return text;
}

}  // namespace plugins
