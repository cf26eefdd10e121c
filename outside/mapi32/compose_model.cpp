#include "outside/mapi32/compose_model.h"

#include <strings.h>

namespace mapi32 {

std::vector<std::string> ComposeModel::Recipients() const {
    std::vector<std::string> out;
    std::string current;
    auto flush = [&] {
        if (current.size() >= 5 && strncasecmp(current.c_str(), "SMTP:", 5) == 0) current.erase(0, 5);
        if (!current.empty()) out.push_back(current);
        current.clear();
    };
    for (char c : to) {
        if (c == ';' || c == ',' || c == ' ' || c == '\t') flush();
        else current += c;
    }
    flush();
    return out;
}

bool IsMailAddress(const std::string& a) {
    std::size_t at = a.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= a.size() || a.find('@', at + 1) != std::string::npos) return false;
    if (a.find_first_of(" \t\r\n\"<>()[]\\,;:") != std::string::npos) return false;
    std::size_t dot = a.find('.', at + 1);
    return dot != std::string::npos && dot > at + 1 && dot + 1 < a.size();
}

std::string ComposeModel::Problem() const {
    std::vector<std::string> r = Recipients();
    if (r.empty()) return "Type at least one address in To.";
    for (const std::string& a : r)
        if (!IsMailAddress(a)) return "\"" + a + "\" is not a mail address.";
    if (subject.find_first_of("\r\n") != std::string::npos) return "The subject must be one line.";
    return {};
}

}  // namespace mapi32
