#include "textory/app/command_line.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/win/codepage.h"
#include "platform/win/path.h"
#include "platform/win/process.h"

namespace textory {
namespace {

bool isInputImage(std::string_view path) {
    return suite::HasExtension(path, ".TIF") || suite::HasExtension(path, ".BMP") || suite::HasExtension(path, ".JPG");
}

bool isSwitch(const std::string& argument, bool& embedded) {
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
    std::string word = argument.substr(1);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word != "embedding" && word != "automation") return false;
    embedded = true;
    return true;
}

}  // namespace

bool IsTextOutputFile(std::string_view path) {
    return suite::HasExtension(path, ".DOC") || suite::HasExtension(path, ".TXT") || suite::HasExtension(path, ".HTM");
}

CommandLine ParseCommandLineText(std::string_view text) {
    CommandLine line;
    if (text.size() <= 1) return line;
    const std::size_t a = text.find('"');
    const std::size_t b = text.rfind('"');
    if (a == std::string_view::npos || a >= b) return line;
    const std::size_t c = text.find('"', a + 1);
    if (c < b) {
        const std::size_t d = text.find('"', c + 1);
        if (d >= b) return line;
        line.input = std::string(text.substr(a + 1, c - a - 1));
        line.output = std::string(text.substr(d + 1, b - d - 1));
    } else {
        line.input = std::string(text.substr(a + 1, b - a - 1));
        line.output = kDefaultOutput;
    }
    // More than two quoted names would leave quotes inside the output name,
    // which no file can have.
    if (line.input.find('"') != std::string::npos || line.output.find('"') != std::string::npos) {
        line.input.clear();
        line.output.clear();
        return line;
    }
    line.verdict = isInputImage(line.input) && IsTextOutputFile(line.output) ? CommandLineVerdict::kAccepted
                                                                              : CommandLineVerdict::kRefused;
    return line;
}

std::string AbsoluteCommandLinePath(const std::string& ansiName) {
    const bool windowsStyle = ansiName.find('\\') != std::string::npos ||
                              (ansiName.size() >= 2 && std::isalpha(static_cast<unsigned char>(ansiName[0])) &&
                               ansiName[1] == ':');
    if (windowsStyle) return suite::FullWindowsPath(ansiName);
    std::error_code ec;
    const std::filesystem::path native(suite::AnsiToUtf8(ansiName));
    const std::filesystem::path absolute = std::filesystem::absolute(native, ec);
    if (ec) return suite::FullWindowsPath(ansiName);
    return suite::WindowsPath(absolute.lexically_normal().string());
}

CommandLine ParseArguments(const std::vector<std::string>& utf8Arguments) {
    bool embedded = false;
    std::string text;
    for (const std::string& argument : utf8Arguments) {
        if (isSwitch(argument, embedded)) continue;
        // A quote inside a name would end it early and shift every later one.
        if (argument.find('"') != std::string::npos) return CommandLine{};
        if (!text.empty()) text.push_back(' ');
        text += "\"" + suite::Utf8ToAnsi(argument) + "\"";
    }
    CommandLine line = ParseCommandLineText(text);
    line.embedded = embedded;
    if (line.verdict == CommandLineVerdict::kAccepted) {
        line.input = AbsoluteCommandLinePath(line.input);
        if (line.output != kDefaultOutput) line.output = AbsoluteCommandLinePath(line.output);
    }
    return line;
}

}  // namespace textory
