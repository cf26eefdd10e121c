#include "outside/common/ini_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "platform/win/ansi_names.h"

namespace common {
namespace {

using suite::SameName;

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string> sectionOf(const std::string& line) {
    std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') return trim(t.substr(1, t.size() - 2));
    return std::nullopt;
}

}  // namespace

std::optional<std::string> readIniValue(const std::string& path, const std::string& section, const std::string& key) {
    bool inSection = false;
    for (const std::string& line : readLines(path)) {
        if (auto s = sectionOf(line)) {
            inSection = SameName(*s, section);
            continue;
        }
        if (!inSection) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos || !SameName(trim(line.substr(0, eq)), key)) continue;
        std::string v = trim(line.substr(eq + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
        return v;
    }
    return std::nullopt;
}

bool writeIniValue(const std::string& path, const std::string& section, const std::string& key, const std::string& value) {
    if (key.find_first_of("=\r\n") != std::string::npos || value.find_first_of("\r\n") != std::string::npos ||
        section.find_first_of("]\r\n") != std::string::npos)
        return false;
    std::vector<std::string> lines = readLines(path);
    std::string entry = key + "=" + value;
    bool inSection = false, done = false;
    size_t sectionEnd = std::string::npos;  // line index after the section's last key line
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto s = sectionOf(lines[i])) {
            inSection = SameName(*s, section);
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        size_t eq = lines[i].find('=');
        if (eq != std::string::npos) {
            if (SameName(trim(lines[i].substr(0, eq)), key)) {
                lines[i] = entry;
                done = true;
            }
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionEnd == std::string::npos) {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        } else {
            lines.insert(lines.begin() + std::ptrdiff_t(sectionEnd), entry);
        }
    }
    std::string tmp = path + ".iniXXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) return false;
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

}  // namespace common
