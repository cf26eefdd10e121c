// Where the help and search commands of the main frame go: the compiled help
// file by language, the online help page (or its local stand-ins when the
// help server cannot be reached), and web search addresses.
#pragma once

#include <functional>
#include <string>

namespace online_help {

// The help reference for HtmlHelpA: the program folder + "\ScribantE.chm"
// (1033), "\ScribantT.chm" (1028) or "\ScribantS.chm" (else), then
// ">Mainwin" and the two opening pages.
std::string HelpFinderReference(const std::string& programFolder, unsigned short languageId);

// The online help address: "Help_Ad"/"Url" of the advert settings when
// `reachable` says so of it, else "\AD\Local\help\Scribant.htm", else
// "\help\help.htm" of the program folder, whichever exists; empty when none.
std::string OnlineHelpTarget(const std::string& programFolder,
                             const std::function<bool(const std::string&)>& reachable);

// The search text as a query value: ASCII letters and digits kept, white
// space as "+", every other byte "%" and two upper-case hexadecimal digits.
std::string EncodeQuery(const std::string& text);
// The search address of engine 1 (the second) or any other value (the first).
std::string WebSearchAddress(const std::string& text, int engine);

}  // namespace online_help
