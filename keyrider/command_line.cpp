#include "keyrider/command_line.h"

#include <cctype>
#include <vector>

namespace keyrider {
namespace {

struct Argument {
    std::string text;
    bool quoted = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Blank-separated arguments; a double quote runs to the next one (or the end).
std::vector<Argument> split(std::string_view line) {
    std::vector<Argument> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        Argument a;
        if (line[i] == '"') {
            std::size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) end = line.size();
            a.text = std::string(line.substr(i + 1, end - i - 1));
            a.quoted = true;
            i = end + 1;
        } else {
            std::size_t end = i;
            while (end < line.size() && !isBlank(line[end]) && line[end] != '"') ++end;
            a.text = std::string(line.substr(i, end - i));
            i = end;
        }
        out.push_back(std::move(a));
    }
    return out;
}

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// A positive decimal number of at most 9 digits; -1 otherwise.
int buttonNumber(std::string_view text) {
    if (text.empty() || text.size() > 9) return -1;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n >= 1 ? n : -1;
}

bool isSwitch(const std::string& text) {
    for (const char* s : {"/q", "/M", "/EXPORT", "/SKIPBTN", "/B"})
        if (sameNoCase(text, s)) return true;
    return text.size() > 2 && sameNoCase(text.substr(0, 2), "/B") && std::isdigit(static_cast<unsigned char>(text[2]));
}

CommandLine parse(const std::vector<Argument>& args) {
    CommandLine c;
    c.empty = args.empty();
    c.quit = args.size() == 1 && !args[0].quoted && sameNoCase(args[0].text, "/q");
    for (std::size_t i = 0; i < args.size(); ++i) {
        const Argument& a = args[i];
        if (a.quoted) {
            if (!c.quotedPathGiven) {
                c.quotedPathGiven = true;
                c.iniPath = a.text;
            }
            continue;
        }
        if (sameNoCase(a.text, "/M"))
            c.show = true;
        else if (sameNoCase(a.text, "/EXPORT"))
            c.exportSwitch = true;
        else if (sameNoCase(a.text, "/SKIPBTN"))
            c.skipButtons = true;
        else if (sameNoCase(a.text, "/B")) {
            if (i + 1 < args.size() && !args[i + 1].quoted) c.button = buttonNumber(args[++i].text);
        } else if (a.text.size() > 2 && sameNoCase(a.text.substr(0, 2), "/B") &&
                   std::isdigit(static_cast<unsigned char>(a.text[2])))
            c.button = buttonNumber(std::string_view(a.text).substr(2));
    }
    return c;
}

}  // namespace

CommandLine ParseCommandLine(std::string_view line) { return parse(split(line)); }

CommandLine ParseArguments(const std::vector<std::string>& arguments) {
    std::vector<Argument> args;
    bool afterB = false;
    for (const std::string& a : arguments) {
        const bool number = afterB && !a.empty() && std::isdigit(static_cast<unsigned char>(a[0]));
        args.push_back({a, !number && !isSwitch(a)});
        afterB = sameNoCase(a, "/B");
    }
    return parse(args);
}

}  // namespace keyrider
