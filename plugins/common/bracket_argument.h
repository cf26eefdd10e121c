// Bracket commands ("[EXPORT](path)", "[OUTPUT](path,NEW)") carry their
// arguments unquoted: a ")" would end the argument list early and a "," would
// start a second argument, so such a text cannot be sent safely.
#pragma once

#include <string>
#include <string_view>

namespace plugins {

// False for an empty text or one holding ")", "," or a line break.
bool IsSafeBracketArgument(std::string_view text);

// `command` with "(" + argument + suffix + ")"; "" when the argument is unsafe.
std::string BracketCommand(std::string_view command, std::string_view argument, std::string_view suffix = {});

}  // namespace plugins
