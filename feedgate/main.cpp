// The image-file launcher: hands the files the desktop opens with it to the
// OCR program that takes them, then ends. It has no window.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "feedgate/feedgate_launch.h"
#include "platform/win/files.h"
#include "platform/win/process.h"

int main(int argc, char** argv) {
    // Textory starts in the launcher's own folder: names relative to the
    // folder the launcher was started in are made whole first.
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        const bool relative = !argument.empty() && argument[0] != '/' && argument[0] != '-';
        std::error_code ec;
        if (relative) {
            const std::filesystem::path whole = std::filesystem::absolute(argument, ec);
            if (!ec) argument = whole.lexically_normal().string();
        }
        arguments.push_back(argument);
    }
    feedgate::LaunchSettings settings;
    settings.programFolder = suite::ProgramFolder();
    return feedgate::Launch(suite::QuotedArgumentLine(arguments), settings);
}
