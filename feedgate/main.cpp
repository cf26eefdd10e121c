// The image-file launcher: hands the files the desktop opens with it to the
// OCR program that takes them, then ends. It has no window.
#include <string>
#include <vector>

#include "feedgate/feedgate_launch.h"
#include "platform/win/files.h"
#include "platform/win/process.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    feedgate::LaunchSettings settings;
    settings.programFolder = suite::ProgramFolder();
    return feedgate::Launch(suite::QuotedArgumentLine(arguments), settings);
}
